// Display connection, error handling, the event reader thread and the message queues.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {
namespace {

thread_local unsigned tlsLastError = 0;
thread_local int tlsTrapDepth = 0;
thread_local unsigned long tlsTrapStart = 0;

// Errors come back on whichever thread reads them from the connection, so they are kept
// by request serial and matched to the requests a trap covered.
struct ErrorLog {
    std::mutex mutex;
    struct Entry {
        unsigned long serial;
        int code;
    };
    Entry ring[64];
    unsigned next = 0;
};
ErrorLog& errorLog() {
    static ErrorLog* log = new ErrorLog;
    return *log;
}
std::once_flag openOnce;
std::atomic<bool> opened{false};

int onXError(Display*, XErrorEvent* e) {
    // Logged for the trap that covers the request; never fatal, unlike Xlib's default.
    ErrorLog& log = errorLog();
    std::lock_guard lock(log.mutex);
    log.ring[log.next++ % 64] = {e->serial, e->error_code};
    return 0;
}

void wakeAllQueues(State& s) {
    std::lock_guard lock(s.mutex);
    for (auto& wq : s.queues) {
        if (auto q = wq.lock()) {
            uint64_t one = 1;
            std::lock_guard ql(q->mutex);
            (void)!write(q->eventFd, &one, sizeof one);
        }
    }
}

void onIOErrorExit(Display* dpy, void*) {
    // The server is gone. Mark it, wake every waiting loop, and end the reader thread
    // instead of the process; every later call sees displayLost().
    State& s = state();
    s.lost.store(true, std::memory_order_release);
    wakeAllQueues(s);
    // Xlib takes the display's user lock before calling this, expecting the process to
    // exit; as it goes on, the lock is given back, or the next thread that meets the dead
    // connection (a GL swap on the render thread) would wait for it for ever.
    XUnlockDisplay(dpy);
}

int onIOError(Display*) {
    return 0;
}

unsigned keyStateFrom(unsigned xstate) {
    unsigned k = 0;
    if (xstate & Button1Mask) k |= MK_LBUTTON;
    if (xstate & Button2Mask) k |= MK_MBUTTON;
    if (xstate & Button3Mask) k |= MK_RBUTTON;
    if (xstate & ShiftMask) k |= MK_SHIFT;
    if (xstate & ControlMask) k |= MK_CONTROL;
    return k;
}

unsigned buttonBit(unsigned button) {
    switch (button) {
        case 1:
            return MK_LBUTTON;
        case 2:
            return MK_MBUTTON;
        case 3:
            return MK_RBUTTON;
        default:
            return 0;
    }
}

// Queues a translated event for the window's owner; returns false for windows not ours.
bool post(State& s, Window w, unsigned msg, uintptr_t wp, intptr_t lp, Time t) {
    std::shared_ptr<Queue> q;
    {
        std::lock_guard lock(s.mutex);
        WinRec* r = findWindow(s, w);
        if (!r) return false;
        q = r->owner;
    }
    if (!q) return false;
    pushMessage(q, ZuMSG{toHandle(w), msg, wp, lp, static_cast<unsigned>(t)});
    return true;
}

void translateButton(State& s, const XButtonEvent& e, bool press) {
    const unsigned mk = keyStateFrom(e.state);
    const intptr_t pos = makeLParam(e.x, e.y);
    if (e.button >= 4 && e.button <= 7) {
        if (!press) return;
        const int delta = (e.button == 4 || e.button == 7) ? WHEEL_DELTA : -WHEEL_DELTA;
        const unsigned msg = e.button <= 5 ? WM_MOUSEWHEEL : WM_MOUSEHWHEEL;
        const uintptr_t wp = (static_cast<uintptr_t>(static_cast<uint16_t>(delta)) << 16) | mk;
        // Wheel positions are screen coordinates, as in the classic model.
        post(s, e.window, msg, wp, makeLParam(e.x_root, e.y_root), e.time);
        return;
    }
    const unsigned bit = buttonBit(e.button);
    if (!bit) return;
    const unsigned state = press ? (mk | bit) : (mk & ~bit);
    unsigned msg = 0;
    if (press) {
        msg = e.button == 1 ? WM_LBUTTONDOWN : e.button == 2 ? WM_MBUTTONDOWN : WM_RBUTTONDOWN;
        std::lock_guard lock(s.mutex);
        WinRec* r = findWindow(s, e.window);
        if (!r) return;
        const bool wantsDouble = r->cls && (r->cls->styles & CS_DBLCLKS);
        const bool quick = s.lastPressWindow == e.window && r->lastButton == e.button &&
                           !r->lastWasDouble && e.time - r->lastPressTime <= 500 &&
                           std::abs(e.x - r->lastPressX) <= 4 && std::abs(e.y - r->lastPressY) <= 4;
        if (wantsDouble && quick) {
            msg += 2;  // WM_xBUTTONDBLCLK follows WM_xBUTTONDOWN by two
            r->lastWasDouble = true;
        } else {
            r->lastWasDouble = false;
        }
        s.lastPressWindow = e.window;
        r->lastButton = e.button;
        r->lastPressTime = e.time;
        r->lastPressX = e.x;
        r->lastPressY = e.y;
    } else {
        msg = e.button == 1 ? WM_LBUTTONUP : e.button == 2 ? WM_MBUTTONUP : WM_RBUTTONUP;
    }
    post(s, e.window, msg, state, pos, e.time);
}

void translateKey(State& s, XKeyEvent& e, bool press) {
    bool extended = false;
    const KeySym sym = XLookupKeysym(&e, 0);
    const unsigned vk = virtualKeyFromKeysym(sym, &extended);
    intptr_t lp = 1 | (static_cast<intptr_t>((e.keycode - 8) & 0xFF) << 16);
    if (extended) lp |= KF_EXTENDED_BIT;
    if (!press) lp |= (intptr_t{1} << 30) | (intptr_t{1} << 31);
    if (vk) post(s, e.window, press ? WM_KEYDOWN : WM_KEYUP, vk, lp, e.time);
    if (!press) return;
    char buf[8];
    KeySym typed = 0;
    const int n = XLookupString(&e, buf, sizeof buf, &typed, nullptr);
    // One byte means a Latin-1 character (or a control code such as Enter or Backspace).
    if (n == 1) post(s, e.window, WM_CHAR, static_cast<unsigned char>(buf[0]), lp, e.time);
}

Window focusWindow(State& s) {
    Window f = 0;
    int revert = 0;
    XGetInputFocus(s.dpy, &f, &revert);
    return f == PointerRoot ? 0 : f;
}

int xkbEventBase = -1;

void translate(State& s, XEvent& ev) {
    if (xkbEventBase >= 0 && ev.type == xkbEventBase) {
        XkbEvent& xe = reinterpret_cast<XkbEvent&>(ev);
        if (xe.any.xkb_type == XkbMapNotify || xe.any.xkb_type == XkbNewKeyboardNotify)
            XkbRefreshKeyboardMapping(&xe.map);
        return;
    }
    switch (ev.type) {
        case ButtonPress:
        case ButtonRelease:
            translateButton(s, ev.xbutton, ev.type == ButtonPress);
            break;
        case MotionNotify:
            post(s, ev.xmotion.window, WM_MOUSEMOVE, keyStateFrom(ev.xmotion.state),
                 makeLParam(ev.xmotion.x, ev.xmotion.y), ev.xmotion.time);
            break;
        case KeyPress:
        case KeyRelease:
            translateKey(s, ev.xkey, ev.type == KeyPress);
            break;
        case FocusIn:
        case FocusOut: {
            const XFocusChangeEvent& f = ev.xfocus;
            if (f.detail == NotifyPointer || f.detail == NotifyInferior || f.mode == NotifyGrab ||
                f.mode == NotifyUngrab)
                break;
            if (ev.type == FocusIn) {
                post(s, f.window, WM_SETFOCUS, 0, 0, 0);
                post(s, f.window, WM_ACTIVATE, WA_ACTIVE, 0, 0);
            } else {
                // The window taking the focus, when the server already knows it.
                const Window next = focusWindow(s);
                post(s, f.window, WM_ACTIVATE, WA_INACTIVE,
                     static_cast<intptr_t>(next == f.window ? 0 : next), 0);
                post(s, f.window, WM_KILLFOCUS, next, 0, 0);
            }
            break;
        }
        case Expose:
            if (ev.xexpose.count == 0) {
                post(s, ev.xexpose.window, WM_ERASEBKGND, 0, 0, 0);
                post(s, ev.xexpose.window, WM_PAINT, 0, 0, 0);
            }
            break;
        case MapNotify: {
            bool activate = false;
            {
                std::lock_guard lock(s.mutex);
                if (WinRec* r = findWindow(s, ev.xmap.window)) {
                    activate = r->activateOnMap;
                    r->activateOnMap = false;
                }
            }
            if (activate) XSetInputFocus(s.dpy, ev.xmap.window, RevertToParent, CurrentTime);
            post(s, ev.xmap.window, WM_SHOWWINDOW, 1, 0, 0);
            break;
        }
        case UnmapNotify:
            post(s, ev.xunmap.window, WM_SHOWWINDOW, 0, 0, 0);
            break;
        case ConfigureNotify:
            post(s, ev.xconfigure.window, WM_SIZE, 0,
                 makeLParam(ev.xconfigure.width, ev.xconfigure.height), 0);
            break;
        case DestroyNotify: {
            std::lock_guard lock(s.mutex);
            auto it = s.windows.find(ev.xdestroywindow.window);
            // Adopted windows vanish without our help; forget them.
            if (it != s.windows.end() && it->second->adopted) s.windows.erase(it);
            break;
        }
        case ClientMessage:
            if (ev.xclient.message_type == s.wmProtocols &&
                static_cast<Atom>(ev.xclient.data.l[0]) == s.wmDeleteWindow) {
                post(s, ev.xclient.window, WM_CLOSE, 0, 0, 0);
            } else {
                dndHandleClientMessage(s, ev.xclient);
            }
            break;
        case SelectionNotify:
            dndHandleSelectionNotify(s, ev.xselection);
            break;
        case MappingNotify:
            // Keys typed after a keyboard remapping must translate with the new map.
            XRefreshKeyboardMapping(&ev.xmapping);
            break;
        default:
            break;
    }
}

int readerWakeFd = -1;

// Called by Xlib after each request function on any thread: a reply read there may have
// moved events into the queue without the socket becoming readable again.
int afterRequest(Display* d) {
    if (XQLength(d) > 0) wakeReader();
    return 0;
}

void readerLoop(State* s) {
    // The reader never blocks inside Xlib: a thread waiting in XNextEvent while another
    // thread's request fails is not safe in this Xlib. It waits on the socket and on its
    // wake descriptor instead, which requests on other threads and GL calls kick when they
    // may have queued events. Replies read directly through xcb (GL) can still leave
    // events behind unseen, so while input is flowing the reader also looks every 20 ms;
    // once idle it looks once a second, which keeps an idle GUI at next to no cost.
    pollfd fds[2] = {{ConnectionNumber(s->dpy), POLLIN, 0}, {readerWakeFd, POLLIN, 0}};
    XEvent ev;
    int idleRounds = 0;
    while (!s->lost.load(std::memory_order_acquire)) {
        bool any = false;
        while (!s->lost.load(std::memory_order_acquire) && XPending(s->dpy) > 0) {
            XNextEvent(s->dpy, &ev);
            translate(*s, ev);
            any = true;
        }
        if (s->lost.load(std::memory_order_acquire)) break;
        idleRounds = any ? 0 : idleRounds + 1;
        const int ready = poll(fds, 2, idleRounds < 25 ? 20 : 1000);
        if (ready > 0) idleRounds = 0;
        if (fds[1].revents & POLLIN) {
            uint64_t v;
            (void)!read(readerWakeFd, &v, sizeof v);
        }
    }
}

Atom intern(Display* d, const char* name) {
    return XInternAtom(d, name, False);
}

bool chooseVisual(State& s) {
    static const int attrs[] = {GLX_X_RENDERABLE,
                                True,
                                GLX_DRAWABLE_TYPE,
                                GLX_WINDOW_BIT,
                                GLX_RENDER_TYPE,
                                GLX_RGBA_BIT,
                                GLX_RED_SIZE,
                                8,
                                GLX_GREEN_SIZE,
                                8,
                                GLX_BLUE_SIZE,
                                8,
                                None};
    s.fbConfigs = glXChooseFBConfig(s.dpy, s.screen, attrs, &s.fbConfigCount);
    if (!s.fbConfigs || s.fbConfigCount == 0) return false;
    const VisualID defaultVisual = XVisualIDFromVisual(DefaultVisual(s.dpy, s.screen));
    // The standard format: double-buffered RGBA 8888 with a depth buffer of 24 or more,
    // preferring the screen's default visual so that no colormap is needed.
    int best = -1, bestScore = -1;
    for (int i = 0; i < s.fbConfigCount; ++i) {
        int dbl = 0, depth = 0, red = 0, alpha = 0, stencil = 0, samples = 0;
        glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], GLX_DOUBLEBUFFER, &dbl);
        glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], GLX_DEPTH_SIZE, &depth);
        glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], GLX_RED_SIZE, &red);
        glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], GLX_ALPHA_SIZE, &alpha);
        glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], GLX_STENCIL_SIZE, &stencil);
        glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], GLX_SAMPLES, &samples);
        XVisualInfo* vi = glXGetVisualFromFBConfig(s.dpy, s.fbConfigs[i]);
        if (!vi) continue;
        const bool isDefault = vi->visualid == defaultVisual;
        XFree(vi);
        if (!dbl || depth < 24 || red != 8 || samples > 1) continue;
        const int score = (isDefault ? 8 : 0) + (alpha == 0 ? 0 : 2) + (stencil == 0 ? 1 : 0);
        if (score > bestScore) bestScore = score, best = i;
    }
    if (best < 0) return false;
    s.defaultFormat = best + 1;
    XVisualInfo* vi = glXGetVisualFromFBConfig(s.dpy, s.fbConfigs[best]);
    s.visual = *vi;
    XFree(vi);
    s.colormap = XCreateColormap(s.dpy, s.root, s.visual.visual, AllocNone);
    return true;
}

void doOpen() {
    XInitThreads();
    Display* d = XOpenDisplay(nullptr);
    if (!d) return;
    State& s = state();
    s.dpy = d;
    s.screen = DefaultScreen(d);
    s.root = RootWindow(d, s.screen);
    XSetErrorHandler(onXError);
    XSetIOErrorHandler(onIOError);
    XSetIOErrorExitHandler(d, onIOErrorExit, nullptr);
    XSetAfterFunction(d, afterRequest);
    Bool supported = False;
    XkbSetDetectableAutoRepeat(d, True, &supported);
    // Keyboard map changes must reach us as events: which core notifications an XKB
    // client gets depends on the server, so ask for the XKB ones outright.
    int opcode = 0, error = 0, major = XkbMajorVersion, minor = XkbMinorVersion;
    if (XkbQueryExtension(d, &opcode, &xkbEventBase, &error, &major, &minor)) {
        const unsigned mask = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
        XkbSelectEvents(d, XkbUseCoreKbd, mask, mask);
    } else {
        xkbEventBase = -1;
    }
    s.wmProtocols = intern(d, "WM_PROTOCOLS");
    s.wmDeleteWindow = intern(d, "WM_DELETE_WINDOW");
    s.wmState = intern(d, "WM_STATE");
    s.netWmState = intern(d, "_NET_WM_STATE");
    s.netWmStateAbove = intern(d, "_NET_WM_STATE_ABOVE");
    s.netWmName = intern(d, "_NET_WM_NAME");
    s.netWmIcon = intern(d, "_NET_WM_ICON");
    s.netActiveWindow = intern(d, "_NET_ACTIVE_WINDOW");
    s.netWorkarea = intern(d, "_NET_WORKAREA");
    s.motifWmHints = intern(d, "_MOTIF_WM_HINTS");
    s.utf8String = intern(d, "UTF8_STRING");
    dndInit(s);
    if (!chooseVisual(s)) {
        XCloseDisplay(d);
        s.dpy = nullptr;
        return;
    }
    readerWakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    XFlush(d);
    opened.store(true, std::memory_order_release);
    // The reader lives as long as the process; the state it reads is never freed.
    std::thread(readerLoop, &s).detach();
}

}  // namespace

State& state() {
    static State* s = new State;  // never destroyed: the reader thread may outlive main
    return *s;
}

State* live() {
    if (!opened.load(std::memory_order_acquire)) return nullptr;
    State& s = state();
    return s.lost.load(std::memory_order_acquire) ? nullptr : &s;
}

void setLastError(unsigned code) {
    tlsLastError = code;
}

void wakeReader() {
    uint64_t one = 1;
    if (readerWakeFd >= 0) (void)!write(readerWakeFd, &one, sizeof one);
}

void beginTrap() {
    if (tlsTrapDepth++ == 0) tlsTrapStart = NextRequest(state().dpy);
}

bool endTrap(State& s) {
    const unsigned long end = NextRequest(s.dpy);
    XSync(s.dpy, False);
    wakeReader();  // the sync may have queued events for the reader
    const unsigned long start = tlsTrapStart;
    --tlsTrapDepth;
    ErrorLog& log = errorLog();
    std::lock_guard lock(log.mutex);
    for (const auto& e : log.ring)
        if (e.code && e.serial >= start && e.serial < end) return false;
    return true;
}

WinRec* findWindow(State& s, Window w) {
    auto it = s.windows.find(w);
    return it == s.windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<Queue> currentQueue() {
    thread_local std::shared_ptr<Queue> q;
    if (!q) {
        q = std::make_shared<Queue>();
        q->eventFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        State& s = state();
        std::lock_guard lock(s.mutex);
        std::erase_if(s.queues, [](const std::weak_ptr<Queue>& w) { return w.expired(); });
        s.queues.push_back(q);
    }
    return q;
}

void pushMessage(const std::shared_ptr<Queue>& q, const ZuMSG& m) {
    std::lock_guard lock(q->mutex);
    q->messages.push_back(m);
    uint64_t one = 1;
    (void)!write(q->eventFd, &one, sizeof one);
}

}  // namespace zu::ws::x11

namespace zu::ws {
using namespace x11;

bool open() {
    std::call_once(openOnce, doOpen);
    return live() != nullptr;
}
bool isOpen() {
    return live() != nullptr;
}
bool displayLost() {
    return opened.load() && state().lost.load(std::memory_order_acquire);
}
unsigned lastError() {
    return tlsLastError;
}

bool postMessage(void* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    State* s = live();
    if (!s || !window) return false;
    std::shared_ptr<Queue> q;
    {
        std::lock_guard lock(s->mutex);
        WinRec* r = findWindow(*s, toWindow(window));
        if (!r) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        q = r->owner;
    }
    if (!q) return false;
    pushMessage(q, ZuMSG{window, message, wParam, lParam, tickCount()});
    return true;
}

intptr_t sendMessage(void* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    return callWindowProc(getWindowProc(window), window, message, wParam, lParam);
}

// 1 message, 0 quit, -1 display lost, -3 time-out. timeoutMs < 0 waits for ever.
int getMessageTimeout(ZuMSG* msg, int timeoutMs) {
    auto q = currentQueue();
    const int64_t deadline = performanceCounter() + int64_t{timeoutMs} * 1000000;
    for (;;) {
        // Whatever is still queued speaks of windows that no longer exist.
        if (displayLost()) return -1;
        {
            std::lock_guard lock(q->mutex);
            if (!q->messages.empty()) {
                if (msg) *msg = q->messages.front();
                q->messages.pop_front();
                if (q->messages.empty() && !q->quit) {
                    uint64_t v;
                    (void)!read(q->eventFd, &v, sizeof v);
                }
                return 1;
            }
            if (q->quit) {
                q->quit = false;
                uint64_t v;
                (void)!read(q->eventFd, &v, sizeof v);
                if (msg) *msg = ZuMSG{nullptr, WM_QUIT, 0, 0, tickCount()};
                return 0;
            }
        }
        int wait = -1;
        if (timeoutMs >= 0) {
            const int64_t left = deadline - performanceCounter();
            if (left <= 0) return -3;
            wait = static_cast<int>((left + 999999) / 1000000);
        }
        pollfd p{q->eventFd, POLLIN, 0};
        // Bounded so that a lost display is noticed even if no wake-up arrives.
        poll(&p, 1, wait < 0 || wait > 250 ? 250 : wait);
    }
}

void* setCapture(void* window) {
    State* s = live();
    if (!s || !window) return nullptr;
    Window prev;
    {
        std::lock_guard lock(s->mutex);
        if (!findWindow(*s, toWindow(window))) return nullptr;
        prev = s->capture;
        s->capture = toWindow(window);
    }
    XGrabPointer(s->dpy, toWindow(window), False,
                 ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                 GrabModeAsync, None, None, CurrentTime);
    XFlush(s->dpy);
    return toHandle(prev);
}

bool releaseCapture() {
    State* s = live();
    if (!s) return false;
    {
        std::lock_guard lock(s->mutex);
        s->capture = 0;
    }
    XUngrabPointer(s->dpy, CurrentTime);
    XFlush(s->dpy);
    return true;
}

void* getCapture() {
    State* s = live();
    if (!s) return nullptr;
    std::lock_guard lock(s->mutex);
    return toHandle(s->capture);
}

bool getCursorPos(Point* p) {
    State* s = live();
    if (!s || !p) return false;
    Window r, c;
    int rx, ry, wx, wy;
    unsigned mask;
    if (!XQueryPointer(s->dpy, s->root, &r, &c, &rx, &ry, &wx, &wy, &mask)) return false;
    p->x = rx;
    p->y = ry;
    return true;
}

bool setCursorPos(int x, int y) {
    State* s = live();
    if (!s) return false;
    XWarpPointer(s->dpy, None, s->root, 0, 0, 0, 0, x, y);
    XFlush(s->dpy);
    return true;
}

unsigned currentKeyState() {
    State* s = live();
    if (!s) return 0;
    Window r, c;
    int rx, ry, wx, wy;
    unsigned mask = 0;
    XQueryPointer(s->dpy, s->root, &r, &c, &rx, &ry, &wx, &wy, &mask);
    return keyStateFrom(mask);
}

void* getForegroundWindow() {
    State* s = live();
    if (!s) return nullptr;
    Window f = focusWindow(*s);
    std::lock_guard lock(s->mutex);
    // The foreground window is top-level: walk up from a focused child of ours.
    for (WinRec* r = findWindow(*s, f); r; r = findWindow(*s, r->parent)) {
        if (!r->child) return toHandle(r->id);
    }
    return toHandle(f);
}

bool setForegroundWindow(void* window) {
    State* s = live();
    if (!s || !window) return false;
    const bool ok = trapErrors(*s, [&] {
        XRaiseWindow(s->dpy, toWindow(window));
        XSetInputFocus(s->dpy, toWindow(window), RevertToParent, CurrentTime);
    });
    return ok;
}

int64_t performanceCounter() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}
int64_t performanceFrequency() {
    return 1000000000;
}
unsigned tickCount() {
    return static_cast<unsigned>(performanceCounter() / 1000000);
}

}  // namespace zu::ws

// ---- the public host loop -----------------------------------------------------------------

ZUAPI int ZuGetMessage(ZuMSG* msg) {
    return zu::ws::getMessageTimeout(msg, -1);
}

ZUAPI int ZuPeekMessage(ZuMSG* msg, int remove) {
    auto q = zu::ws::x11::currentQueue();
    std::lock_guard lock(q->mutex);
    if (q->messages.empty()) return 0;
    if (msg) *msg = q->messages.front();
    if (remove) {
        q->messages.pop_front();
        if (q->messages.empty() && !q->quit) {
            uint64_t v;
            (void)!read(q->eventFd, &v, sizeof v);
        }
    }
    return 1;
}

ZUAPI intptr_t ZuDispatchMessage(const ZuMSG* msg) {
    if (!msg || !msg->window) return 0;
    return zu::ws::sendMessage(msg->window, msg->message, msg->wParam, msg->lParam);
}

ZUAPI void ZuPostQuitMessage(int) {
    auto q = zu::ws::x11::currentQueue();
    std::lock_guard lock(q->mutex);
    q->quit = true;
    uint64_t one = 1;
    (void)!write(q->eventFd, &one, sizeof one);
}

ZUAPI int ZuGetMessageFd(void) {
    return zu::ws::x11::currentQueue()->eventFd;
}
