// The keyboard focus of a window embedded in another client's window. Toolkits leave the
// focus on their top-level window and route keys to their widgets themselves, so keys
// would reach our child only while the pointer is over it. A click into the child takes
// the X focus, as a click on one of the host's own widgets takes the host's; a click
// anywhere outside it gives the focus back to the window that had it. Clicks on the
// host's window are the host's (only one client may select presses there), so they are
// seen as XInput2 raw presses, selected only while the child holds the focus.
#include <X11/extensions/XInput2.h>

#include <atomic>

#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {
namespace {

// Changed only by the thread that reads events; holder is also read by destroyWindow on
// any thread (it matches only on the embedded window's own thread).
struct Focus {
    int xiOpcode = -1;  // -1: no XInput 2.1, the focus then stays until another click moves it
    std::atomic<XWin> holder{0};  // our embedded window holding the focus, 0 when none
    XWin before = 0;              // the focus it took, and its revert mode
    int beforeRevert = RevertToParent;
};
Focus focus;

void watchRawPresses(State& s, bool on) {
    if (focus.xiOpcode < 0) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) XISetMask(bits, XI_RawButtonPress);
    XIEventMask mask{XIAllMasterDevices, sizeof bits, bits};
    XISelectEvents(s.dpy, s.root, &mask, 1);
}

// Gives the focus back when ours still has it; then stops watching.
void giveBack(State& s) {
    XWin now = 0;
    int revert = 0;
    XGetInputFocus(s.dpy, &now, &revert);
    if (now == focus.holder) {
        // None would leave the keyboard dead: the server's own default is PointerRoot.
        const XWin to = focus.before == None ? PointerRoot : focus.before;
        trapErrors(s, [&] { XSetInputFocus(s.dpy, to, focus.beforeRevert, CurrentTime); });
    }
    focus.holder = 0;
    watchRawPresses(s, false);
}

bool pointerInside(State& s, XWin w) {
    XWin root = 0, child = 0;
    int rx = 0, ry = 0, x = 0, y = 0;
    unsigned mask = 0, width = 0, height = 0, border = 0, depth = 0;
    bool inside = false;
    trapErrors(s, [&] {
        if (XQueryPointer(s.dpy, w, &root, &child, &rx, &ry, &x, &y, &mask) &&
            XGetGeometry(s.dpy, w, &root, &rx, &ry, &width, &height, &border, &depth))
            inside = x >= 0 && y >= 0 && x < int(width) && y < int(height);
    });
    return inside;
}

}  // namespace

void focusInit(State& s) {
    int event = 0, error = 0, major = 2, minor = 1;
    if (XQueryExtension(s.dpy, "XInputExtension", &focus.xiOpcode, &event, &error) &&
        XIQueryVersion(s.dpy, &major, &minor) == Success && (major > 2 || minor >= 1))
        return;
    focus.xiOpcode = -1;
}

void focusTake(State& s, XWin w) {
    XWin now = 0;
    int revert = 0;
    XGetInputFocus(s.dpy, &now, &revert);
    if (now != w) {
        focus.before = now;
        focus.beforeRevert = revert;
    }
    XSetInputFocus(s.dpy, w, RevertToParent, CurrentTime);
    if (!focus.holder) watchRawPresses(s, true);
    focus.holder = w;
}

bool focusHandleGeneric(State& s, XEvent& ev) {
    if (ev.xcookie.extension != focus.xiOpcode || !XGetEventData(s.dpy, &ev.xcookie)) return false;
    const auto* raw = static_cast<const XIRawEvent*>(ev.xcookie.data);
    // Buttons 1 to 3: a wheel turn over the host moves no focus.
    if (ev.xcookie.evtype == XI_RawButtonPress && focus.holder && raw->detail >= 1 &&
        raw->detail <= 3 && !pointerInside(s, focus.holder))
        giveBack(s);
    XFreeEventData(s.dpy, &ev.xcookie);
    return true;
}

void focusWindowGone(State& s, XWin w) {
    if (w && w == focus.holder) giveBack(s);
}

}  // namespace zu::ws::x11
