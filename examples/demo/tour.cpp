#include "tour.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <png.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace demo {
namespace {

using Clock = std::chrono::steady_clock;

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

class Driver {
  public:
    explicit Driver(Display* d) : dpy_(d) {}
    // The screen point at (dx, dy) inside a widget, GUI y upwards; the centre by default.
    void at(ZUWindow& w, int& sx, int& sy, int dx = -1, int dy = -1) {
        ZuPOINT o{0, 0};  // the widget's bottom-left corner on the screen
        ZUGetWndScreenOrigin(w.GetZUWndHandle(), &o);
        sx = o.x + (dx < 0 ? w.rect.width / 2 : dx);
        sy = o.y - 1 - (dy < 0 ? w.rect.height / 2 : dy);
    }
    void move(int x, int y) {
        XTestFakeMotionEvent(dpy_, -1, x, y, 0);
        XSync(dpy_, False);
        sleepMs(30);
    }
    void button(bool down) {
        XTestFakeButtonEvent(dpy_, 1, down, 0);
        XSync(dpy_, False);
        sleepMs(40);
    }
    void click(ZUWindow& w, int dx = -1, int dy = -1) {
        int x, y;
        at(w, x, y, dx, dy);
        move(x, y);
        button(true);
        button(false);
        sleepMs(520);  // past the double-click time: the next click is a click again
    }
    void key(KeySym s) {
        const KeyCode k = XKeysymToKeycode(dpy_, s);
        XTestFakeKeyEvent(dpy_, k, True, 0);
        XTestFakeKeyEvent(dpy_, k, False, 0);
        XSync(dpy_, False);
        sleepMs(30);
    }
    // A key with a modifier held: Shift+Left, Control+C.
    void chord(KeySym modifier, KeySym s) {
        const KeyCode m = XKeysymToKeycode(dpy_, modifier);
        XTestFakeKeyEvent(dpy_, m, True, 0);
        key(s);
        XTestFakeKeyEvent(dpy_, m, False, 0);
        XSync(dpy_, False);
    }
    void type(const char* text) {
        for (const char* c = text; *c; ++c) {
            const bool shift = *c == '_' || (*c >= 'A' && *c <= 'Z');
            const KeyCode sh = XKeysymToKeycode(dpy_, XK_Shift_L);
            if (shift) XTestFakeKeyEvent(dpy_, sh, True, 0);
            key(*c == '_' ? XK_underscore : XStringToKeysym(std::string(1, *c).c_str()));
            if (shift) XTestFakeKeyEvent(dpy_, sh, False, 0);
        }
        XSync(dpy_, False);
    }
    // The screen under the main window, popups included, as PNG.
    bool shot(const std::string& path) {
        sleepMs(150);
        const Window w = reinterpret_cast<Window>(ZUGetHWND());
        XWindowAttributes a;
        Window child;
        int x = 0, y = 0;
        if (!XGetWindowAttributes(dpy_, w, &a) ||
            !XTranslateCoordinates(dpy_, w, DefaultRootWindow(dpy_), 0, 0, &x, &y, &child))
            return false;
        XImage* img =
            XGetImage(dpy_, DefaultRootWindow(dpy_), x, y, a.width, a.height, AllPlanes, ZPixmap);
        if (!img) return false;
        std::vector<uint8_t> rgba(size_t(a.width) * a.height * 4);
        for (int r = 0; r < a.height; ++r)
            for (int c = 0; c < a.width; ++c) {
                const unsigned long v = XGetPixel(img, c, r);
                uint8_t* p = &rgba[(size_t(r) * a.width + c) * 4];
                p[0] = v >> 16 & 255, p[1] = v >> 8 & 255, p[2] = v & 255, p[3] = 255;
            }
        XDestroyImage(img);
        png_image png{};
        png.version = PNG_IMAGE_VERSION;
        png.width = a.width, png.height = a.height, png.format = PNG_FORMAT_RGBA;
        return png_image_write_to_file(&png, path.c_str(), 0, rgba.data(), a.width * 4, nullptr);
    }

  private:
    Display* dpy_;
};

// Waits until the counter has moved past its value before the step.
bool waitFor(const std::atomic<long>& counter, long before, int ms = 3000) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        if (counter.load() > before) return true;
        sleepMs(10);
    }
    return false;
}

}  // namespace

void Tour::start() {
    auto* t = new std::thread([this] { run(); });
    thread_ = t;
}

void Tour::join() {
    auto* t = static_cast<std::thread*>(thread_);
    if (t && t->joinable()) t->join();
    delete t;
    thread_ = nullptr;
}

void Tour::run() {
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        failures_ = 1;
        ZuPostQuitMessage(1);
        return;
    }
    mkdir(out_.c_str(), 0755);
    Driver d(dpy);
    Seen& s = app_.seen;
    int index = 0;
    // One step: act, wait for the notification, keep the picture.
    auto step = [&](const char* name, const std::atomic<long>* counter,
                    const std::function<void()>& act) {
        const long before = counter ? counter->load() : 0;
        const auto t0 = Clock::now();
        act();
        const bool ok = !counter || waitFor(*counter, before);
        char file[64];
        snprintf(file, sizeof file, "%02d-%s.png", ++index, name);
        const bool saved = d.shot(out_ + "/" + file);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        printf("  %-28s %s %s (%.0f ms)\n", name, ok ? "ok  " : "FAIL", file, ms);
        if (!ok || !saved) ++failures_;
    };

    sleepMs(300);
    printf("zugui demo tour: screenshots in %s\n", out_.c_str());
    step("controls", nullptr, [] {});
    step("message-box", &s.clicked, [&] { d.click(app_.messageButton); });
    step("message-box-dismissed", nullptr, [&] {
        int x, y;
        d.at(app_, x, y);  // the box sits centred over the window
        d.move(x, y);
        d.button(true);
        d.button(false);
        sleepMs(300);
    });
    step("latch", &s.clicked, [&] { d.click(app_.latch); });
    step("check-box", &s.clicked, [&] { d.click(app_.check); });
    step("action-engaged", &s.clicked, [&] { d.click(app_.action); });
    step("action-released", &s.clicked, [&] { d.click(app_.action); });
    step("mini-tab", &s.clicked, [&] { d.click(app_.minis[2]); });
    step("combo-popup-open", nullptr, [&] {
        int x, y;
        d.at(app_.combo0, x, y);
        d.move(x, y);
        d.button(true);
        d.move(x + 20, y + 24 * 3 + 24);  // the fourth row's middle: rows start below the combo
    });
    step("combo-picked", &s.selected, [&] { d.button(false); });
    step("combo-step", &s.selected, [&] { d.click(app_.combo1, 150); });
    step("combo-play-mode", &s.selected, [&] { d.click(app_.combo2); });
    step("combo-three", &s.selected, [&] { d.click(app_.combo3, 10); });
    step("hot-text", &s.clicked, [&] { d.click(app_.hot); });
    step("list-row", &s.item, [&] { d.click(app_.list, 20, 30); });
    step("text-typed", &s.text, [&] {
        d.click(app_.field);
        d.key(XK_Delete);
        d.type("take_two");
        d.key(XK_Return);
    });
    // Select "two" with Shift+Left, copy it, and paste it after the end.
    step("text-selected-copied", nullptr, [&] {
        d.click(app_.field);
        for (int i = 0; i < 3; ++i) d.chord(XK_Shift_L, XK_Left);
        d.chord(XK_Control_L, XK_c);
    });
    step("text-pasted", &s.text, [&] {
        d.key(XK_End);
        d.chord(XK_Control_L, XK_v);
        d.key(XK_Return);
    });
    {
        char text[264] = {};
        ZUGetWindowText(app_.field.GetZUWndHandle(), text, sizeof text);
        if (std::string(text) != "take_twotwo") {
            printf("  the paste gave \"%s\"\n", text);
            ++failures_;
        }
    }
    step("number-dragged", &s.value, [&] {
        int x, y;
        d.at(app_.number0, x, y);
        d.move(x, y);
        d.button(true);
        for (int i = 1; i <= 6; ++i) d.move(x + 5 * i, y);
        d.button(false);
    });
    step("slider", &s.slider, [&] { d.click(app_.slider0, 240); });
    step("knob-slider", &s.slider, [&] { d.click(app_.slider1, 60); });
    step("title-dragged", &s.clicked, [&] {
        int x, y;
        d.at(app_.title, x, y, 500);
        d.move(x, y);
        d.button(true);
        for (int i = 1; i <= 5; ++i) d.move(x - 8 * i, y + 6 * i);
        d.button(false);
    });

    // Video: the tab, then every format and every way to the screen.
    step("video", &s.frames, [&] { d.click(app_.tabs[1]); });
    step("hot-key-space-pause", &s.key, [&] { d.key(XK_space); });
    const int pausedFrame = app_.lastFrame;
    sleepMs(300);
    if (app_.lastFrame != pausedFrame) {
        printf("  space did not pause: frame %d, then %d\n", pausedFrame, app_.lastFrame.load());
        ++failures_;
    }
    step("hot-key-space-play", &s.frames, [&] { d.key(XK_space); });
    const auto fpsFrom = s.frames.load();
    const auto fpsStart = Clock::now();
    static const char* kFormatNames[] = {"2vuy", "yuy2", "v219", "bgrA", "10rl", "NV12", "P010"};
    for (int f = 1; f <= 7; ++f) {
        const int want = f % 7;
        char name[32];
        snprintf(name, sizeof name, "format-%s", kFormatNames[want]);
        step(name, &s.selected, [&] {
            int x, y;
            d.at(app_.formatCombo, x, y);
            d.move(x, y);
            d.button(true);
            d.move(x, y + 24 * want + 24);
            d.button(false);
            sleepMs(200);
        });
        waitFor(s.frames, s.frames.load() + 2);
    }
    for (const char* path : {"path-direct", "path-software", "path-texture"}) {
        step(path, &s.selected, [&] { d.click(app_.pathCombo, 170); });
        waitFor(s.frames, s.frames.load() + 2);
    }
    step("guides", &s.clicked, [&] { d.click(app_.guides); });
    step("zoom", &s.clicked, [&] { d.click(app_.zoom); });
    step("lut", &s.clicked, [&] { d.click(app_.lut); });
    step("lut-off", &s.clicked, [&] { d.click(app_.lut); });
    // A planar 10-bit frame under another colour description, then nearest pixels.
    auto pick = [&](ZUComboButton& combo, int item) {
        int x, y;
        d.at(combo, x, y);
        d.move(x, y);
        d.button(true);
        d.move(x, y + 24 * item + 24);
        d.button(false);
        sleepMs(200);
    };
    step("format-P010-again", &s.selected, [&] { pick(app_.formatCombo, 6); });
    step("colour-bt709", &s.selected, [&] { pick(app_.matrixCombo, 2); });
    step("colour-full-range", &s.selected, [&] { pick(app_.rangeCombo, 1); });
    waitFor(s.frames, s.frames.load() + 2);
    step("nearest", &s.clicked, [&] { d.click(app_.nearest); });
    step("nearest-off", &s.clicked, [&] { d.click(app_.nearest); });
    step("colour-default", &s.selected, [&] { pick(app_.matrixCombo, 0); });
    step("colour-limited-range", &s.selected, [&] { pick(app_.rangeCombo, 0); });
    const double seconds = std::chrono::duration<double>(Clock::now() - fpsStart).count();
    const double fps = double(s.frames.load() - fpsFrom) / seconds;
    step("pause", &s.clicked, [&] { d.click(app_.pause); });
    const int pausedAt = app_.lastFrame;
    step("step-forward", &s.frames, [&] { d.click(app_.stepForward); });
    if (app_.lastFrame != (pausedAt + 1) % VideoFeed::kLength) {
        printf("  step-forward showed frame %d after %d\n", app_.lastFrame.load(), pausedAt);
        ++failures_;
    }
    step("hot-key-arrow", &s.key, [&] { d.key(XK_Left); });
    step("play", &s.clicked, [&] { d.click(app_.play); });

    step("colour", &s.clicked, [&] { d.click(app_.tabs[2]); });
    step("colour-picked", &s.colour, [&] { d.click(app_.picker, 200, 200); });
    step("colour-wheel-dragged", nullptr, [&] {
        int x, y;
        d.at(app_.wheel, x, y);
        d.move(x, y);
        d.button(true);
        for (int i = 1; i <= 5; ++i) d.move(x + 12 * i, y - 8 * i);
        d.button(false);
    });
    step("colour-wheel-applied", &s.colour, [&] { d.click(app_.applyWheel); });

    // Render passes, timed from here: a repaint request and its wait.
    std::vector<double> passes;
    for (int i = 0; i < 30; ++i) {
        const auto t0 = Clock::now();
        ZURePaint();
        passes.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    std::sort(passes.begin(), passes.end());
    printf("video: %.1f frames per second shown during the format and path steps\n", fps);
    printf("render pass (repaint request to done): median %.2f ms, max %.2f ms\n",
           passes[passes.size() / 2], passes.back());

    step("close", nullptr, [&] { d.click(app_.closeButton); });
    sleepMs(500);
    ZUPostMessage(app_.GetZUWndHandle(), kTourDone, 0, 0, nullptr, nullptr);
    printf("tour: %d steps, %d failed\n", index, failures_);
    XCloseDisplay(dpy);
}

}  // namespace demo
