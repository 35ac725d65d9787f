// Helpers for tests that run against a real X server: a recording window procedure,
// pumping the message loop until a condition holds, and XTest input on a connection of
// the test's own.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "platform/winsys/events.h"
#include "support/gl_capture.h"

namespace zu::test {

// An event as the host's loop would carry it, with the window it came to.
struct Recorded {
    ws::Window* window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

// Every event seen by recordingProc, in order. Only the loop thread appends.
std::vector<Recorded>& recorded();
intptr_t recordingProc(const ws::Event& e);

// A window of the calling thread with recordingProc; with a GL surface when given where to
// put it.
struct TestWindow {
    int x = 0, y = 0, width = 400, height = 300;
    bool visible = true;
    bool doubleClicks = false;
    ws::Window* parent = nullptr;
    ws::Surface** surface = nullptr;
    ws::Window* make() const;
};

// Dispatches messages until pred() is true or timeoutMs passes; returns pred().
bool pumpUntil(const std::function<bool()>& pred, int timeoutMs = 3000);
// Dispatches everything that arrives within ms.
void pumpFor(int ms);

// A second X connection for injecting input and acting as another client.
struct TestDisplay {
    Display* dpy = nullptr;
    TestDisplay();
    ~TestDisplay();
    void moveTo(int x, int y);
    void button(unsigned b, bool press);
    void click(unsigned b);
    void key(KeySym sym, bool press);
    void tap(KeySym sym);
    void sync();
};

// Queries on a window by the handle the public API gives out (ours or a host's), asked
// on a connection of the tests' own.
bool viewable(void* handle);
bool screenRect(void* handle, ws::Rect* r);

// A window's pixel (x, y) from its top-left as the server shows it: 0xRRGGBB, or 0xFFFFFFFF
// when it cannot be read.
uint32_t windowPixel(void* handle, int x, int y);
// A pixel's 8-bit channels; near() when each is within tol.
struct Rgb {
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
inline std::ostream& operator<<(std::ostream& os, const Rgb& c) {
    return os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}
inline bool near(const Rgb& a, const Rgb& b, int tol) {
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}
// The same pixel as channels, all -1 when it cannot be read.
Rgb windowRgb(void* handle, int x, int y);
// The whole window as the server shows it, bottom row first as GL reads; empty when it
// cannot be read.
Capture windowCapture(void* handle);
// Entries of a directory: threads under /proc/self/task, descriptors under /proc/self/fd.
int countEntries(const char* dir);

// A window's property read on d, one item per element (bytes, shorts or longs as Xlib gives
// them); empty when it is missing.
std::vector<unsigned long> windowProperty(Display* d, XID window, Atom property);

// Every line the library reports to the host's error callback while this lives.
struct ErrorLines {
    std::mutex mutex;
    std::vector<std::string> lines;
    ErrorLines();
    ~ErrorLines();
    size_t count(const char* part);  // lines containing part; "" counts them all
};

// The children of a window, bottom first, and its parent when asked; empty when the query
// fails.
std::vector<Window> childWindows(Display* d, Window window, Window* parent = nullptr);

// Counts recorded messages of one kind for one window.
size_t countOf(const ws::Window* window, unsigned message);
// Path of a file in the source tree.
std::string sourcePath(const char* relative);

}  // namespace zu::test
