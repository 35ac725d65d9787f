// One of each widget in a running GUI, driven with XTest: the parent hears the expected
// notifications in order, a scheme change shows on screen, and the screenshot is kept.
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
#include <string>
#include <thread>

#include "gui/gui_state.h"
#include "support/gl_capture.h"
#include "support/gui_fixture.h"
#include "text/text.h"
#include "widget_host.h"

using namespace zu::test;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

constexpr int kLeft = 100, kTop = 50, kW = 520, kH = 300;

// A host page that decides as hosts do: it checks the box and selects the tab it is told.
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
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override {
        Recorder::ReceiveZUMessage(msg, a, b, p, q);
        if (msg == ZUM_CLICKED && p == &box) box.SetZUCheck(a);
        if (msg == ZUM_CLICKED && p == &latch) latch.SetZUCheck(!latch.GetZUCheck());
        if (msg == ZUM_CLICKED && (p == &tab1 || p == &tab2)) {
            tab1.SetZUTabCheck(p == &tab1);
            tab2.SetZUTabCheck(p == &tab2);
        }
        return 0;
    }
};

class WidgetsEndToEnd : public GuiFixture {
  protected:
    Page page;
    void SetUp() override {
        GuiFixture::SetUp();
        if (HasFatalFailure()) return;
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
    // The screen point of a GUI point (GUI y grows upwards).
    void clickAt(ZUWindow& w, int dx = -1, int dy = -1, unsigned button = 1) {
        const int gx = w.rect.x + (dx < 0 ? w.rect.width / 2 : dx);
        const int gy = w.rect.y + (dy < 0 ? w.rect.height / 2 : dy);
        x.moveTo(kLeft + gx, kTop + kH - 1 - gy);
        x.click(button);
        x.sync();
        pumpFor(60);
    }
    void type(const char* keys) {
        for (const char* k = keys; *k; ++k) x.tap(XStringToKeysym(std::string(1, *k).c_str()));
        x.sync();
        pumpFor(60);
    }
    Capture screen() {
        ZURePaint();
        pumpFor(30);
        return windowCapture(ZUGetHWND());
    }
};

TEST_F(WidgetsEndToEnd, ClicksTypingEnterAndEscapeReachTheParentInOrder) {
    clickAt(page.push);
    clickAt(page.latch);
    clickAt(page.box);
    clickAt(page.tab2);
    clickAt(page.play);
    clickAt(page.record);  // engaged: it keeps the pointer until clicked again
    EXPECT_EQ(gui().capture, page.record.GetZUWndHandle());
    clickAt(page.push);  // goes to the engaged record button, which stays engaged
    EXPECT_EQ(page.record.engaged, 1);
    pumpFor(550);
    clickAt(page.record);
    EXPECT_TRUE(pumpUntil([&] { return page.record.engaged == 0; }));
    // Edit the field: select, Delete, type, Enter.
    clickAt(page.field);
    EXPECT_TRUE(page.field.editing);
    x.tap(XK_Delete);
    type("clip");
    x.tap(XK_Return);
    x.sync();
    ASSERT_TRUE(pumpUntil([&] { return page.count(ZUM_TEXTENTERED) == 1; }));
    EXPECT_EQ(textOf(page.field), "clip");
    // A second edit cancelled with Escape leaves the text and says nothing. (Wait out the
    // double-click time: a quick second press arrives as a double click, which the field
    // does not take.)
    pumpFor(550);
    clickAt(page.field);
    type("zz");
    EXPECT_EQ(textOf(page.field), "clipzz");
    x.tap(XK_Escape);
    x.sync();
    ASSERT_TRUE(pumpUntil([&] { return !page.field.editing; }));
    EXPECT_EQ(textOf(page.field), "clip");
    EXPECT_EQ(gui().capture, nullptr);

    std::vector<std::pair<unsigned, void*>> got;
    for (auto& h : page.heard)
        if (h.msg == ZUM_CLICKED || h.msg == ZUM_TEXTENTERED) got.push_back({h.msg, h.p});
    const std::vector<std::pair<unsigned, void*>> want = {
        {ZUM_CLICKED, &page.push},   {ZUM_CLICKED, &page.latch},     {ZUM_CLICKED, &page.box},
        {ZUM_CLICKED, &page.tab2},   {ZUM_CLICKED, &page.play},      {ZUM_CLICKED, &page.record},
        {ZUM_CLICKED, &page.record}, {ZUM_TEXTENTERED, &page.field},
    };
    EXPECT_EQ(got, want);
    EXPECT_EQ(std::tuple(page.box.GetZUCheck(), page.latch.pressed, page.tab2.GetZUTabCheck(),
                         page.tab1.GetZUTabCheck()),
              std::tuple(1, 1, 1, 0));

    // The screen (its look is the looks tests'), for the documentation.
    Capture c = screen();
    const std::string out = std::string(ZUGUI_BINARY_DIR) + "/widgets-1.png";
    EXPECT_TRUE(writePng(out, c));

    // A scheme change shows at the next render pass: caption colour 21 turned pure red.
    ZuFCOLOR red{1, 0, 0, 1};
    ZUSetSchemeColor(21, &red);
    c = screen();
    int redInk = 0;
    for (int gy = 200; gy < 232; ++gy)
        for (int gx = 12; gx < 104; ++gx) {
            const uint8_t* p = c.at(gx, gy);
            redInk += p[0] > 150 && p[1] < 60;
        }
    EXPECT_GT(redInk, 10);
    zu::detail::fillSchemeDefaults();
}

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
        x.sync();
        pumpFor(100);
        EXPECT_EQ(std::pair(windowRgb(popup, 110, 25), windowRgb(popup, 110, 5)),
                  std::pair(Rgb{26, 26, 26}, Rgb{51, 51, 64}));
        x.moveTo(sx + (release == 2 ? 100 : 200), sy + 50);  // 200: beside the popup
        x.sync();
        pumpFor(60);
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
        x.sync();
        pumpFor(60);
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
            x.tap(XK_Return);
            x.sync();
            pumpFor(60);
        }
        clickAt(page.field);
        ASSERT_TRUE(pumpUntil([&] { return page.field.editing; }));
    }
};

TEST_F(FieldsEndToEnd, CopyCutAndPasteGoThroughTheClipboardOfAnotherClient) {
    edit();
    control(XK_a);
    control(XK_c);
    // Answered after the edit ends too, as UTF8_STRING and STRING; others are refused.
    x.tap(XK_Return);
    x.sync();
    ASSERT_TRUE(pumpUntil([&] { return !page.field.editing; }));
    EXPECT_EQ(xclipOut(), "name");
    EXPECT_EQ(xclipOut("-selection clipboard -t STRING"), "name");
    const std::string targets = xclipOut("-selection clipboard -t TARGETS");
    EXPECT_NE(targets.find("UTF8_STRING"), std::string::npos) << targets;
    EXPECT_NE(targets.find("STRING"), std::string::npos) << targets;
    int status = 0;
    EXPECT_EQ(run("xclip -o -selection clipboard -t image/png 2>/dev/null", &status), "");
    EXPECT_NE(status, 0);
    EXPECT_EQ(xclipOut("-selection primary"), "name");  // selecting all made it primary

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
        {"invalid UTF-8",
         "a\xFF\xC0\xAF"
         "b\xE2\x82",
         0, false, "ab"},
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
    type("z");
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
        x.sync();
        pumpFor(60);
        x.button(1, false);
        x.sync();
        pumpFor(60);
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
        x.tap(XK_Return);
        x.sync();
        pumpFor(60);
        EXPECT_EQ(xclipOut("-selection primary"), shorter);

        // A quick press after the opening ones selects the word under it.
        presses(c.opening + 1, c.word);
        x.button(1, false);
        x.sync();
        EXPECT_EQ(xclipOut("-selection primary"), c.wordText);
        // Cleared, it is no longer on offer.
        x.tap(XK_Left);
        x.sync();
        pumpFor(60);
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
        x.tap(XK_Escape);
        x.sync();
        pumpFor(60);
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
        struct Case {
            std::vector<KeySym> keys;
            std::string typed;
        } const cases[] = {
            {{XK_dead_circumflex, XK_e}, "\xEA"},
            {{XK_dead_circumflex, XK_w}, ""},  // w with circumflex: beyond Latin-1
        };
        for (const Case& c : cases) {
            edit();
            x.tap(XK_Delete);
            x.sync();  // two connections: the Delete must reach the server first
            pumpFor(60);
            for (KeySym sym : c.keys) EXPECT_TRUE(typeSym(y, sym)) << XKeysymToString(sym);
            pumpUntil([&] { return !c.typed.empty() && textOf(page.field) == c.typed; }, 1000);
            EXPECT_EQ(textOf(page.field), c.typed) << c.typed;
        }
    }
    EXPECT_EQ(std::system("setxkbmap -layout us"), 0);
}

}  // namespace
