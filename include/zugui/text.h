/// \file
/// Text: glyph font sets built from TrueType faces, and text drawing inside GUI rectangles.
///
/// Each OpenGL context that draws text holds a font set of its own: set 0 belongs to the
/// main GUI window, set 1 to the drop-down popup, set 2 to the message box. Build a set with
/// its context current; draw and free it with the same context current.
#pragma once

#include "zugui/types.h"

/// Font ids of ZUPrintText / ZUPrintEditText.
enum : int {
    ZU_FONT_REGULAR10 = 0,  ///< Regular 10; also every id that is not listed.
    ZU_FONT_REGULAR12 = 1,  ///< Regular 12.
    ZU_FONT_REGULAR14 = 2,  ///< Regular 14.
    ZU_FONT_BOLD10 = 3,     ///< Bold 10.
    ZU_FONT_BOLD12 = 4,     ///< Bold 12.
    ZU_FONT_BOLD14 = 5,     ///< Bold 14.
};

/// Text flags: the whole value 1 aligns left, 2 right, anything else centres; the bits
/// below add an underline (and, being part of the value, centre the text).
enum : int {
    ZU_TEXT_LEFT = 1,                ///< Left-aligned.
    ZU_TEXT_RIGHT = 2,               ///< Right-aligned.
    ZU_TEXT_UNDERLINE = 0x10000000,  ///< Solid underline.
    ZU_TEXT_DOTTED = 0x20000000,     ///< Dotted underline; wins over ZU_TEXT_UNDERLINE.
};

/// Builds the six fonts (bold 14, 12, 10, regular 14, 12, 10) of set 0, 1 or 2 into the
/// current context; other set numbers do nothing. Always 0. Character codes 0 to 255 are
/// read as Latin-1; a face that cannot be found leaves its fonts empty (they draw nothing).
ZUAPI ZuErr ZUBuildFonts(int set);
/// Frees a set built by ZUBuildFonts; its context must be current. Always 0.
ZUAPI ZuErr ZUKillFonts(int set);

/// Draws text (at most 255 characters, split at line feeds) in rect with the colour, font
/// id and flags above: vertically centred, clipped to the rectangle by the scissor box
/// (which stays set; the scissor test returns to its earlier state). A text wider than
/// the rectangle is right-aligned so that its end shows, without underline. point is not
/// used. Always 0. Render thread, inside a render pass.
ZUAPI ZuErr ZUPrintText(char* text, ZuRECT* rect, ZuFCOLOR* colour, int font, int flags,
                        ZuFLOATPOINT* point);
/// The same with a red caret before character index caret (-1: none; at or beyond the end:
/// after the last character).
ZUAPI ZuErr ZUPrintEditText(char* text, ZuRECT* rect, ZuFCOLOR* colour, int font, int flags,
                            int caret, ZuFLOATPOINT* point);
