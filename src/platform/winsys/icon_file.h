// Reader of the ICO / CUR container: every entry decoded to ARGB, whether it holds a
// BMP (device-independent bitmap with AND mask) or a PNG image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zu::ws {

struct IconEntry {
    int width = 0, height = 0;
    int hotX = 0, hotY = 0;  // cursors only
    int bitCount = 0;
    std::vector<uint32_t> argb;  // straight (not premultiplied) alpha, rows top to bottom
};

struct IconFile {
    bool cursor = false;
    std::vector<IconEntry> entries;
};

// False for anything that is not a well-formed container with at least one readable
// entry; entries that cannot be decoded are skipped.
bool decodeIconFile(const uint8_t* data, size_t size, IconFile* out);
bool readIconFile(const char* path, IconFile* out);
// The entry closest to the wanted size, deepest colour first among equals; -1 if none.
int bestIconEntry(const IconFile& f, int wanted);

}  // namespace zu::ws
