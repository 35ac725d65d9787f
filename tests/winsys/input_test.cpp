// Real input through XTest and posted messages, arriving as the classic messages, and drops
// from a drag source on its own connection beside a forger's notices; many posters beside
// real input are the GUI stress test's.
#include <X11/Xatom.h>
#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

#include "support/winsys_support.h"
#include "support/xdnd_source.h"

using namespace zu::ws;
namespace ws = zu::ws;
using zu::test::countOf;
using zu::test::pumpUntil;
using zu::test::recorded;
using zu::test::Recorded;
using zu::test::recordingProc;

namespace {

// The pointer position a message carries, as signed 16-bit client coordinates.
std::pair<int, int> xy(intptr_t lParam) {
    return {getXLParam(lParam), getYLParam(lParam)};
}

ws::Window* gDropWindow = nullptr;

intptr_t dropProc(const Event& e) {
    if (e.kind == EventKind::Drop) gDropWindow = e.window;
    return defaultProc(e);
}

class InputTest : public ::testing::Test {
  protected:
    ws::Window* window = nullptr;
    ws::Window* plain = nullptr;
    zu::test::TestDisplay x;

    void SetUp() override {
        ASSERT_TRUE(open());
        ASSERT_NE(x.dpy, nullptr);
        window = zu::test::TestWindow{100, 100, 400, 300, true, true}.make();
        plain = zu::test::TestWindow{600, 100, 400, 300, true, false}.make();
        ASSERT_TRUE(pumpUntil(
            [&] { return countOf(window, WM_SHOWWINDOW) && countOf(plain, WM_SHOWWINDOW); }));
        recorded().clear();
    }
    void TearDown() override {
        releaseCapture();
        destroyWindow(window);
        destroyWindow(plain);
    }
    std::vector<Recorded> of(ws::Window* w, unsigned m) {
        std::vector<Recorded> out;
        for (auto& r : recorded())
            if (r.window == w && r.message == m) out.push_back(r);
        return out;
    }
};

}  // namespace

TEST_F(InputTest, PointerInputArrivesWithClientCoordinatesAndKeyState) {
    x.moveTo(110, 105);
    ASSERT_TRUE(pumpUntil([&] { return !of(window, WM_MOUSEMOVE).empty(); }));
    EXPECT_EQ(xy(of(window, WM_MOUSEMOVE).back().lParam), std::pair(10, 5));

    x.key(XK_Control_L, true);
    x.moveTo(150, 160);
    x.click(1);
    x.click(3);
    x.key(XK_Control_L, false);
    ASSERT_TRUE(pumpUntil([&] { return !of(window, WM_RBUTTONUP).empty(); }));
    auto down = of(window, WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(xy(down[0].lParam), std::pair(50, 60));
    // Down, up and right down: the pressed button is included in its own press.
    const std::vector<uintptr_t> keyState = {down[0].wParam, of(window, WM_LBUTTONUP)[0].wParam,
                                             of(window, WM_RBUTTONDOWN)[0].wParam};
    EXPECT_EQ(keyState, (std::vector<uintptr_t>{MK_LBUTTON | MK_CONTROL, MK_CONTROL,
                                                MK_RBUTTON | MK_CONTROL}));

    // Wheel: one notch each way, 120 per notch in the high word, screen position.
    x.click(4);
    x.click(5);
    ASSERT_TRUE(pumpUntil([&] { return of(window, WM_MOUSEWHEEL).size() == 2; }));
    auto wheel = of(window, WM_MOUSEWHEEL);
    EXPECT_EQ(std::pair(getWheelDelta(wheel[0].wParam), getWheelDelta(wheel[1].wParam)),
              std::pair(120, -120));
    EXPECT_EQ(xy(wheel[0].lParam), std::pair(150, 160));
    EXPECT_EQ(of(window, WM_LBUTTONDBLCLK).size(), 0u);

    // Coordinates left of and above the window arrive as negative 16-bit values.
    setCapture(window);
    x.moveTo(90, 95);
    ASSERT_TRUE(pumpUntil([&] {
        auto m = of(window, WM_MOUSEMOVE);
        return !m.empty() && getXLParam(m.back().lParam) == -10;
    }));
    EXPECT_EQ(getYLParam(of(window, WM_MOUSEMOVE).back().lParam), -5);
}

TEST_F(InputTest, QuickSecondPressIsADoubleClickOnlyForWindowsThatAskForIt) {
    for (ws::Window* w : {window, plain}) {
        Rect r;
        windowRect(w, &r);
        x.moveTo(r.left + 20, r.top + 20);
        x.click(1);
        x.click(1);
        x.click(1);  // a third press starts a new pair
        ASSERT_TRUE(pumpUntil([&] { return of(w, WM_LBUTTONUP).size() == 3; }));
    }
    EXPECT_EQ(std::tuple(of(window, WM_LBUTTONDOWN).size(), of(window, WM_LBUTTONDBLCLK).size(),
                         of(plain, WM_LBUTTONDOWN).size(), of(plain, WM_LBUTTONDBLCLK).size()),
              std::tuple(2u, 1u, 3u, 0u));
    // The double click is the second message of the sequence.
    std::vector<unsigned> seq;
    for (auto& r : recorded())
        if (r.window == window && r.message >= WM_LBUTTONDOWN && r.message <= WM_LBUTTONDBLCLK)
            seq.push_back(r.message);
    EXPECT_EQ(seq, (std::vector<unsigned>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK,
                                          WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}));
    auto clicksAt = [&](std::initializer_list<std::pair<int, int>> points) {
        recorded().clear();
        for (auto [px, py] : points) x.moveTo(px, py), x.click(1);
        return pumpUntil([&] { return of(window, WM_LBUTTONUP).size() == 2; });
    };
    // Far apart in space is not a double click.
    ASSERT_TRUE(clicksAt({{250, 250}, {290, 250}}));
    EXPECT_EQ(of(window, WM_LBUTTONDBLCLK).size(), 0u);
    // A press on another window in between ends the pair.
    Rect other;
    windowRect(plain, &other);
    ASSERT_TRUE(clicksAt({{250, 250}, {other.left + 20, other.top + 20}, {250, 250}}));
    EXPECT_EQ(of(window, WM_LBUTTONDOWN).size(), 2u);
}

TEST_F(InputTest, KeysArriveAsVirtualKeysAndLatin1Characters) {
    // Both windows took the focus when they were mapped; the keys go to the first once
    // the focus has settled there.
    const XID id = static_cast<XID>(reinterpret_cast<uintptr_t>(nativeHandle(window)));
    zu::test::pumpFor(200);
    XSetInputFocus(x.dpy, id, RevertToParent, CurrentTime);
    x.moveTo(200, 200);
    ASSERT_TRUE(pumpUntil([&] {
        XID focus = 0;
        int revert = 0;
        XGetInputFocus(x.dpy, &focus, &revert);
        return focus == id && !of(window, WM_ACTIVATE).empty();
    }));
    x.tap(XK_a);
    x.key(XK_Shift_L, true);
    x.tap(XK_b);
    x.key(XK_Shift_L, false);
    for (KeySym k : {XK_Left, XK_Return, XK_BackSpace, XK_Escape, XK_5}) x.tap(k);
    ASSERT_TRUE(pumpUntil([&] { return of(window, WM_KEYUP).size() >= 8; }));
    std::vector<uintptr_t> keys, chars;
    for (auto& r : of(window, WM_KEYDOWN)) keys.push_back(r.wParam);
    for (auto& r : of(window, WM_CHAR)) chars.push_back(r.wParam);
    EXPECT_EQ(keys, (std::vector<uintptr_t>{'A', VK_SHIFT, 'B', VK_LEFT, VK_RETURN, VK_BACK,
                                            VK_ESCAPE, '5'}));
    EXPECT_EQ(chars, (std::vector<uintptr_t>{'a', 'B', 13, 8, 27, '5'}));
    auto left = of(window, WM_KEYDOWN)[3];
    EXPECT_TRUE(left.lParam & KF_EXTENDED_BIT);
    EXPECT_FALSE(of(window, WM_CHAR)[0].lParam & KF_EXTENDED_BIT);

    // A Latin-1 letter typed through its keysym arrives as its Latin-1 code.
    const KeyCode spare = XKeysymToKeycode(x.dpy, XK_F12);
    KeySym eacute = XK_eacute;
    XChangeKeyboardMapping(x.dpy, spare, 1, &eacute, 1);
    x.sync();
    zu::test::pumpFor(200);  // let the library see the new keyboard map first
    recorded().clear();
    XTestFakeKeyEvent(x.dpy, spare, True, CurrentTime);
    XTestFakeKeyEvent(x.dpy, spare, False, CurrentTime);
    x.sync();
    ASSERT_TRUE(pumpUntil([&] { return !of(window, WM_CHAR).empty(); }));
    EXPECT_EQ(of(window, WM_CHAR)[0].wParam, 0xE9u);
    KeySym f12 = XK_F12;
    XChangeKeyboardMapping(x.dpy, spare, 1, &f12, 1);
    x.sync();
}

TEST_F(InputTest, CaptureReceivesPressesAndMotionOutsideTheWindow) {
    EXPECT_TRUE(setCapture(window));
    x.moveTo(700, 200);  // over the other window
    x.click(1);
    ASSERT_TRUE(pumpUntil([&] { return !of(window, WM_LBUTTONUP).empty(); }));
    EXPECT_TRUE(of(plain, WM_LBUTTONDOWN).empty());
    auto down = of(window, WM_LBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(xy(down[0].lParam), std::pair(600, 100));
    EXPECT_FALSE(of(window, WM_MOUSEMOVE).empty());

    releaseCapture();
    recorded().clear();
    x.moveTo(710, 210);
    x.click(1);
    ASSERT_TRUE(pumpUntil([&] { return !of(plain, WM_LBUTTONUP).empty(); }));
    EXPECT_TRUE(of(window, WM_LBUTTONDOWN).empty());
    // Destroying the capture window ends the capture: presses reach the window beneath.
    setCapture(plain);
    destroyWindow(plain);
    plain = nullptr;
    recorded().clear();
    x.moveTo(200, 200);
    x.click(1);
    ASSERT_TRUE(pumpUntil([&] { return !of(window, WM_LBUTTONUP).empty(); }));
}

TEST(MessageQueue, MessageFdIsReadableExactlyWhileAMessageWaits) {
    ASSERT_TRUE(open());
    // A hidden window on a thread of its own: its queue holds only what is posted.
    std::thread loop([] {
        ws::Window* w = zu::test::TestWindow{0, 0, 10, 10, false}.make();
        ASSERT_NE(w, nullptr);
        ZuMSG m;
        const int fd = ZuGetMessageFd();
        ASSERT_GE(fd, 0);
        pollfd pf{fd, POLLIN, 0};
        // The descriptor also wakes for X input not yet read; once the loop has looked,
        // nothing waits.
        EXPECT_EQ(ZuPeekMessage(&m, 0), 0);
        EXPECT_EQ(poll(&pf, 1, 0), 0);
        std::thread poster([&] { post(w, WM_USER + 9, 1, 2); });
        EXPECT_EQ(poll(&pf, 1, 2000), 1);
        poster.join();
        ASSERT_EQ(ZuPeekMessage(&m, 0), 1);  // peeking leaves it there
        EXPECT_EQ(poll(&pf, 1, 0), 1);
        ASSERT_EQ(ZuGetMessage(&m), 1);
        EXPECT_EQ(std::tuple(m.message, m.wParam, m.lParam),
                  std::tuple(unsigned(WM_USER + 9), uintptr_t{1}, intptr_t{2}));
        EXPECT_EQ(poll(&pf, 1, 0), 0);

        // Quit comes after what is already queued, and only once.
        post(w, WM_USER + 10, 0, 0);
        ZuPostQuitMessage(0);
        EXPECT_EQ(ZuGetMessage(&m), 1);
        EXPECT_EQ(m.message, WM_USER + 10);
        EXPECT_EQ(ZuGetMessage(&m), 0);
        EXPECT_EQ(getMessageTimeout(&m, 20), -3);
        EXPECT_EQ(poll(&pf, 1, 0), 0);
        destroyWindow(w);
    });
    loop.join();
}

TEST(Dnd, OnlyAnAcceptingWindowTakesDropsAndForgedNoticesAreNotRead) {
    ASSERT_TRUE(open());
    WindowDesc d;
    d.proc = dropProc;
    d.visible = true;
    d.x = 200, d.y = 200, d.width = 400, d.height = 300;
    ws::Window* top = createWindow(d);
    d.parent = top;
    d.x = 100, d.y = 100, d.width = 200, d.height = 100;
    ws::Window* video = createWindow(d);
    ASSERT_TRUE(acceptFiles(video, true));
    EXPECT_EQ(lastDrop(video), nullptr);
    const XID topId = static_cast<XID>(reinterpret_cast<uintptr_t>(nativeHandle(top)));

    zu::test::XdndSource src;
    EXPECT_EQ(zu::test::windowProperty(src.d, topId, src.aware), std::vector<unsigned long>{5})
        << "the top-level window advertises protocol version 5";
    // A drop over the accepting child, every path in full, is the video window test's
    // (FilesDroppedOnARegisteredVideoWindowArriveWithTheFirstPathAndAllInFull). Over the
    // top-level window itself, which does not accept: refused, nothing arrives.
    const std::string uris = "file:///tmp/zugui%20drop/first.mov\r\nfile:///tmp/third.mov\r\n";
    zu::test::XdndSource again;
    std::thread refused([&] { again.serve(topId, 210, 210, uris); });
    pumpUntil([&] { return again.done.load(); }, 3000);
    refused.join();
    EXPECT_EQ(std::tuple(again.done.load(), again.accepted.load(), again.finishedOk.load()),
              std::tuple(true, false, false));
    zu::test::pumpFor(50);
    EXPECT_EQ(gDropWindow, nullptr);

    // Any client may send these. A forged selection notice during a drag, naming the
    // forger's own property, is not read (no drop, the property stays); a source that
    // vanishes mid-drag gives the host no X error.
    zu::test::ErrorLines errors;
    zu::test::XdndSource forger;
    const long overVideo = (350L << 16) | 350;
    forger.send(topId, forger.enter, 5L << 24, long(forger.uriList), 0, 0);
    forger.send(topId, forger.position, 0, overVideo, CurrentTime, long(forger.copy));
    const Atom prop = XInternAtom(forger.d, "ZU_FORGED", False);
    XChangeProperty(forger.d, forger.win, prop, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(uris.data()), int(uris.size()));
    forger.notify(topId, forger.win, forger.selection, forger.uriList, prop, CurrentTime);
    zu::test::pumpFor(200);
    EXPECT_EQ(gDropWindow, nullptr);
    EXPECT_EQ(zu::test::windowProperty(forger.d, forger.win, prop).size(), uris.size());
    XDestroyWindow(forger.d, forger.win);
    forger.send(topId, forger.position, 0, overVideo, CurrentTime, long(forger.copy));
    forger.send(topId, XInternAtom(forger.d, "XdndLeave", False), 0, 0, 0, 0);
    XSync(forger.d, False);
    zu::test::pumpFor(200);
    EXPECT_EQ(errors.count(""), 0u) << (errors.lines.empty() ? "" : errors.lines[0]);
    destroyWindow(top);
}
