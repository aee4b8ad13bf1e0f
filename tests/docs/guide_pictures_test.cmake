# Draws the guide's pictures with SCRIPT and CONVERTER into SCRATCH and checks that they are the
# committed ones in COMMITTED, the same files byte for byte.
#   cmake -DSCRIPT=... -DCONVERTER=... -DCOMMITTED=... -DSCRATCH=... -P guide_pictures_test.cmake
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${SCRATCH})
execute_process(COMMAND ${SCRIPT} ${CONVERTER} ${SCRATCH} RESULT_VARIABLE failed
                OUTPUT_QUIET ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "${SCRIPT} failed: ${errors}")
endif()

file(GLOB drawn RELATIVE ${SCRATCH} ${SCRATCH}/*.png)
file(GLOB committed RELATIVE ${COMMITTED} ${COMMITTED}/*.png)
if(NOT drawn STREQUAL committed)
  list(JOIN drawn " " drawn_shown)
  list(JOIN committed " " committed_shown)
  message(FATAL_ERROR "the script draws: ${drawn_shown}\n${COMMITTED} holds: ${committed_shown}")
endif()
foreach(picture IN LISTS drawn)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SCRATCH}/${picture}
                          ${COMMITTED}/${picture} RESULT_VARIABLE differs)
  if(differs)
    list(APPEND stale ${picture})
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "pictures that differ from what the script draws: ${stale}; "
                      "run scripts/make-guide-pictures after building")
endif()
file(REMOVE_RECURSE ${SCRATCH})
list(LENGTH drawn count)
message(STATUS "the script draws the ${count} committed pictures byte for byte")
