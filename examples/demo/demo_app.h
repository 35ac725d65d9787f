// The demo host's window: a title bar made of nodes, three tabs and their pages, wired the
// way a host wires the widgets (the widget asks, the host decides and calls the setter).
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "video_feed.h"
#include "zugui/zugui.h"

namespace demo {

class DemoApp;

// A container that passes its children's notifications to the application.
class Page : public ZUWindow {
  public:
    explicit Page(DemoApp* app) : app_(app) {}
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;

  private:
    DemoApp* app_;
};

// Dragging the window by its caption.
class TitleBar : public ZUWindow {
  public:
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    bool dragging = false;
};

// What the tour waits for: each notification the application handles, counted by kind.
struct Seen {
    std::atomic<long> clicked{0}, selected{0}, text{0}, value{0}, slider{0}, colour{0}, key{0},
        frames{0}, dropped{0}, item{0};
};

class DemoApp : public ZUWindow {
  public:
    static constexpr int kW = 960, kH = 640;

    bool build();
    void teardown();
    ZuErr RenderZUWindow(void) override;
    ZuErr ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) override;
    // Every notification of every page arrives here.
    void notify(unsigned msg, int a, int b, void* from, void* q);
    void showPage(int index);
    void applyFeed();
    void applyWheelColour();

    Seen seen;
    std::string status = "Ready";
    std::string dropped;
    int page = 0;
    std::atomic<int> lastFrame{0};

    // The title bar.
    TitleBar title;
    ZUStatic caption;
    ZUPictureButton closeButton, minimiseButton, maximiseButton;
    // Tabs and pages.
    ZUTabButton tabs[3];
    std::unique_ptr<Page> pages[3];
    ZUStatic statusLine;

    // Controls.
    ZUButton messageButton, latch;
    ZUCheckBox check;
    ZUStatic checkLabel;
    std::vector<std::unique_ptr<ZUPictureButton>> pictures;
    ZUPictureButton action;
    ZUMiniTabButton minis[3];
    ZUComboButton combo0, combo1, combo2, combo3;
    ZUHotText hot;
    ZUHotTextList list;
    ZUNumber number0, number1, number2;
    ZUSlider slider0, slider1;
    ZUScroll scroll;
    ZUText field, digits;
    ZUStatic fieldLabel;

    // Video.
    ZUVideoWindowNode* video = nullptr;
    std::unique_ptr<VideoFeed> feed;
    ZUComboButton formatCombo, pathCombo, matrixCombo, rangeCombo;
    ZUCheckBox guides, zoom, lut, nearest;
    ZUStatic guidesLabel, zoomLabel, lutLabel, nearestLabel, dropLabel, formatLabel, pathLabel,
        matrixLabel, rangeLabel;
    ZUPictureButton play, pause, stopButton, stepBack, stepForward;
    ZUNumber timecode;

    // Colour.
    ZUColorPicker picker;
    ZUColorWheel wheel;
    ZUComboButton targetCombo;
    ZUButton applyWheel;
    ZUStatic colourLabel, sample1, sample2;

  private:
    template <class W>
    bool add(W& w, ZUWindow* parent, ZuRECT r, const char* text = "");
    void buildControls(Page* p);
    void buildVideo(Page* p);
    void buildColour(Page* p);
    void setStatus(const std::string& s);
};

}  // namespace demo
