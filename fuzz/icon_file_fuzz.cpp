// The icon and cursor reader over arbitrary bytes (the files live in a folder the host
// fills): a file is refused or read into entries whose pixels match their stated size.
#include <cstdint>
#include <cstdlib>

#include "platform/winsys/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zu::ws::IconFile f;
    if (!zu::ws::decodeIconFile(data, size, &f)) return 0;
    if (f.entries.empty()) std::abort();
    for (const auto& e : f.entries) {
        if (e.width <= 0 || e.height <= 0 || e.width > 256 * 256 || e.height > 256 * 256)
            std::abort();
        if (e.argb.size() != static_cast<size_t>(e.width) * static_cast<size_t>(e.height))
            std::abort();
    }
    for (int wanted : {0, 16, 32, 256, -1}) {
        const int i = zu::ws::bestIconEntry(f, wanted);
        if (i < 0 || i >= static_cast<int>(f.entries.size())) std::abort();
    }
    return 0;
}
