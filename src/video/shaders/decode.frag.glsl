// First pass for frames whose texels are bit-packed words: one fragment per picture
// pixel, unpacked exactly (no filtering), converted to RGB and written to an RGBA8
// picture that the present pass then scales. 4:2:2 chroma of an odd pixel is the mean
// of its pair's and the next pair's, as the CPU converter computes it.
#version 130

uniform usampler2D words;  // the frame as uploaded: one 32-bit word per texel
uniform int Mode;          // see kDecode... in gpu_display.cpp
uniform int Pairs;         // chroma pairs in a row (4:2:2 modes)
uniform mat4 Mix;          // codes to RGB 0-1, with Bias
uniform vec4 Bias;

uint word(int x, int row) {
    return texelFetch(words, ivec2(x, row), 0).r;
}
float field(uint w, int shift, uint mask) {
    return float((w >> uint(shift)) & mask);
}

// 10-bit 4:2:2 ("v219"): word and shift of each pixel's Y and each pair's U and V.
const int kYWord[6] = int[6](0, 1, 1, 2, 3, 3);
const int kYShift[6] = int[6](10, 0, 20, 10, 0, 20);
const int kUWord[3] = int[3](0, 1, 2);
const int kUShift[3] = int[3](0, 10, 20);
const int kVWord[3] = int[3](0, 2, 3);
const int kVShift[3] = int[3](20, 0, 10);

vec2 chroma10(int pair, int row) {
    int g = pair / 3, j = pair - 3 * g;
    return vec2(field(word(4 * g + kUWord[j], row), kUShift[j], 1023u),
                field(word(4 * g + kVWord[j], row), kVShift[j], 1023u));
}
vec2 chroma8(uint w) {
#if MODE == 1
    return vec2(field(w, 0, 255u), field(w, 16, 255u));
#else
    return vec2(field(w, 8, 255u), field(w, 24, 255u));
#endif
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    vec4 v = vec4(0.0, 0.0, 0.0, 1.0);
#if MODE == 1 || MODE == 2
    // 8-bit 4:2:2, a pair per word: U Y0 V Y1 (1) or Y0 U Y1 V (2) from the low byte.
    int pair = p.x >> 1;
    bool odd = (p.x & 1) == 1;
    uint w = word(pair, p.y);
    int yShift = (MODE == 1 ? 8 : 0) + (odd ? 16 : 0);
    vec2 c = chroma8(w);
    if (odd && pair + 1 < Pairs) c = (c + chroma8(word(pair + 1, p.y))) * 0.5;
    v.xyz = vec3(field(w, yShift, 255u), c);
#elif MODE == 3
    int g = p.x / 6, k = p.x - 6 * g, pair = p.x >> 1;
    vec2 c = chroma10(pair, p.y);
    if ((p.x & 1) == 1 && pair + 1 < Pairs) c = (c + chroma10(pair + 1, p.y)) * 0.5;
    v.xyz = vec3(field(word(4 * g + kYWord[k], p.y), kYShift[k], 1023u), c);
#else
    uint w = word(p.x, p.y);
#if MODE == 5  // stored big-endian
    w = (w >> 24) | ((w >> 8) & 0xFF00u) | ((w << 8) & 0xFF0000u) | (w << 24);
#endif
#if MODE == 4 || MODE == 5  // R at bit 22, G at 12, B at 2
    v.xyz = vec3(field(w, 22, 1023u), field(w, 12, 1023u), field(w, 2, 1023u));
#else  // three 10-bit fields from bit 0 up (R G B, or Y U V)
    v.xyz = vec3(field(w, 0, 1023u), field(w, 10, 1023u), field(w, 20, 1023u));
#endif
#endif
    gl_FragColor = clamp(Mix * v + Bias, 0.0, 1.0);
}
