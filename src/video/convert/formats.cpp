// The pixel-format vocabulary: family, layout and range of every code.
#include <array>

#include "video/convert/convert.h"

namespace zu::detail {
namespace {

constexpr FormatInfo yuv8(unsigned code, int8_t u, int8_t y0, int8_t v, int8_t y1) {
    return {code, Family::Yuv422x8, 0, {u, y0, v, y1}, 255, 0, 255, true, Packing::None};
}
constexpr FormatInfo yuv10(unsigned code) {
    return {code, Family::Yuv422x10, 0, {-1, -1, -1, -1}, 1023, 0, 1023, true, Packing::None};
}
constexpr FormatInfo rgb(unsigned code, Family fam, uint8_t bpp, int8_t r, int8_t g, int8_t b,
                         int8_t a, double max, bool listed = true) {
    return {code, fam, bpp, {r, g, b, a}, max, 0, max, listed, Packing::None};
}
constexpr FormatInfo rgb10(unsigned code, Packing p, double lo, double hi, bool listed = true) {
    return {code, Family::Rgb10, 4, {-1, -1, -1, -1}, 1023, lo, hi, listed, p};
}
constexpr FormatInfo opaque(unsigned code) {
    return {code, Family::Opaque, 0, {-1, -1, -1, -1}, 0, 0, 0, false, Packing::None};
}

constexpr std::array kFormats = {
    yuv8(ZU_PF_2vuy, 0, 1, 2, 3),
    yuv8(ZU_PF_2Vuy, 0, 1, 2, 3),
    yuv8(ZU_PF_uyv9, 0, 1, 2, 3),
    yuv8(ZU_PF_jpgq, 0, 1, 2, 3),
    yuv8(ZU_PF_dvhd, 0, 1, 2, 3),
    yuv8(ZU_PF_dv51, 0, 1, 2, 3),
    yuv8(ZU_PF_dv26, 0, 1, 2, 3),
    yuv8(ZU_PF_yuy2, 1, 0, 3, 2),
    yuv8(ZU_PF_mjai, 1, 0, 3, 2),
    opaque(ZU_PF_mjbq),
    opaque(ZU_PF_mjaq),
    opaque(ZU_PF_RGb_),
    opaque(ZU_PF_RGbA),
    FormatInfo{ZU_PF_vuyp, Family::Yuv444x8, 4, {2, 1, 0, -1}, 255, 0, 255, true, Packing::None},
    FormatInfo{
        ZU_PF_10yb, Family::Yuv444x10, 4, {-1, -1, -1, -1}, 1023, 0, 1023, false, Packing::LowLE},
    FormatInfo{ZU_PF_YVrF, Family::YuvFloat, 16, {2, 1, 0, -1}, 1.0, 0, 1.0, true, Packing::None},
    yuv10(ZU_PF_v219),
    yuv10(ZU_PF_V219),
    yuv10(ZU_PF_aphq),
    yuv10(ZU_PF_apnq),
    rgb(ZU_PF_bgrA, Family::Rgb8, 4, 2, 1, 0, 3, 255),
    rgb(ZU_PF_rleq, Family::Rgb8, 4, 2, 1, 0, 3, 255),
    rgb(ZU_PF_rgba, Family::Rgb8, 4, 0, 1, 2, 3, 255),
    rgb(ZU_PF_rgbb, Family::Rgb8, 4, 0, 1, 2, 3, 255),
    rgb(ZU_PF_argB, Family::Rgb8, 4, 1, 2, 3, 0, 255),
    rgb(ZU_PF_abgr, Family::Rgb8, 4, 3, 2, 1, 0, 255),
    rgb(ZU_PF_rgb_, Family::Rgb8, 3, 0, 1, 2, -1, 255),
    rgb(ZU_PF_rg2b, Family::Rgb8, 3, 0, 1, 2, -1, 255),
    rgb(ZU_PF_mjbi, Family::Rgb8, 3, 0, 1, 2, -1, 255),
    rgb(ZU_PF_bgr_, Family::Rgb8, 3, 2, 1, 0, -1, 255),
    rgb(ZU_PF_RGB_, Family::Rgb16, 6, 0, 1, 2, -1, 65535),
    rgb(ZU_PF_RGBA, Family::Rgb16, 8, 0, 1, 2, 3, 65535),
    rgb(ZU_PF_BGRA, Family::Rgb16, 8, 2, 1, 0, 3, 65535),
    rgb(ZU_PF_ARGB, Family::Rgb16, 8, 1, 2, 3, 0, 65535),
    rgb(ZU_PF_BRgB, Family::Rgb16, 8, 2, 1, 0, 3, 32768),
    rgb(ZU_PF_ARgB, Family::Rgb16, 8, 1, 2, 3, 0, 32768),
    rgb10(ZU_PF_10rl, Packing::HighLE, 0, 1023),
    rgb10(ZU_PF_11rl, Packing::HighLE, 0, 1023),
    rgb10(ZU_PF_10rb, Packing::HighBE, 0, 1023),
    rgb10(ZU_PF_11rb, Packing::HighBE, 0, 1023),
    rgb10(ZU_PF_11rQ, Packing::HighBE, 64, 940),
    rgb10(ZU_PF_10RG, Packing::LowLE, 0, 1023),
    rgb10(ZU_PF_10RS, Packing::LowLE, 64, 940),
    rgb(ZU_PF_BPrF, Family::RgbFloat, 16, 2, 1, 0, 3, 1.0),
    // Fallback-only variants.
    rgb(ZU_PF__RgB, Family::Rgb16, 6, 0, 1, 2, -1, 32768, false),
    rgb(ZU_PF_RgBA, Family::Rgb16, 8, 0, 1, 2, 3, 32768, false),
    rgb(ZU_PF_BGR_, Family::Rgb16, 6, 2, 1, 0, -1, 65535, false),
    rgb(ZU_PF_BGr_, Family::Rgb16, 6, 2, 1, 0, -1, 32768, false),
    rgb(ZU_PF_BGrA, Family::Rgb16, 8, 2, 1, 0, 3, 32768, false),
    rgb(ZU_PF__RgF, Family::RgbFloat, 12, 0, 1, 2, -1, 1.0, false),
    rgb(ZU_PF_ARgF, Family::RgbFloat, 16, 1, 2, 3, 0, 1.0, false),
    rgb(ZU_PF_BGrF, Family::RgbFloat, 12, 2, 1, 0, -1, 1.0, false),
    rgb(ZU_PF_RgBF, Family::RgbFloat, 16, 0, 1, 2, 3, 1.0, false),
    // The two alpha bits of "10RA" are written opaque and not read.
    rgb10(ZU_PF_10RA, Packing::LowAlphaLE, 0, 1023, false),
};

}  // namespace

const FormatInfo* formatInfo(unsigned code) {
    for (const FormatInfo& f : kFormats)
        if (f.code == code) return &f;
    return nullptr;
}

int64_t minRowBytes(const FormatInfo& f, int width) {
    if (width <= 0) return -1;
    switch (f.family) {
        case Family::Yuv422x8:
            // Pairs share chroma: an odd width has no well-defined last pixel.
            if (width & 1) return -1;
            return int64_t(width) * 2;
        case Family::Yuv422x10:
            if (width & 1) return -1;
            return (int64_t(width) + 5) / 6 * 16;
        case Family::Opaque:
            return -1;
        default:
            return int64_t(width) * f.bytesPerPixel;
    }
}

}  // namespace zu::detail
