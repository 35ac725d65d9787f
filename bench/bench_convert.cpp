// CPU pixel conversion of a 1920 x 1080 frame: zugui's converters beside libyuv and
// libswscale, measured in the same run on one core, with the ratios.
#include <libyuv.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "video/convert/convert.h"
#include "video/convert/workers.h"

extern "C" {
#include <libswscale/swscale.h>
}

using namespace zu::detail;

namespace {

constexpr int W = 1920, H = 1080;

// Medians of several timed runs of each function, in milliseconds. The functions take
// turns, so a burst of load from other processes hits all of them alike, and each run starts
// the turn one further on, so none always follows the same one (a memcpy leaves the
// destination out of the caches, a converter leaves it in).
std::vector<double> timeMs(const std::vector<std::function<void()>>& fs, int runs = 25) {
    std::vector<std::vector<double>> t(fs.size());
    for (auto& f : fs) f();
    for (int i = 0; i < runs; ++i)
        for (size_t j = 0; j < fs.size(); ++j) {
            const size_t k = (i + j) % fs.size();
            auto a = std::chrono::steady_clock::now();
            fs[k]();
            auto b = std::chrono::steady_clock::now();
            t[k].push_back(std::chrono::duration<double, std::milli>(b - a).count());
        }
    std::vector<double> med;
    for (auto& v : t) {
        std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
        med.push_back(v[v.size() / 2]);
    }
    return med;
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

// The destination's bytes copied on one thread, or split over two as the converter splits
// a frame: the memory system's limit for one and for two threads.
struct Copy {
    const uint8_t* from;
    uint8_t* to;
    size_t bytes;
    void operator()(int threads) const {
        ZUSetConvertThreads(threads);
        constexpr int parts = 64;
        forRows(parts, 1, kSplitPixels, [&](int b, int e) {
            const size_t lo = bytes * size_t(b) / parts, hi = bytes * size_t(e) / parts;
            std::memcpy(to + lo, from + lo, hi - lo);
        });
    }
};

// ours with one and two threads, the peers on one thread (0: none), memcpy of the same
// destination bytes on one and two threads. Returns the times in that order.
std::vector<double> row(const char* name, const std::function<void()>& ours,
                        const std::function<void()>& yuv, const std::function<void()>& sws,
                        const Copy& copy) {
    auto one = [&] {
        ZUSetConvertThreads(1);
        ours();
    };
    auto two = [&] {
        ZUSetConvertThreads(2);
        ours();
    };
    std::vector<std::function<void()>> fs = {one, two, [&] { copy(1); }, [&] { copy(2); }};
    if (yuv) fs.push_back(yuv);
    if (sws) fs.push_back(sws);
    const std::vector<double> t = timeMs(fs);
    const double y = yuv ? t[4] : 0, w = sws ? t[yuv ? 5 : 4] : 0;
    std::printf("%-36s %7.3f %7.3f %5.2fx %7.3f %5.2fx", name, t[0], t[1], t[0] / t[1], t[2],
                t[2] / t[3]);
    if (y > 0)
        std::printf(" %7.3f %5.2fx %5.2fx", y, t[0] / y, t[1] / y);
    else
        std::printf(" %7s %6s %6s", "-", "", "");
    if (w > 0)
        std::printf(" %7.3f %5.2fx", w, t[0] / w);
    else
        std::printf(" %7s", "-");
    std::printf("\n");
    return t;
}

// 64-byte aligned bytes, with room for an offset start.
struct Aligned {
    std::unique_ptr<uint8_t, void (*)(void*)> p;
    explicit Aligned(size_t n)
        : p(static_cast<uint8_t*>(std::aligned_alloc(64, (n + 127) / 64 * 64)), std::free) {}
    uint8_t* data() const { return p.get(); }
};

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

// How far b is from the exact a over the first three bytes of each 4-byte pixel.
void printDiff(const char* what, const uint8_t* a, const uint8_t* b, size_t pixels) {
    size_t px = 0, values = 0;
    int worst = 0;
    for (size_t i = 0; i < pixels; ++i) {
        bool any = false;
        for (int c = 0; c < 3; ++c) {
            const int d = std::abs(int(a[4 * i + c]) - int(b[4 * i + c]));
            worst = std::max(worst, d);
            values += d != 0;
            any = any || d != 0;
        }
        px += any;
    }
    std::printf("  %s: %.1f%% of pixels, %.1f%% of colour values differ, by at most %d\n", what,
                100.0 * double(px) / double(pixels), 100.0 * double(values) / double(3 * pixels),
                worst);
}

// BT.601 video range by the double formula (the general path's tables), each pixel with
// its own pair's chroma as libyuv reads it: what an exact converter gives for libyuv's input.
void exactUyvy(const Tables& tb, const uint8_t* src, int pairs, int rows, uint8_t* out) {
    const auto& d = tb.d8;
    auto chan = [](double v) { return uint8_t(std::clamp(v + 0.5, 0.0, 255.0)); };
    for (size_t g = 0; g < size_t(pairs) * rows; ++g) {
        const uint8_t* q = src + 4 * g;
        const int u = q[0], v = q[2];
        for (int k = 0; k < 2; ++k) {
            const int y = q[1 + 2 * k];
            uint8_t* o = out + 8 * g + 4 * k;
            o[0] = chan(d[2][y] + d[3][u]);
            o[1] = chan(d[4][y] + d[5][v] + d[6][u]);
            o[2] = chan(d[0][y] + d[1][v]);
            o[3] = 255;
        }
    }
}

}  // namespace

int main() {
    std::mt19937 rng(1);
    constexpr int W4 = 3840, H4 = 2160;
    // The 2vuy frame and the destination start on 64-byte boundaries; a host's buffers from
    // malloc start 16 bytes past one, which the "dst +16 B" rows measure.
    const size_t uyvyBytes = size_t(W) * 2 * H;
    Aligned uyvyBuf(uyvyBytes), outBuf(size_t(W4) * 4 * H4 + 16), copyBuf(size_t(W4) * 4 * H4);
    uint8_t* const uyvy = uyvyBuf.data();
    uint8_t* const out = outBuf.data();
    uint8_t* const outOff = out + 16;
    std::vector<uint8_t> v210(size_t((W + 5) / 6 * 16) * H);
    std::vector<uint8_t> v210k(size_t((W4 + 5) / 6 * 16) * H4);
    std::vector<uint8_t> bgra(size_t(W) * 4 * H);
    for (size_t i = 0; i < uyvyBytes; ++i) uyvy[i] = uint8_t(rng());
    for (auto* buf : {&v210, &v210k})
        for (size_t i = 0; i < buf->size(); i += 4) {
            uint32_t w = (rng() % 1024) | (rng() % 1024) << 10 | (rng() % 1024) << 20;
            std::memcpy(&(*buf)[i], &w, 4);
        }
    for (auto& b : bgra) b = uint8_t(rng());
    const int uyvyRb = W * 2, v210Rb = (W + 5) / 6 * 16, bgraRb = W * 4;
    const int v210kRb = (W4 + 5) / 6 * 16;
    Tables tb;
    SrcImage s422{uyvy, W, H, ZU_PF_2vuy, uyvyRb};
    SrcImage s210{v210.data(), W, H, ZU_PF_v219, v210Rb};
    SrcImage s210k{v210k.data(), W4, H4, ZU_PF_v219, v210kRb};
    SrcImage sBgra{bgra.data(), W, H, ZU_PF_bgrA, bgraRb};
    DstImage dFull{out, W, H, ZU_PF_bgrA, bgraRb};
    DstImage dOff{outOff, W, H, ZU_PF_bgrA, bgraRb};
    DstImage d4k{out, W4, H4, ZU_PF_bgrA, W4 * 4};
    DstImage dHalf{out, W / 2, H / 2, ZU_PF_bgrA, W * 2};
    DstImage dRgba{out, W, H, ZU_PF_rgba, bgraRb};

    Sws swsUyvy(W, H, AV_PIX_FMT_UYVY422, W, H, AV_PIX_FMT_BGRA);
    Sws swsHalf(W, H, AV_PIX_FMT_UYVY422, W / 2, H / 2, AV_PIX_FMT_BGRA);
    Sws swsSwap(W, H, AV_PIX_FMT_BGRA, W, H, AV_PIX_FMT_RGBA);

    auto table = [&](SrcImage s, DstImage d, const ZuColorTables* t, bool fast, Kernel k) {
        return [=] {
            TableOptions o;
            o.tables = t;
            o.fast = fast;
            tableConvert(s, d, o, k);
        };
    };
    auto fallback = [&](SrcImage s, DstImage d, Kernel k) {
        return [=] {
            ZuColorDescriptor desc{};
            desc.standard = 1;
            FallbackScaler sc;
            sc.convert(s, d, 0, &desc, 0, nullptr, k);
        };
    };
    auto copy = [&](size_t bytes) { return Copy{out, copyBuf.data(), bytes}; };
    const size_t full = size_t(W) * H * 4;
    std::function<void()> yuvUyvy = [&] { libyuv::UYVYToARGB(uyvy, uyvyRb, out, bgraRb, W, H); };
    std::function<void()> yuvUyvyOff = [&] {
        libyuv::UYVYToARGB(uyvy, uyvyRb, outOff, bgraRb, W, H);
    };
    std::function<void()> swsUyvyRun = [&] { swsUyvy.run(uyvy, uyvyRb, H, out, bgraRb); };
    // The offset rows run libswscale too, so that every row finds the caches alike.
    std::function<void()> swsUyvyOff = [&] { swsUyvy.run(uyvy, uyvyRb, H, outOff, bgraRb); };
    std::function<void()> none;

    std::printf(
        "median of 25 interleaved runs, milliseconds; 1T/2T = zugui on one/two threads;\n"
        "memcpy = copying the destination's bytes on one thread (the memory limit), mem2T = "
        "how much faster two threads copy them;\nratios = zugui / peer (peers on one thread)\n");
    std::printf("kernels: %s\n", cpuHasAvx512() && cpuHasVbmi()
                                     ? "AVX-512 with VBMI (integer kernel, fast-path lookups), "
                                       "AVX2 (others)"
                                 : cpuHasAvx512() ? "AVX-512 (integer kernel), AVX2 (others)"
                                 : cpuHasAvx2()   ? "AVX2"
                                                  : "SSE2 / scalar");
    std::printf("%-36s %7s %7s %6s %7s %6s %7s %6s %6s %7s %6s\n",
                "conversion (1920 x 1080 unless said)", "1T", "2T", "1T/2T", "memcpy", "mem2T",
                "libyuv", "1T/yuv", "2T/yuv", "swscale", "1T/sws");
    row("2vuy->bgrA table fast path", table(s422, dFull, &tb.t8, true, Kernel::Auto), yuvUyvy,
        swsUyvyRun, copy(full));
    row("2vuy->bgrA table fast path, dst +16 B", table(s422, dOff, &tb.t8, true, Kernel::Auto),
        yuvUyvyOff, swsUyvyOff, copy(full));
    {
        // The same split for libyuv: what two threads of this machine give a converter that
        // is not ours, beside ours in the same turns.
        auto yuvOn = [&](int threads) {
            return [&, threads] {
                ZUSetConvertThreads(threads);
                forRows(H, 2, kSplitPixels, [&](int b, int e) {
                    libyuv::UYVYToARGB(uyvy + size_t(b) * uyvyRb, uyvyRb, out + size_t(b) * bgraRb,
                                       bgraRb, W, e - b);
                });
            };
        };
        const auto fast = table(s422, dFull, &tb.t8, true, Kernel::Auto);
        auto oursOn = [&](int threads) {
            return [&, threads] {
                ZUSetConvertThreads(threads);
                fast();
            };
        };
        const auto t = timeMs({yuvOn(1), yuvOn(2), oursOn(1), oursOn(2)});
        std::printf(
            "  split over the same pool: libyuv 1T %.3f 2T %.3f (%.2fx), fast path 1T %.3f "
            "2T %.3f (%.2fx)\n",
            t[0], t[1], t[0] / t[1], t[2], t[3], t[2] / t[3]);
    }
    row("2vuy->bgrA table fast path (scalar)", table(s422, dFull, &tb.t8, true, Kernel::Scalar),
        yuvUyvy, none, copy(full));
    row("2vuy->bgrA table general path", table(s422, dFull, &tb.t8, false, Kernel::Auto), yuvUyvy,
        swsUyvyRun, copy(full));
    row("2vuy->bgrA general path, dst +16 B", table(s422, dOff, &tb.t8, false, Kernel::Auto),
        yuvUyvyOff, swsUyvyOff, copy(full));
    row("2vuy->bgrA fallback scaler", fallback(s422, dFull, Kernel::Auto), yuvUyvy, swsUyvyRun,
        copy(full));
    row("2vuy->bgrA fallback scaler, dst +16 B", fallback(s422, dOff, Kernel::Auto), yuvUyvyOff,
        swsUyvyOff, copy(full));
    {
        // What libyuv's speed costs in exactness: its 6-bit fixed point against the exact
        // formula on the same frame. (Our paths also interpolate the second pixel's chroma,
        // which on this random frame would hide the rounding.)
        std::vector<uint8_t> exact(full);
        exactUyvy(tb, uyvy, W / 2, H, exact.data());
        yuvUyvy();
        printDiff("libyuv vs the exact BT.601 formula", exact.data(), out, size_t(W) * H);
        // The reference checked: our general path's first pixels, which read their own
        // pair's chroma, equal it.
        std::vector<uint8_t> general(full);
        table(s422, DstImage{general.data(), W, H, ZU_PF_bgrA, bgraRb}, &tb.t8, false,
              Kernel::Auto)();
        size_t firstDiffer = 0;
        for (size_t i = 0; i < full; i += 8)
            firstDiffer += std::memcmp(&exact[i], &general[i], 3) != 0;
        std::printf("  zugui general path vs the same formula: %zu of %zu first pixels differ\n",
                    firstDiffer, full / 8);
    }
    row("2vuy->bgrA fallback scaler (scalar)", fallback(s422, dFull, Kernel::Scalar), yuvUyvy, none,
        copy(full));
    row("v219->bgrA table general path", table(s210, dFull, &tb.t10, false, Kernel::Auto), none,
        none, copy(full));
    row("v219->bgrA fallback scaler", fallback(s210, dFull, Kernel::Auto), none, none, copy(full));
    row("v219->bgrA 3840x2160 general path", table(s210k, d4k, &tb.t10, false, Kernel::Auto), none,
        none, copy(size_t(W4) * H4 * 4));
    row("v219->bgrA 3840x2160 fallback scaler", fallback(s210k, d4k, Kernel::Auto), none, none,
        copy(size_t(W4) * H4 * 4));
    row(
        "2vuy->960x540 bgrA table fast path", table(s422, dHalf, &tb.t8, true, Kernel::Auto), none,
        [&] { swsHalf.run(uyvy, uyvyRb, H, out, W * 2); }, copy(full / 4));
    row(
        "bgrA->rgba table converter", table(sBgra, dRgba, nullptr, false, Kernel::Auto),
        [&] { libyuv::ARGBToABGR(bgra.data(), bgraRb, out, bgraRb, W, H); },
        [&] { swsSwap.run(bgra.data(), bgraRb, H, out, bgraRb); }, copy(full));
    {
        // The workers' own cost: 16 rows, one row per part on two threads, just above the
        // split threshold. What two threads take beyond half of one thread's time is the
        // pool's wake-up and wait.
        constexpr int PW = 32768, PH = 16;
        const SrcImage s{uyvy, PW, PH, ZU_PF_2vuy, PW * 2};
        const DstImage d{out, PW, PH, ZU_PF_bgrA, PW * 4};
        const auto t = row(
            "2vuy->bgrA 32768x16, a row per part", table(s, d, &tb.t8, true, Kernel::Auto),
            [&] { libyuv::UYVYToARGB(uyvy, PW * 2, out, PW * 4, PW, PH); }, none,
            copy(size_t(PW) * PH * 4));
        std::printf("  the pool on two threads: %.1f us beyond half of one thread's time\n",
                    (t[1] - t[0] / 2) * 1e3);
    }
    std::printf(
        "v219 has no peer with the same conversion (libswscale reads no v210).\n"
        "The 2vuy frame and the destination start on 64-byte boundaries; \"dst +16 B\" rows "
        "write 16 bytes past one, libyuv too.\n"
        "960x540 halves both sides of the frame; its %d pixels are %s the %lld from which "
        "frames are split.\n"
        "The scalar rows are the control: compute-bound, they show whether the second core "
        "was free.\n",
        W / 2 * (H / 2), int64_t(W / 2) * (H / 2) >= kSplitPixels ? "at or above" : "under",
        static_cast<long long>(kSplitPixels));
    ZUSetConvertThreads(1);
    return 0;
}
