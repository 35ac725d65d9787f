// First pass for frames whose texels are bit-packed words: one fragment per picture
// pixel, unpacked exactly (no filtering), converted to RGB and written to an RGBA8
// picture that the present pass then scales. 4:2:2 chroma of an odd pixel is the mean
// of its pair's and the next pair's, as the CPU converter computes it. MODE (kDecode... in
// gpu_display.cpp) is defined when the program is built: one program per mode, since a
// software rasteriser would run every branch of a run-time choice for each fragment.
#version 130

uniform sampler2D words;  // the frame as uploaded: a 32-bit word's 4 bytes per texel
uniform int Pairs;        // chroma pairs in a row (4:2:2 modes)
uniform mat4 Mix;         // codes to RGB 0-1, with Bias
uniform vec4 Bias;

// The word's bytes, lowest first, as exact whole numbers: a software rasteriser reads
// normalised bytes far faster than integer texels, and float arithmetic on whole numbers
// below 2^24 is exact.
vec4 word(int x, int row) {
    return floor(texelFetch(words, ivec2(x, row), 0) * 255.0 + 0.5);
}
// Bits shift .. shift + 9 of the word (shift 0, 2, 10, 12, 20 or 22), or the byte at
// shift (8-bit fields, shift a multiple of 8).
float field(vec4 b, int shift, int bits) {
    if (bits == 8) return shift == 0 ? b.x : shift == 8 ? b.y : shift == 16 ? b.z : b.w;
    if (shift == 0) return b.x + mod(b.y, 4.0) * 256.0;
    if (shift == 2) return floor(b.x / 4.0) + mod(b.y, 16.0) * 64.0;
    if (shift == 10) return floor(b.y / 4.0) + mod(b.z, 16.0) * 64.0;
    if (shift == 12) return floor(b.y / 16.0) + mod(b.z, 64.0) * 16.0;
    if (shift == 20) return floor(b.z / 16.0) + mod(b.w, 64.0) * 16.0;
    return floor(b.z / 64.0) + b.w * 4.0;  // 22
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
    return vec2(field(word(4 * g + kUWord[j], row), kUShift[j], 10),
                field(word(4 * g + kVWord[j], row), kVShift[j], 10));
}
vec2 chroma8(vec4 w) {
#if MODE == 1
    return w.xz;
#else
    return w.yw;
#endif
}

void main() {
    ivec2 p = ivec2(gl_FragCoord.xy);
    vec4 v = vec4(0.0, 0.0, 0.0, 1.0);
#if MODE == 1 || MODE == 2
    // 8-bit 4:2:2, a pair per word: U Y0 V Y1 (1) or Y0 U Y1 V (2) from the low byte.
    int pair = p.x >> 1;
    bool odd = (p.x & 1) == 1;
    vec4 w = word(pair, p.y);
    vec2 c = chroma8(w);
    if (odd && pair + 1 < Pairs) c = (c + chroma8(word(pair + 1, p.y))) * 0.5;
#if MODE == 1
    v.xyz = vec3(odd ? w.w : w.y, c);
#else
    v.xyz = vec3(odd ? w.z : w.x, c);
#endif
#elif MODE == 3
    int g = p.x / 6, k = p.x - 6 * g, pair = p.x >> 1;
    vec2 c = chroma10(pair, p.y);
    if ((p.x & 1) == 1 && pair + 1 < Pairs) c = (c + chroma10(pair + 1, p.y)) * 0.5;
    v.xyz = vec3(field(word(4 * g + kYWord[k], p.y), kYShift[k], 10), c);
#else
    vec4 w = word(p.x, p.y);
#if MODE == 5  // stored big-endian
    w = w.wzyx;
#endif
#if MODE == 4 || MODE == 5  // R at bit 22, G at 12, B at 2
    v.xyz = vec3(field(w, 22, 10), field(w, 12, 10), field(w, 2, 10));
#else  // three 10-bit fields from bit 0 up (R G B, or Y U V)
    v.xyz = vec3(field(w, 0, 10), field(w, 10, 10), field(w, 20, 10));
#endif
#endif
    gl_FragColor = clamp(Mix * v + Bias, 0.0, 1.0);
}
