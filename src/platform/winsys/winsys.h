// The window-system layer: window classes, windows with procedures, one message queue per
// GUI thread, pointer capture, monitors, cursors and icons, file drops, device contexts
// and OpenGL contexts. Everything above this folder talks to the window system only
// through this interface; the X11 + GLX backend lives in x11/.
//
// Window handles are void*: the backend's window id (an X11 Window), never 0 for a window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/winsys/messages.h"
#include "zugui/platform.h"
#include "zugui/types.h"

namespace zu::ws {

using WndProc = intptr_t (*)(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);

struct Rect {  // screen or client rectangle, top-left origin, y grows downwards
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct Point {
    int x = 0, y = 0;
};

// ---- connection ---------------------------------------------------------------------
// Opens the shared display connection on first use (after XInitThreads). False when no
// display can be reached; every call below then fails cleanly.
bool open();
bool isOpen();
// True once the connection has broken (the X server went away).
bool displayLost();
// Last error code of the calling thread (ERROR_CLASS_ALREADY_EXISTS and so on), 0 if none.
unsigned lastError();

// ---- classes --------------------------------------------------------------------------
struct WindowClass {
    const char* name = nullptr;
    WndProc proc = nullptr;
    unsigned styles = 0;       // CS_*
    void* cursor = nullptr;    // from loadCursorFromFile
    void* icon = nullptr;      // from loadIconFromFile
    void* iconSmall = nullptr;
};
// 0 on success; -2 on failure with lastError() = ERROR_CLASS_ALREADY_EXISTS (1410)
// when the name is taken, or 0 for bad arguments.
int registerClass(const WindowClass& wc);
int unregisterClass(const char* name);

// ---- windows --------------------------------------------------------------------------
struct CreateWindowParams {
    const char* className = nullptr;
    const char* caption = nullptr;
    unsigned style = 0;    // WS_*
    unsigned exStyle = 0;  // WS_EX_*
    int x = 0, y = 0, width = 0, height = 0;  // screen position, or parent-client for WS_CHILD
    void* parent = nullptr;                   // parent (WS_CHILD) or owner window
};
// Sides are kept within 1 to kMaxWindowSide and positions within X's 16-bit range, here
// and in setWindowPos: the protocol would cut larger values to their low bits, and every
// pixel of a window's GL buffers is allocated and copied at each swap.
constexpr int kMaxWindowSide = 8192;
inline int windowSide(int v) {
    return v < 1 ? 1 : v > kMaxWindowSide ? kMaxWindowSide : v;
}
// Null on failure (unknown class, no display).
void* createWindow(const CreateWindowParams& p);
bool destroyWindow(void* window);
bool isWindow(void* window);

// Adopts a window made elsewhere (another connection or toolkit): the layer selects its
// input events and gives it a procedure, initially defWindowProc.
bool adoptWindow(void* window);
// Releases an adopted window: its events are no longer selected by this layer.
bool releaseAdoptedWindow(void* window);

WndProc getWindowProc(void* window);
// Installs a new procedure and returns the previous one (null on failure).
WndProc setWindowProc(void* window, WndProc proc);
intptr_t callWindowProc(WndProc proc, void* window, unsigned message, uintptr_t wParam,
                        intptr_t lParam);
intptr_t defWindowProc(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);

bool showWindow(void* window, int command);  // SW_*
bool setWindowPos(void* window, void* insertAfter, int x, int y, int width, int height,
                  unsigned flags);
bool getWindowRect(void* window, Rect* r);  // screen coordinates
bool getClientRect(void* window, Rect* r);  // (0, 0, width, height)
bool clientToScreen(void* window, Point* p);
bool screenToClient(void* window, Point* p);
bool isWindowVisible(void* window);
bool isTopmost(void* window);
bool setWindowText(void* window, const char* text);
void* getParent(void* window);

// ---- messages -------------------------------------------------------------------------
// Queues a message for the thread that owns the window; any thread may call it.
bool postMessage(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Calls the window's procedure now, on the calling thread.
intptr_t sendMessage(void* window, unsigned message, uintptr_t wParam, intptr_t lParam);
// Like ZuGetMessage with a bound: 1 message, 0 quit, -1 display gone, -3 time-out.
int getMessageTimeout(ZuMSG* msg, int timeoutMs);

// ---- pointer, keyboard focus, activation ---------------------------------------------
// While a window holds the capture every pointer event arrives there, in its client
// coordinates, wherever the pointer is.
void* setCapture(void* window);  // returns the previous capture window
bool releaseCapture();
void* getCapture();
bool getCursorPos(Point* p);
bool setCursorPos(int x, int y);
void* getForegroundWindow();
bool setForegroundWindow(void* window);
// Key state of the pointer and modifier keys right now (MK_* bits).
unsigned currentKeyState();

// ---- monitors and screen -------------------------------------------------------------
struct MonitorInfo {
    Rect monitor;
    Rect work;
    bool primary = false;
};
// Monitor handles are 1-based indices into the current monitor list.
void* monitorFromPoint(Point p, unsigned flags);  // MONITOR_DEFAULTTO*
bool getMonitorInfo(void* monitor, MonitorInfo* info);
// Replaces the monitor list (tests), or restores the real one with an empty vector.
void setMonitorsForTesting(const std::vector<MonitorInfo>& monitors);
int screenWidth();
int screenHeight();

// ---- cursors and icons ---------------------------------------------------------------
// Null when the file cannot be read or holds no usable image.
void* loadCursorFromFile(const char* path);
void* loadIconFromFile(const char* path);
void destroyCursor(void* cursor);
void destroyIcon(void* icon);
struct IconImage {  // decoded icon, ARGB rows top to bottom
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};
bool getIconImage(void* icon, IconImage* out);

// ---- file drops ------------------------------------------------------------------------
bool dragAcceptFiles(void* window, bool accept);
// Drop handles come in wParam of WM_DROPFILES. index 0xFFFFFFFF answers the count.
// Otherwise the name (UTF-16, zero-terminated, cut to size - 1 units) is copied and its
// length in units returned; with a null buffer only the length.
unsigned dragQueryFile(void* drop, unsigned index, uint16_t* buffer, unsigned size);
void dragFinish(void* drop);

// ---- device contexts and OpenGL ------------------------------------------------------
struct PixelFormatDescriptor {
    uint16_t size = 40;
    uint16_t version = 1;
    uint32_t flags = 0;        // PFD_*
    uint8_t pixelType = 0;     // PFD_TYPE_RGBA
    uint8_t colorBits = 32;
    uint8_t alphaBits = 0;
    uint8_t depthBits = 32;
    uint8_t stencilBits = 0;
};
inline constexpr uint32_t PFD_DOUBLEBUFFER = 0x01;
inline constexpr uint32_t PFD_DRAW_TO_WINDOW = 0x04;
inline constexpr uint32_t PFD_SUPPORT_OPENGL = 0x20;
inline constexpr uint8_t PFD_TYPE_RGBA = 0;

void* getDC(void* window);           // null on failure; one DC record per window
bool releaseDC(void* window, void* dc);
void* windowFromDC(void* dc);
int choosePixelFormat(void* dc, const PixelFormatDescriptor& pfd);  // 1-based, 0 none
bool setPixelFormat(void* dc, int format);
void* createContext(void* dc);       // null on failure
bool makeCurrent(void* dc, void* context);  // (null, null) releases the calling thread's
bool deleteContext(void* context);
void* currentContext();
bool swapBuffers(void* dc);
bool swapInterval(void* dc, int interval);

// ---- time ------------------------------------------------------------------------------
int64_t performanceCounter();    // nanoseconds on CLOCK_MONOTONIC
int64_t performanceFrequency();  // 1 000 000 000
unsigned tickCount();            // milliseconds

}  // namespace zu::ws
