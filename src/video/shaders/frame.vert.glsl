// The frame quad of the decode and present passes: position and texture coordinate 0.
#version 130

void main() {
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_MultiTexCoord0;
}
