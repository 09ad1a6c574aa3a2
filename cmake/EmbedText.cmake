# Writes a text file into a C++ source as one raw string constant, so that a
# file kept and checked in its own language (a Python script) ships inside
# the program.
#
#   cmake -DINPUT=FILE -DOUTPUT=FILE.inc -DNAME=kConstant -P EmbedText.cmake
#
# The output is only replaced when its text changes, so nothing is rebuilt
# for an unchanged input.
file(READ "${INPUT}" text)
set(delimiter "embedded")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw-string delimiter )${delimiter}\"")
endif()
file(WRITE "${OUTPUT}.new"
     "// Generated at build time from ${INPUT}; edit that file instead.\n"
     "constexpr const char* ${NAME} = R\"${delimiter}(${text})${delimiter}\";\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
