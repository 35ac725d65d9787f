// Drop target side of the XDND protocol (version 5, text/uri-list), turning a drop into a
// Drop event whose record the window keeps until its next drop.
#include <X11/Xatom.h>

#include <cstring>

#include "platform/winsys/uri_list.h"
#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {
namespace {

constexpr long kXdndVersion = 5;

struct DragState {
    XWin source = 0;  // 0: no drag in progress
    XWin toplevel = 0;
    XWin target = 0;  // the accepting window under the pointer, 0 when none
    bool haveUriList = false;
    bool converting = false;  // the drop's data was asked for and has not come yet
    long version = 0;
};
DragState drag;  // one drag at a time; touched only by the thread reading events

XWin topLevelOf(State& s, XWin w) {
    for (;;) {
        XWin root = 0, parent = 0, *kids = nullptr;
        unsigned n = 0;
        if (!XQueryTree(s.dpy, w, &root, &parent, &kids, &n)) return w;
        if (kids) XFree(kids);
        if (parent == 0 || parent == root) return w;
        w = parent;
    }
}

// The deepest window of ours under the root point that accepts files, walking up from
// the deepest window there. The top-level may have gone since the drag entered it.
XWin acceptingWindowAt(State& s, XWin toplevel, int rx, int ry) {
    std::vector<XWin> path{toplevel};
    XWin from = s.root, to = toplevel, child = 0;
    int x = rx, y = ry, tx = 0, ty = 0;
    trapErrors(s, [&] {
        for (int depth = 0; depth < 64; ++depth) {
            if (!XTranslateCoordinates(s.dpy, from, to, x, y, &tx, &ty, &child) || !child) break;
            path.push_back(child);
            from = to;
            to = child;
            x = tx;
            y = ty;
        }
    });
    std::lock_guard lock(s.mutex);
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        Window* r = findWindow(s, *it);
        if (r && r->acceptFiles) return *it;
    }
    return 0;
}

void sendToSource(State& s, Atom type, long l1, long l2, long l3, long l4) {
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.display = s.dpy;
    ev.xclient.window = drag.source;
    ev.xclient.message_type = type;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(drag.toplevel);
    ev.xclient.data.l[1] = l1;
    ev.xclient.data.l[2] = l2;
    ev.xclient.data.l[3] = l3;
    ev.xclient.data.l[4] = l4;
    // The source is another client's window: it may be gone, or never have existed.
    trapErrors(s, [&] { XSendEvent(s.dpy, drag.source, False, NoEventMask, &ev); });
}

void finish(State& s, bool ok) {
    if (drag.version >= 2)
        sendToSource(s, s.xdndFinished, ok ? 1 : 0, ok ? static_cast<long>(s.xdndActionCopy) : 0,
                     0, 0);
    drag = DragState{};
}

bool sourceOffersUriList(State& s, const XClientMessageEvent& ev) {
    if (ev.data.l[1] & 1) {  // more than three types: read the source's type list
        Atom type;
        int format;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        bool found = false;
        beginTrap(s.dpy);
        if (XGetWindowProperty(s.dpy, static_cast<XWin>(ev.data.l[0]), s.xdndTypeList, 0, 1024,
                               False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
            data && format == 32) {
            const Atom* atoms = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < count; ++i) found |= atoms[i] == s.uriList;
        }
        endTrap(s.dpy);
        if (data) XFree(data);
        return found;
    }
    for (int i = 2; i <= 4; ++i)
        if (static_cast<Atom>(ev.data.l[i]) == s.uriList) return true;
    return false;
}

}  // namespace

void dndInit(State& s) {
    auto a = [&](const char* n) { return XInternAtom(s.dpy, n, False); };
    s.xdndAware = a("XdndAware");
    s.xdndEnter = a("XdndEnter");
    s.xdndPosition = a("XdndPosition");
    s.xdndStatus = a("XdndStatus");
    s.xdndLeave = a("XdndLeave");
    s.xdndDrop = a("XdndDrop");
    s.xdndFinished = a("XdndFinished");
    s.xdndSelection = a("XdndSelection");
    s.xdndActionCopy = a("XdndActionCopy");
    s.xdndTypeList = a("XdndTypeList");
    s.uriList = a("text/uri-list");
    s.dropProperty = a("_ZUGUI_DROP");
}

void dndWindowAccepts(State& s, XWin w, bool accept) {
    {
        std::lock_guard lock(s.mutex);
        if (Window* r = findWindow(s, w)) r->acceptFiles = accept;
    }
    // The protocol talks to top-level windows; the awareness mark stays once set, and
    // windows that do not accept simply refuse the drop.
    if (!accept) return;
    const XWin top = topLevelOf(s, w);
    Atom version = kXdndVersion;
    beginTrap(s.dpy);
    XChangeProperty(s.dpy, top, s.xdndAware, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&version), 1);
    endTrap(s.dpy);
}

bool dndHandleClientMessage(State& s, const XClientMessageEvent& ev) {
    const Atom t = ev.message_type;
    if (t == s.xdndEnter) {
        drag = DragState{};
        if (ev.data.l[0] == 0) return true;  // no source to talk to: no drag
        drag.source = static_cast<XWin>(ev.data.l[0]);
        drag.toplevel = ev.window;
        drag.version = (ev.data.l[1] >> 24) & 0xFF;
        drag.haveUriList = sourceOffersUriList(s, ev);
        return true;
    }
    // Messages of any other source, or outside a drag, are not ours to answer.
    const bool fromSource = drag.source != 0 && static_cast<XWin>(ev.data.l[0]) == drag.source;
    if (t == s.xdndPosition) {
        if (!fromSource) return true;
        const int rx = static_cast<int>((ev.data.l[2] >> 16) & 0xFFFF);
        const int ry = static_cast<int>(ev.data.l[2] & 0xFFFF);
        drag.target = drag.haveUriList ? acceptingWindowAt(s, drag.toplevel, rx, ry) : 0;
        const bool ok = drag.target != 0;
        sendToSource(s, s.xdndStatus, ok ? 1 : 0, 0, 0, ok ? static_cast<long>(s.xdndActionCopy) : 0);
        return true;
    }
    if (t == s.xdndLeave) {
        if (fromSource) drag = DragState{};
        return true;
    }
    if (t == s.xdndDrop) {
        if (!fromSource || drag.converting) return true;
        if (!drag.target) {
            finish(s, false);
            return true;
        }
        const Time time = drag.version >= 1 ? static_cast<Time>(ev.data.l[2]) : CurrentTime;
        const bool asked = trapErrors(s, [&] {
            XConvertSelection(s.dpy, s.xdndSelection, s.uriList, s.dropProperty, drag.toplevel,
                              time);
        });
        if (asked)
            drag.converting = true;
        else
            finish(s, false);
        return true;
    }
    return false;
}

bool dndHandleSelectionNotify(State& s, const XSelectionEvent& ev) {
    // Only the answer to our own request: any client may send a forged notice naming
    // another window and property, which must be neither read nor deleted.
    if (ev.selection != s.xdndSelection || !drag.converting || ev.requestor != drag.toplevel)
        return false;
    if (ev.property != s.dropProperty) {
        finish(s, false);
        return true;
    }
    std::string text;
    long offset = 0;
    trapErrors(s, [&] {
        for (;;) {
            Atom type;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            if (XGetWindowProperty(s.dpy, ev.requestor, ev.property, offset, 65536, False,
                                   AnyPropertyType, &type, &format, &count, &after,
                                   &data) != Success)
                break;
            // A uri-list is bytes; items of 16 or 32 bits are not one.
            if (data && format == 8) text.append(reinterpret_cast<char*>(data), count);
            if (data) XFree(data);
            offset += static_cast<long>(count / 4);
            if (format != 8 || after == 0 || text.size() > (1u << 24)) break;
        }
        XDeleteProperty(s.dpy, ev.requestor, ev.property);
    });
    auto rec = std::make_unique<Drop>();
    rec->files = parseUriList(text);
    const bool any = !rec->files.empty();
    if (any) {
        Event e;
        e.kind = EventKind::Drop;
        e.drop = rec.get();
        e.time = static_cast<unsigned>(ev.time);
        {
            std::lock_guard lock(s.mutex);
            if (Window* r = findWindow(s, drag.target)) {
                // The window keeps its latest drop; an earlier one still queued is gone.
                if (r->lastDrop) s.drops.erase(r->lastDrop.get());
                s.drops.insert(rec.get());
                r->lastDrop = std::move(rec);
                e.window = r;
                // Under the lock: a window destroyed meanwhile takes the event with it.
                if (r->owner) pushEvent(r->owner, e);
            }
        }
    }
    finish(s, any);
    return true;
}

Drop* findDrop(uintptr_t handle) {
    State& s = state();
    auto* d = reinterpret_cast<Drop*>(handle);
    std::lock_guard lock(s.mutex);
    return s.drops.count(d) ? d : nullptr;
}

}  // namespace zu::ws::x11

namespace zu::ws {
using namespace x11;

bool acceptFiles(Window* window, bool accept) {
    State* s = live();
    if (!s || !window) return false;
    dndWindowAccepts(*s, window->id, accept);
    return true;
}

size_t dropCount(const Drop* drop) {
    return drop ? drop->files.size() : 0;
}

const std::u16string* dropPath(const Drop* drop, size_t index) {
    return drop && index < drop->files.size() ? &drop->files[index] : nullptr;
}

const Drop* lastDrop(Window* window) {
    State* s = live();
    if (!s || !window) return nullptr;
    std::lock_guard lock(s->mutex);
    return s->live.count(window) ? window->lastDrop.get() : nullptr;
}

}  // namespace zu::ws
