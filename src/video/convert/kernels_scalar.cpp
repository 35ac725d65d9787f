// Portable row kernels: the scalar forms every processor runs, and the ones the vector
// kernels fall back to for row ends.
#include <algorithm>
#include <cstring>

#include "video/convert/kernel_util.h"

namespace zu::detail {

#if !defined(__x86_64__) && !defined(__i386__)
bool cpuHasAvx2() {
    return false;
}

bool cpuHasAvx512() {
    return false;
}

bool cpuHasVbmi() {
    return false;
}

bool cpuHasNeon() {
#if defined(__aarch64__)
    return true;
#else
    return false;
#endif
}

Kernel bestKernel() {
    return cpuHasNeon() ? Kernel::Neon : Kernel::Scalar;
}
#endif

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

void termRowScalar(const TermRowArgs& a) {
    const RgbTerms& t = *a.terms;
    const TermLocal l(a);
    uint8_t* d = a.dst;
    for (int k = 0; k < l.pairs; ++k, d += 8) {
        int u[2], v[2];
        l.chroma(k, u[0], v[0], u[1], v[1]);
        const int y[2] = {l.src[4 * k + l.yo0], l.src[4 * k + l.yo1]};
        for (int p = 0; p < 2; ++p) termPixelExact(t, y[p], u[p], v[p], d + 4 * p);
    }
}

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

void planarRowScalar(const PlanarRowArgs& a) {
    const RgbTerms& t = *a.terms;
    uint8_t* d = a.dst;
    for (int k = 0; k < a.pairs; ++k, d += 8) {
        int u[2], v[2];
        planarChroma(a, k, u[0], v[0], u[1], v[1]);
        const int y[2] = {a.y[2 * k], a.y[2 * k + 1]};
        for (int p = 0; p < 2; ++p) termPixelExact(t, y[p], u[p], v[p], d + 4 * p);
    }
}

void shuffleRowScalar(const uint8_t* src, uint8_t* dst, int pixels, const uint8_t map[4]) {
    const uint8_t m0 = map[0], m1 = map[1], m2 = map[2], m3 = map[3];
    for (int x = 0; x < pixels; ++x, src += 4, dst += 4) {
        uint8_t b[4] = {src[m0], src[m1], src[m2], src[m3]};
        std::memcpy(dst, b, 4);
    }
}

}  // namespace zu::detail
