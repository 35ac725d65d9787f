# Writes the .glsl sources into a C++ file as raw strings: cmake -DOUT=... -DVERT=... -DFRAG=... -P
file(READ "${VERT}" vert)
file(READ "${FRAG}" frag)
file(WRITE "${OUT}.tmp"
  "// Generated from ${VERT} and ${FRAG}.\n"
  "#include \"video/video_internal.h\"\n"
  "namespace zu::detail {\n"
  "const char* const kVideoVertexShader = R\"glsl(${vert})glsl\";\n"
  "const char* const kVideoFragmentShader = R\"glsl(${frag})glsl\";\n"
  "}  // namespace zu::detail\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
