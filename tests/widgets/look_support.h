// Pixel probes for the widget look tests: a GUI to draw in, one table type for the colours
// expected at given pixels, and counts of lit pixels for what has no fixed place (glyphs).
#pragma once

#include <gtest/gtest.h>
// GL after gtest: X defines None.
#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>

#include "gui/gui_state.h"
#include "support/gl_capture.h"
#include "zugui/widgets.h"

namespace zu::test {

struct Rgb {
    float r, g, b;
    float operator[](int k) const { return k == 0 ? r : k == 1 ? g : b; }
};
inline Rgb lerp(Rgb bottom, Rgb top, float t) {
    return {bottom.r + (top.r - bottom.r) * t, bottom.g + (top.g - bottom.g) * t,
            bottom.b + (top.b - bottom.b) * t};
}

// The pixel at (x, y) holds `want` (0 to 1 a channel) within `tol` steps of 255. A tolerance
// of 0.5 asks for the exact byte.
struct Px {
    int x, y;
    Rgb want;
    float tol = 3;
};
// Rows built by these keep a table of probes bin-packed under the formatter.
inline Px px(int x, int y, Rgb want, float tol = 3) {
    return {x, y, want, tol};
}
inline Px dark(int x, int y, float tol = 3) {
    return {x, y, {0, 0, 0}, tol};
}
inline void expectPixels(const Capture& c, std::initializer_list<Px> probes) {
    for (const Px& p : probes) {
        const uint8_t* got = c.at(p.x, p.y);
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(got[k], p.want[k] * 255, p.tol)
                << "pixel " << p.x << "," << p.y << " channel "
                << "rgb"[k];
    }
}

// Pixels of a region whose given channel is lit (> 100) while the other two are dark.
inline int pureCount(const Capture& c, ZuRECT r, int channel) {
    int n = 0;
    for (int y = r.y; y < r.y + r.height; ++y)
        for (int x = r.x; x < r.x + r.width; ++x) {
            const uint8_t* p = c.at(x, y);
            bool ok = p[channel] > 100;
            for (int k = 0; k < 3; ++k)
                if (k != channel && p[k] > 40) ok = false;
            n += ok;
        }
    return n;
}
// Pixels of the whole capture lit in the channel, whatever the others hold.
inline int lit(const Capture& c, int channel) {
    int n = 0;
    for (size_t i = channel; i < c.rgba.size(); i += 4) n += c.rgba[i] > 100;
    return n;
}
// Longest horizontal run of pixels lit in the channel, over all rows.
inline int longestRun(const Capture& c, int channel) {
    int best = 0;
    for (int y = 0; y < c.height; ++y)
        for (int x = 0, run = 0; x < c.width; ++x) {
            run = c.at(x, y)[channel] > 100 ? run + 1 : 0;
            best = std::max(best, run);
        }
    return best;
}

// A GUI of W x H shared by a suite's tests. drawn() clears the main context to black, runs
// the given drawing and reads the whole window back; draw() draws one widget so.
template <int W, int H>
class LookSuite : public ::testing::Test {
  protected:
    static constexpr int kW = W, kH = H;
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(ZUGUI_SOURCE_DIR), 0);
        ASSERT_EQ(ZUInitGUI(0, 0, W, H, nullptr, const_cast<char*>("looks"), nullptr, nullptr, 0),
                  0);
    }
    static void TearDownTestSuite() { ZUKillGUI(); }
    template <class F>
    static Capture drawn(F&& render) {
        EXPECT_TRUE(ws::makeCurrent(detail::gui().mainSurface));
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        render();
        glFinish();
        Capture c = capture(0, 0, W, H);
        ws::makeCurrent(nullptr);
        return c;
    }
    static Capture draw(ZUWindow& w) {
        return drawn([&] { w.RenderZUWindow(); });
    }
};

}  // namespace zu::test
