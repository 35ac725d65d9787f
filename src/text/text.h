// Internal side of the text layer: the glyph font records and the line layout routine
// that the public text functions and the drop-down popup draw with.
#pragma once

#include <cstdint>

#include "zugui/text.h"

namespace zu::detail {

// Codes 0 to 255, read as Latin-1.
inline constexpr int kGlyphCount = 256;
inline constexpr int kFontSetCount = 3;
inline constexpr int kFontsPerSet = 6;

// Where a glyph's quad lies from the pen on the baseline, and where its texels lie in the
// font's atlas; t0 belongs to the top edge (the bitmap's first row).
struct GlyphQuad {
    float x0, y0, x1, y1;
    float s0, t0, s1, t1;
};

// One font's part of the atlas image that holds all six fonts, with the glyphs' quads and
// advances: made once per process and shared by the font sets, which upload the image into
// their own contexts.
struct FontAtlas {
    int width = 0, height = 0;         // of the whole image, powers of two; 0 without faces
    const uint8_t* texels = nullptr;   // luminance-alpha pairs, first row first
    float whiteS = 0, whiteT = 0;      // a fully covered texel: plain quads take their colour
    float advances[kGlyphCount] = {};  // whole pixels; 0 for codes without a glyph
    GlyphQuad quads[kGlyphCount] = {};
    bool drawn[kGlyphCount] = {};  // the glyph has ink (a bitmap at least a pixel wide)
};

struct GlyphFont {
    float height;            // nominal pixel size: line height and vertical centring
    uint32_t texture;        // the set's atlas texture; 0 while the font draws nothing
    const FontAtlas* atlas;  // layout and advances; null until built
    void* context;           // where the texture lives: nowhere else does it draw
};

// Position 0 to 5 of a set in build order: bold 14, 12, 10, regular 14, 12, 10.
GlyphFont* fontOfSet(int set, int position);
// The font of a public font id, from the set built in the current context (set 0 when
// no set belongs to it).
GlyphFont* fontForId(int id);

// Finds the faces and rasterises and packs the glyphs on a thread of their own, while the
// caller opens the display and makes its context; the first font set built waits for it.
void prefetchFonts();
// Waits for a prefetch still running: a failed ZUInitGUI must not leave it behind, or a
// host that then exits tears down the caches under it.
void settlePrefetch();

// glViewport, remembered for the current context: text reads its projection and the
// viewport's offset in the window from here instead of asking OpenGL on every call.
void setViewport(int x, int y, int width, int height);
// Drops the record of the current context, before the context goes away.
void forgetViewport();

// Pixel x of the boundary before character index of a one-line text as ZUPrintText lays
// it out in rect with flags (the index is kept within the text), and the boundary nearest
// to a pixel x. Any thread: they read the advances of font set 0's fonts.
float textBoundaryX(int fontId, const char* text, const ZuRECT& rect, int flags, int index);
int textIndexAt(int fontId, const char* text, const ZuRECT& rect, int flags, float x);

// Lays out and draws text from baseline y of the first line in a box of the given width
// starting at x, in the draw stream's colour (streamColour), with the modelview matrix at
// the identity; no clipping of its own. All glyphs of all lines are one draw.
void DrawGlyphText(GlyphFont* font, float x, float y, float width, char* text, int flags,
                   int caret);

}  // namespace zu::detail
