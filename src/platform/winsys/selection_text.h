// Text as selections carry it: UTF8_STRING or STRING (Latin-1) outside, Latin-1 inside.
#pragma once

#include <string>
#include <string_view>

namespace zu::ws {

// Latin-1 to UTF-8; every code has a UTF-8 form.
std::string utf8FromLatin1(std::string_view latin1);
// UTF-8 to Latin-1. Characters beyond U+00FF are dropped rather than replaced: a stand-in
// such as "?" is itself a character some fields refuse, and a dropped one leaves the rest
// of a name or timecode intact. Malformed sequences are dropped too.
std::string latin1FromUtf8(std::string_view utf8);

}  // namespace zu::ws
