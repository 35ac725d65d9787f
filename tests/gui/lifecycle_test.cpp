// The GUI end to end under an X server: ZUInitGUI in both modes, clicks injected with
// XTest, the render handshake, dragging and maximising a real window.
#include <gtest/gtest.h>
// X headers after gtest: they define None.
#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <tuple>

#include "gui/gui_log.h"
#include "support/gui_fixture.h"

using namespace zu::test;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

constexpr uint32_t kGreen = 0x00FF00, kRed = 0xFF0000;

// The button's state and the colour read back at its centre at the end of each pass.
struct Button {
    bool pressed = false;
    int readX = 0, readY = 0;  // window pixel (GL, bottom-up) to read
    std::vector<uint32_t> seen;
};
Button button;
std::mutex logMutex;  // renders may overlap a test thread reading the log

int buttonCallback(void* ud, unsigned msg, int a, int b, void* p, void* q) {
    auto* n = static_cast<ZUWindowNode*>(ud);
    if (msg == ZUM_LBUTTONDOWN) button.pressed = true;
    if (msg == ZUM_LBUTTONUP) button.pressed = false;
    if (msg == ZUM_RENDER) {
        glColor4f(button.pressed ? 1.f : 0.f, button.pressed ? 0.f : 1.f, 0.f, 1.f);
        glRecti(n->rect.x, n->rect.y, n->rect.x + n->rect.width, n->rect.y + n->rect.height);
        const Capture c = capture(button.readX, button.readY, 1, 1);
        button.seen.push_back(uint32_t{c.rgba[0]} << 16 | uint32_t{c.rgba[1]} << 8 | c.rgba[2]);
    }
    std::lock_guard lock(logMutex);
    return logCallback(ud, msg, a, b, p, q);
}

class GuiTest : public GuiFixture {
  protected:
    ZUWindowNode* root = nullptr;
    ZUWindowNode* btn = nullptr;

    void SetUp() override {
        GuiFixture::SetUp();
        heard().clear();
        button = {};
    }
    void buildTree(int w, int h) {
        root = makeNode("root", nullptr, {0, 0, w, h});
        ZuRECT r{50, 50, 100, 100};
        btn = ZUCreateWindow(cs("btn"), 2, 1, &r, nullptr, root, buttonCallback);
        btn->userData = btn;
    }
    // The sequence a click must produce: down, a full pass, up, a full pass.
    void expectClickSequence(int gx, int gy) {
        std::vector<Heard> h;
        {
            std::lock_guard lock(logMutex);
            h = heard();
        }
        auto down = std::find_if(h.begin(), h.end(),
                                 [](const Heard& e) { return e.msg == ZUM_LBUTTONDOWN; });
        ASSERT_NE(down, h.end());
        ASSERT_GT(down - h.begin(), 0);
        EXPECT_EQ(*(down - 1), H("btn", ZUM_MOUSEMOVE, gx, gy));
        std::vector<Heard> rest(down, h.end());
        std::vector<Heard> want{
            H("btn", ZUM_LBUTTONDOWN, gx, gy), H("root", ZUM_RENDER), H("btn", ZUM_RENDER),
            H("btn", ZUM_LBUTTONUP, gx, gy),   H("root", ZUM_RENDER), H("btn", ZUM_RENDER)};
        EXPECT_EQ(rest, want);
        // Red drawn after the down, green after the up.
        ASSERT_GE(button.seen.size(), 2u);
        EXPECT_EQ(std::vector(button.seen.end() - 2, button.seen.end()),
                  (std::vector<uint32_t>{kRed, kGreen}));
    }
    void clickAt(int sx, int sy) {
        x.moveTo(sx, sy);
        pumpFor(100);
        {
            std::lock_guard lock(logMutex);
            heard().clear();
        }
        x.moveTo(sx + 1, sy);
        x.moveTo(sx, sy);
        pumpFor(50);
        x.click(1);
        ASSERT_TRUE(pumpUntil([&] {
            std::lock_guard lock(logMutex);
            auto ups = heardOf(ZUM_LBUTTONUP);
            return !ups.empty() && heard().back().msg == ZUM_RENDER && heard().back().node == "btn";
        }));
    }
};

TEST_F(GuiTest, AClickRendersTheDownStateBeforeTheUpIsTaken) {
    // Mode 2 without a host window is an own window.
    ASSERT_EQ(ZUInitGUI(100, 100, 400, 300, nullptr, cs("zugui test"), cs("zugui.ico"), nullptr, 2),
              0);
    EXPECT_FALSE(gui().embedded);
    EXPECT_EQ(ZUInitGUI(0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr, 0), -2);
    void* w = ZUGetHWND();
    ASSERT_NE(w, nullptr);
    EXPECT_NE(ZUGetDC(), nullptr);
    buildTree(400, 300);
    ZUStartGUI();
    ASSERT_TRUE(pumpUntil([&] { return viewable(w); }));
    button.readX = 100, button.readY = 100;
    // GUI (100, 100) is client (100, 200), the window being at (100, 100).
    clickAt(200, 300);
    expectClickSequence(100, 100);
    EXPECT_EQ(windowPixel(w, 100, 200), kGreen);
    EXPECT_EQ(windowPixel(w, 10, 10), 0u);  // cleared background

    ZuPOINT origin{};
    ZUGetWndScreenOrigin(btn, &origin);
    EXPECT_EQ(std::pair(origin.x, origin.y), std::pair(150, 100 + 300 - 50));
}

TEST_F(GuiTest, EmbeddedInAPlainXlibWindowTheGuiTakesTheTopRowsAndLeavesWithKill) {
    Window host = XCreateSimpleWindow(x.dpy, DefaultRootWindow(x.dpy), 0, 0, 400, 800, 0, 0, 0);
    XMapWindow(x.dpy, host);
    x.sync();
    void* hw = reinterpret_cast<void*>(host);
    ASSERT_EQ(ZUInitGUI(0, 0, 400, 600, nullptr, nullptr, nullptr, hw, 3), 0);
    EXPECT_EQ(std::tuple(gui().embedded, ZUGetHWND()), std::tuple(true, hw));
    buildTree(400, 600);
    ZUStartGUI();
    button.readX = 100, button.readY = 100;  // our window is the GUI area exactly
    // GUI (100, 100) is client (100, 500) of the 800-high host.
    clickAt(100, 500);
    expectClickSequence(100, 100);
    EXPECT_EQ(windowPixel(hw, 100, 500), kGreen);
    EXPECT_EQ(windowPixel(hw, 100, 720), 0u);  // the bottom 200 rows are not the GUI's

    ZUStopGUI();
    ZUKillGUI();
    // Our child is gone; the host's window is alive and has no children.
    XWindowAttributes wa{};
    ASSERT_NE(XGetWindowAttributes(x.dpy, host, &wa), 0);
    EXPECT_TRUE(childWindows(x.dpy, host).empty());
    XDestroyWindow(x.dpy, host);
    x.sync();
    // A host window that does not exist is refused.
    EXPECT_EQ(ZUInitGUI(0, 0, 400, 600, nullptr, nullptr, nullptr, hw, 2), -2);
    EXPECT_EQ(ZUGetHWND(), nullptr);
}

TEST_F(GuiTest, RepaintsCoalesceDuringAPassAndStopEndsRendering) {
    ASSERT_EQ(ZUInitGUI(0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr, 0), 0);
    static std::atomic<int> passes;
    passes = 0;
    ZuRECT r{0, 0, 200, 200};
    root = ZUCreateWindow(nullptr, 0, 1, &r, nullptr, nullptr,
                          [](void*, unsigned msg, int, int, void*, void*) {
                              if (msg == ZUM_RENDER && passes.fetch_add(1) == 0) {
                                  zu::detail::requestRepaint();
                                  zu::detail::requestRepaint();
                                  ZuSleep(50);
                              }
                              return 0;
                          });
    ZURePaint();
    // The two requests made during the pass give one more pass, however late a loaded
    // machine runs it; a third, uncoalesced one would follow it within the next 300 ms.
    for (int waited = 0; passes.load() < 2 && waited < 5000; waited += 10) ZuSleep(10);
    ZuSleep(300);
    EXPECT_EQ(passes.load(), 2);

    ZUStopGUI();
    EXPECT_FALSE(gui().threadRunning.load());
    EXPECT_EQ(gui().renderThread, nullptr);
    ZUStartGUI();  // dispatch comes back, rendering does not
    const int64_t t0 = ws::performanceCounter();
    ZURePaint();
    const double ms = (ws::performanceCounter() - t0) / 1e6;
    EXPECT_TRUE(ms >= 1950 && ms <= 2600) << ms;  // the handshake's time-out, then on
    EXPECT_EQ(passes.load(), 2);
}

TEST_F(GuiTest, DragMaximiseAndCentreMoveTheWindow) {
    ASSERT_EQ(ZUInitGUI(100, 200, 400, 300, nullptr, nullptr, nullptr, nullptr, 0), 0);
    void* w = ZUGetHWND();
    ASSERT_TRUE(pumpUntil([&] { return viewable(w); }));
    ws::Rect wr;
    x.moveTo(110, 205);
    x.sync();
    ZUStartMoveGUI();
    x.moveTo(300, 400);
    x.sync();
    ZUMoveGUI();
    ASSERT_TRUE(pumpUntil([&] { return screenRect(w, &wr) && wr.left == 290; }));
    EXPECT_EQ(wr.top, 395);

    ZuRECT r{0, 0, 0, 0};
    ZUMaximizeGUI(&r, 0);  // no root yet: nothing happens
    EXPECT_EQ(r.width, 0);
    ZuRECT titleRect{0, 0, 10, 10};
    root = ZUCreateWindow(nullptr, 0, 1, &titleRect, nullptr, nullptr, nullptr);
    ZUWindowNode* title = ZUCreateWindow(nullptr, 0, 1, &titleRect, nullptr, root, nullptr);
    root->userData = title;
    // Odd sides: the centre less half the side, rounded down (960 - 320, 540 - 240).
    r = {5, 5, 641, 481};
    ZUMaximizeGUI(&r, 1);
    EXPECT_EQ(title->visible, 0);
    EXPECT_EQ(std::tuple(r.x, r.y, r.width, r.height, gui().currentGuiHeight),
              std::tuple(0, 0, 641, 481, 481));
    ASSERT_TRUE(pumpUntil([&] { return screenRect(w, &wr) && wr.left == 640; }));
    EXPECT_EQ(std::pair(wr.top, wr.width()), std::pair(300, 641));

    ws::MonitorInfo primary, second;
    primary.monitor = primary.work = {0, 0, 1920, 1080};
    primary.primary = true;
    second.monitor = {1920, 0, 3200, 1024};
    second.work = {1920, 0, 3200, 990};  // maximising takes the monitor, not its work area
    ws::setMonitorsForTesting({primary, second});
    ws::move(gui().mainWindow, 2000, 10);
    ASSERT_TRUE(pumpUntil([&] { return screenRect(w, &wr) && wr.left == 2000; }));
    ZUMaximizeGUI(&r, 0);
    ws::setMonitorsForTesting({});
    EXPECT_EQ(std::pair(r.width, r.height), std::pair(1280, 1024));
    ASSERT_TRUE(pumpUntil([&] { return screenRect(w, &wr) && wr.left == 1920; }));
    EXPECT_EQ(std::pair(wr.top, wr.height()), std::pair(0, 1024));
}

}  // namespace
