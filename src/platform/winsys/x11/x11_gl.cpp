// Device contexts, pixel formats and GLX contexts.
#include <cstring>

#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws {
using namespace x11;

namespace {

typedef void (*SwapIntervalExt)(Display*, GLXDrawable, int);
typedef int (*SwapIntervalMesa)(unsigned);

VisualID windowVisual(State& s, Window w) {
    XWindowAttributes wa{};
    if (!trapErrors(s, [&] { XGetWindowAttributes(s.dpy, w, &wa); }) || !wa.visual) return 0;
    return XVisualIDFromVisual(wa.visual);
}

int attrib(State& s, int i, int a) {
    int v = 0;
    glXGetFBConfigAttrib(s.dpy, s.fbConfigs[i], a, &v);
    return v;
}

DcRec* findDc(State& s, void* dc) {
    auto it = s.dcs.find(static_cast<DcRec*>(dc));
    return it == s.dcs.end() ? nullptr : it->second.get();
}

}  // namespace

void* getDC(void* window) {
    State* s = live();
    if (!s || !window) return nullptr;
    std::lock_guard lock(s->mutex);
    WinRec* r = findWindow(*s, toWindow(window));
    if (!r) return nullptr;
    if (!r->dc) {
        auto dc = std::make_unique<DcRec>();
        dc->window = r->id;
        r->dc = dc.get();
        s->dcs.emplace(dc.get(), std::move(dc));
    }
    return r->dc;
}

bool releaseDC(void* window, void* dc) {
    // DC records live as long as their window (a class DC); releasing is a no-op check.
    State* s = live();
    if (!s || !window || !dc) return false;
    std::lock_guard lock(s->mutex);
    DcRec* d = findDc(*s, dc);
    return d && d->window == toWindow(window);
}

void* windowFromDC(void* dc) {
    State* s = live();
    if (!s || !dc) return nullptr;
    std::lock_guard lock(s->mutex);
    DcRec* d = findDc(*s, dc);
    return d ? toHandle(d->window) : nullptr;
}

int choosePixelFormat(void* dc, const PixelFormatDescriptor& pfd) {
    State* s = live();
    if (!s || !dc) return 0;
    Window w;
    {
        std::lock_guard lock(s->mutex);
        DcRec* d = findDc(*s, dc);
        if (!d) return 0;
        w = d->window;
    }
    // The visual of a window is fixed when it is made, so only configs of that visual can
    // serve it; among those the closest match to the request wins.
    const VisualID vis = windowVisual(*s, w);
    const bool wantDouble = (pfd.flags & PFD_DOUBLEBUFFER) != 0;
    int best = 0, bestScore = -1000000;
    for (int i = 0; i < s->fbConfigCount; ++i) {
        XVisualInfo* vi = glXGetVisualFromFBConfig(s->dpy, s->fbConfigs[i]);
        if (!vi) continue;
        const bool sameVisual = vi->visualid == vis;
        XFree(vi);
        if (!sameVisual) continue;
        const int dbl = attrib(*s, i, GLX_DOUBLEBUFFER);
        const int depth = attrib(*s, i, GLX_DEPTH_SIZE);
        const int alpha = attrib(*s, i, GLX_ALPHA_SIZE);
        const int stencil = attrib(*s, i, GLX_STENCIL_SIZE);
        const int samples = attrib(*s, i, GLX_SAMPLES);
        int score = 0;
        score -= (dbl != 0) != wantDouble ? 1000 : 0;
        score -= depth >= 24 ? std::abs(depth - std::min<int>(pfd.depthBits, 24)) : 500;
        score -= std::abs(alpha - pfd.alphaBits) * 2;
        score -= std::abs(stencil - pfd.stencilBits);
        score -= samples > 1 ? 100 : 0;
        if (score > bestScore) bestScore = score, best = i + 1;
    }
    return best;
}

bool setPixelFormat(void* dc, int format) {
    State* s = live();
    if (!s || !dc || format < 1 || format > s->fbConfigCount) return false;
    Window w;
    {
        std::lock_guard lock(s->mutex);
        DcRec* d = findDc(*s, dc);
        if (!d || d->format) return d && d->format == format;  // set once, as in the model
        w = d->window;
    }
    XVisualInfo* vi = glXGetVisualFromFBConfig(s->dpy, s->fbConfigs[format - 1]);
    const bool ok = vi && vi->visualid == windowVisual(*s, w);
    if (vi) XFree(vi);
    if (!ok) return false;
    std::lock_guard lock(s->mutex);
    if (DcRec* d = findDc(*s, dc)) d->format = format;
    return true;
}

void* createContext(void* dc) {
    State* s = live();
    if (!s || !dc) return nullptr;
    int format;
    {
        std::lock_guard lock(s->mutex);
        DcRec* d = findDc(*s, dc);
        if (!d || !d->format) return nullptr;
        format = d->format;
    }
    GLXContext c = nullptr;
    trapErrors(*s, [&] {
        c = glXCreateNewContext(s->dpy, s->fbConfigs[format - 1], GLX_RGBA_TYPE, nullptr, True);
    });
    if (!c) return nullptr;
    auto rec = std::make_unique<ContextRec>();
    rec->context = c;
    rec->format = format;
    ContextRec* raw = rec.get();
    std::lock_guard lock(s->mutex);
    s->contexts.emplace(raw, std::move(rec));
    return raw;
}

bool makeCurrent(void* dc, void* context) {
    State* s = live();
    if (!s) return false;
    if (!dc && !context) return glXMakeCurrent(s->dpy, None, nullptr);
    if (!dc || !context) return false;
    Window w;
    GLXContext c;
    {
        std::lock_guard lock(s->mutex);
        DcRec* d = findDc(*s, dc);
        auto it = s->contexts.find(static_cast<ContextRec*>(context));
        if (!d || it == s->contexts.end()) return false;
        w = d->window;
        c = it->second->context;
    }
    bool ok = false;
    trapErrors(*s, [&] { ok = glXMakeCurrent(s->dpy, w, c); });
    return ok;
}

bool deleteContext(void* context) {
    State* s = live();
    if (!s || !context) return false;
    std::unique_ptr<ContextRec> rec;
    {
        std::lock_guard lock(s->mutex);
        auto it = s->contexts.find(static_cast<ContextRec*>(context));
        if (it == s->contexts.end()) return false;
        rec = std::move(it->second);
        s->contexts.erase(it);
    }
    if (glXGetCurrentContext() == rec->context) glXMakeCurrent(s->dpy, None, nullptr);
    glXDestroyContext(s->dpy, rec->context);
    return true;
}

void* currentContext() {
    State* s = live();
    if (!s) return nullptr;
    GLXContext c = glXGetCurrentContext();
    if (!c) return nullptr;
    std::lock_guard lock(s->mutex);
    for (auto& [k, v] : s->contexts)
        if (v->context == c) return k;
    return nullptr;
}

bool swapBuffers(void* dc) {
    State* s = live();
    if (!s || !dc) return false;
    Window w;
    {
        std::lock_guard lock(s->mutex);
        DcRec* d = findDc(*s, dc);
        if (!d) return false;
        w = d->window;
    }
    glXSwapBuffers(s->dpy, w);
    wakeReader();
    return true;
}

bool swapInterval(void* dc, int interval) {
    State* s = live();
    if (!s || !dc) return false;
    Window w;
    {
        std::lock_guard lock(s->mutex);
        DcRec* d = findDc(*s, dc);
        if (!d) return false;
        w = d->window;
    }
    const char* ext = glXQueryExtensionsString(s->dpy, s->screen);
    if (ext && strstr(ext, "GLX_EXT_swap_control")) {
        auto f = reinterpret_cast<SwapIntervalExt>(
            glXGetProcAddress(reinterpret_cast<const GLubyte*>("glXSwapIntervalEXT")));
        if (f) {
            f(s->dpy, w, interval);
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
