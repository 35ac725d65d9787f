// Frames through each way to the screen, read back from the video window's context:
// direct pixel drawing, the software converter, the texture path with the shader program,
// the call protocol of start, display and stop, and where the picture lands (the layout
// arithmetic on screen; unchanged geometry is not laid out again).
#include "video/convert_support.h"
#include "video/video_support.h"

using namespace zu::test;
using zu::detail::videoCaps;

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
// What the inverting table makes of an 8-bit level, by the converter's and the look-up
// texture's rounding: (1023 - 4v) / 4 + 0.5, truncated.
int inverted(int v) {
    return std::min(255, int((1023 - 4 * v) * 0.25 + 0.5));
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

    EXPECT_EQ(ZUStopDisplayVideoFrame(video), 0);
    EXPECT_FALSE(video->started);
    EXPECT_EQ(ZUStopDisplayVideoFrame(video), -2);
    EXPECT_EQ(ZUDisplayVideoFrame(video, &rf, nullptr), -2);

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

    struct Case {
        const char* name;
        bool lut;
        bool noBgra;  // the capability forced off: the converter makes "rgba"
        Rgb bottomLeft, topRight;
        bool converted;
    } cases[] = {
        {"direct", false, false, kRed, {10, 100, 200}, false},
        {"look-up table",
         true,
         false,
         {inverted(255), inverted(0), inverted(0)},
         {inverted(10), inverted(100), inverted(200)},
         true},
        {"no BGRA", false, true, kRed, {10, 100, 200}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::fill(conv.begin(), conv.end(), 0xAB);
        video->hasBGRA = c.noBgra ? 0 : videoCaps().hasBGRA;
        ASSERT_EQ(ZUDisplayVideoFrame(video, &f, c.lut ? &inv.lut : nullptr), 0);
        // Bottom-up frame: the first memory rows are the bottom of the picture.
        EXPECT_EQ(std::tuple(shown(10, 10), shown(310, 170), conv[0] != 0xAB || conv[1] != 0xAB),
                  std::tuple(c.bottomLeft, c.topRight, c.converted));
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
            ASSERT_EQ(zu::detail::gpuOn(*static_cast<zu::detail::GpuDisplay*>(video->display)),
                      older == 0);
            EXPECT_EQ(video->lutTexture != 0, c.lut);
            auto px = bars422(c.width, c.height, c.uyvy);
            ZUVideoFrame f = makeFrame(px.data(), c.width, c.height, c.width * 2, c.format);
            ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
            // Fitted and centred: 720 x 576 becomes 675 x 540 from x 142; 1920 x 1080 fills.
            const int x0 = c.width == 720 ? 142 : 0, pw = c.width == 720 ? 675 : 960;
            for (int bar = 0; bar < 8; ++bar) {
                Rgb want = shaderColour(kBars[bar], c.bt601);
                if (c.lut) want = {inverted(want.r), inverted(want.g), inverted(want.b)};
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
    struct Case {
        const char* name;
        unsigned format;
        int mode;
    } cases[] = {
        {"bgrA direct", ZU_PF_bgrA, 0},
        {"2vuy texture", ZU_PF_2vuy, 1},
        {"yuy2 software", ZU_PF_yuy2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.mode == 1 && !shaders) continue;
        // A black picture: eight black bars in 4:2:2.
        const bool rgb = c.format == ZU_PF_bgrA;
        std::vector<uint8_t> px = rgb ? Quadrants(720, 576, kBlack, kBlack, kBlack, kBlack).px
                                      : bars422(720, 576, c.format == ZU_PF_2vuy, kBlackBars);
        ASSERT_EQ(ZUStartDisplayVideoFrame(video, 720, 576, c.mode, nullptr), 0);
        ZUVideoFrame f = makeFrame(px.data(), 720, 576, rgb ? 2880 : 1440, c.format);
        f.colorDescriptor.standard = 1;
        f.guideAOn = 1;
        f.guideAHorizontal = 10.f, f.guideAVertical = 10.f;
        ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
        // 10 % leaves 36 pixels each side and 28 rows at top and bottom: the top line at
        // memory row 28, drawn at window row 28, from x 36 to 683; nothing inside the
        // rectangle, and a vertical mark.
        const std::tuple<int, int, Rgb> probes[] = {{36, 28, kWhite},   {683, 28, kWhite},
                                                    {35, 28, kBlack},   {684, 28, kBlack},
                                                    {360, 200, kBlack}, {36, 200, kWhite}};
        for (auto [x, y, want] : probes)
            EXPECT_TRUE(near(shown(x, y), want, 3)) << x << "," << y << ": " << shown(x, y);
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

}  // namespace
