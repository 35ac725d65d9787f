// Windows, geometry, monitors, GL surfaces, cursors and icons on a real X server; failures
// without a result code reach the host's error callback, one line each, and X errors of
// another connection in the process stay with that connection's handler.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>

// Before the X headers, whose macros would meet the converter's names.
#include "video/video_internal.h"
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include "support/winsys_support.h"
// clang-format on

using namespace zu::ws;
namespace ws = zu::ws;
using zu::test::countOf;
using zu::test::pumpUntil;
using zu::test::recorded;
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

}  // namespace

// First in the file: the other toolkit's handler must be there before the library opens its
// connection.
TEST(ErrorCallback, ShaderLogsAndOurXErrorsArriveAndOtherConnectionsKeepTheirs) {
    // Another toolkit's handler, there before the library's connection.
    XSetErrorHandler(othersHandler);
    ASSERT_TRUE(ws::open());
    zu::test::ErrorLines collected;

    // A deliberately broken shader: its compiler log arrives as one line.
    ws::WindowDesc d;
    d.width = d.height = 16;
    d.surface = true;
    ws::Surface* surface = nullptr;
    ws::Window* w = ws::createWindow(d, &surface);
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
    EXPECT_EQ(countOf(w, WM_CREATE), 1u);
    EXPECT_EQ(fromNative(nativeHandle(w)), w);
    EXPECT_FALSE(isVisible(w));
    EXPECT_EQ(geometry(w), std::tuple(120, 80, 320, 200));

    EXPECT_TRUE(show(w, true));
    EXPECT_TRUE(pumpUntil([&] { return countOf(w, WM_SHOWWINDOW) > 0; }));
    EXPECT_TRUE(isVisible(w));
    EXPECT_TRUE(setGeometry(w, 10, 20, 640, 480));
    EXPECT_TRUE(raise(w, true));
    EXPECT_EQ(geometry(w), std::tuple(10, 20, 640, 480));
    EXPECT_TRUE(move(w, 30, 40));
    EXPECT_EQ(geometry(w), std::tuple(30, 40, 640, 480));  // a move keeps the size
    // Zero and negative sizes are raised to one pixel, not refused by the server.
    EXPECT_TRUE(setGeometry(w, 0, 0, 0, -5));
    EXPECT_EQ(geometry(w), std::tuple(0, 0, 1, 1));
    EXPECT_TRUE(hide(w));
    EXPECT_FALSE(isVisible(w));

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

    // Null handles and foreign ids are refused quietly.
    Rect r;
    EXPECT_FALSE(post(nullptr, WM_USER, 0, 0));
    EXPECT_FALSE(setGeometry(nullptr, 0, 0, 5, 5));
    EXPECT_FALSE(setCapture(nullptr));
    EXPECT_FALSE(windowRect(nullptr, &r));
    EXPECT_FALSE(isVisible(nullptr));
    destroyWindow(nullptr);
    // A window id that never was ours, or never existed on the server.
    void* never = reinterpret_cast<void*>(uintptr_t{0x7ffffff});
    EXPECT_EQ(fromNative(never), nullptr);
    EXPECT_FALSE(nativeWindowExists(never));
    EXPECT_EQ(createSurface(never), nullptr);
    EXPECT_FALSE(swapBuffers(nullptr));
    ZuMSG m{never, WM_USER, 0, 0, 0};
    EXPECT_EQ(ZuDispatchMessage(&m), 0);
    EXPECT_EQ(ZuDispatchMessage(nullptr), 0);
}

TEST_F(WindowTest, MonitorQueriesFollowTheMonitorList) {
    MonitorInfo mi;
    ASSERT_TRUE(monitorAt({10, 10}, &mi));
    EXPECT_TRUE(mi.primary);
    EXPECT_EQ(mi.monitor.width(), screenWidth());
    EXPECT_EQ(ZuGetPrimaryDisplayXSize(), mi.monitor.width());
    EXPECT_EQ(ZuGetPrimaryDisplayYSize(), mi.monitor.height());

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
        int expectLeft;
    } cases[] = {
        {{100, 100}, 0},  {{2000, 500}, 1280},  {{-50, 100}, 0}, {{5000, 2000}, 1280},
        {{100, 1050}, 0}, {{1270, 1070}, 1280},  // 47 px below the left one, 10 from the right
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(monitorAt(c.p, &mi));
        EXPECT_EQ(mi.monitor.left, c.expectLeft) << c.p.x << "," << c.p.y;
    }
    ASSERT_TRUE(monitorAt({100, 100}, &mi));
    EXPECT_FALSE(mi.primary);
    EXPECT_EQ(mi.work.bottom, 994);
    EXPECT_EQ(ZuGetPrimaryDisplayXSize(), 1920);
    setMonitorsForTesting({});
}

TEST_F(WindowTest, SurfaceMadeWithItsWindowDrawsOnAnotherThread) {
    WindowDesc d;
    d.proc = zu::test::recordingProc;
    d.x = 50, d.y = 50, d.width = 64, d.height = 48;
    d.visible = true;
    d.surface = true;
    Surface* surface = nullptr;
    ws::Window* w = createWindow(d, &surface);
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
