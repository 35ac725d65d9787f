// An SDL2 program with the GUI embedded in its window: SDL's own window, renderer and
// event loop, the GUI's messages dispatched on each turn of that loop.
#include <SDL.h>
#include <SDL_syswm.h>
#include <poll.h>

#include "embed_page.h"

using namespace embed_host;

namespace {

void paint(SDL_Renderer* r) {
    SDL_SetRenderDrawColor(r, kHostRgb >> 16, kHostRgb >> 8 & 255, kHostRgb & 255, 255);
    SDL_RenderClear(r);
    SDL_RenderPresent(r);
}

}  // namespace

int main(int, char**) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return 2;
    SDL_Window* win = SDL_CreateWindow("sdl2 host", 0, 0, kHostW, kHostH, SDL_WINDOW_SHOWN);
    SDL_Renderer* renderer = win ? SDL_CreateRenderer(win, -1, 0) : nullptr;
    // The X window only after the renderer: SDL may make the window again for it.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!renderer || !SDL_GetWindowWMInfo(win, &info) || info.subsystem != SDL_SYSWM_X11) return 2;
    paint(renderer);
    Page page;
    if (!startGui(page, info.info.x11.window)) return 3;

    std::string pending;
    for (bool running = true; running;) {
        SDL_Event ev;
        // SDL has no descriptor to wait on beside ours: a short wait, then the GUI's turn.
        for (bool got = SDL_WaitEventTimeout(&ev, 5); got; got = SDL_PollEvent(&ev)) {
            if (ev.type == SDL_QUIT) running = false;
            if (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_EXPOSED)
                paint(renderer);
            if (ev.type == SDL_MOUSEBUTTONDOWN) say("hostclick");
            if (ev.type == SDL_KEYDOWN && ev.key.keysym.sym < 128) {
                const char key[2] = {char(ev.key.keysym.sym), 0};
                say("hostkey %s", key);
            }
        }
        dispatchGui();
        pollfd in{0, POLLIN, 0};
        if (poll(&in, 1, 0) > 0 && !readCommands(page, pending)) running = false;
    }
    ZUStopGUI();
    ZUKillGUI();
    page.DestroyZUWindow();
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(win);
    SDL_Quit();
    return 0;
}
