# Every relative link and picture of ROOT/README.md and of the Markdown files under ROOT/docs
# names a file that exists. Addresses with a scheme (https:, mailto:) and links within a page
# (#...) are left alone.
#   cmake -DROOT=... -P links_test.cmake
cmake_minimum_required(VERSION 3.25)

file(GLOB_RECURSE documents ${ROOT}/docs/*.md)
list(PREPEND documents ${ROOT}/README.md)
set(checked 0)
foreach(document IN LISTS documents)
  file(READ ${document} text)
  get_filename_component(folder ${document} DIRECTORY)
  # [text](target) and ![alt](target), a title after the target allowed. The bracket goes first:
  # a CMake list does not split inside brackets.
  string(REPLACE "](" "@link@" text "${text}")
  string(REGEX MATCHALL "@link@[^) ]+" links "${text}")
  foreach(link IN LISTS links)
    string(SUBSTRING "${link}" 6 -1 target)
    string(REGEX REPLACE "#.*" "" target "${target}")
    if(target STREQUAL "" OR target MATCHES "^[a-z]+:")
      continue()
    endif()
    math(EXPR checked "${checked} + 1")
    if(NOT EXISTS ${folder}/${target})
      file(RELATIVE_PATH shown ${ROOT} ${document})
      list(APPEND dead "${shown}: ${target}")
    endif()
  endforeach()
endforeach()
if(dead)
  list(JOIN dead "\n  " shown)
  message(FATAL_ERROR "links that lead nowhere:\n  ${shown}")
endif()
message(STATUS "${checked} relative links lead to their files")
