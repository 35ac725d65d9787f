// XDND messages as any X client may send them to a window of ours: arbitrary sequences of
// enter, position, leave, drop and selection notices with arbitrary fields and data. Nothing
// may crash, no X error may reach the host (a message from a client that lies or has gone
// away is dropped quietly), no property outside the drop's own may be touched, and a drop
// reaches only the window that accepts files, with at least one path.
#include <X11/Xatom.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_input.h"
#include "platform/winsys/winsys.h"
#include "platform/winsys/x11/x11_internal.h"
#include "zugui/platform.h"

namespace ws = zu::ws;
using zu::ws::x11::XWin;

namespace {

using zu::fuzz::Input;

ws::Window *gTop, *gChild, *gOther;
long gDrops = 0;  // drops delivered, printed at exit: the whole path was reached

intptr_t proc(const ws::Event& e) {
    if (e.kind == ws::EventKind::Drop && (e.window != gChild || ws::dropCount(e.drop) == 0)) {
        std::fprintf(stderr, "a drop reached a window that does not accept files, or was empty\n");
        std::abort();
    }
    gDrops += e.kind == ws::EventKind::Drop;
    return ws::defaultProc(e);
}

void onReport(const char* line, void*) {
    std::fprintf(stderr, "reported to the host: %s\n", line);
    std::abort();
}

struct Setup {
    ws::x11::State* s = nullptr;
    XWin top = 0, child = 0, other = 0, gone = 0;
    Display* peer = nullptr;  // another client: the drag source and a bystander's window
    XWin source = 0;
    Atom bystanderProp = 0;

    Setup() {
        ZuSetErrorCallback(onReport, nullptr);
        std::atexit([] { std::fprintf(stderr, "xdnd_fuzz: %ld drops delivered\n", gDrops); });
        if (!ws::open()) std::abort();
        s = ws::x11::live();
        ws::WindowDesc d;
        d.proc = proc;
        d.x = 0, d.y = 0, d.width = 400, d.height = 300;
        d.visible = true;
        gTop = ws::createWindow(d);
        d.parent = gTop;
        d.x = 100, d.y = 100, d.width = 200, d.height = 100;
        gChild = ws::createWindow(d);
        d.x = 0, d.y = 0, d.width = 50, d.height = 50;
        gOther = ws::createWindow(d);
        d.parent = nullptr;
        ws::Window* doomed = ws::createWindow(d);
        if (!gTop || !gChild || !gOther || !doomed || !ws::acceptFiles(gChild, true)) std::abort();
        top = id(gTop), child = id(gChild), other = id(gOther), gone = id(doomed);
        ws::destroyWindow(doomed);
        peer = XOpenDisplay(nullptr);
        source = XCreateSimpleWindow(peer, DefaultRootWindow(peer), 0, 0, 1, 1, 0, 0, 0);
        bystanderProp = XInternAtom(peer, "_BYSTANDER", False);
        // The source owns the drop's selection and never answers: the notices the drops see
        // are the ones the input sends.
        XSetSelectionOwner(peer, s->xdndSelection, source, CurrentTime);
        XChangeProperty(peer, source, bystanderProp, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>("keep"), 4);
        XSync(peer, False);
        settle();
    }
    static XWin id(ws::Window* w) {
        return static_cast<XWin>(reinterpret_cast<uintptr_t>(ws::nativeHandle(w)));
    }
    // Handles whatever our replies and conversions brought back, and clears the peer's queue.
    void settle() {
        XSync(s->dpy, False);
        ZuMSG m;
        while (ws::getMessageTimeout(&m, 0) == 1) ZuDispatchMessage(&m);
        while (XPending(peer)) {
            XEvent ev;
            XNextEvent(peer, &ev);
        }
    }
    XWin window(Input& in) {
        const XWin pick[] = {top, top, child, other, gone, source, s->root, 0};
        const uint8_t b = in.byte();
        return b < 240 ? pick[b % 8] : static_cast<XWin>(in.word());
    }
    Atom atom(Input& in) {
        // clang-format off
        const Atom pick[] = {s->uriList, s->dropProperty, s->xdndSelection, s->xdndTypeList,
                             XA_STRING, bystanderProp, None};
        // clang-format on
        const uint8_t b = in.byte();
        return b < 240 ? pick[b % 7] : static_cast<Atom>(in.word());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup set;
    ws::x11::State& s = *set.s;
    Input in{data, size};
    // Each input starts outside a drag: the source enters without types and leaves.
    XClientMessageEvent reset{};
    reset.type = ClientMessage;
    reset.display = s.dpy;
    reset.window = set.top;
    reset.format = 32;
    reset.data.l[0] = static_cast<long>(set.source);
    for (Atom t : {s.xdndEnter, s.xdndLeave}) {
        reset.message_type = t;
        ws::x11::dndHandleClientMessage(s, reset);
    }
    // Each message: an operation byte, then a byte of lies; a field whose bit is clear takes
    // the value an honest source would send, one whose bit is set is read from the input.
    for (int step = 0; step < 32 && in.n; ++step) {
        const uint8_t op = in.byte() % 6, lies = in.byte();
        auto lie = [&](int bit) { return (lies >> bit & 1) != 0; };
        if (op == 5) {  // the source (re)publishes its type list
            unsigned long atoms[8];
            const int n = in.byte() % 9;
            for (int i = 0; i < n; ++i) atoms[i] = set.atom(in);
            XChangeProperty(set.peer, set.source, s.xdndTypeList, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<unsigned char*>(atoms), n);
            XSync(set.peer, False);
            continue;
        }
        if (op == 4) {  // a selection notice, true or forged, with data under the property
            XSelectionEvent ev{};
            ev.type = SelectionNotify;
            ev.display = s.dpy;
            ev.requestor = lie(0) ? set.window(in) : set.top;
            ev.selection = lie(1) ? set.atom(in) : s.xdndSelection;
            ev.target = lie(2) ? set.atom(in) : s.uriList;
            ev.property = lie(3) ? set.atom(in) : s.dropProperty;
            ev.time = lie(4) ? static_cast<Time>(in.word()) : CurrentTime;
            // The data: a uri-list of one file URI around the input's bytes, or the bytes as
            // they stand, as 8-bit text or as 16-bit items.
            const size_t len = std::min<size_t>(in.byte(), in.n);
            std::string text(reinterpret_cast<const char*>(in.p), len);
            in.p += len, in.n -= len;
            if (!lie(6)) text = "file:///" + text + "\r\n";
            const int format = lie(5) ? 16 : 8;
            XChangeProperty(s.dpy, set.top, s.dropProperty, XA_STRING, format, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(text.data()),
                            static_cast<int>(format == 8 ? text.size() : text.size() / 2));
            ws::x11::dndHandleSelectionNotify(s, ev);
        } else {
            const Atom types[] = {s.xdndEnter, s.xdndPosition, s.xdndLeave, s.xdndDrop};
            XClientMessageEvent ev{};
            ev.type = ClientMessage;
            ev.display = s.dpy;
            ev.window = lie(0) ? set.window(in) : set.top;
            ev.message_type = types[op];
            ev.format = 32;
            ev.data.l[0] = static_cast<long>(lie(1) ? set.window(in) : set.source);
            // Honest fields: version 5 with up to three types (the uri-list first), a point
            // inside the accepting child, the current time, the copy action.
            const long point = long(150 + in.byte() % 100) << 16 | (150 + in.byte() % 50);
            const long honest[5][4] = {{5L << 24, long(s.uriList), 0, 0},
                                       {0, point, CurrentTime, long(s.xdndActionCopy)},
                                       {0, 0, 0, 0},
                                       {0, CurrentTime, 0, 0}};
            for (int i = 1; i < 5; ++i)
                ev.data.l[i] = !lie(1 + i)     ? honest[op][i - 1]
                               : in.byte() & 1 ? in.word()
                                               : static_cast<long>(set.atom(in));
            ws::x11::dndHandleClientMessage(s, ev);
        }
        set.settle();
        if (ws::lastDrop(gTop) || ws::lastDrop(gOther)) std::abort();
        if (const ws::Drop* d = ws::lastDrop(gChild); d && ws::dropCount(d) == 0) std::abort();
    }
    // Nothing of a bystander's may be touched.
    Atom type;
    int format;
    unsigned long count = 0, after = 0;
    unsigned char* prop = nullptr;
    XGetWindowProperty(set.peer, set.source, set.bystanderProp, 0, 16, False, AnyPropertyType,
                       &type, &format, &count, &after, &prop);
    const bool kept = prop && count == 4 && std::memcmp(prop, "keep", 4) == 0;
    if (prop) XFree(prop);
    if (!kept) {
        std::fprintf(stderr, "a forged notice deleted another client's property\n");
        std::abort();
    }
    return 0;
}
