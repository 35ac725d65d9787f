// Whole lines of text as single images in the rows of the atlas texture below the glyphs:
// a line drawn again is one quad instead of one per glyph. An image holds the glyphs'
// coverage texel for texel where the glyphs would have put it, so drawn on whole pixels it
// gives the pixels the glyph quads gave.
#pragma once

#include "text/text.h"

namespace zu::detail {

// Where the image lies from the pen at the line's start on its baseline, and its texels;
// and the glyphs (by their order among the line's glyphs with ink) drawn on their own after it.
inline constexpr int kMaxApart = 32;
struct LineImage {
    float x0, y0, x1, y1;
    float s0, t0, s1, t1;
    int apartCount;
    uint8_t apart[kMaxApart];
};

// The image of a line of the font in the current context's atlas, made now if there is
// room; false where too many of its glyphs must stay apart, or the rows are full. The image reaches
// the texture at the next uploadLineImages.
bool lineImage(const GlyphFont* font, const char* line, int length, LineImage& out);

// Sends the images made since the last call into the atlas texture of this context; the
// texture is bound here.
void uploadLineImages(void* context, unsigned texture);

// How the texture matrix scales t for the atlas texture of a context: below 1 once it
// has grown rows for the images.
float lineImageScale(void* context);

// Drops the images of a context whose atlas texture goes.
void forgetLineImages(void* context);

// On by default; off, every line is drawn glyph by glyph (the tests' reference).
void useLineImages(bool on);

}  // namespace zu::detail
