// GL surfaces: a GLX context on the GL connection, drawing into one window.
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>

#include "platform/report.h"
#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws {
using namespace x11;

namespace {

typedef void (*SwapIntervalExt)(Display*, GLXDrawable, int);
typedef int (*SwapIntervalMesa)(unsigned);

thread_local Surface* tlsCurrent = nullptr;

// A context the host had current on this thread when one of ours took its place; it comes
// back when ours is released, so that a host drawing with GL on the thread that calls us
// (SDL's renderer, say) keeps drawing. Our contexts all live on the GL connection.
struct HostContext {
    Display* dpy = nullptr;
    GLXDrawable draw = 0, read = 0;
    GLXContext context = nullptr;
};
thread_local HostContext tlsHost;

// llvmpipe is not safe with the contexts of one screen used on several threads at once: a
// video thread's texture upload crashed inside the driver, reading memory the GUI thread
// had just freed there while clearing a popup's context (a core dump). On a software
// renderer our contexts therefore take turns, one burst of GL (made current .. released) at
// a time; its rasteriser uses every core for each burst anyway. Other drivers keep their
// parallelism. Unknown until the first context is current, and taking turns until then.
// A flag under a mutex rather than a timed mutex: the sanitizer does not see the
// clock-based lock the latter uses, and would take every hand-over for a bad unlock. Never
// destroyed: a thread stuck on a lost display may still wait on it at exit.
struct Turn {
    std::mutex mutex;
    std::condition_variable free;
    bool held = false;
};
Turn& glTurn = *new Turn;
thread_local bool tlsTurn = false;
std::atomic<int> takeTurns{-1};

bool softwareRenderer() {
    const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    if (!r) return true;
    for (const char* cpu : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
        if (strstr(r, cpu)) return true;
    return false;
}

// Waits for the turn in slices, so that a thread stuck in a burst on a lost display does
// not hold the others for ever. False when the display went away meanwhile.
bool takeTurn() {
    if (tlsTurn || takeTurns.load(std::memory_order_acquire) == 0) return true;
    std::unique_lock lock(glTurn.mutex);
    while (!glTurn.free.wait_for(lock, std::chrono::milliseconds(20), [] { return !glTurn.held; }))
        if (displayLost()) return false;
    glTurn.held = true;
    tlsTurn = true;
    return true;
}

void giveTurn() {
    if (!tlsTurn) return;
    tlsTurn = false;
    {
        std::lock_guard lock(glTurn.mutex);
        glTurn.held = false;
    }
    glTurn.free.notify_one();
}

void rememberHostContext(const State& s) {
    if (tlsCurrent) return;  // ours is current: the host's is already remembered, if any
    Display* d = glXGetCurrentDisplay();
    GLXContext c = glXGetCurrentContext();
    tlsHost = c && d && d != s.glDpy
                  ? HostContext{d, glXGetCurrentDrawable(), glXGetCurrentReadDrawable(), c}
                  : HostContext{};
}

bool releaseCurrent(const State& s) {
    tlsCurrent = nullptr;
    const HostContext host = tlsHost;
    tlsHost = {};
    const bool ok = host.context
                        ? glXMakeContextCurrent(host.dpy, host.draw, host.read, host.context)
                        : glXMakeCurrent(s.glDpy, None, nullptr);
    giveTurn();
    return ok;
}

struct Configs {
    std::mutex mutex;
    std::map<VisualID, GLXFBConfig> byVisual;  // the standard format's config per visual
    GLXFBConfig* all = nullptr;
    int count = 0;
};
Configs& configs() {
    static Configs* c = new Configs;
    return *c;
}

int attrib(Display* d, GLXFBConfig c, int a) {
    int v = 0;
    glXGetFBConfigAttrib(d, c, a, &v);
    return v;
}

// The config closest to the standard format (double-buffered RGBA, depth 24 or more, no
// alpha, stencil or multisampling) among those of a visual; null when it has none. A
// window's visual is fixed when it is made, so only its configs can serve it.
GLXFBConfig configFor(State& s, VisualID visual) {
    Configs& c = configs();
    std::lock_guard lock(c.mutex);
    if (auto it = c.byVisual.find(visual); it != c.byVisual.end()) return it->second;
    GLXFBConfig best = nullptr;
    int bestScore = -1000000;
    for (int i = 0; i < c.count; ++i) {
        XVisualInfo* vi = glXGetVisualFromFBConfig(s.glDpy, c.all[i]);
        if (!vi) continue;
        const bool same = vi->visualid == visual;
        XFree(vi);
        if (!same) continue;
        const int depth = attrib(s.glDpy, c.all[i], GLX_DEPTH_SIZE);
        int score = attrib(s.glDpy, c.all[i], GLX_DOUBLEBUFFER) ? 0 : -1000;
        score -= depth >= 24 ? depth - 24 : 500;
        score -= attrib(s.glDpy, c.all[i], GLX_ALPHA_SIZE) * 2;
        score -= attrib(s.glDpy, c.all[i], GLX_STENCIL_SIZE);
        score -= attrib(s.glDpy, c.all[i], GLX_SAMPLES) > 1 ? 100 : 0;
        if (score > bestScore) bestScore = score, best = c.all[i];
    }
    c.byVisual[visual] = best;
    return best;
}

}  // namespace

namespace x11 {

bool glInit(State& s) {
    Configs& c = configs();
    c.all = glXGetFBConfigs(s.glDpy, s.screen, &c.count);
    return c.all && c.count > 0 && configFor(s, s.visual.visualid);
}

Surface* surfaceFor(State& s, XWin w, VisualID visual) {
    GLXFBConfig config = configFor(s, visual);
    if (!config) return nullptr;
    GLXContext ctx = nullptr;
    GlTurn turn;
    // Mesa reads the replies of a context's set-up unchecked: never on a lost server.
    if (s.lost.load(std::memory_order_acquire)) return nullptr;
    trapErrors(s.glDpy,
               [&] { ctx = glXCreateNewContext(s.glDpy, config, GLX_RGBA_TYPE, nullptr, True); });
    if (!ctx) {
        zu::detail::reportFailure("GL context could not be made for window 0x%lx", w);
        return nullptr;
    }
    return new Surface{ctx, w};
}

}  // namespace x11

Surface* createSurface(void* nativeWindow) {
    State* s = live();
    if (!s || !nativeWindow) return nullptr;
    XWindowAttributes wa{};
    if (!trapErrors(*s, [&] { XGetWindowAttributes(s->dpy, toXWin(nativeWindow), &wa); }) ||
        !wa.visual)
        return nullptr;
    return surfaceFor(*s, toXWin(nativeWindow), XVisualIDFromVisual(wa.visual));
}

void destroySurface(Surface* surface) {
    if (!surface) return;
    if (State* s = live()) {
        if (tlsCurrent == surface || glXGetCurrentContext() == surface->context) releaseCurrent(*s);
        GlTurn turn;
        glXDestroyContext(s->glDpy, surface->context);
    }
    delete surface;
}

GlTurn::GlTurn() : took_(!tlsTurn) {
    takeTurn();
}
GlTurn::~GlTurn() {
    if (took_) giveTurn();
}

void yieldTurn() {
    giveTurn();
}

bool makeCurrent(Surface* surface) {
    State* s = live();
    if (!s) return false;
    if (!surface) return releaseCurrent(*s);
    if (!takeTurn()) return false;
    rememberHostContext(*s);
    // The turn may have taken a while, and Mesa reads the replies of a bind unchecked.
    if (s->lost.load(std::memory_order_acquire)) {
        if (!tlsCurrent) giveTurn();
        return false;
    }
    if (!glXMakeCurrent(s->glDpy, surface->drawable, surface->context)) {
        zu::detail::reportFailure("GL context could not be made current for window 0x%lx",
                                  surface->drawable);
        if (!tlsCurrent) giveTurn();
        return false;
    }
    tlsCurrent = surface;
    if (takeTurns.load(std::memory_order_acquire) < 0) {
        const bool software = softwareRenderer();
        takeTurns.store(software ? 1 : 0, std::memory_order_release);
        if (!software) giveTurn();
    }
    return true;
}

void* currentContext() {
    // A context made current outside this layer is not ours to name.
    return tlsCurrent && glXGetCurrentContext() == tlsCurrent->context ? tlsCurrent : nullptr;
}

bool swapBuffers(Surface* surface) {
    State* s = live();
    if (!s || !surface) return false;
    glXSwapBuffers(s->glDpy, surface->drawable);
    return true;
}

bool swapInterval(Surface* surface, int interval) {
    State* s = live();
    if (!s || !surface) return false;
    const char* ext = glXQueryExtensionsString(s->glDpy, s->screen);
    if (ext && strstr(ext, "GLX_EXT_swap_control")) {
        auto f = reinterpret_cast<SwapIntervalExt>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (f) {
            f(s->glDpy, surface->drawable, interval);
            return true;
        }
    }
    if (ext && strstr(ext, "GLX_MESA_swap_control")) {
        auto f = reinterpret_cast<SwapIntervalMesa>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXSwapIntervalMESA")));
        if (f) return f(static_cast<unsigned>(interval)) == 0;
    }
    return false;
}

}  // namespace zu::ws
