// Integer coefficients for term sets that are affine in their index.
#include <algorithm>
#include <cmath>

#include "video/convert/kernel_util.h"

namespace zu::detail {
namespace {

struct Line {
    double a = 0, b = 0, resid = 0;
};

// Column col of m rows fitted through its end points; false for non-finite entries or a
// column that leaves the line by more than a rounding error.
bool fitColumn(const double (*rows)[4], int m, int col, Line& l) {
    const double first = rows[0][col], last = rows[m - 1][col];
    l.b = first;
    l.a = m > 1 ? (last - first) / (m - 1) : 0.0;
    if (!std::isfinite(l.a) || !std::isfinite(l.b)) return false;
    double worst = 0;
    for (int i = 0; i < m; ++i) {
        const double e = std::fabs(rows[i][col] - (l.a * i + l.b));
        if (!(e <= 1e-6)) return false;  // also refuses NaN
        worst = std::max(worst, e);
    }
    l.resid = worst;
    return true;
}

bool allZero(const double (*rows)[4], int m, int col) {
    for (int i = 0; i < m; ++i)
        if (rows[i][col] != 0.0) return false;
    return true;
}

}  // namespace

bool deriveArith(const RgbTerms& t, int lumaLevels, bool sumIndex, const int8_t slot[4],
                 ArithCoeffs& k) {
    const int n = lumaLevels, nc = sumIndex ? 2 * n - 1 : n;
    if (slot[3] < 0) return false;
    // Real coefficients of each component in output units.
    double ay[3], au[3], av[3], delta[3], resid[3];
    double range = 0;
    for (int c = 0; c < 3; ++c) {
        const int col = slot[c];
        Line ly, lv, lu;
        if (!fitColumn(t.luma, n, col, ly) || !fitColumn(t.cr, nc, col, lv) ||
            !fitColumn(t.cb, nc, col, lu))
            return false;
        if ((c == 0 && !allZero(t.cb, nc, col)) || (c == 2 && !allZero(t.cr, nc, col)))
            return false;
        const double sc = t.scale[col];
        if (!std::isfinite(sc) || !std::isfinite(t.half[col]) || !std::isfinite(t.half2[col]))
            return false;
        ay[c] = sc * ly.a, av[c] = sc * lv.a, au[c] = sc * lu.a;
        delta[c] = sc * (ly.b + lv.b + lu.b + t.half[col]) + t.half2[col];
        resid[c] = std::fabs(sc) * (ly.resid + lv.resid + lu.resid);
        const double m = std::fabs(delta[c]) + std::fabs(ay[c]) * (n - 1) +
                         (std::fabs(av[c]) + std::fabs(au[c])) * (nc - 1);
        range = std::max(range, m);
    }
    // The alpha lane must be one constant.
    const int a = slot[3];
    for (int i = 0; i < n; ++i)
        if (t.luma[i][a] != t.luma[0][a]) return false;
    if (!allZero(t.cr, nc, a) || !allZero(t.cb, nc, a)) return false;
    uint8_t px[4];
    termPixelExact(t, 0, 0, 0, px);
    k.alpha = px[a];

    // As many fraction bits as keep every partial sum inside 31 bits.
    int shift = 24;
    while (shift > 0 && (range + 4) * std::ldexp(1.0, shift) > std::ldexp(1.0, 30)) --shift;
    if (shift < 12) return false;
    const double one = std::ldexp(1.0, shift);
    // Indices are centred so that rounding a coefficient costs half a unit per step from
    // the middle, not from zero.
    const int cy = (n - 1) / 2, cc = (nc - 1) / 2;
    const double spanY = n - 1 - cy, spanC = nc - 1 - cc;
    int64_t guard = 0;
    for (int c = 0; c < 3; ++c) {
        const int64_t ky = std::llround(ay[c] * one), kv = std::llround(av[c] * one),
                      ku = std::llround(au[c] * one);
        int64_t d = std::llround((delta[c] + ay[c] * cy + av[c] * cc + au[c] * cc) * one) -
                    ky * cy - kv * cc - ku * cc;
        // Coefficient rounding, the rounding of d, the columns' distance from their lines,
        // and a margin for the rounding inside the double formula itself.
        const double bound = 0.5 * (spanY + (c != 2 ? spanC : 0) + (c != 0 ? spanC : 0)) + 0.5 +
                             resid[c] * one + 4;
        const auto e = int64_t(std::ceil(bound));
        guard = std::max(guard, 2 * e);
        k.ky[c] = int32_t(ky), k.kv[c] = int32_t(kv), k.ku[c] = int32_t(ku);
        k.d[c] = int32_t(d + e);
    }
    if (2 * guard >= int64_t(one)) return false;
    k.guard = int32_t(guard);
    k.shift = shift;
    k.sharedLuma = k.ky[0] == k.ky[1] && k.ky[1] == k.ky[2];
    for (int i = 0; i < 4; ++i) k.slot[i] = slot[i];
    return true;
}

}  // namespace zu::detail
