// Halving on the CPU: every layout, odd and even sizes, small frames and frames split over
// the workers, against the plain mean of the components each output covers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "video/video_internal.h"

using namespace zu::detail;

namespace {

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
    const HalveLayout layouts[] = {HalveLayout::Bytes1,
                                   HalveLayout::Bytes4,
                                   HalveLayout::Shorts1,
                                   HalveLayout::Shorts3,
                                   HalveLayout::Shorts4,
                                   HalveLayout::Shorts4To8,
                                   HalveLayout::High10,
                                   HalveLayout::High10BigEndian,
                                   HalveLayout::Low10,
                                   HalveLayout::High10To8,
                                   HalveLayout::High10BigEndianTo8,
                                   HalveLayout::Low10To8,
                                   HalveLayout::Bytes4Opaque};
    const struct {
        int w, h;
        bool x, y;
    } sizes[] = {{37, 5, true, true},
                 {70, 6, true, true},
                 {37, 5, true, false},
                 {37, 5, false, true},
                 {1602, 1300, true, true}};  // the last one is split
    std::mt19937 rng(7);
    for (HalveLayout l : layouts)
        for (const auto& s : sizes) {
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
