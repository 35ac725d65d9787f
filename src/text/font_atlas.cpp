// Glyph fonts: one texture and one display list per glyph, per OpenGL context.
#include <GL/gl.h>

#include <cstdlib>
#include <vector>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "text/font_files.h"
#include "text/text.h"

namespace zu::detail {
namespace {

struct FontSet {
    GlyphFont fonts[kFontsPerSet] = {};
    void* context = nullptr;  // the context the set was built in
};
FontSet sets[kFontSetCount];

struct FontStyle {
    bool bold;
    int size;
};
constexpr FontStyle kBuildOrder[kFontsPerSet] = {{true, 14},  {true, 12},  {true, 10},
                                                 {false, 14}, {false, 12}, {false, 10}};

int powerOfTwoFrom2(int n) {
    int p = 2;
    while (p < n) p <<= 1;
    return p;
}

void buildGlyph(const GlyphBitmap& g, GLuint list, GLuint texture) {
    const int w = powerOfTwoFrom2(g.width), h = powerOfTwoFrom2(g.rows);
    // White texels with the coverage as alpha: a glyph takes the current colour.
    std::vector<uint8_t> texels(static_cast<size_t>(2) * w * h, 0);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            uint8_t* t = &texels[2 * (static_cast<size_t>(j) * w + i)];
            t[0] = 255;
            t[1] =
                (i < g.width && j < g.rows) ? g.coverage[static_cast<size_t>(j) * g.width + i] : 0;
        }
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE,
                 texels.data());

    const float tx = static_cast<float>(g.width) / w, ty = static_cast<float>(g.rows) / h;
    const float rows = static_cast<float>(g.rows), width = static_cast<float>(g.width);
    glNewList(list, GL_COMPILE);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPushMatrix();
    glTranslatef(static_cast<float>(g.left), 0, 0);
    glTranslatef(0, static_cast<float>(g.top - g.rows), 0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0), glVertex2f(0, rows);
    glTexCoord2f(0, ty), glVertex2f(0, 0);
    glTexCoord2f(tx, ty), glVertex2f(width, 0);
    glTexCoord2f(tx, 0), glVertex2f(width, rows);
    glEnd();
    glPopMatrix();
    glTranslatef(static_cast<float>(g.advance), 0, 0);
    // Moves the raster position by the advance too: text is measured through it. Mesa
    // compiles a bitmap without data into nothing, so it gets a byte it never reads.
    static const GLubyte noBits = 0;
    glBitmap(0, 0, 0, 0, static_cast<float>(g.advance), 0, &noBits);
    glEndList();
}

void buildFont(GlyphFont& font, const FontStyle& style) {
    font.height = static_cast<float>(style.size);
    font.textures = static_cast<uint32_t*>(std::calloc(kGlyphCount, sizeof(uint32_t)));
    font.listBase = 0;
    const RasterFont& raster = rasterFont(style.bold, style.size);
    if (!raster.loaded || !font.textures) return;  // draws nothing, as a missing face should
    font.listBase = glGenLists(kGlyphCount);
    if (font.listBase == 0) return;
    glGenTextures(kGlyphCount, font.textures);
    GLint unpack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    for (int c = 0; c < kGlyphCount; ++c)
        if (raster.glyphs[c].valid) {
            buildGlyph(raster.glyphs[c], font.listBase + c, font.textures[c]);
            font.advances[c] = static_cast<float>(raster.glyphs[c].advance);
        }
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void freeFont(GlyphFont& font, bool ownContext) {
    // An empty font generated no names, and names made in another context are not ours
    // to delete here: nothing of anyone else's is deleted.
    if (font.listBase && ownContext) {
        glDeleteLists(font.listBase, kGlyphCount);
        if (font.textures) glDeleteTextures(kGlyphCount, font.textures);
    }
    std::free(font.textures);
    font = GlyphFont{};
}

}  // namespace

GlyphFont* fontOfSet(int set, int position) {
    if (set < 0 || set >= kFontSetCount || position < 0 || position >= kFontsPerSet) return nullptr;
    return &sets[set].fonts[position];
}

GlyphFont* fontForId(int id) {
    // Ids: 1 regular 12, 2 regular 14, 3 bold 10, 4 bold 12, 5 bold 14, else regular 10.
    static constexpr int kPosition[6] = {5, 4, 3, 2, 1, 0};
    const int position = (id >= 0 && id <= 5) ? kPosition[id] : 5;
    // Every set holds the same names in its own context; picking the set by the current
    // context keeps that true even where a context shares its lists with another.
    void* current = ws::currentContext();
    for (auto& s : sets)
        if (current && s.context == current) return &s.fonts[position];
    return &sets[0].fonts[position];
}

}  // namespace zu::detail

using namespace zu::detail;
namespace ws = zu::ws;

ZUAPI ZuErr ZUBuildFonts(int set) {
    if (set < 0 || set >= kFontSetCount) return 0;
    FontSet& s = sets[set];
    // A second build replaces the first; its names are freed when they live here.
    const bool same = s.context && s.context == ws::currentContext();
    for (auto& f : s.fonts) freeFont(f, same);
    for (int i = 0; i < kFontsPerSet; ++i) buildFont(s.fonts[i], kBuildOrder[i]);
    s.context = ws::currentContext();
    return 0;
}

ZUAPI ZuErr ZUKillFonts(int set) {
    if (set < 0 || set >= kFontSetCount) return 0;
    FontSet& s = sets[set];
    const bool same = !s.context || s.context == ws::currentContext();
    for (auto& f : s.fonts) freeFont(f, same);
    s.context = nullptr;
    return 0;
}

namespace {
// The lifecycle builds and frees set 0 through these.
const bool hooksInstalled = [] {
    gui().hooks.buildFonts = [](int set) { ZUBuildFonts(set); };
    gui().hooks.killFonts = [](int set) { ZUKillFonts(set); };
    return true;
}();
}  // namespace
