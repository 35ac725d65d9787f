// Reading and writing single components of every layout, for the reference paths.
#pragma once

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "video/convert/convert.h"

namespace zu::detail {

inline uint32_t loadLE32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void storeLE32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline uint32_t loadBE32(const uint8_t* p) {
    return uint32_t(p[3]) | uint32_t(p[2]) << 8 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 24;
}
inline void storeBE32(uint8_t* p, uint32_t v) {
    p[3] = uint8_t(v);
    p[2] = uint8_t(v >> 8);
    p[1] = uint8_t(v >> 16);
    p[0] = uint8_t(v >> 24);
}

// 10-bit 4:2:2: (word, shift) of Y for pixel i of a six-pixel group, and of U, V for
// pair j of the group.
inline constexpr uint8_t kV210Y[6][2] = {{0, 10}, {1, 0}, {1, 20}, {2, 10}, {3, 0}, {3, 20}};
inline constexpr uint8_t kV210U[3][2] = {{0, 0}, {1, 10}, {2, 20}};
inline constexpr uint8_t kV210V[3][2] = {{0, 20}, {2, 0}, {3, 10}};

enum Comp { kY = 0, kU = 1, kV = 2 };

// Y of pixel idx, or U / V of pair idx.
inline int load422(const FormatInfo& f, const uint8_t* row, int comp, int idx) {
    if (f.family == Family::Yuv422x8) {
        if (comp == kY) return row[(idx >> 1) * 4 + f.slot[(idx & 1) ? 3 : 1]];
        return row[idx * 4 + f.slot[comp == kU ? 0 : 2]];
    }
    const uint8_t* pos = comp == kY   ? kV210Y[idx % 6]
                         : comp == kU ? kV210U[idx % 3]
                                      : kV210V[idx % 3];
    const uint8_t* group = row + (comp == kY ? idx / 6 : idx / 3) * 16;
    return int(loadLE32(group + pos[0] * 4) >> pos[1]) & 1023;
}

inline void store422(const FormatInfo& f, uint8_t* row, int comp, int idx, int v) {
    if (f.family == Family::Yuv422x8) {
        if (comp == kY)
            row[(idx >> 1) * 4 + f.slot[(idx & 1) ? 3 : 1]] = uint8_t(v);
        else
            row[idx * 4 + f.slot[comp == kU ? 0 : 2]] = uint8_t(v);
        return;
    }
    const uint8_t* pos = comp == kY   ? kV210Y[idx % 6]
                         : comp == kU ? kV210U[idx % 3]
                                      : kV210V[idx % 3];
    uint8_t* word = row + (comp == kY ? idx / 6 : idx / 3) * 16 + pos[0] * 4;
    uint32_t w = loadLE32(word);
    w = (w & ~(1023u << pos[1])) | (uint32_t(v & 1023) << pos[1]);
    storeLE32(word, w);
}

// Y, U, V of a 4:4:4 pixel (integer formats).
inline void load444(const FormatInfo& f, const uint8_t* px, int yuv[3]) {
    if (f.family == Family::Yuv444x8) {
        for (int c = 0; c < 3; ++c) yuv[c] = px[f.slot[c]];
    } else {
        uint32_t w = loadLE32(px);
        for (int c = 0; c < 3; ++c) yuv[c] = int(w >> (10 * c)) & 1023;
    }
}

inline float loadFloat(const uint8_t* p) {
    float v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void storeFloat(uint8_t* p, float v) {
    std::memcpy(p, &v, 4);
}

// Components R, G, B, A of an RGB pixel in the format's own units; false when the
// format has no alpha (c[3] is then untouched).
inline bool loadRgb(const FormatInfo& f, const uint8_t* px, double c[4]) {
    switch (f.family) {
        case Family::Rgb8:
            for (int i = 0; i < 4; ++i)
                if (f.slot[i] >= 0) c[i] = px[f.slot[i]];
            return f.slot[3] >= 0;
        case Family::Rgb16:
            for (int i = 0; i < 4; ++i)
                if (f.slot[i] >= 0) c[i] = px[f.slot[i] * 2] | px[f.slot[i] * 2 + 1] << 8;
            return f.slot[3] >= 0;
        case Family::RgbFloat:
            for (int i = 0; i < 4; ++i)
                if (f.slot[i] >= 0) c[i] = loadFloat(px + f.slot[i] * 4);
            return f.slot[3] >= 0;
        case Family::Rgb10: {
            if (f.packing == Packing::HighLE || f.packing == Packing::HighBE) {
                uint32_t w = f.packing == Packing::HighLE ? loadLE32(px) : loadBE32(px);
                c[0] = (w >> 22) & 1023;
                c[1] = (w >> 12) & 1023;
                c[2] = (w >> 2) & 1023;
            } else {
                uint32_t w = loadLE32(px);
                c[0] = w & 1023;
                c[1] = (w >> 10) & 1023;
                c[2] = (w >> 20) & 1023;
            }
            return false;
        }
        default:
            return false;
    }
}

// Stores final values (already rounded and clamped to the format's range).
inline void storeRgb(const FormatInfo& f, uint8_t* px, const double c[4]) {
    switch (f.family) {
        case Family::Rgb8:
            for (int i = 0; i < 4; ++i)
                if (f.slot[i] >= 0) px[f.slot[i]] = uint8_t(c[i]);
            return;
        case Family::Rgb16:
            for (int i = 0; i < 4; ++i)
                if (f.slot[i] >= 0) {
                    auto v = uint16_t(c[i]);
                    px[f.slot[i] * 2] = uint8_t(v);
                    px[f.slot[i] * 2 + 1] = uint8_t(v >> 8);
                }
            return;
        case Family::RgbFloat:
            for (int i = 0; i < 4; ++i)
                if (f.slot[i] >= 0) storeFloat(px + f.slot[i] * 4, float(c[i]));
            return;
        case Family::Rgb10: {
            auto r = uint32_t(c[0]), g = uint32_t(c[1]), b = uint32_t(c[2]);
            if (f.packing == Packing::HighLE || f.packing == Packing::HighBE) {
                uint32_t w = r << 22 | g << 12 | b << 2;
                if (f.packing == Packing::HighLE)
                    storeLE32(px, w);
                else
                    storeBE32(px, w);
            } else {
                uint32_t w = r | g << 10 | b << 20;
                if (f.packing == Packing::LowAlphaLE) w |= 3u << 30;
                storeLE32(px, w);
            }
            return;
        }
        default:
            return;
    }
}

// Clamp that maps NaN to the bottom, so a later integer conversion is always defined.
inline double clampD(double v, double lo, double hi) {
    double x = v > lo ? v : lo;
    return x < hi ? x : hi;
}

// int(v) then clamped to lo..hi, defined for every double (NaN gives lo). Written without
// branches: on pixel data they would be unpredictable.
inline int truncClamp(double v, int lo, int hi) {
#if defined(__SSE2__)
    // maxsd / minsd return their second operand for NaN: max(v, lo) is v > lo ? v : lo.
    __m128d x = _mm_max_sd(_mm_set_sd(v), _mm_set_sd(double(lo)));
    x = _mm_min_sd(x, _mm_set_sd(double(hi)));
    return _mm_cvttsd_si32(x);
#else
    double x = v > double(lo) ? v : double(lo);
    x = x < double(hi) ? x : double(hi);
    return int(x);
#endif
}

// An RGB component from the source's range to the destination's, rounded for integer
// destinations; unchanged when the ranges agree.
inline double mapRgbRange(const FormatInfo& sf, const FormatInfo& df, double v) {
    if (sf.lo == df.lo && sf.hi == df.hi) return v;
    v = (v - sf.lo) / (sf.hi - sf.lo) * (df.hi - df.lo) + df.lo;
    return df.family == Family::RgbFloat ? v : v + 0.5;
}

}  // namespace zu::detail
