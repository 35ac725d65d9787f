// A GUI for the tests that draw in its main context and read back what they drew.
#pragma once

#include <gtest/gtest.h>
// GL after gtest: X defines None.
#include <GL/gl.h>
#include <unistd.h>

#include "gui/gui_state.h"
#include "support/gl_capture.h"
#include "support/rows.h"
#include "zugui/zugui.h"

namespace zu::test {

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
