// The main window's lifecycle: set-up and tear-down, the render thread and its request /
// done handshake, window dragging, minimise and maximise.
#include "gui/lifecycle.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>

#include "gui/gui_state.h"
#include "text/text.h"
#include "video/convert/workers.h"
#include "zugui/popups.h"
#include "zugui/text.h"

namespace zu::detail {
namespace {

void closeEvent(void*& e) {
    if (e) ZuCloseEvent(e);
    e = nullptr;
}

// The render thread sleeps on the wake event and serves the requests it finds set, the
// repaint request first. Requests arriving during a pass leave their event set, so they
// coalesce into one further pass; no time-out means an idle GUI never wakes.
void timedPass() {
    const int64_t t0 = ws::performanceCounter();
    ZURenderGUI();
    gui().lastPassTicks.store(ws::performanceCounter() - t0, std::memory_order_release);
}

int renderLoop(void*) {
    GuiState& g = gui();
    while (!g.stopRequest.load(std::memory_order_acquire)) {
        if (ZuWaitForEvent(g.repaintRequest, 0) == 0) {
            timedPass();
            ZuSetEvent(g.repaintDone);
        } else if (ZuWaitForEvent(g.inputRequest, 0) == 0) {
            timedPass();
            ZuSetEvent(g.inputDone);
        } else {
            ZuWaitForEvent(g.renderWake, -1);
        }
    }
    g.threadRunning.store(false, std::memory_order_release);
    ZuThreadExit(0);
    return 0;
}

void request(void* requestEvent, void* doneEvent) {
    GuiState& g = gui();
    if (!requestEvent || !doneEvent) return;  // not initialised: nothing will render
    // With the display gone nothing will ever render: the host must not wait to exit.
    // (A stopped GUI still waits its time-out, as callers of a stopped GUI expect.)
    if (ws::displayLost()) return;
    // A done signal left by a pass that nobody waited for (coalesced requests) must not
    // answer this request.
    ZuResetEvent(doneEvent);
    ZuSetEvent(requestEvent);
    ZuSetEvent(g.renderWake);
    // In slices, so that a display lost during the pass ends the wait at once. A time-out
    // is not reported.
    constexpr int kSliceMs = 20;
    for (int waited = 0; waited < kHandshakeTimeoutMs && !ws::displayLost(); waited += kSliceMs)
        if (ZuWaitForEvent(doneEvent, kSliceMs) == 0) return;
}

// Surface, window and images, each only if it exists.
void releaseMainWindow() {
    GuiState& g = gui();
    if (g.mainSurface) {
        ws::makeCurrent(nullptr);
        ws::destroySurface(g.mainSurface);
    }
    ws::destroyWindow(g.mainWindow);
    ws::freeCursor(g.cursor);
    ws::freeIcon(g.icon);
    g.mainSurface = nullptr;
    g.mainWindow = nullptr;
    g.hostWindow = nullptr;
    g.cursor = nullptr;
    g.icon = nullptr;
}

}  // namespace

GuiState& gui() {
    static GuiState s;
    return s;
}

void inputHandshake() {
    GuiState& g = gui();
    if (g.handshakeHook) {
        g.handshakeHook();
        return;
    }
    request(g.inputRequest, g.inputDone);
}

void requestRepaint() {
    GuiState& g = gui();
    if (!g.repaintRequest) return;
    ZuSetEvent(g.repaintRequest);
    ZuSetEvent(g.renderWake);
}

void standardGlSetup(int w, int h) {
    setViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, w, 0, h);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
}

ws::Point dragTarget(ws::Point pointer, ws::Point offset) {
    return {pointer.x - offset.x, pointer.y - offset.y};
}

ws::Rect maximizeTarget(const ws::MonitorInfo& m, int screenW, int screenH, int width, int height,
                        bool center) {
    int left = m.monitor.left, top = m.monitor.top;
    int w = m.monitor.width(), h = m.monitor.height();
    if (m.primary) left = 0, top = 0, w = screenW, h = screenH;
    if (center) {
        // What the window system can make, so that the rectangle told back is the window's.
        width = zu::ws::windowSide(width);
        height = zu::ws::windowSide(height);
        left = left + w / 2 - width / 2;
        top = top + h / 2 - height / 2;
        w = width;
        h = height;
    }
    return {left, top, left + w, top + h};
}

}  // namespace zu::detail

using zu::detail::gui;
namespace ws = zu::ws;

ZUAPI ZuErr ZUInitGUI(int x, int y, int width, int height, void* instance, char* caption,
                      char* iconFile, void* hostWindow, int mode) {
    auto& g = gui();
    // One GUI per process: a second ZUInitGUI without ZUKillGUI is refused.
    if (g.mainWindow) return -2;
    zu::detail::prefetchFonts();  // beside the display's and the driver's set-up
    const bool embedded = (mode == 2 || mode == 3) && hostWindow;
    if (!ws::open() || (embedded && !ws::nativeWindowExists(hostWindow))) {
        zu::detail::settlePrefetch();
        return -2;
    }
    g.instance = instance;
    g.currentGuiHeight = g.guiHeight = height;
    g.guiWidth = width;
    g.embedded = embedded;

    // The cursor and icon as the window's look; a missing file leaves the default.
    g.cursor = ws::loadCursor("data/icons/envoycursor.cur");
    const std::string icon = std::string("data/icons/") + (iconFile ? iconFile : "");
    g.icon = iconFile && *iconFile && !embedded ? ws::loadIcon(icon.c_str()) : nullptr;
    ws::WindowDesc d;
    d.proc = zu::detail::guiWindowProc;
    d.doubleClicks = true;
    d.visible = true;
    d.surface = true;
    d.cursor = g.cursor;
    d.icon = g.icon;
    d.width = width, d.height = height;
    if (embedded) {
        // A child window of ours over the GUI's top-left width x height of the host's
        // window: the host's toolkit keeps its own input selection and drawing there.
        d.hostParent = hostWindow;
        g.hostWindow = hostWindow;
    } else {
        d.caption = caption ? caption : "";
        d.x = x, d.y = y;
        d.owner = hostWindow;
    }
    g.mainWindow = ws::createWindow(d, &g.mainSurface);
    if (!g.mainWindow || !ws::makeCurrent(g.mainSurface)) {
        // Without a context nothing can ever be drawn: undo and say so.
        zu::detail::releaseMainWindow();
        zu::detail::settlePrefetch();
        return -2;
    }
    g.videoTable = new zu::detail::VideoSlot[zu::detail::kVideoSlotCount]{};
    zu::detail::standardGlSetup(width, height);
    ZUBuildFonts(0);  // font set 0 of the main context
    g.currentGuiHeight = height;
    zu::detail::fillSchemeDefaults();
    ws::makeCurrent(nullptr);

    // The drop-down popup and the message box; their results are not looked at.
    ZUInitCombo(0, 0, 50, 50, iconFile);
    ZUInitMB(iconFile);

    g.renderThread = nullptr;
    g.stopRequest.store(false, std::memory_order_release);
    g.threadRunning.store(false, std::memory_order_release);
    g.threadId = 0;
    g.hotKeys = new zu::detail::HotKey[zu::detail::kHotKeyCount]{};
    g.dblClkInterval = static_cast<int64_t>(static_cast<double>(ws::performanceFrequency()) * 0.5);
    g.lastClickTime = g.clock();
    g.inputRequest = ZuCreateEvent(0, 0, nullptr);
    g.inputDone = ZuCreateEvent(0, 0, nullptr);
    g.repaintRequest = ZuCreateEvent(0, 0, nullptr);
    g.repaintDone = ZuCreateEvent(0, 0, nullptr);
    g.renderWake = ZuCreateEvent(0, 0, nullptr);

    // Set before the thread exists, so that the thread's own clearing always comes later.
    g.threadRunning.store(true, std::memory_order_release);
    g.renderThread = ZuCreateThread(zu::detail::renderLoop, nullptr, 0, 1, 1, &g.threadId);
    if (!g.renderThread) g.threadRunning.store(false, std::memory_order_release);
    return 0;
}

ZUAPI ZuErr ZUStartGUI(void) {
    gui().started.store(true, std::memory_order_release);
    return 0;
}

ZUAPI ZuErr ZUStopGUI(void) {
    auto& g = gui();
    g.started.store(false, std::memory_order_release);
    g.stopRequest.store(true, std::memory_order_release);
    if (g.renderWake) ZuSetEvent(g.renderWake);
    unsigned exitCode = 0;
    if (g.renderThread) ZuGetExitCodeThread(g.renderThread, &exitCode);
    // About five seconds in all; the wait on the thread handle returns as soon as it ends.
    // With the display gone, half a second: a pass caught by the loss can stay inside the
    // GL driver, reading a dead connection, for much longer or for good, and the thread
    // is then left to the process's exit.
    int polls = 0;
    while (g.renderThread && (g.threadRunning.load(std::memory_order_acquire) || exitCode != 0)) {
        if (++polls > (ws::displayLost() ? 100 : 1011)) {
            ZuTerminateThread(g.renderThread, exitCode);
            ZuWaitForEvent(g.renderThread, ws::displayLost() ? 0 : 1000);
            break;
        }
        ZuWaitForEvent(g.renderThread, 5);
        ZuGetExitCodeThread(g.renderThread, &exitCode);
    }
    if (g.renderThread) ZuCloseThread(g.renderThread);
    g.renderThread = nullptr;
    g.stopRequest.store(false, std::memory_order_release);
    g.threadRunning.store(false, std::memory_order_release);
    g.threadId = 0;
    return 0;
}

ZUAPI ZuErr ZUKillGUI(void) {
    auto& g = gui();
    if (!g.mainWindow) return 0;
    if (g.renderThread) ZUStopGUI();  // the render thread must not outlive the context

    // The popups go first, then font set 0, which lives in the main context.
    ZUKillCombo();
    ZUKillMB();
    zu::detail::stopConvertWorkers();  // the CPU converter's worker threads
    ws::makeCurrent(g.mainSurface);
    ZUKillFonts(0);
    ZUReleaseMouse();
    // Other clients must not ask a GUI that is gone for its clipboard.
    ws::releaseSelections();
    // In embedded mode this removes our child and leaves the host's window as it was.
    zu::detail::releaseMainWindow();
    zu::detail::closeEvent(g.inputRequest);
    zu::detail::closeEvent(g.inputDone);
    zu::detail::closeEvent(g.repaintRequest);
    zu::detail::closeEvent(g.repaintDone);
    zu::detail::closeEvent(g.renderWake);
    g.embedded = false;
    delete[] g.hotKeys;
    g.hotKeys = nullptr;
    delete[] g.videoTable;
    g.videoTable = nullptr;
    g.videoCapture = nullptr;
    g.rolloverNode = nullptr;
    g.lastClicked = nullptr;
    zu::detail::releasePostedRecords();
    return 0;
}

ZUAPI void ZURenderGUI(void) {
    auto& g = gui();
    // The GUI fills its window in both modes, so the standard set-up's viewport holds.
    if (!g.mainSurface || !ws::makeCurrent(g.mainSurface)) return;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    zu::detail::renderWalk(g.root);
    ws::swapBuffers(g.mainSurface);
    ws::makeCurrent(nullptr);
}

ZUAPI void ZURePaint(void) {
    auto& g = gui();
    zu::detail::request(g.repaintRequest, g.repaintDone);
}

ZUAPI ZuErr ZUStartMoveGUI(void) {
    auto& g = gui();
    ws::Rect r;
    ws::Point p;
    if (!g.mainWindow || !ws::windowRect(g.mainWindow, &r) || !ws::cursorPos(&p)) return 0;
    g.moveOffset = {p.x - r.left, p.y - r.top};
    return 0;
}

ZUAPI ZuErr ZUMoveGUI(void) {
    auto& g = gui();
    ws::Point p;
    if (!g.mainWindow || !ws::cursorPos(&p)) return 0;
    const ws::Point to = zu::detail::dragTarget(p, g.moveOffset);
    ws::move(g.mainWindow, to.x, to.y);
    return 0;
}

ZUAPI ZuErr ZUStopMoveGUI(void) {
    return ZUMoveGUI();
}

ZUAPI ZuErr ZUMinimizeGUI(void) {
    auto& g = gui();
    if (g.mainWindow) ws::minimize(g.mainWindow);
    return 0;
}

ZUAPI ZuErr ZUMaximizeGUI(ZuRECT* rect, unsigned char center) {
    auto& g = gui();
    if (!g.mainWindow || !g.root || !rect) return 0;
    // The root's user data names the node to hide (a title bar, say); see the header.
    if (auto* hide = static_cast<ZUWindowNode*>(g.root->userData)) hide->visible = 0;
    ws::Rect wr;
    ws::windowRect(g.mainWindow, &wr);
    ws::MonitorInfo mi;
    if (!ws::monitorAt({wr.left, wr.top}, &mi)) return 0;
    const ws::Rect to = zu::detail::maximizeTarget(mi, ws::screenWidth(), ws::screenHeight(),
                                                   rect->width, rect->height, center == 1);
    ws::setGeometry(g.mainWindow, to.left, to.top, to.width(), to.height());
    ws::raise(g.mainWindow, false);
    *rect = {0, 0, to.width(), to.height()};
    if (ws::makeCurrent(g.mainSurface)) {
        zu::detail::standardGlSetup(to.width(), to.height());
        ws::makeCurrent(nullptr);
    }
    g.currentGuiHeight = to.height();
    return 0;
}

ZUAPI void* ZUGetDC(void) {
    return gui().mainSurface;
}
ZUAPI void* ZUGetHWND(void) {
    auto& g = gui();
    return g.embedded ? g.hostWindow : ws::nativeHandle(g.mainWindow);
}
ZUAPI void ZUSwapBuffers(void) {
    ws::GlTurn turn;  // called from a host's drawing, which may hold it already
    if (ws::Surface* s = gui().mainSurface) ws::swapBuffers(s);
}
