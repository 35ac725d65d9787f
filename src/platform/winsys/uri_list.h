// text/uri-list parsing for file drops: file URIs to local paths in UTF-16.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zu::ws {

// Each file:// line becomes its percent-decoded path, converted from UTF-8 to UTF-16
// (invalid bytes become U+FFFD). Comments, blank lines and other schemes are skipped.
std::vector<std::u16string> parseUriList(std::string_view text);
std::u16string utf8ToUtf16(std::string_view s);

}  // namespace zu::ws
