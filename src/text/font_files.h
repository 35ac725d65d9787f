// Finding the two faces and rasterising their glyphs, without any OpenGL: every font set
// uploads the same bitmaps into its own context.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "text/text.h"

namespace zu::detail {

struct GlyphBitmap {
    bool valid = false;  // false: the code has no glyph and gets no display list
    int left = 0, top = 0, width = 0, rows = 0;
    int advance = 0;                // whole pixels
    std::vector<uint8_t> coverage;  // rows x width, tightly packed, first row on top
};

struct RasterFont {
    bool loaded = false;  // the face was found and opened
    std::array<GlyphBitmap, kGlyphCount> glyphs;
};

// Path of the bold or regular face, empty when none can be found.
std::string facePath(bool bold);
// Opens the face and rasterises all its glyphs at one size, without the cache.
std::unique_ptr<RasterFont> rasteriseFont(bool bold, int pixelSize);
// The rasterised glyphs of one face at one pixel size, made on first use and kept for
// the life of the process. Thread-safe.
const RasterFont& rasterFont(bool bold, int pixelSize);

}  // namespace zu::detail
