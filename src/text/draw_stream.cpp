// The ordered stream of triangles that the widgets and the text draw into, and the record of
// each context's viewport that its projection comes from.
#define GL_GLEXT_PROTOTYPES 1
#include "text/draw_stream.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/winsys/winsys.h"
#include "text/text.h"

namespace zu::detail {
namespace {

// The viewport last set in each context that draws.
struct ContextView {
    void* context = nullptr;
    GLint viewport[4] = {};
};
constexpr int kViews = 8;
std::mutex viewsMutex;
ContextView views[kViews];
int nextView = 0;

Ortho orthoOf(const int vp[4]) {
    const float l = static_cast<float>(vp[0]), r = static_cast<float>(vp[2]);
    const float b = 0.0f, t = static_cast<float>(vp[3]);
    return {2.0f / (r - l), -(r + l) / (r - l), 2.0f / (t - b), -(t + b) / (t - b)};
}

struct Stream {
    std::vector<StreamVertex> corners;
    bool ready = false;     // context, projection and texture taken for the corners waiting
    bool drawable = false;  // the viewport has an area
    void* context = nullptr;
    Ortho ortho{};
    int viewport[4] = {};
    GLuint texture = 0;  // the set's atlas in this context; 0: plain quads untextured
    float whiteS = 0, whiteT = 0;
    float colour[4] = {1, 1, 1, 1};
    bool colourBehind = false;  // OpenGL's current colour is not the stream's yet
    bool scissorOn = false;     // the scissor test, as it was when the stream was prepared
    bool boxBehind = false;     // a text's scissor box waits to be set
    GLint box[4] = {};
    int held = 0;
};
thread_local Stream stream;

void prepare(Stream& s) {
    if (s.ready) return;
    const Target t = currentTarget();
    s.ready = true;
    s.context = t.context;
    s.drawable = t.viewport[2] != t.viewport[0] && t.viewport[3] != 0;
    s.ortho = orthoOf(t.viewport);
    std::memcpy(s.viewport, t.viewport, sizeof s.viewport);
    s.scissorOn = glIsEnabled(GL_SCISSOR_TEST);
    // A texture name means nothing in a context the set was not built in.
    const GlyphFont* f = fontForId(0);
    const bool own = f->texture && f->context == t.context;
    s.texture = own ? f->texture : 0;
    s.whiteS = own ? f->atlas->whiteS : 0;
    s.whiteT = own ? f->atlas->whiteT : 0;
}

void draw(const Stream& s) {
    // The corners are in clip space already.
    glPushAttrib(GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const StreamVertex* v = s.corners.data();
    if (s.texture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, s.texture);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, sizeof *v, &v->s);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, sizeof *v, &v->r);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(2, GL_FLOAT, sizeof *v, &v->x);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(s.corners.size()));
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopClientAttrib();
    glPopAttrib();
}

void added(Stream& s) {
    if (!s.held) flushDrawing();
}

// Nothing switches contexts inside a batch without flushing it first (host code runs
// under HostDrawing), so while one holds the prepared stream, its context and viewport are
// the current ones.
bool preparedInBatch(const Stream& s) {
    return s.ready && s.held > 0;
}

}  // namespace

void* currentContextHere() {
    const Stream& s = stream;
    return preparedInBatch(s) ? s.context : ws::currentContext();
}

Target currentTarget() {
    const Stream& s = stream;
    if (preparedInBatch(s)) {
        Target t{s.context, {}};
        std::memcpy(t.viewport, s.viewport, sizeof t.viewport);
        return t;
    }
    Target t{ws::currentContext(), {}};
    {
        std::lock_guard lock(viewsMutex);
        for (const ContextView& v : views)
            if (t.context && v.context == t.context) {
                std::memcpy(t.viewport, v.viewport, sizeof v.viewport);
                return t;
            }
    }
    glGetIntegerv(GL_VIEWPORT, t.viewport);
    if (!t.context) return t;
    std::lock_guard lock(viewsMutex);
    ContextView& v = views[nextView];
    nextView = (nextView + 1) % kViews;
    v.context = t.context;
    std::memcpy(v.viewport, t.viewport, sizeof v.viewport);
    return t;
}

void setViewport(int x, int y, int width, int height) {
    flushDrawing();  // what waits belongs to the old viewport
    glViewport(x, y, width, height);
    // OpenGL refuses a negative size and keeps the viewport it had, and so does the record.
    void* context = ws::currentContext();
    if (!context || width < 0 || height < 0) return;
    std::lock_guard lock(viewsMutex);
    ContextView* slot = nullptr;
    for (ContextView& v : views)
        if (v.context == context) slot = &v;
    if (!slot) {
        slot = &views[nextView];
        nextView = (nextView + 1) % kViews;
    }
    slot->context = context;
    const GLint v[4] = {x, y, width, height};
    std::memcpy(slot->viewport, v, sizeof v);
}

void forgetViewport() {
    void* context = ws::currentContext();
    {
        std::lock_guard lock(viewsMutex);
        for (ContextView& v : views)
            if (context && v.context == context) v = ContextView{};
    }
    Stream& s = stream;
    if (s.context == context) s.corners.clear(), s.ready = false;
}

DeferDrawing::DeferDrawing() {
    Stream& s = stream;
    // A stream prepared outside any batch (a lone line with no area to draw in) may belong
    // to a context no longer current.
    if (!s.held && s.corners.empty()) s.ready = false;
    ++s.held;
}
DeferDrawing::~DeferDrawing() {
    if (--stream.held == 0) flushDrawing();
}

HostDrawing::HostDrawing() : held_(stream.held) {
    flushDrawing();
    stream.held = 0;
}
HostDrawing::~HostDrawing() {
    flushDrawing();
    stream.held = held_;
}

void flushDrawing() {
    Stream& s = stream;
    if (!s.corners.empty()) {
        // Corners made for another context cannot be drawn in this one.
        if (s.drawable && ws::currentContext() == s.context) draw(s);
        s.corners.clear();
        s.colourBehind = true;  // a colour array leaves the current colour undefined
    }
    s.ready = false;
    if (s.colourBehind) glColor4f(s.colour[0], s.colour[1], s.colour[2], s.colour[3]);
    s.colourBehind = false;
    if (s.boxBehind) glScissor(s.box[0], s.box[1], s.box[2], s.box[3]);
    s.boxBehind = false;
}

bool streamScissored() {
    Stream& s = stream;
    prepare(s);
    return s.scissorOn;
}

void streamScissorBox(int x, int y, int width, int height) {
    Stream& s = stream;
    s.box[0] = x, s.box[1] = y, s.box[2] = width, s.box[3] = height;
    s.boxBehind = true;
    if (!s.held) flushDrawing();
}

void streamColour(float r, float g, float b, float a) {
    Stream& s = stream;
    s.colour[0] = r, s.colour[1] = g, s.colour[2] = b, s.colour[3] = a;
    s.colourBehind = true;
    if (!s.held) flushDrawing();
}

void streamColourOf(float out[4]) {
    std::memcpy(out, stream.colour, sizeof stream.colour);
}

void adoptCurrentColour() {
    Stream& s = stream;
    if (!s.colourBehind) glGetFloatv(GL_CURRENT_COLOR, s.colour);
}

const Ortho* streamOrtho() {
    Stream& s = stream;
    prepare(s);
    return s.drawable ? &s.ortho : nullptr;
}

StreamVertex* streamReserve(int n) {
    Stream& s = stream;
    prepare(s);
    if (!s.drawable || n <= 0) return nullptr;
    const size_t at = s.corners.size();
    s.corners.resize(at + static_cast<size_t>(n));
    return s.corners.data() + at;
}

void streamUnreserve(int n) {
    Stream& s = stream;
    s.corners.resize(s.corners.size() - static_cast<size_t>(n));
}

// Corners 0 1 3 and 1 2 3 counter-clockwise from the bottom left, the two triangles
// OpenGL makes of a quad; each put into clip space as the fixed-function transform puts
// it (this file is built without fused multiply-adds).
void streamQuad(float x0, float y0, float x1, float y1, const float bottom[4], const float top[4]) {
    Stream& s = stream;
    if (StreamVertex* v = streamReserve(6)) {
        const Ortho& p = s.ortho;
        const float cx0 = p.sx * x0 + p.ox, cx1 = p.sx * x1 + p.ox;
        const float cy0 = p.sy * y0 + p.oy, cy1 = p.sy * y1 + p.oy;
        const float* c[4] = {bottom, bottom, top, top};
        const float x[4] = {cx0, cx1, cx1, cx0}, y[4] = {cy0, cy0, cy1, cy1};
        for (int k : {0, 1, 3, 1, 2, 3})
            *v++ = {s.whiteS, s.whiteT, c[k][0], c[k][1], c[k][2], c[k][3], x[k], y[k]};
    }
    added(s);
}

void streamRect(float x0, float y0, float x1, float y1) {
    const float c[4] = {stream.colour[0], stream.colour[1], stream.colour[2], stream.colour[3]};
    streamQuad(x0, y0, x1, y1, c, c);
}

namespace {

// Where OpenGL puts a point of the pass's coordinates in the window: the projection, then
// the viewport transform, in single precision, the latter as one fused multiply-add as the
// rasteriser works it out.
float windowX(const Stream& s, float x) {
    const float half = static_cast<float>(s.viewport[2]) / 2;
    return std::fma(s.ortho.sx * x + s.ortho.ox, half, static_cast<float>(s.viewport[0]) + half);
}
float windowY(const Stream& s, float y) {
    const float half = static_cast<float>(s.viewport[3]) / 2;
    return std::fma(s.ortho.sy * y + s.ortho.oy, half, static_cast<float>(s.viewport[1]) + half);
}

// A one-pixel line from a to b through pixel centres covers the pixels whose diamond it
// leaves: from the one its start lies in to the one before the one its end lies in. The
// ends land a rounding error off whole pixels, which moves them a pixel either way; the
// quad drawn instead covers the same pixels, given in whole window pixels.
void line(bool horizontal, float a, float b, float at) {
    Stream& s = stream;
    prepare(s);
    if (!s.drawable) return;
    if (b < a) std::swap(a, b);
    const float vx = static_cast<float>(s.viewport[0]), vy = static_cast<float>(s.viewport[1]);
    if (horizontal) {
        const float x0 = std::floor(windowX(s, a)) - vx, x1 = std::floor(windowX(s, b)) - vx;
        const float y = std::floor(windowY(s, at + 0.5f)) - vy;
        if (x1 > x0) streamRect(x0, y, x1, y + 1);
    } else {
        const float y0 = std::floor(windowY(s, a)) - vy, y1 = std::floor(windowY(s, b)) - vy;
        const float x = std::floor(windowX(s, at + 0.5f)) - vx;
        if (y1 > y0) streamRect(x, y0, x + 1, y1);
    }
}

}  // namespace

void streamHLine(float x0, float x1, float y) {
    line(true, x0, x1, y);
}
void streamVLine(float x, float y0, float y1) {
    line(false, y0, y1, x);
}

}  // namespace zu::detail
