// Frame display: 1920 x 1080 frames into a 960 x 540 video window through the texture
// path (textureMode 1: 4:2:2 converted by the frame shaders, or on a software renderer by
// the CPU), the direct path ("bgrA" drawn as pixels) and the software path (4:2:2
// converted on the CPU with the host's fast tables, decimated by 2), beside SDL2's OpenGL
// renderer copying a streaming UYVY texture to a window of the same size, in the same run.
// Then 3840 x 2160 frames into a 1920 x 1080 window: each format through textureMode 1
// and textureMode 0 (the CPU or direct path), in turns,
// beside a bare OpenGL program that uploads the same bytes and draws one textured quad, and
// NV12, I420 and "yuy2" beside SDL2's YUV textures.
#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gui/gui_state.h"
#include "zugui/zugui.h"

namespace {

namespace ws = zu::ws;
using Clock = std::chrono::steady_clock;

constexpr int kW = 1920, kH = 1080, kWinW = 960, kWinH = 540;
constexpr double kSeconds = 3.0;

struct Yuv {
    int y, u, v;
};
const Yuv kBars[8] = {{180, 128, 128}, {162, 44, 142}, {131, 156, 44}, {112, 72, 58},
                      {84, 184, 198},  {65, 100, 212}, {35, 212, 114}, {16, 128, 128}};

std::vector<uint8_t> uyvyBars() {
    std::vector<uint8_t> px(size_t(kW) * 2 * kH);
    for (int r = 0; r < kH; ++r)
        for (int x = 0; x < kW; x += 2) {
            const Yuv& c = kBars[x * 8 / kW];
            uint8_t* p = px.data() + (size_t(r) * kW + x) * 2;
            p[0] = uint8_t(c.u), p[1] = uint8_t(c.y), p[2] = uint8_t(c.v), p[3] = uint8_t(c.y);
        }
    return px;
}

// BT.601 video range, the way a host prepares its fast tables.
struct FastTables {
    short luma[256][4], cb[256][4], cr[256][4];
    ZuColorTables t{};
    FastTables() {
        for (int i = 0; i < 256; ++i) {
            const short y = short(1.164384 * (i - 16) + 0.5), c = short(i - 128);
            luma[i][0] = luma[i][1] = luma[i][2] = y, luma[i][3] = 255;
            cb[i][0] = short(2.017231 * c), cb[i][1] = short(-0.39116 * c), cb[i][2] = 0;
            cr[i][0] = 0, cr[i][1] = short(-0.812968 * c), cr[i][2] = short(1.596027 * c);
            cb[i][3] = cr[i][3] = 0;
        }
        t.fastLuma = luma, t.fastCb = cb, t.fastCr = cr;
    }
};

// Frames per second of show() called for seconds after a short warm-up; 0 on failure.
double fps(const std::function<bool()>& show, double seconds = kSeconds, int warmUp = 10) {
    for (int i = 0; i < warmUp; ++i)
        if (!show()) return 0;
    int frames = 0;
    const auto t0 = Clock::now();
    double elapsed = 0;
    while (elapsed < seconds) {
        if (!show()) return 0;
        ++frames;
        elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    return frames / elapsed;
}

double fpsFor(double seconds, const std::function<bool()>& show) {
    return fps(show, seconds, 2);
}

void pump(int ms) {
    ZuMSG m;
    for (auto end = Clock::now() + std::chrono::milliseconds(ms); Clock::now() < end;)
        if (ws::getMessageTimeout(&m, 10) == 1) ZuDispatchMessage(&m);
}

double zuguiFps(ZUVideoWindowNode* v, int mode, ZUVideoFrame f) {
    if (ZUStartDisplayVideoFrame(v, kW, kH, mode, nullptr) != 0) return 0;
    const double r = fps([&] { return ZUDisplayVideoFrame(v, &f, nullptr) == 0; });
    ZUStopDisplayVideoFrame(v);
    return r;
}

double sdlFps(const std::vector<uint8_t>& uyvy) {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 0;
    SDL_Window* w = SDL_CreateWindow("sdl peer", 0, 0, kWinW, kWinH, SDL_WINDOW_OPENGL);
    SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    SDL_Texture* t =
        r ? SDL_CreateTexture(r, SDL_PIXELFORMAT_UYVY, SDL_TEXTUREACCESS_STREAMING, kW, kH)
          : nullptr;
    double result = 0;
    if (t) {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(r, &info);
        std::printf("SDL2 renderer: %s\n", info.name);
        result = fps([&] {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
            }
            if (SDL_UpdateTexture(t, nullptr, uyvy.data(), kW * 2) != 0) return false;
            SDL_RenderClear(r);
            SDL_RenderCopy(r, t, nullptr, nullptr);
            SDL_RenderPresent(r);
            return true;
        });
    } else {
        std::fprintf(stderr, "bench_video: SDL2: %s\n", SDL_GetError());
    }
    if (t) SDL_DestroyTexture(t);
    if (r) SDL_DestroyRenderer(r);
    if (w) SDL_DestroyWindow(w);
    SDL_Quit();
    return result;
}

// ---- 3840 x 2160 ------------------------------------------------------------------------
constexpr int k4W = 3840, k4H = 2160, kBigWinW = 1920, kBigWinH = 1080;

// A 4K frame of one format: random bytes (the paths' speed does not depend on content;
// float formats are not among these), planes where the format has them.
struct BigFrame {
    const char* name;
    unsigned format;
    std::vector<uint8_t> plane[3];
    int rowBytes[3] = {};
    size_t bytes() const { return plane[0].size() + plane[1].size() + plane[2].size(); }
};

BigFrame bigFrame(const char* name, unsigned format) {
    BigFrame b{name, format, {}, {}};
    int sb = 1, chromaRows = 0, chromaRow = 0, planes = 1;
    switch (format) {
        case ZU_PF_v219:
            b.rowBytes[0] = k4W / 6 * 16;
            break;
        case ZU_PF_10rl:
        case ZU_PF_bgrA:
            b.rowBytes[0] = k4W * 4;
            break;
        case ZU_PF_RGBA:
            b.rowBytes[0] = k4W * 8;
            break;
        case ZU_PF_2vuy:
        case ZU_PF_yuy2:
            b.rowBytes[0] = k4W * 2;
            break;
        case ZU_PF_NV12:
            planes = 2, chromaRows = k4H / 2, chromaRow = k4W;
            break;
        case ZU_PF_P010:
            planes = 2, sb = 2, chromaRows = k4H / 2, chromaRow = k4W * 2;
            break;
        case ZU_PF_I420:
            planes = 3, chromaRows = k4H / 2, chromaRow = k4W / 2;
            break;
        default:
            break;
    }
    if (planes > 1) b.rowBytes[0] = k4W * sb;
    std::mt19937 rng(format);
    auto fill = [&](std::vector<uint8_t>& v, size_t n) {
        v.resize(n);
        for (size_t i = 0; i < n; i += 4) {
            const uint32_t x = rng();
            std::memcpy(v.data() + i, &x, std::min<size_t>(4, n - i));
        }
    };
    fill(b.plane[0], size_t(b.rowBytes[0]) * k4H);
    for (int i = 1; i < planes; ++i) {
        b.rowBytes[i] = chromaRow;
        fill(b.plane[i], size_t(chromaRow) * chromaRows);
    }
    return b;
}

double bigZuguiFps(ZUVideoWindowNode* v, int mode, BigFrame& b, double seconds) {
    if (ZUStartDisplayVideoFrame(v, k4W, k4H, mode, nullptr) != 0) return 0;
    ZUVideoFrame f{};
    f.pixels = b.plane[0].data();
    f.width = k4W, f.height = k4H, f.rowBytes = b.rowBytes[0];
    f.aspectNum = f.aspectDen = 1;
    f.format = b.format;
    f.decimationX = f.decimationY = 1;
    f.colorDescriptor.standard = 3;  // BT.709 video range for the CPU converter
    ZUVideoFrameEx e{};
    e.size = sizeof e;
    for (int i = 0; i < 3; ++i) e.planes[i] = {b.plane[i].data(), b.rowBytes[i]};
    const double r =
        fps([&] { return ZUDisplayVideoFrameEx(v, &f, &e, nullptr) == 0; }, seconds, 2);
    ZUStopDisplayVideoFrame(v);
    return r;
}

// The limit: the same bytes uploaded to an RGBA8 texture 3840 texels wide with
// glTexSubImage2D, one linearly filtered quad drawn into the window, no conversion.
double bareUploadFps(size_t bytes, double seconds) {
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 0;
    SDL_Window* w = SDL_CreateWindow("bare upload", 0, 0, kBigWinW, kBigWinH, SDL_WINDOW_OPENGL);
    SDL_GLContext ctx = w ? SDL_GL_CreateContext(w) : nullptr;
    double result = 0;
    if (ctx) {
        SDL_GL_SetSwapInterval(0);
        const int texW = k4W, texH = int((bytes + size_t(texW) * 4 - 1) / (size_t(texW) * 4));
        std::vector<uint8_t> px(size_t(texW) * 4 * texH, 0x80);
        GLuint tex = 0;
        glGenTextures(1, &tex);
        glBindTexture(GL_TEXTURE_2D, tex);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texW, texH, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glEnable(GL_TEXTURE_2D);
        glViewport(0, 0, kBigWinW, kBigWinH);
        result = fpsFor(seconds, [&] {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
            }
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, texW, texH, GL_BGRA, GL_UNSIGNED_BYTE,
                            px.data());
            glBegin(GL_QUADS);
            glTexCoord2f(0, 0), glVertex2f(-1, -1);
            glTexCoord2f(1, 0), glVertex2f(1, -1);
            glTexCoord2f(1, 1), glVertex2f(1, 1);
            glTexCoord2f(0, 1), glVertex2f(-1, 1);
            glEnd();
            SDL_GL_SwapWindow(w);
            return true;
        });
        glDeleteTextures(1, &tex);
        SDL_GL_DeleteContext(ctx);
    }
    if (w) SDL_DestroyWindow(w);
    SDL_Quit();
    return result;
}

// SDL2's renderer with a streaming YUV texture of the frame's format, scaled to the window.
double sdlYuvFps(BigFrame& b, double seconds) {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "opengl");
    SDL_SetHint(SDL_HINT_RENDER_VSYNC, "0");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 0;
    SDL_Window* w = SDL_CreateWindow("sdl peer", 0, 0, kBigWinW, kBigWinH, SDL_WINDOW_OPENGL);
    SDL_Renderer* r = w ? SDL_CreateRenderer(w, -1, SDL_RENDERER_ACCELERATED) : nullptr;
    const Uint32 format = b.format == ZU_PF_NV12   ? SDL_PIXELFORMAT_NV12
                          : b.format == ZU_PF_I420 ? SDL_PIXELFORMAT_IYUV
                                                   : SDL_PIXELFORMAT_YUY2;
    SDL_Texture* t =
        r ? SDL_CreateTexture(r, format, SDL_TEXTUREACCESS_STREAMING, k4W, k4H) : nullptr;
    double result = 0;
    if (t) {
        result = fpsFor(seconds, [&] {
            SDL_Event e;
            while (SDL_PollEvent(&e)) {
            }
            int rc;
            if (b.format == ZU_PF_NV12)
                rc = SDL_UpdateNVTexture(t, nullptr, b.plane[0].data(), b.rowBytes[0],
                                         b.plane[1].data(), b.rowBytes[1]);
            else if (b.format == ZU_PF_I420)
                rc = SDL_UpdateYUVTexture(t, nullptr, b.plane[0].data(), b.rowBytes[0],
                                          b.plane[1].data(), b.rowBytes[1], b.plane[2].data(),
                                          b.rowBytes[2]);
            else
                rc = SDL_UpdateTexture(t, nullptr, b.plane[0].data(), b.rowBytes[0]);
            if (rc != 0) return false;
            SDL_RenderClear(r);
            SDL_RenderCopy(r, t, nullptr, nullptr);
            SDL_RenderPresent(r);
            return true;
        });
    } else {
        std::fprintf(stderr, "bench_video: SDL2: %s\n", SDL_GetError());
    }
    if (t) SDL_DestroyTexture(t);
    if (r) SDL_DestroyRenderer(r);
    if (w) SDL_DestroyWindow(w);
    SDL_Quit();
    return result;
}

double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Rows whose name starts with one of only (all when only is empty).
void bench4k(const std::vector<std::string>& only) {
    if (ZUInitGUI(0, 0, kBigWinW, kBigWinH, nullptr, nullptr, nullptr, nullptr, 0) != 0) return;
    ZuRECT full{0, 0, kBigWinW, kBigWinH};
    ZUWindowNode* root = ZUCreateWindow(nullptr, 0, 1, &full, nullptr, nullptr, nullptr);
    ZUStartGUI();
    ZUVideoWindowNode* v = ZUCreateVideoWindow(root, nullptr, &full, 0);
    if (!v) return;
    ZUShowVideoWindow(v, 1);
    pump(200);

    const std::pair<const char*, unsigned> formats[] = {{"v219 (10-bit 4:2:2)", ZU_PF_v219},
                                                        {"10rl (10-bit RGB)", ZU_PF_10rl},
                                                        {"RGBA (16-bit RGB)", ZU_PF_RGBA},
                                                        {"NV12", ZU_PF_NV12},
                                                        {"I420", ZU_PF_I420},
                                                        {"P010", ZU_PF_P010},
                                                        {"bgrA", ZU_PF_bgrA},
                                                        {"2vuy", ZU_PF_2vuy},
                                                        {"yuy2", ZU_PF_yuy2}};
    // Medians over the turns of frames per second: textureMode 1 and 0, the bare upload and
    // (for the formats it has) SDL2.
    struct Row {
        std::string name;
        double gpu, cpu, bare, sdl;
    };
    std::vector<Row> rows;
    // The measurements of a format in turns, a second each, so that all see the same load
    // on a shared machine. ZU_BENCH_MODE=0 or 1 runs that mode alone, without the peers
    // (for profiling).
    const char* m = std::getenv("ZU_BENCH_MODE");
    const bool peers = !m;
    constexpr int kTurns = 5;
    constexpr double kTurnSeconds = 1.0;
    for (const auto& [name, format] : formats) {
        const std::string n = name;
        if (!only.empty() && std::none_of(only.begin(), only.end(), [&](const std::string& o) {
                return n.compare(0, o.size(), o) == 0;
            }))
            continue;
        BigFrame b = bigFrame(name, format);
        const bool sdlHas = format == ZU_PF_NV12 || format == ZU_PF_I420 || format == ZU_PF_yuy2;
        std::vector<double> gpu, cpu, bare, sdl;
        for (int turn = 0; turn < kTurns; ++turn) {
            if (!m || *m == '1') gpu.push_back(bigZuguiFps(v, 1, b, kTurnSeconds));
            if (!m || *m == '0') cpu.push_back(bigZuguiFps(v, 0, b, kTurnSeconds));
            if (peers) bare.push_back(bareUploadFps(b.bytes(), kTurnSeconds));
            if (peers && sdlHas) sdl.push_back(sdlYuvFps(b, kTurnSeconds));
        }
        rows.push_back({name, median(gpu), median(cpu), median(bare), median(sdl)});
    }
    ZUDestroyVideoWindow(v);
    ZUStopGUI();
    ZUKillGUI();
    ZUDestroyWindow(root);

    std::printf(
        "\n3840 x 2160 frames into a 1920 x 1080 window, frames per second (medians of %d "
        "turns of %.0f s; in each turn mode 1, mode 0, bare and SDL2 one after the other)\n",
        kTurns, kTurnSeconds);
    std::printf("%-22s %8s %8s %7s %8s %7s %8s %7s\n", "format", "mode 1", "mode 0", "1 / 0",
                "bare", "1/bare", "SDL2", "1/SDL2");
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    for (const Row& r : rows) {
        std::printf("%-22s %8.1f %8.1f %6.2fx %8.1f %6.2fx", r.name.c_str(), r.gpu, r.cpu,
                    ratio(r.gpu, r.cpu), r.bare, ratio(r.gpu, r.bare));
        if (r.sdl > 0)
            std::printf(" %8.1f %6.2fx\n", r.sdl, ratio(r.gpu, r.sdl));
        else
            std::printf(" %8s %7s\n", "-", "");
    }
    std::printf(
        "mode 1: textureMode 1 (frame shaders; on a software renderer the CPU converts "
        "and halves first); mode 0: textureMode 0 (drawn as pixels, "
        "or converted on the CPU first); bare: the same bytes uploaded to an RGBA8 "
        "texture and drawn as one quad, no conversion; SDL2: OpenGL renderer, streaming "
        "texture (SDL_UpdateNVTexture, SDL_UpdateYUVTexture, SDL_UpdateTexture) scaled by "
        "SDL_RenderCopy\n");
}

}  // namespace

// With arguments, only the 3840 x 2160 rows whose names start with them (for profiling).
int main(int argc, char** argv) {
    const std::vector<std::string> only(argv + 1, argv + argc);
    if (!only.empty()) {
        bench4k(only);
        return 0;
    }
    if (ZUInitGUI(0, 0, kWinW + 40, kWinH + 40, nullptr, nullptr, nullptr, nullptr, 0) != 0) {
        std::fprintf(stderr, "bench_video: no display\n");
        return 1;
    }
    ZuRECT full{0, 0, kWinW + 40, kWinH + 40};
    ZUWindowNode* root = ZUCreateWindow(nullptr, 0, 1, &full, nullptr, nullptr, nullptr);
    ZUStartGUI();
    ZuRECT r{20, 20, kWinW, kWinH};
    ZUVideoWindowNode* v = ZUCreateVideoWindow(root, nullptr, &r, 0);
    if (!v) {
        std::fprintf(stderr, "bench_video: no video window\n");
        return 1;
    }
    ZUShowVideoWindow(v, 1);
    pump(200);

    std::vector<uint8_t> uyvy = uyvyBars();
    ZUVideoFrame yuv{};
    yuv.pixels = uyvy.data();
    yuv.width = kW, yuv.height = kH, yuv.rowBytes = kW * 2;
    yuv.aspectNum = yuv.aspectDen = 1;
    yuv.format = ZU_PF_2vuy;
    yuv.decimationX = yuv.decimationY = 1;

    // The same bars as "bgrA" for the direct path, converted once beforehand.
    std::vector<uint8_t> bgra(size_t(kW) * 4 * kH);
    FastTables tables;
    ZUVideoFrame direct = yuv;
    direct.pixels = bgra.data();
    direct.format = ZU_PF_bgrA;
    direct.rowBytes = kW * 4;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Yuv& c = kBars[x * 8 / kW];
            uint8_t* p = bgra.data() + (size_t(y) * kW + x) * 4;
            for (int k = 0; k < 4; ++k)
                p[k] = uint8_t(std::clamp(
                    tables.luma[c.y][k] + tables.cb[c.u][k] + tables.cr[c.v][k], 0, 255));
        }

    ZUVideoFrame soft = yuv;
    soft.conversionTables = &tables.t;
    soft.fastTables = 1;
    soft.decimationX = soft.decimationY = 2;

    std::printf("1920 x 1080 frames into a 960 x 540 window, frames per second (%.0f s each)\n",
                kSeconds);
    const double tex = zuguiFps(v, 1, yuv);
    const double dir = zuguiFps(v, 0, direct);
    const double sw = zuguiFps(v, 0, soft);
    ZUDestroyVideoWindow(v);
    ZUStopGUI();
    ZUKillGUI();
    ZUDestroyWindow(root);

    const double sdl = sdlFps(uyvy);
    std::printf("%-44s %8s %8s %7s\n", "path", "zugui", "SDL2", "ratio");
    auto line = [&](const char* name, double ours) {
        if (sdl > 0)
            std::printf("%-44s %8.1f %8.1f %6.2fx\n", name, ours, sdl, ours / sdl);
        else
            std::printf("%-44s %8.1f %8s %7s\n", name, ours, "-", "");
    };
    line("texture path, 2vuy (textureMode 1)", tex);
    line("direct path, bgrA drawn as pixels", dir);
    line("software path, 2vuy fast tables, 1/2 size", sw);
    std::printf(
        "ratio = zugui / SDL2 (streaming UYVY texture, OpenGL renderer); above 1 is faster\n");
    bench4k(only);
    return 0;
}
