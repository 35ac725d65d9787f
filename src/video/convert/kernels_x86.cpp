// Row kernels of the hot paths. SSE2 is the x86-64 baseline; AVX2 kernels are compiled
// with target attributes and chosen at run time. Each one matches its scalar reference
// bit for bit: integer kernels by using the same saturating lanes, double kernels by
// doing the same IEEE operations in the same order.
#include <immintrin.h>

#include <algorithm>

#include "video/convert/convert.h"
#include "video/convert/pixel_io.h"

namespace zu::detail {

bool cpuHasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

Kernel bestKernel() {
    return cpuHasAvx2() ? Kernel::Avx2 : Kernel::Sse2;
}

// ---- fast path -----------------------------------------------------------------------

void fastRowScalar(const FastRowArgs& a) {
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    for (int k = 0; k < a.pairs; ++k, g += 4 * a.step, d += 8) {
        const short* cb = a.cb[g[a.uOff]];
        const short* cr = a.cr[g[a.vOff]];
        const short* y0 = a.luma[g[a.yOff0]];
        const short* y1 = a.luma[g[a.yOff1]];
        for (int i = 0; i < 4; ++i) {
            int s0 = std::clamp(std::clamp(y0[i] + cb[i], -32768, 32767) + cr[i], -32768, 32767);
            int s1 = std::clamp(std::clamp(y1[i] + cb[i], -32768, 32767) + cr[i], -32768, 32767);
            d[i] = uint8_t(std::clamp(s0, 0, 255));
            d[4 + i] = uint8_t(std::clamp(s1, 0, 255));
        }
    }
}

namespace {

inline __m128i load64(const short* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

// Both pixels of one pair as eight 16-bit lanes.
inline __m128i fastPair(const FastRowArgs& a, const uint8_t* g) {
    __m128i y = _mm_unpacklo_epi64(load64(a.luma[g[a.yOff0]]), load64(a.luma[g[a.yOff1]]));
    __m128i cb = load64(a.cb[g[a.uOff]]);
    __m128i cr = load64(a.cr[g[a.vOff]]);
    cb = _mm_unpacklo_epi64(cb, cb);
    cr = _mm_unpacklo_epi64(cr, cr);
    return _mm_adds_epi16(_mm_adds_epi16(y, cb), cr);
}

}  // namespace

void fastRowSse2(const FastRowArgs& a) {
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const int stride = 4 * a.step;
    int k = 0;
    for (; k + 2 <= a.pairs; k += 2, g += 2 * stride, d += 16) {
        __m128i p0 = fastPair(a, g);
        __m128i p1 = fastPair(a, g + stride);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(p0, p1));
    }
    if (k < a.pairs) {
        __m128i p0 = fastPair(a, g);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(p0, p0));
    }
}

__attribute__((target("avx2"))) void fastRowAvx2(const FastRowArgs& a) {
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const int stride = 4 * a.step;
    int k = 0;
    for (; k + 4 <= a.pairs; k += 4, g += 4 * stride, d += 32) {
        // Lanes hold pairs (0, 2) and (1, 3) so the in-lane pack yields 0, 1, 2, 3.
        __m256i lo = _mm256_set_m128i(fastPair(a, g + 2 * stride), fastPair(a, g));
        __m256i hi = _mm256_set_m128i(fastPair(a, g + 3 * stride), fastPair(a, g + stride));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_packus_epi16(lo, hi));
    }
    FastRowArgs rest = a;
    rest.src = g;
    rest.dst = d;
    rest.pairs = a.pairs - k;
    fastRowSse2(rest);
}

// ---- fallback 4:2:2 to 8-bit RGB -------------------------------------------------------

void fallbackRowScalar(const FallbackRowArgs& a) {
    const FallbackTerms& t = *a.terms;
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    for (int k = 0; k < a.pairs; ++k, g += 4, d += 8) {
        int y0 = g[a.yOff0], y1 = g[a.yOff1], u = g[a.uOff], v = g[a.vOff];
        int un = u, vn = v;
        if (k + 1 < a.pairs) un = g[4 + a.uOff], vn = g[4 + a.vOff];
        int cu[2] = {2 * u, u + un}, cv[2] = {2 * v, v + vn}, ys[2] = {y0, y1};
        for (int p = 0; p < 2; ++p) {
            double r = t.lumaR[ys[p]] + t.crR[cv[p]];
            double gr = t.lumaG[ys[p]] + t.crG[cv[p]] + t.cbG[cu[p]];
            double b = t.lumaB[ys[p]] + t.cbB[cu[p]];
            d[p * 4 + a.rIdx] = uint8_t(truncClamp(r + 0.5, 0, 255));
            d[p * 4 + a.gIdx] = uint8_t(truncClamp(gr + 0.5, 0, 255));
            d[p * 4 + a.bIdx] = uint8_t(truncClamp(b + 0.5, 0, 255));
            d[p * 4 + a.aIdx] = 255;
        }
    }
}

namespace {

// The masked form: the plain gather leaves its source operand undefined.
__attribute__((target("avx2"))) inline __m256d gather(const double* t, __m128i idx) {
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    return _mm256_mask_i32gather_pd(_mm256_setzero_pd(), t, idx, all, 8);
}

__attribute__((target("avx2"))) inline __m128i finishAvx2(__m256d v) {
    v = _mm256_add_pd(v, _mm256_set1_pd(0.5));
    v = _mm256_max_pd(v, _mm256_setzero_pd());  // NaN and negatives become 0
    v = _mm256_min_pd(v, _mm256_set1_pd(255.0));
    return _mm256_cvttpd_epi32(v);
}

}  // namespace

__attribute__((target("avx2"))) void fallbackRowAvx2(const FallbackRowArgs& a) {
    const FallbackTerms& t = *a.terms;
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const __m128i shR = _mm_cvtsi32_si128(8 * a.rIdx), shG = _mm_cvtsi32_si128(8 * a.gIdx);
    const __m128i shB = _mm_cvtsi32_si128(8 * a.bIdx);
    const __m128i alpha = _mm_set1_epi32(int(255u << (8 * a.aIdx)));
    int k = 0;
    // Two pairs (four pixels) per step; the last pair of the row needs its own chroma.
    for (; k + 3 <= a.pairs; k += 2, g += 8, d += 16) {
        int u0 = g[a.uOff], v0 = g[a.vOff], u1 = g[4 + a.uOff], v1 = g[4 + a.vOff];
        int u2 = g[8 + a.uOff], v2 = g[8 + a.vOff];
        __m128i yi = _mm_setr_epi32(g[a.yOff0], g[a.yOff1], g[4 + a.yOff0], g[4 + a.yOff1]);
        __m128i ui = _mm_setr_epi32(2 * u0, u0 + u1, 2 * u1, u1 + u2);
        __m128i vi = _mm_setr_epi32(2 * v0, v0 + v1, 2 * v1, v1 + v2);
        __m256d r = _mm256_add_pd(gather(t.lumaR, yi), gather(t.crR, vi));
        __m256d gr = _mm256_add_pd(gather(t.lumaG, yi), gather(t.crG, vi));
        gr = _mm256_add_pd(gr, gather(t.cbG, ui));
        __m256d b = _mm256_add_pd(gather(t.lumaB, yi), gather(t.cbB, ui));
        __m128i px =
            _mm_or_si128(_mm_sll_epi32(finishAvx2(r), shR), _mm_sll_epi32(finishAvx2(gr), shG));
        px = _mm_or_si128(px, _mm_or_si128(_mm_sll_epi32(finishAvx2(b), shB), alpha));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), px);
    }
    FallbackRowArgs rest = a;
    rest.src = g;
    rest.dst = d;
    rest.pairs = a.pairs - k;
    fallbackRowScalar(rest);
}

}  // namespace zu::detail
