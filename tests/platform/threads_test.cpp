#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include "support/rows.h"
#include "zugui/platform.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Seen {
    bool ran = false;
    int nice = 99;
    int policy = -1;
    cpu_set_t affinity{};
    unsigned long tid = 0;
};

int recordSelf(void* p) {
    auto* s = static_cast<Seen*>(p);
    s->nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    s->policy = sched_getscheduler(0);
    sched_getaffinity(0, sizeof s->affinity, &s->affinity);
    s->tid = static_cast<unsigned long>(gettid());
    s->ran = true;
    return 42;
}

// A thread's exit code, or -1 when it cannot be read.
long exitCode(void* thread) {
    unsigned code = 0;
    return ZuGetExitCodeThread(thread, &code) == 0 ? long(code) : -1;
}

// Runs recordSelf on a new thread and waits for it to end.
Seen runRecorded(int priority, int affinity, unsigned long* id = nullptr) {
    Seen seen;
    void* t = ZuCreateThread(recordSelf, &seen, 0, priority, affinity, id);
    EXPECT_NE(t, nullptr);
    EXPECT_EQ(ZuWaitForEvent(t, 5000), 0);  // a thread handle is signalled when it ends
    EXPECT_EQ(exitCode(t), 42);
    EXPECT_EQ(ZuCloseThread(t), 0);
    return seen;
}

bool canRaisePriority() {
    bool ok = false;
    std::thread([&] {
        int before = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        ok = setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), before - 1) == 0;
    }).join();
    return ok;
}

TEST(Threads, PriorityAndAffinityAreInPlaceBeforeTheRoutineRuns) {
    const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    const bool raise = canRaisePriority();
    struct Case {
        int priority;
        int niceDelta;  // expected when the system allows it
    } cases[] = {{1, 0}, {4, 0}, {-7, 0}, {0, 10}, {2, -5}};
    for (auto c : cases) {
        Seen seen = runRecorded(c.priority, -1);
        ASSERT_TRUE(seen.ran);
        int expected = std::clamp(base + c.niceDelta, -20, 19);
        if (expected < base && !raise) expected = base;
        EXPECT_EQ(seen.nice, expected) << "priority " << c.priority;
        EXPECT_EQ(seen.policy, SCHED_OTHER) << "priority " << c.priority;
    }

    Seen critical = runRecorded(3, -1);
    EXPECT_TRUE(critical.policy == SCHED_RR ||
                (critical.policy == SCHED_OTHER && critical.nice <= base))
        << "time-critical runs real-time or at least not below normal";

    Seen first = runRecorded(1, 1);
    EXPECT_EQ(CPU_COUNT(&first.affinity), 1);
    EXPECT_TRUE(CPU_ISSET(0, &first.affinity));

    cpu_set_t mine;
    sched_getaffinity(0, sizeof mine, &mine);
    unsigned long id = 0;
    Seen any = runRecorded(1, -1, &id);
    EXPECT_TRUE(CPU_EQUAL(&any.affinity, &mine)) << "-1 leaves the inherited mask";
    EXPECT_EQ(id, any.tid) << "the id given out is the system thread id";
}

struct Gate {
    void* release = ZuCreateEvent(1, 0, nullptr);
    std::atomic<bool> destroyed{false};
    std::atomic<bool> pastExit{false};
    ~Gate() { ZuCloseEvent(release); }
};

struct Flag {
    std::atomic<bool>* set;
    ~Flag() { set->store(true); }
};

int waitThenReturn(void* p) {
    auto* g = static_cast<Gate*>(p);
    ZuWaitForEvent(g->release, -1);
    return 7;
}

void exitFromDeep(Gate* g) {
    Flag f{&g->destroyed};
    ZuThreadExit(9);
    g->pastExit = true;
}

int exitEarly(void* p) {
    exitFromDeep(static_cast<Gate*>(p));
    return 1;
}

TEST(Threads, ExitCodeIs259WhileRunningThenTheResultAlsoFromThreadExit) {
    Gate g;
    void* t = ZuCreateThread(waitThenReturn, &g, 0, 1, -1, nullptr);
    unsigned code = 0;
    // clang-format off
    zu::test::expectRows({
        ROW(ZuGetExitCodeThread(t, &code), 0),  ROW(code, 259),
        ROW(ZuWaitForEvent(t, 30), -2),  // still running
        AFTER(ZuSetEvent(g.release), ZuWaitForEvent(t, 5000), 0),
        ROW(ZuGetExitCodeThread(t, &code), 0),  ROW(code, 7),
        ROW(ZuGetExitCodeThread(t, nullptr), -2),
        ROW(ZuCloseThread(t), 0),  ROW(ZuGetExitCodeThread(t, &code), -2),  // closed
    });
    // clang-format on
    // ZuThreadExit deep in the routine unwinds its stack and sets the code.
    Gate h;
    t = ZuCreateThread(exitEarly, &h, 0, 1, -1, nullptr);
    ASSERT_EQ(ZuWaitForEvent(t, 5000), 0);
    EXPECT_EQ(std::tuple(exitCode(t), h.destroyed.load(), h.pastExit.load()),
              std::tuple(9, true, false));
    ZuCloseThread(t);
}

int sleepLong(void* p) {
    auto* g = static_cast<Gate*>(p);
    Flag f{&g->destroyed};
    ZuSleep(60000);
    g->pastExit = true;
    return 1;
}

int waitLong(void* p) {
    auto* g = static_cast<Gate*>(p);
    Flag f{&g->destroyed};
    ZuWaitForEvent(g->release, -1);
    g->pastExit = true;
    return 1;
}

int terminateSelf(void* p) {
    auto* handle = static_cast<std::atomic<void*>*>(p);
    while (!handle->load()) ZuSleep(1);  // stored by the creator once ZuCreateThread returns
    ZuTerminateThread(handle->load(), 77);
    return 1;
}

TEST(Threads, TerminateEndsAThreadAtItsSafePointWithTheCode) {
    for (auto routine : {sleepLong, waitLong}) {
        Gate g;
        void* t = ZuCreateThread(routine, &g, 0, 1, -1, nullptr);
        ZuSleep(30);
        auto start = Clock::now();
        EXPECT_EQ(ZuTerminateThread(t, 1234), 0);
        EXPECT_EQ(ZuWaitForEvent(t, 5000), 0);
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(2)) << "woken, not waited out";
        EXPECT_EQ(exitCode(t), 1234);
        EXPECT_FALSE(g.pastExit.load());
        EXPECT_TRUE(g.destroyed.load()) << "the terminated thread's stack was unwound";
        EXPECT_EQ(ZuTerminateThread(t, 5), 0);
        EXPECT_EQ(exitCode(t), 1234) << "an ended thread keeps its code";
        ZuCloseThread(t);
    }
    // On itself: ends at once.
    std::atomic<void*> handle{nullptr};
    void* t = ZuCreateThread(terminateSelf, &handle, 0, 1, -1, nullptr);
    handle.store(t);
    ASSERT_EQ(ZuWaitForEvent(t, 5000), 0);
    EXPECT_EQ(exitCode(t), 77);
    ZuCloseThread(t);
}

struct Ticker {
    std::atomic<int> ticks{0};
    std::atomic<bool> stop{false};
};

int tick(void* p) {
    auto* k = static_cast<Ticker*>(p);
    while (!k->stop.load()) {
        k->ticks.fetch_add(1);
        ZuSleep(1);
    }
    return 0;
}

TEST(Threads, SuspendedThreadPausesAtItsNextSafePointUntilResumed) {
    Ticker k;
    void* t = ZuCreateThread(tick, &k, 0, 1, -1, nullptr);
    ZuSleep(30);
    EXPECT_EQ(ZuSuspendThread(t), 0);
    EXPECT_EQ(ZuSuspendThread(t), 0);
    // The thread may finish the tick it is in before it reaches its safe point.
    int paused = k.ticks.load();
    for (int settle = 0; settle < 100; ++settle) {
        ZuSleep(30);
        if (k.ticks.load() == paused) break;
        paused = k.ticks.load();
    }
    ZuSleep(80);
    EXPECT_EQ(k.ticks.load(), paused);
    EXPECT_EQ(ZuResumeThread(t), 0);
    ZuSleep(40);
    EXPECT_EQ(k.ticks.load(), paused) << "still suspended once";
    EXPECT_EQ(ZuResumeThread(t), 0);
    EXPECT_EQ(ZuResumeThread(t), 0) << "resuming a running thread is not a failure";
    auto start = Clock::now();
    while (k.ticks.load() == paused && Clock::now() - start < std::chrono::seconds(2)) ZuSleep(1);
    EXPECT_GT(k.ticks.load(), paused);
    k.stop = true;
    EXPECT_EQ(ZuWaitForEvent(t, 5000), 0);
    ZuCloseThread(t);
}

TEST(Threads, BadThreadHandlesAndArguments) {
    void* event = ZuCreateEvent(0, 0, nullptr);
    Gate g;
    void* ended = ZuCreateThread(waitThenReturn, &g, 0, 1, -1, nullptr);
    ZuSetEvent(g.release);
    ZuWaitForEvent(ended, 5000);
    ZuCloseThread(ended);
    int local = 0;
    unsigned code = 0;
    for (void* h : {static_cast<void*>(nullptr), ended, event, static_cast<void*>(&local)}) {
        // clang-format off
        zu::test::expectRows({
            ROW(ZuGetExitCodeThread(h, &code), -2),  ROW(ZuTerminateThread(h, 1), -2),
            ROW(ZuSuspendThread(h), -2),             ROW(ZuResumeThread(h), -2),
            ROW(h == event ? 10000 : ZuCloseThread(h), 10000),
        });
        // clang-format on
    }
    EXPECT_EQ(ZuCreateThread(nullptr, nullptr, 0, 1, -1, nullptr), nullptr);
    ZuCloseEvent(event);

    auto start = Clock::now();
    ZuSleep(-1);
    ZuSleep(0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50)) << "negative sleeps are 0";
}

}  // namespace
