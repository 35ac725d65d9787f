// Safe-area guides written into each format group's pixels, and never outside them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "support/gl_capture.h"
#include "video/convert/convert.h"
#include "video/video_internal.h"

using zu::detail::drawGuide;

namespace {

constexpr int kW = 720, kH = 576;

struct Target {
    const char* name;
    unsigned format;
    int rowBytes;
    std::vector<uint8_t> white;  // one unit of white
    int pixelsPerUnit;
};

// The bytes of the unit that holds a pixel.
std::vector<uint8_t> unit(const std::vector<uint8_t>& img, const Target& t, int row, int pixel) {
    const auto at =
        img.begin() + size_t(row) * t.rowBytes + pixel / t.pixelsPerUnit * int(t.white.size());
    return {at, at + long(t.white.size())};
}
bool isWhite(const std::vector<uint8_t>& img, const Target& t, int row, int pixel) {
    return unit(img, t, row, pixel) == t.white;
}
bool untouched(const std::vector<uint8_t>& img, const Target& t, int row, int pixel) {
    return unit(img, t, row, pixel) == std::vector<uint8_t>(t.white.size(), 0);
}

TEST(Guides, TenPercentLeavesThirtySixPixelsEachSideInEveryFormatGroup) {
    const Target targets[] = {
        {"bgrA", ZU_PF_bgrA, kW * 4, {0xFF, 0xFF, 0xFF, 0xFF}, 1},
        {"2vuy", ZU_PF_2vuy, kW * 2, {0x80, 0xEB, 0x80, 0xEB}, 2},
        {"yuy2", ZU_PF_yuy2, kW * 2, {0xEB, 0x80, 0xEB, 0x80}, 2},
        {"v219",
         ZU_PF_v219,
         kW / 6 * 16,
         {0x00, 0xB2, 0x0E, 0x20, 0xAC, 0x03, 0xC8, 0x3A, 0x00, 0xB2, 0x0E, 0x20, 0xAC, 0x03, 0xC8,
          0x3A},
         6},
    };
    // 10 % of 576 rows is 28.8: the top line is on row 28, the bottom edge on row 547.
    for (const Target& t : targets) {
        SCOPED_TRACE(t.name);
        std::vector<uint8_t> img(size_t(t.rowBytes) * kH, 0);
        drawGuide(img.data(), t.format, kW, kH, t.rowBytes, 10.f, 10.f);
        for (int row : {28, 29, 30, 546, 547, 548}) {
            SCOPED_TRACE(row);
            EXPECT_TRUE(untouched(img, t, row, 36 - t.pixelsPerUnit));
            for (int x : {36, 360, 683}) EXPECT_TRUE(isWhite(img, t, row, x)) << x;
            EXPECT_TRUE(untouched(img, t, row, 684));
        }
        for (int row : {27, 549}) EXPECT_TRUE(untouched(img, t, row, 300)) << row;
        // Between the lines only the side marks.
        EXPECT_TRUE(isWhite(img, t, 100, 36));
        EXPECT_TRUE(isWhite(img, t, 100, 683));
        EXPECT_TRUE(untouched(img, t, 100, 360));
        EXPECT_TRUE(untouched(img, t, 100, 36 + 2 * t.pixelsPerUnit + 6));
    }
}

// The whole RGB guide: the rectangle, its side marks, and ticks 3 wide across the middle
// of each side.
TEST(Guides, RgbGuidesLookAsTheReference) {
    std::vector<uint8_t> img(size_t(kW) * 4 * kH, 0);
    drawGuide(img.data(), ZU_PF_bgrA, kW, kH, kW * 4, 10.f, 10.f);
    // Memory row 0 is the picture's top; a capture runs bottom up. White is white in either
    // byte order.
    zu::test::Capture c{0, 0, kW, kH, std::vector<uint8_t>(img.size())};
    for (int r = 0; r < kH; ++r)
        std::memcpy(&c.rgba[size_t(kH - 1 - r) * kW * 4], &img[size_t(r) * kW * 4], kW * 4);
    zu::test::expectReferenceImage(c, ZUGUI_SOURCE_DIR "/tests/video/data/guides_bgra.png");
}

TEST(Guides, UnusableArgumentsNeverWriteOutsideTheImage) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        unsigned format;
        int width, height, rowBytes;
        float h, v;
    } cases[] = {
        {ZU_PF_bgrA, 720, 576, 720 * 4, 500.f, 500.f},  // more than the picture
        {ZU_PF_bgrA, 720, 576, 720 * 4, -10.f, nan},
        {ZU_PF_bgrA, 1, 1, 4, 0.f, 0.f},  // ticks reach past a one-pixel picture
        {ZU_PF_bgrA, 12, 6, 12 * 4, 10.f, 10.f},
        {ZU_PF_rgb_, 10, 30, 30, 0.f, 0.f},
        {ZU_PF_2vuy, 720, 576, 100, 10.f, 10.f},  // rows shorter than the width
        {ZU_PF_v219, 6, 2, 16, 0.f, 0.f},
        {ZU_PF_v219, 720, 576, 720 / 6 * 16, 199.f, 199.f},
        {ZU_PF_yuy2, 0, 576, 1440, 10.f, 10.f},
        {0x12345678, 720, 576, 2880, 10.f, 10.f},  // unknown format
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const size_t size = size_t(c.rowBytes) * std::max(0, c.height);
        std::vector<uint8_t> img(size + 64, 0x11);
        drawGuide(img.data(), c.format, c.width, c.height, c.rowBytes, c.h, c.v);
        for (size_t i = size; i < img.size(); ++i) ASSERT_EQ(img[i], 0x11) << i;
    }
    drawGuide(nullptr, ZU_PF_bgrA, 720, 576, 2880, 10.f, 10.f);  // nothing to write into
}

}  // namespace
