// The layout checked on screen: the picture lands where the arithmetic puts it in the
// direct and the texture path, and unchanged geometry is not laid out again.
#include "video/video_support.h"

using namespace zu::test;

namespace {

constexpr Rgb kA{255, 0, 0}, kB{0, 255, 0}, kC{0, 0, 255}, kD{255, 255, 0}, kBlack{0, 0, 0};

class LayoutShownTest : public VideoTest {};

// Each case has an image per path: the texture path filters across the quadrants' seams,
// direct drawing does not.
TEST_F(LayoutShownTest, PicturesLandWhereTheLayoutPutsThemInEitherPath) {
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
            Quadrants q(c.w, c.h, kA, kB, kC, kD);
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

TEST_F(LayoutShownTest, IdenticalFramesAreLaidOutOnceAndAResizeLaysOutAgainAndFilled) {
    ASSERT_NO_FATAL_FAILURE(openVideo(320, 180));
    // Only a layout clears the window: a new clear colour shows when one happens.
    Quadrants q(100, 100, kA, kA, kA, kA);
    ZUVideoFrame f = q.frame();
    f.zoomX = f.zoomY = 1.f;
    ASSERT_EQ(ZUStartDisplayVideoFrame(video, 100, 100, 0, nullptr), 0);
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    EXPECT_EQ(shown(5, 5), kBlack);
    glClearColor(0.f, 0.f, 1.f, 1.f);
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    // Same geometry: no layout, no clear.
    EXPECT_EQ(std::tuple(shown(5, 5), shown(160, 90)), std::tuple(kBlack, kA));
    f.offsetX = 1;
    ASSERT_EQ(ZUDisplayVideoFrame(video, &f, nullptr), 0);
    EXPECT_EQ(shown(5, 5), kC);  // a pan is a new layout

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
    EXPECT_EQ(std::tuple(shown(5, 5), shown(101, 30), shown(100, 30)), std::tuple(kB, kA, kB));
    ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);

    // The first frame after a resize fills the new size, in both paths.
    for (int mode : {0, 1}) {
        SCOPED_TRACE(mode ? "texture" : "direct");
        // A new size each time, larger than any before.
        winW = mode ? 400 : 320, winH = mode ? 220 : 180;
        ZuRECT larger{kVx, kVy, winW, winH};
        ASSERT_EQ(ZUResizeVideoWindow(video, &larger), 0);
        ASSERT_EQ(ZUStartDisplayVideoFrame(video, winW, winH, mode, nullptr), 0);
        Quadrants full(winW, winH, kA, kB, kC, kD);
        ZUVideoFrame ff = full.frame();
        ASSERT_EQ(ZUDisplayVideoFrame(video, &ff, nullptr), 0);
        // Beyond the old size in both directions: the last memory rows' right quadrant.
        EXPECT_EQ(std::pair(shown(winW - 10, winH - 10), shown(10, 10)), std::pair(kD, kA));
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }
}

}  // namespace
