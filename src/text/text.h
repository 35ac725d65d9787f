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

struct GlyphFont {
    float height;         // nominal pixel size: line height and vertical centring
    uint32_t* textures;   // kGlyphCount texture names, owned
    uint32_t listBase;    // listBase + c draws code c; 0 while the font has no lists
    float advances[256];  // how far list c moves the pen and the raster position
};

// Position 0 to 5 of a set in build order: bold 14, 12, 10, regular 14, 12, 10.
GlyphFont* fontOfSet(int set, int position);
// The font of a public font id, from the set built in the current context (set 0 when
// no set belongs to it).
GlyphFont* fontForId(int id);

// Lays out and draws text from baseline y of the first line in a box of the given width
// starting at x, with the current colour; no clipping of its own.
void DrawGlyphText(GlyphFont* font, float x, float y, float width, char* text, int flags,
                   int caret);

}  // namespace zu::detail
