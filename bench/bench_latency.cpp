// Input-to-present latency: an XTest click on a node until the render pass that shows it
// has swapped (the window procedure returns only then), beside the render pass alone on
// the same tree in the same run.
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "gui/gui_state.h"
#include "zugui/zugui.h"

namespace {

namespace ws = zu::ws;

bool pressed = false;

int quad(void* ud, unsigned msg, int, int, void*, void*) {
    auto* n = static_cast<ZUWindowNode*>(ud);
    if (msg == ZUM_LBUTTONDOWN) pressed = !pressed;
    if (msg == ZUM_RENDER) {
        const float shade = (n->rect.x % 7) / 7.0f;
        glColor4f(pressed ? 1.f : shade, 0.5f, 1.f - shade, 1.f);
        glRecti(n->rect.x, n->rect.y, n->rect.x + n->rect.width, n->rect.y + n->rect.height);
    }
    return 0;
}

double ms(int64_t ticks) {
    return static_cast<double>(ticks) / 1e6;
}

struct Stats {
    double median, p99;
};
Stats stats(std::vector<int64_t> v) {
    std::sort(v.begin(), v.end());
    return {ms(v[v.size() / 2]), ms(v[std::min(v.size() - 1, v.size() * 99 / 100)])};
}

// Dispatches until a message of one of the kinds has been handled; false on time-out.
bool pumpUntilHandled(unsigned a, unsigned b, int64_t* doneAt) {
    const int64_t end = ws::performanceCounter() + 3'000'000'000;
    ZuMSG m;
    while (ws::performanceCounter() < end) {
        if (ws::getMessageTimeout(&m, 100) != 1) continue;
        ZuDispatchMessage(&m);
        if (m.message == a || m.message == b) {
            *doneAt = ws::performanceCounter();
            return true;
        }
    }
    return false;
}

}  // namespace

int main() {
    constexpr int kClicks = 500, kW = 640, kH = 480;
    Display* inject = XOpenDisplay(nullptr);
    if (!inject || ZUInitGUI(0, 0, kW, kH, nullptr, nullptr, nullptr, nullptr, 0) != 0) {
        std::fprintf(stderr, "bench_latency: no display\n");
        return 1;
    }
    // A tree of 200 quads in a 20 x 10 grid, so that a pass has something to draw.
    ZuRECT full{0, 0, kW, kH};
    ZUWindowNode* root = ZUCreateWindow(nullptr, 0, 1, &full, nullptr, nullptr, quad);
    root->userData = root;
    for (int i = 0; i < 200; ++i) {
        ZuRECT r{(i % 20) * 32, (i / 20) * 48, 30, 46};
        ZUWindowNode* n = ZUCreateWindow(nullptr, 0, 1, &r, nullptr, root, quad);
        n->userData = n;
    }
    ZUStartGUI();
    ZuMSG m;
    for (int64_t end = ws::performanceCounter() + 300'000'000; ws::performanceCounter() < end;)
        if (ws::getMessageTimeout(&m, 20) == 1) ZuDispatchMessage(&m);

    // Click to swap, beside the render thread's own pass for that same click (the pass
    // alone: make current, clear, walk, swap, release), so that both see the same load of
    // a shared machine. Alternating positions keep presses from pairing into double clicks.
    std::vector<int64_t> latency, pass;
    for (int i = 0; i < kClicks; ++i) {
        const int x = 100 + (i % 2) * 200, y = 200;
        XTestFakeMotionEvent(inject, -1, x, y, CurrentTime);
        XFlush(inject);
        int64_t done;
        pumpUntilHandled(ws::WM_MOUSEMOVE, ws::WM_MOUSEMOVE, &done);
        const int64_t t0 = ws::performanceCounter();
        XTestFakeButtonEvent(inject, 1, True, CurrentTime);
        XFlush(inject);
        if (!pumpUntilHandled(ws::WM_LBUTTONDOWN, ws::WM_LBUTTONDBLCLK, &done)) break;
        latency.push_back(done - t0);
        pass.push_back(zu::detail::gui().lastPassTicks.load());
        XTestFakeButtonEvent(inject, 1, False, CurrentTime);
        XFlush(inject);
        pumpUntilHandled(ws::WM_LBUTTONUP, ws::WM_LBUTTONUP, &done);
    }
    ZUStopGUI();
    ZUKillGUI();
    ZUDestroyWindow(root);
    XCloseDisplay(inject);
    if (latency.size() < kClicks) {
        std::fprintf(stderr, "bench_latency: only %zu of %d clicks arrived\n", latency.size(),
                     kClicks);
        return 1;
    }
    const Stats l = stats(latency), p = stats(pass);
    std::printf("bench_latency (%d clicks, %d x %d, 201 nodes)\n", kClicks, kW, kH);
    std::printf("  zugui click to swapped pass: median %.3f ms, p99 %.3f ms\n", l.median, l.p99);
    std::printf("  peer: render pass alone:     median %.3f ms, p99 %.3f ms\n", p.median, p.p99);
    std::printf("  latency / pass (median): %.2f; overhead %.3f ms (target at most 0.5 ms): %s\n",
                l.median / p.median, l.median - p.median,
                l.median <= p.median + 0.5 ? "met" : "missed");
    return 0;
}
