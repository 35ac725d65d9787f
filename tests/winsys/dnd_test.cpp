// The test plays an XDND drag source on its own connection and drops two files.
#include <gtest/gtest.h>
#include <X11/Xatom.h>

#include <atomic>
#include <string>
#include <thread>

#include "support/winsys_support.h"

using namespace zu::ws;
using zu::test::pumpUntil;

namespace {

unsigned gDropCount = 0;
std::u16string gFirst;
void* gDropWindow = nullptr;

intptr_t dropProc(void* w, unsigned m, uintptr_t wp, intptr_t lp) {
    if (m == WM_DROPFILES) {
        gDropWindow = w;
        void* drop = reinterpret_cast<void*>(wp);
        gDropCount = dragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0);
        uint16_t buf[260];
        const unsigned n = dragQueryFile(drop, 0, buf, 260);
        gFirst.assign(reinterpret_cast<char16_t*>(buf), n);
        uint16_t tiny[4];
        EXPECT_EQ(dragQueryFile(drop, 0, tiny, 4), 3u);  // cut to size - 1, terminated
        EXPECT_EQ(tiny[3], 0);
        EXPECT_EQ(dragQueryFile(drop, 2, buf, 260), 0u);
    }
    return defWindowProc(w, m, wp, lp);
}

struct Source {
    Display* d = XOpenDisplay(nullptr);
    Window win = 0;
    Atom aware, enter, position, status, drop, finished, selection, copy, uriList;
    std::atomic<bool> accepted{false}, finishedOk{false}, done{false};

    Source() {
        win = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
        auto a = [&](const char* n) { return XInternAtom(d, n, False); };
        aware = a("XdndAware"), enter = a("XdndEnter"), position = a("XdndPosition");
        status = a("XdndStatus"), drop = a("XdndDrop"), finished = a("XdndFinished");
        selection = a("XdndSelection"), copy = a("XdndActionCopy"), uriList = a("text/uri-list");
        XSetSelectionOwner(d, selection, win, CurrentTime);
        XSync(d, False);
    }
    ~Source() { XCloseDisplay(d); }

    void send(Window target, Atom type, long l1, long l2, long l3, long l4) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = target;
        ev.xclient.message_type = type;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(win);
        ev.xclient.data.l[1] = l1;
        ev.xclient.data.l[2] = l2;
        ev.xclient.data.l[3] = l3;
        ev.xclient.data.l[4] = l4;
        XSendEvent(d, target, False, NoEventMask, &ev);
        XFlush(d);
    }

    // Answers the target until the drop is finished or a second passes without news.
    void serve(Window target, int rx, int ry, const std::string& uris) {
        send(target, enter, 5L << 24, static_cast<long>(uriList), 0, 0);
        send(target, position, 0, (long(rx) << 16) | ry, CurrentTime, static_cast<long>(copy));
        const int64_t end = zu::ws::performanceCounter() + 5'000'000'000;
        while (!done && zu::ws::performanceCounter() < end) {
            if (!XPending(d)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            XEvent ev;
            XNextEvent(d, &ev);
            if (ev.type == ClientMessage && ev.xclient.message_type == status) {
                accepted = ev.xclient.data.l[1] & 1;
                send(target, drop, 0, CurrentTime, 0, 0);
            } else if (ev.type == SelectionRequest) {
                const XSelectionRequestEvent& r = ev.xselectionrequest;
                XChangeProperty(d, r.requestor, r.property, r.target, 8, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(uris.data()),
                                static_cast<int>(uris.size()));
                XEvent n{};
                n.xselection.type = SelectionNotify;
                n.xselection.requestor = r.requestor;
                n.xselection.selection = r.selection;
                n.xselection.target = r.target;
                n.xselection.property = r.property;
                n.xselection.time = r.time;
                XSendEvent(d, r.requestor, False, NoEventMask, &n);
                XFlush(d);
            } else if (ev.type == ClientMessage && ev.xclient.message_type == finished) {
                finishedOk = ev.xclient.data.l[1] & 1;
                done = true;
            }
        }
    }
};

}  // namespace

TEST(Dnd, TwoFilesDroppedOnAnAcceptingChildArriveAsOneDropWithTheFirstName) {
    ASSERT_TRUE(open());
    WindowClass wc;
    wc.name = "DropClass";
    wc.proc = dropProc;
    ASSERT_EQ(registerClass(wc), 0);
    CreateWindowParams p;
    p.className = "DropClass";
    p.style = WS_POPUP | WS_VISIBLE;
    p.x = 200, p.y = 200, p.width = 400, p.height = 300;
    void* top = createWindow(p);
    p.style = WS_CHILD | WS_VISIBLE;
    p.parent = top;
    p.x = 100, p.y = 100, p.width = 200, p.height = 100;
    void* video = createWindow(p);
    ASSERT_TRUE(dragAcceptFiles(video, true));
    const Window topId = static_cast<Window>(reinterpret_cast<uintptr_t>(top));

    Source src;
    {  // the top-level window advertises protocol version 5
        Atom type;
        int format;
        unsigned long n = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(src.d, topId, src.aware, 0, 1, False, XA_ATOM, &type, &format, &n,
                           &after, &data);
        ASSERT_EQ(n, 1u);
        EXPECT_EQ(*reinterpret_cast<unsigned long*>(data), 5u);
        XFree(data);
    }
    const std::string uris = "file:///tmp/zugui%20drop/first.mov\r\nfile:///tmp/second.mov\r\n";
    // Over the accepting child: accepted, delivered there.
    std::thread source([&] { src.serve(topId, 200 + 150, 200 + 150, uris); });
    const bool got = pumpUntil([&] { return gDropWindow != nullptr && src.done; }, 5000);
    source.join();
    ASSERT_TRUE(got);
    EXPECT_TRUE(src.accepted);
    EXPECT_TRUE(src.finishedOk);
    EXPECT_EQ(gDropWindow, video);
    EXPECT_EQ(gDropCount, 2u);
    EXPECT_EQ(gFirst, u"/tmp/zugui drop/first.mov");

    // Over the top-level window itself, which does not accept: refused, nothing arrives.
    gDropWindow = nullptr;
    Source again;
    std::thread refused([&] { again.serve(topId, 210, 210, uris); });
    pumpUntil([&] { return again.done.load(); }, 3000);
    refused.join();
    EXPECT_TRUE(again.done);
    EXPECT_FALSE(again.accepted);
    EXPECT_FALSE(again.finishedOk);
    zu::test::pumpFor(50);
    EXPECT_EQ(gDropWindow, nullptr);
    destroyWindow(top);
}
