// Random format pairs, sizes, row bytes (too small included), tables present or absent:
// the converters must answer -2 or stay inside the exact-sized buffers they are given.
// Some inputs take the edge shapes (1 x 1, one row, 65535 wide) and frames large enough to
// be split over the worker threads, with 1 to 4 threads.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "video/convert/convert.h"
#include "video/convert/planar.h"

using namespace zu::detail;

namespace {

const unsigned kCodes[] = {
    ZU_PF_2vuy, ZU_PF_2Vuy, ZU_PF_uyv9, ZU_PF_jpgq, ZU_PF_dvhd, ZU_PF_dv51, ZU_PF_dv26,
    ZU_PF_mjbq, ZU_PF_mjaq, ZU_PF_yuy2, ZU_PF_mjai, ZU_PF_vuyp, ZU_PF_v219, ZU_PF_V219,
    ZU_PF_aphq, ZU_PF_apnq, ZU_PF_bgrA, ZU_PF_rleq, ZU_PF_rgba, ZU_PF_rgbb, ZU_PF_argB,
    ZU_PF_abgr, ZU_PF_rgb_, ZU_PF_rg2b, ZU_PF_mjbi, ZU_PF_bgr_, ZU_PF_RGB_, ZU_PF_RGBA,
    ZU_PF_BGRA, ZU_PF_ARGB, ZU_PF_BRgB, ZU_PF_ARgB, ZU_PF_RGb_, ZU_PF_RGbA, ZU_PF_10rl,
    ZU_PF_11rl, ZU_PF_10rb, ZU_PF_11rb, ZU_PF_11rQ, ZU_PF_10RG, ZU_PF_10RS, ZU_PF_BPrF,
    ZU_PF_YVrF, ZU_PF__RgB, ZU_PF_RgBA, ZU_PF_BGR_, ZU_PF_BGr_, ZU_PF_BGrA, ZU_PF__RgF,
    ZU_PF_ARgF, ZU_PF_BGrF, ZU_PF_RgBF, ZU_PF_10RA, ZU_PF_10yb, 0x12345678u,
};
constexpr size_t kCodeCount = sizeof kCodes / sizeof kCodes[0];

using Reader = zu::fuzz::Input;

// Every level by name: Auto alone would only ever run the best one this processor has. A
// level it lacks runs as the next one below (Neon as Scalar).
const Kernel kKernels[] = {Kernel::Auto,   Kernel::Reference,  Kernel::Scalar,
                           Kernel::Sse2,   Kernel::Avx2,       Kernel::Avx512,
                           Kernel::Avx512Vbmi, Kernel::Neon};
constexpr size_t kKernelCount = sizeof kKernels / sizeof kKernels[0];

// Row bytes: mostly what is needed, sometimes short by a little, padded, or negative.
int mutated(Reader& r, int need) {
    switch (r.byte() % 8) {
        case 0: return need - r.range(1, 8);
        case 1: return need + r.range(1, 64);
        case 2: return -r.range(0, 16);
        default: return need;
    }
}

int rowBytes(Reader& r, unsigned code, int width) {
    const FormatInfo* f = formatInfo(code);
    const int64_t need = f ? minRowBytes(*f, width) : -1;
    return mutated(r, need < 0 ? width * 4 : int(need));
}

// Planar frames: odd sizes, short, padded or negative strides, missing planes, into an
// exact-sized 4-byte RGB destination or a wrong one.
int fuzzPlanar(Reader& r) {
    const unsigned codes[] = {ZU_PF_NV12, ZU_PF_NV21, ZU_PF_I420, ZU_PF_YV12,
                              ZU_PF_I422, ZU_PF_P010, ZU_PF_P016, ZU_PF_P210,
                              ZU_PF_P216, ZU_PF_I010, ZU_PF_2vuy};
    PlanarImage s{};
    s.format = codes[r.byte() % (sizeof codes / sizeof codes[0])];
    s.width = r.range(-2, 70), s.height = r.range(-2, 20);
    const PlanarInfo* p = planarInfo(s.format);
    std::vector<uint8_t> planes[3];
    for (int i = 0; i < 3; ++i) {
        const int sb = p ? p->sampleBytes : 1;
        const int cw = (s.width + 1) / 2, w = i == 0 ? s.width : p && p->interleaved ? 2 * cw : cw;
        const int rows = i == 0 || !p ? s.height : (s.height + p->chromaDivY - 1) / p->chromaDivY;
        const int need = s.rowBytes[i] = mutated(r, std::max(0, w) * sb);
        if (need > 0 && rows > 0 && (r.byte() % 8)) {
            planes[i].resize(size_t(need) * size_t(rows));
            for (auto& b : planes[i]) b = r.byte();
            s.planes[i] = planes[i].data();
        }
    }
    const unsigned dfmt = (r.byte() & 1) ? ZU_PF_bgrA : ZU_PF_rgb_;
    const int dw = (r.byte() % 4) ? s.width : r.range(0, 70), dh = s.height;
    std::vector<uint8_t> dst(dw > 0 && dh > 0 ? size_t(dw) * 4 * size_t(dh) : 0);
    const DstImage d{dst.empty() ? nullptr : dst.data(), dw, dh, dfmt, dw * 4};
    YuvToRgb t{};
    for (auto& row : t.m)
        for (double& v : row) v = (r.byte() - 128) / 32.0;
    for (double& v : t.off) v = r.byte();
    planarToRgb(s, d, t, r.byte() & 1);
    return 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader r{data, size};
    if (r.byte() % 8 == 0) return fuzzPlanar(r);
    const unsigned sfmt = kCodes[r.byte() % kCodeCount];
    const unsigned dfmt = kCodes[r.byte() % kCodeCount];
    const bool fallback = r.byte() & 1;
    int sw = r.range(0, 96), sh = r.range(0, 24);
    int dw = r.range(0, 96), dh = r.range(0, 24);
    if (r.byte() & 1) dw = sw / (1 << r.range(0, 4)), dh = sh / (1 << r.range(0, 4));
    switch (r.byte() % 16) {
        case 0:
            sw = sh = dw = dh = 1;
            break;
        case 1:
            sh = dh = 1;
            break;
        case 2:
            sw = dw = 65535, sh = dh = 2;
            break;
        case 3:  // over the size that is split
            sw = dw = 65535, sh = 8, dh = r.range(8, 9);
            break;
        case 4:
            sw = 1024, sh = 512, dw = 1024 >> r.range(0, 1), dh = 512 << r.range(0, 1);
            break;
        default:
            break;
    }
    ZUSetConvertThreads(r.range(1, 4));
    const int srb = rowBytes(r, sfmt, sw), drb = rowBytes(r, dfmt, dw);

    std::vector<uint8_t> src(size_t(srb > 0 && sh > 0 ? int64_t(srb) * sh : 0));
    std::vector<uint8_t> dst(size_t(drb > 0 && dh > 0 ? int64_t(drb) * dh : 0));
    if (src.size() <= 4096) {
        for (auto& b : src) b = r.byte();
    } else {
        uint32_t x = r.byte() * 2654435761u + 1;
        for (auto& b : src) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
    }
    SrcImage s{src.empty() ? nullptr : src.data(), sw, sh, sfmt, srb};
    DstImage d{dst.empty() ? nullptr : dst.data(), dw, dh, dfmt, drb};
    if (src.empty() && (r.byte() & 1)) s.pixels = data;  // a non-null pointer to nothing

    const uint8_t flags = r.byte();
    if (fallback) {
        ZuColorDescriptor desc{};
        desc.standard = r.range(-1, 6);
        desc.fullRangeTop = flags & 1;
        desc.fullRangeBottom = flags & 2;
        uint32_t border = uint32_t(r.byte()) * 0x01010101u;
        FallbackScaler sc;
        sc.convert(s, d, flags & 4, (flags & 8) ? nullptr : &desc, flags & 16,
                   (flags & 32) ? &border : nullptr, kKernels[r.byte() % kKernelCount]);
        return 0;
    }

    // Host tables sized as the contract says: 1024 entries for 10-bit sources.
    const FormatInfo* sf = formatInfo(sfmt);
    const size_t n = sf && sf->maxValue == 1023 ? 1024 : 256;
    std::vector<double> dt[16];
    for (auto& t : dt) {
        t.resize(n);
        for (size_t i = 0; i < n; ++i) t[i] = (double(i) - 128.0) * (r.byte() / 64.0);
    }
    static short fast[3][256][4];
    for (auto& t : fast)
        for (auto& e : t)
            for (short& v : e) v = short(r.byte() << 8 | r.byte());
    ZuColorTables tables{};
    double** slots[] = {&tables.redFromLuma,  &tables.redFromCr,    &tables.blueFromLuma,
                        &tables.blueFromCb,   &tables.greenFromLuma, &tables.greenFromCr,
                        &tables.greenFromCb,  &tables.lumaFromRed,  &tables.lumaFromGreen,
                        &tables.lumaFromBlue, &tables.cbFromRed,    &tables.cbFromGreen,
                        &tables.cbFromBlue,   &tables.crFromRed,    &tables.crFromGreen,
                        &tables.crFromBlue};
    const uint8_t missing = r.byte();
    for (int i = 0; i < 16; ++i) *slots[i] = (missing == i) ? nullptr : dt[i].data();
    if (missing != 20) tables.fastLuma = fast[0];
    tables.fastCb = fast[1];
    tables.fastCr = fast[2];

    const int lutCount = r.range(0, 255) * 5;
    std::vector<int> lut[3];
    for (auto& t : lut) {
        t.resize(size_t(lutCount));
        for (int& v : t) v = int(r.byte()) * 5 - 100;
    }
    ZuRGBLUT l{lut[0].data(), lut[1].data(), lut[2].data(), nullptr, lutCount};

    TableOptions o;
    o.flip = flags & 1;
    o.fieldShift = flags & 2;
    o.fast = flags & 4;
    o.fullRangeTop = flags & 8;
    o.fullRangeBottom = flags & 16;
    o.tables = (flags & 32) ? nullptr : &tables;
    o.lut = (flags & 64) ? &l : nullptr;
    o.alpha = r.range(0, 3) == 0 ? -1.0 : r.byte() * 1.5 - 20;
    tableConvert(s, d, o, kKernels[r.byte() % kKernelCount]);
    return 0;
}
