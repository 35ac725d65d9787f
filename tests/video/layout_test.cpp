// Where frames land: the layout arithmetic for direct drawing and for the texture quad.
// Fitting with an aspect, fixed zoom, pan and top-down filling are the on-screen cases of
// layout_display_test.cpp.
#include <gtest/gtest.h>

#include <tuple>

#include "video/video_internal.h"

using zu::detail::computeLayout;
using zu::detail::Layout;
using zu::detail::LayoutInput;

namespace {

LayoutInput input(int W, int H, int w, int h, bool texture) {
    LayoutInput in;
    in.winW = W, in.winH = H, in.w = w, in.h = h, in.frameWidth = w, in.texture = texture;
    return in;
}

TEST(Layout, DirectDrawingPlacesTheRasterAndZoomsAsTheArithmeticSays) {
    struct Case {
        const char* name;
        LayoutInput in;
        Layout want;
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

    const Case cases[] = {
        {"top down centred", topSmall, {0, 0, 960, 540, 1.f, -1.f, 430, 320, true}},
        {"larger than the window", big, {-480, -270, 960, 540, 1.f, 1.f, 0, 0, true}},
        {"larger, top down", bigTop, {-480, 270, 960, 540, 1.f, -1.f, 0, 540, true}},
        {"zoomed past the window", zoomedUp, {0, -135, 960, 540, 3.f, 3.f, 0, 0, true}},
        {"decimated", decimated, {0, 0, 960, 540, 1.875f, 1.875f, 142, 0, true}},
        {"zero denominator is square", badAspect, {0, 0, 960, 540, 2.f, 2.f, 0, 0, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout l = computeLayout(c.in), &w = c.want;
        EXPECT_EQ(std::tuple(l.vpX, l.vpY, l.vpW, l.vpH, l.rasterX, l.rasterY, l.ortho),
                  std::tuple(w.vpX, w.vpY, w.vpW, w.vpH, w.rasterX, w.rasterY, true));
        EXPECT_FLOAT_EQ(l.pixelZoomX, w.pixelZoomX);
        EXPECT_FLOAT_EQ(l.pixelZoomY, w.pixelZoomY);
    }
}

TEST(Layout, TheTextureQuadTakesAViewportOfThePictureSize) {
    struct Case {
        const char* name;
        LayoutInput in;
        int vpX, vpY, vpW, vpH;
    };
    auto yuv1080 = input(960, 540, 960, 1080, true);  // 1920 pixels as 960 texels
    yuv1080.zx0 = 2.f, yuv1080.frameWidth = 1920;
    auto fixedPan = input(960, 540, 320, 180, true);
    fixedPan.zoomX = fixedPan.zoomY = 1.5f, fixedPan.offsetX = 7, fixedPan.offsetY = 9;
    auto narrow = input(960, 540, 360, 576, true);  // 720 x 576 4:2:2 fitted
    narrow.zx0 = 2.f, narrow.frameWidth = 720;
    auto empty = input(960, 540, 0, 0, true);

    const Case cases[] = {
        {"1920 x 1080 4:2:2 fills", yuv1080, 0, 0, 960, 540},
        {"fixed zoom with pan", fixedPan, 7 + 240, 135 - 9, 480, 270},
        {"720 x 576 4:2:2 centred", narrow, 142, 0, 675, 540},
        {"no picture", empty, 480, 270, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Layout l = computeLayout(c.in);
        EXPECT_EQ(std::tuple(l.vpX, l.vpY, l.vpW, l.vpH, l.ortho),
                  std::tuple(c.vpX, c.vpY, c.vpW, c.vpH, false));
    }
}

}  // namespace
