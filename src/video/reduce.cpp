// Halving pictures on the CPU: a software rasteriser reads every texel of a linearly
// filtered picture shown at half size or less, and the CPU averages them faster, in one
// pass over memory, so that the rasteriser draws at the window's size.
#include <algorithm>
#include <cstring>

#include "video/convert/workers.h"
#include "video/video_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zu::detail {
namespace {

// Loads and stores the components of one pixel of a layout (at most 4).
struct Bytes {
    int n;
    void load(const uint8_t* p, unsigned c[4]) const {
        for (int i = 0; i < n; ++i) c[i] = p[i];
    }
    void store(uint8_t* p, const unsigned c[4]) const {
        for (int i = 0; i < n; ++i) p[i] = uint8_t(c[i]);
    }
};
struct Shorts {
    int n;
    void load(const uint8_t* p, unsigned c[4]) const {
        for (int i = 0; i < n; ++i) {
            uint16_t v;
            std::memcpy(&v, p + 2 * i, 2);
            c[i] = v;
        }
    }
    void store(uint8_t* p, const unsigned c[4]) const {
        for (int i = 0; i < n; ++i) {
            const uint16_t v = uint16_t(c[i]);
            std::memcpy(p + 2 * i, &v, 2);
        }
    }
};
// A 32-bit word of three 10-bit fields and a 2-bit one; little- or big-endian.
struct Word10 {
    int shift[4];  // of the 10-bit fields, then the 2-bit one
    bool bigEndian;
    uint32_t read(const uint8_t* p) const {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return bigEndian ? __builtin_bswap32(v) : v;
    }
    void load(const uint8_t* p, unsigned c[4]) const {
        const uint32_t v = read(p);
        for (int i = 0; i < 4; ++i) c[i] = v >> shift[i] & (i < 3 ? 0x3FFu : 0x3u);
    }
    void store(uint8_t* p, const unsigned c[4]) const {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v |= uint32_t(c[i]) << shift[i];
        if (bigEndian) v = __builtin_bswap32(v);
        std::memcpy(p, &v, 4);
    }
};

// Output pixels [from, n) of a row from source rows a and b (b == a when only x halves):
// each component the rounded mean of the 2 x 2 or 2 x 1 (or 1 x 2) it covers, an odd last
// column paired with itself.
template <class L>
void halveRowTo(const L& l, int bpp, int outBpp, const uint8_t* a, const uint8_t* b, int srcW,
                bool x, int from, int n, uint8_t* d) {
    unsigned p[4][4] = {}, out[4];
    for (int i = from; i < n; ++i) {
        const int j = x ? 2 * i : i, k = x && j + 1 < srcW ? j + 1 : j;
        l.load(a + j * bpp, p[0]), l.load(b + j * bpp, p[1]);
        if (x) l.load(a + k * bpp, p[2]), l.load(b + k * bpp, p[3]);
        for (int c = 0; c < 4; ++c)
            out[c] =
                x ? (p[0][c] + p[1][c] + p[2][c] + p[3][c] + 2) >> 2 : (p[0][c] + p[1][c] + 1) >> 1;
        l.store(d + i * outBpp, out);
    }
}
template <class L>
void halveRowGeneric(const L& l, int bpp, const uint8_t* a, const uint8_t* b, int srcW, bool x,
                     int from, int n, uint8_t* d) {
    halveRowTo(l, bpp, bpp, a, b, srcW, x, from, n, d);
}

// 4-byte pixels, the common case, sixteen bytes at a time where SSE2 is there; opaque
// writes 255 for the fourth byte.
void halveRowBytes4(const uint8_t* a, const uint8_t* b, int srcW, bool x, int n, uint8_t* d,
                    bool opaque) {
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i alpha = opaque ? _mm_set1_epi32(int32_t(0xFF000000u)) : zero;
    if (x) {
        // Four output pixels from eight source pixels of each row: whole pairs only.
        const __m128i two = _mm_set1_epi16(2);
        // Per pixel pair of the four pixels in r: the sum of the two, in 16-bit lanes.
        auto pairs = [&](__m128i r) {
            const __m128i lo = _mm_unpacklo_epi8(r, zero), hi = _mm_unpackhi_epi8(r, zero);
            return _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
        };
        auto load = [](const uint8_t* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        for (; i + 4 <= n && 2 * i + 8 <= srcW; i += 4) {
            const uint8_t *pa = a + 8 * i, *pb = b + 8 * i;
            const __m128i s0 = _mm_add_epi16(_mm_add_epi16(pairs(load(pa)), pairs(load(pb))), two);
            const __m128i s1 =
                _mm_add_epi16(_mm_add_epi16(pairs(load(pa + 16)), pairs(load(pb + 16))), two);
            const __m128i means = _mm_packus_epi16(_mm_srli_epi16(s0, 2), _mm_srli_epi16(s1, 2));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), _mm_or_si128(means, alpha));
        }
    } else {
        // pavgb rounds halves up, as (a + b + 1) >> 1 does.
        for (; i + 4 <= n; i += 4)
            _mm_storeu_si128(
                reinterpret_cast<__m128i*>(d + 4 * i),
                _mm_or_si128(
                    _mm_avg_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 4 * i)),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 4 * i))),
                    alpha));
    }
#endif
    const int tail = i;
    halveRowGeneric(Bytes{4}, 4, a, b, srcW, x, i, n, d);
    for (int j = tail; opaque && j < n; ++j) d[4 * j + 3] = 255;
}

// Four 16-bit components in; out the first three's means rounded to 8 bits (round(v / 257))
// in reverse order, then 255.
struct ShortsTo8 {
    void load(const uint8_t* p, unsigned c[4]) const { Shorts{4}.load(p, c); }
    void store(uint8_t* p, const unsigned c[4]) const {
        for (int i = 0; i < 3; ++i) {
            const unsigned t = c[i] + 128;
            p[2 - i] = uint8_t((t - (t >> 8)) >> 8);
        }
        p[3] = 255;
    }
};

// Four 16-bit components halved along x and y, two output pixels a step where SSE2 is
// there, summed in 32-bit lanes; to8 writes ShortsTo8's bytes.
void halveRowShorts4(const uint8_t* a, const uint8_t* b, int srcW, bool x, int n, uint8_t* d,
                     bool to8) {
    int i = 0;
#if defined(__SSE2__)
    if (x && a != b) {
        const __m128i zero = _mm_setzero_si128(), two = _mm_set1_epi32(2);
        const __m128i bias32 = _mm_set1_epi32(0x8000), bias16 = _mm_set1_epi16(-0x8000);
        const __m128i half = _mm_set1_epi32(128);
        const __m128i opaque = _mm_set1_epi64x(int64_t(0x00FF000000000000));
        // The mean of the pixel pair at p in rows a and b, in 32-bit lanes.
        auto mean = [&](int p) {
            const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8 * p));
            const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8 * p));
            const __m128i s = _mm_add_epi32(
                _mm_add_epi32(_mm_unpacklo_epi16(ra, zero), _mm_unpackhi_epi16(ra, zero)),
                _mm_add_epi32(_mm_unpacklo_epi16(rb, zero), _mm_unpackhi_epi16(rb, zero)));
            return _mm_srli_epi32(_mm_add_epi32(s, two), 2);
        };
        // round(v / 257) as (t - (t >> 8)) >> 8 with t = v + 128, exact for 16-bit v.
        auto to8bits = [&](__m128i v) {
            const __m128i t = _mm_add_epi32(v, half);
            return _mm_srli_epi32(_mm_sub_epi32(t, _mm_srli_epi32(t, 8)), 8);
        };
        for (; i + 2 <= n && 2 * i + 4 <= srcW; i += 2) {
            const __m128i m0 = mean(2 * i), m1 = mean(2 * i + 2);
            if (to8) {
                // Components 2, 1, 0 of each pixel, then 255.
                __m128i words = _mm_packs_epi32(to8bits(m0), to8bits(m1));
                words = _mm_shufflehi_epi16(_mm_shufflelo_epi16(words, 0xC6), 0xC6);
                words = _mm_or_si128(words, opaque);
                _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 4 * i),
                                 _mm_packus_epi16(words, words));
            } else {
                // Shifted into the signed range for the saturating pack, and back.
                const __m128i packed =
                    _mm_packs_epi32(_mm_sub_epi32(m0, bias32), _mm_sub_epi32(m1, bias32));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8 * i),
                                 _mm_xor_si128(packed, bias16));
            }
        }
    }
#endif
    if (to8)
        halveRowTo(ShortsTo8{}, 8, 4, a, b, srcW, x, i, n, d);
    else
        halveRowGeneric(Shorts{4}, 8, a, b, srcW, x, i, n, d);
}

// One-byte samples (a luma plane) halved along x and y, eight outputs a step where SSE2 is
// there.
void halveRowBytes1(const uint8_t* a, const uint8_t* b, int srcW, bool x, int n, uint8_t* d) {
    int i = 0;
#if defined(__SSE2__)
    if (x) {
        const __m128i lowBytes = _mm_set1_epi16(0xFF), two = _mm_set1_epi16(2);
        // The sums of the sample pairs of r, in 16-bit lanes.
        auto pairs = [&](__m128i r) {
            return _mm_add_epi16(_mm_and_si128(r, lowBytes), _mm_srli_epi16(r, 8));
        };
        for (; i + 8 <= n && 2 * i + 16 <= srcW; i += 8) {
            const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 2 * i));
            const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 2 * i));
            const __m128i mean =
                _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(pairs(ra), pairs(rb)), two), 2);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(mean, mean));
        }
    }
#endif
    halveRowGeneric(Bytes{1}, 1, a, b, srcW, x, i, n, d);
}

// The three 10-bit fields' means rounded to bytes (round(v * 255 / 1023)), in the reverse
// order of Word10::shift (B, G, R of the words' R, G, B), then 255.
struct Word10To8 {
    Word10 in;
    void load(const uint8_t* p, unsigned c[4]) const { in.load(p, c); }
    void store(uint8_t* p, const unsigned c[4]) const {
        for (int i = 0; i < 3; ++i) p[2 - i] = uint8_t((c[i] * 255 + 511) / 1023);
        p[3] = 255;
    }
};

// Little-endian 10-bit words halved along x and y, four output words a step where SSE2 is
// there: each field masked out in 32-bit lanes, summed over the rows, then over the pairs.
// to8 writes Word10To8's bytes instead.
void halveRowWord10(const Word10& l, const uint8_t* a, const uint8_t* b, int srcW, bool x, int n,
                    uint8_t* d, bool to8) {
    int i = 0;
#if defined(__SSE2__)
    if (x && a != b && !l.bigEndian) {
        auto load = [](const uint8_t* p) {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        };
        const __m128i two = _mm_set1_epi32(2);
        // The sums of pixel pairs: even lanes of s0 and s1 (pixels 0-3, 4-7) plus odd ones.
        auto pairSums = [](__m128i s0, __m128i s1) {
            const __m128 f0 = _mm_castsi128_ps(s0), f1 = _mm_castsi128_ps(s1);
            return _mm_add_epi32(_mm_castps_si128(_mm_shuffle_ps(f0, f1, 0x88)),
                                 _mm_castps_si128(_mm_shuffle_ps(f0, f1, 0xDD)));
        };
        if (to8) {
            // The two outer fields (20 bits apart) go together: shifted down to bits 0-9 and
            // 20-29, their sums of four fit in place; then 16-bit lanes for the bytes.
            const int lo = std::min(l.shift[0], l.shift[2]);
            const bool redHigh = l.shift[0] > l.shift[2];  // the first field is the high one
            const __m128i shLo = _mm_cvtsi32_si128(lo), shMid = _mm_cvtsi32_si128(l.shift[1]);
            const __m128i outer = _mm_set1_epi32(0x3FF003FF), field = _mm_set1_epi32(0x3FF);
            const __m128i highMean = _mm_set1_epi32(0x03FF0000), round = _mm_set1_epi32(0x00200002);
            const __m128i two16 = _mm_set1_epi16(2), k = _mm_set1_epi16(16336);
            const __m128i alpha = _mm_set1_epi32(int32_t(0xFF000000u));
            for (; i + 4 <= n && 2 * i + 8 <= srcW; i += 4) {
                const __m128i a0 = load(a + 8 * i), a1 = load(a + 8 * i + 16);
                const __m128i b0 = load(b + 8 * i), b1 = load(b + 8 * i + 16);
                auto outerOf = [&](__m128i v) {
                    return _mm_and_si128(_mm_srl_epi32(v, shLo), outer);
                };
                auto midOf = [&](__m128i v) {
                    return _mm_and_si128(_mm_srl_epi32(v, shMid), field);
                };
                const __m128i so = pairSums(_mm_add_epi32(outerOf(a0), outerOf(b0)),
                                            _mm_add_epi32(outerOf(a1), outerOf(b1)));
                const __m128i sm = pairSums(_mm_add_epi32(midOf(a0), midOf(b0)),
                                            _mm_add_epi32(midOf(a1), midOf(b1)));
                // Means (sum + 2) >> 2: the low field's in bits 0-9, the high one's in 16-25.
                const __m128i x = _mm_add_epi32(so, round);
                const __m128i means = _mm_or_si128(_mm_and_si128(_mm_srli_epi32(x, 2), field),
                                                   _mm_and_si128(_mm_srli_epi32(x, 6), highMean));
                const __m128i mid = _mm_srli_epi32(_mm_add_epi32(sm, two), 2);
                // round(v * 255 / 1023) as ((v + 2) * 16336) >> 16, exact for 10-bit v.
                auto to8bits = [&](__m128i v) {
                    return _mm_mulhi_epu16(_mm_add_epi16(v, two16), k);
                };
                __m128i bytes = to8bits(means);  // B and R (or R and B) at bits 0 and 16
                if (!redHigh) bytes = _mm_shufflehi_epi16(_mm_shufflelo_epi16(bytes, 0xB1), 0xB1);
                bytes = _mm_or_si128(_mm_or_si128(bytes, alpha), _mm_slli_epi32(to8bits(mid), 8));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), bytes);
            }
        }
        for (; !to8 && i + 4 <= n && 2 * i + 8 <= srcW; i += 4) {
            const __m128i a0 = load(a + 8 * i), a1 = load(a + 8 * i + 16);
            const __m128i b0 = load(b + 8 * i), b1 = load(b + 8 * i + 16);
            __m128i out = _mm_setzero_si128();
            for (int f = 0; f < 4; ++f) {
                const __m128i m = _mm_set1_epi32(f < 3 ? 0x3FF : 0x3);
                const __m128i sh = _mm_cvtsi32_si128(l.shift[f]);
                auto field = [&](__m128i v) { return _mm_and_si128(_mm_srl_epi32(v, sh), m); };
                const __m128i sums = pairSums(_mm_add_epi32(field(a0), field(b0)),
                                              _mm_add_epi32(field(a1), field(b1)));
                out = _mm_or_si128(out,
                                   _mm_sll_epi32(_mm_srli_epi32(_mm_add_epi32(sums, two), 2), sh));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * i), out);
        }
    }
#endif
    if (to8)
        halveRowTo(Word10To8{l}, 4, 4, a, b, srcW, x, i, n, d);
    else
        halveRowGeneric(l, 4, a, b, srcW, x, i, n, d);
}

void halveRow(HalveLayout layout, const uint8_t* a, const uint8_t* b, int srcW, bool x, int n,
              uint8_t* d) {
    switch (layout) {
        case HalveLayout::Bytes1:
            return halveRowBytes1(a, b, srcW, x, n, d);
        case HalveLayout::Shorts1:
            return halveRowGeneric(Shorts{1}, 2, a, b, srcW, x, 0, n, d);
        case HalveLayout::Bytes4:
        case HalveLayout::Bytes4Opaque:
            return halveRowBytes4(a, b, srcW, x, n, d, layout == HalveLayout::Bytes4Opaque);
        case HalveLayout::Shorts3:
            return halveRowGeneric(Shorts{3}, 6, a, b, srcW, x, 0, n, d);
        case HalveLayout::Shorts4:
            return halveRowShorts4(a, b, srcW, x, n, d, false);
        case HalveLayout::Shorts4To8:
            return halveRowShorts4(a, b, srcW, x, n, d, true);
        case HalveLayout::High10:
        case HalveLayout::High10To8:
            return halveRowWord10(Word10{{22, 12, 2, 0}, false}, a, b, srcW, x, n, d,
                                  layout == HalveLayout::High10To8);
        case HalveLayout::High10BigEndian:
        case HalveLayout::High10BigEndianTo8:
            return halveRowWord10(Word10{{22, 12, 2, 0}, true}, a, b, srcW, x, n, d,
                                  layout == HalveLayout::High10BigEndianTo8);
        case HalveLayout::Low10:
        case HalveLayout::Low10To8:
            return halveRowWord10(Word10{{0, 10, 20, 30}, false}, a, b, srcW, x, n, d,
                                  layout == HalveLayout::Low10To8);
    }
}

}  // namespace

namespace {

// One output row of 8-bit 4:2:2 halved both ways, from input rows a and b: each input pair
// gives one output pixel's luma (the mean of its four samples), and each two input pairs
// one output pair's chroma (the mean of their four samples).
void halveRow422(const uint8_t* a, const uint8_t* b, int outPairs, int yAt, uint8_t* d) {
    const int cAt = 1 - yAt;  // U at cAt, V at cAt + 2
    int k = 0;
#if defined(__SSE2__)
    const __m128i lowBytes = _mm_set1_epi16(0xFF), ones = _mm_set1_epi16(1);
    const __m128i two16 = _mm_set1_epi16(2), two32 = _mm_set1_epi32(2);
    for (; k + 2 <= outPairs; k += 2) {
        // Four input pairs (sixteen bytes) of each row: two output pairs.
        const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + 8 * k));
        const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + 8 * k));
        auto lumaOf = [&](__m128i r) {
            return yAt ? _mm_srli_epi16(r, 8) : _mm_and_si128(r, lowBytes);
        };
        auto chromaOf = [&](__m128i r) {
            return yAt ? _mm_and_si128(r, lowBytes) : _mm_srli_epi16(r, 8);
        };
        // Luma: the four samples of each input pair, in 32-bit lanes, then their means.
        const __m128i ySum = _mm_madd_epi16(_mm_add_epi16(lumaOf(ra), lumaOf(rb)), ones);
        const __m128i y = _mm_srli_epi32(_mm_add_epi32(ySum, two32), 2);  // pairs 0-3
        // Chroma: U V per pair in 16-bit lanes; pairs 0 + 1 and 2 + 3.
        const __m128i c = _mm_add_epi16(chromaOf(ra), chromaOf(rb));
        const __m128i cSum = _mm_add_epi16(c, _mm_shuffle_epi32(c, 0xB1));  // lanes 0 and 2
        const __m128i uv = _mm_srli_epi16(_mm_add_epi16(cSum, two16), 2);
        // Sixteen-bit lanes Y0 Y1 Y2 Y3 and U01 V01 U23 V23, interleaved in the layout's
        // order into the two output pairs.
        const __m128i yPairs = _mm_packs_epi32(y, y);
        const __m128i uvPairs = _mm_shuffle_epi32(uv, 0x88);
        const __m128i words =
            yAt ? _mm_unpacklo_epi16(uvPairs, yPairs) : _mm_unpacklo_epi16(yPairs, uvPairs);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 4 * k), _mm_packus_epi16(words, words));
    }
#endif
    for (; k < outPairs; ++k) {
        const uint8_t *p = a + 8 * k, *q = b + 8 * k;
        uint8_t* o = d + 4 * k;
        for (int j = 0; j < 2; ++j) {
            const int at = 4 * j + yAt;
            o[yAt + 2 * j] = uint8_t((p[at] + p[at + 2] + q[at] + q[at + 2] + 2) >> 2);
        }
        for (int c = cAt; c <= cAt + 2; c += 2)
            o[c] = uint8_t((p[c] + p[c + 4] + q[c] + q[c + 4] + 2) >> 2);
    }
}

}  // namespace

bool halve422(const uint8_t* src, int width, int height, int64_t rowBytes, bool yuyv, uint8_t* dst,
              int64_t dstRowBytes) {
    if (!src || !dst || width <= 0 || height <= 0 || width % 4 || height % 2) return false;
    const int outPairs = width / 4, h = height / 2;
    forRows(h, 8, int64_t(width / 2) * h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r)
            halveRow422(src + 2 * r * rowBytes, src + (2 * r + 1) * rowBytes, outPairs,
                        yuyv ? 0 : 1, dst + r * dstRowBytes);
    });
    return true;
}

bool halveTo8(HalveLayout layout) {
    return layout == HalveLayout::Bytes4Opaque || layout == HalveLayout::Shorts4To8 ||
           layout == HalveLayout::High10To8 || layout == HalveLayout::High10BigEndianTo8 ||
           layout == HalveLayout::Low10To8;
}

HalveLayout halveLayoutTo8(HalveLayout layout) {
    switch (layout) {
        case HalveLayout::Bytes4:
            return HalveLayout::Bytes4Opaque;
        case HalveLayout::Shorts4:
            return HalveLayout::Shorts4To8;
        case HalveLayout::High10:
            return HalveLayout::High10To8;
        case HalveLayout::High10BigEndian:
            return HalveLayout::High10BigEndianTo8;
        case HalveLayout::Low10:
            return HalveLayout::Low10To8;
        default:
            return layout;
    }
}

int halvePixelBytes(HalveLayout layout) {
    switch (layout) {
        case HalveLayout::Bytes1:
            return 1;
        case HalveLayout::Shorts1:
            return 2;
        case HalveLayout::Shorts3:
            return 6;
        case HalveLayout::Shorts4:
        case HalveLayout::Shorts4To8:
            return 8;
        default:
            return 4;
    }
}

void halveImage(HalveLayout layout, const uint8_t* src, int width, int height, int64_t rowBytes,
                bool x, bool y, uint8_t* dst, int64_t dstRowBytes) {
    if (!src || !dst || width <= 0 || height <= 0) return;
    const int w = x ? (width + 1) / 2 : width, h = y ? (height + 1) / 2 : height;
    const int bpp = halvePixelBytes(layout);
    if (halveTo8(layout) && !x && !y) return;  // nothing to halve
    forRows(h, 8, int64_t(w) * h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const int r0 = y ? 2 * r : r, r1 = y && r0 + 1 < height ? r0 + 1 : r0;
            const uint8_t* a = src + r0 * rowBytes;
            uint8_t* d = dst + r * dstRowBytes;
            if (!x && !y)
                std::memcpy(d, a, size_t(w) * bpp);
            else
                halveRow(layout, a, src + r1 * rowBytes, width, x, w, d);
        }
    });
}

}  // namespace zu::detail
