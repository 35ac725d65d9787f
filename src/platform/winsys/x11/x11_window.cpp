// Window classes, windows and their procedures, geometry, monitors.
#include <X11/Xatom.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {

unsigned long eventMaskFor(const WinRec& w) {
    unsigned long mask = ExposureMask | StructureNotifyMask | ButtonPressMask |
                         ButtonReleaseMask | PointerMotionMask;
    // Keys go to the focused top-level window, as in the classic model, so children do
    // not select them and key events propagate up to their top-level window.
    if (!w.child) mask |= KeyPressMask | KeyReleaseMask | FocusChangeMask;
    return mask;
}

namespace {

void setTopmostHint(State& s, Window w, bool on) {
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

void forgetTree(State& s, Window w, std::vector<Window>* gone) {
    // Children first, as the classic model destroys them.
    std::vector<Window> kids;
    for (auto& [id, rec] : s.windows)
        if (rec->parent == w && rec->child) kids.push_back(id);
    for (Window k : kids) forgetTree(s, k, gone);
    gone->push_back(w);
}

}  // namespace
}  // namespace zu::ws::x11

namespace zu::ws {
using namespace x11;

namespace {
int clampPos(int v) {
    return std::clamp(v, -32768, 32767);
}
}  // namespace

int registerClass(const WindowClass& wc) {
    setLastError(0);
    if (!wc.name || !*wc.name || !wc.proc) return -2;
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.classes.count(wc.name)) {
        setLastError(ERROR_CLASS_ALREADY_EXISTS);
        return -2;
    }
    auto c = std::make_shared<ClassRec>();
    c->name = wc.name;
    c->proc = wc.proc;
    c->styles = wc.styles;
    c->cursor = wc.cursor;
    c->icon = wc.icon;
    c->iconSmall = wc.iconSmall;
    s.classes.emplace(c->name, std::move(c));
    return 0;
}

int unregisterClass(const char* name) {
    if (!name) return -2;
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.classes.find(name);
    if (it == s.classes.end()) {
        setLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return -2;
    }
    // Windows of the class keep their shared record until they are destroyed.
    s.classes.erase(it);
    return 0;
}

void* createWindow(const CreateWindowParams& p) {
    if (!open() || !p.className) return nullptr;
    State& s = state();
    std::shared_ptr<ClassRec> cls;
    Window parent = s.root;
    const bool child = (p.style & WS_CHILD) != 0;
    {
        std::lock_guard lock(s.mutex);
        auto it = s.classes.find(p.className);
        if (it == s.classes.end()) {
            setLastError(ERROR_CLASS_DOES_NOT_EXIST);
            return nullptr;
        }
        cls = it->second;
        if (child) {
            if (!p.parent || !findWindow(s, toWindow(p.parent))) {
                setLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
            parent = toWindow(p.parent);
        }
    }
    auto rec = std::make_unique<WinRec>();
    rec->cls = cls;
    rec->proc = cls->proc;
    rec->owner = currentQueue();
    rec->child = child;
    rec->override = (p.exStyle & WS_EX_OVERRIDE) != 0;
    rec->parent = child ? parent : 0;
    rec->acceptFiles = (p.exStyle & WS_EX_ACCEPTFILES) != 0;

    XSetWindowAttributes a{};
    a.colormap = s.colormap;
    a.background_pixel = 0;  // black, the library's background brush
    a.border_pixel = 0;
    a.override_redirect = rec->override ? True : False;
    a.event_mask = eventMaskFor(*rec);
    const unsigned long valueMask = CWColormap | CWBackPixel | CWBorderPixel |
                                    CWOverrideRedirect | CWEventMask;
    const unsigned w = static_cast<unsigned>(windowSide(p.width));
    const unsigned h = static_cast<unsigned>(windowSide(p.height));
    Window win = 0;
    if (!trapErrors(s, [&] {
            win = XCreateWindow(s.dpy, parent, clampPos(p.x), clampPos(p.y), w, h, 0,
                                s.visual.depth, InputOutput,
                                s.visual.visual, valueMask, &a);
        }) || !win)
        return nullptr;
    rec->id = win;

    if (!child) {
        XSetWMProtocols(s.dpy, win, &s.wmDeleteWindow, 1);
        XClassHint ch{const_cast<char*>(cls->name.c_str()), const_cast<char*>("zugui")};
        XSetClassHint(s.dpy, win, &ch);
        XSizeHints sh{};
        sh.flags = USPosition | USSize | PPosition | PSize;
        sh.x = p.x;
        sh.y = p.y;
        sh.width = static_cast<int>(w);
        sh.height = static_cast<int>(h);
        XSetWMNormalHints(s.dpy, win, &sh);
        if (p.style & WS_POPUP && !(p.style & WS_CAPTION)) {
            // Frameless: ask the window manager for no decorations.
            long hints[5] = {2, 0, 0, 0, 0};
            XChangeProperty(s.dpy, win, s.motifWmHints, s.motifWmHints, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(hints), 5);
        }
        if (p.parent) XSetTransientForHint(s.dpy, win, toWindow(p.parent));
        if (p.exStyle & WS_EX_TOPMOST) {
            rec->topmost = true;
            setTopmostHint(s, win, true);
        }
    }
    applyClassLook(s, win, *cls);
    const bool visible = (p.style & WS_VISIBLE) != 0;
    rec->activateOnMap = visible && !child && !rec->override;
    WinRec* raw = rec.get();
    {
        std::lock_guard lock(s.mutex);
        s.windows.emplace(win, std::move(rec));
    }
    if (p.caption) setWindowText(toHandle(win), p.caption);
    if (raw->acceptFiles) dndWindowAccepts(s, win, true);
    callWindowProc(cls->proc, toHandle(win), WM_CREATE, 0, 0);
    if (visible) XMapRaised(s.dpy, win);
    XSync(s.dpy, False);
    return toHandle(win);
}

bool destroyWindow(void* window) {
    State* s = live();
    if (!s || !window) return false;
    std::vector<Window> gone;
    std::vector<std::pair<Window, WndProc>> notify;
    {
        std::lock_guard lock(s->mutex);
        WinRec* r = findWindow(*s, toWindow(window));
        if (!r || r->adopted) {
            setLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        forgetTree(*s, r->id, &gone);
        for (Window g : gone) notify.emplace_back(g, s->windows[g]->proc);
    }
    for (auto& [w, proc] : notify) callWindowProc(proc, toHandle(w), WM_DESTROY, 0, 0);
    bool releaseGrab = false;
    {
        std::lock_guard lock(s->mutex);
        for (Window g : gone) {
            if (s->capture == g) s->capture = 0, releaseGrab = true;
            auto it = s->windows.find(g);
            if (it == s->windows.end()) continue;
            if (it->second->dc) s->dcs.erase(it->second->dc);
            s->windows.erase(it);
        }
    }
    if (releaseGrab) XUngrabPointer(s->dpy, CurrentTime);
    trapErrors(*s, [&] { XDestroyWindow(s->dpy, toWindow(window)); });
    return true;
}

bool isWindow(void* window) {
    State* s = live();
    if (!s || !window) return false;
    std::lock_guard lock(s->mutex);
    return findWindow(*s, toWindow(window)) != nullptr;
}

bool adoptWindow(void* window) {
    if (!open() || !window) return false;
    State& s = state();
    const Window w = toWindow(window);
    XWindowAttributes wa{};
    if (!trapErrors(s, [&] { XGetWindowAttributes(s.dpy, w, &wa); }) || wa.screen == nullptr)
        return false;
    {
        std::lock_guard lock(s.mutex);
        if (findWindow(s, w)) return true;
    }
    auto rec = std::make_unique<WinRec>();
    rec->id = w;
    rec->adopted = true;
    rec->proc = defWindowProc;
    rec->owner = currentQueue();
    Window rootRet = 0, parentRet = 0, *kids = nullptr;
    unsigned nkids = 0;
    if (XQueryTree(s.dpy, w, &rootRet, &parentRet, &kids, &nkids) && kids) XFree(kids);
    rec->child = parentRet != 0 && parentRet != s.root;
    const unsigned long want = eventMaskFor(*rec) | wa.your_event_mask;
    // Only one client may select button presses on a window; when the host already
    // does, take everything else rather than fail.
    if (!trapErrors(s, [&] { XSelectInput(s.dpy, w, static_cast<long>(want)); })) {
        trapErrors(s, [&] {
            XSelectInput(s.dpy, w, static_cast<long>(want & ~ButtonPressMask));
        });
    }
    std::lock_guard lock(s.mutex);
    s.windows.emplace(w, std::move(rec));
    return true;
}

bool releaseAdoptedWindow(void* window) {
    State* s = live();
    if (!s || !window) return false;
    {
        std::lock_guard lock(s->mutex);
        auto it = s->windows.find(toWindow(window));
        if (it == s->windows.end() || !it->second->adopted) return false;
        if (it->second->dc) s->dcs.erase(it->second->dc);
        if (s->capture == it->first) s->capture = 0;
        s->windows.erase(it);
    }
    trapErrors(*s, [&] { XSelectInput(s->dpy, toWindow(window), NoEventMask); });
    return true;
}

WndProc getWindowProc(void* window) {
    State* s = live();
    if (!s || !window) return nullptr;
    std::lock_guard lock(s->mutex);
    WinRec* r = findWindow(*s, toWindow(window));
    return r ? r->proc : nullptr;
}

WndProc setWindowProc(void* window, WndProc proc) {
    State* s = live();
    if (!s || !window || !proc) return nullptr;
    std::lock_guard lock(s->mutex);
    WinRec* r = findWindow(*s, toWindow(window));
    if (!r) return nullptr;
    WndProc old = r->proc;
    r->proc = proc;
    return old;
}

intptr_t callWindowProc(WndProc proc, void* window, unsigned message, uintptr_t wParam,
                        intptr_t lParam) {
    if (!proc) return 0;
    return proc(window, message, wParam, lParam);
}

intptr_t defWindowProc(void* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    (void)lParam;
    switch (message) {
        case WM_CLOSE:
            destroyWindow(window);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the background is black by construction
        case WM_DROPFILES:
            dragFinish(reinterpret_cast<void*>(wParam));
            return 0;
        default:
            return 0;
    }
}

bool showWindow(void* window, int command) {
    State* s = live();
    if (!s || !window) return false;
    const Window w = toWindow(window);
    bool wasVisible = isWindowVisible(window);
    return trapErrors(*s, [&] {
               switch (command) {
                   case SW_HIDE:
                       XUnmapWindow(s->dpy, w);
                       break;
                   case SW_MINIMIZE:
                   case SW_SHOWMINIMIZED:
                       XIconifyWindow(s->dpy, w, s->screen);
                       break;
                   case SW_SHOWNOACTIVATE:
                   case SW_SHOWNA:
                       XMapRaised(s->dpy, w);
                       break;
                   default: {
                       {
                           std::lock_guard lock(s->mutex);
                           WinRec* r = findWindow(*s, w);
                           if (r && !r->child && !r->override && !wasVisible)
                               r->activateOnMap = true;
                       }
                       XMapRaised(s->dpy, w);
                   }
               }
           });
}

bool setWindowPos(void* window, void* insertAfter, int x, int y, int width, int height,
                  unsigned flags) {
    State* s = live();
    if (!s || !window) return false;
    const Window w = toWindow(window);
    bool topmostChange = false, topmost = false;
    {
        std::lock_guard lock(s->mutex);
        WinRec* r = findWindow(*s, w);
        if (!r) return false;
        if (!(flags & SWP_NOZORDER) && (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST)) {
            topmost = insertAfter == HWND_TOPMOST;
            topmostChange = r->topmost != topmost || topmost;
            r->topmost = topmost;
        }
    }
    return trapErrors(*s, [&] {
        XWindowChanges c{};
        unsigned mask = 0;
        if (!(flags & SWP_NOMOVE)) c.x = clampPos(x), c.y = clampPos(y), mask |= CWX | CWY;
        if (!(flags & SWP_NOSIZE)) {
            c.width = windowSide(width);
            c.height = windowSide(height);
            mask |= CWWidth | CWHeight;
        }
        if (!(flags & SWP_NOZORDER) && !topmostChange) {
            c.stack_mode = insertAfter == HWND_BOTTOM ? Below : Above;
            mask |= CWStackMode;
        }
        if (mask) XConfigureWindow(s->dpy, w, mask, &c);
        if (topmostChange) setTopmostHint(*s, w, topmost);
        if (flags & SWP_SHOWWINDOW) XMapRaised(s->dpy, w);
        if (flags & SWP_HIDEWINDOW) XUnmapWindow(s->dpy, w);
    });
}

bool getWindowRect(void* window, Rect* r) {
    State* s = live();
    if (!s || !window || !r) return false;
    Window rootRet, childRet;
    int x = 0, y = 0, sx = 0, sy = 0;
    unsigned w = 0, h = 0, bw = 0, depth = 0;
    const bool ok = trapErrors(*s, [&] {
        XGetGeometry(s->dpy, toWindow(window), &rootRet, &x, &y, &w, &h, &bw, &depth);
        XTranslateCoordinates(s->dpy, toWindow(window), s->root, 0, 0, &sx, &sy, &childRet);
    });
    if (!ok) return false;
    *r = Rect{sx, sy, sx + static_cast<int>(w), sy + static_cast<int>(h)};
    return true;
}

bool getClientRect(void* window, Rect* r) {
    State* s = live();
    if (!s || !window || !r) return false;
    Window rootRet;
    int x = 0, y = 0;
    unsigned w = 0, h = 0, bw = 0, depth = 0;
    if (!trapErrors(*s, [&] {
            XGetGeometry(s->dpy, toWindow(window), &rootRet, &x, &y, &w, &h, &bw, &depth);
        }))
        return false;
    *r = Rect{0, 0, static_cast<int>(w), static_cast<int>(h)};
    return true;
}

bool clientToScreen(void* window, Point* p) {
    State* s = live();
    if (!s || !window || !p) return false;
    Window c;
    int x = 0, y = 0;
    if (!trapErrors(*s, [&] {
            XTranslateCoordinates(s->dpy, toWindow(window), s->root, p->x, p->y, &x, &y, &c);
        }))
        return false;
    *p = Point{x, y};
    return true;
}

bool screenToClient(void* window, Point* p) {
    State* s = live();
    if (!s || !window || !p) return false;
    Window c;
    int x = 0, y = 0;
    if (!trapErrors(*s, [&] {
            XTranslateCoordinates(s->dpy, s->root, toWindow(window), p->x, p->y, &x, &y, &c);
        }))
        return false;
    *p = Point{x, y};
    return true;
}

bool isWindowVisible(void* window) {
    State* s = live();
    if (!s || !window) return false;
    XWindowAttributes wa{};
    if (!trapErrors(*s, [&] { XGetWindowAttributes(s->dpy, toWindow(window), &wa); }))
        return false;
    return wa.map_state == IsViewable;
}

bool isTopmost(void* window) {
    State* s = live();
    if (!s || !window) return false;
    std::lock_guard lock(s->mutex);
    WinRec* r = findWindow(*s, toWindow(window));
    return r && r->topmost;
}

bool setWindowText(void* window, const char* text) {
    State* s = live();
    if (!s || !window || !text) return false;
    return trapErrors(*s, [&] {
        XStoreName(s->dpy, toWindow(window), text);
        XChangeProperty(s->dpy, toWindow(window), s->netWmName, s->utf8String, 8,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(text),
                        static_cast<int>(strlen(text)));
    });
}

void* getParent(void* window) {
    State* s = live();
    if (!s || !window) return nullptr;
    std::lock_guard lock(s->mutex);
    WinRec* r = findWindow(*s, toWindow(window));
    return r ? toHandle(r->parent) : nullptr;
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

void* monitorFromPoint(Point p, unsigned flags) {
    State* s = live();
    if (!s) return nullptr;
    const auto mons = readMonitors(*s);
    size_t nearest = 0, primary = 0;
    long long best = LLONG_MAX;
    for (size_t i = 0; i < mons.size(); ++i) {
        const long long d = distanceSq(mons[i].monitor, p);
        if (d == 0) return reinterpret_cast<void*>(i + 1);
        if (d < best) best = d, nearest = i;
        if (mons[i].primary) primary = i;
    }
    if (mons.empty() || flags == MONITOR_DEFAULTTONULL) return nullptr;
    return reinterpret_cast<void*>((flags == MONITOR_DEFAULTTOPRIMARY ? primary : nearest) + 1);
}

bool getMonitorInfo(void* monitor, MonitorInfo* info) {
    State* s = live();
    if (!s || !monitor || !info) return false;
    const auto mons = readMonitors(*s);
    const size_t i = reinterpret_cast<uintptr_t>(monitor) - 1;
    if (i >= mons.size()) return false;
    *info = mons[i];
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
zu::ws::Rect primaryMonitor() {
    zu::ws::MonitorInfo mi;
    if (!zu::ws::open()) return {};
    for (uintptr_t i = 1; zu::ws::getMonitorInfo(reinterpret_cast<void*>(i), &mi); ++i)
        if (mi.primary) return mi.monitor;
    return {};
}
}  // namespace

ZUAPI int ZuGetPrimaryDisplayXSize() { return primaryMonitor().width(); }
ZUAPI int ZuGetPrimaryDisplayYSize() { return primaryMonitor().height(); }
