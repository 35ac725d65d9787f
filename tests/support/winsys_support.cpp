#include "support/winsys_support.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dirent.h>

#include <string>

#include "zugui/platform.h"

namespace zu::test {

std::vector<Recorded>& recorded() {
    static std::vector<Recorded> r;
    return r;
}

intptr_t recordingProc(const ws::Event& e) {
    const ZuMSG m = ws::toMessage(e);
    recorded().push_back({e.window, m.message, m.wParam, m.lParam});
    return ws::defaultProc(e);
}

ws::Window* TestWindow::make() const {
    ws::WindowDesc d;
    d.proc = recordingProc;
    d.caption = "zugui test";
    d.x = x, d.y = y, d.width = width, d.height = height;
    d.visible = visible;
    d.doubleClicks = doubleClicks;
    d.parent = parent;
    d.surface = surface != nullptr;
    return ws::createWindow(d, surface);
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
    pumpUntil([] { return false; }, ms);
}

TestDisplay::TestDisplay() {
    dpy = XOpenDisplay(nullptr);
}
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
void TestDisplay::sync() {
    XSync(dpy, False);
}

namespace {
Display* queryDisplay() {
    static Display* d = XOpenDisplay(nullptr);
    return d;
}
XID idOf(void* handle) {
    return static_cast<XID>(reinterpret_cast<uintptr_t>(handle));
}
int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}
}  // namespace

bool viewable(void* handle) {
    Display* d = queryDisplay();
    if (!d || !handle) return false;
    auto old = XSetErrorHandler(ignoreErrors);
    XWindowAttributes wa{};
    const bool ok = XGetWindowAttributes(d, idOf(handle), &wa) != 0;
    XSetErrorHandler(old);
    return ok && wa.map_state == IsViewable;
}

bool screenRect(void* handle, ws::Rect* r) {
    Display* d = queryDisplay();
    if (!d || !handle) return false;
    auto old = XSetErrorHandler(ignoreErrors);
    XWindowAttributes wa{};
    int sx = 0, sy = 0;
    Window child;
    const bool ok =
        XGetWindowAttributes(d, idOf(handle), &wa) != 0 &&
        XTranslateCoordinates(d, idOf(handle), DefaultRootWindow(d), 0, 0, &sx, &sy, &child);
    XSetErrorHandler(old);
    if (!ok) return false;
    *r = {sx, sy, sx + wa.width, sy + wa.height};
    return true;
}

uint32_t windowPixel(void* handle, int x, int y) {
    Display* d = queryDisplay();
    if (!d || !handle) return 0xFFFFFFFF;
    auto old = XSetErrorHandler(ignoreErrors);
    XImage* img = XGetImage(d, idOf(handle), x, y, 1, 1, AllPlanes, ZPixmap);
    XSetErrorHandler(old);
    if (!img) return 0xFFFFFFFF;
    const uint32_t v = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return v;
}

Rgb windowRgb(void* handle, int x, int y) {
    const uint32_t v = windowPixel(handle, x, y);
    return v == 0xFFFFFFFF ? Rgb{-1, -1, -1} : Rgb{int(v >> 16), int(v >> 8 & 255), int(v & 255)};
}

Capture windowCapture(void* handle) {
    Capture c;
    Display* d = queryDisplay();
    XWindowAttributes wa{};
    if (!d || !handle) return c;
    auto old = XSetErrorHandler(ignoreErrors);
    XImage* img = XGetWindowAttributes(d, idOf(handle), &wa)
                      ? XGetImage(d, idOf(handle), 0, 0, wa.width, wa.height, AllPlanes, ZPixmap)
                      : nullptr;
    XSetErrorHandler(old);
    if (!img) return c;
    c.width = wa.width, c.height = wa.height;
    c.rgba.resize(4 * size_t(c.width) * c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const unsigned long v = XGetPixel(img, x, c.height - 1 - y);
            uint8_t* p = &c.rgba[4 * (size_t(y) * c.width + x)];
            p[0] = v >> 16 & 255, p[1] = v >> 8 & 255, p[2] = v & 255, p[3] = 255;
        }
    XDestroyImage(img);
    return c;
}

std::vector<unsigned long> windowProperty(Display* d, XID window, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(d, window, property, 0, 1 << 20, False, AnyPropertyType, &type, &format,
                       &count, &after, &data);
    std::vector<unsigned long> items(count);
    for (unsigned long i = 0; i < count; ++i)
        items[i] = format == 32   ? reinterpret_cast<unsigned long*>(data)[i]
                   : format == 16 ? reinterpret_cast<unsigned short*>(data)[i]
                                  : data[i];
    if (data) XFree(data);
    return items;
}

std::vector<Window> childWindows(Display* d, Window window, Window* parent) {
    Window rootRet = 0, parentRet = 0, *kids = nullptr;
    unsigned n = 0;
    if (!XQueryTree(d, window, &rootRet, &parentRet, &kids, &n)) return {};
    std::vector<Window> out(kids, kids + n);
    if (kids) XFree(kids);
    if (parent) *parent = parentRet;
    return out;
}

ErrorLines::ErrorLines() {
    ZuSetErrorCallback(
        [](const char* line, void* to) {
            auto* self = static_cast<ErrorLines*>(to);
            std::lock_guard lock(self->mutex);
            self->lines.emplace_back(line);
        },
        this);
}
ErrorLines::~ErrorLines() {
    ZuSetErrorCallback(nullptr, nullptr);
}
size_t ErrorLines::count(const char* part) {
    std::lock_guard lock(mutex);
    size_t n = 0;
    for (auto& l : lines) n += l.find(part) != std::string::npos;
    return n;
}

int countEntries(const char* dir) {
    int n = 0;
    if (DIR* d = opendir(dir)) {
        while (readdir(d)) ++n;
        closedir(d);
    }
    return n;
}

size_t countOf(const ws::Window* window, unsigned message) {
    size_t n = 0;
    for (auto& r : recorded()) n += r.window == window && r.message == message;
    return n;
}

std::string sourcePath(const char* relative) {
    return std::string(ZUGUI_SOURCE_DIR) + "/" + relative;
}

}  // namespace zu::test
