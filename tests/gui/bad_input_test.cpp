// Every public function fed what a careless host hands over: null handles and pointers,
// negative and huge sizes, texts of 0, 263, 264 and 10 000 characters. Each call must give
// its documented code, and outputs must stay within the bytes they were allowed.
#include <gtest/gtest.h>
// X headers after gtest: they define None.
#include <GL/gl.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gui/gui_state.h"
#include "support/winsys_support.h"
#include "zugui/zugui.h"

using namespace zu::test;

namespace {

const bool singleThreadedMesa = setenv("LP_NUM_THREADS", "0", 0) == 0;

char* cs(const char* s) {
    return const_cast<char*>(s);
}

struct Row {
    const char* call;
    std::function<long()> run;
    long expect;
};

void expectRows(const std::vector<Row>& rows) {
    for (const Row& r : rows) EXPECT_EQ(r.run(), r.expect) << r.call;
}

// A buffer with guard bytes after the part a call may write.
struct Guarded {
    std::vector<char> bytes;
    size_t allowed;
    explicit Guarded(size_t allowedBytes)
        : bytes(allowedBytes + 64, '\x5A'), allowed(allowedBytes) {}
    char* data() { return bytes.data(); }
    bool guardsIntact() const {
        for (size_t i = allowed; i < bytes.size(); ++i)
            if (bytes[i] != '\x5A') return false;
        return true;
    }
};

const size_t kLengths[] = {0, 263, 264, 10000};

std::string textOf(size_t n) {
    std::string s(n, 'x');
    for (size_t i = 0; i < n; i += 10) s[i] = char('0' + (i / 10) % 10);
    return s;
}

int quiet(void*, unsigned, int, int, void*, void*) {
    return 0;
}

// ---- Without a GUI --------------------------------------------------------------------

TEST(BadInput, NodeCallsAnswerNullNodesAndPointers) {
    ZuRECT r{0, 0, 10, 10};
    ZuPOINT p{};
    ZuFCOLOR c{};
    char buf[264];
    ZUWindowNode* root = ZUCreateWindow(cs("root"), 0, 1, &r, nullptr, nullptr, quiet);
    ASSERT_NE(root, nullptr);
    expectRows({
        {"ZUCreateWindow, second root",
         [&] {
             return long(ZUCreateWindow(cs("x"), 0, 1, &r, nullptr, nullptr, quiet) != nullptr);
         },
         0},
        {"ZUCreateWindow, null text/rect/callback",
         [&] {
             ZUWindowNode* n = ZUCreateWindow(nullptr, 0, 1, nullptr, nullptr, root, nullptr);
             long ok = n && n->text[0] == 0 && n->rect.width == 0;
             ZUSendMessage(n, ZUM_CLICKED, 0, 0, nullptr, nullptr);  // no callback to call
             return ok + ZUDestroyWindow(n);
         },
         2},
        {"ZUDestroyWindow(null)", [] { return long(ZUDestroyWindow(nullptr)); }, 0},
        {"ZUMoveWindow(null)", [&] { return long(ZUMoveWindow(nullptr, &r, 1)); }, 0},
        {"ZUResizeWindow(null, r)", [&] { return long(ZUResizeWindow(nullptr, &r, 0)); }, 0},
        {"ZUResizeWindow(n, null)", [&] { return long(ZUResizeWindow(root, nullptr, 0)); }, 0},
        {"ZUShowWindow(null)", [] { return long(ZUShowWindow(nullptr, 1, 0)); }, 0},
        {"ZUDisableWindow(null)", [] { return long(ZUDisableWindow(nullptr, 1, 0)); }, 0},
        {"ZUEnableWndLDblClk(null)", [] { return long(ZUEnableWndLDblClk(nullptr, 1)); }, 0},
        {"ZUEnableWndMouseRollover(null)",
         [] { return long(ZUEnableWndMouseRollover(nullptr, 1)); }, 0},
        {"ZUGetRect(null, r)", [&] { return long(ZUGetRect(nullptr, &r)); }, 0},
        {"ZUGetRect(n, null)", [&] { return long(ZUGetRect(root, nullptr)); }, 0},
        {"ZUGetWndScreenOrigin(null, p)", [&] { return long(ZUGetWndScreenOrigin(nullptr, &p)); },
         0},
        {"ZUGetWndScreenOrigin(n, null)", [&] { return long(ZUGetWndScreenOrigin(root, nullptr)); },
         0},
        {"ZUSetWindowText(null)", [] { return long(ZUSetWindowText(nullptr, cs("a"), 0)); }, -2},
        {"ZUSetWindowText(n, null) empties",
         [&] { return ZUSetWindowText(root, nullptr, 0) + long(root->text[0]); }, 0},
        {"ZUGetWindowText(null)", [&] { return long(ZUGetWindowText(nullptr, buf, 264)); }, -2},
        {"ZUGetWindowText(n, null)", [&] { return long(ZUGetWindowText(root, nullptr, 264)); }, 0},
        {"ZUIsVisible(null)", [] { return long(ZUIsVisible(nullptr)); }, 0},
        {"ZUIsEnabled(null)", [] { return long(ZUIsEnabled(nullptr)); }, 1},
        {"ZUIsDisabled(null)", [] { return long(ZUIsDisabled(nullptr)); }, 1},
        {"ZUSendMessage(null)",
         [] { return long(ZUSendMessage(nullptr, ZUM_CLICKED, 0, 0, nullptr, nullptr)); }, 0},
        {"ZUPostMessage(null)",
         [] { return long(ZUPostMessage(nullptr, ZUM_CLICKED, 0, 0, nullptr, nullptr)); }, 0},
        {"ZUPostMessage, no main window",
         [&] { return long(ZUPostMessage(root, ZUM_CLICKED, 0, 0, nullptr, nullptr)); }, -2},
        {"ZURegisterHotKey, no GUI", [&] { return long(ZURegisterHotKey(root, 32, 1)); }, 0},
        {"ZUUnRegisterHotKey, no GUI", [&] { return long(ZUUnRegisterHotKey(root, 32)); }, 0},
        {"ZUCaptureMouse(null) takes nothing",
         [] { return ZUCaptureMouse(nullptr) + long(zu::detail::gui().capture != nullptr); }, 0},
        {"ZUReleaseMouse, none held", [] { return long(ZUReleaseMouse()); }, 0},
        {"ZUSetSchemeColor(-1)", [&] { return long(ZUSetSchemeColor(-1, &c)); }, -2},
        {"ZUSetSchemeColor(256)", [&] { return long(ZUSetSchemeColor(256, &c)); }, -2},
        {"ZUSetSchemeColor(INT_MIN)", [&] { return long(ZUSetSchemeColor(INT_MIN, &c)); }, -2},
        {"ZUSetSchemeColor(0, null)", [] { return long(ZUSetSchemeColor(0, nullptr)); }, -2},
        {"ZUGetSchemeColor(256)", [&] { return long(ZUGetSchemeColor(256, &c)); }, -2},
        {"ZUGetSchemeColor(0, null)", [] { return long(ZUGetSchemeColor(0, nullptr)); }, -2},
    });
    // A destroyed node is no parent.
    ZUWindowNode* child = ZUCreateWindow(cs("c"), 0, 1, &r, nullptr, root, quiet);
    ZUDestroyWindow(child);
    EXPECT_EQ(ZUCreateWindow(cs("x"), 0, 1, &r, nullptr, child, quiet), nullptr);
    ZUDestroyWindow(root);
}

TEST(BadInput, LifecycleVideoAndPopupCallsWithoutAGui) {
    ZuRECT r{0, 0, 64, 64};
    ZUVideoFrame f{};
    expectRows({
        {"ZUStopGUI", [] { return long(ZUStopGUI()); }, 0},
        {"ZUKillGUI", [] { return long(ZUKillGUI()); }, 0},
        {"ZUStartMoveGUI", [] { return long(ZUStartMoveGUI()); }, 0},
        {"ZUMoveGUI", [] { return long(ZUMoveGUI()); }, 0},
        {"ZUStopMoveGUI", [] { return long(ZUStopMoveGUI()); }, 0},
        {"ZUMinimizeGUI", [] { return long(ZUMinimizeGUI()); }, 0},
        {"ZUMaximizeGUI(r)", [&] { return long(ZUMaximizeGUI(&r, 1)); }, 0},
        {"ZUMaximizeGUI(null)", [] { return long(ZUMaximizeGUI(nullptr, 0)); }, 0},
        {"ZUGetDC", [] { return long(ZUGetDC() != nullptr); }, 0},
        {"ZUGetHWND", [] { return long(ZUGetHWND() != nullptr); }, 0},
        {"ZUShowCombo", [] { return long(ZUShowCombo(0, 0, 10, 10, 1, nullptr)); }, -2},
        {"ZUHideCombo", [] { return long(ZUHideCombo()); }, -1},
        {"ZUKillCombo", [] { return long(ZUKillCombo()); }, 0},
        {"ZUShowMB", [] { return long(ZUShowMB(cs("t"), cs("m"))); }, -2},
        {"ZUHideMB", [] { return long(ZUHideMB()); }, 1},
        {"ZUKillMB", [] { return long(ZUKillMB()); }, 0},
        {"ZUBuildFonts(-1)", [] { return long(ZUBuildFonts(-1)); }, 0},
        {"ZUBuildFonts(3)", [] { return long(ZUBuildFonts(3)); }, 0},
        {"ZUKillFonts(INT_MAX)", [] { return long(ZUKillFonts(INT_MAX)); }, 0},
        {"ZUCreateVideoWindow, no GUI",
         [&] { return long(ZUCreateVideoWindow(nullptr, cs("v"), &r, 0) != nullptr); }, 0},
        {"ZUResetVideoWindow(null)", [&] { return long(ZUResetVideoWindow(nullptr, &r)); }, 0},
        {"ZUResizeVideoWindow(null)", [&] { return long(ZUResizeVideoWindow(nullptr, &r)); }, 0},
        {"ZUShowVideoWindow(null)", [] { return long(ZUShowVideoWindow(nullptr, 1)); }, 0},
        {"ZUIsVideoWindowVisible(null)", [] { return long(ZUIsVideoWindowVisible(nullptr)); }, 0},
        {"ZUDestroyVideoWindow(null)", [] { return long(ZUDestroyVideoWindow(nullptr)); }, 0},
        {"ZUGetVideoWindowHWND(null)",
         [] { return long(ZUGetVideoWindowHWND(nullptr) != nullptr); }, 0},
        {"ZUGetVideoWindowDC(null)", [] { return long(ZUGetVideoWindowDC(nullptr) != nullptr); },
         0},
        {"ZUReleaseVideoWindowDC(null)",
         [] { return long(ZUReleaseVideoWindowDC(nullptr, nullptr)); }, 0},
        {"ZURegDropFilesVideoWindow(null)", [] { return long(ZURegDropFilesVideoWindow(nullptr)); },
         0},
        {"ZUUnRegDropFilesVideoWindow(null)",
         [] { return long(ZUUnRegDropFilesVideoWindow(nullptr)); }, 0},
        {"ZUVCaptureMouse(null)", [] { return long(ZUVCaptureMouse(nullptr)); }, 0},
        {"ZUVReleaseMouse", [] { return long(ZUVReleaseMouse()); }, 0},
        {"ZUStartDisplayVideoFrame(null)",
         [] { return long(ZUStartDisplayVideoFrame(nullptr, 64, 64, 1, nullptr)); }, 0},
        {"ZUDisplayVideoFrame(null)",
         [&] { return long(ZUDisplayVideoFrame(nullptr, &f, nullptr)); }, -2},
        {"ZUStopDisplayVideoFrame(null)", [] { return long(ZUStopDisplayVideoFrame(nullptr)); }, 0},
    });
    // These return nothing; they must come back at once and not crash.
    ZURenderGUI();
    ZURenderComboGUI();
    ZURenderMBGUI();
    ZUSwapBuffers();
    ZURePaint();
}

TEST(BadInput, NodeTextsOfEveryLengthAreCutAt263) {
    ZuRECT r{0, 0, 10, 10};
    ZUWindowNode* root = ZUCreateWindow(cs(""), 0, 1, &r, nullptr, nullptr, quiet);
    ASSERT_NE(root, nullptr);
    for (size_t len : kLengths) {
        const std::string text = textOf(len), kept = text.substr(0, 263);
        ZUWindowNode* n = ZUCreateWindow(cs(text.c_str()), 0, 1, &r, nullptr, root, quiet);
        ASSERT_NE(n, nullptr) << len;
        EXPECT_EQ(std::string(n->text), kept) << len;
        ZUSetWindowText(n, cs(""), 0);
        ASSERT_EQ(ZUSetWindowText(n, cs(text.c_str()), 0), 0);
        EXPECT_EQ(std::string(n->text), kept) << len;
        // Sizes: positive ones bound the copy, the rest trust the caller with 264 bytes.
        const struct {
            int size;
            size_t allowed;
        } sizes[] = {{1, 1},         {2, 2},   {100, 100}, {264, 264},    {10000, 264},
                     {INT_MAX, 264}, {0, 264}, {-1, 264},  {INT_MIN, 264}};
        for (auto s : sizes) {
            Guarded out(s.allowed);
            ASSERT_EQ(ZUGetWindowText(n, out.data(), s.size), 0);
            EXPECT_TRUE(out.guardsIntact()) << len << " size " << s.size;
            EXPECT_EQ(std::string(out.data()), kept.substr(0, s.allowed - 1))
                << len << " size " << s.size;
        }
    }
    ZUDestroyWindow(root);
}

// ---- Widgets --------------------------------------------------------------------------

TEST(BadInput, WidgetsWithoutANodeAndWithBadArguments) {
    ZuRECT r{0, 0, 100, 20};
    char buf[512];
    ZUWindow loose;  // never created
    expectRows({
        {"ResizeZUWindow", [&] { return long(loose.ResizeZUWindow(&r, 0)); }, 0},
        {"ShowZUWindow", [&] { return long(loose.ShowZUWindow(1, 0)); }, 0},
        {"EnableZUWindow", [&] { return long(loose.EnableZUWindow(1, 0)); }, 0},
        {"IsVisible", [&] { return long(loose.IsVisible()); }, 0},
        {"IsEnabled", [&] { return long(loose.IsEnabled()); }, 0},
        {"GetZURect", [&] { return long(loose.GetZURect(&r)); }, -2},
        {"SetWindowZUText", [&] { return long(loose.SetWindowZUText(cs("a"), 0)); }, 0},
        {"SetWindowZUText(null)", [&] { return long(loose.SetWindowZUText(nullptr, 0)); }, -2},
        {"GetWindowZUText", [&] { return long(loose.GetWindowZUText(buf, 256)); }, -2},
        {"GetWindowZUText(null)", [&] { return long(loose.GetWindowZUText(nullptr, 256)); }, -2},
        {"SendZUMessage(null target)",
         [&] { return long(loose.SendZUMessage(nullptr, ZUM_CLICKED, 0, 0, nullptr, nullptr)); },
         0},
        {"DestroyZUWindow", [&] { return long(loose.DestroyZUWindow()); }, 0},
        {"SetZUFocus", [&] { return long(loose.SetZUFocus()); }, -2},
    });

    ZUWindow host;
    ASSERT_EQ(host.CreateZUWindow(cs("host"), 0, 1, 0, &r, nullptr), 0);
    EXPECT_EQ(host.CreateZUWindow(cs("again"), 0, 1, 0, &r, nullptr), -2);
    ZUWindow orphan;
    EXPECT_EQ(orphan.CreateZUWindow(cs("no parent"), 0, 1, 0, &r, nullptr), -2);  // a root exists
    ZUButton b;
    ASSERT_EQ(b.CreateZUWindow(nullptr, 0, 1, 0, nullptr, &host), 0);
    ZUScroll scroll;
    EXPECT_EQ(scroll.CreateZUWindow(cs("s"), 0, 1, 0, nullptr, &host), -2);

    ZUComboButton combo;
    ZUHotTextList list;
    ASSERT_EQ(combo.CreateZUWindow(cs("c"), 0, 1, 0, &r, &host), 0);
    ASSERT_EQ(list.CreateZUWindow(cs("l"), 0, 1, 0, &r, &host), 0);
    for (size_t len : kLengths) {
        const std::string text = textOf(len);
        EXPECT_EQ(combo.InsertZUItem(-1, cs(text.c_str()), false), 0) << len;
        EXPECT_EQ(list.InsertZUItem(-1, cs(text.c_str()), false), 0) << len;
    }
    EXPECT_EQ(combo.InsertZUItem(-1, nullptr, false), 1);
    EXPECT_EQ(combo.InsertZUItem(-2, cs("a"), false), 1);
    EXPECT_EQ(combo.InsertZUItem(INT_MAX, cs("a"), false), 1);
    // An item text is given only to a buffer that takes all of it. The size is compared
    // unsigned, as the lists always have: a negative size bounds nothing, so those calls
    // get a buffer of the whole text.
    for (ZUWindow* w : {static_cast<ZUWindow*>(&combo), static_cast<ZUWindow*>(&list)}) {
        auto get = [&](int index, char* out, int size) {
            return w == &combo ? combo.GetZUItemText(index, out, size)
                               : list.GetZUItemText(index, out, size);
        };
        for (int i = 0; i < 4; ++i) {
            const size_t len = kLengths[i];
            for (int size : {-1, INT_MIN, 0, int(len) - 1, int(len)}) {
                if (size == int(len) - 1 && len == 0) continue;
                Guarded out(size < 0 ? len + 1 : size_t(size) + 1);
                const int want = size < 0 || size >= int(len) ? 0 : 1;
                EXPECT_EQ(get(i, out.data(), size), want) << "item " << len << " size " << size;
                EXPECT_TRUE(out.guardsIntact()) << "item " << len << " size " << size;
            }
        }
        EXPECT_EQ(get(-1, buf, 100), 1);
        EXPECT_EQ(get(4, buf, 100), 1);
        EXPECT_EQ(get(0, nullptr, 100), 1);
    }
    expectRows({
        {"combo SetZUCurSel(-1)", [&] { return long(combo.SetZUCurSel(-1, false)); }, -1},
        {"combo SetZUCurSel(4)", [&] { return long(combo.SetZUCurSel(4, false)); }, -1},
        {"combo SetZUCurSel(INT_MIN)", [&] { return long(combo.SetZUCurSel(INT_MIN, false)); }, -1},
        {"combo keeps its selection", [&] { return long(combo.GetZUCurSel()); }, 0},
        {"list SetZUCurSel(-2)", [&] { return long(list.SetZUCurSel(-2, false)); }, -1},
        {"list SetZUCurSel(INT_MAX)", [&] { return long(list.SetZUCurSel(INT_MAX, false)); }, -1},
        {"combo SetZUComboType(7) ignored",
         [&] {
             combo.SetZUComboType(7);
             combo.SetZUComboType(-1);
             return long(combo.comboType);
         },
         0},
    });

    ZUText text;
    ASSERT_EQ(text.CreateZUWindow(cs("t"), 0, 1, 0, &r, &host), 0);
    for (int bad : {0, 255, -1, INT_MAX}) {
        text.SetZUTextInputMax(bad);
        EXPECT_EQ(text.maxLength, 255) << bad;
    }
    for (size_t len : kLengths) {
        const std::string t = textOf(len);
        ASSERT_EQ(text.SetWindowZUText(cs(t.c_str()), 0), 0);
        Guarded out(256);
        ASSERT_EQ(text.GetWindowZUText(out.data(), 256), 0);
        EXPECT_TRUE(out.guardsIntact()) << len;
        EXPECT_EQ(std::string(out.data()), t.substr(0, 254)) << len;
    }
    // Typing past the limit stops at it; a text set longer is kept, and typing adds nothing.
    for (const std::string& start : {std::string(), textOf(10000)}) {
        text.SetWindowZUText(cs(start.c_str()), 0);
        text.ReceiveZUMessage(ZUM_LBUTTONDOWN, 1, 1, nullptr, nullptr);
        for (int i = 0; i < 300; ++i) text.ReceiveZUMessage(ZUM_KEY, 'a', 0, nullptr, nullptr);
        text.ReceiveZUMessage(ZUM_KEY, -1, 0x0D, nullptr, nullptr);  // Enter
        EXPECT_FALSE(text.editing);
        EXPECT_EQ(std::strlen(text.node->text), start.empty() ? 255u : 263u);
    }

    ZUNumber number;
    ASSERT_EQ(number.CreateZUWindow(cs("n"), 0, 1, 0, &r, &host), 0);
    number.SetZUNumberRange(0, 100, false);
    expectRows({
        {"SetZUNumberRange(5, 1) ignored",
         [&] {
             number.SetZUNumberRange(5, 1, false);
             return long(number.rangeMax);
         },
         100},
        {"PutZUNumberPos(101) ignored",
         [&] {
             number.PutZUNumberPos(101, false);
             return long(number.GetZUNumberPos());
         },
         0},
        {"PutZUNumberPos(INT_MIN) ignored",
         [&] {
             number.PutZUNumberPos(INT_MIN, false);
             return long(number.GetZUNumberPos());
         },
         0},
        {"PutZUNumberType(3) ignored",
         [&] {
             number.PutZUNumberType(3, 25000, 1000, false);
             return long(number.GetZUNumberType());
         },
         0},
        {"PutZUNumberType(-1) ignored",
         [&] {
             number.PutZUNumberType(-1, 25000, 1000, false);
             return long(number.GetZUNumberType());
         },
         0},
        {"GetZUNumberTC(null)", [&] { return long(number.GetZUNumberTC(nullptr)); }, -1},
        {"PutZUNumberTC(null) ignored",
         [&] {
             number.PutZUNumberTC(nullptr, false);
             return long(std::strcmp(number.timecode, "00:00:00:00"));
         },
         0},
    });
    for (size_t len : kLengths) {
        const std::string t = textOf(len);
        number.PutZUNumberTC(cs(t.c_str()), false);
        EXPECT_EQ(std::string(number.timecode), t.substr(0, 12)) << len;
        Guarded out(13);
        std::strcpy(out.data(), "00:00:00:00");  // the caller's pledge of 13 bytes
        EXPECT_EQ(number.GetZUNumberTC(out.data()), 0) << len;
        EXPECT_EQ(std::string(out.data()), t.substr(0, 12)) << len;
        EXPECT_TRUE(out.guardsIntact()) << len;
    }
    // A zero rate and a full range must not divide by zero or overflow on display.
    number.PutZUNumberType(1, 0, 0, true);
    number.SetZUNumberRange(INT_MIN, INT_MAX, false);
    number.PutZUNumberPos(INT_MIN, false);
    number.PutZUNumberType(1, INT_MAX, 1, true);
    number.PutZUNumberPos(INT_MAX, false);

    ZUSlider slider;
    ASSERT_EQ(slider.CreateZUWindow(cs("s"), 0, 1, 0, &r, &host), 0);
    slider.SetZUSliderRange(0, 10, false);
    expectRows({
        {"SetZUSliderType(2) ignored",
         [&] {
             slider.SetZUSliderType(2, false);
             return long(slider.GetZUSliderType());
         },
         0},
        {"SetZUSliderRange(9, 1) ignored",
         [&] {
             slider.SetZUSliderRange(9, 1, false);
             return long(slider.maximum);
         },
         10},
        {"PutZUSliderPos(11) ignored",
         [&] {
             slider.PutZUSliderPos(11, false);
             return long(slider.GetZUSliderPos());
         },
         0},
        {"PutZUSliderPos(-1) ignored",
         [&] {
             slider.PutZUSliderPos(-1, false);
             return long(slider.GetZUSliderPos());
         },
         0},
    });
    slider.SetZUSliderSubRange(9, 2, false);  // backwards: drawn without trouble or refused
    slider.SetZUSliderRange(INT_MIN, INT_MAX, false);
    slider.PutZUSliderPos(INT_MAX, false);

    ZUColorPicker picker;
    ZUColorWheel wheel;
    ASSERT_EQ(picker.CreateZUWindow(cs("p"), 0, 1, 0, &r, &host), 0);
    ASSERT_EQ(wheel.CreateZUWindow(cs("w"), 0, 1, 0, &r, &host), 0);
    float red = -1;
    expectRows({
        {"SetZUColorPicker(null)",
         [&] {
             picker.SetZUColorPicker(nullptr);
             return 0L;
         },
         0},
        {"GetZUColorPicker(null)",
         [&] {
             picker.GetZUColorPicker(nullptr);
             return 0L;
         },
         0},
        {"SetColorWheelType(9) gives 0",
         [&] {
             wheel.SetColorWheelType(9);
             return long(wheel.wheelType);
         },
         0},
        {"GetColorWheelColor(-1) reads (0, 0)",
         [&] {
             wheel.GetColorWheelColor(-1, &red, nullptr, nullptr);
             return long(std::isfinite(red));
         },
         1},
        {"GetColorWheelColor(4), null outputs",
         [&] { return long(wheel.GetColorWheelColor(4, nullptr, nullptr, nullptr) * 0); }, 0},
    });
    host.DestroyZUWindow();
    EXPECT_EQ(zu::detail::gui().root, nullptr);
}

// ---- With a GUI -----------------------------------------------------------------------

struct RenderCalls {
    std::vector<Row> rows;
    std::vector<long> results;
};
RenderCalls renderCalls;

int painter(void*, unsigned msg, int, int, void*, void*) {
    if (msg == ZUM_RENDER && renderCalls.results.empty())
        for (const Row& r : renderCalls.rows) renderCalls.results.push_back(r.run());
    return 0;
}

class BadInputGui : public ::testing::Test {
  protected:
    TestDisplay x;
    ZUWindowNode* root = nullptr;
    void SetUp() override {
        ASSERT_EQ(chdir(ZUGUI_SOURCE_DIR), 0);
        ASSERT_EQ(ZUInitGUI(0, 0, 400, 300, nullptr, cs("bad input"), nullptr, nullptr, 0), 0);
        ZuRECT r{0, 0, 400, 300};
        root = ZUCreateWindow(cs("root"), 0, 1, &r, nullptr, nullptr, painter);
        ASSERT_NE(root, nullptr);
        ZUStartGUI();
    }
    void TearDown() override {
        ZUStopGUI();
        ZUKillGUI();
        ZUDestroyWindow(root);
    }
};

TEST_F(BadInputGui, LifecycleAndPopups) {
    const std::string longText = textOf(10000);
    char* items[3] = {cs(""), nullptr, cs(longText.c_str())};
    ZuRECT r{0, 0, 100, 100};
    expectRows({
        {"ZUInitGUI twice",
         [] { return long(ZUInitGUI(0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr, 0)); }, -2},
        {"ZURegisterHotKey(-1)", [&] { return long(ZURegisterHotKey(root, -1, 1)); }, 0},
        {"ZURegisterHotKey(255)", [&] { return long(ZURegisterHotKey(root, 255, 1)); }, 0},
        {"ZURegisterHotKey(INT_MAX)", [&] { return long(ZURegisterHotKey(root, INT_MAX, 1)); }, 0},
        {"ZUUnRegisterHotKey(INT_MIN)", [&] { return long(ZUUnRegisterHotKey(root, INT_MIN)); }, 0},
        {"ZUShowCombo, negative count",
         [&] { return long(ZUShowCombo(10, 10, 100, 40, -5, items)); }, 0},
        {"ZUHideCombo after it", [] { return long(ZUHideCombo()); }, -1},
        {"ZUShowCombo, count without items",
         [&] { return long(ZUShowCombo(10, 10, 100, 40, 1000, nullptr)); }, 0},
        {"ZUHideCombo after it", [] { return long(ZUHideCombo()); }, -1},
        {"ZUShowCombo, null and long items",
         [&] {
             ZUShowCombo(10, 10, 100, 60, 3, items);
             ZURenderComboGUI();
             return long(ZUHideCombo() >= -1);
         },
         1},
        {"ZUShowCombo, more rows than pixels",
         [&] {
             ZUShowCombo(10, 10, 100, 2, 3, items);
             ZURenderComboGUI();
             return long(ZUHideCombo());
         },
         -1},
        {"ZUShowCombo, zero size",
         [&] {
             ZUShowCombo(10, 10, 0, 0, 3, items);
             ZURenderComboGUI();
             return long(ZUHideCombo());
         },
         -1},
        {"ZUShowCombo, negative size",
         [&] {
             ZUShowCombo(10, 10, -100, -40, 3, items);
             ZURenderComboGUI();
             return long(ZUHideCombo());
         },
         -1},
        {"ZUShowCombo, huge size",
         [&] {
             ZUShowCombo(INT_MIN, INT_MAX, INT_MAX, INT_MAX, 3, items);
             ZURenderComboGUI();
             return long(ZUHideCombo() >= -1);
         },
         1},
        {"ZUShowMB(null, null)",
         [] {
             long c = ZUShowMB(nullptr, nullptr);
             ZURenderMBGUI();
             return c + ZUHideMB();
         },
         1},
        {"ZUShowMB, 10 000 characters",
         [&] {
             long c = ZUShowMB(items[2], items[2]);
             ZURenderMBGUI();
             return c + ZUHideMB();
         },
         1},
        {"ZUMaximizeGUI, huge centred",
         [&] {
             ZuRECT big{0, 0, INT_MAX, INT_MAX};
             long c = ZUMaximizeGUI(&big, 1);
             return c + long(big.width == zu::ws::kMaxWindowSide &&
                             big.height == zu::ws::kMaxWindowSide);
         },
         1},
        {"ZUMaximizeGUI, negative centred",
         [&] {
             ZuRECT neg{0, 0, -50, -50};
             long c = ZUMaximizeGUI(&neg, 1);
             return c + long(neg.width == 1 && neg.height == 1);
         },
         1},
        {"ZUResizeWindow, huge rect",
         [&] {
             ZuRECT big{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
             return long(ZUResizeWindow(root, &big, 1));
         },
         0},
        {"ZUResizeWindow back", [&] { return long(ZUResizeWindow(root, &r, 1)); }, 0},
    });
}

TEST_F(BadInputGui, TextDrawingInARenderPass) {
    const std::string longText = textOf(10000);
    ZuRECT r{10, 10, 200, 30}, empty{10, 10, 0, 0}, neg{10, 10, -50, -50},
        huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    ZuFCOLOR c{1, 1, 1, 1};
    char lines[] = "\n\n\n\n\n\n\n\n\n\n";
    renderCalls = {};
    // Built in full first: the rows keep pointers into these texts.
    std::vector<std::string> keep;
    for (size_t len : kLengths) keep.push_back(textOf(len));
    for (const std::string& text : keep) {
        char* t = cs(text.c_str());
        renderCalls.rows.push_back(
            {"ZUPrintText", [=, &r, &c] { return long(ZUPrintText(t, &r, &c, 0, 0, nullptr)); },
             0});
        renderCalls.rows.push_back(
            {"ZUPrintEditText, caret INT_MAX",
             [=, &r, &c] { return long(ZUPrintEditText(t, &r, &c, 5, 1, INT_MAX, nullptr)); }, 0});
        renderCalls.rows.push_back(
            {"ZUPrintEditText, caret INT_MIN",
             [=, &r, &c] { return long(ZUPrintEditText(t, &r, &c, 2, 2, INT_MIN, nullptr)); }, 0});
    }
    renderCalls.rows.insert(
        renderCalls.rows.end(),
        {
            {"ZUPrintText(null text)",
             [&] { return long(ZUPrintText(nullptr, &r, &c, 0, 0, nullptr)); }, 0},
            {"ZUPrintText(null rect)",
             [&] { return long(ZUPrintText(cs("a"), nullptr, &c, 0, 0, nullptr)); }, 0},
            {"ZUPrintText(null colour)",
             [&] { return long(ZUPrintText(cs("a"), &r, nullptr, 0, 0, nullptr)); }, 0},
            {"ZUPrintEditText(null text)",
             [&] { return long(ZUPrintEditText(nullptr, &r, &c, 0, 0, 0, nullptr)); }, 0},
            {"ZUPrintText, empty rect",
             [&] { return long(ZUPrintText(cs("abc"), &empty, &c, 0, 0, nullptr)); }, 0},
            {"ZUPrintText, negative rect",
             [&] { return long(ZUPrintText(cs("abc"), &neg, &c, 0, -1, nullptr)); }, 0},
            {"ZUPrintText, huge rect",
             [&] {
                 return long(ZUPrintText(cs(longText.c_str()), &huge, &c, INT_MIN, ZU_TEXT_DOTTED,
                                         nullptr));
             },
             0},
            {"ZUPrintText, only line feeds",
             [&] { return long(ZUPrintText(lines, &r, &c, 4, ZU_TEXT_UNDERLINE, nullptr)); }, 0},
            {"ZUPrintText, font INT_MAX",
             [&] { return long(ZUPrintText(cs("abc"), &r, &c, INT_MAX, INT_MAX, nullptr)); }, 0},
        });
    ZURePaint();
    ASSERT_EQ(renderCalls.results.size(), renderCalls.rows.size()) << "the pass did not run";
    for (size_t i = 0; i < renderCalls.rows.size(); ++i)
        EXPECT_EQ(renderCalls.results[i], renderCalls.rows[i].expect)
            << i << " " << renderCalls.rows[i].call;
}

TEST_F(BadInputGui, VideoWindowsAndFrames) {
    const std::string longText = textOf(10000);
    ZuRECT r{0, 0, 160, 90};
    ZuRECT bad[] = {{0, 0, 0, 0}, {0, 0, -10, -10}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}};
    EXPECT_EQ(ZUCreateVideoWindow(root, cs("v"), nullptr, 0), nullptr);
    for (ZuRECT& b : bad) {
        ZUVideoWindowNode* v = ZUCreateVideoWindow(root, cs(longText.c_str()), &b, 0);
        if (v) {
            EXPECT_EQ(ZUDestroyVideoWindow(v), 0);
        }
    }
    ZUVideoWindowNode* v = ZUCreateVideoWindow(root, nullptr, &r, 0);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(ZUResizeVideoWindow(v, nullptr), 0);
    EXPECT_EQ(ZUResetVideoWindow(v, nullptr), 0);
    // The record keeps the size the window really got.
    const int side[] = {1, 1, zu::ws::kMaxWindowSide};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ZUResizeVideoWindow(v, &bad[i]), 0);
        EXPECT_EQ(v->width, side[i]) << i;
        EXPECT_EQ(v->height, side[i]) << i;
        EXPECT_EQ(ZUResetVideoWindow(v, &bad[i]), 0);
    }
    ASSERT_EQ(ZUResizeVideoWindow(v, &r), 0);
    EXPECT_EQ(ZUDisplayVideoFrame(v, nullptr, nullptr), -2);  // not started
    EXPECT_EQ(ZUStopDisplayVideoFrame(v), -2);

    std::vector<unsigned char> pixels(64 * 36 * 16, 0x80);
    int lutEntries[1] = {512};
    ZuRGBLUT emptyLut{nullptr, nullptr, nullptr, nullptr, 0};
    ZuRGBLUT shortLut{lutEntries, lutEntries, lutEntries, nullptr, 1};
    struct FrameCase {
        const char* what;
        int width, height, rowBytes;
        unsigned format;
        int decimation;
        int bufferSize;  // >= 0: a conversion buffer of this size
        ZuRGBLUT* lut;
    };
    const FrameCase cases[] = {
        {"zero size", 0, 0, 0, ZU_PF_2vuy, 1, -1, nullptr},
        {"negative size", -64, -36, 128, ZU_PF_2vuy, 1, -1, nullptr},
        {"negative row bytes", 64, 36, -128, ZU_PF_bgrA, 1, -1, nullptr},
        {"row bytes too small", 64, 36, 8, ZU_PF_bgrA, 1, -1, nullptr},
        {"odd width 4:2:2", 63, 36, 128, ZU_PF_2vuy, 1, -1, nullptr},
        {"unknown format", 64, 36, 256, 0xDEADBEEF, 1, -1, nullptr},
        {"decimation 0", 64, 36, 128, ZU_PF_v219, 0, -1, nullptr},
        {"decimation 3", 64, 36, 176, ZU_PF_v219, 3, -1, nullptr},
        {"decimation -8", 64, 36, 176, ZU_PF_v219, -8, -1, nullptr},
        {"conversion buffer too small", 64, 36, 176, ZU_PF_v219, 1, 16, nullptr},
        {"conversion buffer negative", 64, 36, 176, ZU_PF_v219, 1, -5, nullptr},
        {"empty lut", 64, 36, 128, ZU_PF_2vuy, 1, -1, &emptyLut},
        {"one-entry lut", 64, 36, 256, ZU_PF_bgrA, 1, -1, &shortLut},
    };
    std::vector<unsigned char> small(16);
    for (unsigned mode : {0u, 1u}) {
        ASSERT_EQ(ZUStartDisplayVideoFrame(v, UINT_MAX, UINT_MAX, mode, nullptr), 0) << mode;
        for (const FrameCase& fc : cases) {
            ZUVideoFrame f{};
            f.pixels = pixels.data();
            f.width = fc.width, f.height = fc.height, f.rowBytes = fc.rowBytes;
            f.format = fc.format;
            f.decimationX = f.decimationY = fc.decimation;
            f.zoomX = f.zoomY = std::nanf("");
            f.aspectNum = 0, f.aspectDen = 0;
            if (fc.bufferSize != -1) {
                f.conversionBuffer = small.data();
                f.conversionBufferSize = fc.bufferSize;
            }
            const int code = ZUDisplayVideoFrame(v, &f, fc.lut);
            EXPECT_TRUE(code == 0 || code == -2) << fc.what << " mode " << mode << ": " << code;
        }
        // Planar frames and the extension record: each fault alone on a good NV12 frame.
        std::vector<unsigned char> luma(64 * 36, 16), chroma(64 * 18, 128);
        struct ExCase {
            const char* what;
            std::function<void(ZUVideoFrame&, ZUVideoFrameEx&)> spoil;
            int code;
        };
        const ExCase exCases[] = {
            {"good NV12", [](ZUVideoFrame&, ZUVideoFrameEx&) {}, 0},
            {"good I422, odd height",
             [](ZUVideoFrame& f, ZUVideoFrameEx& e) {
                 f.format = ZU_PF_I422, f.height = 35, e.planes[1].rowBytes = 32;
                 e.planes[2] = e.planes[1];
             },
             0},
            {"record size 0", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.size = 0; }, -2},
            {"record size short", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.size = 8; }, -2},
            {"null luma", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.planes[0].pixels = nullptr; },
             -2},
            {"null chroma", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.planes[1].pixels = nullptr; },
             -2},
            {"I420 without its V plane",
             [](ZUVideoFrame& f, ZUVideoFrameEx& e) {
                 f.format = ZU_PF_I420, e.planes[1].rowBytes = 32;
             },
             -2},
            {"luma stride short",
             [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.planes[0].rowBytes = 63; }, -2},
            {"chroma stride short",
             [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.planes[1].rowBytes = 62; }, -2},
            {"negative stride",
             [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.planes[0].rowBytes = -64; }, -2},
            {"odd width 4:2:0", [](ZUVideoFrame& f, ZUVideoFrameEx&) { f.width = 63; }, -2},
            {"odd height 4:2:0", [](ZUVideoFrame& f, ZUVideoFrameEx&) { f.height = 35; }, -2},
            {"matrix 4", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.matrix = 4; }, -2},
            {"matrix -1", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.matrix = -1; }, -2},
            {"range 3", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.range = 3; }, -2},
            {"siting 9", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.chromaSiting = 9; }, -2},
            {"filter 2", [](ZUVideoFrame&, ZUVideoFrameEx& e) { e.filter = 2; }, -2},
        };
        for (const ExCase& ec : exCases) {
            ZUVideoFrame f{};
            f.width = 64, f.height = 36, f.format = ZU_PF_NV12;
            f.decimationX = f.decimationY = 1;
            f.aspectNum = f.aspectDen = 1;
            ZUVideoFrameEx e{};
            e.size = sizeof e;
            e.planes[0] = {luma.data(), 64};
            e.planes[1] = {chroma.data(), 64};
            ec.spoil(f, e);
            EXPECT_EQ(ZUDisplayVideoFrameEx(v, &f, &e, nullptr), ec.code)
                << ec.what << " mode " << mode;
        }
        ZUVideoFrame planar{};
        planar.width = 64, planar.height = 36, planar.format = ZU_PF_NV12;
        EXPECT_EQ(ZUDisplayVideoFrame(v, &planar, nullptr), -2);  // its planes need the record
        EXPECT_EQ(ZUStopDisplayVideoFrame(v), 0);
    }
    EXPECT_EQ(ZUDestroyVideoWindow(v), 0);
}

}  // namespace
