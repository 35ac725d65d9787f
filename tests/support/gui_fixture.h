// Fixtures of the tests that run a GUI: one test against a real X server, and a GUI a
// suite's tests draw in and read back.
#pragma once

#include <gtest/gtest.h>
// GL after gtest: X defines None.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdlib>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "support/gl_capture.h"
#include "support/rows.h"
#include "support/winsys_support.h"
#include "zugui/zugui.h"

namespace zu::test {

// Mesa's software rasteriser renders on the calling thread, with no worker threads of its
// own: their synchronisation is invisible to ThreadSanitizer and would drown our reports.
// Set before the first context is made.
inline const bool kSingleThreadedMesa = setenv("LP_NUM_THREADS", "0", 0) == 0;

// A test with the GUI's data folder as working directory, the window system open and a
// connection of the test's own; whatever GUI the test started is stopped and killed
// afterwards, and its node tree destroyed.
class GuiFixture : public ::testing::Test {
  protected:
    TestDisplay x;

    void SetUp() override {
        ASSERT_EQ(chdir(ZUGUI_SOURCE_DIR), 0);  // data/icons/ relative to the current dir
        ASSERT_TRUE(ws::open());
        ASSERT_NE(x.dpy, nullptr);
        SetUpGui();
    }
    // A fixture's own set-up, run once the above holds.
    virtual void SetUpGui() {}
    void TearDown() override {
        ZUStopGUI();
        ZUKillGUI();
        if (zu::detail::gui().root) ZUDestroyWindow(zu::detail::gui().root);
    }
};

// A GUI of W x H shared by a suite's tests. drawn() clears the main context to black, runs
// the given drawing and reads the whole window back.
template <int W, int H>
class DrawSuite : public ::testing::Test {
  protected:
    static constexpr int kW = W, kH = H;
    static void SetUpTestSuite() {
        ASSERT_EQ(chdir(ZUGUI_SOURCE_DIR), 0);
        ASSERT_EQ(ZUInitGUI(0, 0, W, H, nullptr, cs("draw"), nullptr, nullptr, 0), 0);
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
};

}  // namespace zu::test
