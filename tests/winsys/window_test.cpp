// Windows, procedures, geometry, monitors, GL contexts, cursors and icons on a real X server.
#include <gtest/gtest.h>
#include <GL/gl.h>
#include <X11/Xutil.h>

#include <thread>

#include "support/winsys_support.h"

using namespace zu::ws;
using zu::test::countOf;
using zu::test::pumpUntil;
using zu::test::recorded;
using zu::test::recordingProc;

namespace {

void* makeWindow(const char* cls, unsigned style, int x, int y, int w, int h,
                 void* parent = nullptr, unsigned ex = 0) {
    CreateWindowParams p;
    p.className = cls;
    p.caption = "zugui test";
    p.style = style;
    p.exStyle = ex;
    p.x = x, p.y = y, p.width = w, p.height = h;
    p.parent = parent;
    return createWindow(p);
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(open()) << "no X display";
        WindowClass wc;
        wc.name = "WindowTest";
        wc.proc = recordingProc;
        wc.styles = CS_DBLCLKS;
        registerClass(wc);  // a second SetUp in one process finds it registered
        recorded().clear();
    }
};

}  // namespace

TEST_F(WindowTest, RegisteringAClassTwiceReportsAlreadyRegistered) {
    WindowClass wc;
    wc.name = "TwiceClass";
    wc.proc = recordingProc;
    EXPECT_EQ(registerClass(wc), 0);
    EXPECT_EQ(registerClass(wc), -2);
    EXPECT_EQ(lastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(unregisterClass("TwiceClass"), 0);
    EXPECT_EQ(registerClass(wc), 0);
    WindowClass bad;
    EXPECT_EQ(registerClass(bad), -2);
    EXPECT_NE(lastError(), ERROR_CLASS_ALREADY_EXISTS);
    EXPECT_EQ(unregisterClass("NoSuchClass"), -2);
    CreateWindowParams p;
    p.className = "NoSuchClass";
    EXPECT_EQ(createWindow(p), nullptr);
}

TEST_F(WindowTest, GeometryShowHideAndTopmostRoundTrip) {
    void* w = makeWindow("WindowTest", WS_POPUP, 120, 80, 320, 200);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(countOf(w, WM_CREATE), 1u);
    EXPECT_FALSE(isWindowVisible(w));
    Rect r;
    ASSERT_TRUE(getWindowRect(w, &r));
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 80);
    EXPECT_EQ(r.width(), 320);
    EXPECT_EQ(r.height(), 200);
    ASSERT_TRUE(getClientRect(w, &r));
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.right, 320);
    EXPECT_EQ(r.bottom, 200);

    EXPECT_TRUE(showWindow(w, SW_SHOW));
    EXPECT_TRUE(pumpUntil([&] { return countOf(w, WM_SHOWWINDOW) > 0; }));
    EXPECT_TRUE(isWindowVisible(w));
    EXPECT_TRUE(setWindowPos(w, HWND_TOPMOST, 10, 20, 640, 480, 0));
    EXPECT_TRUE(isTopmost(w));
    ASSERT_TRUE(getWindowRect(w, &r));
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.width(), 640);
    EXPECT_EQ(r.height(), 480);
    EXPECT_TRUE(setWindowPos(w, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE));
    EXPECT_FALSE(isTopmost(w));
    ASSERT_TRUE(getWindowRect(w, &r));
    EXPECT_EQ(r.width(), 640);  // NOSIZE kept the size
    // Zero and negative sizes are raised to one pixel, not refused by the server.
    EXPECT_TRUE(setWindowPos(w, nullptr, 0, 0, 0, -5, SWP_NOMOVE | SWP_NOZORDER));
    ASSERT_TRUE(getClientRect(w, &r));
    EXPECT_EQ(r.right, 1);
    EXPECT_EQ(r.bottom, 1);
    EXPECT_TRUE(showWindow(w, SW_HIDE));
    EXPECT_FALSE(isWindowVisible(w));

    // Children live in their parent's client coordinates.
    setWindowPos(w, nullptr, 100, 100, 400, 300, SWP_NOZORDER);
    void* c = makeWindow("WindowTest", WS_CHILD | WS_VISIBLE, 30, 40, 50, 60, w);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(getParent(c), w);
    ASSERT_TRUE(getWindowRect(c, &r));
    EXPECT_EQ(r.left, 130);
    EXPECT_EQ(r.top, 140);
    Point pt{5, 6};
    ASSERT_TRUE(clientToScreen(c, &pt));
    EXPECT_EQ(pt.x, 135);
    EXPECT_EQ(pt.y, 146);
    ASSERT_TRUE(screenToClient(w, &pt));
    EXPECT_EQ(pt.x, 35);
    EXPECT_EQ(pt.y, 46);

    // Destroying the parent destroys the child first; both hear WM_DESTROY.
    EXPECT_TRUE(destroyWindow(w));
    EXPECT_FALSE(isWindow(c));
    EXPECT_FALSE(isWindow(w));
    size_t childAt = 0, parentAt = 0;
    for (size_t i = 0; i < recorded().size(); ++i) {
        if (recorded()[i].message != WM_DESTROY) continue;
        if (recorded()[i].window == c) childAt = i + 1;
        if (recorded()[i].window == w) parentAt = i + 1;
    }
    EXPECT_GT(childAt, 0u);
    EXPECT_GT(parentAt, childAt);
}

TEST_F(WindowTest, NullAndStaleHandlesAreRefusedQuietly) {
    void* w = makeWindow("WindowTest", WS_POPUP, 0, 0, 10, 10);
    ASSERT_TRUE(destroyWindow(w));
    Rect r;
    Point p;
    for (void* h : {static_cast<void*>(nullptr), w}) {
        EXPECT_FALSE(destroyWindow(h));
        EXPECT_FALSE(postMessage(h, WM_USER, 0, 0));
        EXPECT_FALSE(setWindowPos(h, nullptr, 0, 0, 5, 5, 0));
        EXPECT_EQ(getWindowProc(h), nullptr);
        EXPECT_EQ(getDC(h), nullptr);
        EXPECT_EQ(setCapture(h), nullptr);
    }
    EXPECT_FALSE(getWindowRect(nullptr, &r));
    EXPECT_FALSE(clientToScreen(nullptr, &p));
    // A window id that never was ours, or never existed on the server.
    EXPECT_FALSE(getWindowRect(reinterpret_cast<void*>(uintptr_t{0x7ffffff}), &r));
    EXPECT_FALSE(adoptWindow(reinterpret_cast<void*>(uintptr_t{0x7ffffff})));
    EXPECT_FALSE(makeCurrent(nullptr, reinterpret_cast<void*>(&r)));
    EXPECT_FALSE(swapBuffers(&r));
    EXPECT_EQ(ZuDispatchMessage(nullptr), 0);
}

namespace {
intptr_t gPrevCalls = 0;
WndProc gPrev = nullptr;
intptr_t chainingProc(void* w, unsigned m, uintptr_t wp, intptr_t lp) {
    if (m == WM_USER + 1) return 42;
    ++gPrevCalls;
    return callWindowProc(gPrev, w, m, wp, lp);
}
}  // namespace

TEST_F(WindowTest, ReplacedProcedureChainsToThePreviousOneIncludingForeignWindows) {
    void* w = makeWindow("WindowTest", WS_POPUP, 0, 0, 50, 50);
    gPrev = setWindowProc(w, chainingProc);
    EXPECT_EQ(gPrev, &recordingProc);
    EXPECT_EQ(getWindowProc(w), &chainingProc);
    EXPECT_EQ(sendMessage(w, WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(countOf(w, WM_USER + 1), 0u);
    ASSERT_TRUE(postMessage(w, WM_USER + 2, 7, 8));
    ASSERT_TRUE(pumpUntil([&] { return countOf(w, WM_USER + 2) == 1; }));
    EXPECT_EQ(gPrevCalls, 1);
    destroyWindow(w);

    // A window made by plain Xlib on another connection: adopted, it gets a procedure
    // (default processing at first) that can be replaced, and its input arrives there.
    zu::test::TestDisplay host;
    ASSERT_NE(host.dpy, nullptr);
    Window foreign = XCreateSimpleWindow(host.dpy, DefaultRootWindow(host.dpy), 300, 300, 200,
                                         150, 0, 0, 0);
    XMapRaised(host.dpy, foreign);
    host.sync();
    void* fw = reinterpret_cast<void*>(static_cast<uintptr_t>(foreign));
    ASSERT_TRUE(adoptWindow(fw));
    EXPECT_EQ(getWindowProc(fw), &defWindowProc);
    gPrev = setWindowProc(fw, recordingProc);
    EXPECT_EQ(gPrev, &defWindowProc);
    host.moveTo(350, 340);
    host.click(1);
    ASSERT_TRUE(pumpUntil([&] { return countOf(fw, WM_LBUTTONUP) == 1; }));
    for (auto& r : recorded()) {
        if (r.window == fw && r.message == WM_LBUTTONDOWN) {
            EXPECT_EQ(getXLParam(r.lParam), 50);
            EXPECT_EQ(getYLParam(r.lParam), 40);
        }
    }
    EXPECT_EQ(countOf(fw, WM_LBUTTONDBLCLK), 0u);
    // Foreign windows cannot be destroyed through us, only let go.
    EXPECT_FALSE(destroyWindow(fw));
    EXPECT_TRUE(releaseAdoptedWindow(fw));
    EXPECT_FALSE(isWindow(fw));
    XDestroyWindow(host.dpy, foreign);
    host.sync();
}

TEST_F(WindowTest, MonitorQueriesFollowTheMonitorList) {
    MonitorInfo mi;
    void* m = monitorFromPoint({10, 10}, MONITOR_DEFAULTTONULL);
    ASSERT_NE(m, nullptr);
    ASSERT_TRUE(getMonitorInfo(m, &mi));
    EXPECT_TRUE(mi.primary);
    EXPECT_EQ(mi.monitor.width(), screenWidth());
    EXPECT_EQ(ZuGetPrimaryDisplayXSize(), mi.monitor.width());
    EXPECT_EQ(ZuGetPrimaryDisplayYSize(), mi.monitor.height());
    EXPECT_EQ(monitorFromPoint({-5000, 10}, MONITOR_DEFAULTTONULL), nullptr);

    // Two monitors side by side, the primary on the right.
    std::vector<MonitorInfo> list(2);
    list[0].monitor = {0, 0, 1280, 1024};
    list[0].work = {0, 0, 1280, 994};
    list[1].monitor = {1280, 0, 3200, 1080};
    list[1].work = list[1].monitor;
    list[1].primary = true;
    setMonitorsForTesting(list);
    struct Case {
        Point p;
        unsigned flags;
        int expect;  // monitor index + 1, 0 for none
    } cases[] = {
        {{100, 100}, MONITOR_DEFAULTTONULL, 1},     {{2000, 500}, MONITOR_DEFAULTTONULL, 2},
        {{-50, 100}, MONITOR_DEFAULTTONEAREST, 1},  {{-50, 100}, MONITOR_DEFAULTTOPRIMARY, 2},
        {{5000, 2000}, MONITOR_DEFAULTTONEAREST, 2}, {{100, 1050}, MONITOR_DEFAULTTONULL, 0},
        {{100, 1050}, MONITOR_DEFAULTTONEAREST, 1},
        {{1270, 1070}, MONITOR_DEFAULTTONEAREST, 2},  // 47 px below the left one, 10 from the right
    };
    for (const Case& c : cases) {
        void* h = monitorFromPoint(c.p, c.flags);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(h), uintptr_t(c.expect)) << c.p.x << "," << c.p.y;
    }
    ASSERT_TRUE(getMonitorInfo(reinterpret_cast<void*>(1), &mi));
    EXPECT_FALSE(mi.primary);
    EXPECT_EQ(mi.work.bottom, 994);
    EXPECT_EQ(ZuGetPrimaryDisplayXSize(), 1920);
    EXPECT_FALSE(getMonitorInfo(reinterpret_cast<void*>(3), &mi));
    setMonitorsForTesting({});
}

TEST_F(WindowTest, ContextMadeOnLoopThreadDrawsOnAnotherThread) {
    void* w = makeWindow("WindowTest", WS_POPUP | WS_VISIBLE, 50, 50, 64, 48);
    ASSERT_TRUE(pumpUntil([&] { return countOf(w, WM_SHOWWINDOW) > 0; }));
    void* dc = getDC(w);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(getDC(w), dc);  // one DC per window
    EXPECT_EQ(windowFromDC(dc), w);
    PixelFormatDescriptor pfd;
    pfd.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    EXPECT_EQ(createContext(dc), nullptr);  // no pixel format yet
    const int fmt = choosePixelFormat(dc, pfd);
    ASSERT_GT(fmt, 0);
    ASSERT_TRUE(setPixelFormat(dc, fmt));
    void* ctx = createContext(dc);
    ASSERT_NE(ctx, nullptr);

    unsigned char px[4] = {};
    GLint doubleBuffered = 0;
    std::thread render([&] {
        ASSERT_TRUE(makeCurrent(dc, ctx));
        EXPECT_EQ(currentContext(), ctx);
        glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
        glClearColor(1.0f, 0.5f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glReadPixels(10, 10, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        EXPECT_TRUE(swapBuffers(dc));
        glFinish();
        EXPECT_TRUE(makeCurrent(nullptr, nullptr));
    });
    render.join();
    EXPECT_EQ(doubleBuffered, GL_TRUE);
    EXPECT_EQ(px[0], 255);
    EXPECT_NEAR(px[1], 128, 1);
    EXPECT_EQ(px[2], 0);

    // What the server shows matches what GL drew.
    zu::test::TestDisplay x;
    XImage* img = XGetImage(x.dpy, static_cast<Window>(reinterpret_cast<uintptr_t>(w)), 20, 20, 1,
                            1, AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    const unsigned long pixel = XGetPixel(img, 0, 0);
    XDestroyImage(img);
    EXPECT_EQ((pixel >> 16) & 0xFF, 255u);
    EXPECT_NEAR(static_cast<int>((pixel >> 8) & 0xFF), 128, 1);
    EXPECT_EQ(pixel & 0xFF, 0u);

    EXPECT_TRUE(deleteContext(ctx));
    EXPECT_FALSE(deleteContext(ctx));
    destroyWindow(w);
}

TEST_F(WindowTest, CursorAndIconLoadFromTheShippedFiles) {
    void* cur = loadCursorFromFile(zu::test::sourcePath("data/icons/envoycursor.cur").c_str());
    ASSERT_NE(cur, nullptr);
    void* ico = loadIconFromFile(zu::test::sourcePath("data/icons/zugui.ico").c_str());
    ASSERT_NE(ico, nullptr);
    void* png = loadIconFromFile(zu::test::sourcePath("data/icons/zugui-png.ico").c_str());
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(loadCursorFromFile("data/icons/missing.cur"), nullptr);
    EXPECT_EQ(loadIconFromFile(nullptr), nullptr);
    IconImage img;
    ASSERT_TRUE(getIconImage(ico, &img));
    EXPECT_EQ(img.width, 32);  // the default size
    IconImage fromPng;
    ASSERT_TRUE(getIconImage(png, &fromPng));
    EXPECT_EQ(fromPng.argb, img.argb);  // same drawing through both entry kinds

    WindowClass wc;
    wc.name = "IconClass";
    wc.proc = recordingProc;
    wc.cursor = cur;
    wc.icon = ico;
    wc.iconSmall = ico;
    ASSERT_EQ(registerClass(wc), 0);
    void* w = makeWindow("IconClass", WS_POPUP, 0, 0, 40, 40);
    ASSERT_NE(w, nullptr);
    // The window carries the icon for the window manager: two 32 x 32 images.
    zu::test::TestDisplay x;
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(x.dpy, static_cast<Window>(reinterpret_cast<uintptr_t>(w)),
                                 XInternAtom(x.dpy, "_NET_WM_ICON", False), 0, 100000, False,
                                 AnyPropertyType, &type, &format, &count, &after, &data),
              Success);
    EXPECT_EQ(count, 2u * (2 + 32 * 32));
    if (data) {
        EXPECT_EQ(reinterpret_cast<unsigned long*>(data)[0], 32u);
        XFree(data);
    }
    destroyWindow(w);
    destroyCursor(cur);
    destroyIcon(ico);
    destroyIcon(png);
}
