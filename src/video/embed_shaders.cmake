# Writes .glsl sources into a C++ file as raw strings:
#   cmake -DOUT=file.cpp -DSHADERS="kName=path.glsl,kOther=other.glsl" -P embed_shaders.cmake
string(REPLACE "," ";" shaders "${SHADERS}")
set(body "")
foreach(entry IN LISTS shaders)
  string(REGEX MATCH "^([^=]+)=(.*)$" _ "${entry}")
  file(READ "${CMAKE_MATCH_2}" text)
  string(APPEND body "const char* const ${CMAKE_MATCH_1} = R\"glsl(${text})glsl\";\n")
endforeach()
file(WRITE "${OUT}.tmp"
  "// Generated from the .glsl files in src/video/shaders.\n"
  "#include \"video/video_internal.h\"\n"
  "namespace zu::detail {\n"
  "${body}"
  "}  // namespace zu::detail\n")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
