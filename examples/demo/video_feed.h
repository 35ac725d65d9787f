// The demo's video source: a moving test pattern generated in the chosen pixel format and
// shown on a video window from a display thread of its own, as a playback host would.
#pragma once

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "zugui/zugui.h"

namespace demo {

// Posted to the notify node after each frame shown: a = frame number, b = frames shown.
constexpr unsigned kFrameShown = 0x9000;
// Posted by the tour when it is done, in case its last click did not close the window.
constexpr unsigned kTourDone = 0x9001;

enum class Path { Texture = 0, Direct = 1, Software = 2 };

struct FeedSettings {
    unsigned format = ZU_PF_2vuy;
    Path path = Path::Texture;
    bool guides = false;
    bool fit = true;        // else a fixed zoom of 0.5
    bool contrast = false;  // a contrast look-up table
    bool nearest = false;   // nearest pixels instead of filtered scaling
    int matrix = ZU_MATRIX_DEFAULT, range = ZU_RANGE_LIMITED;
    int rate = 25;          // frames per second
};

class VideoFeed {
  public:
    static constexpr int kWidth = 640, kHeight = 360, kLength = 250;  // 10 s at 25 fps

    VideoFeed(ZUVideoWindowNode* video, ZUWindowNode* notify);
    ~VideoFeed();
    void start();
    void stop();
    void configure(const FeedSettings& s);
    FeedSettings settings();
    void play(bool on) { playing_ = on; }
    bool playing() const { return playing_; }
    void step(int delta);  // pauses, then moves by delta frames
    void seek(int frame);
    int frame() const { return current_; }  // the frame on screen
    long shown() const { return shown_; }
    int failures() const { return failures_; }

  private:
    void run();
    void render(int frame, unsigned format, std::vector<uint8_t>& out, int& rowBytes,
                ZUVideoFrameEx& ext);

    ZUVideoWindowNode* video_;
    ZUWindowNode* notify_;
    std::thread thread_;
    std::atomic<bool> quit_{false}, playing_{true}, dirty_{true};
    std::atomic<int> frame_{0}, current_{0}, failures_{0};  // next to show, shown
    std::atomic<long> shown_{0};
    std::mutex lock_;
    FeedSettings settings_;
};

}  // namespace demo
