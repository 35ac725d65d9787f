// Video windows: child windows of the main window with OpenGL contexts of their own, the
// one-time probe of the extensions the display needs, and the video mouse capture.
#include <GL/glew.h>
#include <GL/glu.h>

#include <mutex>
#include <new>
#include <set>

#include "gui/gui_state.h"
#include "video/video_internal.h"

namespace zu::detail {

VideoCaps& videoCaps() {
    static VideoCaps caps;
    return caps;
}

namespace {

constexpr const char* kVideoClass = "ZUVideo Window";
// In embedded mode video windows are plain static windows: no input reaches the GUI's
// procedure from them.
constexpr const char* kStaticClass = "Static";

// Foreign windows given to ZUCreateVideoWindow that the window-system layer had to adopt,
// so that destruction gives them back.
std::set<void*>& adoptedHere() {
    static std::set<void*> s;
    return s;
}

void* videoCursor() {
    // Loaded once and shared by every video window, as the class's cursor.
    static void* cursor = ws::loadCursorFromFile("data/icons/envoycursor.cur");
    return cursor;
}

bool registerClassOnce(const char* name, ws::WndProc proc, unsigned styles, void* cursor) {
    ws::WindowClass wc;
    wc.name = name;
    wc.proc = proc;
    wc.styles = styles;
    wc.cursor = cursor;
    return ws::registerClass(wc) == 0 || ws::lastError() == ws::ERROR_CLASS_ALREADY_EXISTS;
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
    if (!adopt) {
        if (!g.mainWindow) return nullptr;  // a video window is a child of the GUI's window
        const bool ok = g.embedded
                            ? zu::detail::registerClassOnce(zu::detail::kStaticClass,
                                                            ws::defWindowProc, 0, nullptr)
                            : zu::detail::registerClassOnce(
                                  zu::detail::kVideoClass, zu::detail::guiWindowProc,
                                  ws::CS_HREDRAW | ws::CS_VREDRAW, zu::detail::videoCursor());
        if (!ok) return nullptr;
    }
    auto* v = new (std::nothrow) ZUVideoWindowNode{};
    if (!v) return nullptr;

    if (!adopt) {
        ws::CreateWindowParams p;
        p.className = g.embedded ? zu::detail::kStaticClass : zu::detail::kVideoClass;
        p.caption = title ? title : "";
        p.style = ws::WS_CHILD;  // shown with ZUShowVideoWindow
        p.x = rect->x, p.y = rect->y, p.width = rect->width, p.height = rect->height;
        p.parent = g.mainWindow;
        v->window = ws::createWindow(p);
        v->owner = owner;
        if (v->window)
            zu::detail::registerVideoWindow(v, v->window, owner, &v->started);  // may be full
    } else {
        void* w = static_cast<void*>(owner);
        // A window made outside our window-system layer is adopted to get a context on it.
        if (w && !ws::getWindowProc(w)) {
            if (ws::adoptWindow(w))
                zu::detail::adoptedHere().insert(w);
            else
                w = nullptr;
        }
        v->window = w;
    }
    if (!v->window) {
        zu::detail::unregisterVideoWindow(v);
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

    v->dc = ws::getDC(v->window);
    ws::PixelFormatDescriptor pfd;
    pfd.flags = ws::PFD_DRAW_TO_WINDOW | ws::PFD_SUPPORT_OPENGL | ws::PFD_DOUBLEBUFFER;
    pfd.pixelType = ws::PFD_TYPE_RGBA;
    pfd.colorBits = 32;
    pfd.depthBits = 32;
    ws::setPixelFormat(v->dc, ws::choosePixelFormat(v->dc, pfd));
    v->rc = ws::createContext(v->dc);
    if (v->rc && ws::makeCurrent(v->dc, v->rc)) {
        zu::detail::probeOnce();
        zu::detail::standardVideoState(v->width, v->height);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        ws::makeCurrent(nullptr, nullptr);
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
    if (!video->rc || !ws::makeCurrent(video->dc, video->rc)) return 0;
    video->x = rect->x, video->y = rect->y;
    video->width = rect->width, video->height = rect->height;
    zu::detail::setProjection(rect->width, rect->height);
    ws::makeCurrent(nullptr, nullptr);
    return 0;
}

ZUAPI ZuErr ZUResizeVideoWindow(ZUVideoWindowNode* video, ZuRECT* rect) {
    if (!video || !rect) return 0;
    // Held started so that the window procedure sends no erase while the size changes.
    video->started.store(true, std::memory_order_release);
    ws::setWindowPos(video->window, ws::HWND_TOP, rect->x, rect->y, rect->width, rect->height, 0);
    auto& g = gui();
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
    if (video) ws::showWindow(video->window, show ? ws::SW_SHOWNORMAL : ws::SW_HIDE);
    return 0;
}

ZUAPI unsigned char ZUIsVideoWindowVisible(ZUVideoWindowNode* video) {
    return video && ws::isWindowVisible(video->window) ? 1 : 0;
}

ZUAPI ZuErr ZUDestroyVideoWindow(ZUVideoWindowNode* video) {
    if (!video) return 0;
    if (gui().videoCapture == video) ZUVReleaseMouse();
    zu::detail::unregisterVideoWindow(video);
    ws::makeCurrent(nullptr, nullptr);
    if (video->rc) ws::deleteContext(video->rc);
    if (video->dc) ws::releaseDC(video->window, video->dc);
    if (!video->adopted) {
        ws::destroyWindow(video->window);
        // Fails harmlessly while other video windows still use the class.
        ws::unregisterClass(zu::detail::kVideoClass);
    } else if (zu::detail::adoptedHere().erase(video->window)) {
        ws::releaseAdoptedWindow(video->window);
    }
    delete video;
    return 0;
}

ZUAPI void* ZUGetVideoWindowHWND(ZUVideoWindowNode* video) {
    return video ? video->window : nullptr;
}

ZUAPI void* ZUGetVideoWindowDC(ZUVideoWindowNode* video) {
    return video ? ws::getDC(video->window) : nullptr;
}

ZUAPI ZuErr ZUReleaseVideoWindowDC(ZUVideoWindowNode* video, void* dc) {
    if (video && dc) ws::releaseDC(video->window, dc);
    return 0;
}

ZUAPI ZuErr ZURegDropFilesVideoWindow(ZUVideoWindowNode* video) {
    if (video) ws::dragAcceptFiles(video->window, true);
    return 0;
}

ZUAPI ZuErr ZUUnRegDropFilesVideoWindow(ZUVideoWindowNode* video) {
    if (video) ws::dragAcceptFiles(video->window, false);
    return 0;
}

ZUAPI ZuErr ZUVCaptureMouse(ZUVideoWindowNode* video) {
    auto& g = gui();
    if (!video || g.videoCapture) return 0;
    g.videoCapture = video;
    ws::setCapture(video->window);
    return 0;
}

ZUAPI ZuErr ZUVReleaseMouse(void) {
    auto& g = gui();
    if (!g.videoCapture) return 0;
    g.videoCapture = nullptr;
    ws::releaseCapture();
    return 0;
}
