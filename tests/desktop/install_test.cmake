# cmake --install into a scratch prefix: the programs and the converter's page pictures, which it
# finds there, the desktop entry that opens BVH files, the BVH file type, the licences, the README
# the about page names and the user's guide with every file they link to, the manual pages
# (MANUALS: those the build makes); the desktop's caches are refreshed where the tools exist, and
# left alone by a staged install (DESTDIR).
#   cmake -DBUILD_DIR=... -DSCRATCH=... -DLIBDIR=... -DMANUALS=zev.1;zev-convert.1
#         -P install_test.cmake
cmake_minimum_required(VERSION 3.25)

function(install_into prefix)
  execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
  if(failed)
    message(FATAL_ERROR "cmake --install --prefix ${prefix} failed: ${errors}")
  endif()
endfunction()

function(expect_files root)
  foreach(file IN LISTS ARGN)
    if(NOT EXISTS ${root}/${file})
      list(APPEND missing ${file})
    endif()
  endforeach()
  if(missing)
    message(FATAL_ERROR "not installed under ${root}: ${missing}")
  endif()
endfunction()

function(expect_line file line)
  file(STRINGS ${file} lines)
  if(NOT line IN_LIST lines)
    message(FATAL_ERROR "${file} lacks the line \"${line}\"")
  endif()
endfunction()

set(installed
    bin/zev bin/zev-convert ${LIBDIR}/zev/zev-convert-pictures.so
    share/applications/zev.desktop share/mime/packages/zev.xml
    share/icons/hicolor/64x64/apps/zev.png
    share/doc/zev/LiberationSans-LICENSE.txt share/doc/zev/README.md
    share/doc/zev/LICENSE share/doc/zev/THIRD-PARTY-NOTICES.txt
    share/doc/zev/docs/dialog-graph.png share/doc/zev/docs/guide.md
    share/doc/zev/docs/guide/movie-chest.png)
foreach(page IN LISTS MANUALS)
  list(APPEND installed share/man/man1/${page})
endforeach()

file(REMOVE_RECURSE ${SCRATCH})
set(prefix ${SCRATCH}/prefix)
install_into(${prefix})
expect_files(${prefix} ${installed})
execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${prefix}/share/doc/zev
                        -P ${CMAKE_CURRENT_LIST_DIR}/../docs/links_test.cmake
                RESULT_VARIABLE dead OUTPUT_QUIET ERROR_VARIABLE links)
if(dead)
  message(FATAL_ERROR "the installed documents: ${links}")
endif()
execute_process(COMMAND ${prefix}/bin/zev-convert --graphs ${SCRATCH}/pages -o ${SCRATCH}/walk.pz2
                        ${CMAKE_CURRENT_LIST_DIR}/../../examples/walk.bvh
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
if(failed OR NOT EXISTS ${SCRATCH}/pages/walk-chest.png)
  message(FATAL_ERROR "the installed zev-convert draws no pages: ${errors}")
endif()
expect_line(${prefix}/share/applications/zev.desktop "Exec=zev %f")
expect_line(${prefix}/share/applications/zev.desktop "MimeType=application/x-bvh;")

find_program(update_mime update-mime-database)
if(update_mime)
  expect_line(${prefix}/share/mime/globs2 "50:application/x-bvh:*.bvh")
endif()
find_program(update_desktop update-desktop-database)
if(update_desktop)
  expect_line(${prefix}/share/applications/mimeinfo.cache "application/x-bvh=zev.desktop;")
endif()
find_program(validate desktop-file-validate)
if(validate)
  execute_process(COMMAND ${validate} ${prefix}/share/applications/zev.desktop
                  RESULT_VARIABLE invalid OUTPUT_VARIABLE problems ERROR_VARIABLE problems)
  if(invalid)
    message(FATAL_ERROR "the desktop entry is not valid: ${problems}")
  endif()
endif()

# A package is built with DESTDIR; its own scripts refresh the caches where it is installed.
set(ENV{DESTDIR} ${SCRATCH}/staged)
install_into(/usr)
expect_files(${SCRATCH}/staged/usr ${installed})
foreach(cache share/mime/globs2 share/applications/mimeinfo.cache)
  if(EXISTS ${SCRATCH}/staged/usr/${cache})
    message(FATAL_ERROR "a staged install made ${cache}")
  endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "installed as a desktop program should be")
