// Text layout with the display-list fonts: lines are measured by the advances their
// glyphs move the raster position by.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <cstring>

#include "text/text.h"

namespace zu::detail {
namespace {

constexpr int kWorkingBuffer = 256;  // at most 255 characters are drawn
constexpr int kMaxLines = kWorkingBuffer;

float lineWidth(const GlyphFont* font, const char* line, int length) {
    if (!font->listBase || length <= 0) return 0.0f;
    // The sum of the advances the lists' bitmaps move the raster position by, in their
    // order: what replaying the lists and reading the raster position back gives, without
    // drawing every text twice and waiting on the driver for each.
    float x = 0.0f;
    for (int i = 0; i < length; ++i) x += font->advances[static_cast<unsigned char>(line[i])];
    return x;
}

void callLine(const GlyphFont* font, float x, float y, const GLfloat* m, const char* line,
              int length) {
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(x, y, 0.0f);
    glMultMatrixf(m);
    if (font->listBase && length > 0) glCallLists(length, GL_UNSIGNED_BYTE, line);
    glPopMatrix();
}

}  // namespace

void DrawGlyphText(GlyphFont* font, float x, float y, float width, char* text, int flags,
                   int caret) {
    if (!font) return;
    GLint vp[4] = {};
    glPushAttrib(GL_TRANSFORM_BIT);
    glGetIntegerv(GL_VIEWPORT, vp);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(vp[0], vp[2], 0, vp[3]);
    glPopAttrib();

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

    glPushAttrib(GL_LIST_BIT | GL_CURRENT_BIT | GL_ENABLE_BIT | GL_TRANSFORM_BIT);
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glListBase(font->listBase);
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);

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
        if (flags == ZU_TEXT_LEFT)
            startX = static_cast<float>(static_cast<int>(x));
        else if (flags == ZU_TEXT_RIGHT)
            startX = static_cast<float>(static_cast<int>(x + width - w));
        else
            startX = static_cast<float>(static_cast<int>(width * 0.5f - w * 0.5f + x));
        callLine(font, startX, lineY, m, lines[i], length);

        // The caret turns from a character index into a pixel x.
        if (caret == 0)
            caret = static_cast<int>(startX);
        else if (static_cast<unsigned>(caret) >= static_cast<unsigned>(length) && caret != -1)
            caret = static_cast<int>(startX + w);
        else if (caret >= 1)
            caret = caretOffset + static_cast<int>(startX);
    }
    glPopAttrib();
    glPushAttrib(GL_TRANSFORM_BIT);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();

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
    GLint vp[4] = {};
    glGetIntegerv(GL_VIEWPORT, vp);
    glScissor(rect->x + 1, rect->y + vp[1], sw, sh);
    glPushMatrix();
    glLoadIdentity();
    DrawGlyphText(f, static_cast<float>(rect->x), baseline, static_cast<float>(rect->width), text,
                  flags, caret);
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
