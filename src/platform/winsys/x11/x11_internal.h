// Shared state of the X11 backend. One display connection for the whole library; a
// reader thread takes X events off it, translates them and queues them for the thread
// that owns the target window.
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
#include <vector>

#include "platform/winsys/winsys.h"

namespace zu::ws::x11 {

struct Queue {
    std::mutex mutex;
    std::deque<ZuMSG> messages;
    int eventFd = -1;  // counter > 0 exactly while messages or a quit are pending
    bool quit = false;
    bool alive = true;
};

struct ClassRec {
    std::string name;
    WndProc proc = nullptr;
    unsigned styles = 0;
    void* cursor = nullptr;
    void* icon = nullptr;
    void* iconSmall = nullptr;
};

struct DcRec;

struct WinRec {
    Window id = 0;
    Window parent = 0;              // parent window for children, 0 for top-level windows
    std::shared_ptr<ClassRec> cls;  // null for adopted windows
    WndProc proc = nullptr;
    std::shared_ptr<Queue> owner;
    bool adopted = false;
    bool child = false;
    bool override = false;
    bool topmost = false;
    bool acceptFiles = false;
    bool activateOnMap = false;
    DcRec* dc = nullptr;
    // Double-click tracking: last press of this window.
    unsigned lastButton = 0;
    Time lastPressTime = 0;
    int lastPressX = 0, lastPressY = 0;
    bool lastWasDouble = false;
};

struct DcRec {
    Window window = 0;
    int format = 0;  // 1-based index into State::fbConfigs, 0 when unset
};

struct ContextRec {
    GLXContext context = nullptr;
    int format = 0;
};

struct DropRec {
    std::vector<std::u16string> files;
};

struct State {
    Display* dpy = nullptr;
    // The window of the latest press: a press elsewhere in between ends a double click.
    Window lastPressWindow = 0;
    int screen = 0;
    Window root = 0;
    XVisualInfo visual{};  // the visual every window of ours is created with
    Colormap colormap = 0;
    GLXFBConfig* fbConfigs = nullptr;
    int fbConfigCount = 0;
    int defaultFormat = 0;  // 1-based index of the standard double-buffered RGBA config
    std::atomic<bool> lost{false};

    std::mutex mutex;  // guards the tables below
    std::unordered_map<std::string, std::shared_ptr<ClassRec>> classes;
    std::unordered_map<Window, std::unique_ptr<WinRec>> windows;
    std::unordered_map<DcRec*, std::unique_ptr<DcRec>> dcs;
    std::unordered_map<ContextRec*, std::unique_ptr<ContextRec>> contexts;
    std::unordered_map<DropRec*, std::unique_ptr<DropRec>> drops;
    std::vector<std::weak_ptr<Queue>> queues;
    Window capture = 0;
    std::vector<MonitorInfo> testMonitors;
    bool useTestMonitors = false;

    // Atoms.
    Atom wmProtocols, wmDeleteWindow, wmState, netWmState, netWmStateAbove, netWmName, netWmIcon,
        netActiveWindow, netWorkarea, motifWmHints, utf8String;
    Atom xdndAware, xdndEnter, xdndPosition, xdndStatus, xdndLeave, xdndDrop, xdndFinished,
        xdndSelection, xdndActionCopy, xdndTypeList, uriList, dropProperty;
};

State& state();
// The state when the display is open, else null.
State* live();

std::shared_ptr<Queue> currentQueue();
void pushMessage(const std::shared_ptr<Queue>& q, const ZuMSG& m);
// Finds the record of a window; call with state().mutex held.
WinRec* findWindow(State& s, Window w);
inline Window toWindow(void* h) {
    return static_cast<Window>(reinterpret_cast<uintptr_t>(h));
}
inline void* toHandle(Window w) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(w));
}

// Runs an X request and reports whether the server answered it with an error.
// The request runs with the error trap installed and is followed by XSync.
template <typename F>
bool trapErrors(State& s, F&& request);
void beginTrap();
bool endTrap(State& s);
template <typename F>
bool trapErrors(State& s, F&& request) {
    beginTrap();
    request();
    return endTrap(s);
}

void setLastError(unsigned code);
// Tells the event reader to look at Xlib's queue now.
void wakeReader();
unsigned virtualKeyFromKeysym(KeySym sym, bool* extended);
unsigned long eventMaskFor(const WinRec& w);

// XDND target side, called from the reader thread.
void dndInit(State& s);
bool dndHandleClientMessage(State& s, const XClientMessageEvent& ev);
bool dndHandleSelectionNotify(State& s, const XSelectionEvent& ev);
void dndWindowAccepts(State& s, Window w, bool accept);

// Cursors and icons (x11_cursor.cpp).
void applyClassLook(State& s, Window w, const ClassRec& cls);

}  // namespace zu::ws::x11
