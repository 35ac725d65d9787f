// An XDND drag source on a connection of its own: enters, positions, drops a uri-list
// and answers the target's selection request, as a file manager would.
#pragma once

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/winsys/winsys.h"

namespace zu::test {

struct XdndSource {
    Display* d = XOpenDisplay(nullptr);
    Window win = 0;
    Atom aware, enter, position, status, drop, finished, selection, copy, uriList;
    std::atomic<bool> accepted{false}, finishedOk{false}, done{false};

    XdndSource() {
        win = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        auto a = [&](const char* n) { return XInternAtom(d, n, False); };
        aware = a("XdndAware"), enter = a("XdndEnter"), position = a("XdndPosition");
        status = a("XdndStatus"), drop = a("XdndDrop"), finished = a("XdndFinished");
        selection = a("XdndSelection"), copy = a("XdndActionCopy"), uriList = a("text/uri-list");
        XSetSelectionOwner(d, selection, win, CurrentTime);
        XSync(d, False);
    }
    ~XdndSource() { XCloseDisplay(d); }

    void send(Window target, Atom type, long l1, long l2, long l3, long l4) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = target;
        ev.xclient.message_type = type;
        ev.xclient.format = 32;
        const long data[5] = {static_cast<long>(win), l1, l2, l3, l4};
        std::copy(data, data + 5, ev.xclient.data.l);
        XSendEvent(d, target, False, NoEventMask, &ev);
        XFlush(d);
    }

    // Tells `to` that the selection's data lies in the requestor's property.
    void notify(Window to, Window requestor, Atom sel, Atom target, Atom property, Time t) {
        XEvent n{};
        n.xselection.type = SelectionNotify;
        n.xselection.requestor = requestor;
        n.xselection.selection = sel;
        n.xselection.target = target;
        n.xselection.property = property;
        n.xselection.time = t;
        XSendEvent(d, to, False, NoEventMask, &n);
        XFlush(d);
    }

    // Drags to root point (rx, ry) of the top-level window and drops there; answers the
    // target until the drop is finished or refused, for at most five seconds.
    void serve(Window toplevel, int rx, int ry, const std::string& uris) {
        send(toplevel, enter, 5L << 24, static_cast<long>(uriList), 0, 0);
        send(toplevel, position, 0, (long(rx) << 16) | ry, CurrentTime, static_cast<long>(copy));
        const int64_t end = ws::performanceCounter() + 5'000'000'000;
        while (!done && ws::performanceCounter() < end) {
            if (!XPending(d)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == ClientMessage && ev.xclient.message_type == status) {
                accepted = ev.xclient.data.l[1] & 1;
                send(toplevel, drop, 0, CurrentTime, 0, 0);
            } else if (ev.type == SelectionRequest) {
                const XSelectionRequestEvent& r = ev.xselectionrequest;
                XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uris.data()),
                                static_cast<int>(uris.size()));
                notify(r.requestor, r.requestor, r.selection, r.target, r.property, r.time);
            } else if (ev.type == ClientMessage && ev.xclient.message_type == finished) {
                finishedOk = ev.xclient.data.l[1] & 1;
                done = true;
            }
        }
    }
};

}  // namespace zu::test
