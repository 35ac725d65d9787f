// zugui demo host: opens a window, draws with OpenGL and, when headless, saves what it drew.
#include <GL/gl.h>
#include <png.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/winsys/winsys.h"

using namespace zu::ws;

namespace {

constexpr int kWidth = 640, kHeight = 360;

intptr_t demoProc(void* w, unsigned m, uintptr_t wp, intptr_t lp) {
    if (m == WM_CLOSE || (m == WM_KEYDOWN && wp == VK_ESCAPE)) {
        ZuPostQuitMessage(0);
        return 0;
    }
    return defWindowProc(w, m, wp, lp);
}

void draw() {
    glViewport(0, 0, kWidth, kHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, kWidth, 0, kHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0.08f, 0.09f, 0.11f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    // Colour bars across the top two thirds, a grey ramp below.
    const float bars[7][3] = {{.75f, .75f, .75f}, {.75f, .75f, 0}, {0, .75f, .75f}, {0, .75f, 0},
                              {.75f, 0, .75f},    {.75f, 0, 0},    {0, 0, .75f}};
    const float bw = kWidth / 7.0f;
    glBegin(GL_QUADS);
    for (int i = 0; i < 7; ++i) {
        glColor3fv(bars[i]);
        glVertex2f(i * bw, kHeight * 0.33f);
        glVertex2f((i + 1) * bw, kHeight * 0.33f);
        glVertex2f((i + 1) * bw, kHeight);
        glVertex2f(i * bw, kHeight);
    }
    glColor3f(0, 0, 0);
    glVertex2f(0, 0);
    glColor3f(1, 1, 1);
    glVertex2f(kWidth, 0);
    glVertex2f(kWidth, kHeight * 0.33f);
    glColor3f(0, 0, 0);
    glVertex2f(0, kHeight * 0.33f);
    glEnd();
}

bool writePng(const std::string& path, const std::vector<unsigned char>& rgba) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = kWidth;
    img.height = kHeight;
    img.format = PNG_FORMAT_RGBA;
    // GL rows run bottom-up: a negative stride flips them.
    return png_image_write_to_file(&img, path.c_str(), 0, rgba.data(), -kWidth * 4, nullptr) != 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string outDir = argc > 1 ? argv[1] : "build/demo";
    const bool headless = getenv("ZUGUI_HEADLESS") != nullptr;
    if (!open()) {
        fprintf(stderr, "zugui-demo: cannot open the X display\n");
        return 1;
    }
    WindowClass wc;
    wc.name = "ZuguiDemo";
    wc.proc = demoProc;
    wc.cursor = loadCursorFromFile("data/icons/envoycursor.cur");
    wc.icon = wc.iconSmall = loadIconFromFile("data/icons/zugui.ico");
    registerClass(wc);
    CreateWindowParams p;
    p.className = "ZuguiDemo";
    p.caption = "zugui demo";
    p.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    p.x = 100, p.y = 100, p.width = kWidth, p.height = kHeight;
    void* window = createWindow(p);
    void* dc = getDC(window);
    PixelFormatDescriptor pfd;
    pfd.flags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    setPixelFormat(dc, choosePixelFormat(dc, pfd));
    void* ctx = createContext(dc);
    if (!window || !ctx || !makeCurrent(dc, ctx)) {
        fprintf(stderr, "zugui-demo: no window or OpenGL context\n");
        return 1;
    }
    printf("zugui-demo: OpenGL %s on %s\n", glGetString(GL_VERSION), glGetString(GL_RENDERER));
    draw();
    if (headless) {
        glFinish();
        std::vector<unsigned char> rgba(size_t{kWidth} * kHeight * 4);
        glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        mkdir(outDir.c_str(), 0755);
        const std::string path = outDir + "/window.png";
        const bool ok = writePng(path, rgba);
        printf("zugui-demo: %s %s\n", ok ? "wrote" : "could not write", path.c_str());
        swapBuffers(dc);
        return ok ? 0 : 1;
    }
    swapBuffers(dc);
    ZuMSG m;
    while (ZuGetMessage(&m) > 0) {
        ZuDispatchMessage(&m);
        if (m.message == WM_PAINT || m.message == WM_SIZE) {
            draw();
            swapBuffers(dc);
        }
    }
    makeCurrent(nullptr, nullptr);
    deleteContext(ctx);
    destroyWindow(window);
    return 0;
}
