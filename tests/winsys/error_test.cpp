// Failures without a result code reach the host's error callback, one line each; X errors
// of another connection in the process stay with that connection's handler.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <string>

// Before the X headers, whose macros would meet the converter's names.
#include "video/video_internal.h"
// clang-format off
#include <X11/Xlib.h>
#include "support/winsys_support.h"
// clang-format on

namespace ws = zu::ws;

namespace {

int othersErrors = 0;
int othersHandler(Display*, XErrorEvent*) {
    ++othersErrors;
    return 0;
}

}  // namespace

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
    XDestroyWindow(other.dpy, reinterpret_cast<Window>(ws::nativeHandle(w)));
    other.sync();
    ws::setCapture(w);
    zu::test::pumpFor(100);
    ws::releaseCapture();
    EXPECT_EQ(collected.count("X error on zugui's window connection: "), 1u);
    EXPECT_EQ(othersErrors, 0);

    // An error on another connection of the process goes to the handler that was there.
    const size_t before = collected.count("");
    XWindowAttributes wa;
    XGetWindowAttributes(other.dpy, reinterpret_cast<Window>(ws::nativeHandle(w)), &wa);
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
