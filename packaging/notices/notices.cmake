# THIRD-PARTY-NOTICES.txt of one edition: every component of others that its shipped files contain
# or link, each with its notice, then the long licences those name. The table below says which
# parts each edition takes, in order; every library a shipped program links by name must be named
# in its edition's notices (scripts/dist-test holds them to that).
#   cmake -DEDITION=windows|web|linux -DOUTPUT=THIRD-PARTY-NOTICES.txt -P notices.cmake
# packaging/linux includes it, with ZEV_NOTICES_EDITION and ZEV_NOTICES_OUTPUT set, for the notices
# that cmake --install puts beside the README.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/version.cmake)

set(notices_windows "zev.exe and zev-convert.exe for Windows"
    fast_float.txt cli11.txt mingw-w64.txt gcc-runtime.txt windows-system.txt gpl-3.0.txt)
set(notices_web "the page (index.html and zev.js)" fast_float.txt emscripten.txt apache-2.0.txt)
set(notices_linux "zev and zev-convert for Linux"
    ../../resources/fonts/LiberationSans-LICENSE.txt fast_float.txt cli11.txt qt6.txt
    linux-system.txt lgpl-3.0.txt gpl-3.0.txt)

function(zev_write_notices edition output)
  if(NOT DEFINED notices_${edition})
    message(FATAL_ERROR "notices.cmake: no edition \"${edition}\" (windows, web or linux)")
  endif()
  set(parts ${notices_${edition}})
  list(POP_FRONT parts what)
  set(rule "==============================================================================")
  set(text "Z.E.V ${ZEV_VERSION}: third-party notices for ${what}\n\n")
  string(APPEND text "Z.E.V itself is under the MIT licence (LICENSE). The programs contain or link\n"
                     "the following components of others, each under its own licence.\n")
  foreach(part IN LISTS parts)
    file(READ ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/${part} notice)
    string(APPEND text "\n${rule}\n\n${notice}")
  endforeach()
  file(WRITE ${output} "${text}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  zev_write_notices(${EDITION} ${OUTPUT})
endif()
