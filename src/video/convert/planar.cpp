// Planar YUV to 8-bit RGB on the CPU, sampling chroma where the texture path samples it.
#include "video/convert/planar.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "video/convert/pixel_io.h"

namespace zu::detail {
namespace {

constexpr std::array kPlanar = {
    PlanarInfo{ZU_PF_NV12, 1, 2, 2, true, false, 1.0},
    PlanarInfo{ZU_PF_NV21, 1, 2, 2, true, true, 1.0},
    PlanarInfo{ZU_PF_I420, 1, 2, 2, false, false, 1.0},
    PlanarInfo{ZU_PF_YV12, 1, 2, 2, false, true, 1.0},
    PlanarInfo{ZU_PF_I422, 1, 2, 1, false, false, 1.0},
    PlanarInfo{ZU_PF_P010, 2, 2, 2, true, false, 1.0 / 256},
    PlanarInfo{ZU_PF_P016, 2, 2, 2, true, false, 1.0 / 256},
    PlanarInfo{ZU_PF_P210, 2, 2, 1, true, false, 1.0 / 256},
    PlanarInfo{ZU_PF_P216, 2, 2, 1, true, false, 1.0 / 256},
    PlanarInfo{ZU_PF_I010, 2, 2, 2, false, false, 1.0 / 4},
};

// Sample i of a row of 8- or 16-bit samples spaced step samples apart.
inline int sample(const uint8_t* row, int bytes, int i) {
    if (bytes == 1) return row[i];
    return row[2 * i] | row[2 * i + 1] << 8;
}

// Index and weight of the lower neighbour for output n along an axis subsampled by div;
// offset: where the first sample sits, in output pixels minus a half.
struct Tap {
    int i0, i1;
    double f;
};
inline Tap tap(int n, int div, double offset, int count) {
    const double c = div == 1 ? n : (n + 0.5) / div - 0.5 + offset;
    int i0 = int(c >= 0 ? c : c - 1);  // floor
    const double f = c - i0;
    const int i1 = std::clamp(i0 + 1, 0, count - 1);
    i0 = std::clamp(i0, 0, count - 1);
    return {i0, i1, f};
}

}  // namespace

const PlanarInfo* planarInfo(unsigned code) {
    for (const PlanarInfo& p : kPlanar)
        if (p.code == code) return &p;
    return nullptr;
}

int checkPlanar(const PlanarImage& s) {
    const PlanarInfo* p = planarInfo(s.format);
    if (!p || s.width <= 0 || s.height <= 0) return -2;
    if (s.width % p->chromaDivX || s.height % p->chromaDivY) return -2;
    const int64_t cw = s.width / p->chromaDivX;
    const int64_t rows[3] = {int64_t(s.width) * p->sampleBytes,
                             cw * p->sampleBytes * (p->interleaved ? 2 : 1), cw * p->sampleBytes};
    const int planes = p->interleaved ? 2 : 3;
    for (int i = 0; i < planes; ++i)
        if (!s.planes[i] || s.rowBytes[i] < rows[i]) return -2;
    return 0;
}

int planarToRgb(const PlanarImage& s, const DstImage& dst, const YuvToRgb& t, bool centreSited) {
    if (checkPlanar(s)) return -2;
    const PlanarInfo& p = *planarInfo(s.format);
    const FormatInfo* df = formatInfo(dst.format);
    if (!df || df->family != Family::Rgb8 || df->bytesPerPixel != 4 || !dst.pixels ||
        dst.width != s.width || dst.height != s.height || dst.rowBytes < int64_t(dst.width) * 4)
        return -2;
    const int w = s.width, h = s.height, cw = w / p.chromaDivX, ch = h / p.chromaDivY;
    const int sb = p.sampleBytes;
    const auto* yBase = static_cast<const uint8_t*>(s.planes[0]);
    const auto* uBase = static_cast<const uint8_t*>(s.planes[1]);
    const auto* vBase = static_cast<const uint8_t*>(s.planes[p.interleaved ? 1 : 2]);
    // Samples of U and V within a chroma row: interleaved pairs, or one plane each.
    const int cStep = p.interleaved ? 2 : 1;
    int uAt = 0, vAt = p.interleaved ? 1 : 0;
    if (p.swapChroma) std::swap(uBase, vBase), std::swap(uAt, vAt);
    const int uRow = s.rowBytes[1], vRow = s.rowBytes[p.interleaved ? 1 : 2];
    const int uStride = p.swapChroma && !p.interleaved ? s.rowBytes[2] : uRow;
    const int vStride = p.swapChroma && !p.interleaved ? s.rowBytes[1] : vRow;
    const double k = p.codeTo8;
    const double xOffset = centreSited ? 0.0 : 0.25;
    const int r = df->slot[0], g = df->slot[1], b = df->slot[2], a = df->slot[3];
    auto out = [](double v) { return uint8_t(truncClamp(v + 0.5, 0, 255)); };

    constexpr int kChunk = 256;
    double uLine[kChunk + 4], vLine[kChunk + 4];
    for (int y = 0; y < h; ++y) {
        const Tap ty = tap(y, p.chromaDivY, 0.0, ch);
        const uint8_t* yRow = yBase + int64_t(y) * s.rowBytes[0];
        const uint8_t* u0 = uBase + int64_t(ty.i0) * uStride;
        const uint8_t* u1 = uBase + int64_t(ty.i1) * uStride;
        const uint8_t* v0 = vBase + int64_t(ty.i0) * vStride;
        const uint8_t* v1 = vBase + int64_t(ty.i1) * vStride;
        auto* d = static_cast<uint8_t*>(dst.pixels) + int64_t(y) * dst.rowBytes;
        for (int x0 = 0; x0 < w; x0 += 2 * kChunk) {
            const int x1 = std::min(w, x0 + 2 * kChunk);
            // Chroma samples this chunk reads, one beyond on each side, interpolated down.
            const int c0 = std::max(0, x0 / 2 - 1), c1 = std::min(cw - 1, x1 / 2 + 1);
            for (int c = c0; c <= c1; ++c) {
                const int ui = c * cStep + uAt, vi = c * cStep + vAt;
                uLine[c - c0] = sample(u0, sb, ui) * (1 - ty.f) + sample(u1, sb, ui) * ty.f;
                vLine[c - c0] = sample(v0, sb, vi) * (1 - ty.f) + sample(v1, sb, vi) * ty.f;
            }
            for (int x = x0; x < x1; ++x) {
                const Tap tx = tap(x, p.chromaDivX, xOffset, cw);
                const double yv = sample(yRow, sb, x) * k - t.off[0];
                const double uv =
                    (uLine[tx.i0 - c0] * (1 - tx.f) + uLine[tx.i1 - c0] * tx.f) * k - t.off[1];
                const double vv =
                    (vLine[tx.i0 - c0] * (1 - tx.f) + vLine[tx.i1 - c0] * tx.f) * k - t.off[2];
                uint8_t* px = d + 4 * x;
                px[r] = out(t.m[0][0] * yv + t.m[0][1] * uv + t.m[0][2] * vv);
                px[g] = out(t.m[1][0] * yv + t.m[1][1] * uv + t.m[1][2] * vv);
                px[b] = out(t.m[2][0] * yv + t.m[2][1] * uv + t.m[2][2] * vv);
                if (a >= 0) px[a] = 255;
            }
        }
    }
    return 0;
}

}  // namespace zu::detail
