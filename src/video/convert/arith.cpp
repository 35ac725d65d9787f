// Integer coefficients for term sets that are affine in their index.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

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
    }
    // The alpha lane must be one constant.
    const int a = slot[3];
    for (int i = 0; i < n; ++i)
        if (t.luma[i][a] != t.luma[0][a]) return false;
    if (!allZero(t.cr, nc, a) || !allZero(t.cb, nc, a)) return false;
    uint8_t px[4];
    termPixelExact(t, 0, 0, 0, px);
    k.alpha = px[a];

    // Every X is at most the value at the centre (cy, cc) plus each term's swing; as many
    // fraction bits as keep that inside 31 bits.
    const int cy = (n - 1) / 2, cc = (nc - 1) / 2;
    const double spanY = n - 1 - cy, spanC = nc - 1 - cc;
    double swing = 0;
    for (int c = 0; c < 3; ++c) {
        const double centre = delta[c] + ay[c] * cy + av[c] * cc + au[c] * cc;
        swing = std::max(swing, std::fabs(centre) + std::fabs(ay[c]) * spanY +
                                    (std::fabs(av[c]) + std::fabs(au[c])) * spanC);
    }
    int shift = 26;
    while (shift > 0 && (swing + 2) * std::ldexp(1.0, shift) > 0.9 * std::ldexp(1.0, 31)) --shift;
    if (shift < 12) return false;
    const double one = std::ldexp(1.0, shift);
    int64_t guard[3];
    for (int c = 0; c < 3; ++c) {
        const double ky = std::nearbyint(ay[c] * one), kv = std::nearbyint(av[c] * one),
                     ku = std::nearbyint(au[c] * one);
        const double d = std::nearbyint((delta[c] + ay[c] * cy + av[c] * cc + au[c] * cc) * one);
        // The error of the integer form at any index is at most what each rounded
        // coefficient loses over its swing, plus the rounding of d, the columns' distance
        // from their lines, and a unit for the rounding inside the double formula itself.
        const double bound = std::fabs(ky - ay[c] * one) * spanY +
                             std::fabs(kv - av[c] * one) * spanC +
                             std::fabs(ku - au[c] * one) * spanC + 0.5 + resid[c] * one + 1;
        const auto e = int64_t(std::ceil(bound));
        guard[c] = 2 * e;
        k.ky[c] = int32_t(ky), k.kv[c] = int32_t(kv), k.ku[c] = int32_t(ku);
        // The kernels take the indices as they are: the centring moves into d. Partial sums
        // may then leave 32 bits, but they wrap, and X itself fits.
        const int64_t centred = int64_t(d) + e;
        const int64_t raw = centred - int64_t(ky) * cy - int64_t(kv) * cc - int64_t(ku) * cc;
        k.d[c] = int32_t(uint32_t(uint64_t(raw)));
    }
    // Powers of two, so that a fraction below one is a test of its high bits being zero.
    // Each component keeps its own: one fraction check each either way, and a component
    // with a smaller bound then sends fewer pixels to the terms.
    for (int c = 0; c < 3; ++c) {
        int64_t g = 1;
        while (g < guard[c]) g *= 2;
        if (2 * g >= int64_t(one)) return false;
        k.guardMask[c] = int32_t((int64_t(one) - 1) & ~(g - 1));
    }
    k.shift = shift;
    k.sharedLuma = k.ky[0] == k.ky[1] && k.ky[1] == k.ky[2];
    for (int i = 0; i < 4; ++i) k.slot[i] = slot[i];
    for (int p = 0; p < 4; ++p)
        for (int c = 0; c < 4; ++c) k.order[4 * p + slot[c]] = int8_t(4 * c + p);
    // Bytes 0-63 are red and green, 64-127 blue and alpha: in each 16-byte lane L, the
    // first pixels' words 8 L to 8 L + 7 (red of pairs 0-15, then green) and the second
    // pixels' after them; blue of the first pixels' pairs then the second pixels', and alpha.
    for (int h = 0; h < 2; ++h)
        for (int px = 0; px < 16; ++px) {
            const int pair = 8 * h + px / 2, second = px % 2;
            auto at = [](int word) { return 16 * (word / 8) + word % 8; };
            uint8_t* o = k.pick[h] + 4 * px;
            o[slot[0]] = uint8_t(at(pair) + 8 * second);
            o[slot[1]] = uint8_t(at(16 + pair) + 8 * second);
            o[slot[2]] = uint8_t(64 + at(16 * second + pair));
            o[slot[3]] = 64 + 8;
        }
    return true;
}

bool deriveFastColumns(const short (*luma)[4], const short (*cb)[4], const short (*cr)[4],
                       FastColumns& c) {
    const short(*tables[3])[4] = {luma, cb, cr};
    for (int l = 0; l < 4; ++l) {
        int worst = 0;
        for (int t = 0; t < 3; ++t) {
            int m = 0;
            for (int i = 0; i < 256; ++i) m = std::max(m, std::abs(int(tables[t][i][l])));
            worst += m;
        }
        if (worst > 32767) return false;
    }
    auto constantColumn = [](const short(*t)[4], int l) {
        for (int i = 1; i < 256; ++i)
            if (t[i][l] != t[0][l]) return false;
        return true;
    };
    for (int l = 0; l < 4; ++l) {
        int folded = 0;
        for (int t = 1; t < 3; ++t)
            if (constantColumn(tables[t], l)) folded += tables[t][0][l];
        int16_t col[3][256];
        for (int i = 0; i < 256; ++i) {
            col[0][i] = int16_t(luma[i][l] + folded);
            col[1][i] = cb[i][l], col[2][i] = cr[i][l];
        }
        c.constant[l] = col[0][0];
        for (int t = 0; t < 3; ++t) {
            for (int i = 0; i < 256; ++i) {
                c.planes[t][l][0][i] = uint8_t(uint16_t(col[t][i]) & 255);
                c.planes[t][l][1][i] = uint8_t(uint16_t(col[t][i]) >> 8);
            }
            c.from[t][l] = int8_t(l);
            if (t == 0 ? constantColumn(luma, l) : constantColumn(tables[t], l)) {
                // Folded into luma: a kernel that looks every column up adds zeros.
                if (t > 0) std::memset(c.planes[t][l], 0, sizeof c.planes[t][l]);
                c.from[t][l] = -1;
                continue;
            }
            for (int m = 0; m < l; ++m)
                if (c.from[t][m] == m &&
                    std::memcmp(c.planes[t][m], c.planes[t][l], sizeof c.planes[t][l]) == 0) {
                    c.from[t][l] = int8_t(m);
                    break;
                }
        }
    }
    return true;
}

}  // namespace zu::detail
