// Shared helpers of the converter tests: host tables, images, random frames.
#pragma once

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "video/convert/convert.h"

namespace zutest {

using zu::detail::DstImage;
using zu::detail::SrcImage;

struct Image {
    std::vector<uint8_t> bytes;
    int width = 0, height = 0, rowBytes = 0;
    unsigned format = 0;
    Image() = default;
    Image(int w, int h, unsigned fmt, int rb, uint8_t fill = 0)
        : bytes(size_t(rb) * h, fill), width(w), height(h), rowBytes(rb), format(fmt) {}
    uint8_t* row(int r) { return bytes.data() + size_t(r) * rowBytes; }
    SrcImage src() const { return {bytes.data(), width, height, format, rowBytes}; }
    DstImage dst() { return {bytes.data(), width, height, format, rowBytes}; }
};

inline int rowBytesFor(unsigned fmt, int w) {
    return int(zu::detail::minRowBytes(*zu::detail::formatInfo(fmt), w));
}
inline Image makeImage(unsigned fmt, int w, int h, int pad = 0, uint8_t fill = 0) {
    return Image(w, h, fmt, rowBytesFor(fmt, w) + pad, fill);
}

inline void randomFill(Image& im, uint32_t seed) {
    std::mt19937 rng(seed);
    for (auto& b : im.bytes) b = uint8_t(rng());
}

inline uint32_t px32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// "bgrA" image whose pixel (x, y) is B = x, G = y, R = x + y, A = 200, all mod 256.
inline Image coordImage(int w, int h) {
    Image im = makeImage(ZU_PF_bgrA, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = im.row(y) + 4 * x;
            p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y), p[3] = 200;
        }
    return im;
}

// Host tables for BT.601 video range, the way a host prepares them.
struct HostTables {
    std::vector<double> d[7];
    short luma[256][4], cb[256][4], cr[256][4];
    ZuColorTables t{};
    explicit HostTables(bool tenBit = false) {
        const int n = tenBit ? 1024 : 256;
        const double lo = tenBit ? 64 : 16, mid = tenBit ? 512 : 128;
        for (auto& v : d) v.resize(size_t(n));
        for (int i = 0; i < n; ++i) {
            double y = 1.164384 * (i - lo), c = i - mid;
            d[0][i] = y, d[1][i] = 1.596027 * c;
            d[2][i] = y, d[3][i] = 2.017231 * c;
            d[4][i] = y, d[5][i] = -0.812968 * c, d[6][i] = -0.39116 * c;
        }
        for (int i = 0; i < 256; ++i) {
            short y = short(1.164384 * (i - 16) + 0.5), c = short(i - 128);
            luma[i][0] = luma[i][1] = luma[i][2] = y, luma[i][3] = 255;
            cb[i][0] = short(2.017231 * c), cb[i][1] = short(-0.39116 * c), cb[i][2] = 0;
            cr[i][0] = 0, cr[i][1] = short(-0.812968 * c), cr[i][2] = short(1.596027 * c);
            cb[i][3] = cr[i][3] = 0;
        }
        t.redFromLuma = d[0].data(), t.redFromCr = d[1].data();
        t.blueFromLuma = d[2].data(), t.blueFromCb = d[3].data();
        t.greenFromLuma = d[4].data(), t.greenFromCr = d[5].data();
        t.greenFromCb = d[6].data();
        t.fastLuma = luma, t.fastCb = cb, t.fastCr = cr;
    }
};

}  // namespace zutest
