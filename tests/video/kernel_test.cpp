// Every vector kernel against the scalar reference, bit for bit.
#include <gtest/gtest.h>

#include <cmath>

#include "convert_support.h"

using namespace zu::detail;
using namespace zutest;

namespace {

// Every kernel level with whether this processor has it. A level it lacks runs as the one
// below, which is tested already; each present level must equal the reference here.
struct Level {
    Kernel kernel;
    const char* name;
    bool (*present)();
    bool integer;  // runs the integer form of the general rows
};
const Level kLevels[] = {{Kernel::Scalar, "scalar", [] { return true; }, false},
                         {Kernel::Sse2, "sse2", [] { return true; }, false},
                         {Kernel::Avx2, "avx2", cpuHasAvx2, true},
                         {Kernel::Avx512, "avx512", cpuHasAvx512, true},
                         {Kernel::Avx512Vbmi, "avx512-vbmi", cpuHasVbmi, true},
                         {Kernel::Neon, "neon", cpuHasNeon, true}};

std::vector<Kernel> kernels(bool integerOnly = false) {
    std::vector<Kernel> k;
    for (const Level& l : kLevels)
        if (l.present() && (l.integer || !integerOnly)) k.push_back(l.kernel);
    return k;
}

// The kernels that run the integer form on this processor (the scalar one elsewhere).
std::vector<Kernel> arithKernels() {
    std::vector<Kernel> k = kernels(true);
    if (k.empty()) k.push_back(Kernel::Auto);
    return k;
}

const char* name(Kernel k) {
    for (const Level& l : kLevels)
        if (l.kernel == k) return l.name;
    return k == Kernel::Reference ? "reference" : "auto";
}

// Converts into a copy of `blank` with the reference and then with every kernel; each
// kernel must give the reference's bytes.
template <class Convert>
void expectKernelsMatchReference(const Image& blank, Convert convert, const std::string& what) {
    Image ref = blank;
    ASSERT_EQ(convert(ref, Kernel::Reference), 0) << what;
    for (Kernel k : kernels()) {
        Image out = blank;
        ASSERT_EQ(convert(out, k), 0) << name(k) << " " << what;
        ASSERT_EQ(out.bytes, ref.bytes) << name(k) << " " << what;
    }
}
auto viaTables(const Image& s, const TableOptions& o) {
    return [&](Image& out, Kernel k) { return tableConvert(s.src(), out.dst(), o, k); };
}
auto viaScaler(const Image& s, const ZuColorDescriptor& desc) {
    return [&s, desc](Image& out, Kernel k) { return scale(s, out, desc, 0, 0, nullptr, k); };
}
// Row v of a 2vuy frame for chroma u: pair p has Y0 = p, Y1 = 255 - p and chroma (u, v),
// every odd pair (u ^ 1, v ^ 1), so the second pixels see the odd chroma sums too.
void fillEveryY(Image& s, int u) {
    for (int v = 0; v < s.height; ++v)
        for (int p = 0; p < s.width / 2; ++p) {
            uint8_t* g = s.row(v) + 4 * p;
            g[0] = uint8_t((p & 1) ? u ^ 1 : u), g[2] = uint8_t((p & 1) ? v ^ 1 : v);
            g[1] = uint8_t(p), g[3] = uint8_t(255 - p);
        }
}

// Tables whose sums overflow 16 bits, so saturation order matters; narrow random columns
// that all differ but whose sums never saturate; the realistic tables with a constant
// Cb in red and a Cr column in alpha, which the 512-bit kernel adds in other ways; or a
// matrix of other gains rounded to nearest but for blue from Cb, falling and truncated
// toward zero, which the 16-bit arithmetic kernel reproduces by other forms, each chroma
// column on its own scale.
enum class Wild { None, Saturating, Narrow, Mixed, Rounded };
void wildFastTables(HostTables& t, Wild wild) {
    if (wild == Wild::None) return;
    for (int i = 0; wild == Wild::Rounded && i < 256; ++i) {
        const int c = i - 128;
        t.luma[i][0] = t.luma[i][1] = t.luma[i][2] = short(std::lround(1.1678 * (i - 16)));
        t.cb[i][0] = short(-2.1124 * c), t.cb[i][1] = short(std::lround(-0.2132 * c));
        t.cr[i][1] = short(std::lround(-0.5329 * c)), t.cr[i][2] = short(std::lround(1.7927 * c));
    }
    if (wild == Wild::Rounded) return;
    std::mt19937 rng(99);
    auto entry = [&](int range) { return short(int(rng() % (2 * range + 1)) - range); };
    for (int i = 0; i < 256; ++i)
        for (int l = 0; wild != Wild::Mixed && l < 4; ++l) {
            t.luma[i][l] = wild == Wild::Narrow ? entry(10000) : short(rng());
            t.cb[i][l] = wild == Wild::Narrow ? entry(10000) : short(rng());
            t.cr[i][l] = entry(wild == Wild::Narrow ? 10000 : 600);
        }
    for (int i = 0; wild == Wild::Mixed && i < 256; ++i) t.cb[i][2] = -7, t.cr[i][3] = short(i);
}

}  // namespace

// Random frames at several factors, and all 2^24 (Y, U, V) triples, through each kernel, for
// realistic, saturating, narrow random, mixed and rounded tables.
TEST(ConvertKernels, FastPathMatchesReferenceOnRandomFramesAndFactorsAndForEveryYuv) {
    for (Wild wild : {Wild::None, Wild::Saturating, Wild::Narrow, Wild::Mixed, Wild::Rounded}) {
        HostTables t;
        wildFastTables(t, wild);
        TableOptions o;
        o.tables = &t.t;
        o.fast = 1;
        for (unsigned fmt : {ZU_PF_2vuy, ZU_PF_yuy2})
            for (int w : {1920, 1964, 130, 100}) {  // rows ending inside a block, or shorter
                Image s = makeImage(fmt, w, 36, 12);
                randomFill(s, fmt);
                for (int d : {1, 2, 4, 16})
                    expectKernelsMatchReference(makeImage(ZU_PF_bgrA, w / d, 36 / d, 4),
                                                viaTables(s, o),
                                                std::to_string(w) + " factor " + std::to_string(d));
            }
        Image all = makeImage(ZU_PF_2vuy, 512, 256);
        for (int u = 0; u < 256; ++u) {
            fillEveryY(all, u);
            expectKernelsMatchReference(makeImage(ZU_PF_bgrA, 512, 256), viaTables(all, o),
                                        "U " + std::to_string(u));
        }
    }
}

// Widths below one vector block and just above one end rows inside a padded block.
TEST(ConvertKernels, FallbackKernelMatchesReferenceOnRandomFrames) {
    for (int standard = 0; standard < 6; ++standard)
        for (int width : {1280, 34, 30, 2}) {
            Image s = makeImage(ZU_PF_2vuy, width, 8, 8);
            randomFill(s, uint32_t(standard + width));
            ZuColorDescriptor desc = standardDesc(standard);
            for (unsigned dfmt : {ZU_PF_bgrA, ZU_PF_rgba, ZU_PF_argB})
                expectKernelsMatchReference(
                    makeImage(dfmt, width, 8), viaScaler(s, desc),
                    "standard " + std::to_string(standard) + " width " + std::to_string(width));
        }
}

namespace {

// Host double tables with awkward values: negative zeros, infinities, NaN, huge numbers.
void wildDoubleTables(HostTables& t, uint32_t seed) {
    std::mt19937 rng(seed);
    const double special[] = {-0.0, 0.0, INFINITY, -INFINITY, NAN, 1e300, -1e300, 254.5, 0.49999};
    for (auto& table : t.d)
        for (double& v : table)
            v = rng() % 8 == 0 ? special[rng() % 9] : (double(rng()) / 4294967296.0 - 0.3) * 400;
}

}  // namespace

TEST(ConvertKernels, GeneralPathMatchesReferenceForEveryYuvAndAlpha) {
    Image s = makeImage(ZU_PF_2vuy, 512, 256);
    for (int wild = 0; wild < 2; ++wild) {
        HostTables t;
        if (wild) wildDoubleTables(t, 3);
        for (double alpha : {-1.0, 128.7}) {
            TableOptions o;
            o.tables = &t.t;
            o.alpha = alpha;
            for (int u = 0; u < 256; u += wild ? 1 : 5) {
                fillEveryY(s, u);
                expectKernelsMatchReference(makeImage(ZU_PF_argB, 512, 256), viaTables(s, o),
                                            "U " + std::to_string(u));
            }
        }
    }
}

TEST(ConvertKernels, ByteOrderShuffleMatchesReferenceForEveryFourBytePair) {
    const unsigned fmts[] = {ZU_PF_bgrA, ZU_PF_rleq, ZU_PF_rgba,
                             ZU_PF_rgbb, ZU_PF_argB, ZU_PF_abgr};
    Image s = makeImage(ZU_PF_bgrA, 203, 3, 4);
    randomFill(s, 11);
    for (unsigned sf : fmts)
        for (unsigned df : fmts) {
            s.format = sf;
            expectKernelsMatchReference(makeImage(df, 203, 3), viaTables(s, {}),
                                        std::to_string(sf) + " " + std::to_string(df));
        }
}

// 10-bit rows are unpacked and go through the planar kernels: random frames, widths that end
// inside a six-pixel group, every standard, realistic and awkward host tables.
TEST(ConvertKernels, TenBitKernelsMatchReference) {
    for (int width : {1920, 1280, 722, 34, 30, 2}) {
        Image s = makeImage(ZU_PF_v219, width, 6, 16);
        randomFill(s, uint32_t(width));
        const std::string what = "width " + std::to_string(width);
        for (int wild = 0; wild < 2; ++wild) {
            HostTables t(true);
            if (wild) wildDoubleTables(t, 8);
            TableOptions o;
            o.tables = &t.t;
            expectKernelsMatchReference(makeImage(ZU_PF_bgrA, width, 6), viaTables(s, o), what);
        }
        for (int standard = 0; standard < 6; ++standard)
            expectKernelsMatchReference(makeImage(ZU_PF_rgba, width, 6),
                                        viaScaler(s, standardDesc(standard)),
                                        what + " standard " + std::to_string(standard));
    }
}

// The proof that the integer kernels equal the double formula: every 8-bit (Y, Cb, Cr) as
// the first pixel of a pair, for all six standards, through the scaler as the display
// pipeline calls it. The second pixels see the chroma sums with the neighbour (u ^ 1, v ^ 1),
// so the half steps next to every triple are checked as well.
TEST(ConvertKernels, FallbackEqualsTheFormulaForEvery8BitTripleAndStandard) {
    // Not a whole number of blocks: the last pairs, guarded ones too, take the row-end paths.
    constexpr int kPairs = 264;
    Image s = makeImage(ZU_PF_2vuy, 2 * kPairs, 256);
    Image out = makeImage(ZU_PF_bgrA, 2 * kPairs, 256);
    uint16_t y0[kPairs], y1[kPairs], cu[kPairs], cv[kPairs];
    for (int p = 0; p < kPairs; ++p) y0[p] = uint16_t(p & 255), y1[p] = uint16_t(255 - (p & 255));
    for (int standard = 0; standard < 6; ++standard) {
        const StandardFormula f(standard, false);
        ZuColorDescriptor desc = standardDesc(standard);
        if (cpuHasAvx2() || cpuHasNeon()) {
            EXPECT_EQ(scalerRowPlan(s.src(), out.dst(), desc), RowPlan::Arithmetic) << standard;
        }
        for (int u = 0; u < 256; ++u) {
            fillEveryY(s, u);
            for (Kernel k : arithKernels()) {
                ASSERT_EQ(scale(s, out, desc, 0, 0, nullptr, k), 0);
                for (int v = 0; v < 256; ++v) {
                    for (int p = 0; p < kPairs; ++p)
                        cu[p] = uint16_t((p & 1) ? u ^ 1 : u),
                        cv[p] = uint16_t((p & 1) ? v ^ 1 : v);
                    ASSERT_EQ(firstFormulaMismatch(f, out.row(v), kPairs, y0, y1, cu, cv), -1)
                        << name(k) << " standard " << standard << " U " << u << " V " << v;
                }
            }
        }
    }
}

// 10-bit sources: two million random (Y, Cb, Cr) triples per standard, the second pixels
// seeing random neighbours. `make verify` runs all 2^30 triples.
TEST(ConvertKernels, TenBitFallbackEqualsTheFormulaOnRandomTriples) {
    constexpr int kPairs = 1020, kRows = 1000;
    Image s = makeImage(ZU_PF_v219, 2 * kPairs, kRows);
    Image out = makeImage(ZU_PF_bgrA, 2 * kPairs, kRows);
    std::vector<uint16_t> y0(size_t(kPairs) * kRows), y1(y0.size()), u(y0.size()), v(y0.size());
    std::mt19937 rng(1234);
    for (size_t i = 0; i < y0.size(); ++i)
        y0[i] = uint16_t(rng() & 1023), y1[i] = uint16_t(rng() & 1023),
        u[i] = uint16_t(rng() & 1023), v[i] = uint16_t(rng() & 1023);
    for (int r = 0; r < kRows; ++r) {
        const size_t o = size_t(r) * kPairs;
        packV210Row(s.row(r), kPairs, &y0[o], &y1[o], &u[o], &v[o]);
    }
    for (int standard = 0; standard < 6; ++standard) {
        const StandardFormula f(standard, true);
        ZuColorDescriptor desc = standardDesc(standard);
        if (cpuHasAvx2() || cpuHasNeon()) {
            EXPECT_EQ(scalerRowPlan(s.src(), out.dst(), desc), RowPlan::Arithmetic) << standard;
        }
        for (Kernel k : arithKernels()) {
            ASSERT_EQ(scale(s, out, desc, 0, 0, nullptr, k), 0);
            for (int r = 0; r < kRows; ++r) {
                const size_t o = size_t(r) * kPairs;
                ASSERT_EQ(firstFormulaMismatch(f, out.row(r), kPairs, &y0[o], &y1[o], &u[o], &v[o]),
                          -1)
                    << name(k) << " standard " << standard << " row " << r;
            }
        }
    }
}

// Tables made from a matrix are affine in their index and take the integer kernel; a gamma
// curve is not and keeps the lookup kernel. That both equal the reference is checked above
// (realistic and awkward tables, 8 and 10 bits, every kernel).
TEST(ConvertKernels, AffineHostTablesTakeTheIntegerKernelOthersTheLookup) {
    for (bool ten : {false, true}) {
        HostTables matrix(ten), gamma(ten);
        const int n = ten ? 1024 : 256;
        for (int i = 0; i < n; ++i) {
            const double g = 255.0 * std::pow(i / double(n - 1), 0.45);
            gamma.d[0][i] = gamma.d[2][i] = gamma.d[4][i] = g;
        }
        Image s = makeImage(ten ? ZU_PF_v219 : ZU_PF_2vuy, 1284, 12, 16);
        Image out = makeImage(ZU_PF_bgrA, 1284, 12);
        for (HostTables* t : {&matrix, &gamma}) {
            TableOptions o;
            o.tables = &t->t;
            const RowPlan expect = !cpuHasAvx2() && !cpuHasNeon() ? RowPlan::Lookup
                                   : t == &matrix                 ? RowPlan::Arithmetic
                                                                  : RowPlan::Lookup;
            EXPECT_EQ(tableRowPlan(s.src(), out.dst(), o), expect)
                << (t == &matrix ? "matrix" : "gamma") << " " << ten;
        }
    }
}
