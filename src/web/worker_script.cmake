# Writes the page's worker from its TEMPLATE: the files it keeps (FILES, a comma-separated list of
# paths in PAGE_DIR) and its cache's name, made of the version that VERSION_HEADER gives and a hash
# of those files, so that any change to them gives a new cache.
#   cmake -DTEMPLATE=service_worker.js.in -DPAGE_DIR=web -DFILES=index.html,zev.js
#         -DVERSION_HEADER=version.h -DOUTPUT=web/sw.js -P worker_script.cmake
cmake_minimum_required(VERSION 3.25)
file(STRINGS ${VERSION_HEADER} version_line REGEX "ZEV_VERSION = \"")
string(REGEX REPLACE ".*ZEV_VERSION = \"([^\"]*)\".*" "\\1" version "${version_line}")
if(version STREQUAL "")
  message(FATAL_ERROR "no version in ${VERSION_HEADER}")
endif()
string(REPLACE "," ";" files "${FILES}")
set(hashes "")
set(quoted "")
foreach(file IN LISTS files)
  file(SHA256 ${PAGE_DIR}/${file} hash)
  string(APPEND hashes "${file} ${hash}\n")
  list(APPEND quoted "'${file}'")
endforeach()
string(SHA256 contents "${hashes}")
string(SUBSTRING "${contents}" 0 12 contents)
set(CACHE_NAME "zev-${version}-${contents}")
list(JOIN quoted ", " FILES)
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
