// The fallback scaler: any size ratio, colour from the standard's descriptor.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "video/convert/convert.h"
#include "video/convert/pixel_io.h"
#include "video/convert/plan_cache.h"
#include "video/convert/workers.h"

namespace zu::detail {
namespace {

struct Standard {
    double luma[3], cb[3], cr[3];
    double gain, crR, cbB, crG, cbG;
    bool video;
};

constexpr Standard kStandards[6] = {
    {{0.29901, 0.58698, 0.11401},
     {0.17261, 0.33881, 0.51141},
     {0.51141, 0.42822, 0.08319},
     1.0,
     1.37073,
     1.73242,
     -0.69824,
     -0.33655,
     false},
    {{0.256788, 0.504129, 0.097906},
     {0.148224, 0.290992, 0.439216},
     {0.439216, 0.367788, 0.071428},
     1.164384,
     1.596027,
     2.017231,
     -0.812968,
     -0.39116,
     true},
    {{0.21252, 0.71539, 0.07208},
     {0.11713, 0.39429, 0.51141},
     {0.51141, 0.4646, 0.04681},
     1.0,
     1.53979,
     1.81439,
     -0.45746,
     -0.1828,
     false},
    {{0.182584, 0.614231, 0.062008},
     {0.100643, 0.338573, 0.439216},
     {0.439216, 0.398941, 0.040275},
     1.164384,
     1.792742,
     2.112402,
     -0.532909,
     -0.213249,
     true},
    {{0.21259, 0.71521, 0.0722},
     {0.11719, 0.39423, 0.51141},
     {0.51141, 0.46454, 0.04688},
     1.0,
     1.53967,
     1.81421,
     -0.45764,
     -0.18311,
     false},
    {{0.18256, 0.61426, 0.06201},
     {0.10065, 0.33856, 0.43921},
     {0.43921, 0.39893, 0.04028},
     1.16437,
     1.79285,
     2.11243,
     -0.53284,
     -0.21326,
     true},
};

enum class RowKind { YuvRgb, RgbRgb, Repack422, Pack444, RgbYuv };

struct Ctx {
    const FormatInfo* sf;
    const FormatInfo* df;
    RowKind kind;
    const ZuColorDescriptor* d;  // the scaler's copy
    ZuColorDescriptor rgbToYuv;  // weights with 8-bit offsets, for RGB sources
    bool keepAspect;
    int pictureWidth;  // keep aspect: width of the picture inside the destination row
    Kernel kernel;
    const RgbTerms* terms;     // equal-width 4:2:2 into 4-byte RGB, else null
    const ArithCoeffs* arith;  // the same in integers, when available
};

struct Row {
    const uint8_t* p;
    int width;
};
struct OutRow {
    uint8_t* p;
    int width;
};

int lo10(const ZuColorDescriptor& d) {
    return d.fullRangeBottom ? 0 : 64;
}
int hi10(const ZuColorDescriptor& d, bool chroma) {
    return d.fullRangeTop ? 1023 : (chroma ? 960 : 940);
}

// A colour component computed in the source's scale, brought to the destination's.
double toRgbDst(const Ctx& c, double v) {
    const FormatInfo& df = *c.df;
    const bool src8 = c.sf->maxValue == 255;
    switch (df.family) {
        case Family::Rgb8:
            return src8 ? truncClamp(v + 0.5, 0, 255) : truncClamp(v * 0.25 + 0.5, 0, 255);
        case Family::Rgb10: {
            int t = src8 ? truncClamp(v + 0.5, 0, 256) * 4 : truncClamp(v + 0.5, 0, 1023);
            return std::clamp(t, std::max(lo10(*c.d), int(df.lo)),
                              std::min(hi10(*c.d, false), int(df.hi)));
        }
        case Family::RgbFloat:
            return clampD(v / c.sf->maxValue, 0, 1);
        default:
            return truncClamp(v / c.sf->maxValue * df.maxValue + 0.5, 0, int(df.maxValue));
    }
}

void yuvPixel(const Ctx& c, double y, double cb, double cr, uint8_t* out) {
    const ZuColorDescriptor& d = *c.d;
    double px[4] = {};
    px[0] =
        toRgbDst(c, (y - d.redLumaOffset) * d.redLumaGain + (cr - d.redChromaOffset) * d.redCrGain);
    px[1] = toRgbDst(c, (y - d.greenLumaOffset) * d.greenLumaGain +
                            (cr - d.greenCrOffset) * d.greenCrGain +
                            (cb - d.greenCbOffset) * d.greenCbGain);
    px[2] = toRgbDst(
        c, (y - d.blueLumaOffset) * d.blueLumaGain + (cb - d.blueChromaOffset) * d.blueCbGain);
    px[3] = c.df->maxValue;
    storeRgb(*c.df, out, px);
}

// Span of a row conversion: n pixels from source pixel sx0 into destination pixel dx0.
struct Span {
    int sx0, dx0, n;
};

Span pairSpan(int sw, int dw, bool evenDst) {
    if (sw < dw) {
        int dx0 = (dw - sw) / 2;
        if (evenDst) dx0 &= ~1;
        return {0, dx0, sw};
    }
    return {0, 0, dw};
}

Span pixelSpan(int sw, int dw) {
    if (sw < dw) return {0, int((dw - sw) * 0.5 + 0.5), sw};
    return {int((sw - dw) * 0.5 + 0.5), 0, dw};
}

// Keep aspect: source pixel for picture pixel x, rounded the way rows are.
int nearest(int x, int sw, int pw) {
    return std::min(int(x * double(sw) / pw + 0.5), sw - 1);
}

void rowYuv422Rgb(const Ctx& c, Row s, OutRow d) {
    const FormatInfo& sf = *c.sf;
    const int bpp = c.df->bytesPerPixel;
    const int pairs = s.width / 2;
    if (c.keepAspect) {
        int dx0 = (d.width - c.pictureWidth) / 2;
        for (int x = 0; x < c.pictureWidth; ++x) {
            int sx = nearest(x, s.width, c.pictureWidth);
            yuvPixel(c, load422(sf, s.p, kY, sx), load422(sf, s.p, kU, sx >> 1),
                     load422(sf, s.p, kV, sx >> 1), d.p + (dx0 + x) * bpp);
        }
        return;
    }
    Span sp = pairSpan(s.width, d.width, false);
    if (c.terms && s.width == d.width) {
        termsRow(sf, s.p, d.p, s.width, true, c.terms, c.arith, c.kernel);
        return;
    }
    for (int i = 0; i < sp.n; ++i) {
        int sx = sp.sx0 + i, p = sx >> 1;
        double y = load422(sf, s.p, kY, sx);
        double u = load422(sf, s.p, kU, p), v = load422(sf, s.p, kV, p);
        if ((sx & 1) && p + 1 < pairs) {
            // Kept as fractions: the mean with the next pair is not rounded.
            u = (u + load422(sf, s.p, kU, p + 1)) * 0.5;
            v = (v + load422(sf, s.p, kV, p + 1)) * 0.5;
        }
        yuvPixel(c, y, u, v, d.p + (sp.dx0 + i) * bpp);
    }
}

void rowYuv444Rgb(const Ctx& c, Row s, OutRow d) {
    const int bpp = c.df->bytesPerPixel;
    Span sp = c.keepAspect ? Span{0, (d.width - c.pictureWidth) / 2, c.pictureWidth}
                           : pixelSpan(s.width, d.width);
    for (int i = 0; i < sp.n; ++i) {
        int sx = c.keepAspect ? nearest(i, s.width, c.pictureWidth) : sp.sx0 + i;
        int yuv[3];
        load444(*c.sf, s.p + sx * 4, yuv);
        yuvPixel(c, yuv[0], yuv[1], yuv[2], d.p + (sp.dx0 + i) * bpp);
    }
}

void rowRgbRgb(const Ctx& c, Row s, OutRow d) {
    const FormatInfo& sf = *c.sf;
    const FormatInfo& df = *c.df;
    Span sp = c.keepAspect ? Span{0, (d.width - c.pictureWidth) / 2, c.pictureWidth}
                           : pixelSpan(s.width, d.width);
    if (!c.keepAspect && sf.code == df.code && sf.bytesPerPixel <= 4) {
        std::memcpy(d.p + sp.dx0 * df.bytesPerPixel, s.p + sp.sx0 * sf.bytesPerPixel,
                    size_t(sp.n) * sf.bytesPerPixel);
        return;
    }
    for (int i = 0; i < sp.n; ++i) {
        int sx = c.keepAspect ? nearest(i, s.width, c.pictureWidth) : sp.sx0 + i;
        double px[4] = {};
        bool hasAlpha = loadRgb(sf, s.p + sx * sf.bytesPerPixel, px);
        for (int k = 0; k < 3; ++k) px[k] = clampD(mapRgbRange(sf, df, px[k]), df.lo, df.hi);
        if (df.family == Family::Rgb8 && hasAlpha)
            px[3] = clampD(mapRgbRange(sf, df, px[3]), 0, 255);
        else
            px[3] = df.maxValue;
        storeRgb(df, d.p + (sp.dx0 + i) * df.bytesPerPixel, px);
    }
}

// Y, U, V of one destination pair in the destination's depth.
void storePair(const Ctx& c, uint8_t* d, int dp, int y0, int y1, int u, int v, bool src8) {
    const FormatInfo& df = *c.df;
    const bool dst8 = df.family == Family::Yuv422x8;
    if (src8 && !dst8) {
        auto t = [&](int x, bool chroma) {
            return std::clamp(int(x * 4.0 + 0.5), lo10(*c.d), hi10(*c.d, chroma));
        };
        y0 = t(y0, false), y1 = t(y1, false), u = t(u, true), v = t(v, true);
    } else if (!src8 && dst8) {
        auto t = [](int x) { return std::clamp(int(x * 0.25 + 0.5), 0, 255); };
        y0 = t(y0), y1 = t(y1), u = t(u), v = t(v);
    }
    store422(df, d, kY, 2 * dp, y0);
    store422(df, d, kY, 2 * dp + 1, y1);
    store422(df, d, kU, dp, u);
    store422(df, d, kV, dp, v);
}

void rowRepack422(const Ctx& c, Row s, OutRow d) {
    const FormatInfo& sf = *c.sf;
    const bool src8 = sf.family == Family::Yuv422x8;
    if (c.keepAspect) {
        int dx0 = ((d.width - c.pictureWidth) / 2) & ~1;
        for (int k = 0; k < c.pictureWidth / 2; ++k) {
            int sx = nearest(2 * k, s.width, c.pictureWidth) & ~1;
            storePair(c, d.p, dx0 / 2 + k, load422(sf, s.p, kY, sx), load422(sf, s.p, kY, sx + 1),
                      load422(sf, s.p, kU, sx >> 1), load422(sf, s.p, kV, sx >> 1), src8);
        }
        return;
    }
    Span sp = pairSpan(s.width, d.width, true);
    for (int k = 0; k < sp.n / 2; ++k)
        storePair(c, d.p, sp.dx0 / 2 + k, load422(sf, s.p, kY, 2 * k),
                  load422(sf, s.p, kY, 2 * k + 1), load422(sf, s.p, kU, k), load422(sf, s.p, kV, k),
                  src8);
}

void rowPack444(const Ctx& c, Row s, OutRow d) {
    Span sp = c.keepAspect ? Span{0, (d.width - c.pictureWidth) / 2, c.pictureWidth}
                           : pixelSpan(s.width, d.width);
    const int dx0 = sp.dx0 & ~1;
    const bool src8 = c.sf->family == Family::Yuv444x8;
    for (int k = 0; k < sp.n / 2; ++k) {
        int a[3], b[3];
        int s0 = c.keepAspect ? nearest(2 * k, s.width, sp.n) : sp.sx0 + 2 * k;
        int s1 = c.keepAspect ? nearest(2 * k + 1, s.width, sp.n) : s0 + 1;
        load444(*c.sf, s.p + s0 * 4, a);
        load444(*c.sf, s.p + s1 * 4, b);
        storePair(c, d.p, dx0 / 2 + k, a[0], b[0], (a[1] + b[1]) / 2, (a[2] + b[2]) / 2, src8);
    }
}

void rowRgbYuv(const Ctx& c, Row s, OutRow d) {
    const FormatInfo& sf = *c.sf;
    const ZuColorDescriptor& w = c.rgbToYuv;
    Span sp = c.keepAspect ? Span{0, (d.width - c.pictureWidth) / 2, c.pictureWidth}
                           : pixelSpan(s.width, d.width);
    const int dx0 = sp.dx0 & ~1;
    const bool dst8 = c.df->family == Family::Yuv422x8;
    auto out = [&](double v, bool chroma) {
        if (dst8) return truncClamp(v + 0.5, 0, 255);
        return std::clamp(truncClamp(v * 4.0 + 0.5, 0, 1023), lo10(*c.d), hi10(*c.d, chroma));
    };
    for (int k = 0; k < sp.n / 2; ++k) {
        double y[2], cb = 0, cr = 0;
        for (int p = 0; p < 2; ++p) {
            int sx = c.keepAspect ? nearest(2 * k + p, s.width, sp.n) : sp.sx0 + 2 * k + p;
            double px[4] = {};
            loadRgb(sf, s.p + sx * sf.bytesPerPixel, px);
            for (int i = 0; i < 3; ++i) px[i] = px[i] / sf.maxValue * 255.0;  // 8-bit scale
            y[p] = px[0] * w.lumaRedWeight + px[1] * w.lumaGreenWeight + px[2] * w.lumaBlueWeight +
                   w.lumaOffset;
            cb += px[2] * w.cbBlueWeight - (px[0] * w.cbRedWeight + px[1] * w.cbGreenWeight) +
                  w.cbOffset;
            cr += px[0] * w.crRedWeight - (px[1] * w.crGreenWeight + px[2] * w.crBlueWeight) +
                  w.crOffset;
        }
        int dp = dx0 / 2 + k;
        store422(*c.df, d.p, kY, 2 * dp, out(y[0], false));
        store422(*c.df, d.p, kY, 2 * dp + 1, out(y[1], false));
        store422(*c.df, d.p, kU, dp, out(cb * 0.5, true));
        store422(*c.df, d.p, kV, dp, out(cr * 0.5, true));
    }
}

int rowConvert(const Ctx& c, Row s, OutRow d) {
    switch (c.kind) {
        case RowKind::YuvRgb:
            if (is422(*c.sf))
                rowYuv422Rgb(c, s, d);
            else
                rowYuv444Rgb(c, s, d);
            return 0;
        case RowKind::RgbRgb:
            rowRgbRgb(c, s, d);
            return 0;
        case RowKind::Repack422:
            rowRepack422(c, s, d);
            return 0;
        case RowKind::Pack444:
            rowPack444(c, s, d);
            return 0;
        case RowKind::RgbYuv:
            rowRgbYuv(c, s, d);
            return 0;
    }
    return -2;
}

bool chooseKind(const FormatInfo& sf, const FormatInfo& df, RowKind& k) {
    const bool yuvInt =
        is422(sf) || sf.family == Family::Yuv444x8 || sf.family == Family::Yuv444x10;
    if (yuvInt && isRgb(df)) return k = RowKind::YuvRgb, true;
    if (isRgb(sf) && isRgb(df)) return k = RowKind::RgbRgb, true;
    if (is422(sf) && is422(df)) return k = RowKind::Repack422, true;
    if ((sf.family == Family::Yuv444x8 || sf.family == Family::Yuv444x10) && is422(df))
        return k = RowKind::Pack444, true;
    if (isRgb(sf) && is422(df)) return k = RowKind::RgbYuv, true;
    return false;
}

// Terms in the destination's byte order; chroma tables are indexed by the sum of two
// samples because the formula sees their mean. 10-bit results are brought to bytes by
// trunc(v * 0.25 + 0.5), 8-bit ones by trunc(v + 0.5).
void buildTerms(const ZuColorDescriptor& d, const FormatInfo& sf, const FormatInfo& df,
                RgbTerms& t) {
    std::memset(&t, 0, sizeof t);
    const int n = sf.maxValue == 1023 ? 1024 : 256;
    const int r = df.slot[0], g = df.slot[1], b = df.slot[2], a = df.slot[3];
    for (int y = 0; y < n; ++y) {
        t.luma[y][r] = (y - d.redLumaOffset) * d.redLumaGain;
        t.luma[y][g] = (y - d.greenLumaOffset) * d.greenLumaGain;
        t.luma[y][b] = (y - d.blueLumaOffset) * d.blueLumaGain;
        t.luma[y][a] = df.maxValue;
    }
    for (int s = 0; s < 2 * n - 1; ++s) {
        double c = s * 0.5;
        t.cr[s][r] = (c - d.redChromaOffset) * d.redCrGain;
        t.cr[s][g] = (c - d.greenCrOffset) * d.greenCrGain;
        t.cb[s][g] = (c - d.greenCbOffset) * d.greenCbGain;
        t.cb[s][b] = (c - d.blueChromaOffset) * d.blueCbGain;
    }
    t.scale[a] = 1.0;
    for (int i : {r, g, b}) {
        t.half[i] = n == 256 ? 0.5 : 0.0;
        t.scale[i] = n == 256 ? 1.0 : 0.25;
        t.half2[i] = n == 256 ? 0.0 : 0.5;
    }
}

}  // namespace

void fillColorDescriptor(ZuColorDescriptor& d, unsigned srcFormat) {
    if (d.standard < 0 || d.standard > 5) return;
    const Standard& s = kStandards[d.standard];
    const FormatInfo* f = formatInfo(srcFormat);
    double chroma = 128, luma = 16;
    if (f) {
        if (f->maxValue == 1023)
            chroma = 512, luma = 64;
        else if (f->maxValue == 32768)
            chroma = 16384, luma = 2048;
        else if (f->maxValue == 65535 || f->maxValue == 1.0)
            chroma = 32768, luma = 4096;
    }
    const double lumaOff = s.video ? luma : 0;
    d.redLumaGain = d.blueLumaGain = d.greenLumaGain = s.gain;
    d.redLumaOffset = d.standard == 0 ? 0.00006 : lumaOff;
    d.blueLumaOffset = d.greenLumaOffset = lumaOff;
    d.redCrGain = s.crR;
    d.blueCbGain = s.cbB;
    d.greenCrGain = s.crG;
    d.greenCbGain = s.cbG;
    d.redChromaOffset = d.blueChromaOffset = d.greenCrOffset = d.greenCbOffset = chroma;
    d.lumaRedWeight = s.luma[0];
    d.lumaGreenWeight = s.luma[1];
    d.lumaBlueWeight = s.luma[2];
    d.lumaOffset = lumaOff;
    d.cbRedWeight = s.cb[0];
    d.cbGreenWeight = s.cb[1];
    d.cbBlueWeight = s.cb[2];
    d.cbOffset = chroma;
    d.crRedWeight = s.cr[0];
    d.crGreenWeight = s.cr[1];
    d.crBlueWeight = s.cr[2];
    d.crOffset = chroma;
}

namespace {

struct ScalerPlan {
    Ctx ctx;  // d points at the plan's descriptor
    ZuColorDescriptor desc;
    std::unique_ptr<RgbTerms> terms;
    ArithCoeffs arith{};
    unsigned sfmt, dfmt;
    int sw, sh, dw, dh;
    bool keepAspect;
    Kernel kernel;
    // Destination rows [top, top + rows) receive source rows from first on.
    int top, first, rows, ph;
};

std::shared_ptr<const ScalerPlan> makeScalerPlan(const FormatInfo* sf, const FormatInfo* df,
                                                 const SrcImage& src, const DstImage& dst,
                                                 bool keepAspect, const ZuColorDescriptor& desc,
                                                 Kernel kernel) {
    auto p = std::make_shared<ScalerPlan>();
    Ctx& c = p->ctx;
    if (!chooseKind(*sf, *df, c.kind)) return nullptr;
    p->desc = desc;
    p->sfmt = src.format, p->dfmt = dst.format;
    p->sw = src.width, p->sh = src.height, p->dw = dst.width, p->dh = dst.height;
    p->keepAspect = keepAspect;
    p->kernel = kernel;
    c.sf = sf;
    c.df = df;
    c.d = &p->desc;
    c.rgbToYuv = desc;
    fillColorDescriptor(c.rgbToYuv, ZU_PF_rgba);
    c.kernel = kernel;

    const int sw = src.width, sh = src.height, dw = dst.width, dh = dst.height;
    // The picture inside the destination: all of it, unless keep aspect shrinks it.
    int pw = dw, ph = dh;
    if (keepAspect && sw != dw) {
        if (int64_t(sh) * dw <= int64_t(dh) * sw)
            ph = std::max<int64_t>(1, int64_t(sh) * dw / sw);
        else
            pw = std::max<int64_t>(1, int64_t(sw) * dh / sh);
        if (is422(*df)) pw = std::max(2, pw & ~1);
    }
    c.keepAspect = keepAspect && sw != dw;
    c.pictureWidth = pw;

    if (c.kind == RowKind::YuvRgb && is422(*sf) && df->family == Family::Rgb8 &&
        df->bytesPerPixel == 4 && sw == dw && sw % 2 == 0 && kernel != Kernel::Reference) {
        p->terms = std::make_unique<RgbTerms>();
        buildTerms(p->desc, *sf, *df, *p->terms);
        c.terms = p->terms.get();
        if (usesArith(kernel) &&
            deriveArith(*p->terms, sf->maxValue == 1023 ? 1024 : 256, true, df->slot, p->arith))
            c.arith = &p->arith;
    }

    p->top = 0, p->first = 0, p->rows = dh, p->ph = ph;
    if (c.keepAspect) {
        p->top = (dh - ph) / 2;
        p->rows = ph;
    } else if (sh > dh) {
        p->first = int((sh - dh) * 0.5 + 0.5);
    } else if (sh < dh) {
        p->top = int((dh - sh) * 0.5 + 0.5);
        p->rows = sh;
    }
    return p;
}

PlanCache<ScalerPlan>& scalerPlans() {
    static PlanCache<ScalerPlan> c;
    return c;
}

// The plan for a call with the descriptor already filled, or null for -2.
std::shared_ptr<const ScalerPlan> findScalerPlan(const SrcImage& src, const DstImage& dst,
                                                 bool aspect, const ZuColorDescriptor& desc,
                                                 Kernel kernel) {
    const FormatInfo* sf = formatInfo(src.format);
    const FormatInfo* df = formatInfo(dst.format);
    return scalerPlans().get(
        [&](const ScalerPlan& p) {
            return p.sfmt == src.format && p.dfmt == dst.format && p.sw == src.width &&
                   p.sh == src.height && p.dw == dst.width && p.dh == dst.height &&
                   p.keepAspect == aspect && p.kernel == kernel &&
                   std::memcmp(&p.desc, &desc, sizeof desc) == 0;
        },
        [&] { return makeScalerPlan(sf, df, src, dst, aspect, desc, kernel); });
}

}  // namespace

RowPlan scalerRowPlan(const SrcImage& src, const DstImage& dst, const ZuColorDescriptor& d,
                      Kernel kernel) {
    const FormatInfo* sf = formatInfo(src.format);
    const FormatInfo* df = formatInfo(dst.format);
    if (!validImages(sf, df, src, dst)) return RowPlan::None;
    ZuColorDescriptor desc = d;
    fillColorDescriptor(desc, src.format);
    auto plan = findScalerPlan(src, dst, false, desc, resolveKernel(kernel));
    if (!plan) return RowPlan::None;
    if (plan->ctx.arith) return RowPlan::Arithmetic;
    return plan->ctx.terms ? RowPlan::Lookup : RowPlan::Reference;
}

int FallbackScaler::convert(const SrcImage& src, const DstImage& dst, unsigned char keepAspect,
                            ZuColorDescriptor* descriptor, unsigned char bottomUp,
                            const uint32_t* border, Kernel kernel) {
    const FormatInfo* sf = formatInfo(src.format);
    const FormatInfo* df = formatInfo(dst.format);
    if (!descriptor || !validImages(sf, df, src, dst)) return -2;
    RowKind kind;
    if (!chooseKind(*sf, *df, kind)) return -2;

    fillColorDescriptor(*descriptor, src.format);
    std::memcpy(&state_, descriptor, sizeof state_);
    auto plan = findScalerPlan(src, dst, keepAspect != 0, state_, resolveKernel(kernel));
    if (!plan) return -2;
    const ScalerPlan& p = *plan;
    const Ctx& c = p.ctx;
    const int sw = src.width, sh = src.height, dw = dst.width, dh = dst.height;
    const int top = p.top, first = p.first, rows = p.rows;

    const auto* sBase = static_cast<const uint8_t*>(src.pixels);
    auto* dBase = static_cast<uint8_t*>(dst.pixels);
    auto dRow = [&](int r) { return OutRow{dBase + int64_t(r) * dst.rowBytes, dw}; };
    const int64_t pixels = int64_t(dw) * dh;

    if (border) {
        // A row of the border pixel, converted like any other row.
        thread_local std::vector<uint32_t> line;
        if (line.size() < size_t(dw)) line.resize(size_t(dw));
        std::fill(line.begin(), line.begin() + dw, *border);
        Ctx bc = c;
        bc.sf = formatInfo(ZU_PF_rgba);
        bc.keepAspect = false;
        bc.terms = nullptr;
        bc.arith = nullptr;
        if (!chooseKind(*bc.sf, *df, bc.kind)) return -2;
        Row b{reinterpret_cast<const uint8_t*>(line.data()), dw};
        for (int r = 0; r < dh; ++r)
            if (r < top || r >= top + rows || c.keepAspect) {
                int rc = rowConvert(bc, b, dRow(r));
                if (rc) return rc;
            }
    }

    // Row conversions of the kinds chosen above cannot fail, so parts need not report.
    forRows(rows, 1, pixels, [&](int begin, int end) {
        for (int i = begin; i < end; ++i) {
            int sr = c.keepAspect ? int(i * double(sh) / p.ph + 0.5) : first + i;
            sr = std::min(sr, sh - 1);
            if (bottomUp) sr = sh - 1 - sr;
            rowConvert(c, Row{sBase + int64_t(sr) * src.rowBytes, sw}, dRow(top + i));
        }
    });
    return 0;
}

}  // namespace zu::detail
