// A drag source on its own connection drops files on a window of ours, and a forger
// sends notices of its own.
#include <X11/Xatom.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "support/winsys_support.h"
#include "support/xdnd_source.h"

using namespace zu::ws;
namespace ws = zu::ws;
using zu::test::pumpUntil;

namespace {

ws::Window* gDropWindow = nullptr;

intptr_t dropProc(const Event& e) {
    if (e.kind == EventKind::Drop) gDropWindow = e.window;
    return defaultProc(e);
}

}  // namespace

TEST(Dnd, OnlyAnAcceptingWindowTakesDropsAndForgedNoticesAreNotRead) {
    ASSERT_TRUE(open());
    WindowDesc d;
    d.proc = dropProc;
    d.visible = true;
    d.x = 200, d.y = 200, d.width = 400, d.height = 300;
    ws::Window* top = createWindow(d);
    d.parent = top;
    d.x = 100, d.y = 100, d.width = 200, d.height = 100;
    ws::Window* video = createWindow(d);
    ASSERT_TRUE(acceptFiles(video, true));
    EXPECT_EQ(lastDrop(video), nullptr);
    const XID topId = static_cast<XID>(reinterpret_cast<uintptr_t>(nativeHandle(top)));

    zu::test::XdndSource src;
    EXPECT_EQ(zu::test::windowProperty(src.d, topId, src.aware), std::vector<unsigned long>{5})
        << "the top-level window advertises protocol version 5";
    // A drop over the accepting child, every path in full, is the video window test's
    // (FilesDroppedOnARegisteredVideoWindowArriveWithTheFirstPathAndAllInFull). Over the
    // top-level window itself, which does not accept: refused, nothing arrives.
    const std::string uris = "file:///tmp/zugui%20drop/first.mov\r\nfile:///tmp/third.mov\r\n";
    zu::test::XdndSource again;
    std::thread refused([&] { again.serve(topId, 210, 210, uris); });
    pumpUntil([&] { return again.done.load(); }, 3000);
    refused.join();
    EXPECT_EQ(std::tuple(again.done.load(), again.accepted.load(), again.finishedOk.load()),
              std::tuple(true, false, false));
    zu::test::pumpFor(50);
    EXPECT_EQ(gDropWindow, nullptr);

    // Any client may send these. A forged selection notice during a drag, naming the
    // forger's own property, is not read (no drop, the property stays); a source that
    // vanishes mid-drag gives the host no X error.
    zu::test::ErrorLines errors;
    zu::test::XdndSource forger;
    const long overVideo = (350L << 16) | 350;
    forger.send(topId, forger.enter, 5L << 24, long(forger.uriList), 0, 0);
    forger.send(topId, forger.position, 0, overVideo, CurrentTime, long(forger.copy));
    const Atom prop = XInternAtom(forger.d, "ZU_FORGED", False);
    XChangeProperty(forger.d, forger.win, prop, XA_STRING, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(uris.data()), int(uris.size()));
    XEvent n{};
    n.xselection.type = SelectionNotify;
    n.xselection.requestor = forger.win;
    n.xselection.selection = forger.selection;
    n.xselection.target = forger.uriList;
    n.xselection.property = prop;
    XSendEvent(forger.d, topId, False, NoEventMask, &n);
    XSync(forger.d, False);
    zu::test::pumpFor(200);
    EXPECT_EQ(gDropWindow, nullptr);
    EXPECT_EQ(zu::test::windowProperty(forger.d, forger.win, prop).size(), uris.size());
    XDestroyWindow(forger.d, forger.win);
    forger.send(topId, forger.position, 0, overVideo, CurrentTime, long(forger.copy));
    forger.send(topId, XInternAtom(forger.d, "XdndLeave", False), 0, 0, 0, 0);
    XSync(forger.d, False);
    zu::test::pumpFor(200);
    EXPECT_EQ(errors.count(""), 0u) << (errors.lines.empty() ? "" : errors.lines[0]);
    destroyWindow(top);
}
