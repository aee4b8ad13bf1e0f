# The program's version, read from the one place that holds it (src/common/version.h), for what the
# build and the packaging name after it: ZEV_VERSION ("0.93B") and its leading numbers for Windows'
# version resources (ZEV_VERSION_MAJOR, ZEV_VERSION_MINOR); and the copyright line of LICENSE
# (ZEV_COPYRIGHT). Run as a script, it prints the version:
#   cmake -P cmake/version.cmake
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../src/common/version.h ZEV_VERSION
     REGEX "ZEV_VERSION = \"[^\"]+\"")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" ZEV_VERSION "${ZEV_VERSION}")
if(NOT ZEV_VERSION MATCHES "^([0-9]+)\\.([0-9]+)")
  message(FATAL_ERROR "src/common/version.h holds no version of the form 0.93B")
endif()
set(ZEV_VERSION_MAJOR ${CMAKE_MATCH_1})
set(ZEV_VERSION_MINOR ${CMAKE_MATCH_2})
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../LICENSE ZEV_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo ${ZEV_VERSION})
endif()
