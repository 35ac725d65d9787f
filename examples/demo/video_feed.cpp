// Test pattern: colour bars, a box that moves across them and a burnt-in frame counter,
// drawn in RGB and packed into the format the host picked.
#include "video_feed.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace demo {
namespace {

struct Rgb {
    uint8_t r, g, b;
};
const Rgb kBars[7] = {{191, 191, 191}, {191, 191, 0}, {0, 191, 191}, {0, 191, 0},
                      {191, 0, 191},   {191, 0, 0},   {0, 0, 191}};

// Seven-segment digits for the counter: bits a..g.
const uint8_t kSegments[10] = {0x3f, 0x06, 0x5b, 0x4f, 0x66, 0x6d, 0x7d, 0x07, 0x7f, 0x6f};

void fill(std::vector<Rgb>& px, int x0, int y0, int w, int h, Rgb c) {
    for (int y = std::max(0, y0); y < std::min(VideoFeed::kHeight, y0 + h); ++y)
        for (int x = std::max(0, x0); x < std::min(VideoFeed::kWidth, x0 + w); ++x)
            px[size_t(y) * VideoFeed::kWidth + x] = c;
}

void digit(std::vector<Rgb>& px, int x, int y, int d) {
    const Rgb on{255, 255, 255};
    const int s = kSegments[d], L = 14, T = 4;
    if (s & 1) fill(px, x + T, y, L, T, on);                  // a
    if (s & 2) fill(px, x + T + L, y + T, T, L, on);          // b
    if (s & 4) fill(px, x + T + L, y + 2 * T + L, T, L, on);  // c
    if (s & 8) fill(px, x + T, y + 2 * (T + L), L, T, on);    // d
    if (s & 16) fill(px, x, y + 2 * T + L, T, L, on);         // e
    if (s & 32) fill(px, x, y + T, T, L, on);                 // f
    if (s & 64) fill(px, x + T, y + T + L, L, T, on);         // g
}

uint8_t clamp8(int v) {
    return uint8_t(std::clamp(v, 0, 255));
}
// BT.601 video range.
void toYuv(Rgb c, int& y, int& u, int& v) {
    y = 16 + (66 * c.r + 129 * c.g + 25 * c.b + 128) / 256;
    u = 128 + (-38 * c.r - 74 * c.g + 112 * c.b + 128) / 256;
    v = 128 + (112 * c.r - 94 * c.g - 18 * c.b + 128) / 256;
}

}  // namespace

VideoFeed::VideoFeed(ZUVideoWindowNode* video, ZUWindowNode* notify)
    : video_(video), notify_(notify) {}
VideoFeed::~VideoFeed() {
    stop();
}

void VideoFeed::start() {
    if (thread_.joinable()) return;
    quit_ = false;
    thread_ = std::thread([this] { run(); });
}
void VideoFeed::stop() {
    quit_ = true;
    if (thread_.joinable()) thread_.join();
}
void VideoFeed::configure(const FeedSettings& s) {
    std::lock_guard<std::mutex> g(lock_);
    settings_ = s;
    dirty_ = true;
}
FeedSettings VideoFeed::settings() {
    std::lock_guard<std::mutex> g(lock_);
    return settings_;
}
void VideoFeed::step(int delta) {
    playing_ = false;
    seek(current_ + delta);  // from the picture on screen, not the one queued next
}
void VideoFeed::seek(int f) {
    frame_ = ((f % kLength) + kLength) % kLength;
    dirty_ = true;  // show it even while paused
}

void VideoFeed::render(int f, unsigned fmt, std::vector<uint8_t>& out, int& rowBytes,
                       ZUVideoFrameEx& ext) {
    std::vector<Rgb> px(size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            Rgb c = kBars[x * 7 / kWidth];
            if (y > kHeight * 3 / 4)
                c = {uint8_t(x * 255 / kWidth), uint8_t(x * 255 / kWidth),
                     uint8_t(x * 255 / kWidth)};
            px[size_t(y) * kWidth + x] = c;
        }
    const int bx = (f * 8) % (kWidth - 60);
    fill(px, bx, kHeight / 2 - 30, 60, 60, {255, 255, 255});
    fill(px, bx + 10, kHeight / 2 - 20, 40, 40, {20, 20, 20});
    fill(px, 12, 12, 4 * 26 + 12, 52, {0, 0, 0});
    for (int i = 0, v = f; i < 4; ++i, v /= 10) digit(px, 18 + (3 - i) * 26, 16, v % 10);

    if (fmt == ZU_PF_NV12 || fmt == ZU_PF_P010) {
        // A luma plane, then a plane of U V pairs for each 2 x 2 block; P010 keeps 10 bits
        // at the top of 16-bit words.
        const int sb = fmt == ZU_PF_P010 ? 2 : 1;
        rowBytes = kWidth * sb;
        const size_t lumaBytes = size_t(rowBytes) * kHeight;
        out.assign(lumaBytes + lumaBytes / 2, 0);
        auto put = [&](size_t at, int v8) {
            if (sb == 1) {
                out[at] = clamp8(v8);
            } else {
                const int v = std::clamp(v8, 0, 255) << 8;
                out[at] = uint8_t(v), out[at + 1] = uint8_t(v >> 8);
            }
        };
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                int yy, uu, vv;
                toYuv(px[size_t(y) * kWidth + x], yy, uu, vv);
                put((size_t(y) * kWidth + x) * sb, yy);
            }
        for (int y = 0; y < kHeight; y += 2)
            for (int x = 0; x < kWidth; x += 2) {
                int u = 0, v = 0;
                for (int k = 0; k < 4; ++k) {
                    int yy, uu, vv;
                    toYuv(px[size_t(y + k / 2) * kWidth + x + k % 2], yy, uu, vv);
                    u += uu, v += vv;
                }
                const size_t at = lumaBytes + (size_t(y / 2) * kWidth + x) * sb;
                put(at, (u + 2) / 4), put(at + sb, (v + 2) / 4);
            }
        ext.planes[0] = {out.data(), rowBytes};
        ext.planes[1] = {out.data() + lumaBytes, rowBytes};
    } else if (fmt == ZU_PF_2vuy || fmt == ZU_PF_yuy2) {
        rowBytes = kWidth * 2;
        out.resize(size_t(rowBytes) * kHeight);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; x += 2) {
                int y0, u0, v0, y1, u1, v1;
                toYuv(px[size_t(y) * kWidth + x], y0, u0, v0);
                toYuv(px[size_t(y) * kWidth + x + 1], y1, u1, v1);
                const uint8_t u = clamp8((u0 + u1) / 2), v = clamp8((v0 + v1) / 2);
                uint8_t* p = &out[size_t(y) * rowBytes + x * 2];
                if (fmt == ZU_PF_2vuy)
                    p[0] = u, p[1] = clamp8(y0), p[2] = v, p[3] = clamp8(y1);
                else
                    p[0] = clamp8(y0), p[1] = u, p[2] = clamp8(y1), p[3] = v;
            }
    } else if (fmt == ZU_PF_v219) {
        rowBytes = kWidth / 6 * 16;  // 6 pixels in four 32-bit words
        out.assign(size_t(rowBytes) * kHeight, 0);
        for (int y = 0; y < kHeight; ++y)
            for (int g = 0; g < kWidth / 6; ++g) {
                uint32_t Y[6], U[3], V[3];
                for (int k = 0; k < 6; ++k) {
                    int yy, uu, vv;
                    toYuv(px[size_t(y) * kWidth + g * 6 + k], yy, uu, vv);
                    Y[k] = uint32_t(yy) * 4;
                    if (k % 2 == 0) U[k / 2] = uint32_t(uu) * 4, V[k / 2] = uint32_t(vv) * 4;
                }
                const uint32_t w[4] = {
                    U[0] | Y[0] << 10 | V[0] << 20, Y[1] | U[1] << 10 | Y[2] << 20,
                    V[1] | Y[3] << 10 | U[2] << 20, Y[4] | V[2] << 10 | Y[5] << 20};
                std::memcpy(&out[size_t(y) * rowBytes + g * 16], w, 16);
            }
    } else if (fmt == ZU_PF_10rl) {
        rowBytes = kWidth * 4;
        out.resize(size_t(rowBytes) * kHeight);
        for (size_t i = 0; i < px.size(); ++i) {
            const uint32_t w = uint32_t(px[i].r) * 4 << 22 | uint32_t(px[i].g) * 4 << 12 |
                               uint32_t(px[i].b) * 4 << 2;
            std::memcpy(&out[i * 4], &w, 4);
        }
    } else {  // bgrA
        rowBytes = kWidth * 4;
        out.resize(size_t(rowBytes) * kHeight);
        for (size_t i = 0; i < px.size(); ++i) {
            uint8_t* p = &out[i * 4];
            p[0] = px[i].b, p[1] = px[i].g, p[2] = px[i].r, p[3] = 255;
        }
    }
}

void VideoFeed::run() {
    std::vector<int> identity(1024), contrast(1024);
    for (int i = 0; i < 1024; ++i) {
        identity[i] = i;
        contrast[i] = std::clamp((i - 512) * 3 / 2 + 512, 0, 1023);
    }
    ZuRGBLUT idLut{identity.data(), identity.data(), identity.data(), nullptr, 1024};
    ZuRGBLUT hiLut{contrast.data(), contrast.data(), contrast.data(), nullptr, 1024};
    std::vector<uint8_t> pixels;
    FeedSettings s;
    bool started = false;
    auto next = std::chrono::steady_clock::now();
    while (!quit_) {
        bool restart = false;
        if (dirty_.exchange(false)) {
            std::lock_guard<std::mutex> g(lock_);
            restart = !started || settings_.path != s.path || settings_.contrast != s.contrast;
            s = settings_;
        } else if (!playing_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        if (restart) {
            if (started) ZUStopDisplayVideoFrame(video_);
            // The texture path applies a look-up table in the shader, given at the start;
            // the other paths take it per frame and convert on the CPU.
            const bool texture = s.path == Path::Texture;
            started = ZUStartDisplayVideoFrame(video_, kWidth, kHeight, texture ? 1 : 0,
                                               texture && s.contrast ? &hiLut : nullptr) == 0;
            if (!started) {
                ++failures_;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                continue;
            }
        }
        const int f = frame_;
        int rowBytes = 0;
        ZUVideoFrameEx ext{};
        ext.size = sizeof ext;
        render(f, s.format, pixels, rowBytes, ext);  // the format this frame is labelled with
        ext.matrix = s.matrix, ext.range = s.range;
        ext.filter = s.nearest ? ZU_FILTER_NEAREST : ZU_FILTER_LINEAR;
        ZUVideoFrame fr{};
        fr.pixels = pixels.data();
        fr.width = kWidth, fr.height = kHeight, fr.rowBytes = rowBytes;
        fr.aspectNum = fr.aspectDen = 1;
        fr.format = s.format;
        fr.topDown = 1;
        fr.decimationX = fr.decimationY = 1;
        fr.colorDescriptor.standard = 1;
        if (!s.fit) fr.zoomX = fr.zoomY = 0.5f;
        fr.guideAOn = fr.guideBOn = s.guides;
        fr.guideAHorizontal = fr.guideAVertical = 10.f;
        fr.guideBHorizontal = fr.guideBVertical = 20.f;
        ZuRGBLUT* perFrame = nullptr;
        if (s.path == Path::Software)
            perFrame = s.contrast ? &hiLut : &idLut;
        else if (s.path == Path::Direct && s.contrast)
            perFrame = &hiLut;
        if (ZUDisplayVideoFrameEx(video_, &fr, &ext, perFrame) != 0) ++failures_;
        ++shown_;
        current_ = f;
        if (notify_) ZUPostMessage(notify_, kFrameShown, f, int(shown_), nullptr, nullptr);
        if (playing_) frame_ = (f + 1) % kLength;
        next += std::chrono::microseconds(1000000 / std::max(1, s.rate));
        const auto now = std::chrono::steady_clock::now();
        if (next < now) next = now;
        std::this_thread::sleep_until(next);
    }
    if (started) ZUStopDisplayVideoFrame(video_);
}

}  // namespace demo
