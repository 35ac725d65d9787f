// Shared pieces of the video window and frame display tests: a running GUI with one video
// window, frames built in memory, read-back of what the display drew, and the colours a
// Y'CbCr pixel must become by the textbook formulas.
#pragma once

#include <gtest/gtest.h>
// X headers after gtest: they define None.
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

// Before the X headers, which define None.
#include "video/convert/convert.h"
#include "video/convert_support.h"
#include "video/video_internal.h"
#include "zugui/video.h"
//
#include "gui/gui_log.h"
#include "support/gui_fixture.h"

namespace zu::test {

// Window pixel (x, y), y counted upwards as OpenGL does, in the buffer the next
// presentation will show (Mesa keeps its content across a swap).
inline Rgb pending(int x, int y) {
    glReadBuffer(GL_BACK);
    const Capture c = capture(x, y, 1, 1);
    return {c.rgba[0], c.rgba[1], c.rgba[2]};
}

using namespace zutest;

// The textbook conversion of 8-bit Y'CbCr to 8-bit R'G'B' for a matrix and range.
inline Rgb textbook(double y, double u, double v, int matrix, bool full) {
    const double kr = matrix == ZU_MATRIX_BT601   ? 0.299
                      : matrix == ZU_MATRIX_BT709 ? 0.2126
                                                  : 0.2627;
    const double kb = matrix == ZU_MATRIX_BT601   ? 0.114
                      : matrix == ZU_MATRIX_BT709 ? 0.0722
                                                  : 0.0593;
    const double ey = full ? y / 255 : (y - 16) / 219;
    const double pb = (u - 128) / (full ? 255 : 224), pr = (v - 128) / (full ? 255 : 224);
    const double r = ey + 2 * (1 - kr) * pr, b = ey + 2 * (1 - kb) * pb;
    const double g = (ey - kr * r - kb * b) / (1 - kr - kb);
    auto q = [](double x) { return int(std::lround(std::clamp(x, 0.0, 1.0) * 255)); };
    return {q(r), q(g), q(b)};
}
// A 4:2:2 pixel in limited range by BT.601 or BT.709, as the frame shaders convert it.
inline Rgb shaderColour(const Yuv& c, bool bt601) {
    return textbook(c.y, c.u, c.v, bt601 ? ZU_MATRIX_BT601 : ZU_MATRIX_BT709, false);
}

inline ZUVideoFrame makeFrame(void* pixels, int w, int h, int rowBytes, unsigned format) {
    ZUVideoFrame f{};
    f.pixels = pixels;
    f.width = w, f.height = h, f.rowBytes = rowBytes;
    f.aspectNum = f.aspectDen = 1;
    f.format = format;
    f.decimationX = f.decimationY = 1;
    return f;
}

// "bgrA" image of one colour per quadrant, each quadrant in memory-row order: the first
// rows in memory are the top half when shown top down.
struct Quadrants {
    std::vector<uint8_t> px;
    int w, h;
    Quadrants(int w_, int h_, Rgb firstLeft, Rgb firstRight, Rgb lastLeft, Rgb lastRight)
        : px(size_t(w_) * h_ * 4), w(w_), h(h_) {
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                const Rgb& c = r < h / 2 ? (x < w / 2 ? firstLeft : firstRight)
                                         : (x < w / 2 ? lastLeft : lastRight);
                uint8_t* p = px.data() + (size_t(r) * w + x) * 4;
                p[0] = uint8_t(c.b), p[1] = uint8_t(c.g), p[2] = uint8_t(c.r), p[3] = 255;
            }
    }
    ZUVideoFrame frame() { return makeFrame(px.data(), w, h, w * 4, ZU_PF_bgrA); }
};

// A started GUI whose root node owns one video window of winW x winH at (20, 40).
class VideoTest : public GuiFixture {
  protected:
    static constexpr int kGuiW = 1000, kGuiH = 620, kVx = 20, kVy = 40;
    ZUWindowNode* root = nullptr;
    ZUVideoWindowNode* video = nullptr;
    int winW = 960, winH = 540;

    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(ZUInitGUI(0, 0, kGuiW, kGuiH, nullptr, cs("video test"), nullptr, nullptr, 0), 0);
        root = makeNode("root", nullptr, {0, 0, kGuiW, kGuiH});
        ZUStartGUI();
        heard().clear();
    }
    void TearDown() override {
        if (video) {
            if (video->started) ZUStopDisplayVideoFrame(video);
            ZUDestroyVideoWindow(video);
        }
        GuiFixture::TearDown();
    }
    ZUVideoWindowNode* makeVideo(int w, int h) {
        winW = w, winH = h;
        ZuRECT r{kVx, kVy, w, h};
        ZUVideoWindowNode* v = ZUCreateVideoWindow(root, cs("video"), &r, 0);
        if (!v) return nullptr;
        ZUShowVideoWindow(v, 1);
        pumpUntil([&] { return ZUIsVideoWindowVisible(v) == 1; });
        pumpFor(50);
        return v;
    }
    // Window pixel (x, y), y counted upwards as OpenGL does, as the window shows it.
    Rgb shown(int px, int py) { return windowRgb(video->window, px, winH - 1 - py); }
    void openVideo(int w, int h) {
        video = makeVideo(w, h);
        ASSERT_NE(video, nullptr);
    }
};

}  // namespace zu::test
