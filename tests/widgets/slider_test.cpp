// The slider's pointer mapping, notifications and refused setters, its repaints, and the
// scroll's layout and teardown; their looks are the widget pages' reference images.
#include <atomic>
#include <climits>
#include <vector>

#include "support/draw_suite.h"
#include "support/rows.h"
#include "widget_host.h"

using namespace zu::test;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

class SliderInput : public ChildTest<ZUSlider> {
  protected:
    ZUSlider& slider = widget;
    void SetUp() override { makeChild({50, 10, 200, 20}); }
    void send(unsigned msg, int x) { slider.ReceiveZUMessage(msg, x, 15, nullptr, nullptr); }
};

TEST_F(SliderInput, PointerMapsToTheRangeWithClamping) {
    struct Case {
        int rx, width, min, max, x, pos;
    };
    const Case cases[] = {
        {50, 200, 0, 100, 150, 50},
        {50, 200, 0, 100, 10, 0},  // left of the slider
        {50, 200, 0, 100, 400, 100},
        {50, 200, 0, 100, 51, 0},  // truncated, not rounded
        {0, 100, -50, -10, 25, -40},
        {0, 100, 7, 7, 60, 7},
        {0, 100, INT_MIN, INT_MAX, 50, -1},  // the whole int range without overflow
        {0, 100, INT_MIN, INT_MAX, 100, INT_MAX},
        {0, 0, 3, 9, 50, 3},  // no width: the minimum
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        ZuRECT r{c.rx, 10, c.width, 20};
        slider.ResizeZUWindow(&r, 0);
        slider.SetZUSliderRange(c.min, c.max, false);
        host.heard.clear();
        send(ZUM_LBUTTONDOWN, c.x);
        send(ZUM_MOUSEMOVE, c.x);
        send(ZUM_LBUTTONUP, c.x);
        ASSERT_EQ(host.heard.size(), 3u);
        for (auto& h : host.heard) EXPECT_EQ(h.a, c.pos);
    }
}

TEST_F(SliderInput, PressDragReleaseNotifyAndHoldTheCapture) {
    slider.SetZUSliderRange(0, 100, false);
    send(ZUM_MOUSEMOVE, 100);  // not held: nothing
    send(ZUM_LBUTTONUP, 100);
    EXPECT_TRUE(host.heard.empty());
    send(ZUM_LBUTTONDOWN, 100);
    EXPECT_EQ(gui().capture, slider.node);
    send(ZUM_LBUTTONDOWN, 200);  // ignored while held
    send(ZUM_MOUSEMOVE, 150);
    send(ZUM_MOUSEMOVE, 170);
    send(ZUM_LBUTTONUP, 250);
    EXPECT_EQ(gui().capture, nullptr);
    std::vector<std::tuple<unsigned, int, void*>> got;
    for (auto& h : host.heard) got.emplace_back(h.msg, h.a, h.p);
    EXPECT_EQ(got,
              (std::vector<std::tuple<unsigned, int, void*>>{{ZUM_SLIDERPRESS, 25, &slider},
                                                             {ZUM_SLIDERDRAG, 50, &slider},
                                                             {ZUM_SLIDERDRAG, 60, &slider},
                                                             {ZUM_SLIDERRELEASE, 100, &slider}}));
    EXPECT_EQ(slider.GetZUSliderPos(), 0);  // the parent decides
}

TEST_F(SliderInput, SettersRefuseBadValues) {
    // clang-format off
    expectRows({
        AFTER((slider.SetZUSliderType(1, false), slider.SetZUSliderType(2, false)), slider.GetZUSliderType(), 1),
        AFTER(slider.SetZUSliderType(-1, false), slider.GetZUSliderType(), 1),
        AFTER((slider.SetZUSliderRange(0, 10, false), slider.SetZUSliderRange(5, 1, false)),
              slider.minimum == 0 && slider.maximum == 10, 1),
        AFTER((slider.SetZUSliderSubRange(2, 4, false), slider.SetZUSliderSubRange(4, 2, false)),
              slider.subStart == 2 && slider.subEnd == 4, 1),
        ROW(slider.PutZUSliderPos(10, false), 0),
        AFTER((slider.PutZUSliderPos(11, false), slider.PutZUSliderPos(-1, false)), slider.GetZUSliderPos(), 10),
        AFTER(slider.SetZUSliderRange(0, 5, false), slider.GetZUSliderPos(), 10),  // the position stays outside
    });
    // clang-format on
}

TEST(ScrollLayout, ButtonsAreTheScrollsChildrenAndGoWithIt) {
    Recorder host;
    ZUScroll scroll;
    ZuRECT all{0, 0, 800, 600}, r{40, 100, 300, 50};
    ASSERT_EQ(host.CreateZUWindow(cs("host"), 2, 1, 0, &all, nullptr), 0);
    ASSERT_EQ(scroll.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), 0);
    EXPECT_EQ(scroll.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), -2);
    // Where the buttons lie is the widget pages' reference images; here whose they are.
    EXPECT_EQ(std::tuple(scroll.startButton.GetZUParent(), scroll.startButton.node->parent,
                         scroll.endButton.node->parent, scroll.endButton.IsVisible()),
              std::tuple(&scroll, scroll.node, scroll.node, 1));

    // A click on a button reaches the scroll, which passes nothing on.
    scroll.endButton.ReceiveZUMessage(ZUM_LBUTTONDOWN, 310, 110, nullptr, nullptr);
    scroll.endButton.ReceiveZUMessage(ZUM_LBUTTONUP, 310, 110, nullptr, nullptr);
    EXPECT_TRUE(host.heard.empty());

    // Taken down alone, then made again and taken down with its parent: every object
    // forgets its node.
    auto nodes = [&] {
        return std::tuple(scroll.node, scroll.startButton.node, scroll.endButton.node);
    };
    const auto none = std::tuple<ZUWindowNode*, ZUWindowNode*, ZUWindowNode*>();
    EXPECT_EQ(scroll.DestroyZUWindow(), 0);
    EXPECT_EQ(nodes(), none);
    EXPECT_EQ(host.node->childCount, 0u);
    EXPECT_EQ(scroll.DestroyZUWindow(), 0);
    ASSERT_EQ(scroll.CreateZUWindow(cs(""), 0, 1, 0, &r, &host), 0);
    host.DestroyZUWindow();
    EXPECT_EQ(nodes(), none);
}

// A running GUI: a repaint request renders the tree at once.
class SliderRepaint : public DrawSuite<400, 160> {
  protected:
    Recorder root;
    ZUSlider slider;
    void SetUp() override {
        ZuRECT all{0, 0, kW, kH}, r{20, 20, 200, 30};
        ASSERT_EQ(root.CreateZUWindow(cs("root"), 2, 1, 0, &all, nullptr), 0);
        ASSERT_EQ(slider.CreateZUWindow(cs(""), 2, 1, 0, &r, &root), 0);
    }
};

TEST_F(SliderRepaint, SettersRepaintOnlyOnChangeAndNotDuringADrag) {
    struct Step {
        const char* what;
        void (*call)(ZUSlider&);
        int renders;
    };
    const Step steps[] = {
        {"range", [](ZUSlider& s) { s.SetZUSliderRange(0, 100, true); }, 1},
        {"refused range", [](ZUSlider& s) { s.SetZUSliderRange(9, 1, true); }, 0},
        {"position", [](ZUSlider& s) { s.PutZUSliderPos(5, true); }, 1},
        {"same position", [](ZUSlider& s) { s.PutZUSliderPos(5, true); }, 0},
        {"no repaint asked", [](ZUSlider& s) { s.PutZUSliderPos(6, false); }, 0},
        {"type", [](ZUSlider& s) { s.SetZUSliderType(1, true); }, 1},
        {"refused type", [](ZUSlider& s) { s.SetZUSliderType(5, true); }, 0},
        {"sub-range", [](ZUSlider& s) { s.SetZUSliderSubRange(1, 2, true); }, 1},
    };
    for (const Step& s : steps) {
        const int before = root.renders;
        s.call(slider);
        EXPECT_EQ(root.renders - before, s.renders) << s.what;
    }
    slider.dragging = 1;  // as a press leaves it, without the pointer grab
    const int before = root.renders;
    slider.PutZUSliderPos(50, true);
    slider.SetZUSliderRange(0, 200, true);
    EXPECT_EQ(std::pair(root.renders - before, slider.GetZUSliderPos()), std::pair(0, 50));
    slider.dragging = 0;
}

}  // namespace
