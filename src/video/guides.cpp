// Safe-area guides burnt into the pixels about to be shown, in the white of each pixel
// format. Every write is checked against the row it lands in.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "video/convert/convert.h"
#include "video/video_internal.h"

namespace zu::detail {
namespace {

enum class Group { Yuv10, Uyvy, Yuy2, Rgb };

Group groupOf(unsigned format) {
    switch (format) {
        case ZU_PF_v219:
        case ZU_PF_V219:
        case ZU_PF_aphq:
        case ZU_PF_apnq:
            return Group::Yuv10;
        case ZU_PF_2vuy:
        case ZU_PF_2Vuy:
        case ZU_PF_uyv9:
        case ZU_PF_jpgq:
        case ZU_PF_mjbq:
        case ZU_PF_mjaq:
        case ZU_PF_dvhd:
        case ZU_PF_dv51:
        case ZU_PF_dv26:
            return Group::Uyvy;
        case ZU_PF_yuy2:
        case ZU_PF_mjai:
            return Group::Yuy2;
        default:
            return Group::Rgb;
    }
}

int rgbBytes(unsigned format) {
    switch (format) {
        case ZU_PF_rgb_:
        case ZU_PF_rg2b:
        case ZU_PF_bgr_:
        case ZU_PF_mjbi:
            return 3;
        default:
            return 4;
    }
}

// One image with bounds-checked writes of a repeated white unit.
struct Canvas {
    uint8_t* base;
    int height;
    int64_t rowBytes;
    int64_t usable;  // bytes of a row that belong to the picture
    const uint8_t* white;
    int unit;  // bytes of white written at a time

    // count units starting at byte x of row r, cut at the row's end.
    void put(int r, int64_t x, int64_t count) const {
        if (r < 0 || r >= height || x < 0) return;
        uint8_t* row = base + r * rowBytes;
        for (int64_t i = 0; i < count; ++i) {
            const int64_t at = x + i * unit;
            if (at + unit > usable) return;
            std::memcpy(row + at, white, static_cast<size_t>(unit));
        }
    }
};

int64_t roundUp(int64_t v, int m) {
    return (v + m - 1) / m * m;
}

// The part of size that a guide leaves outside on one side.
double marginOf(float percent, int size) {
    if (!(percent > 0.f)) return 0.0;  // also NaN
    return std::min(percent, 200.f) / 200.0 * size;
}

}  // namespace

void drawGuide(void* pixels, unsigned format, int width, int height, int rowBytes, float hPercent,
               float vPercent) {
    const FormatInfo* fi = formatInfo(format);
    if (!pixels || !fi || width <= 0 || height <= 0 || rowBytes <= 0) return;
    const Group g = groupOf(format);
    const int64_t need =
        g == Group::Rgb ? int64_t{width} * rgbBytes(format) : minRowBytes(*fi, width);
    if (need <= 0) return;

    const int left = static_cast<int>(marginOf(hPercent, width));
    const int right = std::max(left, static_cast<int>(width - marginOf(hPercent, width)));
    const int top = static_cast<int>(marginOf(vPercent, height));
    const int bottom = std::max(top, static_cast<int>(height - marginOf(vPercent, height)));

    static const uint8_t kYuv10[16] = {0x00, 0xB2, 0x0E, 0x20, 0xAC, 0x03, 0xC8, 0x3A,
                                       0x00, 0xB2, 0x0E, 0x20, 0xAC, 0x03, 0xC8, 0x3A};
    static const uint8_t kUyvy[4] = {0x80, 0xEB, 0x80, 0xEB};  // the word 0xEB80EB80
    static const uint8_t kYuy2[4] = {0xEB, 0x80, 0xEB, 0x80};  // the word 0x80EB80EB
    static const uint8_t kFF[4] = {0xFF, 0xFF, 0xFF, 0xFF};

    Canvas c{static_cast<uint8_t*>(pixels),     height, rowBytes,
             std::min<int64_t>(rowBytes, need), kFF,    1};
    int64_t lineStart = 0, lineUnits = 0, markUnits = 0;
    switch (g) {
        case Group::Yuv10:
            c.white = kYuv10, c.unit = 16;
            lineStart = roundUp(int64_t{left} * 8 / 3, 16);
            lineUnits = (right - left) / 6;
            markUnits = 1;
            break;
        case Group::Uyvy:
        case Group::Yuy2:
            c.white = g == Group::Uyvy ? kUyvy : kYuy2, c.unit = 4;
            lineStart = roundUp(int64_t{left} * 2, 4);
            lineUnits = (right - left) / 2;
            markUnits = 2;
            break;
        case Group::Rgb: {
            const int bpp = rgbBytes(format);
            c.white = kFF, c.unit = bpp;
            lineStart = int64_t{left} * bpp;
            lineUnits = right - left;
            markUnits = 2;
            break;
        }
    }
    if (lineUnits <= 0) return;
    const int64_t markRight = lineStart + (lineUnits - markUnits) * c.unit;

    for (int edge : {top, top + 1, bottom - 1, bottom}) {
        c.put(edge, lineStart, lineUnits);
        c.put(edge + 1, lineStart, lineUnits);
    }
    for (int r = top; r <= bottom && r < height; ++r) {
        c.put(r, lineStart, markUnits);
        c.put(r, std::max(lineStart, markRight), markUnits);
    }
    if (g != Group::Rgb) return;

    // Ticks across the middle of each side.
    const int bpp = c.unit;
    const int mid = height / 2;
    auto tickStart = [](int x) { return x - 7 < 1 ? 9 : x - 7; };
    for (int r = mid - 2; r <= mid; ++r) {
        for (int edge : {left, right}) {
            const int x0 = tickStart(edge);
            const int n = std::max(0, std::min(18, width - x0));
            c.put(r, int64_t{x0} * bpp, n);
        }
    }
    const int col = width / 2 - 1;
    for (int edge : {top, bottom}) {
        int r0 = edge - 8;
        r0 = std::max(0, std::min(r0, height - 18));
        for (int r = r0; r < r0 + 18; ++r)
            c.put(r, int64_t{std::max(0, col)} * bpp, std::min(3, width));
    }
}

void drawFrameGuides(void* pixels, unsigned format, int width, int height, int rowBytes,
                     const ZUVideoFrame& f) {
    if (f.guideAOn)
        drawGuide(pixels, format, width, height, rowBytes, f.guideAHorizontal, f.guideAVertical);
    if (f.guideBOn)
        drawGuide(pixels, format, width, height, rowBytes, f.guideBHorizontal, f.guideBVertical);
}

}  // namespace zu::detail
