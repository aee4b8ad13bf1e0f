# Writes a script that defines ZEV_SAMPLE, the motion file MOTION by its name and text, so that the
# page can offer it from disk as well as from a server.
#   cmake -DMOTION=walk.bvh -DOUTPUT=sample.js -P sample_script.cmake
cmake_minimum_required(VERSION 3.25)
file(READ ${MOTION} text)
# A template literal holds the text as it is, once its backslashes, back quotes and "${" are
# escaped; a carriage return is escaped too, as a literal's line ends are read as line feeds.
string(REPLACE "\\" "\\\\" text "${text}")
string(REPLACE "`" "\\`" text "${text}")
string(REPLACE "\${" "\\\${" text "${text}")
string(REPLACE "\r" "\\r" text "${text}")
get_filename_component(name ${MOTION} NAME)
file(WRITE ${OUTPUT} "// Made by the build from the sample motion.\n"
                     "const ZEV_SAMPLE = { name: '${name}', text: `${text}` };\n")
