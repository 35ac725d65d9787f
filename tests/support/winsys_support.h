// Helpers for tests that run against a real X server: a recording window procedure,
// pumping the message loop until a condition holds, and XTest input on a connection of
// the test's own.
#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <functional>
#include <mutex>
#include <vector>

#include "platform/winsys/winsys.h"

namespace zu::test {

struct Recorded {
    void* window;
    unsigned message;
    uintptr_t wParam;
    intptr_t lParam;
};

// Every message seen by recordingProc, in order. Only the loop thread appends.
std::vector<Recorded>& recorded();
intptr_t recordingProc(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);

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

// Counts recorded messages of one kind for one window.
size_t countOf(void* window, unsigned message);
// Path of a file in the source tree.
std::string sourcePath(const char* relative);

}  // namespace zu::test
