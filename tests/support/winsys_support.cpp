#include "support/winsys_support.h"

#include <X11/keysym.h>

#include <string>

namespace zu::test {

std::vector<Recorded>& recorded() {
    static std::vector<Recorded> r;
    return r;
}

intptr_t recordingProc(void* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    recorded().push_back({window, message, wParam, lParam});
    return ws::defWindowProc(window, message, wParam, lParam);
}

bool pumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    const int64_t end = ws::performanceCounter() + int64_t{timeoutMs} * 1000000;
    while (!pred()) {
        const int64_t left = (end - ws::performanceCounter()) / 1000000;
        if (left <= 0) return pred();
        ZuMSG m;
        if (ws::getMessageTimeout(&m, static_cast<int>(left)) == 1) ZuDispatchMessage(&m);
    }
    return true;
}

void pumpFor(int ms) {
    const int64_t end = ws::performanceCounter() + int64_t{ms} * 1000000;
    for (;;) {
        const int64_t left = (end - ws::performanceCounter()) / 1000000;
        if (left <= 0) return;
        ZuMSG m;
        if (ws::getMessageTimeout(&m, static_cast<int>(left)) == 1) ZuDispatchMessage(&m);
    }
}

TestDisplay::TestDisplay() { dpy = XOpenDisplay(nullptr); }
TestDisplay::~TestDisplay() {
    if (dpy) XCloseDisplay(dpy);
}
void TestDisplay::moveTo(int x, int y) {
    XTestFakeMotionEvent(dpy, -1, x, y, CurrentTime);
    XFlush(dpy);
}
void TestDisplay::button(unsigned b, bool press) {
    XTestFakeButtonEvent(dpy, b, press, CurrentTime);
    XFlush(dpy);
}
void TestDisplay::click(unsigned b) {
    button(b, true);
    button(b, false);
}
void TestDisplay::key(KeySym sym, bool press) {
    XTestFakeKeyEvent(dpy, XKeysymToKeycode(dpy, sym), press, CurrentTime);
    XFlush(dpy);
}
void TestDisplay::tap(KeySym sym) {
    key(sym, true);
    key(sym, false);
}
void TestDisplay::sync() { XSync(dpy, False); }

size_t countOf(void* window, unsigned message) {
    size_t n = 0;
    for (auto& r : recorded()) n += r.window == window && r.message == message;
    return n;
}

std::string sourcePath(const char* relative) {
    return std::string(ZUGUI_SOURCE_DIR) + "/" + relative;
}

}  // namespace zu::test
