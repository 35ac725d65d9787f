// Start-up cost: ZUInitGUI to the end of the first render pass, and the three font sets
// built into three contexts, beside what they are measured against in the same run: a
// bare window with a GL context and one swap (also first in a process of its own, where it
// pays for loading the GL driver too, and followed there by ZUInitGUI, which then pays for
// nothing the driver loads), and the six faces rasterised afresh for every set (what
// building each set from the font files would cost).
#include <GL/gl.h>
#include <X11/Xlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "text/font_files.h"
#include "zugui/zugui.h"

namespace {

namespace ws = zu::ws;
using zu::detail::gui;

double msSince(int64_t start) {
    return static_cast<double>(ws::performanceCounter() - start) * 1000.0 /
           static_cast<double>(ws::performanceFrequency());
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int rootCallback(void*, unsigned, int, int, void*, void*) {
    return 0;
}

// The floor under any GUI: a window, a context made current and one swap.
double bareWindow() {
    const int64_t t0 = ws::performanceCounter();
    ws::WindowDesc d;
    d.visible = true;
    d.surface = true;
    d.width = 1280, d.height = 720;
    ws::Surface* surface = nullptr;
    ws::Window* w = ws::createWindow(d, &surface);
    ws::makeCurrent(surface);
    zu::detail::standardGlSetup(1280, 720);
    ws::swapBuffers(surface);
    glFinish();
    const double ms = msSince(t0);
    ws::makeCurrent(nullptr);
    ws::destroySurface(surface);
    ws::destroyWindow(w);
    return ms;
}

double initToFirstPass() {
    const int64_t t0 = ws::performanceCounter();
    if (ZUInitGUI(0, 0, 1280, 720, nullptr, const_cast<char*>("bench"), nullptr, nullptr, 0) != 0)
        return -1;
    ZuRECT r{0, 0, 1280, 720};
    ZUWindowNode* root =
        ZUCreateWindow(const_cast<char*>("root"), 0, 1, &r, nullptr, nullptr, rootCallback);
    ZURenderGUI();
    ws::makeCurrent(gui().mainSurface);
    glFinish();
    ws::makeCurrent(nullptr);
    const double ms = msSince(t0);
    ZUKillGUI();
    ZUDestroyWindow(root);
    return ms;
}

// Steps run first in a fresh process, forked before this one opens the display; their
// times in order, or -1 each.
template <int N>
std::array<double, N> inNewProcess(std::array<double (*)(), N> steps) {
    std::array<double, N> ms;
    ms.fill(-1);
    int fds[2];
    if (pipe(fds) != 0) return ms;
    const pid_t child = fork();
    if (child == 0) {
        for (int i = 0; i < N; ++i) ms[i] = steps[i]();
        const bool sent = write(fds[1], ms.data(), sizeof ms) == static_cast<ssize_t>(sizeof ms);
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    // A server with no client left resets and turns connections away meanwhile: one stays
    // open here until the child is done.
    Display* keep = child > 0 ? XOpenDisplay(nullptr) : nullptr;
    if (child < 0 || read(fds[0], ms.data(), sizeof ms) != static_cast<ssize_t>(sizeof ms))
        ms.fill(-1);
    close(fds[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    if (keep) XCloseDisplay(keep);
    return ms;
}

}  // namespace

int main() {
    if (chdir(ZUGUI_SOURCE_DIR) != 0) return 1;
    const double bareCold = inNewProcess<1>({bareWindow})[0];
    // What the library adds to a process that has its GL driver loaded already.
    const auto [bareFirst, afterDriver] = inNewProcess<2>({bareWindow, initToFirstPass});
    // And where that goes: the faces found, then rasterised (six, as the first build does),
    // then the rest of ZUInitGUI.
    const auto [bareAgain, faces, glyphs, rest] = inNewProcess<4>(
        {bareWindow,
         [] {
             const int64_t t0 = ws::performanceCounter();
             const bool found = !zu::detail::facePath(true).empty();
             return found + !zu::detail::facePath(false).empty() >= 0 ? msSince(t0) : -1;
         },
         [] {
             const int64_t t0 = ws::performanceCounter();
             for (int size : {14, 12, 10})
                 for (bool bold : {true, false}) zu::detail::rasterFont(bold, size);
             return msSince(t0);
         },
         initToFirstPass});
    const double cold = initToFirstPass();  // fontconfig lookup and rasterising included
    if (cold < 0) {
        std::fprintf(stderr, "bench_startup: no display\n");
        return 1;
    }
    std::vector<double> warm, bare, sets, raster;
    for (int i = 0; i < 7; ++i) {  // interleaved, so that both see the same machine load
        warm.push_back(initToFirstPass());
        bare.push_back(bareWindow());
    }

    ZUInitGUI(0, 0, 1280, 720, nullptr, const_cast<char*>("bench"), nullptr, nullptr, 0);
    ws::Surface* rc[3] = {gui().mainSurface, ws::createSurface(ZUGetHWND()),
                          ws::createSurface(ZUGetHWND())};
    for (int i = 0; i < 7; ++i) {
        for (int set = 0; set < 3; ++set) {
            ws::makeCurrent(rc[set]);
            ZUKillFonts(set);
        }
        const int64_t t0 = ws::performanceCounter();
        for (int set = 0; set < 3; ++set) {
            ws::makeCurrent(rc[set]);
            ZUBuildFonts(set);
            glFinish();
        }
        sets.push_back(msSince(t0));
        const int64_t t1 = ws::performanceCounter();
        for (int set = 0; set < 3; ++set)
            for (int size : {14, 12, 10})
                for (bool bold : {true, false}) zu::detail::rasteriseFont(bold, size);
        raster.push_back(msSince(t1));
    }
    for (int set = 1; set < 3; ++set) {
        ws::makeCurrent(rc[set]);
        ZUKillFonts(set);
        ws::makeCurrent(nullptr);
        ws::destroySurface(rc[set]);
    }
    ws::makeCurrent(nullptr);
    ZUKillGUI();

    std::printf("bench_startup (medians of 7, ms)\n");
    std::printf("  ZUInitGUI to end of first pass, first in process: %8.2f  (target <= 60)\n",
                cold);
    std::printf("  peer: bare window first in a process of its own:  %8.2f  (ratio %.2f)\n",
                bareCold, cold / bareCold);
    std::printf("  in a process of its own, a bare window first:     %8.2f\n", bareFirst);
    std::printf("    then ZUInitGUI to end of first pass:            %8.2f  (target <= 60)\n",
                afterDriver);
    std::printf("  again, a bare window first:                       %8.2f\n", bareAgain);
    std::printf("    then the two faces found (fontconfig):          %8.2f\n", faces);
    std::printf("    then six faces rasterised:                      %8.2f\n", glyphs);
    std::printf("    then ZUInitGUI to end of first pass:            %8.2f\n", rest);
    std::printf("  ZUInitGUI to end of first pass, later:            %8.2f\n", median(warm));
    std::printf(
        "  peer: bare window + GL context + one swap:        %8.2f  (ratio %.2f, "
        "target <= 1.5)\n",
        median(bare), median(warm) / median(bare));
    std::printf("  three font sets built (atlases shared):           %8.2f\n", median(sets));
    std::printf(
        "  peer: 18 faces rasterised afresh, as per-set builds from the files\n"
        "        would add on top of the uploads:            %8.2f  (sum %.2f, ratio %.2f)\n",
        median(raster), median(raster) + median(sets),
        (median(raster) + median(sets)) / median(sets));
    return 0;
}
