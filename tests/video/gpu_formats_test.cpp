// Every format through the frame shaders and through the CPU converters, read back and
// compared with the CPU converter's own result for the same frame; the colour description;
// filtered scaling; planar frames and their bad input.
#include "video/convert_support.h"
#include "video/video_support.h"
//
#include "video/convert/pixel_io.h"
#include "video/convert/planar.h"

using namespace zu::test;
using namespace zu::detail;

namespace {

constexpr int kW = 192, kH = 64;  // bars fall on whole 6-pixel groups

// A frame in memory: packed formats use plane 0 only.
struct Frame {
    unsigned format = 0;
    int w = 0, h = 0;
    std::vector<uint8_t> plane[3];
    int rowBytes[3] = {};
    int topDown = 0;
    ZUVideoFrame frame() {
        ZUVideoFrame f = makeFrame(plane[0].data(), w, h, rowBytes[0], format);
        f.colorDescriptor.standard = 1;  // the CPU converter's BT.601 limited range
        f.topDown = topDown;
        return f;
    }
    ZUVideoFrameEx ext(int filter = ZU_FILTER_LINEAR) {
        ZUVideoFrameEx e{};
        e.size = sizeof e;
        for (int i = 0; i < 3; ++i)
            e.planes[i] = {plane[i].empty() ? nullptr : plane[i].data(), rowBytes[i]};
        e.filter = filter;
        return e;
    }
};

// Y'CbCr codes (8-bit units, BT.601 limited) of an R'G'B' colour 0-1.
struct Ycc {
    double y, u, v;
};
Ycc ycc601(double r, double g, double b) {
    const double kr = 0.299, kb = 0.114, y = kr * r + (1 - kr - kb) * g + kb * b;
    return {16 + 219 * y, 128 + 224 * (b - y) / (2 * (1 - kb)),
            128 + 224 * (r - y) / (2 * (1 - kr))};
}

// Pixel content: colour bars at a level, noise from a seed, a one-pixel black and white
// checker, or one Y'CbCr colour (4:2:2 and planar only).
struct Content {
    const char* name;
    double level;  // 0: noise; -1 (4:2:2 only): Y'CbCr noise that any mix keeps in the gamut;
                   // -2: checker
    const Ycc* flat = nullptr;
};

void rgbAt(const Content& c, int x, int y, int w, double rgb[3]) {
    static const int bars[8][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                   {1, 0, 1}, {1, 0, 0}, {0, 0, 1}, {0, 0, 0}};
    const int* bar = bars[x * 8 / w];
    for (int i = 0; i < 3; ++i) rgb[i] = c.level == -2 ? (x + y) & 1 : bar[i] * c.level;
}
Ycc yccAt(const Content& c, const double rgb[3]) {
    return c.flat ? *c.flat : ycc601(rgb[0], rgb[1], rgb[2]);
}

uint32_t noise(uint32_t& s) {
    s = s * 1664525u + 1013904223u;
    return s >> 8;
}

Frame makePacked(unsigned format, const Content& c, int w = kW, int h = kH) {
    const FormatInfo& f = *formatInfo(format);
    Frame fr;
    fr.format = format, fr.w = w, fr.h = h;
    // Padded rows, by whole pixels: GL reads those in place.
    fr.rowBytes[0] = int(minRowBytes(f, w)) + (f.bytesPerPixel ? 4 * f.bytesPerPixel : 16);
    fr.plane[0].assign(size_t(fr.rowBytes[0]) * h, 0);
    uint32_t seed = format;
    for (int y = 0; y < h; ++y) {
        uint8_t* row = fr.plane[0].data() + size_t(y) * fr.rowBytes[0];
        if (c.level == 0 && f.family != Family::RgbFloat && f.family != Family::YuvFloat) {
            for (int i = 0; i < fr.rowBytes[0]; ++i) row[i] = uint8_t(noise(seed));
            continue;
        }
        if (c.level == -1 && is422(f)) {
            const int k = f.maxValue == 1023 ? 4 : 1;
            for (int x = 0; x < w; ++x) {
                store422(f, row, kY, x, k * int(80 + noise(seed) % 100));
                if (!(x & 1))
                    store422(f, row, kU, x / 2, k * int(108 + noise(seed) % 40)),
                        store422(f, row, kV, x / 2, k * int(108 + noise(seed) % 40));
            }
            continue;
        }
        for (int x = 0; x < w; ++x) {
            double rgb[3];
            rgbAt(c, x, y, w, rgb);
            if (c.level == 0)
                for (double& v : rgb) v = (noise(seed) & 1023) / 1023.0;
            const Ycc e = yccAt(c, rgb);
            const double k = f.maxValue == 1023 ? 4 : 1;
            if (is422(f)) {
                store422(f, row, kY, x, int(e.y * k + 0.5));
                if (!(x & 1))
                    store422(f, row, kU, x / 2, int(e.u * k + 0.5)),
                        store422(f, row, kV, x / 2, int(e.v * k + 0.5));
            } else if (f.family == Family::Yuv444x8) {
                uint8_t* p = row + 4 * x;
                p[f.slot[0]] = uint8_t(e.y + 0.5), p[f.slot[1]] = uint8_t(e.u + 0.5);
                p[f.slot[2]] = uint8_t(e.v + 0.5);
            } else if (f.family == Family::Yuv444x10) {
                storeLE32(row + 4 * x, uint32_t(e.y * 4 + 0.5) | uint32_t(e.u * 4 + 0.5) << 10 |
                                           uint32_t(e.v * 4 + 0.5) << 20);
            } else {
                double px[4];
                for (int i = 0; i < 3; ++i) {
                    px[i] = f.lo + rgb[i] * (f.hi - f.lo);
                    if (f.family != Family::RgbFloat) px[i] = int(px[i] + 0.5);
                }
                px[3] = f.hi;
                storeRgb(f, row + x * f.bytesPerPixel, px);
            }
        }
    }
    return fr;
}

Frame makePlanar(unsigned format, const Content& c, int w = kW, int h = kH) {
    const PlanarInfo& p = *planarInfo(format);
    Frame fr;
    fr.format = format, fr.w = w, fr.h = h;
    const int cw = w / p.chromaDivX, ch = h / p.chromaDivY, sb = p.sampleBytes;
    fr.rowBytes[0] = w * sb + 8;
    fr.rowBytes[1] = cw * sb * (p.interleaved ? 2 : 1) + 4;
    fr.rowBytes[2] = p.interleaved ? 0 : cw * sb + 12;
    fr.plane[0].assign(size_t(fr.rowBytes[0]) * h, 0);
    fr.plane[1].assign(size_t(fr.rowBytes[1]) * ch, 0);
    if (!p.interleaved) fr.plane[2].assign(size_t(fr.rowBytes[2]) * ch, 0);
    const double k = 1.0 / p.codeTo8;  // 8-bit units to codes
    uint32_t seed = format;
    auto put = [&](int plane, int x, int y, double v) {
        uint8_t* at = fr.plane[plane].data() + size_t(y) * fr.rowBytes[plane] + x * sb;
        int code = int(v * k + 0.5);
        if (sb == 1)
            *at = uint8_t(std::clamp(code, 0, 255));
        else
            at[0] = uint8_t(code), at[1] = uint8_t(code >> 8);
    };
    auto level = [&](double v) { return c.level == 0 ? (noise(seed) & 1023) / 1023.0 * 255 : v; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            double rgb[3];
            rgbAt(c, x, y, w, rgb);
            const Ycc e = yccAt(c, rgb);
            put(0, x, y, level(e.y));
            if (x % p.chromaDivX || y % p.chromaDivY) continue;
            const int cx = x / p.chromaDivX, cy = y / p.chromaDivY;
            const double first = p.swapChroma ? e.v : e.u, second = p.swapChroma ? e.u : e.v;
            if (p.interleaved) {
                put(1, 2 * cx, cy, level(first)), put(1, 2 * cx + 1, cy, level(second));
            } else {
                put(1, cx, cy, level(first)), put(2, cx, cy, level(second));
            }
        }
    // P010 and P210 keep their 10 bits high: clear the low 6 bits the rounding set.
    if (format == ZU_PF_P010 || format == ZU_PF_P210)
        for (auto& pl : fr.plane)
            for (size_t i = 0; i + 1 < pl.size(); i += 2) pl[i] &= 0xC0;
    if (format == ZU_PF_I010)
        for (auto& pl : fr.plane)
            for (size_t i = 1; i < pl.size(); i += 2) pl[i] &= 0x03;
    return fr;
}

Frame makeAny(unsigned format, const Content& c, int w = kW, int h = kH) {
    return planarInfo(format) ? makePlanar(format, c, w, h) : makePacked(format, c, w, h);
}

// The CPU converter's "bgrA" for the frame, as the display's CPU path would make it.
std::vector<uint8_t> reference(Frame& fr, const ColourSpec* colour = nullptr) {
    std::vector<uint8_t> out(size_t(kW) * kH * 4);
    const DstImage dst{out.data(), kW, kH, ZU_PF_bgrA, kW * 4};
    if (planarInfo(fr.format)) {
        const PlanarImage pi{{fr.plane[0].data(), fr.plane[1].data(),
                              fr.plane[2].empty() ? nullptr : fr.plane[2].data()},
                             {fr.rowBytes[0], fr.rowBytes[1], fr.rowBytes[2]},
                             kW,
                             kH,
                             fr.format};
        const ColourSpec c = colour ? *colour : colourSpec(nullptr, kW, true);
        EXPECT_EQ(planarToRgb(pi, dst, yuvToRgb(c), c.centreSited), 0);
        return out;
    }
    ZuColorDescriptor d{};
    d.standard = 1;
    if (colour) describeColours(d, *colour, formatInfo(fr.format)->maxValue == 1023 ? 4 : 1);
    FallbackScaler s;
    EXPECT_EQ(
        s.convert({fr.plane[0].data(), kW, kH, fr.format, fr.rowBytes[0]}, dst, 0, &d, 0, nullptr),
        0);
    return out;
}

// The whole window as the next presentation shows it, "bgrA" rows bottom first.
std::vector<uint8_t> readBack(int w, int h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// Largest colour-channel difference of two "bgrA" images w pixels wide, and where; the
// columns skip picks are left out.
struct Diff {
    int max = 0, x = 0, y = 0;
};
Diff compare(const std::vector<uint8_t>& got, const std::vector<uint8_t>& want, int w = kW,
             bool (*skip)(int x) = nullptr) {
    Diff d;
    for (size_t i = 0; i < want.size(); ++i) {
        const int x = int(i / 4 % w);
        if (i % 4 == 3 || (skip && skip(x))) continue;
        const int e = std::abs(int(got[i]) - int(want[i]));
        if (e > d.max) d = {e, x, int(i / 4 / w)};
    }
    return d;
}

const unsigned kFormats[] = {
    ZU_PF_2vuy, ZU_PF_yuy2, ZU_PF_v219, ZU_PF_V219, ZU_PF_vuyp, ZU_PF_10yb, ZU_PF_10rl, ZU_PF_10rb,
    ZU_PF_11rQ, ZU_PF_10RG, ZU_PF_10RS, ZU_PF_10RA, ZU_PF_bgrA, ZU_PF_rgba, ZU_PF_argB, ZU_PF_abgr,
    ZU_PF_rgb_, ZU_PF_bgr_, ZU_PF_RGB_, ZU_PF_RGBA, ZU_PF_BGRA, ZU_PF_ARGB, ZU_PF_BRgB, ZU_PF_ARgB,
    ZU_PF__RgB, ZU_PF_BGR_, ZU_PF_BPrF, ZU_PF__RgF, ZU_PF_ARgF, ZU_PF_NV12, ZU_PF_NV21, ZU_PF_I420,
    ZU_PF_YV12, ZU_PF_I422, ZU_PF_P010, ZU_PF_P016, ZU_PF_P210, ZU_PF_P216, ZU_PF_I010};
const Content kContents[] = {{"75% bars", 0.75}, {"100% bars", 1.0}, {"noise", 0}};

std::string fourcc(unsigned f) {
    return std::string{char(f), char(f >> 8), char(f >> 16), char(f >> 24)};
}

// The ways to the screen: textureMode 1 where the GL is taken for a GPU (the frame shaders
// convert) or for a software renderer (the CPU converts what needs it and halves large
// pictures), and textureMode 0.
struct Route {
    const char* name;
    int mode, software;
};
const Route kRoutes[] = {{"frame shaders", 1, 0}, {"software renderer", 1, 1}, {"CPU", 0, 0}};

class FormatsTest : public VideoTest {
  protected:
    // Starts the display the route's way, w x h.
    void start(const Route& r, int w = kW, int h = kH) {
        const int probed = videoCaps().softwareRenderer;
        videoCaps().softwareRenderer = r.software;
        ASSERT_EQ(ZUStartDisplayVideoFrame(video, w, h, r.mode, nullptr), 0);
        videoCaps().softwareRenderer = probed;
        ASSERT_EQ(gpuOn(*static_cast<GpuDisplay*>(video->display)), r.mode == 1);
    }
    bool frameShaders() {
        const auto& c = videoCaps();
        return c.hasShadingLanguage && c.hasShaderObjects && c.hasNonPowerOfTwo &&
               c.hasFrameShaders != 0;
    }
    // Shows the frame and returns the window's pixels (w x h); conv receives the CPU
    // conversion.
    std::vector<uint8_t> show(Frame& fr, std::vector<uint8_t>& conv, ZUVideoFrameEx* ext,
                              int w = kW, int h = kH) {
        ZUVideoFrame f = fr.frame();
        f.conversionBuffer = conv.data();
        f.conversionBufferSize = int(conv.size());
        EXPECT_EQ(ZUDisplayVideoFrameEx(video, &f, ext, nullptr), 0);
        return readBack(w, h);
    }
};

TEST_F(FormatsTest, EveryFormatMatchesTheCpuConverterAndColourDescriptionsTheirFormulas) {
    ASSERT_NO_FATAL_FAILURE(openVideo(kW, kH));
    if (!frameShaders()) GTEST_SKIP() << "no frame shaders in this OpenGL";
    const double Y = 100, U = 90, V = 170;
    // One flat colour in a planar, a 10-bit and an 8-bit packed format.
    const Ycc colour{Y, U, V};
    const Content flat{"flat", 1.0, &colour};
    for (const Route& route : kRoutes) {
        start(route);
        for (unsigned format : kFormats)
            for (const Content& c : kContents) {
                SCOPED_TRACE(fourcc(format) + " " + c.name + " " + route.name);
                const bool planar = planarInfo(format) != nullptr;
                Frame fr = makeAny(format, c);
                const auto want = reference(fr);
                std::vector<uint8_t> conv(size_t(kW) * kH * 4, 0xAB);
                ZUVideoFrameEx e = fr.ext();
                const auto got = show(fr, conv, &e);
                const Diff d = compare(got, want);
                EXPECT_LE(d.max, 1) << "at " << d.x << ", " << d.y;
                // The frame shaders take the frame as it is: the converter never runs. A
                // software renderer leaves YUV arithmetic to the CPU, planar frames aside.
                const bool converted = conv[0] != 0xAB || conv[1] != 0xAB;
                if (route.mode == 1 && (!route.software || planar)) {
                    EXPECT_FALSE(converted);
                }
                if (route.software && !planar && is422(*formatInfo(format))) {
                    EXPECT_TRUE(converted);
                }
            }
        // The colour description changes the colours as the formulas say.
        for (unsigned format : {ZU_PF_NV12, ZU_PF_v219, ZU_PF_2vuy})
            for (int matrix : {ZU_MATRIX_BT601, ZU_MATRIX_BT709, ZU_MATRIX_BT2020})
                for (int range : {ZU_RANGE_LIMITED, ZU_RANGE_FULL}) {
                    SCOPED_TRACE(fourcc(format) + " matrix " + std::to_string(matrix) + " range " +
                                 std::to_string(range) + " " + route.name);
                    Frame fr = makeAny(format, flat);
                    ZUVideoFrameEx e = fr.ext();
                    e.matrix = matrix, e.range = range;
                    std::vector<uint8_t> conv(size_t(kW) * kH * 4);
                    const auto got = show(fr, conv, &e);
                    const uint8_t* px = got.data() + (size_t(kH / 2) * kW + kW / 2) * 4;
                    const Rgb want = textbook(Y, U, V, matrix, range == ZU_RANGE_FULL);
                    EXPECT_TRUE(near({px[2], px[1], px[0]}, want, 1))
                        << Rgb{px[2], px[1], px[0]} << " want " << want;
                }
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }
}

TEST_F(FormatsTest, PicturesHalvedOnTheCpuMatchTheFrameShadersFilteredOnes) {
    ASSERT_NO_FATAL_FAILURE(openVideo(kW / 2, kH / 2));
    if (!frameShaders()) GTEST_SKIP() << "no frame shaders in this OpenGL";
    // Frames at twice the window's size. Noise shows chroma placed at the wrong spot; 8-bit
    // 4:2:2, whose chroma the two filter over different spans, shows bars instead, the
    // columns beside a bar edge left out. Planar frames come in both chroma sitings. The
    // frame shaders filter 10-bit 4:2:2 after the colour matrix, the CPU before it: the two
    // agree where no colour leaves the gamut. Packed 4:2:2 reads its chroma one way whatever
    // the siting, on both. Pictures run bottom up, or top down where named.
    const struct {
        unsigned format;
        int siting;
        int topDown = 0;
    } cases[] = {{ZU_PF_NV12, ZU_SITING_DEFAULT},
                 {ZU_PF_NV12, ZU_SITING_DEFAULT, 1},
                 {ZU_PF_NV12, ZU_SITING_CENTER},
                 {ZU_PF_NV21, ZU_SITING_DEFAULT},
                 {ZU_PF_I420, ZU_SITING_DEFAULT},
                 {ZU_PF_YV12, ZU_SITING_CENTER},
                 {ZU_PF_P010, ZU_SITING_DEFAULT},
                 {ZU_PF_P016, ZU_SITING_CENTER},
                 {ZU_PF_I422, ZU_SITING_DEFAULT},
                 {ZU_PF_I422, ZU_SITING_CENTER},
                 {ZU_PF_P216, ZU_SITING_DEFAULT},
                 {ZU_PF_I010, ZU_SITING_DEFAULT},
                 {ZU_PF_bgrA, 0},
                 {ZU_PF_2vuy, 0},
                 {ZU_PF_2vuy, 0, 1},
                 {ZU_PF_v219, 0},
                 {ZU_PF_v219, ZU_SITING_LEFT},
                 {ZU_PF_v219, ZU_SITING_CENTER, 1},
                 {ZU_PF_10rl, 0},
                 {ZU_PF_10rl, 0, 1},
                 {ZU_PF_RGBA, 0}};
    for (const auto& [format, siting, topDown] : cases) {
        SCOPED_TRACE(fourcc(format) + " siting " + std::to_string(siting) +
                     (topDown ? " top down" : ""));
        const bool planar = planarInfo(format) != nullptr;
        const bool bars = !planar && formatInfo(format)->family == Family::Yuv422x8;
        const bool words422 = !planar && formatInfo(format)->family == Family::Yuv422x10;
        const Content c = bars ? kContents[0] : words422 ? Content{"YUV noise", -1} : kContents[2];
        Frame fr = makeAny(format, c);
        fr.topDown = topDown;
        // Bars are the same on every row: grey first rows show a picture upside down.
        if (bars) std::fill_n(fr.plane[0].begin(), size_t(fr.rowBytes[0]) * kH / 4, 0x80);
        std::vector<uint8_t> shown[2];
        for (int software : {0, 1}) {
            start(kRoutes[software], kW, kH);
            std::vector<uint8_t> conv(size_t(kW) * kH * 4, 0xAB);
            ZUVideoFrameEx e = fr.ext();
            e.chromaSiting = siting;
            shown[software] = show(fr, conv, &e, kW / 2, kH / 2);
            ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
            // A software renderer gets planar and 10-bit 4:2:2 frames as RGB pictures the CPU
            // made at the window's size.
            if (planar || words422) {
                EXPECT_EQ(conv[0] != 0xAB || conv[1] != 0xAB, software == 1);
            }
        }
        constexpr int bar = kW / 2 / 8;
        auto nearBarEdge = [](int x) { return x % bar < 2 || x % bar >= bar - 2; };
        const Diff d = compare(shown[0], shown[1], kW / 2, bars ? +nearBarEdge : nullptr);
        EXPECT_LE(d.max, 2) << "at " << d.x << ", " << d.y;
    }
}

TEST_F(FormatsTest, AOnePixelCheckerShownAtHalfSizeIsAnEvenMidLevelUnlessNearest) {
    ASSERT_NO_FATAL_FAILURE(openVideo(kW, kH));
    if (!frameShaders()) GTEST_SKIP() << "no frame shaders in this OpenGL";
    // Halved on the CPU for a software renderer: 8-bit RGB and 4:2:2 words, 16-bit and
    // 10-bit RGB each their own way.
    for (const Route& route : {kRoutes[0], kRoutes[1]}) {
        start(route, 2 * kW, 2 * kH);
        for (unsigned format :
             {ZU_PF_bgrA, ZU_PF_2vuy, ZU_PF_yuy2, ZU_PF_v219, ZU_PF_NV12, ZU_PF_RGBA, ZU_PF_10rl})
            for (int filter : {ZU_FILTER_LINEAR, ZU_FILTER_NEAREST}) {
                SCOPED_TRACE(fourcc(format) + (filter ? " nearest " : " linear ") + route.name);
                // Black and white pixels alternating along rows and columns, at twice the
                // window size.
                Frame fr = makeAny(format, {"checker", -2}, 2 * kW, 2 * kH);
                ZUVideoFrame f = fr.frame();
                ZUVideoFrameEx e = fr.ext(filter);
                ASSERT_EQ(ZUDisplayVideoFrameEx(video, &f, &e, nullptr), 0);
                const auto got = readBack(kW, kH);
                int lo = 255, hi = 0;
                for (size_t i = 0; i < got.size(); i += 4)
                    for (int c = 0; c < 3; ++c)
                        lo = std::min<int>(lo, got[i + c]), hi = std::max<int>(hi, got[i + c]);
                if (filter == ZU_FILTER_LINEAR) {
                    EXPECT_GE(lo, 125);
                    EXPECT_LE(hi, 130);
                } else {
                    // Nearest shows single picture pixels: full black and full white remain.
                    EXPECT_LE(lo, 2);
                    EXPECT_GE(hi, 253);
                }
            }
        ASSERT_EQ(ZUStopDisplayVideoFrame(video), 0);
    }
}

}  // namespace

#ifdef ZUGUI_HAVE_SWSCALE
extern "C" {
#include <libswscale/swscale.h>
}

namespace {

// libswscale's "bgrA" for a planar frame, BT.601 limited range to full-range RGB.
std::vector<uint8_t> swscaleReference(Frame& fr, AVPixelFormat format) {
    std::vector<uint8_t> out(size_t(kW) * kH * 4);
    SwsContext* c = sws_getContext(kW, kH, format, kW, kH, AV_PIX_FMT_BGRA,
                                   SWS_BILINEAR | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                   nullptr, nullptr);
    if (!c) return {};
    const int* k = sws_getCoefficients(SWS_CS_ITU601);
    sws_setColorspaceDetails(c, k, 0, k, 1, 0, 1 << 16, 1 << 16);
    const bool swap = fr.format == ZU_PF_YV12;  // V before U: hand swscale U first
    const uint8_t* src[4] = {fr.plane[0].data(), fr.plane[swap ? 2 : 1].data(),
                             fr.plane[2].empty() ? nullptr : fr.plane[swap ? 1 : 2].data(),
                             nullptr};
    const int strides[4] = {fr.rowBytes[0], fr.rowBytes[swap ? 2 : 1], fr.rowBytes[swap ? 1 : 2],
                            0};
    uint8_t* dst[4] = {out.data(), nullptr, nullptr, nullptr};
    const int dstStrides[4] = {kW * 4, 0, 0, 0};
    sws_scale(c, src, strides, 0, kH, dst, dstStrides);
    sws_freeContext(c);
    return out;
}

TEST(PlanarCpu, ConversionAgreesWithLibswscaleInsideTheBars) {
    const struct {
        unsigned format;
        AVPixelFormat av;
    } cases[] = {{ZU_PF_NV12, AV_PIX_FMT_NV12},    {ZU_PF_NV21, AV_PIX_FMT_NV21},
                 {ZU_PF_I420, AV_PIX_FMT_YUV420P}, {ZU_PF_YV12, AV_PIX_FMT_YUV420P},
                 {ZU_PF_I422, AV_PIX_FMT_YUV422P}, {ZU_PF_P010, AV_PIX_FMT_P010LE},
                 {ZU_PF_P016, AV_PIX_FMT_P016LE},  {ZU_PF_P210, AV_PIX_FMT_P210LE},
                 {ZU_PF_P216, AV_PIX_FMT_P216LE},  {ZU_PF_I010, AV_PIX_FMT_YUV420P10LE}};
    for (const auto& c : cases)
        for (const Content& content : {kContents[0], kContents[1]}) {
            SCOPED_TRACE(fourcc(c.format) + " " + content.name);
            Frame fr = makePlanar(c.format, content);
            const auto want = swscaleReference(fr, c.av);
            ASSERT_FALSE(want.empty());
            const auto got = reference(fr);
            // Away from the bar edges, where the two place interpolated chroma differently.
            const Diff d = compare(got, want, kW, [](int x) {
                const int edge = x % (kW / 8);
                return edge < 3 || edge > kW / 8 - 3;
            });
            EXPECT_LE(d.max, 2) << "at " << d.x << ", " << d.y;
        }
}

}  // namespace
#endif
