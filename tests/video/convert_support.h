// Shared helpers of the converter tests: host tables, images, random frames.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
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

inline Image makeImage(unsigned fmt, int w, int h, int pad = 0, uint8_t fill = 0) {
    return Image(w, h, fmt, int(zu::detail::minRowBytes(*zu::detail::formatInfo(fmt), w)) + pad,
                 fill);
}

// A one-row image whose first bytes are the given ones.
inline Image rowImage(unsigned fmt, int w, std::initializer_list<uint8_t> bytes) {
    Image im = makeImage(fmt, w, 1);
    std::copy(bytes.begin(), bytes.end(), im.bytes.begin());
    return im;
}

struct Yuv {
    int y, u, v;
};
// 75% colour bars, left to right: white, yellow, cyan, green, magenta, red, blue, black.
inline const Yuv kBars[8] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                             {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};

// 8-bit 4:2:2 bars of the given levels; uyvy selects the U Y0 V Y1 byte order, else
// Y0 U Y1 V.
inline std::vector<uint8_t> bars422(int width, int height, bool uyvy, const Yuv* bars = kBars) {
    std::vector<uint8_t> px(size_t(width) * 2 * height);
    for (int r = 0; r < height; ++r)
        for (int x = 0; x < width; x += 2) {
            const Yuv& c = bars[x * 8 / width];
            uint8_t* p = px.data() + (size_t(r) * width + x) * 2;
            if (uyvy)
                p[0] = uint8_t(c.u), p[1] = uint8_t(c.y), p[2] = uint8_t(c.v), p[3] = uint8_t(c.y);
            else
                p[0] = uint8_t(c.y), p[1] = uint8_t(c.u), p[2] = uint8_t(c.y), p[3] = uint8_t(c.v);
        }
    return px;
}

// 10-bit 4:2:2 bars ("v219"), each bar a multiple of six pixels wide.
inline std::vector<uint8_t> bars10(int width, int height, const Yuv* bars = kBars) {
    const int rowBytes = width / 6 * 16;
    std::vector<uint8_t> px(size_t(rowBytes) * height);
    for (int r = 0; r < height; ++r)
        for (int g = 0; g < width / 6; ++g) {
            const Yuv& c = bars[g * 6 * 8 / width];
            const uint32_t Y = uint32_t(c.y) * 4, U = uint32_t(c.u) * 4, V = uint32_t(c.v) * 4;
            const uint32_t words[4] = {U | Y << 10 | V << 20, Y | U << 10 | Y << 20,
                                       V | Y << 10 | U << 20, Y | V << 10 | Y << 20};
            std::memcpy(px.data() + size_t(r) * rowBytes + g * 16, words, 16);
        }
    return px;
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

inline ZuColorDescriptor standardDesc(int standard) {
    ZuColorDescriptor d{};
    d.standard = standard;
    return d;
}

// One frame through a fresh fallback scaler, as the display pipeline calls it.
inline int scale(const Image& s, Image& d, ZuColorDescriptor desc = {},
                 unsigned char keepAspect = 0, unsigned char bottomUp = 0,
                 const uint32_t* border = nullptr,
                 zu::detail::Kernel k = zu::detail::Kernel::Auto) {
    zu::detail::FallbackScaler sc;
    return sc.convert(s.src(), d.dst(), keepAspect, &desc, bottomUp, border, k);
}

// Converts into a copy of `blank` on one thread and on each of `counts`: every thread
// count must give one thread's bytes. Leaves the converter on two threads.
template <class Convert>
void expectThreadCountsAgree(const Image& blank, Convert convert, std::initializer_list<int> counts,
                             const std::string& what) {
    ASSERT_EQ(ZUSetConvertThreads(1), 0);
    Image one = blank;
    ASSERT_EQ(convert(one), 0) << what;
    for (int n : counts) {
        ASSERT_EQ(ZUSetConvertThreads(n), 0);
        Image many = blank;
        ASSERT_EQ(convert(many), 0) << what;
        EXPECT_EQ(many.bytes, one.bytes) << what << " threads " << n;
    }
    ASSERT_EQ(ZUSetConvertThreads(2), 0);
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

// The fallback scaler's formula for 4:2:2 into "bgrA", term by term as the scaler computes
// it: (Y - luma offset) * gain and (C - chroma offset) * gain with C = sum / 2, summed
// red (luma + Cr), green ((luma + Cr) + Cb), blue (luma + Cb), then rounded to bytes.
struct StandardFormula {
    std::vector<double> yR, yG, yB, crR, crG, cbG, cbB;
    bool tenBit;
    StandardFormula(int standard, bool ten) : tenBit(ten) {
        ZuColorDescriptor d{};
        d.standard = standard;
        zu::detail::fillColorDescriptor(d, ten ? ZU_PF_v219 : ZU_PF_2vuy);
        const int n = ten ? 1024 : 256;
        for (int y = 0; y < n; ++y) {
            yR.push_back((y - d.redLumaOffset) * d.redLumaGain);
            yG.push_back((y - d.greenLumaOffset) * d.greenLumaGain);
            yB.push_back((y - d.blueLumaOffset) * d.blueLumaGain);
        }
        for (int s = 0; s < 2 * n - 1; ++s) {
            const double c = s * 0.5;
            crR.push_back((c - d.redChromaOffset) * d.redCrGain);
            crG.push_back((c - d.greenCrOffset) * d.greenCrGain);
            cbG.push_back((c - d.greenCbOffset) * d.greenCbGain);
            cbB.push_back((c - d.blueChromaOffset) * d.blueCbGain);
        }
    }
    uint8_t toByte(double v) const {
        double x = tenBit ? v * 0.25 + 0.5 : v + 0.5;
        x = x > 0 ? x : 0;
        x = x < 255 ? x : 255;
        return uint8_t(int(x));
    }
    // "bgrA" pixel for Y and the chroma sums (twice the chroma the formula sees).
    uint32_t pixel(int y, int su, int sv) const {
        const uint32_t r = toByte(yR[y] + crR[sv]), g = toByte((yG[y] + crG[sv]) + cbG[su]),
                       b = toByte(yB[y] + cbB[su]);
        return b | g << 8 | r << 16 | 0xffu << 24;
    }
};

// 10-bit 4:2:2 row from per-pair samples: pair p has Y0 = y0[p], Y1 = y1[p], U = u[p],
// V = v[p]; pairs beyond the last group's end are zero.
inline void packV210Row(uint8_t* row, int pairs, const uint16_t* y0, const uint16_t* y1,
                        const uint16_t* u, const uint16_t* v) {
    auto yAt = [&](int i) -> uint32_t {
        if (i / 2 >= pairs) return 0;
        return (i & 1) ? y1[i / 2] : y0[i / 2];
    };
    auto cAt = [&](const uint16_t* c, int p) -> uint32_t { return p < pairs ? c[p] : 0; };
    for (int g = 0; 6 * g < 2 * pairs; ++g) {
        const int y = 6 * g, c = 3 * g;
        const uint32_t w[4] = {cAt(u, c) | yAt(y) << 10 | cAt(v, c) << 20,
                               yAt(y + 1) | cAt(u, c + 1) << 10 | yAt(y + 2) << 20,
                               cAt(v, c + 1) | yAt(y + 3) << 10 | cAt(u, c + 2) << 20,
                               yAt(y + 4) | cAt(v, c + 2) << 10 | yAt(y + 5) << 20};
        std::memcpy(row + 16 * g, w, 16);
    }
}

// Every output pixel of a 4:2:2 row against the formula: pair p's first pixel sees its own
// chroma, the second the sum with the next pair's (its own at the row's end). Returns the
// first pixel that differs, or -1.
inline int firstFormulaMismatch(const StandardFormula& f, const uint8_t* out, int pairs,
                                const uint16_t* y0, const uint16_t* y1, const uint16_t* u,
                                const uint16_t* v) {
    for (int p = 0; p < pairs; ++p) {
        const int n = p + 1 < pairs ? p + 1 : p;
        if (px32(out + 8 * p) != f.pixel(y0[p], 2 * u[p], 2 * v[p])) return 2 * p;
        if (px32(out + 8 * p + 4) != f.pixel(y1[p], u[p] + u[n], v[p] + v[n])) return 2 * p + 1;
    }
    return -1;
}

}  // namespace zutest
