// Registry of the live handles the platform services hand out. Handles are opaque ids
// that are never reused, so a stale, foreign or mistyped handle is answered with an error
// instead of being dereferenced.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace zu::detail {

enum class Kind { Thread, Event, Semaphore, File };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    // Called when a handle to the object is closed; false when the system refused.
    // `last` tells that no one else holds the object any more.
    virtual bool onClose(bool last) {
        (void)last;
        return true;
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    const Kind kind;
};

// Gives the object a new handle. The registry keeps it alive until closeHandle.
void* addHandle(std::shared_ptr<Object> object);

// The object behind a live handle, or null for a handle that is not one of ours.
std::shared_ptr<Object> findHandle(void* handle);

template <class T>
std::shared_ptr<T> findHandleOf(void* handle, Kind kind) {
    auto object = findHandle(handle);
    if (!object || object->kind != kind) return nullptr;
    return std::static_pointer_cast<T>(object);
}

// Forgets the handle; the object lives on while someone still holds it (a waiter, a
// running thread, another handle of a named object). Null when the handle is not live.
std::shared_ptr<Object> removeHandle(void* handle);

// The close operation shared by every kind: 0, or 10000 when the handle is not live or
// the system refused to close what it stands for.
int closeHandle(void* handle);

// Named objects share one name space within the process: the live object of that name,
// or, when there is none, the one that make() builds, recorded under the name.
std::shared_ptr<Object> namedObject(const std::string& name,
                                    const std::function<std::shared_ptr<Object>()>& make);

}  // namespace zu::detail
