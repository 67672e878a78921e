# Script mode of ovcore_embed_file(): writes OUTPUT, a C++ source holding the
# bytes of INPUT as SYMBOL and SYMBOL_size.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Sixteen bytes per line keep the generated file readable in a debugger.
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char ${SYMBOL}[];\n"
  "extern const size_t ${SYMBOL}_size;\n"
  "const unsigned char ${SYMBOL}[] = {\n    ${bytes}0x00};\n"
  "const size_t ${SYMBOL}_size = ${size};\n")
