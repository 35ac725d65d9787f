// Frame display: 1920 x 1080 frames into a 960 x 540 video window through the texture
// path (4:2:2 converted by the shader), the direct path ("bgrA" drawn as pixels) and the
// software path (4:2:2 converted on the CPU with the host's fast tables, decimated by 2),
// beside SDL2's OpenGL renderer copying a streaming UYVY texture to a window of the same
// size, in the same run.
#include <SDL2/SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
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

// Frames per second of show() called for kSeconds after a short warm-up; 0 on failure.
double fps(const std::function<bool()>& show) {
    for (int i = 0; i < 10; ++i)
        if (!show()) return 0;
    int frames = 0;
    const auto t0 = Clock::now();
    double elapsed = 0;
    while (elapsed < kSeconds) {
        if (!show()) return 0;
        ++frames;
        elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
    }
    return frames / elapsed;
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

}  // namespace

int main() {
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
    line("texture path, 2vuy through the shader", tex);
    line("direct path, bgrA drawn as pixels", dir);
    line("software path, 2vuy fast tables, 1/2 size", sw);
    std::printf(
        "ratio = zugui / SDL2 (streaming UYVY texture, OpenGL renderer); above 1 is faster\n");
    return 0;
}
