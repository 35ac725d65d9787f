// The converter's worker threads: started by the first frame that is split, ended by
// ZUKillGUI or at process exit.
#include "video/convert/workers.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "zugui/video.h"

namespace zu::detail {
namespace {

// Spins (politely, for a sibling hyper-thread) until ready() or for about us microseconds;
// true when ready() held.
template <class Ready>
bool spinFor(int us, Ready&& ready) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::microseconds(us);
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (ready()) return true;
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#elif defined(__aarch64__)
            asm volatile("yield");
#endif
        }
        if (std::chrono::steady_clock::now() >= end) return ready();
    }
}

// Waking a sleeping thread costs tens of microseconds on a virtual machine, a tenth of a
// 1080p frame, so the caller, having done its own parts, spins a while for the workers'
// last ones before it sleeps. Workers do not spin between frames: measured with another
// process busy on the second core, a 100 us spin after each frame cost a fifth of the
// frame's time, and frames of a video come milliseconds apart.
constexpr int kCallerSpinMinUs = 20, kCallerSpinMaxUs = 1000;

struct Pool {
    std::mutex frame;  // one split frame at a time; other callers convert alone
    std::mutex m;
    std::condition_variable wake, done;
    std::vector<std::thread> threads;
    std::atomic<int> wanted{0};  // 0: the default
    uint64_t generation = 0;
    bool quit = false;
    bool callerAsleep = false;
    // The frame being split.
    RowRangeFn fn = nullptr;
    void* ctx = nullptr;
    int rows = 0, partRows = 0, parts = 0;
    int next = 0;
    std::atomic<int> remaining{0};  // decremented under m

    ~Pool() { stop(); }

    // Claims parts of frame gen under the lock, so a worker that wakes late never takes a
    // part of the next frame with this one's function. Returns the parts run.
    int runParts(uint64_t gen) {
        int ran = 0;
        std::unique_lock<std::mutex> l(m);
        while (generation == gen && next < parts) {
            const int b = next++ * partRows, e = std::min(rows, b + partRows);
            const RowRangeFn f = fn;
            void* c = ctx;
            l.unlock();
            if (b < e) f(c, b, e);
            ++ran;
            l.lock();
            if (remaining.fetch_sub(1, std::memory_order_release) == 1 && callerAsleep)
                done.notify_one();
        }
        return ran;
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

    // With frame held: runs the frame's parts with the workers, returns when all are done.
    void split(RowRangeFn f, void* c, int nRows, int nPartRows, int nParts) {
        uint64_t gen;
        {
            std::lock_guard<std::mutex> l(m);
            fn = f;
            ctx = c;
            rows = nRows;
            partRows = nPartRows;
            parts = nParts;
            next = 0;
            remaining.store(nParts, std::memory_order_relaxed);
            gen = ++generation;
        }
        wake.notify_all();
        const auto start = std::chrono::steady_clock::now();
        const int ran = runParts(gen);
        // The workers hold at most one part each now, done within about a part's time
        // unless the system has preempted them: then the caller's spinning would only keep
        // them off its core, so it sleeps.
        const auto took = std::chrono::steady_clock::now() - start;
        const int partUs = int(std::chrono::duration_cast<std::chrono::microseconds>(took).count() /
                               std::max(ran, 1));
        if (spinFor(std::clamp(2 * partUs, kCallerSpinMinUs, kCallerSpinMaxUs),
                    [&] { return remaining.load(std::memory_order_acquire) == 0; }))
            return;
        std::unique_lock<std::mutex> l(m);
        callerAsleep = true;
        done.wait(l, [&] { return remaining.load(std::memory_order_acquire) == 0; });
        callerAsleep = false;
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
    // Several parts per thread, taken in turn: a thread that wakes late or that the system
    // preempts holds up only a small part while the others take the rest.
    const int units = (rows + grain - 1) / grain;
    const int parts = std::min(8 * threads, units);
    p.split(fn, ctx, rows, (units + parts - 1) / parts * grain, parts);
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
