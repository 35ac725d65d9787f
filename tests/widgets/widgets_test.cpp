// The widget classes' message behaviour, through ReceiveZUMessage and through the node
// callback: captures, notifications, latching and check values, the action button's cycle,
// tab hover, the text field's editing, the slider's pointer mapping and refused setters, the
// scroll's children, the colour picker's picks (hue plane, brightness bar, the gap between
// them), the wheel's colours and handles, and the number field: timecode arithmetic (display,
// normalisation, entry and their round trips), drag positions, the in-place editor's keys
// and notifications. Their looks are the widget pages' reference images.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gui/gui_state.h"
#include "support/rows.h"
#include "widget_host.h"
#include "widgets/color_math.h"
#include "widgets/number_math.h"

using namespace zu::test;
using namespace zu::widgets;
using zu::detail::gui;

namespace {

class WidgetTest : public ::testing::Test {
  protected:
    Recorder host;
    void SetUp() override {
        ZuRECT r{0, 0, 800, 600};
        ASSERT_EQ(host.CreateZUWindow(cs("host"), 0, 1, 0, &r, nullptr), 0);
    }
    void TearDown() override {
        ZUReleaseMouse();
        host.DestroyZUWindow();
        ASSERT_EQ(gui().root, nullptr);
    }
    template <class W>
    void make(W& w, ZuRECT r = {100, 100, 96, 32}, const char* text = "Caption") {
        ASSERT_EQ(w.CreateZUWindow(cs(text), 0, 1, 0, &r, &host), 0);
    }
    // Drives a widget through its node, the way the window procedure does.
    static void send(ZUWindow& w, unsigned msg, int a = 0, int b = 0) {
        ZUSendMessage(w.GetZUWndHandle(), msg, a, b, nullptr, nullptr);
    }
};

// One widget under the host: the host, then the widget.
template <class W>
class ChildTest : public WidgetTest {
  protected:
    W widget;
    void makeChild(ZuRECT r) {
        WidgetTest::SetUp();
        make(widget, r, "");
    }
};

TEST_F(WidgetTest, BaseClassLifecycle) {
    ZUWindow parentless, orphan, panel, child;
    ZuRECT cr{10, 10, 20, 20};
    // clang-format off
    expectRows({
        // A parent object without a node gives none.
        ROW(orphan.CreateZUWindow(cs("o"), 0, 1, 0, &cr, &parentless), -2),
        ROW(panel.CreateZUWindow(cs("panel"), 0, 1, 0, &cr, &host), 0),
        ROW(host.GetZUWndHandle()->childCount, 1),
        ROW(child.CreateZUWindow(cs("child"), 0, 1, 0, &cr, &panel), 0),
        ROW(child.GetZUParentWnd() == panel.GetZUWndHandle(), 1),
        ROW(child.IsVisible(), 1),  ROW(textOf(child) == "child", 1),
    });
    // clang-format on

    // A message sent to a target reaches the target only.
    Recorder other;
    panel.SendZUMessage(&other, ZUM_CLICKED, 7, 0, &panel, nullptr);
    ASSERT_EQ(other.heard.size(), 1u);
    EXPECT_EQ(std::pair(other.heard[0].a, host.heard.empty()), std::pair(7, true));

    // Destroying the panel's node takes the child's node too.
    EXPECT_EQ(panel.DestroyZUWindow(), 0);
    EXPECT_EQ(std::tuple(child.GetZUWndHandle(), child.IsVisible()), std::tuple(nullptr, 0));
    EXPECT_EQ(child.DestroyZUWindow(), 0);
    EXPECT_EQ(host.GetZUWndHandle()->childCount, 0u);

    // Deleting an object that still has its node removes the node from the tree.
    auto temp = std::make_unique<ZUButton>();
    ASSERT_EQ(temp->CreateZUWindow(cs("t"), 0, 1, 0, &cr, &host), 0);
    EXPECT_EQ(host.GetZUWndHandle()->childCount, 1u);
    temp.reset();
    EXPECT_EQ(host.GetZUWndHandle()->childCount, 0u);
}

// One press and release on a button: where they land, and what the parent then hears.
struct Click {
    const char* name;
    int type;  // ButtonZUType bits
    int checkedBefore;
    int downX, downY, upX, upY;
    size_t clicks;
    int value;
};

TEST_F(WidgetTest, ButtonsAndCheckBoxesReportClicksReleasedInside) {
    const Click cases[] = {
        {"push inside", 0, 0, 110, 110, 150, 120, 1, 0},
        {"push released outside", 0, 0, 110, 110, 300, 120, 0, 0},
        {"push released on the right edge", 0, 0, 110, 110, 196, 120, 0, 0},
        {"push released on the bottom row", 0, 0, 110, 110, 150, 100, 1, 0},
        {"latching", 1, 0, 110, 110, 150, 120, 1, 0},
        {"latched ignores the mouse", 1, 1, 110, 110, 150, 120, 0, 0},
        {"inert", 2, 0, 110, 110, 150, 120, 0, 0},
    };
    for (const Click& k : cases) {
        SCOPED_TRACE(k.name);
        host.heard.clear();
        ZUButton b;
        make(b);
        b.ButtonZUType(k.type);
        b.SetZUCheck(k.checkedBefore);
        send(b, ZUM_LBUTTONDOWN, k.downX, k.downY);
        EXPECT_EQ(std::tuple(gui().capture, b.pressed),
                  std::tuple(k.checkedBefore ? nullptr : b.GetZUWndHandle(),
                             k.type == 0 || k.checkedBefore ? 1 : 0));
        send(b, ZUM_LBUTTONUP, k.upX, k.upY);
        // Capture given back; the check is the parent's to change.
        EXPECT_EQ(std::tuple(gui().capture, b.pressed, b.GetZUCheck()),
                  std::tuple(nullptr, k.checkedBefore, k.checkedBefore));
        ASSERT_EQ(host.count(ZUM_CLICKED), k.clicks);
        if (k.clicks) {
            EXPECT_EQ(std::tuple(host.heard[0].a, host.heard[0].p), std::tuple(k.value, &b));
        }
    }

    ZUButton push;
    make(push);
    expectRows({
        AFTER(push.SetZUCheck(1), push.GetZUCheck(), 0),  // not a latching button
        AFTER(push.ButtonZUType(3), push.buttonType, 1), AFTER(push.SetZUCheck(1), push.pressed, 1),
        AFTER(send(push, ZUM_LBUTTONUP, 110, 110), push.pressed, 1),  // an up without a down
    });

    // The check box asks for the other state and keeps its own until told.
    ZUCheckBox box;
    make(box, {100, 200, 16, 16});
    for (int before : {0, 1}) {
        host.heard.clear();
        box.SetZUCheck(before);
        send(box, ZUM_LBUTTONDOWN, 105, 205);
        send(box, ZUM_LBUTTONUP, 105, 205);
        ASSERT_EQ(host.count(ZUM_CLICKED), 1u);
        EXPECT_EQ(std::tuple(host.heard[0].a, box.GetZUCheck(), box.pressed),
                  std::tuple(before ? 0 : 1, before, 0));
    }
    box.SetZUCheck(5);
    EXPECT_EQ(box.GetZUCheck(), 1);
}

TEST_F(WidgetTest, PictureButtonBehaviours) {
    ZUPictureButton p;
    make(p, {100, 100, 40, 30});
    // In order: the type to switch to (-1 keeps it), a press 'D' or release 'U' at (x, y) or
    // the host's reset 'R', then what the button is left with; -1 is not checked.
    struct Step {
        int type;
        char act;
        int x, y, pressed, engaged, captured, clicks;
    };
    // clang-format off
    const Step steps[] = {
        // Push clicked inside: reported; pressed inside, released outside: nothing. The
        // capture comes back either way.
        {0, 'D', 110, 110, 1, -1, -1, -1},  {-1, 'U', 110, 110, 0, -1, 0, 1},
        {0, 'D', 110, 110, 1, -1, -1, -1},  {-1, 'U', 10, 10, -1, -1, 0, 1},
        // Action: the first click engages and keeps the capture; presses and releases
        // outside do nothing.
        {3, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, 1, 1, 1, 2},
        {-1, 'D', 500, 500, 1, 1, 1, -1},   {-1, 'U', 500, 500, -1, 1, 1, 2},
        // A second click inside releases it; its press is ignored, the button still pressed.
        {-1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, 0, 0, 0, 3},
        // Engaged again, then reset by the host.
        {-1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, -1, -1, -1, -1},
        {-1, 'R', 0, 0, 0, 0, 0, -1},
        // Pressed, released outside before engaging: back to idle silently.
        {-1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 10, 10, 0, -1, -1, 4},
        // Latch: the click is reported. Inert: the capture still comes back.
        {1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, -1, -1, -1, 5},
        {2, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, -1, -1, 0, 5},
    };
    // clang-format on
    auto expectIf = [](int want, long got, const char* what) {
        if (want >= 0) {
            EXPECT_EQ(got, want) << what;
        }
    };
    int i = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(i++);
        if (s.type >= 0) p.ButtonZUType(s.type);
        if (s.act == 'R') p.ResetZUActionState(false);
        if (s.act != 'R') send(p, s.act == 'D' ? ZUM_LBUTTONDOWN : ZUM_LBUTTONUP, s.x, s.y);
        expectIf(s.pressed, p.pressed, "pressed");
        expectIf(s.engaged, p.engaged, "engaged");
        expectIf(s.captured, gui().capture == p.GetZUWndHandle(), "captured");
        expectIf(s.clicks, long(host.count(ZUM_CLICKED)), "clicks");
        expectIf(s.type == 1 ? 1 : -1, p.armed, "armed");  // the latch arms on its press
    }
    expectRows({
        ROW(p.GetZUCheck(), 0),  // the latch's look follows the host's check
        AFTER(p.ButtonZUType(4), p.buttonType, 2),
        // Reset on a push button does nothing.
        AFTER((p.ButtonZUType(0), p.pressed = 1, p.ResetZUActionState(false)), p.pressed, 1),
        AFTER((p.SetZUBkType(1), p.SetZUBkType(2)), p.GetZUBkType(), 1),
    });
}

TEST_F(WidgetTest, TabsReportClicksAndTheMiniTabHovers) {
    ZUTabButton tab;
    ZUMiniTabButton mini;
    make(tab, {0, 500, 100, 30});
    make(mini, {200, 500, 60, 20});
    EXPECT_TRUE(mini.GetZUWndHandle()->rollover);
    tab.SetZUTabCheck(1);
    send(tab, ZUM_LBUTTONDOWN, 10, 510);
    send(tab, ZUM_LBUTTONUP, 10, 510);  // the current tab still reports
    send(tab, ZUM_LBUTTONDOWN, 10, 510);
    send(tab, ZUM_LBUTTONUP, 10, 400);
    EXPECT_EQ(host.count(ZUM_CLICKED), 1u);
    EXPECT_EQ(gui().capture, nullptr);

    // Each message to the mini tab, and its hover after; shown once, then the normal colour,
    // and never while pressed.
    const std::pair<unsigned, int> hovers[] = {
        {ZUM_MOUSEMOVE, 1}, {ZUM_RENDER, 0},      {ZUM_MOUSEMOVE, 1}, {ZUM_MOUSELEAVE, 0},
        {ZUM_MOUSEMOVE, 1}, {ZUM_LBUTTONDOWN, 0}, {ZUM_MOUSEMOVE, 0}, {ZUM_LBUTTONUP, -1}};
    for (auto [msg, hover] : hovers) {
        send(mini, msg, 210, 505);
        if (hover >= 0) {
            EXPECT_EQ(mini.hover, hover == 1) << msg;
        }
    }
    EXPECT_EQ(host.count(ZUM_CLICKED), 2u);

    // The tabs answer -2 whatever happened: destroyed and forgotten, then nothing to destroy.
    EXPECT_EQ((std::tuple{tab.DestroyZUWindow(), tab.GetZUWndHandle(), tab.DestroyZUWindow()}),
              std::tuple(-2, nullptr, -2));
}

// Input to a text field: a character, or -1 with a virtual key; or a press at (ch, vk).
struct Key {
    int ch, vk;
    unsigned msg = ZUM_KEY;
};
constexpr Key chr(char c) {
    return {static_cast<unsigned char>(c), 0};
}
constexpr Key kLeft{-1, 37}, kRight{-1, 39}, kBack{-1, 8}, kDel{-1, 46}, kEnter{-1, 13},
    kEsc{-1, 27}, kHome{-1, 0x24}, kEnd{-1, 0x23};
constexpr Key kClickAway{500, 500, ZUM_LBUTTONDOWN}, kRightClick{110, 110, ZUM_RBUTTONDOWN};
// With Shift or Control held, as the capture node hears them.
constexpr Key shift(Key k) {
    return {k.ch, k.vk | ZU_KEY_SHIFT};
}
constexpr Key kSelectAll{-1, 'A' | ZU_KEY_CONTROL};

struct EditCase {
    const char* name;
    const char* before;
    int max;  // 0: default
    bool punct, digits, space;
    std::vector<Key> keys;
    const char* after;
    int caret;  // -1: not checked
    size_t entered;
};

TEST_F(WidgetTest, TextFieldEditsFiltersCommitsAndCancels) {
    // clang-format off
    const EditCase cases[] = {
        {"insert after Left", "", 0, true, false, true, {chr('a'), chr('b'), kLeft, chr('c')}, "acb", 2, 0},
        {"max length", "abcde", 5, true, false, true, {chr('f')}, "abcde", 5, 0},
        {"digits with space and colon", "", 0, true, true, true, {chr('1'), chr('x'), chr(' '), chr(':'), chr('2')}, "1 :2", 4, 0},
        {"no punctuation, no space", "", 0, false, false, false, {chr('a'), chr('/'), chr(' '), chr('|'), chr('b')}, "ab", 2, 0},
        {"backspace at 0 does nothing", "abc", 0, true, false, true, {kLeft, kLeft, kLeft, kLeft, kBack}, "abc", 0, 0},
        {"backspace in the middle", "abc", 0, true, false, true, {kLeft, kBack}, "ac", 1, 0},
        {"delete empties", "abc", 0, true, false, true, {kLeft, kDel}, "", 0, 0},
        {"right stops at the end", "ab", 0, true, false, true, {kRight, kRight}, "ab", 2, 0},
        {"enter commits once", "ab", 0, true, false, true, {chr('c'), kEnter}, "abc", 3, 1},
        {"escape restores", "ab", 0, true, false, true, {chr('c'), kDel, chr('z'), kEsc}, "ab", 1, 0},
        {"Latin-1 accepted", "Caf", 0, true, false, true, {chr('\xe9')}, "Caf\xe9", 4, 0},
        {"home and end", "bc", 0, true, false, true, {kHome, chr('a'), kEnd, chr('d')}, "abcd", 4, 0},
        {"typing replaces a shift-left selection", "abcd", 0, true, false, true, {shift(kLeft), shift(kLeft), chr('X')}, "abX", 3, 0},
        {"backspace removes the selection only", "abcd", 0, true, false, true, {kLeft, shift(kHome), kBack}, "d", 0, 0},
        {"shift-right from home", "abcd", 0, true, false, true, {kHome, shift(kRight), shift(kRight), kBack}, "cd", 0, 0},
        {"left collapses to the selection's start", "abcd", 0, true, false, true, {shift(kLeft), shift(kLeft), kLeft, chr('x')}, "abxcd", 3, 0},
        {"right collapses to the selection's end", "abcd", 0, true, false, true, {kHome, shift(kRight), kRight, chr('x')}, "axbcd", 2, 0},
        {"select all, then type", "abc", 0, true, false, true, {kSelectAll, chr('z')}, "z", 1, 0},
        {"a refused character keeps the selection", "12", 0, true, true, true, {kSelectAll, chr('x'), chr('3')}, "3", 1, 0},
        {"a selection makes room at the limit", "abcde", 5, true, false, true, {shift(kLeft), chr('f')}, "abcdf", 5, 0},
        {"delete still empties", "abc", 0, true, false, true, {shift(kLeft), kDel}, "", 0, 0},
        {"enter with shift still commits", "ab", 0, true, false, true, {shift(kEnter)}, "ab", 2, 1},
        {"a click anywhere commits, keys after it do nothing", "old", 0, true, false, true, {chr('!'), kClickAway, chr('x')}, "old!", -1, 1},
        {"a right click cancels without a word", "old", 0, true, false, true, {chr('?'), kRightClick}, "old", -1, 0},
    };
    // clang-format on
    for (const EditCase& k : cases) {
        SCOPED_TRACE(k.name);
        host.heard.clear();
        ZUText t;
        make(t, {100, 100, 200, 24}, k.before);
        if (k.max) t.SetZUTextInputMax(k.max);
        t.SetZUTextInputType(k.punct, k.digits, k.space);
        send(t, ZUM_LBUTTONDOWN, 110, 110);
        ASSERT_TRUE(t.editing);
        EXPECT_EQ(gui().capture, t.GetZUWndHandle());
        for (const Key& key : k.keys) send(t, key.msg, key.ch, key.vk);
        EXPECT_EQ(textOf(t), k.after);
        if (k.caret >= 0) {
            EXPECT_EQ(t.caret, k.caret);
        }
        EXPECT_EQ(host.count(ZUM_TEXTENTERED), k.entered);
        // An edit ended gives the capture back and keeps no saved text.
        EXPECT_EQ(std::pair(gui().capture, t.savedText == nullptr),
                  std::pair(t.editing ? t.GetZUWndHandle() : nullptr, !t.editing));
    }
}

TEST_F(WidgetTest, ItemListsInsertReadAndResetAndCopiesOwnTheirTexts) {
    ZUComboButton combo;
    ZUHotTextList list;
    make(combo);
    make(list, {300, 100, 100, 90});
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(combo.InsertZUItem(-1, cs("a"), false), 0);
        EXPECT_EQ(list.InsertZUItem(i, cs("b"), false), 0);
    }
    char buf[8] = {};
    // clang-format off
    expectRows({
        ROW(combo.InsertZUItem(3, cs("x"), false), 1),  ROW(combo.InsertZUItem(0, cs("x"), false), 1),  // appends only
        ROW(combo.InsertZUItem(2, cs("abcde"), false), 0),
        ROW(combo.GetZUItemText(2, buf, 5), 0),  ROW(std::string(buf) == "abcde", 1),  // the size excludes the terminator
        ROW(combo.GetZUItemText(128, buf, 7), 1),
    });
    while (list.count < ZU_MAX_ITEMS) ASSERT_EQ(list.InsertZUItem(-1, cs("r"), false), 0);
    // The list takes -1 as "none" (the combo refuses it).
    expectRows({
        ROW(list.InsertZUItem(-1, cs("129th"), false), 1),  ROW(list.count, 128),
        ROW(combo.SetZUCurSel(2, false), 0),    ROW(list.SetZUCurSel(-1, false), 0),
        ROW(list.GetZUCurSel(), -1),            ROW(list.SetZUCurSel(5, false), 0),
        AFTER(list.ResetZUAll(false), list.GetZUCurSel(), -1),  ROW(list.count, 0),
        AFTER(combo.ResetZUAll(false), combo.GetZUCurSel(), -1),  // no items
        AFTER(combo.InsertZUItem(-1, cs("a"), false), combo.GetZUCurSel(), 2),  // the old value stays, out of range
    });
    // clang-format on
    // Copies own their texts: the items, and the text an editing field keeps to restore.
    ZUComboButton copy(combo);
    EXPECT_NE(copy.items[0], combo.items[0]);
    EXPECT_STREQ(copy.items[0], "a");
    copy.node = nullptr;  // the node is the first object's
    ZUText t;
    make(t, {100, 100, 200, 24}, "old!");
    send(t, ZUM_LBUTTONDOWN, 110, 110);
    {
        ZUText textCopy(t);
        ASSERT_NE(textCopy.savedText, nullptr);
        EXPECT_NE(textCopy.savedText, t.savedText);
        EXPECT_STREQ(textCopy.savedText, "old!");
        textCopy.node = nullptr;
    }
    send(t, ZUM_KEY, -1, 27);
    EXPECT_EQ(textOf(t), "old!");
}

// A click on a stepping combo: where it lands and the index asked for.
struct Step {
    int type, count, current, x, y;
    int asked;  // -1: nothing sent
};

TEST_F(WidgetTest, SteppingCombosAskTheParent) {
    const Step cases[] = {
        {1, 3, 0, 110, 110, 2},  {1, 3, 0, 190, 110, 1},  {1, 3, 2, 190, 110, 0},
        {3, 3, 1, 147, 110, 0},  {3, 3, 1, 148, 110, 2},  {1, 3, 0, 110, 140, -1},
        {1, 1, 0, 110, 110, -1}, {1, 1, 0, 190, 110, -1}, {2, 3, 2, 150, 110, 0},
        {2, 3, 0, 150, 110, 1},  {2, 3, 0, 300, 110, -1}, {2, 0, 0, 150, 110, -1},
    };
    for (const Step& k : cases) {
        SCOPED_TRACE(testing::Message() << "type " << k.type << " x " << k.x);
        host.heard.clear();
        ZUComboButton c;
        make(c);  // 100..196 wide: halves meet at 148
        c.SetZUComboType(k.type);
        for (int i = 0; i < k.count; ++i) c.InsertZUItem(-1, cs("item"), false);
        c.SetZUCurSel(k.current, false);
        send(c, ZUM_LBUTTONDOWN, 150, 110);
        EXPECT_EQ(gui().capture, k.count ? c.GetZUWndHandle() : nullptr);
        send(c, ZUM_LBUTTONUP, k.x, k.y);
        EXPECT_EQ(gui().capture, nullptr);
        ASSERT_EQ(host.count(ZUM_SELECT), k.asked < 0 ? 0u : 1u);
        if (k.asked >= 0) {
            EXPECT_EQ(host.heard[0].a, k.asked);
        }
        EXPECT_EQ(c.GetZUCurSel(), k.count ? k.current : -1);  // unchanged
    }
}

TEST_F(WidgetTest, HotTextsReportRowsClicksAndDoubleClicks) {
    ZUHotTextList list;
    make(list, {300, 100, 100, 90});
    for (int i = 0; i < 3; ++i) list.InsertZUItem(-1, cs("row"), false);
    EXPECT_TRUE(list.GetZUWndHandle()->lDblClk);
    for (auto [y, row] : {std::pair{175, 0}, {160, 0}, {159, 1}, {130, 1}, {129, 2}, {105, 2}})
        EXPECT_EQ(list.RowAt(y), row) << y;
    // Press, release inside, double click on the same row; then a double click elsewhere.
    send(list, ZUM_LBUTTONDOWN, 310, 175);
    send(list, ZUM_LBUTTONUP, 310, 175);
    send(list, ZUM_LBUTTONDBLCLK, 310, 175);
    send(list, ZUM_LBUTTONUP, 310, 175);  // pressed is clear: ignored
    send(list, ZUM_LBUTTONDBLCLK, 310, 105);
    std::vector<std::pair<unsigned, int>> got;
    for (auto& h : host.heard) got.push_back({h.msg, h.a});
    const std::vector<std::pair<unsigned, int>> want = {
        {ZUM_ITEMPRESSED, 0}, {ZUM_CLICKED, 0}, {ZUM_ITEMDBLCLK, 0}, {ZUM_ITEMPRESSED, 2}};
    EXPECT_EQ(got, want);
    EXPECT_EQ(list.lastPressedRow, 0);
    EXPECT_EQ(list.GetZUCurSel(), -1);  // the highlight is the parent's to set

    ZUHotText hot;
    make(hot, {100, 300, 80, 20}, "hot");
    host.heard.clear();
    send(hot, ZUM_LBUTTONDOWN, 110, 305);
    send(hot, ZUM_LBUTTONUP, 500, 305);
    send(hot, ZUM_LBUTTONDOWN, 110, 305);
    send(hot, ZUM_LBUTTONUP, 110, 305);
    EXPECT_EQ(host.count(ZUM_CLICKED), 1u);
    EXPECT_EQ(gui().capture, nullptr);
}

class SliderInput : public ChildTest<ZUSlider> {
  protected:
    ZUSlider& slider = widget;
    void SetUp() override { makeChild({50, 10, 200, 20}); }
    void send(unsigned msg, int x) { slider.ReceiveZUMessage(msg, x, 15, nullptr, nullptr); }
};

TEST_F(SliderInput, PointerMapsToTheRangeWithClamping) {
    struct Case {
        int rx, width, min, max, x, pos;
    };
    const Case cases[] = {
        {50, 200, 0, 100, 150, 50},
        {50, 200, 0, 100, 10, 0},  // left of the slider
        {50, 200, 0, 100, 400, 100},
        {50, 200, 0, 100, 51, 0},  // truncated, not rounded
        {0, 100, -50, -10, 25, -40},
        {0, 100, 7, 7, 60, 7},
        {0, 100, INT_MIN, INT_MAX, 50, -1},  // the whole int range without overflow
        {0, 100, INT_MIN, INT_MAX, 100, INT_MAX},
        {0, 0, 3, 9, 50, 3},  // no width: the minimum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        ZuRECT r{c.rx, 10, c.width, 20};
        slider.ResizeZUWindow(&r, 0);
        slider.SetZUSliderRange(c.min, c.max, false);
        host.heard.clear();
        send(ZUM_LBUTTONDOWN, c.x);
        send(ZUM_MOUSEMOVE, c.x);
        send(ZUM_LBUTTONUP, c.x);
        ASSERT_EQ(host.heard.size(), 3u);
        for (auto& h : host.heard) EXPECT_EQ(h.a, c.pos);
    }
}

TEST_F(SliderInput, PressDragReleaseNotifyAndHoldTheCapture) {
    slider.SetZUSliderRange(0, 100, false);
    send(ZUM_MOUSEMOVE, 100);  // not held: nothing
    send(ZUM_LBUTTONUP, 100);
    EXPECT_TRUE(host.heard.empty());
    send(ZUM_LBUTTONDOWN, 100);
    EXPECT_EQ(gui().capture, slider.node);
    send(ZUM_LBUTTONDOWN, 200);  // ignored while held
    send(ZUM_MOUSEMOVE, 150);
    send(ZUM_MOUSEMOVE, 170);
    send(ZUM_LBUTTONUP, 250);
    EXPECT_EQ(gui().capture, nullptr);
    std::vector<std::tuple<unsigned, int, void*>> got;
    for (auto& h : host.heard) got.emplace_back(h.msg, h.a, h.p);
    EXPECT_EQ(got,
              (std::vector<std::tuple<unsigned, int, void*>>{{ZUM_SLIDERPRESS, 25, &slider},
                                                             {ZUM_SLIDERDRAG, 50, &slider},
                                                             {ZUM_SLIDERDRAG, 60, &slider},
                                                             {ZUM_SLIDERRELEASE, 100, &slider}}));
    EXPECT_EQ(slider.GetZUSliderPos(), 0);  // the parent decides
}

TEST_F(SliderInput, SettersRefuseBadValues) {
    // clang-format off
    expectRows({
        AFTER((slider.SetZUSliderType(1, false), slider.SetZUSliderType(2, false)), slider.GetZUSliderType(), 1),
        AFTER(slider.SetZUSliderType(-1, false), slider.GetZUSliderType(), 1),
        AFTER((slider.SetZUSliderRange(0, 10, false), slider.SetZUSliderRange(5, 1, false)),
              slider.minimum == 0 && slider.maximum == 10, 1),
        AFTER((slider.SetZUSliderSubRange(2, 4, false), slider.SetZUSliderSubRange(4, 2, false)),
              slider.subStart == 2 && slider.subEnd == 4, 1),
        ROW(slider.PutZUSliderPos(10, false), 0),
        AFTER((slider.PutZUSliderPos(11, false), slider.PutZUSliderPos(-1, false)), slider.GetZUSliderPos(), 10),
        AFTER(slider.SetZUSliderRange(0, 5, false), slider.GetZUSliderPos(), 10),  // the position stays outside
    });
    // clang-format on
}

TEST_F(WidgetTest, ScrollButtonsAreTheScrollsChildrenAndGoWithIt) {
    ZUScroll scroll;
    ZuRECT r{40, 100, 300, 50};
    make(scroll, r);
    EXPECT_EQ(scroll.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), -2);
    // Where the buttons lie is the widget pages' reference images; here whose they are.
    EXPECT_EQ(std::tuple(scroll.startButton.GetZUParent(), scroll.startButton.node->parent,
                         scroll.endButton.node->parent, scroll.endButton.IsVisible()),
              std::tuple(&scroll, scroll.node, scroll.node, 1));

    // A click on a button reaches the scroll, which passes nothing on.
    scroll.endButton.ReceiveZUMessage(ZUM_LBUTTONDOWN, 310, 110, nullptr, nullptr);
    scroll.endButton.ReceiveZUMessage(ZUM_LBUTTONUP, 310, 110, nullptr, nullptr);
    EXPECT_TRUE(host.heard.empty());

    // Taken down alone, then made again and taken down with its parent: every object
    // forgets its node.
    auto nodes = [&] {
        return std::tuple(scroll.node, scroll.startButton.node, scroll.endButton.node);
    };
    const auto none = std::tuple<ZUWindowNode*, ZUWindowNode*, ZUWindowNode*>();
    EXPECT_EQ(scroll.DestroyZUWindow(), 0);
    EXPECT_EQ((std::tuple{nodes(), host.node->childCount, scroll.DestroyZUWindow()}),
              std::tuple(none, 0u, 0));
    ASSERT_EQ(scroll.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), 0);
    host.DestroyZUWindow();
    EXPECT_EQ(nodes(), none);
}

constexpr float kQ = 3.142857f / 2;

void expectRgb(const Rgb3& got, const Rgb3& want) {
    EXPECT_NEAR(got.r, want.r, 1e-4);
    EXPECT_NEAR(got.g, want.g, 1e-4);
    EXPECT_NEAR(got.b, want.b, 1e-4);
}
void expectColour(const ZuFCOLOR& c, float r, float g, float b) {
    expectRgb({c.red, c.green, c.blue}, {r, g, b});
    EXPECT_NEAR(c.alpha, 1, 1e-6);
}

TEST(ColorMath, HueStripSegmentsAndTheWheelContinuousAllRound) {
    const std::pair<float, Rgb3> hues[] = {
        {128, {1, 0.5f, 0}},  {384, {0.5f, 1, 0}},  {640, {0, 1, 0.5f}},        {896, {0, 0.5f, 1}},
        {1152, {0.5f, 0, 1}}, {1408, {1, 0, 0.5f}}, {1535, {1, 0, 1.0f / 256}},
    };
    for (auto [t, want] : hues) {
        SCOPED_TRACE(t);
        expectRgb(pickerHue(t), want);
    }
    const Rgb3 top = wheelColour(0), red = wheelColour(256), green = wheelColour(512);
    EXPECT_FLOAT_EQ(top.b, 1);
    EXPECT_NEAR(red.r, 1, 1e-5);
    EXPECT_NEAR(green.g, 1, 1e-5);
    for (int k = 0; k < 768; ++k) {
        const Rgb3 a = wheelColour(k), b = wheelColour((k + 1) % 768);
        ASSERT_LT(std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b), 0.013f) << k;
        ASSERT_GE(std::min({a.r, a.g, a.b}), -0.001f) << k;
    }
    // The drawn circle's index: 0 at the top, growing clockwise, 361 wrapping round.
    EXPECT_EQ(std::tuple(wheelIndexAt(0), wheelIndexAt(120), wheelIndexAt(359), wheelIndexAt(360)),
              std::tuple(0, 256, 765, 0));
}

class Picker : public ChildTest<ZUColorPicker> {
  protected:
    ZUColorPicker& picker = widget;
    void SetUp() override { makeChild({0, 0, 138, 100}); }
    void TearDown() override {
        for (auto& h : host.heard) EXPECT_EQ(h.a, 0);  // a pick carries no value
        ChildTest::TearDown();
    }
    ZuFCOLOR clickAt(int x, int y) {
        picker.ReceiveZUMessage(ZUM_LBUTTONDOWN, x, y, nullptr, nullptr);
        picker.ReceiveZUMessage(ZUM_LBUTTONUP, x, y, nullptr, nullptr);
        ZuFCOLOR c{};
        picker.GetZUColorPicker(&c);
        return c;
    }
};

TEST_F(Picker, PlaneBarAndGap) {
    struct Case {
        int x, y;
        float r, g, b;
        int notes;  // notifications: down and up each pick
    };
    const Case cases[] = {
        {50, 100, 0, 1, 1, 2},        // t = 768: cyan at full saturation
        {50, 0, 1, 1, 1, 2},          // white at the bottom
        {25, 50, 1, 1, 0.5f, 2},      // t = 384 halfway to white
        {90, 100, 1, 0, 0.6f, 2},     // t = 1382.4, in the last segment
        {50, 150, 0, 0.5f, 0.5f, 2},  // above it while held: the fade runs on past the hue
        {50, -60, 1, 1, 1, 2},        // below it: white
        {99, 100, 1, 1, 1, 0},        // the gap: x + L = 99 ...
        {104, 100, 1, 1, 1, 0},       // ... to x + L + 5
        {137, 100, 1, 1, 1, 0},       // right of the bar
        {-1, 50, 1, 1, 1, 0},         // left of the plane
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        // Start each case from white at full brightness.
        picker.red = picker.green = picker.blue = 1;
        const int markX = picker.markX;
        host.heard.clear();
        expectColour(clickAt(c.x, c.y), c.r, c.g, c.b);
        EXPECT_EQ(host.messages(), std::vector<unsigned>(size_t(c.notes), ZUM_COLORCHANGED));
        EXPECT_EQ(picker.markX, c.notes ? c.x : markX);
    }

    // The bar sets the brightness and leaves the colour and the mark alone.
    clickAt(75, 100);
    const int mx = picker.markX, my = picker.markY;
    expectColour(clickAt(120, 50), 0.25f, 0, 0.5f);
    EXPECT_EQ(std::tuple(picker.brightness, picker.markX, picker.markY), std::tuple(0.5f, mx, my));
    expectColour(clickAt(105, 130), 0.5f, 0, 1);  // clamped to 1
    expectColour(clickAt(136, -10), 0, 0, 0);     // clamped to 0
    ZuFCOLOR ignored{0.1f, 0.2f, 0.3f, 0.4f};
    EXPECT_EQ(picker.SetZUColorPicker(&ignored), 0);
    EXPECT_FLOAT_EQ(picker.brightness, 0);
}

TEST_F(Picker, DragPicksUntilReleased) {
    EXPECT_EQ(std::pair(picker.markX, picker.markY), std::pair(0, 0));  // the rectangle's corner
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 50, 100, nullptr, nullptr);  // not held
    EXPECT_TRUE(host.heard.empty());
    picker.ReceiveZUMessage(ZUM_LBUTTONDOWN, 10, 100, nullptr, nullptr);
    EXPECT_EQ(gui().capture, picker.node);
    picker.ReceiveZUMessage(ZUM_LBUTTONDOWN, 20, 100, nullptr, nullptr);  // ignored while held
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 101, 100, nullptr, nullptr);   // the gap
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 50, 90, nullptr, nullptr);
    EXPECT_EQ(std::pair(picker.markX, picker.markY), std::pair(50, 90));
    picker.ReceiveZUMessage(ZUM_LBUTTONUP, 60, 80, nullptr, nullptr);
    EXPECT_EQ(gui().capture, nullptr);
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 50, 100, nullptr, nullptr);
    EXPECT_EQ(std::pair(host.heard.size(), picker.markX), std::pair(size_t(3), 60));

    // Without a parent nothing is picked.
    ZUColorPicker alone;
    ZuRECT r{0, 0, 138, 100};
    ASSERT_EQ(alone.CreateZUWindow(cs(""), 0, 1, 0, &r, nullptr), -2);
    ASSERT_EQ(alone.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), 0);
    alone.parent = nullptr;
    alone.ReceiveZUMessage(ZUM_LBUTTONDOWN, 50, 100, nullptr, nullptr);
    alone.ReceiveZUMessage(ZUM_LBUTTONUP, 50, 100, nullptr, nullptr);
    ZuFCOLOR c{};
    alone.GetZUColorPicker(&c);
    expectColour(c, 1, 1, 1);
}

TEST_F(WidgetTest, WheelTypeHandlesAndColours) {
    ZUColorWheel wheel;
    ZuRECT r{100, 50, 201, 100};
    make(wheel, r);
    // Handles start at the centre; positions are whole pixels, so compared exactly.
    auto at = [](float x, float y) { return std::pair(x, y); };
    EXPECT_EQ(at(wheel.centreX, wheel.centreY), at(200, 100));
    for (auto& h : wheel.handles) EXPECT_EQ(at(h.x, h.y), at(200, 100));
    EXPECT_EQ(wheel.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), -2);

    for (auto [type, result] :
         {std::pair{3, 3}, std::pair{7, 0}, std::pair{2, 2}, std::pair{-1, 0}, std::pair{1, 1}}) {
        wheel.SetColorWheelType(type);
        EXPECT_EQ(wheel.wheelType, result) << type;
    }

    // The mouse moves handle 0 whatever the type, and only while held.
    wheel.ReceiveZUMessage(ZUM_MOUSEMOVE, 1, 2, nullptr, nullptr);
    EXPECT_FLOAT_EQ(wheel.handles[0].x, 200);
    wheel.ReceiveZUMessage(ZUM_LBUTTONDOWN, 150, 80, nullptr, nullptr);
    EXPECT_EQ(gui().capture, wheel.node);
    EXPECT_FLOAT_EQ(wheel.handles[0].x, 150);
    wheel.ReceiveZUMessage(ZUM_MOUSEMOVE, 160, 90, nullptr, nullptr);
    wheel.ReceiveZUMessage(ZUM_LBUTTONUP, 170, 95, nullptr, nullptr);
    EXPECT_EQ(gui().capture, nullptr);
    wheel.ReceiveZUMessage(ZUM_MOUSEMOVE, 1, 2, nullptr, nullptr);
    EXPECT_EQ(at(wheel.handles[0].x, wheel.handles[0].y), at(170, 95));
    EXPECT_EQ(wheel.handles[1].x, 200);
    EXPECT_TRUE(host.heard.empty());
    // A hidden wheel keeps its handles.
    wheel.ShowZUWindow(0, 0);
    wheel.ReceiveZUMessage(ZUM_LBUTTONDOWN, 10, 10, nullptr, nullptr);
    wheel.ReceiveZUMessage(ZUM_LBUTTONUP, 10, 10, nullptr, nullptr);
    EXPECT_FLOAT_EQ(wheel.handles[0].x, 170);
    wheel.ShowZUWindow(1, 0);

    // A single reset clears the type's handle, a full one all four.
    wheel.ResetColors(0);
    EXPECT_EQ(at(wheel.handles[1].x, wheel.handles[0].x), at(0, 170));
    wheel.ResetColors(1);
    for (auto& h : wheel.handles) EXPECT_FLOAT_EQ(std::fabs(h.x) + std::fabs(h.y), 0);

    // Colours read the handle as a vector from the origin, scaled by |x| + |y|.
    struct Case {
        float x, y;
        Rgb3 colour;
    };
    const Case cases[] = {
        {10, 0, {10 * std::sin(0.75f * kQ), 0, 10 * std::cos(0.75f * kQ)}},  // k = 192
        {0, 0, {0, 0, 0}},
        {0, 4, {4 * std::sin(2 / 256.0f * kQ), 0, 4 * std::cos(2 / 256.0f * kQ)}},  // k = 2
        // Lower left, 225 degrees clockwise from the top, reads k = 477 (22/7 for pi)...
        {-3, -3, {6 * std::cos(221 / 256.0f * kQ), 6 * std::sin(221 / 256.0f * kQ), 0}},
        // ... and lower right, 135 degrees, k = 285.
        {3, -3, {6 * std::cos(29 / 256.0f * kQ), 6 * std::sin(29 / 256.0f * kQ), 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        wheel.handles[2] = {c.x, c.y};
        Rgb3 got{-1, -1, -1};
        EXPECT_EQ(wheel.GetColorWheelColor(2, &got.r, &got.g, &got.b), 0);
        expectRgb(got, c.colour);
    }
    float rr = -1, gg = -1, bb = -1;
    wheel.handles[0] = {50, 50};
    wheel.GetColorWheelColor(9, &rr, &gg, &bb);  // no such handle: the point (0, 0)
    EXPECT_EQ(rr + gg + bb, 0);
}

// Frames shown as timecode text, typed text normalised, and normalised text entered as
// frames, at the rates given.
TEST(NumberTimecode, DisplayNormalisationAndEntry) {
    struct Case {
        int num, den;
        bool drop;
        int frames;
        const char* text;
    };
    const Case shown[] = {
        {30000, 1001, true, 1799, "00;00;59;29"},
        {30000, 1001, true, 1800, "00;01;00;02"},
        {30000, 1001, true, 17982, "00;10;00;00"},
        {30000, 1001, true, 107892, "01;00;00;00"},
        {30000, 1001, true, -1800, "-00;01;00;02"},
        {30000, 1001, true, 24 * 107892, "23;00;00;00"},  // hours stop at 23
        {30000, 1001, true, INT_MAX, "23;00;42;19"},      // the count past a day, in 64 bits
        {30000, 1000, false, 1800, "00:01:00:00"},
        {25000, 1000, false, 2160000, "23:00:00:00"},
        {25000, 1001, false, 25, "00:00:01:00"},
        {25000, 1000, false, INT_MIN, "-23:55:45:23"},
        {24000, 1001, true, 1800, "00:01:15:00"},  // drop frame only at 30 frames
        {24000, 1001, false, 87869, "01:01:01:05"},
        {15000, 1000, false, 48, "00:00:02:00"},
        {50000, 1000, false, 3, "00:00:00:02"},
        {60000, 1001, true, 3601, "00;01;00;03"},
        {48000, 1000, true, -5, "00:00:00:00"},
        {30000, 1002, false, 30, "00:00:00:00"},
    };
    char out[kTimecodeSize];
    for (const Case& c : shown) {
        framesToTimecode(c.frames, c.num, c.den, c.drop, out);
        EXPECT_STREQ(out, c.text) << c.num << "/" << c.den << " frame " << c.frames;
    }
    const Case entered[] = {
        {25000, 1001, false, 0, "00:00:01:00"},  // displayed, but not entered
        {15000, 1000, false, 0, "00:00:01:00"}, {50000, 1001, false, 0, "00:00:01:00"},
        {25000, 1000, false, 1500, "00:01"},  // a short text reads the fields it has
        {25000, 1000, false, 0, nullptr},
    };
    for (const Case& c : entered)
        EXPECT_EQ(timecodeToFrames(c.text, c.num, c.den, c.drop), c.frames)
            << (c.text ? c.text : "(null)") << " at " << c.num << "/" << c.den;

    struct Typed {
        const char* typed;
        int num, den;
        bool drop;
        const char* text;
    };
    const Typed typed[] = {
        {"1234", 30000, 1001, false, "00:00:12:24"},
        {"10000", 30000, 1001, true, "00;01;00;02"},
        {nullptr, 25000, 1000, false, "00:00:00:00"},
        {"-5", 25000, 1000, false, "-00:00:00:05"},
        {"99999999", 24000, 1001, false, "23:59:59:23"},
        {"99999999", 25000, 1000, false, "23:59:59:24"},
        {"99999999", 30000, 1001, false, "23:59:59:29"},
        {"123456789", 24000, 1000, false, "12:34:56:23"},  // first eight digits
        {"1:2:3:4", 30000, 1001, false, "00:00:12:24"},    // separators carry no meaning
        {"35000000", 30000, 1001, false, "23:00:00:00"},
        {"19595929", 30000, 1001, false, "19:59:59:29"},
        {"00900000", 30000, 1001, false, "00:50:00:00"},
        {"00:00:90:00", 30000, 1001, false, "00:00:50:00"},
        {"00;10;00;00", 30000, 1001, true, "00;10;00;00"},
        {"00:21:00:01", 30000, 1001, true, "00;21;00;02"},
        {"00;01;01;00", 30000, 1001, true, "00;01;01;00"},
        {"00;01;00;10", 30000, 1001, true, "00;01;00;10"},
        {"10000", 30000, 1001, false, "00:01:00:00"},
        {"10000", 24000, 1001, true, "00:01:00:00"},  // drop frame only in the 30 class
        {"29", 50000, 1000, false, "00:00:00:24"},
        {"29", 50000, 1001, false, "00:00:00:29"},  // 1001 puts 50000 in the 30 class
    };
    for (const Typed& c : typed) {
        normalizeTimecode(c.typed, c.num, c.den, c.drop, out);
        EXPECT_STREQ(out, c.text) << (c.typed ? c.typed : "(null)") << " at " << c.num;
    }
}

struct Rate {
    int num, den;
    bool drop;
    int fps;   // frames per second of the count
    int step;  // 2 where the display halves the count
};
// The rate tables take 1000 and 1001 alike at 24, 30 and 60 frames: each class once.
const Rate kRoundTripRates[] = {
    {24000, 1001, false, 24, 1}, {25000, 1000, false, 25, 1}, {30000, 1000, false, 30, 1},
    {30000, 1001, true, 30, 1},  {50000, 1000, false, 50, 2}, {60000, 1001, false, 60, 2},
    {60000, 1000, true, 60, 2},
};

TEST(NumberTimecode, EveryFrameOfADayAndEveryNormalisedTextComeBack) {
    for (const Rate& r : kRoundTripRates) {
        SCOPED_TRACE(std::to_string(r.num) + "/" + std::to_string(r.den) + (r.drop ? " DF" : ""));
        // A day at this rate: drop frame counts 2 frames fewer in 54 minutes of each 60.
        const int day = r.drop ? 24 * 6 * 17982 * r.step : 24 * 3600 * r.fps;
        char text[kTimecodeSize], norm[kTimecodeSize];
        for (int f = -200 * r.step; f < day; f += r.step) {
            framesToTimecode(f, r.num, r.den, r.drop, text);
            normalizeTimecode(text, r.num, r.den, r.drop, norm);
            ASSERT_STREQ(norm, text) << f;
            ASSERT_EQ(timecodeToFrames(norm, r.num, r.den, r.drop), f) << text;
        }
        // And every normalised text of some hours comes back through its frames.
        const int shownFps = r.fps / r.step;
        char typed[24], back[kTimecodeSize];
        for (int hh : {0, 1, 9, 10, 23})
            for (int mm = 0; mm < 60; ++mm)
                for (int ss = 0; ss < 60; ++ss)
                    for (int ff = 0; ff < shownFps; ++ff) {
                        std::snprintf(typed, sizeof typed, "%s%02d%02d%02d%02d",
                                      (ff + ss) % 7 == 3 ? "-" : "", hh, mm, ss, ff);
                        normalizeTimecode(typed, r.num, r.den, r.drop, norm);
                        const int f = timecodeToFrames(norm, r.num, r.den, r.drop);
                        if (f == 0) continue;  // "-00:00:00:00" shows without its sign
                        framesToTimecode(f, r.num, r.den, r.drop, back);
                        ASSERT_STREQ(back, norm) << typed;
                    }
    }
}

class NumberField : public ChildTest<ZUNumber> {
  protected:
    ZUNumber& field = widget;
    void SetUp() override { makeChild({0, 0, 200, 20}); }
    void send(unsigned msg, int a = 0, int b = 0) {
        field.ReceiveZUMessage(msg, a, b, nullptr, nullptr);
    }
    // Keys, then what the editor shows: '<' Left, '>' Right, '\b' Backspace, '~' Delete,
    // '\n' Enter, '\x1b' Escape, any other character typed. A null text or a negative caret
    // is not checked.
    void edit(const char* keys, const char* text = nullptr, int caret = -1) {
        static const char kNamed[] = "<>\b~\n\x1b";
        static const int kCodes[] = {37, 39, 8, 46, 13, 27};
        for (const char* k = keys; *k; ++k) {
            const char* named = std::strchr(kNamed, *k);
            named ? send(ZUM_KEY, -1, kCodes[named - kNamed])
                  : send(ZUM_KEY, static_cast<unsigned char>(*k));
        }
        if (text) {
            EXPECT_STREQ(field.editText, text) << keys;
        }
        if (caret >= 0) {
            EXPECT_EQ(field.caret, caret) << keys;
        }
    }
    bool captured() const { return gui().capture == field.node; }
};

TEST_F(NumberField, SettersRefuseBadValuesAndTheTimecodeTextComesBack) {
    char buf[32] = "";
    // clang-format off
    expectRows({
        ROW(field.GetZUNumberTC(buf), -1),  // an empty buffer
        AFTER(std::strcpy(buf, "0123456789012"), field.GetZUNumberTC(buf), -1),  // 13: no timecode
        AFTER(std::strcpy(buf, "xxxxxxxxxxx"), field.GetZUNumberTC(buf), 0),
        ROW(std::string(buf) == "00:00:00:00", 1),
        ROW(field.PutZUNumberTC(cs("-01:02:03:04"), false), 0),
        ROW(field.GetZUNumberTC(buf), 0),  ROW(std::string(buf) == "-01:02:03:04", 1),
        ROW(field.PutZUNumberTC(nullptr, false), 0),  // keeps what it had
        AFTER(field.GetZUNumberTC(buf), std::string(buf) == "-01:02:03:04", 1),
        AFTER(field.PutZUNumberPos(5, true), field.GetZUNumberPos(), 0),  // a new field's range is [0, 0]
        AFTER(field.SetZUNumberRange(10, -10, true), field.rangeMin == 0 && field.rangeMax == 0, 1),
        AFTER((field.SetZUNumberRange(-10, 10, false), field.PutZUNumberPos(7, false)), field.GetZUNumberPos(), 7),
        AFTER(field.PutZUNumberPos(11, false), field.GetZUNumberPos(), 7),
        AFTER(field.PutZUNumberPos(-11, false), field.GetZUNumberPos(), 7),
        AFTER(field.SetZUNumberRange(0, 5, false), field.GetZUNumberPos(), 7),  // not clamped by a new range
        ROW(field.GetZUNumberType(), 0),
        AFTER(field.PutZUNumberType(3, 25000, 1000, false), field.GetZUNumberType(), 0),
        AFTER(field.PutZUNumberType(-1, 25000, 1000, false), field.GetZUNumberType(), 0),
        ROW(field.rateNum, 30000),
    });
    // clang-format on
}

TEST_F(NumberField, DragReportsAnchorPlusDistanceFromCentreClamped) {
    // A new field: range [0, 0] always reports 0.
    send(ZUM_LBUTTONDOWN, 100, 5);
    send(ZUM_MOUSEMOVE, 190, 5);
    send(ZUM_LBUTTONUP, 190, 5);
    ASSERT_EQ(host.heard.size(), 2u);
    EXPECT_EQ(host.heard[1].a, 0);
    host.heard.clear();

    field.SetZUNumberRange(-100, 100, false);
    field.PutZUNumberPos(10, false);
    send(ZUM_LBUTTONDOWN, 120, 5);
    EXPECT_TRUE(captured());
    EXPECT_TRUE(field.dragging);
    struct Move {
        int x, y, reported;
    };
    for (Move m : {Move{150, 5, 60}, Move{300, 5, 100}, Move{-500, 5, -100}, Move{100, 400, 10},
                   Move{99, -40, 9}}) {
        send(ZUM_MOUSEMOVE, m.x, m.y);
        ASSERT_FALSE(host.heard.empty());
        const auto& h = host.heard.back();
        EXPECT_EQ(std::tuple(h.msg, h.a, h.p), std::tuple(ZUM_VALUECHANGED, m.reported, &field))
            << m.x;
    }
    // The parent stores a value mid-drag; the drag still counts from where it began.
    field.PutZUNumberPos(60, true);
    send(ZUM_MOUSEMOVE, 150, 5);
    EXPECT_EQ(host.heard.back().a, 60);
    EXPECT_EQ(host.heard.front().msg, ZUM_NUMBERBEGIN);
    send(ZUM_LBUTTONUP, 150, 5);
    EXPECT_FALSE(captured());
    EXPECT_FALSE(field.dragging);
    const size_t n = host.heard.size();
    send(ZUM_MOUSEMOVE, 170, 5);  // no drag, no reports; the release itself reported nothing
    EXPECT_EQ(host.heard.size(), n);
    EXPECT_EQ(host.messages(),
              std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED, ZUM_VALUECHANGED,
                                     ZUM_VALUECHANGED, ZUM_VALUECHANGED, ZUM_VALUECHANGED,
                                     ZUM_VALUECHANGED}));

    // An odd width puts the centre line at L + W / 2, truncated.
    ZuRECT odd{10, 0, 201, 20};
    field.ResizeZUWindow(&odd, 0);
    field.PutZUNumberPos(0, false);
    host.heard.clear();
    send(ZUM_LBUTTONDOWN, 0, 0);
    send(ZUM_MOUSEMOVE, 111, 0);
    EXPECT_EQ(host.heard.back().a, 1);
    send(ZUM_LBUTTONUP, 0, 0);

    // A field that does not scroll ignores the press.
    field.SetZUScrollable(false);
    host.heard.clear();
    send(ZUM_LBUTTONDOWN, 100, 5);
    send(ZUM_MOUSEMOVE, 150, 5);
    EXPECT_TRUE(host.heard.empty());
    EXPECT_FALSE(captured());
}

TEST_F(NumberField, DecimalEditingWithCaret) {
    struct Case {
        int min, max, pos;
        std::vector<Key> keys;
        int value, caret;
    };
    const Case cases[] = {
        {0, 1000, 12, {kLeft, chr('5')}, 152, 2},
        {0, 1000, 12, {kLeft, chr('5'), kBack}, 12, 1},
        {0, 1000, 12, {chr('3'), chr('4')}, 1234, 4},
        {0, 1000, 12, {kLeft, kLeft, kLeft, chr('9')}, 912, 1},
        {0, 1000, 12, {chr('x'), chr('-'), chr(':')}, 12, 2},  // "-" needs a negative minimum
        {-99, 99, 12, {chr('-')}, -12, 3},
        {-99, 99, 12, {chr('-'), chr('-')}, 12, 2},
        {-99, 99, 0, {chr('-')}, 0, 1},
        {-99, 99, -5, {kLeft, kLeft, chr('3')}, -35, 2},       // digits stay after the sign
        {0, 2000000000, 123456789, {chr('1')}, 123456789, 9},  // nine characters at most
        {0, 1000, 12, {kDel, chr('7'), chr('1')}, 71, 2},      // a cleared field starts anew
        {0, 1000, 5, {kBack}, 0, 0},
        {-99, 99, -5, {kBack}, 0, 1},
        {0, 1000, 12, {kLeft, kLeft, kBack}, 12, 0},
        {0, 1000, 12, {kRight, kRight}, 12, 2},
        {0, 1000, 12, {Key{-1, 'A'}}, 12, 2},
        // Selections: typing and Backspace replace them; Home and End move the caret.
        {0, 9999, 1234, {shift(kLeft), shift(kLeft), chr('9')}, 129, 3},
        {0, 9999, 1234, {kHome, shift(kRight), kBack}, 234, 0},
        {0, 9999, 1234, {shift(kLeft), chr('x')}, 1234, 3},
        {0, 9999, 1234, {kSelectAll, Key{-1, 'X' | ZU_KEY_CONTROL}}, 1234, 4},  // nowhere to cut to
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(i++);
        field.SetZUNumberRange(c.min, c.max, false);
        field.PutZUNumberPos(c.pos, false);
        send(ZUM_LBUTTONDBLCLK, 10, 10);
        ASSERT_TRUE(field.editing);
        for (const Key& k : c.keys) send(k.msg, k.ch, k.vk);
        EXPECT_EQ(field.editValue, c.value);
        EXPECT_EQ(field.caret, c.caret);
        edit("\x1b");
        ASSERT_FALSE(field.editing);
    }
}

TEST_F(NumberField, EditorNotifiesCommitAndCancel) {
    field.SetZUNumberRange(0, 100, false);
    field.PutZUNumberPos(40, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_TRUE(captured());
    edit("999\n");  // clamped to the range
    ASSERT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED}));
    EXPECT_EQ(std::tuple(host.heard[1].a, host.heard[1].p), std::tuple(100, &field));
    EXPECT_FALSE(field.editing);
    EXPECT_FALSE(captured());
    EXPECT_EQ(field.GetZUNumberPos(), 40);  // until the parent stores it
    edit("1");                              // keys outside an edit do nothing
    EXPECT_EQ(field.editValue, 100);

    // A left click anywhere commits; the press that commits starts no drag.
    host.heard.clear();
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    edit("~7");
    send(ZUM_LBUTTONDOWN, 700, 500);
    EXPECT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED}));
    EXPECT_EQ(host.heard[1].a, 7);
    EXPECT_FALSE(field.dragging);
    send(ZUM_LBUTTONUP, 700, 500);

    // Escape and the right button cancel with ZUM_NUMBEREND and no value.
    for (int how = 0; how < 2; ++how) {
        host.heard.clear();
        send(ZUM_LBUTTONDBLCLK, 10, 10);
        edit("5");
        if (how)
            send(ZUM_RBUTTONDOWN, 5, 5);
        else
            edit("\x1b");
        EXPECT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_NUMBEREND}));
        EXPECT_FALSE(field.editing);
        EXPECT_FALSE(captured());
    }

    // A double click during a drag opens nothing.
    host.heard.clear();
    send(ZUM_LBUTTONDOWN, 100, 5);
    send(ZUM_LBUTTONDBLCLK, 100, 5);
    EXPECT_FALSE(field.editing);
    send(ZUM_LBUTTONUP, 100, 5);
}

TEST_F(NumberField, TimecodeEditingCommitsFramesOrText) {
    field.PutZUNumberType(1, 30000, 1001, true);
    field.SetZUNumberRange(-100000, 100000, false);
    field.PutZUNumberPos(1800, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_STREQ(field.editText, "00;01;00;02");
    EXPECT_EQ(field.caret, 11);
    // Nothing to sign yet; separators but no other characters are taken.
    edit("~", "");
    edit("-", "");
    edit("1234<<:", "12:34", 3);
    edit("-", "-12:34", 4);
    edit("x ", "-12:34");
    edit("<<<<<<<<<", nullptr, 0);
    edit(">>>>>>>>>", nullptr, 6);
    edit("\b", "-12:3");
    edit("\n");  // -00;00;01;23
    ASSERT_EQ(host.heard.back().msg, ZUM_VALUECHANGED);
    EXPECT_EQ(host.heard.back().a, -53);
    EXPECT_EQ(field.GetZUNumberPos(), 1800);

    // Normalised entry, clamped to the range.
    field.SetZUNumberRange(0, 1000, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    edit("~10000\n");
    EXPECT_EQ(host.heard.back().a, 1000);  // 00;01;00;02 is 1800

    // Twelve characters at most; the sign finds no room in a full text.
    field.SetZUNumberRange(-10, 1000, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    // A lone sign is cleared by Backspace; the sign before the caret goes.
    edit("~1234567890123", "123456789012");
    edit("-", "123456789012");
    edit("~5-", "-5");
    edit("\b", "", 0);
    edit("5-<\b", "5", 0);
    edit("\x1b");

    // Type 2 hands the parent the normalised text and keeps showing its own.
    field.PutZUNumberType(2, 30000, 1001, true);
    field.PutZUNumberTC(cs("01;02;03;04"), false);
    host.heard.clear();
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_STREQ(field.editText, "01;02;03;04");
    edit("\b9\n");
    ASSERT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED}));
    EXPECT_EQ(host.heard[1].a, 0);
    EXPECT_EQ(host.heard[1].text, "01;02;03;09");
    char buf[16] = "00:00:00:00";
    field.GetZUNumberTC(buf);
    EXPECT_STREQ(buf, "01;02;03;04");
}

}  // namespace
