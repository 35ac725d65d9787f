// The node tree without a display: slots, render order, hit testing, destruction, node
// state, hot keys, capture and the scheme.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "gui/gui_log.h"
#include "support/rows.h"

using namespace zu::test;
using zu::detail::gui;

namespace {

class TreeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        heard().clear();
        gui().hotKeys = new zu::detail::HotKey[zu::detail::kHotKeyCount]{};
    }
    void TearDown() override {
        if (gui().root) ZUDestroyWindow(gui().root);
        delete[] gui().hotKeys;
        gui().hotKeys = nullptr;
    }
    std::vector<std::string> renderOrder() {
        heard().clear();
        zu::detail::renderWalk(gui().root);
        std::vector<std::string> out;
        for (auto& h : heard()) out.push_back(h.node);
        return out;
    }
    static std::string hitName(int x, int y) {
        ZUWindowNode* n = zu::detail::hitTest(gui().root, x, y);
        return n ? n->text : "-";
    }
};

TEST_F(TreeTest, FirstNodeIsTheRootAndANullParentIsRefusedAfterwards) {
    ZUWindowNode* root = makeNode("root", nullptr, {0, 0, 100, 100});
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(gui().root, root);
    EXPECT_EQ(makeNode("other", nullptr, {0, 0, 1, 1}), nullptr);

    // Destroying the root clears it; the next node becomes the new root.
    EXPECT_EQ(ZUDestroyWindow(root), 1);
    EXPECT_EQ(gui().root, nullptr);
    ZUWindowNode* again = makeNode("again", nullptr, {0, 0, 1, 1}, 2);
    EXPECT_EQ(std::tuple(gui().root, int(again->visible), int(again->enabled)),
              std::tuple(again, 0, 0));
}

TEST_F(TreeTest, SlotsAreDrawingOrderAndTheTopmostDeepestVisibleNodeIsHit) {
    ZUWindowNode* root = makeNode("root", nullptr, {0, 0, 200, 200});
    ZUWindowNode* a = makeNode("a", root, {10, 10, 100, 100});
    makeNode("b", root, {20, 20, 100, 100});
    ZUWindowNode* c = makeNode("c", root, {30, 30, 100, 100});
    ZUWindowNode* a1 = makeNode("a1", a, {10, 10, 20, 20});
    EXPECT_EQ(std::tuple(root->children[0], root->children[2], root->childCount),
              std::tuple(a, c, 3u));
    EXPECT_EQ(renderOrder(), (std::vector<std::string>{"root", "a", "a1", "b", "c"}));

    struct Case {
        int x, y;
        const char* expect;
    } cases[] = {
        {50, 50, "c"},                      // covered by all three: the highest slot wins
        {10, 10, "a1"},                     // only a covers it, a1 deeper; bottom-left inside
        {30, 15, "a"},                      // right edge of a1 is outside it
        {129, 129, "c"},                    // last pixel of c
        {130, 130, "root"},                 // top-right edge of c is outside
        {199, 0, "root"},   {200, 5, "-"},  // outside the root
        {-1, 5, "-"},
    };
    for (auto& k : cases) EXPECT_EQ(hitName(k.x, k.y), k.expect) << k.x << "," << k.y;

    // A child outside its parent's rectangle is never found there.
    makeNode("outside", a1, {150, 150, 10, 10});
    EXPECT_EQ(hitName(155, 155), "root");

    // Hidden parents hide and shield their whole subtree; disabled nodes are still hit.
    ZUShowWindow(a, 0, 0);
    EXPECT_EQ(hitName(15, 15), "root");
    EXPECT_EQ(renderOrder(), (std::vector<std::string>{"root", "b", "c"}));
    ZUShowWindow(a, 1, 0);
    ZUDisableWindow(a1, 1, 0);
    EXPECT_EQ(hitName(15, 15), "a1");
    EXPECT_TRUE(ZUIsDisabled(a1));
}

TEST_F(TreeTest, DestructionIsBottomUpInSlotOrderAndLeavesTheParentsSlot) {
    ZUWindowNode* root = makeNode("root", nullptr, {0, 0, 10, 10});
    ZUWindowNode* p = makeNode("p", root, {0, 0, 10, 10});
    ZUWindowNode* k0 = makeNode("k0", p, {0, 0, 1, 1});
    makeNode("k0a", k0, {0, 0, 1, 1});
    makeNode("k1", p, {0, 0, 1, 1});
    ZUWindowNode* q = makeNode("q", root, {0, 0, 10, 10});
    heard().clear();
    EXPECT_EQ(ZUDestroyWindow(p), 1);
    std::vector<std::string> order;
    for (auto& h : heard()) {
        EXPECT_EQ(h.msg, ZUM_DESTROY);
        order.push_back(h.node);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"k0a", "k0", "k1", "p"}));
    // The slot is free again and the next child takes it.
    EXPECT_EQ(std::tuple(root->childCount, root->children[0], root->children[1]),
              std::tuple(1u, nullptr, q));
    ZUWindowNode* r = makeNode("r", root, {0, 0, 1, 1});
    EXPECT_EQ(root->children[0], r);
    EXPECT_EQ(renderOrder(), (std::vector<std::string>{"root", "r", "q"}));
}

TEST_F(TreeTest, TheChildBeyondTheLastSlotIsNeverDrawnAndOutlivesItsParentSafely) {
    ZUWindowNode* root = makeNode("root", nullptr, {0, 0, 10, 10});
    ZUWindowNode* p = makeNode("p", root, {0, 0, 10, 10});
    for (int i = 0; i < 140; ++i) ASSERT_NE(makeNode("k", p, {0, 0, 10, 10}), nullptr);
    std::string said;
    ZuSetErrorCallback([](const char* line, void* to) { *static_cast<std::string*>(to) += line; },
                       &said);
    ZUWindowNode* extra = makeNode("extra", p, {0, 0, 10, 10});
    ZuSetErrorCallback(nullptr, nullptr);
    ASSERT_NE(extra, nullptr);
    EXPECT_NE(said.find("\"extra\" not linked"), std::string::npos) << said;
    EXPECT_EQ(p->childCount, 140u);
    for (auto& name : renderOrder()) EXPECT_NE(name, "extra");
    // Its parent goes first; destroying it later must not touch the released parent.
    ZUDestroyWindow(p);
    heard().clear();
    EXPECT_EQ(ZUDestroyWindow(extra), 1);
    ASSERT_EQ(heard().size(), 1u);
    EXPECT_EQ(heard()[0].node, "extra");
    EXPECT_EQ(ZUDestroyWindow(extra), 0);  // no longer a node
}

TEST_F(TreeTest, SendCallsAtOnceAndHotKeysAndTheCaptureGoToTheFirstToAsk) {
    ZUWindowNode* a = makeNode("a", nullptr, {0, 0, 1, 1});
    ZUWindowNode* b = makeNode("b", a, {0, 0, 1, 1});
    int x = 7;
    ZUSendMessage(a, ZUM_CLICKED, 3, 4, b, &x);
    ASSERT_EQ(heard().size(), 1u);
    EXPECT_EQ(heard()[0], (Heard{"a", ZUM_CLICKED, 3, 4, b, &x}));
    EXPECT_EQ(heard()[0].p, b);

    auto* table = gui().hotKeys;
    ZURegisterHotKey(a, 255, 1);
    ZURegisterHotKey(a, -1, 1);
    for (int k = 0; k < zu::detail::kHotKeyCount; ++k) EXPECT_EQ(table[k].node, nullptr);
    auto holder = [&] { return table[13].node == a ? 'a' : table[13].node == b ? 'b' : '-'; };
    // clang-format off
    expectRows({
        AFTER(ZURegisterHotKey(a, 13, 5), holder(), 'a'),
        AFTER(ZURegisterHotKey(b, 13, 6), holder(), 'a'),  // taken: no effect
        ROW(table[13].value, 5),
        AFTER(ZUUnRegisterHotKey(b, 13), holder(), 'a'),   // wrong node
        AFTER(ZUUnRegisterHotKey(a, 13), holder(), '-'),   ROW(table[13].value, 0),
        AFTER(ZURegisterHotKey(b, 13, 6), holder(), 'b'),
        // The first capture wins until released.
        AFTER((ZUCaptureMouse(a), ZUCaptureMouse(b)), gui().capture == a, 1),
        AFTER(ZUReleaseMouse(), gui().capture != nullptr, 0),
        AFTER(ZUCaptureMouse(b), gui().capture == b, 1),
        AFTER((ZUReleaseMouse(), ZUReleaseMouse()), gui().capture != nullptr, 0),
    });
    // A destroyed node leaves the table, the capture and the click references.
    ZUCaptureMouse(b);
    gui().rolloverNode = gui().lastClicked = b;
    ZUDestroyWindow(b);
    expectRows({
        ROW(holder(), '-'),                         ROW(gui().capture != nullptr, 0),
        ROW(gui().rolloverNode != nullptr, 0),      ROW(gui().lastClicked != nullptr, 0),
    });
    // clang-format on

    // Without the table registration does nothing (and does not crash).
    delete[] gui().hotKeys;
    gui().hotKeys = nullptr;
    EXPECT_EQ(ZURegisterHotKey(a, 1, 1), 0);
}

TEST(SchemeTest, DefaultsFillEveryEntry) {
    ZuFCOLOR c{9, 9, 9, 9};
    ZuFCOLOR red{1, 0, 0, 1};
    ZUSetSchemeColor(21, &red);
    zu::detail::fillSchemeDefaults();  // what ZUInitGUI does: earlier entries are lost
    // 21 back to its default; 33, 104 and 255 have none.
    struct Case {
        int index;
        ZuFCOLOR expect;
    } cases[] = {
        {21, {0.9f, 0.85f, 0.75f, 1}},
        {33, {0, 0, 0, 0.5f}},
        {104, {0, 0, 0, 0.5f}},
        {255, {0, 0, 0, 0.5f}},
    };
    for (auto& k : cases) {
        ASSERT_EQ(ZUGetSchemeColor(k.index, &c), 0);
        EXPECT_EQ(memcmp(&c, &k.expect, sizeof c), 0) << k.index;
    }
}

}  // namespace
