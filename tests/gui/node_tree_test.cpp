// The node tree and the window procedure without a display: slots, render order, hit
// testing, destruction, node state, hot keys, capture and the scheme; then what each node
// callback hears from synthetic messages, in order, with render markers where the input
// handshake runs.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "gui/gui_log.h"
#include "platform/winsys/events.h"
#include "support/rows.h"

using namespace zu::test;
using namespace zu::ws;
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

    const std::tuple<int, int, const char*> cases[] = {
        {50, 50, "c"},                      // covered by all three: the highest slot wins
        {10, 10, "a1"},                     // only a covers it, a1 deeper; bottom-left inside
        {30, 15, "a"},                      // right edge of a1 is outside it
        {129, 129, "c"},                    // last pixel of c
        {130, 130, "root"},                 // top-right edge of c is outside
        {199, 0, "root"},   {200, 5, "-"},  // outside the root
        {-1, 5, "-"},
    };
    for (auto [x, y, expect] : cases) EXPECT_EQ(hitName(x, y), expect) << x << "," << y;

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
    EXPECT_EQ(heard(), (std::vector<Heard>{H("extra", ZUM_DESTROY)}));
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
    const std::pair<int, ZuFCOLOR> cases[] = {
        {21, {0.9f, 0.85f, 0.75f, 1}},
        {33, {0, 0, 0, 0.5f}},
        {104, {0, 0, 0, 0.5f}},
        {255, {0, 0, 0, 0.5f}},
    };
    for (auto& [index, expect] : cases) {
        ASSERT_EQ(ZUGetSchemeColor(index, &c), 0);
        EXPECT_EQ(memcmp(&c, &expect, sizeof c), 0) << index;
    }
}

// Stand-ins: the procedure only compares window handles.
Window* const kMain = reinterpret_cast<Window*>(0x5151);
Window* const kVideoWindow = reinterpret_cast<Window*>(0x6161);
auto* const kVideo = reinterpret_cast<ZUVideoWindowNode*>(0x7171);

int64_t fakeNow = 0;
int64_t fakeClock() {
    return fakeNow;
}
const Heard R{"render", 0, 0, 0, nullptr, nullptr};
void markRender() {
    heard().push_back(R);
}

class ProcTest : public TreeTest {
  protected:
    ZUWindowNode *root, *left, *right, *roll;
    std::atomic<bool> videoStarted{false};

    void SetUp() override {
        TreeTest::SetUp();
        auto& g = gui();
        g.mainWindow = kMain;
        g.started = true;
        g.currentGuiHeight = 600;
        g.videoTable = new zu::detail::VideoSlot[zu::detail::kVideoSlotCount]{};
        g.handshakeHook = markRender;
        g.clock = fakeClock;
        g.dblClkInterval = 500'000'000;  // half a second in nanosecond ticks
        fakeNow = 0;
        // GUI y grows upwards: "left" covers client rows 0..99 of a 600-high GUI.
        root = makeNode("root", nullptr, {0, 0, 800, 600});
        left = makeNode("left", root, {0, 500, 100, 100});
        right = makeNode("right", root, {200, 500, 100, 100});
        roll = makeNode("roll", root, {400, 500, 100, 100});
        ZUEnableWndMouseRollover(roll, 1);
        zu::detail::registerVideoWindow(kVideo, kVideoWindow, left, &videoStarted);
        heard().clear();
    }
    void TearDown() override {
        auto& g = gui();
        TreeTest::TearDown();  // destroying the nodes drops the capture and click references
        delete[] g.videoTable;
        g.videoTable = nullptr;
        g.mainWindow = nullptr;
        g.started = false;
        g.mbShown = false;
        g.videoCapture = nullptr;
        g.comboWindow = nullptr;
        g.handshakeHook = nullptr;
        g.clock = performanceCounter;
    }
    // Events built from the host loop's messages, as ZuDispatchMessage builds them.
    static intptr_t msg(unsigned m, uintptr_t wp, intptr_t lp, Window* w = kMain) {
        return zu::detail::guiWindowProc(fromMessage(w, m, wp, lp));
    }
    static intptr_t at(unsigned m, int x, int y, Window* w = kMain) {
        return msg(m, 0, makeLParam(x, y), w);
    }
    static uintptr_t wheel(int delta, unsigned keys) {
        return (static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16) | keys;
    }
};

TEST_F(ProcTest, PointerInputGoesToTheHitNodeInGuiCoordinates) {
    at(WM_MOUSEMOVE, 10, 5);  // GUI (10, 595): "left", no roll-over, so no render
    at(WM_LBUTTONDOWN, 10, 5);
    at(WM_LBUTTONUP, 250, 50);     // release over another node goes there
    at(WM_RBUTTONDOWN, 700, 300);  // only the root is there
    at(WM_RBUTTONUP, 900, 300);    // outside the GUI: nothing
    at(WM_LBUTTONDBLCLK, 20, 20);  // the system's double click, whatever lDblClk says
    EXPECT_EQ(heard(),
              (std::vector<Heard>{
                  H("left", ZUM_MOUSEMOVE, 10, 595), H("left", ZUM_LBUTTONDOWN, 10, 595), R,
                  H("right", ZUM_LBUTTONUP, 250, 550), R, H("root", ZUM_RBUTTONDOWN, 700, 300), R,
                  H("left", ZUM_LBUTTONDBLCLK, 20, 580), R}));

    // A disabled node swallows input; it is not passed to the node beneath.
    heard().clear();
    ZUDisableWindow(left, 1, 0);
    at(WM_LBUTTONDOWN, 10, 5);
    at(WM_MOUSEMOVE, 10, 5);
    EXPECT_TRUE(heard().empty());

    // Not started, or the message box shown: nothing at all.
    ZUDisableWindow(left, 0, 0);
    for (int blocked = 0; blocked < 2; ++blocked) {
        gui().started = blocked == 1;
        gui().mbShown = blocked == 1;
        at(WM_LBUTTONDOWN, 10, 5);
        msg(WM_MOUSEWHEEL, wheel(120, 0), makeLParam(10, 10));
        msg(WM_CHAR, 'a', 0);
    }
    EXPECT_TRUE(heard().empty());
}

TEST_F(ProcTest, RolloverNodesHearLeaveThenMoveAndEveryMotionRenders) {
    at(WM_MOUSEMOVE, 410, 10);
    at(WM_MOUSEMOVE, 420, 10);
    at(WM_MOUSEMOVE, 10, 10);  // onto a node without roll-over: leave alone, one render
    at(WM_MOUSEMOVE, 11, 10);  // no roll-over pending: no render
    EXPECT_EQ(heard(),
              (std::vector<Heard>{H("roll", ZUM_MOUSEMOVE, 410, 590), R, H("roll", ZUM_MOUSELEAVE),
                                  H("roll", ZUM_MOUSEMOVE, 420, 590), R, H("roll", ZUM_MOUSELEAVE),
                                  H("left", ZUM_MOUSEMOVE, 10, 590), R,
                                  H("left", ZUM_MOUSEMOVE, 11, 590)}));
}

TEST_F(ProcTest, TheLibrarysDoubleClickMeasuresBetweenPressesOnOneNode) {
    ZUEnableWndLDblClk(left, 1);
    struct Step {
        double seconds;
        unsigned message;
        int x;
        unsigned expect;  // 0: nothing for the left node
    } steps[] = {
        {0.0, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDOWN},
        {0.3, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDBLCLK},
        {0.9, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDOWN},  // 0.6 s after the previous press
        {1.0, WM_RBUTTONDOWN, 10, ZUM_RBUTTONDOWN},  // clears the last-clicked node
        {1.1, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDOWN},
        {1.2, WM_LBUTTONDOWN, 210, 0},  // another node in between
        {1.3, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDOWN},
        {1.8, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDBLCLK},  // exactly the interval still counts
        {1.5, WM_LBUTTONDOWN, 10, ZUM_LBUTTONDOWN},    // the clock went backwards
    };
    for (auto& s : steps) {
        heard().clear();
        fakeNow = static_cast<int64_t>(s.seconds * 1e9 + 0.5);
        at(s.message, s.x, 50);
        const unsigned got = heard().empty() || heard()[0].node != "left" ? 0 : heard()[0].msg;
        EXPECT_EQ(got, s.expect) << "at " << s.seconds << " s";
    }
}

TEST_F(ProcTest, TheCaptureNodeTakesAllPointerAndKeyInput) {
    ZUCaptureMouse(right);
    at(WM_MOUSEMOVE, 10, 5);
    at(WM_LBUTTONDOWN, -20, 700);  // outside the GUI altogether
    msg(WM_MOUSEWHEEL, wheel(-120, MK_CONTROL), makeLParam(30, 100));
    msg(WM_KEYDOWN, VK_SHIFT, 0);
    msg(WM_KEYDOWN, 'A', 0);  // a letter: no ZUM_KEY from the key-down, but a render
    msg(WM_CHAR, 'a', 0);
    msg(WM_CHAR, 8, 0);                  // control codes are not characters
    msg(WM_CHAR, 'b', KF_EXTENDED_BIT);  // nor are extended keys
    EXPECT_EQ(heard(),
              (std::vector<Heard>{
                  H("right", ZUM_MOUSEMOVE, 10, 595), R, H("right", ZUM_LBUTTONDOWN, -20, -100), R,
                  H("right", ZUM_MOUSEWHEEL, -1, 1), R, H("right", ZUM_KEY, -1, 0x10), R, R,
                  H("right", ZUM_KEY, 'a', 0), R, R, R}));
    auto wheels = heardOf(ZUM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), 1u);
    EXPECT_NE(wheels[0].q, nullptr);  // the point, alive during the call
}

TEST_F(ProcTest, WheelNotchesAndKeyStateReachTheRootWithoutARender) {
    ZuPOINT seen{};
    auto keepPoint = [](void* ud, unsigned m, int a, int b, void* p, void* q) {
        if (m == ZUM_MOUSEWHEEL) *static_cast<ZuPOINT*>(ud) = *static_cast<ZuPOINT*>(q);
        return logCallback(nullptr, m, a, b, p, q);
    };
    root->callback = keepPoint;
    root->userData = &seen;
    struct Case {
        int delta;
        unsigned keys;
        int notches, state;
    } cases[] = {{-120, 0, -1, 0},
                 {60, 0, 0, 0},
                 {240, MK_SHIFT, 2, MK_SHIFT},
                 {-360, MK_CONTROL, -3, 1},
                 {120, MK_CONTROL | MK_SHIFT, 1, 12}};
    for (auto& k : cases) {
        heard().clear();
        msg(WM_MOUSEWHEEL, wheel(k.delta, k.keys), makeLParam(300, 100));
        ASSERT_EQ(heard().size(), 1u);  // no render marker
        EXPECT_EQ(heard()[0].a, k.notches) << k.delta;
        EXPECT_EQ(heard()[0].b, k.state) << k.keys;
    }
    EXPECT_EQ(seen.x, 300);
    EXPECT_EQ(seen.y, 500);
    heard().clear();
    ZUDisableWindow(root, 1, 0);
    msg(WM_MOUSEWHEEL, wheel(120, 0), makeLParam(300, 100));
    EXPECT_TRUE(heard().empty());
}

TEST_F(ProcTest, HotKeysAndCharactersGoToTheRegisteredNode) {
    ZURegisterHotKey(left, VK_RETURN, 0);
    ZURegisterHotKey(right, 'a', 0);
    ZURegisterHotKey(roll, VK_LEFT, 0);
    ZUShowWindow(roll, 0, 0);  // hidden nodes take no hot keys
    msg(WM_KEYDOWN, VK_RETURN, 0);
    msg(WM_CHAR, 'a', 0);
    msg(WM_CHAR, 'z', 0);         // nobody registered: nothing, no render
    msg(WM_KEYDOWN, VK_LEFT, 0);  // hidden
    msg(WM_KEYDOWN, 300, 0);      // beyond the table
    EXPECT_EQ(heard(), (std::vector<Heard>{H("left", ZUM_KEY, -1, VK_RETURN), R,
                                           H("right", ZUM_KEY, 'a', 0), R}));
}

// Modifiers travel in the scan-code byte of the key message, as ZuDispatchMessage reads it.
TEST_F(ProcTest, EditingKeysReachOnlyTheCaptureNodeWithTheirModifiers) {
    const auto keyDown = [](unsigned vk, unsigned mods) {
        return msg(WM_KEYDOWN, vk, intptr_t{mods} << KF_MODIFIER_SHIFT);
    };
    struct Case {
        unsigned vk, mods;
        int capturedB;  // 0: the capture node hears no ZUM_KEY
        int hotKeyB;    // the same key as a hot key of "left"
    } const cases[] = {
        {VK_LEFT, MK_SHIFT, VK_LEFT | ZU_KEY_SHIFT, VK_LEFT},
        {VK_RIGHT, MK_SHIFT | MK_CONTROL, VK_RIGHT | ZU_KEY_SHIFT | ZU_KEY_CONTROL, VK_RIGHT},
        {VK_HOME, 0, VK_HOME, 0},
        {VK_END, MK_SHIFT, VK_END | ZU_KEY_SHIFT, 0},
        {'A', MK_CONTROL, 'A' | ZU_KEY_CONTROL, 0},
        {'C', MK_CONTROL, 'C' | ZU_KEY_CONTROL, 0},
        {'X', MK_CONTROL, 'X' | ZU_KEY_CONTROL, 0},
        {'V', MK_CONTROL | MK_SHIFT, 'V' | ZU_KEY_CONTROL | ZU_KEY_SHIFT, 0},
        {'V', 0, 0, 0},  // a plain letter comes as its character
        {'B', MK_CONTROL, 0, 0},
        {VK_DELETE, MK_SHIFT, VK_DELETE | ZU_KEY_SHIFT, VK_DELETE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "vk " << c.vk << " mods " << c.mods);
        heard().clear();
        ZUCaptureMouse(right);
        keyDown(c.vk, c.mods);
        ZUReleaseMouse();
        ZURegisterHotKey(left, static_cast<int>(c.vk), 0);
        keyDown(c.vk, c.mods);
        ZUUnRegisterHotKey(left, static_cast<int>(c.vk));
        std::vector<Heard> want;
        if (c.capturedB) want.push_back(H("right", ZUM_KEY, -1, c.capturedB));
        want.push_back(R);
        if (c.hotKeyB) want.push_back(H("left", ZUM_KEY, -1, c.hotKeyB));
        want.push_back(R);
        EXPECT_EQ(heard(), want);
    }
}

TEST_F(ProcTest, ActivationExceptForThePopupAndTheBackgroundReachTheRootOnceStarted) {
    auto* combo = reinterpret_cast<Window*>(0x9999);
    gui().comboWindow = combo;
    auto activate = [](bool active, Window* other, Window* w = kMain) {
        Event e;
        e.kind = EventKind::Activate;
        e.window = w;
        e.active = active;
        e.other = other;
        zu::detail::guiWindowProc(e);
    };
    activate(true, nullptr);
    activate(false, combo);  // popup opened
    activate(false, nullptr);
    activate(true, nullptr, kVideoWindow);  // not the main window
    EXPECT_EQ(heard(),
              (std::vector<Heard>{H("root", ZUM_ACTIVATE, 1), R, H("root", ZUM_ACTIVATE, 0), R}));
    heard().clear();
    gui().started = false;
    activate(true, nullptr);
    EXPECT_EQ(msg(WM_ERASEBKGND, 0, 0), 1);  // default processing
    EXPECT_TRUE(heard().empty());
    ZUStartGUI();
    EXPECT_EQ(msg(WM_ERASEBKGND, 0, 0), 1);
    EXPECT_EQ(heard(), (std::vector<Heard>{R}));
}

// Buttons and motion over a video window, in its own terms and the right button flipped,
// are the video window test's (InputOnAVideoWindowReachesTheOwnerAsVideoMessages).
TEST_F(ProcTest, VideoWindowInputGoesToTheOwnerWithTheVideoWindow) {
    msg(WM_MOUSEWHEEL, wheel(-60, MK_MBUTTON), makeLParam(700, 800), kVideoWindow);
    EXPECT_EQ(msg(WM_ERASEBKGND, 0, 0, kVideoWindow), 1);
    videoStarted = true;  // a running display draws its own background
    msg(WM_ERASEBKGND, 0, 0, kVideoWindow);
    at(WM_MOUSEMOVE, 5, 6, reinterpret_cast<Window*>(0x1234));  // unknown window
    EXPECT_EQ(heard(), (std::vector<Heard>{H("left", ZUM_VIDEOMOUSEWHEEL, -60, 1),
                                           H("left", ZUM_VIDEOERASE)}));
    for (auto& h : heard()) EXPECT_EQ(h.p, kVideo);

    // A video capture takes the main window's pointer input, except the button press.
    heard().clear();
    gui().videoCapture = kVideo;
    at(WM_MOUSEMOVE, 10, 5);
    at(WM_LBUTTONDOWN, 10, 5);
    at(WM_LBUTTONUP, 10, 5);
    msg(WM_CHAR, 'a', 0);
    EXPECT_EQ(heard(), (std::vector<Heard>{H("left", ZUM_VIDEOMOUSEMOVE, 10, 5),
                                           H("left", ZUM_VIDEOLBUTTONUP, 10, 5)}));
    zu::detail::unregisterVideoWindow(kVideo);
    EXPECT_EQ(gui().videoCapture, nullptr);
    heard().clear();
    at(WM_MOUSEMOVE, 5, 6, kVideoWindow);
    EXPECT_TRUE(heard().empty());
}

}  // namespace
