// Video windows under an X server: creation and the one-time probe, the table's limit,
// adopted host windows, show, reset and resize, null records, input and drops reaching the
// owner node, the video capture, and a display running on a host thread of its own. Then a
// display thread showing ten thousand small frames of changing size and format, resizing
// its video window between a stop and a start, while the host thread moves and sizes the
// main window, opens the drop-down popup over the video and asks for renders: every frame
// must be answered 0 and laid out for the frame and the window it meets.
#include "video/video_support.h"
//
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>

#include "support/rows.h"
#include "support/xdnd_source.h"
#include "zugui/popups.h"

using namespace zu::test;
using zu::detail::gui;
using zu::detail::videoCaps;
namespace ws = zu::ws;

namespace {

struct Got {
    unsigned msg;
    int a, b;
    void* p;
    ZuPOINT point;
    std::u16string name;
};
std::mutex gotMutex;
std::vector<Got> got;

// The owner's callback: keeps what the pointers point at, which lives only for the call.
int ownerCallback(void*, unsigned msg, int a, int b, void* p, void* q) {
    if (msg == ZUM_RENDER) return 0;  // from the render thread
    Got g{msg, a, b, p, {}, {}};
    if (msg == ZUM_VIDEOMOUSEWHEEL && q) g.point = *static_cast<ZuPOINT*>(q);
    if (msg == ZUM_VIDEODROPFILES && q) g.name = reinterpret_cast<const char16_t*>(q);
    std::lock_guard lock(gotMutex);
    got.push_back(g);
    return 0;
}
std::vector<Got> gotOf(unsigned msg) {
    std::lock_guard lock(gotMutex);
    std::vector<Got> out;
    for (auto& g : got)
        if (g.msg == msg) out.push_back(g);
    return out;
}
void clearGot() {
    std::lock_guard lock(gotMutex);
    got.clear();
}

// Grabs go out on the library's connection and the test's motion on its own: a round trip
// on the library's connection makes sure the server has taken the grab before we move.
void serverCaughtUp() {
    ws::Point p;
    ws::cursorPos(&p);
}

bool inTable(ZUVideoWindowNode* v) {
    for (int i = 0; i < zu::detail::kVideoSlotCount; ++i)
        if (gui().videoTable[i].video == v) return true;
    return false;
}

class WindowTest : public VideoTest {
  protected:
    void SetUp() override {
        VideoTest::SetUp();
        if (HasFatalFailure()) return;
        root->callback = ownerCallback;
        clearGot();
    }
    // A bgrA frame of one colour drawn directly; the colour read back at the centre.
    Rgb drawOneColour(ZUVideoWindowNode* v, int w, int h, Rgb c) {
        Quadrants q(w, h, c, c, c, c);
        ZUVideoFrame f = q.frame();
        if (ZUStartDisplayVideoFrame(v, w, h, 0, nullptr) != 0) return {-1, -1, -1};
        ZUDisplayVideoFrame(v, &f, nullptr);
        const Rgb seen = windowRgb(v->window, w / 2, winH - 1 - h / 2);
        ZUStopDisplayVideoFrame(v);
        return seen;
    }
};

TEST_F(WindowTest, TheHundredAndFirstWindowWorksButIsNotInTheTable) {
    std::vector<ZUVideoWindowNode*> all;
    for (int i = 0; i < 101; ++i) {
        ZuRECT r{i, 0, 64, 32};
        ZUVideoWindowNode* v = ZUCreateVideoWindow(root, cs("v"), &r, 0);
        ASSERT_NE(v, nullptr) << i;
        all.push_back(v);
    }
    EXPECT_TRUE(inTable(all[99]));
    ZUVideoWindowNode* last = all[100];
    EXPECT_FALSE(inTable(last));
    ZuRECT bigger{500, 300, 128, 64};
    ZUResizeVideoWindow(last, &bigger);
    ZUResizeVideoWindow(all[0], &bigger);
    // Not in the table: the record keeps its size. In it: the size, but not the place.
    EXPECT_EQ(std::tuple(last->width, all[0]->width, all[0]->x), std::tuple(64, 128, 0));
    // It still displays.
    ZUShowVideoWindow(last, 1);
    ASSERT_TRUE(pumpUntil([&] { return ZUIsVideoWindowVisible(last) == 1; }));
    pumpFor(50);
    // The window is 128 x 64 and its record 64 x 32: the picture fills the record's area
    // from OpenGL's origin, the bottom-left corner.
    winH = 64;
    EXPECT_EQ(drawOneColour(last, 64, 32, {0, 0, 255}), (Rgb{0, 0, 255}));
    // Destroying frees the slot for the next window.
    ZUDestroyVideoWindow(all[5]);
    all.erase(all.begin() + 5);
    ZuRECT r{0, 0, 10, 10};
    ZUVideoWindowNode* again = ZUCreateVideoWindow(root, nullptr, &r, 0);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(gui().videoTable[5].video, again);
    all.push_back(again);
    for (auto* v : all) EXPECT_EQ(ZUDestroyVideoWindow(v), 0);
    EXPECT_FALSE(inTable(again));
}

TEST_F(WindowTest, AdoptedHostWindowsSurviveDestructionAndHaveNoTexturePath) {
    // A window of the host made through our window-system layer.
    ws::Window* made = TestWindow{1100, 100, 160, 90}.make();
    ASSERT_NE(made, nullptr);
    void* host = ws::nativeHandle(made);
    ASSERT_TRUE(pumpUntil([&] { return viewable(host); }));
    pumpFor(50);
    ZuRECT r{0, 0, 160, 90};
    ZUVideoWindowNode* v = ZUCreateVideoWindow(static_cast<ZUWindowNode*>(host), nullptr, &r, 1);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(std::tuple(v->window, v->owner, inTable(v)), std::tuple(host, nullptr, false));
    ASSERT_EQ(ZUStartDisplayVideoFrame(v, 160, 90, 1, nullptr), 0);
    EXPECT_EQ(v->texturePath, 0);
    ZUStopDisplayVideoFrame(v);
    winH = 90;
    EXPECT_EQ(drawOneColour(v, 160, 90, {0, 255, 0}), (Rgb{0, 255, 0}));
    EXPECT_EQ(ZUDestroyVideoWindow(v), 0);
    EXPECT_EQ(ws::fromNative(host), made);
    ws::destroyWindow(made);

    // A window made by another client altogether: adopted for the context, given back.
    Window foreign = XCreateSimpleWindow(x.dpy, DefaultRootWindow(x.dpy), 0, 0, 64, 64, 0, 0, 0);
    x.sync();
    void* fw = reinterpret_cast<void*>(foreign);
    ZUVideoWindowNode* f = ZUCreateVideoWindow(static_cast<ZUWindowNode*>(fw), nullptr, &r, 1);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ZUDestroyVideoWindow(f), 0);
    XWindowAttributes wa{};
    EXPECT_NE(XGetWindowAttributes(x.dpy, foreign, &wa), 0);
    XDestroyWindow(x.dpy, foreign);
    x.sync();
}

TEST_F(WindowTest, TheProbeRunsOnceAndShowResetAndDeviceContextsActOnTheWindow) {
    ZuRECT r{0, 0, 10, 10};
    EXPECT_EQ(ZUCreateVideoWindow(nullptr, nullptr, &r, 1), nullptr);  // nothing to adopt
    ASSERT_NO_FATAL_FAILURE(openVideo(200, 100));
    // Later windows copy the capabilities the first one probed.
    ZUVideoWindowNode* second = makeVideo(200, 100);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(videoCaps().probeCount, 1);
    const auto& caps = videoCaps();
    for (ZUVideoWindowNode* v : {video, second})
        EXPECT_EQ(std::tuple(v->has422, v->hasPacked, v->hasBGRA, v->hasABGR),
                  std::tuple(caps.has422Pixels, caps.hasPackedPixels, caps.hasBGRA, caps.hasABGR));
    EXPECT_EQ(std::tuple(second->owner, second->lastFormat, second->lastZoomX, second->layoutStale),
              std::tuple(root, unsigned(ZU_PF_bgrA), -1.f, 1));
    Window parent = 0;
    childWindows(x.dpy, reinterpret_cast<Window>(second->window), &parent);
    EXPECT_EQ(reinterpret_cast<void*>(parent), ZUGetHWND());
    EXPECT_EQ(ws::currentContext(), nullptr);  // creation leaves no context current
    EXPECT_EQ(ZUDestroyVideoWindow(second), 0);
    ws::Rect client;
    auto sizes = [&] {  // the window's size as the server has it, and the record's
        screenRect(video->window, &client);
        return std::tuple(client.width(), client.height(), video->width, video->height);
    };
    EXPECT_EQ(ZUResizeVideoWindow(video, nullptr), 0);  // no rectangle: nothing changes
    EXPECT_EQ(sizes(), std::tuple(200, 100, 200, 100));
    // clang-format off
    expectRows({
        ROW(ZUIsVideoWindowVisible(video), 1),
        AFTER(ZUShowVideoWindow(video, 0), ZUIsVideoWindowVisible(video), 0),
        AFTER(ZUShowVideoWindow(video, 7), ZUIsVideoWindowVisible(video), 1),  // any non-zero value shows
        ROW(ZUGetVideoWindowDC(video) == video->dc && video->dc, 1),
    });
    // clang-format on

    // Reset tells the record a size; the window itself stays as it is.
    ZuRECT told{5, 6, 150, 80};
    EXPECT_EQ(ZUResetVideoWindow(video, &told), 0);
    EXPECT_EQ(std::tuple(video->x, sizes(), ws::currentContext()),
              std::tuple(5, std::tuple(200, 100, 150, 80), nullptr));
    // Resize moves and sizes it (that it leaves the display stopped is the display test's).
    ZuRECT moved{30, 50, 120, 60};
    EXPECT_EQ(ZUResizeVideoWindow(video, &moved), 0);
    EXPECT_EQ(sizes(), std::tuple(120, 60, 120, 60));
}

TEST_F(WindowTest, InputReachesTheOwnerAsVideoMessagesAlsoWhileAThreadPresentsFrames) {
    ASSERT_NO_FATAL_FAILURE(openVideo(320, 180));
    // Exposed while stopped; the main window's own first pass may come first.
    EXPECT_TRUE(pumpUntil([] { return !gotOf(ZUM_VIDEOERASE).empty(); }));
    for (auto& g : gotOf(ZUM_VIDEOERASE)) EXPECT_EQ(g.p, video);
    clearGot();
    // Client (50, 60) of the video window, which sits at (20, 40) in the main window.
    // The server delivers the test's input in order: the wheel notch up comes last.
    x.moveTo(kVx + 50, kVy + 60);
    x.click(1);
    x.click(3);
    x.click(4);
    ASSERT_TRUE(pumpUntil([] { return !gotOf(ZUM_VIDEOMOUSEWHEEL).empty(); }));

    struct Want {
        unsigned msg;
        int a, b;
    } wants[] = {
        {ZUM_VIDEOMOUSEMOVE, 50, 60},
        {ZUM_VIDEOLBUTTONDOWN, 50, 60},
        {ZUM_VIDEOLBUTTONUP, 50, 60},
        {ZUM_VIDEORBUTTONDOWN, 50, kGuiH - 60},  // right buttons count from the bottom
        {ZUM_VIDEORBUTTONUP, 50, kGuiH - 60},
        {ZUM_VIDEOMOUSEWHEEL, 120, 0},
    };
    for (const Want& w : wants) {
        SCOPED_TRACE(w.msg);
        auto list = gotOf(w.msg);
        ASSERT_FALSE(list.empty());
        EXPECT_EQ(std::tuple(list[0].a, list[0].b, list[0].p), std::tuple(w.a, w.b, video));
    }
    // The wheel's point is the screen position, as it comes.
    const ZuPOINT wheel = gotOf(ZUM_VIDEOMOUSEWHEEL)[0].point;
    EXPECT_EQ(std::pair(wheel.x, wheel.y), std::pair(kVx + 50, kVy + 60));
    EXPECT_TRUE(gotOf(ZUM_LBUTTONDOWN).empty());  // nothing went to the main tree

    // The video capture takes motion over the main window, in the video window's terms.
    ZUVCaptureMouse(video);
    ZUVCaptureMouse(nullptr);  // the first capture holds
    EXPECT_EQ(gui().videoCapture, video);
    serverCaughtUp();
    clearGot();
    x.moveTo(500, 600);
    ASSERT_TRUE(pumpUntil([] { return !gotOf(ZUM_VIDEOMOUSEMOVE).empty(); }));
    const Got moved = gotOf(ZUM_VIDEOMOUSEMOVE).back();
    EXPECT_EQ(std::pair(moved.a, moved.b), std::pair(500 - kVx, 600 - kVy));
    EXPECT_TRUE(gotOf(ZUM_MOUSEMOVE).empty());
    ZUVReleaseMouse();
    EXPECT_EQ(gui().videoCapture, nullptr);
    serverCaughtUp();
    clearGot();
    x.moveTo(501, 600);
    ASSERT_TRUE(pumpUntil([] { return !gotOf(ZUM_MOUSEMOVE).empty(); }));
    EXPECT_TRUE(gotOf(ZUM_VIDEOMOUSEMOVE).empty());

    // A display thread presents frames meanwhile.
    clearGot();
    std::atomic<int> frames{0};
    std::atomic<bool> stop{false};
    int results[2] = {-9, -9};
    std::thread display([&] {
        Quadrants q(320, 180, {255, 0, 255}, {255, 0, 255}, {255, 0, 255}, {255, 0, 255});
        ZUVideoFrame f = q.frame();
        results[0] = ZUStartDisplayVideoFrame(video, 320, 180, 1, nullptr);
        while (!stop.load()) {
            if (ZUDisplayVideoFrame(video, &f, nullptr) != 0) break;
            ++frames;
        }
        results[1] = ZUStopDisplayVideoFrame(video);
    });
    // Input meanwhile: the window procedure reads the started flag of the display.
    for (int i = 0; i < 20; ++i) {
        x.moveTo(kVx + 10 + i, kVy + 10);
        pumpFor(10);
    }
    for (int i = 0; i < 500 && frames.load() <= 10; ++i) pumpFor(10);
    EXPECT_GT(frames.load(), 10);
    stop = true;
    display.join();
    EXPECT_EQ(std::pair(results[0], results[1]), std::pair(0, 0));  // start and stop
    EXPECT_FALSE(gotOf(ZUM_VIDEOMOUSEMOVE).empty());
    EXPECT_FALSE(video->started);
    EXPECT_EQ(shown(160, 90), (Rgb{255, 0, 255}));
}

TEST_F(WindowTest, FilesDroppedOnARegisteredVideoWindowArriveWithTheFirstPathAndAllInFull) {
    ASSERT_NO_FATAL_FAILURE(openVideo(320, 180));
    EXPECT_EQ(ZUGetVideoDropFile(video, -1, nullptr, 0), 0);  // nothing dropped yet
    EXPECT_EQ(ZUGetVideoDropFile(nullptr, -1, nullptr, 0), 0);
    const Window top = static_cast<Window>(reinterpret_cast<uintptr_t>(ZUGetHWND()));
    // Three files, the second with a path of 1,000 bytes.
    const std::string longPath = "/tmp/" + std::string(989, 'v') + "/x.mov";
    const std::string uris = "file:///tmp/zugui%20video/first.mov\r\nfile://" + longPath +
                             "\r\nfile:///tmp/third.mov\r\n";
    for (bool registered : {true, false}) {
        SCOPED_TRACE(registered);
        clearGot();
        registered ? ZURegDropFilesVideoWindow(video) : ZUUnRegDropFilesVideoWindow(video);
        XdndSource src;
        std::thread source([&] { src.serve(top, kVx + 100, kVy + 100, uris); });
        // The source ends on its own thread: look at it between short pumps.
        for (int i = 0; i < 600 && !src.done; ++i) pumpFor(10);
        source.join();
        pumpFor(50);
        EXPECT_EQ(src.accepted.load(), registered);
        auto drops = gotOf(ZUM_VIDEODROPFILES);
        ASSERT_EQ(drops.size(), registered ? 1u : 0u);
        if (registered) {
            EXPECT_EQ(std::pair(drops[0].p, drops[0].name),
                      (std::pair<void*, std::u16string>(video, u"/tmp/zugui video/first.mov")));
        }
        // The extension call still names the registered drop's three files in full.
        ASSERT_EQ(ZUGetVideoDropFile(video, -1, nullptr, 0), 3);
        std::vector<unsigned short> buf(ZUGetVideoDropFile(video, 1, nullptr, 0) + 1);
        ASSERT_EQ(buf.size(), 1001u);
        EXPECT_EQ(ZUGetVideoDropFile(video, 1, buf.data(), int(buf.size())), 1000);
        EXPECT_EQ(std::u16string(buf.begin(), buf.end() - 1),
                  std::u16string(longPath.begin(), longPath.end()));
        unsigned short small[5];
        EXPECT_EQ(ZUGetVideoDropFile(video, 2, small, 5), 14);  // "/tmp/third.mov", cut
        EXPECT_EQ(std::u16string(small, small + 5), std::u16string(u"/tmp\0", 5));
        EXPECT_EQ(ZUGetVideoDropFile(video, 3, small, 5), 0);
    }
}

constexpr int kFrames = 10'000;
constexpr int kPerConfig = 500;   // frames before the size or format changes
constexpr int kPerResize = 2350;  // within a configuration, so only the size changes

struct Config {
    int w, h;
    unsigned format;
};
// Pictures filling the window and boxed inside it, in turn. The last one shown is bgrA.
const Config kConfigs[] = {
    {128, 72, ZU_PF_2vuy}, {96, 96, ZU_PF_bgrA}, {128, 96, ZU_PF_2vuy}, {64, 36, ZU_PF_bgrA}};
const Rgb kSolid = {40, 200, 90};

bool lit(const Rgb& c) {
    return std::max({c.r, c.g, c.b}) > 40;
}

class DisplayStressTest : public VideoTest {};

TEST_F(DisplayStressTest, FramesFromAThreadSurviveMainWindowResizesAndThePopup) {
    const ZuRECT kVideoSizes[] = {{kVx, kVy, 320, 180}, {kVx, kVy, 256, 144}};
    ASSERT_NO_FATAL_FAILURE(openVideo(kVideoSizes[0].width, kVideoSizes[0].height));
    // ZUMaximizeGUI hides the node named by the root's user data: let that be a spare child.
    root->userData = makeNode("title", root, {0, 0, 100, 20});
    // The title goes first when the tree is destroyed; the root's callback reads its data.
    struct Restore {
        ZUWindowNode* root;
        ~Restore() { root->userData = root; }
    } restore{root};

    std::vector<uint8_t> pixels[std::size(kConfigs)];
    std::vector<ZUVideoFrame> frames;
    for (const Config& c : kConfigs) {
        const bool yuv = c.format == ZU_PF_2vuy;
        auto& px = pixels[frames.size()];
        px = yuv ? bars422(c.w, c.h, true) : Quadrants(c.w, c.h, kSolid, kSolid, kSolid, kSolid).px;
        frames.push_back(makeFrame(px.data(), c.w, c.h, c.w * (yuv ? 2 : 4), c.format));
    }

    std::atomic<bool> done{false};
    std::atomic<int> shownCount{0};
    int startFailures = 0, stopFailures = 0, displayFailures = 0, firstFailure = -1;
    int lastCode = 0, videoResizes = 0;
    std::vector<std::string> wrong;  // written by the display thread only, read after join
    const int64_t t0 = ws::performanceCounter();

    std::thread display([&] {
        int size = 0;
        if (ZUStartDisplayVideoFrame(video, 128, 128, 1, nullptr) != 0) ++startFailures;
        for (int i = 0; i < kFrames; ++i) {
            if (i > 0 && i % kPerResize == 0) {
                if (ZUStopDisplayVideoFrame(video) != 0) ++stopFailures;
                size = 1 - size;
                ZuRECT r = kVideoSizes[size];
                ZUResizeVideoWindow(video, &r);
                ++videoResizes;
                if (ZUStartDisplayVideoFrame(video, 128, 128, 1, nullptr) != 0) ++startFailures;
            }
            const int ci = i / kPerConfig % int(std::size(kConfigs));
            const Config& c = kConfigs[ci];
            const int code = ZUDisplayVideoFrame(video, &frames[ci], nullptr);
            if (code != 0) {
                if (firstFailure < 0) firstFailure = i, lastCode = code;
                ++displayFailures;
                continue;
            }
            shownCount.fetch_add(1, std::memory_order_relaxed);
            if (i % kPerConfig != 0 && i % kPerResize != 0) continue;
            // The first frame of a configuration or of a window size: the record and the
            // picture must be laid out for both. Fitted, centred, square pixels.
            const ZuRECT& win = kVideoSizes[size];
            // The frame shaders lay out pixels; the older program 4:2:2 texels of two.
            const bool frameShaders =
                zu::detail::gpuOn(*static_cast<zu::detail::GpuDisplay*>(video->display));
            const int texels = c.format == ZU_PF_2vuy && !frameShaders ? c.w / 2 : c.w;
            const double s = std::min(double(win.width) / c.w, double(win.height) / c.h);
            const int qw = int(s * c.w), qh = int(s * c.h);
            const int vx = (win.width - qw) / 2, vy = (win.height - qh) / 2;
            std::string at = "frame " + std::to_string(i) + ": ";
            if (video->width != win.width || video->height != win.height)
                wrong.push_back(at + "record size " + std::to_string(video->width));
            if (video->lastWidth != texels || video->lastHeight != c.h ||
                video->lastFormat != c.format || video->layoutStale)
                wrong.push_back(at + "layout kept for " + std::to_string(video->lastWidth) + "x" +
                                std::to_string(video->lastHeight));
            const Rgb centre = pending(win.width / 2, win.height / 2);
            if (!lit(centre) || (c.format == ZU_PF_bgrA && !near(centre, kSolid, 4)))
                wrong.push_back(at + "centre not the picture");
            // The picture's top-left corner (white in the bars), and black beside a boxed one.
            if (!lit(pending(vx + 1, vy + qh - 2))) wrong.push_back(at + "top-left corner dark");
            if (vx >= 3 &&
                (lit(pending(vx - 2, win.height / 2)) || lit(pending(vx + qw + 1, win.height / 2))))
                wrong.push_back(at + "picture wider than laid out");
        }
        if (ZUStopDisplayVideoFrame(video) != 0) ++stopFailures;
        done.store(true);
    });

    // The host: its message loop, and meanwhile the main window resized, the popup shown
    // over the video window and hidden, and renders asked for.
    const ZuRECT guiSizes[] = {{0, 0, kGuiW, kGuiH}, {0, 0, 900, 580}, {0, 0, 1040, 660}};
    char* items[] = {cs("first"), cs("second"), cs("third")};
    int guiResizes = 0, popups = 0, popupFailures = 0;
    ZuMSG m;
    while (!done.load()) {
        while (ZuPeekMessage(&m, 1) == 1) ZuDispatchMessage(&m);
        ZuRECT r = guiSizes[guiResizes % std::size(guiSizes)];
        ZUMaximizeGUI(&r, 1);
        ZUResizeWindow(root, &r, 1);
        ++guiResizes;
        ZuPOINT at{};
        ZUGetWndScreenOrigin(root, &at);
        if (ZUShowCombo(at.x + kVx + 40, at.y + kVy + 40, 160, 60, 3, items) != 0) ++popupFailures;
        ZURenderComboGUI();
        while (ZuPeekMessage(&m, 1) == 1) ZuDispatchMessage(&m);
        ZUHideCombo();
        ++popups;
        ZURePaint();
        usleep(5000);
    }
    display.join();
    const double seconds = double(ws::performanceCounter() - t0) / ws::performanceFrequency();
    pumpFor(50);

    for (const std::string& w : wrong) ADD_FAILURE() << w;
    // Non-zero codes of the start, stop, display and popup calls.
    EXPECT_EQ(std::tuple(startFailures, stopFailures, displayFailures, popupFailures),
              std::tuple(0, 0, 0, 0))
        << "first display failure at frame " << firstFailure << ", code " << lastCode;
    EXPECT_GT(guiResizes, 1);
    EXPECT_FALSE(video->started);
    // After the stop: the record's layout is the last frame's, and so is the picture.
    const Config& last = kConfigs[(kFrames - 1) / kPerConfig % std::size(kConfigs)];
    const ZuRECT& lastSize = kVideoSizes[videoResizes % 2];
    EXPECT_EQ(std::tuple(video->lastWidth, video->lastHeight, video->lastFormat, video->width,
                         video->height),
              std::tuple(last.w, last.h, last.format, lastSize.width, lastSize.height));
    ws::Rect client;
    ASSERT_TRUE(zu::test::screenRect(video->window, &client));
    EXPECT_EQ(client.width(), lastSize.width);
    winH = lastSize.height;
    EXPECT_TRUE(near(shown(lastSize.width / 2, lastSize.height / 2), kSolid, 4));
    EXPECT_TRUE(ZUIsVisible(root));

    std::printf(
        "frames shown %d of %d in %.1f s (%.0f/s), video resizes %d, main window resizes "
        "%d, popup openings %d, non-zero codes: start %d, display %d, stop %d, popup %d\n",
        shownCount.load(), kFrames, seconds, shownCount.load() / std::max(seconds, 1e-3),
        videoResizes, guiResizes, popups, startFailures, displayFailures, stopFailures,
        popupFailures);
}

}  // namespace
