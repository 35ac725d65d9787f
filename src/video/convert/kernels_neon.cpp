// arm64 row kernels (Advanced SIMD, which every arm64 processor has). Elsewhere this file
// compiles to nothing. Each kernel gives the scalar reference's bytes exactly.
#if defined(__aarch64__)
#include <arm_neon.h>

#include "video/convert/convert.h"

namespace zu::detail {

// ---- fast path, 16-bit arithmetic ----------------------------------------------------

namespace {

// A form as the kernel applies it: the (x > M) forms are taken as NOT (x < M + 1), so
// that every form is one compare and one flip.
struct FormVec {
    int16x8_t s, t, k, m, flip;
};

FormVec formVec(const FastForm& f) {
    int m = f.m, flip = 0;
    if (f.above) {
        // x > M is never true for M = 32767: x < -32768 is never true either.
        m = f.m == 32767 ? -32768 : f.m + 1;
        flip = f.m == 32767 ? 0 : -1;
    }
    return {vdupq_n_s16(f.s), vdupq_n_s16(f.t), vdupq_n_s16(f.k), vdupq_n_s16(int16_t(m)),
            vdupq_n_s16(int16_t(flip))};
}

// fastFormValue on eight indices, less the constant. The high half of each 32-bit product
// is its floor over 65536, exactly.
inline int16x8_t form(const FormVec& f, uint8x8_t i) {
    const int16x8_t x = vmlaq_s16(f.t, vreinterpretq_s16_u16(vmovl_u8(i)), f.s);
    const int32x4_t lo = vmull_s16(vget_low_s16(x), vget_low_s16(f.k));
    const int32x4_t hi = vmull_high_s16(x, f.k);
    const int16x8_t h = vuzp2q_s16(vreinterpretq_s16_s32(lo), vreinterpretq_s16_s32(hi));
    const int16x8_t below = veorq_s16(vreinterpretq_s16_u16(vcltq_s16(x, f.m)), f.flip);
    return vsubq_s16(h, below);
}

struct FastNeon {
    FormVec luma, blue, red, greenCb, greenCr;
    int16x8_t addB, addR, addG;
    uint8x16_t alpha;
};

// Blue, green and red bytes of eight pixels from their luma words and their chroma words.
inline uint8x8_t saturate(int16x8_t l, int16x8_t c) {
    return vqmovun_s16(vaddq_s16(l, c));
}

// Sixteen pairs: the source's four bytes of each pair, split by vld4, in "2vuy" order
// (U Y0 V Y1) or in "yuy2" order (Y0 U Y1 V).
template <bool Yuy2>
inline void fastBlock(const FastNeon& f, const uint8x16x4_t& g, uint8_t* d) {
    const uint8x16_t u = g.val[Yuy2 ? 1 : 0], y0 = g.val[Yuy2 ? 0 : 1];
    const uint8x16_t v = g.val[Yuy2 ? 3 : 2], y1 = g.val[Yuy2 ? 2 : 3];
    uint8x16x4_t out[2];
    for (int h = 0; h < 2; ++h) {
        const uint8x8_t uh = h ? vget_high_u8(u) : vget_low_u8(u);
        const uint8x8_t vh = h ? vget_high_u8(v) : vget_low_u8(v);
        const int16x8_t b = vaddq_s16(form(f.blue, uh), f.addB);
        const int16x8_t r = vaddq_s16(form(f.red, vh), f.addR);
        const int16x8_t g2 =
            vaddq_s16(vaddq_s16(form(f.greenCb, uh), form(f.greenCr, vh)), f.addG);
        const int16x8_t l0 = form(f.luma, h ? vget_high_u8(y0) : vget_low_u8(y0));
        const int16x8_t l1 = form(f.luma, h ? vget_high_u8(y1) : vget_low_u8(y1));
        // First and second pixels of pairs 8 h to 8 h + 7, then interleaved into pixel order.
        const uint8x16_t be = vcombine_u8(saturate(l0, b), saturate(l1, b));
        const uint8x16_t ge = vcombine_u8(saturate(l0, g2), saturate(l1, g2));
        const uint8x16_t re = vcombine_u8(saturate(l0, r), saturate(l1, r));
        const uint8x16_t bz = vzip1q_u8(be, vextq_u8(be, be, 8));
        const uint8x16_t gz = vzip1q_u8(ge, vextq_u8(ge, ge, 8));
        const uint8x16_t rz = vzip1q_u8(re, vextq_u8(re, re, 8));
        out[h] = {{bz, gz, rz, f.alpha}};
    }
    vst4q_u8(d, out[0]);
    vst4q_u8(d + 64, out[1]);
}

// The source's 16 pairs at pair k of every step-th pair.
template <int Step>
inline uint8x16x4_t loadPairs(const uint8_t* src) {
    const uint8x16x4_t a = vld4q_u8(src);
    if (Step == 1) return a;
    const uint8x16x4_t b = vld4q_u8(src + 64);
    return {{vuzp1q_u8(a.val[0], b.val[0]), vuzp1q_u8(a.val[1], b.val[1]),
             vuzp1q_u8(a.val[2], b.val[2]), vuzp1q_u8(a.val[3], b.val[3])}};
}

template <int Step, bool Yuy2>
void fastBlocks(const FastNeon& f, const uint8_t* src, uint8_t* dst, int pairs) {
    int k = 0;
    for (; k + 16 <= pairs; k += 16)
        fastBlock<Yuy2>(f, loadPairs<Step>(src + 4 * Step * k), dst + 8 * k);
    // The last sixteen again, over some already written with the same bytes.
    if (k < pairs) {
        const int q = pairs - 16;
        fastBlock<Yuy2>(f, loadPairs<Step>(src + 4 * Step * q), dst + 8 * q);
    }
}

}  // namespace

void fastRowArithNeon(const FastRowArgs& a, const FastArith& f) {
    const FastNeon n{formVec(f.luma),
                     formVec(f.blue),
                     formVec(f.red),
                     formVec(f.greenCb),
                     formVec(f.greenCr),
                     vdupq_n_s16(f.add[0]),
                     vdupq_n_s16(f.add[1]),
                     vdupq_n_s16(int16_t(uint16_t(f.add[2]) + uint16_t(f.add[3]))),
                     vdupq_n_u8(f.alpha)};
    const bool uyvy = a.uOff == 0 && a.yOff0 == 1 && a.vOff == 2 && a.yOff1 == 3;
    const bool yuy2 = a.uOff == 1 && a.yOff0 == 0 && a.vOff == 3 && a.yOff1 == 2;
    if (!uyvy && !yuy2) return fastRowScalar(a);  // no other 8-bit 4:2:2 order exists
    if (a.step == 2)
        yuy2 ? fastBlocks<2, true>(n, a.src, a.dst, a.pairs)
             : fastBlocks<2, false>(n, a.src, a.dst, a.pairs);
    else
        yuy2 ? fastBlocks<1, true>(n, a.src, a.dst, a.pairs)
             : fastBlocks<1, false>(n, a.src, a.dst, a.pairs);
}

}  // namespace zu::detail
#endif
