// The main window's lifecycle: set-up and tear-down, the render thread and its request /
// done handshake, window dragging, minimise and maximise.
#include "gui/lifecycle.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <string>

#include "gui/gui_state.h"
#include "text/text.h"

namespace zu::detail {
namespace {

constexpr const char* kClassName = "Envoy";

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
    ZuWaitForEvent(doneEvent, kHandshakeTimeoutMs);  // a time-out is not reported
}

void releaseMainContext() {
    GuiState& g = gui();
    if (g.mainRC) {
        ws::makeCurrent(nullptr, nullptr);
        ws::deleteContext(g.mainRC);
    }
    if (g.mainDC) ws::releaseDC(g.mainWindow, g.mainDC);
    g.mainRC = g.mainDC = nullptr;
}

void releaseImages() {
    GuiState& g = gui();
    if (g.cursor) ws::destroyCursor(g.cursor);
    if (g.icon) ws::destroyIcon(g.icon);
    g.cursor = g.icon = nullptr;
}

// Gives the host window back what it had before ZUInitGUI.
void releaseHostWindow() {
    GuiState& g = gui();
    if (g.previousProc) ws::setWindowProc(g.mainWindow, g.previousProc);
    if (g.adopted) ws::releaseAdoptedWindow(g.mainWindow);
    g.previousProc = nullptr;
    g.adopted = false;
    g.procSeen.store(false, std::memory_order_release);
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
    if (g.mainWindow || !ws::open()) return -2;
    const bool embedded = (mode == 2 || mode == 3) && hostWindow;
    g.instance = instance;
    g.currentGuiHeight = g.guiHeight = height;
    g.guiWidth = width;
    g.embedded = embedded;

    if (!embedded) {
        ws::WindowClass wc;
        wc.name = zu::detail::kClassName;
        wc.proc = zu::detail::guiWindowProc;
        wc.styles = ws::CS_VREDRAW | ws::CS_HREDRAW | ws::CS_DBLCLKS;
        g.cursor = ws::loadCursorFromFile("data/icons/envoycursor.cur");
        const std::string icon = std::string("data/icons/") + (iconFile ? iconFile : "");
        g.icon = iconFile && *iconFile ? ws::loadIconFromFile(icon.c_str()) : nullptr;
        wc.cursor = g.cursor;
        wc.icon = wc.iconSmall = g.icon;
        if (ws::registerClass(wc) != 0) {
            // The class of an earlier ZUInitGUI is still there: carry on with it.
            zu::detail::releaseImages();
            if (ws::lastError() != ws::ERROR_CLASS_ALREADY_EXISTS) return -2;
        }
        ws::CreateWindowParams p;
        p.className = zu::detail::kClassName;
        p.caption = caption ? caption : "";
        p.style = ws::WS_POPUP | ws::WS_VISIBLE | ws::WS_CLIPSIBLINGS | ws::WS_CLIPCHILDREN;
        p.x = x, p.y = y, p.width = width, p.height = height;
        p.parent = hostWindow;
        g.mainWindow = ws::createWindow(p);
        if (!g.mainWindow) {
            ws::unregisterClass(zu::detail::kClassName);
            zu::detail::releaseImages();
            return -2;
        }
    } else {
        // A window made outside our layer (plain Xlib, another toolkit) is adopted first.
        if (!ws::getWindowProc(hostWindow)) {
            if (!ws::adoptWindow(hostWindow)) return -2;
            g.adopted = true;
        }
        g.mainWindow = hostWindow;
        g.previousProc = ws::setWindowProc(hostWindow, zu::detail::guiWindowProc);
    }

    ws::PixelFormatDescriptor pfd;
    pfd.flags = ws::PFD_DRAW_TO_WINDOW | ws::PFD_SUPPORT_OPENGL | ws::PFD_DOUBLEBUFFER;
    pfd.pixelType = ws::PFD_TYPE_RGBA;
    pfd.colorBits = 32;
    pfd.depthBits = 32;
    g.mainDC = ws::getDC(g.mainWindow);
    ws::setPixelFormat(g.mainDC, ws::choosePixelFormat(g.mainDC, pfd));
    g.mainRC = ws::createContext(g.mainDC);
    if (!g.mainRC || !ws::makeCurrent(g.mainDC, g.mainRC)) {
        // Without a context nothing can ever be drawn: undo and say so.
        zu::detail::releaseMainContext();
        if (embedded) {
            zu::detail::releaseHostWindow();
        } else {
            ws::destroyWindow(g.mainWindow);
            ws::unregisterClass(zu::detail::kClassName);
            zu::detail::releaseImages();
        }
        g.mainWindow = nullptr;
        return -2;
    }
    g.videoTable = new zu::detail::VideoSlot[zu::detail::kVideoSlotCount]{};
    zu::detail::standardGlSetup(width, height);
    // Font set 0 of the main context: ZUBuildFonts(0), installed by the text layer.
    if (g.hooks.buildFonts) g.hooks.buildFonts(0);
    g.currentGuiHeight = height;
    zu::detail::fillSchemeDefaults();
    ws::makeCurrent(nullptr, nullptr);

    // The drop-down popup and the message box: ZUInitCombo / ZUInitMB of the popup layer.
    if (g.hooks.initCombo) g.hooks.initCombo(0, 0, 50, 50, iconFile);
    if (g.hooks.initMB) g.hooks.initMB(iconFile);

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
    int polls = 0;
    while (g.renderThread && (g.threadRunning.load(std::memory_order_acquire) || exitCode != 0)) {
        if (++polls > 1011) {
            ZuTerminateThread(g.renderThread, exitCode);
            ZuWaitForEvent(g.renderThread, 1000);
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

    // The popups go first: ZUKillCombo, then ZUKillMB.
    if (g.hooks.killCombo) g.hooks.killCombo();
    if (g.hooks.killMB) g.hooks.killMB();
    if (g.hooks.stopConvertWorkers) g.hooks.stopConvertWorkers();
    // Font set 0 lives in the main context: ZUKillFonts(0) with it current.
    if (g.hooks.killFonts) {
        ws::makeCurrent(g.mainDC, g.mainRC);
        g.hooks.killFonts(0);
    }
    zu::detail::releaseMainContext();
    ZUReleaseMouse();
    if (!g.embedded) {
        ws::destroyWindow(g.mainWindow);
        ws::unregisterClass(zu::detail::kClassName);
        zu::detail::releaseImages();
    } else {
        zu::detail::releaseHostWindow();
    }
    zu::detail::closeEvent(g.inputRequest);
    zu::detail::closeEvent(g.inputDone);
    zu::detail::closeEvent(g.repaintRequest);
    zu::detail::closeEvent(g.repaintDone);
    zu::detail::closeEvent(g.renderWake);
    g.mainWindow = nullptr;
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
    if (!g.mainRC || !ws::makeCurrent(g.mainDC, g.mainRC)) return;
    if (g.embedded && g.procSeen.load(std::memory_order_acquire)) {
        // The GUI takes the top-left GUI width x height of the host's client area.
        ws::Rect client;
        ws::getClientRect(g.mainWindow, &client);
        const int offset = client.bottom - g.guiHeight;
        g.viewportOffset.store(offset, std::memory_order_release);
        zu::detail::setViewport(0, offset, g.guiWidth, g.guiHeight);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluOrtho2D(0, g.guiWidth, 0, g.guiHeight);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    zu::detail::renderWalk(g.root);
    ws::swapBuffers(g.mainDC);
    ws::makeCurrent(nullptr, nullptr);
}

ZUAPI void ZURePaint(void) {
    auto& g = gui();
    zu::detail::request(g.repaintRequest, g.repaintDone);
}

ZUAPI ZuErr ZUStartMoveGUI(void) {
    auto& g = gui();
    ws::Rect r;
    ws::Point p;
    if (!g.mainWindow || !ws::getWindowRect(g.mainWindow, &r) || !ws::getCursorPos(&p)) return 0;
    g.moveOffset = {p.x - r.left, p.y - r.top};
    return 0;
}

ZUAPI ZuErr ZUMoveGUI(void) {
    auto& g = gui();
    ws::Point p;
    if (!g.mainWindow || !ws::getCursorPos(&p)) return 0;
    const ws::Point to = zu::detail::dragTarget(p, g.moveOffset);
    ws::setWindowPos(g.mainWindow, nullptr, to.x, to.y, 0, 0, ws::SWP_NOSIZE | ws::SWP_NOZORDER);
    return 0;
}

ZUAPI ZuErr ZUStopMoveGUI(void) {
    return ZUMoveGUI();
}

ZUAPI ZuErr ZUMinimizeGUI(void) {
    auto& g = gui();
    if (g.mainWindow) ws::postMessage(g.mainWindow, 0x0112 /* WM_SYSCOMMAND */, 0xF020, 0);
    return 0;
}

ZUAPI ZuErr ZUMaximizeGUI(ZuRECT* rect, unsigned char center) {
    auto& g = gui();
    if (!g.mainWindow || !g.root || !rect) return 0;
    // The root's user data names the node to hide (a title bar, say); see the header.
    if (auto* hide = static_cast<ZUWindowNode*>(g.root->userData)) hide->visible = 0;
    ws::Rect wr;
    ws::getWindowRect(g.mainWindow, &wr);
    ws::MonitorInfo mi;
    void* mon = ws::monitorFromPoint({wr.left, wr.top}, ws::MONITOR_DEFAULTTONEAREST);
    if (!mon || !ws::getMonitorInfo(mon, &mi)) return 0;
    const ws::Rect to = zu::detail::maximizeTarget(mi, ws::screenWidth(), ws::screenHeight(),
                                                   rect->width, rect->height, center == 1);
    ws::setWindowPos(g.mainWindow, nullptr, to.left, to.top, to.width(), to.height(), 0);
    *rect = {0, 0, to.width(), to.height()};
    if (ws::makeCurrent(g.mainDC, g.mainRC)) {
        zu::detail::standardGlSetup(to.width(), to.height());
        ws::makeCurrent(nullptr, nullptr);
    }
    g.currentGuiHeight = to.height();
    return 0;
}

ZUAPI void* ZUGetDC(void) {
    return gui().mainDC;
}
ZUAPI void* ZUGetHWND(void) {
    return gui().mainWindow;
}
ZUAPI void ZUSwapBuffers(void) {
    if (void* dc = gui().mainDC) ws::swapBuffers(dc);
}
