#include <gtest/gtest.h>

#include "platform/winsys/selection_text.h"
#include "platform/winsys/uri_list.h"

using zu::ws::parseUriList;
using zu::ws::utf8ToUtf16;

TEST(UriList, FileUrisBecomeDecodedPathsAndOtherLinesAreSkipped) {
    const auto files = parseUriList(
        "# comment\r\n"
        "file:///tmp/a%20b.mov\r\n"
        "http://example.com/x\r\n"
        "\r\n"
        "file://host/srv/clip.mxf\n"
        "file:///tmp/caf%C3%A9\n"
        "file:///tmp/bad%zzescape");
    EXPECT_EQ(files, (std::vector<std::u16string>{u"/tmp/a b.mov", u"/srv/clip.mxf",
                                                  u"/tmp/caf\u00e9", u"/tmp/bad%zzescape"}));
}

TEST(UriList, Utf8ToUtf16HandlesEveryLengthAndReplacesInvalidBytes) {
    struct Case {
        const char* in;
        std::u16string out;
    } cases[] = {
        {"", u""},
        {"a", u"a"},
        {"\xC3\xA9", u"\u00e9"},
        {"\xE2\x82\xAC", u"\u20ac"},
        {"\xF0\x9F\x8E\xAC", u"\U0001F3AC"},  // a surrogate pair
        {"\xC0\xAF", u"\uFFFD"},                 // overlong
        {"\xED\xA0\x80", u"\uFFFD"},             // encoded surrogate
        {"\xE2\x82", u"\uFFFD\uFFFD"},           // truncated at the end
        {"\xFF", u"\uFFFD"},
    };
    for (const Case& c : cases) EXPECT_EQ(utf8ToUtf16(c.in), c.out) << c.in;
}

TEST(SelectionText, Latin1GoesOutAsUtf8AndComesBackWithTheRestDropped) {
    struct Case {
        const char* utf8;
        const char* latin1;
    } cases[] = {
        // clang-format off
        {"clip 01", "clip 01"},
        {"caf\xC3\xA9 \xC3\xBF", "caf\xE9 \xFF"},
        {"a\xE2\x86\x92" "b", "ab"},         // an arrow: outside Latin-1
        {"\xF0\x9F\x8E\xAC" "c", "c"},       // beyond the BMP
        {"x\xC0\xAFy\xFF\xE2\x82", "xy"},    // overlong, stray, truncated
        {"01:02\n03\t04", "01:02\n03\t04"},  // control codes are the field's to drop
        // clang-format on
    };
    for (const Case& c : cases) {
        EXPECT_EQ(zu::ws::latin1FromUtf8(c.utf8), c.latin1) << c.utf8;
        // Whatever came in goes out again unchanged.
        EXPECT_EQ(zu::ws::latin1FromUtf8(zu::ws::utf8FromLatin1(c.latin1)), c.latin1);
    }
    EXPECT_EQ(zu::ws::latin1FromUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}
