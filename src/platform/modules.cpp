// Dynamic libraries on dlopen, module file names, processor count.
#include <dlfcn.h>
#include <limits.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/path_text.h"
#include "zugui/platform.h"

namespace {

// Handles from ZuLoadLibrary, with the number of loads each stands for: dlsym and dlinfo
// must never see a pointer the loader did not give us.
struct Modules {
    std::mutex mutex;
    std::unordered_map<void*, int> loads;
};

Modules& modules() {
    static Modules* m = new Modules;
    return *m;
}

void* load(const char* path) {
    if (!path || !*path) return nullptr;
    // Unlike the classic loader there are no per-thread notifications to switch off.
    void* h = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!h) return nullptr;
    auto& m = modules();
    std::lock_guard lock(m.mutex);
    ++m.loads[h];
    return h;
}

std::string resolved(const char* path) {
    char full[PATH_MAX];
    return realpath(path, full) ? std::string(full) : std::string(path);
}

std::string executablePath() {
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// Empty when the module is unknown.
std::string moduleName(void* module) {
    if (!module) return executablePath();
    {
        auto& m = modules();
        std::lock_guard lock(m.mutex);
        if (m.loads.count(module)) {
            link_map* map = nullptr;
            if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map) return {};
            if (!map->l_name || !*map->l_name) return executablePath();
            return resolved(map->l_name);
        }
    }
    // Any address inside a loaded object names that object, as a module base address does.
    Dl_info info{};
    if (dladdr(module, &info) && info.dli_fname && *info.dli_fname) return resolved(info.dli_fname);
    return {};
}

}  // namespace

ZUAPI void* ZuLoadLibrary(const char* path) {
    return load(path);
}

ZUAPI void* ZuLoadLibrary(const wchar_t* path) {
    std::string narrow;
    return zu::detail::wideToUtf8(path, narrow) ? load(narrow.c_str()) : nullptr;
}

ZUAPI void* ZuGetProcAddress(void* module, const char* name) {
    if (!module || !name) return nullptr;
    auto& m = modules();
    std::lock_guard lock(m.mutex);
    if (!m.loads.count(module)) return nullptr;
    return dlsym(module, name);
}

ZUAPI ZuErr ZuFreeLibrary(void* module) {
    auto& m = modules();
    std::lock_guard lock(m.mutex);
    auto it = m.loads.find(module);
    if (it == m.loads.end()) return 0;
    if (--it->second == 0) m.loads.erase(it);
    dlclose(module);
    return 0;
}

ZUAPI ZuErr ZuGetModuleFileName(void* module, char* buffer, int size) {
    if (!buffer || size <= 0) return -2;
    const std::string name = moduleName(module);
    size_t n = std::min(name.size(), static_cast<size_t>(size) - 1);
    // Cut between characters, never inside a UTF-8 sequence.
    while (n > 0 && n < name.size() && (static_cast<unsigned char>(name[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
    return n > 0 ? 0 : -2;
}

ZUAPI ZuErr ZuGetModuleFileName(void* module, wchar_t* buffer, int size) {
    if (!buffer || size <= 0) return -2;
    const std::wstring name = zu::detail::utf8ToWide(moduleName(module));
    size_t n = std::min(name.size(), static_cast<size_t>(size) - 1);
    std::wmemcpy(buffer, name.data(), n);
    buffer[n] = L'\0';
    return n > 0 ? 0 : -2;
}

ZUAPI int ZuGetNumProcs() {
    long n = sysconf(_SC_NPROCESSORS_ONLN);
    return n > 0 ? static_cast<int>(n) : 1;
}
