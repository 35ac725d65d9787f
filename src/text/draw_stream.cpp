// The ordered stream of triangles that the widgets and the text draw into, and the record of
// each context's viewport that its projection comes from.
#define GL_GLEXT_PROTOTYPES 1
#include "text/draw_stream.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "platform/winsys/winsys.h"
#include "text/line_cache.h"
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
    float texWidth = 0, texHeight = 0;  // the atlas's size in texels
    float colour[4] = {1, 1, 1, 1};
    bool colourBehind = false;  // OpenGL's current colour is not the stream's yet
    bool scissorOn = false;     // the scissor test, as it was when the stream was prepared
    bool boxBehind = false;     // a text's scissor box waits to be set
    bool lineImages = false;    // corners waiting sample line images
    GLint box[4] = {};
    int held = 0;
    StreamCapture* capture = nullptr;
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
    s.texWidth = own ? static_cast<float>(f->atlas->width) : 0;
    s.texHeight = own ? static_cast<float>(f->atlas->height) : 0;
}

void draw(Stream& s) {
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
        uploadLineImages(s.context, s.texture);
        if (const float scale = lineImageScale(s.context); scale != 1)
            for (StreamVertex& c : s.corners) c.t *= scale;
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
    if (s.capture) {
        s.capture->corners.insert(s.capture->corners.end(), s.corners.begin(), s.corners.end());
        ++s.capture->draws;
        s.capture->texture = s.texture;
    }
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
    s.lineImages = false;
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

void captureStream(StreamCapture* into) {
    stream.capture = into;
}

void streamNoteLineImage() {
    stream.lineImages = true;
}
bool streamHasLineImages() {
    return stream.lineImages;
}

int streamWaiting() {
    return static_cast<int>(stream.corners.size());
}

void streamUnreserve(int n) {
    Stream& s = stream;
    s.corners.resize(s.corners.size() - static_cast<size_t>(n));
}

namespace {

// Corners 0 1 3 and 1 2 3 counter-clockwise from the bottom left, the two triangles
// OpenGL makes of a quad; each put into clip space as the fixed-function transform puts
// it (this file is built without fused multiply-adds). s and t run from the left and the
// bottom edge (s0, t0) to the right and the top (s1, t1).
void quad(float x0, float y0, float x1, float y1, const float bottom[4], const float top[4],
          float s0, float t0, float s1, float t1) {
    Stream& s = stream;
    if (StreamVertex* v = streamReserve(6)) {
        const Ortho& p = s.ortho;
        const float cx0 = p.sx * x0 + p.ox, cx1 = p.sx * x1 + p.ox;
        const float cy0 = p.sy * y0 + p.oy, cy1 = p.sy * y1 + p.oy;
        const float* c[4] = {bottom, bottom, top, top};
        const float x[4] = {cx0, cx1, cx1, cx0}, y[4] = {cy0, cy0, cy1, cy1};
        const float ts[4] = {s0, s1, s1, s0}, tt[4] = {t0, t0, t1, t1};
        for (int k : {0, 1, 3, 1, 2, 3})
            *v++ = {ts[k], tt[k], c[k][0], c[k][1], c[k][2], c[k][3], x[k], y[k]};
    }
    added(s);
}

}  // namespace

void streamQuad(float x0, float y0, float x1, float y1, const float bottom[4], const float top[4]) {
    Stream& s = stream;
    prepare(s);  // the white texel is the prepared stream's
    quad(x0, y0, x1, y1, bottom, top, s.whiteS, s.whiteT, s.whiteS, s.whiteT);
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
// quad drawn instead covers the same pixels, given in whole pixels from the viewport's
// corner (x0, y0, x1, y1). False when it covers none.
bool linePixels(const Stream& s, bool horizontal, float a, float b, float at, float out[4]) {
    if (b < a) std::swap(a, b);
    const float vx = static_cast<float>(s.viewport[0]), vy = static_cast<float>(s.viewport[1]);
    if (horizontal) {
        const float x0 = std::floor(windowX(s, a)) - vx, x1 = std::floor(windowX(s, b)) - vx;
        const float y = std::floor(windowY(s, at + 0.5f)) - vy;
        out[0] = x0, out[1] = y, out[2] = x1, out[3] = y + 1;
        return x1 > x0;
    }
    const float y0 = std::floor(windowY(s, a)) - vy, y1 = std::floor(windowY(s, b)) - vy;
    const float x = std::floor(windowX(s, at + 0.5f)) - vx;
    out[0] = x, out[1] = y0, out[2] = x + 1, out[3] = y1;
    return y1 > y0;
}

void line(bool horizontal, float a, float b, float at) {
    Stream& s = stream;
    prepare(s);
    float r[4];
    if (s.drawable && linePixels(s, horizontal, a, b, at, r)) streamRect(r[0], r[1], r[2], r[3]);
}

// The lines along the edges of a framed quad, k = 0, 1, ... bands[side] - 1 in from the
// left, right, bottom and top edge.
struct BandLine {
    bool horizontal;
    float a, b, at;
};
BandLine bandLine(int side, int k, float x0, float y0, float x1, float y1) {
    const float f = static_cast<float>(k);
    switch (side) {
        case 0:
            return {false, y0, y1, x0 + f};
        case 1:
            return {false, y0, y1, x1 - 1 - f};
        case 2:
            return {true, x0, x1, y0 + f};
        default:
            return {true, x0, x1, y1 - 1 - f};
    }
}

// Where an edge of a quad lands within a sixty-fourth of a whole pixel, that pixel edge.
bool wholePixel(float window, float& out) {
    out = std::nearbyint(window);
    return std::fabs(window - out) <= 1.0f / 64;
}

// The atlas's first 3 x 3 texels are white in the middle and opaque black around it, and
// s and t run across them in a quad so that each band of frame pixels samples an outer
// texel and every pixel inside the middle one: a pixel centre stays half a pixel's worth
// of texel from every texel edge. The quad's colour times black is the frame's black, times
// white its own colour unchanged. Whether the frame can be drawn so, and the coordinates
// from the low edge to the high edge of m inner pixels between bands lo and hi (texels).
bool bandCoordinates(int lo, int hi, int m, float& c0, float& c1) {
    if (m < 1 || lo > m || hi > m) return false;  // a band would reach past its texel
    c0 = 1 - static_cast<float>(lo) / static_cast<float>(m);
    c1 = 2 + static_cast<float>(hi) / static_cast<float>(m);
    return true;
}

constexpr int kMaxBandLines = 8;

// A framed quad as one quad: the quad's pixels (q, whole pixels from the viewport's corner)
// with black bands, and the pixels the lines cover beyond it (at most two pieces a line).
struct OneQuad {
    float st[4];
    float beyond[2 * kMaxBandLines][4];
    int pieces = 0;
};

bool inside(const float r[4], float x, float y) {
    return x >= r[0] && x < r[2] && y >= r[1] && y < r[3];
}

// Only black, opaque lines around an opaque quad whose edges lie on whole pixels, while the
// atlas is bound. The ends of the lines land a pixel off the quad's corners either way: what
// they cover inside the quad must be its bands exactly, and what they cover beyond it is
// drawn beside it.
bool framedAsOneQuad(const Stream& s, float x0, float y0, float x1, float y1, const float bottom[4],
                     const float top[4], const int bands[4], OneQuad& out) {
    const float black[4] = {0, 0, 0, 1};
    if (!s.texture || std::memcmp(s.colour, black, sizeof black) != 0) return false;
    if (bottom[3] != 1 || top[3] != 1 || x1 <= x0 || y1 <= y0) return false;
    if (bands[0] + bands[1] + bands[2] + bands[3] > kMaxBandLines) return false;
    const float vx = static_cast<float>(s.viewport[0]), vy = static_cast<float>(s.viewport[1]);
    float q[4];
    if (!wholePixel(windowX(s, x0), q[0]) || !wholePixel(windowY(s, y0), q[1]) ||
        !wholePixel(windowX(s, x1), q[2]) || !wholePixel(windowY(s, y1), q[3]))
        return false;
    q[0] -= vx, q[2] -= vx, q[1] -= vy, q[3] -= vy;
    const int w = static_cast<int>(q[2] - q[0]), h = static_cast<int>(q[3] - q[1]);
    float* st = out.st;
    if (!bandCoordinates(bands[0], bands[1], w - bands[0] - bands[1], st[0], st[2]) ||
        !bandCoordinates(bands[2], bands[3], h - bands[2] - bands[3], st[1], st[3]))
        return false;
    // The pixels of each line, which must lie on its band's column or row.
    float lines[kMaxBandLines][4];
    bool vertical[kMaxBandLines];
    int n = 0;
    for (int side = 0; side < 4; ++side)
        for (int k = 0; k < bands[side]; ++k, ++n) {
            const BandLine l = bandLine(side, k, x0, y0, x1, y1);
            float* r = lines[n];
            if (!linePixels(s, l.horizontal, l.a, l.b, l.at, r)) return false;
            const float f = static_cast<float>(k);
            const float band[4] = {q[0] + f, q[2] - f - 1, q[1] + f, q[3] - f - 1};
            if (r[l.horizontal ? 1 : 0] != band[side]) return false;
            vertical[n] = !l.horizontal;
        }
    // Each line's band pixels inside the quad that it leaves out must be another line's:
    // a pixel or two at its ends, at most.
    auto covered = [&](float x, float y) {
        for (int i = 0; i < n; ++i)
            if (inside(lines[i], x, y)) return true;
        return false;
    };
    for (int i = 0; i < n; ++i) {
        const float* r = lines[i];
        const int along = vertical[i] ? 1 : 0;  // the coordinate the line runs along
        const float from = q[along], to = q[along + 2];
        if (r[along] - from > 2 || to - r[along + 2] > 2) return false;
        for (float p = from; p < r[along]; ++p)
            if (!(vertical[i] ? covered(r[0], p) : covered(p, r[1]))) return false;
        for (float p = r[along + 2]; p < to; ++p)
            if (!(vertical[i] ? covered(r[0], p) : covered(p, r[1]))) return false;
        // Beyond the quad, before it and after it.
        if (r[along] < from) {
            float* b = out.beyond[out.pieces++];
            std::memcpy(b, r, 4 * sizeof(float));
            b[along + 2] = from;
        }
        if (r[along + 2] > to) {
            float* b = out.beyond[out.pieces++];
            std::memcpy(b, r, 4 * sizeof(float));
            b[along] = to;
        }
    }
    // Pieces side by side (the ends of neighbouring lines) are one rectangle.
    for (int i = 0; i < out.pieces; ++i)
        for (int j = i + 1; j < out.pieces; ++j) {
            float* a = out.beyond[i];
            const float* b = out.beyond[j];
            const bool row = a[1] == b[1] && a[3] == b[3] && (a[2] == b[0] || b[2] == a[0]);
            const bool column = a[0] == b[0] && a[2] == b[2] && (a[3] == b[1] || b[3] == a[1]);
            if (!row && !column) continue;
            a[0] = std::min(a[0], b[0]), a[1] = std::min(a[1], b[1]);
            a[2] = std::max(a[2], b[2]), a[3] = std::max(a[3], b[3]);
            std::memmove(out.beyond[j], out.beyond[j + 1],
                         (out.pieces - j - 1) * sizeof out.beyond[0]);
            --out.pieces;
            j = i;  // the grown one may now meet another
        }
    st[0] /= s.texWidth, st[2] /= s.texWidth, st[1] /= s.texHeight, st[3] /= s.texHeight;
    return true;
}

}  // namespace

void streamHLine(float x0, float x1, float y) {
    line(true, x0, x1, y);
}
void streamVLine(float x, float y0, float y1) {
    line(false, y0, y1, x);
}

void streamFramedQuad(float x0, float y0, float x1, float y1, const float bottom[4],
                      const float top[4], const int bands[4]) {
    Stream& s = stream;
    prepare(s);
    if (!s.drawable) return;
    OneQuad one;
    if (framedAsOneQuad(s, x0, y0, x1, y1, bottom, top, bands, one)) {
        quad(x0, y0, x1, y1, bottom, top, one.st[0], one.st[1], one.st[2], one.st[3]);
        for (int i = 0; i < one.pieces; ++i) {
            const float* b = one.beyond[i];
            streamRect(b[0], b[1], b[2], b[3]);
        }
        return;
    }
    streamQuad(x0, y0, x1, y1, bottom, top);
    for (int side = 0; side < 4; ++side)
        for (int k = 0; k < bands[side]; ++k) {
            const BandLine l = bandLine(side, k, x0, y0, x1, y1);
            line(l.horizontal, l.a, l.b, l.at);
        }
}

}  // namespace zu::detail
