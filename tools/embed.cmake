# Turns a script file into a C++ source holding its text as a byte array.
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" hex_length)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUT} "// Generated from ${IN}; chunk name \"${CHUNK}\".\n"
  "extern const char ${SYMBOL}[];\nextern const char ${SYMBOL}_name[];\n"
  "const char ${SYMBOL}[] = {${bytes}0x00};\nconst char ${SYMBOL}_name[] = \"${CHUNK}\";\n")
