// The drop-down popup and the message box against a real X server: the row under a
// pointer moved with XTest, what each popup draws (read back from the screen), the
// message box's size and place, and the input block while it is shown.
#include "zugui/popups.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "gui/gui_log.h"
#include "gui/gui_state.h"
#include "popups/popup_window.h"
#include "support/gl_capture.h"
#include "support/gui_fixture.h"

using namespace zu::test;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

// A highlighted row (scheme colour 31) and a plain one (30).
constexpr Rgb kHighlight{26, 26, 26}, kRow{51, 51, 64};

class PopupTest : public GuiFixture {
  protected:
    ZUWindowNode* root = nullptr;

    void SetUpGui() override {
        heard().clear();
        ASSERT_EQ(ZUInitGUI(100, 50, 800, 600, nullptr, cs("popups"), cs("zugui.ico"), nullptr, 0),
                  0);
        root = makeNode("root", nullptr, {0, 0, 800, 600});  // its user data: itself at (0, 0)
        makeNode("child", root, {100, 100, 200, 100});
        ASSERT_TRUE(pumpUntil([] { return ws::isVisible(gui().mainWindow); }));
    }
    void pointerAt(int sx, int sy) {
        x.moveTo(sx, sy);
        ASSERT_TRUE(pumpUntil([&] {
            ws::Point p;
            return ws::cursorPos(&p) && p.x == sx && p.y == sy;
        }));
    }
};

char* items4[] = {cs("First"), cs("Second"), cs("Third"), cs("Fourth")};

TEST_F(PopupTest, HideGivesTheRowUnderThePointer) {
    // Four 20-pixel rows from screen y 300: the first pixel of each row belongs to it. Left of
    // the popup, with no items, or with a null list (drawn: the background only) no row.
    struct Case {
        int x, y, count;
        char** items;
        int row;
    } const cases[] = {{150, 305, 4, items4, 0},  {150, 300, 4, items4, 0},
                       {150, 319, 4, items4, 0},  {150, 320, 4, items4, 1},
                       {150, 379, 4, items4, 3},  {150, 380, 4, items4, -1},
                       {150, 299, 4, items4, -1}, {99, 310, 4, items4, -1},
                       {150, 310, 0, items4, -1}, {150, 310, 4, nullptr, -1}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << k.x << "," << k.y << " " << k.count);
        ASSERT_EQ(ZUShowCombo(100, 300, 120, 80, k.count, k.items), 0);
        pointerAt(k.x, k.y);
        ZURenderComboGUI();
        EXPECT_EQ(ZUHideCombo(), k.row);
    }
}

TEST_F(PopupTest, ComboDrawsItsRowsAndHighlightsThePointersRow) {
    void* popup = ws::nativeHandle(gui().comboWindow.load());
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(ZUShowCombo(100, 300, 120, 80, 4, items4), 0);
    ASSERT_TRUE(pumpUntil([&] { return viewable(popup); }));
    pointerAt(150, 345);  // row 2
    ZURenderComboGUI();
    pumpFor(50);
    // Rows, their texts, and the pointer's row highlighted.
    expectReferenceImage(windowCapture(popup), ZUGUI_SOURCE_DIR "/tests/popups/data/combo.png");
    // The highlight moves only when drawn again.
    pointerAt(150, 305);
    pumpFor(30);
    EXPECT_EQ(windowRgb(popup, 115, 2 * 20 + 3), kHighlight);
    ZURenderComboGUI();
    pumpFor(30);
    EXPECT_EQ(std::pair(windowRgb(popup, 115, 3), windowRgb(popup, 115, 2 * 20 + 3)),
              std::pair(kHighlight, kRow));
    EXPECT_EQ(ZUHideCombo(), 0);
    ASSERT_TRUE(pumpUntil([&] { return !viewable(popup); }));

    // Fewer items later: the whole popup is filled anew.
    ASSERT_EQ(ZUShowCombo(100, 300, 120, 40, 2, items4), 0);
    pointerAt(400, 400);
    ZURenderComboGUI();
    pumpFor(50);
    for (int cy : {3, 23, 37}) EXPECT_EQ(windowRgb(popup, 115, cy), kRow) << cy;
    ZUHideCombo();
}

TEST_F(PopupTest, MessageBoxDrawsItsBarFrameAndTextsAndTakesItsSizeAndPlace) {
    void* boxWindow = ws::nativeHandle(zu::detail::messageBoxWindow());
    ASSERT_NE(boxWindow, nullptr);
    ASSERT_EQ(ZUShowMB(cs("Title"), cs("Message")), 0);
    ASSERT_TRUE(pumpUntil([&] { return viewable(boxWindow); }));
    pumpFor(100);
    // The bar, the frame, the title in the bar and the message in the middle.
    expectReferenceImage(windowCapture(boxWindow),
                         ZUGUI_SOURCE_DIR "/tests/popups/data/message_box.png");
    ZUHideMB();

    // Centred over the root, measured from its user-data node at (0, 0), or without one over
    // the main window all the same (the same place here). Overlong texts are cut.
    struct Case {
        size_t length;
        int width;
        bool userData;
    } const cases[] = {{30, 256, true}, {31, 360, true}, {0, 256, true}, {10000, 360, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.length);
        std::string message(k.length, 'm');
        root->userData = k.userData ? root : nullptr;
        ASSERT_EQ(ZUShowMB(k.userData ? cs("Title") : message.data(), message.data()), 0);
        ASSERT_TRUE(pumpUntil([&] { return viewable(boxWindow); }));
        ws::Rect r;
        ASSERT_TRUE(screenRect(boxWindow, &r));
        EXPECT_EQ(std::tuple(r.left, r.top, r.width(), r.height()),
                  std::tuple(100 + 400 - k.width / 2, 50 + 600 - 300 - 50, k.width, 100));
        EXPECT_TRUE(gui().mbShown.load());
        EXPECT_EQ(ZUHideMB(), 1);
        EXPECT_FALSE(gui().mbShown.load());
    }
}

TEST_F(PopupTest, MessageBoxBlocksMainInputUntilClickedAway) {
    ZUStartGUI();
    void* boxWindow = ws::nativeHandle(zu::detail::messageBoxWindow());
    ASSERT_EQ(ZUShowMB(cs("Wait"), cs("Input is blocked")), 0);
    ASSERT_TRUE(pumpUntil([&] { return viewable(boxWindow); }));
    // A click on the child (GUI 150, 150: screen 250, 500) reaches no node.
    x.moveTo(250, 500);
    x.click(1);
    pumpFor(200);
    EXPECT_TRUE(heardOf(ZUM_LBUTTONDOWN).empty());
    // A click on the box dismisses it.
    ws::Rect r;
    ASSERT_TRUE(screenRect(boxWindow, &r));
    x.moveTo(r.left + 20, r.top + 50);
    x.click(1);
    ASSERT_TRUE(pumpUntil([&] { return !gui().mbShown.load(); }));
    ASSERT_TRUE(pumpUntil([&] { return !viewable(boxWindow); }));
    // And the next click on the main window is dispatched again.
    x.moveTo(250, 500);
    x.click(1);
    ASSERT_TRUE(pumpUntil([] { return !heardOf(ZUM_LBUTTONDOWN).empty(); }));
    EXPECT_EQ(heardOf(ZUM_LBUTTONDOWN).front().node, "child");
}

}  // namespace
