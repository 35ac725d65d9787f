// CLIPBOARD and PRIMARY: we own a selection through a window of our own that is never
// mapped, answer other clients' requests from the event pump (also while no window of
// ours has the focus), and ask for theirs with a bounded wait. Large texts travel in
// INCR chunks both ways (ICCCM 2.7.2).
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <cstring>

#include "platform/winsys/selection_text.h"
#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {
namespace {

// A text going out in INCR chunks: the next chunk is written when the requestor has
// deleted the last one.
struct Outgoing {
    XWin requestor = 0;
    Atom property = 0, type = 0;
    std::string data;
    size_t offset = 0;
    int64_t lastStep = 0;
};

// The one conversion we are waiting for.
struct Incoming {
    bool active = false, done = false, failed = false, incr = false;
    Atom selection = 0, target = 0, type = 0;
    std::string data;
};

struct Selections {
    std::mutex mutex;
    XWin window = 0;
    Atom atoms[2] = {};  // CLIPBOARD, PRIMARY
    Atom targets = 0, incr = 0, text = 0, utf8 = 0, property = 0;
    std::string offered[2];
    bool owned[2] = {};
    Time userTime = CurrentTime;  // of the latest key or button press
    std::vector<Outgoing> outgoing;
    Incoming in;
    size_t testChunk = 0;
};

Selections& sel() {
    static Selections* s = new Selections;  // never destroyed, like the display state
    return *s;
}

constexpr int64_t kStaleTransferNs = 10'000'000'000;  // a requestor that stopped reading

int indexOf(Selection which) {
    return which == Selection::Clipboard ? 0 : 1;
}

// Call with sel().mutex held.
bool ensureWindow(State& s, Selections& z) {
    if (z.window) return true;
    z.atoms[0] = XInternAtom(s.dpy, "CLIPBOARD", False);
    z.atoms[1] = XA_PRIMARY;
    z.targets = XInternAtom(s.dpy, "TARGETS", False);
    z.incr = XInternAtom(s.dpy, "INCR", False);
    z.text = XInternAtom(s.dpy, "TEXT", False);
    z.utf8 = s.utf8String;
    z.property = XInternAtom(s.dpy, "ZUGUI_SELECTION", False);
    XSetWindowAttributes a{};
    a.event_mask = PropertyChangeMask;
    z.window = XCreateWindow(s.dpy, s.root, -10, -10, 1, 1, 0, 0, InputOnly, CopyFromParent,
                             CWEventMask, &a);
    return z.window != 0;
}

// Bytes one property write may carry.
size_t chunkLimit(State& s, Selections& z) {
    if (z.testChunk) return z.testChunk;
    long units = XExtendedMaxRequestSize(s.dpy);
    if (units <= 0) units = XMaxRequestSize(s.dpy);
    return std::clamp<size_t>(static_cast<size_t>(units) * 4 - 1024, 4096, 256 * 1024);
}

void writeProperty(State& s, XWin w, Atom property, Atom type, const std::string& data,
                   size_t offset, size_t length) {
    XChangeProperty(s.dpy, w, property, type, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(data.data() + offset),
                    static_cast<int>(length));
}

// The answer to another client's request; the property stays None for what we refuse.
void answerRequest(State& s, Selections& z, const XSelectionRequestEvent& r) {
    XSelectionEvent reply{};
    reply.type = SelectionNotify;
    reply.display = s.dpy;
    reply.requestor = r.requestor;
    reply.selection = r.selection;
    reply.target = r.target;
    reply.time = r.time;
    reply.property = None;
    const int i = r.selection == z.atoms[0] ? 0 : r.selection == z.atoms[1] ? 1 : -1;
    // Obsolete clients name no property: the target's name is used (ICCCM 2.2).
    const Atom property = r.property != None ? r.property : r.target;
    trapErrors(s, [&] {
        if (i < 0 || !z.owned[i] || r.owner != z.window) return;
        if (r.target == z.targets) {
            const Atom list[] = {z.targets, z.utf8, XA_STRING, z.text};
            XChangeProperty(s.dpy, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(list), 4);
            reply.property = property;
            return;
        }
        Atom type;
        std::string data;
        if (r.target == z.utf8 || r.target == z.text) {
            type = z.utf8;
            data = utf8FromLatin1(z.offered[i]);
        } else if (r.target == XA_STRING) {
            type = XA_STRING;
            data = z.offered[i];
        } else {
            return;  // an unknown target is refused
        }
        if (data.size() > chunkLimit(s, z)) {
            XSelectInput(s.dpy, r.requestor, PropertyChangeMask);
            const long size = static_cast<long>(data.size());
            XChangeProperty(s.dpy, r.requestor, property, z.incr, 32, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(&size), 1);
            z.outgoing.push_back(
                {r.requestor, property, type, std::move(data), 0, performanceCounter()});
        } else {
            writeProperty(s, r.requestor, property, type, data, 0, data.size());
        }
        reply.property = property;
    });
    XEvent ev{};
    ev.xselection = reply;
    trapErrors(s, [&] { XSendEvent(s.dpy, r.requestor, False, 0, &ev); });
}

// The requestor deleted a chunk: the next one, and after the last an empty one.
void continueOutgoing(State& s, Selections& z, const XPropertyEvent& p) {
    const int64_t now = performanceCounter();
    std::erase_if(z.outgoing,
                  [&](const Outgoing& o) { return now - o.lastStep > kStaleTransferNs; });
    for (auto it = z.outgoing.begin(); it != z.outgoing.end(); ++it) {
        if (it->requestor != p.window || it->property != p.atom) continue;
        const size_t n = std::min(chunkLimit(s, z), it->data.size() - it->offset);
        trapErrors(s, [&] {
            writeProperty(s, it->requestor, it->property, it->type, it->data, it->offset, n);
        });
        it->offset += n;
        it->lastStep = now;
        if (n == 0) {
            trapErrors(s, [&] { XSelectInput(s.dpy, it->requestor, NoEventMask); });
            z.outgoing.erase(it);
        }
        return;
    }
}

// Reads and deletes our property; false when it is not there.
bool takeProperty(State& s, Selections& z, Atom* type, std::string* data) {
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* bytes = nullptr;
    if (XGetWindowProperty(s.dpy, z.window, z.property, 0, 0x7FFFFFFF / 4, True, AnyPropertyType,
                           &actual, &format, &count, &after, &bytes) != Success)
        return false;
    *type = actual;
    if (bytes && actual != None) {
        const size_t unit = format == 8 ? 1 : format == 16 ? sizeof(short) : sizeof(long);
        // Text comes in 8-bit units; other formats are read as their raw bytes.
        data->append(reinterpret_cast<const char*>(bytes), count * unit);
    }
    if (bytes) XFree(bytes);
    return actual != None;
}

void finishIncoming(Selections& z) {
    Incoming& in = z.in;
    in.data = in.type == XA_STRING ? std::move(in.data) : latin1FromUtf8(in.data);
    in.done = true;
}

void onSelectionNotify(State& s, Selections& z, const XSelectionEvent& e) {
    Incoming& in = z.in;
    if (!in.active || e.selection != in.selection || e.target != in.target) return;
    if (e.property == None) {
        // No UTF8_STRING: ask once more for STRING.
        if (in.target == z.utf8) {
            in.target = XA_STRING;
            XConvertSelection(s.dpy, in.selection, XA_STRING, z.property, z.window, z.userTime);
            XFlush(s.dpy);
        } else {
            in.failed = true;
        }
        return;
    }
    Atom type = None;
    std::string data;
    if (!takeProperty(s, z, &type, &data)) {
        in.failed = true;
        return;
    }
    if (type == z.incr) {
        // Deleting the INCR property (done by the read) asks for the first chunk.
        in.incr = true;
        in.type = None;
        return;
    }
    in.type = type;
    in.data = std::move(data);
    finishIncoming(z);
}

void onIncomingChunk(State& s, Selections& z) {
    Incoming& in = z.in;
    Atom type = None;
    std::string chunk;
    if (!takeProperty(s, z, &type, &chunk)) return;
    if (in.type == None) in.type = type;
    if (chunk.empty())
        finishIncoming(z);
    else
        in.data += chunk;
}

}  // namespace

bool selectionHandleEvent(State& s, XEvent& ev) {
    Selections& z = sel();
    std::lock_guard lock(z.mutex);
    switch (ev.type) {
        case KeyPress:
            z.userTime = ev.xkey.time;
            return false;
        case ButtonPress:
            z.userTime = ev.xbutton.time;
            return false;
        case SelectionRequest:
            if (!z.window || ev.xselectionrequest.owner != z.window) return false;
            answerRequest(s, z, ev.xselectionrequest);
            return true;
        case SelectionClear:
            if (!z.window || ev.xselectionclear.window != z.window) return false;
            for (int i = 0; i < 2; ++i) {
                if (ev.xselectionclear.selection == z.atoms[i]) {
                    z.owned[i] = false;
                    z.offered[i].clear();
                }
            }
            return true;
        case SelectionNotify:
            if (!z.window || ev.xselection.requestor != z.window) return false;
            onSelectionNotify(s, z, ev.xselection);
            return true;
        case PropertyNotify: {
            const XPropertyEvent& p = ev.xproperty;
            if (z.window && p.window == z.window) {
                if (p.atom == z.property && p.state == PropertyNewValue && z.in.active &&
                    z.in.incr && !z.in.done)
                    onIncomingChunk(s, z);
                return true;
            }
            if (p.state == PropertyDelete && !z.outgoing.empty()) continueOutgoing(s, z, p);
            return false;
        }
        default:
            return false;
    }
}

}  // namespace zu::ws::x11

namespace zu::ws {
using namespace x11;

bool setSelectionText(Selection which, const std::string& latin1) {
    State* s = live();
    if (!s) return false;
    Selections& z = sel();
    std::lock_guard lock(z.mutex);
    if (!ensureWindow(*s, z)) return false;
    const int i = indexOf(which);
    z.offered[i] = latin1;
    XSetSelectionOwner(s->dpy, z.atoms[i], z.window, z.userTime);
    z.owned[i] = XGetSelectionOwner(s->dpy, z.atoms[i]) == z.window;
    if (!z.owned[i]) z.offered[i].clear();
    return z.owned[i];
}

bool selectionText(Selection which, std::string* latin1, int timeoutMs) {
    State* s = live();
    if (!s || !latin1) return false;
    Selections& z = sel();
    const int i = indexOf(which);
    {
        std::lock_guard lock(z.mutex);
        if (!ensureWindow(*s, z)) return false;
        // Our own text needs no trip through the server (which would wait on ourselves).
        if (z.owned[i] && XGetSelectionOwner(s->dpy, z.atoms[i]) == z.window) {
            *latin1 = z.offered[i];
            return true;
        }
        z.in = Incoming{};
        z.in.active = true;
        z.in.selection = z.atoms[i];
        z.in.target = z.utf8;
        XDeleteProperty(s->dpy, z.window, z.property);
        XConvertSelection(s->dpy, z.atoms[i], z.utf8, z.property, z.window, z.userTime);
        XFlush(s->dpy);
    }
    // Each piece that arrives restarts the clock, so a long INCR transfer may take longer
    // than the bound while an owner that stops answering never holds us past it.
    int64_t deadline = performanceCounter() + int64_t{timeoutMs} * 1000000;
    size_t seen = 0;
    bool ok = false;
    for (;;) {
        pumpEvents();
        {
            std::lock_guard lock(z.mutex);
            if (z.in.done || z.in.failed) {
                ok = z.in.done;
                if (ok) *latin1 = std::move(z.in.data);
                break;
            }
            if (z.in.data.size() != seen) {
                seen = z.in.data.size();
                deadline = performanceCounter() + int64_t{timeoutMs} * 1000000;
            }
        }
        const int64_t left = deadline - performanceCounter();
        if (left <= 0 || !live()) break;
        pollfd p{ConnectionNumber(s->dpy), POLLIN, 0};
        poll(&p, 1, static_cast<int>(std::min<int64_t>(left / 1000000 + 1, 10)));
    }
    std::lock_guard lock(z.mutex);
    z.in = Incoming{};
    return ok;
}

namespace {
// Call with sel().mutex held.
void disown(State* s, Selections& z, int i) {
    if (s && z.window && z.owned[i] && XGetSelectionOwner(s->dpy, z.atoms[i]) == z.window)
        XSetSelectionOwner(s->dpy, z.atoms[i], None, z.userTime);
    z.owned[i] = false;
    z.offered[i].clear();
}
}  // namespace

void releaseSelection(Selection which) {
    State* s = live();
    Selections& z = sel();
    std::lock_guard lock(z.mutex);
    disown(s, z, indexOf(which));
    if (s) XFlush(s->dpy);
}

void releaseSelections() {
    State* s = live();
    Selections& z = sel();
    std::lock_guard lock(z.mutex);
    for (int i = 0; i < 2; ++i) disown(s, z, i);
    if (s && z.window) {
        for (const Outgoing& o : z.outgoing)
            trapErrors(*s, [&] { XSelectInput(s->dpy, o.requestor, NoEventMask); });
        XDestroyWindow(s->dpy, z.window);
        XFlush(s->dpy);
    }
    z.window = 0;
    z.outgoing.clear();
}

void setSelectionChunkForTesting(size_t bytes) {
    Selections& z = sel();
    std::lock_guard lock(z.mutex);
    z.testChunk = bytes;
}

}  // namespace zu::ws
