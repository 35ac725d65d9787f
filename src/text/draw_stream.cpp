// The ordered stream of triangles that the widgets and the text draw into, and the record of
// each context's viewport that its projection comes from.
#define GL_GLEXT_PROTOTYPES 1
#include "text/draw_stream.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <atomic>
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
    // The draw's quads split in two, and a byte per pixel of the viewport (splitOpaque).
    std::vector<StreamVertex> first, second;
    std::vector<unsigned char> cells;
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

// Opaque quads of one colour texel cost about half as much drawn without the texture and
// without blending, which leave their pixels as they are (the texel is white, the alpha
// one). They go in a first draw of their own, those that no quad left for the second draw
// before them overlaps: the order of overlapping quads stays. The pixels a quad may cover
// are those its bounds touch; a quad that may touch one of an earlier quad of the second
// draw stays in the second draw, where it is drawn as before. False when nothing moves.
bool opaqueWhite(const StreamVertex* q, float s, float t) {
    for (int k = 0; k < 6; ++k)
        if (q[k].a != 1 || q[k].s != s || q[k].t != t) return false;
    return true;
}

std::atomic<bool> splitting{true};

bool splitOpaque(Stream& s, float whiteT) {
    if (!splitting) return false;
    const int w = s.viewport[2], h = s.viewport[3];
    if (w <= 0 || h <= 0 || w > (1 << 13) || h > (1 << 13)) return false;
    const size_t rowBytes = static_cast<size_t>(w);
    if (s.cells.size() != rowBytes * static_cast<size_t>(h))
        s.cells.assign(rowBytes * static_cast<size_t>(h), 0);
    s.first.clear(), s.second.clear();
    // The pixels a quad's bounds touch, from x0, y0 up to but without x1, y1; false when none.
    auto bounds = [&](const StreamVertex* q, int out[4]) {
        float x0 = q[0].x, x1 = q[0].x, y0 = q[0].y, y1 = q[0].y;
        for (int k = 1; k < 6; ++k) {
            x0 = std::min(x0, q[k].x), x1 = std::max(x1, q[k].x);
            y0 = std::min(y0, q[k].y), y1 = std::max(y1, q[k].y);
        }
        auto pixel = [](float clip, int size, bool up) {
            const float px = (clip + 1) * 0.5f * static_cast<float>(size);
            const float r = up ? std::ceil(px) : std::floor(px);
            if (!(r > 0)) return 0;  // NaN too
            return r < static_cast<float>(size) ? static_cast<int>(r) : size;
        };
        out[0] = pixel(x0, w, false), out[2] = pixel(x1, w, true);
        out[1] = pixel(y0, h, false), out[3] = pixel(y1, h, true);
        return out[2] > out[0] && out[3] > out[1];
    };
    int marked0 = h, marked1 = 0;  // the rows marked
    const size_t n = s.corners.size() / 6 * 6;
    for (size_t i = 0; i < n; i += 6) {
        const StreamVertex* q = &s.corners[i];
        int b[4];
        const bool any = bounds(q, b);
        bool free = opaqueWhite(q, s.whiteS, whiteT);
        for (int y = b[1]; free && any && y < b[3]; ++y)
            free = !std::memchr(
                &s.cells[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(b[0])], 1,
                static_cast<size_t>(b[2] - b[0]));
        if (free) {
            s.first.insert(s.first.end(), q, q + 6);
            continue;
        }
        s.second.insert(s.second.end(), q, q + 6);
        if (!any) continue;
        for (int y = b[1]; y < b[3]; ++y)
            std::memset(&s.cells[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(b[0])], 1,
                        static_cast<size_t>(b[2] - b[0]));
        marked0 = std::min(marked0, b[1]), marked1 = std::max(marked1, b[3]);
    }
    if (marked1 > marked0)
        std::memset(&s.cells[static_cast<size_t>(marked0) * rowBytes], 0,
                    static_cast<size_t>(marked1 - marked0) * rowBytes);
    s.second.insert(s.second.end(), s.corners.begin() + static_cast<long>(n), s.corners.end());
    return !s.first.empty();
}

void drawCorners(const std::vector<StreamVertex>& corners, bool textured) {
    if (corners.empty()) return;
    const StreamVertex* v = corners.data();
    if (textured) glTexCoordPointer(2, GL_FLOAT, sizeof *v, &v->s);
    glColorPointer(4, GL_FLOAT, sizeof *v, &v->r);
    glVertexPointer(2, GL_FLOAT, sizeof *v, &v->x);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners.size()));
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
    glEnableClientState(GL_COLOR_ARRAY);
    glEnableClientState(GL_VERTEX_ARRAY);
    bool split = false;
    if (!s.texture) {
        glDisable(GL_TEXTURE_2D);
        drawCorners(s.corners, false);
    } else {
        uploadLineImages(s.context, s.texture);
        const float scale = lineImageScale(s.context);
        if (scale != 1)
            for (StreamVertex& c : s.corners) c.t *= scale;
        split = splitOpaque(s, s.whiteT * scale);
        if (split) {
            glDisable(GL_BLEND);
            glDisable(GL_TEXTURE_2D);
            drawCorners(s.first, false);
            glEnable(GL_BLEND);
        }
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, s.texture);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        drawCorners(split ? s.second : s.corners, true);
    }
    if (s.capture) {
        s.capture->corners.insert(s.capture->corners.end(), s.corners.begin(), s.corners.end());
        ++s.capture->draws;
        s.capture->texture = s.texture;
        if (split) s.capture->apart += static_cast<int>(s.first.size() / 6);
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

void splitOpaqueQuads(bool on) {
    splitting = on;
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
    streamQuad(x0, y0, x1, y1, bottom, top);
    for (int side = 0; side < 4; ++side)
        for (int k = 0; k < bands[side]; ++k) {
            const BandLine l = bandLine(side, k, x0, y0, x1, y1);
            line(l.horizontal, l.a, l.b, l.at);
        }
}

}  // namespace zu::detail
