// Planar YUV frames (and 10-bit 4:2:2 words) shown at half size or less on a software
// renderer: halved and converted to 8-bit RGB in one pass over the planes, split over the
// converter's workers, so that the rasteriser only draws a window-sized RGB picture (its cheapest
// draw) and the upload carries a quarter of the pixels.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "video/convert/workers.h"
#include "video/video_internal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace zu::detail {
namespace {

// Values carry 6 fractional bits of the 8-bit code unit; coefficients 13.
constexpr int kValueBits = 6, kCoefBits = 13;
constexpr int kRound = 1 << (kValueBits + kCoefBits - 1);

struct HalfKernel {
    // Samples are shifted right by a pre shift (so that the sums of 16-bit samples fit 16
    // bits), summed, then shifted by a post shift (left when positive, right and rounded
    // when negative) into 8-bit units with kValueBits fraction bits.
    int lumaPre, lumaPost, chromaPre, chromaPost;
    bool leftSited, chromaRows2;  // chroma weights 3 : 1 along x; two chroma rows per output
    bool interleaved;             // U and V alternate in one plane
    int16_t yOff;                 // luma offset in value units
    int16_t kY, kRv, kGu, kGv, kBu;
    int slot[4];  // byte of R, G, B, A in a destination pixel
};

inline int32_t post(int32_t v, int shift) {
    return shift >= 0 ? v << shift : (v + (1 << (-shift - 1))) >> -shift;
}

template <class T>
inline int32_t at(const uint8_t* row, int i) {
    T v;
    std::memcpy(&v, row + i * int(sizeof(T)), sizeof(T));
    return int32_t(v);
}

inline uint8_t clamp8(int32_t v) {
    v >>= kValueBits + kCoefBits;
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Rows of an output row's sources: luma l0 and l1; chroma c0 and c1 of U and V (equal for
// 4:2:0), U and V at sample uAt and vAt of each chroma sample's place.
struct Rows {
    const uint8_t *l0, *l1, *u0, *u1, *v0, *v1;
    int uAt, vAt;
};

// Output pixels [from, n) one at a time: the reference the vector code matches exactly.
template <class T>
void convertScalar(const HalfKernel& k, const Rows& s, int from, int n, uint8_t* d) {
    const int cs = k.interleaved ? 2 : 1;
    auto luma = [&](const uint8_t* row, int i) { return at<T>(row, i) >> k.lumaPre; };
    auto chroma = [&](const uint8_t* a, const uint8_t* b, int i) {
        int32_t c = at<T>(a, i) >> k.chromaPre;
        if (k.chromaRows2) c += at<T>(b, i) >> k.chromaPre;
        return c;
    };
    for (int x = from; x < n; ++x) {
        const int32_t ys =
            luma(s.l0, 2 * x) + luma(s.l0, 2 * x + 1) + luma(s.l1, 2 * x) + luma(s.l1, 2 * x + 1);
        const int i = x * cs, j = (x + 1 < n ? x + 1 : x) * cs;
        int32_t u = chroma(s.u0, s.u1, i + s.uAt), v = chroma(s.v0, s.v1, i + s.vAt);
        if (k.leftSited)
            u = 3 * u + chroma(s.u0, s.u1, j + s.uAt), v = 3 * v + chroma(s.v0, s.v1, j + s.vAt);
        const int32_t yv = int16_t(post(ys, k.lumaPost)) - k.yOff;
        const int32_t uv = int16_t(post(u, k.chromaPost) - (128 << kValueBits));
        const int32_t vv = int16_t(post(v, k.chromaPost) - (128 << kValueBits));
        const int32_t y = k.kY * yv + kRound;
        uint8_t* p = d + 4 * x;
        p[k.slot[0]] = clamp8(y + k.kRv * vv);
        p[k.slot[1]] = clamp8(y + k.kGu * uv + k.kGv * vv);
        p[k.slot[2]] = clamp8(y + k.kBu * uv);
        if (k.slot[3] >= 0) p[k.slot[3]] = 255;
    }
}

#if defined(__SSE2__)
// Eight samples from sample i of a row as 16-bit lanes, shifted right by pre.
template <class T>
inline __m128i load8(const uint8_t* row, int i, __m128i pre) {
    if (sizeof(T) == 1)
        return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + i)),
                                 _mm_setzero_si128());
    return _mm_srl_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 2 * i)), pre);
}

// 16-bit lanes shifted by a post shift (see HalfKernel), unsigned.
inline __m128i postShift(__m128i v, int shift) {
    if (shift >= 0) return _mm_sll_epi16(v, _mm_cvtsi32_si128(shift));
    v = _mm_add_epi16(v, _mm_set1_epi16(int16_t(1 << (-shift - 1))));
    return _mm_srl_epi16(v, _mm_cvtsi32_si128(-shift));
}

// Eight output pixels' chroma from sample i on: 3 : 1 with the next sample (step apart)
// when left-sited, summed over two rows for 4:2:2; centred on zero, in value units.
template <class T>
inline __m128i chroma8(const HalfKernel& k, const uint8_t* a, const uint8_t* b, int i, int step) {
    const __m128i pre = _mm_cvtsi32_si128(k.chromaPre);
    __m128i c = load8<T>(a, i, pre);
    if (k.chromaRows2) c = _mm_add_epi16(c, load8<T>(b, i, pre));
    if (k.leftSited) {
        __m128i next = load8<T>(a, i + step, pre);
        if (k.chromaRows2) next = _mm_add_epi16(next, load8<T>(b, i + step, pre));
        c = _mm_add_epi16(_mm_add_epi16(c, _mm_add_epi16(c, c)), next);
    }
    return _mm_sub_epi16(postShift(c, k.chromaPost), _mm_set1_epi16(128 << kValueBits));
}

// Luma of eight output pixels from output pixel x on, in value units.
template <class T>
inline __m128i luma8(const HalfKernel& k, const Rows& s, int x) {
    if (sizeof(T) == 1) {
        const __m128i lowBytes = _mm_set1_epi16(0xFF);
        const __m128i ra = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.l0 + 2 * x));
        const __m128i rb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.l1 + 2 * x));
        const __m128i sum =
            _mm_add_epi16(_mm_add_epi16(_mm_and_si128(ra, lowBytes), _mm_srli_epi16(ra, 8)),
                          _mm_add_epi16(_mm_and_si128(rb, lowBytes), _mm_srli_epi16(rb, 8)));
        return postShift(sum, k.lumaPost);
    }
    // Pairs summed in 32-bit lanes, then shifted and packed.
    const __m128i pre = _mm_cvtsi32_si128(k.lumaPre), low = _mm_set1_epi32(0xFFFF);
    auto half = [&](int i) {
        const __m128i v = _mm_add_epi16(load8<T>(s.l0, i, pre), load8<T>(s.l1, i, pre));
        __m128i sum = _mm_add_epi32(_mm_and_si128(v, low), _mm_srli_epi32(v, 16));
        if (k.lumaPost >= 0) return _mm_sll_epi32(sum, _mm_cvtsi32_si128(k.lumaPost));
        sum = _mm_add_epi32(sum, _mm_set1_epi32(1 << (-k.lumaPost - 1)));
        return _mm_srl_epi32(sum, _mm_cvtsi32_si128(-k.lumaPost));
    };
    return _mm_packs_epi32(half(2 * x), half(2 * x + 8));
}

// Four pixels' B, G, R in 32-bit lanes from their luma terms and interleaved U V.
struct Bgr4 {
    __m128i b, g, r;
};
inline Bgr4 matrix4(const HalfKernel& k, __m128i yTerm, __m128i uv) {
    const __m128i kR = _mm_set1_epi32(int32_t(uint32_t(uint16_t(k.kRv)) << 16));
    const __m128i kG = _mm_set1_epi32(int32_t(uint16_t(k.kGu) | uint32_t(uint16_t(k.kGv)) << 16));
    const __m128i kB = _mm_set1_epi32(uint16_t(k.kBu));
    const int s = kValueBits + kCoefBits;
    return {_mm_srai_epi32(_mm_add_epi32(yTerm, _mm_madd_epi16(uv, kB)), s),
            _mm_srai_epi32(_mm_add_epi32(yTerm, _mm_madd_epi16(uv, kG)), s),
            _mm_srai_epi32(_mm_add_epi32(yTerm, _mm_madd_epi16(uv, kR)), s)};
}
#endif

// One output row of n pixels.
template <class T>
void convertRow(const HalfKernel& k, const Rows& s, int n, uint8_t* d) {
    int x = 0;
#if defined(__SSE2__)
    // Destination bytes B, G, R, A; the next chroma sample read for the last pixel of a
    // block must exist.
    if (k.slot[0] == 2 && k.slot[1] == 1 && k.slot[2] == 0 && k.slot[3] == 3) {
        const __m128i zero = _mm_setzero_si128(), ff = _mm_set1_epi16(0xFF);
        const __m128i yOff = _mm_set1_epi16(k.yOff), kY = _mm_set1_epi32(uint16_t(k.kY));
        const __m128i round = _mm_set1_epi32(kRound);
        for (; x + 9 <= n; x += 8) {
            const __m128i y = _mm_sub_epi16(luma8<T>(k, s, x), yOff);
            __m128i uv0, uv1;
            if (k.interleaved) {
                // Lanes U V U V: four pixels each.
                const __m128i u0 = chroma8<T>(k, s.u0, s.u1, 2 * x, 2);
                const __m128i u1 = chroma8<T>(k, s.u0, s.u1, 2 * x + 8, 2);
                uv0 = s.uAt ? _mm_shufflelo_epi16(_mm_shufflehi_epi16(u0, 0xB1), 0xB1) : u0;
                uv1 = s.uAt ? _mm_shufflelo_epi16(_mm_shufflehi_epi16(u1, 0xB1), 0xB1) : u1;
            } else {
                const __m128i u = chroma8<T>(k, s.u0, s.u1, x, 1);
                const __m128i v = chroma8<T>(k, s.v0, s.v1, x, 1);
                uv0 = _mm_unpacklo_epi16(u, v), uv1 = _mm_unpackhi_epi16(u, v);
            }
            const __m128i y0 =
                _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(y, zero), kY), round);
            const __m128i y1 =
                _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(y, zero), kY), round);
            const Bgr4 p0 = matrix4(k, y0, uv0), p1 = matrix4(k, y1, uv1);
            const __m128i b = _mm_packs_epi32(p0.b, p1.b), g = _mm_packs_epi32(p0.g, p1.g);
            const __m128i r = _mm_packs_epi32(p0.r, p1.r);
            const __m128i bg = _mm_unpacklo_epi8(_mm_packus_epi16(b, b), _mm_packus_epi16(g, g));
            const __m128i ra = _mm_unpacklo_epi8(_mm_packus_epi16(r, r), ff);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x), _mm_unpacklo_epi16(bg, ra));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x + 16),
                             _mm_unpackhi_epi16(bg, ra));
        }
    }
#endif
    convertScalar<T>(k, s, x, n, d);
}

// log2 of a power of two given as a double.
int log2Of(double v) {
    return int(std::lround(std::log2(v)));
}

}  // namespace

namespace {

// A 4-byte 8-bit RGB destination of half the source's size.
bool halfDestination(const DstImage& dst, int width, int height) {
    const FormatInfo* df = formatInfo(dst.format);
    return df && df->family == Family::Rgb8 && df->bytesPerPixel == 4 && dst.pixels && width > 0 &&
           height > 0 && width % 2 == 0 && height % 2 == 0 && dst.width == width / 2 &&
           dst.height == height / 2 && dst.rowBytes >= int64_t(dst.width) * 4;
}

// Row r of the picture: row r of dst, or row height - 1 - r when the rows go upwards.
uint8_t* dstRow(const DstImage& dst, int r, bool rowsUp) {
    return static_cast<uint8_t*>(dst.pixels) +
           int64_t(rowsUp ? dst.height - 1 - r : r) * dst.rowBytes;
}

// The kernel for samples of sampleBytes whose codes are codeTo8 8-bit units.
HalfKernel makeKernel(int sampleBytes, double codeTo8, bool interleaved, bool leftSited,
                      bool chromaRows2, const YuvToRgb& t, const DstImage& dst) {
    HalfKernel k{};
    k.interleaved = interleaved;
    k.leftSited = leftSited;
    k.chromaRows2 = chromaRows2;
    // Samples summed: luma 4; chroma 1 (centred) or 4 (3 : 1) per row, times its rows.
    const int chromaLog2 = (k.leftSited ? 2 : 0) + (k.chromaRows2 ? 1 : 0);
    // A sum of codes to value units is a shift by toValue less the sum's log2.
    const int toValue = log2Of(codeTo8) + kValueBits;
    if (sampleBytes == 2 && codeTo8 < 1.0 / 8) {
        // 16-bit codes: room for the sums in 16 bits, the precision lost far below 8 bits.
        k.lumaPre = 2, k.chromaPre = chromaLog2 + 1;
    }
    k.lumaPost = toValue - 2 + k.lumaPre;
    k.chromaPost = toValue - chromaLog2 + k.chromaPre;
    auto coef = [](double v) { return int16_t(std::lround(v * (1 << kCoefBits))); };
    k.kY = coef(t.m[0][0]), k.kRv = coef(t.m[0][2]);
    k.kGu = coef(t.m[1][1]), k.kGv = coef(t.m[1][2]), k.kBu = coef(t.m[2][1]);
    k.yOff = int16_t(std::lround(t.off[0] * (1 << kValueBits)));
    const FormatInfo* df = formatInfo(dst.format);
    for (int i = 0; i < 4; ++i) k.slot[i] = df->slot[i];
    return k;
}

// One v210 group (four words: six pixels, three pairs) of two rows, summed over the rows:
// each pixel pair's two luma samples summed too, into ySums[0, 2, 4] (the odd entries stay
// as they are), and each pair's U and V into uSums and vSums.
inline void sumGroup(const uint8_t* a, const uint8_t* b, uint16_t* ySums, uint16_t* uSums,
                     uint16_t* vSums) {
    uint32_t f[3][4];  // fields at bits 0, 10, 20 of words 0-3, two rows summed
#if defined(__SSE2__)
    const __m128i m = _mm_set1_epi32(0x3FF);
    const __m128i wa = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a));
    const __m128i wb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b));
    for (int i = 0; i < 3; ++i) {
        const __m128i sh = _mm_cvtsi32_si128(10 * i);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(f[i]),
                         _mm_add_epi32(_mm_and_si128(_mm_srl_epi32(wa, sh), m),
                                       _mm_and_si128(_mm_srl_epi32(wb, sh), m)));
    }
#else
    uint32_t wa[4], wb[4];
    std::memcpy(wa, a, 16), std::memcpy(wb, b, 16);
    for (int i = 0; i < 3; ++i)
        for (int w = 0; w < 4; ++w) f[i][w] = (wa[w] >> 10 * i & 0x3FF) + (wb[w] >> 10 * i & 0x3FF);
#endif
    // Words: U0 Y0 V0 | Y1 U1 Y2 | V1 Y3 U2 | Y4 V2 Y5, fields from bit 0 up.
    ySums[0] = uint16_t(f[1][0] + f[0][1]);
    ySums[2] = uint16_t(f[2][1] + f[1][2]);
    ySums[4] = uint16_t(f[0][3] + f[2][3]);
    uSums[0] = uint16_t(f[0][0]), uSums[1] = uint16_t(f[1][1]), uSums[2] = uint16_t(f[2][2]);
    vSums[0] = uint16_t(f[2][0]), vSums[1] = uint16_t(f[0][2]), vSums[2] = uint16_t(f[1][3]);
}

}  // namespace

bool v210HalfToRgb(const uint8_t* src, int width, int height, int64_t rowBytes, const DstImage& dst,
                   const YuvToRgb& t, bool rowsUp) {
    const FormatInfo* f = formatInfo(ZU_PF_v219);
    constexpr int kMaxWidth = kV210HalfMaxWidth;
    if (!src || !f || !halfDestination(dst, width, height) || width > kMaxWidth ||
        rowBytes < minRowBytes(*f, width))
        return false;
    // The chroma of each odd pixel is the mean of its pair's and the next pair's, as the
    // converter and the frame shaders read these formats: halved, weights 3 : 1.
    const HalfKernel k = makeKernel(2, 0.25, false, true, true, t, dst);
    const int groups = (width + 5) / 6, n = dst.width;
    forRows(dst.height, 8, int64_t(n) * dst.height, [&](int begin, int end) {
        // The two rows' sums go to the kernel as its first rows, zeros as its second: luma
        // sums at even places beside zeros, so that the kernel's 2 x 2 sums are these.
        constexpr int kGroups = (kMaxWidth + 5) / 6;
        uint16_t y[kGroups * 6] = {}, u[kGroups * 3], v[kGroups * 3], zero[kGroups * 6] = {};
        for (int r = begin; r < end; ++r) {
            const uint8_t* a = src + 2 * r * rowBytes;
            for (int g = 0; g < groups; ++g)
                sumGroup(a + 16 * g, a + rowBytes + 16 * g, y + 6 * g, u + 3 * g, v + 3 * g);
            Rows rows;
            rows.l0 = reinterpret_cast<const uint8_t*>(y);
            rows.u0 = reinterpret_cast<const uint8_t*>(u);
            rows.v0 = reinterpret_cast<const uint8_t*>(v);
            rows.l1 = rows.u1 = rows.v1 = reinterpret_cast<const uint8_t*>(zero);
            rows.uAt = rows.vAt = 0;
            convertRow<uint16_t>(k, rows, n, dstRow(dst, r, rowsUp));
        }
    });
    return true;
}

bool planarHalfToRgb(const PlanarImage& s, const DstImage& dst, const YuvToRgb& t, bool centreSited,
                     bool rowsUp) {
    const PlanarInfo* p = planarInfo(s.format);
    if (!p || checkPlanar(s) || p->chromaDivX != 2 || !halfDestination(dst, s.width, s.height))
        return false;
    const HalfKernel k = makeKernel(p->sampleBytes, p->codeTo8, p->interleaved, !centreSited,
                                    p->chromaDivY == 1, t, dst);

    const auto* yBase = static_cast<const uint8_t*>(s.planes[0]);
    const auto* uBase = static_cast<const uint8_t*>(s.planes[1]);
    const auto* vBase = static_cast<const uint8_t*>(s.planes[p->interleaved ? 1 : 2]);
    int64_t uStride = s.rowBytes[1], vStride = s.rowBytes[p->interleaved ? 1 : 2];
    int uAt = 0, vAt = p->interleaved ? 1 : 0;
    if (p->swapChroma) {
        std::swap(uBase, vBase), std::swap(uStride, vStride);
        if (p->interleaved) std::swap(uAt, vAt);
    }
    const int n = dst.width, h = dst.height;
    const bool bytes = p->sampleBytes == 1;
    forRows(h, 8, int64_t(n) * h, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            const int64_t c0 = k.chromaRows2 ? 2 * r : r, c1 = k.chromaRows2 ? 2 * r + 1 : r;
            Rows rows;
            rows.l0 = yBase + 2 * r * int64_t(s.rowBytes[0]);
            rows.l1 = rows.l0 + s.rowBytes[0];
            rows.u0 = uBase + c0 * uStride, rows.u1 = uBase + c1 * uStride;
            rows.v0 = vBase + c0 * vStride, rows.v1 = vBase + c1 * vStride;
            rows.uAt = uAt, rows.vAt = vAt;
            uint8_t* d = dstRow(dst, r, rowsUp);
            if (bytes)
                convertRow<uint8_t>(k, rows, n, d);
            else
                convertRow<uint16_t>(k, rows, n, d);
        }
    });
    return true;
}

}  // namespace zu::detail
