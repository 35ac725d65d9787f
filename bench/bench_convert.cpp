// CPU pixel conversion of a 1920 x 1080 frame: zugui's converters beside libyuv and
// libswscale, measured in the same run on one core, with the ratios.
#include <libyuv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

#include "video/convert/convert.h"

extern "C" {
#include <libswscale/swscale.h>
}

using namespace zu::detail;

namespace {

constexpr int W = 1920, H = 1080;

// Median of several timed runs, in milliseconds.
double timeMs(const std::function<void()>& f) {
    f();
    std::vector<double> t;
    for (int i = 0; i < 25; ++i) {
        auto a = std::chrono::steady_clock::now();
        f();
        auto b = std::chrono::steady_clock::now();
        t.push_back(std::chrono::duration<double, std::milli>(b - a).count());
    }
    std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
    return t[t.size() / 2];
}

struct Sws {
    SwsContext* ctx;
    Sws(int sw, int sh, AVPixelFormat sf, int dw, int dh, AVPixelFormat df)
        : ctx(sws_getContext(sw, sh, sf, dw, dh, df, SWS_POINT, nullptr, nullptr, nullptr)) {}
    ~Sws() { sws_freeContext(ctx); }
    void run(const uint8_t* src, int srb, int sh, uint8_t* dst, int drb) const {
        const uint8_t* in[4] = {src, nullptr, nullptr, nullptr};
        int is[4] = {srb, 0, 0, 0};
        uint8_t* out[4] = {dst, nullptr, nullptr, nullptr};
        int os[4] = {drb, 0, 0, 0};
        sws_scale(ctx, in, is, 0, sh, out, os);
    }
};

void row(const char* name, double ours, double yuv, double sws) {
    std::printf("%-40s %8.3f", name, ours);
    if (yuv > 0)
        std::printf("   %8.3f %6.2fx", yuv, ours / yuv);
    else
        std::printf("   %8s %7s", "-", "");
    if (sws > 0)
        std::printf("   %8.3f %6.2fx", sws, ours / sws);
    else
        std::printf("   %8s %7s", "-", "");
    std::printf("\n");
}

struct Tables {
    std::vector<double> d8[7], d10[7];
    short luma[256][4], cb[256][4], cr[256][4];
    ZuColorTables t8{}, t10{};
    Tables() {
        for (int k = 0; k < 7; ++k) d8[k].resize(256), d10[k].resize(1024);
        const double g[7] = {1.164384, 1.596027, 1.164384, 2.017231, 1.164384, -0.812968, -0.39116};
        for (int ten = 0; ten < 2; ++ten) {
            auto& d = ten ? d10 : d8;
            const int n = ten ? 1024 : 256;
            const double lo = ten ? 64 : 16, mid = ten ? 512 : 128;
            for (int i = 0; i < n; ++i)
                for (int k = 0; k < 7; ++k)
                    d[k][i] = g[k] * (i - ((k % 2 == 0 && k < 6) ? lo : mid));
        }
        for (int i = 0; i < 256; ++i) {
            short y = short(1.164384 * (i - 16) + 0.5), c = short(i - 128);
            luma[i][0] = luma[i][1] = luma[i][2] = y, luma[i][3] = 255;
            cb[i][0] = short(2.017231 * c), cb[i][1] = short(-0.39116 * c), cb[i][2] = cb[i][3] = 0;
            cr[i][2] = short(1.596027 * c), cr[i][1] = short(-0.812968 * c),
            cr[i][0] = cr[i][3] = 0;
        }
        for (int ten = 0; ten < 2; ++ten) {
            auto& d = ten ? d10 : d8;
            ZuColorTables& t = ten ? t10 : t8;
            t.redFromLuma = d[0].data(), t.redFromCr = d[1].data();
            t.blueFromLuma = d[2].data(), t.blueFromCb = d[3].data();
            t.greenFromLuma = d[4].data(), t.greenFromCr = d[5].data(), t.greenFromCb = d[6].data();
            t.fastLuma = luma, t.fastCb = cb, t.fastCr = cr;
        }
    }
};

}  // namespace

int main() {
    std::mt19937 rng(1);
    std::vector<uint8_t> uyvy(size_t(W) * 2 * H), v210(size_t((W + 5) / 6 * 16) * H);
    std::vector<uint8_t> bgra(size_t(W) * 4 * H), out(size_t(W) * 4 * H);
    for (auto& b : uyvy) b = uint8_t(rng());
    for (size_t i = 0; i < v210.size(); i += 4) {
        uint32_t w = (rng() % 1024) | (rng() % 1024) << 10 | (rng() % 1024) << 20;
        std::memcpy(&v210[i], &w, 4);
    }
    for (auto& b : bgra) b = uint8_t(rng());
    const int uyvyRb = W * 2, v210Rb = (W + 5) / 6 * 16, bgraRb = W * 4;
    Tables tb;
    SrcImage s422{uyvy.data(), W, H, ZU_PF_2vuy, uyvyRb};
    SrcImage s210{v210.data(), W, H, ZU_PF_v219, v210Rb};
    SrcImage sBgra{bgra.data(), W, H, ZU_PF_bgrA, bgraRb};
    DstImage dFull{out.data(), W, H, ZU_PF_bgrA, bgraRb};
    DstImage dHalf{out.data(), W / 2, H / 2, ZU_PF_bgrA, W * 2};
    DstImage dRgba{out.data(), W, H, ZU_PF_rgba, bgraRb};

    Sws swsUyvy(W, H, AV_PIX_FMT_UYVY422, W, H, AV_PIX_FMT_BGRA);
    Sws swsHalf(W, H, AV_PIX_FMT_UYVY422, W / 2, H / 2, AV_PIX_FMT_BGRA);
    Sws swsSwap(W, H, AV_PIX_FMT_BGRA, W, H, AV_PIX_FMT_RGBA);

    const double yuvUyvy =
        timeMs([&] { libyuv::UYVYToARGB(uyvy.data(), uyvyRb, out.data(), bgraRb, W, H); });
    const double swsUyvyMs =
        timeMs([&] { swsUyvy.run(uyvy.data(), uyvyRb, H, out.data(), bgraRb); });

    auto table = [&](SrcImage s, DstImage d, const ZuColorTables* t, bool fast, Kernel k) {
        TableOptions o;
        o.tables = t;
        o.fast = fast;
        return timeMs([&] { tableConvert(s, d, o, k); });
    };
    auto fallback = [&](SrcImage s, DstImage d, Kernel k) {
        return timeMs([&] {
            ZuColorDescriptor desc{};
            desc.standard = 1;
            FallbackScaler sc;
            sc.convert(s, d, 0, &desc, 0, nullptr, k);
        });
    };

    std::printf("1920 x 1080, one core, median of 25 runs, milliseconds; ratio = zugui / peer\n");
    std::printf("kernels: %s\n", cpuHasAvx2() ? "AVX2" : "SSE2");
    std::printf("%-40s %8s   %8s %7s   %8s %7s\n", "conversion", "zugui", "libyuv", "ratio",
                "swscale", "ratio");
    row("2vuy->bgrA table fast path", table(s422, dFull, &tb.t8, true, Kernel::Auto), yuvUyvy,
        swsUyvyMs);
    row("2vuy->bgrA table fast path (SSE2)", table(s422, dFull, &tb.t8, true, Kernel::Sse2),
        yuvUyvy, swsUyvyMs);
    row("2vuy->bgrA table fast path (scalar)", table(s422, dFull, &tb.t8, true, Kernel::Scalar),
        yuvUyvy, swsUyvyMs);
    row("2vuy->bgrA table general path", table(s422, dFull, &tb.t8, false, Kernel::Auto), yuvUyvy,
        swsUyvyMs);
    row("2vuy->bgrA fallback scaler", fallback(s422, dFull, Kernel::Auto), yuvUyvy, swsUyvyMs);
    row("2vuy->bgrA fallback scaler (scalar)", fallback(s422, dFull, Kernel::Scalar), yuvUyvy,
        swsUyvyMs);
    row("v219->bgrA table general path", table(s210, dFull, &tb.t10, false, Kernel::Auto), 0, 0);
    row("v219->bgrA fallback scaler", fallback(s210, dFull, Kernel::Auto), 0, 0);
    row("2vuy->960x540 bgrA table fast path", table(s422, dHalf, &tb.t8, true, Kernel::Auto), 0,
        timeMs([&] { swsHalf.run(uyvy.data(), uyvyRb, H, out.data(), W * 2); }));
    row("bgrA->rgba table converter", table(sBgra, dRgba, nullptr, false, Kernel::Auto),
        timeMs([&] { libyuv::ARGBToABGR(bgra.data(), bgraRb, out.data(), bgraRb, W, H); }),
        timeMs([&] { swsSwap.run(bgra.data(), bgraRb, H, out.data(), bgraRb); }));
    std::printf("v219 has no peer with the same conversion (libswscale reads no v210).\n");
    return 0;
}
