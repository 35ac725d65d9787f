// Threads on pthreads. Suspension and termination have no safe POSIX counterpart, so both
// are cooperative: a thread pauses or ends at its next safe point, that is, inside
// ZuSleep, the shared wait, ZuSuspendThread on itself or ZuTerminateThread on itself.
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/sync.h"
#include "zugui/platform.h"

namespace zu::detail {
namespace {

thread_local ThreadObject* tCurrent = nullptr;

constexpr int kMaxSuspendCount = 127;

[[noreturn]] void endCurrentThread(std::unique_lock<std::mutex>& lock) {
    lock.unlock();
    // Unwinds the stack (destructors run), and the exit guard in threadMain records the
    // code. On a thread not made by us this simply ends the thread.
    pthread_exit(nullptr);
}

struct ExitGuard {
    std::shared_ptr<ThreadObject> self;
    bool returned = false;
    int result = 0;
    unsigned pendingCode = 0;  // set by ZuThreadExit

    ~ExitGuard() {
        std::lock_guard lock(syncMutex());
        if (self->terminateRequested)
            self->exitCode = self->terminateCode;
        else
            self->exitCode = returned ? static_cast<unsigned>(result) : pendingCode;
        self->finished = true;
        self->cv.notify_all();
        tCurrent = nullptr;
    }
};

thread_local ExitGuard* tExitGuard = nullptr;

void* threadMain(void* raw) {
    auto* boot = static_cast<std::shared_ptr<ThreadObject>*>(raw);
    ExitGuard guard{std::move(*boot)};
    delete boot;
    ThreadObject& self = *guard.self;
    tCurrent = &self;
    tExitGuard = &guard;
    {
        std::unique_lock lock(syncMutex());
        self.tid = gettid();
        self.started = true;
        self.cv.notify_all();
        safePoint(lock);  // the start gate: held until priority and affinity are set
    }
    guard.result = self.routine(self.argument);
    guard.returned = true;
    return nullptr;
}

// Nice values are relative to the process's own (that of its first thread), so a host
// started with `nice` keeps its threads below others.
void applyPriority(ThreadObject& t, int priority) {
    errno = 0;
    int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    if (base == -1 && errno != 0) base = 0;
    auto setNice = [&](int delta) {
        int nice = std::clamp(base + delta, -20, 19);
        setpriority(PRIO_PROCESS, static_cast<id_t>(t.tid), nice);  // refused: stays inherited
    };
    sched_param other{};
    other.sched_priority = 0;
    switch (priority) {
        case 0:  // lowest
            pthread_setschedparam(t.thread, SCHED_OTHER, &other);
            setNice(+10);
            break;
        case 2:  // highest
            pthread_setschedparam(t.thread, SCHED_OTHER, &other);
            setNice(-5);
            break;
        case 3: {  // time-critical: real-time round robin, low in the real-time range
            sched_param rr{};
            rr.sched_priority = 10;
            if (pthread_setschedparam(t.thread, SCHED_RR, &rr) != 0) {
                pthread_setschedparam(t.thread, SCHED_OTHER, &other);
                setNice(-10);
            }
            break;
        }
        default:  // normal, also for every other value
            pthread_setschedparam(t.thread, SCHED_OTHER, &other);
            setNice(0);
            break;
    }
}

void applyAffinity(ThreadObject& t, int affinity) {
    if (affinity == -1) return;
    cpu_set_t set;
    CPU_ZERO(&set);
    const unsigned mask = static_cast<unsigned>(affinity);
    for (unsigned cpu = 0; cpu < 32; ++cpu)
        if (mask & (1u << cpu)) CPU_SET(cpu, &set);
    // A mask naming no usable processor is refused and the thread keeps the default.
    pthread_setaffinity_np(t.thread, sizeof set, &set);
}

}  // namespace

ThreadObject* currentThread() {
    return tCurrent;
}

void safePoint(std::unique_lock<std::mutex>& lock) {
    ThreadObject* self = tCurrent;
    if (!self) return;
    for (;;) {
        if (self->terminateRequested) endCurrentThread(lock);
        if (self->suspendCount <= 0) return;
        self->cv.wait(lock);
    }
}

void nudge(ThreadObject& thread) {
    if (thread.waitingOn) thread.waitingOn->notify_all();
    thread.cv.notify_all();
}

}  // namespace zu::detail

using namespace zu::detail;

ZUAPI void* ZuCreateThread(int (*routine)(void*), void* argument, int /*unused*/, int priority,
                           int affinity, unsigned long* threadId) {
    if (!routine) return nullptr;
    auto t = std::make_shared<ThreadObject>();
    t->routine = routine;
    t->argument = argument;
    auto* boot = new std::shared_ptr<ThreadObject>(t);
    pthread_t thread;
    if (pthread_create(&thread, nullptr, threadMain, boot) != 0) {
        delete boot;
        return nullptr;
    }
    pthread_detach(thread);  // waits go through the handle; the system reclaims at exit
    {
        std::unique_lock lock(syncMutex());
        t->thread = thread;
        // The new thread only publishes its id here; it cannot fail to get this far.
        t->cv.wait_for(lock, std::chrono::seconds(10), [&] { return t->started; });
    }
    if (t->tid) applyPriority(*t, priority);
    applyAffinity(*t, affinity);
    if (threadId) *threadId = static_cast<unsigned long>(t->tid);
    void* handle = addHandle(t);
    std::lock_guard lock(syncMutex());
    t->suspendCount = 0;
    nudge(*t);
    return handle;
}

ZUAPI void ZuThreadExit(int code) {
    std::unique_lock lock(syncMutex());
    if (tExitGuard) tExitGuard->pendingCode = static_cast<unsigned>(code);
    endCurrentThread(lock);
}

ZUAPI ZuErr ZuGetExitCodeThread(void* thread, unsigned int* code) {
    auto t = findHandleOf<ThreadObject>(thread, Kind::Thread);
    if (!t || !code) return -2;
    std::lock_guard lock(syncMutex());
    *code = t->finished ? t->exitCode : kStillActive;
    return 0;
}

ZUAPI ZuErr ZuTerminateThread(void* thread, unsigned int code) {
    auto t = findHandleOf<ThreadObject>(thread, Kind::Thread);
    if (!t) return -2;
    std::unique_lock lock(syncMutex());
    if (t->finished || t->terminateRequested) return 0;  // the first code stands
    t->terminateRequested = true;
    t->terminateCode = code;
    if (t.get() == currentThread()) endCurrentThread(lock);
    nudge(*t);
    return 0;
}

ZUAPI ZuErr ZuSuspendThread(void* thread) {
    auto t = findHandleOf<ThreadObject>(thread, Kind::Thread);
    if (!t) return -2;
    std::unique_lock lock(syncMutex());
    if (t->suspendCount >= kMaxSuspendCount) return -2;
    ++t->suspendCount;
    if (t.get() == currentThread()) safePoint(lock);
    return 0;
}

ZUAPI ZuErr ZuResumeThread(void* thread) {
    auto t = findHandleOf<ThreadObject>(thread, Kind::Thread);
    if (!t) return -2;
    std::lock_guard lock(syncMutex());
    if (t->suspendCount > 0 && --t->suspendCount == 0) nudge(*t);
    return 0;
}

ZUAPI ZuErr ZuCloseThread(void* thread) {
    return closeHandle(thread);
}

ZUAPI void ZuSleep(int milliseconds) {
    ThreadObject* self = currentThread();
    if (milliseconds <= 0) {  // negative sleeps are read as 0, never as for ever
        if (self) {
            std::unique_lock lock(syncMutex());
            safePoint(lock);
        }
        sched_yield();
        return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    if (!self) {
        std::this_thread::sleep_until(deadline);
        return;
    }
    std::unique_lock lock(syncMutex());
    for (;;) {
        safePoint(lock);
        if (std::chrono::steady_clock::now() >= deadline) return;
        self->cv.wait_until(lock, deadline);
    }
}
