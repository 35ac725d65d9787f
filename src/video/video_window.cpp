// Video windows: child windows of the main window with OpenGL contexts of their own, the
// one-time probe of the extensions the display needs, and the video mouse capture.
#include <GL/glew.h>
#include <GL/glu.h>

#include <mutex>
#include <new>

#include "gui/gui_state.h"
#include "video/video_internal.h"

namespace zu::detail {

VideoCaps& videoCaps() {
    static VideoCaps caps;
    return caps;
}

namespace {

ws::Cursor* videoCursor() {
    // Loaded once and shared by every video window.
    static ws::Cursor* cursor = ws::loadCursor("data/icons/envoycursor.cur");
    return cursor;
}

void probeOnce() {
    VideoCaps& c = videoCaps();
    if (c.probed) return;
    // Not experimental: that mode marks an extension present whenever its entry points
    // resolve, and Mesa resolves every name, so flags would claim what the driver lacks.
    // The context is a compatibility one, whose extension string GLEW reads as it is.
    glewInit();
    glGetError();
    c.has422Pixels = glewIsSupported("GL_EXT_422_pixels");
    c.hasPackedPixels = glewIsSupported("GL_EXT_packed_pixels");
    c.hasBGRA = glewIsSupported("GL_EXT_bgra");
    c.hasABGR = glewIsSupported("GL_EXT_abgr");
    c.hasFramebufferObjects = glewIsSupported("GL_EXT_framebuffer_object");
    c.hasNonPowerOfTwo = glewIsSupported("GL_ARB_texture_non_power_of_two");
    c.hasPixelBufferObjects = glewIsSupported("GL_ARB_pixel_buffer_object");
    c.hasShadingLanguage = glewIsSupported("GL_ARB_shading_language_100");
    c.hasShaderObjects = glewIsSupported("GL_ARB_shader_objects");
    ++c.probeCount;
    c.probed = true;
}

void setProjection(int w, int h) {
    glViewport(0, 0, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, w, 0, h);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void standardVideoState(int w, int h) {
    setProjection(w, h);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.f, 0.f, 0.f, 1.f);
    glClearDepth(1.0);
    for (GLenum cap : {GL_ALPHA_TEST, GL_BLEND, GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_LIGHTING,
                       GL_COLOR_LOGIC_OP, GL_STENCIL_TEST, GL_TEXTURE_1D, GL_TEXTURE_2D,
                       GL_SCISSOR_TEST, GL_LINE_SMOOTH, GL_POINT_SMOOTH, GL_POLYGON_SMOOTH})
        glDisable(cap);
    if (GLEW_EXT_histogram || GLEW_ARB_imaging) glDisable(GL_HISTOGRAM);
    glGetError();
    glPixelTransferf(GL_RED_SCALE, 1.f);
    glPixelTransferf(GL_GREEN_SCALE, 1.f);
    glPixelTransferf(GL_BLUE_SCALE, 1.f);
    glPixelTransferf(GL_ALPHA_SCALE, 1.f);
    glPixelTransferf(GL_RED_BIAS, 0.f);
    glPixelTransferf(GL_GREEN_BIAS, 0.f);
    glPixelTransferf(GL_BLUE_BIAS, 0.f);
    glPixelTransferf(GL_ALPHA_BIAS, 0.f);
    glPixelTransferi(GL_MAP_COLOR, GL_FALSE);
}

}  // namespace
}  // namespace zu::detail

using zu::detail::gui;
using zu::detail::videoCaps;
namespace ws = zu::ws;

ZUAPI ZUVideoWindowNode* ZUCreateVideoWindow(ZUWindowNode* owner, char* title, ZuRECT* rect,
                                             int adopt) {
    auto& g = gui();
    if (!rect || !ws::open()) return nullptr;
    // A video window is a child of the GUI's window; an adopted one is the host's window.
    if (!adopt && !g.mainWindow) return nullptr;
    void* host = adopt ? static_cast<void*>(owner) : nullptr;
    if (adopt && !ws::nativeWindowExists(host)) return nullptr;
    auto* v = new (std::nothrow) ZUVideoWindowNode{};
    if (!v) return nullptr;

    ws::Window* window = nullptr;
    ws::Surface* surface = nullptr;
    if (!adopt) {
        ws::WindowDesc d;
        // In embedded mode video windows are plain windows: no input reaches the GUI's
        // procedure from them.
        d.proc = g.embedded ? nullptr : zu::detail::guiWindowProc;
        d.input = !g.embedded;
        d.cursor = g.embedded ? nullptr : zu::detail::videoCursor();
        d.parent = g.mainWindow;
        d.caption = title;
        d.surface = true;
        d.x = rect->x, d.y = rect->y, d.width = rect->width, d.height = rect->height;
        window = ws::createWindow(d, &surface);  // shown with ZUShowVideoWindow
        v->window = ws::nativeHandle(window);
        v->owner = owner;
        if (window) zu::detail::registerVideoWindow(v, window, owner, &v->started);  // may be full
    } else {
        // The host's window, ours or another client's: only a surface of our own on it.
        surface = ws::createSurface(host);
        v->window = surface ? host : nullptr;
    }
    if (!v->window || !surface) {
        zu::detail::unregisterVideoWindow(v);
        ws::destroySurface(surface);
        ws::destroyWindow(window);
        delete v;
        return nullptr;
    }

    // The size the window was given, which the window system keeps within its limits.
    v->x = rect->x, v->y = rect->y;
    v->width = ws::windowSide(rect->width), v->height = ws::windowSide(rect->height);
    v->lastZoomX = v->lastZoomY = -1.f;
    v->lastFormat = ZU_PF_bgrA;
    v->layoutStale = 1;
    v->adopted = adopt;
    v->textureTarget = GL_TEXTURE_2D;

    v->dc = v->rc = surface;
    if (ws::makeCurrent(surface)) {
        zu::detail::probeOnce();
        zu::detail::standardVideoState(v->width, v->height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        ws::makeCurrent(nullptr);
    }
    const auto& c = videoCaps();
    v->has422 = c.has422Pixels;
    v->hasPacked = c.hasPackedPixels;
    v->hasBGRA = c.hasBGRA;
    v->hasABGR = c.hasABGR;
    return v;
}

ZUAPI ZuErr ZUResetVideoWindow(ZUVideoWindowNode* video, ZuRECT* rect) {
    if (!video || !rect) return 0;
    if (!video->rc || !ws::makeCurrent(zu::detail::surfaceOf(video))) return 0;
    video->x = rect->x, video->y = rect->y;
    video->width = rect->width, video->height = rect->height;
    zu::detail::setProjection(rect->width, rect->height);
    ws::makeCurrent(nullptr);
    return 0;
}

ZUAPI ZuErr ZUResizeVideoWindow(ZUVideoWindowNode* video, ZuRECT* rect) {
    if (!video || !rect) return 0;
    // Held started so that the window procedure sends no erase while the size changes.
    video->started.store(true, std::memory_order_release);
    auto& g = gui();
    ws::Window* w = zu::detail::videoWindowOf(video);
    ws::setGeometry(w, rect->x, rect->y, rect->width, rect->height);
    ws::raise(w, false);
    if (g.videoTable) {
        for (int i = 0; i < zu::detail::kVideoSlotCount; ++i) {
            if (g.videoTable[i].video != video) continue;
            video->x = video->y = 0;
            video->width = ws::windowSide(rect->width);
            video->height = ws::windowSide(rect->height);
            video->layoutStale = 1;
            break;
        }
    }
    video->started.store(false, std::memory_order_release);
    return 0;
}

ZUAPI ZuErr ZUShowVideoWindow(ZUVideoWindowNode* video, int show) {
    ws::Window* w = zu::detail::videoWindowOf(video);
    if (w && show) ws::show(w, true);
    if (w && !show) ws::hide(w);
    return 0;
}

ZUAPI unsigned char ZUIsVideoWindowVisible(ZUVideoWindowNode* video) {
    return ws::isVisible(zu::detail::videoWindowOf(video)) ? 1 : 0;
}

ZUAPI ZuErr ZUDestroyVideoWindow(ZUVideoWindowNode* video) {
    if (!video) return 0;
    if (gui().videoCapture == video) ZUVReleaseMouse();
    ws::Window* w = zu::detail::videoWindowOf(video);
    zu::detail::unregisterVideoWindow(video);
    ws::makeCurrent(nullptr);
    ws::destroySurface(zu::detail::surfaceOf(video));
    // An adopted window is the host's and stays.
    if (!video->adopted) ws::destroyWindow(w);
    delete video;
    return 0;
}

ZUAPI void* ZUGetVideoWindowHWND(ZUVideoWindowNode* video) {
    return video ? video->window : nullptr;
}

ZUAPI void* ZUGetVideoWindowDC(ZUVideoWindowNode* video) {
    return video ? video->dc : nullptr;
}

ZUAPI ZuErr ZUReleaseVideoWindowDC(ZUVideoWindowNode*, void*) {
    return 0;  // the surface lives as long as the video window
}

ZUAPI ZuErr ZURegDropFilesVideoWindow(ZUVideoWindowNode* video) {
    ws::acceptFiles(zu::detail::videoWindowOf(video), true);
    return 0;
}

ZUAPI ZuErr ZUUnRegDropFilesVideoWindow(ZUVideoWindowNode* video) {
    ws::acceptFiles(zu::detail::videoWindowOf(video), false);
    return 0;
}

ZUAPI ZuErr ZUVCaptureMouse(ZUVideoWindowNode* video) {
    auto& g = gui();
    if (!video || g.videoCapture) return 0;
    g.videoCapture = video;
    ws::setCapture(zu::detail::videoWindowOf(video));
    return 0;
}

ZUAPI ZuErr ZUVReleaseMouse(void) {
    auto& g = gui();
    if (!g.videoCapture) return 0;
    g.videoCapture = nullptr;
    ws::releaseCapture();
    return 0;
}
