// Page memory on mmap. The registry of live blocks lets ZuFree refuse a pointer that is
// not the start of one of our blocks, or a size that does not match, instead of unmapping
// someone else's pages.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "zugui/platform.h"

namespace {

struct Blocks {
    std::mutex mutex;
    std::unordered_map<uintptr_t, size_t> live;  // start -> mapped length
};

Blocks& blocks() {
    static Blocks* b = new Blocks;  // still usable by threads running at exit
    return *b;
}

size_t pageRounded(int size) {
    static const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return (static_cast<size_t>(size) + page - 1) / page * page;
}

}  // namespace

ZUAPI void* ZuNew(int size) {
    if (size <= 0) return nullptr;
    const size_t length = pageRounded(size);
    // Anonymous pages come zero-filled and page-aligned.
    void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return nullptr;
    auto& b = blocks();
    std::lock_guard lock(b.mutex);
    b.live[reinterpret_cast<uintptr_t>(p)] = length;
    return p;
}

// The size must cover the same pages the block was made with (the size given to ZuNew,
// or any size that rounds to the same page count).
ZUAPI ZuErr ZuFree(void* block, int size) {
    if (!block || size <= 0) return -2;
    auto& b = blocks();
    std::lock_guard lock(b.mutex);
    auto it = b.live.find(reinterpret_cast<uintptr_t>(block));
    if (it == b.live.end() || it->second != pageRounded(size)) return -2;
    if (munmap(block, it->second) != 0) return -2;
    b.live.erase(it);
    return 0;
}
