// Shared state of the X11 backend. Two display connections: one for windows and their
// events, read by whichever thread waits in the message loop, and one for GL, so that the
// render and video threads never read events off the first one behind the loop's back.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/winsys/events.h"

namespace zu::ws {

namespace x11 {
using XWin = ::Window;

struct Queue {
    std::mutex mutex;
    std::deque<Event> events;
    int eventFd = -1;  // counter > 0 exactly while events or a quit are pending
    int waitFd = -1;   // epoll set: eventFd, the X connection and the kick descriptor
    bool watchingX = false;
    bool quit = false;
};
}  // namespace x11

struct Drop {
    std::vector<std::u16string> files;
};

struct Window {
    x11::XWin id = 0;
    Window* parent = nullptr;  // our parent window, null for top-level and embedded windows
    EventProc proc = nullptr;
    std::shared_ptr<x11::Queue> owner;
    bool child = false;  // inside another window (ours or the host's)
    bool embedded = false;
    bool unmanaged = false;
    bool topmost = false;
    bool acceptFiles = false;
    bool doubleClicks = false;
    bool activateOnMap = false;
    // Double-click tracking: last press of this window.
    unsigned lastButton = 0;
    Time lastPressTime = 0;
    int lastPressX = 0, lastPressY = 0;
    bool lastWasDouble = false;
    std::unique_ptr<Drop> lastDrop;
};

struct Surface {
    GLXContext context = nullptr;
    x11::XWin drawable = 0;
};

struct Cursor {
    ::Cursor cursor = 0;
};

namespace x11 {

struct State {
    Display* dpy = nullptr;    // windows, input, properties
    Display* glDpy = nullptr;  // GL contexts and swaps
    int screen = 0;
    XWin root = 0;
    XVisualInfo visual{};  // the visual every window of ours is created with
    Colormap colormap = 0;
    std::atomic<bool> lost{false};
    int kickFd = -1;  // readable when Xlib may hold events that no one has read yet

    std::mutex pumpMutex;  // one thread at a time takes events off the connection
    // The window of the latest press: a press elsewhere in between ends a double click.
    XWin lastPressWindow = 0;

    std::mutex mutex;  // guards the tables below
    std::unordered_map<XWin, std::unique_ptr<Window>> windows;
    std::unordered_set<const Window*> live;
    std::unordered_set<const Drop*> drops;
    std::vector<std::weak_ptr<Queue>> queues;
    XWin capture = 0;
    std::vector<MonitorInfo> testMonitors;
    bool useTestMonitors = false;

    // Atoms.
    Atom wmProtocols, wmDeleteWindow, netWmState, netWmStateAbove, netWmName, netWmIcon,
        netWorkarea, motifWmHints, utf8String;
    Atom xdndAware, xdndEnter, xdndPosition, xdndStatus, xdndLeave, xdndDrop, xdndFinished,
        xdndSelection, xdndActionCopy, xdndTypeList, uriList, dropProperty;
};

State& state();
// The state when the display is open, else null.
State* live();

std::shared_ptr<Queue> currentQueue();
void pushEvent(const std::shared_ptr<Queue>& q, const Event& e);
// Takes a window's events out of a queue, before the window is freed.
void dropEvents(Queue& q, const Window* w);
// Finds our record of an X window; call with state().mutex held.
Window* findWindow(State& s, XWin w);
inline void* toHandle(XWin w) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(w));
}
inline XWin toXWin(void* h) {
    return static_cast<XWin>(reinterpret_cast<uintptr_t>(h));
}

// Runs X requests on the window connection and reports whether the server answered any
// of them with an error. The requests run with the error trap installed and end with
// XSync.
void beginTrap(Display* d);
bool endTrap(Display* d);
template <typename F>
bool trapErrors(Display* d, F&& request) {
    beginTrap(d);
    request();
    return endTrap(d);
}
template <typename F>
bool trapErrors(State& s, F&& request) {
    return trapErrors(s.dpy, static_cast<F&&>(request));
}

unsigned virtualKeyFromKeysym(KeySym sym, bool* extended);

// XDND target side, called from the thread that reads events.
void dndInit(State& s);
bool dndHandleClientMessage(State& s, const XClientMessageEvent& ev);
bool dndHandleSelectionNotify(State& s, const XSelectionEvent& ev);
void dndWindowAccepts(State& s, XWin w, bool accept);

// Selections (x11_selection.cpp), called from the thread that reads events: true when
// the event was about our selections and is done with.
bool selectionHandleEvent(State& s, XEvent& ev);
// Reads whatever events the connection holds and queues them, as the message loop does.
void pumpEvents();

// Input method (x11_input_method.cpp). Open once with the connection; filter every event
// before translating it (true: the method took it, as a dead key); look a key press up
// into UTF-8 (-1 when the window has no input context: look it up plainly). The contexts
// belong to the thread that reads events; a window's goes with it.
void inputMethodOpen(State& s);
bool inputMethodFilter(State& s, XEvent& ev);
int inputMethodLookup(XKeyEvent& key, char* utf8, int size);
void inputMethodForget(XWin w);

// The focus of a window embedded in another client's (x11_focus.cpp): taken on a click
// inside, given back on a click elsewhere.
void focusInit(State& s);
void focusTake(State& s, XWin w);
bool focusHandleGeneric(State& s, XEvent& ev);  // true when the event was ours to read
void focusWindowGone(State& s, XWin w);

// Cursors and icons (x11_cursor.cpp).
void applyLook(State& s, XWin w, const Cursor* cursor, const Icon* icon);

// The drop behind a handle that a ZuMSG carried; null when it is not a live drop.
Drop* findDrop(uintptr_t handle);

// Surfaces (x11_gl.cpp): set up with the connection; a surface on a window of our visual.
bool glInit(State& s);
Surface* surfaceFor(State& s, XWin w, VisualID visual);

}  // namespace x11
}  // namespace zu::ws
