// What the toolkit hosts embed, and the lines they speak with the test that drives them.
// A host prints "ready" once the GUI is up in its window, "clicked" and "entered <text>"
// when the GUI's button and text field report, and "hostclick" / "hostkey <c>" when its
// own toolkit receives input. It obeys "repaint <n>", "kill" (the GUI goes, the window
// stays) and "exit" on its standard input.
#pragma once

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zugui/zugui.h"

namespace embed_host {

constexpr int kHostW = 640, kHostH = 480;  // the host's window
constexpr int kGuiW = 400, kGuiH = 300;    // the GUI's area, its top-left part
// The host paints its whole window in one colour, the GUI's page another.
constexpr unsigned kHostRgb = 0x3060C0, kPageRgb = 0x20A040;
// GUI rectangles (origin bottom-left); the test clicks their centres.
constexpr ZuRECT kButton{20, 200, 120, 40}, kField{20, 100, 200, 30};

inline void say(const char* fmt, const char* arg = "") {
    std::printf(fmt, arg);
    std::printf("\n");
    std::fflush(stdout);
}

class Page : public ZUWindow {
  public:
    ZUButton button;
    ZUText field;

    bool build() {
        ZuRECT r{0, 0, kGuiW, kGuiH}, b = kButton, f = kField;
        return CreateZUWindow(const_cast<char*>("page"), 0, 1, 0, &r, nullptr) == 0 &&
               button.CreateZUWindow(const_cast<char*>("Press"), 0, 1, 0, &b, this) == 0 &&
               field.CreateZUWindow(const_cast<char*>(""), 0, 1, 0, &f, this) == 0;
    }
    ZuErr RenderZUWindow() override {
        glColor3ub(kPageRgb >> 16, kPageRgb >> 8 & 255, kPageRgb & 255);
        glRecti(0, 0, kGuiW, kGuiH);
        return 0;
    }
    ZuErr ReceiveZUMessage(unsigned msg, int a, int b, void* p, void* q) override {
        if (msg == ZUM_CLICKED && p == &button) say("clicked");
        if (msg == ZUM_TEXTENTERED && p == &field) {
            char text[264] = {};
            field.GetWindowZUText(text, 256);
            say("entered %s", text);
        }
        return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    }
};

// Up in the host's window (mode 2), started, drawn once.
inline bool startGui(Page& page, unsigned long hostWindow) {
    ZuSetErrorCallback([](const char* line, void*) { std::fprintf(stderr, "zugui: %s\n", line); },
                       nullptr);
    if (ZUInitGUI(0, 0, kGuiW, kGuiH, nullptr, nullptr, nullptr,
                  reinterpret_cast<void*>(hostWindow), 2) != 0 ||
        !page.build())
        return false;
    ZUStartGUI();
    ZURePaint();
    say("ready");
    return true;
}

// Messages of the GUI waiting for this thread, as the host's loop hands them over.
inline void dispatchGui() {
    ZuMSG m;
    while (ZuPeekMessage(&m, 1)) ZuDispatchMessage(&m);
}

// One command line; false for "exit".
inline bool obey(Page& page, const std::string& line) {
    if (line.rfind("repaint ", 0) == 0) {
        for (int i = std::atoi(line.c_str() + 8); i > 0; --i) ZURePaint();
        say("repainted");
    } else if (line == "kill") {
        ZUStopGUI();
        ZUKillGUI();
        page.DestroyZUWindow();
        say("killed");
    } else if (line == "exit") {
        return false;
    }
    return true;
}

// Reads what stdin has (it is readable) and obeys each complete line; false for "exit".
inline bool readCommands(Page& page, std::string& pending) {
    char buf[256];
    const ssize_t n = ::read(0, buf, sizeof buf);
    if (n <= 0) return false;  // the test is gone
    pending.append(buf, size_t(n));
    for (size_t nl; (nl = pending.find('\n')) != std::string::npos;) {
        const std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        if (!obey(page, line)) return false;
    }
    return true;
}

}  // namespace embed_host
