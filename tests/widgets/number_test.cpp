// The number field: timecode arithmetic (display, normalisation, entry and their round
// trips), drag positions, the in-place editor's keys and notifications.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "support/rows.h"
#include "widget_host.h"
#include "widgets/number_math.h"

using namespace zu::widgets;
using zu::detail::gui;
using zu::test::cs;
using zu::test::expectRows;

namespace {

TEST(NumberTimecode, DisplayConversion) {
    struct Case {
        int num, den;
        bool drop;
        int frames;
        const char* text;
    };
    const Case cases[] = {
        {30000, 1001, true, 1799, "00;00;59;29"},
        {30000, 1001, true, 1800, "00;01;00;02"},
        {30000, 1001, true, 17982, "00;10;00;00"},
        {30000, 1001, true, 107892, "01;00;00;00"},
        {30000, 1001, true, -1800, "-00;01;00;02"},
        {30000, 1001, true, 24 * 107892, "23;00;00;00"},  // hours stop at 23
        {30000, 1001, true, INT_MAX, "23;00;42;19"},      // the count past a day, in 64 bits
        {30000, 1000, false, 1800, "00:01:00:00"},
        {25000, 1000, false, 2160000, "23:00:00:00"},
        {25000, 1001, false, 25, "00:00:01:00"},
        {25000, 1000, false, INT_MIN, "-23:55:45:23"},
        {24000, 1001, true, 1800, "00:01:15:00"},  // drop frame only at 30 frames
        {24000, 1001, false, 87869, "01:01:01:05"},
        {15000, 1000, false, 48, "00:00:02:00"},
        {50000, 1000, false, 3, "00:00:00:02"},
        {60000, 1001, true, 3601, "00;01;00;03"},
        {48000, 1000, true, -5, "00:00:00:00"},
        {30000, 1002, false, 30, "00:00:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.num) + "/" + std::to_string(c.den) + " frame " +
                     std::to_string(c.frames));
        char out[kTimecodeSize];
        framesToTimecode(c.frames, c.num, c.den, c.drop, out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(NumberTimecode, NormalisationOfTypedText) {
    struct Case {
        const char* typed;
        int num, den;
        bool drop;
        const char* text;
    };
    const Case cases[] = {
        {"1234", 30000, 1001, false, "00:00:12:24"},
        {"10000", 30000, 1001, true, "00;01;00;02"},
        {nullptr, 25000, 1000, false, "00:00:00:00"},
        {"-5", 25000, 1000, false, "-00:00:00:05"},
        {"99999999", 24000, 1001, false, "23:59:59:23"},
        {"99999999", 25000, 1000, false, "23:59:59:24"},
        {"99999999", 30000, 1001, false, "23:59:59:29"},
        {"123456789", 24000, 1000, false, "12:34:56:23"},  // first eight digits
        {"1:2:3:4", 30000, 1001, false, "00:00:12:24"},    // separators carry no meaning
        {"35000000", 30000, 1001, false, "23:00:00:00"},
        {"19595929", 30000, 1001, false, "19:59:59:29"},
        {"00900000", 30000, 1001, false, "00:50:00:00"},
        {"00:00:90:00", 30000, 1001, false, "00:00:50:00"},
        {"00;10;00;00", 30000, 1001, true, "00;10;00;00"},
        {"00:21:00:01", 30000, 1001, true, "00;21;00;02"},
        {"00;01;01;00", 30000, 1001, true, "00;01;01;00"},
        {"00;01;00;10", 30000, 1001, true, "00;01;00;10"},
        {"10000", 30000, 1001, false, "00:01:00:00"},
        {"10000", 24000, 1001, true, "00:01:00:00"},  // drop frame only in the 30 class
        {"29", 50000, 1000, false, "00:00:00:24"},
        {"29", 50000, 1001, false, "00:00:00:29"},  // 1001 puts 50000 in the 30 class
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.typed ? c.typed : "(null)") + " at " + std::to_string(c.num));
        char out[kTimecodeSize];
        normalizeTimecode(c.typed, c.num, c.den, c.drop, out);
        EXPECT_STREQ(out, c.text);
    }
}

TEST(NumberTimecode, EntryOfNormalisedText) {
    struct Case {
        const char* text;
        int num, den;
        bool drop;
        int frames;
    };
    const Case cases[] = {
        {"00:00:01:00", 25000, 1001, false, 0},  // displayed, but not entered
        {"00:00:01:00", 15000, 1000, false, 0}, {"00:00:01:00", 50000, 1001, false, 0},
        {"00:01", 25000, 1000, false, 1500},  // a short text reads the fields it has
        {nullptr, 25000, 1000, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text ? c.text : "(null)") + " at " + std::to_string(c.num));
        EXPECT_EQ(timecodeToFrames(c.text, c.num, c.den, c.drop), c.frames);
    }
}

struct Rate {
    int num, den;
    bool drop;
    int fps;   // frames per second of the count
    int step;  // 2 where the display halves the count
};
// The rate tables take 1000 and 1001 alike at 24, 30 and 60 frames: each class once.
const Rate kRoundTripRates[] = {
    {24000, 1001, false, 24, 1}, {25000, 1000, false, 25, 1}, {30000, 1000, false, 30, 1},
    {30000, 1001, true, 30, 1},  {50000, 1000, false, 50, 2}, {60000, 1001, false, 60, 2},
    {60000, 1000, true, 60, 2},
};

TEST(NumberTimecode, EveryFrameOfADayAndEveryNormalisedTextComeBack) {
    for (const Rate& r : kRoundTripRates) {
        SCOPED_TRACE(std::to_string(r.num) + "/" + std::to_string(r.den) + (r.drop ? " DF" : ""));
        // A day at this rate: drop frame counts 2 frames fewer in 54 minutes of each 60.
        const int day = r.drop ? 24 * 6 * 17982 * r.step : 24 * 3600 * r.fps;
        char text[kTimecodeSize], norm[kTimecodeSize];
        for (int f = -200 * r.step; f < day; f += r.step) {
            framesToTimecode(f, r.num, r.den, r.drop, text);
            normalizeTimecode(text, r.num, r.den, r.drop, norm);
            ASSERT_STREQ(norm, text) << f;
            ASSERT_EQ(timecodeToFrames(norm, r.num, r.den, r.drop), f) << text;
        }
        // And every normalised text of some hours comes back through its frames.
        const int shownFps = r.fps / r.step;
        char typed[24], back[kTimecodeSize];
        for (int hh : {0, 1, 9, 10, 23})
            for (int mm = 0; mm < 60; ++mm)
                for (int ss = 0; ss < 60; ++ss)
                    for (int ff = 0; ff < shownFps; ++ff) {
                        std::snprintf(typed, sizeof typed, "%s%02d%02d%02d%02d",
                                      (ff + ss) % 7 == 3 ? "-" : "", hh, mm, ss, ff);
                        normalizeTimecode(typed, r.num, r.den, r.drop, norm);
                        const int f = timecodeToFrames(norm, r.num, r.den, r.drop);
                        if (f == 0) continue;  // "-00:00:00:00" shows without its sign
                        framesToTimecode(f, r.num, r.den, r.drop, back);
                        ASSERT_STREQ(back, norm) << typed;
                    }
    }
}

class NumberField : public zu::test::ChildTest<ZUNumber> {
  protected:
    ZUNumber& field = widget;
    void SetUp() override { makeChild({0, 0, 200, 20}); }
    void send(unsigned msg, int a = 0, int b = 0) {
        field.ReceiveZUMessage(msg, a, b, nullptr, nullptr);
    }
    void type(const char* s) {
        for (; *s; ++s) send(ZUM_KEY, static_cast<unsigned char>(*s));
    }
    void vk(int code, int times = 1) {
        while (times--) send(ZUM_KEY, -1, code);
    }
    // Keys, then what the editor shows: '<' Left, '>' Right, '\b' Backspace, '~' Delete, any
    // other character typed. A null text or a negative caret is not checked.
    void edit(const char* keys, const char* text, int caret = -1) {
        static const char kNamed[] = "<>\b~";
        static const int kCodes[] = {37, 39, 8, 46};
        for (const char* k = keys; *k; ++k) {
            const char* named = std::strchr(kNamed, *k);
            named ? vk(kCodes[named - kNamed]) : send(ZUM_KEY, static_cast<unsigned char>(*k));
        }
        if (text) {
            EXPECT_STREQ(field.editText, text) << keys;
        }
        if (caret >= 0) {
            EXPECT_EQ(field.caret, caret) << keys;
        }
    }
    bool captured() const { return gui().capture == field.node; }
};

TEST_F(NumberField, SettersRefuseBadValuesAndTheTimecodeTextComesBack) {
    char buf[32] = "";
    EXPECT_EQ(field.GetZUNumberTC(buf), -1);  // an empty buffer
    std::strcpy(buf, "0123456789012");        // 13 characters is not a timecode either
    EXPECT_EQ(field.GetZUNumberTC(buf), -1);
    std::strcpy(buf, "xxxxxxxxxxx");
    EXPECT_EQ(field.GetZUNumberTC(buf), 0);
    EXPECT_STREQ(buf, "00:00:00:00");

    EXPECT_EQ(field.PutZUNumberTC(cs("-01:02:03:04"), false), 0);
    EXPECT_EQ(field.GetZUNumberTC(buf), 0);
    EXPECT_STREQ(buf, "-01:02:03:04");
    EXPECT_EQ(field.PutZUNumberTC(nullptr, false), 0);  // keeps what it had
    field.GetZUNumberTC(buf);
    EXPECT_STREQ(buf, "-01:02:03:04");

    // clang-format off
    expectRows({
        AFTER(field.PutZUNumberPos(5, true), field.GetZUNumberPos(), 0),  // a new field's range is [0, 0]
        AFTER(field.SetZUNumberRange(10, -10, true), field.rangeMin == 0 && field.rangeMax == 0, 1),
        AFTER((field.SetZUNumberRange(-10, 10, false), field.PutZUNumberPos(7, false)), field.GetZUNumberPos(), 7),
        AFTER(field.PutZUNumberPos(11, false), field.GetZUNumberPos(), 7),
        AFTER(field.PutZUNumberPos(-11, false), field.GetZUNumberPos(), 7),
        AFTER(field.SetZUNumberRange(0, 5, false), field.GetZUNumberPos(), 7),  // not clamped by a new range
        ROW(field.GetZUNumberType(), 0),
        AFTER(field.PutZUNumberType(3, 25000, 1000, false), field.GetZUNumberType(), 0),
        AFTER(field.PutZUNumberType(-1, 25000, 1000, false), field.GetZUNumberType(), 0),
        ROW(field.rateNum, 30000),
        AFTER(field.PutZUNumberType(2, 25000, 1000, true), field.GetZUNumberType(), 2),
        ROW(field.rateNum == 25000 && field.dropFrame, 1),
    });
    // clang-format on
}

TEST_F(NumberField, DragReportsAnchorPlusDistanceFromCentreClamped) {
    // A new field: range [0, 0] always reports 0.
    send(ZUM_LBUTTONDOWN, 100, 5);
    send(ZUM_MOUSEMOVE, 190, 5);
    send(ZUM_LBUTTONUP, 190, 5);
    ASSERT_EQ(host.heard.size(), 2u);
    EXPECT_EQ(host.heard[1].a, 0);
    host.heard.clear();

    field.SetZUNumberRange(-100, 100, false);
    field.PutZUNumberPos(10, false);
    send(ZUM_LBUTTONDOWN, 120, 5);
    EXPECT_TRUE(captured());
    EXPECT_TRUE(field.dragging);
    struct Move {
        int x, y, reported;
    };
    for (Move m : {Move{150, 5, 60}, Move{300, 5, 100}, Move{-500, 5, -100}, Move{100, 400, 10},
                   Move{99, -40, 9}}) {
        send(ZUM_MOUSEMOVE, m.x, m.y);
        ASSERT_FALSE(host.heard.empty());
        const auto& h = host.heard.back();
        EXPECT_EQ(std::tuple(h.msg, h.a, h.p), std::tuple(ZUM_VALUECHANGED, m.reported, &field))
            << m.x;
    }
    // The parent stores a value mid-drag; the drag still counts from where it began.
    field.PutZUNumberPos(60, true);
    send(ZUM_MOUSEMOVE, 150, 5);
    EXPECT_EQ(host.heard.back().a, 60);
    EXPECT_EQ(host.heard.front().msg, ZUM_NUMBERBEGIN);
    send(ZUM_LBUTTONUP, 150, 5);
    EXPECT_FALSE(captured());
    EXPECT_FALSE(field.dragging);
    const size_t n = host.heard.size();
    send(ZUM_MOUSEMOVE, 170, 5);  // no drag, no reports; the release itself reported nothing
    EXPECT_EQ(host.heard.size(), n);
    EXPECT_EQ(host.messages(),
              std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED, ZUM_VALUECHANGED,
                                     ZUM_VALUECHANGED, ZUM_VALUECHANGED, ZUM_VALUECHANGED,
                                     ZUM_VALUECHANGED}));

    // An odd width puts the centre line at L + W / 2, truncated.
    ZuRECT odd{10, 0, 201, 20};
    field.ResizeZUWindow(&odd, 0);
    field.PutZUNumberPos(0, false);
    host.heard.clear();
    send(ZUM_LBUTTONDOWN, 0, 0);
    send(ZUM_MOUSEMOVE, 111, 0);
    EXPECT_EQ(host.heard.back().a, 1);
    send(ZUM_LBUTTONUP, 0, 0);

    // A field that does not scroll ignores the press.
    field.SetZUScrollable(false);
    EXPECT_FALSE(field.GetZUScrollable());
    host.heard.clear();
    send(ZUM_LBUTTONDOWN, 100, 5);
    send(ZUM_MOUSEMOVE, 150, 5);
    EXPECT_TRUE(host.heard.empty());
    EXPECT_FALSE(captured());
}

TEST_F(NumberField, DecimalEditingWithCaret) {
    struct Case {
        int min, max, pos;
        std::vector<std::pair<int, int>> keys;  // (character, 0) or (-1, virtual key)
        int value, caret;
    };
    constexpr int L = 37, R = 39, BS = 8, DEL = 46, HOME = 0x24, S = ZU_KEY_SHIFT,
                  C = ZU_KEY_CONTROL;
    const Case cases[] = {
        {0, 1000, 12, {{-1, L}, {'5', 0}}, 152, 2},
        {0, 1000, 12, {{-1, L}, {'5', 0}, {-1, BS}}, 12, 1},
        {0, 1000, 12, {{'3', 0}, {'4', 0}}, 1234, 4},
        {0, 1000, 12, {{-1, L}, {-1, L}, {-1, L}, {'9', 0}}, 912, 1},
        {0, 1000, 12, {{'x', 0}, {'-', 0}, {':', 0}}, 12, 2},  // "-" needs a negative minimum
        {-99, 99, 12, {{'-', 0}}, -12, 3},
        {-99, 99, 12, {{'-', 0}, {'-', 0}}, 12, 2},
        {-99, 99, 0, {{'-', 0}}, 0, 1},
        {-99, 99, -5, {{-1, L}, {-1, L}, {'3', 0}}, -35, 2},    // digits stay after the sign
        {0, 2000000000, 123456789, {{'1', 0}}, 123456789, 9},   // nine characters at most
        {0, 1000, 12, {{-1, DEL}, {'7', 0}, {'1', 0}}, 71, 2},  // a cleared field starts anew
        {0, 1000, 5, {{-1, BS}}, 0, 0},
        {-99, 99, -5, {{-1, BS}}, 0, 1},
        {0, 1000, 12, {{-1, L}, {-1, L}, {-1, BS}}, 12, 0},
        {0, 1000, 12, {{-1, R}, {-1, R}}, 12, 2},
        {0, 1000, 12, {{-1, 65}}, 12, 2},
        // Selections: typing and Backspace replace them; Home and End move the caret.
        {0, 9999, 1234, {{-1, L | S}, {-1, L | S}, {'9', 0}}, 129, 3},
        {0, 9999, 1234, {{-1, HOME}, {-1, R | S}, {-1, BS}}, 234, 0},
        {0, 9999, 1234, {{-1, L | S}, {'x', 0}}, 1234, 3},
        {0, 9999, 1234, {{-1, 'A' | C}, {-1, 'X' | C}}, 1234, 4},  // no clipboard to cut to
    };
    int i = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(i++);
        field.SetZUNumberRange(c.min, c.max, false);
        field.PutZUNumberPos(c.pos, false);
        send(ZUM_LBUTTONDBLCLK, 10, 10);
        ASSERT_TRUE(field.editing);
        for (auto [a, b] : c.keys) send(ZUM_KEY, a, a == -1 ? b : 0);
        EXPECT_EQ(field.editValue, c.value);
        EXPECT_EQ(field.caret, c.caret);
        vk(27);
        ASSERT_FALSE(field.editing);
    }
}

TEST_F(NumberField, EditorNotifiesCommitAndCancel) {
    field.SetZUNumberRange(0, 100, false);
    field.PutZUNumberPos(40, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_TRUE(captured());
    EXPECT_EQ(field.caret, 2);
    // A second double click does not reopen: it selects the word under it, here all.
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_EQ(std::min(field.anchor, field.caret), 0);
    EXPECT_EQ(std::max(field.anchor, field.caret), 2);
    type("999");
    vk(13);  // clamped to the range
    ASSERT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED}));
    EXPECT_EQ(std::tuple(host.heard[1].a, host.heard[1].p), std::tuple(100, &field));
    EXPECT_FALSE(field.editing);
    EXPECT_FALSE(captured());
    EXPECT_EQ(field.GetZUNumberPos(), 40);  // until the parent stores it
    type("1");                              // keys outside an edit do nothing
    EXPECT_EQ(field.editValue, 100);

    // A left click anywhere commits; the press that commits starts no drag.
    host.heard.clear();
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    vk(46);
    type("7");
    send(ZUM_LBUTTONDOWN, 700, 500);
    EXPECT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED}));
    EXPECT_EQ(host.heard[1].a, 7);
    EXPECT_FALSE(field.dragging);
    send(ZUM_LBUTTONUP, 700, 500);

    // Escape and the right button cancel with ZUM_NUMBEREND and no value.
    for (int how = 0; how < 2; ++how) {
        host.heard.clear();
        send(ZUM_LBUTTONDBLCLK, 10, 10);
        type("5");
        if (how)
            send(ZUM_RBUTTONDOWN, 5, 5);
        else
            vk(27);
        EXPECT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_NUMBEREND}));
        EXPECT_FALSE(field.editing);
        EXPECT_FALSE(captured());
    }

    // A double click during a drag opens nothing.
    host.heard.clear();
    send(ZUM_LBUTTONDOWN, 100, 5);
    send(ZUM_LBUTTONDBLCLK, 100, 5);
    EXPECT_FALSE(field.editing);
    send(ZUM_LBUTTONUP, 100, 5);
}

TEST_F(NumberField, TimecodeEditingCommitsFramesOrText) {
    field.PutZUNumberType(1, 30000, 1001, true);
    field.SetZUNumberRange(-100000, 100000, false);
    field.PutZUNumberPos(1800, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_STREQ(field.editText, "00;01;00;02");
    EXPECT_EQ(field.caret, 11);
    // Nothing to sign yet; separators but no other characters are taken.
    edit("~", "");
    edit("-", "");
    edit("1234<<:", "12:34", 3);
    edit("-", "-12:34", 4);
    edit("x ", "-12:34");
    edit("<<<<<<<<<", nullptr, 0);
    edit(">>>>>>>>>", nullptr, 6);
    edit("\b", "-12:3");
    vk(13);  // -00;00;01;23
    ASSERT_EQ(host.heard.back().msg, ZUM_VALUECHANGED);
    EXPECT_EQ(host.heard.back().a, -53);
    EXPECT_EQ(field.GetZUNumberPos(), 1800);

    // Normalised entry, clamped to the range.
    field.SetZUNumberRange(0, 1000, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    edit("~10000", nullptr);
    vk(13);
    EXPECT_EQ(host.heard.back().a, 1000);  // 00;01;00;02 is 1800

    // Twelve characters at most; the sign finds no room in a full text.
    field.SetZUNumberRange(-10, 1000, false);
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    // A lone sign is cleared by Backspace; the sign before the caret goes.
    edit("~1234567890123", "123456789012");
    edit("-", "123456789012");
    edit("~5-", "-5");
    edit("\b", "", 0);
    edit("5-<\b", "5", 0);
    vk(27);

    // Type 2 hands the parent the normalised text and keeps showing its own.
    field.PutZUNumberType(2, 30000, 1001, true);
    field.PutZUNumberTC(cs("01;02;03;04"), false);
    host.heard.clear();
    send(ZUM_LBUTTONDBLCLK, 10, 10);
    EXPECT_STREQ(field.editText, "01;02;03;04");
    edit("\b9", nullptr);
    vk(13);
    ASSERT_EQ(host.messages(), std::vector<unsigned>({ZUM_NUMBERBEGIN, ZUM_VALUECHANGED}));
    EXPECT_EQ(host.heard[1].a, 0);
    EXPECT_EQ(host.heard[1].text, "01;02;03;09");
    char buf[16] = "00:00:00:00";
    field.GetZUNumberTC(buf);
    EXPECT_STREQ(buf, "01;02;03;04");
}

}  // namespace
