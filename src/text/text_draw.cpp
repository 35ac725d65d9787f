// Text layout from the recorded advances, and every glyph quad of a call added to the draw
// stream from the font set's atlas.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/winsys/winsys.h"
#include "text/draw_stream.h"
#include "text/line_cache.h"
#include "text/text.h"

namespace zu::detail {
namespace {

constexpr int kWorkingBuffer = 256;  // at most 255 characters are drawn
constexpr int kMaxLines = kWorkingBuffer;

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

// A glyph's quad in the render pass's coordinates, and its texels.
struct Placed {
    float x0, y0, x1, y1;
    float s0, t0, s1, t1;
};

// A line's glyphs among a call's, and where it starts.
struct Line {
    int first, count;    // glyphs
    int offset, length;  // characters in the call's buffer
    float x, y;          // pen and baseline
};

// Where the glyphs of a call go, and what the underline and the caret need.
struct Layout {
    Placed glyphs[kWorkingBuffer - 1];
    int count = 0;
    char buffer[kWorkingBuffer];
    Line lines[kMaxLines];
    int lineCount = 0;
    float startX = 0.0f, w = 0.0f;  // of the last line
    int flags = 0;
    int caret = -1;  // a pixel x by now, or -1
};

void placeLine(const GlyphFont* font, float x, float y, const char* line, int length, Layout& out) {
    const FontAtlas& a = *font->atlas;
    float pen = x;
    for (int i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (a.drawn[c]) {
            const GlyphQuad& q = a.quads[c];
            const float x0 = pen + q.x0, y0 = y + q.y0;
            out.glyphs[out.count++] = {
                x0, y0, x0 + (q.x1 - q.x0), y0 + (q.y1 - q.y0), q.s0, q.t0, q.s1, q.t1};
        }
        pen += a.advances[c];
    }
}

void layOut(const GlyphFont* font, bool drawable, float x, float y, float width, char* text,
            int flags, int caret, Layout& out) {
    char* buffer = out.buffer;
    std::memset(buffer, 0, kWorkingBuffer);
    if (text) std::strncpy(buffer, text, kWorkingBuffer - 1);
    out.lineCount = 0;
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
        if (drawable) {
            const int first = out.count;
            placeLine(font, startX, lineY, lines[i], length, out);
            out.lines[out.lineCount++] = {
                first, out.count - first, static_cast<int>(lines[i] - buffer), length, startX,
                lineY};
        }

        // The caret turns from a character index into a pixel x.
        if (caret == 0)
            caret = static_cast<int>(startX);
        else if (static_cast<unsigned>(caret) >= static_cast<unsigned>(length) && caret != -1)
            caret = static_cast<int>(startX + w);
        else if (caret >= 1)
            caret = caretOffset + static_cast<int>(startX);
    }
    out.startX = startX, out.w = w, out.flags = flags, out.caret = caret;
}

// Each quad is the two triangles OpenGL made of the per-glyph quads (corners 0 1 3 and
// 1 2 3, counter-clockwise from the top left), and each corner is put into clip space with
// the roundings the per-glyph translations gave: the translation folded into the
// projection first, the corner's offset added after (this file is built without fused
// multiply-adds). Glyphs on a half-pixel baseline put pixel centres on texel edges, where
// the last bit of an interpolated coordinate picks the row; so they pick what they always
// picked.
StreamVertex* corners(const Placed& q, const Ortho& p, const float c[4], StreamVertex* out) {
    const float tx = p.sx * q.x0 + p.ox, ty = p.sy * q.y0 + p.oy;
    const float x0 = tx, x1 = p.sx * (q.x1 - q.x0) + tx;
    const float y0 = ty, y1 = p.sy * (q.y1 - q.y0) + ty;
    const StreamVertex v[4] = {{q.s0, q.t0, c[0], c[1], c[2], c[3], x0, y1},
                               {q.s0, q.t1, c[0], c[1], c[2], c[3], x0, y0},
                               {q.s1, q.t1, c[0], c[1], c[2], c[3], x1, y0},
                               {q.s1, q.t0, c[0], c[1], c[2], c[3], x1, y1}};
    for (int k : {0, 1, 3, 1, 2, 3}) *out++ = v[k];
    return out;
}

// The box a glyph must be cut to, in the pass's coordinates; a box from -inf to +inf
// cuts nothing.
struct Box {
    float x0, y0, x1, y1;
};
constexpr float kInf = 1e30f;
constexpr Box kNoCut{-kInf, -kInf, kInf, kInf};

// Cuts a glyph to the box: false when nothing of it is left. One texel is one pixel, and
// t grows downwards.
bool cut(Placed& q, const Box& b, float texW, float texH) {
    if (q.x1 <= b.x0 || q.x0 >= b.x1 || q.y1 <= b.y0 || q.y0 >= b.y1) return false;
    if (q.x0 < b.x0) q.s0 += (b.x0 - q.x0) / texW, q.x0 = b.x0;
    if (q.x1 > b.x1) q.s1 -= (q.x1 - b.x1) / texW, q.x1 = b.x1;
    if (q.y0 < b.y0) q.t1 -= (b.y0 - q.y0) / texH, q.y0 = b.y0;
    if (q.y1 > b.y1) q.t0 += (q.y1 - b.y1) / texH, q.y1 = b.y1;
    return true;
}

// A line of two glyphs or more on a whole-pixel baseline is one quad from its image, where
// pixel centres fall on texel centres as they do in the glyph quads, and the glyphs that
// must stay apart after it.
void addGlyphs(const GlyphFont* font, const Layout& l, const Box& box, const float c[4]) {
    const Ortho* p = streamOrtho();
    if (!p) return;
    static thread_local LineImage images[kMaxLines];
    bool imaged[kMaxLines] = {};
    int quads = 0;
    for (int i = 0; i < l.lineCount; ++i) {
        const Line& line = l.lines[i];
        imaged[i] = line.count >= 2 && line.y == std::floor(line.y) &&
                    lineImage(font, l.buffer + line.offset, line.length, images[i]);
        quads += imaged[i] ? 1 + images[i].apartCount : line.count;
    }
    StreamVertex* v = streamReserve(6 * quads);
    if (!v) return;
    const float texW = static_cast<float>(font->atlas->width);
    const float texH = static_cast<float>(font->atlas->height);
    StreamVertex* end = v;
    for (int i = 0; i < l.lineCount; ++i) {
        const Line& line = l.lines[i];
        if (imaged[i]) {
            const LineImage* m = &images[i];
            Placed q{line.x + m->x0, line.y + m->y0, line.x + m->x1, line.y + m->y1,
                     m->s0,          m->t0,          m->s1,          m->t1};
            if (cut(q, box, texW, texH)) end = corners(q, *p, c, end);
            for (int k = 0; k < m->apartCount; ++k) {
                Placed g = l.glyphs[line.first + m->apart[k]];
                if (cut(g, box, texW, texH)) end = corners(g, *p, c, end);
            }
            streamNoteLineImage();
            continue;
        }
        for (int k = line.first; k < line.first + line.count; ++k) {
            Placed q = l.glyphs[k];
            if (cut(q, box, texW, texH)) end = corners(q, *p, c, end);
        }
    }
    streamUnreserve(static_cast<int>(v + 6 * quads - end));
}

// The underline and the caret, with OpenGL's own lines in the caller's projection.
void drawMarks(const GlyphFont* font, const Layout& l, float y) {
    if (l.flags & ZU_TEXT_DOTTED) {
        const bool wasOn = glIsEnabled(GL_LINE_STIPPLE);
        if (!wasOn) glEnable(GL_LINE_STIPPLE);
        glLineStipple(1, 0x5555);
        glBegin(GL_LINES);
        glVertex2f(l.startX, y - 2.0f);
        glVertex2f(l.startX + l.w + 1.0f, y - 3.0f);
        glEnd();
        if (!wasOn) glDisable(GL_LINE_STIPPLE);
    } else if (l.flags & ZU_TEXT_UNDERLINE) {
        glBegin(GL_LINES);
        glVertex2f(l.startX, y - 2.0f);
        glVertex2f(l.startX + l.w, y - 3.0f);
        glEnd();
    }

    if (l.caret != -1) {
        const bool wasOn = glIsEnabled(GL_LINE_SMOOTH);
        if (!wasOn) glEnable(GL_LINE_SMOOTH);
        glLineWidth(1.5f);
        streamColour(0.9f, 0.1f, 0.1f, 1.0f);  // and it stays the current colour
        flushDrawing();
        glBegin(GL_LINES);
        glVertex2f(static_cast<float>(l.caret), y - 2.0f);
        glVertex2f(static_cast<float>(l.caret), y + font->height + 4.0f);
        glEnd();
        if (!wasOn) glDisable(GL_LINE_SMOOTH);
        glLineWidth(1.0f);
    }
}

bool hasMarks(const Layout& l) {
    return (l.flags & (ZU_TEXT_DOTTED | ZU_TEXT_UNDERLINE)) || l.caret != -1;
}

// Glyphs within the box need no cutting; the rest are cut on the CPU where that changes no
// sampled texel: where their edges lie on whole pixels, pixel centres fall on texel
// centres. A half-pixel baseline puts them on texel edges, where only the old corners
// pick the old rows, so such a text is clipped by the scissor instead.
bool cutsExactly(const Layout& l, const Box& b) {
    for (int i = 0; i < l.count; ++i) {
        const Placed& q = l.glyphs[i];
        const bool inside = q.x0 >= b.x0 && q.x1 <= b.x1 && q.y0 >= b.y0 && q.y1 <= b.y1;
        if (!inside && q.y0 != std::floor(q.y0)) return false;
    }
    return true;
}

void printText(char* text, ZuRECT* rect, ZuFCOLOR* colour, int font, int flags, int caret) {
    if (!rect) return;
    DeferDrawing batch;
    if (colour)
        streamColour(colour->red, colour->green, colour->blue, colour->alpha);
    else
        adoptCurrentColour();  // the host's own glColor
    GlyphFont* f = fontForId(font);
    const float baseline =
        static_cast<float>(rect->height) * 0.5f + static_cast<float>(rect->y) - f->height * 0.5f;
    const Target target = currentTarget();
    // A texture name means nothing in a context the set was not built in.
    const bool drawable = f->texture && f->context == target.context;
    static thread_local Layout l;
    l.count = 0;
    layOut(f, drawable, static_cast<float>(rect->x), baseline, static_cast<float>(rect->width),
           text, flags, caret, l);
    float c[4];
    streamColourOf(c);

    // The clip box: from one pixel in at the left to the right edge, and the rectangle's
    // height; a degenerate rectangle clips everything.
    const int sw = rect->width > 1 ? rect->width - 1 : 0;
    const int sh = rect->height > 0 ? rect->height : 0;
    // A rectangle at the end of the int range must not wrap.
    auto toInt = [](int64_t v) {
        return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
    };
    const int boxX = toInt(int64_t{rect->x} + 1);
    const Box box{static_cast<float>(boxX), static_cast<float>(rect->y),
                  static_cast<float>(boxX) + static_cast<float>(sw),
                  static_cast<float>(rect->y) + static_cast<float>(sh)};
    // The viewport's own y is the GUI's offset in the window while the main context is
    // current, and 0 in the popups' contexts, whatever the main GUI's offset. The box stays
    // set after the call.
    const int boxY = toInt(int64_t{rect->y} + target.viewport[1]);
    // The clip box is in window pixels only while the viewport starts at the window's left.
    if (!hasMarks(l) && target.viewport[0] == 0 && !streamScissored() && cutsExactly(l, box)) {
        addGlyphs(f, l, box, c);
        streamScissorBox(boxX, boxY, sw, sh);
        return;
    }

    // With marks, where cutting would move texels, or under the caller's own scissor test:
    // the scissor clips, as it always did.
    flushDrawing();
    const bool wasOn = glIsEnabled(GL_SCISSOR_TEST);
    if (!wasOn) glEnable(GL_SCISSOR_TEST);
    glScissor(boxX, boxY, sw, sh);
    addGlyphs(f, l, kNoCut, c);
    flushDrawing();
    glPushMatrix();
    glLoadIdentity();
    drawMarks(f, l, baseline);
    glPopMatrix();
    if (!wasOn) glDisable(GL_SCISSOR_TEST);
}

}  // namespace

// In the stream's colour.
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
    if (!font) return;
    DeferDrawing batch;
    const bool drawable = font->texture && font->context == currentTarget().context;
    static thread_local Layout l;
    l.count = 0;
    layOut(font, drawable, x, y, width, text, flags, caret, l);
    float c[4];
    streamColourOf(c);
    addGlyphs(font, l, kNoCut, c);
    if (hasMarks(l)) {
        flushDrawing();
        drawMarks(font, l, y);
    }
}

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
