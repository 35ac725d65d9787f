// The text/uri-list that any X client may offer with a drop: arbitrary bytes must parse
// without fault into well-formed UTF-16 paths, and a path that is percent-encoded in full
// must come back exactly.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/winsys/uri_list.h"

namespace {

// No lone surrogates: every high one followed by a low one, no low one on its own.
bool wellFormed(const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::u16string& p : zu::ws::parseUriList(text))
        if (p.empty() || !wellFormed(p)) std::abort();

    // The same bytes as one path, every byte after the separating slash escaped.
    std::string line = "file://host/";
    char hex[4];
    for (unsigned char c : text) {
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        line += hex;
    }
    const auto parsed = zu::ws::parseUriList("# a comment\r\n" + line + "\r\n");
    if (parsed.size() != 1 || parsed[0] != zu::ws::utf8ToUtf16("/" + std::string(text)))
        std::abort();
    return 0;
}
