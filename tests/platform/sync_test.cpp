#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/rows.h"
#include "zugui/platform.h"

namespace {

using zu::test::expectRows;

using Clock = std::chrono::steady_clock;

long long msSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(Events, ManualStaysSignalledAutoLetsOneWaitThrough) {
    struct Case {
        unsigned char manual, initial;
        std::vector<int> polls;  // results of successive ZuWaitForEvent(e, 0) after a set
    } cases[] = {
        {0, 0, {0, -2, -2}},
        {1, 0, {0, 0, 0}},
        {0, 1, {0, -2, -2}},  // the first poll takes the initial signal
        {1, 1, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        void* e = ZuCreateEvent(c.manual, c.initial, nullptr);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(ZuWaitForEvent(e, 0), c.initial ? 0 : -2);
        EXPECT_EQ(ZuSetEvent(e), 0);
        EXPECT_EQ(ZuSetEvent(e), 0);  // setting twice does not count twice
        for (int expected : c.polls) EXPECT_EQ(ZuWaitForEvent(e, 0), expected) << int(c.manual);
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
    EXPECT_NE(a, b);
    EXPECT_EQ(ZuWaitForEvent(b, 0), -2);
    ZuSetEvent(a);
    EXPECT_EQ(ZuWaitForEvent(b, 0), 0);
    EXPECT_EQ(ZuWaitForEvent(b, 0), 0) << "manual reset, as created first";
    EXPECT_EQ(ZuCloseEvent(a), 0);
    ZuResetEvent(b);
    EXPECT_EQ(ZuWaitForEvent(b, 0), -2) << "still alive through b";
    EXPECT_EQ(ZuCreateSemaphore(1, 1, "zu-test-shared"), nullptr) << "name held by an event";
    EXPECT_EQ(ZuCloseEvent(b), 0);

    void* fresh = ZuCreateEvent(0, 1, "zu-test-shared");
    EXPECT_EQ(ZuWaitForEvent(fresh, 0), 0) << "a new object after the last close";
    EXPECT_EQ(ZuWaitForEvent(fresh, 0), -2);
    ZuCloseEvent(fresh);

    void* s1 = ZuCreateSemaphore(0, 5, "zu-test-sem");
    void* s2 = ZuCreateSemaphore(0, 5, "zu-test-sem");
    ZuReleaseSemaphore(s1);
    EXPECT_EQ(ZuWaitForSemaphore(s2, 0), 0);
    EXPECT_EQ(ZuWaitForSemaphore(s1, 0), -2);
    ZuCloseSemaphore(s1);
    ZuCloseSemaphore(s2);

    EXPECT_EQ(ZuCreateEvent(0, 0, std::string(261, 'n').c_str()), nullptr);
}

TEST(Handles, BadHandlesAreAnsweredNotFollowed) {
    void* closed = ZuCreateEvent(1, 1, nullptr);
    ZuCloseEvent(closed);
    int local = 0;
    void* mutex = ZuMutexCreate();
    void* event = ZuCreateEvent(1, 1, nullptr);
    void* bad[] = {nullptr, closed, &local, reinterpret_cast<void*>(uintptr_t{1})};
    for (void* h : bad) {
        // clang-format off
        expectRows({
            ROW(ZuSetEvent(h), -2),  ROW(ZuResetEvent(h), -2),  ROW(ZuWaitForEvent(h, 0), -2),
            ROW(ZuWaitForEvent(h, -1), -2),  // never waits on a bad handle
            ROW(ZuReleaseSemaphore(h), -2), ROW(ZuMutexRelease(h), -2),
            ROW(ZuCloseEvent(h), 10000),    ROW(ZuMutexClose(h), 10000),
        });
        // clang-format on
    }
    // A handle of another kind is refused by the kind-specific operations.
    EXPECT_EQ(ZuSetEvent(mutex), -2);
    EXPECT_EQ(ZuReleaseSemaphore(event), -2);
    EXPECT_EQ(ZuCloseEvent(mutex), 0) << "the close operation is shared by all kinds";
    EXPECT_EQ(ZuMutexClose(event), 0);
}

}  // namespace
