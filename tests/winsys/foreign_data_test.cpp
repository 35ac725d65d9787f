// What other programs hand over as files and bytes: icon and cursor files, the uri-lists of
// drops, selection texts.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/winsys/icon_file.h"
#include "platform/winsys/selection_text.h"
#include "platform/winsys/uri_list.h"
#include "support/winsys_support.h"

using namespace zu::ws;

TEST(IconFile, ShippedFilesDecodeEveryEntryWithMaskAndAlpha) {
    IconFile ico;
    ASSERT_TRUE(readIconFile(zu::test::sourcePath("data/icons/zugui.ico").c_str(), &ico));
    EXPECT_FALSE(ico.cursor);
    ASSERT_EQ(ico.entries.size(), 3u);  // 8-bit BMP, 32-bit BMP, PNG
    const int sizes[] = {16, 32, 48};
    for (size_t i = 0; i < 3; ++i) {
        const IconEntry& e = ico.entries[i];
        EXPECT_EQ(e.width, sizes[i]);
        ASSERT_EQ(e.argb.size(), size_t(sizes[i] * sizes[i]));
        // Rounded corners are transparent, the centre is the opaque blue of the mark.
        EXPECT_EQ(e.argb[0] >> 24, 0u) << "entry " << i;
        const uint32_t mid = e.argb[(e.height / 2) * e.width + 1];
        EXPECT_EQ(mid, 0xFF1E46A0u) << "entry " << i;
    }
    EXPECT_EQ(bestIconEntry(ico, 32), 1);
    EXPECT_EQ(bestIconEntry(ico, 100), 2);

    IconFile cur;
    ASSERT_TRUE(readIconFile(zu::test::sourcePath("data/icons/envoycursor.cur").c_str(), &cur));
    EXPECT_TRUE(cur.cursor);
    ASSERT_EQ(cur.entries.size(), 2u);
    // The hot spot, and the outline at the tip.
    for (const IconEntry& e : cur.entries)
        EXPECT_EQ(std::tuple(e.hotX, e.hotY, e.argb[0]), std::tuple(1, 2, 0xFF000000u));
}

TEST(IconFile, MalformedInputIsRefusedWithoutReadingPastTheEnd) {
    std::ifstream file(zu::test::sourcePath("data/icons/zugui.ico"), std::ios::binary);
    const std::vector<uint8_t> good{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(good.size(), 100u);
    IconFile out;
    EXPECT_FALSE(decodeIconFile(nullptr, 10, &out));
    EXPECT_FALSE(readIconFile("/nonexistent/file.ico", &out));
    // Every truncation either fails or yields only entries that fit.
    for (size_t n = 0; n < good.size(); n += 7) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n);
        IconFile f;
        if (decodeIconFile(cut.data(), cut.size(), &f)) {
            EXPECT_LT(f.entries.size(), 3u);
        }
    }
    // Wrong type word, zero count, and an entry pointing outside the file.
    std::vector<uint8_t> bad = good;
    bad[2] = 3;
    EXPECT_FALSE(decodeIconFile(bad.data(), bad.size(), &out));
    bad = good;
    bad[4] = bad[5] = 0;
    EXPECT_FALSE(decodeIconFile(bad.data(), bad.size(), &out));
    bad = good;
    for (int e = 0; e < 3; ++e) memset(&bad[6 + e * 16 + 12], 0xFF, 4);
    EXPECT_FALSE(decodeIconFile(bad.data(), bad.size(), &out));
    // A BMP header claiming a huge width is refused, not allocated.
    bad = good;
    const uint32_t off = bad[6 + 16 + 12] | bad[6 + 16 + 13] << 8;
    memcpy(&bad[off + 4], "\xFF\xFF\xFF\x7F", 4);  // width 0x7FFFFFFF
    ASSERT_TRUE(decodeIconFile(bad.data(), bad.size(), &out));
    EXPECT_EQ(out.entries.size(), 2u);
}

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
    const std::pair<const char*, std::u16string> cases[] = {
        {"", u""},
        {"a", u"a"},
        {"\xC3\xA9", u"\u00e9"},
        {"\xE2\x82\xAC", u"\u20ac"},
        {"\xF0\x9F\x8E\xAC", u"\U0001F3AC"},  // a surrogate pair
        {"\xC0\xAF", u"\uFFFD"},              // overlong
        {"\xED\xA0\x80", u"\uFFFD"},          // encoded surrogate
        {"\xE2\x82", u"\uFFFD\uFFFD"},        // truncated at the end
        {"\xFF", u"\uFFFD"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(utf8ToUtf16(in), out) << in;
}

TEST(SelectionText, Latin1GoesOutAsUtf8AndComesBackWithTheRestDropped) {
    const std::pair<const char*, const char*> cases[] = {
        // clang-format off
        {"clip 01", "clip 01"},
        {"caf\xC3\xA9 \xC3\xBF", "caf\xE9 \xFF"},
        {"a\xE2\x86\x92" "b", "ab"},         // an arrow: outside Latin-1
        {"\xF0\x9F\x8E\xAC" "c", "c"},       // beyond the BMP
        {"x\xC0\xAFy\xFF\xE2\x82", "xy"},    // overlong, stray, truncated
        {"01:02\n03\t04", "01:02\n03\t04"},  // control codes are the field's to drop
        // clang-format on
    };
    for (auto [utf8, latin1] : cases) {
        EXPECT_EQ(latin1FromUtf8(utf8), latin1) << utf8;
        // Whatever came in goes out again unchanged.
        EXPECT_EQ(latin1FromUtf8(utf8FromLatin1(latin1)), latin1);
    }
    EXPECT_EQ(latin1FromUtf8(std::string_view("a\0b", 3)), std::string("a\0b", 3));
}
