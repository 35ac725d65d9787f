// Conversions between the library's Latin-1 text and the UTF-8 of other clients.
#include "platform/winsys/selection_text.h"

#include "platform/winsys/uri_list.h"

namespace zu::ws {

std::string utf8FromLatin1(std::string_view latin1) {
    std::string out;
    out.reserve(latin1.size() * 2);
    for (const char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string latin1FromUtf8(std::string_view utf8) {
    // Malformed bytes decode to U+FFFD and characters beyond the BMP to surrogates: all
    // beyond Latin-1, so all dropped with the rest.
    std::string out;
    for (const char16_t u : utf8ToUtf16(utf8))
        if (u <= 0xFF) out += static_cast<char>(u);
    return out;
}

}  // namespace zu::ws
