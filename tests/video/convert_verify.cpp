// `make verify`: every 10-bit (Y, Cb, Cr) through the fallback scaler for all six standards,
// against the double formula. 2^30 triples as first pixels of pairs, and the half steps
// beside them (neighbour chroma u ^ 1, v ^ 1) as second pixels. Too long for `make test`,
// which checks a random sample.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "convert_support.h"

using namespace zu::detail;
using namespace zutest;

TEST(ConvertVerify, TenBitFallbackEqualsTheFormulaForEveryTripleAndStandard) {
    constexpr int kPairs = 1024, kRows = 1024;
    Image s = makeImage(ZU_PF_v219, 2 * kPairs, kRows);
    Image out = makeImage(ZU_PF_bgrA, 2 * kPairs, kRows);
    uint16_t y0[kPairs], y1[kPairs];
    for (int p = 0; p < kPairs; ++p) y0[p] = uint16_t(p), y1[p] = uint16_t(1023 - p);
    const int checkers = int(std::max(1u, std::thread::hardware_concurrency()));
    for (int standard = 0; standard < 6; ++standard) {
        const StandardFormula f(standard, true);
        for (int u = 0; u < 1024; ++u) {
            // Rows in parallel: row v holds chroma (u, v) and (u ^ 1, v ^ 1) alternately.
            std::atomic<int> bad{-1};
            auto rows = [&](int first, bool check) {
                uint16_t cu[kPairs], cv[kPairs];
                for (int v = first; v < kRows; v += checkers) {
                    for (int p = 0; p < kPairs; ++p)
                        cu[p] = uint16_t((p & 1) ? u ^ 1 : u),
                        cv[p] = uint16_t((p & 1) ? v ^ 1 : v);
                    if (!check)
                        packV210Row(s.row(v), kPairs, y0, y1, cu, cv);
                    else if (firstFormulaMismatch(f, out.row(v), kPairs, y0, y1, cu, cv) >= 0)
                        bad = v;
                }
            };
            for (bool check : {false, true}) {
                if (check) {
                    ASSERT_EQ(scale(s, out, standardDesc(standard)), 0);
                }
                std::vector<std::thread> ts;
                for (int t = 0; t < checkers; ++t) ts.emplace_back(rows, t, check);
                for (auto& t : ts) t.join();
            }
            ASSERT_EQ(bad.load(), -1) << "standard " << standard << " U " << u;
        }
    }
}
