// zugui demo: a small video-monitor host built on the public API only.
//   zugui-demo                 an interactive window
//   zugui-demo --tour <dir>    the scripted tour (also when ZUGUI_HEADLESS is set)
// Without a display it starts one (Xvfb) and plays the tour.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo_app.h"
#include "tour.h"

// An installed demo finds the data in ../share/zugui beside its own bin/, wherever the
// package put it.
static bool chdirToInstalledData() {
    char exe[4096];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return false;
    std::string dir(exe, static_cast<size_t>(n));
    dir.resize(dir.rfind('/') + 1);
    return chdir((dir + "../share/zugui").c_str()) == 0 && access("data/icons", F_OK) == 0;
}

int main(int argc, char** argv) {
    std::string tourDir;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--tour") && i + 1 < argc) tourDir = argv[++i];
    const char* headless = std::getenv("ZUGUI_HEADLESS");
    if (tourDir.empty() && headless && *headless) tourDir = argc > 1 ? argv[1] : "build/demo";
    if (!std::getenv("DISPLAY")) {
        // Nobody is watching: run under a private X server and play the tour.
        std::string dir = tourDir.empty() ? "build/demo" : tourDir;
        execl(ZUGUI_WITH_DISPLAY, ZUGUI_WITH_DISPLAY, argv[0], "--tour", dir.c_str(),
              static_cast<char*>(nullptr));
        std::fprintf(stderr, "zugui-demo: no DISPLAY and no %s\n", ZUGUI_WITH_DISPLAY);
        return 1;
    }
    // The cursor and icon files are read from data/ under the current directory.
    if (access("data/icons", F_OK) != 0 && !chdirToInstalledData() &&
        chdir(ZUGUI_DATA_PARENT) != 0) {
        std::fprintf(stderr, "zugui-demo: cannot find data/icons\n");
        return 1;
    }

    using demo::DemoApp;
    if (ZUInitGUI(80, 60, DemoApp::kW, DemoApp::kH, nullptr, const_cast<char*>("zugui demo"),
                  const_cast<char*>("zugui.ico"), nullptr, 0) != 0) {
        std::fprintf(stderr, "zugui-demo: cannot open the GUI\n");
        return 1;
    }
    // The root is a plain node: its user data names the node ZUMaximizeGUI hides (none
    // here). The application widget fills it.
    ZuRECT all{0, 0, DemoApp::kW, DemoApp::kH};
    ZUWindow root;
    root.node = ZUCreateWindow(const_cast<char*>("root"), 0, 1, &all, nullptr, nullptr, nullptr);
    auto* app = new DemoApp;
    if (!root.node || app->CreateZUWindow(const_cast<char*>("demo"), 0, 1, 0, &all, &root) != 0 ||
        !app->build()) {
        std::fprintf(stderr, "zugui-demo: cannot build the window\n");
        return 1;
    }
    ZUStartGUI();

    demo::Tour tour(*app, tourDir);
    if (!tourDir.empty()) tour.start();
    ZuMSG m;
    while (ZuGetMessage(&m) > 0) ZuDispatchMessage(&m);
    if (!tourDir.empty()) tour.join();

    app->teardown();
    ZUStopGUI();
    ZUKillGUI();
    delete app;
    root.DestroyZUWindow();
    if (tourDir.empty()) return 0;
    return tour.failures() == 0 ? 0 : 1;
}
