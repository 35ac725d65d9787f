// Threads (priority, affinity, exit codes, termination, suspension) and the objects they
// wait on: events, semaphores, mutexes, named objects; bad handles of every kind, files too.
#include <gtest/gtest.h>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "support/rows.h"
#include "zugui/platform.h"

namespace {

using zu::test::expectRows;
using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

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
    cpu_set_t mine;
    sched_getaffinity(0, sizeof mine, &mine);
    // Priorities and the nice value each gives where the system allows it; affinity -1
    // leaves the inherited mask, and the id given out is the system thread id.
    for (auto [priority, niceDelta] : {std::pair{1, 0}, {4, 0}, {-7, 0}, {0, 10}, {2, -5}}) {
        SCOPED_TRACE(testing::Message() << "priority " << priority);
        unsigned long id = 0;
        Seen seen = runRecorded(priority, -1, &id);
        ASSERT_TRUE(seen.ran);
        int expected = std::clamp(base + niceDelta, -20, 19);
        if (expected < base && !raise) expected = base;
        EXPECT_EQ(std::tuple(seen.nice, seen.policy, id),
                  std::tuple(expected, SCHED_OTHER, seen.tid));
        EXPECT_TRUE(CPU_EQUAL(&seen.affinity, &mine));
    }

    Seen critical = runRecorded(3, -1);
    EXPECT_TRUE(critical.policy == SCHED_RR ||
                (critical.policy == SCHED_OTHER && critical.nice <= base))
        << "time-critical runs real-time or at least not below normal";

    Seen first = runRecorded(1, 1);
    EXPECT_EQ(CPU_COUNT(&first.affinity), 1);
    EXPECT_TRUE(CPU_ISSET(0, &first.affinity));
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

TEST(Threads, ExitCodeIs259WhileRunningThenTheResultAndBadHandlesAreRefused) {
    Gate g;
    void* t = ZuCreateThread(waitThenReturn, &g, 0, 1, -1, nullptr);
    unsigned code = 0;
    // clang-format off
    expectRows({
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
    EXPECT_EQ(ZuCreateThread(nullptr, nullptr, 0, 1, -1, nullptr), nullptr);

    auto start = Clock::now();
    ZuSleep(-1);
    ZuSleep(0);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(50)) << "negative sleeps are 0";
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
        // The code, and the stack unwound short of the routine's end.
        EXPECT_EQ(std::tuple(exitCode(t), g.pastExit.load(), g.destroyed.load()),
                  std::tuple(1234, false, true));
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

TEST(Events, ManualStaysSignalledAutoLetsOneWaitThrough) {
    for (unsigned char manual : {0, 1})
        for (unsigned char initial : {0, 1}) {
            SCOPED_TRACE(testing::Message()
                         << "manual " << int(manual) << ", set " << int(initial));
            void* e = ZuCreateEvent(manual, initial, nullptr);
            ASSERT_NE(e, nullptr);
            EXPECT_EQ(ZuWaitForEvent(e, 0), initial ? 0 : -2);  // an auto poll takes the signal
            EXPECT_EQ(ZuSetEvent(e), 0);
            EXPECT_EQ(ZuSetEvent(e), 0);  // setting twice does not count twice
            for (int poll = 0; poll < 3; ++poll)
                EXPECT_EQ(ZuWaitForEvent(e, 0), poll == 0 || manual ? 0 : -2) << poll;
            EXPECT_EQ(ZuResetEvent(e), 0);
            EXPECT_EQ(ZuWaitForEvent(e, 0), -2);
            EXPECT_EQ(ZuCloseEvent(e), 0);
        }
}

TEST(Events, AutoResetReleasesOneWaiterPerSetManualResetEveryWaiter) {
    for (unsigned char manual : {0, 1}) {
        void* e = ZuCreateEvent(manual, 0, nullptr);
        std::atomic<int> through{0};
        std::vector<std::thread> waiters;
        for (int i = 0; i < 4; ++i)
            waiters.emplace_back([&] {
                if (ZuWaitForEvent(e, manual ? -1 : 3000) == 0) through.fetch_add(1);
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(through.load(), 0);
        for (int set = 1; set <= (manual ? 1 : 4); ++set) {
            ZuSetEvent(e);
            const int want = manual ? 4 : set;
            auto start = Clock::now();
            while (through.load() < want && msSince(start) < 2000) std::this_thread::yield();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            EXPECT_EQ(through.load(), want) << int(manual);
        }
        for (auto& w : waiters) w.join();
        ZuCloseEvent(e);
    }
}

TEST(Waits, TimeOutAfterTheTimeGivenWithTheCodeOfABrokenHandle) {
    void* e = ZuCreateEvent(0, 0, nullptr);
    auto start = Clock::now();
    EXPECT_EQ(ZuWaitForEvent(e, 60), -2);
    long long waited = msSince(start);
    EXPECT_GE(waited, 60);
    EXPECT_LT(waited, 1000);

    start = Clock::now();
    EXPECT_EQ(ZuWaitForEvent(e, 0), -2);
    EXPECT_LT(msSince(start), 50) << "a poll does not wait";

    // Negative time-outs other than -1 are refused at once and consume nothing.
    ZuSetEvent(e);
    start = Clock::now();
    EXPECT_EQ(ZuWaitForEvent(e, -5), -2);
    EXPECT_LT(msSince(start), 50);
    EXPECT_EQ(ZuWaitForEvent(e, 0), 0);
    ZuCloseEvent(e);
}

TEST(Semaphores, CountBetweenZeroAndMaximum) {
    void* s = ZuCreateSemaphore(2, 3, nullptr);
    ASSERT_NE(s, nullptr);
    auto take = [&] { return ZuWaitForSemaphore(s, 0); };
    auto give = [&] { return ZuReleaseSemaphore(s); };
    // clang-format off
    expectRows({
        ROW(take(), 0),  ROW(take(), 0),  ROW(take(), -2),
        ROW(give(), 0),  ROW(give(), 0),  ROW(give(), 0),  ROW(give(), -2),  // beyond the maximum
        ROW(take(), 0),  ROW(take(), 0),  ROW(take(), 0),  ROW(take(), -2),
        ROW(ZuCloseSemaphore(s), 0),
    });
    // clang-format on
    for (auto [initial, maximum] : {std::pair{0, 0}, {-1, 3}, {4, 3}, {1, -1}})
        EXPECT_EQ(ZuCreateSemaphore(initial, maximum, nullptr), nullptr) << initial << maximum;
}

TEST(Mutex, IsABinarySemaphoreAnyThreadMayRelease) {
    void* m = ZuMutexCreate();
    ASSERT_NE(m, nullptr);
    const auto start = Clock::now();
    int fromOther = 1;
    // clang-format off
    expectRows({
        ROW(ZuMutexRelease(m), -2),  // free already
        ROW(ZuMutexWait(m, 0), 0),
        ROW(ZuMutexWait(m, 0), -2),  // held, even by the same thread, and not waited for
        ROW(msSince(start) < 50, 1),
        AFTER(std::thread([&] { fromOther = ZuMutexRelease(m); }).join(), fromOther, 0),
        ROW(ZuMutexWait(m, 0), 0),   ROW(ZuMutexRelease(m), 0),  ROW(ZuMutexRelease(m), -2),
        ROW(ZuMutexWait(m, 0), 0),   // the failed release left the count at 1
        ROW(ZuMutexWait(m, 0), -2),  ROW(ZuMutexClose(m), 0),
    });
    // clang-format on
}

TEST(Mutex, GuardsACounterAcrossThreads) {
    void* m = ZuMutexCreate();
    long counter = 0;  // plain: only the mutex orders the increments
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 5000; ++i) {
                ASSERT_EQ(ZuMutexWait(m, -1), 0);
                ++counter;
                ASSERT_EQ(ZuMutexRelease(m), 0);
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(counter, 20000);
    ZuMutexClose(m);
}

TEST(NamedObjects, SameNameSharesStateUntilTheLastHandleCloses) {
    void* a = ZuCreateEvent(1, 0, "zu-test-shared");
    void* b = ZuCreateEvent(0, 1, "zu-test-shared");  // initial state of the live one holds
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    void* fresh = nullptr;
    void* s1 = ZuCreateSemaphore(0, 5, "zu-test-sem");
    void* s2 = ZuCreateSemaphore(0, 5, "zu-test-sem");
    // clang-format off
    expectRows({
        ROW(a != b, 1),  ROW(ZuWaitForEvent(b, 0), -2),
        AFTER(ZuSetEvent(a), ZuWaitForEvent(b, 0), 0),
        ROW(ZuWaitForEvent(b, 0), 0),  // manual reset, as created first
        ROW(ZuCloseEvent(a), 0),
        AFTER(ZuResetEvent(b), ZuWaitForEvent(b, 0), -2),  // still alive through b
        ROW(ZuCreateSemaphore(1, 1, "zu-test-shared") != nullptr, 0),  // the name is an event's
        ROW(ZuCloseEvent(b), 0),
        // A new object after the last close.
        AFTER(fresh = ZuCreateEvent(0, 1, "zu-test-shared"), ZuWaitForEvent(fresh, 0), 0),
        ROW(ZuWaitForEvent(fresh, 0), -2),  ROW(ZuCloseEvent(fresh), 0),
        AFTER(ZuReleaseSemaphore(s1), ZuWaitForSemaphore(s2, 0), 0),
        ROW(ZuWaitForSemaphore(s1, 0), -2),
        ROW(ZuCloseSemaphore(s1), 0),  ROW(ZuCloseSemaphore(s2), 0),
        ROW(ZuCreateEvent(0, 0, std::string(261, 'n').c_str()) != nullptr, 0),  // name too long
    });
    // clang-format on
}

// Every call that takes a handle, of threads, events, semaphores, mutexes and files.
TEST(Handles, BadHandlesAreAnsweredNotFollowed) {
    void* closed = ZuCreateEvent(1, 1, nullptr);
    ZuCloseEvent(closed);
    Gate g;
    ZuSetEvent(g.release);
    void* ended = ZuCreateThread(waitThenReturn, &g, 0, 1, -1, nullptr);
    ASSERT_EQ(ZuWaitForEvent(ended, 5000), 0);
    ZuCloseThread(ended);
    int local = 0;
    unsigned code = 0;
    char buf[4];
    void* bad[] = {nullptr, closed, ended, &local, reinterpret_cast<void*>(uintptr_t{1})};
    for (void* h : bad) {
        // clang-format off
        expectRows({
            ROW(ZuSetEvent(h), -2),  ROW(ZuResetEvent(h), -2),  ROW(ZuWaitForEvent(h, 0), -2),
            ROW(ZuWaitForEvent(h, -1), -2),  // never waits on a bad handle
            ROW(ZuReleaseSemaphore(h), -2), ROW(ZuMutexRelease(h), -2),
            ROW(ZuGetExitCodeThread(h, &code), -2),  ROW(ZuTerminateThread(h, 1), -2),
            ROW(ZuSuspendThread(h), -2),             ROW(ZuResumeThread(h), -2),
            ROW(ZuReadFile(h, buf, 4, nullptr), -2),  ROW(ZuWriteFile(h, buf, 4, nullptr), -2),
            ROW(ZuSeekFile(h, 0, 0, 0, 0), -2),       ROW(ZuSeekFile(h, 0, nullptr, 0), -2),
            ROW(ZuGetFileSize(h, nullptr), 0xFFFFFFFFu),
            ROW(ZuCloseEvent(h), 10000),  ROW(ZuMutexClose(h), 10000),
            ROW(ZuCloseThread(h), 10000), ROW(ZuCloseFile(h), 10000),
        });
        // clang-format on
    }
    // A handle of another kind is refused by the kind-specific calls; the close is shared
    // by all kinds.
    void* mutex = ZuMutexCreate();
    void* event = ZuCreateEvent(1, 1, nullptr);
    void* other = ZuCreateEvent(1, 1, nullptr);
    // clang-format off
    expectRows({
        ROW(ZuSetEvent(mutex), -2),  ROW(ZuReleaseSemaphore(event), -2),
        ROW(ZuGetExitCodeThread(event, &code), -2),  ROW(ZuTerminateThread(event, 1), -2),
        ROW(ZuSuspendThread(event), -2),             ROW(ZuResumeThread(event), -2),
        ROW(ZuReadFile(event, buf, 4, nullptr), -2),  ROW(ZuWriteFile(event, buf, 4, nullptr), -2),
        ROW(ZuSeekFile(event, 0, 0, 0, 0), -2),       ROW(ZuSeekFile(event, 0, nullptr, 0), -2),
        ROW(ZuGetFileSize(event, nullptr), 0xFFFFFFFFu),
        ROW(ZuCloseEvent(mutex), 0),  ROW(ZuMutexClose(event), 0),  ROW(ZuCloseFile(other), 0),
    });
    // clang-format on
}

}  // namespace
