// The display connections, X errors, and the message loop: X events are read and
// translated on the thread that waits for messages, beside the messages posted to it.
#include <X11/XKBlib.h>
#include <X11/keysym.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/report.h"
#include "platform/winsys/selection_text.h"
#include "platform/winsys/x11/x11_internal.h"

// Last, for the output buffer of a lost connection; it defines min and max as macros.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace zu::ws::x11 {
namespace {

thread_local int tlsTrapDepth = 0;
thread_local unsigned long tlsTrapStart = 0;

// Errors come back on whichever thread reads them from the connection, so they are kept
// by request serial and matched to the requests a trap covered.
struct ErrorLog {
    std::mutex mutex;
    struct Entry {
        Display* display;
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
std::mutex openMutex;
std::atomic<bool> opened{false};
bool openGaveUp = false;  // a display without what we need: asking again cannot help
XErrorHandler previousErrorHandler = nullptr;

int onXError(Display* d, XErrorEvent* e) {
    State& s = state();
    // Another connection of the process (a host toolkit's): its errors are its own.
    if (d != s.dpy && d != s.glDpy) return previousErrorHandler ? previousErrorHandler(d, e) : 0;
    // Logged for the trap that covers the request; never fatal, unlike Xlib's default.
    {
        ErrorLog& log = errorLog();
        std::lock_guard lock(log.mutex);
        log.ring[log.next++ % 64] = {d, e->serial, e->error_code};
    }
    // A trapped request answers its caller; any other error is told to the host.
    if (tlsTrapDepth == 0) {
        char text[256] = "";
        XGetErrorText(d, e->error_code, text, sizeof text);
        zu::detail::reportFailure("X error on zugui's %s connection: %s (request %d.%d, resource 0x%lx)",
                                  d == s.glDpy ? "GL" : "window", text, e->request_code,
                                  e->minor_code, e->resourceid);
    }
    return 0;
}

void kick(State& s) {
    uint64_t one = 1;
    if (s.kickFd >= 0) (void)!write(s.kickFd, &one, sizeof one);
}

void wakeAllQueues(State& s) {
    std::lock_guard lock(s.mutex);
    for (auto& wq : s.queues) {
        if (auto q = wq.lock()) {
            uint64_t one = 1;
            (void)!write(q->eventFd, &one, sizeof one);
        }
    }
}

// Once the exit handler has returned, Xlib no longer sends what it is asked to, and a
// request that does not fit its output buffer writes through a null pointer: at once
// when the connection was last written through XCB (GLX does), since Xlib then marks the
// buffer full to take the socket back, which fails. So the buffer of a lost connection is
// emptied and given room again, here and after every request. Xlib never allocates less
// than BUFSIZE.
void discardOutput(Display* d) {
    d->bufptr = d->buffer;
    d->bufmax = d->buffer + BUFSIZE;
    d->buffer[0] = 0;  // no request to merge the next one into
    d->last_req = d->buffer;
}

void onIOErrorExit(Display* dpy, void*) {
    // The server is gone. Mark it and wake every waiting loop instead of ending the
    // process; every later call sees displayLost().
    State& s = state();
    s.lost.store(true, std::memory_order_release);
    wakeAllQueues(s);
    discardOutput(dpy);
    // Xlib takes the display's user lock before calling this, expecting the process to
    // exit; as it goes on, the lock is given back, or the next thread that meets the dead
    // connection (a GL swap on the render thread) would wait for it for ever.
    XUnlockDisplay(dpy);
}

int onIOError(Display*) {
    return 0;
}

// Called by Xlib after each request function on any thread: a reply read there may have
// moved events into Xlib's queue without the socket becoming readable again.
int afterRequest(Display* d) {
    if (d->flags & XlibDisplayIOError) {
        LockDisplay(d);  // another thread may be writing its own request
        discardOutput(d);
        UnlockDisplay(d);
    } else if (d == state().dpy && XQLength(d) > 0) {
        kick(state());
    }
    return 0;
}

unsigned keyStateFrom(unsigned xstate) {
    unsigned k = 0;
    if (xstate & Button1Mask) k |= kModLeft;
    if (xstate & Button2Mask) k |= kModMiddle;
    if (xstate & Button3Mask) k |= kModRight;
    if (xstate & ShiftMask) k |= kModShift;
    if (xstate & ControlMask) k |= kModControl;
    return k;
}

unsigned buttonBit(unsigned button) {
    return button == 1 ? kModLeft : button == 2 ? kModMiddle : button == 3 ? kModRight : 0;
}

// Queues an event for the window's owner; false for windows not ours. Queued under the
// state's lock, so that a window destroyed meanwhile takes the event out with it.
bool deliver(State& s, XWin w, Event e) {
    std::lock_guard lock(s.mutex);
    Window* r = findWindow(s, w);
    if (!r || !r->owner) return false;
    e.window = r;
    pushEvent(r->owner, e);
    return true;
}

void translateButton(State& s, const XButtonEvent& x, bool press) {
    Event e;
    e.modifiers = keyStateFrom(x.state);
    e.x = x.x, e.y = x.y, e.screenX = x.x_root, e.screenY = x.y_root;
    e.time = static_cast<unsigned>(x.time);
    if (x.button >= 4 && x.button <= 7) {
        if (!press) return;
        e.kind = EventKind::Wheel;
        e.delta = (x.button == 4 || x.button == 7) ? 120 : -120;
        e.horizontal = x.button >= 6;
        deliver(s, x.window, e);
        return;
    }
    const unsigned bit = buttonBit(x.button);
    if (!bit) return;
    e.button = static_cast<int>(x.button == 2 ? kMiddle : x.button == 3 ? kRight : kLeft);
    e.modifiers = press ? (e.modifiers | bit) : (e.modifiers & ~bit);
    e.kind = press ? EventKind::ButtonDown : EventKind::ButtonUp;
    if (press) {
        bool focus = false;
        {
            std::lock_guard lock(s.mutex);
            Window* r = findWindow(s, x.window);
            if (!r) return;
            const bool quick = s.lastPressWindow == x.window && r->lastButton == x.button &&
                               !r->lastWasDouble && x.time - r->lastPressTime <= 500 &&
                               std::abs(x.x - r->lastPressX) <= 4 &&
                               std::abs(x.y - r->lastPressY) <= 4;
            r->lastWasDouble = r->doubleClicks && quick;
            if (r->lastWasDouble) e.kind = EventKind::DoubleClick;
            s.lastPressWindow = x.window;
            r->lastButton = x.button;
            r->lastPressTime = x.time;
            r->lastPressX = x.x;
            r->lastPressY = x.y;
            focus = r->embedded;
        }
        // Inside a host's window the keyboard follows a click into the GUI, as it does
        // between the host's own widgets.
        if (focus) focusTake(s, x.window);
    }
    deliver(s, x.window, e);
}

void translateKey(State& s, XKeyEvent& x, bool press) {
    Event e;
    e.time = static_cast<unsigned>(x.time);
    const KeySym sym = XLookupKeysym(&x, 0);
    e.key = virtualKeyFromKeysym(sym, &e.extended);
    e.modifiers = keyStateFrom(x.state) & (kModShift | kModControl);
    e.kind = press ? EventKind::KeyDown : EventKind::KeyUp;
    if (e.key) deliver(s, x.window, e);
    if (!press) return;
    char buf[64];
    KeySym typed = 0;
    const int n = inputMethodLookup(x, buf, sizeof buf);
    if (n >= 0) {
        // What the input method composed: each Latin-1 character of it; others are dropped.
        e.kind = EventKind::Character;
        for (const char c : latin1FromUtf8(std::string_view(buf, static_cast<size_t>(n)))) {
            e.character = static_cast<unsigned char>(c);
            deliver(s, x.window, e);
        }
        return;
    }
    // One byte means a Latin-1 character (or a control code such as Enter or Backspace).
    if (XLookupString(&x, buf, sizeof buf, &typed, nullptr) == 1) {
        e.kind = EventKind::Character;
        e.character = static_cast<unsigned char>(buf[0]);
        deliver(s, x.window, e);
    }
}

XWin focusWindow(State& s) {
    XWin f = 0;
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
    if (inputMethodFilter(s, ev) || selectionHandleEvent(s, ev)) return;
    Event e;
    switch (ev.type) {
        case ButtonPress:
        case ButtonRelease:
            translateButton(s, ev.xbutton, ev.type == ButtonPress);
            break;
        case MotionNotify:
            e.kind = EventKind::PointerMove;
            e.modifiers = keyStateFrom(ev.xmotion.state);
            e.x = ev.xmotion.x, e.y = ev.xmotion.y;
            e.screenX = ev.xmotion.x_root, e.screenY = ev.xmotion.y_root;
            e.time = static_cast<unsigned>(ev.xmotion.time);
            deliver(s, ev.xmotion.window, e);
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
            e.kind = EventKind::Activate;
            e.active = ev.type == FocusIn;
            if (!e.active) {
                // The window taking the focus, when the server already knows it.
                const XWin next = focusWindow(s);
                std::lock_guard lock(s.mutex);
                if (next != f.window) e.other = findWindow(s, next);
            }
            deliver(s, f.window, e);
            break;
        }
        case Expose:
            if (ev.xexpose.count == 0) {
                e.kind = EventKind::Paint;
                deliver(s, ev.xexpose.window, e);
            }
            break;
        case MapNotify: {
            bool activate = false;
            {
                std::lock_guard lock(s.mutex);
                if (Window* r = findWindow(s, ev.xmap.window)) {
                    activate = r->activateOnMap;
                    r->activateOnMap = false;
                }
            }
            if (activate) XSetInputFocus(s.dpy, ev.xmap.window, RevertToParent, CurrentTime);
            e.kind = EventKind::Show;
            deliver(s, ev.xmap.window, e);
            break;
        }
        case UnmapNotify:
            e.kind = EventKind::Hide;
            deliver(s, ev.xunmap.window, e);
            break;
        case ConfigureNotify:
            e.kind = EventKind::Size;
            e.x = ev.xconfigure.width, e.y = ev.xconfigure.height;
            deliver(s, ev.xconfigure.window, e);
            break;
        case ClientMessage:
            if (ev.xclient.message_type == s.wmProtocols &&
                static_cast<Atom>(ev.xclient.data.l[0]) == s.wmDeleteWindow) {
                e.kind = EventKind::Close;
                deliver(s, ev.xclient.window, e);
            } else {
                dndHandleClientMessage(s, ev.xclient);
            }
            break;
        case SelectionNotify:
            dndHandleSelectionNotify(s, ev.xselection);
            break;
        case GenericEvent:
            focusHandleGeneric(s, ev);
            break;
        case MappingNotify:
            // Keys typed after a keyboard remapping must translate with the new map.
            XRefreshKeyboardMapping(&ev.xmapping);
            break;
        default:
            break;
    }
}

// Takes every event Xlib has, or can read without waiting, and queues it for its
// window's owner.
void pump(State& s) {
    std::lock_guard lock(s.pumpMutex);
    uint64_t v;
    (void)!read(s.kickFd, &v, sizeof v);
    XEvent ev;
    while (!s.lost.load(std::memory_order_acquire) && XPending(s.dpy) > 0) {
        XNextEvent(s.dpy, &ev);
        translate(s, ev);
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
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(s.dpy, s.screen, attrs, &count);
    if (!configs) return false;
    const VisualID defaultVisual = XVisualIDFromVisual(DefaultVisual(s.dpy, s.screen));
    // The standard format: double-buffered RGBA 8888 with a depth buffer of 24 or more,
    // preferring the screen's default visual so that no colormap is needed.
    int best = -1, bestScore = -1;
    for (int i = 0; i < count; ++i) {
        int dbl = 0, depth = 0, red = 0, alpha = 0, stencil = 0, samples = 0;
        glXGetFBConfigAttrib(s.dpy, configs[i], GLX_DOUBLEBUFFER, &dbl);
        glXGetFBConfigAttrib(s.dpy, configs[i], GLX_DEPTH_SIZE, &depth);
        glXGetFBConfigAttrib(s.dpy, configs[i], GLX_RED_SIZE, &red);
        glXGetFBConfigAttrib(s.dpy, configs[i], GLX_ALPHA_SIZE, &alpha);
        glXGetFBConfigAttrib(s.dpy, configs[i], GLX_STENCIL_SIZE, &stencil);
        glXGetFBConfigAttrib(s.dpy, configs[i], GLX_SAMPLES, &samples);
        XVisualInfo* vi = glXGetVisualFromFBConfig(s.dpy, configs[i]);
        if (!vi) continue;
        const bool isDefault = vi->visualid == defaultVisual;
        XFree(vi);
        if (!dbl || depth < 24 || red != 8 || samples > 1) continue;
        const int score = (isDefault ? 8 : 0) + (alpha == 0 ? 0 : 2) + (stencil == 0 ? 1 : 0);
        if (score > bestScore) bestScore = score, best = i;
    }
    if (best >= 0) {
        XVisualInfo* vi = glXGetVisualFromFBConfig(s.dpy, configs[best]);
        if (!vi) {
            XFree(configs);
            return false;
        }
        s.visual = *vi;
        XFree(vi);
        s.colormap = XCreateColormap(s.dpy, s.root, s.visual.visual, AllocNone);
    }
    XFree(configs);
    return best >= 0;
}

// A server whose last client has just gone resets itself, and for that moment refuses or
// drops new connections (reset by peer, try again, even no socket). A host that starts
// then must not fail for it, so the first connection is tried for up to a second; a
// display that is not there at all costs that second before the failure is told.
Display* openFirstConnection(const char* name) {
    const int64_t deadline = performanceCounter() + 1000000000;
    for (;;) {
        errno = 0;
        if (Display* d = XOpenDisplay(nullptr)) return d;
        const int error = errno;
        if (!*name || performanceCounter() >= deadline) {
            zu::detail::reportFailure("display \"%s\" could not be opened: %s", name,
                                      error ? strerror(error) : "no display named");
            return nullptr;
        }
        timespec pause{0, 10000000};
        nanosleep(&pause, nullptr);
    }
}

// Mesa's GLX set-up reads its replies without checking them: on a server that has gone
// away it crashes, so it is entered only after a round trip on both connections found the
// server there. A loss found here is the open's answer, and every later call sees it.
bool lostWhileOpening(State& s) {
    XSync(s.dpy, False);
    XSync(s.glDpy, False);
    if (!s.lost.load(std::memory_order_acquire)) return false;
    zu::detail::reportFailure("display \"%s\" was lost while it was being opened",
                              DisplayString(s.dpy));
    opened.store(true, std::memory_order_release);
    return true;
}

void doOpen() {
    XInitThreads();
    Display* d = openFirstConnection(XDisplayName(nullptr));
    if (!d) return;  // the next ZUInitGUI tries again
    // Holding one connection, the server cannot be resetting: no retry here.
    errno = 0;
    Display* gl = XOpenDisplay(DisplayString(d));
    if (!gl) {
        zu::detail::reportFailure("display \"%s\" could not be opened a second time, for GL: %s",
                                  DisplayString(d), strerror(errno));
        XCloseDisplay(d);
        return;
    }
    State& s = state();
    s.dpy = d;
    s.glDpy = gl;
    s.screen = DefaultScreen(d);
    s.root = RootWindow(d, s.screen);
    previousErrorHandler = XSetErrorHandler(onXError);
    XSetIOErrorHandler(onIOError);
    XSetIOErrorExitHandler(d, onIOErrorExit, nullptr);
    XSetIOErrorExitHandler(gl, onIOErrorExit, nullptr);
    s.kickFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    XSetAfterFunction(d, afterRequest);
    XSetAfterFunction(gl, afterRequest);
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
    s.netWmState = intern(d, "_NET_WM_STATE");
    s.netWmStateAbove = intern(d, "_NET_WM_STATE_ABOVE");
    s.netWmName = intern(d, "_NET_WM_NAME");
    s.netWmIcon = intern(d, "_NET_WM_ICON");
    s.netWorkarea = intern(d, "_NET_WORKAREA");
    s.motifWmHints = intern(d, "_MOTIF_WM_HINTS");
    s.utf8String = intern(d, "UTF8_STRING");
    dndInit(s);
    inputMethodOpen(s);
    focusInit(s);
    if (lostWhileOpening(s)) return;
    const bool visual = chooseVisual(s);
    if (visual && lostWhileOpening(s)) return;
    if (!visual || !glInit(s)) {
        if (lostWhileOpening(s)) return;
        zu::detail::reportFailure(visual ? "display \"%s\": no GLX configuration for its visual"
                                         : "display \"%s\" has no double-buffered RGBA visual "
                                           "with a 24-bit depth buffer",
                                  DisplayString(d));
        XCloseDisplay(gl);
        XCloseDisplay(d);
        s.dpy = s.glDpy = nullptr;
        openGaveUp = true;
        return;
    }
    XFlush(d);
    opened.store(true, std::memory_order_release);
}

// Adds the X connection and the kick descriptor to a queue's wait set once the display
// is open.
void watchX(Queue& q) {
    if (q.watchingX || !opened.load(std::memory_order_acquire)) return;
    State& s = state();
    epoll_event ev{};
    ev.events = EPOLLIN;
    epoll_ctl(q.waitFd, EPOLL_CTL_ADD, ConnectionNumber(s.dpy), &ev);
    epoll_ctl(q.waitFd, EPOLL_CTL_ADD, s.kickFd, &ev);
    q.watchingX = true;
}

enum class Take { Message, Quit, Nothing };

Take takeEvent(Queue& q, Event* out, bool remove) {
    std::lock_guard lock(q.mutex);
    if (!q.events.empty()) {
        if (out) *out = q.events.front();
        if (remove) {
            q.events.pop_front();
            if (q.events.empty() && !q.quit) {
                uint64_t v;
                (void)!read(q.eventFd, &v, sizeof v);
            }
        }
        return Take::Message;
    }
    if (q.quit) {
        if (remove) {
            q.quit = false;
            uint64_t v;
            (void)!read(q.eventFd, &v, sizeof v);
        }
        return Take::Quit;
    }
    return Take::Nothing;
}

}  // namespace

void pumpEvents() {
    if (State* s = live()) pump(*s);
}

State& state() {
    static State* s = new State;  // never destroyed: other threads may outlive main
    return *s;
}

State* live() {
    if (!opened.load(std::memory_order_acquire)) return nullptr;
    State& s = state();
    return s.lost.load(std::memory_order_acquire) ? nullptr : &s;
}

void beginTrap(Display* d) {
    if (tlsTrapDepth++ == 0) tlsTrapStart = NextRequest(d);
}

bool endTrap(Display* d) {
    const unsigned long end = NextRequest(d);
    XSync(d, False);
    const unsigned long start = tlsTrapStart;
    --tlsTrapDepth;
    ErrorLog& log = errorLog();
    std::lock_guard lock(log.mutex);
    for (const auto& e : log.ring)
        if (e.code && e.display == d && e.serial >= start && e.serial < end) return false;
    return true;
}

Window* findWindow(State& s, XWin w) {
    auto it = s.windows.find(w);
    return it == s.windows.end() ? nullptr : it->second.get();
}

std::shared_ptr<Queue> currentQueue() {
    thread_local std::shared_ptr<Queue> q;
    if (!q) {
        q = std::make_shared<Queue>();
        q->eventFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        q->waitFd = epoll_create1(EPOLL_CLOEXEC);
        epoll_event ev{};
        ev.events = EPOLLIN;
        epoll_ctl(q->waitFd, EPOLL_CTL_ADD, q->eventFd, &ev);
        State& s = state();
        std::lock_guard lock(s.mutex);
        std::erase_if(s.queues, [](const std::weak_ptr<Queue>& w) { return w.expired(); });
        s.queues.push_back(q);
    }
    watchX(*q);
    return q;
}

void pushEvent(const std::shared_ptr<Queue>& q, const Event& e) {
    std::lock_guard lock(q->mutex);
    q->events.push_back(e);
    uint64_t one = 1;
    (void)!write(q->eventFd, &one, sizeof one);
}

void dropEvents(Queue& q, const Window* w) {
    std::lock_guard lock(q.mutex);
    if (std::erase_if(q.events, [w](const Event& e) { return e.window == w; }) &&
        q.events.empty() && !q.quit) {
        uint64_t v;
        (void)!read(q.eventFd, &v, sizeof v);
    }
}

}  // namespace zu::ws::x11

namespace zu::ws {
using namespace x11;

bool open() {
    if (!opened.load(std::memory_order_acquire)) {
        std::lock_guard lock(openMutex);
        if (!opened.load(std::memory_order_relaxed) && !openGaveUp) doOpen();
    }
    return live() != nullptr;
}
bool displayLost() {
    return opened.load() && state().lost.load(std::memory_order_acquire);
}

bool post(Window* window, unsigned code, uintptr_t a, intptr_t b) {
    State* s = live();
    if (!s || !window) return false;
    Event e;
    e.kind = EventKind::Posted;
    e.window = window;
    e.code = code, e.a = a, e.b = b;
    e.time = static_cast<unsigned>(performanceCounter() / 1000000);
    // Under the state's lock, as deliver() queues.
    std::lock_guard lock(s->mutex);
    if (!s->live.count(window) || !window->owner) return false;
    pushEvent(window->owner, e);
    return true;
}

// 1 message, 0 quit, -1 display lost, -3 time-out. timeoutMs < 0 waits for ever.
int getMessageTimeout(ZuMSG* msg, int timeoutMs) {
    auto q = currentQueue();
    const int64_t deadline = performanceCounter() + int64_t{timeoutMs} * 1000000;
    for (;;) {
        // Whatever is still queued speaks of windows that no longer exist.
        if (displayLost()) return -1;
        if (State* s = live()) pump(*s);
        Event e;
        switch (takeEvent(*q, &e, true)) {
            case Take::Message:
                if (msg) *msg = toMessage(e);
                return 1;
            case Take::Quit:
                if (msg)
                    *msg = ZuMSG{nullptr, WM_QUIT, 0, 0,
                                 static_cast<unsigned>(performanceCounter() / 1000000)};
                return 0;
            case Take::Nothing:
                break;
        }
        int wait = -1;
        if (timeoutMs >= 0) {
            const int64_t left = deadline - performanceCounter();
            if (left <= 0) return -3;
            wait = static_cast<int>((left + 999999) / 1000000);
        }
        pollfd p{q->waitFd, POLLIN, 0};
        poll(&p, 1, wait);
    }
}

bool setCapture(Window* window) {
    State* s = live();
    if (!s || !window) return false;
    {
        std::lock_guard lock(s->mutex);
        s->capture = window->id;
    }
    XGrabPointer(s->dpy, window->id, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                 GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
    // A round trip, not a flush: input that another client (an input method, a test
    // driver) makes after this call must already find the grab in place.
    XSync(s->dpy, False);
    return true;
}

void releaseCapture() {
    State* s = live();
    if (!s) return;
    {
        std::lock_guard lock(s->mutex);
        s->capture = 0;
    }
    XUngrabPointer(s->dpy, CurrentTime);
    XSync(s->dpy, False);  // as for the grab
}

bool cursorPos(Point* p) {
    State* s = live();
    if (!s || !p) return false;
    XWin r, c;
    int rx, ry, wx, wy;
    unsigned mask;
    if (!XQueryPointer(s->dpy, s->root, &r, &c, &rx, &ry, &wx, &wy, &mask)) return false;
    p->x = rx;
    p->y = ry;
    return true;
}

int64_t performanceCounter() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}
int64_t performanceFrequency() {
    return 1000000000;
}

}  // namespace zu::ws

// ---- the public host loop -----------------------------------------------------------------

ZUAPI int ZuGetMessage(ZuMSG* msg) {
    return zu::ws::getMessageTimeout(msg, -1);
}

ZUAPI int ZuPeekMessage(ZuMSG* msg, int remove) {
    using namespace zu::ws::x11;
    auto q = currentQueue();
    if (State* s = live()) pump(*s);
    zu::ws::Event e;
    if (takeEvent(*q, &e, remove != 0) != Take::Message) return 0;
    if (msg) *msg = zu::ws::toMessage(e);
    return 1;
}

ZUAPI intptr_t ZuDispatchMessage(const ZuMSG* msg) {
    using namespace zu::ws;
    if (!msg || !msg->window) return 0;
    zu::ws::Window* w = fromNative(msg->window);
    if (!w) return 0;
    Event e = fromMessage(w, msg->message, msg->wParam, msg->lParam);
    e.time = msg->time;
    if (e.kind == EventKind::Activate) e.other = fromNative(reinterpret_cast<void*>(msg->lParam));
    if (e.kind == EventKind::Drop) e.drop = x11::findDrop(msg->wParam);
    EventProc proc;
    {
        x11::State& s = x11::state();
        std::lock_guard lock(s.mutex);
        if (!s.live.count(w)) return 0;
        proc = w->proc;
    }
    return proc ? proc(e) : defaultProc(e);
}

ZUAPI void ZuPostQuitMessage(int) {
    auto q = zu::ws::x11::currentQueue();
    std::lock_guard lock(q->mutex);
    q->quit = true;
    uint64_t one = 1;
    (void)!write(q->eventFd, &one, sizeof one);
}

ZUAPI int ZuGetMessageFd(void) {
    return zu::ws::x11::currentQueue()->waitFd;
}
