// The fallback scaler: descriptor against the published gains, byte orders, geometry.
#include <gtest/gtest.h>

#include "convert_support.h"

using namespace zu::detail;
using namespace zutest;

namespace {

struct Coeffs {
    double gain, crR, cbB, crG, cbG;
    bool video;
};
// Gains of the six standards, as published for them.
const Coeffs kCoeffs[6] = {
    {1.0, 1.37073, 1.73242, -0.69824, -0.33655, false},
    {1.164384, 1.596027, 2.017231, -0.812968, -0.39116, true},
    {1.0, 1.53979, 1.81439, -0.45746, -0.1828, false},
    {1.164384, 1.792742, 2.112402, -0.532909, -0.213249, true},
    {1.0, 1.53967, 1.81421, -0.45764, -0.18311, false},
    {1.16437, 1.79285, 2.11243, -0.53284, -0.21326, true},
};

}  // namespace

TEST(FallbackScaler, DescriptorIsFilledFromStandardAndSourceRange) {
    for (int standard = 0; standard < 6; ++standard) {
        const Coeffs& k = kCoeffs[standard];
        ZuColorDescriptor d = standardDesc(standard);
        fillColorDescriptor(d, ZU_PF_2vuy);
        // The record is packed: its doubles are read by value, never bound to references.
        EXPECT_EQ(std::tuple(double(d.redLumaGain), double(d.greenLumaGain), double(d.blueLumaGain),
                             double(d.redCrGain), double(d.blueCbGain), double(d.greenCrGain),
                             double(d.greenCbGain), double(d.blueLumaOffset)),
                  std::tuple(k.gain, k.gain, k.gain, k.crR, k.cbB, k.crG, k.cbG, k.video ? 16 : 0))
            << standard;
    }
    struct Case {
        int standard;
        unsigned fmt;
        double redLuma, luma, chroma;
    } cases[] = {
        {0, ZU_PF_2vuy, 0.00006, 0, 128},   {1, ZU_PF_2vuy, 16, 16, 128},
        {1, ZU_PF_v219, 64, 64, 512},       {3, ZU_PF_BRgB, 2048, 2048, 16384},
        {5, ZU_PF_RGBA, 4096, 4096, 32768}, {2, ZU_PF_BPrF, 0, 0, 32768},
    };
    for (const Case& c : cases) {
        ZuColorDescriptor d = standardDesc(c.standard);
        fillColorDescriptor(d, c.fmt);
        EXPECT_EQ(
            std::tuple(double(d.redLumaOffset), double(d.greenLumaOffset), double(d.lumaOffset),
                       double(d.redChromaOffset), double(d.greenCbOffset), double(d.crOffset)),
            std::tuple(c.redLuma, c.luma, c.luma, c.chroma, c.chroma, c.chroma))
            << c.standard;
    }
    ZuColorDescriptor d = standardDesc(6);
    d.redCrGain = 42;
    fillColorDescriptor(d, ZU_PF_2vuy);
    EXPECT_EQ(double(d.redCrGain), 42);  // outside 0 to 5 nothing is filled
}

// The colour itself is checked for 2vuy by the formula tests; yuy2 is its byte-swapped twin.
TEST(FallbackScaler, Yuy2ReadsAsTheByteSwapped2vuy) {
    Image uyvy = makeImage(ZU_PF_2vuy, 130, 3);
    randomFill(uyvy, 5);
    Image yuyv = uyvy;
    yuyv.format = ZU_PF_yuy2;
    for (size_t i = 0; i + 1 < yuyv.bytes.size(); i += 2)
        std::swap(yuyv.bytes[i], yuyv.bytes[i + 1]);
    for (int standard : {0, 3}) {
        Image want = makeImage(ZU_PF_bgrA, 130, 3), got = makeImage(ZU_PF_bgrA, 130, 3);
        ASSERT_EQ(scale(uyvy, want, standardDesc(standard)), 0);
        ASSERT_EQ(scale(yuyv, got, standardDesc(standard)), 0);
        EXPECT_EQ(got.bytes, want.bytes) << standard;
    }
}

// Rows outside the picture take the border (or are left alone without one); keeping the
// aspect shrinks the picture, and bottom-up sources are read from their last row.
TEST(FallbackScaler, RowsAndColumnsArePlacedByTheSizeRules) {
    struct Case {
        int sw, sh, dw, dh;
        int sx0, dx0, n;  // source pixel sx0 + i * step lands on destination pixel dx0 + i
        int sy0, dy0, rows, step;
        unsigned char keepAspect, bottomUp;
        bool border;
    } cases[] = {
        // clang-format off
        {16, 8, 16, 8, 0, 0, 16, 0, 0, 8, 1, 0, 0, false},
        {10, 8, 16, 8, 0, 3, 10, 0, 0, 8, 1, 0, 0, false},
        {20, 8, 16, 8, 2, 0, 16, 0, 0, 8, 1, 0, 0, false},
        {16, 12, 16, 8, 0, 0, 16, 2, 0, 8, 1, 0, 0, false},
        {16, 5, 16, 8, 0, 0, 16, 0, 2, 5, 1, 0, 0, false},
        {11, 6, 16, 9, 0, 3, 11, 0, 2, 6, 1, 0, 0, false},
        {21, 9, 16, 8, 3, 0, 16, 1, 0, 8, 1, 0, 0, false},
        {8, 4, 8, 8, 0, 0, 8, 0, 2, 4, 1, 0, 1, true},
        {16, 8, 8, 8, 0, 0, 8, 0, 2, 4, 2, 1, 0, true},
        // clang-format on
    };
    const uint8_t rgba[4] = {10, 20, 30, 40};
    const uint32_t border = px32(rgba);
    for (unsigned dfmt : {ZU_PF_bgrA, ZU_PF_rgba})
        for (const Case& c : cases) {
            Image s = coordImage(c.sw, c.sh);
            Image d = makeImage(dfmt, c.dw, c.dh, 0, 0xEE);
            ASSERT_EQ(scale(s, d, {}, c.keepAspect, c.bottomUp, c.border ? &border : nullptr), 0);
            const uint32_t outside = !c.border            ? 0xEEEEEEEEu
                                     : dfmt == ZU_PF_rgba ? border
                                                          : 0x280A141Eu;
            for (int y = 0; y < c.dh; ++y)
                for (int x = 0; x < c.dw; ++x) {
                    SCOPED_TRACE(testing::Message()
                                 << c.sw << "x" << c.sh << " at " << x << "," << y);
                    bool inside = x >= c.dx0 && x < c.dx0 + c.n && y >= c.dy0 && y < c.dy0 + c.rows;
                    const uint8_t* dp = d.row(y) + 4 * x;
                    if (!inside) {
                        ASSERT_EQ(px32(dp), outside);
                        continue;
                    }
                    const int sy = c.sy0 + (y - c.dy0) * c.step;
                    const uint8_t* sp =
                        s.row(c.bottomUp ? c.sh - 1 - sy : sy) + 4 * (c.sx0 + (x - c.dx0) * c.step);
                    ASSERT_EQ(dfmt == ZU_PF_bgrA ? dp[0] : dp[2], sp[0]);
                    ASSERT_EQ(dp[1], sp[1]);
                }
        }
}

TEST(FallbackScaler, PairedSourcesAreCentredOrCutAtTheLeft) {
    Image s = makeImage(ZU_PF_2vuy, 8, 1);
    for (int p = 0; p < 4; ++p) {
        uint8_t* g = s.row(0) + 4 * p;
        g[0] = g[2] = 128, g[1] = uint8_t(20 + 40 * p), g[3] = uint8_t(40 + 40 * p);
    }
    // (13 - 8) / 2 = 2 columns left of the picture; 4 columns take the source's first four.
    for (auto [width, x0] : {std::pair{13, 2}, {4, 0}}) {
        Image d = makeImage(ZU_PF_bgrA, width, 1, 0, 0xEE);
        ASSERT_EQ(scale(s, d, standardDesc(0)), 0);  // full range: every component equals Y
        for (int x = 0; x < width; ++x) {
            const bool inside = x >= x0 && x < x0 + 8;
            EXPECT_EQ(inside ? d.row(0)[4 * x + 1] : px32(d.row(0) + 4 * x),
                      inside ? 20 + 20 * (x - x0) : 0xEEEEEEEEu)
                << width << " at " << x;
        }
    }
}

// Into 4:2:2 the border is converted with the descriptor's RGB-to-YUV weights.
TEST(FallbackScaler, BorderInto422IsConvertedToYuv) {
    Image s = coordImage(8, 4);
    Image y = makeImage(ZU_PF_2vuy, 8, 8, 0, 0xEE);
    const uint32_t white = 0xFFFFFFFFu;
    ASSERT_EQ(scale(s, y, standardDesc(1), 0, 0, &white), 0);
    EXPECT_EQ(std::tuple(y.row(0)[1], y.row(0)[0], y.row(7)[3]), std::tuple(235, 128, 235));
}

TEST(FallbackScaler, TenBitDestinationsRespectTheFullRangeFlags) {
    Image s = rowImage(ZU_PF_2vuy, 2, {128, 255, 128, 0});
    for (auto [top, bottom, hi, lo] :
         {std::tuple{0, 0, 940u, 64u}, {1, 0, 1020u, 64u}, {1, 1, 1020u, 0u}}) {
        Image d = makeImage(ZU_PF_10rl, 2, 1);
        ZuColorDescriptor desc{};
        desc.standard = 0;
        desc.fullRangeTop = uint8_t(top);
        desc.fullRangeBottom = uint8_t(bottom);
        FallbackScaler sc;
        ASSERT_EQ(sc.convert(s.src(), d.dst(), 0, &desc, 0, nullptr), 0);
        // White and black, and the scaler's own copy of the top flag.
        EXPECT_EQ(std::tuple(px32(d.row(0)) >> 22, (px32(d.row(0) + 4) >> 22) & 1023,
                             int(sc.state().fullRangeTop)),
                  std::tuple(hi, lo, top))
            << top << bottom;
    }
}

TEST(FallbackScaler, FallbackOnlyVariantsRoundTrip) {
    Image s = coordImage(6, 2);
    for (size_t i = 3; i < s.bytes.size(); i += 4) s.bytes[i] = 255;  // some have no alpha
    for (unsigned fmt : {ZU_PF__RgB, ZU_PF_RgBA, ZU_PF_BGR_, ZU_PF_BGr_, ZU_PF_BGrA, ZU_PF__RgF,
                         ZU_PF_ARgF, ZU_PF_BGrF, ZU_PF_RgBF, ZU_PF_10RA}) {
        Image mid = makeImage(fmt, 6, 2);
        Image back = makeImage(ZU_PF_bgrA, 6, 2);
        ASSERT_EQ(scale(s, mid), 0) << std::hex << fmt;
        ASSERT_EQ(scale(mid, back), 0) << std::hex << fmt;
        EXPECT_EQ(back.bytes, s.bytes) << std::hex << fmt;
    }
}

TEST(FallbackScaler, BadInputIsRefused) {
    Image s = makeImage(ZU_PF_2vuy, 8, 2), d = makeImage(ZU_PF_bgrA, 8, 2);
    uint8_t *sp = s.bytes.data(), *dp = d.bytes.data();
    ZuColorDescriptor desc{};
    struct Case {
        const char* what;
        SrcImage src;
        DstImage dst;
        ZuColorDescriptor* desc;
    } cases[] = {
        // clang-format off
        {"no descriptor", s.src(), d.dst(), nullptr},
        {"null source", {nullptr, 8, 2, ZU_PF_2vuy, 16}, d.dst(), &desc},
        {"source row bytes", {sp, 8, 2, ZU_PF_2vuy, 12}, d.dst(), &desc},
        {"destination row bytes", s.src(), {dp, 8, 2, ZU_PF_bgrA, 31}, &desc},
        {"format it never reads", {sp, 8, 2, ZU_PF_mjaq, 16}, d.dst(), &desc},
        {"format it never writes", s.src(), {dp, 8, 2, ZU_PF_YVrF, 128}, &desc},
        {"odd 4:2:2 width", {sp, 9, 2, ZU_PF_2vuy, 20}, d.dst(), &desc},
        // clang-format on
    };
    for (const Case& c : cases) {
        FallbackScaler sc;
        EXPECT_EQ(sc.convert(c.src, c.dst, 0, c.desc, 0, nullptr), -2) << c.what;
    }
}

// The scaler's rows split over threads equal one thread's: odd heights, taller and shorter
// sources, 10-bit rows, borders and bottom-up reading.
TEST(FallbackScaler, SplitFramesEqualOneThread) {
    struct Case {
        unsigned sfmt, dfmt;
        int sw, sh, dw, dh;
        unsigned char bottomUp;
        bool border;
    } cases[] = {
        {ZU_PF_2vuy, ZU_PF_bgrA, 1282, 401, 1282, 401, 0, false},
        {ZU_PF_v219, ZU_PF_rgba, 1290, 403, 1290, 403, 1, false},
        {ZU_PF_2vuy, ZU_PF_bgrA, 1282, 603, 1282, 401, 0, true},
        {ZU_PF_yuy2, ZU_PF_argB, 1000, 301, 1282, 405, 1, true},
    };
    const uint32_t border = 0x80402010;
    for (const Case& c : cases) {
        Image s = makeImage(c.sfmt, c.sw, c.sh, 16);
        randomFill(s, uint32_t(c.sh));
        const uint32_t* b = c.border ? &border : nullptr;
        expectThreadCountsAgree(
            makeImage(c.dfmt, c.dw, c.dh, 0, 7),
            [&](Image& out) { return scale(s, out, standardDesc(3), 0, c.bottomUp, b); }, {2, 4},
            std::to_string(c.sw) + "x" + std::to_string(c.sh));
    }
}
