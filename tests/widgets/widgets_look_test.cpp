// What the widgets draw in the states the controls page does not show (pressed, disabled,
// hidden, checked, editing, highlighted rows, empty and odd ranges, a picker's planes, a
// wheel's handles, the host's own drawing between widgets, underline bits together, carets
// at the ends of a text), all on one page compared texel
// for texel with a reference image; and the GL state the drawing leaves behind.
// Every scheme entry the widgets read holds a colour of its own, so an entry read in the
// wrong place shows. ZUGUI_RECORD_REFERENCES=1 re-records the image.
#include <memory>
#include <vector>

#include "support/draw_suite.h"
#include "widget_host.h"

using namespace zu::test;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

const char* const kReference = ZUGUI_SOURCE_DIR "/tests/widgets/data/states_page.png";

// The host's own drawing: magenta quads, and a caption in green under one.
void magenta(int x0, int y0, int x1, int y1) {
    glColor4f(1, 0, 1, 1);
    glRecti(x0, y0, x1, y1);
}
int paintNode(void*, unsigned msg, int, int, void*, void*) {
    if (msg != ZUM_RENDER) return 0;
    magenta(640, 40, 680, 100);
    ZuRECT r{620, 110, 100, 30};
    ZuFCOLOR green{0, 1, 0, 1};
    ZUPrintText(cs("WWWWWWWW"), &r, &green, 5, 0, nullptr);
    magenta(670, 110, 720, 140);
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

class LookTest : public DrawSuite<800, 600> {
  protected:
    ZUWindow root;
    std::vector<std::unique_ptr<ZUWindow>> kids;  // after root: destroyed first

    void SetUp() override {
        ZuRECT all{0, 0, kW, kH};
        ASSERT_EQ(root.CreateZUWindow(cs("root"), 0, 1, 0, &all, nullptr), 0);
        // The entries the widgets read, each a colour of its own from four levels a channel.
        int k = 0;
        for (int i = 0; i < 104; ++i) {
            if (i > 32 && i < 40) i = 40;
            if (i > 45 && i < 100) i = 100;
            ZuFCOLOR c{0.3f + 0.7f * (k % 4) / 3, 0.3f + 0.7f * (k / 4 % 4) / 3,
                       0.3f + 0.7f * (k / 16 % 4) / 3, 1};
            ZUSetSchemeColor(i, &c);
            ++k;
        }
    }
    void TearDown() override {
        kids.clear();
        root.DestroyZUWindow();
        zu::detail::fillSchemeDefaults();
    }
    template <class W>
    W& add(ZuRECT r, const char* text = "", ZUWindow* parent = nullptr) {
        kids.push_back(std::make_unique<W>());
        W& w = static_cast<W&>(*kids.back());
        EXPECT_EQ(w.CreateZUWindow(cs(text), 0, 1, 0, &r, parent ? parent : &root), 0);
        return w;
    }
    Capture draw() {
        return drawn([&] { zu::detail::renderWalk(root.GetZUWndHandle()); });
    }
};

TEST_F(LookTest, StatesPageMatchesTheReferenceImage) {
    // Buttons pressed, disabled, hidden; check boxes off, on, on and disabled; tabs.
    add<ZUButton>({20, 470, 96, 32}, "OK").pressed = true;
    add<ZUButton>({130, 470, 96, 32}, "OK").EnableZUWindow(0, 0);
    add<ZUButton>({240, 470, 96, 32}, "OK").ShowZUWindow(0, 0);
    for (int i = 0; i < 3; ++i) {
        auto& box = add<ZUCheckBox>({360 + 30 * i, 478, 16, 16});
        box.SetZUCheck(i > 0);
        if (i == 2) box.EnableZUWindow(0, 0);
    }
    auto& tab = add<ZUTabButton>({460, 470, 120, 32}, "Tab");
    tab.SetZUTabCheck(1);
    tab.EnableZUWindow(0, 0);
    add<ZUMiniTabButton>({600, 474, 80, 24}, "Mini").SetZUTabCheck(1);

    // Every pictogram on a plain background, then the states: the disc idle and checked,
    // the pressed-only disc checked and pressed, braces, no pictogram, and the stop square
    // latched, disabled, and framed and disabled.
    const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 23};
    for (int i = 0; i < 15; ++i)
        add<ZUPictureButton>({20 + 48 * i, 420, 44, 40}).ButtonZUPictureType(types[i]);
    struct Picture {
        int type, check, pressed, latch, disabled, framed;
    };
    const Picture pictures[] = {
        {13, 0, 0, 0, 0, 0}, {13, 1, 0, 0, 0, 0}, {17, 1, 0, 0, 0, 0},
        {17, 1, 1, 0, 0, 0}, {15, 0, 0, 0, 0, 0}, {99, 0, 0, 0, 0, 0},
        {2, 1, 0, 1, 0, 0},  {2, 0, 0, 0, 1, 0},  {2, 0, 0, 0, 1, 1},
    };
    int x = 20;
    for (const Picture& p : pictures) {
        auto& b = add<ZUPictureButton>({x, 370, 60, 40});
        b.ButtonZUPictureType(p.type);
        b.ButtonZUType(p.latch);
        b.SetZUCheck(p.check);
        b.pressed = p.pressed;
        b.SetZUBkType(p.framed);
        if (p.disabled) b.EnableZUWindow(0, 0);
        x += 68;
    }

    // Fields: editing with its caret, disabled, a label; a number field editing.
    auto& editing = add<ZUText>({20, 330, 200, 24}, "ab");
    editing.editing = true;
    editing.caret = 1;
    add<ZUText>({240, 330, 200, 24}, "ab").EnableZUWindow(0, 0);
    add<ZUStatic>({460, 330, 120, 24}, "Label");
    auto& numberEditing = add<ZUNumber>({600, 330, 180, 24});
    numberEditing.editing = true;
    numberEditing.editValue = 5;
    numberEditing.caret = 1;

    // Keyword combos: the range braces, a keyword in the wrong case (nothing), an arrow;
    // a stepping combo of one item (no arrow boxes). Numbers not scrollable (a solid
    // underline), disabled, hidden.
    for (int sel = 0; sel < 3; ++sel) {
        auto& mode = add<ZUComboButton>({20 + 90 * sel, 290, 80, 24});
        mode.SetZUComboType(2);
        for (const char* k : {"XP_RANGE", "xp_range", "XP_PLAYSTRAIGHT"})
            mode.InsertZUItem(-1, cs(k), 0);
        mode.SetZUCurSel(sel, false);
    }
    auto& step = add<ZUComboButton>({290, 290, 120, 24});
    step.SetZUComboType(1);
    step.InsertZUItem(-1, cs("one"), 0);
    for (int i = 0; i < 3; ++i) {
        auto& n = add<ZUNumber>({420 + 120 * i, 290, 110, 24});
        n.SetZUNumberRange(0, 99999, false);
        n.PutZUNumberPos(11111, false);
        n.SetZUScrollable(i != 0);
        if (i == 1) n.EnableZUWindow(0, 0);
        if (i == 2) n.ShowZUWindow(0, 0);
    }

    // Sliders: no highlight for an empty or whole sub-range, disabled, an empty range, a
    // position left outside by a new range (drawn as the maximum), hidden; a disabled scroll.
    struct Bar {
        int min, max, pos, subStart, subEnd, disabled, hidden;
    };
    const Bar bars[] = {
        {0, 100, 25, 0, 0, 0, 0}, {0, 100, 25, 0, 100, 0, 0}, {0, 100, 25, 50, 75, 1, 0},
        {5, 5, 5, 0, 0, 0, 0},    {0, 2, 25, 0, 0, 0, 0},     {0, 100, 25, 50, 75, 0, 1},
    };
    for (int i = 0; i < 6; ++i) {
        const Bar& b = bars[i];
        auto& s = add<ZUSlider>({20 + 190 * (i % 3), i < 3 ? 250 : 220, 180, 20});
        s.SetZUSliderRange(0, 100, false);
        s.PutZUSliderPos(b.pos, false);
        s.SetZUSliderRange(b.min, b.max, false);
        s.SetZUSliderSubRange(b.subStart, b.subEnd, false);
        if (b.disabled) s.EnableZUWindow(0, 0);
        if (b.hidden) s.ShowZUWindow(0, 0);
    }
    add<ZUScroll>({600, 220, 190, 40}).EnableZUWindow(0, 0);

    // A list with its middle row highlighted; pickers at full and half brightness with
    // their marks; a wheel with a handle straight up from the centre (its line drawn).
    auto& list = add<ZUHotTextList>({20, 110, 120, 90});
    for (const char* k : {"a", "b", "c"}) list.InsertZUItem(-1, cs(k), 0);
    list.SetZUCurSel(1, false);
    for (int i = 0; i < 2; ++i) {
        auto& picker = add<ZUColorPicker>({160 + 150 * i, 100, 138, 100});
        picker.markX = 210 + 150 * i, picker.markY = 180;
        picker.brightness = i ? 0.5f : 1;
    }
    auto& wheel = add<ZUColorWheel>({460, 10, 140, 140});
    wheel.SetColorWheelType(1);
    wheel.handles[0] = {500, 80};
    wheel.handles[1] = {530, 120};

    // The host's drawing keeps its place in tree order: a button, the host's node over part
    // of it, a button over part of the host's quad; a host class drawing over its own
    // plate, a hot text over part of that.
    add<ZUButton>({620, 40, 60, 30});
    ZuRECT all{0, 0, kW, kH};
    ZUWindowNode* node =
        ZUCreateWindow(cs("paint"), 0, 1, &all, nullptr, root.GetZUWndHandle(), paintNode);
    ASSERT_NE(node, nullptr);
    add<ZUButton>({660, 60, 60, 30});
    add<PaintedButton>({620, 160, 96, 32});
    add<ZUHotText>({670, 160, 60, 32});

    // Text drawn by the host: an overflowing text has no underline; both underline bits
    // draw the dotted row, and either centres a left-aligned text; the caret before its
    // character, past the end, in a left-aligned text, in an empty one.
    auto print = [](const char* text, ZuRECT r, int font, int flags, int caret = -1) {
        ZuFCOLOR white{1, 1, 1, 1};
        ZUPrintEditText(cs(text), &r, &white, font, flags, caret, nullptr);
    };
    const Capture page = drawn([&] {
        zu::detail::renderWalk(root.GetZUWndHandle());
        print("A rather long caption that overflows", {20, 560, 80, 20}, 2,
              ZU_TEXT_LEFT | ZU_TEXT_UNDERLINE);
        print("Underlined", {110, 555, 200, 30}, 0, ZU_TEXT_DOTTED | ZU_TEXT_UNDERLINE);
        print("Left", {320, 555, 120, 30}, 0, ZU_TEXT_LEFT | ZU_TEXT_DOTTED);
        const std::pair<int, int> carets[] = {{2, 0}, {40, 0}, {3, ZU_TEXT_LEFT}};
        for (int i = 0; i < 3; ++i)
            print("Caret", {450 + 85 * i, 555, 80, 24}, 0, carets[i].second, carets[i].first);
        print("", {705, 555, 80, 24}, 0, 0, 0);
    });
    expectReferenceImage(page, kReference);
    // The knob's smoothing and the mark's point size go back to GL's defaults.
    ASSERT_TRUE(ws::makeCurrent(gui().mainSurface));
    GLfloat size = 0;
    glGetFloatv(GL_POINT_SIZE, &size);
    EXPECT_EQ(std::pair(glIsEnabled(GL_POLYGON_SMOOTH), size),
              std::pair(GLboolean(GL_FALSE), 1.0f));
    ws::makeCurrent(nullptr);
    ZUDestroyWindow(node);
}

// The hover colour shows in the one pass after a move, then the tab's own again.
TEST_F(LookTest, TabHoverLastsOneRenderPass) {
    auto& mini = add<ZUMiniTabButton>({200, 200, 80, 24}, "Mini");
    mini.SetZUTabCheck(1);
    mini.hover = true;
    ZUSendMessage(mini.GetZUWndHandle(), ZUM_MOUSEMOVE, 210, 210, nullptr, nullptr);
    const Capture hovered = draw(), after = draw();
    int differ = 0;
    for (size_t i = 0; i < hovered.rgba.size(); ++i) differ += hovered.rgba[i] != after.rgba[i];
    EXPECT_GT(differ, 10);
    EXPECT_EQ(after.rgba, draw().rgba);
}

// A running GUI: a repaint request renders the tree at once.
class SliderRepaint : public DrawSuite<400, 160> {
  protected:
    Recorder root;
    ZUSlider slider;
    void SetUp() override {
        ZuRECT all{0, 0, kW, kH}, r{20, 20, 200, 30};
        ASSERT_EQ(root.CreateZUWindow(cs("root"), 2, 1, 0, &all, nullptr), 0);
        ASSERT_EQ(slider.CreateZUWindow(cs(""), 2, 1, 0, &r, &root), 0);
    }
};

TEST_F(SliderRepaint, SettersRepaintOnlyOnChangeAndNotDuringADrag) {
    struct Step {
        const char* what;
        void (*call)(ZUSlider&);
        int renders;
    };
    const Step steps[] = {
        {"range", [](ZUSlider& s) { s.SetZUSliderRange(0, 100, true); }, 1},
        {"refused range", [](ZUSlider& s) { s.SetZUSliderRange(9, 1, true); }, 0},
        {"position", [](ZUSlider& s) { s.PutZUSliderPos(5, true); }, 1},
        {"same position", [](ZUSlider& s) { s.PutZUSliderPos(5, true); }, 0},
        {"no repaint asked", [](ZUSlider& s) { s.PutZUSliderPos(6, false); }, 0},
        {"type", [](ZUSlider& s) { s.SetZUSliderType(1, true); }, 1},
        {"refused type", [](ZUSlider& s) { s.SetZUSliderType(5, true); }, 0},
        {"sub-range", [](ZUSlider& s) { s.SetZUSliderSubRange(1, 2, true); }, 1},
    };
    for (const Step& s : steps) {
        const int before = root.renders;
        s.call(slider);
        EXPECT_EQ(root.renders - before, s.renders) << s.what;
    }
    slider.dragging = 1;  // as a press leaves it, without the pointer grab
    const int before = root.renders;
    slider.PutZUSliderPos(50, true);
    slider.SetZUSliderRange(0, 200, true);
    EXPECT_EQ(std::pair(root.renders - before, slider.GetZUSliderPos()), std::pair(0, 50));
    slider.dragging = 0;
}

}  // namespace
