// What the widgets draw in the states the controls page does not show (pressed, disabled,
// hidden, checked, editing, highlighted rows, empty and odd ranges, a picker's planes, a
// wheel's handles, the host's own drawing between widgets, underline bits together, carets
// at the ends of a text), all on one page compared texel
// for texel with a reference image; and the GL state the drawing leaves behind.
// Every scheme entry the widgets read holds a colour of its own, so an entry read in the
// wrong place shows. ZUGUI_RECORD_REFERENCES=1 re-records the image.
// Then one of each widget in a running GUI, driven with XTest: the combo's popup, the text
// fields beside other clients (clipboard, primary selection, an owner that never answers,
// dead keys), and the screenshot kept. (What each widget tells its parent is the widget
// tests'; real input reaching a widget in a running GUI, the embedding tests'.)
#include <gtest/gtest.h>
// X headers after gtest: they define None.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/keysym.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/gui_fixture.h"
#include "text/text.h"
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
    Recorder root;                                // counts its render passes
    std::vector<std::unique_ptr<ZUWindow>> kids;  // after root: destroyed first

    void SetUp() override {
        ZuRECT all{0, 0, kW, kH};
        ASSERT_EQ(root.CreateZUWindow(cs("root"), 0, 1, 0, &all, nullptr), 0);
    }
    // The entries the widgets read, each a colour of its own from four levels a channel. Set
    // after a pass with the defaults, so that a colour kept from then would show.
    void colourScheme() {
        draw();
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
    colourScheme();
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
}

// The hover colour shows in the one pass after a move, then the tab's own again.
TEST_F(LookTest, TabHoverLastsOneRenderPass) {
    auto& mini = add<ZUMiniTabButton>({200, 200, 80, 24}, "Mini");
    mini.SetZUTabCheck(1);
    colourScheme();
    mini.hover = true;
    ZUSendMessage(mini.GetZUWndHandle(), ZUM_MOUSEMOVE, 210, 210, nullptr, nullptr);
    const Capture hovered = draw(), after = draw();
    int differ = 0;
    for (size_t i = 0; i < hovered.rgba.size(); ++i) differ += hovered.rgba[i] != after.rgba[i];
    EXPECT_GT(differ, 10);
    EXPECT_EQ(after.rgba, draw().rgba);
}

// A repaint request renders the tree at once.
TEST_F(LookTest, SliderSettersRepaintOnlyOnChangeAndNotDuringADrag) {
    auto& slider = add<ZUSlider>({20, 20, 200, 30});
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
}

constexpr int kLeft = 100, kTop = 50, kW = 520, kH = 300;

// A host page with one of each widget, recording what they tell it.
class Page : public Recorder {
  public:
    ZUButton push, latch;
    ZUCheckBox box;
    ZUPictureButton play, record;
    ZUTabButton tab1, tab2;
    ZUMiniTabButton mini;
    ZUStatic label;
    ZUText field;
    ZUNumber number;

    void build() {
        ZuRECT r{0, 0, kW, kH};
        ASSERT_EQ(CreateZUWindow(cs("page"), 0, 1, 0, &r, nullptr), 0);
        add(tab1, {10, 260, 120, 30}, "Controls");
        add(tab2, {134, 260, 120, 30}, "Video");
        add(mini, {270, 264, 80, 22}, "Guides");
        add(push, {10, 200, 96, 32}, "Push");
        add(latch, {112, 200, 96, 32}, "Latch");
        latch.ButtonZUType(1);
        add(box, {220, 208, 16, 16}, "");
        add(label, {240, 204, 120, 24}, "Check me");
        add(play, {10, 140, 48, 40}, "");
        play.ButtonZUPictureType(ZU_PICT_PLAY);
        play.SetZUBkType(1);
        add(record, {64, 140, 48, 40}, "");
        record.ButtonZUPictureType(ZU_PICT_DISC);
        record.ButtonZUType(3);
        add(field, {10, 80, 240, 26}, "name");
        add(number, {300, 80, 160, 26}, "");
        tab1.SetZUTabCheck(1);
    }
    template <class W>
    void add(W& w, ZuRECT r, const char* text) {
        ASSERT_EQ(w.CreateZUWindow(cs(text), 0, 1, 0, &r, this), 0);
    }
};

class WidgetsEndToEnd : public GuiFixture {
  protected:
    Page page;
    void SetUpGui() override {
        ASSERT_EQ(
            ZUInitGUI(kLeft, kTop, kW, kH, nullptr, cs("widgets"), cs("zugui.ico"), nullptr, 0), 0);
        page.build();
        ZUStartGUI();
        ASSERT_TRUE(pumpUntil([] { return ws::isVisible(gui().mainWindow); }));
        const Window main = reinterpret_cast<Window>(ZUGetHWND());
        XSetInputFocus(x.dpy, main, RevertToParent, CurrentTime);
        ASSERT_TRUE(pumpUntil([&] {
            Window focus = 0;
            int revert = 0;
            XGetInputFocus(x.dpy, &focus, &revert);
            return focus == main;
        }));
    }
    // Our input reaches the server, and the loop runs while the GUI answers it.
    void settle(int ms = 60) {
        x.sync();
        pumpFor(ms);
    }
    void key(KeySym sym) {
        x.tap(sym);
        settle();
    }
    Capture screen() {
        ZURePaint();
        pumpFor(30);
        return windowCapture(ZUGetHWND());
    }
};

TEST_F(WidgetsEndToEnd, ComboOpensThePopupBelowItselfAndAsksForTheReleasedRow) {
    ZUComboButton combo;
    ZuRECT r{300, 200, 120, 20};
    ASSERT_EQ(combo.CreateZUWindow(cs("combo"), 0, 1, 0, &r, &page), 0);
    for (const char* item : {"2vuy", "yuy2", "v219", "bgrA"}) combo.InsertZUItem(-1, cs(item), 0);
    void* popup = ws::nativeHandle(gui().comboWindow.load());
    ASSERT_NE(popup, nullptr);
    // The node's screen origin is its bottom-left corner (GUI y grows up): the popup's
    // first row starts just below the combo.
    const int sx = kLeft + 300, sy = kTop + kH - 200;
    for (int release : {2, -1}) {
        SCOPED_TRACE(release);
        page.heard.clear();
        x.moveTo(sx + 40, sy - 10);
        x.button(1, true);
        x.sync();
        ASSERT_TRUE(pumpUntil([&] { return viewable(popup); }));
        ws::Rect pr;
        ASSERT_TRUE(screenRect(popup, &pr));
        EXPECT_EQ(std::tuple(pr.left, pr.top, pr.height()), std::tuple(sx, sy, 80));
        // The highlight (colour 31, 0.1 grey) follows the pointer to row 1; row 0 is plain
        // (colour 30: 0.2, 0.2, 0.25).
        x.moveTo(sx + 100, sy + 30);
        settle(100);
        EXPECT_EQ(std::pair(windowRgb(popup, 110, 25), windowRgb(popup, 110, 5)),
                  std::pair(Rgb{26, 26, 26}, Rgb{51, 51, 64}));
        x.moveTo(sx + (release == 2 ? 100 : 200), sy + 50);  // 200: beside the popup
        settle();
        x.button(1, false);
        x.sync();
        ASSERT_TRUE(pumpUntil([&] { return !viewable(popup); }));
        pumpFor(60);
        EXPECT_EQ(page.count(ZUM_SELECT), release < 0 ? 0u : 1u);
        if (release >= 0 && !page.heard.empty()) {
            EXPECT_EQ(std::tuple(page.heard.back().a, page.heard.back().p), std::tuple(2, &combo));
        }
        // The selection is the parent's to change; the capture is given back.
        EXPECT_EQ(std::tuple(combo.GetZUCurSel(), gui().capture), std::tuple(0, nullptr));
        pumpFor(550);
    }
    // The page (its look is the looks tests'), for the documentation.
    EXPECT_TRUE(writePng(std::string(ZUGUI_BINARY_DIR) + "/widgets-1.png", screen()));
}

// The text fields beside other clients: xclip, a separate process, copies and pastes,
// and a client of the test's own plays an owner that never answers.
class FieldsEndToEnd : public WidgetsEndToEnd {
  protected:
    void TearDown() override {
        // Our test client takes both selections, so that no xclip lingers as their owner.
        Window w = XCreateSimpleWindow(x.dpy, DefaultRootWindow(x.dpy), 0, 0, 1, 1, 0, 0, 0);
        XSetSelectionOwner(x.dpy, XInternAtom(x.dpy, "CLIPBOARD", False), w, CurrentTime);
        XSetSelectionOwner(x.dpy, XA_PRIMARY, w, CurrentTime);
        XDestroyWindow(x.dpy, w);
        x.sync();
        ws::setSelectionChunkForTesting(0);
        GuiFixture::TearDown();
    }
    // Runs a shell command to its end while our loop answers the requests it makes;
    // its standard output, and its exit status in *status.
    std::string run(const std::string& command, int* status = nullptr) {
        std::string out;
        int rc = -1;
        std::atomic<bool> done{false};
        std::thread t([&] {
            if (FILE* f = popen(command.c_str(), "r")) {
                char buf[4096];
                size_t n;
                while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
                rc = pclose(f);
            }
            done = true;
        });
        // In slices: the command's end is no message that would wake the loop.
        for (int i = 0; i < 1000 && !done; ++i) pumpFor(20);
        t.join();
        if (status) *status = rc;
        return out;
    }
    // Makes xclip the owner of a selection with these bytes.
    void xclipIn(const std::string& bytes, const char* selection = "clipboard") {
        const std::string path = std::string(ZUGUI_BINARY_DIR) + "/clip.bin";
        std::ofstream(path, std::ios::binary) << bytes;
        run("xclip -i -selection " + std::string(selection) + " < " + path + " >/dev/null 2>&1");
        pumpFor(100);
    }
    std::string xclipOut(const char* args = "-selection clipboard") {
        return run(std::string("xclip -o ") + args + " 2>/dev/null");
    }
    void chord(KeySym modifier, KeySym key) {
        x.key(modifier, true);
        x.tap(key);
        x.key(modifier, false);
        settle();
    }
    void control(KeySym key) { chord(XK_Control_L, key); }
    // The field's whole text (the widget's getter stops at 254 characters), once it is
    // `want` or the wait is over: a loaded machine may take a while over the keys.
    std::string fieldTextOnce(const std::string& want) {
        char text[264] = {};
        pumpUntil([&] {
            ZUGetWindowText(page.field.GetZUWndHandle(), text, sizeof text);
            return text == want;
        });
        return text;
    }
    // A fresh edit of the field (past the double-click time of any earlier press).
    void edit() {
        pumpFor(550);
        if (page.field.editing) {
            key(XK_Return);
        }
        // A click at the field's centre (GUI y grows upwards).
        const ZuRECT& r = page.field.rect;
        x.moveTo(kLeft + r.x + r.width / 2, kTop + kH - 1 - r.y - r.height / 2);
        x.click(1);
        settle();
        ASSERT_TRUE(pumpUntil([&] { return page.field.editing; }));
    }
};

TEST_F(FieldsEndToEnd, CopyCutAndPasteGoThroughTheClipboardOfAnotherClient) {
    edit();
    control(XK_a);
    control(XK_c);
    // Answered after the edit ends too; a target it does not offer is refused.
    x.tap(XK_Return);
    x.sync();
    ASSERT_TRUE(pumpUntil([&] { return !page.field.editing; }));
    EXPECT_EQ(xclipOut(), "name");
    // Every target offered, each a line of its own (a substring test would let "STRING"
    // pass inside "UTF8_STRING").
    const std::string targets = "\n" + xclipOut("-selection clipboard -t TARGETS") + "\n";
    for (const char* t : {"TARGETS", "UTF8_STRING", "STRING", "TEXT"})
        EXPECT_NE(targets.find(std::string("\n") + t + "\n"), std::string::npos) << t << targets;
    int status = 0;
    EXPECT_EQ(run("xclip -o -selection clipboard -t image/png 2>/dev/null", &status), "");
    EXPECT_NE(status, 0);

    // Cut the last two characters; paste Latin-1 that came as UTF-8.
    edit();
    chord(XK_Shift_L, XK_Left);
    chord(XK_Shift_L, XK_Left);
    control(XK_x);
    EXPECT_EQ(fieldTextOnce("na"), "na");
    EXPECT_EQ(xclipOut(), "me");
    xclipIn("Caf\xC3\xA9 \xE2\x86\x92 1");
    control(XK_v);
    EXPECT_EQ(fieldTextOnce("naCaf\xE9  1"), "naCaf\xE9  1");
    // Copying with nothing selected takes the whole text, sent in small INCR chunks.
    ws::setSelectionChunkForTesting(3);
    control(XK_c);
    EXPECT_EQ(xclipOut(), "naCaf\xC3\xA9  1");
    EXPECT_EQ(xclipOut("-selection clipboard -t STRING"), "naCaf\xE9  1");

    // At the GUI's end the clipboard is given up: nobody answers any more.
    ZUStopGUI();
    ZUKillGUI();
    EXPECT_EQ(run("xclip -o -selection clipboard 2>/dev/null", &status), "");
    EXPECT_NE(status, 0);
}

TEST_F(FieldsEndToEnd, PastedTextKeepsToTheFieldsFiltersAndLimits) {
    struct Case {
        const char* name;
        std::string clip;
        int max;      // 0: the default
        bool digits;  // digits only
        std::string after;
    };
    const Case cases[] = {
        {"5 MB, in INCR chunks", std::string(5 << 20, 'y'), 0, false, std::string(255, 'y')},
        {"line feeds, tabs, NULs", std::string("a\nb\tc\0d\r", 8), 0, false, "abcd"},
        {"the length limit", "abcdefghijk", 8, false, "abcdefgh"},
        {"the character filter", "12:3a 4/", 0, true, "12:3 4/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        page.field.maxLength = c.max ? c.max : 255;
        page.field.SetZUTextInputType(true, c.digits, true);
        xclipIn(c.clip);
        edit();
        x.tap(XK_Delete);
        control(XK_v);
        EXPECT_EQ(fieldTextOnce(c.after), c.after);
    }
}

TEST_F(FieldsEndToEnd, AnOwnerThatNeverAnswersTimesOutAndTheGuiGoesOn) {
    // Our test client owns the clipboard but never reads its events.
    Window silent = XCreateSimpleWindow(x.dpy, DefaultRootWindow(x.dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(x.dpy, XInternAtom(x.dpy, "CLIPBOARD", False), silent, CurrentTime);
    x.sync();
    edit();
    const auto start = std::chrono::steady_clock::now();
    control(XK_v);
    key(XK_z);
    EXPECT_TRUE(pumpUntil([&] { return textOf(page.field) == "namez"; }));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(textOf(page.field), "namez");
    EXPECT_LT(seconds, 4.0);
    XDestroyWindow(x.dpy, silent);
    x.sync();
}

TEST_F(FieldsEndToEnd, MouseSelectionIsTheCurrentPrimaryAndAMiddleClickPastesIt) {
    page.field.SetWindowZUText(cs("ab cd"), 0);
    page.number.PutZUNumberType(1, 25000, 1000, false);
    page.number.SetZUNumberRange(0, 1000000, false);
    page.number.PutZUNumberPos(1525, false);  // 00:01:01:00
    struct Case {
        ZUWindow* widget;
        int flags;         // its text flags while editing
        int opening;       // presses in quick succession that open the editor
        const char* text;  // what it shows then
        int from, to;      // characters a drag selects
        const char* dragged;
        int word;  // a character whose word a further quick press selects
        const char* wordText;
        const char* pasted;
        std::string (*shown)(Page&);  // the editor's text
        const char* after;            // once `pasted` went in at the end
    } const cases[] = {
        {&page.field, 0, 1, "ab cd", 0, 5, "ab cd", 3, "cd", "XY",
         [](Page& p) { return textOf(p.field); }, "ab cdXY"},
        // The number field's double click opens its editor; a third quick press selects a word.
        {&page.number, ZU_TEXT_DOTTED, 2, "00:01:01:00", 3, 8, "01:01", 4, "01", "5",
         [](Page& p) { return std::string(p.number.editText); }, "00:01:01:005"},
    };
    for (const Case& c : cases) {
        ZUWindow& w = *c.widget;
        SCOPED_TRACE(c.dragged);
        const int y = kTop + kH - 1 - (w.rect.y + w.rect.height / 2);
        const auto at = [&](int index) {
            return kLeft + int(zu::detail::textBoundaryX(w.fontId, c.text, w.rect, c.flags, index));
        };
        // Quick presses go out at once, so that a slow render between them cannot part
        // them; the last is held.
        const auto presses = [&](int n, int index) {
            pumpFor(550);
            x.moveTo(at(index), y);
            for (int i = 1; i < n; ++i) x.click(1);
            x.button(1, true);
            x.sync();
            pumpFor(60 * n);
        };
        // The opening press held and dragged selects, and the selection is primary.
        presses(c.opening, c.from);
        x.moveTo(at(c.to), y);
        settle();
        x.button(1, false);
        settle();
        EXPECT_EQ(xclipOut("-selection primary"), c.dragged);
        // The highlight shows behind the text, in scheme colour 25.
        Capture shot = screen();
        const auto shade = [&](int gx) {
            const uint8_t* p = shot.at(gx, w.rect.y + w.rect.height - 4);  // above the glyphs
            return p[0] + p[1] + p[2];
        };
        EXPECT_GT(std::abs(shade((at(c.from) + at(c.to)) / 2 - kLeft) - shade(w.rect.x + 3)), 40);
        if (c.widget == &page.field) {
            EXPECT_TRUE(writePng(std::string(ZUGUI_BINARY_DIR) + "/fields-selection.png", shot));
        }

        // Primary follows the selection as Shift extends it, and stays after Enter.
        chord(XK_Shift_L, XK_Left);
        const std::string shorter(c.dragged, std::strlen(c.dragged) - 1);
        EXPECT_EQ(xclipOut("-selection primary"), shorter);
        key(XK_Return);
        EXPECT_EQ(xclipOut("-selection primary"), shorter);

        // A quick press after the opening ones selects the word under it.
        presses(c.opening + 1, c.word);
        x.button(1, false);
        x.sync();
        EXPECT_EQ(xclipOut("-selection primary"), c.wordText);
        // Cleared, it is no longer on offer.
        key(XK_Left);
        int status = 0;
        EXPECT_EQ(run("xclip -o -selection primary 2>/dev/null", &status), "");
        EXPECT_NE(status, 0);

        // Another client's primary selection goes in where the middle button is pressed.
        xclipIn(c.pasted, "primary");
        x.moveTo(at(int(std::strlen(c.text))) + 3, y);
        x.click(2);
        x.sync();
        pumpUntil([&] { return c.shown(page) == c.after; });
        EXPECT_EQ(c.shown(page), c.after);
        key(XK_Escape);
    }
}

// Presses a keysym of the current layout where it sits on a key's first two levels,
// with Shift for the second.
bool typeSym(TestDisplay& y, KeySym sym) {
    int min = 0, max = 0;
    XDisplayKeycodes(y.dpy, &min, &max);
    for (int code = min; code <= max; ++code)
        for (int level : {0, 1}) {
            if (XkbKeycodeToKeysym(y.dpy, KeyCode(code), 0, level) != sym) continue;
            const KeyCode shift = XKeysymToKeycode(y.dpy, XK_Shift_L);
            if (level) XTestFakeKeyEvent(y.dpy, shift, True, CurrentTime);
            XTestFakeKeyEvent(y.dpy, KeyCode(code), True, CurrentTime);
            XTestFakeKeyEvent(y.dpy, KeyCode(code), False, CurrentTime);
            if (level) XTestFakeKeyEvent(y.dpy, shift, False, CurrentTime);
            y.sync();
            return true;
        }
    return false;
}

TEST_F(FieldsEndToEnd, DeadKeysComposeLatin1Characters) {
    ASSERT_EQ(std::system("setxkbmap -layout us -variant intl"), 0);
    {
        TestDisplay y;  // a connection that reads the new layout
        // Keys, and what they type.
        const std::pair<std::vector<KeySym>, std::string> cases[] = {
            {{XK_dead_circumflex, XK_e}, "\xEA"},
            {{XK_dead_circumflex, XK_w}, ""},  // w with circumflex: beyond Latin-1
        };
        for (const auto& [keys, typed] : cases) {
            edit();
            x.tap(XK_Delete);
            x.sync();  // two connections: the Delete must reach the server first
            pumpFor(60);
            for (KeySym sym : keys) EXPECT_TRUE(typeSym(y, sym)) << XKeysymToString(sym);
            pumpUntil([&] { return !typed.empty() && textOf(page.field) == typed; }, 1000);
            EXPECT_EQ(textOf(page.field), typed) << typed;
        }
    }
    EXPECT_EQ(std::system("setxkbmap -layout us"), 0);
}

}  // namespace
