// Planar YUV frames (NV12, I420, P010 and their kin): their layout and the CPU
// conversion to 8-bit RGB, with the colour matrix and chroma siting the display uses.
#pragma once

#include <cstdint>

#include "video/convert/convert.h"

namespace zu::detail {

struct PlanarInfo {
    unsigned code;
    uint8_t sampleBytes;  // 1, or 2 for little-endian 16-bit words
    uint8_t chromaDivX, chromaDivY;
    bool interleaved;  // one chroma plane of pairs (NV12 family), else two planes
    bool swapChroma;   // V before U (NV21, YV12)
    double codeTo8;    // a sample's code to 8-bit code units
};

// Null for a code that is not planar.
const PlanarInfo* planarInfo(unsigned code);

struct PlanarImage {
    const void* planes[3];
    int rowBytes[3];
    int width, height;
    unsigned format;
};

// 0 when the planes can hold the picture (pointers set, sizes even where chroma is
// subsampled, strides at least a row), else -2.
int checkPlanar(const PlanarImage& src);

// Y'CbCr in 8-bit code units to R'G'B' in 8-bit units: rgb = m * (yuv - off).
struct YuvToRgb {
    double m[3][3];
    double off[3];
};

// Into a 4-byte 8-bit RGB image of the same size ("bgrA", "rgba", ...): chroma
// interpolated linearly between samples (left-sited samples at the even pixels, centred
// ones between pixel pairs; 4:2:0 rows centred between luma rows), each component
// rounded. 0, or -2 for bad planes or a destination that does not fit.
int planarToRgb(const PlanarImage& src, const DstImage& dst, const YuvToRgb& t, bool centreSited);

}  // namespace zu::detail
