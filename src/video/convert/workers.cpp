// The converter's worker threads: started by the first frame that is split, ended by
// ZUKillGUI or at process exit.
#include "video/convert/workers.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "zugui/video.h"

namespace zu::detail {
namespace {

struct Pool {
    std::mutex frame;  // one split frame at a time; other callers convert alone
    std::mutex m;
    std::condition_variable wake, done;
    std::vector<std::thread> threads;
    std::atomic<int> wanted{0};  // 0: the default
    uint64_t generation = 0;
    bool quit = false;
    // The frame being split.
    RowRangeFn fn = nullptr;
    void* ctx = nullptr;
    int rows = 0, partRows = 0, parts = 0;
    int next = 0;
    int remaining = 0;

    ~Pool() { stop(); }

    // Claims parts of frame gen under the lock, so a worker that wakes late never takes a
    // part of the next frame with this one's function.
    void runParts(uint64_t gen) {
        std::unique_lock<std::mutex> l(m);
        while (generation == gen && next < parts) {
            const int b = next++ * partRows, e = std::min(rows, b + partRows);
            const RowRangeFn f = fn;
            void* c = ctx;
            l.unlock();
            if (b < e) f(c, b, e);
            l.lock();
            if (--remaining == 0) done.notify_all();
        }
    }

    void worker() {
        uint64_t seen = 0;
        std::unique_lock<std::mutex> l(m);
        for (;;) {
            wake.wait(l, [&] { return quit || generation != seen; });
            if (quit) return;
            seen = generation;
            l.unlock();
            runParts(seen);
            l.lock();
        }
    }

    // With frame held.
    void join() {
        {
            std::lock_guard<std::mutex> l(m);
            quit = true;
        }
        wake.notify_all();
        for (auto& t : threads) t.join();
        threads.clear();
        quit = false;
    }

    void stop() {
        std::lock_guard<std::mutex> f(frame);
        join();
    }
};

Pool& pool() {
    static Pool p;
    return p;
}

int defaultThreads() {
    const unsigned n = std::thread::hardware_concurrency();
    return int(std::clamp(n, 1u, 4u));
}

}  // namespace

int convertThreadCount() {
    const int w = pool().wanted.load(std::memory_order_relaxed);
    return w ? w : defaultThreads();
}

void stopConvertWorkers() {
    pool().stop();
}

void forRowRanges(int rows, int grain, int64_t pixels, RowRangeFn fn, void* ctx) {
    Pool& p = pool();
    const int threads = convertThreadCount();
    grain = std::max(grain, 1);
    if (threads < 2 || pixels < kSplitPixels || rows < 2 * grain) return fn(ctx, 0, rows);
    std::unique_lock<std::mutex> f(p.frame, std::try_to_lock);
    if (!f.owns_lock()) return fn(ctx, 0, rows);
    if (int(p.threads.size()) != threads - 1) {
        p.join();
        for (int i = 0; i < threads - 1; ++i) p.threads.emplace_back([&p] { p.worker(); });
    }
    // Several parts per thread, taken in turn: a thread that the system preempts holds up
    // only a small part while the others take the rest.
    const int units = (rows + grain - 1) / grain;
    const int parts = std::min(4 * threads, units);
    uint64_t gen;
    {
        std::lock_guard<std::mutex> l(p.m);
        p.fn = fn;
        p.ctx = ctx;
        p.rows = rows;
        p.partRows = (units + parts - 1) / parts * grain;
        p.parts = parts;
        p.remaining = parts;
        p.next = 0;
        gen = ++p.generation;
    }
    p.wake.notify_all();
    p.runParts(gen);
    std::unique_lock<std::mutex> l(p.m);
    p.done.wait(l, [&] { return p.remaining == 0; });
}

}  // namespace zu::detail

ZUAPI ZuErr ZUSetConvertThreads(int threads) {
    if (threads < 1 || threads > 16) return -2;
    zu::detail::pool().wanted.store(threads, std::memory_order_relaxed);
    return 0;
}

ZUAPI int ZUGetConvertThreads(void) {
    return zu::detail::convertThreadCount();
}
