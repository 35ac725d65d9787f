// Text encoding and byte order, following the historical 16-bit algorithms. wchar_t is
// 32 bits here; the caller sizes outputs for 16-bit units, so nothing may grow beyond
// three UTF-8 bytes or one UTF-16 unit per input unit.
#include <bit>
#include <cstdint>

#include "zugui/platform.h"

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

uint32_t unitOf(wchar_t c) {
    const auto v = static_cast<uint32_t>(c);
    return v > 0xFFFF ? kReplacement : v;
}

}  // namespace

ZUAPI ZuErr ZuWChar2UTF8(unsigned char* out, const wchar_t* in) {
    if (!out || !in) return 0;
    for (; *in; ++in) {
        const uint32_t v = unitOf(*in);
        if (v < 0x80) {
            *out++ = static_cast<unsigned char>(v);
        } else if (v < 0x800) {
            *out++ = static_cast<unsigned char>(0xC0 | (v >> 6));
            *out++ = static_cast<unsigned char>(0x80 | (v & 0x3F));
        } else {
            *out++ = static_cast<unsigned char>(0xE0 | (v >> 12));
            *out++ = static_cast<unsigned char>(0x80 | ((v >> 6) & 0x3F));
            *out++ = static_cast<unsigned char>(0x80 | (v & 0x3F));
        }
    }
    *out = 0;
    return 0;
}

ZUAPI ZuErr ZuUTF82WChar(const unsigned char* in, wchar_t* out) {
    if (!in || !out) return 0;
    while (*in) {
        const uint32_t lead = *in;
        if (lead < 0x80) {
            *out++ = static_cast<wchar_t>(lead);
            ++in;
        } else if ((lead & 0xE0) == 0xE0) {
            if (!in[1] || !in[2]) break;  // cut short: never read past the terminator
            *out++ = static_cast<wchar_t>(
                ((lead << 12) | ((in[1] & 0x3Fu) << 6) | (in[2] & 0x3Fu)) & 0xFFFF);
            in += 3;
        } else {
            if (!in[1]) break;
            *out++ = static_cast<wchar_t>(((lead & 0x3F) << 6) | (in[1] & 0x3Fu));
            in += 2;
        }
    }
    *out = 0;
    return 0;
}

ZUAPI ZuErr ZuUTF162WChar(const unsigned short* in, wchar_t* out) {
    if (!in || !out) return 0;
    for (; *in; ++in) {
        const uint32_t u = *in;
        if (u >= 0xD800 && u <= 0xDBFF && in[1] >= 0xDC00 && in[1] <= 0xDFFF) {
            *out++ = static_cast<wchar_t>(((u - 0xD800) << 10) + (in[1] - 0xDC00u) + 0x10000);
            ++in;
        } else {
            *out++ = static_cast<wchar_t>(u);  // unpaired surrogates are copied as they are
        }
    }
    *out = 0;
    return 0;
}

ZUAPI ZuErr ZuWChar2UTF16(unsigned short* out, const wchar_t* in) {
    if (!out || !in) return 0;
    for (; *in; ++in) *out++ = static_cast<unsigned short>(unitOf(*in));
    *out = 0;
    return 0;
}

ZUAPI unsigned int ZuSwapUI4(unsigned int value, unsigned char swap) {
    return swap ? __builtin_bswap32(value) : value;
}

ZUAPI unsigned short ZuSwapUI2(unsigned short value, unsigned char swap) {
    return swap ? __builtin_bswap16(value) : value;
}

ZUAPI float ZuSwapF4(float value, unsigned char swap) {
    if (!swap) return value;
    return std::bit_cast<float>(__builtin_bswap32(std::bit_cast<uint32_t>(value)));
}
