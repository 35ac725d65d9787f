// A test against a real X server with the GUI's data folder as working directory, the
// window system open and a connection of the test's own; whatever GUI the test started is
// stopped and killed afterwards, and its node tree destroyed.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "support/rows.h"
#include "support/winsys_support.h"
#include "zugui/zugui.h"

namespace zu::test {

// Mesa's software rasteriser renders on the calling thread, with no worker threads of its
// own: their synchronisation is invisible to ThreadSanitizer and would drown our reports.
// Set before the first context is made.
inline const bool kSingleThreadedMesa = setenv("LP_NUM_THREADS", "0", 0) == 0;

class GuiFixture : public ::testing::Test {
  protected:
    TestDisplay x;

    void SetUp() override {
        ASSERT_EQ(chdir(ZUGUI_SOURCE_DIR), 0);  // data/icons/ relative to the current dir
        ASSERT_TRUE(ws::open());
        ASSERT_NE(x.dpy, nullptr);
    }
    void TearDown() override {
        ZUStopGUI();
        ZUKillGUI();
        if (zu::detail::gui().root) ZUDestroyWindow(zu::detail::gui().root);
    }
};

}  // namespace zu::test
