// The table converter: integer power-of-two scaling, colour from the host's tables.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "video/convert/convert.h"
#include "video/convert/pixel_io.h"
#include "video/convert/plan_cache.h"
#include "video/convert/workers.h"

namespace zu::detail {
namespace {

struct Factor {
    bool down = false;
    int f = 1;
};

bool findFactor(int s, int d, Factor& out) {
    if (d < s) {
        for (int f = 2; f <= 16; f *= 2)
            if (s / f == d) return out = {true, f}, true;
        return false;
    }
    if (d == s) return out = {false, 1}, true;
    for (int f = 2; f <= 16; f *= 2)
        if (d / f == s) return out = {false, f}, true;
    return false;
}

enum class Path { Fast, General, RgbRgb, YuvYuv, RgbYuv, ToFloatYuv, FromFloatYuv };

struct Job {
    const FormatInfo* sf;
    const FormatInfo* df;
    int sw, dw;
    Factor h;
    TableOptions opt;
    Path path;
    double dstMax;
    double alpha;  // resolved alpha for destinations that take the argument
};

// Source pixel for destination pixel x. Pair sampling keeps both pixels of every d-th
// pair when down-scaling, so 4:2:2 chroma stays with its luma.
int mapX(const Job& j, int x, bool pairs) {
    int sx;
    if (j.h.down)
        sx = pairs ? (x >> 1) * 2 * j.h.f + (x & 1) : x * j.h.f;
    else
        sx = x / j.h.f;
    return std::min(sx, j.sw - 1);
}

int lutEntry(const int* table, int count, int idx) {
    return table[std::clamp(idx, 0, count - 1)];
}

// Index into a look-up table from a double that may hold anything the host's tables gave.
int lutIndex(double v) {
    return truncClamp(v, 0, INT_MAX / 8);
}

double resolveAlpha(double a, double m) {
    if (std::isnan(a) || a == -1.0 || a > m) return m;
    if (a < 0) return 0;
    return a;
}

// ---- fast path -----------------------------------------------------------------------

inline short sat16(int v) {
    return short(std::clamp(v, -32768, 32767));
}

// Lane sums are saturating 16-bit additions, (luma + Cb) + Cr, as the vector units do;
// for any table meant for bytes this is the plain sum.
inline uint8_t fastLane(const short* y, const short* cb, const short* cr, int i) {
    int s = sat16(sat16(y[i] + cb[i]) + cr[i]);
    return uint8_t(std::clamp(s, 0, 255));
}

void fastRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const ZuColorTables& t = *j.opt.tables;
    bool pairs = is422(*j.sf);
    for (int x = 0; x < j.dw; ++x) {
        int sx = mapX(j, x, pairs);
        int yuv[3];
        if (pairs) {
            yuv[0] = load422(*j.sf, s, kY, sx);
            yuv[1] = load422(*j.sf, s, kU, sx >> 1);
            yuv[2] = load422(*j.sf, s, kV, sx >> 1);
        } else {
            load444(*j.sf, s + sx * 4, yuv);
        }
        for (int i = 0; i < 4; ++i)
            d[x * 4 + i] = fastLane(t.fastLuma[yuv[0]], t.fastCb[yuv[1]], t.fastCr[yuv[2]], i);
    }
}

void fastRowLut(const Job& j, uint8_t* d) {
    const ZuRGBLUT& l = *j.opt.lut;
    auto apply = [&](const int* table, uint8_t& v) {
        v = uint8_t(std::clamp(lutEntry(table, l.count, 4 * v) / 4, 0, 255));
    };
    for (int x = 0; x < j.dw; ++x) {
        apply(l.blue, d[x * 4]);
        apply(l.green, d[x * 4 + 1]);
        apply(l.red, d[x * 4 + 2]);
    }
}

// ---- general YUV to RGB --------------------------------------------------------------

double finishFromYuv(const Job& j, double v, const int* lutTable) {
    const double srcMax = j.sf->maxValue;
    const double m = j.dstMax;
    const bool floatDst = j.df->family == Family::RgbFloat;
    if (lutTable) {
        int idx = lutIndex(v) * (srcMax == 255 ? 4 : 1);
        v = lutEntry(lutTable, j.opt.lut->count, idx);
        if (m == 255)
            v = v * 0.25 + 0.5;
        else if (floatDst)
            v = v / 1023.0;  // entries are on a 10-bit scale
    } else if (srcMax == 1023 && m == 255) {
        v = v * 0.25 + 0.5;
    } else if (floatDst) {
        v = v / srcMax;
    } else if (srcMax != m) {
        v = v / srcMax * m + 0.5;
    }
    return clampD(v, 0, m);
}

void generalRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const ZuColorTables& t = *j.opt.tables;
    const ZuRGBLUT* l = j.opt.lut;
    const bool pairs = is422(*j.sf);
    const int srcPairs = j.sw / 2;
    const int bpp = j.df->bytesPerPixel;
    for (int x = 0; x < j.dw; ++x) {
        int sx = mapX(j, x, pairs);
        int y, u, v;
        if (pairs) {
            int p = sx >> 1;
            y = load422(*j.sf, s, kY, sx);
            u = load422(*j.sf, s, kU, p);
            v = load422(*j.sf, s, kV, p);
            if ((sx & 1) && p + 1 < srcPairs) {
                u = int((u + load422(*j.sf, s, kU, p + 1)) * 0.5 + 0.5);
                v = int((v + load422(*j.sf, s, kV, p + 1)) * 0.5 + 0.5);
            }
        } else {
            int yuv[3];
            load444(*j.sf, s + sx * 4, yuv);
            y = yuv[0], u = yuv[1], v = yuv[2];
        }
        double c[4] = {};
        c[0] = t.redFromLuma[y] + t.redFromCr[v] + 0.5;
        c[1] = t.greenFromLuma[y] + t.greenFromCr[v] + t.greenFromCb[u] + 0.5;
        c[2] = t.blueFromLuma[y] + t.blueFromCb[u] + 0.5;
        c[0] = finishFromYuv(j, c[0], l ? l->red : nullptr);
        c[1] = finishFromYuv(j, c[1], l ? l->green : nullptr);
        c[2] = finishFromYuv(j, c[2], l ? l->blue : nullptr);
        c[3] = j.alpha;
        storeRgb(*j.df, d + x * bpp, c);
    }
}

// ---- RGB to RGB ----------------------------------------------------------------------

// Look-up index on the table's 10-bit scale.
int rgbLutIndex(const FormatInfo& f, double v) {
    switch (f.family) {
        case Family::Rgb10:
            return lutIndex(v);
        case Family::Rgb16:
            return lutIndex(v) >> (f.maxValue == 65535 ? 6 : 5);
        case Family::RgbFloat:
            return lutIndex(v * 1023.0);
        default:
            return lutIndex(v) * 4;
    }
}

void rgbRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const FormatInfo& sf = *j.sf;
    const FormatInfo& df = *j.df;
    const ZuRGBLUT* l = j.opt.lut;
    const int* tables[3] = {l ? l->red : nullptr, l ? l->green : nullptr, l ? l->blue : nullptr};
    for (int x = 0; x < j.dw; ++x) {
        int sx = mapX(j, x, false);
        double c[4] = {};
        bool hasAlpha = loadRgb(sf, s + sx * sf.bytesPerPixel, c);
        for (int i = 0; i < 3; ++i) {
            double v;
            if (l) {
                v = lutEntry(tables[i], l->count, rgbLutIndex(sf, c[i]));
                if (df.hi == 255)
                    v = v * 0.25 + 0.5;
                else if (df.family == Family::RgbFloat)
                    v = v / 1023.0;
                else if (df.family != Family::Rgb10)
                    v = v / 1023.0 * df.hi + 0.5;
            } else {
                v = mapRgbRange(sf, df, c[i]);
            }
            c[i] = clampD(v, df.lo, df.hi);
        }
        if (df.family != Family::Rgb8)
            c[3] = df.maxValue;
        else if (hasAlpha)
            c[3] = clampD(mapRgbRange(sf, df, c[3]), 0, 255);
        else
            c[3] = j.alpha;
        storeRgb(df, d + x * df.bytesPerPixel, c);
    }
}

// ---- YUV to YUV, RGB to YUV ----------------------------------------------------------

int to10(int v, bool luma, const TableOptions& o) {
    int lo = o.fullRangeBottom ? 0 : 64;
    int hi = o.fullRangeTop ? 1023 : (luma ? 940 : 960);
    return std::clamp(int(v * 4.0 + 0.5), lo, hi);
}
int to8(int v) {
    return std::clamp(int(v * 0.25 + 0.5), 0, 255);
}

void yuvRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const FormatInfo& sf = *j.sf;
    const FormatInfo& df = *j.df;
    const bool src8 = sf.maxValue == 255;
    const bool dst8 = df.family == Family::Yuv422x8;
    for (int k = 0; k < j.dw / 2; ++k) {
        int s0 = mapX(j, 2 * k, true), s1 = mapX(j, 2 * k + 1, true);
        int y0, y1, u, v;
        if (is422(sf)) {
            y0 = load422(sf, s, kY, s0);
            y1 = load422(sf, s, kY, s1);
            u = load422(sf, s, kU, s0 >> 1);
            v = load422(sf, s, kV, s0 >> 1);
        } else {
            int a[3], b[3];
            load444(sf, s + s0 * 4, a);
            load444(sf, s + s1 * 4, b);
            y0 = a[0], y1 = b[0];
            u = (a[1] + b[1]) / 2;
            v = (a[2] + b[2]) / 2;
        }
        if (src8 && !dst8) {
            y0 = to10(y0, true, j.opt), y1 = to10(y1, true, j.opt);
            u = to10(u, false, j.opt), v = to10(v, false, j.opt);
        } else if (!src8 && dst8) {
            y0 = to8(y0), y1 = to8(y1), u = to8(u), v = to8(v);
        }
        store422(df, d, kY, 2 * k, y0);
        store422(df, d, kY, 2 * k + 1, y1);
        store422(df, d, kU, k, u);
        store422(df, d, kV, k, v);
    }
}

// "YVrF" against 4:2:2: luma = (Y - 16) / 219, chroma = (C - 128) / 224 for 8 bits,
// (Y - 64) / 876 and (C - 512) / 896 for 10 bits. Pixels are Cr, Cb, Y, 1.0.
struct FloatScale {
    double yLo, yRange, cMid, cRange;
};
FloatScale floatScale(const FormatInfo& f) {
    if (f.maxValue == 1023) return {64, 876, 512, 896};
    return {16, 219, 128, 224};
}

void toFloatYuvRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const FormatInfo& sf = *j.sf;
    const FloatScale k = floatScale(sf);
    for (int x = 0; x < j.dw; ++x) {
        int sx = mapX(j, x, true);
        const double y = load422(sf, s, kY, sx);
        const double u = load422(sf, s, kU, sx >> 1), v = load422(sf, s, kV, sx >> 1);
        uint8_t* px = d + 16 * x;
        storeFloat(px + 4 * j.df->slot[0], float((y - k.yLo) / k.yRange));
        storeFloat(px + 4 * j.df->slot[1], float((u - k.cMid) / k.cRange));
        storeFloat(px + 4 * j.df->slot[2], float((v - k.cMid) / k.cRange));
        storeFloat(px + 12, 1.0f);
    }
}

void fromFloatYuvRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const FormatInfo& sf = *j.sf;
    const FormatInfo& df = *j.df;
    const FloatScale k = floatScale(df);
    const bool dst8 = df.family == Family::Yuv422x8;
    const int lo = dst8 || j.opt.fullRangeBottom ? 0 : 64;
    const int hiY = dst8 ? 255 : j.opt.fullRangeTop ? 1023 : 940;
    const int hiC = dst8 ? 255 : j.opt.fullRangeTop ? 1023 : 960;
    for (int p = 0; p < j.dw / 2; ++p) {
        const uint8_t* a = s + 16 * mapX(j, 2 * p, true);
        const uint8_t* b = s + 16 * mapX(j, 2 * p + 1, true);
        auto comp = [&](const uint8_t* px, int c) {
            return double(loadFloat(px + 4 * sf.slot[c]));
        };
        auto luma = [&](double v) { return truncClamp(v * k.yRange + k.yLo + 0.5, lo, hiY); };
        auto chroma = [&](double v) { return truncClamp(v * k.cRange + k.cMid + 0.5, lo, hiC); };
        store422(df, d, kY, 2 * p, luma(comp(a, 0)));
        store422(df, d, kY, 2 * p + 1, luma(comp(b, 0)));
        store422(df, d, kU, p, chroma((comp(a, 1) + comp(b, 1)) * 0.5));
        store422(df, d, kV, p, chroma((comp(a, 2) + comp(b, 2)) * 0.5));
    }
}

int clamp8(double v) {
    return truncClamp(v + 0.5, 0, 255);
}

void rgbYuvRowReference(const Job& j, const uint8_t* s, uint8_t* d) {
    const ZuColorTables& t = *j.opt.tables;
    const FormatInfo& sf = *j.sf;
    for (int k = 0; k < j.dw / 2; ++k) {
        int c[2][3];
        for (int p = 0; p < 2; ++p) {
            double v[4] = {};
            loadRgb(sf, s + mapX(j, 2 * k + p, true) * sf.bytesPerPixel, v);
            for (int i = 0; i < 3; ++i) c[p][i] = int(v[i]);
        }
        auto cb = [&](const int* px) {
            return t.cbFromRed[px[0]] + t.cbFromGreen[px[1]] + t.cbFromBlue[px[2]];
        };
        auto cr = [&](const int* px) {
            return t.crFromRed[px[0]] + t.crFromGreen[px[1]] + t.crFromBlue[px[2]];
        };
        for (int p = 0; p < 2; ++p) {
            const int* px = c[p];
            double y = t.lumaFromRed[px[0]] + t.lumaFromGreen[px[1]] + t.lumaFromBlue[px[2]];
            store422(*j.df, d, kY, 2 * k + p, clamp8(y));
        }
        store422(*j.df, d, kU, k, clamp8((cb(c[0]) + cb(c[1])) * 0.5));
        store422(*j.df, d, kV, k, clamp8((cr(c[0]) + cr(c[1])) * 0.5));
    }
}

bool hasGeneralTables(const ZuColorTables* t) {
    return t && t->redFromLuma && t->redFromCr && t->blueFromLuma && t->blueFromCb &&
           t->greenFromLuma && t->greenFromCr && t->greenFromCb;
}
bool hasFastTables(const ZuColorTables* t) {
    return t && t->fastLuma && t->fastCb && t->fastCr;
}
bool hasRgbYuvTables(const ZuColorTables* t) {
    return t && t->lumaFromRed && t->lumaFromGreen && t->lumaFromBlue && t->cbFromRed &&
           t->cbFromGreen && t->cbFromBlue && t->crFromRed && t->crFromGreen && t->crFromBlue;
}

double rangeMax(const FormatInfo& f) {
    return f.family == Family::Rgb10 ? 1023 : f.maxValue;
}

// Picks the path for a format pair, or returns false for -2.
bool choosePath(Job& j) {
    const FormatInfo& sf = *j.sf;
    const FormatInfo& df = *j.df;
    const ZuColorTables* t = j.opt.tables;
    const bool srcYuvInt = sf.family == Family::Yuv422x8 || sf.family == Family::Yuv422x10 ||
                           sf.family == Family::Yuv444x8;
    if (srcYuvInt && isRgb(df)) {
        if (j.opt.fast && df.code == ZU_PF_bgrA && sf.family != Family::Yuv422x10 &&
            hasFastTables(t))
            return j.path = Path::Fast, true;
        if (!hasGeneralTables(t)) return false;
        return j.path = Path::General, true;
    }
    if (isRgb(sf) && isRgb(df)) return j.path = Path::RgbRgb, true;
    if (df.family == Family::Yuv422x8 &&
        (sf.family == Family::Yuv422x8 || sf.family == Family::Yuv422x10 ||
         sf.family == Family::Yuv444x8))
        return j.path = Path::YuvYuv, true;
    if (df.family == Family::Yuv422x10 &&
        (sf.family == Family::Yuv422x8 || sf.family == Family::Yuv444x8))
        return j.path = Path::YuvYuv, true;
    if (is422(sf) && df.family == Family::YuvFloat) return j.path = Path::ToFloatYuv, true;
    if (sf.family == Family::YuvFloat && is422(df)) return j.path = Path::FromFloatYuv, true;
    if (sf.family == Family::Rgb8 && df.family == Family::Yuv422x8) {
        if (!hasRgbYuvTables(t)) return false;
        return j.path = Path::RgbYuv, true;
    }
    return false;
}

using RowFn = void (*)(const Job&, const uint8_t*, uint8_t*);

// The host's tables interleaved in the destination's byte order. Sums get + 0.5; 10-bit
// sources are then brought to bytes by v * 0.25 + 0.5, as the reference does.
void buildHostTerms(const ZuColorTables& h, const FormatInfo& sf, const FormatInfo& df,
                    double alpha, RgbTerms& t) {
    std::memset(&t, 0, sizeof t);
    const int n = sf.maxValue == 1023 ? 1024 : 256;
    const int r = df.slot[0], g = df.slot[1], b = df.slot[2], a = df.slot[3];
    for (int i = 0; i < n; ++i) {
        t.luma[i][r] = h.redFromLuma[i];
        t.luma[i][g] = h.greenFromLuma[i];
        t.luma[i][b] = h.blueFromLuma[i];
        t.luma[i][a] = alpha;
        t.cr[i][r] = h.redFromCr[i];
        t.cr[i][g] = h.greenFromCr[i];
        t.cb[i][g] = h.greenFromCb[i];
        t.cb[i][b] = h.blueFromCb[i];
    }
    t.scale[a] = 1.0;
    for (int i : {r, g, b}) {
        t.half[i] = 0.5;
        t.scale[i] = n == 256 ? 1.0 : 0.25;
        t.half2[i] = n == 256 ? 0.0 : 0.5;
    }
}

enum class RowKind { Reference, Terms, Shuffle, Fast };

struct TablePlan {
    Job job;  // opt's pointers are the ones of the call that made the plan: not to be read
    unsigned tableSets = 0;
    Factor v;
    RowFn row;
    RowKind kind;
    Kernel kernel;
    FastRowArgs fast;  // tables filled per call
    uint8_t shuffle[4];
    std::unique_ptr<RgbTerms> terms;
    bool hasArith = false;
    ArithCoeffs arith{};
    std::vector<double> hostTables;  // the seven tables the terms were made from
    std::unique_ptr<FastColumns> columns;
    std::unique_ptr<FastArith> fastArith;
    std::vector<short> fastTables;  // the three tables the columns were made from
    int64_t dMin;
    unsigned sfmt, dfmt;
    int sw, sh, dw, dh;
};

bool sameOptions(const TableOptions& a, const TableOptions& b) {
    return a.flip == b.flip && std::memcmp(&a.alpha, &b.alpha, sizeof a.alpha) == 0 &&
           a.fullRangeTop == b.fullRangeTop && a.fullRangeBottom == b.fullRangeBottom &&
           (a.lut != nullptr) == (b.lut != nullptr) && a.fieldShift == b.fieldShift &&
           a.fast == b.fast;
}

// Which table sets a call brings; kept in the plan, since the tables of the call that made
// it may be gone by the next.
unsigned tableSets(const ZuColorTables* t) {
    return unsigned(hasFastTables(t)) | unsigned(hasGeneralTables(t)) << 1 |
           unsigned(hasRgbYuvTables(t)) << 2;
}

constexpr size_t kFastEntries = 256 * 4;

// Terms and columns depend on the contents of the host's tables, not on where they live: a
// plan is reused only while the contents are the same.
bool sameHostTables(const TablePlan& p, const ZuColorTables* t) {
    if (!p.fastTables.empty()) {
        const short* fast[3] = {&t->fastLuma[0][0], &t->fastCb[0][0], &t->fastCr[0][0]};
        for (int k = 0; k < 3; ++k)
            if (std::memcmp(fast[k], p.fastTables.data() + k * kFastEntries,
                            kFastEntries * sizeof(short)) != 0)
                return false;
    }
    if (p.hostTables.empty()) return true;
    const size_t n = p.hostTables.size() / 7;
    const double* tabs[7] = {t->redFromLuma,   t->redFromCr,   t->blueFromLuma, t->blueFromCb,
                             t->greenFromLuma, t->greenFromCr, t->greenFromCb};
    for (int k = 0; k < 7; ++k)
        if (std::memcmp(tabs[k], p.hostTables.data() + k * n, n * sizeof(double)) != 0)
            return false;
    return true;
}

// The fast tables a plan's kernel data were made from.
[[maybe_unused]] void keepFastTables(const ZuColorTables& t, std::vector<short>& out) {
    const short* fast[3] = {&t.fastLuma[0][0], &t.fastCb[0][0], &t.fastCr[0][0]};
    out.resize(3 * kFastEntries);
    for (int k = 0; k < 3; ++k)
        std::copy(fast[k], fast[k] + kFastEntries, out.data() + k * kFastEntries);
}

std::shared_ptr<const TablePlan> makePlan(const SrcImage& src, const DstImage& dst,
                                          const TableOptions& opt, Kernel kernel) {
    const FormatInfo* sf = formatInfo(src.format);
    const FormatInfo* df = formatInfo(dst.format);
    auto p = std::make_shared<TablePlan>();
    Job& j = p->job;
    j.sf = sf;
    j.df = df;
    j.sw = src.width;
    j.dw = dst.width;
    j.opt = opt;
    p->tableSets = tableSets(opt.tables);
    if (!findFactor(src.width, dst.width, j.h) || !findFactor(src.height, dst.height, p->v))
        return nullptr;
    if (!choosePath(j)) return nullptr;
    j.dstMax = rangeMax(*df);
    j.alpha = resolveAlpha(opt.alpha, j.dstMax);
    p->sfmt = src.format, p->dfmt = dst.format;
    p->sw = src.width, p->sh = src.height, p->dw = dst.width, p->dh = dst.height;
    p->dMin = minRowBytes(*df, dst.width);
    p->kernel = kernel;

    switch (j.path) {
        case Path::Fast:
            p->row = fastRowReference;
            break;
        case Path::General:
            p->row = generalRowReference;
            break;
        case Path::RgbRgb:
            p->row = rgbRowReference;
            break;
        case Path::YuvYuv:
            p->row = yuvRowReference;
            break;
        case Path::RgbYuv:
            p->row = rgbYuvRowReference;
            break;
        case Path::ToFloatYuv:
            p->row = toFloatYuvRowReference;
            break;
        case Path::FromFloatYuv:
            p->row = fromFloatYuvRowReference;
            break;
    }
    p->kind = RowKind::Reference;
    if (kernel == Kernel::Reference) return p;

    if (j.path == Path::Fast && sf->family == Family::Yuv422x8 && (j.h.down || j.h.f == 1) &&
        dst.width % 2 == 0) {
        // The fast path's kernels take whole pairs from every d-th source pair.
        p->kind = RowKind::Fast;
        FastRowArgs& fa = p->fast;
        fa.pairs = dst.width / 2;
        fa.step = j.h.f;
        fa.uOff = sf->slot[0];
        fa.yOff0 = sf->slot[1];
        fa.vOff = sf->slot[2];
        fa.yOff1 = sf->slot[3];
#if defined(__x86_64__) || defined(__i386__)
        const ZuColorTables& t = *opt.tables;
        const bool wordLayout = (fa.uOff == 0 && fa.yOff0 == 1 && fa.vOff == 2 && fa.yOff1 == 3) ||
                                (fa.uOff == 1 && fa.yOff0 == 0 && fa.vOff == 3 && fa.yOff1 == 2);
        if (kernel == Kernel::Avx512Vbmi && (fa.step == 1 || fa.step == 2) && wordLayout) {
            p->columns = std::make_unique<FastColumns>();
            if (deriveFastColumns(t.fastLuma, t.fastCb, t.fastCr, *p->columns)) {
                keepFastTables(t, p->fastTables);
            } else {
                p->columns.reset();
            }
        } else if (usesAvx2(kernel) && (fa.step == 1 || fa.step == 2) && fa.pairs >= 8) {
            p->fastArith = std::make_unique<FastArith>();
            if (deriveFastArith(t.fastLuma, t.fastCb, t.fastCr, *p->fastArith)) {
                prepareFastArithAvx2(fa, *p->fastArith);
                keepFastTables(t, p->fastTables);
            } else {
                p->fastArith.reset();
            }
        }
#elif defined(__aarch64__)
        if (kernel == Kernel::Neon && (fa.step == 1 || fa.step == 2) && fa.pairs >= 16) {
            const ZuColorTables& t = *opt.tables;
            p->fastArith = std::make_unique<FastArith>();
            if (deriveFastArith(t.fastLuma, t.fastCb, t.fastCr, *p->fastArith))
                keepFastTables(t, p->fastTables);
            else
                p->fastArith.reset();
        }
#endif
    } else if (j.path == Path::General && !opt.lut && is422(*sf) && df->family == Family::Rgb8 &&
               df->bytesPerPixel == 4 && j.h.f == 1 && dst.width % 2 == 0) {
        // 4:2:2 into 4-byte RGB at equal width: the host's tables interleaved in the
        // destination's byte order, in integers when they are affine.
        p->kind = RowKind::Terms;
        p->terms = std::make_unique<RgbTerms>();
        buildHostTerms(*opt.tables, *sf, *df, j.alpha, *p->terms);
        const int n = sf->maxValue == 1023 ? 1024 : 256;
        const double* tabs[7] = {opt.tables->redFromLuma,   opt.tables->redFromCr,
                                 opt.tables->blueFromLuma,  opt.tables->blueFromCb,
                                 opt.tables->greenFromLuma, opt.tables->greenFromCr,
                                 opt.tables->greenFromCb};
        p->hostTables.resize(size_t(7) * n);
        for (int k = 0; k < 7; ++k)
            std::memcpy(p->hostTables.data() + size_t(k) * n, tabs[k], n * sizeof(double));
        p->hasArith = usesArith(kernel) && deriveArith(*p->terms, n, false, df->slot, p->arith);
    } else if (j.path == Path::RgbRgb && !opt.lut && sf->family == Family::Rgb8 &&
               df->family == Family::Rgb8 && sf->bytesPerPixel == 4 && df->bytesPerPixel == 4 &&
               j.h.f == 1) {
        // 4-byte to 4-byte 8-bit RGB at equal width is a byte shuffle.
        p->kind = RowKind::Shuffle;
        for (int i = 0; i < 4; ++i) p->shuffle[df->slot[i]] = uint8_t(sf->slot[i]);
    }
    return p;
}

PlanCache<TablePlan>& tablePlans() {
    static PlanCache<TablePlan> c;
    return c;
}

void convertRow(const TablePlan& p, const Job& j, const uint8_t* s, uint8_t* d) {
    const Kernel k = p.kernel;
    switch (p.kind) {
        case RowKind::Terms:
            termsRow(*j.sf, s, d, p.dw, false, p.terms.get(), p.hasArith ? &p.arith : nullptr, k);
            return;
        case RowKind::Shuffle:
#if defined(__x86_64__) || defined(__i386__)
            if (usesAvx2(k)) return shuffleRowAvx2(s, d, p.dw, p.shuffle);
#endif
            return shuffleRowScalar(s, d, p.dw, p.shuffle);
        case RowKind::Fast: {
            FastRowArgs fa = p.fast;
            fa.src = s;
            fa.dst = d;
            fa.luma = j.opt.tables->fastLuma;
            fa.cb = j.opt.tables->fastCb;
            fa.cr = j.opt.tables->fastCr;
#if defined(__x86_64__) || defined(__i386__)
            if (p.columns) return fastRowAvx512(fa, *p.columns);
            if (p.fastArith) return fastRowArithAvx2(fa, *p.fastArith);
            if (usesAvx2(k)) return fastRowAvx2(fa);
            if (k == Kernel::Sse2) return fastRowSse2(fa);
#elif defined(__aarch64__)
            if (p.fastArith) return fastRowArithNeon(fa, *p.fastArith);
#endif
            return fastRowScalar(fa);
        }
        case RowKind::Reference:
            return p.row(j, s, d);
    }
}

// The plan for a call, or null for -2.
std::shared_ptr<const TablePlan> findPlan(const SrcImage& src, const DstImage& dst,
                                          const TableOptions& opt, Kernel kernel) {
    const FormatInfo* sf = formatInfo(src.format);
    const FormatInfo* df = formatInfo(dst.format);
    if (!sf || !df || !sf->tableListed || !df->tableListed) return nullptr;
    if (!validImages(sf, df, src, dst)) return nullptr;
    if (opt.lut && (!opt.lut->red || !opt.lut->green || !opt.lut->blue || opt.lut->count <= 0))
        return nullptr;
    return tablePlans().get(
        [&](const TablePlan& p) {
            return p.sfmt == src.format && p.dfmt == dst.format && p.sw == src.width &&
                   p.sh == src.height && p.dw == dst.width && p.dh == dst.height &&
                   p.kernel == kernel && sameOptions(p.job.opt, opt) &&
                   p.tableSets == tableSets(opt.tables) && sameHostTables(p, opt.tables);
        },
        [&] { return makePlan(src, dst, opt, kernel); });
}

}  // namespace

RowPlan tableRowPlan(const SrcImage& src, const DstImage& dst, const TableOptions& opt,
                     Kernel kernel) {
    auto plan = findPlan(src, dst, opt, resolveKernel(kernel));
    if (!plan) return RowPlan::None;
    switch (plan->kind) {
        case RowKind::Terms:
            return plan->hasArith ? RowPlan::Arithmetic : RowPlan::Lookup;
        case RowKind::Shuffle:
            return RowPlan::Shuffle;
        case RowKind::Fast:
            return RowPlan::Fast;
        case RowKind::Reference:
            break;
    }
    return RowPlan::Reference;
}

int tableConvert(const SrcImage& src, const DstImage& dst, const TableOptions& opt, Kernel kernel) {
    auto plan = findPlan(src, dst, opt, resolveKernel(kernel));
    if (!plan) return -2;
    const TablePlan& p = *plan;
    Job j = p.job;
    j.opt = opt;  // this call's tables and look-up table

    const auto* sBase = static_cast<const uint8_t*>(src.pixels);
    auto* dBase = static_cast<uint8_t*>(dst.pixels);
    const int dh = dst.height;
    const Factor v = p.v;
    auto dRow = [&](int r) { return dBase + int64_t(opt.flip ? dh - 1 - r : r) * dst.rowBytes; };
    auto copyUp = [&](int r) { std::memmove(dRow(r), dRow(r - 1), size_t(p.dMin)); };
    const int converted = opt.fieldShift && dh > 1 ? dh - 1 : dh;
    const bool upRows = !v.down && v.f > 1;
    // Rows repeated by up-scaling copy the row above, so parts start at whole groups.
    forRows(converted, upRows ? v.f : 1, int64_t(dst.width) * dh, [&](int begin, int end) {
        for (int r = begin; r < end; ++r) {
            uint8_t* d = dRow(r);
            if (upRows && r % v.f != 0) {
                copyUp(r);
                continue;
            }
            int sr = v.down ? r * v.f : r / v.f;
            if (opt.fieldShift) ++sr;
            sr = std::min(sr, src.height - 1);
            convertRow(p, j, sBase + int64_t(sr) * src.rowBytes, d);
            if (j.path == Path::Fast && opt.lut) fastRowLut(j, d);
        }
    });
    for (int r = converted; r < dh; ++r) copyUp(r);
    return 0;
}

}  // namespace zu::detail
