// Text layout from the recorded advances, and every glyph quad of a call drawn from the
// font's atlas in one vertex array.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/winsys/winsys.h"
#include "text/text.h"

namespace zu::detail {
namespace {

constexpr int kWorkingBuffer = 256;  // at most 255 characters are drawn
constexpr int kMaxLines = kWorkingBuffer;

// The viewport last set in each context that draws text.
struct ContextView {
    void* context = nullptr;
    GLint viewport[4] = {};
};
constexpr int kViews = 8;
std::mutex viewsMutex;
ContextView views[kViews];
int nextView = 0;

// The context current here and its viewport. The viewport is asked of OpenGL only when a
// context that never went through setViewport draws text.
struct Target {
    void* context;
    GLint viewport[4];
};
Target currentTarget() {
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

float lineWidth(const GlyphFont* font, const char* line, int length) {
    if (!font->texture || length <= 0) return 0.0f;
    float x = 0.0f;
    for (int i = 0; i < length; ++i)
        x += font->atlas->advances[static_cast<unsigned char>(line[i])];
    return x;
}

// Where a line of width w starts in a box of the given width at x.
float lineStartX(float x, float width, float w, int flags) {
    if (w > width) flags = ZU_TEXT_RIGHT;
    if (flags == ZU_TEXT_LEFT) return static_cast<float>(static_cast<int>(x));
    if (flags == ZU_TEXT_RIGHT) return static_cast<float>(static_cast<int>(x + width - w));
    return static_cast<float>(static_cast<int>(width * 0.5f - w * 0.5f + x));
}

// Texture coordinate and clip-space position of each corner, in the order
// glInterleavedArrays' T2F_V3F reads them.
struct Vertex {
    GLfloat s, t, x, y, z;
};

// The orthographic projection of the glyphs, gluOrtho2D(l, r, 0, top): the scale and
// offset of x and of y, worked out in single precision as OpenGL works them out.
struct Ortho {
    float sx, ox, sy, oy;
};
Ortho orthoOf(const GLint vp[4]) {
    const float l = static_cast<float>(vp[0]), r = static_cast<float>(vp[2]);
    const float b = 0.0f, t = static_cast<float>(vp[3]);
    return {2.0f / (r - l), -(r + l) / (r - l), 2.0f / (t - b), -(t + b) / (t - b)};
}

// The quads of one line, the first pen position at (x, y). Glyphs on a half-pixel baseline
// put pixel centres on texel edges, where the last bit of an interpolated coordinate picks
// the row; so that it picks what the per-glyph quads picked, each quad is the same two
// triangles (corners 0 1 3 and 1 2 3, counter-clockwise from the top left), and each corner
// is put into clip space here with the roundings the per-glyph translations gave: the
// translation folded into the projection first, the corner's offset added after (this
// file is built without fused multiply-adds).
Vertex* lineQuads(const GlyphFont* font, const Ortho& p, float x, float y, const char* line,
                  int length, Vertex* out) {
    const FontAtlas& a = *font->atlas;
    float pen = x;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (a.drawn[c]) {
            const GlyphQuad& q = a.quads[c];
            const float tx = p.sx * (pen + q.x0) + p.ox, ty = p.sy * (y + q.y0) + p.oy;
            const float x0 = tx, x1 = p.sx * (q.x1 - q.x0) + tx;
            const float y0 = ty, y1 = p.sy * (q.y1 - q.y0) + ty;
            const Vertex v[4] = {{q.s0, q.t0, x0, y1, 0},
                                 {q.s0, q.t1, x0, y0, 0},
                                 {q.s1, q.t1, x1, y0, 0},
                                 {q.s1, q.t0, x1, y1, 0}};
            for (int k : {0, 1, 3, 1, 2, 3}) *out++ = v[k];
        }
        pen += a.advances[c];
    }
    return out;
}

}  // namespace

void setViewport(int x, int y, int width, int height) {
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
    std::lock_guard lock(viewsMutex);
    for (ContextView& v : views)
        if (context && v.context == context) v = ContextView{};
}

namespace {

void drawLines(GlyphFont* font, const Target& target, float x, float y, float width, char* text,
               int flags, int caret) {
    const GLint* vp = target.viewport;

    char buffer[kWorkingBuffer] = {};
    if (text) std::strncpy(buffer, text, kWorkingBuffer - 1);
    const char* lines[kMaxLines];
    int lengths[kMaxLines];
    int lineCount = 0;
    for (char* start = buffer;;) {
        char* end = std::strchr(start, '\n');
        lines[lineCount] = start;
        lengths[lineCount] = static_cast<int>(end ? end - start : std::strlen(start));
        ++lineCount;
        if (!end) break;
        start = end + 1;
    }

    // At most 255 glyphs in all, two triangles each.
    Vertex quads[6 * (kWorkingBuffer - 1)];
    Vertex* end = quads;
    const Ortho projection = orthoOf(vp);
    // A texture name means nothing in a context the set was not built in.
    const bool drawable = font->texture && font->context == target.context;
    float startX = 0.0f, w = 0.0f;
    for (int i = 0; i < lineCount; ++i) {
        const float lineY = y - static_cast<float>(i) * font->height;
        const int length = lengths[i];
        w = lineWidth(font, lines[i], length);
        int caretOffset = 0;
        if (caret >= 1 && caret < length)
            caretOffset = static_cast<int>(lineWidth(font, lines[i], caret));

        // Show the end of a text that does not fit, here and for all later lines.
        if (w > width) flags = ZU_TEXT_RIGHT;
        startX = lineStartX(x, width, w, flags);
        if (drawable) end = lineQuads(font, projection, startX, lineY, lines[i], length, end);

        // The caret turns from a character index into a pixel x.
        if (caret == 0)
            caret = static_cast<int>(startX);
        else if (static_cast<unsigned>(caret) >= static_cast<unsigned>(length) && caret != -1)
            caret = static_cast<int>(startX + w);
        else if (caret >= 1)
            caret = caretOffset + static_cast<int>(startX);
    }

    // A viewport without width or height has no projection; nothing would show anyway.
    if (end != quads && vp[2] != vp[0] && vp[3] != 0) {
        // The corners are in clip space already; the underline and the caret below keep
        // the caller's projection.
        glPushAttrib(GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
        glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glDisable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glBindTexture(GL_TEXTURE_2D, font->texture);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glInterleavedArrays(GL_T2F_V3F, 0, quads);
        glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(end - quads));
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glPopClientAttrib();
        glPopAttrib();
    }

    if (flags & ZU_TEXT_DOTTED) {
        const bool wasOn = glIsEnabled(GL_LINE_STIPPLE);
        if (!wasOn) glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, 0x5555);
        glBegin(GL_LINES);
        glVertex2f(startX, y - 2.0f);
        glVertex2f(startX + w + 1.0f, y - 3.0f);
        glEnd();
        if (!wasOn) glDisable(GL_LINE_STIPPLE);
    } else if (flags & ZU_TEXT_UNDERLINE) {
        glBegin(GL_LINES);
        glVertex2f(startX, y - 2.0f);
        glVertex2f(startX + w, y - 3.0f);
        glEnd();
    }

    if (caret != -1) {
        const bool wasOn = glIsEnabled(GL_LINE_SMOOTH);
        if (!wasOn) glEnable(GL_LINE_SMOOTH);
        glLineWidth(1.5f);
        glColor4f(0.9f, 0.1f, 0.1f, 1.0f);
        glBegin(GL_LINES);
        glVertex2f(static_cast<float>(caret), y - 2.0f);
        glVertex2f(static_cast<float>(caret), y + font->height + 4.0f);
        glEnd();
        if (!wasOn) glDisable(GL_LINE_SMOOTH);
        glLineWidth(1.0f);
    }
}

}  // namespace

float textBoundaryX(int fontId, const char* text, const ZuRECT& rect, int flags, int index) {
    const GlyphFont* font = fontForId(fontId);
    const int length = text ? static_cast<int>(strnlen(text, kWorkingBuffer - 1)) : 0;
    const float w = lineWidth(font, text, length);
    const float start =
        lineStartX(static_cast<float>(rect.x), static_cast<float>(rect.width), w, flags);
    index = index < 0 ? 0 : index > length ? length : index;
    return start + lineWidth(font, text, index);
}

int textIndexAt(int fontId, const char* text, const ZuRECT& rect, int flags, float x) {
    const int length = text ? static_cast<int>(strnlen(text, kWorkingBuffer - 1)) : 0;
    int best = 0;
    float bestDistance = 1e30f;
    for (int i = 0; i <= length; ++i) {
        const float d = std::abs(textBoundaryX(fontId, text, rect, flags, i) - x);
        if (d < bestDistance) bestDistance = d, best = i;
    }
    return best;
}

void DrawGlyphText(GlyphFont* font, float x, float y, float width, char* text, int flags,
                   int caret) {
    if (font) drawLines(font, currentTarget(), x, y, width, text, flags, caret);
}

namespace {

void printText(char* text, ZuRECT* rect, ZuFCOLOR* colour, int font, int flags, int caret) {
    if (!rect) return;
    if (colour) glColor4f(colour->red, colour->green, colour->blue, colour->alpha);
    GlyphFont* f = fontForId(font);
    const float baseline =
        static_cast<float>(rect->height) * 0.5f + static_cast<float>(rect->y) - f->height * 0.5f;
    const bool wasOn = glIsEnabled(GL_SCISSOR_TEST);
    if (!wasOn) glEnable(GL_SCISSOR_TEST);
    // A degenerate rectangle clips everything instead of leaving an older box in force.
    const int sw = rect->width - 1 > 0 ? rect->width - 1 : 0;
    const int sh = rect->height > 0 ? rect->height : 0;
    // The viewport's own y is the GUI's offset in the window while the main context is
    // current, and 0 in the popups' contexts, whatever the main GUI's offset.
    const Target target = currentTarget();
    glScissor(rect->x + 1, rect->y + target.viewport[1], sw, sh);
    glPushMatrix();
    glLoadIdentity();
    drawLines(f, target, static_cast<float>(rect->x), baseline, static_cast<float>(rect->width),
              text, flags, caret);
    glPopMatrix();
    if (!wasOn) glDisable(GL_SCISSOR_TEST);
}

}  // namespace
}  // namespace zu::detail

ZUAPI ZuErr ZUPrintText(char* text, ZuRECT* rect, ZuFCOLOR* colour, int font, int flags,
                        ZuFLOATPOINT* /*point*/) {
    zu::detail::printText(text, rect, colour, font, flags, -1);
    return 0;
}

ZUAPI ZuErr ZUPrintEditText(char* text, ZuRECT* rect, ZuFCOLOR* colour, int font, int flags,
                            int caret, ZuFLOATPOINT* /*point*/) {
    zu::detail::printText(text, rect, colour, font, flags, caret);
    return 0;
}
