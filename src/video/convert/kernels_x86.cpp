// Row kernels of the hot paths. SSE2 is the x86-64 baseline; AVX2 kernels are compiled
// with target attributes and chosen at run time. Each one matches its scalar reference
// bit for bit: integer kernels by using the same saturating lanes, double kernels by
// doing the same IEEE operations in the same order.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#include <x86intrin.h>  // _m_prefetchw: clang's immintrin.h leaves it out

#include <algorithm>
#include <cstring>

#include "video/convert/kernel_util.h"

// GCC 12's AVX-512 headers start many intrinsics from an undefined register and then warn
// that it may be used uninitialised; it never is.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"

namespace zu::detail {

bool cpuHasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

bool cpuHasAvx512() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    }();
    return has;
}

bool cpuHasNeon() {
    return false;
}

Kernel bestKernel() {
    return cpuHasVbmi()     ? Kernel::Avx512Vbmi
           : cpuHasAvx512() ? Kernel::Avx512
           : cpuHasAvx2()   ? Kernel::Avx2
                            : Kernel::Sse2;
}

// ---- fast path -----------------------------------------------------------------------
// The arguments are copied into locals: the byte stores could alias them otherwise, and
// the compiler would reload every field after each store.

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

namespace {

struct FastFormVec {
    __m256i s, t, k, m;
};

// a in words 0-3 of each lane, b in words 4-7.
__attribute__((target("avx2"))) inline __m256i halves16(int16_t a, int16_t b) {
    return _mm256_setr_epi16(a, a, a, a, b, b, b, b, a, a, a, a, b, b, b, b);
}

// Per 16-bit word: forms f0 for words 0-3 of each lane, f1 for words 4-7.
__attribute__((target("avx2"))) FastFormVec fastFormVec(const FastForm& f0, const FastForm& f1) {
    return {halves16(f0.s, f1.s), halves16(f0.t, f1.t), halves16(f0.k, f1.k), halves16(f0.m, f1.m)};
}

// fastFormValue on sixteen words, less the constant.
__attribute__((target("avx2"))) inline __m256i fastForm(const FastFormVec& f, __m256i w) {
    const __m256i x = _mm256_add_epi16(_mm256_mullo_epi16(w, f.s), f.t);
    return _mm256_sub_epi16(_mm256_mulhi_epi16(x, f.k), _mm256_cmpgt_epi16(f.m, x));
}

struct FastArithVec {
    FastFormVec luma, br, g;
    __m256i addBr, addG, alpha, yIdx, cIdx;
};

// Eight pairs taken from every Step-th source pair into 64 destination bytes.
// Shared: the chroma forms share x, blue and red take (x < M), green (x > M).
template <bool Shared, int Step>
__attribute__((target("avx2"))) inline void fastArithBlock(const FastArithVec& v, const uint8_t* g,
                                                           uint8_t* d) {
    // Pairs 0, 1, 4, 5 | 2, 3, 6, 7: the in-lane unpacks at the end then leave pixels 0-7
    // in the first result and 8-15 in the second. At step 2 one dword shuffle of two loads
    // takes the even source pairs straight into that order.
    __m256i src;
    if (Step == 1) {
        src = _mm256_permute4x64_epi64(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(g)),
                                       0xd8);
    } else {
        const __m256 a = _mm256_loadu_ps(reinterpret_cast<const float*>(g));
        const __m256 b = _mm256_loadu_ps(reinterpret_cast<const float*>(g + 32));
        src = _mm256_castps_si256(_mm256_shuffle_ps(a, b, 0x88));
    }
    // Y of the lane's eight pixels, and U of its four pairs then their V, as words.
    const __m256i yw = _mm256_shuffle_epi8(src, v.yIdx);
    const __m256i cw = _mm256_shuffle_epi8(src, v.cIdx);
    const __m256i l = fastForm(v.luma, yw);
    __m256i br, g2;
    if (Shared) {
        const __m256i x = _mm256_add_epi16(_mm256_mullo_epi16(cw, v.br.s), v.br.t);
        br = _mm256_sub_epi16(_mm256_mulhi_epi16(x, v.br.k), _mm256_cmpgt_epi16(v.br.m, x));
        g2 = _mm256_sub_epi16(_mm256_mulhi_epi16(x, v.g.k), _mm256_cmpgt_epi16(x, v.g.m));
    } else {
        br = fastForm(v.br, cw), g2 = fastForm(v.g, cw);
    }
    br = _mm256_add_epi16(br, v.addBr), g2 = _mm256_add_epi16(g2, v.addG);
    const __m256i gs = _mm256_add_epi16(g2, _mm256_bsrli_epi128(g2, 8));
    const __m256i b = _mm256_add_epi16(l, _mm256_unpacklo_epi16(br, br));
    const __m256i r = _mm256_add_epi16(l, _mm256_unpackhi_epi16(br, br));
    const __m256i gr = _mm256_add_epi16(l, _mm256_unpacklo_epi16(gs, gs));
    const __m256i bg = _mm256_packus_epi16(b, gr), ra = _mm256_packus_epi16(r, v.alpha);
    const __m256i t0 = _mm256_unpacklo_epi8(bg, ra), t1 = _mm256_unpackhi_epi8(bg, ra);
    const __m256i p0 = _mm256_unpacklo_epi8(t0, t1), p1 = _mm256_unpackhi_epi8(t0, t1);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), p0);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 32), p1);
}

template <bool Shared, int Step>
__attribute__((target("avx2,prfchw"))) void fastArithBlocks(const FastArithVec& v,
                                                            const uint8_t* src, uint8_t* dst,
                                                            int pairs) {
    int k = 0;
    for (; k + 8 <= pairs; k += 8) {
        // The destination's line a row ahead, for writing, as in the 512-bit kernel.
        _m_prefetchw(dst + 8 * k + 8192);
        fastArithBlock<Shared, Step>(v, src + 4 * Step * k, dst + 8 * k);
    }
    // The last eight again, over some already written with the same bytes.
    if (k < pairs)
        fastArithBlock<Shared, Step>(v, src + 4 * Step * (pairs - 8), dst + 8 * (pairs - 8));
}

}  // namespace

namespace {
__attribute__((target("avx2"))) inline __m256i vectorAt(const FastArith& f, int i) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(f.vectors[i]));
}
}  // namespace

__attribute__((target("avx2"))) void prepareFastArithAvx2(const FastRowArgs& a, FastArith& f) {
    static_assert(sizeof(FastArithVec) == sizeof f.vectors, "the vectors' layout");
    FastArithVec v;
    v.luma = fastFormVec(f.luma, f.luma);
    v.br = fastFormVec(f.blue, f.red);
    v.g = fastFormVec(f.greenCb, f.greenCr);
    v.addBr = halves16(f.add[0], f.add[1]);
    v.addG = halves16(f.add[2], f.add[3]);
    v.alpha = _mm256_set1_epi16(f.alpha);
    alignas(16) int8_t yi[16], ci[16];
    for (int p = 0; p < 8; ++p) {
        yi[2 * p] = int8_t(4 * (p / 2) + (p % 2 ? a.yOff1 : a.yOff0)), yi[2 * p + 1] = -1;
        ci[2 * p] = int8_t(4 * (p % 4) + (p < 4 ? a.uOff : a.vOff)), ci[2 * p + 1] = -1;
    }
    v.yIdx = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(yi)));
    v.cIdx = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(ci)));
    std::memcpy(f.vectors, &v, sizeof v);
}

__attribute__((target("avx2,prfchw"))) void fastRowArithAvx2(const FastRowArgs& a,
                                                             const FastArith& f) {
    const FastArithVec v{
        {vectorAt(f, 0), vectorAt(f, 1), vectorAt(f, 2), vectorAt(f, 3)},
        {vectorAt(f, 4), vectorAt(f, 5), vectorAt(f, 6), vectorAt(f, 7)},
        {vectorAt(f, 8), vectorAt(f, 9), vectorAt(f, 10), vectorAt(f, 11)},
        vectorAt(f, 12), vectorAt(f, 13), vectorAt(f, 14), vectorAt(f, 15), vectorAt(f, 16)};
    const uint8_t* src = a.src;
    uint8_t* dst = a.dst;
    const int pairs = a.pairs;
    if (a.step == 2)
        return f.sharedChroma ? fastArithBlocks<true, 2>(v, src, dst, pairs)
                              : fastArithBlocks<false, 2>(v, src, dst, pairs);
    if (f.sharedChroma)
        fastArithBlocks<true, 1>(v, src, dst, pairs);
    else
        fastArithBlocks<false, 1>(v, src, dst, pairs);
}

namespace {

#define ZU_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi,prfchw")))

// Byte permute indices of a block of 64 pairs, made at compile time. The block's pixels go
// through four registers of 32 (q = 0-3, pixels 32 q to 32 q + 31), 128-bit lane k of
// register q holding pixels 32 q + 8 k to 32 q + 8 k + 7; the indices put each pixel's Y and
// its pair's chroma where that order needs them, so a pair's chroma is looked up once and
// reaches its two pixels through an in-lane unpack. Pairs come from every step-th source
// pair; at step 2 a half block's bytes span four registers, two permutes and a blend.
struct FastIndices {
    // Y of pixel 32 h + 8 k + w at byte 16 k + 8 h + w of each half block's register.
    alignas(64) uint8_t y[64];
    // Bytes 16 k + j (j < 8) hold U of the half block's pair 16 (j / 4) + 4 k + j % 4,
    // bytes 16 k + 8 + j the same pairs' V.
    alignas(64) uint8_t chroma[64];
    // B, G, R, A bytes of 16 pixels from the packed blue-green and red-alpha registers.
    alignas(64) uint8_t pick[2][64];
};

constexpr FastIndices fastIndices(int yOff0, int yOff1, int uOff, int vOff, int step) {
    FastIndices x{};
    for (int k = 0; k < 4; ++k)
        for (int j = 0; j < 16; ++j) {
            const int p = 32 * (j / 8) + 8 * k + j % 8;
            x.y[16 * k + j] = uint8_t((4 * step * (p / 2) + (p % 2 ? yOff1 : yOff0)) & 127);
            const int c = j % 8, pair = 16 * (c / 4) + 4 * k + c % 4;
            x.chroma[16 * k + j] = uint8_t((4 * step * pair + (j < 8 ? uOff : vOff)) & 127);
        }
    for (int h = 0; h < 2; ++h)
        for (int q = 0; q < 16; ++q) {
            const int p = 16 * h + q, at = 16 * (p / 8) + p % 8;
            x.pick[h][4 * q] = uint8_t(at), x.pick[h][4 * q + 1] = uint8_t(at + 8);
            x.pick[h][4 * q + 2] = uint8_t(64 + at), x.pick[h][4 * q + 3] = uint8_t(64 + at + 8);
        }
    return x;
}

// [2vuy, yuy2][step 1, 2]
constexpr FastIndices kFastIndices[2][2] = {
    {fastIndices(1, 3, 0, 2, 1), fastIndices(1, 3, 0, 2, 2)},
    {fastIndices(0, 2, 1, 3, 1), fastIndices(0, 2, 1, 3, 2)}};

// A 256-byte plane at 64 byte indices: two 128-entry permutes, the index's top bit chooses.
ZU_VBMI inline __m512i lookBytes(const uint8_t* t, __m512i i, __mmask64 top) {
    const __m512i a = _mm512_permutex2var_epi8(_mm512_load_si512(t), i, _mm512_load_si512(t + 64));
    const __m512i b =
        _mm512_permutex2var_epi8(_mm512_load_si512(t + 128), i, _mm512_load_si512(t + 192));
    return _mm512_mask_blend_epi8(top, a, b);
}

// Which columns a block looks up, per table and lane: -1 none, else the first lane with the
// same column. Fixed at compile time, so that the lanes' vectors stay in registers.
struct FastShape {
    int8_t from[3][4];
};
// Tables of a matrix in "bgrA" order: one luma column for blue, green and red, a constant
// alpha, Cb for blue and green, Cr for green and red.
constexpr FastShape kMatrixShape{{{0, 0, 0, -1}, {0, 1, -1, -1}, {-1, 1, 2, -1}}};
// Any tables: every column looked up (a folded chroma column then adds zeros).
constexpr FastShape kAnyShape{{{0, 1, 2, 3}, {0, 1, 2, 3}, {0, 1, 2, 3}}};

// Lanes 0-3 of one table at 64 indices as words: per 128-bit lane k, entries of index bytes
// 16 k to 16 k + 7 in lo, 16 k + 8 to 16 k + 15 in hi.
template <FastShape S, int T>
ZU_VBMI inline void lookLanes(const uint8_t (*planes)[2][256], __m512i i, __m512i lo[4],
                              __m512i hi[4]) {
    const __mmask64 top = _mm512_movepi8_mask(i);
#pragma GCC unroll 4
    for (int l = 0; l < 4; ++l) {
        if (S.from[T][l] == l) {
            const __m512i a = lookBytes(planes[l][0], i, top);
            const __m512i b = lookBytes(planes[l][1], i, top);
            lo[l] = _mm512_unpacklo_epi8(a, b), hi[l] = _mm512_unpackhi_epi8(a, b);
        } else if (S.from[T][l] >= 0) {
            lo[l] = lo[S.from[T][l]], hi[l] = hi[S.from[T][l]];
        }
    }
}

struct FastBlock {
    const FastColumns* c;
    __m512i constant[4], y, chroma, first, second;
};

// Bytes of a half block's register: from the first two source registers, or at step 2 the
// bytes of `second` from the next two.
template <int Step>
ZU_VBMI __attribute__((always_inline)) inline __m512i gatherHalf(const __m512i* w, __m512i i,
                                                                 __mmask64 second) {
    const __m512i a = _mm512_permutex2var_epi8(w[0], i, w[1]);
    if (Step == 1) return a;
    return _mm512_mask_blend_epi8(second, a, _mm512_permutex2var_epi8(w[2], i, w[3]));
}

// 64 pairs from the source registers (four, or eight at step 2) into 512 destination bytes;
// Part stores only the first `bytes`.
template <FastShape S, int Step, bool Part>
ZU_VBMI __attribute__((always_inline)) inline void fastBlock(const FastBlock& f, const __m512i* w,
                                                             uint8_t* d, int bytes) {
    constexpr __mmask64 ySecond = 0xff00ff00ff00ff00ull, cSecond = 0xf0f0f0f0f0f0f0f0ull;
    const __m512i ya = gatherHalf<Step>(w, f.y, ySecond);
    const __m512i yb = gatherHalf<Step>(w + 2 * Step, f.y, ySecond);
    const __m512i c01 = gatherHalf<Step>(w, f.chroma, cSecond);
    const __m512i c23 = gatherHalf<Step>(w + 2 * Step, f.chroma, cSecond);
    __m512i y[4][4], b[2][4], r[2][4];
    lookLanes<S, 0>(f.c->planes[0], ya, y[0], y[1]);
    lookLanes<S, 0>(f.c->planes[0], yb, y[2], y[3]);
    lookLanes<S, 1>(f.c->planes[1], _mm512_unpacklo_epi64(c01, c23), b[0], b[1]);
    lookLanes<S, 2>(f.c->planes[2], _mm512_unpackhi_epi64(c01, c23), r[0], r[1]);
    __m512i px[4][4];
#pragma GCC unroll 4
    for (int l = 0; l < 4; ++l) {
        const bool luma = S.from[0][l] >= 0, cb = S.from[1][l] >= 0, cr = S.from[2][l] >= 0;
        for (int q = 0; q < 4; ++q) px[q][l] = luma ? y[q][l] : f.constant[l];
        if (!cb && !cr) continue;
        for (int h = 0; h < 2; ++h) {
            const __m512i s = cb && cr ? _mm512_add_epi16(b[h][l], r[h][l])
                              : cb     ? b[h][l]
                                       : r[h][l];
            px[2 * h][l] = _mm512_add_epi16(px[2 * h][l], _mm512_unpacklo_epi16(s, s));
            px[2 * h + 1][l] = _mm512_add_epi16(px[2 * h + 1][l], _mm512_unpackhi_epi16(s, s));
        }
    }
#pragma GCC unroll 4
    for (int q = 0; q < 4; ++q) {
        const __m512i bg = _mm512_packus_epi16(px[q][0], px[q][1]);
        const __m512i ra = _mm512_packus_epi16(px[q][2], px[q][3]);
        const __m512i o0 = _mm512_permutex2var_epi8(bg, f.first, ra);
        const __m512i o1 = _mm512_permutex2var_epi8(bg, f.second, ra);
        uint8_t* o = d + 128 * q;
        if (Part) {
            auto mask = [](int n) { return n >= 64 ? ~0ull : n <= 0 ? 0ull : (1ull << n) - 1; };
            _mm512_mask_storeu_epi8(o, mask(bytes - 128 * q), o0);
            _mm512_mask_storeu_epi8(o + 64, mask(bytes - 128 * q - 64), o1);
        } else {
            _mm512_storeu_si512(o, o0);
            _mm512_storeu_si512(o + 64, o1);
        }
    }
}

template <FastShape S, int Step>
ZU_VBMI __attribute__((always_inline)) inline void fastWhole(const FastBlock& f, const uint8_t* g,
                                                             uint8_t* d) {
    __m512i w[4 * Step];
    for (int i = 0; i < 4 * Step; ++i) w[i] = _mm512_loadu_si512(g + 64 * i);
    fastBlock<S, Step, false>(f, w, d, 512);
}

template <FastShape S, int Step>
ZU_VBMI void fastBlocks(const FastBlock& args, const uint8_t* g, uint8_t* d, int pairs) {
    // A local copy: the stores could alias the argument, which each block would read again.
    const FastBlock f = args;
    const int whole = pairs & ~63;
    for (int k = 0; k < whole; k += 64) {
        // The lines a row further on asked for in advance, for writing: a destination not in
        // the caches (a new frame, or one the graphics driver read) otherwise stalls the
        // stores on each line's read. Measured 15 % faster there, no slower otherwise.
        for (int l = 0; l < 512; l += 64) _m_prefetchw(d + 8 * k + 8192 + l);
        fastWhole<S, Step>(f, g + 4 * Step * k, d + 8 * k);
    }
    if (pairs > whole && whole > 0) {
        // The row's last 64 pairs again, over some already written with the same bytes:
        // faster than masked stores. Its reads end where the row's last pair's do, or at
        // step 2 four bytes later, at the end of the source pair after it.
        const int k = pairs - 64;
        fastWhole<S, Step>(f, g + 4 * Step * k, d + 8 * k);
    } else if (pairs > whole) {
        // Short rows through masked loads and stores: bytes past the row are neither read
        // nor written.
        const int n = 4 * Step * pairs;
        __m512i w[4 * Step];
        for (int i = 0; i < 4 * Step; ++i) {
            const int left = n - 64 * i;
            const __mmask64 m = left >= 64 ? ~0ull : left <= 0 ? 0ull : (1ull << left) - 1;
            w[i] = _mm512_maskz_loadu_epi8(m, g + 64 * i);
        }
        fastBlock<S, Step, true>(f, w, d, 8 * pairs);
    }
}

bool sameShape(const FastShape& s, const int8_t (*from)[4]) {
    return std::memcmp(s.from, from, sizeof s.from) == 0;
}

}  // namespace

// Rows are not aligned first: a head through a narrower kernel that aligned the stores
// would misalign the loads, and measured no faster.
ZU_VBMI void fastRowAvx512(const FastRowArgs& a, const FastColumns& c) {
    const FastIndices& x = kFastIndices[a.yOff0 == 1 ? 0 : 1][a.step == 2 ? 1 : 0];
    FastBlock f;
    f.c = &c;
    for (int l = 0; l < 4; ++l) f.constant[l] = _mm512_set1_epi16(c.constant[l]);
    f.y = _mm512_load_si512(x.y), f.chroma = _mm512_load_si512(x.chroma);
    f.first = _mm512_load_si512(x.pick[0]), f.second = _mm512_load_si512(x.pick[1]);
    const bool matrix = sameShape(kMatrixShape, c.from);
    if (a.step == 2)
        matrix ? fastBlocks<kMatrixShape, 2>(f, a.src, a.dst, a.pairs)
               : fastBlocks<kAnyShape, 2>(f, a.src, a.dst, a.pairs);
    else
        matrix ? fastBlocks<kMatrixShape, 1>(f, a.src, a.dst, a.pairs)
               : fastBlocks<kAnyShape, 1>(f, a.src, a.dst, a.pairs);
}

// ---- 8-bit 4:2:2 into 4-byte RGB through double terms ---------------------------------

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

// ---- 4:2:2 into 4-byte RGB in integer arithmetic ------------------------------------------

namespace {

struct ArithVec {
    __m256i ky[3], ku[3], kv[3], d[3];
    __m256i ku2[3], kv2[3];  // doubled: a first pixel's chroma sum is twice its sample
    __m256i guardMask[3], alpha, order;
    __m128i shift;
};

__attribute__((target("avx2"))) ArithVec arithVec(const ArithCoeffs& k) {
    ArithVec v;
    for (int c = 0; c < 3; ++c) {
        v.ky[c] = _mm256_set1_epi32(k.ky[c]);
        v.ku[c] = _mm256_set1_epi32(k.ku[c]);
        v.kv[c] = _mm256_set1_epi32(k.kv[c]);
        v.d[c] = _mm256_set1_epi32(k.d[c]);
        v.ku2[c] = _mm256_set1_epi32(int32_t(2 * uint32_t(k.ku[c])));
        v.kv2[c] = _mm256_set1_epi32(int32_t(2 * uint32_t(k.kv[c])));
    }
    for (int c = 0; c < 3; ++c) v.guardMask[c] = _mm256_set1_epi32(k.guardMask[c]);
    v.alpha = _mm256_set1_epi32(k.alpha);
    v.shift = _mm_cvtsi32_si128(k.shift);
    v.order =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(k.order)));
    return v;
}

// Eight pixels of one parity (the first or the second of eight pairs). f gets the least of
// the three components' fractions from their guards up (green's alone with GreenOnly),
// zero where a pixel is guarded.
// Twice: u and v are half the chroma indices (a first pixel's sample, its index the sum).
template <bool SharedLuma, bool GreenOnly, bool Twice = false>
__attribute__((target("avx2"))) inline __m256i arithHalf(const ArithVec& k, __m256i y, __m256i u,
                                                         __m256i v, __m256i& f) {
    const __m256i* ku = Twice ? k.ku2 : k.ku;
    const __m256i* kv = Twice ? k.kv2 : k.kv;
    const __m256i l0 = _mm256_mullo_epi32(y, k.ky[0]);
    const __m256i l1 = SharedLuma ? l0 : _mm256_mullo_epi32(y, k.ky[1]);
    const __m256i l2 = SharedLuma ? l0 : _mm256_mullo_epi32(y, k.ky[2]);
    const __m256i r = _mm256_add_epi32(_mm256_add_epi32(l0, _mm256_mullo_epi32(v, kv[0])), k.d[0]);
    const __m256i g = _mm256_add_epi32(_mm256_add_epi32(l1, _mm256_mullo_epi32(v, kv[1])),
                                       _mm256_add_epi32(_mm256_mullo_epi32(u, ku[1]), k.d[1]));
    const __m256i b = _mm256_add_epi32(_mm256_add_epi32(l2, _mm256_mullo_epi32(u, ku[2])), k.d[2]);
    // Fractions from each guard up: the least of the three is zero exactly when one is.
    f = _mm256_and_si256(g, k.guardMask[1]);
    if (!GreenOnly) {
        f = _mm256_min_epu32(f, _mm256_and_si256(r, k.guardMask[0]));
        f = _mm256_min_epu32(f, _mm256_and_si256(b, k.guardMask[2]));
    }
    const __m256i rg =
        _mm256_packs_epi32(_mm256_sra_epi32(r, k.shift), _mm256_sra_epi32(g, k.shift));
    const __m256i ba = _mm256_packs_epi32(_mm256_sra_epi32(b, k.shift), k.alpha);
    return _mm256_shuffle_epi8(_mm256_packus_epi16(rg, ba), k.order);
}

__attribute__((target("avx2"))) inline int zeroLanes(__m256i f) {
    return _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(f, _mm256_setzero_si256())));
}

// Sixteen pixels from the pairs' Y0, Y1 and chroma indices (Sum: the first pixels' are the
// samples, their indices twice that); guard bits per parity.
template <bool SharedLuma, bool Sum, bool GreenOnly>
__attribute__((target("avx2"))) inline void arithBlock(const ArithVec& k, __m256i y0, __m256i y1,
                                                       __m256i u0, __m256i u1, __m256i v0,
                                                       __m256i v1, uint8_t* d, int& amb0,
                                                       int& amb1) {
    __m256i f0, f1;
    const __m256i e = arithHalf<SharedLuma, GreenOnly, Sum>(k, y0, u0, v0, f0);
    const __m256i o = arithHalf<SharedLuma, GreenOnly>(k, y1, u1, v1, f1);
    // One check for both parities; the bits per parity only when one is guarded.
    amb0 = amb1 = 0;
    if (__builtin_expect(zeroLanes(_mm256_min_epu32(f0, f1)) != 0, 0))
        amb0 = zeroLanes(f0), amb1 = zeroLanes(f1);
    // e holds pairs 0-3 | 4-7 of the first pixels, o of the second ones.
    const __m256i lo = _mm256_unpacklo_epi32(e, o);  // pixels 0-3 | 8-11
    const __m256i hi = _mm256_unpackhi_epi32(e, o);  // pixels 4-7 | 12-15
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_permute2x128_si256(lo, hi, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 32),
                        _mm256_permute2x128_si256(lo, hi, 0x31));
}

// The second pixels' chroma indices from the samples of a pair and the next.
template <bool Sum>
__attribute__((target("avx2"))) inline __m256i secondChroma(__m256i u, __m256i un) {
    // Samples stay below 2^16, so the 16-bit rounding average is the 32-bit one.
    return Sum ? _mm256_add_epi32(u, un) : _mm256_avg_epu16(u, un);
}

// One pixel from the terms as termPixelExact computes it, its four lanes in one register.
__attribute__((target("avx2"))) inline void fixPixel(const RgbTerms& t, int y, int u, int v,
                                                     uint8_t* out) {
    const __m128i i = planarPixel(t, y, u, v);
    const int32_t w = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(i, i), i));
    std::memcpy(out, &w, 4);
}

// Guarded pixels again from the terms: bit q of amb0 and amb1 for the first and second
// pixel of pair k + q. Only the set bits are visited, so the branches stay few.
__attribute__((target("avx2"))) void arithFix(const ArithRowArgs& a, int k, unsigned amb0,
                                              unsigned amb1) {
    for (unsigned m = amb0 | amb1; m; m &= m - 1) {
        const int q = __builtin_ctz(m);
        const int pair = k + q;
        // The tail copies carry the last pair's own chroma as the next.
        const PairIndices i = pairIndices(a, pair);
        uint8_t* d = a.dst + 8 * pair;
        if (amb0 >> q & 1) fixPixel(*a.terms, i.y0, i.u0, i.v0, d);
        if (amb1 >> q & 1) fixPixel(*a.terms, i.y1, i.u1, i.v1, d + 4);
    }
}

__attribute__((target("avx2"))) inline __m256i load8x16(const uint16_t* p) {
    return _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

// The last pairs of a row, fewer than a block, copied into a block with zeros after them:
// the pair after the last repeats its chroma, as the last pair reads its own, and the
// spare pixels are discarded. The rows' ends then cost one block, not the terms.
template <int Pairs>
struct ArithTail {
    alignas(64) uint8_t src[4 * (Pairs + 1)] = {};
    alignas(64) uint16_t y[2 * Pairs] = {}, u[Pairs + 1] = {}, v[Pairs + 1] = {};
    alignas(64) uint8_t out[8 * Pairs];
    ArithRowArgs args;
    int n;
    ArithTail(const ArithRowArgs& a, int q) : args(a), n(a.pairs - q) {
        if (a.src) {
            std::memcpy(src, a.src + 4 * q, size_t(4 * n));
            std::memcpy(src + 4 * n, a.src + 4 * (q + n - 1), 4);
            args.src = src;
        } else {
            // The unpacked rows carry the entry past the last pair themselves.
            std::memcpy(y, a.y + 2 * q, sizeof(uint16_t) * size_t(2 * n));
            std::memcpy(u, a.u + q, sizeof(uint16_t) * size_t(n + 1));
            std::memcpy(v, a.v + q, sizeof(uint16_t) * size_t(n + 1));
            args.y = y, args.u = u, args.v = v;
        }
        args.dst = out;
        args.pairs = Pairs;
    }
    void finish(const ArithRowArgs& a, int q) const {
        std::memcpy(a.dst + 8 * q, out, size_t(8 * n));
    }
};

// Byte shuffles that take U, Y0, V and Y1 of each lane's four pairs into 32-bit lanes.
struct PackedOrder {
    __m256i u, y0, v, y1;
};

__attribute__((target("avx2"))) PackedOrder packedOrder(const ArithRowArgs& a) {
    alignas(16) int8_t m[4][16];
    const int off[4] = {a.uOff, a.yOff0, a.vOff, a.yOff1};
    for (int c = 0; c < 4; ++c)
        for (int j = 0; j < 16; ++j) m[c][j] = j % 4 ? int8_t(-1) : int8_t(j + off[c]);
    __m256i v[4];
    for (int c = 0; c < 4; ++c)
        v[c] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(m[c])));
    return {v[0], v[1], v[2], v[3]};
}

// Eight pairs from a.src + 4 q (pairs 0-3 | 4-7 in the lanes); the next pair's chroma is
// read from the following group.
// Last: the row's last eight pairs, whose last pair reads its own chroma as the next.
template <bool SharedLuma, bool Sum, bool GreenOnly, bool Last = false>
__attribute__((target("avx2"))) inline void packedBlock(const ArithVec& k, const PackedOrder& o,
                                                        const ArithRowArgs& a, int q) {
    const uint8_t* g = a.src + 4 * q;
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g));
    const __m256i wn =
        Last ? _mm256_permutevar8x32_epi32(w, _mm256_setr_epi32(1, 2, 3, 4, 5, 6, 7, 7))
             : _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + 4));
    const __m256i u0 = _mm256_shuffle_epi8(w, o.u), v0 = _mm256_shuffle_epi8(w, o.v);
    __m256i u1, v1;
    if (Sum) {
        u1 = _mm256_add_epi32(u0, _mm256_shuffle_epi8(wn, o.u));
        v1 = _mm256_add_epi32(v0, _mm256_shuffle_epi8(wn, o.v));
    } else {
        // Every byte's rounded mean with the next pair's, the chroma picked from it.
        const __m256i m = _mm256_avg_epu8(w, wn);
        u1 = _mm256_shuffle_epi8(m, o.u), v1 = _mm256_shuffle_epi8(m, o.v);
    }
    int amb0, amb1;
    arithBlock<SharedLuma, Sum, GreenOnly>(k, _mm256_shuffle_epi8(w, o.y0),
                                           _mm256_shuffle_epi8(w, o.y1), u0, u1, v0, v1,
                                           a.dst + 8 * q, amb0, amb1);
    if (__builtin_expect(amb0 | amb1, 0)) arithFix(a, q, amb0, amb1);
}

template <bool SharedLuma, bool Sum, bool GreenOnly>
__attribute__((target("avx2,prfchw"))) void arithRowPacked(const ArithRowArgs& a) {
    const ArithVec k = arithVec(*a.k);
    const PackedOrder o = packedOrder(a);
    int q = 0;
    // The last pair reads its own chroma, not the following group's: the last block does.
    for (; q + 9 <= a.pairs; q += 8) {
        // The destination's line a row ahead, for writing, as in the fast path.
        _m_prefetchw(a.dst + 8 * q + 8192);
        packedBlock<SharedLuma, Sum, GreenOnly>(k, o, a, q);
    }
    if (q < a.pairs && a.pairs >= 8) {
        // The last eight again, over some already written with the same bytes.
        packedBlock<SharedLuma, Sum, GreenOnly, true>(k, o, a, a.pairs - 8);
    } else if (q < a.pairs) {
        ArithTail<8> t(a, q);
        packedBlock<SharedLuma, Sum, GreenOnly>(k, o, t.args, 0);
        t.finish(a, q);
    }
}

// Eight pairs of unpacked rows from pair q; the entry past the last pair repeats it.
template <bool SharedLuma, bool Sum, bool GreenOnly>
__attribute__((target("avx2"))) inline void planarBlock(const ArithVec& k, const ArithRowArgs& a,
                                                        int q) {
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a.y + 2 * q));
    const __m256i low = _mm256_set1_epi32(0xffff);
    const __m256i u0 = load8x16(a.u + q), v0 = load8x16(a.v + q);
    int amb0, amb1;
    arithBlock<SharedLuma, Sum, GreenOnly>(k, _mm256_and_si256(y, low), _mm256_srli_epi32(y, 16),
                                           u0, secondChroma<Sum>(u0, load8x16(a.u + q + 1)), v0,
                                           secondChroma<Sum>(v0, load8x16(a.v + q + 1)),
                                           a.dst + 8 * q, amb0, amb1);
    if (__builtin_expect(amb0 | amb1, 0)) arithFix(a, q, amb0, amb1);
}

template <bool SharedLuma, bool Sum, bool GreenOnly>
__attribute__((target("avx2,prfchw"))) void arithRowPlanar(const ArithRowArgs& a) {
    const ArithVec k = arithVec(*a.k);
    int q = 0;
    for (; q + 8 <= a.pairs; q += 8) {
        _m_prefetchw(a.dst + 8 * q + 8192);
        planarBlock<SharedLuma, Sum, GreenOnly>(k, a, q);
    }
    if (q < a.pairs && a.pairs >= 8) {
        // The last eight again (the rows carry the entry past the last pair).
        planarBlock<SharedLuma, Sum, GreenOnly>(k, a, a.pairs - 8);
    } else if (q < a.pairs) {
        ArithTail<8> t(a, q);
        planarBlock<SharedLuma, Sum, GreenOnly>(k, t.args, 0);
        t.finish(a, q);
    }
}

// The same with sixteen pairs (32 pixels) per step in 512-bit registers.
#define ZU_AVX512 __attribute__((target("avx512f,avx512bw")))

struct ArithVec512 {
    __m512i ky[3], ku[3], kv[3], d[3];
    __m512i ku2[3], kv2[3];  // doubled: a first pixel's chroma sum is twice its sample
    __m512i guardMask[3], alpha, order, pick[2];
    __m512i highWords, alpha16;  // VBMI: the odd words of two registers; alpha per word
    __m128i shift, shift16;      // shift16: the shift less 16
};

ZU_AVX512 ArithVec512 arithVec512(const ArithCoeffs& k) {
    ArithVec512 v;
    for (int c = 0; c < 3; ++c) {
        v.ky[c] = _mm512_set1_epi32(k.ky[c]);
        v.ku[c] = _mm512_set1_epi32(k.ku[c]);
        v.kv[c] = _mm512_set1_epi32(k.kv[c]);
        v.d[c] = _mm512_set1_epi32(k.d[c]);
        v.ku2[c] = _mm512_set1_epi32(int32_t(2 * uint32_t(k.ku[c])));
        v.kv2[c] = _mm512_set1_epi32(int32_t(2 * uint32_t(k.kv[c])));
    }
    for (int c = 0; c < 3; ++c) v.guardMask[c] = _mm512_set1_epi32(k.guardMask[c]);
    v.alpha = _mm512_set1_epi32(k.alpha);
    v.shift = _mm_cvtsi32_si128(k.shift);
    v.shift16 = _mm_cvtsi32_si128(k.shift - 16);
    alignas(64) static constexpr int16_t highWords[32] = {
        1,  3,  5,  7,  9,  11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31,
        33, 35, 37, 39, 41, 43, 45, 47, 49, 51, 53, 55, 57, 59, 61, 63};
    v.highWords = _mm512_load_si512(highWords);
    v.alpha16 = _mm512_set1_epi16(k.alpha);
    v.order = _mm512_broadcast_i32x4(_mm_loadu_si128(reinterpret_cast<const __m128i*>(k.order)));
    v.pick[0] = _mm512_loadu_si512(k.pick[0]), v.pick[1] = _mm512_loadu_si512(k.pick[1]);
    return v;
}

// Sixteen pixels' X of red, green and blue. Twice: the chroma indices are half the sums
// the terms are read at.
template <bool SharedLuma, bool Twice = false>
ZU_AVX512 inline void arithSums512(const ArithVec512& k, __m512i y, __m512i u, __m512i v,
                                   __m512i& r, __m512i& g, __m512i& b) {
    const __m512i* ku = Twice ? k.ku2 : k.ku;
    const __m512i* kv = Twice ? k.kv2 : k.kv;
    const __m512i l0 = _mm512_mullo_epi32(y, k.ky[0]);
    const __m512i l1 = SharedLuma ? l0 : _mm512_mullo_epi32(y, k.ky[1]);
    const __m512i l2 = SharedLuma ? l0 : _mm512_mullo_epi32(y, k.ky[2]);
    r = _mm512_add_epi32(_mm512_add_epi32(l0, _mm512_mullo_epi32(v, kv[0])), k.d[0]);
    g = _mm512_add_epi32(_mm512_add_epi32(l1, _mm512_mullo_epi32(v, kv[1])),
                         _mm512_add_epi32(_mm512_mullo_epi32(u, ku[1]), k.d[1]));
    b = _mm512_add_epi32(_mm512_add_epi32(l2, _mm512_mullo_epi32(u, ku[2])), k.d[2]);
}

// The pixels whose three fractions are all at or above their guards.
ZU_AVX512 inline __mmask16 unguarded(const ArithVec512& k, __m512i r, __m512i g, __m512i b) {
    // Chained masked tests: no trip through general registers per component.
    return _mm512_mask_test_epi32_mask(
        _mm512_mask_test_epi32_mask(_mm512_test_epi32_mask(r, k.guardMask[0]), g, k.guardMask[1]),
        b, k.guardMask[2]);
}

// Sixteen pixels as R0-3 G0-3 B0-3 A0-3 bytes of four pixels per 128-bit lane; ok has the
// pixels whose three fractions are all at or above their guards.
template <bool SharedLuma>
ZU_AVX512 inline __m512i arithPlanes512(const ArithVec512& k, __m512i y, __m512i u, __m512i v,
                                        __mmask16& ok) {
    __m512i r, g, b;
    arithSums512<SharedLuma>(k, y, u, v, r, g, b);
    ok = unguarded(k, r, g, b);
    const __m512i rg =
        _mm512_packs_epi32(_mm512_sra_epi32(r, k.shift), _mm512_sra_epi32(g, k.shift));
    const __m512i ba = _mm512_packs_epi32(_mm512_sra_epi32(b, k.shift), k.alpha);
    return _mm512_packus_epi16(rg, ba);
}

template <bool SharedLuma>
ZU_AVX512 inline void arithBlock512(const ArithVec512& k, __m512i y0, __m512i y1, __m512i u0,
                                    __m512i u1, __m512i v0, __m512i v1, uint8_t* d, __mmask16& ok0,
                                    __mmask16& ok1) {
    const __m512i e = _mm512_shuffle_epi8(arithPlanes512<SharedLuma>(k, y0, u0, v0, ok0), k.order);
    const __m512i o = _mm512_shuffle_epi8(arithPlanes512<SharedLuma>(k, y1, u1, v1, ok1), k.order);
    // Lane l of lo holds pixels 8l to 8l + 3, of hi 8l + 4 to 8l + 7.
    const __m512i lo = _mm512_unpacklo_epi32(e, o), hi = _mm512_unpackhi_epi32(e, o);
    const __m512i first = _mm512_setr_epi64(0, 1, 8, 9, 2, 3, 10, 11);
    const __m512i second = _mm512_setr_epi64(4, 5, 12, 13, 6, 7, 14, 15);
    _mm512_storeu_si512(d, _mm512_permutex2var_epi64(lo, first, hi));
    _mm512_storeu_si512(d + 64, _mm512_permutex2var_epi64(lo, second, hi));
}

ZU_AVX512 inline void chromaVec512(bool sum, __m512i u, __m512i un, __m512i& u0, __m512i& u1) {
    if (sum) {
        u0 = _mm512_add_epi32(u, u);
        u1 = _mm512_add_epi32(u, un);
    } else {
        u0 = u;
        u1 = _mm512_avg_epu16(u, un);
    }
}

// Sixteen pairs as U0-15, Y0 of each, V0-15, Y1 of each.
ZU_AVX512 inline void splitPairs512(const uint8_t* p, __m512i gather, __m512i order, __m128i& u,
                                    __m128i& y0, __m128i& v, __m128i& y1) {
    __m512i w = _mm512_loadu_si512(p);
    w = _mm512_permutexvar_epi32(order, _mm512_shuffle_epi8(w, gather));
    u = _mm512_castsi512_si128(w);
    y0 = _mm512_extracti32x4_epi32(w, 1);
    v = _mm512_extracti32x4_epi32(w, 2);
    y1 = _mm512_extracti32x4_epi32(w, 3);
}

ZU_AVX512 inline __m512i load16x16(const uint16_t* p) {
    return _mm512_cvtepu16_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)));
}

// From the pixels that need no fixing.
void arithFix16(const ArithRowArgs& a, int k, unsigned ok0, unsigned ok1) {
    arithFix(a, k, ~ok0 & 0xffff, ~ok1 & 0xffff);
}

// Whether any of 32 pixels needs fixing.
ZU_AVX512 inline bool anyGuarded(__mmask16 ok0, __mmask16 ok1) {
    return __builtin_expect(_kand_mask16(ok0, ok1) != 0xffff, 0);
}

struct PackedOrder512 {
    __m512i gather, order;
};

ZU_AVX512 PackedOrder512 packedOrder512(const ArithRowArgs& a) {
    alignas(16) int8_t m[16];
    const int off[4] = {a.uOff, a.yOff0, a.vOff, a.yOff1};
    for (int j = 0; j < 16; ++j) m[j] = int8_t(4 * (j & 3) + off[j >> 2]);
    return {_mm512_broadcast_i32x4(_mm_load_si128(reinterpret_cast<const __m128i*>(m))),
            _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15)};
}

template <bool SharedLuma>
ZU_AVX512 inline void packedBlock512(const ArithVec512& k, const PackedOrder512& o,
                                     const ArithRowArgs& a, int q) {
    const uint8_t* g = a.src + 4 * q;
    __m128i u, y0, v, y1, un, vn, t0, t1;
    splitPairs512(g, o.gather, o.order, u, y0, v, y1);
    splitPairs512(g + 4, o.gather, o.order, un, t0, vn, t1);
    __m512i u0, u1, v0, v1;
    chromaVec512(a.sumIndex, _mm512_cvtepu8_epi32(u), _mm512_cvtepu8_epi32(un), u0, u1);
    chromaVec512(a.sumIndex, _mm512_cvtepu8_epi32(v), _mm512_cvtepu8_epi32(vn), v0, v1);
    __mmask16 ok0, ok1;
    arithBlock512<SharedLuma>(k, _mm512_cvtepu8_epi32(y0), _mm512_cvtepu8_epi32(y1), u0, u1, v0, v1,
                              a.dst + 8 * q, ok0, ok1);
    if (anyGuarded(ok0, ok1)) arithFix16(a, q, ok0, ok1);
}

// With byte permutes, each of U, Y0, V, Y1 of sixteen pairs comes out of the group's bytes
// as 32-bit lanes in one step.
#define ZU_AVX512_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

struct BytePicks {
    __m512i u, y0, v, y1;
};

// Byte 4 p of each pick is byte 4 p + the component's offset (the others are masked off).
ZU_AVX512_VBMI BytePicks bytePicks(const ArithRowArgs& a) {
    const __m512i base =
        _mm512_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28, 32, 36, 40, 44, 48, 52, 56, 60);
    return {_mm512_add_epi32(base, _mm512_set1_epi32(a.uOff)),
            _mm512_add_epi32(base, _mm512_set1_epi32(a.yOff0)),
            _mm512_add_epi32(base, _mm512_set1_epi32(a.vOff)),
            _mm512_add_epi32(base, _mm512_set1_epi32(a.yOff1))};
}

// 32 pixels: both halves' planes into the destination's order by two byte permutes. Sum:
// the first pixels' chroma indices are their samples, read at twice that.
template <bool SharedLuma, bool Sum>
ZU_AVX512_VBMI inline void arithBlockVbmi(const ArithVec512& k, __m512i y0, __m512i y1, __m512i u0,
                                          __m512i u1, __m512i v0, __m512i v1, uint8_t* d,
                                          __mmask16& ok0, __mmask16& ok1) {
    __m512i r0, g0, b0, r1, g1, b1;
    arithSums512<SharedLuma, Sum>(k, y0, u0, v0, r0, g0, b0);
    arithSums512<SharedLuma>(k, y1, u1, v1, r1, g1, b1);
    ok0 = unguarded(k, r0, g0, b0), ok1 = unguarded(k, r1, g1, b1);
    // The high words of two registers into one by a word permute, then shifted by what is
    // left of the shift: the integer parts, as the 32-bit shifts and packs would give them.
    const __m512i rg0 = _mm512_sra_epi16(_mm512_permutex2var_epi16(r0, k.highWords, g0), k.shift16);
    const __m512i rg1 = _mm512_sra_epi16(_mm512_permutex2var_epi16(r1, k.highWords, g1), k.shift16);
    const __m512i bb = _mm512_sra_epi16(_mm512_permutex2var_epi16(b0, k.highWords, b1), k.shift16);
    const __m512i p = _mm512_packus_epi16(rg0, rg1), q = _mm512_packus_epi16(bb, k.alpha16);
    _mm512_storeu_si512(d, _mm512_permutex2var_epi8(p, k.pick[0], q));
    _mm512_storeu_si512(d + 64, _mm512_permutex2var_epi8(p, k.pick[1], q));
}

// Last: the row's last sixteen pairs, whose last pair reads its own chroma as the next.
template <bool SharedLuma, bool Sum, bool Last = false>
ZU_AVX512_VBMI inline void packedBlockVbmi(const ArithVec512& k, const BytePicks& b,
                                           const uint8_t* g, uint8_t* d, __mmask16& ok0,
                                           __mmask16& ok1) {
    constexpr __mmask64 low = 0x1111111111111111ull, lastPair = 0xfull << 60;
    const __m512i w = _mm512_loadu_si512(g);
    const __m512i n =
        Last ? _mm512_mask_mov_epi8(_mm512_maskz_loadu_epi8(~lastPair, g + 4), lastPair, w)
             : _mm512_loadu_si512(g + 4);
    const __m512i u0 = _mm512_maskz_permutexvar_epi8(low, b.u, w),
                  v0 = _mm512_maskz_permutexvar_epi8(low, b.v, w);
    __m512i u1, v1;
    if (Sum) {
        u1 = _mm512_add_epi32(u0, _mm512_maskz_permutexvar_epi8(low, b.u, n));
        v1 = _mm512_add_epi32(v0, _mm512_maskz_permutexvar_epi8(low, b.v, n));
    } else {
        // Every byte's rounded mean with the next pair's, the chroma picked from it.
        const __m512i m = _mm512_avg_epu8(w, n);
        u1 = _mm512_maskz_permutexvar_epi8(low, b.u, m);
        v1 = _mm512_maskz_permutexvar_epi8(low, b.v, m);
    }
    arithBlockVbmi<SharedLuma, Sum>(k, _mm512_maskz_permutexvar_epi8(low, b.y0, w),
                                    _mm512_maskz_permutexvar_epi8(low, b.y1, w), u0, u1, v0, v1, d,
                                    ok0, ok1);
}

// The row's fields are copied into locals: the byte stores could alias them otherwise, and
// each step would read them again.
template <bool SharedLuma, bool Sum>
ZU_AVX512_VBMI void arithRowPackedVbmi(const ArithRowArgs& a) {
    const ArithVec512 k = arithVec512(*a.k);
    const BytePicks b = bytePicks(a);
    const uint8_t* src = a.src;
    uint8_t* dst = a.dst;
    const int pairs = a.pairs;
    __mmask16 ok0, ok1;
    int q = 0;
    for (; q + 17 <= pairs; q += 16) {
        // The source a row ahead and the destination's lines a row ahead, for writing, as
        // the fast path does: with both out of the caches (a new frame) the block's
        // operations leave too few loads in flight otherwise. Prefetches do not fault past
        // the buffers' ends.
        _mm_prefetch(reinterpret_cast<const char*>(src + 4 * q + 4096), _MM_HINT_T0);
        _m_prefetchw(dst + 8 * q + 8192);
        _m_prefetchw(dst + 8 * q + 8192 + 64);
        packedBlockVbmi<SharedLuma, Sum>(k, b, src + 4 * q, dst + 8 * q, ok0, ok1);
        if (anyGuarded(ok0, ok1)) arithFix16(a, q, ok0, ok1);
    }
    if (q < pairs && pairs >= 16) {
        // The last sixteen again, over some already written with the same bytes.
        q = pairs - 16;
        packedBlockVbmi<SharedLuma, Sum, true>(k, b, src + 4 * q, dst + 8 * q, ok0, ok1);
        if (anyGuarded(ok0, ok1)) arithFix16(a, q, ok0, ok1);
    } else if (q < pairs) {
        ArithTail<16> t(a, q);
        packedBlockVbmi<SharedLuma, Sum>(k, b, t.args.src, t.args.dst, ok0, ok1);
        if (anyGuarded(ok0, ok1)) arithFix16(t.args, 0, ok0, ok1);
        t.finish(a, q);
    }
}

template <bool SharedLuma, bool Sum>
ZU_AVX512_VBMI inline void planarBlockVbmi(const ArithVec512& k, const ArithRowArgs& a, int q) {
    const __m512i yy = _mm512_loadu_si512(a.y + 2 * q);
    const __m512i low = _mm512_set1_epi32(0xffff);
    const __m512i u0 = load16x16(a.u + q), v0 = load16x16(a.v + q);
    const __m512i un = load16x16(a.u + q + 1), vn = load16x16(a.v + q + 1);
    const __m512i u1 = Sum ? _mm512_add_epi32(u0, un) : _mm512_avg_epu16(u0, un);
    const __m512i v1 = Sum ? _mm512_add_epi32(v0, vn) : _mm512_avg_epu16(v0, vn);
    __mmask16 ok0, ok1;
    arithBlockVbmi<SharedLuma, Sum>(k, _mm512_and_si512(yy, low), _mm512_srli_epi32(yy, 16), u0, u1,
                                    v0, v1, a.dst + 8 * q, ok0, ok1);
    if (anyGuarded(ok0, ok1)) arithFix16(a, q, ok0, ok1);
}

template <bool SharedLuma, bool Sum>
ZU_AVX512_VBMI void arithRowPlanarVbmi(const ArithRowArgs& args) {
    const ArithVec512 k = arithVec512(*args.k);
    const ArithRowArgs a = args;  // the stores could alias the fields otherwise
    int q = 0;
    for (; q + 16 <= a.pairs; q += 16) {
        // The destination's lines a row ahead, for writing, as in the packed kernel.
        _m_prefetchw(a.dst + 8 * q + 8192);
        _m_prefetchw(a.dst + 8 * q + 8192 + 64);
        planarBlockVbmi<SharedLuma, Sum>(k, a, q);
    }
    if (q < a.pairs && a.pairs >= 16) {
        // The last sixteen again, over some already written with the same bytes (the rows
        // carry the entry past the last pair).
        planarBlockVbmi<SharedLuma, Sum>(k, a, a.pairs - 16);
    } else if (q < a.pairs) {
        ArithTail<16> t(a, q);
        planarBlockVbmi<SharedLuma, Sum>(k, t.args, 0);
        t.finish(a, q);
    }
}

template <bool SharedLuma>
ZU_AVX512_VBMI void arithRowVbmi(const ArithRowArgs& a) {
    if (a.src)
        a.sumIndex ? arithRowPackedVbmi<SharedLuma, true>(a)
                   : arithRowPackedVbmi<SharedLuma, false>(a);
    else
        a.sumIndex ? arithRowPlanarVbmi<SharedLuma, true>(a)
                   : arithRowPlanarVbmi<SharedLuma, false>(a);
}

template <bool SharedLuma>
ZU_AVX512 void arithRowPacked512(const ArithRowArgs& a) {
    const ArithVec512 k = arithVec512(*a.k);
    const PackedOrder512 o = packedOrder512(a);
    int q = 0;
    for (; q + 17 <= a.pairs; q += 16) packedBlock512<SharedLuma>(k, o, a, q);
    if (q < a.pairs) {
        ArithTail<16> t(a, q);
        packedBlock512<SharedLuma>(k, o, t.args, 0);
        t.finish(a, q);
    }
}

template <bool SharedLuma>
ZU_AVX512 inline void planarBlock512(const ArithVec512& k, const ArithRowArgs& a, int q) {
    const __m512i y = _mm512_loadu_si512(a.y + 2 * q);
    const __m512i low = _mm512_set1_epi32(0xffff);
    __m512i u0, u1, v0, v1;
    chromaVec512(a.sumIndex, load16x16(a.u + q), load16x16(a.u + q + 1), u0, u1);
    chromaVec512(a.sumIndex, load16x16(a.v + q), load16x16(a.v + q + 1), v0, v1);
    __mmask16 ok0, ok1;
    arithBlock512<SharedLuma>(k, _mm512_and_si512(y, low), _mm512_srli_epi32(y, 16), u0, u1, v0, v1,
                              a.dst + 8 * q, ok0, ok1);
    if (anyGuarded(ok0, ok1)) arithFix16(a, q, ok0, ok1);
}

template <bool SharedLuma>
ZU_AVX512 void arithRowPlanar512(const ArithRowArgs& a) {
    const ArithVec512 k = arithVec512(*a.k);
    int q = 0;
    for (; q + 16 <= a.pairs; q += 16) planarBlock512<SharedLuma>(k, a, q);
    if (q < a.pairs) {
        ArithTail<16> t(a, q);
        planarBlock512<SharedLuma>(k, t.args, 0);
        t.finish(a, q);
    }
}

}  // namespace

namespace {

using ArithRowFn = void (*)(const ArithRowArgs&);
// [packed, planar][shared luma][sum][green guard only]
#define ZU_ARITH_ROWS(R)                                     \
    {                                                        \
        {{R<false, false, false>, R<false, false, true>},    \
         {R<false, true, false>, R<false, true, true>}},     \
        {                                                    \
            {R<true, false, false>, R<true, false, true>}, { \
                R<true, true, false>, R<true, true, true>    \
            }                                                \
        }                                                    \
    }
const ArithRowFn kArithRows[2][2][2][2] = {ZU_ARITH_ROWS(arithRowPacked),
                                           ZU_ARITH_ROWS(arithRowPlanar)};
#undef ZU_ARITH_ROWS

}  // namespace

void arithRowAvx2(const ArithRowArgs& a) {
    kArithRows[a.src ? 0 : 1][a.k->sharedLuma][a.sumIndex][a.k->greenGuardOnly](a);
}

void arithRowAvx512(const ArithRowArgs& a, bool vbmi) {
    // The byte-permute kernel takes the integer parts from the high words.
    if (vbmi && a.k->shift >= 16)
        a.k->sharedLuma ? arithRowVbmi<true>(a) : arithRowVbmi<false>(a);
    else if (a.src)
        a.k->sharedLuma ? arithRowPacked512<true>(a) : arithRowPacked512<false>(a);
    else
        a.k->sharedLuma ? arithRowPlanar512<true>(a) : arithRowPlanar512<false>(a);
}

// ---- 10-bit 4:2:2 unpacking ---------------------------------------------------------------

// Writes up to two entries past Y, U and V of the last whole group, which the callers'
// buffers allow for. Two groups per step, one per 128-bit lane: a byte shuffle brings the
// two bytes that hold each component into a 16-bit lane, a multiply by a power of two and
// a shift take its ten bits to the bottom (there is no per-lane 16-bit shift in AVX2).
__attribute__((target("avx2"))) void unpackV210Avx2(const uint8_t* row, int width, uint16_t* y,
                                                    uint16_t* u, uint16_t* v) {
    // Byte and shift of each component inside a group; words 6-7 and 3, 7 are spare.
    static constexpr uint8_t yAt[8][2] = {{1, 2},  {4, 0},  {6, 4},  {9, 2},
                                          {12, 0}, {14, 4}, {14, 4}, {14, 4}};
    static constexpr uint8_t cAt[8][2] = {{0, 0}, {5, 2}, {10, 4}, {10, 4},
                                          {2, 4}, {8, 0}, {13, 2}, {13, 2}};
    alignas(16) uint8_t yIdx[16], cIdx[16];
    alignas(16) uint16_t yMul[8], cMul[8];
    for (int i = 0; i < 8; ++i) {
        yIdx[2 * i] = yAt[i][0], yIdx[2 * i + 1] = uint8_t(yAt[i][0] + 1);
        cIdx[2 * i] = cAt[i][0], cIdx[2 * i + 1] = uint8_t(cAt[i][0] + 1);
        yMul[i] = uint16_t(16 >> yAt[i][1]), cMul[i] = uint16_t(16 >> cAt[i][1]);
    }
    const __m256i yi =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(yIdx)));
    const __m256i ci =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(cIdx)));
    const __m256i ym =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(yMul)));
    const __m256i cm =
        _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(cMul)));
    const __m256i mask = _mm256_set1_epi16(1023);
    int x = 0;
    for (; x + 12 <= width; x += 12, row += 32) {
        const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
        const __m256i yv = _mm256_and_si256(
            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_shuffle_epi8(w, yi), ym), 4), mask);
        const __m256i cv = _mm256_and_si256(
            _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_shuffle_epi8(w, ci), cm), 4), mask);
        const __m128i y0 = _mm256_castsi256_si128(yv), y1 = _mm256_extracti128_si256(yv, 1);
        const __m128i c0 = _mm256_castsi256_si128(cv), c1 = _mm256_extracti128_si256(cv, 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x), y0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(y + x + 6), y1);
        // 64-bit stores: u + x / 2 and v + x / 2 are only 2-byte aligned.
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + x / 2), c0);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + x / 2 + 3), c1);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + x / 2), _mm_unpackhi_epi64(c0, c0));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + x / 2 + 3), _mm_unpackhi_epi64(c1, c1));
    }
    if (x < width) unpackV210(row, width - x, y + x, u + x / 2, v + x / 2);
}

// Four groups (24 pixels) per step: a byte permute brings the two bytes that hold each
// component into a 16-bit lane, a shift per lane and a mask finish it.
__attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi"))) void unpackV210Vbmi(
    const uint8_t* row, int width, uint16_t* y, uint16_t* u, uint16_t* v) {
    // Byte and shift of each component inside a group.
    static constexpr uint8_t yAt[6][2] = {{1, 2}, {4, 0}, {6, 4}, {9, 2}, {12, 0}, {14, 4}};
    static constexpr uint8_t uAt[3][2] = {{0, 0}, {5, 2}, {10, 4}};
    static constexpr uint8_t vAt[3][2] = {{2, 4}, {8, 0}, {13, 2}};
    alignas(64) uint8_t yIdx[64] = {}, cIdx[64] = {};
    alignas(64) uint16_t yShift[32] = {}, cShift[32] = {};
    for (int g = 0; g < 4; ++g) {
        for (int i = 0; i < 6; ++i) {
            const int lane = 6 * g + i;
            yIdx[2 * lane] = uint8_t(16 * g + yAt[i][0]), yIdx[2 * lane + 1] = yIdx[2 * lane] + 1;
            yShift[lane] = yAt[i][1];
        }
        for (int i = 0; i < 3; ++i) {
            const int lu = 3 * g + i, lv = 16 + 3 * g + i;
            cIdx[2 * lu] = uint8_t(16 * g + uAt[i][0]), cIdx[2 * lu + 1] = cIdx[2 * lu] + 1;
            cIdx[2 * lv] = uint8_t(16 * g + vAt[i][0]), cIdx[2 * lv + 1] = cIdx[2 * lv] + 1;
            cShift[lu] = uAt[i][1], cShift[lv] = vAt[i][1];
        }
    }
    const __m512i yi = _mm512_load_si512(yIdx), ci = _mm512_load_si512(cIdx);
    const __m512i ys = _mm512_load_si512(yShift), cs = _mm512_load_si512(cShift);
    const __m512i mask = _mm512_set1_epi16(1023);
    int x = 0;
    for (; x + 24 <= width; x += 24, row += 64) {
        _mm_prefetch(reinterpret_cast<const char*>(row + 4096), _MM_HINT_T0);
        const __m512i w = _mm512_loadu_si512(row);
        const __m512i yv =
            _mm512_and_si512(_mm512_srlv_epi16(_mm512_permutexvar_epi8(yi, w), ys), mask);
        const __m512i cv =
            _mm512_and_si512(_mm512_srlv_epi16(_mm512_permutexvar_epi8(ci, w), cs), mask);
        _mm512_mask_storeu_epi16(y + x, 0xffffff, yv);
        _mm512_mask_storeu_epi16(u + x / 2, 0xfff, cv);
        _mm256_mask_storeu_epi16(v + x / 2, 0xfff, _mm512_extracti64x4_epi64(cv, 1));
    }
    if (x < width) unpackV210(row, width - x, y + x, u + x / 2, v + x / 2);
}

bool cpuHasVbmi() {
    static const bool has = [] {
        __builtin_cpu_init();
        return cpuHasAvx512() && __builtin_cpu_supports("avx512vl") &&
               __builtin_cpu_supports("avx512vbmi");
    }();
    return has;
}

// ---- byte order of 4-byte RGB ----------------------------------------------------------

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
#endif
