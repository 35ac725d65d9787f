#include "demo_app.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

namespace demo {
namespace {

char* cs(const char* s) {
    return const_cast<char*>(s);
}

const char* kFormats[] = {"2vuy", "yuy2", "v219", "bgrA", "10rl", "NV12", "P010"};
const unsigned kFormatCodes[] = {ZU_PF_2vuy, ZU_PF_yuy2, ZU_PF_v219, ZU_PF_bgrA,
                                 ZU_PF_10rl, ZU_PF_NV12, ZU_PF_P010};
// The colour description's choices, in the order of their ZU_MATRIX_ / ZU_RANGE_ values.
const char* kMatrices[] = {"Matrix by width", "BT.601", "BT.709", "BT.2020"};
const char* kRanges[] = {"Limited range", "Full range"};
const char* kPaths[] = {"texture", "direct", "software"};
// Scheme entries the colour page edits.
const char* kTargets[] = {"Captions", "Labels", "Current tab", "Pictograms"};
const int kTargetIndex[] = {21, 17, 100, 4};

// The video window sits in the client area, whose y runs downwards.
constexpr ZuRECT kVideoGui{20, 150, 640, 360};

}  // namespace

ZuErr Page::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    if (msg == ZUM_RENDER || msg == ZUM_DESTROY) return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    app_->notify(msg, a, b, p, q);
    return 0;
}

ZuErr TitleBar::RenderZUWindow(void) {
    if (!node || !node->visible) return 0;
    glBegin(GL_QUADS);
    glColor4f(0.05f, 0.07f, 0.1f, 1);
    glVertex2f(rect.x, rect.y);
    glVertex2f(rect.x + rect.width, rect.y);
    glColor4f(0.15f, 0.2f, 0.28f, 1);
    glVertex2f(rect.x + rect.width, rect.y + rect.height);
    glVertex2f(rect.x, rect.y + rect.height);
    glEnd();
    return 0;
}

ZuErr TitleBar::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            ZUCaptureMouse(node);
            ZUStartMoveGUI();
            dragging = true;
            return 0;
        case ZUM_MOUSEMOVE:
            if (dragging) ZUMoveGUI();
            return 0;
        case ZUM_LBUTTONUP:
            if (dragging) {
                ZUStopMoveGUI();
                ZUReleaseMouse();
                dragging = false;
                if (parent) SendZUMessage(parent, ZUM_CLICKED, 1, 0, this, nullptr);
            }
            return 0;
        default:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    }
}

template <class W>
bool DemoApp::add(W& w, ZUWindow* parent, ZuRECT r, const char* text) {
    return w.CreateZUWindow(cs(text), 0, 1, 0, &r, parent) == 0;
}

bool DemoApp::build() {
    // The title bar: caption, and the window buttons at the right end.
    bool ok = add(title, this, {0, kH - 32, kW, 32});
    ok &= add(caption, this, {12, kH - 32, 300, 32}, "zugui demo - video monitor");
    caption.SetWindowZUTextStyle(ZU_FONT_BOLD12, ZU_TEXT_LEFT, 0);
    const int pictureTypes[3] = {ZU_PICT_MINIMIZE, ZU_PICT_MAXIMIZE, ZU_PICT_CLOSE};
    ZUPictureButton* windowButtons[3] = {&minimiseButton, &maximiseButton, &closeButton};
    for (int i = 0; i < 3; ++i) {
        ok &= add(*windowButtons[i], this, {kW - 96 + i * 32, kH - 32, 32, 32});
        windowButtons[i]->ButtonZUPictureType(pictureTypes[i]);
    }
    const char* names[3] = {"Controls", "Video", "Colour"};
    for (int i = 0; i < 3; ++i) {
        ok &= add(tabs[i], this, {12 + i * 136, kH - 72, 130, 32}, names[i]);
        pages[i] = std::make_unique<Page>(this);
        ok &= add(*pages[i], this, {0, 24, kW, kH - 100});
    }
    ok &= add(statusLine, this, {12, 2, kW - 24, 20}, "Ready");
    statusLine.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
    if (!ok) return false;
    buildControls(pages[0].get());
    buildVideo(pages[1].get());
    buildColour(pages[2].get());
    // Transport hot keys: space toggles play, the arrows step.
    ZURegisterHotKey(node, 32, 0);
    ZURegisterHotKey(node, 0x25, 0);
    ZURegisterHotKey(node, 0x27, 0);
    showPage(0);
    return true;
}

void DemoApp::buildControls(Page* p) {
    add(messageButton, p, {20, 480, 140, 32}, "Message box");
    add(latch, p, {170, 480, 110, 32}, "Latch");
    latch.ButtonZUType(1);
    add(check, p, {300, 488, 16, 16});
    add(checkLabel, p, {320, 484, 120, 24}, "Check box");
    checkLabel.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
    // Every pictogram, each on a framed push button.
    const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 23, 13, 14, 15, 16};
    int x = 20;
    for (int t : types) {
        pictures.push_back(std::make_unique<ZUPictureButton>());
        add(*pictures.back(), p, {x, 420, 48, 40});
        pictures.back()->ButtonZUPictureType(t);
        pictures.back()->SetZUBkType(t == 13 ? 0 : 1);
        x += 52;
    }
    add(action, p, {x, 420, 48, 40});
    action.ButtonZUPictureType(ZU_PICT_DISCPRESSED);
    action.ButtonZUType(3);
    const char* miniNames[3] = {"Input", "Output", "Monitor"};
    for (int i = 0; i < 3; ++i) add(minis[i], p, {460 + i * 90, 484, 86, 24}, miniNames[i]);
    minis[0].SetZUTabCheck(1);

    ZUComboButton* combos[4] = {&combo0, &combo1, &combo2, &combo3};
    for (int i = 0; i < 4; ++i) {
        add(*combos[i], p, {20 + i * 170, 360, 160, 24});
        combos[i]->SetZUComboType(i);
    }
    for (const char* f : kFormats) combo0.InsertZUItem(-1, cs(f), 0);
    for (const char* r : {"23.98", "24", "25", "29.97", "50", "59.94"})
        combo1.InsertZUItem(-1, cs(r), 0);
    for (const char* k :
         {"XP_PLAYSTRAIGHT", "XP_PLAYLOOP", "XP_PLAYBOUNCE", "XP_RANGE", "XP_INFINITY"})
        combo2.InsertZUItem(-1, cs(k), 0);
    for (const char* c : {"Left", "Centre", "Right"}) combo3.InsertZUItem(-1, cs(c), 0);

    add(hot, p, {700, 360, 120, 24}, "Hot text");
    add(list, p, {700, 230, 200, 100});
    for (const char* item : {"clip_0001.mov", "clip_0002.mov", "clip_0003.mov", "clip_0004.mov"})
        list.InsertZUItem(-1, cs(item), 0);

    add(number0, p, {20, 300, 120, 24});
    number0.SetZUNumberRange(-100, 100, 0);
    add(number1, p, {150, 300, 140, 24});
    number1.PutZUNumberType(1, 30000, 1001, true);
    number1.SetZUNumberRange(0, 30 * 3600 * 24, 0);
    number1.PutZUNumberPos(17982, 0);
    add(number2, p, {300, 300, 140, 24});
    number2.PutZUNumberType(2, 25000, 1000, false);
    number2.PutZUNumberTC(cs("10:00:00:00"), 0);

    add(slider0, p, {20, 250, 300, 20});
    slider0.SetZUSliderRange(0, 100, 0);
    slider0.PutZUSliderPos(40, 0);
    slider0.SetZUSliderSubRange(20, 60, 0);
    add(slider1, p, {340, 250, 300, 20});
    slider1.SetZUSliderType(1, 0);
    slider1.SetZUSliderRange(0, 1000, 0);
    slider1.PutZUSliderPos(750, 0);
    add(scroll, p, {20, 200, 620, 32});

    add(fieldLabel, p, {20, 150, 120, 26}, "Clip name");
    fieldLabel.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
    add(field, p, {140, 150, 300, 26}, "clip_0001");
    add(digits, p, {460, 150, 180, 26}, "01:00:00:00");
    digits.SetZUTextInputType(true, true, false);
    digits.SetZUTextInputMax(11);
}

void DemoApp::buildVideo(Page* p) {
    // The picture: a video window left, its controls at the right.
    ZuRECT r{kVideoGui.x, kH - kVideoGui.y - kVideoGui.height, kVideoGui.width, kVideoGui.height};
    video = ZUCreateVideoWindow(p->GetZUWndHandle(), cs("video"), &r, 0);
    if (video) {
        ZURegDropFilesVideoWindow(video);
        feed = std::make_unique<VideoFeed>(video, p->GetZUWndHandle());
    }
    add(formatLabel, p, {680, 470, 80, 24}, "Format");
    add(formatCombo, p, {760, 470, 180, 24});
    for (const char* f : kFormats) formatCombo.InsertZUItem(-1, cs(f), 0);
    add(pathLabel, p, {680, 436, 80, 24}, "Path");
    add(pathCombo, p, {760, 436, 180, 24});
    pathCombo.SetZUComboType(3);
    for (const char* s : kPaths) pathCombo.InsertZUItem(-1, cs(s), 0);
    ZUCheckBox* boxes[4] = {&guides, &zoom, &lut, &nearest};
    ZUStatic* labels[4] = {&guidesLabel, &zoomLabel, &lutLabel, &nearestLabel};
    const char* texts[4] = {"Safe-area guides", "Zoom 0.5", "Contrast LUT", "Nearest pixels"};
    for (int i = 0; i < 4; ++i) {
        add(*boxes[i], p, {680, 400 - i * 30, 16, 16});
        add(*labels[i], p, {704, 396 - i * 30, 200, 24}, texts[i]);
        labels[i]->SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
    }
    // The colour description of YUV frames (the feed makes BT.601 limited range).
    add(matrixLabel, p, {680, 270, 80, 24}, "Colour");
    add(matrixCombo, p, {760, 270, 180, 24});
    for (const char* m : kMatrices) matrixCombo.InsertZUItem(-1, cs(m), 0);
    add(rangeCombo, p, {760, 236, 180, 24});
    for (const char* r : kRanges) rangeCombo.InsertZUItem(-1, cs(r), 0);
    ZUPictureButton* transport[5] = {&stepBack, &play, &pause, &stopButton, &stepForward};
    const int icons[5] = {ZU_PICT_STEPBACK, ZU_PICT_PLAY, ZU_PICT_PAUSE, ZU_PICT_STOP,
                          ZU_PICT_STEPFORWARD};
    for (int i = 0; i < 5; ++i) {
        add(*transport[i], p, {20 + i * 52, 50, 48, 40});
        transport[i]->ButtonZUPictureType(icons[i]);
        transport[i]->SetZUBkType(1);
    }
    add(timecode, p, {300, 58, 160, 24});
    timecode.PutZUNumberType(1, 25000, 1000, false);
    timecode.SetZUNumberRange(0, VideoFeed::kLength - 1, 0);
    timecode.SetZUScrollable(false);
    add(dropLabel, p, {480, 58, 460, 24}, "Drop a file on the picture");
    dropLabel.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
}

void DemoApp::buildColour(Page* p) {
    add(colourLabel, p, {20, 470, 200, 24}, "Scheme colour to edit");
    colourLabel.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
    add(targetCombo, p, {220, 470, 180, 24});
    for (const char* t : kTargets) targetCombo.InsertZUItem(-1, cs(t), 0);
    add(picker, p, {20, 150, 300, 300});
    add(wheel, p, {360, 150, 300, 300});
    add(applyWheel, p, {360, 110, 160, 32}, "Apply wheel");
    add(sample1, p, {700, 400, 200, 24}, "Labels look like this");
    add(sample2, p, {700, 360, 200, 24}, "and so on");
}

void DemoApp::teardown() {
    if (feed) feed->stop();
    feed.reset();
    if (video) ZUDestroyVideoWindow(video);
    video = nullptr;
}

ZuErr DemoApp::RenderZUWindow(void) {
    if (!node) return 0;
    // A dark backdrop behind everything.
    glBegin(GL_QUADS);
    glColor4f(0.07f, 0.08f, 0.1f, 1);
    glVertex2f(0, 0);
    glVertex2f(kW, 0);
    glVertex2f(kW, kH);
    glVertex2f(0, kH);
    glEnd();
    return 0;
}

ZuErr DemoApp::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    if (msg == ZUM_KEY) {
        ++seen.key;
        if (feed) {
            if (a == 32) feed->play(!feed->playing());
            if (a == -1 && b == 0x25) feed->step(-1);
            if (a == -1 && b == 0x27) feed->step(1);
        }
        setStatus(a == 32 ? "Space: play / pause" : "Arrow: step");
        return 0;
    }
    if (msg == ZUM_RENDER || msg == ZUM_DESTROY) return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    notify(msg, a, b, p, q);
    return 0;
}

void DemoApp::setStatus(const std::string& s) {
    status = s;
    statusLine.SetWindowZUText(cs(s.c_str()), 0);
}

void DemoApp::showPage(int index) {
    page = index;
    for (int i = 0; i < 3; ++i) {
        tabs[i].SetZUTabCheck(i == index);
        pages[i]->ShowZUWindow(i == index, 0);
    }
    if (video) ZUShowVideoWindow(video, index == 1);
    if (feed) {
        if (index == 1) {
            applyFeed();
            feed->start();
        } else {
            feed->stop();
        }
    }
}

void DemoApp::applyFeed() {
    if (!feed) return;
    FeedSettings s;
    const int f = formatCombo.GetZUCurSel();
    s.format = kFormatCodes[f < 0 ? 0 : f];
    s.path = Path(std::max(0, pathCombo.GetZUCurSel()));
    s.guides = guides.GetZUCheck();
    s.fit = !zoom.GetZUCheck();
    s.contrast = lut.GetZUCheck();
    s.nearest = nearest.GetZUCheck();
    s.matrix = std::max(0, matrixCombo.GetZUCurSel());
    s.range = std::max(0, rangeCombo.GetZUCurSel()) + 1;
    feed->configure(s);
}

// The wheel tells nobody; the host reads its first handle when asked. Its colour is a
// signed correction, shown around mid grey.
void DemoApp::applyWheelColour() {
    ZuFCOLOR c{0.5f, 0.5f, 0.5f, 1};
    float r = 0, g = 0, b = 0;
    wheel.GetColorWheelColor(0, &r, &g, &b);
    c = {0.5f + r * 0.5f, 0.5f + g * 0.5f, 0.5f + b * 0.5f, 1};
    const int t = std::max(0, targetCombo.GetZUCurSel());
    ZUSetSchemeColor(kTargetIndex[t], &c);
    ++seen.colour;
}

void DemoApp::notify(unsigned msg, int a, int /*b*/, void* from, void* q) {
    char line[300];
    if (msg == kTourDone) {
        ZuPostQuitMessage(0);
        return;
    }
    if (msg == kFrameShown) {
        ++seen.frames;
        lastFrame = a;
        timecode.PutZUNumberPos(a, 0);
        return;
    }
    if (msg == ZUM_VIDEODROPFILES) {
        // The first dropped path, as UTF-16.
        wchar_t wide[1024] = {};
        unsigned char utf8[3 * 1024] = {};
        if (q) {
            ZuUTF162WChar(static_cast<const unsigned short*>(q), wide);
            ZuWChar2UTF8(utf8, wide);
        }
        dropped = reinterpret_cast<char*>(utf8);
        const char* base = std::strrchr(dropped.c_str(), '/');
        snprintf(line, sizeof line, "Dropped: %s", base ? base + 1 : dropped.c_str());
        dropLabel.SetWindowZUText(line, 0);
        ++seen.dropped;
        setStatus(line);
        return;
    }
    // The widgets ask; the host decides.
    if (msg == ZUM_CLICKED) {
        ++seen.clicked;
        if (from == &closeButton) ZuPostQuitMessage(0);
        if (from == &minimiseButton) ZUMinimizeGUI();
        if (from == &maximiseButton) {
            ZuRECT r{0, 0, kW, kH};
            ZUMaximizeGUI(&r, 1);  // centred on its monitor at its own size
        }
        for (int i = 0; i < 3; ++i)
            if (from == &tabs[i]) showPage(i);
        for (auto& m : minis)
            if (from == &m)
                for (auto& o : minis) o.SetZUTabCheck(&o == &m);
        if (from == &applyWheel) applyWheelColour();
        if (from == &messageButton) ZUShowMB(cs("zugui"), cs("A message box: click it to close."));
        if (from == &latch) latch.SetZUCheck(!latch.GetZUCheck());
        if (from == &check) check.SetZUCheck(a);
        if (from == &guides || from == &zoom || from == &lut || from == &nearest) {
            static_cast<ZUCheckBox*>(from)->SetZUCheck(a);
            applyFeed();
        }
        if (feed) {
            if (from == &play) feed->play(true);
            if (from == &pause) feed->play(false);
            if (from == &stopButton) feed->play(false), feed->seek(0);
            if (from == &stepBack) feed->step(-1);
            if (from == &stepForward) feed->step(1);
        }
        snprintf(line, sizeof line, "Clicked (%d)", a);
    } else if (msg == ZUM_SELECT) {
        ++seen.selected;
        static_cast<ZUComboButton*>(from)->SetZUCurSel(a, 0);
        if (from == &formatCombo || from == &pathCombo || from == &matrixCombo ||
            from == &rangeCombo)
            applyFeed();
        snprintf(line, sizeof line, "Selected item %d", a);
    } else if (msg == ZUM_ITEMPRESSED || msg == ZUM_ITEMDBLCLK) {
        ++seen.item;
        list.SetZUCurSel(a, 0);
        snprintf(line, sizeof line, "%s row %d", msg == ZUM_ITEMDBLCLK ? "Double click on" : "Row",
                 a);
    } else if (msg == ZUM_TEXTENTERED) {
        ++seen.text;
        char text[264] = {};
        static_cast<ZUWindow*>(from)->GetWindowZUText(text, 256);
        snprintf(line, sizeof line, "Text entered: %s", text);
    } else if (msg == ZUM_VALUECHANGED) {
        ++seen.value;
        auto* n = static_cast<ZUNumber*>(from);
        if (q) {
            n->PutZUNumberTC(static_cast<char*>(q), 0);
            snprintf(line, sizeof line, "Timecode %s", static_cast<char*>(q));
        } else {
            n->PutZUNumberPos(a, 0);
            if (n == &timecode && feed) feed->seek(a);
            snprintf(line, sizeof line, "Value %d", a);
        }
    } else if (msg == ZUM_SLIDERPRESS || msg == ZUM_SLIDERDRAG || msg == ZUM_SLIDERRELEASE) {
        ++seen.slider;
        static_cast<ZUSlider*>(from)->PutZUSliderPos(a, 0);
        snprintf(line, sizeof line, "Slider at %d", a);
    } else if (msg == ZUM_COLORCHANGED) {
        ++seen.colour;
        ZuFCOLOR c{1, 1, 1, 1};
        picker.GetZUColorPicker(&c);
        const int t = std::max(0, targetCombo.GetZUCurSel());
        ZUSetSchemeColor(kTargetIndex[t], &c);
        snprintf(line, sizeof line, "%s: %.2f %.2f %.2f", kTargets[t], c.red, c.green, c.blue);
    } else {
        return;
    }
    setStatus(line);
}

}  // namespace demo
