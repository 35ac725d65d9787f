// The widget classes' message behaviour, through ReceiveZUMessage and through the node
// callback: captures, notifications, latching and check values, the action button's cycle,
// tab hover and the text field's editing.
#include <gtest/gtest.h>

#include <memory>

#include "gui/gui_state.h"
#include "support/rows.h"
#include "widget_host.h"

using namespace zu::test;
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
    EXPECT_EQ(other.heard[0].a, 7);
    EXPECT_TRUE(host.heard.empty());

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
        b.DestroyZUWindow();
    }

    ZUButton push;
    make(push);
    push.SetZUCheck(1);  // not a latching button
    EXPECT_EQ(push.GetZUCheck(), 0);
    push.ButtonZUType(3);
    EXPECT_EQ(push.buttonType, 1);
    push.SetZUCheck(1);
    EXPECT_EQ(push.pressed, 1);
    send(push, ZUM_LBUTTONUP, 110, 110);  // an up without a down
    EXPECT_EQ(push.pressed, 1);

    // The check box asks for the other state and keeps its own until told.
    ZUCheckBox box;
    make(box, {100, 200, 16, 16});
    for (int before : {0, 1}) {
        host.heard.clear();
        box.SetZUCheck(before);
        send(box, ZUM_LBUTTONDOWN, 105, 205);
        send(box, ZUM_LBUTTONUP, 105, 205);
        ASSERT_EQ(host.count(ZUM_CLICKED), 1u);
        EXPECT_EQ(host.heard[0].a, before ? 0 : 1);
        EXPECT_EQ(box.GetZUCheck(), before);
        EXPECT_EQ(box.pressed, 0);
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
        // Push pressed inside, released outside: nothing, capture given back.
        {0, 'D', 110, 110, 1, -1, -1, -1},  {-1, 'U', 10, 10, -1, -1, 0, 0},
        // Action: the first click engages and keeps the capture; outside releases do nothing.
        {3, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, 1, 1, 1, 1},
        {-1, 'U', 500, 500, -1, 1, 1, -1},
        // A second click inside releases it; its press is ignored, the button still pressed.
        {-1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, 0, 0, 0, 2},
        // Engaged again, then reset by the host.
        {-1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, -1, -1, -1, -1},
        {-1, 'R', 0, 0, 0, 0, 0, -1},
        // Pressed, released outside before engaging: back to idle silently.
        {-1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 10, 10, 0, -1, -1, 3},
        // Latch: the click is reported. Inert: the capture still comes back.
        {1, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, -1, -1, -1, 4},
        {2, 'D', 110, 110, -1, -1, -1, -1}, {-1, 'U', 110, 110, -1, -1, 0, 4},
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
    EXPECT_EQ(p.GetZUCheck(), 0);  // the latch's look follows the host's check
    p.ButtonZUType(4);
    EXPECT_EQ(p.buttonType, 2);
    // Reset on a push button does nothing.
    p.ButtonZUType(0);
    p.pressed = 1;
    p.ResetZUActionState(false);
    EXPECT_EQ(p.pressed, 1);
    p.SetZUBkType(1);
    p.SetZUBkType(2);
    EXPECT_EQ(p.GetZUBkType(), 1);
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

    EXPECT_EQ(tab.DestroyZUWindow(), -2);
    EXPECT_EQ(tab.GetZUWndHandle(), nullptr);
    EXPECT_EQ(tab.DestroyZUWindow(), -2);
}

// Key input to a text field: a character, or -1 with a virtual key.
struct Key {
    int ch, vk;
};
constexpr Key chr(char c) {
    return {static_cast<unsigned char>(c), 0};
}
constexpr Key kLeft{-1, 37}, kRight{-1, 39}, kBack{-1, 8}, kDel{-1, 46}, kEnter{-1, 13},
    kEsc{-1, 27}, kHome{-1, 0x24}, kEnd{-1, 0x23};
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
    int caret;
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
        for (const Key& key : k.keys) send(t, ZUM_KEY, key.ch, key.vk);
        EXPECT_EQ(textOf(t), k.after);
        EXPECT_EQ(t.caret, k.caret);
        EXPECT_EQ(host.count(ZUM_TEXTENTERED), k.entered);
        t.DestroyZUWindow();
        ZUReleaseMouse();
    }
}

TEST_F(WidgetTest, TextFieldClicksCommitCancelAndCopy) {
    ZUText t;
    make(t, {100, 100, 200, 24}, "old");
    send(t, ZUM_KEY, 'x', 0);  // not editing: ignored
    EXPECT_EQ(textOf(t), "old");
    // Click, type, click again (anywhere): committed with one notification.
    send(t, ZUM_LBUTTONDOWN, 110, 110);
    send(t, ZUM_KEY, '!', 0);
    send(t, ZUM_LBUTTONDOWN, 500, 500);
    EXPECT_FALSE(t.editing);
    EXPECT_EQ(t.savedText, nullptr);
    EXPECT_EQ(gui().capture, nullptr);
    EXPECT_EQ(host.count(ZUM_TEXTENTERED), 1u);
    EXPECT_EQ(textOf(t), "old!");
    // A right click cancels without a word.
    send(t, ZUM_LBUTTONDOWN, 110, 110);
    send(t, ZUM_KEY, '?', 0);
    send(t, ZUM_RBUTTONDOWN, 110, 110);
    EXPECT_EQ(textOf(t), "old!");
    EXPECT_EQ(host.count(ZUM_TEXTENTERED), 1u);

    send(t, ZUM_LBUTTONDOWN, 110, 110);
    // A copy owns its saved text.
    {
        ZUText copy(t);
        ASSERT_NE(copy.savedText, nullptr);
        EXPECT_NE(copy.savedText, t.savedText);
        EXPECT_STREQ(copy.savedText, "old!");
        copy.node = nullptr;  // the node is the first object's
    }
    send(t, ZUM_KEY, -1, 27);
    EXPECT_EQ(textOf(t), "old!");
}

TEST_F(WidgetTest, ItemListsInsertReadAndReset) {
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
    // Copies own their texts.
    ZUComboButton copy(combo);
    EXPECT_NE(copy.items[0], combo.items[0]);
    EXPECT_STREQ(copy.items[0], "a");
    copy.node = nullptr;
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
    struct RowCase {
        int y, row;
    };
    for (RowCase k : {RowCase{175, 0}, {160, 0}, {159, 1}, {130, 1}, {129, 2}, {105, 2}})
        EXPECT_EQ(list.RowAt(k.y), k.row) << k.y;
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

}  // namespace
