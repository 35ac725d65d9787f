// The picture arithmetic on the CPU, without a display: where frames land (the layout for
// direct drawing and for the texture quad; fitting with an aspect, fixed zoom, pan and
// top-down filling are the on-screen cases of frame_display_test.cpp), safe-area guides
// written into each format group's pixels (the whole RGB guide is compared on screen there)
// and never outside them, and halving in every layout, odd and even sizes, small frames and
// frames split over the workers, against the plain mean of the components each output covers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "video/convert/convert.h"
#include "video/video_internal.h"

using namespace zu::detail;

namespace {

LayoutInput input(int W, int H, int w, int h, bool texture) {
    LayoutInput in;
    in.winW = W, in.winH = H, in.w = w, in.h = h, in.frameWidth = w, in.texture = texture;
    return in;
}

// Direct drawing places a raster and zooms; the texture path draws a quad in a viewport of
// the picture's size.
TEST(Layout, TheRasterOrTheTextureQuadLandsAsTheArithmeticSays) {
    struct Case {
        const char* name;
        LayoutInput in;
        Layout want;  // the texture quad's: the viewport only
    };
    auto topSmall = input(960, 540, 100, 100, false);
    topSmall.topDown = 1, topSmall.zoomX = topSmall.zoomY = 1.f;
    auto big = input(960, 540, 1920, 1080, false);
    big.zoomX = big.zoomY = 1.f;
    auto bigTop = big;
    bigTop.topDown = 1;
    auto zoomedUp = input(960, 540, 480, 270, false);  // fills the width: no shift
    zoomedUp.zoomX = zoomedUp.zoomY = 3.f;
    auto decimated = input(960, 540, 360, 288, false);  // software path, decimation 2
    decimated.zx0 = decimated.zy0 = 2.f, decimated.frameWidth = 720;
    auto badAspect = input(960, 540, 480, 270, false);
    badAspect.aspectNum = 3, badAspect.aspectDen = 0;
    auto yuv1080 = input(960, 540, 960, 1080, true);  // 1920 pixels as 960 texels
    yuv1080.zx0 = 2.f, yuv1080.frameWidth = 1920;
    auto fixedPan = input(960, 540, 320, 180, true);
    fixedPan.zoomX = fixedPan.zoomY = 1.5f, fixedPan.offsetX = 7, fixedPan.offsetY = 9;
    auto narrow = input(960, 540, 360, 576, true);  // 720 x 576 4:2:2 fitted
    narrow.zx0 = 2.f, narrow.frameWidth = 720;

    const Case cases[] = {
        {"top down centred", topSmall, {0, 0, 960, 540, 1.f, -1.f, 430, 320}},
        {"larger than the window", big, {-480, -270, 960, 540, 1.f, 1.f, 0, 0}},
        {"larger, top down", bigTop, {-480, 270, 960, 540, 1.f, -1.f, 0, 540}},
        {"zoomed past the window", zoomedUp, {0, -135, 960, 540, 3.f, 3.f, 0, 0}},
        {"decimated", decimated, {0, 0, 960, 540, 1.875f, 1.875f, 142, 0}},
        {"zero denominator is square", badAspect, {0, 0, 960, 540, 2.f, 2.f, 0, 0}},
        {"1920 x 1080 4:2:2 fills", yuv1080, {0, 0, 960, 540}},
        {"fixed zoom with pan", fixedPan, {7 + 240, 135 - 9, 480, 270}},
        {"720 x 576 4:2:2 centred", narrow, {142, 0, 675, 540}},
        {"no picture", input(960, 540, 0, 0, true), {480, 270, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout l = computeLayout(c.in), &w = c.want;
        EXPECT_EQ(std::tuple(l.vpX, l.vpY, l.vpW, l.vpH, l.ortho),
                  std::tuple(w.vpX, w.vpY, w.vpW, w.vpH, !c.in.texture));
        if (c.in.texture) continue;
        EXPECT_EQ(std::pair(l.rasterX, l.rasterY), std::pair(w.rasterX, w.rasterY));
        EXPECT_FLOAT_EQ(l.pixelZoomX, w.pixelZoomX);
        EXPECT_FLOAT_EQ(l.pixelZoomY, w.pixelZoomY);
    }
}

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
        EXPECT_EQ(std::tuple(isWhite(img, t, 100, 36), isWhite(img, t, 100, 683),
                             untouched(img, t, 100, 360),
                             untouched(img, t, 100, 36 + 2 * t.pixelsPerUnit + 6)),
                  std::tuple(true, true, true, true));
    }
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

// The components of the pixel at p in a layout, and the pixel made of components.
std::vector<unsigned> decode(HalveLayout l, const uint8_t* p) {
    uint32_t w = 0;
    if (halvePixelBytes(l) == 4) std::memcpy(&w, p, 4);
    switch (l) {
        case HalveLayout::Bytes1:
            return {p[0]};
        case HalveLayout::Bytes4:
        case HalveLayout::Bytes4Opaque:
            return {p[0], p[1], p[2], p[3]};
        case HalveLayout::Shorts1:
        case HalveLayout::Shorts3:
        case HalveLayout::Shorts4:
        case HalveLayout::Shorts4To8: {
            std::vector<unsigned> c;
            for (int i = 0; i < halvePixelBytes(l) / 2; ++i)
                c.push_back(unsigned(p[2 * i] | p[2 * i + 1] << 8));
            return c;
        }
        case HalveLayout::High10BigEndian:
        case HalveLayout::High10BigEndianTo8:
            w = __builtin_bswap32(w);
            [[fallthrough]];
        case HalveLayout::High10:
        case HalveLayout::High10To8:
            return {w >> 22 & 0x3FF, w >> 12 & 0x3FF, w >> 2 & 0x3FF, w & 3};
        case HalveLayout::Low10:
        case HalveLayout::Low10To8:
            return {w & 0x3FF, w >> 10 & 0x3FF, w >> 20 & 0x3FF, w >> 30};
    }
    return {};
}

TEST(Halving, EveryLayoutGivesTheRoundedMeanOfWhatEachPixelCovers) {
    const struct {
        int w, h;
        bool x, y;
    } sizes[] = {{37, 5, true, true},
                 {70, 6, true, true},
                 {37, 5, true, false},
                 {37, 5, false, true},
                 {1602, 1300, true, true}};  // the last one is split
    std::mt19937 rng(7);
    // Every layout: Bytes4Opaque is the last.
    for (int layout = 0; layout <= int(HalveLayout::Bytes4Opaque); ++layout)
        for (const auto& s : sizes) {
            const auto l = HalveLayout(layout);
            // Split over the workers: one layout of each kind of row code is enough.
            if (s.w > 1000 && l != HalveLayout::Bytes4 && l != HalveLayout::High10To8) continue;
            SCOPED_TRACE(testing::Message() << "layout " << int(l) << ", " << s.w << " x " << s.h
                                            << (s.x ? " x" : "") << (s.y ? " y" : ""));
            const int bpp = halvePixelBytes(l);
            // Means rounded to bytes: round(v / 257) for 16 bits, round(v * 255 / 1023) for
            // 10 bits; 255 for the fourth component.
            const bool to8 = halveTo8(l), bytes = l == HalveLayout::Bytes4Opaque;
            const bool words = to8 && !bytes && l != HalveLayout::Shorts4To8;
            const HalveLayout outLayout = to8 ? HalveLayout::Bytes4 : l;
            const int outBpp = halvePixelBytes(outLayout);
            const int64_t rowBytes = int64_t(s.w) * bpp + 12;  // padded rows
            std::vector<uint8_t> src(size_t(rowBytes) * s.h);
            for (uint8_t& b : src) b = uint8_t(rng());
            const int ow = s.x ? (s.w + 1) / 2 : s.w, oh = s.y ? (s.h + 1) / 2 : s.h;
            std::vector<uint8_t> out(size_t(ow) * outBpp * oh, 0xCD);
            halveImage(l, src.data(), s.w, s.h, rowBytes, s.x, s.y, out.data(),
                       int64_t(ow) * outBpp);
            int wrong = 0;
            for (int r = 0; r < oh && wrong < 3; ++r)
                for (int i = 0; i < ow && wrong < 3; ++i) {
                    // Source columns and rows covered: an odd last one pairs with itself.
                    const int x0 = s.x ? 2 * i : i, x1 = s.x ? std::min(x0 + 1, s.w - 1) : x0;
                    const int y0 = s.y ? 2 * r : r, y1 = s.y ? std::min(y0 + 1, s.h - 1) : y0;
                    const std::vector<int> xs = s.x ? std::vector{x0, x1} : std::vector{x0};
                    const std::vector<int> ys = s.y ? std::vector{y0, y1} : std::vector{y0};
                    const unsigned n = unsigned(xs.size() * ys.size());
                    std::vector<unsigned> sum(4, 0);
                    for (int yy : ys)
                        for (int xx : xs) {
                            const auto c = decode(l, src.data() + yy * rowBytes + xx * bpp);
                            for (size_t k = 0; k < c.size(); ++k) sum[k] += c[k];
                        }
                    const auto got = decode(outLayout, out.data() + (size_t(r) * ow + i) * outBpp);
                    for (size_t k = 0; k < got.size(); ++k) {
                        // Bytes: the first three components (reversed from 16 or 10 bits), 255.
                        const unsigned mean = (sum[to8 && !bytes && k < 3 ? 2 - k : k] + n / 2) / n;
                        const unsigned want = !to8 || (bytes && k < 3) ? mean
                                              : k == 3                 ? 255
                                              : !words ? unsigned(mean / 257.0 + 0.5)
                                                       : unsigned(mean * 255 / 1023.0 + 0.5);
                        if (got[k] != want) {
                            ADD_FAILURE() << "pixel " << i << ", " << r << " component " << k
                                          << ": " << got[k] << " want " << want;
                            ++wrong;
                        }
                    }
                }
        }
}

TEST(Halving, FourTwoTwoKeepsItsLayoutWithLumaAndChromaMeans) {
    std::mt19937 rng(11);
    // UYVY (luma at 1 and 3) and YUYV (luma at 0 and 2); small, odd pair counts, and split.
    for (bool yuyv : {false, true})
        for (auto [w, h] : {std::pair{12, 4}, std::pair{36, 6}, std::pair{2000, 1100}}) {
            SCOPED_TRACE(testing::Message() << (yuyv ? "YUYV " : "UYVY ") << w << " x " << h);
            const int64_t rowBytes = int64_t(w) * 2 + 8;
            std::vector<uint8_t> src(size_t(rowBytes) * h);
            for (uint8_t& b : src) b = uint8_t(rng());
            const int ow = w / 2, oh = h / 2;
            std::vector<uint8_t> out(size_t(ow) * 2 * oh, 0xCD);
            ASSERT_TRUE(halve422(src.data(), w, h, rowBytes, yuyv, out.data(), int64_t(ow) * 2));
            const int yAt = yuyv ? 0 : 1, cAt = 1 - yAt;
            auto at = [&](int row, int pair, int byte) {
                return unsigned(src[size_t(row) * rowBytes + 4 * pair + byte]);
            };
            int wrong = 0;
            for (int r = 0; r < oh && wrong < 3; ++r)
                for (int k = 0; k < ow / 2 && wrong < 3; ++k) {
                    const uint8_t* o = out.data() + size_t(r) * ow * 2 + 4 * k;
                    unsigned want[4];
                    for (int j = 0; j < 2; ++j) {  // luma of output pixel j: input pair 2k + j
                        unsigned s = 0;
                        for (int row : {2 * r, 2 * r + 1})
                            s += at(row, 2 * k + j, yAt) + at(row, 2 * k + j, yAt + 2);
                        want[yAt + 2 * j] = (s + 2) / 4;
                    }
                    for (int c : {cAt, cAt + 2}) {
                        unsigned s = 0;
                        for (int row : {2 * r, 2 * r + 1})
                            s += at(row, 2 * k, c) + at(row, 2 * k + 1, c);
                        want[c] = (s + 2) / 4;
                    }
                    for (int b = 0; b < 4; ++b)
                        if (o[b] != want[b]) {
                            ADD_FAILURE() << "pair " << k << ", row " << r << " byte " << b << ": "
                                          << int(o[b]) << " want " << want[b];
                            ++wrong;
                        }
                }
        }
    // Widths that do not make whole output pairs, and odd heights, are left to the caller.
    uint8_t px[64] = {}, out[64];
    EXPECT_FALSE(halve422(px, 6, 2, 12, false, out, 6));
    EXPECT_FALSE(halve422(px, 8, 3, 16, false, out, 8));
}

TEST(Halving, YuvToRgbAtHalfSizeRefusesWhatItCannotTakeAndWritesNothing) {
    // A 16 x 4 NV12 frame and a 16 x 4 "v219" frame, each into an 8 x 2 "bgrA" picture,
    // then each argument made unusable in turn.
    std::vector<uint8_t> y(16 * 4, 100), uv(16 * 2, 128), words(48 * 4, 0x55);
    const ColourSpec colour;
    const YuvToRgb t = yuvToRgb(colour);
    struct Case {
        const char* name;
        int width, height, rowBytes;  // of the source; v219 rows start rowBytes apart
        int dstW, dstH, dstRowBytes;
        unsigned dstFormat;
        bool nullPlane;
    };
    const Case good{"usable", 16, 4, 16, 8, 2, 32, ZU_PF_bgrA, false};
    const Case cases[] = {good,
                          {"odd height", 16, 3, 16, 8, 1, 32, ZU_PF_bgrA, false},
                          {"destination not half", 16, 4, 16, 8, 4, 32, ZU_PF_bgrA, false},
                          {"destination rows too short", 16, 4, 16, 8, 2, 28, ZU_PF_bgrA, false},
                          {"destination not 8-bit RGB", 16, 4, 16, 8, 2, 32, ZU_PF_2vuy, false},
                          {"source rows too short", 16, 4, 12, 8, 2, 32, ZU_PF_bgrA, false},
                          {"null plane", 16, 4, 16, 8, 2, 32, ZU_PF_bgrA, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const bool usable = &c == &cases[0];
        std::vector<uint8_t> out(64 * 4, 0xCD);
        const DstImage dst{out.data(), c.dstW, c.dstH, c.dstFormat, c.dstRowBytes};
        const PlanarImage nv12{{c.nullPlane ? nullptr : y.data(), uv.data(), nullptr},
                               {c.rowBytes, c.rowBytes, 0},
                               c.width,
                               c.height,
                               ZU_PF_NV12};
        EXPECT_EQ(planarHalfToRgb(nv12, dst, t, false), usable);
        // "v219" rows of 16 pixels need 48 bytes: the rows given are 3 times the luma's.
        EXPECT_EQ(v210HalfToRgb(c.nullPlane ? nullptr : words.data(), c.width, c.height,
                                c.rowBytes * 3, dst, t),
                  usable);
        if (!usable) {
            EXPECT_TRUE(std::all_of(out.begin(), out.end(), [](uint8_t b) { return b == 0xCD; }));
        }
    }
    // Wider than the stack lines hold: left to the caller's other way.
    std::vector<uint8_t> wide((kV210HalfMaxWidth + 6) / 6 * 16 * 2), out(kV210HalfMaxWidth * 4);
    const DstImage dst{out.data(), kV210HalfMaxWidth / 2 + 1, 1, ZU_PF_bgrA,
                       (kV210HalfMaxWidth / 2 + 1) * 4};
    EXPECT_FALSE(v210HalfToRgb(wide.data(), kV210HalfMaxWidth + 2, 2,
                               (kV210HalfMaxWidth + 6) / 6 * 16, dst, t));
}

}  // namespace
