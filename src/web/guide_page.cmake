# Writes the user's guide as a page: GUIDE (Markdown) turned into HTML by CMARK_GFM, with its
# tables, inside TEMPLATE in place of @GUIDE@. Its pictures keep their relative addresses.
#   cmake -DCMARK_GFM=cmark-gfm -DGUIDE=guide.md -DTEMPLATE=guide.html.in -DOUTPUT=guide.html
#         -P guide_page.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CMARK_GFM} --extension table ${GUIDE} OUTPUT_VARIABLE body
                RESULT_VARIABLE failed ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "${CMARK_GFM} ${GUIDE} failed: ${errors}")
endif()
file(READ ${TEMPLATE} page)
string(REPLACE "@GUIDE@" "${body}" page "${page}")
file(WRITE ${OUTPUT} "${page}")
