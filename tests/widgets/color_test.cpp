// The colour picker's picks (hue plane, brightness bar, the gap between them) and the
// wheel's colours and handles; their looks are the widget states page's reference image.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "widget_host.h"
#include "widgets/color_math.h"

using namespace zu::widgets;
using zu::detail::gui;
using zu::test::cs;

namespace {

constexpr float kQ = 3.142857f / 2;

void expectColour(const ZuFCOLOR& c, float r, float g, float b, float a = 1) {
    EXPECT_NEAR(c.red, r, 1e-4);
    EXPECT_NEAR(c.green, g, 1e-4);
    EXPECT_NEAR(c.blue, b, 1e-4);
    EXPECT_NEAR(c.alpha, a, 1e-6);
}

TEST(ColorMath, HueStripSegments) {
    struct Case {
        float t, r, g, b;
    };
    const Case cases[] = {
        {128, 1, 0.5f, 0},  {384, 0.5f, 1, 0},  {640, 0, 1, 0.5f},        {896, 0, 0.5f, 1},
        {1152, 0.5f, 0, 1}, {1408, 1, 0, 0.5f}, {1535, 1, 0, 1.0f / 256},
    };
    for (const Case& c : cases) {
        const Rgb3 h = pickerHue(c.t);
        EXPECT_FLOAT_EQ(h.r, c.r) << c.t;
        EXPECT_FLOAT_EQ(h.g, c.g) << c.t;
        EXPECT_FLOAT_EQ(h.b, c.b) << c.t;
    }
}

TEST(ColorMath, WheelIsContinuousAllRound) {
    const Rgb3 top = wheelColour(0), red = wheelColour(256), green = wheelColour(512);
    EXPECT_FLOAT_EQ(top.b, 1);
    EXPECT_NEAR(red.r, 1, 1e-5);
    EXPECT_NEAR(green.g, 1, 1e-5);
    for (int k = 0; k < 768; ++k) {
        const Rgb3 a = wheelColour(k), b = wheelColour((k + 1) % 768);
        ASSERT_LT(std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b), 0.013f) << k;
        ASSERT_GE(std::min({a.r, a.g, a.b}), -0.001f) << k;
    }
    // The drawn circle's index: 0 at the top, growing clockwise, 361 wrapping round.
    EXPECT_EQ(wheelIndexAt(0), 0);
    EXPECT_EQ(wheelIndexAt(120), 256);
    EXPECT_EQ(wheelIndexAt(359), 765);
    EXPECT_EQ(wheelIndexAt(360), 0);
}

class Picker : public zu::test::ChildTest<ZUColorPicker> {
  protected:
    ZUColorPicker& picker = widget;
    void SetUp() override { makeChild({0, 0, 138, 100}); }
    void TearDown() override {
        for (auto& h : host.heard) EXPECT_EQ(h.a, 0);  // a pick carries no value
        ChildTest::TearDown();
    }
    ZuFCOLOR clickAt(int x, int y) {
        picker.ReceiveZUMessage(ZUM_LBUTTONDOWN, x, y, nullptr, nullptr);
        picker.ReceiveZUMessage(ZUM_LBUTTONUP, x, y, nullptr, nullptr);
        ZuFCOLOR c{};
        picker.GetZUColorPicker(&c);
        return c;
    }
};

TEST_F(Picker, PlaneBarAndGap) {
    struct Case {
        int x, y;
        float r, g, b;
        int notes;  // notifications: down and up each pick
    };
    const Case cases[] = {
        {50, 100, 0, 1, 1, 2},        // t = 768: cyan at full saturation
        {50, 0, 1, 1, 1, 2},          // white at the bottom
        {25, 50, 1, 1, 0.5f, 2},      // t = 384 halfway to white
        {90, 100, 1, 0, 0.6f, 2},     // t = 1382.4, in the last segment
        {50, 150, 0, 0.5f, 0.5f, 2},  // above it while held: the fade runs on past the hue
        {50, -60, 1, 1, 1, 2},        // below it: white
        {99, 100, 1, 1, 1, 0},        // the gap: x + L = 99 ...
        {104, 100, 1, 1, 1, 0},       // ... to x + L + 5
        {137, 100, 1, 1, 1, 0},       // right of the bar
        {-1, 50, 1, 1, 1, 0},         // left of the plane
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        // Start each case from white at full brightness.
        picker.red = picker.green = picker.blue = 1;
        const int markX = picker.markX;
        host.heard.clear();
        expectColour(clickAt(c.x, c.y), c.r, c.g, c.b);
        EXPECT_EQ(host.messages(), std::vector<unsigned>(size_t(c.notes), ZUM_COLORCHANGED));
        EXPECT_EQ(picker.markX, c.notes ? c.x : markX);
    }

    // The bar sets the brightness and leaves the colour and the mark alone.
    clickAt(75, 100);
    const int mx = picker.markX, my = picker.markY;
    expectColour(clickAt(120, 50), 0.25f, 0, 0.5f);
    EXPECT_EQ(std::tuple(picker.brightness, picker.markX, picker.markY), std::tuple(0.5f, mx, my));
    expectColour(clickAt(105, 130), 0.5f, 0, 1);  // clamped to 1
    expectColour(clickAt(136, -10), 0, 0, 0);     // clamped to 0
    ZuFCOLOR ignored{0.1f, 0.2f, 0.3f, 0.4f};
    EXPECT_EQ(picker.SetZUColorPicker(&ignored), 0);
    EXPECT_FLOAT_EQ(picker.brightness, 0);
}

TEST_F(Picker, DragPicksUntilReleased) {
    EXPECT_EQ(std::pair(picker.markX, picker.markY), std::pair(0, 0));  // the rectangle's corner
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 50, 100, nullptr, nullptr);  // not held
    EXPECT_TRUE(host.heard.empty());
    picker.ReceiveZUMessage(ZUM_LBUTTONDOWN, 10, 100, nullptr, nullptr);
    EXPECT_EQ(gui().capture, picker.node);
    picker.ReceiveZUMessage(ZUM_LBUTTONDOWN, 20, 100, nullptr, nullptr);  // ignored while held
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 101, 100, nullptr, nullptr);   // the gap
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 50, 90, nullptr, nullptr);
    EXPECT_EQ(std::pair(picker.markX, picker.markY), std::pair(50, 90));
    picker.ReceiveZUMessage(ZUM_LBUTTONUP, 60, 80, nullptr, nullptr);
    EXPECT_EQ(gui().capture, nullptr);
    picker.ReceiveZUMessage(ZUM_MOUSEMOVE, 50, 100, nullptr, nullptr);
    EXPECT_EQ(std::pair(host.heard.size(), picker.markX), std::pair(size_t(3), 60));

    // Without a parent nothing is picked.
    ZUColorPicker alone;
    ZuRECT r{0, 0, 138, 100};
    ASSERT_EQ(alone.CreateZUWindow(cs(""), 0, 1, 0, &r, nullptr), -2);
    ASSERT_EQ(alone.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), 0);
    alone.parent = nullptr;
    alone.ReceiveZUMessage(ZUM_LBUTTONDOWN, 50, 100, nullptr, nullptr);
    alone.ReceiveZUMessage(ZUM_LBUTTONUP, 50, 100, nullptr, nullptr);
    ZuFCOLOR c{};
    alone.GetZUColorPicker(&c);
    expectColour(c, 1, 1, 1);
}

TEST(Wheel, TypeHandlesAndColours) {
    zu::test::Recorder host;
    ZUColorWheel wheel;
    ZuRECT all{0, 0, 800, 600}, r{100, 50, 201, 100};
    ASSERT_EQ(host.CreateZUWindow(cs("host"), 2, 1, 0, &all, nullptr), 0);
    ASSERT_EQ(wheel.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), 0);
    // Handles start at the centre; positions are whole pixels, so compared exactly.
    auto at = [](float x, float y) { return std::pair(x, y); };
    EXPECT_EQ(at(wheel.centreX, wheel.centreY), at(200, 100));
    for (auto& h : wheel.handles) EXPECT_EQ(at(h.x, h.y), at(200, 100));
    EXPECT_EQ(wheel.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), -2);

    for (auto [type, result] :
         {std::pair{3, 3}, std::pair{7, 0}, std::pair{2, 2}, std::pair{-1, 0}, std::pair{1, 1}}) {
        wheel.SetColorWheelType(type);
        EXPECT_EQ(wheel.wheelType, result) << type;
    }

    // The mouse moves handle 0 whatever the type, and only while held.
    wheel.ReceiveZUMessage(ZUM_MOUSEMOVE, 1, 2, nullptr, nullptr);
    EXPECT_FLOAT_EQ(wheel.handles[0].x, 200);
    wheel.ReceiveZUMessage(ZUM_LBUTTONDOWN, 150, 80, nullptr, nullptr);
    EXPECT_EQ(gui().capture, wheel.node);
    EXPECT_FLOAT_EQ(wheel.handles[0].x, 150);
    wheel.ReceiveZUMessage(ZUM_MOUSEMOVE, 160, 90, nullptr, nullptr);
    wheel.ReceiveZUMessage(ZUM_LBUTTONUP, 170, 95, nullptr, nullptr);
    EXPECT_EQ(gui().capture, nullptr);
    wheel.ReceiveZUMessage(ZUM_MOUSEMOVE, 1, 2, nullptr, nullptr);
    EXPECT_EQ(at(wheel.handles[0].x, wheel.handles[0].y), at(170, 95));
    EXPECT_EQ(wheel.handles[1].x, 200);
    EXPECT_TRUE(host.heard.empty());
    // A hidden wheel keeps its handles.
    wheel.ShowZUWindow(0, 0);
    wheel.ReceiveZUMessage(ZUM_LBUTTONDOWN, 10, 10, nullptr, nullptr);
    wheel.ReceiveZUMessage(ZUM_LBUTTONUP, 10, 10, nullptr, nullptr);
    EXPECT_FLOAT_EQ(wheel.handles[0].x, 170);
    wheel.ShowZUWindow(1, 0);

    // A single reset clears the type's handle, a full one all four.
    wheel.ResetColors(0);
    EXPECT_EQ(at(wheel.handles[1].x, wheel.handles[0].x), at(0, 170));
    wheel.ResetColors(1);
    for (auto& h : wheel.handles) EXPECT_FLOAT_EQ(std::fabs(h.x) + std::fabs(h.y), 0);

    // Colours read the handle as a vector from the origin, scaled by |x| + |y|.
    struct Case {
        float x, y;
        Rgb3 colour;
    };
    const Case cases[] = {
        {10, 0, {10 * std::sin(0.75f * kQ), 0, 10 * std::cos(0.75f * kQ)}},  // k = 192
        {0, 0, {0, 0, 0}},
        {0, 4, {4 * std::sin(2 / 256.0f * kQ), 0, 4 * std::cos(2 / 256.0f * kQ)}},  // k = 2
        // Lower left, 225 degrees clockwise from the top, reads k = 477 (22/7 for pi)...
        {-3, -3, {6 * std::cos(221 / 256.0f * kQ), 6 * std::sin(221 / 256.0f * kQ), 0}},
        // ... and lower right, 135 degrees, k = 285.
        {3, -3, {6 * std::cos(29 / 256.0f * kQ), 6 * std::sin(29 / 256.0f * kQ), 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        wheel.handles[2] = {c.x, c.y};
        float rr = -1, gg = -1, bb = -1;
        EXPECT_EQ(wheel.GetColorWheelColor(2, &rr, &gg, &bb), 0);
        EXPECT_NEAR(rr, c.colour.r, 1e-4);
        EXPECT_NEAR(gg, c.colour.g, 1e-4);
        EXPECT_NEAR(bb, c.colour.b, 1e-4);
    }
    float rr = -1, gg = -1, bb = -1;
    wheel.handles[0] = {50, 50};
    wheel.GetColorWheelColor(9, &rr, &gg, &bb);  // no such handle: the point (0, 0)
    EXPECT_EQ(rr + gg + bb, 0);
}

}  // namespace
