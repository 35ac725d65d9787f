// Frames through each way to the screen, read back from the video window's context:
// direct pixel drawing, the software converter, the texture path with the shader program,
// the call protocol of start, display and stop, and where the picture lands (the layout
// arithmetic on screen; unchanged geometry is not laid out again). Then every format through
// the frame shaders and through the CPU converters, read back and compared with the CPU
// converter's own result for the same frame; the colour description; filtered scaling;
// planar frames and their bad input.
#include "video/convert_support.h"
#include "video/video_support.h"
//
#include "video/convert/pixel_io.h"
#include "video/convert/planar.h"

using namespace zu::test;
using namespace zu::detail;

namespace {

constexpr Rgb kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0},
    kWhite{255, 255, 255}, kBlack{0, 0, 0};

// Inverting 10-bit table: level i becomes 1023 - i.
struct InvertLut {
    std::vector<int> t = std::vector<int>(1024);
    ZuRGBLUT lut{};
    InvertLut() {
        for (int i = 0; i < 1024; ++i) t[i] = 1023 - i;
        lut = {t.data(), t.data(), t.data(), nullptr, 1024};
    }
};
// What the inverting table makes of an 8-bit colour, by the converter's and the look-up
// texture's rounding: (1023 - 4v) / 4 + 0.5, truncated.
Rgb inverted(Rgb c) {
    auto level = [](int v) { return std::min(255, int((1023 - 4 * v) * 0.25 + 0.5)); };
    return {level(c.r), level(c.g), level(c.b)};
}

class DisplayTest : public VideoTest {};

TEST_F(DisplayTest, CallOrderNullFramesAndBgrADrawnDirectlyOrThroughTheConverter) {
    ASSERT_NO_FATAL_FAILURE(openVideo(320, 180));
    Quadrants red(320, 180, kRed, kRed, kRed, kRed);
    ZUVideoFrame rf = red.frame();
    EXPECT_EQ(ZUDisplayVideoFrame(video, &rf, nullptr), -2);  // not started
    EXPECT_EQ(ZUStopDisplayVideoFrame(video), -2);

    ASSERT_EQ(ZUStartDisplayVideoFrame(video, 320, 180, 1, nullptr), 0);
    const unsigned program = video->program, texture = video->frameTexture;
    EXPECT_EQ(ZUStartDisplayVideoFrame(video, 64, 64, 0, nullptr), 0);  // started: no change
    EXPECT_EQ(std::tuple(video->program, video->frameTexture, video->textureWidth),
              std::tuple(program, texture, 320));

    ASSERT_EQ(ZUDisplayVideoFrame(video, &rf, nullptr), 0);
    EXPECT_EQ(shown(160, 90), kRed);
    // Null pixels: laid out (the pending buffer is cleared) but not presented.
    ZUVideoFrame empty = makeFrame(nullptr, 100, 100, 400, ZU_PF_bgrA);
    EXPECT_EQ(ZUDisplayVideoFrame(video, &empty, nullptr), 0);
    EXPECT_EQ(std::pair(shown(160, 90), pending(160, 90)), std::pair(kRed, kBlack));
    // A null frame clears and presents.
    ASSERT_EQ(ZUDisplayVideoFrame(video, &rf, nullptr), 0);
    EXPECT_EQ(ZUDisplayVideoFrame(video, nullptr, nullptr), 0);
    EXPECT_EQ(shown(160, 90), kBlack);
    // Sizes no picture can have are refused.
    ZUVideoFrame noWidth = rf, negativeHeight = rf;
    noWidth.width = 0, negativeHeight.height = -5;
    EXPECT_EQ(ZUDisplayVideoFrame(video, &noWidth, nullptr), -2);
    EXPECT_EQ(ZUDisplayVideoFrame(video, &negativeHeight, nullptr), -2);

    // Stopped: a second stop and a frame are refused (braces: called in this order).
    EXPECT_EQ(
        (std::tuple{ZUStopDisplayVideoFrame(video), video->started.load(),
                    ZUStopDisplayVideoFrame(video), ZUDisplayVideoFrame(video, &rf, nullptr)}),
        std::tuple(0, false, -2, -2));

    // "bgrA" is drawn directly, and goes through the converter only for a look-up table.
    ASSERT_EQ(ZUStartDisplayVideoFrame(video, 320, 180, 0, nullptr), 0);
    EXPECT_EQ(video->texturePath, 0);
    Quadrants q(320, 180, kRed, kGreen, kBlue, {10, 100, 200});
    // A conversion buffer shows whether the converter ran: it writes the buffer.
    std::vector<uint8_t> conv(320 * 180 * 4, 0xAB);
    ZUVideoFrame f = q.frame();
    f.conversionBuffer = conv.data();
    f.conversionBufferSize = int(conv.size());
    InvertLut inv;

    // Direct, through a look-up table, and with the capability forced off (the converter
    // makes "rgba"); only the first is not converted.
    for (auto [lut, noBgra] : {std::pair(false, false), {true, false}, {false, true}}) {
        SCOPED_TRACE(testing::Message() << "look-up table " << lut << ", no BGRA " << noBgra);
        std::fill(conv.begin(), conv.end(), 0xAB);
        video->hasBGRA = noBgra ? 0 : videoCaps().hasBGRA;
        ASSERT_EQ(ZUDisplayVideoFrame(video, &f, lut ? &inv.lut : nullptr), 0);
        // Bottom-up frame: the first memory rows are the bottom of the picture.
        const Rgb bottomLeft = lut ? inverted(kRed) : kRed, topRight{10, 100, 200};
        EXPECT_EQ(std::tuple(shown(10, 10), shown(310, 170), conv[0] != 0xAB || conv[1] != 0xAB),
                  std::tuple(bottomLeft, lut ? inverted(topRight) : topRight, lut || noBgra));
    }
    video->hasBGRA = videoCaps().hasBGRA;
}

TEST_F(DisplayTest, ColourBarsThroughTheShaderMatchTheFormulaForBothMatricesAndByteOrders) {
    const auto& caps = videoCaps();
    ASSERT_NO_FATAL_FAILURE(openVideo(960, 540));
    if (!caps.hasShadingLanguage || !caps.hasShaderObjects || !caps.hasNonPowerOfTwo)
        GTEST_SKIP() << "no shader support in this OpenGL";
    InvertLut inv;
    struct Case {
        const char* name;
        int width, height;
        unsigned format;
        bool uyvy, bt601, lut;
    } cases[] = {
        {"2vuy 720 BT.601", 720, 576, ZU_PF_2vuy, true, true, false},
        {"2vuy 1920 BT.709", 1920, 1080, ZU_PF_2vuy, true, false, false},
        {"mjai 720 Y0 U Y1 V", 720, 576, ZU_PF_mjai, false, true, false},
        {"2vuy 1920 with a look-up texture", 1920, 1080, ZU_PF_2vuy, true, false, true},
    };
    // The frame shaders, and the older program of a GL without them.
    const int frameShaders = videoCaps().hasFrameShaders;
    for (int older : {0, 1})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (older ? " older program" : ""));
            if (older) videoCaps().hasFrameShaders = 0;
            const int r =
                ZUStartDisplayVideoFrame(video, c.width, c.height, 1, c.lut ? &inv.lut : nullptr);
            videoCaps().hasFrameShaders = frameShaders;
            ASSERT_EQ(r, 0);
            ASSERT_EQ(video->texturePath, 1);
            ASSERT_EQ(video->program != 0, older == 1);
            ASSERT_EQ(gpuOn(*static_cast<GpuDisplay*>(video->display)), older == 0);
            EXPECT_EQ(video->lutTexture != 0, c.lut);
            auto px = bars422(c.width, c.height, c.uyvy);
            ZUVideoFrame f = makeFrame(px.data(), c.width, c.height, c.width * 2, c.format);
            ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
            // Fitted and centred: 720 x 576 becomes 675 x 540 from x 142; 1920 x 1080 fills.
            const int x0 = c.width == 720 ? 142 : 0, pw = c.width == 720 ? 675 : 960;
            for (int bar = 0; bar < 8; ++bar) {
                Rgb want = shaderColour(kBars[bar], c.bt601);
                if (c.lut) want = inverted(want);
                const Rgb got = shown(x0 + pw * (2 * bar + 1) / 16, 270);
                EXPECT_TRUE(near(got, want, 2)) << "bar " << bar << " " << got << " want " << want;
            }
            // The texture's right half holds no picture: the quad stops at coordinate 0.5.
            EXPECT_TRUE(near(shown(x0 + pw - 2, 270), shaderColour(kBars[7], c.bt601), 2) || c.lut);
            ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
            EXPECT_EQ(std::pair(video->program, video->frameTexture), std::pair(0u, 0u));
        }
}

const Yuv kBlackBars[8] = {kBars[7], kBars[7], kBars[7], kBars[7],
                           kBars[7], kBars[7], kBars[7], kBars[7]};

TEST_F(DisplayTest, GuidesAreBurntIntoEachWayOfDrawingAndDecimatedFramesScaledBackUp) {
    ASSERT_NO_FATAL_FAILURE(openVideo(720, 576));
    const auto& caps = videoCaps();
    const bool shaders = caps.hasShadingLanguage && caps.hasShaderObjects && caps.hasNonPowerOfTwo;
    // The way's name, the format and the texture mode.
    const std::tuple<const char*, unsigned, int> ways[] = {{"bgrA direct", ZU_PF_bgrA, 0},
                                                           {"2vuy texture", ZU_PF_2vuy, 1},
                                                           {"yuy2 software", ZU_PF_yuy2, 0}};
    for (auto [name, format, mode] : ways) {
        SCOPED_TRACE(name);
        if (mode == 1 && !shaders) continue;
        // A black picture: eight black bars in 4:2:2.
        const bool rgb = format == ZU_PF_bgrA;
        std::vector<uint8_t> px = rgb ? Quadrants(720, 576, kBlack, kBlack, kBlack, kBlack).px
                                      : bars422(720, 576, format == ZU_PF_2vuy, kBlackBars);
        ASSERT_EQ(ZUStartDisplayVideoFrame(video, 720, 576, mode, nullptr), 0);
        ZUVideoFrame f = makeFrame(px.data(), 720, 576, rgb ? 2880 : 1440, format);
        f.colorDescriptor.standard = 1;
        f.guideAOn = 1;
        f.guideAHorizontal = 10.f, f.guideAVertical = 10.f;
        ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
        // The same picture each way: 10 % leaves 36 pixels each side and 28 rows at top and
        // bottom (the top line at window row 28, from x 36 to 683), with marks and ticks.
        expectReferenceImage(windowCapture(video->window),
                             ZUGUI_SOURCE_DIR "/tests/video/data/guides_shown.png");
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }

    // Decimated software frames with host tables are scaled back up.
    ASSERT_EQ(ZUStartDisplayVideoFrame(video, 720, 576, 0, nullptr), 0);
    auto px = bars10(720, 576);
    zutest::HostTables tables(true);
    ZUVideoFrame f = makeFrame(px.data(), 720, 576, 720 / 6 * 16, ZU_PF_v219);
    f.conversionTables = &tables.t;
    f.decimationX = f.decimationY = 2;
    f.zoomX = f.zoomY = 1.f;  // fixed zoom 1 shows the full size again
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    EXPECT_EQ(video->lastWidth, 360);
    for (auto [x, y, bar] : {std::tuple(45, 288, 0), {675, 288, 7}, {715, 5, 7}})
        EXPECT_TRUE(near(shown(x, y), shaderColour(kBars[bar], true), 2)) << x << "," << y;
}

// Each case has an image per path: the texture path filters across the quadrants' seams,
// direct drawing does not.
TEST_F(DisplayTest, PicturesLandWhereTheLayoutPutsThemInEitherPath) {
    ASSERT_NO_FATAL_FAILURE(openVideo(960, 540));
    struct Case {
        const char* name;
        int w, h;
        int aspectNum, aspectDen;
        float zoom;
        int offX, offY, topDown;
    } cases[] = {
        {"fit_4x3", 720, 576, 4, 3, 0.f, 0, 0, 0},
        {"top_down", 720, 576, 4, 3, 0.f, 0, 0, 1},
        {"top_down_filling_the_height", 480, 270, 1, 1, 0.f, 0, 0, 1},
        {"fixed_zoom", 100, 50, 2, 1, 1.f, 0, 0, 0},
        {"pan", 100, 50, 2, 1, 1.f, 10, 20, 0},
    };
    for (int mode : {0, 1})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (mode ? ", texture" : ", direct"));
            ASSERT_EQ(ZUStartDisplayVideoFrame(video, c.w, c.h, mode, nullptr), 0);
            if (mode == 1 && !video->texturePath) {
                ZUStopDisplayVideoFrame(video);
                continue;  // no texture path in this OpenGL
            }
            // First memory rows: A left, B right; last rows: C left, D right.
            Quadrants q(c.w, c.h, kRed, kGreen, kBlue, kYellow);
            ZUVideoFrame f = q.frame();
            f.aspectNum = c.aspectNum, f.aspectDen = c.aspectDen;
            f.zoomX = f.zoomY = c.zoom;
            f.offsetX = c.offX, f.offsetY = c.offY;
            f.topDown = c.topDown;
            ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
            const std::string image = "/tests/video/data/layout_" + std::string(c.name) +
                                      (mode ? "_texture.png" : "_direct.png");
            expectReferenceImage(windowCapture(video->window), ZUGUI_SOURCE_DIR + image);
            ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
        }
}

TEST_F(DisplayTest, IdenticalFramesAreLaidOutOnceAndAResizeLaysOutAgainAndFilled) {
    ASSERT_NO_FATAL_FAILURE(openVideo(320, 180));
    // Only a layout clears the window: a new clear colour shows when one happens.
    Quadrants q(100, 100, kRed, kRed, kRed, kRed);
    ZUVideoFrame f = q.frame();
    f.zoomX = f.zoomY = 1.f;
    ASSERT_EQ(ZUStartDisplayVideoFrame(video, 100, 100, 0, nullptr), 0);
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    EXPECT_EQ(shown(5, 5), kBlack);
    glClearColor(0.f, 0.f, 1.f, 1.f);
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    // Same geometry: no layout, no clear.
    EXPECT_EQ(std::tuple(shown(5, 5), shown(160, 90)), std::tuple(kBlack, kRed));
    f.offsetX = 1;
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    EXPECT_EQ(shown(5, 5), kBlue);  // a pan is a new layout

    ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    ZuRECT r{kVx, kVy, 300, 160};
    ASSERT_EQ(ZUResizeVideoWindow(video, &r), 0);
    EXPECT_EQ(std::tuple(int(video->layoutStale), video->started.load()), std::tuple(1, false));
    winW = 300, winH = 160;
    pumpFor(50);
    ASSERT_EQ(ZUStartDisplayVideoFrame(video, 100, 100, 0, nullptr), 0);
    glClearColor(0.f, 1.f, 0.f, 1.f);
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    // Cleared, and the picture centred in the new size, moved one pixel right by the pan.
    EXPECT_EQ(std::tuple(shown(5, 5), shown(101, 30), shown(100, 30)),
              std::tuple(kGreen, kRed, kGreen));
    ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);

    // The first frame after a resize fills the new size, in both paths.
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode ? "texture" : "direct");
        // A new size each time, larger than any before.
        winW = mode ? 400 : 320, winH = mode ? 220 : 180;
        ZuRECT larger{kVx, kVy, winW, winH};
        ASSERT_EQ(ZUResizeVideoWindow(video, &larger), 0);
        ASSERT_EQ(ZUStartDisplayVideoFrame(video, winW, winH, mode, nullptr), 0);
        Quadrants full(winW, winH, kRed, kGreen, kBlue, kYellow);
        ZUVideoFrame ff = full.frame();
        ASSERT_EQ(ZUDisplayVideoFrame(video, &ff, nullptr), 0);
        // Beyond the old size in both directions: the last memory rows' right quadrant.
        EXPECT_EQ(std::pair(shown(winW - 10, winH - 10), shown(10, 10)), std::pair(kYellow, kRed));
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }
}

constexpr int kW = 192, kH = 64;  // bars fall on whole 6-pixel groups

// A frame in memory: packed formats use plane 0 only.
struct Frame {
    unsigned format = 0;
    int w = 0, h = 0;
    std::vector<uint8_t> plane[3];
    int rowBytes[3] = {};
    int topDown = 0;
    ZUVideoFrame frame() {
        ZUVideoFrame f = makeFrame(plane[0].data(), w, h, rowBytes[0], format);
        f.colorDescriptor.standard = 1;  // the CPU converter's BT.601 limited range
        f.topDown = topDown;
        return f;
    }
    ZUVideoFrameEx ext(int filter = ZU_FILTER_LINEAR) {
        ZUVideoFrameEx e{};
        e.size = sizeof e;
        for (int i = 0; i < 3; ++i)
            e.planes[i] = {plane[i].empty() ? nullptr : plane[i].data(), rowBytes[i]};
        e.filter = filter;
        return e;
    }
};

// Y'CbCr codes (8-bit units, BT.601 limited) of an R'G'B' colour 0-1.
struct Ycc {
    double y, u, v;
};
Ycc ycc601(double r, double g, double b) {
    const double kr = 0.299, kb = 0.114, y = kr * r + (1 - kr - kb) * g + kb * b;
    return {16 + 219 * y, 128 + 224 * (b - y) / (2 * (1 - kb)),
            128 + 224 * (r - y) / (2 * (1 - kr))};
}

// Pixel content: colour bars at a level, noise from a seed, a one-pixel black and white
// checker, or one Y'CbCr colour (4:2:2 and planar only).
struct Content {
    const char* name;
    double level;  // 0: noise; -1 (4:2:2 only): Y'CbCr noise that any mix keeps in the gamut;
                   // -2: checker
    const Ycc* flat = nullptr;
};

void rgbAt(const Content& c, int x, int y, int w, double rgb[3]) {
    static const int bars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                   {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    const int* bar = bars[x * 8 / w];
    for (int i = 0; i < 3; ++i) rgb[i] = c.level == -2 ? (x + y) & 1 : bar[i] * c.level;
}
Ycc yccAt(const Content& c, const double rgb[3]) {
    return c.flat ? *c.flat : ycc601(rgb[0], rgb[1], rgb[2]);
}

uint32_t noise(uint32_t& s) {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
}

Frame makePacked(unsigned format, const Content& c, int w = kW, int h = kH) {
    const FormatInfo& f = *formatInfo(format);
    Frame fr;
    fr.format = format, fr.w = w, fr.h = h;
    // Padded rows, by whole pixels: GL reads those in place.
    fr.rowBytes[0] = int(minRowBytes(f, w)) + (f.bytesPerPixel ? 4 * f.bytesPerPixel : 16);
    fr.plane[0].assign(size_t(fr.rowBytes[0]) * h, 0);
    uint32_t seed = format;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = fr.plane[0].data() + size_t(y) * fr.rowBytes[0];
        if (c.level == 0 && f.family != Family::RgbFloat && f.family != Family::YuvFloat) {
            for (int i = 0; i < fr.rowBytes[0]; ++i) row[i] = uint8_t(noise(seed));
            continue;
        }
        if (c.level == -1 && is422(f)) {
            const int k = f.maxValue == 1023 ? 4 : 1;
            for (int x = 0; x < w; ++x) {
                store422(f, row, kY, x, k * int(80 + noise(seed) % 100));
                if (!(x & 1))
                    store422(f, row, kU, x / 2, k * int(108 + noise(seed) % 40)),
                        store422(f, row, kV, x / 2, k * int(108 + noise(seed) % 40));
            }
            continue;
        }
        for (int x = 0; x < w; ++x) {
            double rgb[3];
            rgbAt(c, x, y, w, rgb);
            if (c.level == 0)
                for (double& v : rgb) v = (noise(seed) & 1023) / 1023.0;
            const Ycc e = yccAt(c, rgb);
            const double k = f.maxValue == 1023 ? 4 : 1;
            if (is422(f)) {
                store422(f, row, kY, x, int(e.y * k + 0.5));
                if (!(x & 1))
                    store422(f, row, kU, x / 2, int(e.u * k + 0.5)),
                        store422(f, row, kV, x / 2, int(e.v * k + 0.5));
            } else if (f.family == Family::Yuv444x8) {
                uint8_t* p = row + 4 * x;
                p[f.slot[0]] = uint8_t(e.y + 0.5), p[f.slot[1]] = uint8_t(e.u + 0.5);
                p[f.slot[2]] = uint8_t(e.v + 0.5);
            } else if (f.family == Family::Yuv444x10) {
                storeLE32(row + 4 * x, uint32_t(e.y * 4 + 0.5) | uint32_t(e.u * 4 + 0.5) << 10 |
                                           uint32_t(e.v * 4 + 0.5) << 20);
            } else {
                double px[4];
                for (int i = 0; i < 3; ++i) {
                    px[i] = f.lo + rgb[i] * (f.hi - f.lo);
                    if (f.family != Family::RgbFloat) px[i] = int(px[i] + 0.5);
                }
                px[3] = f.hi;
                storeRgb(f, row + x * f.bytesPerPixel, px);
            }
        }
    }
    return fr;
}

Frame makePlanar(unsigned format, const Content& c, int w = kW, int h = kH) {
    const PlanarInfo& p = *planarInfo(format);
    Frame fr;
    fr.format = format, fr.w = w, fr.h = h;
    const int cw = w / p.chromaDivX, ch = h / p.chromaDivY, sb = p.sampleBytes;
    fr.rowBytes[0] = w * sb + 8;
    fr.rowBytes[1] = cw * sb * (p.interleaved ? 2 : 1) + 4;
    fr.rowBytes[2] = p.interleaved ? 0 : cw * sb + 12;
    fr.plane[0].assign(size_t(fr.rowBytes[0]) * h, 0);
    fr.plane[1].assign(size_t(fr.rowBytes[1]) * ch, 0);
    if (!p.interleaved) fr.plane[2].assign(size_t(fr.rowBytes[2]) * ch, 0);
    const double k = 1.0 / p.codeTo8;  // 8-bit units to codes
    uint32_t seed = format;
    auto put = [&](int plane, int x, int y, double v) {
        uint8_t* at = fr.plane[plane].data() + size_t(y) * fr.rowBytes[plane] + x * sb;
        int code = int(v * k + 0.5);
        if (sb == 1)
            *at = uint8_t(std::clamp(code, 0, 255));
        else
            at[0] = uint8_t(code), at[1] = uint8_t(code >> 8);
    };
    auto level = [&](double v) { return c.level == 0 ? (noise(seed) & 1023) / 1023.0 * 255 : v; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double rgb[3];
            rgbAt(c, x, y, w, rgb);
            const Ycc e = yccAt(c, rgb);
            put(0, x, y, level(e.y));
            if (x % p.chromaDivX || y % p.chromaDivY) continue;
            const int cx = x / p.chromaDivX, cy = y / p.chromaDivY;
            const double first = p.swapChroma ? e.v : e.u, second = p.swapChroma ? e.u : e.v;
            if (p.interleaved) {
                put(1, 2 * cx, cy, level(first)), put(1, 2 * cx + 1, cy, level(second));
            } else {
                put(1, cx, cy, level(first)), put(2, cx, cy, level(second));
            }
        }
    // P010 and P210 keep their 10 bits high: clear the low 6 bits the rounding set.
    if (format == ZU_PF_P010 || format == ZU_PF_P210)
        for (auto& pl : fr.plane)
            for (size_t i = 0; i + 1 < pl.size(); i += 2) pl[i] &= 0xC0;
    if (format == ZU_PF_I010)
        for (auto& pl : fr.plane)
            for (size_t i = 1; i < pl.size(); i += 2) pl[i] &= 0x03;
    return fr;
}

Frame makeAny(unsigned format, const Content& c, int w = kW, int h = kH) {
    return planarInfo(format) ? makePlanar(format, c, w, h) : makePacked(format, c, w, h);
}

// The CPU converter's "bgrA" for the frame, as the display's CPU path would make it.
std::vector<uint8_t> reference(Frame& fr) {
    std::vector<uint8_t> out(size_t(kW) * kH * 4);
    const DstImage dst{out.data(), kW, kH, ZU_PF_bgrA, kW * 4};
    if (planarInfo(fr.format)) {
        const PlanarImage pi{{fr.plane[0].data(), fr.plane[1].data(),
                              fr.plane[2].empty() ? nullptr : fr.plane[2].data()},
                             {fr.rowBytes[0], fr.rowBytes[1], fr.rowBytes[2]},
                             kW,
                             kH,
                             fr.format};
        const ColourSpec c = colourSpec(nullptr, kW, true);
        EXPECT_EQ(planarToRgb(pi, dst, yuvToRgb(c), c.centreSited), 0);
        return out;
    }
    ZuColorDescriptor d = standardDesc(1);
    FallbackScaler s;
    EXPECT_EQ(
        s.convert({fr.plane[0].data(), kW, kH, fr.format, fr.rowBytes[0]}, dst, 0, &d, 0, nullptr),
        0);
    return out;
}

// The whole window as the next presentation shows it, "bgrA" rows bottom first.
std::vector<uint8_t> readBack(int w, int h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// Largest colour-channel difference of two "bgrA" images w pixels wide, and where; the
// columns skip picks are left out.
struct Diff {
    int max = 0, x = 0, y = 0;
};
Diff compare(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want, int w = kW,
             bool (*skip)(int x) = nullptr) {
    Diff d;
    for (size_t i = 0; i < want.size(); ++i) {
        const int x = int(i / 4 % w);
        if (i % 4 == 3 || (skip && skip(x))) continue;
        const int e = std::abs(int(got[i]) - int(want[i]));
        if (e > d.max) d = {e, x, int(i / 4 / w)};
    }
    return d;
}

const unsigned kFormats[] = {
    ZU_PF_2vuy, ZU_PF_yuy2, ZU_PF_v219, ZU_PF_V219, ZU_PF_vuyp, ZU_PF_10yb, ZU_PF_10rl, ZU_PF_10rb,
    ZU_PF_11rQ, ZU_PF_10RG, ZU_PF_10RS, ZU_PF_10RA, ZU_PF_bgrA, ZU_PF_rgba, ZU_PF_argB, ZU_PF_abgr,
    ZU_PF_rgb_, ZU_PF_bgr_, ZU_PF_RGB_, ZU_PF_RGBA, ZU_PF_BGRA, ZU_PF_ARGB, ZU_PF_BRgB, ZU_PF_ARgB,
    ZU_PF__RgB, ZU_PF_BGR_, ZU_PF_BPrF, ZU_PF__RgF, ZU_PF_ARgF, ZU_PF_NV12, ZU_PF_NV21, ZU_PF_I420,
    ZU_PF_YV12, ZU_PF_I422, ZU_PF_P010, ZU_PF_P016, ZU_PF_P210, ZU_PF_P216, ZU_PF_I010};
const Content kContents[] = {{"75% bars", 0.75}, {"100% bars", 1.0}, {"noise", 0}};

std::string fourcc(unsigned f) {
    return std::string{char(f), char(f >> 8), char(f >> 16), char(f >> 24)};
}

// The ways to the screen: textureMode 1 where the GL is taken for a GPU (the frame shaders
// convert) or for a software renderer (the CPU converts what needs it and halves large
// pictures), and textureMode 0.
struct Route {
    const char* name;
    int mode, software;
};
const Route kRoutes[] = {{"frame shaders", 1, 0}, {"software renderer", 1, 1}, {"CPU", 0, 0}};

class FormatsTest : public VideoTest {
  protected:
    // Starts the display the route's way, w x h.
    void start(const Route& r, int w = kW, int h = kH) {
        const int probed = videoCaps().softwareRenderer;
        videoCaps().softwareRenderer = r.software;
        ASSERT_EQ(ZUStartDisplayVideoFrame(video, w, h, r.mode, nullptr), 0);
        videoCaps().softwareRenderer = probed;
        ASSERT_EQ(gpuOn(*static_cast<GpuDisplay*>(video->display)), r.mode == 1);
    }
    bool frameShaders() {
        const auto& c = videoCaps();
        return c.hasShadingLanguage && c.hasShaderObjects && c.hasNonPowerOfTwo &&
               c.hasFrameShaders != 0;
    }
    // Shows the frame and returns the window's pixels (w x h); conv, filled with 0xAB
    // first, receives the CPU conversion.
    std::vector<uint8_t> conv;
    std::vector<uint8_t> show(Frame& fr, ZUVideoFrameEx e, int w = kW, int h = kH) {
        conv.assign(size_t(kW) * kH * 4, 0xAB);
        ZUVideoFrame f = fr.frame();
        f.conversionBuffer = conv.data();
        f.conversionBufferSize = int(conv.size());
        EXPECT_EQ(ZUDisplayVideoFrameEx(video, &f, &e, nullptr), 0);
        return readBack(w, h);
    }
    bool converted() const { return conv[0] != 0xAB || conv[1] != 0xAB; }
};

TEST_F(FormatsTest, EveryFormatMatchesTheCpuConverterAndColourDescriptionsTheirFormulas) {
    ASSERT_NO_FATAL_FAILURE(openVideo(kW, kH));
    if (!frameShaders()) GTEST_SKIP() << "no frame shaders in this OpenGL";
    const double Y = 100, U = 90, V = 170;
    // One flat colour in a planar, a 10-bit and an 8-bit packed format.
    const Ycc colour{Y, U, V};
    const Content flat{"flat", 1.0, &colour};
    for (const Route& route : kRoutes) {
        start(route);
        for (unsigned format : kFormats)
            for (const Content& c : kContents) {
                SCOPED_TRACE(fourcc(format) + " " + c.name + " " + route.name);
                const bool planar = planarInfo(format) != nullptr;
                Frame fr = makeAny(format, c);
                const auto want = reference(fr);
                const Diff d = compare(show(fr, fr.ext()), want);
                EXPECT_LE(d.max, 1) << "at " << d.x << ", " << d.y;
                // The frame shaders take the frame as it is: the converter never runs. A
                // software renderer leaves YUV arithmetic to the CPU, planar frames aside.
                if (route.mode == 1 && (!route.software || planar)) {
                    EXPECT_FALSE(converted());
                }
                if (route.software && !planar && is422(*formatInfo(format))) {
                    EXPECT_TRUE(converted());
                }
            }
        // The colour description changes the colours as the formulas say.
        for (unsigned format : {ZU_PF_NV12, ZU_PF_v219, ZU_PF_2vuy})
            for (int matrix : {ZU_MATRIX_BT601, ZU_MATRIX_BT709, ZU_MATRIX_BT2020})
                for (int range : {ZU_RANGE_LIMITED, ZU_RANGE_FULL}) {
                    SCOPED_TRACE(fourcc(format) + " matrix " + std::to_string(matrix) + " range " +
                                 std::to_string(range) + " " + route.name);
                    Frame fr = makeAny(format, flat);
                    ZUVideoFrameEx e = fr.ext();
                    e.matrix = matrix, e.range = range;
                    const auto got = show(fr, e);
                    const uint8_t* px = got.data() + (size_t(kH / 2) * kW + kW / 2) * 4;
                    const Rgb want = textbook(Y, U, V, matrix, range == ZU_RANGE_FULL);
                    EXPECT_TRUE(near({px[2], px[1], px[0]}, want, 1))
                        << Rgb{px[2], px[1], px[0]} << " want " << want;
                }
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }
}

TEST_F(FormatsTest, PicturesHalvedOnTheCpuMatchTheFrameShadersFilteredOnes) {
    ASSERT_NO_FATAL_FAILURE(openVideo(kW / 2, kH / 2));
    if (!frameShaders()) GTEST_SKIP() << "no frame shaders in this OpenGL";
    // Frames at twice the window's size. Noise shows chroma placed at the wrong spot; 8-bit
    // 4:2:2, whose chroma the two filter over different spans, shows bars instead, the
    // columns beside a bar edge left out. Planar frames come in both chroma sitings. The
    // frame shaders filter 10-bit 4:2:2 after the colour matrix, the CPU before it: the two
    // agree where no colour leaves the gamut. Packed 4:2:2 reads its chroma one way whatever
    // the siting, on both. Pictures run bottom up, or top down where named.
    const struct {
        unsigned format;
        int siting;
        int topDown = 0;
    } cases[] = {{ZU_PF_NV12, ZU_SITING_DEFAULT},
                 {ZU_PF_NV12, ZU_SITING_DEFAULT, 1},
                 {ZU_PF_NV12, ZU_SITING_CENTER},
                 {ZU_PF_NV21, ZU_SITING_DEFAULT},
                 {ZU_PF_I420, ZU_SITING_DEFAULT},
                 {ZU_PF_YV12, ZU_SITING_CENTER},
                 {ZU_PF_P010, ZU_SITING_DEFAULT},
                 {ZU_PF_P016, ZU_SITING_CENTER},
                 {ZU_PF_I422, ZU_SITING_DEFAULT},
                 {ZU_PF_I422, ZU_SITING_CENTER},
                 {ZU_PF_P216, ZU_SITING_DEFAULT},
                 {ZU_PF_I010, ZU_SITING_DEFAULT},
                 {ZU_PF_bgrA, 0},
                 {ZU_PF_2vuy, 0},
                 {ZU_PF_2vuy, 0, 1},
                 {ZU_PF_v219, 0},
                 {ZU_PF_v219, ZU_SITING_LEFT},
                 {ZU_PF_v219, ZU_SITING_CENTER, 1},
                 {ZU_PF_10rl, 0},
                 {ZU_PF_10rl, 0, 1},
                 {ZU_PF_RGBA, 0}};
    for (const auto& [format, siting, topDown] : cases) {
        SCOPED_TRACE(fourcc(format) + " siting " + std::to_string(siting) +
                     (topDown ? " top down" : ""));
        const bool planar = planarInfo(format) != nullptr;
        const bool bars = !planar && formatInfo(format)->family == Family::Yuv422x8;
        const bool words422 = !planar && formatInfo(format)->family == Family::Yuv422x10;
        const Content c = bars ? kContents[0] : words422 ? Content{"YUV noise", -1} : kContents[2];
        Frame fr = makeAny(format, c);
        fr.topDown = topDown;
        // Bars are the same on every row: grey first rows show a picture upside down.
        if (bars) std::fill_n(fr.plane[0].begin(), size_t(fr.rowBytes[0]) * kH / 4, 0x80);
        std::vector<uint8_t> shown[2];
        for (int software : {0, 1}) {
            start(kRoutes[software], kW, kH);
            ZUVideoFrameEx e = fr.ext();
            e.chromaSiting = siting;
            shown[software] = show(fr, e, kW / 2, kH / 2);
            ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
            // A software renderer gets planar and 10-bit 4:2:2 frames as RGB pictures the CPU
            // made at the window's size.
            if (planar || words422) {
                EXPECT_EQ(converted(), software == 1);
            }
        }
        constexpr int bar = kW / 2 / 8;
        auto nearBarEdge = [](int x) { return x % bar < 2 || x % bar >= bar - 2; };
        const Diff d = compare(shown[0], shown[1], kW / 2, bars ? +nearBarEdge : nullptr);
        EXPECT_LE(d.max, 2) << "at " << d.x << ", " << d.y;
    }
}

TEST_F(FormatsTest, AOnePixelCheckerShownAtHalfSizeIsAnEvenMidLevelUnlessNearest) {
    ASSERT_NO_FATAL_FAILURE(openVideo(kW, kH));
    if (!frameShaders()) GTEST_SKIP() << "no frame shaders in this OpenGL";
    // Halved on the CPU for a software renderer: 8-bit RGB and 4:2:2 words, 16-bit and
    // 10-bit RGB each their own way.
    for (const Route& route : {kRoutes[0], kRoutes[1]}) {
        start(route, 2 * kW, 2 * kH);
        for (unsigned format :
             {ZU_PF_bgrA, ZU_PF_2vuy, ZU_PF_yuy2, ZU_PF_v219, ZU_PF_NV12, ZU_PF_RGBA, ZU_PF_10rl})
            for (int filter : {ZU_FILTER_LINEAR, ZU_FILTER_NEAREST}) {
                SCOPED_TRACE(fourcc(format) + (filter ? " nearest " : " linear ") + route.name);
                // Black and white pixels alternating along rows and columns, at twice the
                // window size.
                Frame fr = makeAny(format, {"checker", -2}, 2 * kW, 2 * kH);
                ZUVideoFrame f = fr.frame();
                ZUVideoFrameEx e = fr.ext(filter);
                ASSERT_EQ(ZUDisplayVideoFrameEx(video, &f, &e, nullptr), 0);
                const auto got = readBack(kW, kH);
                int lo = 255, hi = 0;
                for (size_t i = 0; i < got.size(); i += 4)
                    for (int c = 0; c < 3; ++c)
                        lo = std::min<int>(lo, got[i + c]), hi = std::max<int>(hi, got[i + c]);
                if (filter == ZU_FILTER_LINEAR) {
                    EXPECT_GE(lo, 125);
                    EXPECT_LE(hi, 130);
                } else {
                    // Nearest shows single picture pixels: full black and full white remain.
                    EXPECT_LE(lo, 2);
                    EXPECT_GE(hi, 253);
                }
            }
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }
}

}  // namespace

#ifdef ZUGUI_HAVE_SWSCALE
extern "C" {
#include <libswscale/swscale.h>
}

namespace {

// libswscale's "bgrA" for a planar frame, BT.601 limited range to full-range RGB.
std::vector<uint8_t> swscaleReference(Frame& fr, AVPixelFormat format) {
    std::vector<uint8_t> out(size_t(kW) * kH * 4);
    SwsContext* c = sws_getContext(kW, kH, format, kW, kH, AV_PIX_FMT_BGRA,
                                   SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                   nullptr, nullptr);
    if (!c) return {};
    const int* k = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(c, k, 0, k, 1, 0, 1 << 16, 1 << 16);
    const bool swap = fr.format == ZU_PF_YV12;  // V before U: hand swscale U first
    const uint8_t* src[4] = {fr.plane[0].data(), fr.plane[swap ? 2 : 1].data(),
                             fr.plane[2].empty() ? nullptr : fr.plane[swap ? 1 : 2].data(),
                             nullptr};
    const int strides[4] = {fr.rowBytes[0], fr.rowBytes[swap ? 2 : 1], fr.rowBytes[swap ? 1 : 2],
                            0};
    uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
    const int dstStrides[4] = {kW * 4, 0, 0, 0};
    sws_scale(c, src, strides, 0, kH, dst, dstStrides);
    sws_freeContext(c);
    return out;
}

TEST(PlanarCpu, ConversionAgreesWithLibswscaleInsideTheBars) {
    const struct {
        unsigned format;
        AVPixelFormat av;
    } cases[] = {{ZU_PF_NV12, AV_PIX_FMT_NV12},    {ZU_PF_NV21, AV_PIX_FMT_NV21},
                 {ZU_PF_I420, AV_PIX_FMT_YUV420P}, {ZU_PF_YV12, AV_PIX_FMT_YUV420P},
                 {ZU_PF_I422, AV_PIX_FMT_YUV422P}, {ZU_PF_P010, AV_PIX_FMT_P010LE},
                 {ZU_PF_P016, AV_PIX_FMT_P016LE},  {ZU_PF_P210, AV_PIX_FMT_P210LE},
                 {ZU_PF_P216, AV_PIX_FMT_P216LE},  {ZU_PF_I010, AV_PIX_FMT_YUV420P10LE}};
    for (const auto& c : cases)
        for (const Content& content : {kContents[0], kContents[1]}) {
            SCOPED_TRACE(fourcc(c.format) + " " + content.name);
            Frame fr = makePlanar(c.format, content);
            const auto want = swscaleReference(fr, c.av);
            ASSERT_FALSE(want.empty());
            const auto got = reference(fr);
            // Away from the bar edges, where the two place interpolated chroma differently.
            const Diff d = compare(got, want, kW, [](int x) {
                const int edge = x % (kW / 8);
                return edge < 3 || edge > kW / 8 - 3;
            });
            EXPECT_LE(d.max, 2) << "at " << d.x << ", " << d.y;
        }
}

}  // namespace
#endif
