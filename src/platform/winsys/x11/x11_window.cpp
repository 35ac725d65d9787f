// Windows: creation with their surface, destruction, geometry, stacking, monitors.
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/report.h"
#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {
namespace {

unsigned long eventMaskFor(const Window& w, bool input) {
    unsigned long mask = ExposureMask | StructureNotifyMask;
    if (!input) return mask;
    mask |= ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    // Keys go to the focused top-level window, so our children inside it do not select
    // them and their key events propagate up to it. A window inside a host's window is
    // our top, and takes its keys itself; its focus comes and goes with clicks inside the
    // host, whose own window is what the user activates, so it reports no activation.
    if (!w.child) mask |= KeyPressMask | KeyReleaseMask | FocusChangeMask;
    if (w.embedded) mask |= KeyPressMask | KeyReleaseMask;
    return mask;
}

void setTopmostHint(State& s, XWin w, bool on) {
    // Without a window manager the hint has no effect; raising keeps it above anyway.
    XChangeProperty(s.dpy, w, s.netWmState, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&s.netWmStateAbove), on ? 1 : 0);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = s.netWmState;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = on ? 1 : 0;
    ev.xclient.data.l[1] = static_cast<long>(s.netWmStateAbove);
    XSendEvent(s.dpy, s.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
    if (on) XRaiseWindow(s.dpy, w);
}

void collectTree(State& s, Window* w, std::vector<Window*>* out) {
    // Children first, as they are destroyed.
    for (auto& [id, rec] : s.windows)
        if (rec->parent == w) collectTree(s, rec.get(), out);
    out->push_back(w);
}

int clampPos(int v) {
    return std::clamp(v, -32768, 32767);
}

intptr_t callProc(Window* w, const Event& e) {
    return w->proc ? w->proc(e) : defaultProc(e);
}

}  // namespace
}  // namespace zu::ws::x11

namespace zu::ws {
using namespace x11;

Window* createWindow(const WindowDesc& d, Surface** surface) {
    if (surface) *surface = nullptr;
    if (!open()) return nullptr;
    State& s = state();
    XWin parent = s.root;
    auto rec = std::make_unique<Window>();
    if (d.parent) {
        parent = d.parent->id;
        rec->parent = d.parent;
        rec->child = true;
    } else if (d.hostParent) {
        parent = toXWin(d.hostParent);
        rec->child = rec->embedded = true;
    }
    rec->proc = d.proc;
    rec->owner = currentQueue();
    rec->unmanaged = d.unmanaged;
    rec->doubleClicks = d.doubleClicks;
    rec->acceptFiles = false;

    XSetWindowAttributes a{};
    a.colormap = s.colormap;
    a.background_pixel = 0;  // black, the library's background
    a.border_pixel = 0;
    a.override_redirect = d.unmanaged ? True : False;
    a.event_mask = static_cast<long>(eventMaskFor(*rec, d.input));
    const unsigned long valueMask =
        CWColormap | CWBackPixel | CWBorderPixel | CWOverrideRedirect | CWEventMask;
    const unsigned w = static_cast<unsigned>(windowSide(d.width));
    const unsigned h = static_cast<unsigned>(windowSide(d.height));
    XWin win = 0;
    if (!trapErrors(s,
                    [&] {
                        win = XCreateWindow(s.dpy, parent, clampPos(d.x), clampPos(d.y), w, h, 0,
                                            s.visual.depth, InputOutput, s.visual.visual, valueMask,
                                            &a);
                    }) ||
        !win) {
        zu::detail::reportFailure("window %ux%u could not be made in 0x%lx", w, h, parent);
        return nullptr;
    }
    rec->id = win;

    if (!rec->child) {
        XSetWMProtocols(s.dpy, win, &s.wmDeleteWindow, 1);
        XClassHint ch{const_cast<char*>("zugui"), const_cast<char*>("zugui")};
        XSetClassHint(s.dpy, win, &ch);
        XSizeHints sh{};
        sh.flags = USPosition | USSize | PPosition | PSize;
        sh.x = d.x;
        sh.y = d.y;
        sh.width = static_cast<int>(w);
        sh.height = static_cast<int>(h);
        XSetWMNormalHints(s.dpy, win, &sh);
        // Frameless: ask the window manager for no decorations.
        long hints[5] = {2, 0, 0, 0, 0};
        XChangeProperty(s.dpy, win, s.motifWmHints, s.motifWmHints, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(hints), 5);
        if (d.owner) XSetTransientForHint(s.dpy, win, toXWin(d.owner));
    }
    if (d.caption) {
        XStoreName(s.dpy, win, d.caption);
        XChangeProperty(s.dpy, win, s.netWmName, s.utf8String, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(d.caption),
                        static_cast<int>(strlen(d.caption)));
    }
    applyLook(s, win, d.cursor, d.icon);
    rec->activateOnMap = d.visible && !rec->child && !d.unmanaged;
    Window* raw = rec.get();
    if (d.surface) {
        Surface* sf = surfaceFor(s, win, s.visual.visualid);
        if (!sf) {
            XDestroyWindow(s.dpy, win);
            XFlush(s.dpy);
            return nullptr;
        }
        if (surface) *surface = sf;
    }
    {
        std::lock_guard lock(s.mutex);
        s.live.insert(raw);
        s.windows.emplace(win, std::move(rec));
    }
    Event e;
    e.kind = EventKind::Create;
    e.window = raw;
    callProc(raw, e);
    if (d.visible) XMapRaised(s.dpy, win);
    XSync(s.dpy, False);
    return raw;
}

void destroyWindow(Window* window) {
    State* s = live();
    if (!s || !window) return;
    std::vector<Window*> gone;
    {
        std::lock_guard lock(s->mutex);
        if (!s->live.count(window)) return;
        collectTree(*s, window, &gone);
    }
    for (Window* w : gone) {
        Event e;
        e.kind = EventKind::Destroy;
        e.window = w;
        callProc(w, e);
    }
    bool releaseGrab = false;
    const XWin id = window->id;
    for (Window* g : gone) inputMethodForget(g->id);
    std::vector<std::unique_ptr<Window>> freed;
    {
        std::lock_guard lock(s->mutex);
        for (Window* g : gone) {
            if (s->capture == g->id) s->capture = 0, releaseGrab = true;
            if (g->lastDrop) s->drops.erase(g->lastDrop.get());
            s->live.erase(g);
            auto node = s->windows.extract(g->id);
            if (!node.empty()) freed.push_back(std::move(node.mapped()));
        }
    }
    // Events queued for these windows (posts, input not yet taken) would name them once freed;
    // nothing queues for them any more now that they are out of the table.
    for (auto& w : freed)
        if (w->owner) dropEvents(*w->owner, w.get());
    if (releaseGrab) XUngrabPointer(s->dpy, CurrentTime);
    focusWindowGone(*s, id);
    trapErrors(*s, [&] { XDestroyWindow(s->dpy, id); });
}

intptr_t defaultProc(const Event& e) {
    switch (e.kind) {
        case EventKind::Close:
            destroyWindow(e.window);
            return 0;
        case EventKind::Paint:
            return 1;  // the background is black by construction
        default:
            return 0;
    }
}

void* nativeHandle(const Window* window) {
    return window ? toHandle(window->id) : nullptr;
}

Window* fromNative(void* handle) {
    State* s = live();
    if (!s || !handle) return nullptr;
    std::lock_guard lock(s->mutex);
    return findWindow(*s, toXWin(handle));
}

bool nativeWindowExists(void* handle) {
    State* s = live();
    if (!s || !handle) return false;
    XWindowAttributes wa{};
    return trapErrors(*s, [&] { XGetWindowAttributes(s->dpy, toXWin(handle), &wa); }) &&
           wa.screen != nullptr;
}

bool show(Window* window, bool activate) {
    State* s = live();
    if (!s || !window) return false;
    if (activate && !window->child && !window->unmanaged && !isVisible(window)) {
        std::lock_guard lock(s->mutex);
        window->activateOnMap = true;
    }
    return trapErrors(*s, [&] { XMapRaised(s->dpy, window->id); });
}

bool hide(Window* window) {
    State* s = live();
    if (!s || !window) return false;
    return trapErrors(*s, [&] { XUnmapWindow(s->dpy, window->id); });
}

bool minimize(Window* window) {
    State* s = live();
    if (!s || !window) return false;
    return trapErrors(*s, [&] { XIconifyWindow(s->dpy, window->id, s->screen); });
}

bool isVisible(Window* window) {
    State* s = live();
    if (!s || !window) return false;
    XWindowAttributes wa{};
    if (!trapErrors(*s, [&] { XGetWindowAttributes(s->dpy, window->id, &wa); })) return false;
    return wa.map_state == IsViewable;
}

bool setGeometry(Window* window, int x, int y, int width, int height) {
    State* s = live();
    if (!s || !window) return false;
    return trapErrors(*s, [&] {
        XMoveResizeWindow(s->dpy, window->id, clampPos(x), clampPos(y),
                          static_cast<unsigned>(windowSide(width)),
                          static_cast<unsigned>(windowSide(height)));
    });
}

bool move(Window* window, int x, int y) {
    State* s = live();
    if (!s || !window) return false;
    return trapErrors(*s, [&] { XMoveWindow(s->dpy, window->id, clampPos(x), clampPos(y)); });
}

bool raise(Window* window, bool topmost) {
    State* s = live();
    if (!s || !window) return false;
    const bool change = window->topmost != topmost || topmost;
    window->topmost = topmost;
    return trapErrors(*s, [&] {
        if (change)
            setTopmostHint(*s, window->id, topmost);
        else
            XRaiseWindow(s->dpy, window->id);
    });
}

bool windowRect(Window* window, Rect* r) {
    State* s = live();
    if (!s || !window || !r) return false;
    XWin rootRet, childRet;
    int x = 0, y = 0, sx = 0, sy = 0;
    unsigned w = 0, h = 0, bw = 0, depth = 0;
    const bool ok = trapErrors(*s, [&] {
        XGetGeometry(s->dpy, window->id, &rootRet, &x, &y, &w, &h, &bw, &depth);
        XTranslateCoordinates(s->dpy, window->id, s->root, 0, 0, &sx, &sy, &childRet);
    });
    if (!ok) return false;
    *r = Rect{sx, sy, sx + static_cast<int>(w), sy + static_cast<int>(h)};
    return true;
}

// ---- monitors ----------------------------------------------------------------------------

namespace {

std::vector<MonitorInfo> readMonitors(State& s) {
    {
        std::lock_guard lock(s.mutex);
        if (s.useTestMonitors) return s.testMonitors;
    }
    std::vector<MonitorInfo> out;
    int n = 0;
    XRRMonitorInfo* m = XRRGetMonitors(s.dpy, s.root, True, &n);
    for (int i = 0; m && i < n; ++i) {
        MonitorInfo mi;
        mi.monitor = Rect{m[i].x, m[i].y, m[i].x + m[i].width, m[i].y + m[i].height};
        mi.work = mi.monitor;
        mi.primary = m[i].primary != 0;
        out.push_back(mi);
    }
    if (m) XRRFreeMonitors(m);
    if (out.empty()) {
        MonitorInfo mi;
        mi.monitor = Rect{0, 0, DisplayWidth(s.dpy, s.screen), DisplayHeight(s.dpy, s.screen)};
        mi.work = mi.monitor;
        out.push_back(mi);
    }
    if (std::none_of(out.begin(), out.end(), [](auto& x) { return x.primary; }))
        out[0].primary = true;
    // The window manager's work area (one rectangle for the desktop), cut to each monitor.
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(s.dpy, s.root, s.netWorkarea, 0, 4, False, XA_CARDINAL, &type,
                           &format, &count, &after, &data) == Success &&
        data && count >= 4 && format == 32) {
        const long* v = reinterpret_cast<const long*>(data);
        const Rect wa{static_cast<int>(v[0]), static_cast<int>(v[1]),
                      static_cast<int>(v[0] + v[2]), static_cast<int>(v[1] + v[3])};
        for (auto& mi : out) {
            Rect r{std::max(mi.monitor.left, wa.left), std::max(mi.monitor.top, wa.top),
                   std::min(mi.monitor.right, wa.right), std::min(mi.monitor.bottom, wa.bottom)};
            if (r.right > r.left && r.bottom > r.top) mi.work = r;
        }
    }
    if (data) XFree(data);
    return out;
}

long long distanceSq(const Rect& r, Point p) {
    const long long dx = p.x < r.left ? r.left - p.x : p.x >= r.right ? p.x - r.right + 1 : 0;
    const long long dy = p.y < r.top ? r.top - p.y : p.y >= r.bottom ? p.y - r.bottom + 1 : 0;
    return dx * dx + dy * dy;
}

}  // namespace

bool monitorAt(Point p, MonitorInfo* info) {
    State* s = live();
    if (!s || !info) return false;
    const auto mons = readMonitors(*s);
    if (mons.empty()) return false;
    size_t nearest = 0;
    long long best = LLONG_MAX;
    for (size_t i = 0; i < mons.size(); ++i) {
        const long long d = distanceSq(mons[i].monitor, p);
        if (d < best) best = d, nearest = i;
    }
    *info = mons[nearest];
    return true;
}

void setMonitorsForTesting(const std::vector<MonitorInfo>& monitors) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.testMonitors = monitors;
    s.useTestMonitors = !monitors.empty();
}

int screenWidth() {
    State* s = live();
    return s ? DisplayWidth(s->dpy, s->screen) : 0;
}
int screenHeight() {
    State* s = live();
    return s ? DisplayHeight(s->dpy, s->screen) : 0;
}

}  // namespace zu::ws

namespace {
// The primary monitor's size, or 0 x 0 without a display.
zu::ws::Rect primaryRect() {
    zu::ws::x11::State* s = zu::ws::open() ? zu::ws::x11::live() : nullptr;
    if (!s) return {};
    for (const auto& m : zu::ws::readMonitors(*s))
        if (m.primary) return m.monitor;
    return {};
}
}  // namespace

ZUAPI int ZuGetPrimaryDisplayXSize() {
    return primaryRect().width();
}
ZUAPI int ZuGetPrimaryDisplayYSize() {
    return primaryRect().height();
}
