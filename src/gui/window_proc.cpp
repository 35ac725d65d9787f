// The one window procedure of the main window and the video windows: input becomes node
// messages, and most handled input waits for the render that shows its effect.
#include "gui/gui_state.h"

namespace zu::detail {
namespace {

using namespace zu::ws;

// Not in the window-system layer's set: the minimise request of ZUMinimizeGUI.
constexpr unsigned WM_SYSCOMMAND = 0x0112;
constexpr uintptr_t SC_MINIMIZE = 0xF020;

constexpr unsigned kSpecialKeys[] = {VK_LEFT,   VK_RIGHT, VK_UP,     VK_DOWN,  VK_RETURN,
                                     VK_DELETE, VK_BACK,  VK_ESCAPE, VK_SHIFT, VK_CAPITAL};

bool isSpecialKey(uintptr_t code) {
    for (unsigned k : kSpecialKeys)
        if (code == k) return true;
    return false;
}

void send(ZUWindowNode* n, unsigned msg, int a, int b, void* p = nullptr, void* q = nullptr) {
    if (n && n->callback) n->callback(n->userData, msg, a, b, p, q);
}

// First slot whose window is this one, or (when asked) that is the video capture.
VideoSlot* findVideo(void* window, bool orCapture) {
    GuiState& g = gui();
    if (!g.videoTable) return nullptr;
    for (int i = 0; i < kVideoSlotCount; ++i) {
        VideoSlot& s = g.videoTable[i];
        if (!s.video) continue;
        if (s.window == window || (orCapture && g.videoCapture && s.video == g.videoCapture))
            return &s;
    }
    return nullptr;
}

// Pointer, button and wheel messages about video windows.
VideoSlot* videoTarget(void* window, bool orCapture) {
    GuiState& g = gui();
    if (!g.videoTable || !g.started.load(std::memory_order_acquire) ||
        g.mbShown.load(std::memory_order_acquire))
        return nullptr;
    return findVideo(window, orCapture);
}

void sendVideo(VideoSlot* s, unsigned msg, int a, int b, void* q = nullptr) {
    if (s) send(s->owner, msg, a, b, s->video, q);
}

// Capture node, else the enabled node under the point.
ZUWindowNode* pointerTarget(int x, int y) {
    GuiState& g = gui();
    if (g.capture) return g.capture;
    ZUWindowNode* n = hitTest(g.root, x, y);
    return n && n->enabled ? n : nullptr;
}

// The registered node of a key, if it may take the key now.
ZUWindowNode* hotKeyNode(uintptr_t code) {
    GuiState& g = gui();
    if (!g.hotKeys || code >= kHotKeyCount) return nullptr;
    ZUWindowNode* n = g.hotKeys[code].node;
    return n && n->enabled && n->visible ? n : nullptr;
}

intptr_t defaultProcessing(void* window, unsigned message, uintptr_t wParam, intptr_t lParam,
                           bool handled) {
    GuiState& g = gui();
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MINIMIZE && window == g.mainWindow)
        showWindow(window, SW_MINIMIZE);
    // Only the host's own window goes back to the host's procedure; video windows are ours.
    if (g.embedded && !handled && g.previousProc && window == g.mainWindow)
        return callWindowProc(g.previousProc, window, message, wParam, lParam);
    return defWindowProc(window, message, wParam, lParam);
}

}  // namespace

intptr_t guiWindowProc(void* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    GuiState& g = gui();
    g.procSeen.store(true, std::memory_order_release);
    const bool isMain = window && window == g.mainWindow;
    const bool mainInput = isMain && g.started.load(std::memory_order_acquire) &&
                           !g.mbShown.load(std::memory_order_acquire);
    const bool pointerInput = mainInput && !g.videoCapture;
    const int cx = getXLParam(lParam), cy = getYLParam(lParam);
    const int gx = cx, gy = g.currentGuiHeight - cy;
    bool handled = false;

    switch (message) {
        case WM_MOUSEMOVE: {
            bool renderDue = false, rendered = false;
            if (g.rolloverNode) {
                ZUWindowNode* left = g.rolloverNode;
                g.rolloverNode = nullptr;
                send(left, ZUM_MOUSELEAVE, 0, 0);
                renderDue = true;
            }
            if (pointerInput) {
                if (g.capture) {
                    send(g.capture, ZUM_MOUSEMOVE, gx, gy);
                    inputHandshake();
                    rendered = handled = true;
                } else if (ZUWindowNode* n = hitTest(g.root, gx, gy); n && n->enabled) {
                    send(n, ZUM_MOUSEMOVE, gx, gy);
                    if (n->rollover) {
                        g.rolloverNode = n;
                        inputHandshake();
                        rendered = handled = true;
                    }
                }
            } else {
                sendVideo(videoTarget(window, true), ZUM_VIDEOMOUSEMOVE, cx, cy);
            }
            if (renderDue && !rendered) inputHandshake();
            break;
        }
        case WM_LBUTTONDOWN:
            if (pointerInput) {
                ZUWindowNode* t = pointerTarget(gx, gy);
                if (!t) break;
                unsigned msg = ZUM_LBUTTONDOWN;
                if (t->lDblClk) {
                    const int64_t now = g.clock();
                    // A clock that went backwards restarts the measure.
                    if (t == g.lastClicked && g.lastClickTime <= now &&
                        now - g.lastClickTime <= g.dblClkInterval)
                        msg = ZUM_LBUTTONDBLCLK;
                    g.lastClickTime = now;
                }
                send(t, msg, gx, gy);
                g.lastClicked = t;
                inputHandshake();
                handled = true;
            } else if (!g.videoCapture) {
                sendVideo(videoTarget(window, false), ZUM_VIDEOLBUTTONDOWN, cx, cy);
            }
            break;
        case WM_LBUTTONUP:
        case WM_LBUTTONDBLCLK:
            if (pointerInput) {
                if (ZUWindowNode* t = pointerTarget(gx, gy)) {
                    send(t, message == WM_LBUTTONUP ? ZUM_LBUTTONUP : ZUM_LBUTTONDBLCLK, gx, gy);
                    inputHandshake();
                    handled = true;
                }
            } else {
                sendVideo(videoTarget(window, true),
                          message == WM_LBUTTONUP ? ZUM_VIDEOLBUTTONUP : ZUM_VIDEOLBUTTONDBLCLK, cx,
                          cy);
            }
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            if (pointerInput) {
                if (ZUWindowNode* t = pointerTarget(gx, gy)) {
                    send(t, message == WM_RBUTTONDOWN ? ZUM_RBUTTONDOWN : ZUM_RBUTTONUP, gx, gy);
                    inputHandshake();
                    handled = true;
                }
            } else {
                sendVideo(videoTarget(window, true),
                          message == WM_RBUTTONDOWN ? ZUM_VIDEORBUTTONDOWN : ZUM_VIDEORBUTTONUP, cx,
                          g.currentGuiHeight - cy);
            }
            g.lastClicked = nullptr;
            break;
        case WM_MOUSEWHEEL: {
            const int delta = getWheelDelta(wParam);
            const int keys = loWord(wParam);
            if (mainInput) {
                ZuPOINT pt{cx, g.currentGuiHeight - cy};  // screen position, as it comes
                const int state = keys == static_cast<int>(MK_CONTROL) ? 1 : keys;
                if (g.capture) {
                    send(g.capture, ZUM_MOUSEWHEEL, delta / WHEEL_DELTA, state, nullptr, &pt);
                    inputHandshake();
                    handled = true;
                } else if (g.root && g.root->enabled) {
                    send(g.root, ZUM_MOUSEWHEEL, delta / WHEEL_DELTA, state, nullptr, &pt);
                }
            } else {
                ZuPOINT pt{cx, cy};
                sendVideo(videoTarget(window, true), ZUM_VIDEOMOUSEWHEEL, delta,
                          (keys & MK_MBUTTON) ? 1 : keys, &pt);
            }
            break;
        }
        case WM_KEYDOWN:
        case WM_CHAR:
            if (mainInput) {
                const bool isChar = message == WM_CHAR;
                ZUWindowNode* t = g.capture ? g.capture : hotKeyNode(wParam);
                if (t) {
                    if (!isChar && isSpecialKey(wParam))
                        send(t, ZUM_KEY, -1, static_cast<int>(wParam));
                    else if (isChar && !(lParam & KF_EXTENDED_BIT) && wParam >= 32)
                        send(t, ZUM_KEY, static_cast<int>(wParam), 0);
                    inputHandshake();
                    handled = true;
                }
            }
            g.lastClicked = nullptr;
            break;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            if (!g.embedded) break;
            [[fallthrough]];
        case WM_ACTIVATE:
        case WM_ACTIVATEAPP: {
            if (!isMain) break;
            int active = 0;
            if (message == WM_ACTIVATEAPP) {
                if (getForegroundWindow() == g.mainWindow) active = wParam != 0;
            } else {
                const int lo = loWord(wParam);
                active = lo == 1 || lo == 2 || message == WM_SETFOCUS;
                // Opening the drop-down popup is no deactivation.
                void* combo = g.comboWindow.load(std::memory_order_acquire);
                if (combo && reinterpret_cast<void*>(lParam) == combo) break;
            }
            if (g.root && g.started.load(std::memory_order_acquire)) {
                send(g.root, ZUM_ACTIVATE, active, 0);
                inputHandshake();
            }
            break;
        }
        case WM_ERASEBKGND:
            if (isMain && g.started.load(std::memory_order_acquire)) {
                inputHandshake();
                return 1;
            }
            if (g.videoTable && g.mainWindow && g.started.load(std::memory_order_acquire) &&
                g.root) {
                for (int i = 0; i < kVideoSlotCount; ++i) {
                    VideoSlot& s = g.videoTable[i];
                    if (s.video && s.window == window &&
                        !(s.started && s.started->load(std::memory_order_acquire))) {
                        send(s.owner, ZUM_VIDEOERASE, 0, 0, s.video);
                        return 1;
                    }
                }
            }
            break;
        case WM_DROPFILES: {
            void* drop = reinterpret_cast<void*>(wParam);
            if (dragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0) == 0) break;
            if (g.videoTable && g.mainWindow && g.started.load(std::memory_order_acquire) &&
                g.root) {
                if (VideoSlot* s = findVideo(window, false)) {
                    uint16_t name[260] = {};
                    dragQueryFile(drop, 0, name, 260);
                    sendVideo(s, ZUM_VIDEODROPFILES, 0, 0, name);
                    dragFinish(drop);  // the names were read; nothing else needs the drop
                    inputHandshake();
                    return 0;
                }
            }
            break;
        }
        case ZUM_POSTED: {
            auto* r = reinterpret_cast<ZUPostedMessage*>(wParam);
            // Records not pending (already handled, or from before a ZUKillGUI) are ignored.
            if (r && takePostedRecord(r)) {
                if (g.mainWindow && g.started.load(std::memory_order_acquire) && r->node)
                    send(r->node, r->msg, r->a, r->b, r->p, r->q);
                delete r;  // delivered, or dropped while stopped
            }
            break;
        }
        default:
            break;
    }
    return defaultProcessing(window, message, wParam, lParam, handled);
}

int registerVideoWindow(ZUVideoWindowNode* video, void* window, ZUWindowNode* owner,
                        const std::atomic<bool>* started) {
    GuiState& g = gui();
    if (!g.videoTable || !video) return -1;
    for (int i = 0; i < kVideoSlotCount; ++i) {
        if (!g.videoTable[i].video) {
            g.videoTable[i] = {video, window, owner, started};
            return i;
        }
    }
    return -1;
}

void unregisterVideoWindow(ZUVideoWindowNode* video) {
    GuiState& g = gui();
    if (g.videoCapture == video) g.videoCapture = nullptr;
    if (!g.videoTable || !video) return;
    for (int i = 0; i < kVideoSlotCount; ++i)
        if (g.videoTable[i].video == video) g.videoTable[i] = {};
}

}  // namespace zu::detail
