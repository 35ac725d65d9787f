#include "platform/handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace zu::detail {
namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<Object>> live;
    std::unordered_map<std::string, std::weak_ptr<Object>> names;
    // Ids start far above small integers and step by 16, so they look like nothing a
    // caller would pass by accident, and never repeat within a process.
    uintptr_t next = 0x5a000010;
};

Registry& registry() {
    static Registry* r = new Registry;  // outlives threads still running at exit
    return *r;
}

}  // namespace

void* addHandle(std::shared_ptr<Object> object) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    uintptr_t id = r.next;
    r.next += 16;
    r.live.emplace(id, std::move(object));
    return reinterpret_cast<void*>(id);
}

std::shared_ptr<Object> findHandle(void* handle) {
    if (!handle) return nullptr;
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.live.find(reinterpret_cast<uintptr_t>(handle));
    return it == r.live.end() ? nullptr : it->second;
}

std::shared_ptr<Object> removeHandle(void* handle) {
    if (!handle) return nullptr;
    auto& r = registry();
    std::shared_ptr<Object> object;
    std::lock_guard lock(r.mutex);
    auto it = r.live.find(reinterpret_cast<uintptr_t>(handle));
    if (it == r.live.end()) return nullptr;
    object = std::move(it->second);
    r.live.erase(it);
    return object;
}

int closeHandle(void* handle) {
    auto object = removeHandle(handle);
    if (!object) return 10000;
    return object->onClose(object.use_count() == 1) ? 0 : 10000;
}

std::shared_ptr<Object> namedObject(const std::string& name,
                                    const std::function<std::shared_ptr<Object>()>& make) {
    auto& r = registry();
    std::lock_guard lock(r.mutex);
    if (auto it = r.names.find(name); it != r.names.end()) {
        if (auto object = it->second.lock()) return object;
    }
    std::erase_if(r.names, [](const auto& entry) { return entry.second.expired(); });
    auto object = make();
    if (object) r.names[name] = object;
    return object;
}

}  // namespace zu::detail
