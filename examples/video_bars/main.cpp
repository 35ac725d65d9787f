// Colour bars through each way a video window has to the screen, side by side, written
// to a PNG file: the picture in docs/images/video.png.
//   zugui-video-bars <out.png>
// Panels, left to right and top to bottom: "bgrA" drawn directly, with both guides;
// "2vuy" 720 wide through the shader (BT.601), with guide A; "mjai" 1920 wide through the
// shader (BT.709); "v219" through the software converter; "yuy2" through the software
// converter; "bgrA" with a look-up table (a gamma curve), which the converter applies;
// "v219" through the frame shaders; "NV12" 1920 wide with BT.601 stated through the frame
// shaders; "P010" through the CPU converter.
#include <GL/gl.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "zugui/zugui.h"

namespace {

constexpr int kPanelW = 320, kPanelH = 180, kGap = 8, kCols = 3, kRows = 3;
constexpr int kOutW = kCols * kPanelW + (kCols + 1) * kGap;
constexpr int kOutH = kRows * kPanelH + (kRows + 1) * kGap;

struct Yuv {
    int y, u, v;
};
const Yuv kBars[8] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                      {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};

std::vector<uint8_t> bars422(int w, int h, bool uyvy) {
    std::vector<uint8_t> px(size_t(w) * 2 * h);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; x += 2) {
            const Yuv& c = kBars[x * 8 / w];
            uint8_t* p = px.data() + (size_t(r) * w + x) * 2;
            const uint8_t y = uint8_t(c.y), u = uint8_t(c.u), v = uint8_t(c.v);
            if (uyvy)
                p[0] = u, p[1] = y, p[2] = v, p[3] = y;
            else
                p[0] = y, p[1] = u, p[2] = y, p[3] = v;
        }
    return px;
}

std::vector<uint8_t> bars10(int w, int h) {
    const int rowBytes = w / 6 * 16;
    std::vector<uint8_t> px(size_t(rowBytes) * h);
    for (int r = 0; r < h; ++r)
        for (int g = 0; g < w / 6; ++g) {
            const Yuv& c = kBars[g * 6 * 8 / w];
            const uint32_t Y = uint32_t(c.y) * 4, U = uint32_t(c.u) * 4, V = uint32_t(c.v) * 4;
            const uint32_t words[4] = {U | Y << 10 | V << 20, Y | U << 10 | Y << 20,
                                       V | Y << 10 | U << 20, Y | V << 10 | Y << 20};
            std::memcpy(px.data() + size_t(r) * rowBytes + g * 16, words, 16);
        }
    return px;
}

std::vector<uint8_t> barsBgra(int w, int h) {
    std::vector<uint8_t> px(size_t(w) * 4 * h);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) {
            const Yuv& c = kBars[x * 8 / w];
            const double y = 1.164384 * (c.y - 16), u = c.u - 128.0, v = c.v - 128.0;
            auto q = [](double t) { return uint8_t(std::clamp(t + 0.5, 0.0, 255.0)); };
            uint8_t* p = px.data() + (size_t(r) * w + x) * 4;
            p[0] = q(y + 2.017231 * u), p[1] = q(y - 0.812968 * v - 0.39116 * u);
            p[2] = q(y + 1.596027 * v), p[3] = 255;
        }
    return px;
}

// Planar 4:2:0 bars: a luma plane, then U V pairs, samples of sampleBytes (16-bit ones
// with the 8-bit value in the high byte).
std::vector<uint8_t> barsNv(int w, int h, int sampleBytes) {
    std::vector<uint8_t> px(size_t(w) * h * sampleBytes * 3 / 2);
    auto put = [&](size_t at, int v) {
        if (sampleBytes == 1)
            px[at] = uint8_t(v);
        else
            px[at] = 0, px[at + 1] = uint8_t(v);
    };
    const size_t luma = size_t(w) * h * sampleBytes;
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) {
            const Yuv& c = kBars[x * 8 / w];
            put((size_t(r) * w + x) * sampleBytes, c.y);
            if (r % 2 == 0 && x % 2 == 0) {
                const size_t at = luma + (size_t(r / 2) * w + x) * sampleBytes;
                put(at, c.u), put(at + sampleBytes, c.v);
            }
        }
    return px;
}

ZUVideoFrame frameOf(std::vector<uint8_t>& px, int w, int h, int rowBytes, unsigned format) {
    ZUVideoFrame f{};
    f.pixels = px.data();
    f.width = w, f.height = h, f.rowBytes = rowBytes;
    f.aspectNum = f.aspectDen = 1;
    f.format = format;
    f.topDown = 1;
    f.decimationX = f.decimationY = 1;
    f.colorDescriptor.standard = 1;
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zugui-video-bars <out.png>\n");
        return 2;
    }
    if (ZUInitGUI(0, 0, kOutW, kOutH, nullptr, const_cast<char*>("video bars"), nullptr, nullptr,
                  0) != 0) {
        std::fprintf(stderr, "zugui-video-bars: no display\n");
        return 1;
    }
    ZuRECT full{0, 0, kOutW, kOutH};
    ZUWindowNode* root = ZUCreateWindow(nullptr, 0, 1, &full, nullptr, nullptr, nullptr);
    ZUStartGUI();

    std::vector<int> gamma(1024);
    for (int i = 0; i < 1024; ++i) gamma[i] = int(std::pow(i / 1023.0, 0.5) * 1023.0 + 0.5);
    ZuRGBLUT lut{gamma.data(), gamma.data(), gamma.data(), nullptr, 1024};

    auto bgra = barsBgra(720, 576), uyvy = bars422(720, 576, true),
         yuyvHd = bars422(1920, 1080, false), v210 = bars10(720, 576),
         yuyv = bars422(720, 576, false), v210Hd = bars10(1920, 1080), nv12 = barsNv(1920, 1080, 1),
         p010 = barsNv(720, 576, 2);
    // Guides are burnt into the frame's own pixels when it is drawn directly: the look-up
    // panel gets a clean copy.
    auto bgraClean = bgra;
    struct Panel {
        ZUVideoFrame frame;
        int mode;
        ZuRGBLUT* startLut;
        ZuRGBLUT* frameLut;
        ZUVideoFrameEx ext;
    } panels[] = {
        {frameOf(bgra, 720, 576, 2880, ZU_PF_bgrA), 0, nullptr, nullptr},
        {frameOf(uyvy, 720, 576, 1440, ZU_PF_2vuy), 1, nullptr, nullptr},
        {frameOf(yuyvHd, 1920, 1080, 3840, ZU_PF_mjai), 1, nullptr, nullptr},
        {frameOf(v210, 720, 576, 1920, ZU_PF_v219), 0, nullptr, nullptr},
        {frameOf(yuyv, 720, 576, 1440, ZU_PF_yuy2), 0, nullptr, nullptr},
        {frameOf(bgraClean, 720, 576, 2880, ZU_PF_bgrA), 0, nullptr, &lut},
        {frameOf(v210Hd, 1920, 1080, 1920 / 6 * 16, ZU_PF_v219), 1, nullptr, nullptr},
        {frameOf(nv12, 1920, 1080, 1920, ZU_PF_NV12), 1, nullptr, nullptr},
        {frameOf(p010, 720, 576, 1440, ZU_PF_P010), 0, nullptr, nullptr},
    };
    for (Panel& p : panels) p.ext.size = sizeof p.ext;
    // Planes of the planar frames; the NV12 bars are BT.601 whatever their width.
    panels[7].ext.planes[0] = {nv12.data(), 1920};
    panels[7].ext.planes[1] = {nv12.data() + 1920 * 1080, 1920};
    panels[7].ext.matrix = ZU_MATRIX_BT601;
    panels[8].ext.planes[0] = {p010.data(), 1440};
    panels[8].ext.planes[1] = {p010.data() + 1440 * 576, 1440};
    panels[0].frame.guideAOn = panels[0].frame.guideBOn = 1;
    panels[0].frame.guideAHorizontal = panels[0].frame.guideAVertical = 10.f;
    panels[0].frame.guideBHorizontal = panels[0].frame.guideBVertical = 20.f;
    panels[1].frame.guideAOn = 1;
    panels[1].frame.guideAHorizontal = panels[1].frame.guideAVertical = 10.f;

    std::vector<uint8_t> out(size_t(kOutW) * kOutH * 4, 40);
    for (size_t i = 3; i < out.size(); i += 4) out[i] = 255;
    std::vector<uint8_t> shot(size_t(kPanelW) * kPanelH * 4);
    int index = 0, failures = 0;
    for (Panel& p : panels) {
        const int col = index % kCols, row = index / kCols;
        ++index;
        const int px = kGap + col * (kPanelW + kGap), py = kGap + row * (kPanelH + kGap);
        ZuRECT r{px, py, kPanelW, kPanelH};
        ZUVideoWindowNode* v = ZUCreateVideoWindow(root, nullptr, &r, 0);
        if (!v) return 1;
        ZUShowVideoWindow(v, 1);
        if (ZUStartDisplayVideoFrame(v, p.frame.width, p.frame.height, p.mode, p.startLut) != 0 ||
            ZUDisplayVideoFrameEx(v, &p.frame, &p.ext, p.frameLut) != 0)
            ++failures;
        // The buffer just presented, read on the display's own context.
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kPanelW, kPanelH, GL_RGBA, GL_UNSIGNED_BYTE, shot.data());
        ZUStopDisplayVideoFrame(v);
        ZUDestroyVideoWindow(v);
        for (int y = 0; y < kPanelH; ++y)  // OpenGL rows go upwards, PNG rows downwards
            std::memcpy(out.data() + (size_t(py + y) * kOutW + px) * 4,
                        shot.data() + size_t(kPanelH - 1 - y) * kPanelW * 4, kPanelW * 4);
    }
    ZUStopGUI();
    ZUKillGUI();
    ZUDestroyWindow(root);

    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = kOutW;
    img.height = kOutH;
    img.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&img, argv[1], 0, out.data(), kOutW * 4, nullptr)) {
        std::fprintf(stderr, "zugui-video-bars: cannot write %s\n", argv[1]);
        return 1;
    }
    std::printf("%s: %d panels, %d failed\n", argv[1], index, failures);
    return failures ? 1 : 0;
}
