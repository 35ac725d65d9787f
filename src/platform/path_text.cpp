#include "platform/path_text.h"

#include <cstdint>

namespace zu::detail {

bool wideToUtf8(const wchar_t* text, std::string& out) {
    out.clear();
    if (!text) return false;
    for (; *text; ++text) {
        const auto v = static_cast<uint32_t>(*text);
        if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) return false;
        if (v < 0x80) {
            out += static_cast<char>(v);
        } else if (v < 0x800) {
            out += static_cast<char>(0xC0 | (v >> 6));
            out += static_cast<char>(0x80 | (v & 0x3F));
        } else if (v < 0x10000) {
            out += static_cast<char>(0xE0 | (v >> 12));
            out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (v & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (v >> 18));
            out += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (v & 0x3F));
        }
    }
    return true;
}

std::wstring utf8ToWide(std::string_view text) {
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80                   ? 0
                    : lead >= 0xC2 && lead < 0xE0 ? 1
                    : lead >= 0xE0 && lead < 0xF0 ? 2
                    : lead >= 0xF0 && lead < 0xF5 ? 3
                                                  : -1;
        uint32_t v = extra == 0   ? lead
                     : extra == 1 ? lead & 0x1F
                     : extra == 2 ? lead & 0x0F
                                  : lead & 0x07;
        bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((c & 0xC0) != 0x80) ok = false;
            v = (v << 6) | (c & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are malformed too.
        static constexpr uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (v < kMin[extra] || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))) ok = false;
        if (!ok) {
            out += L'\xFFFD';
            ++i;
            continue;
        }
        out += static_cast<wchar_t>(v);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

}  // namespace zu::detail
