// Load and endurance: a million posted messages from four threads while real pointer
// input arrives, and two hundred full GUI lifecycles that must give back every thread,
// descriptor, X resource and byte of resident memory they took.
#include <gtest/gtest.h>
// X headers after gtest: they define None.
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <malloc.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <climits>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "gui/gui_state.h"
#include "support/gui_fixture.h"
#include "zugui/zugui.h"

using namespace zu::test;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

constexpr int kThreads = 4;
constexpr int kPerThread = 250'000;

std::array<int, kThreads> lastSeen;
std::atomic<long> delivered{0};
std::atomic<long> outOfOrder{0};
std::atomic<long> offLoopThread{0};
std::thread::id loopThread;

int postedCallback(void*, unsigned msg, int a, int b, void*, void*) {
    if (msg == ZUM_CLICKED && a >= 0 && a < kThreads) {
        if (std::this_thread::get_id() != loopThread) offLoopThread.fetch_add(1);
        if (b != lastSeen[a] + 1) outOfOrder.fetch_add(1);
        lastSeen[a] = b;
        delivered.fetch_add(1);
    }
    return 0;
}

// Heap in use, in kB: unlike the resident size it does not move with the allocator's
// caching of freed blocks.
long heapKb() {
    return long(mallinfo2().uordblks / 1024);
}

// Resident size in kB, after free memory has been given back to the system.
long residentKb() {
    malloc_trim(0);
    long pages = 0, resident = 0;
    if (FILE* f = fopen("/proc/self/statm", "r")) {
        if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class StressTest : public GuiFixture {};

TEST_F(StressTest, AMillionPostsFromFourThreadsArriveOnceAndInOrderDuringInput) {
    ASSERT_EQ(ZUInitGUI(200, 200, 400, 300, nullptr, nullptr, nullptr, nullptr, 0), 0);
    ZuRECT r{0, 0, 400, 300};
    ZUWindowNode* root = ZUCreateWindow(cs("root"), 0, 1, &r, nullptr, nullptr, postedCallback);
    ASSERT_NE(root, nullptr);
    ZUStartGUI();
    ASSERT_TRUE(pumpUntil([] { return ws::isVisible(gui().mainWindow); }));
    lastSeen.fill(-1);
    loopThread = std::this_thread::get_id();

    std::atomic<bool> posting{true};
    std::atomic<long> refused{0};
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i)
                while (ZUPostMessage(root, ZUM_CLICKED, t, i, nullptr, nullptr) != 0) {
                    refused.fetch_add(1);
                    std::this_thread::yield();
                }
        });
    std::thread input([&] {
        TestDisplay x;
        for (int i = 0; posting.load(); ++i) {
            x.moveTo(220 + i % 300, 220 + (i * 7) % 200);
            if (i % 50 == 0) x.click(1);
            usleep(2000);
        }
    });
    EXPECT_EQ(delivered.load(), 0);  // nothing arrives before the loop runs

    double slowestMoveMs = 0;
    long moves = 0;
    const int64_t freq = ws::performanceFrequency();
    const int64_t end = ws::performanceCounter() + 120 * freq;
    ZuMSG m;
    while (delivered.load() < long{kThreads} * kPerThread && ws::performanceCounter() < end) {
        if (ws::getMessageTimeout(&m, 100) != 1) continue;
        const int64_t t0 = ws::performanceCounter();
        ZuDispatchMessage(&m);
        if (m.message == ws::WM_MOUSEMOVE || m.message == ws::WM_LBUTTONDOWN ||
            m.message == ws::WM_LBUTTONUP) {
            ++moves;
            slowestMoveMs =
                std::max(slowestMoveMs, (ws::performanceCounter() - t0) * 1000.0 / freq);
        }
    }
    posting.store(false);
    for (auto& p : posters) p.join();
    input.join();
    pumpFor(200);  // nothing more may arrive

    EXPECT_EQ(delivered.load(), long{kThreads} * kPerThread);
    EXPECT_EQ(std::pair(outOfOrder.load(), offLoopThread.load()), std::pair(0L, 0L));
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(lastSeen[t], kPerThread - 1);
    EXPECT_GT(moves, 10);
    // Pointer input waits for render passes; none may run into the 2 s time-out.
    EXPECT_LT(slowestMoveMs, 1000.0);
    printf("delivered %ld, refused posts %ld, pointer moves %ld, slowest handshake %.1f ms\n",
           delivered.load(), refused.load(), moves, slowestMoveMs);

    // A stopped GUI delivers nothing; a post left queued at ZUKillGUI is freed with it.
    ZUStopGUI();
    ZUPostMessage(root, ZUM_CLICKED, 0, kPerThread, nullptr, nullptr);
    pumpFor(100);
    EXPECT_EQ(delivered.load(), long{kThreads} * kPerThread);
    ZUStartGUI();
    ZUPostMessage(root, ZUM_CLICKED, 0, kPerThread, nullptr, nullptr);
}

// Resources of this process's X connection, by type name.
std::map<std::string, int> xResources(Display* dpy, XID anyOfOurs) {
    std::map<std::string, int> out;
    int n = 0;
    XResType* types = nullptr;
    if (!XResQueryClientResources(dpy, anyOfOurs, &n, &types)) return out;  // 0: failure
    for (int i = 0; i < n; ++i) {
        char* name = XGetAtomName(dpy, types[i].resource_type);
        if (name) out[name] = static_cast<int>(types[i].count), XFree(name);
    }
    XFree(types);
    return out;
}

// Dispatches every message already waiting, without waiting for more.
void dispatchWaiting() {
    ZuMSG m;
    while (ws::getMessageTimeout(&m, 0) == 1) ZuDispatchMessage(&m);
}

int childCallback(void*, unsigned msg, int, int, void*, void*) {
    return msg == ZUM_RENDER;
}

TEST_F(StressTest, TwoHundredLifecyclesGiveEverythingBack) {
    int major = 0, minor = 0, evt = 0, err = 0;
    ASSERT_TRUE(XResQueryExtension(x.dpy, &evt, &err) && XResQueryVersion(x.dpy, &major, &minor));
    XID ours = 0;
    auto cycle = [&](int i) {
        ASSERT_EQ(
            ZUInitGUI(10 + i % 50, 10, 320, 200, nullptr, nullptr, cs("zugui.ico"), nullptr, 0), 0);
        ZuRECT r{0, 0, 320, 200};
        ZUWindowNode* root = ZUCreateWindow(cs("root"), 0, 1, &r, nullptr, nullptr, childCallback);
        for (int k = 0; k < 20; ++k) {
            ZuRECT c{(k % 5) * 60, (k / 5) * 45, 56, 40};
            ZUCreateWindow(cs("child"), 0, 1, &c, nullptr, root, childCallback);
        }
        ZUStartGUI();
        ZURePaint();
        dispatchWaiting();
        ours = reinterpret_cast<XID>(ZUGetHWND());
        ZUStopGUI();
        ZUKillGUI();
        ZUDestroyWindow(root);
        // What the kill queued for the dead windows, as a host's loop would take it; left
        // queued it would grow the heap by a kilobyte or so a cycle.
        dispatchWaiting();
        // Nothing of the GUI outlives its kill: window, record, context.
        void* made = reinterpret_cast<void*>(ours);
        EXPECT_EQ(ws::fromNative(made), nullptr);
        EXPECT_FALSE(viewable(made));
        EXPECT_EQ(ws::currentContext(), nullptr);
        EXPECT_EQ(ZUGetDC(), nullptr);
    };
    for (int i = 0; i < 10; ++i) cycle(i);  // the GL driver and the allocator settle
    pumpFor(100);
    const int threads = countEntries("/proc/self/task");
    const int fds = countEntries("/proc/self/fd");
    const long rss = residentKb(), heap = heapKb();
    // Windows at the top of the screen, whichever connection made them.
    const size_t windows = childWindows(x.dpy, DefaultRootWindow(x.dpy)).size();
    const auto before = xResources(x.dpy, ours);
    ASSERT_FALSE(before.empty());
    for (int i = 10; i < 200; ++i) cycle(i);
    pumpFor(100);
    x.sync();
    EXPECT_EQ(countEntries("/proc/self/task"), threads);
    EXPECT_EQ(countEntries("/proc/self/fd"), fds);
    EXPECT_EQ(childWindows(x.dpy, DefaultRootWindow(x.dpy)).size(), windows);
    const auto after = xResources(x.dpy, ours);
    for (const auto& [type, count] : after) {
        const auto it = before.find(type);
        EXPECT_EQ(count, it == before.end() ? 0 : it->second) << type;
    }
    // 190 cycles must not grow the process. Under the sanitizers freed blocks wait in
    // quarantine or keep their shadow, so memory grows by design there, and the heap is
    // not glibc's; the leak check of the address-sanitizer run does this job.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr long kAllowanceKb = 64 * 1024;
#else
    // Five runs, free memory trimmed and the queue emptied each cycle, grew 96 to 160 kB
    // resident and 39 to 59 kB of heap; a loss of 1.4 kB a cycle fails the heap check.
    constexpr long kAllowanceKb = 1024;
    EXPECT_LT(heapKb() - heap, 256) << "heap " << heap << " -> " << heapKb() << " kB";
#endif
    EXPECT_LT(residentKb() - rss, kAllowanceKb)
        << "resident " << rss << " -> " << residentKb() << " kB";
    printf(
        "threads %d, descriptors %d, resident %ld -> %ld kB, heap %ld -> %ld kB, X resource "
        "types %zu\n",
        threads, fds, rss, residentKb(), heap, heapKb(), after.size());
}

}  // namespace
