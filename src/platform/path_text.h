// Full UTF-8 conversion for file names and module names (the exported converters keep to
// their historical 16-bit algorithm).
#pragma once

#include <string>
#include <string_view>

namespace zu::detail {

// False for a null text or one holding a value that is no Unicode scalar value.
bool wideToUtf8(const wchar_t* text, std::string& out);

// Malformed bytes become U+FFFD.
std::wstring utf8ToWide(std::string_view text);

}  // namespace zu::detail
