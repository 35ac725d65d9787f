// Windows, geometry, monitors, GL surfaces, cursors and icons on a real X server; failures
// without a result code reach the host's error callback, one line each, and X errors of
// another connection in the process stay with that connection's handler. Real input through
// XTest and posted messages, arriving as the classic messages, and drops from a drag source
// on its own connection beside a forger's notices; many posters beside real input are the
// GUI stress test's.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <poll.h>

#include <string>
#include <thread>
#include <tuple>

// Before the X headers, whose macros would meet the converter's names.
#include "video/video_internal.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include "support/rows.h"
#include "support/winsys_support.h"
#include "support/xdnd_source.h"
// clang-format on

using namespace zu::ws;
namespace ws = zu::ws;
using zu::test::countOf;
using zu::test::pumpUntil;
using zu::test::recorded;
using zu::test::Recorded;
using zu::test::recordingProc;
using zu::test::TestWindow;

namespace {

XID idOf(const ws::Window* w) {
    return static_cast<XID>(reinterpret_cast<uintptr_t>(nativeHandle(w)));
}
// Left, top, width and height of a window; all -1 when it cannot be read.
std::tuple<int, int, int, int> geometry(ws::Window* w) {
    Rect r{0, 0, -1, -1};
    if (!windowRect(w, &r)) return {-1, -1, -1, -1};
    return {r.left, r.top, r.width(), r.height()};
}

int othersErrors = 0;
int othersHandler(Display*, XErrorEvent*) {
    ++othersErrors;
    return 0;
}

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(open()) << "no X display";
        recorded().clear();
    }
};

// The pointer position a message carries, as signed 16-bit client coordinates.
std::pair<int, int> xy(intptr_t lParam) {
    return {getXLParam(lParam), getYLParam(lParam)};
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

// First in the file: the other toolkit's handler must be there before the library opens its
// connection.
TEST(ErrorCallback, ShaderLogsAndOurXErrorsArriveAndOtherConnectionsKeepTheirs) {
    XSetErrorHandler(othersHandler);
    ASSERT_TRUE(ws::open());
    zu::test::ErrorLines collected;

    // A deliberately broken shader: its compiler log arrives as one line.
    ws::Surface* surface = nullptr;
    ws::Window* w = TestWindow{0, 0, 16, 16, false, false, nullptr, &surface}.make();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(ws::makeCurrent(surface));
    ASSERT_EQ(glewInit(), GLEW_OK);
    const GLuint shader = glCreateShader(GL_FRAGMENT_SHADER);
    const char* broken = "void main() { gl_FragColor = this is not glsl; }";
    glShaderSource(shader, 1, &broken, nullptr);
    glCompileShader(shader);
    EXPECT_FALSE(zu::detail::shaderCompiled(shader, "broken"));
    glDeleteShader(shader);
    ws::makeCurrent(nullptr);
    ASSERT_EQ(collected.count("shader broken did not compile: "), 1u);
    EXPECT_EQ(collected.lines.back().find('\n'), std::string::npos);  // one line
    EXPECT_NE(collected.lines.back().find("error"), std::string::npos) << collected.lines.back();

    // An X error on our connection that no call waits for: a grab on a window that another
    // client destroyed behind our back.
    zu::test::TestDisplay other;
    XDestroyWindow(other.dpy, reinterpret_cast<::Window>(ws::nativeHandle(w)));
    other.sync();
    ws::setCapture(w);
    zu::test::pumpFor(100);
    ws::releaseCapture();
    EXPECT_EQ(collected.count("X error on zugui's window connection: "), 1u);
    EXPECT_EQ(othersErrors, 0);

    // An error on another connection of the process goes to the handler that was there.
    const size_t before = collected.count("");
    XWindowAttributes wa;
    XGetWindowAttributes(other.dpy, reinterpret_cast<::Window>(ws::nativeHandle(w)), &wa);
    other.sync();
    EXPECT_EQ(othersErrors, 1);
    EXPECT_EQ(collected.count(""), before);

    // A cursor file that cannot be read is told too; without a callback nothing is.
    EXPECT_EQ(ws::loadCursor("data/icons/no-such.cur"), nullptr);
    EXPECT_EQ(collected.count("cursor file data/icons/no-such.cur could not be read"), 1u);
    ZuSetErrorCallback(nullptr, nullptr);
    EXPECT_EQ(ws::loadCursor("data/icons/no-such.cur"), nullptr);
    EXPECT_EQ(collected.count("cursor file"), 1u);
    ws::destroySurface(surface);
    ws::destroyWindow(w);
}

TEST_F(WindowTest, GeometryShowHideChildrenAndRefusedHandles) {
    ws::Window* w = TestWindow{120, 80, 320, 200, false}.make();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(std::tuple(countOf(w, WM_CREATE), fromNative(nativeHandle(w)), isVisible(w)),
              std::tuple(1u, w, false));
    EXPECT_EQ(geometry(w), std::tuple(120, 80, 320, 200));

    EXPECT_TRUE(show(w, true));
    EXPECT_TRUE(pumpUntil([&] { return countOf(w, WM_SHOWWINDOW) > 0; }));
    EXPECT_TRUE(isVisible(w));
    EXPECT_EQ((std::pair{setGeometry(w, 10, 20, 640, 480), raise(w, true)}), std::pair(true, true));
    EXPECT_EQ(geometry(w), std::tuple(10, 20, 640, 480));
    EXPECT_TRUE(move(w, 30, 40));
    EXPECT_EQ(geometry(w), std::tuple(30, 40, 640, 480));  // a move keeps the size
    // Zero and negative sizes are raised to one pixel, not refused by the server.
    EXPECT_TRUE(setGeometry(w, 0, 0, 0, -5));
    EXPECT_EQ(geometry(w), std::tuple(0, 0, 1, 1));
    EXPECT_EQ((std::pair{hide(w), isVisible(w)}), std::pair(true, false));  // braces: hidden first

    // Children live in their parent's client coordinates.
    setGeometry(w, 100, 100, 400, 300);
    ws::Window* c = TestWindow{30, 40, 50, 60, true, false, w}.make();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(geometry(c), std::tuple(130, 140, 50, 60));

    // Destroying the parent destroys the child first; both hear the destruction.
    const void* childId = nativeHandle(c);
    ASSERT_TRUE(post(w, WM_USER, 0, 0));
    destroyWindow(w);
    EXPECT_EQ(fromNative(const_cast<void*>(childId)), nullptr);
    std::vector<ws::Window*> destroyed;
    for (auto& r : recorded())
        if (r.message == WM_DESTROY) destroyed.push_back(r.window);
    EXPECT_EQ(destroyed, (std::vector<ws::Window*>{c, w}));
    EXPECT_FALSE(post(w, WM_USER, 0, 0)) << "a window posted to after its end is not there";
    // The post made before the end went with the window: nothing names it once it is freed.
    ZuMSG left{};
    EXPECT_EQ(getMessageTimeout(&left, 20), -3) << left.message;

    // Null handles, and a window id that never was ours or never existed on the server, are
    // refused quietly.
    Rect r;
    void* never = reinterpret_cast<void*>(uintptr_t{0x7ffffff});
    ZuMSG m{never, WM_USER, 0, 0, 0};
    // clang-format off
    zu::test::expectRows({
        ROW(post(nullptr, WM_USER, 0, 0), 0),      ROW(setGeometry(nullptr, 0, 0, 5, 5), 0),
        ROW(setCapture(nullptr), 0),               ROW(windowRect(nullptr, &r), 0),
        ROW(isVisible(nullptr), 0),                AFTER(destroyWindow(nullptr), 0, 0),
        ROW(fromNative(never) != nullptr, 0),      ROW(nativeWindowExists(never), 0),
        ROW(createSurface(never) != nullptr, 0),   ROW(swapBuffers(nullptr), 0),
        ROW(ZuDispatchMessage(&m), 0),             ROW(ZuDispatchMessage(nullptr), 0),
    });
    // clang-format on
}

TEST_F(WindowTest, MonitorQueriesFollowTheMonitorList) {
    MonitorInfo mi;
    ASSERT_TRUE(monitorAt({10, 10}, &mi));
    EXPECT_EQ(std::tuple(mi.primary, ZuGetPrimaryDisplayXSize(), ZuGetPrimaryDisplayYSize()),
              std::tuple(true, screenWidth(), mi.monitor.height()));
    EXPECT_EQ(mi.monitor.width(), screenWidth());

    // Two monitors side by side, the primary on the right.
    std::vector<MonitorInfo> list(2);
    list[0].monitor = {0, 0, 1280, 1024};
    list[0].work = {0, 0, 1280, 994};
    list[1].monitor = {1280, 0, 3200, 1080};
    list[1].work = list[1].monitor;
    list[1].primary = true;
    setMonitorsForTesting(list);
    // A point and the left edge of the monitor it falls to.
    const std::pair<Point, int> cases[] = {
        {{100, 100}, 0},  {{2000, 500}, 1280},  {{-50, 100}, 0}, {{5000, 2000}, 1280},
        {{100, 1050}, 0}, {{1270, 1070}, 1280},  // 47 px below the left one, 10 from the right
    };
    for (auto [p, left] : cases) {
        ASSERT_TRUE(monitorAt(p, &mi));
        EXPECT_EQ(mi.monitor.left, left) << p.x << "," << p.y;
    }
    ASSERT_TRUE(monitorAt({100, 100}, &mi));
    EXPECT_EQ(std::tuple(mi.primary, mi.work.bottom, ZuGetPrimaryDisplayXSize()),
              std::tuple(false, 994, 1920));
    setMonitorsForTesting({});
}

TEST_F(WindowTest, SurfaceMadeWithItsWindowDrawsOnAnotherThread) {
    Surface* surface = nullptr;
    ws::Window* w = TestWindow{50, 50, 64, 48, true, false, nullptr, &surface}.make();
    ASSERT_NE(w, nullptr);
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(pumpUntil([&] { return countOf(w, WM_SHOWWINDOW) > 0; }));

    unsigned char px[4] = {};
    GLint doubleBuffered = 0;
    std::thread render([&] {
        ASSERT_TRUE(makeCurrent(surface));
        EXPECT_EQ(currentContext(), surface);
        glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
        glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        EXPECT_TRUE(swapBuffers(surface));
        glFinish();
        EXPECT_TRUE(makeCurrent(nullptr));
        EXPECT_EQ(currentContext(), nullptr);
    });
    render.join();
    EXPECT_EQ(doubleBuffered, GL_TRUE);
    const int drawn = px[0] << 16 | px[1] << 8 | px[2];
    EXPECT_TRUE(drawn == 0xFF7F00 || drawn == 0xFF8000 || drawn == 0xFF8100) << std::hex << drawn;

    // What the server shows is what GL drew.
    EXPECT_EQ(zu::test::windowPixel(nativeHandle(w), 20, 20), uint32_t(drawn));

    // A further surface on the same window, by its native handle, is another context.
    Surface* second = createSurface(nativeHandle(w));
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, surface);
    ASSERT_TRUE(makeCurrent(second));
    EXPECT_EQ(currentContext(), second);
    destroySurface(second);
    EXPECT_EQ(currentContext(), nullptr);  // destroying the current surface releases it
    destroySurface(surface);
    destroyWindow(w);
}

TEST_F(WindowTest, CursorAndIconLoadFromTheShippedFilesAndReachTheWindow) {
    ws::Cursor* cur = loadCursor(zu::test::sourcePath("data/icons/envoycursor.cur").c_str());
    ASSERT_NE(cur, nullptr);
    Icon* ico = loadIcon(zu::test::sourcePath("data/icons/zugui.ico").c_str());
    ASSERT_NE(ico, nullptr);
    Icon* png = loadIcon(zu::test::sourcePath("data/icons/zugui-png.ico").c_str());
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(loadIcon(nullptr), nullptr);

    // Each window carries its icon for the window manager: one 32 x 32 image, the same
    // drawing through both entry kinds.
    zu::test::TestDisplay x;
    std::vector<std::vector<unsigned long>> props;
    for (Icon* icon : {ico, png}) {
        WindowDesc d;
        d.width = d.height = 40;
        d.cursor = cur;
        d.icon = icon;
        ws::Window* w = createWindow(d);
        ASSERT_NE(w, nullptr);
        props.push_back(
            zu::test::windowProperty(x.dpy, idOf(w), XInternAtom(x.dpy, "_NET_WM_ICON", False)));
        destroyWindow(w);
    }
    ASSERT_EQ(props[0].size(), 2u + 32 * 32);
    EXPECT_EQ(props[0][0], 32u);
    EXPECT_EQ(props[0], props[1]);
    freeCursor(cur);
    freeIcon(ico);
    freeIcon(png);
}

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
    for (auto [w, left] : {std::pair(window, 100), {plain, 600}}) {
        x.moveTo(left + 20, 120);
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
    ASSERT_TRUE(clicksAt({{250, 250}, {620, 120}, {250, 250}}));
    EXPECT_EQ(of(window, WM_LBUTTONDOWN).size(), 2u);
}

TEST_F(InputTest, KeysArriveAsVirtualKeysAndLatin1Characters) {
    // Both windows took the focus when they were mapped; the keys go to the first once
    // the focus has settled there.
    const XID id = idOf(window);
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
        EXPECT_EQ((std::tuple{ZuGetMessage(&m), getMessageTimeout(&m, 20), poll(&pf, 1, 0)}),
                  std::tuple(0, -3, 0));  // braces: called in this order
        destroyWindow(w);
    });
    loop.join();
}

TEST_F(WindowTest, OnlyAnAcceptingWindowTakesDropsAndForgedNoticesAreNotRead) {
    ws::Window* top = TestWindow{200, 200, 400, 300}.make();
    ws::Window* video = TestWindow{100, 100, 200, 100, true, false, top}.make();
    auto drops = [&] { return countOf(top, WM_DROPFILES) + countOf(video, WM_DROPFILES); };
    ASSERT_TRUE(acceptFiles(video, true));
    EXPECT_EQ(lastDrop(video), nullptr);
    const XID topId = idOf(top);

    zu::test::XdndSource src;
    EXPECT_EQ(zu::test::windowProperty(src.d, topId, src.aware), std::vector<unsigned long>{5})
        << "the top-level window advertises protocol version 5";
    // A drop over the accepting child, every path in full, is the video window test's
    // (FilesDroppedOnARegisteredVideoWindowArriveWithTheFirstPathAndAllInFull). Over the
    // top-level window itself, which does not accept: refused, nothing arrives.
    const std::string uris = "file:///tmp/zugui%20drop/first.mov\r\nfile:///tmp/third.mov\r\n";
    std::thread refused([&] { src.serve(topId, 210, 210, uris); });
    pumpUntil([&] { return src.done.load(); }, 3000);
    refused.join();
    EXPECT_EQ(std::tuple(src.done.load(), src.accepted.load(), src.finishedOk.load()),
              std::tuple(true, false, false));
    zu::test::pumpFor(50);
    EXPECT_EQ(drops(), 0u);

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
    EXPECT_EQ(drops(), 0u);
    EXPECT_EQ(zu::test::windowProperty(forger.d, forger.win, prop).size(), uris.size());
    XDestroyWindow(forger.d, forger.win);
    forger.send(topId, forger.position, 0, overVideo, CurrentTime, long(forger.copy));
    forger.send(topId, XInternAtom(forger.d, "XdndLeave", False), 0, 0, 0, 0);
    XSync(forger.d, False);
    zu::test::pumpFor(200);
    EXPECT_EQ(errors.count(""), 0u) << (errors.lines.empty() ? "" : errors.lines[0]);
    destroyWindow(top);
}
