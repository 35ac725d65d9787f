// The colour description of YUV frames: matrix, range and chroma siting, and the
// coefficients the shader and the CPU converters take from it.
#include "video/video_internal.h"

namespace zu::detail {

ColourSpec colourSpec(const ZUVideoFrameEx* ext, int width, bool planar) {
    ColourSpec c;
    const int matrix = ext ? ext->matrix : ZU_MATRIX_DEFAULT;
    const int range = ext ? ext->range : ZU_RANGE_DEFAULT;
    c.stated = matrix != ZU_MATRIX_DEFAULT || range != ZU_RANGE_DEFAULT;
    // The width rule is the one frames without a description always had.
    c.matrix = matrix != ZU_MATRIX_DEFAULT ? matrix
               : width <= 800              ? ZU_MATRIX_BT601
                                           : ZU_MATRIX_BT709;
    c.full = range == ZU_RANGE_FULL;
    // Decoders put 4:2:0 and planar 4:2:2 chroma with the left pixel; packed 4:2:2 has
    // always been read as centred between the pair's pixels.
    const int siting = ext ? ext->chromaSiting : ZU_SITING_DEFAULT;
    c.centreSited = siting == ZU_SITING_CENTER || (siting == ZU_SITING_DEFAULT && !planar);
    return c;
}

bool validColourFields(const ZUVideoFrameEx& e) {
    return e.matrix >= ZU_MATRIX_DEFAULT && e.matrix <= ZU_MATRIX_BT2020 &&
           e.range >= ZU_RANGE_DEFAULT && e.range <= ZU_RANGE_FULL &&
           e.chromaSiting >= ZU_SITING_DEFAULT && e.chromaSiting <= ZU_SITING_CENTER &&
           (e.filter == ZU_FILTER_LINEAR || e.filter == ZU_FILTER_NEAREST);
}

YuvToRgb yuvToRgb(const ColourSpec& c) {
    double kr = 0.2126, kb = 0.0722;
    if (c.matrix == ZU_MATRIX_BT601) kr = 0.299, kb = 0.114;
    if (c.matrix == ZU_MATRIX_BT2020) kr = 0.2627, kb = 0.0593;
    const double kg = 1.0 - kr - kb;
    const double ys = c.full ? 1.0 : 255.0 / 219.0, cs = c.full ? 1.0 : 255.0 / 224.0;
    YuvToRgb t{};
    const double crR = 2 * (1 - kr), cbB = 2 * (1 - kb);
    t.m[0][0] = t.m[1][0] = t.m[2][0] = ys;
    t.m[0][2] = crR * cs;
    t.m[1][1] = -cbB * kb / kg * cs;
    t.m[1][2] = -crR * kr / kg * cs;
    t.m[2][1] = cbB * cs;
    t.off[0] = c.full ? 0 : 16;
    t.off[1] = t.off[2] = 128;
    return t;
}

void describeColours(ZuColorDescriptor& d, const ColourSpec& c, double codeScale) {
    const YuvToRgb t = yuvToRgb(c);
    d.standard = 6;
    d.redLumaGain = d.greenLumaGain = d.blueLumaGain = t.m[0][0];
    d.redLumaOffset = d.greenLumaOffset = d.blueLumaOffset = t.off[0] * codeScale;
    d.redCrGain = t.m[0][2];
    d.blueCbGain = t.m[2][1];
    d.greenCrGain = t.m[1][2];
    d.greenCbGain = t.m[1][1];
    d.redChromaOffset = d.blueChromaOffset = d.greenCrOffset = d.greenCbOffset =
        t.off[1] * codeScale;
}

}  // namespace zu::detail
