// The window-system layer: what the GUI, the popups and the video windows need from the
// window system, and nothing else. Windows and GL surfaces are typed handles; input
// arrives as typed events that a window's procedure consumes. Everything above this
// folder talks to the window system only through this interface; the X11 + GLX backend
// lives in x11/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winsys/messages.h"
#include "zugui/platform.h"
#include "zugui/types.h"

namespace zu::ws {

struct Window;   // a window of ours
struct Surface;  // a GL context drawing into one window
struct Cursor;
struct Icon;

struct Rect {  // screen or client rectangle, top-left origin, y grows downwards
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct Point {
    int x = 0, y = 0;
};

// ---- connection -----------------------------------------------------------------------
// Opens the display connections on first use (after XInitThreads). False when no display
// can be reached; every call below then fails cleanly.
bool open();
// True once the connection has broken (the X server went away).
bool displayLost();

// ---- events -----------------------------------------------------------------------------
enum class EventKind : uint8_t {
    Create,       // sent by createWindow before it returns
    Destroy,      // sent by destroyWindow, children first
    Close,        // the window manager's close request
    Size,         // x, y: the new width and height
    Show,         // the window was mapped
    Hide,         // the window was unmapped
    Paint,        // the window's contents were lost and must be drawn again
    Activate,     // active: gained (true) or lost the keyboard focus; other: the window of
                  // ours taking it, when known
    PointerMove,  // x, y: client position; modifiers
    ButtonDown,   // button, x, y, modifiers (including the pressed button)
    ButtonUp,
    DoubleClick,  // the second press of a quick pair, on windows that ask for double clicks
    Wheel,        // delta (+120 a notch away from the user), screenX, screenY, modifiers
    KeyDown,      // key: virtual-key code; extended; modifiers (Shift and Control)
    KeyUp,
    Character,  // character: Latin-1 code (or a control code); extended
    Drop,       // drop: files dropped on a window that accepts them
    Posted,     // code, a, b: given to post()
};

// Buttons, and the state bits of modifiers. The values are those of the public message
// loop (ZuMSG), so that telling the host costs no table.
enum Button : uint8_t { kLeft = 1, kMiddle = 2, kRight = 3 };
inline constexpr unsigned kModLeft = 0x01, kModRight = 0x02, kModShift = 0x04, kModControl = 0x08,
                          kModMiddle = 0x10;

struct Drop;  // the files of one drop

struct Event {
    EventKind kind = EventKind::Posted;
    Window* window = nullptr;
    int x = 0, y = 0;
    int screenX = 0, screenY = 0;
    int button = 0;
    unsigned modifiers = 0;
    unsigned key = 0;
    unsigned character = 0;
    bool extended = false;
    int delta = 0;
    bool horizontal = false;  // Wheel: a sideways wheel
    bool active = false;
    Window* other = nullptr;
    Drop* drop = nullptr;
    unsigned code = 0;
    uintptr_t a = 0;
    intptr_t b = 0;
    unsigned time = 0;  // milliseconds, server time for input
};

using EventProc = intptr_t (*)(const Event& e);
// What a window without a procedure of its own does: Close destroys the window, Expose
// answers 1 (the background is black by construction), everything else 0.
intptr_t defaultProc(const Event& e);

// Queues an event of kind Posted for the thread that owns the window; any thread may call
// it. False when the window is gone.
bool post(Window* window, unsigned code, uintptr_t a, intptr_t b);
// Like ZuGetMessage with a bound: 1 message, 0 quit, -1 display gone, -3 time-out.
int getMessageTimeout(ZuMSG* msg, int timeoutMs);

// ---- windows ------------------------------------------------------------------------------
struct WindowDesc {
    EventProc proc = nullptr;    // null: defaultProc
    Window* parent = nullptr;    // a child window inside this one
    void* hostParent = nullptr;  // a child window inside another client's window (embedding)
    void* owner = nullptr;       // a top-level window kept with its owner (native handle)
    const char* caption = nullptr;
    int x = 0, y = 0, width = 0, height = 0;  // screen position, or parent-client for children
    bool visible = false;
    bool unmanaged = false;     // no window manager: no frame, no focus (the popups)
    bool doubleClicks = false;  // quick pairs of presses arrive as DoubleClick
    bool input = true;          // false: pointer and keys pass through to the parent
    bool surface = false;       // also make a GL surface (createWindow's second result)
    Cursor* cursor = nullptr;
    Icon* icon = nullptr;
};
// Sides are kept within 1 to kMaxWindowSide and positions within X's 16-bit range, here
// and in setGeometry: the protocol would cut larger values to their low bits, and every
// pixel of a window's GL buffers is allocated and copied at each swap.
constexpr int kMaxWindowSide = 8192;
inline int windowSide(int v) {
    return v < 1 ? 1 : v > kMaxWindowSide ? kMaxWindowSide : v;
}
// Null on failure (no display, bad parent, no GL surface when one was asked for). The
// window belongs to the calling thread: its events arrive in that thread's loop.
Window* createWindow(const WindowDesc& d, Surface** surface = nullptr);
// Sends Destroy to the window and its children, then destroys them. Surfaces are the
// caller's: destroySurface them first (a surface outliving its window draws nowhere).
void destroyWindow(Window* window);

// The X window id as the public API hands it out, and back (null when not ours).
void* nativeHandle(const Window* window);
Window* fromNative(void* handle);
// True while a native window (ours or another client's) exists.
bool nativeWindowExists(void* handle);

bool show(Window* window, bool activate);
bool hide(Window* window);
bool minimize(Window* window);
bool isVisible(Window* window);
bool setGeometry(Window* window, int x, int y, int width, int height);
bool move(Window* window, int x, int y);
// Raises the window; topmost keeps it above the windows of other clients too.
bool raise(Window* window, bool topmost);
bool windowRect(Window* window, Rect* r);  // screen coordinates
bool acceptFiles(Window* window, bool accept);

// ---- pointer and monitors -------------------------------------------------------------
// While a window holds the capture every pointer event arrives there, in its client
// coordinates, wherever the pointer is.
bool setCapture(Window* window);
void releaseCapture();
bool cursorPos(Point* p);

struct MonitorInfo {
    Rect monitor;
    Rect work;
    bool primary = false;
};
// The monitor nearest to the point; false without a display.
bool monitorAt(Point p, MonitorInfo* info);
// Replaces the monitor list (tests), or restores the real one with an empty vector.
void setMonitorsForTesting(const std::vector<MonitorInfo>& monitors);
int screenWidth();
int screenHeight();

// ---- cursors and icons -------------------------------------------------------------------
// Null when the file cannot be read or holds no usable image.
Cursor* loadCursor(const char* path);
Icon* loadIcon(const char* path);
void freeCursor(Cursor* cursor);
void freeIcon(Icon* icon);

// ---- file drops ---------------------------------------------------------------------------
// A Drop lives until the next drop on the same window or the window's end.
size_t dropCount(const Drop* drop);
const std::u16string* dropPath(const Drop* drop, size_t index);
// The latest drop on a window, null when none.
const Drop* lastDrop(Window* window);

// ---- selections (clipboard and primary) ------------------------------------------------
enum class Selection : uint8_t { Clipboard, Primary };
// Offers Latin-1 text as the selection. Other clients get it (as UTF8_STRING or STRING)
// for as long as we own it, whichever window has the focus; false without a display.
bool setSelectionText(Selection which, const std::string& latin1);
// The selection's text in Latin-1 (what lies outside it dropped, see selection_text.h),
// asked for as UTF8_STRING, else STRING. Waits at most timeoutMs for an owner that does
// not answer, reading and queueing the other events meanwhile; false when there is no
// selection, the owner refuses or the time runs out.
bool selectionText(Selection which, std::string* latin1, int timeoutMs);
// Gives up a selection if the text we offered still holds it.
void releaseSelection(Selection which);
// Gives up both selections (at the GUI's end).
void releaseSelections();
// Bytes per property write beyond which text goes out in INCR chunks; 0 restores the
// server's limit. For tests.
void setSelectionChunkForTesting(size_t bytes);

// ---- GL surfaces --------------------------------------------------------------------------
// A further context on a window, ours or another client's (by its native handle); null
// when the window's visual cannot carry the standard format.
Surface* createSurface(void* nativeWindow);
void destroySurface(Surface* surface);
// Makes the surface's context current on the calling thread; null releases it. Where the
// driver cannot run contexts side by side (a software renderer), making one current also
// waits for this thread's turn at GL, and releasing it ends the turn.
bool makeCurrent(Surface* surface);
// Ends the turn while the context stays current: for a context that stays current on its
// thread between calls (a video window's while frames are shown). Each later call that
// draws with it then takes a GlTurn.
void yieldTurn();
// The turn at GL for one call on a context that is already current; nests.
class GlTurn {
  public:
    GlTurn();
    ~GlTurn();
    GlTurn(const GlTurn&) = delete;
    GlTurn& operator=(const GlTurn&) = delete;

  private:
    bool took_;
};
// The surface current on the calling thread, null when none.
void* currentContext();
bool swapBuffers(Surface* surface);
bool swapInterval(Surface* surface, int interval);

// ---- time -------------------------------------------------------------------------------
int64_t performanceCounter();    // nanoseconds on CLOCK_MONOTONIC
int64_t performanceFrequency();  // 1 000 000 000

}  // namespace zu::ws
