// Events, semaphores, the binary-semaphore mutex and the wait they share.
#include "platform/sync.h"

#include <chrono>
#include <cstring>

#include "zugui/platform.h"

namespace zu::detail {
namespace {

// Longer names are refused, as the classic object name space does.
constexpr size_t kMaxName = 260;

using Clock = std::chrono::steady_clock;

template <class T, class... Args>
void* createNamed(const char* name, Kind kind, Args... args) {
    if (!name || !*name) return addHandle(std::make_shared<T>(args...));
    if (std::strlen(name) > kMaxName) return nullptr;
    // An existing object of that name is shared as it is (its initial state is not
    // reapplied); a name taken by another kind of object is refused.
    auto object = namedObject(name, [&] { return std::make_shared<T>(args...); });
    if (!object || object->kind != kind) return nullptr;
    return addHandle(std::move(object));
}

}  // namespace

std::mutex& syncMutex() {
    static std::mutex* m = new std::mutex;  // outlives threads still running at exit
    return *m;
}

bool EventObject::tryAcquire() {
    if (!signalled) return false;
    if (!manual) signalled = false;
    return true;
}

bool SemaphoreObject::tryAcquire() {
    if (count <= 0) return false;
    --count;
    return true;
}

int waitHandle(void* handle, int timeoutMs) {
    auto object = findHandle(handle);
    auto* waitable = dynamic_cast<Waitable*>(object.get());
    // -1 waits for ever; other negative values are refused rather than read as huge.
    if (!waitable || timeoutMs < -1) return -2;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    ThreadObject* self = currentThread();
    std::unique_lock lock(syncMutex());
    for (;;) {
        safePoint(lock);
        if (waitable->tryAcquire()) return 0;
        if (timeoutMs == 0 || (timeoutMs > 0 && Clock::now() >= deadline)) return -2;
        if (self) self->waitingOn = &waitable->cv;
        if (timeoutMs < 0)
            waitable->cv.wait(lock);
        else
            waitable->cv.wait_until(lock, deadline);
        if (self) self->waitingOn = nullptr;
    }
}

}  // namespace zu::detail

using namespace zu::detail;

ZUAPI void* ZuCreateEvent(unsigned char manualReset, unsigned char initialState, const char* name) {
    return createNamed<EventObject>(name, Kind::Event, manualReset != 0, initialState != 0);
}

ZUAPI ZuErr ZuSetEvent(void* event) {
    auto e = findHandleOf<EventObject>(event, Kind::Event);
    if (!e) return -2;
    std::lock_guard lock(syncMutex());
    e->signalled = true;
    // Everyone re-checks: an auto-reset event still lets exactly one of them through.
    e->cv.notify_all();
    return 0;
}

ZUAPI ZuErr ZuResetEvent(void* event) {
    auto e = findHandleOf<EventObject>(event, Kind::Event);
    if (!e) return -2;
    std::lock_guard lock(syncMutex());
    e->signalled = false;
    return 0;
}

ZUAPI ZuErr ZuWaitForEvent(void* event, int timeoutMs) {
    return waitHandle(event, timeoutMs);
}
ZUAPI ZuErr ZuCloseEvent(void* event) {
    return closeHandle(event);
}

ZUAPI void* ZuCreateSemaphore(int initialCount, int maximumCount, const char* name) {
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) return nullptr;
    return createNamed<SemaphoreObject>(name, Kind::Semaphore, initialCount, maximumCount);
}

ZUAPI ZuErr ZuWaitForSemaphore(void* semaphore, int timeoutMs) {
    return waitHandle(semaphore, timeoutMs);
}

ZUAPI ZuErr ZuReleaseSemaphore(void* semaphore) {
    auto s = findHandleOf<SemaphoreObject>(semaphore, Kind::Semaphore);
    if (!s) return -2;
    std::lock_guard lock(syncMutex());
    if (s->count >= s->maximum) return -2;  // the count stays at its maximum
    ++s->count;
    s->cv.notify_all();
    return 0;
}

ZUAPI ZuErr ZuCloseSemaphore(void* semaphore) {
    return closeHandle(semaphore);
}

ZUAPI void* ZuMutexCreate() {
    return ZuCreateSemaphore(1, 1, nullptr);
}
ZUAPI ZuErr ZuMutexWait(void* mutex, int timeoutMs) {
    return waitHandle(mutex, timeoutMs);
}
ZUAPI ZuErr ZuMutexRelease(void* mutex) {
    return ZuReleaseSemaphore(mutex);
}
ZUAPI ZuErr ZuMutexClose(void* mutex) {
    return closeHandle(mutex);
}
