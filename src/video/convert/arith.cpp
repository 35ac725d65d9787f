// Integer coefficients for term sets that are affine in their index.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

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
    // Coefficients, offsets and guards; lumaK, when given, is the luma coefficient of all
    // three components.
    auto build = [&](const int64_t* lumaK) {
        int64_t guard[3];
        for (int c = 0; c < 3; ++c) {
            const double ky = lumaK ? double(*lumaK) : std::nearbyint(ay[c] * one),
                         kv = std::nearbyint(av[c] * one), ku = std::nearbyint(au[c] * one);
            const double d =
                std::nearbyint((delta[c] + ay[c] * cy + av[c] * cc + au[c] * cc) * one);
            // The error of the integer form at any index is at most what each rounded
            // coefficient loses over its swing, plus the rounding of d, the columns' distance
            // from their lines, and a unit for the rounding inside the double formula itself.
            const double bound = std::fabs(ky - ay[c] * one) * spanY +
                                 std::fabs(kv - av[c] * one) * spanC +
                                 std::fabs(ku - au[c] * one) * spanC + 0.5 + resid[c] * one + 1;
            const auto e = int64_t(std::ceil(bound));
            guard[c] = 2 * e;
            k.ky[c] = int32_t(ky), k.kv[c] = int32_t(kv), k.ku[c] = int32_t(ku);
            // The kernels take the indices as they are: the centring moves into d. Partial
            // sums may then leave 32 bits, but they wrap, and X itself fits.
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
        k.sharedLuma = k.ky[0] == k.ky[1] && k.ky[1] == k.ky[2];
        return true;
    };
    if (!build(nullptr)) return false;
    k.shift = shift;
    // Red reads Y and V, blue Y and U. For 8-bit sources every pair is few enough to try:
    // the offsets d for which each pair's integer value, clamped, is the formula's byte
    // form an interval, and an offset from it makes the component exact everywhere. The
    // chroma coefficient may move a few units for that, and the shared luma one too (green
    // then takes it, with its guard widened to match). With red and blue exact only green's
    // guard need be checked (the AVX2 kernel does; the others still check all three, which
    // only sends a few more pixels to the terms).
    k.greenGuardOnly = false;
    if (n == 256) {
        std::vector<uint8_t> exact[2];
        for (int r = 0; r < 2; ++r) {
            const int col = slot[2 * r];
            const double(*chroma)[4] = r == 0 ? t.cr : t.cb;
            exact[r].resize(size_t(n) * nc);
            for (int y = 0; y < n; ++y)
                for (int i = 0; i < nc; ++i) {
                    const double s = (t.luma[y][col] + chroma[i][col]) + t.half[col];
                    exact[r][size_t(y) * nc + i] =
                        uint8_t(truncClamp(s * t.scale[col] + t.half2[col], 0, 255));
                }
        }
        const int64_t unit = int64_t(1) << shift;
        // For one luma coefficient, per chroma index i: the least offset plus kc * i that the
        // pairs (y, i) allow, and the bound it must stay below. Then a chroma coefficient kc
        // fits when the greatest of the first, less kc * i, is below the least of the second.
        std::vector<int64_t> least(static_cast<size_t>(nc)), below(static_cast<size_t>(nc));
        auto fitChroma = [&](int r, int64_t ky, int64_t& kc, int64_t& d) {
            for (int i = 0; i < nc; ++i) {
                int64_t lo = INT64_MIN, hi = INT64_MAX;
                for (int y = 0; y < n; ++y) {
                    const int e = exact[r][size_t(y) * nc + i];
                    if (e > 0) lo = std::max(lo, e * unit - ky * y);
                    if (e < 255) hi = std::min(hi, (e + 1) * unit - ky * y);
                }
                least[size_t(i)] = lo, below[size_t(i)] = hi;
            }
            const int64_t kc0 = r == 0 ? k.kv[0] : k.ku[2];
            for (int step = 0; step <= 16; ++step) {
                kc = kc0 + (step % 2 ? (step + 1) / 2 : -(step / 2));
                int64_t lo = INT64_MIN, hi = INT64_MAX;
                for (int i = 0; i < nc && lo < hi; ++i) {
                    if (least[size_t(i)] != INT64_MIN) lo = std::max(lo, least[size_t(i)] - kc * i);
                    if (below[size_t(i)] != INT64_MAX) hi = std::min(hi, below[size_t(i)] - kc * i);
                }
                if (lo < hi && lo > -(int64_t(1) << 40) && hi < (int64_t(1) << 40)) {
                    d = lo + (hi - lo) / 2;
                    return true;
                }
            }
            return false;
        };
        const int64_t ky0 = k.ky[0];
        for (int step = 0; step <= (k.sharedLuma ? 8 : 0) && !k.greenGuardOnly; ++step) {
            const int64_t ky = ky0 + (step % 2 ? (step + 1) / 2 : -(step / 2));
            int64_t kcR, dR, kcB, dB;
            if (!fitChroma(0, step ? ky : k.ky[0], kcR, dR) ||
                !fitChroma(1, step ? ky : k.ky[2], kcB, dB))
                continue;
            if (step && !build(&ky)) {
                if (!build(nullptr)) return false;
                continue;
            }
            k.kv[0] = int32_t(kcR), k.d[0] = int32_t(uint32_t(uint64_t(dR)));
            k.ku[2] = int32_t(kcB), k.d[2] = int32_t(uint32_t(uint64_t(dB)));
            k.greenGuardOnly = true;
        }
    }
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

int fastFormValue(const FastForm& f, int i) {
    const int x = int16_t(i * f.s + f.t);
    return int((int64_t(x) * f.k) >> 16) + int(f.above ? x > f.m : x < f.m) + f.c;
}

namespace {

// Where a column crosses zero: the middle of its zeros, or its first change of sign; -1
// when it does neither.
int crossing(const int* col) {
    int zLo = -1, zHi = -1, mid = -1;
    for (int i = 0; i < 256; ++i)
        if (col[i] == 0) zHi = i, zLo = zLo < 0 ? i : zLo;
    if (zLo >= 0) return (zLo + zHi) / 2;
    for (int i = 1; i < 256 && mid < 0; ++i)
        if ((col[i] < 0) != (col[i - 1] < 0)) mid = i;
    return mid;
}

// The slopes (per index) that fit the floors t[0..255]: empty when amin >= amax.
void slopeRange(const int* t, double& amin, double& amax) {
    double recip[256];
    for (int d = 1; d < 256; ++d) recip[d] = 1.0 / d;
    amin = -1e300, amax = 1e300;
    for (int i = 1; i < 256 && amin < amax; ++i)
        for (int j = 0; j < i; ++j) {
            amin = std::max(amin, (t[i] - t[j] - 1) * recip[i - j]);
            amax = std::min(amax, (t[i] - t[j] + 1) * recip[i - j]);
        }
}

// The offsets B with t[i] <= (i * s * k + B) / 65536 < t[i] + 1 for every i: [lo, hi),
// false when there are none.
bool offsets(const int* t, int s, int64_t k, int64_t& lo, int64_t& hi) {
    lo = INT64_MIN, hi = INT64_MAX;
    for (int i = 0; i < 256 && lo < hi; ++i) {
        const int64_t xk = int64_t(i * s) * k;
        lo = std::max(lo, int64_t(t[i]) * 65536 - xk);
        hi = std::min(hi, int64_t(t[i] + 1) * 65536 - xk);
    }
    return lo < hi;
}

// k = g * odd with g its power of two; returns the odd part's inverse modulo 2^32 (Newton's
// steps), by which T is solved from T * k modulo 65536.
uint32_t oddInverse(int64_t k, int64_t& g) {
    g = int64_t(1) << __builtin_ctzll(uint64_t(k < 0 ? -k : k));
    const auto odd = uint32_t(k / g);
    uint32_t inv = odd;
    for (int n = 0; n < 5; ++n) inv *= 2 - odd * inv;
    return inv;
}

// A form for one column of 256 entries: the constant form, or a search over the
// correction (none, or one below or from a crossing index) and the index scale, each
// scale's feasible K coming from the range of slopes that fit the column's floors, and
// then T from the offsets that fit with that K.
bool fitForm(const int* col, FastForm& f) {
    bool constant = true;
    for (int i = 1; i < 256; ++i) constant = constant && col[i] == col[0];
    if (constant) return f = {1, 0, 0, -32768, col[0]}, true;
    const int mid = crossing(col);
    const bool rising = col[255] >= col[0];
    // The correction's index; the first candidate has none.
    const int cands[5] = {0, mid, mid + 1, mid - 1, mid + 2};
    const int count = mid < 0 ? 1 : 5;
    int t[256];
    for (int c = 0; c < count; ++c) {
        const int m = cands[c];
        if (c > 0 && (m < 1 || m > 255)) continue;
        // Rising columns truncated toward zero sit one above the floor below the crossing,
        // falling ones from it on.
        for (int i = 0; i < 256; ++i)
            t[i] = col[i] - (c == 0 ? 0 : rising ? int(i < m) : int(i >= m));
        double amin, amax;
        slopeRange(t, amin, amax);
        if (!(amin < amax)) continue;
        const int sign = c > 0 && !rising ? -1 : 1;
        for (int sh = 0; sh < 8; ++sh) {
            const int s = sign << sh;
            double k0 = amin * 65536.0 / s, k1 = amax * 65536.0 / s;
            if (k0 > k1) std::swap(k0, k1);
            const double centre = (k0 + k1) / 2;
            const int64_t from =
                std::max<int64_t>(int64_t(std::floor(std::max(k0, centre - 64))), -32767);
            const int64_t to =
                std::min<int64_t>(int64_t(std::ceil(std::min(k1, centre + 64))), 32767);
            // x = i * s + t stays above -32768 (below every M of no correction).
            const int tLo = s > 0 ? -32767 : -32767 - 255 * s,
                      tHi = s > 0 ? 32767 - 255 * s : 32767;
            for (int64_t k = from; k <= to; ++k) {
                if (k == 0) continue;
                int64_t lo, hi;
                if (!offsets(t, s, k, lo, hi)) continue;
                // T * k is such an offset plus a whole multiple of 65536, left in C: with
                // k = g * odd, T * k takes the residues that are multiples of g, each for one
                // class of T modulo 65536 / g.
                int64_t g;
                const uint32_t inv = oddInverse(k, g);
                const int64_t period = 65536 / g;
                for (int64_t rho = (lo % g == 0 ? lo : lo + (g - ((lo % g) + g) % g)); rho < hi;
                     rho += g) {
                    const int64_t cls = int64_t((uint64_t(rho / g) * inv) % uint64_t(period));
                    for (int64_t tt = tLo + ((cls - tLo) % period + period) % period; tt <= tHi;
                         tt += period) {
                        const int64_t mm = c == 0 ? -32768 : rising ? m * s + tt : (m - 1) * s + tt;
                        if (mm < -32768 || mm > 32767) continue;
                        const int64_t whole = (tt * k - rho) / 65536;
                        f = {int16_t(s), int16_t(tt), int16_t(k), int16_t(mm), int(-whole)};
                        bool exact = true;
                        for (int i = 0; i < 256 && exact; ++i)
                            exact = fastFormValue(f, i) == col[i];
                        if (exact) return true;
                    }
                }
            }
        }
    }
    return false;
}

// One way a column fits at a scale: K, the interval [lo, hi) of offsets B with
// floor((i * s * K + B) / 65536) = t[i], and the correction index (0: none).
struct ScaleFit {
    int64_t k, lo, hi;
    int m;
};

// A column's floors under one correction (index m, 0: none) and the slopes that fit them.
struct Corrected {
    int m;
    double amin, amax;
    int t[256];
};

// The corrections of a non-constant column that leave floors of a line: none, or one below
// its crossing (below) or from it on (!below).
std::vector<Corrected> corrections(const int* col, bool below) {
    std::vector<Corrected> out;
    const int mid = crossing(col);
    const int cands[5] = {0, mid, mid + 1, mid - 1, mid + 2};
    for (int c = 0; c < (mid < 0 ? 1 : 5); ++c) {
        const int m = cands[c];
        if (c > 0 && (m < 1 || m > 255)) continue;
        Corrected k;
        k.m = c == 0 ? 0 : m;
        for (int i = 0; i < 256; ++i)
            k.t[i] = col[i] - (c == 0 ? 0 : below ? int(i < m) : int(i >= m));
        slopeRange(k.t, k.amin, k.amax);
        // The first that leaves floors of a line is the one: a column truncated toward
        // zero is so only with its crossing's correction.
        if (k.amin < k.amax) {
            out.push_back(k);
            break;
        }
    }
    return out;
}

// Every fit of those at scale s (> 0).
std::vector<ScaleFit> scaleFits(const std::vector<Corrected>& cs, int s) {
    std::vector<ScaleFit> out;
    for (const Corrected& c : cs) {
        const double k0 = c.amin * 65536.0 / s, k1 = c.amax * 65536.0 / s, centre = (k0 + k1) / 2;
        const int64_t from =
            std::max<int64_t>(int64_t(std::floor(std::max(k0, centre - 8))), -32767);
        const int64_t to = std::min<int64_t>(int64_t(std::ceil(std::min(k1, centre + 8))), 32767);
        for (int64_t k = from; k <= to; ++k) {
            if (k == 0) continue;
            int64_t lo, hi;
            if (offsets(c.t, s, k, lo, hi)) out.push_back({k, lo, hi, c.m});
        }
    }
    return out;
}

// Forms for two columns of one chroma sample sharing S and T: a with (x < M), b with
// (x > M). Rising columns truncated toward zero take the first, falling ones the second.
bool fitShared(const int* a, const int* b, FastForm& fa, FastForm& fb) {
    auto constant = [](const int* col) {
        for (int i = 1; i < 256; ++i)
            if (col[i] != col[0]) return false;
        return true;
    };
    const bool ca = constant(a), cb = constant(b);
    const std::vector<Corrected> xa = ca ? std::vector<Corrected>{} : corrections(a, true);
    const std::vector<Corrected> xb = cb ? std::vector<Corrected>{} : corrections(b, false);
    for (int sh = 0; sh < 8; ++sh) {
        const int s = 1 << sh;
        const std::vector<ScaleFit> la =
            ca ? std::vector<ScaleFit>{{0, 0, 65536, 0}} : scaleFits(xa, s);
        const std::vector<ScaleFit> lb =
            cb ? std::vector<ScaleFit>{{0, 0, 65536, 0}} : scaleFits(xb, s);
        const int tLo = -32767, tHi = 32767 - 255 * s;
        for (const ScaleFit& x : la)
            for (const ScaleFit& y : lb) {
                // T * kx within [lo, hi) modulo 65536: each residue that is a multiple of
                // g = the power of two in kx is reached by one class of T.
                const int64_t kx = x.k ? x.k : 1;
                int64_t g;
                const uint32_t inv = oddInverse(kx, g);
                const int64_t period = 65536 / g;
                const int64_t first = x.lo + ((g - x.lo % g) % g + g) % g;
                for (int64_t rho = first; rho < x.hi; rho += g) {
                    const int64_t cls = int64_t((uint64_t(rho / g) * inv) % uint64_t(period));
                    for (int64_t t = tLo + ((cls - tLo) % period + period) % period; t <= tHi;
                         t += period) {
                        const int64_t ry = ((t * y.k - y.lo) % 65536 + 65536) % 65536;
                        if (ry >= y.hi - y.lo) continue;
                        const int64_t ma = x.m ? int64_t(x.m) * s + t : -32768;
                        const int64_t mb = y.m ? int64_t(y.m) * s + t - 1 : 32767;
                        if (ma < -32768 || ma > 32767 || mb < -32768 || mb > 32767) continue;
                        const int64_t wa = x.k ? (t * x.k - rho) / 65536 : 0;
                        const int64_t wb = (t * y.k - (y.lo + ry)) / 65536;
                        fa = {int16_t(s),  int16_t(t),           int16_t(x.k),
                              int16_t(ma), int(ca ? a[0] : -wa), false};
                        fb = {int16_t(s),  int16_t(t),           int16_t(y.k),
                              int16_t(mb), int(cb ? b[0] : -wb), true};
                        bool exact = true;
                        for (int i = 0; i < 256 && exact; ++i)
                            exact = fastFormValue(fa, i) == a[i] && fastFormValue(fb, i) == b[i];
                        if (exact) return true;
                    }
                }
            }
    }
    return false;
}

}  // namespace

bool deriveFastArith(const short (*luma)[4], const short (*cb)[4], const short (*cr)[4],
                     FastArith& f) {
    const short(*tables[3])[4] = {luma, cb, cr};
    auto constantColumn = [](const short(*t)[4], int l) {
        for (int i = 1; i < 256; ++i)
            if (t[i][l] != t[0][l]) return false;
        return true;
    };
    for (int i = 0; i < 256; ++i)
        if (luma[i][0] != luma[i][1] || luma[i][0] != luma[i][2]) return false;
    if (!constantColumn(cr, 0) || !constantColumn(cb, 2)) return false;
    for (int t = 0; t < 3; ++t)
        if (!constantColumn(tables[t], 3)) return false;
    // No sum of blue, green or red may reach the 16-bit limits, partial or whole.
    for (int l = 0; l < 3; ++l) {
        int lo = 0, hi = 0;
        for (int t = 0; t < 3; ++t) {
            int a = 32767, b = -32768;
            for (int i = 0; i < 256; ++i)
                a = std::min(a, int(tables[t][i][l])), b = std::max(b, int(tables[t][i][l]));
            lo += a, hi += b;
            if (lo < -32768 || hi > 32767) return false;
        }
    }
    const int a = std::clamp(int(luma[0][3]) + cb[0][3], -32768, 32767) + cr[0][3];
    f.alpha = uint8_t(std::clamp(a, 0, 255));
    int col[5][256];
    for (int i = 0; i < 256; ++i) {
        col[0][i] = luma[i][0], col[1][i] = cb[i][0], col[2][i] = cr[i][2];
        col[3][i] = cb[i][1], col[4][i] = cr[i][1];
    }
    FastForm* forms[5] = {&f.luma, &f.blue, &f.red, &f.greenCb, &f.greenCr};
    if (!fitForm(col[0], f.luma)) return false;
    f.sharedChroma =
        fitShared(col[1], col[3], f.blue, f.greenCb) && fitShared(col[2], col[4], f.red, f.greenCr);
    for (int k = 1; k < 5 && !f.sharedChroma; ++k)
        if (!fitForm(col[k], *forms[k])) return false;
    // The constants go into the chroma words; 16-bit sums wrap, and the whole sums fit.
    auto wrap = [](int v) { return int16_t(uint16_t(unsigned(v))); };
    f.add[0] = wrap(f.luma.c + f.blue.c + cr[0][0]);
    f.add[1] = wrap(f.luma.c + f.red.c + cb[0][2]);
    f.add[2] = wrap(f.luma.c + f.greenCb.c);
    f.add[3] = wrap(f.greenCr.c);
    return true;
}

}  // namespace zu::detail
