// The layout checked on screen: the picture's corners land where the arithmetic puts
// them in both the direct and the texture path, and unchanged geometry is not laid out
// again.
#include "video/video_support.h"

using namespace zu::test;

namespace {

constexpr Rgb kA{255, 0, 0}, kB{0, 255, 0}, kC{0, 0, 255}, kD{255, 255, 0}, kBlack{0, 0, 0};

class LayoutShownTest : public VideoTest {};

TEST_F(LayoutShownTest, PictureCornersLandWhereTheLayoutPutsThem) {
    ASSERT_NO_FATAL_FAILURE(openVideo(960, 540));
    struct Case {
        const char* name;
        int w, h;
        int aspectNum, aspectDen;
        float zoom;
        int offX, offY, topDown;
        int x0, y0, x1, y1;  // the picture's first and last window pixels
    } cases[] = {
        {"fit, aspect 4:3", 720, 576, 4, 3, 0.f, 0, 0, 0, 30, 0, 929, 539},
        {"top down", 720, 576, 4, 3, 0.f, 0, 0, 1, 30, 0, 929, 539},
        {"top down filling the height", 480, 270, 1, 1, 0.f, 0, 0, 1, 0, 0, 959, 539},
        {"fixed zoom", 100, 50, 2, 1, 1.f, 0, 0, 0, 380, 245, 579, 294},
        {"pan", 100, 50, 2, 1, 1.f, 10, 20, 0, 390, 225, 589, 274},
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
            // Bottom up, the first memory row is the bottom of the picture.
            EXPECT_EQ(shown(c.x0, c.y0), c.topDown ? kC : kA);
            EXPECT_EQ(shown(c.x1, c.y1), c.topDown ? kB : kD);
            // Just outside the picture, where there is a window, is the cleared window.
            const std::tuple<bool, int, int> outside[] = {{c.x0 > 0, c.x0 - 1, c.y0},
                                                          {c.x1 < winW - 1, c.x1 + 1, c.y1},
                                                          {c.y0 > 0, c.x0, c.y0 - 1},
                                                          {c.y1 < winH - 1, c.x1, c.y1 + 1}};
            for (auto [there, x, y] : outside)
                EXPECT_EQ(there ? shown(x, y) : kBlack, kBlack) << x << "," << y;
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
