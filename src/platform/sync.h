// Waitable objects and the one wait they share. All waitable state is guarded by one
// process-wide lock: the objects are few and held briefly, and one lock lets a thread
// that is told to stop or pause be woken from whatever it waits on.
#pragma once

#include <pthread.h>
#include <sys/types.h>

#include <condition_variable>
#include <mutex>

#include "platform/handles.h"

namespace zu::detail {

std::mutex& syncMutex();

struct Waitable : Object {
    using Object::Object;
    // Under syncMutex: true when signalled, taking the signal where the kind consumes it.
    virtual bool tryAcquire() = 0;
    std::condition_variable cv;
};

struct EventObject final : Waitable {
    EventObject(bool manual, bool signalled)
        : Waitable(Kind::Event), manual(manual), signalled(signalled) {}
    bool tryAcquire() override;
    const bool manual;
    bool signalled;
};

struct SemaphoreObject final : Waitable {
    SemaphoreObject(int count, int maximum)
        : Waitable(Kind::Semaphore), count(count), maximum(maximum) {}
    bool tryAcquire() override;
    int count;
    const int maximum;
};

constexpr unsigned kStillActive = 259;

struct ThreadObject final : Waitable {
    ThreadObject() : Waitable(Kind::Thread) {}
    bool tryAcquire() override { return finished; }  // signalled once the thread has ended

    int (*routine)(void*) = nullptr;
    void* argument = nullptr;
    pthread_t thread{};
    pid_t tid = 0;
    bool started = false;  // the thread has published its id and waits at the gate
    bool finished = false;
    unsigned exitCode = kStillActive;
    int suspendCount = 1;  // created suspended: the start gate
    bool terminateRequested = false;
    unsigned terminateCode = 0;
    std::condition_variable* waitingOn = nullptr;  // the cv this thread sleeps on, if any
};

// The ThreadObject of the calling thread when it was made by ZuCreateThread, else null.
ThreadObject* currentThread();

// Under syncMutex, on the calling thread: ends the thread when termination was asked for,
// and pauses it while it is suspended. Threads not made by us have no safe points.
void safePoint(std::unique_lock<std::mutex>& lock);

// Wakes a thread so that it reaches its next safe point. Under syncMutex.
void nudge(ThreadObject& thread);

// The shared wait: 0 when signalled, -2 on time-out or a handle that cannot be waited on.
int waitHandle(void* handle, int timeoutMs);

}  // namespace zu::detail
