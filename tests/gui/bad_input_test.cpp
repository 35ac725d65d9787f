// Every public function fed what a careless host hands over: null handles and pointers,
// negative and huge sizes, texts of 0, 263, 264 and 10 000 characters. Each call must give
// its documented code, and outputs must stay within the bytes they were allowed.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "gui/gui_state.h"
#include "support/gui_fixture.h"
#include "support/rows.h"
#include "zugui/zugui.h"

using namespace zu::test;

namespace {

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

// ---- Without a GUI --------------------------------------------------------------------

TEST(BadInput, NodeCallsAnswerNullNodesAndPointers) {
    ZuRECT r{0, 0, 10, 10};
    ZuPOINT p{};
    ZuFCOLOR c{};
    char buf[264];
    ZUWindowNode* root = ZUCreateWindow(cs("root"), 0, 1, &r, nullptr, nullptr, nullptr);
    ASSERT_NE(root, nullptr);
    // clang-format off
    expectRows({
        {"ZUCreateWindow, null text/rect/callback", [&] {
             ZUWindowNode* n = ZUCreateWindow(nullptr, 0, 1, nullptr, nullptr, root, nullptr);
             long ok = n && n->text[0] == 0 && n->rect.width == 0;
             ZUSendMessage(n, ZUM_CLICKED, 0, 0, nullptr, nullptr);  // no callback to call
             return ok + ZUDestroyWindow(n); }, 2},
        ROW(ZUDestroyWindow(nullptr), 0),           ROW(ZUMoveWindow(nullptr, &r, 1), 0),
        ROW(ZUResizeWindow(nullptr, &r, 0), 0),     ROW(ZUResizeWindow(root, nullptr, 0), 0),
        AFTER(ZUMoveWindow(root, nullptr, 0), root->rect.width, 10),
        ROW(ZUShowWindow(nullptr, 1, 0), 0),        ROW(ZUDisableWindow(nullptr, 1, 0), 0),
        ROW(ZUEnableWndLDblClk(nullptr, 1), 0),     ROW(ZUEnableWndMouseRollover(nullptr, 1), 0),
        ROW(ZUGetRect(nullptr, &r), 0),             ROW(ZUGetRect(root, nullptr), 0),
        ROW(ZUGetWndScreenOrigin(nullptr, &p), 0),  ROW(ZUGetWndScreenOrigin(root, nullptr), 0),
        ROW(ZUSetWindowText(nullptr, cs("a"), 0), -2),
        ROW(ZUSetWindowText(root, nullptr, 0) + long(root->text[0]), 0),  // empties
        ROW(ZUGetWindowText(nullptr, buf, 264), -2), ROW(ZUGetWindowText(root, nullptr, 264), 0),
        ROW(ZUIsVisible(nullptr), 0), ROW(ZUIsEnabled(nullptr), 1), ROW(ZUIsDisabled(nullptr), 1),
        ROW(ZUSendMessage(nullptr, ZUM_CLICKED, 0, 0, nullptr, nullptr), 0),
        ROW(ZUPostMessage(nullptr, ZUM_CLICKED, 0, 0, nullptr, nullptr), 0),
        ROW(ZUPostMessage(root, ZUM_CLICKED, 0, 0, nullptr, nullptr), -2),  // no main window
        ROW(ZUCaptureMouse(nullptr) + long(zu::detail::gui().capture != nullptr), 0),  // takes nothing
        ROW(ZUReleaseMouse(), 0),  // none held
        ROW(ZUSetSchemeColor(-1, &c), -2),          ROW(ZUSetSchemeColor(256, &c), -2),
        ROW(ZUSetSchemeColor(INT_MIN, &c), -2),     ROW(ZUSetSchemeColor(0, nullptr), -2),
        ROW(ZUGetSchemeColor(256, &c), -2),         ROW(ZUGetSchemeColor(0, nullptr), -2),
        ROW(ZUGetSchemeColor(-1, &c), -2),
    });
    // clang-format on
    // A destroyed node is no parent.
    ZUWindowNode* child = ZUCreateWindow(cs("c"), 0, 1, &r, nullptr, root, nullptr);
    ZUDestroyWindow(child);
    EXPECT_EQ(ZUCreateWindow(cs("x"), 0, 1, &r, nullptr, child, nullptr), nullptr);
    ZUDestroyWindow(root);
}

TEST(BadInput, LifecycleVideoAndPopupCallsWithoutAGui) {
    ZuRECT r{0, 0, 64, 64};
    ZUVideoFrame f{};
    // clang-format off
    expectRows({
        ROW(ZUStopGUI(), 0),        ROW(ZUKillGUI(), 0),        ROW(ZUStartMoveGUI(), 0),
        ROW(ZUMoveGUI(), 0),        ROW(ZUStopMoveGUI(), 0),    ROW(ZUMinimizeGUI(), 0),
        ROW(ZUMaximizeGUI(&r, 1), 0),                           ROW(ZUMaximizeGUI(nullptr, 0), 0),
        ROW(ZUGetDC() != nullptr, 0),                           ROW(ZUGetHWND() != nullptr, 0),
        ROW(ZUShowCombo(0, 0, 10, 10, 1, nullptr), -2), ROW(ZUHideCombo(), -1), ROW(ZUKillCombo(), 0),
        ROW(ZUShowMB(cs("t"), cs("m")), -2),    ROW(ZUHideMB(), 1),     ROW(ZUKillMB(), 0),
        ROW(ZUBuildFonts(-1), 0),   ROW(ZUBuildFonts(3), 0),    ROW(ZUKillFonts(INT_MAX), 0),
        ROW(ZUCreateVideoWindow(nullptr, cs("v"), &r, 0) != nullptr, 0),
        ROW(ZUResetVideoWindow(nullptr, &r), 0),    ROW(ZUResizeVideoWindow(nullptr, &r), 0),
        ROW(ZUShowVideoWindow(nullptr, 1), 0),      ROW(ZUIsVideoWindowVisible(nullptr), 0),
        ROW(ZUDestroyVideoWindow(nullptr), 0),      ROW(ZUGetVideoWindowHWND(nullptr) != nullptr, 0),
        ROW(ZUGetVideoWindowDC(nullptr) != nullptr, 0), ROW(ZUReleaseVideoWindowDC(nullptr, nullptr), 0),
        ROW(ZURegDropFilesVideoWindow(nullptr), 0), ROW(ZUUnRegDropFilesVideoWindow(nullptr), 0),
        ROW(ZUVCaptureMouse(nullptr), 0),           ROW(ZUVReleaseMouse(), 0),
        ROW(ZUStartDisplayVideoFrame(nullptr, 64, 64, 1, nullptr), 0),
        ROW(ZUDisplayVideoFrame(nullptr, &f, nullptr), -2), ROW(ZUStopDisplayVideoFrame(nullptr), 0),
    });
    // clang-format on
    // These return nothing; they must come back at once and not crash.
    ZURenderGUI();
    ZURenderComboGUI();
    ZURenderMBGUI();
    ZUSwapBuffers();
    ZURePaint();
}

TEST(BadInput, NodeTextsOfEveryLengthAreCutAt263) {
    ZuRECT r{0, 0, 10, 10};
    ZUWindowNode* root = ZUCreateWindow(cs(""), 0, 1, &r, nullptr, nullptr, nullptr);
    ASSERT_NE(root, nullptr);
    for (size_t len : kLengths) {
        const std::string text = textOf(len), kept = text.substr(0, 263);
        ZUWindowNode* n = ZUCreateWindow(cs(text.c_str()), 0, 1, &r, nullptr, root, nullptr);
        ASSERT_NE(n, nullptr) << len;
        EXPECT_EQ(std::string(n->text), kept) << len;
        ZUSetWindowText(n, cs(""), 0);
        ASSERT_EQ(ZUSetWindowText(n, cs(text.c_str()), 0), 0);
        EXPECT_EQ(std::string(n->text), kept) << len;
        // Sizes: positive ones bound the copy, the rest trust the caller with 264 bytes.
        // The size given and the bytes it allows.
        const std::pair<int, size_t> sizes[] = {{1, 1},     {2, 2},       {100, 100},
                                                {264, 264}, {10000, 264}, {INT_MAX, 264},
                                                {0, 264},   {-1, 264},    {INT_MIN, 264}};
        for (auto [size, allowed] : sizes) {
            Guarded out(allowed);
            ASSERT_EQ(ZUGetWindowText(n, out.data(), size), 0);
            EXPECT_TRUE(out.guardsIntact()) << len << " size " << size;
            EXPECT_EQ(std::string(out.data()), kept.substr(0, allowed - 1))
                << len << " size " << size;
        }
    }
    ZUDestroyWindow(root);
}

// ---- Widgets --------------------------------------------------------------------------

TEST(BadInput, WidgetsWithoutANodeAndWithBadArguments) {
    ZuRECT r{0, 0, 100, 20};
    char buf[512];
    ZUWindow loose;  // never created
    // clang-format off
    expectRows({
        ROW(loose.ResizeZUWindow(&r, 0), 0),    ROW(loose.ShowZUWindow(1, 0), 0),
        ROW(loose.EnableZUWindow(1, 0), 0),     ROW(loose.IsVisible(), 0),  ROW(loose.IsEnabled(), 0),
        ROW(loose.GetZURect(&r), -2),           ROW(loose.SetWindowZUText(cs("a"), 0), 0),
        ROW(loose.SetWindowZUText(nullptr, 0), -2), ROW(loose.GetWindowZUText(buf, 256), -2),
        ROW(loose.GetWindowZUText(nullptr, 256), -2),
        ROW(loose.SendZUMessage(nullptr, ZUM_CLICKED, 0, 0, nullptr, nullptr), 0),
        ROW(loose.DestroyZUWindow(), 0),        ROW(loose.SetZUFocus(), -2),
    });
    // clang-format on

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
    // An item text is given only to a buffer that takes all of it. The size is compared
    // unsigned, as the lists always have: a negative size bounds nothing, so those calls
    // get a buffer of the whole text.
    // The hot text list keeps its items in the same store (item_list.cpp).
    for (int i = 0; i < 4; ++i) {
        const size_t len = kLengths[i];
        for (int size : {-1, INT_MIN, 0, int(len) - 1, int(len)}) {
            if (size == int(len) - 1 && len == 0) continue;
            Guarded out(size < 0 ? len + 1 : size_t(size) + 1);
            const int want = size < 0 || size >= int(len) ? 0 : 1;
            EXPECT_EQ(combo.GetZUItemText(i, out.data(), size), want) << len << " size " << size;
            EXPECT_TRUE(out.guardsIntact()) << "item " << len << " size " << size;
        }
    }
    // clang-format off
    expectRows({
        ROW(combo.GetZUItemText(-1, buf, 100), 1), ROW(list.GetZUItemText(0, nullptr, 100), 1),
        ROW(combo.SetZUCurSel(-1, false), -1),  ROW(combo.SetZUCurSel(4, false), -1),
        ROW(combo.GetZUCurSel(), 0),  // kept
        ROW(list.SetZUCurSel(-2, false), -1),   ROW(list.SetZUCurSel(INT_MAX, false), -1),
        AFTER((combo.SetZUComboType(7), combo.SetZUComboType(-1)), combo.comboType, 0),  // ignored
    });
    // clang-format on

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
    // Refused ranges, positions and types are the number field's table.
    EXPECT_EQ(number.GetZUNumberTC(nullptr), -1);
    for (size_t len : kLengths) {
        const std::string t = textOf(len);
        number.PutZUNumberTC(cs(t.c_str()), false);
        Guarded out(13);
        std::strcpy(out.data(), "00:00:00:00");  // the caller's pledge of 13 bytes
        EXPECT_EQ(number.GetZUNumberTC(out.data()), 0) << len;
        EXPECT_EQ(std::string(out.data()), t.substr(0, 12)) << len;
        EXPECT_TRUE(out.guardsIntact()) << len;
    }
    // A zero or odd rate and INT_MIN frames on display are the timecode display table's rows;
    // refused slider types, ranges and positions, and the whole int range, the slider test's.

    ZUColorPicker picker;
    ZUColorWheel wheel;
    ASSERT_EQ(picker.CreateZUWindow(cs("p"), 0, 1, 0, &r, &host), 0);
    ASSERT_EQ(wheel.CreateZUWindow(cs("w"), 0, 1, 0, &r, &host), 0);
    float red = -1;
    // clang-format off
    expectRows({
        AFTER(picker.SetZUColorPicker(nullptr), 0, 0), AFTER(picker.GetZUColorPicker(nullptr), 0, 0),
        AFTER(wheel.GetColorWheelColor(-1, &red, nullptr, nullptr), std::isfinite(red), 1),
        ROW(wheel.GetColorWheelColor(4, nullptr, nullptr, nullptr) * 0, 0),  // null outputs
    });
    // clang-format on
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

class BadInputGui : public GuiFixture {
  protected:
    ZUWindowNode* root = nullptr;
    const std::string longText = textOf(10000);
    void SetUpGui() override {
        ASSERT_EQ(ZUInitGUI(0, 0, 400, 300, nullptr, cs("bad input"), nullptr, nullptr, 0), 0);
        ZuRECT r{0, 0, 400, 300};
        root = ZUCreateWindow(cs("root"), 0, 1, &r, nullptr, nullptr, painter);
        ASSERT_NE(root, nullptr);
        ZUStartGUI();
    }
};

TEST_F(BadInputGui, LifecycleAndPopups) {
    char* items[3] = {cs(""), nullptr, cs(longText.c_str())};
    ZuRECT r{0, 0, 100, 100};
    // Each popup is shown, drawn and hidden; the row gives what hiding answered.
    auto combo = [&](int x, int y, int w, int h) {
        ZUShowCombo(x, y, w, h, 3, items);
        ZURenderComboGUI();
        return long(ZUHideCombo());
    };
    auto box = [](char* title, char* text) {
        long c = ZUShowMB(title, text);
        ZURenderMBGUI();
        return c + ZUHideMB();
    };
    auto maximized = [](int side, int want) {  // a centred maximise to side x side
        ZuRECT m{0, 0, side, side};
        long c = ZUMaximizeGUI(&m, 1);
        return c + long(m.width == want && m.height == want);
    };
    ZuRECT huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    // clang-format off
    expectRows({
        ROW(ZUShowCombo(10, 10, 100, 40, -5, items), 0),      ROW(ZUHideCombo(), -1),
        ROW(ZUShowCombo(10, 10, 100, 40, 1000, nullptr), 0),  ROW(ZUHideCombo(), -1),
        ROW(combo(10, 10, 100, 60) >= -1, 1),  // null and long items
        ROW(combo(10, 10, 100, 2), -1),        // more rows than pixels
        ROW(combo(10, 10, 0, 0), -1),          ROW(combo(10, 10, -100, -40), -1),
        ROW(combo(INT_MIN, INT_MAX, INT_MAX, INT_MAX) >= -1, 1),
        ROW(box(nullptr, nullptr), 1),         ROW(box(items[2], items[2]), 1),  // 10 000 characters
        ROW(maximized(INT_MAX, zu::ws::kMaxWindowSide), 1), ROW(maximized(-50, 1), 1),
        ROW(ZUResizeWindow(root, &huge, 1), 0), ROW(ZUResizeWindow(root, &r, 1), 0),
    });
    // clang-format on
}

TEST_F(BadInputGui, TextDrawingInARenderPass) {
    ZuRECT r{10, 10, 200, 30}, empty{10, 10, 0, 0}, neg{10, 10, -50, -50},
        huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    ZuFCOLOR c{1, 1, 1, 1};
    char lines[] = "\n\n\n\n\n\n\n\n\n\n";
    renderCalls = {};
    // Built in full first: the rows keep pointers into these texts.
    std::vector<std::string> keep;
    for (size_t len : kLengths) keep.push_back(textOf(len));
    // clang-format off
    for (const std::string& text : keep) {
        char* t = cs(text.c_str());
        renderCalls.rows.insert(renderCalls.rows.end(), {
            {"ZUPrintText", [=, &r, &c] { return long(ZUPrintText(t, &r, &c, 0, 0, nullptr)); }, 0},
            {"ZUPrintEditText, caret INT_MAX",
             [=, &r, &c] { return long(ZUPrintEditText(t, &r, &c, 5, 1, INT_MAX, nullptr)); }, 0},
            {"ZUPrintEditText, caret INT_MIN",
             [=, &r, &c] { return long(ZUPrintEditText(t, &r, &c, 2, 2, INT_MIN, nullptr)); }, 0}});
    }
    renderCalls.rows.insert(renderCalls.rows.end(), {
        ROW(ZUPrintText(nullptr, &r, &c, 0, 0, nullptr), 0),
        ROW(ZUPrintText(cs("a"), nullptr, &c, 0, 0, nullptr), 0),
        ROW(ZUPrintText(cs("a"), &r, nullptr, 0, 0, nullptr), 0),
        ROW(ZUPrintEditText(nullptr, &r, &c, 0, 0, 0, nullptr), 0),
        ROW(ZUPrintText(cs("abc"), &empty, &c, 0, 0, nullptr), 0),
        ROW(ZUPrintText(cs("abc"), &neg, &c, 0, -1, nullptr), 0),
        ROW(ZUPrintText(cs(longText.c_str()), &huge, &c, INT_MIN, ZU_TEXT_DOTTED, nullptr), 0),
        ROW(ZUPrintText(lines, &r, &c, 4, ZU_TEXT_UNDERLINE, nullptr), 0),  // only line feeds
        ROW(ZUPrintText(cs("abc"), &r, &c, INT_MAX, INT_MAX, nullptr), 0),
    });
    // clang-format on
    ZURePaint();
    ASSERT_EQ(renderCalls.results.size(), renderCalls.rows.size()) << "the pass did not run";
    for (size_t i = 0; i < renderCalls.rows.size(); ++i)
        EXPECT_EQ(renderCalls.results[i], renderCalls.rows[i].expect)
            << i << " " << renderCalls.rows[i].call;
}

TEST_F(BadInputGui, VideoWindowsAndFrames) {
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
        using F = ZUVideoFrame;
        using E = ZUVideoFrameEx;
        struct ExCase {
            const char* what;
            std::function<void(F&, E&)> spoil;
            int code;
        };
        // clang-format off
        const ExCase exCases[] = {
            {"good NV12", [](F&, E&) {}, 0},
            {"good I422, odd height", [](F& f, E& e) {
                 f.format = ZU_PF_I422, f.height = 35, e.planes[1].rowBytes = 32; e.planes[2] = e.planes[1]; }, 0},
            {"record size short", [](F&, E& e) { e.size = 8; }, -2},
            {"null luma", [](F&, E& e) { e.planes[0].pixels = nullptr; }, -2},
            {"null chroma", [](F&, E& e) { e.planes[1].pixels = nullptr; }, -2},
            {"I420 without its V plane", [](F& f, E& e) { f.format = ZU_PF_I420, e.planes[1].rowBytes = 32; }, -2},
            {"luma stride short", [](F&, E& e) { e.planes[0].rowBytes = 63; }, -2},
            {"chroma stride short", [](F&, E& e) { e.planes[1].rowBytes = 62; }, -2},
            {"negative stride", [](F&, E& e) { e.planes[0].rowBytes = -64; }, -2},
            {"odd width 4:2:0", [](F& f, E&) { f.width = 63; }, -2},
            {"odd height 4:2:0", [](F& f, E&) { f.height = 35; }, -2},
            {"matrix 4", [](F&, E& e) { e.matrix = 4; }, -2},
            {"matrix -1", [](F&, E& e) { e.matrix = -1; }, -2},
            {"range 3", [](F&, E& e) { e.range = 3; }, -2},
            {"siting 9", [](F&, E& e) { e.chromaSiting = 9; }, -2},
            {"filter 2", [](F&, E& e) { e.filter = 2; }, -2},
        };
        // clang-format on
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
