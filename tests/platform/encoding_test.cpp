#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "zugui/platform.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes toUtf8(const std::wstring& in) {
    Bytes out(in.size() * 3 + 1, 0xEE);  // exactly the documented size
    out.push_back(0x77);                 // guard: must survive
    ZuWChar2UTF8(out.data(), in.c_str());
    EXPECT_EQ(out.back(), 0x77) << "wrote beyond three bytes per unit plus one";
    return Bytes(out.begin(),
                 out.begin() + static_cast<long>(std::strlen(reinterpret_cast<char*>(out.data()))));
}

std::wstring fromUtf8(const Bytes& in) {
    Bytes z(in);
    z.push_back(0);
    std::vector<wchar_t> out(z.size() + 1, L'#');
    ZuUTF82WChar(z.data(), out.data());
    return out.data();
}

TEST(Encoding, WideToUtf8) {
    struct Case {
        std::wstring in;
        Bytes out;
    } cases[] = {
        {L"", {}},
        {L"A~", {0x41, 0x7E}},
        {L"\u00e9\u07ff", {0xC3, 0xA9, 0xDF, 0xBF}},
        {L"\u20ac", {0xE2, 0x82, 0xAC}},
        {L"\u0800\uffff", {0xE0, 0xA0, 0x80, 0xEF, 0xBF, 0xBF}},
        {std::wstring(1, wchar_t(0xD83C)), {0xED, 0xA0, 0xBC}},  // a lone surrogate, as it is
        {L"\U0001F3AC", {0xEF, 0xBF, 0xBD}},  // beyond 16 bits: U+FFFD, to stay in size
    };
    for (const auto& c : cases) EXPECT_EQ(toUtf8(c.in), c.out) << c.in.size();
}

TEST(Encoding, Utf8ToWideFollowsTheLeadByteOnly) {
    struct Case {
        Bytes in;
        std::wstring out;
    } cases[] = {
        {{}, L""},
        {{0x41, 0x7F}, L"A\x7f"},
        {{0xC3, 0xA9}, L"\u00e9"},
        {{0xE2, 0x82, 0xAC, 0x41}, L"\u20acA"},
        {{0xC3, 0x29}, L"\u00e9"},  // continuation bytes are not checked: 0x29 & 0x3F = 0x29
        // A four-byte lead takes three bytes, (0xF0 << 12 | 0x1F << 6 | 0x0E) kept to 16 bits,
        // and the fourth byte, a lead of two, meets the terminator.
        {{0xF0, 0x9F, 0x8E, 0xAC}, std::wstring(1, wchar_t(0x07CE))},
        {{0x41, 0xE2, 0x82}, L"A"},  // cut short by the terminator: the text ends there
        {{0xC3}, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(fromUtf8(c.in), c.out) << c.in.size();
}

TEST(Encoding, Utf16ToWideJoinsSurrogatePairs) {
    struct Case {
        std::vector<unsigned short> in;
        std::wstring out;
    } cases[] = {
        {{}, L""},
        {{0x41, 0x20AC}, L"A\u20ac"},
        {{0xD83C, 0xDFAC, 0x41}, L"\U0001F3ACA"},
        {{0xDBFF, 0xDFFF}, L"\U0010FFFF"},
        {{0xD83C, 0x41}, std::wstring(1, wchar_t(0xD83C)) + L"A"},  // unpaired: copied
        {{0xDFAC, 0xD83C}, std::wstring{wchar_t(0xDFAC), wchar_t(0xD83C)}},
    };
    for (auto c : cases) {
        c.in.push_back(0);
        std::vector<wchar_t> out(c.in.size() + 1, L'#');
        ZuUTF162WChar(c.in.data(), out.data());
        EXPECT_EQ(std::wstring(out.data()), c.out);
    }
}

TEST(Encoding, WideToUtf16OneUnitEach) {
    const std::wstring in = std::wstring(L"A\u00e9\u20ac") + wchar_t(0xD800) + L"\U0001F3AC";
    std::vector<unsigned short> out(in.size() + 2, 0x7777);
    ZuWChar2UTF16(out.data(), in.c_str());
    const std::vector<unsigned short> expected{0x41, 0xE9, 0x20AC, 0xD800, 0xFFFD, 0, 0x7777};
    EXPECT_EQ(out, expected);
}

TEST(Encoding, NullPointersDoNothing) {
    unsigned char u8[4] = {9, 9, 9, 9};
    wchar_t w[4] = {9, 9, 9, 9};
    unsigned short u16[4] = {9, 9, 9, 9};
    EXPECT_EQ(ZuWChar2UTF8(u8, nullptr), 0);
    EXPECT_EQ(ZuWChar2UTF8(nullptr, L"x"), 0);
    EXPECT_EQ(ZuUTF82WChar(nullptr, w), 0);
    EXPECT_EQ(ZuUTF162WChar(nullptr, w), 0);
    EXPECT_EQ(ZuWChar2UTF16(u16, nullptr), 0);
    EXPECT_EQ(std::tuple(u8[0], w[0], u16[0]), std::tuple(9, 9, 9));  // outputs untouched
}

TEST(ByteOrder, SwapsReverseBytesOnlyWhenAsked) {
    // Any non-zero flag swaps.
    EXPECT_EQ(std::tuple(ZuSwapUI4(0x11223344u, 1), ZuSwapUI4(0x11223344u, 0),
                         ZuSwapUI4(0x11223344u, 0x80), ZuSwapUI2(0xABCD, 1), ZuSwapUI2(0xABCD, 0)),
              std::tuple(0x44332211u, 0x11223344u, 0x44332211u, 0xCDAB, 0xABCD));

    const float f = 1.5f;  // 0x3FC00000
    const float swapped = ZuSwapF4(f, 1);
    unsigned bits;
    std::memcpy(&bits, &swapped, 4);
    EXPECT_EQ(std::tuple(bits, ZuSwapF4(swapped, 1), ZuSwapF4(f, 0)),
              std::tuple(0x0000C03Fu, f, f));
}

}  // namespace
