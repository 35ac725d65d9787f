// What the widgets draw, read back from the main GL context: gradients and frame lines,
// caption and mark colours, pictogram states, tab and text-field colours.
// Scheme entries are set to pure primaries so that every colour can be told apart.
#include "look_support.h"
#include "widget_host.h"

using namespace zu::test;

namespace {

class LookTest : public LookSuite<480, 360> {
  protected:
    Recorder host;
    void SetUp() override {
        ZuRECT r{0, 0, kW, kH};
        ASSERT_EQ(host.CreateZUWindow(cs("host"), 0, 1, 0, &r, nullptr), 0);
        const std::pair<int, ZuFCOLOR> primaries[] = {
            {4, {1, 0, 0, 1}},   {5, {0, 1, 0, 1}},   {6, {0, 0, 1, 1}},  {7, {1, 1, 0, 1}},
            {8, {0, 1, 1, 1}},   {9, {0, 0, 1, 1}},   {10, {1, 0, 1, 1}}, {11, {0, 1, 0, 1}},
            {17, {0, 1, 0, 1}},  {20, {0, 0, 1, 1}},  {21, {0, 1, 0, 1}}, {23, {1, 0, 0, 1}},
            {100, {0, 1, 0, 1}}, {101, {0, 0, 1, 1}},
        };
        for (auto [i, c] : primaries) ZUSetSchemeColor(i, &c);
    }
    void TearDown() override {
        host.DestroyZUWindow();
        zu::detail::fillSchemeDefaults();
    }
    // One render walk of the whole tree.
    Capture draw() {
        return drawn([&] { zu::detail::renderWalk(host.GetZUWndHandle()); });
    }
    template <class W>
    void make(W& w, ZuRECT r, const char* text = "") {
        ASSERT_EQ(w.CreateZUWindow(cs(text), 0, 1, 0, &r, &host), 0);
    }
};

TEST_F(LookTest, PushButtonGradientFrameAndCaption) {
    ZUButton b;
    make(b, {40, 40, 96, 32}, "OK");
    EXPECT_GT(pureCount(draw(), {40, 40, 96, 32}, 1), 15);  // caption in colour 21 (green)
    // Pressed (the page test's reference holds the released plate): pixel rows inside the
    // frame sample the gradient at their centres; then the edges and the background outside.
    b.pressed = true;
    auto at = [](int y) {
        return Px{125, y, lerp({0.2f, 0.25f, 0.35f}, {0.1f, 0.1f, 0.1f}, (y + 0.5f - 40) / 32)};
    };
    expectPixels(draw(), {at(41), at(56), at(71), dark(100, 40), dark(100, 72), dark(39, 60),
                          dark(40, 60), dark(135, 60), dark(136, 60), dark(38, 60)});
    b.EnableZUWindow(0, 0);  // the caption keeps its colour when disabled
    EXPECT_GT(pureCount(draw(), {40, 40, 96, 32}, 1), 15);
    b.ShowZUWindow(0, 0);
    expectPixels(draw(), {dark(125, 56)});
}

TEST_F(LookTest, CheckBoxMarkColours) {
    ZUCheckBox box;
    make(box, {40, 40, 16, 16});
    Capture c = draw();
    expectPixels(c, {px(48, 42, {0.11f, 0.15f, 0.22f}), dark(40, 48), dark(55, 48)});
    box.SetZUCheck(1);
    c = draw();
    // Two green strokes over the box (alpha 0.8): the greenest pixel tells the colour.
    int best = 0;
    for (int y = 40; y < 56; ++y)
        for (int x = 41; x < 55; ++x) best = std::max<int>(best, c.at(x, y)[1]);
    EXPECT_GT(best, 150);
    box.EnableZUWindow(0, 0);
    c = draw();
    int blue = 0, green = 0;
    for (int y = 40; y < 56; ++y)
        for (int x = 41; x < 55; ++x)
            blue = std::max<int>(blue, c.at(x, y)[2]), green = std::max<int>(green, c.at(x, y)[1]);
    EXPECT_GT(blue, 150);  // colour 20 when disabled
    EXPECT_LT(green, 60);
}

// Where each pictogram lies is the page test's reference image (tests/text/page_test.cpp);
// here the states and colours it does not show.
TEST_F(LookTest, PictogramStatesAndColours) {
    ZUPictureButton p;
    make(p, {100, 100, 60, 40});
    const int cx = 130, cy = 120;
    for (int type : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 23}) {  // in colour 4 (red)
        p.ButtonZUPictureType(type);
        EXPECT_GT(pureCount(draw(), {100, 100, 60, 40}, 0), 5) << type;
    }
    // The disc: red and fading when active, light when idle (type 17: active only pressed).
    p.ButtonZUPictureType(13);
    Capture c = draw();
    EXPECT_GT(c.at(cx + 12, cy + 1)[1], 100);  // idle, just after angle 0: (1, 0.6, 0.6)
    expectPixels(c, {dark(cx + 16, cy)});
    p.SetZUCheck(1);
    c = draw();
    EXPECT_LT(c.at(cx + 12, cy + 1)[1], 60);  // active: red only
    EXPECT_GT(c.at(cx + 12, cy + 1)[0], 150);
    p.ButtonZUPictureType(17);
    c = draw();
    EXPECT_GT(c.at(cx + 12, cy + 1)[1], 60);  // checked but not pressed: still light
    p.SetZUCheck(0);
    // Braces in caption colour K (4 for a push button: red).
    p.ButtonZUPictureType(15);
    EXPECT_GT(pureCount(draw(), {100, 100, 60, 40}, 0), 5);
    p.ButtonZUPictureType(99);  // no pictogram
    EXPECT_EQ(pureCount(draw(), {100, 100, 60, 40}, 0), 0);
}

TEST_F(LookTest, PictureButtonBackgrounds) {
    ZUPictureButton p;
    make(p, {100, 100, 60, 40});
    p.ButtonZUPictureType(2);  // stop: a 16-pixel square at the centre
    // Plain and idle: no background, pictogram in colour 4.
    Capture c = draw();
    expectPixels(c, {dark(105, 135)});
    EXPECT_GT(c.at(130, 120)[0], 200);
    // Plain and active (latch, checked): the highlight, and the pictogram in grey 0.7.
    p.ButtonZUType(1);
    p.SetZUCheck(1);
    c = draw();
    EXPECT_GT(c.at(105, 102)[2], 60);      // the lower highlight's blue
    const uint8_t* grey = c.at(130, 120);  // (0.7, 0.7, 0.7) under the bar's alphas
    EXPECT_GT(grey[0], 120);
    EXPECT_EQ(grey[0], grey[1]);
    EXPECT_EQ(grey[1], grey[2]);
    expectPixels(c, {px(105, 100, {0.117f, 0.137f, 0.161f})});  // its outline
    // Disabled plain idle: colour 6 (blue).
    p.SetZUCheck(0);
    p.EnableZUWindow(0, 0);
    c = draw();
    EXPECT_GT(c.at(130, 120)[2], 200);
    EXPECT_LT(c.at(130, 120)[0], 20);
    // Framed: the gradient and black frame, pictogram in colour 4 even when disabled.
    p.SetZUBkType(1);
    c = draw();
    expectPixels(c, {dark(105, 100),
                     px(105, 101, lerp({0.025f, 0.05f, 0.075f}, {0.2f, 0.25f, 0.35f}, 1.5f / 40))});
    EXPECT_GT(c.at(130, 120)[0], 200);
    EXPECT_LT(c.at(130, 120)[2], 20);
}

TEST_F(LookTest, TabCaptionsAndPlates) {
    ZUTabButton tab;
    ZUMiniTabButton mini;
    make(tab, {40, 200, 120, 40}, "Tab");
    make(mini, {200, 200, 80, 24}, "Mini");
    // Current (colour 100) and not (101) are the page test's tabs; here hover and disabled.
    tab.SetZUTabCheck(1);
    mini.SetZUTabCheck(1);
    mini.hover = true;  // the hover colour (0.4, 0.5, 0.6) for the one pass after a move
    ZUSendMessage(mini.GetZUWndHandle(), ZUM_MOUSEMOVE, 210, 210, nullptr, nullptr);
    EXPECT_EQ(pureCount(draw(), {200, 200, 80, 24}, 1), 0);
    EXPECT_GT(pureCount(draw(), {200, 200, 80, 24}, 1), 10);
    tab.EnableZUWindow(0, 0);
    EXPECT_GT(pureCount(draw(), {40, 200, 120, 40}, 0), 10);  // disabled: colour 23 (red)
}

TEST_F(LookTest, TextFieldColoursAndCaret) {
    ZUText t;
    ZUStatic label;
    make(t, {40, 40, 200, 24}, "ab");
    make(label, {40, 100, 200, 24}, "Label");
    // The smoothed caret covers two columns partly: count pixels where red dominates.
    auto caretPixels = [](const Capture& c) {
        int n = 0;
        for (int y = 41; y < 63; ++y)
            for (int x = 41; x < 239; ++x) {
                const uint8_t* p = c.at(x, y);
                n += p[0] > p[1] + 60 && p[0] > p[2] + 60;
            }
        return n;
    };
    // Normal, colour 7 inside a black frame, is the page test's field.
    EXPECT_GT(pureCount(draw(), {40, 100, 200, 24}, 1), 15);  // the label in colour 17
    ZUSendMessage(t.GetZUWndHandle(), ZUM_LBUTTONDOWN, 45, 45, nullptr, nullptr);
    ASSERT_TRUE(t.editing);
    Capture c = draw();
    expectPixels(c, {px(45, 52, {0, 1, 0})});  // editing: colour 11
    EXPECT_GT(caretPixels(c), 5);              // the red caret
    ZUSendMessage(t.GetZUWndHandle(), ZUM_KEY, -1, 27, nullptr, nullptr);
    t.EnableZUWindow(0, 0);
    c = draw();
    expectPixels(c, {px(45, 52, {0, 1, 1})});  // disabled: colour 8
    EXPECT_EQ(caretPixels(c), 0);
}

TEST_F(LookTest, ComboKeywordsArrowBoxesAndListHighlight) {
    ZUComboButton mode, step;
    ZUHotTextList list;
    make(mode, {40, 40, 80, 24});
    make(step, {200, 40, 120, 24});
    make(list, {40, 200, 120, 90});
    mode.SetZUComboType(2);
    for (const char* k : {"XP_RANGE", "xp_range", "XP_PLAYSTRAIGHT"})
        mode.InsertZUItem(-1, cs(k), 0);
    // Keyword pictograms in colour 4 (red): the range braces, then nothing for a wrong case.
    EXPECT_GT(pureCount(draw(), {40, 40, 80, 24}, 0), 10);
    mode.SetZUCurSel(1, false);
    EXPECT_EQ(pureCount(draw(), {40, 40, 80, 24}, 0), 0);
    mode.SetZUCurSel(2, false);  // the arrow, drawn where the page test's reference shows it
    EXPECT_GT(pureCount(draw(), {40, 40, 80, 24}, 0), 10);

    // A stepping combo with one item has no arrow boxes (with more, it is the page test's).
    step.SetZUComboType(1);
    step.InsertZUItem(-1, cs("one"), 0);
    Capture c = draw();
    expectPixels(c, {dark(205, 41)});

    // Three 30-pixel rows: the highlighted one filled with colour 31, top row first.
    for (const char* k : {"a", "b", "c"}) list.InsertZUItem(-1, cs(k), 0);
    list.SetZUCurSel(1, false);
    c = draw();
    // Row 1 (230..259), row 0 and row 2.
    expectPixels(c, {px(45, 245, {0.1f, 0.1f, 0.1f}), px(45, 275, {0.11f, 0.15f, 0.22f}),
                     px(45, 215, {0.11f, 0.15f, 0.22f})});
}

// The host's own drawing: magenta quads, and a caption in colour 17 (green) under one.
void magenta(int x0, int y0, int x1, int y1) {
    glColor4f(1, 0, 1, 1);
    glRecti(x0, y0, x1, y1);
}
int paintNode(void*, unsigned msg, int, int, void*, void*) {
    if (msg != ZUM_RENDER) return 0;
    magenta(60, 40, 100, 100);
    ZuRECT r{300, 140, 100, 30};
    ZuFCOLOR green{0, 1, 0, 1};
    ZUPrintText(cs("WWWWWWWW"), &r, &green, 5, 0, nullptr);
    magenta(350, 140, 400, 170);
    return 0;
}
class PaintedButton : public ZUButton {
  public:
    ZuErr RenderZUWindow() override {
        ZUButton::RenderZUWindow();
        magenta(rect.x + 40, rect.y, rect.x + 60, rect.y + rect.height);
        return 0;
    }
};

TEST_F(LookTest, HostDrawingKeepsItsPlaceAmongTheWidgets) {
    // In tree order: a button, the host's node over part of it, a button over part of the
    // host's quad; a host class drawing over its own plate, a hot text over part of that.
    ZUButton below, above;
    PaintedButton painted;
    ZUHotText after;
    make(below, {40, 40, 60, 30});
    ZuRECT all{0, 0, kW, kH};
    ZUWindowNode* node =
        ZUCreateWindow(cs("paint"), 0, 1, &all, nullptr, host.GetZUWndHandle(), paintNode);
    ASSERT_NE(node, nullptr);
    make(above, {80, 60, 60, 30});
    make(painted, {200, 40, 96, 32});
    make(after, {250, 40, 60, 32});
    const Capture c = draw();
    const Rgb pink{1, 0, 1}, field{0.11f, 0.15f, 0.22f};
    auto plate = [](int y, int y0, int h) {
        return lerp({0.025f, 0.05f, 0.075f}, {0.2f, 0.25f, 0.35f}, (y + 0.5f - y0) / h);
    };
    expectPixels(c, {px(50, 50, plate(50, 40, 30)), px(70, 50, pink), px(90, 75, plate(75, 60, 30)),
                     px(245, 56, pink), px(255, 56, field)});
    // The host's caption drew before the quad over its right half.
    EXPECT_GT(pureCount(c, {300, 140, 50, 30}, 1), 10);
    EXPECT_EQ(pureCount(c, {350, 140, 50, 30}, 1), 0);
    ZUDestroyWindow(node);
}

}  // namespace
