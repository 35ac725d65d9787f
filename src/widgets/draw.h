// Drawing helpers shared by the widget families: scheme colours, gradient quads and the
// one-pixel frame lines, in GUI coordinates (y up) with the render pass's projection. They
// add to the draw stream, where the text goes too; a widget that draws with OpenGL itself
// calls flushDrawing() first.
#pragma once

#include <GL/gl.h>

#include "text/draw_stream.h"
#include "zugui/gui.h"
#include "zugui/text.h"

namespace zu::widgets {

using zu::detail::DeferDrawing;
using zu::detail::flushDrawing;

struct Rgba {
    float r, g, b, a;
};

inline Rgba scheme(int index) {
    ZuFCOLOR c{0, 0, 0, 1};
    ZUGetSchemeColor(index, &c);
    return {c.red, c.green, c.blue, c.alpha};
}
inline ZuFCOLOR fcolor(const Rgba& c) {
    return ZuFCOLOR{c.r, c.g, c.b, c.a};
}
// The colour of the frame lines that follow, and of OpenGL's own drawing after a flush.
inline void colour(const Rgba& c) {
    zu::detail::streamColour(c.r, c.g, c.b, c.a);
}

// A quad from x0 to x1 and y0 to y1 shaded from top (at y1) to bottom (at y0).
inline void gradientQuad(float x0, float y0, float x1, float y1, const Rgba& top,
                         const Rgba& bottom) {
    const float b[4] = {bottom.r, bottom.g, bottom.b, bottom.a};
    const float t[4] = {top.r, top.g, top.b, top.a};
    zu::detail::streamQuad(x0, y0, x1, y1, b, t);
}
inline void fillQuad(float x0, float y0, float x1, float y1, const Rgba& c) {
    gradientQuad(x0, y0, x1, y1, c, c);
}

// One-pixel lines on pixel row y from x0 to x1, and on pixel column x from y0 to y1, in
// the current colour.
inline void hline(float x0, float x1, float y) {
    zu::detail::streamHLine(x0, x1, y);
}
inline void vline(float x, float y0, float y1) {
    zu::detail::streamVLine(x, y0, y1);
}

// The black-framed box of the widgets: top and bottom rows, left column and the column
// just inside the right edge.
inline void outline(float x0, float x1, float y0, float y1) {
    hline(x0, x1, y1);
    hline(x0, x1, y0);
    vline(x0, y0, y1);
    vline(x1 - 1, y0, y1);
}

// Columns in from the left and the right edge and rows in from the bottom and the top.
struct Bands {
    int left, right, bottom, top;
};

// A quad shaded from top to bottom with black one-pixel lines along its edges, bands deep:
// the pixels of the quad with the lines drawn over it, in one quad where that is exact.
// The current colour is black after it.
inline void framedQuad(float x0, float y0, float x1, float y1, const Rgba& top, const Rgba& bottom,
                       Bands bands) {
    colour({0, 0, 0, 1});
    const float b[4] = {bottom.r, bottom.g, bottom.b, bottom.a};
    const float t[4] = {top.r, top.g, top.b, top.a};
    const int k[4] = {bands.left, bands.right, bands.bottom, bands.top};
    zu::detail::streamFramedQuad(x0, y0, x1, y1, b, t, k);
}

// A quad with the black outline around it.
inline void outlinedQuad(float x0, float y0, float x1, float y1, const Rgba& top,
                         const Rgba& bottom) {
    framedQuad(x0, y0, x1, y1, top, bottom, {1, 1, 1, 0});
    hline(x0, x1, y1);  // the top line lies on the row above
}

// The raised plate of the buttons, and its sunken look while pressed.
inline Rgba plateTop(bool pressed) {
    return pressed ? Rgba{0.1f, 0.1f, 0.1f, 1} : Rgba{0.2f, 0.25f, 0.35f, 1};
}
inline Rgba plateBottom(bool pressed) {
    return pressed ? Rgba{0.2f, 0.25f, 0.35f, 1} : Rgba{0.025f, 0.05f, 0.075f, 1};
}
inline void plate(float x0, float y0, float x1, float y1, bool pressed) {
    gradientQuad(x0, y0, x1, y1, plateTop(pressed), plateBottom(pressed));
}
// The plate with the black outline around it.
inline void outlinedPlate(float x0, float y0, float x1, float y1, bool pressed) {
    outlinedQuad(x0, y0, x1, y1, plateTop(pressed), plateBottom(pressed));
}

// The translucent highlight of an active plain button, with its outline.
inline void highlight(float L, float B, float R, float T) {
    const float mid = B + (T - B) * 0.5f;
    gradientQuad(L, mid, R, T, {0.05f, 0.05f, 0.05f, 0.5f}, {0.25f, 0.3f, 0.35f, 0.5f});
    gradientQuad(L, B, R, mid, {0.25f, 0.3f, 0.35f, 0.5f}, {0.5f, 0.55f, 0.6f, 0.8f});
    colour({0.117f, 0.137f, 0.161f, 1.0f});
    outline(L, R, B, T);
}

// Remembers a capability and puts it back when the scope ends.
class Restore {
  public:
    explicit Restore(GLenum cap) : cap_(cap), was_(glIsEnabled(cap)) {}
    ~Restore() { was_ ? glEnable(cap_) : glDisable(cap_); }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

  private:
    GLenum cap_;
    GLboolean was_;
};

// The text flags and font of a widget drawn at its rectangle.
inline void printText(char* text, const ZuRECT& r, const Rgba& c, int font, int flags) {
    ZuRECT rr = r;
    ZuFCOLOR fc = fcolor(c);
    ZUPrintText(text, &rr, &fc, font, flags, nullptr);
}

}  // namespace zu::widgets
