# Script mode: builds the scriptlets base JSON (OUTPUT) from
# assets/scriptlets/manifest.json (MANIFEST): {"version": ..., "scriptlets":
# [{"names": [canonical, aliases...], "scriptlet": "<function source>"}, ...]}
# in manifest order.
file(READ ${MANIFEST} manifest)
get_filename_component(dir ${MANIFEST} DIRECTORY)
string(JSON count LENGTH "${manifest}")
math(EXPR last "${count} - 1")

# A JSON string literal of `text`; scriptlet sources hold no control
# characters besides line feeds, tabs and carriage returns.
string(ASCII 1 2 3 4 5 6 7 8 11 12 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31
       control_characters)
function(json_string text out)
  if(text MATCHES "[${control_characters}]")
    message(FATAL_ERROR "scriptlets base: a control character in a scriptlet")
  endif()
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  string(REPLACE "\n" "\\n" text "${text}")
  string(REPLACE "\r" "\\r" text "${text}")
  string(REPLACE "\t" "\\t" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# Plain string appends: the sources hold semicolons, which CMake lists
# would split on.
set(body "")
foreach(i RANGE ${last})
  string(JSON file GET "${manifest}" ${i} file)
  string(JSON names GET "${manifest}" ${i} names)
  file(READ ${dir}/${file} code)
  string(STRIP "${code}" code)
  if(NOT code MATCHES "^function [A-Za-z0-9_]+\\(source, args\\)")
    message(FATAL_ERROR "scriptlets base: ${file} must hold one function (source, args)")
  endif()
  json_string("${code}" quoted)
  # The names array is re-serialised compactly.
  string(REGEX REPLACE "[ \n]*([],[])[ \n]*" "\\1" names "${names}")
  if(i GREATER 0)
    string(APPEND body ",\n")
  endif()
  string(APPEND body "{\"names\":${names},\"scriptlet\":${quoted}}")
endforeach()
file(WRITE ${OUTPUT} "{\"version\":\"1.6.20\",\"scriptlets\":[\n${body}\n]}\n")
