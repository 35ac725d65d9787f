// A display thread showing ten thousand small frames of changing size and format, and
// resizing its video window between a stop and a start, while the host thread moves and
// sizes the main window, opens the drop-down popup over the video and asks for renders.
// Every frame must be answered 0 and laid out for the frame and the window it meets.
#include "video/video_support.h"
//
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <tuple>

#include "zugui/popups.h"
#include "zugui/zugui.h"

using namespace zu::test;
namespace ws = zu::ws;

namespace {

constexpr int kFrames = 10'000;
constexpr int kPerConfig = 500;   // frames before the size or format changes
constexpr int kPerResize = 2350;  // within a configuration, so only the size changes

struct Config {
    int w, h;
    unsigned format;
};
// Pictures filling the window and boxed inside it, in turn. The last one shown is bgrA.
const Config kConfigs[] = {{128, 72, ZU_PF_2vuy}, {96, 96, ZU_PF_bgrA}, {128, 96, ZU_PF_2vuy},
                           {64, 36, ZU_PF_bgrA}};
// At the fixture's video position (checked in the test).
constexpr int kLeft = 20, kTop = 40;
const ZuRECT kVideoSizes[] = {{kLeft, kTop, 320, 180}, {kLeft, kTop, 256, 144}};
const Rgb kSolid = {40, 200, 90};

bool lit(const Rgb& c) {
    return std::max({c.r, c.g, c.b}) > 40;
}

class DisplayStressTest : public VideoTest {};

TEST_F(DisplayStressTest, FramesFromAThreadSurviveMainWindowResizesAndThePopup) {
    static_assert(kLeft == kVx && kTop == kVy);
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
            if (vx >= 3 && (lit(pending(vx - 2, win.height / 2)) ||
                            lit(pending(vx + qw + 1, win.height / 2))))
                wrong.push_back(at + "picture wider than laid out");
        }
        if (ZUStopDisplayVideoFrame(video) != 0) ++stopFailures;
        done.store(true);
    });

    // The host: its message loop, and meanwhile the main window resized, the popup shown
    // over the video window and hidden, and renders asked for.
    const ZuRECT guiSizes[] = {{0, 0, kGuiW, kGuiH}, {0, 0, 900, 580}, {0, 0, 1040, 660}};
    char item0[] = "first", item1[] = "second", item2[] = "third";
    char* items[] = {item0, item1, item2};
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
    EXPECT_EQ(shownCount.load(), kFrames);
    EXPECT_EQ(videoResizes, kFrames / kPerResize - (kFrames % kPerResize == 0 ? 1 : 0));
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

    std::printf("frames shown %d of %d in %.1f s (%.0f/s), video resizes %d, main window resizes "
                "%d, popup openings %d, non-zero codes: start %d, display %d, stop %d, popup %d\n",
                shownCount.load(), kFrames, seconds, shownCount.load() / std::max(seconds, 1e-3),
                videoResizes, guiResizes, popups, startFailures, displayFailures, stopFailures,
                popupFailures);
}

}  // namespace
