// The table converter: factors, alpha and range rules, layouts, repacking, bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "convert_support.h"

using namespace zu::detail;
using namespace zutest;

TEST(TableConvert, FactorsArePowersOfTwoInEachDirectionAndOthersAreRefused) {
    struct Case {
        int sw, sh, dw, dh, rc;
    } cases[] = {
        {1920, 1080, 960, 540, 0}, {1920, 1080, 1000, 540, -2}, {1920, 1080, 480, 1080, 0},
        {1920, 1080, 120, 67, 0},  {1920, 1080, 60, 1080, -2},  {64, 32, 128, 64, 0},
        {64, 32, 1024, 512, 0},    {64, 32, 2048, 32, -2},      {64, 32, 64, 48, -2},
        {65, 33, 130, 16, 0},  // truncating division: 33 / 2 = 16
    };
    for (const Case& c : cases) {
        Image s = coordImage(c.sw, c.sh);
        Image d = makeImage(ZU_PF_bgrA, c.dw, c.dh);
        EXPECT_EQ(tableConvert(s.src(), d.dst(), {}), c.rc)
            << c.sw << "x" << c.sh << " -> " << c.dw << "x" << c.dh;
    }
}

TEST(TableConvert, DownScalingTakesEveryNthPixelAndUpScalingRepeats) {
    Image s = coordImage(64, 32);
    for (auto [dw, dh] : {std::pair{16, 8}, {128, 128}}) {
        Image d = makeImage(ZU_PF_bgrA, dw, dh);
        ASSERT_EQ(tableConvert(s.src(), d.dst(), {}), 0);
        for (int y = 0; y < dh; ++y)
            for (int x = 0; x < dw; ++x)
                ASSERT_EQ(px32(d.row(y) + 4 * x), px32(s.row(y * 32 / dh) + 4 * (x * 64 / dw)))
                    << dw << "x" << dh << " at " << x << "," << y;
    }
}

TEST(TableConvert, FlipAndFieldShiftChooseRows) {
    Image s = coordImage(8, 6);
    struct Case {
        unsigned char flip, shift;
        int expectRow[6];
    } cases[] = {
        {0, 0, {0, 1, 2, 3, 4, 5}},
        {1, 0, {5, 4, 3, 2, 1, 0}},
        {0, 1, {1, 2, 3, 4, 5, 5}},  // last row repeats the one above
        {1, 1, {5, 5, 4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        Image d = makeImage(ZU_PF_bgrA, 8, 6);
        TableOptions o;
        o.flip = c.flip;
        o.fieldShift = c.shift;
        ASSERT_EQ(tableConvert(s.src(), d.dst(), o), 0);
        for (int r = 0; r < 6; ++r)
            EXPECT_EQ(d.row(r)[1], c.expectRow[r])
                << "flip " << int(c.flip) << " shift " << int(c.shift) << " row " << r;
    }
}

TEST(TableConvert, AlphaComesFromTheSourceOrTheArgument) {
    Image s = rowImage(ZU_PF_bgrA, 2, {1, 2, 3, 77, 4, 5, 6, 0});
    Image d = makeImage(ZU_PF_rgba, 2, 1);
    ASSERT_EQ(tableConvert(s.src(), d.dst(), {}), 0);
    EXPECT_EQ(d.bytes, rowImage(ZU_PF_rgba, 2, {3, 2, 1, 77, 6, 5, 4, 0}).bytes);

    Image rgb = rowImage(ZU_PF_rgb_, 1, {9, 8, 7});
    struct Case {
        double alpha;
        int expect;
    } cases[] = {{-1, 255}, {100, 100}, {300, 255}, {-5, 0}, {NAN, 255}};
    for (const Case& c : cases) {
        Image out = makeImage(ZU_PF_bgrA, 1, 1);
        TableOptions o;
        o.alpha = c.alpha;
        ASSERT_EQ(tableConvert(rgb.src(), out.dst(), o), 0);
        EXPECT_EQ(std::tuple(out.row(0)[3], out.row(0)[0], out.row(0)[2]),
                  std::tuple(c.expect, 7, 9))
            << c.alpha;
    }
}

TEST(TableConvert, TenBitRedScalesToEightBits) {
    for (auto [red, expect] : {std::pair{1023, 255}, {512, 128}, {0, 0}, {2, 0}, {3, 1}}) {
        Image s = makeImage(ZU_PF_10rl, 1, 1);
        uint32_t w = uint32_t(red) << 22;
        std::memcpy(s.row(0), &w, 4);
        Image d = makeImage(ZU_PF_bgrA, 1, 1);
        ASSERT_EQ(tableConvert(s.src(), d.dst(), {}), 0);
        EXPECT_EQ(std::tuple(d.row(0)[2], d.row(0)[0]), std::tuple(expect, 0)) << red;
    }
}

TEST(TableConvert, LookUpTableIndicesAreClampedToItsLength) {
    std::vector<int> red(256), green(256), blue(256);
    for (int i = 0; i < 256; ++i) red[i] = 4 * i, green[i] = 1023 - 4 * i, blue[i] = 600;
    ZuRGBLUT lut{red.data(), blue.data(), green.data(), nullptr, 256};
    Image s = rowImage(ZU_PF_rgba, 3, {10, 10, 0, 255, 63, 63, 0, 255, 200, 200, 200, 255});
    Image d = makeImage(ZU_PF_rgba, 3, 1);
    TableOptions o;
    o.lut = &lut;
    ASSERT_EQ(tableConvert(s.src(), d.dst(), o), 0);
    // 10 reads entry 40; 63 reads 252; 200 reads 800, clamped to 255.
    const uint8_t* p = d.row(0);
    EXPECT_EQ(
        std::tuple(p[0], p[4], p[8], p[9], p[10]),
        std::tuple(int(160 * 0.25 + 0.5), int(1008 * 0.25 + 0.5), 255, int(3 * 0.25 + 0.5), 150));

    // The fast path applies the table the same way, 4 * value with integer division.
    HostTables t;
    Image y = rowImage(ZU_PF_2vuy, 2, {128, 16, 128, 235});
    Image f = makeImage(ZU_PF_bgrA, 2, 1);
    o.tables = &t.t;
    o.fast = 1;
    ASSERT_EQ(tableConvert(y.src(), f.dst(), o), 0);
    // Red 0 reads entry 0; red 255 the clamped index 255, 1020 / 4; green 255 reads 3 / 4.
    EXPECT_EQ(std::tuple(f.row(0)[2], f.row(0)[6], f.row(0)[5]), std::tuple(0, 255, 0));
}

TEST(TableConvert, VuypPairsAverageChromaInto2vuy) {
    Image s = rowImage(ZU_PF_vuyp, 2, {200, 10, 50, 0, 203, 13, 60, 0});  // V U Y pad
    Image d = makeImage(ZU_PF_2vuy, 2, 1);
    ASSERT_EQ(tableConvert(s.src(), d.dst(), {}), 0);
    EXPECT_EQ(d.bytes, rowImage(ZU_PF_2vuy, 2, {11, 50, 201, 60}).bytes);
}

TEST(TableConvert, RepackingBetweenEightAndTenBitClampsToVideoRangeUnlessFull) {
    Image s = rowImage(ZU_PF_2vuy, 6, {0, 255, 250, 100, 128, 16, 240, 235, 10, 1, 2, 3});
    struct Case {
        unsigned char top, bottom;
        int lo, hiY, hiC;
    } cases[] = {{0, 0, 64, 940, 960}, {1, 1, 0, 1023, 1023}, {1, 0, 64, 1023, 1023}};
    for (const Case& c : cases) {
        Image d = makeImage(ZU_PF_v219, 6, 1);
        TableOptions o;
        o.fullRangeTop = c.top, o.fullRangeBottom = c.bottom;
        ASSERT_EQ(tableConvert(s.src(), d.dst(), o), 0);
        const uint8_t* w = d.row(0);
        auto word = [&](int i) { return px32(w + 4 * i); };
        auto comp = [&](int i, int slot) { return int(word(i) >> (10 * slot)) & 1023; };
        // U0 Y0 V0 | Y1 U1 Y2 | V1 Y3 U2 | Y4 V2 Y5
        EXPECT_EQ(std::tuple(comp(0, 0), comp(0, 1), comp(0, 2), comp(1, 0), comp(1, 1), comp(1, 2),
                             comp(3, 2)),
                  std::tuple(std::clamp(0, c.lo, c.hiC), std::clamp(1020, c.lo, c.hiY),
                             std::clamp(1000, c.lo, c.hiC), std::clamp(400, c.lo, c.hiY), 512, 64,
                             std::clamp(12, c.lo, c.hiY)));
        // And back: 10-bit into 8-bit rounds v / 4.
        Image back = makeImage(ZU_PF_yuy2, 6, 1);
        ASSERT_EQ(tableConvert(d.src(), back.dst(), {}), 0);
        EXPECT_EQ(
            std::tuple(back.row(0)[0], back.row(0)[1]),  // Y0, U0
            std::tuple(std::clamp(1020, c.lo, c.hiY) / 4, (std::clamp(0, c.lo, c.hiC) + 2) / 4));
    }
}

// Every RGB layout: components packed by hand land where the layout says and come back.
TEST(TableConvert, EveryRgbLayoutRoundTripsThroughBgrA) {
    struct Layout {
        unsigned fmt;
        int bytes;     // per component: 1, 2 or 4 (float); 0 for the 10-bit words
        int order[4];  // element of R, G, B, A, or -1
        double max;
    } layouts[] = {
        {ZU_PF_bgrA, 1, {2, 1, 0, 3}, 255},
        {ZU_PF_rleq, 1, {2, 1, 0, 3}, 255},
        {ZU_PF_rgba, 1, {0, 1, 2, 3}, 255},
        {ZU_PF_rgbb, 1, {0, 1, 2, 3}, 255},
        {ZU_PF_argB, 1, {1, 2, 3, 0}, 255},
        {ZU_PF_abgr, 1, {3, 2, 1, 0}, 255},
        {ZU_PF_rgb_, 1, {0, 1, 2, -1}, 255},
        {ZU_PF_rg2b, 1, {0, 1, 2, -1}, 255},
        {ZU_PF_mjbi, 1, {0, 1, 2, -1}, 255},
        {ZU_PF_bgr_, 1, {2, 1, 0, -1}, 255},
        {ZU_PF_RGB_, 2, {0, 1, 2, -1}, 65535},
        {ZU_PF_RGBA, 2, {0, 1, 2, 3}, 65535},
        {ZU_PF_BGRA, 2, {2, 1, 0, 3}, 65535},
        {ZU_PF_ARGB, 2, {1, 2, 3, 0}, 65535},
        {ZU_PF_BRgB, 2, {2, 1, 0, 3}, 32768},
        {ZU_PF_ARgB, 2, {1, 2, 3, 0}, 32768},
        {ZU_PF_BPrF, 4, {2, 1, 0, 3}, 1.0},
        {ZU_PF_10rl, 0, {}, 1023},
        {ZU_PF_11rl, 0, {}, 1023},
        {ZU_PF_10rb, 0, {}, 1023},
        {ZU_PF_11rb, 0, {}, 1023},
        {ZU_PF_10RG, 0, {}, 1023},
    };
    const uint8_t rgb8[4][3] = {{0, 128, 255}, {1, 2, 3}, {254, 77, 200}, {100, 0, 31}};
    for (const Layout& l : layouts) {
        const int n = 4;
        Image packed = makeImage(l.fmt, n, 1);
        for (int x = 0; x < n; ++x) {
            double v[3];
            for (int c = 0; c < 3; ++c)
                v[c] = l.bytes == 4 ? rgb8[x][c] / 255.0 : int(rgb8[x][c] / 255.0 * l.max + 0.5);
            const int bpp = packed.rowBytes / n;
            uint8_t* p = packed.row(0) + x * bpp;
            if (l.bytes == 0) {
                auto r = uint32_t(v[0]), g = uint32_t(v[1]), b = uint32_t(v[2]);
                uint32_t w = r << 22 | g << 12 | b << 2;
                if (l.fmt == ZU_PF_10RG) w = r | g << 10 | b << 20;
                if (l.fmt == ZU_PF_10rb || l.fmt == ZU_PF_11rb) w = __builtin_bswap32(w);
                std::memcpy(p, &w, 4);
                continue;
            }
            for (int c = 0; c < 4; ++c) {
                if (l.order[c] < 0) continue;
                double val = c == 3 ? (l.bytes == 4 ? 1.0 : l.max) : v[c];
                if (l.bytes == 1) p[l.order[c]] = uint8_t(val);
                if (l.bytes == 2) {
                    auto w = uint16_t(val);
                    std::memcpy(p + 2 * l.order[c], &w, 2);
                }
                if (l.bytes == 4) {
                    auto f = float(val);
                    std::memcpy(p + 4 * l.order[c], &f, 4);
                }
            }
        }
        Image bgra = makeImage(ZU_PF_bgrA, n, 1);
        ASSERT_EQ(tableConvert(packed.src(), bgra.dst(), {}), 0) << std::hex << l.fmt;
        for (int x = 0; x < n; ++x) {
            const uint8_t* p = bgra.row(0) + 4 * x;
            EXPECT_EQ(std::tuple(p[2], p[1], p[0]), std::tuple(rgb8[x][0], rgb8[x][1], rgb8[x][2]))
                << std::hex << l.fmt << " pixel " << x;
        }
        Image again = makeImage(l.fmt, n, 1);
        ASSERT_EQ(tableConvert(bgra.src(), again.dst(), {}), 0);
        EXPECT_EQ(again.bytes, packed.bytes) << std::hex << l.fmt;
    }
}

TEST(TableConvert, VideoRangeTenBitFormatsMapOntoSixtyFourToNineForty) {
    Image s = rowImage(ZU_PF_bgrA, 2, {0, 0, 0, 255, 255, 255, 255, 255});
    for (unsigned fmt : {ZU_PF_11rQ, ZU_PF_10RS}) {
        Image d = makeImage(fmt, 2, 1);
        ASSERT_EQ(tableConvert(s.src(), d.dst(), {}), 0);
        uint32_t w0 = px32(d.row(0)), w1 = px32(d.row(0) + 4);
        // Black and white: red in the top bits of a big-endian word, or the low bits.
        const bool big = fmt == ZU_PF_11rQ;
        if (big) w0 = __builtin_bswap32(w0), w1 = __builtin_bswap32(w1);
        EXPECT_EQ(big ? std::tuple(w0 >> 22, w1 >> 22) : std::tuple(w0 & 1023, (w1 >> 20) & 1023),
                  std::tuple(64u, 940u))
            << std::hex << fmt;
    }
}

TEST(TableConvert, YuvLayoutsRoundTrip) {
    Image uyvy = makeImage(ZU_PF_2vuy, 12, 2);
    randomFill(uyvy, 7);
    for (unsigned other : {ZU_PF_yuy2, ZU_PF_mjai, ZU_PF_2Vuy, ZU_PF_v219, ZU_PF_apnq}) {
        Image mid = makeImage(other, 12, 2);
        TableOptions o;
        o.fullRangeTop = o.fullRangeBottom = 1;  // lossless 8 -> 10 -> 8
        ASSERT_EQ(tableConvert(uyvy.src(), mid.dst(), o), 0) << std::hex << other;
        Image back = makeImage(ZU_PF_2vuy, 12, 2);
        ASSERT_EQ(tableConvert(mid.src(), back.dst(), {}), 0) << std::hex << other;
        EXPECT_EQ(back.bytes, uyvy.bytes) << std::hex << other;
    }
    Image small = makeImage(ZU_PF_yuy2, 12, 1);
    ASSERT_EQ(tableConvert(uyvy.src(), small.dst(), {}), 0);
    const uint8_t *a = uyvy.row(0), *b = small.row(0);
    EXPECT_EQ(std::tuple(b[0], b[1], b[2], b[3]), std::tuple(a[1], a[0], a[3], a[2]));
}

TEST(TableConvert, FloatYuvHoldsNormalisedComponentsAndComesBack) {
    Image s = rowImage(ZU_PF_2vuy, 4, {16, 235, 240, 16, 128, 125, 128, 130});  // U Y0 V Y1
    Image f = makeImage(ZU_PF_YVrF, 4, 1);
    ASSERT_EQ(tableConvert(s.src(), f.dst(), {}), 0);
    auto at = [&](int x, int c) {
        float v;
        std::memcpy(&v, f.row(0) + 16 * x + 4 * c, 4);
        return v;
    };
    EXPECT_FLOAT_EQ(at(0, 2), 1.0f);                  // luma (235 - 16) / 219
    EXPECT_FLOAT_EQ(at(1, 2), 0.0f);                  // luma 16
    EXPECT_FLOAT_EQ(at(0, 1), (16 - 128) / 224.0f);   // Cb
    EXPECT_FLOAT_EQ(at(0, 0), (240 - 128) / 224.0f);  // Cr first
    EXPECT_FLOAT_EQ(at(0, 3), 1.0f);
    Image back = makeImage(ZU_PF_2vuy, 4, 1);
    ASSERT_EQ(tableConvert(f.src(), back.dst(), {}), 0);
    EXPECT_EQ(back.bytes, s.bytes);
    Image ten = makeImage(ZU_PF_v219, 4, 1);
    ASSERT_EQ(tableConvert(f.src(), ten.dst(), {}), 0);
    uint32_t w0;
    std::memcpy(&w0, ten.row(0), 4);
    EXPECT_EQ(std::tuple(w0 >> 10 & 1023, w0 & 1023), std::tuple(940u, 64u));  // luma 1, Cb -0.5
}

TEST(TableConvert, GeneralPathFollowsTheHostTables) {
    HostTables t;
    Image s = rowImage(ZU_PF_2vuy, 4, {100, 80, 200, 90, 110, 180, 150, 235});
    Image d = makeImage(ZU_PF_rgba, 4, 1);
    TableOptions o;
    o.tables = &t.t;
    ASSERT_EQ(tableConvert(s.src(), d.dst(), o), 0);
    auto expect = [&](int y, int u, int v, const uint8_t* px) {
        auto c = [](double x) { return int(std::clamp(x + 0.5, 0.0, 255.0)); };
        EXPECT_EQ(std::tuple(px[0], px[1], px[2], px[3]),
                  std::tuple(c(t.d[0][y] + t.d[1][v]), c(t.d[4][y] + t.d[5][v] + t.d[6][u]),
                             c(t.d[2][y] + t.d[3][u]), 255))
            << y;
    };
    expect(80, 100, 200, d.row(0));
    expect(90, int((100 + 110) * 0.5 + 0.5), int((200 + 150) * 0.5 + 0.5), d.row(0) + 4);
    expect(180, 110, 150, d.row(0) + 8);
    expect(235, 110, 150, d.row(0) + 12);  // last pair keeps its own chroma

    // 10-bit sources read 1024-entry tables and are scaled by a quarter into bytes.
    HostTables t10(true);
    Image v = makeImage(ZU_PF_v219, 6, 1);
    uint32_t w[4] = {512u | 940u << 10 | 512u << 20, 64u, 0, 0};
    std::memcpy(v.row(0), w, 16);
    Image out = makeImage(ZU_PF_bgrA, 6, 1);
    o.tables = &t10.t;
    ASSERT_EQ(tableConvert(v.src(), out.dst(), o), 0);
    const double r = t10.d[0][940] + t10.d[1][512] + 0.5;
    EXPECT_EQ(std::tuple(out.row(0)[2], out.row(0)[1]),
              std::tuple(int(std::clamp(r * 0.25 + 0.5, 0.0, 255.0)), 255));
}

TEST(TableConvert, BadInputIsRefusedWithoutTouchingMemory) {
    HostTables t;
    Image s = makeImage(ZU_PF_2vuy, 8, 4);
    Image d = makeImage(ZU_PF_bgrA, 8, 4);
    TableOptions o;
    o.tables = &t.t;
    ZuColorTables noGeneral = t.t;
    noGeneral.greenFromCb = nullptr;
    ZuColorTables none{};
    std::vector<int> lutTable(4, 0);
    ZuRGBLUT emptyLut{lutTable.data(), lutTable.data(), lutTable.data(), nullptr, 0};
    ZuRGBLUT nullLut{nullptr, lutTable.data(), lutTable.data(), nullptr, 4};
    uint8_t *sp = s.bytes.data(), *dp = d.bytes.data();
    const ZuColorTables* tt = &t.t;
    struct Case {
        const char* what;
        SrcImage src;
        DstImage dst;
        const ZuColorTables* tables;
        const ZuRGBLUT* lut;
    } cases[] = {
        // clang-format off
        {"null source", {nullptr, 8, 4, ZU_PF_2vuy, 16}, d.dst(), tt, nullptr},
        {"null destination", s.src(), {nullptr, 8, 4, ZU_PF_bgrA, 32}, tt, nullptr},
        {"source row bytes", {sp, 8, 4, ZU_PF_2vuy, 15}, d.dst(), tt, nullptr},
        {"destination row bytes", s.src(), {dp, 8, 4, ZU_PF_bgrA, 31}, tt, nullptr},
        {"negative row bytes", {sp, 8, 4, ZU_PF_2vuy, -16}, d.dst(), tt, nullptr},
        {"odd 4:2:2 width", {sp, 7, 4, ZU_PF_2vuy, 16}, d.dst(), tt, nullptr},
        {"zero height", {sp, 8, 0, ZU_PF_2vuy, 16}, d.dst(), tt, nullptr},
        {"unknown format", {sp, 8, 4, 0x12345678, 16}, d.dst(), tt, nullptr},
        {"never converted", {sp, 8, 4, ZU_PF_mjbq, 16}, d.dst(), tt, nullptr},
        {"fallback-only format", s.src(), {dp, 8, 4, ZU_PF_RgBF, 32}, tt, nullptr},
        {"no tables", s.src(), d.dst(), nullptr, nullptr},
        {"missing table", s.src(), d.dst(), &noGeneral, nullptr},
        {"empty table set", s.src(), d.dst(), &none, nullptr},
        {"RGB to YUV without tables", d.src(), {sp, 8, 4, ZU_PF_2vuy, 16}, tt, nullptr},
        {"empty look-up table", s.src(), d.dst(), tt, &emptyLut},
        {"look-up table without red", s.src(), d.dst(), tt, &nullLut},
        {"10-bit to 10-bit", {sp, 6, 1, ZU_PF_v219, 16}, {dp, 6, 1, ZU_PF_V219, 32}, tt, nullptr},
        // clang-format on
    };
    for (const Case& c : cases) {
        std::fill(d.bytes.begin(), d.bytes.end(), 0xAB);
        TableOptions oc;
        oc.tables = c.tables;
        oc.lut = c.lut;
        EXPECT_EQ(tableConvert(c.src, c.dst, oc), -2) << c.what;
        EXPECT_TRUE(std::all_of(d.bytes.begin(), d.bytes.end(), [](uint8_t b) {
            return b == 0xAB;
        })) << c.what;
    }
    // The fast path falls back to the double tables when the fast ones are missing.
    ZuColorTables noFast = t.t;
    noFast.fastCr = nullptr;
    o.tables = &noFast;
    o.fast = 1;
    EXPECT_EQ(tableConvert(s.src(), d.dst(), o), 0);
}

// Frames of half a megapixel and more are split by rows; every thread count gives the
// bytes of one thread, for odd heights, decimation, up-scaling, flips and field shifts.
TEST(TableConvert, SplitFramesEqualOneThreadForEveryThreadCount) {
    HostTables t;
    struct Case {
        unsigned sfmt;
        int sw, sh, dw, dh;
        bool fast;
        unsigned char flip, fieldShift;
    } cases[] = {
        {ZU_PF_2vuy, 1282, 401, 1282, 401, false, 0, 0},  // odd height, general path
        {ZU_PF_2vuy, 1282, 401, 1282, 401, true, 1, 1},   // fast path, flipped, field shift
        {ZU_PF_yuy2, 2564, 803, 1282, 401, false, 0, 0},  // decimation by 2
        {ZU_PF_2vuy, 1282, 201, 1282, 403, false, 0, 1},  // rows repeated, field shift
        {ZU_PF_2vuy, 642, 101, 1284, 404, true, 1, 0},    // repeated both ways
        {ZU_PF_bgrA, 1001, 513, 1001, 513, false, 1, 1},  // byte shuffle
    };
    for (const Case& c : cases) {
        Image s = makeImage(c.sfmt, c.sw, c.sh, 8);
        randomFill(s, uint32_t(c.sw + c.sh));
        TableOptions o;
        o.tables = &t.t;
        o.fast = c.fast;
        o.flip = c.flip;
        o.fieldShift = c.fieldShift;
        expectThreadCountsAgree(
            makeImage(ZU_PF_bgrA, c.dw, c.dh, 4),
            [&](Image& out) { return tableConvert(s.src(), out.dst(), o); }, {2, 3, 16},
            std::to_string(c.sw) + "x" + std::to_string(c.sh));
    }
    ASSERT_EQ(ZUSetConvertThreads(16), 0);
    for (int bad : {0, -1, 17, 1000}) EXPECT_EQ(ZUSetConvertThreads(bad), -2) << bad;
    EXPECT_EQ(ZUGetConvertThreads(), 16);
    ASSERT_EQ(ZUSetConvertThreads(2), 0);
}

// Plans are kept between frames; a host that rewrites its tables in place gets results
// from the new contents, never from the plan made for the old ones.
TEST(TableConvert, TablesChangedInPlaceAreSeenByTheNextFrame) {
    Image s = makeImage(ZU_PF_2vuy, 640, 4);
    randomFill(s, 3);
    for (unsigned char fast : {0, 1}) {
        HostTables t;
        TableOptions o;
        o.tables = &t.t;
        o.fast = fast;
        for (int round = 0; round < 3; ++round) {
            if (round == 1) {
                for (double& v : t.d[0]) v = v * 0.5 + 3;  // still affine, other coefficients
                for (auto& e : t.luma) e[1] = short(e[1] / 2 + 9);
            }
            if (round == 2) t.d[6][100] += 40, t.cb[9][0] = 32000;  // not affine; may saturate
            Image ref = makeImage(ZU_PF_bgrA, 640, 4), out = makeImage(ZU_PF_bgrA, 640, 4);
            ASSERT_EQ(tableConvert(s.src(), ref.dst(), o, Kernel::Reference), 0);
            ASSERT_EQ(tableConvert(s.src(), out.dst(), o), 0);
            EXPECT_EQ(out.bytes, ref.bytes) << "fast " << int(fast) << " round " << round;
        }
    }
}
