// Row kernels of the hot paths. SSE2 is the x86-64 baseline; AVX2 kernels are compiled
// with target attributes and chosen at run time. Each one matches its scalar reference
// bit for bit: integer kernels by using the same saturating lanes, double kernels by
// doing the same IEEE operations in the same order.
#include <immintrin.h>

#include <algorithm>
#include <cstring>

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
// The arguments are copied into locals: the byte stores could alias them otherwise, and
// the compiler would reload every field after each store.

void fastRowScalar(const FastRowArgs& a) {
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const int stride = 4 * a.step, yo0 = a.yOff0, yo1 = a.yOff1, uo = a.uOff, vo = a.vOff;
    const short(*luma)[4] = a.luma;
    const short(*cbT)[4] = a.cb;
    const short(*crT)[4] = a.cr;
    for (int k = 0; k < a.pairs; ++k, g += stride, d += 8) {
        const short* cb = cbT[g[uo]];
        const short* cr = crT[g[vo]];
        const short* y0 = luma[g[yo0]];
        const short* y1 = luma[g[yo1]];
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

struct FastLocal {
    int yo0, yo1, uo, vo;
    const short (*luma)[4];
    const short (*cb)[4];
    const short (*cr)[4];
    explicit FastLocal(const FastRowArgs& a)
        : yo0(a.yOff0), yo1(a.yOff1), uo(a.uOff), vo(a.vOff), luma(a.luma), cb(a.cb), cr(a.cr) {}
    // Both pixels of one pair as eight 16-bit lanes.
    __m128i pair(const uint8_t* g) const {
        __m128i y = _mm_unpacklo_epi64(load64(luma[g[yo0]]), load64(luma[g[yo1]]));
        __m128i b = load64(cb[g[uo]]);
        __m128i r = load64(cr[g[vo]]);
        b = _mm_unpacklo_epi64(b, b);
        r = _mm_unpacklo_epi64(r, r);
        return _mm_adds_epi16(_mm_adds_epi16(y, b), r);
    }
};

}  // namespace

void fastRowSse2(const FastRowArgs& a) {
    const FastLocal f(a);
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const int stride = 4 * a.step, pairs = a.pairs;
    int k = 0;
    for (; k + 2 <= pairs; k += 2, g += 2 * stride, d += 16) {
        __m128i p0 = f.pair(g);
        __m128i p1 = f.pair(g + stride);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(p0, p1));
    }
    if (k < pairs) {
        __m128i p0 = f.pair(g);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(p0, p0));
    }
}

namespace {

// One pair with SSE3 loads: the high half and the duplicated chroma come straight from memory.
__attribute__((target("avx2"))) inline __m128i fastPairAvx2(const FastLocal& f, const uint8_t* g) {
    __m128d y = _mm_castsi128_pd(load64(f.luma[g[f.yo0]]));
    y = _mm_loadh_pd(y, reinterpret_cast<const double*>(f.luma[g[f.yo1]]));
    __m128i b = _mm_castpd_si128(_mm_loaddup_pd(reinterpret_cast<const double*>(f.cb[g[f.uo]])));
    __m128i r = _mm_castpd_si128(_mm_loaddup_pd(reinterpret_cast<const double*>(f.cr[g[f.vo]])));
    return _mm_adds_epi16(_mm_adds_epi16(_mm_castpd_si128(y), b), r);
}

}  // namespace

namespace {

// The group is read once and its bytes taken by shifts: one load instead of four.
template <int U, int Y0, int V, int Y1>
__attribute__((target("avx2"))) inline __m128i fastPairWord(const FastLocal& f, uint32_t w) {
    __m128d y = _mm_castsi128_pd(load64(f.luma[(w >> 8 * Y0) & 255]));
    y = _mm_loadh_pd(y, reinterpret_cast<const double*>(f.luma[(w >> 8 * Y1) & 255]));
    __m128i b =
        _mm_castpd_si128(_mm_loaddup_pd(reinterpret_cast<const double*>(f.cb[(w >> 8 * U) & 255])));
    __m128i r =
        _mm_castpd_si128(_mm_loaddup_pd(reinterpret_cast<const double*>(f.cr[(w >> 8 * V) & 255])));
    return _mm_adds_epi16(_mm_adds_epi16(_mm_castpd_si128(y), b), r);
}

template <int U, int Y0, int V, int Y1>
__attribute__((target("avx2"))) void fastRowAvx2Layout(const FastRowArgs& a) {
    const FastLocal f(a);
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const int stride = 4 * a.step, pairs = a.pairs;
    int k = 0;
    for (; k + 4 <= pairs; k += 4, g += 4 * stride, d += 32) {
        uint32_t w[4];
        for (int q = 0; q < 4; ++q) std::memcpy(&w[q], g + q * stride, 4);
        // Lanes hold pairs (0, 2) and (1, 3) so the in-lane pack yields 0, 1, 2, 3.
        __m256i lo = _mm256_set_m128i(fastPairWord<U, Y0, V, Y1>(f, w[2]),
                                      fastPairWord<U, Y0, V, Y1>(f, w[0]));
        __m256i hi = _mm256_set_m128i(fastPairWord<U, Y0, V, Y1>(f, w[3]),
                                      fastPairWord<U, Y0, V, Y1>(f, w[1]));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_packus_epi16(lo, hi));
    }
    FastRowArgs rest = a;
    rest.src = g;
    rest.dst = d;
    rest.pairs = pairs - k;
    fastRowSse2(rest);
}

}  // namespace

__attribute__((target("avx2"))) void fastRowAvx2(const FastRowArgs& a) {
    if (a.uOff == 0 && a.yOff0 == 1 && a.vOff == 2 && a.yOff1 == 3)
        return fastRowAvx2Layout<0, 1, 2, 3>(a);
    if (a.uOff == 1 && a.yOff0 == 0 && a.vOff == 3 && a.yOff1 == 2)
        return fastRowAvx2Layout<1, 0, 3, 2>(a);
    const FastLocal f(a);
    const uint8_t* g = a.src;
    uint8_t* d = a.dst;
    const int stride = 4 * a.step, pairs = a.pairs;
    int k = 0;
    for (; k + 4 <= pairs; k += 4, g += 4 * stride, d += 32) {
        __m256i lo = _mm256_set_m128i(fastPairAvx2(f, g + 2 * stride), fastPairAvx2(f, g));
        __m256i hi = _mm256_set_m128i(fastPairAvx2(f, g + 3 * stride), fastPairAvx2(f, g + stride));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_packus_epi16(lo, hi));
    }
    FastRowArgs rest = a;
    rest.src = g;
    rest.dst = d;
    rest.pairs = pairs - k;
    fastRowSse2(rest);
}

// ---- 8-bit 4:2:2 into 4-byte RGB through double terms ---------------------------------

namespace {

struct TermLocal {
    const uint8_t* src;
    int pairs, yo0, yo1, uo, vo;
    bool sum;
    explicit TermLocal(const TermRowArgs& a)
        : src(a.src),
          pairs(a.pairs),
          yo0(a.yOff0),
          yo1(a.yOff1),
          uo(a.uOff),
          vo(a.vOff),
          sum(a.sumIndex) {}
    // Chroma table indices of pair k's two pixels.
    void chroma(int k, int& u0, int& v0, int& u1, int& v1) const {
        const uint8_t* g = src + 4 * k;
        int u = g[uo], v = g[vo], un = u, vn = v;
        if (k + 1 < pairs) un = g[4 + uo], vn = g[4 + vo];
        if (sum) {
            u0 = 2 * u, v0 = 2 * v, u1 = u + un, v1 = v + vn;
        } else {
            u0 = u, v0 = v, u1 = (u + un + 1) >> 1, v1 = (v + vn + 1) >> 1;
        }
    }
};

}  // namespace

void termRowScalar(const TermRowArgs& a) {
    const RgbTerms& t = *a.terms;
    const TermLocal l(a);
    uint8_t* d = a.dst;
    for (int k = 0; k < l.pairs; ++k, d += 8) {
        int u[2], v[2];
        l.chroma(k, u[0], v[0], u[1], v[1]);
        const int y[2] = {l.src[4 * k + l.yo0], l.src[4 * k + l.yo1]};
        for (int p = 0; p < 2; ++p)
            for (int i = 0; i < 4; ++i) {
                double s = ((t.luma[y[p]][i] + t.cr[v[p]][i]) + t.cb[u[p]][i]) + t.half[i];
                d[4 * p + i] = uint8_t(truncClamp(s, 0, 255));
            }
    }
}

namespace {

__attribute__((target("avx2"))) inline __m128i termPixel(const RgbTerms& t, int y, int u, int v,
                                                         __m256d half) {
    __m256d s = _mm256_add_pd(_mm256_load_pd(t.luma[y]), _mm256_load_pd(t.cr[v]));
    s = _mm256_add_pd(_mm256_add_pd(s, _mm256_load_pd(t.cb[u])), half);
    s = _mm256_max_pd(s, _mm256_setzero_pd());  // s > 0 ? s : 0, so NaN becomes 0
    s = _mm256_min_pd(s, _mm256_set1_pd(255.0));
    return _mm256_cvttpd_epi32(s);
}

}  // namespace

__attribute__((target("avx2"))) void termRowAvx2(const TermRowArgs& a) {
    const RgbTerms& t = *a.terms;
    const TermLocal l(a);
    const __m256d half = _mm256_load_pd(t.half);
    uint8_t* d = a.dst;
    int k = 0;
    for (; k + 2 <= l.pairs; k += 2, d += 16) {
        __m128i px[4];
        for (int q = 0; q < 2; ++q) {
            int u0, v0, u1, v1;
            l.chroma(k + q, u0, v0, u1, v1);
            const uint8_t* g = l.src + 4 * (k + q);
            px[2 * q] = termPixel(t, g[l.yo0], u0, v0, half);
            px[2 * q + 1] = termPixel(t, g[l.yo1], u1, v1, half);
        }
        __m128i w = _mm_packus_epi16(_mm_packs_epi32(px[0], px[1]), _mm_packs_epi32(px[2], px[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), w);
    }
    if (k < l.pairs) {
        TermRowArgs rest = a;
        rest.src = l.src + 4 * k;
        rest.dst = d;
        rest.pairs = l.pairs - k;
        termRowScalar(rest);
    }
}

// ---- unpacked 10-bit rows ---------------------------------------------------------------

void unpackV210(const uint8_t* row, int width, uint16_t* y, uint16_t* u, uint16_t* v) {
    for (int x = 0; x < width; x += 6, row += 16) {
        uint32_t w[4];
        std::memcpy(w, row, 16);
        const uint16_t ys[6] = {uint16_t(w[0] >> 10 & 1023), uint16_t(w[1] & 1023),
                                uint16_t(w[1] >> 20 & 1023), uint16_t(w[2] >> 10 & 1023),
                                uint16_t(w[3] & 1023),       uint16_t(w[3] >> 20 & 1023)};
        const uint16_t us[3] = {uint16_t(w[0] & 1023), uint16_t(w[1] >> 10 & 1023),
                                uint16_t(w[2] >> 20 & 1023)};
        const uint16_t vs[3] = {uint16_t(w[0] >> 20 & 1023), uint16_t(w[2] & 1023),
                                uint16_t(w[3] >> 10 & 1023)};
        const int n = std::min(6, width - x);
        for (int i = 0; i < n; ++i) y[x + i] = ys[i];
        for (int i = 0; i < n / 2; ++i) u[x / 2 + i] = us[i], v[x / 2 + i] = vs[i];
    }
}

namespace {

inline void planarChroma(const PlanarRowArgs& a, int k, int& u0, int& v0, int& u1, int& v1) {
    int u = a.u[k], v = a.v[k], un = u, vn = v;
    if (k + 1 < a.pairs) un = a.u[k + 1], vn = a.v[k + 1];
    if (a.sumIndex) {
        u0 = 2 * u, v0 = 2 * v, u1 = u + un, v1 = v + vn;
    } else {
        u0 = u, v0 = v, u1 = (u + un + 1) >> 1, v1 = (v + vn + 1) >> 1;
    }
}

}  // namespace

void planarRowScalar(const PlanarRowArgs& a) {
    const RgbTerms& t = *a.terms;
    uint8_t* d = a.dst;
    for (int k = 0; k < a.pairs; ++k, d += 8) {
        int u[2], v[2];
        planarChroma(a, k, u[0], v[0], u[1], v[1]);
        const int y[2] = {a.y[2 * k], a.y[2 * k + 1]};
        for (int p = 0; p < 2; ++p)
            for (int i = 0; i < 4; ++i) {
                double s = ((t.luma[y[p]][i] + t.cr[v[p]][i]) + t.cb[u[p]][i]) + t.half[i];
                d[4 * p + i] = uint8_t(truncClamp(s * t.scale[i] + t.half2[i], 0, 255));
            }
    }
}

namespace {

__attribute__((target("avx2"))) inline __m128i planarPixel(const RgbTerms& t, int y, int u, int v) {
    __m256d s = _mm256_add_pd(_mm256_load_pd(t.luma[y]), _mm256_load_pd(t.cr[v]));
    s = _mm256_add_pd(_mm256_add_pd(s, _mm256_load_pd(t.cb[u])), _mm256_load_pd(t.half));
    s = _mm256_add_pd(_mm256_mul_pd(s, _mm256_load_pd(t.scale)), _mm256_load_pd(t.half2));
    s = _mm256_max_pd(s, _mm256_setzero_pd());
    s = _mm256_min_pd(s, _mm256_set1_pd(255.0));
    return _mm256_cvttpd_epi32(s);
}

}  // namespace

__attribute__((target("avx2"))) void planarRowAvx2(const PlanarRowArgs& a) {
    const RgbTerms& t = *a.terms;
    auto pixel = [&t](int y, int u, int v) { return planarPixel(t, y, u, v); };
    uint8_t* d = a.dst;
    int k = 0;
    for (; k + 2 <= a.pairs; k += 2, d += 16) {
        __m128i px[4];
        for (int q = 0; q < 2; ++q) {
            int u0, v0, u1, v1;
            planarChroma(a, k + q, u0, v0, u1, v1);
            px[2 * q] = pixel(a.y[2 * (k + q)], u0, v0);
            px[2 * q + 1] = pixel(a.y[2 * (k + q) + 1], u1, v1);
        }
        __m128i w = _mm_packus_epi16(_mm_packs_epi32(px[0], px[1]), _mm_packs_epi32(px[2], px[3]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), w);
    }
    if (k < a.pairs) {
        PlanarRowArgs rest = a;
        rest.y += 2 * k;
        rest.u += k;
        rest.v += k;
        rest.dst = d;
        rest.pairs = a.pairs - k;
        planarRowScalar(rest);
    }
}

// ---- byte order of 4-byte RGB ----------------------------------------------------------

void shuffleRowScalar(const uint8_t* src, uint8_t* dst, int pixels, const uint8_t map[4]) {
    const uint8_t m0 = map[0], m1 = map[1], m2 = map[2], m3 = map[3];
    for (int x = 0; x < pixels; ++x, src += 4, dst += 4) {
        uint8_t b[4] = {src[m0], src[m1], src[m2], src[m3]};
        std::memcpy(dst, b, 4);
    }
}

__attribute__((target("avx2"))) void shuffleRowAvx2(const uint8_t* src, uint8_t* dst, int pixels,
                                                    const uint8_t map[4]) {
    alignas(32) int8_t m[32];
    for (int i = 0; i < 32; ++i) m[i] = int8_t((i & ~3 & 15) + map[i & 3]);
    const __m256i mask = _mm256_load_si256(reinterpret_cast<const __m256i*>(m));
    int x = 0;
    for (; x + 8 <= pixels; x += 8, src += 32, dst += 32) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), _mm256_shuffle_epi8(v, mask));
    }
    shuffleRowScalar(src, dst, pixels - x, map);
}

}  // namespace zu::detail
