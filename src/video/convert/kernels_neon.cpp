// arm64 row kernels (Advanced SIMD, which every arm64 processor has). Elsewhere this file
// compiles to nothing. Each kernel gives the scalar reference's bytes exactly.
#if defined(__aarch64__)
#include <arm_neon.h>

#include "video/convert/kernel_util.h"

namespace zu::detail {

// ---- fast path, 16-bit arithmetic ----------------------------------------------------

namespace {

// A form's vectors. Blue, red and luma add (x < M); the green forms that share their x
// with blue and red add (x > M), those that do not (x < M), as deriveFastArith makes them.
struct FormVec {
    int16x8_t s, t, k, m;
};

FormVec formVec(const FastForm& f) {
    return {vdupq_n_s16(f.s), vdupq_n_s16(f.t), vdupq_n_s16(f.k), vdupq_n_s16(f.m)};
}

inline int16x8_t formX(const FormVec& f, int16x8_t i) {
    return vmlaq_s16(f.t, i, f.s);
}

// fastFormValue less the constant, from x. The doubling high multiply halved is the high
// half of the product exactly (floor of a floor over 2), as long as it does not saturate,
// which only -32768 times -32768 does: the kernel is not used for K = -32768.
template <bool Above>
inline int16x8_t formValue(const FormVec& f, int16x8_t x) {
    const int16x8_t h = vshrq_n_s16(vqdmulhq_s16(x, f.k), 1);
    const uint16x8_t c = Above ? vcgtq_s16(x, f.m) : vcltq_s16(x, f.m);
    return vsubq_s16(h, vreinterpretq_s16_u16(c));
}

struct FastNeon {
    FormVec luma, blue, red, greenCb, greenCr;
    int16x8_t addB, addR, addG;
    uint8x16_t alpha;
};

// One component's bytes of eight pixels from their luma words and their chroma words.
inline uint8x8_t saturate(int16x8_t l, int16x8_t c) {
    return vqmovun_s16(vaddq_s16(l, c));
}

inline int16x8_t widen(uint8x8_t b) {
    return vreinterpretq_s16_u16(vmovl_u8(b));
}

// Pixels of eight pairs in order from the bytes of their first and second pixels.
inline uint8x16_t interleave(uint8x8_t first, uint8x8_t second) {
    const uint8x8x2_t z = vzip_u8(first, second);
    return vcombine_u8(z.val[0], z.val[1]);
}

// Sixteen pairs: the source's four bytes of each pair, split by vld4, in "2vuy" order
// (U Y0 V Y1) or in "yuy2" order (Y0 U Y1 V). Shared: blue and green from Cb share x, as
// do red and green from Cr.
template <bool Yuy2, bool Shared>
inline void fastBlock(const FastNeon& f, const uint8x16x4_t& g, uint8_t* d) {
    const uint8x16_t u = g.val[Yuy2 ? 1 : 0], y0 = g.val[Yuy2 ? 0 : 1];
    const uint8x16_t v = g.val[Yuy2 ? 3 : 2], y1 = g.val[Yuy2 ? 2 : 3];
    uint8x16x4_t out[2];
    for (int h = 0; h < 2; ++h) {
        const int16x8_t ui = widen(h ? vget_high_u8(u) : vget_low_u8(u));
        const int16x8_t vi = widen(h ? vget_high_u8(v) : vget_low_u8(v));
        const int16x8_t xu = formX(f.blue, ui), xv = formX(f.red, vi);
        const int16x8_t xgu = Shared ? xu : formX(f.greenCb, ui);
        const int16x8_t xgv = Shared ? xv : formX(f.greenCr, vi);
        const int16x8_t b = vaddq_s16(formValue<false>(f.blue, xu), f.addB);
        const int16x8_t r = vaddq_s16(formValue<false>(f.red, xv), f.addR);
        const int16x8_t g2 = vaddq_s16(
            vaddq_s16(formValue<Shared>(f.greenCb, xgu), formValue<Shared>(f.greenCr, xgv)),
            f.addG);
        const int16x8_t l0 =
            formValue<false>(f.luma, formX(f.luma, widen(h ? vget_high_u8(y0) : vget_low_u8(y0))));
        const int16x8_t l1 =
            formValue<false>(f.luma, formX(f.luma, widen(h ? vget_high_u8(y1) : vget_low_u8(y1))));
        out[h] = {{interleave(saturate(l0, b), saturate(l1, b)),
                   interleave(saturate(l0, g2), saturate(l1, g2)),
                   interleave(saturate(l0, r), saturate(l1, r)), f.alpha}};
    }
    vst4q_u8(d, out[0]);
    vst4q_u8(d + 64, out[1]);
}

// Sixteen source pairs from src, every Step-th one.
template <int Step>
inline uint8x16x4_t loadPairs(const uint8_t* src) {
    const uint8x16x4_t a = vld4q_u8(src);
    if (Step == 1) return a;
    const uint8x16x4_t b = vld4q_u8(src + 64);
    return {{vuzp1q_u8(a.val[0], b.val[0]), vuzp1q_u8(a.val[1], b.val[1]),
             vuzp1q_u8(a.val[2], b.val[2]), vuzp1q_u8(a.val[3], b.val[3])}};
}

template <int Step, bool Yuy2, bool Shared>
void fastBlocks(const FastNeon& f, const uint8_t* src, uint8_t* dst, int pairs) {
    int k = 0;
    for (; k + 16 <= pairs; k += 16)
        fastBlock<Yuy2, Shared>(f, loadPairs<Step>(src + 4 * Step * k), dst + 8 * k);
    // The last sixteen again, over some already written with the same bytes.
    if (k < pairs) {
        const int q = pairs - 16;
        fastBlock<Yuy2, Shared>(f, loadPairs<Step>(src + 4 * Step * q), dst + 8 * q);
    }
}

template <int Step, bool Yuy2>
void fastRow(const FastNeon& n, const FastRowArgs& a, bool shared) {
    shared ? fastBlocks<Step, Yuy2, true>(n, a.src, a.dst, a.pairs)
           : fastBlocks<Step, Yuy2, false>(n, a.src, a.dst, a.pairs);
}

}  // namespace

void fastRowArithNeon(const FastRowArgs& a, const FastArith& f) {
    const FastForm* forms[5] = {&f.luma, &f.blue, &f.red, &f.greenCb, &f.greenCr};
    const bool uyvy = a.uOff == 0 && a.yOff0 == 1 && a.vOff == 2 && a.yOff1 == 3;
    const bool yuy2 = a.uOff == 1 && a.yOff0 == 0 && a.vOff == 3 && a.yOff1 == 2;
    bool fits = uyvy || yuy2;  // no other 8-bit 4:2:2 order exists
    for (const FastForm* form : forms) fits = fits && form->k != -32768;
    if (!fits) return fastRowScalar(a);
    const FastNeon n{
        formVec(f.luma),       formVec(f.blue),
        formVec(f.red),        formVec(f.greenCb),
        formVec(f.greenCr),    vdupq_n_s16(f.add[0]),
        vdupq_n_s16(f.add[1]), vdupq_n_s16(int16_t(uint16_t(f.add[2]) + uint16_t(f.add[3]))),
        vdupq_n_u8(f.alpha)};
    if (a.step == 2)
        yuy2 ? fastRow<2, true>(n, a, f.sharedChroma) : fastRow<2, false>(n, a, f.sharedChroma);
    else
        yuy2 ? fastRow<1, true>(n, a, f.sharedChroma) : fastRow<1, false>(n, a, f.sharedChroma);
}

// ---- integer kernel (general path and fallback scaler) --------------------------------

namespace {

struct ArithNeon {
    int32x4_t ky[3], ku[3], kv[3], d[3], mask[3];
    int32x4_t shift;  // negative: shifts right
    uint8x16_t alpha;
    int byteOf[4];  // the component (red, green, blue, alpha) at each byte of a pixel
    bool greenOnly;
};

ArithNeon arithNeon(const ArithCoeffs& k) {
    ArithNeon n;
    for (int c = 0; c < 3; ++c) {
        n.ky[c] = vdupq_n_s32(k.ky[c]), n.ku[c] = vdupq_n_s32(k.ku[c]);
        n.kv[c] = vdupq_n_s32(k.kv[c]), n.d[c] = vdupq_n_s32(k.d[c]);
        n.mask[c] = vdupq_n_s32(k.guardMask[c]);
    }
    n.shift = vdupq_n_s32(-k.shift);
    n.alpha = vdupq_n_u8(k.alpha);
    for (int c = 0; c < 4; ++c) n.byteOf[k.slot[c]] = c;
    n.greenOnly = k.greenGuardOnly;
    return n;
}

// Red, green and blue of four pixels from their indices, saturated to 16 bits as the x86
// kernels pack them; ok gets all ones in the lanes whose fractions clear every guard.
inline void fourPixels(const ArithNeon& k, uint32x4_t y, uint32x4_t u, uint32x4_t v,
                       int16x4_t out[3], uint32x4_t& ok) {
    const int32x4_t ys = vreinterpretq_s32_u32(y), us = vreinterpretq_s32_u32(u),
                    vs = vreinterpretq_s32_u32(v);
    for (int c = 0; c < 3; ++c) {
        // Red reads no U and blue no V: their products are zero.
        int32x4_t x = vmlaq_s32(k.d[c], ys, k.ky[c]);
        if (c != 0) x = vmlaq_s32(x, us, k.ku[c]);
        if (c != 2) x = vmlaq_s32(x, vs, k.kv[c]);
        if (c == 1 || !k.greenOnly) ok = vandq_u32(ok, vtstq_s32(x, k.mask[c]));
        out[c] = vqmovn_s32(vshlq_s32(x, k.shift));
    }
}

// Eight pixels of one parity: bytes per component.
inline void eightPixels(const ArithNeon& k, uint16x8_t y, uint16x8_t u, uint16x8_t v,
                        uint8x8_t out[3], uint32x4_t& ok) {
    int16x4_t lo[3], hi[3];
    fourPixels(k, vmovl_u16(vget_low_u16(y)), vmovl_u16(vget_low_u16(u)),
               vmovl_u16(vget_low_u16(v)), lo, ok);
    uint32x4_t okHi = vdupq_n_u32(~0u);
    fourPixels(k, vmovl_high_u16(y), vmovl_high_u16(u), vmovl_high_u16(v), hi, okHi);
    // Lane j of ok: pixels j and j + 4 both clear (only whether any is guarded matters here).
    ok = vandq_u32(ok, okHi);
    for (int c = 0; c < 3; ++c) out[c] = vqmovun_s16(vcombine_s16(lo[c], hi[c]));
}

// Eight pairs from their samples: Y of the first and second pixels, chroma of each pair and
// of the next one. Sum: the indices are sums of two samples (fallback scaler), else the
// first pixels read their own pair's samples and the second ones the rounded means.
template <bool Sum>
void eightPairs(const ArithNeon& k, const ArithRowArgs& a, int q, uint16x8_t y0, uint16x8_t y1,
                uint16x8_t u, uint16x8_t v, uint16x8_t un, uint16x8_t vn) {
    const uint16x8_t u0 = Sum ? vshlq_n_u16(u, 1) : u, v0 = Sum ? vshlq_n_u16(v, 1) : v;
    const uint16x8_t u1 = Sum ? vaddq_u16(u, un) : vrhaddq_u16(u, un);
    const uint16x8_t v1 = Sum ? vaddq_u16(v, vn) : vrhaddq_u16(v, vn);
    uint8x8_t first[3], second[3];
    uint32x4_t ok = vdupq_n_u32(~0u);
    eightPixels(k, y0, u0, v0, first, ok);
    eightPixels(k, y1, u1, v1, second, ok);
    uint8x16_t comp[4];
    for (int c = 0; c < 3; ++c) {
        const uint8x8x2_t z = vzip_u8(first[c], second[c]);
        comp[c] = vcombine_u8(z.val[0], z.val[1]);
    }
    comp[3] = k.alpha;
    uint8_t* d = a.dst + 8 * q;
    vst4q_u8(d, uint8x16x4_t{
                    {comp[k.byteOf[0]], comp[k.byteOf[1]], comp[k.byteOf[2]], comp[k.byteOf[3]]}});
    if (__builtin_expect(vminvq_u32(ok) != 0, 1)) return;
    // Some pixel is near a boundary: those whose fractions sit under a guard again from
    // the terms, as the reference computes them.
    uint16_t ys[2][8], us[2][8], vs[2][8];
    vst1q_u16(ys[0], y0), vst1q_u16(ys[1], y1), vst1q_u16(us[0], u0), vst1q_u16(us[1], u1);
    vst1q_u16(vs[0], v0), vst1q_u16(vs[1], v1);
    for (int p = 0; p < 2; ++p)
        for (int j = 0; j < 8; ++j) {
            bool guarded = false;
            const int y = ys[p][j], ui = us[p][j], vi = vs[p][j];
            const ArithCoeffs& kc = *a.k;
            for (int c = 0; c < 3 && !guarded; ++c) {
                if (c != 1 && kc.greenGuardOnly) continue;
                const int32_t x =
                    int32_t(uint32_t(kc.d[c]) + uint32_t(kc.ky[c]) * uint32_t(y) +
                            uint32_t(kc.ku[c]) * uint32_t(ui) + uint32_t(kc.kv[c]) * uint32_t(vi));
                guarded = (x & kc.guardMask[c]) == 0;
            }
            if (guarded) termPixelExact(*a.terms, y, ui, vi, d + 8 * j + 4 * p);
        }
}

}  // namespace

void arithRowNeon(const ArithRowArgs& a) {
    const ArithNeon k = arithNeon(*a.k);
    const int pairs = a.pairs;
    auto run = [&](auto sum) {
        constexpr bool Sum = decltype(sum)::value;
        if (!a.src) {
            // Unpacked rows carry an entry past the last pair (repeating it).
            auto block = [&](int q) {
                const uint16x8x2_t y = vld2q_u16(a.y + 2 * q);
                eightPairs<Sum>(k, a, q, y.val[0], y.val[1], vld1q_u16(a.u + q), vld1q_u16(a.v + q),
                                vld1q_u16(a.u + q + 1), vld1q_u16(a.v + q + 1));
            };
            int q = 0;
            for (; q + 8 <= pairs; q += 8) block(q);
            if (q < pairs && pairs >= 8) block(pairs - 8);  // over some already written
            return q < pairs && pairs < 8;
        }
        // 8-bit pairs: sixteen at a time, their bytes split by vld4; the next pairs' chroma
        // from the same load one pair on, the row's last pair reading its own.
        const bool yuy2 = a.uOff == 1;
        auto block = [&](int q, bool last) {
            const uint8x16x4_t g = vld4q_u8(a.src + 4 * q);
            uint8x16x4_t n;
            if (!last) {
                n = vld4q_u8(a.src + 4 * q + 4);
            } else {
                for (int i = 0; i < 4; ++i)
                    n.val[i] = vextq_u8(g.val[i], vdupq_laneq_u8(g.val[i], 15), 1);
            }
            const int uo = yuy2 ? 1 : 0, vo = yuy2 ? 3 : 2, y0o = yuy2 ? 0 : 1, y1o = yuy2 ? 2 : 3;
            for (int h = 0; h < 2; ++h) {
                auto half = [h](uint8x16_t x) {
                    return h ? vmovl_high_u8(x) : vmovl_u8(vget_low_u8(x));
                };
                eightPairs<Sum>(k, a, q + 8 * h, half(g.val[y0o]), half(g.val[y1o]),
                                half(g.val[uo]), half(g.val[vo]), half(n.val[uo]), half(n.val[vo]));
            }
        };
        int q = 0;
        for (; q + 17 <= pairs; q += 16) block(q, false);
        if (q < pairs && pairs >= 16) block(pairs - 16, true);
        return q < pairs && pairs < 16;
    };
    const bool shortRow = a.sumIndex ? run(std::true_type{}) : run(std::false_type{});
    if (!shortRow) return;
    // Rows shorter than a block: the terms, pixel by pixel.
    for (int p = 0; p < pairs; ++p) {
        const PairIndices i = pairIndices(a, p);
        termPixelExact(*a.terms, i.y0, i.u0, i.v0, a.dst + 8 * p);
        termPixelExact(*a.terms, i.y1, i.u1, i.v1, a.dst + 8 * p + 4);
    }
}

}  // namespace zu::detail
#endif
