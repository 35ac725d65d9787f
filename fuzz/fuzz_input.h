// How the fuzz targets read their input: values taken from the front of the bytes, zero once
// the bytes run out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zu::fuzz {

struct Input {
    const uint8_t* p;
    size_t n;
    uint8_t byte() { return n ? (--n, *p++) : 0; }
    int range(int lo, int hi) { return lo + byte() % (hi - lo + 1); }  // both ends included
    long word() {                                                      // big-endian
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) v = v << 8 | byte();
        return static_cast<long>(v);
    }
};

// A T from the next sizeof(T) bytes in memory order; the bytes past the end are zero.
template <typename T>
T take(const uint8_t*& data, size_t& size) {
    T v{};
    const size_t n = size < sizeof v ? size : sizeof v;
    std::memcpy(&v, data, n);
    data += n, size -= n;
    return v;
}

inline char* cs(const char* s) {
    return const_cast<char*>(s);
}

}  // namespace zu::fuzz
