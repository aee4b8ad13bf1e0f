# zev-convert starts without Qt: ldd names no Qt library among all that the program loads, and names
# Qt Gui for the module it opens only for --graphs. A copy of the program without its module says
# so and converts nothing.
#   cmake -DPROGRAM=... -DMODULE=... -DSAMPLE=... -DSCRATCH=... -P no_qt_at_start_test.cmake
cmake_minimum_required(VERSION 3.25)

function(libraries_of file result)
  execute_process(COMMAND ldd ${file} RESULT_VARIABLE failed OUTPUT_VARIABLE libraries
                  ERROR_VARIABLE libraries)
  if(failed)
    message(FATAL_ERROR "ldd ${file} failed: ${libraries}")
  endif()
  set(${result} "${libraries}" PARENT_SCOPE)
endfunction()

libraries_of(${PROGRAM} program)
if(program MATCHES "libQt")
  message(FATAL_ERROR "zev-convert loads Qt as it starts:\n${program}")
endif()
libraries_of(${MODULE} module)
if(NOT module MATCHES "libQt6Gui")
  message(FATAL_ERROR "the page pictures' module does not load Qt Gui:\n${module}")
endif()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
file(COPY ${PROGRAM} DESTINATION ${SCRATCH})
get_filename_component(name ${PROGRAM} NAME)
execute_process(COMMAND ${SCRATCH}/${name} --graphs ${SCRATCH}/pages -o ${SCRATCH}/walk.pz2
                        ${SAMPLE}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT status EQUAL 1 OR NOT err MATCHES "^zev-convert: --graphs cannot draw: the page pictures' module"
   OR EXISTS ${SCRATCH}/walk.pz2 OR EXISTS ${SCRATCH}/pages)
  message(FATAL_ERROR "without its module: exit ${status}, \"${err}\"")
endif()
file(REMOVE_RECURSE ${SCRATCH})
message(STATUS "zev-convert starts without Qt and opens it for --graphs alone")
