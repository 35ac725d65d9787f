// Helpers shared by the scalar and the vector row kernels.
#pragma once

#include "video/convert/convert.h"
#include "video/convert/pixel_io.h"

namespace zu::detail {

// Chroma table indices of a pair's two pixels from its own and the next pair's samples:
// the sum of the two (fallback scaler) or their rounded mean (table converter).
inline void chromaIndices(bool sum, int u, int v, int un, int vn, int& u0, int& v0, int& u1,
                          int& v1) {
    if (sum) {
        u0 = 2 * u, v0 = 2 * v, u1 = u + un, v1 = v + vn;
    } else {
        u0 = u, v0 = v, u1 = (u + un + 1) >> 1, v1 = (v + vn + 1) >> 1;
    }
}

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
    void chroma(int k, int& u0, int& v0, int& u1, int& v1) const {
        const uint8_t* g = src + 4 * k;
        int u = g[uo], v = g[vo], un = u, vn = v;
        if (k + 1 < pairs) un = g[4 + uo], vn = g[4 + vo];
        chromaIndices(sum, u, v, un, vn, u0, v0, u1, v1);
    }
};

inline void planarChroma(const PlanarRowArgs& a, int k, int& u0, int& v0, int& u1, int& v1) {
    int u = a.u[k], v = a.v[k], un = u, vn = v;
    if (k + 1 < a.pairs) un = a.u[k + 1], vn = a.v[k + 1];
    chromaIndices(a.sumIndex, u, v, un, vn, u0, v0, u1, v1);
}

// A pair's Y and chroma indices for the integer kernels' exact paths, from 8-bit pairs or
// from unpacked rows (whose entry past the last pair repeats it); the row's last pair reads
// its own chroma as the next.
struct PairIndices {
    int y0, y1, u0, v0, u1, v1;
};
inline PairIndices pairIndices(const ArithRowArgs& a, int pair) {
    int u, v, un, vn;
    PairIndices p;
    if (a.src) {
        const uint8_t* g = a.src + 4 * pair;
        const int next = pair + 1 < a.pairs ? 4 : 0;
        p.y0 = g[a.yOff0], p.y1 = g[a.yOff1], u = g[a.uOff], v = g[a.vOff];
        un = g[next + a.uOff], vn = g[next + a.vOff];
    } else {
        p.y0 = a.y[2 * pair], p.y1 = a.y[2 * pair + 1], u = a.u[pair], v = a.v[pair];
        un = a.u[pair + 1], vn = a.v[pair + 1];
    }
    chromaIndices(a.sumIndex, u, v, un, vn, p.u0, p.v0, p.u1, p.v1);
    return p;
}

// One pixel from the terms, in the destination's byte order: the formula every kernel of
// this family reproduces. With scale 1 and half2 0 the last step changes nothing.
inline void termPixelExact(const RgbTerms& t, int y, int u, int v, uint8_t* out) {
    for (int i = 0; i < 4; ++i) {
        double s = ((t.luma[y][i] + t.cr[v][i]) + t.cb[u][i]) + t.half[i];
        out[i] = uint8_t(truncClamp(s * t.scale[i] + t.half2[i], 0, 255));
    }
}

}  // namespace zu::detail
