// The one window procedure of the main window and the video windows: input becomes node
// messages, and most handled input waits for the render that shows its effect.
#include <algorithm>

#include "gui/gui_state.h"

namespace zu::detail {
namespace {

using namespace zu::ws;
using K = EventKind;

constexpr int kWheelNotch = 120;

constexpr unsigned kSpecialKeys[] = {VK_LEFT,   VK_RIGHT, VK_UP,     VK_DOWN,  VK_RETURN,
                                     VK_DELETE, VK_BACK,  VK_ESCAPE, VK_SHIFT, VK_CAPITAL};

bool isSpecialKey(uintptr_t code) {
    for (unsigned k : kSpecialKeys)
        if (code == k) return true;
    return false;
}

// The editing keys that only a capture node is told about: Home and End, and the
// selection and clipboard shortcuts. The letters count only with Control held.
bool isCaptureKey(unsigned code, unsigned modifiers) {
    if (code == VK_HOME || code == VK_END) return true;
    const bool control = (modifiers & kModControl) != 0;
    return control && (code == 'A' || code == 'C' || code == 'V' || code == 'X');
}

// ZUM_KEY's b for the capture node: the code with the modifiers held.
int captureKeyB(unsigned code, unsigned modifiers) {
    int b = static_cast<int>(code);
    if (modifiers & kModShift) b |= ZU_KEY_SHIFT;
    if (modifiers & kModControl) b |= ZU_KEY_CONTROL;
    return b;
}

void send(ZUWindowNode* n, unsigned msg, int a, int b, void* p = nullptr, void* q = nullptr) {
    if (n && n->callback) n->callback(n->userData, msg, a, b, p, q);
}

// First slot whose window is this one, or (when asked) that is the video capture.
VideoSlot* findVideo(const Window* window, bool orCapture) {
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
VideoSlot* videoTarget(const Window* window, bool orCapture) {
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

}  // namespace

intptr_t guiWindowProc(const Event& e) {
    GuiState& g = gui();
    Window* const window = e.window;
    const bool isMain = window && window == g.mainWindow;
    const bool mainInput = isMain && g.started.load(std::memory_order_acquire) &&
                           !g.mbShown.load(std::memory_order_acquire);
    const bool pointerInput = mainInput && !g.videoCapture;
    const int cx = e.x, cy = e.y;
    const int gx = cx, gy = g.currentGuiHeight - cy;

    switch (e.kind) {
        case K::PointerMove: {
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
                    rendered = true;
                } else if (ZUWindowNode* n = hitTest(g.root, gx, gy); n && n->enabled) {
                    send(n, ZUM_MOUSEMOVE, gx, gy);
                    if (n->rollover) {
                        g.rolloverNode = n;
                        inputHandshake();
                        rendered = true;
                    }
                }
            } else {
                sendVideo(videoTarget(window, true), ZUM_VIDEOMOUSEMOVE, cx, cy);
            }
            if (renderDue && !rendered) inputHandshake();
            break;
        }
        case K::ButtonDown:
            if (e.button == kLeft) {
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
                } else if (!g.videoCapture) {
                    sendVideo(videoTarget(window, false), ZUM_VIDEOLBUTTONDOWN, cx, cy);
                }
                break;
            }
            [[fallthrough]];
        case K::ButtonUp:
        case K::DoubleClick:
            if (e.button == kLeft) {
                const bool up = e.kind == K::ButtonUp;
                if (pointerInput) {
                    if (ZUWindowNode* t = pointerTarget(gx, gy)) {
                        send(t, up ? ZUM_LBUTTONUP : ZUM_LBUTTONDBLCLK, gx, gy);
                        inputHandshake();
                    }
                } else {
                    sendVideo(videoTarget(window, true),
                              up ? ZUM_VIDEOLBUTTONUP : ZUM_VIDEOLBUTTONDBLCLK, cx, cy);
                }
            } else if (e.button == kMiddle && e.kind != K::ButtonUp) {
                // Every press (a quick second one too): it is what pastes the primary
                // selection.
                if (pointerInput) {
                    if (ZUWindowNode* t = pointerTarget(gx, gy)) {
                        send(t, ZUM_MBUTTONDOWN, gx, gy);
                        inputHandshake();
                    }
                }
            } else if (e.button == kRight && e.kind != K::DoubleClick) {
                const bool down = e.kind == K::ButtonDown;
                if (pointerInput) {
                    if (ZUWindowNode* t = pointerTarget(gx, gy)) {
                        send(t, down ? ZUM_RBUTTONDOWN : ZUM_RBUTTONUP, gx, gy);
                        inputHandshake();
                    }
                } else {
                    sendVideo(videoTarget(window, true),
                              down ? ZUM_VIDEORBUTTONDOWN : ZUM_VIDEORBUTTONUP, cx,
                              g.currentGuiHeight - cy);
                }
                g.lastClicked = nullptr;
            }
            break;
        case K::Wheel: {
            if (e.horizontal) break;
            const int keys = static_cast<int>(e.modifiers & 0xFFFF);
            if (mainInput) {
                // The screen position, as it comes.
                ZuPOINT pt{e.screenX, g.currentGuiHeight - e.screenY};
                const int state = keys == static_cast<int>(kModControl) ? 1 : keys;
                if (g.capture) {
                    send(g.capture, ZUM_MOUSEWHEEL, e.delta / kWheelNotch, state, nullptr, &pt);
                    inputHandshake();
                } else if (g.root && g.root->enabled) {
                    send(g.root, ZUM_MOUSEWHEEL, e.delta / kWheelNotch, state, nullptr, &pt);
                }
            } else {
                ZuPOINT pt{e.screenX, e.screenY};
                sendVideo(videoTarget(window, true), ZUM_VIDEOMOUSEWHEEL, e.delta,
                          (keys & kModMiddle) ? 1 : keys, &pt);
            }
            break;
        }
        case K::KeyDown:
        case K::Character:
            if (mainInput) {
                const bool isChar = e.kind == K::Character;
                const unsigned code = isChar ? e.character : e.key;
                ZUWindowNode* t = g.capture ? g.capture : hotKeyNode(code);
                if (t) {
                    if (!isChar && g.capture &&
                        (isSpecialKey(code) || isCaptureKey(code, e.modifiers)))
                        send(t, ZUM_KEY, -1, captureKeyB(code, e.modifiers));
                    else if (!isChar && isSpecialKey(code))
                        send(t, ZUM_KEY, -1, static_cast<int>(code));
                    else if (isChar && !e.extended && code >= 32)
                        send(t, ZUM_KEY, static_cast<int>(code), 0);
                    inputHandshake();
                }
            }
            g.lastClicked = nullptr;
            break;
        case K::Activate:
            if (!isMain) break;
            // Opening the drop-down popup is no deactivation.
            if (!e.active && e.other && e.other == g.comboWindow.load(std::memory_order_acquire))
                break;
            if (g.root && g.started.load(std::memory_order_acquire)) {
                send(g.root, ZUM_ACTIVATE, e.active ? 1 : 0, 0);
                inputHandshake();
            }
            break;
        case K::Paint:
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
        case K::Drop: {
            const std::u16string* first = dropPath(e.drop, 0);
            if (!first) break;
            if (g.videoTable && g.mainWindow && g.started.load(std::memory_order_acquire) &&
                g.root) {
                if (VideoSlot* s = findVideo(window, false)) {
                    // The message's buffer holds 260 units; ZUGetVideoDropFiles has them all.
                    uint16_t name[260] = {};
                    const size_t n = std::min<size_t>(first->size(), 259);
                    std::copy_n(first->data(), n, name);
                    sendVideo(s, ZUM_VIDEODROPFILES, 0, 0, name);
                    inputHandshake();
                    return 0;
                }
            }
            break;
        }
        case K::Posted:
            if (e.code == ZUM_POSTED) {
                auto* r = reinterpret_cast<ZUPostedMessage*>(e.a);
                // Records not pending (already handled, or from before a ZUKillGUI) are
                // ignored.
                if (r && takePostedRecord(r)) {
                    if (g.mainWindow && g.started.load(std::memory_order_acquire) && r->node)
                        send(r->node, r->msg, r->a, r->b, r->p, r->q);
                    delete r;  // delivered, or dropped while stopped
                }
            }
            break;
        default:
            break;
    }
    return defaultProc(e);
}

int registerVideoWindow(ZUVideoWindowNode* video, Window* window, ZUWindowNode* owner,
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
