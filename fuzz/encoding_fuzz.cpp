// The encoding conversions with arbitrary input and outputs sized exactly as the header
// says, so that any write past the rule is caught; text that is plain BMP must come back
// unchanged through UTF-8 and UTF-16.
#include <cstdint>
#include <cstring>
#include <vector>

#include "zugui/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // UTF-8 in: bytes up to the first zero.
    std::vector<unsigned char> bytes(data, data + size);
    bytes.push_back(0);
    const size_t n8 = std::strlen(reinterpret_cast<const char*>(bytes.data()));
    std::vector<wchar_t> wide8(n8 + 1);
    ZuUTF82WChar(bytes.data(), wide8.data());

    // Wide in: the data as 32-bit units up to the first zero.
    std::vector<wchar_t> wide(size / 4 + 1, 0);
    std::memcpy(wide.data(), data, size / 4 * 4);
    size_t nw = 0;
    while (wide[nw]) ++nw;
    std::vector<unsigned char> utf8(3 * nw + 1);
    ZuWChar2UTF8(utf8.data(), wide.data());
    std::vector<unsigned short> utf16(nw + 1);
    ZuWChar2UTF16(utf16.data(), wide.data());

    // UTF-16 in: the data as 16-bit units.
    std::vector<unsigned short> units(size / 2 + 1, 0);
    std::memcpy(units.data(), data, size / 2 * 2);
    size_t n16 = 0;
    while (units[n16]) ++n16;
    std::vector<wchar_t> wide16(n16 + 1);
    ZuUTF162WChar(units.data(), wide16.data());

    // Round trips of plain BMP text (no surrogates, nothing above 0xFFFF).
    bool plain = true;
    for (size_t i = 0; i < nw && plain; ++i) {
        const auto c = static_cast<uint32_t>(wide[i]);
        plain = c <= 0xFFFF && (c < 0xD800 || c > 0xDFFF);
    }
    if (plain) {
        std::vector<wchar_t> back(std::strlen(reinterpret_cast<char*>(utf8.data())) + 1);
        ZuUTF82WChar(utf8.data(), back.data());
        if (std::memcmp(back.data(), wide.data(), (nw + 1) * sizeof(wchar_t)) != 0)
            __builtin_trap();
        std::vector<wchar_t> back16(nw + 1);
        ZuUTF162WChar(utf16.data(), back16.data());
        if (std::memcmp(back16.data(), wide.data(), (nw + 1) * sizeof(wchar_t)) != 0)
            __builtin_trap();
    }
    return 0;
}
