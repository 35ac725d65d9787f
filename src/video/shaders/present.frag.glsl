// Draws the picture scaled into the window: texels filtered by the texture unit (linear
// or nearest), planes gathered into one value, the value mixed into RGB by an affine
// matrix (channel order, range and, for YUV, the colour matrix), then each channel
// optionally passed through the 1D look-up texture. PLANES (1 packed, 2 luma and
// interleaved chroma, 3 three planes), LUT and MIX (0 or 1; MIX 0 for pictures already
// RGB, which a software rasteriser then draws many times faster) are
// defined when the program is built: a software rasteriser would run every branch of a
// run-time choice.
#version 130

uniform sampler2D tex0;  // the picture, or the luma plane
uniform sampler2D tex1;  // chroma: interleaved (Planes 2) or the first plane (Planes 3)
uniform sampler2D tex2;  // the second chroma plane (Planes 3)
uniform ivec2 ChromaSize;   // chroma samples per row and rows
uniform float ChromaShift;  // chroma siting: samples are this many texels right of centre
uniform mat4 Mix;
uniform vec4 Bias;
uniform sampler1D tex1DLut;  // 256 RGB entries

// Chroma interpolated between the four nearest samples in full precision (a filtering
// unit may round its weights and results to the texel's 8 bits).
vec2 chromaPair(ivec2 at) {
#if PLANES == 2
    return texelFetch(tex1, at, 0).rg;
#else
    return vec2(texelFetch(tex1, at, 0).r, texelFetch(tex2, at, 0).r);
#endif
}
vec2 chroma(vec2 st) {
    vec2 c = st * vec2(ChromaSize) - 0.5 - vec2(ChromaShift, 0.0);
    vec2 i = floor(c), f = c - i;
    ivec2 lo = clamp(ivec2(i), ivec2(0), ChromaSize - 1);
    ivec2 hi = clamp(ivec2(i) + 1, ivec2(0), ChromaSize - 1);
    vec2 top = mix(chromaPair(lo), chromaPair(ivec2(hi.x, lo.y)), f.x);
    vec2 bottom = mix(chromaPair(ivec2(lo.x, hi.y)), chromaPair(hi), f.x);
    return mix(top, bottom, f.y);
}

void main() {
    vec2 st = gl_TexCoord[0].st;
#if PLANES == 1
    vec4 v = texture(tex0, st);
#else
    vec4 v = vec4(texture(tex0, st).r, chroma(st), 1.0);
#endif
#if MIX
    vec4 colour = clamp(Mix * v + Bias, 0.0, 1.0);
#else
    vec4 colour = v;
#endif
#if LUT
    colour.r = texture(tex1DLut, colour.r).r;
    colour.g = texture(tex1DLut, colour.g).g;
    colour.b = texture(tex1DLut, colour.b).b;
#endif
    gl_FragColor = vec4(colour.rgb, 1.0);
}
