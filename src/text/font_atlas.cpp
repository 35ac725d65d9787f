// Glyph fonts: one atlas texture per font and context, packed once per process from the
// shared glyph bitmaps.
#include <GL/gl.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
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

// The atlas and the texels it points into.
struct OwnedAtlas {
    FontAtlas atlas;
    std::vector<uint8_t> texels;
};

// Each glyph keeps the power-of-two cell its own texture used to have, coverage in the
// top-left corner and transparent elsewhere, repeated down the atlas's whole height and
// framed by one column of the cell's opposite edge on either side. The cells stand side by
// side in one band, so a glyph's t coordinates are those of its own texture scaled by a
// power of two: nearest sampling picks exactly the texels it picked there, even where a
// half-pixel baseline puts pixel centres on texel edges, and a sample a hair outside the
// quad finds what the repeat wrap found.
constexpr int kMaxAtlasWidth = 8192;  // beyond this the band wraps into further bands

std::unique_ptr<OwnedAtlas> packAtlas(const RasterFont& raster) {
    auto out = std::make_unique<OwnedAtlas>();
    FontAtlas& a = out->atlas;
    if (!raster.loaded) return out;
    struct Cell {
        int code, w, h, x = 0, y = 0;  // w, h: the glyph's own power-of-two size
    };
    std::vector<Cell> cells;
    int band = 2, total = 0;
    for (int c = 0; c < kGlyphCount; ++c) {
        const GlyphBitmap& g = raster.glyphs[c];
        if (!g.valid) continue;
        a.advances[c] = static_cast<float>(g.advance);
        if (g.width <= 0 || g.rows <= 0) continue;  // no ink: the pen only moves
        cells.push_back({c, powerOfTwoFrom2(g.width), powerOfTwoFrom2(g.rows)});
        band = std::max(band, cells.back().h);
        total += cells.back().w + 2;
    }
    const int width = std::min(powerOfTwoFrom2(total), kMaxAtlasWidth);
    int x = 0, y = 0;
    for (Cell& c : cells) {
        if (x + c.w + 2 > width) x = 0, y += band;
        c.x = x + 1, c.y = y;
        x += c.w + 2;
    }
    const int height = powerOfTwoFrom2(y + band);
    out->texels.assign(static_cast<size_t>(2) * width * height, 0);
    for (size_t i = 0; i < out->texels.size(); i += 2) out->texels[i] = 255;
    for (const Cell& c : cells) {
        const GlyphBitmap& g = raster.glyphs[c.code];
        for (int j = 0; j < band; ++j)
            for (int i = -1; i <= c.w; ++i) {
                const int gi = (i + c.w) % c.w, gj = j % c.h;  // the repeat wrap
                const uint8_t alpha = (gi < g.width && gj < g.rows)
                                          ? g.coverage[static_cast<size_t>(gj) * g.width + gi]
                                          : 0;
                const size_t at = static_cast<size_t>(c.y + j) * width + (c.x + i);
                out->texels[2 * at + 1] = alpha;
            }
        GlyphQuad& q = a.quads[c.code];
        q.x0 = static_cast<float>(g.left);
        q.x1 = static_cast<float>(g.left + g.width);
        q.y0 = static_cast<float>(g.top - g.rows);
        q.y1 = static_cast<float>(g.top);
        q.s0 = static_cast<float>(c.x) / width;
        q.s1 = static_cast<float>(c.x + g.width) / width;
        q.t0 = static_cast<float>(c.y) / height;
        q.t1 = static_cast<float>(c.y + g.rows) / height;
        a.drawn[c.code] = true;
    }
    a.width = width, a.height = height;
    a.texels = out->texels.data();
    return out;
}

void buildFont(GlyphFont& font, const FontStyle& style) {
    font.height = static_cast<float>(style.size);
    font.texture = 0;
    font.atlas = &fontAtlas(style.bold, style.size);
    const FontAtlas& a = *font.atlas;
    if (a.width == 0) return;  // draws nothing, as a missing face should
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // White texels with the coverage as alpha: a glyph takes the current colour.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    GLint unpack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, a.width, a.height, 0, GL_LUMINANCE_ALPHA,
                 GL_UNSIGNED_BYTE, a.texels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glBindTexture(GL_TEXTURE_2D, 0);
    font.texture = texture;
    font.context = ws::currentContext();
}

void freeFont(GlyphFont& font, bool ownContext) {
    // A texture made in another context is not ours to delete here: nothing of anyone
    // else's is deleted.
    if (font.texture && ownContext) {
        const GLuint texture = font.texture;
        glDeleteTextures(1, &texture);
    }
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
    // Every set holds its own texture names in its own context; the set is picked by the
    // context current now.
    void* current = ws::currentContext();
    for (auto& s : sets)
        if (current && s.context == current) return &s.fonts[position];
    return &sets[0].fonts[position];
}

namespace {
std::mutex atlasMutex;
std::map<std::pair<bool, int>, std::unique_ptr<OwnedAtlas>> atlases;

// The first build in a process rasterises six faces, most of its time: the bold ones on a
// second thread, the regular ones here.
void prepareAtlases() {
    {
        std::lock_guard lock(atlasMutex);
        if (atlases.size() >= static_cast<size_t>(kFontsPerSet)) return;
    }
    auto range = [](int from, int to) {
        for (int i = from; i < to; ++i) fontAtlas(kBuildOrder[i].bold, kBuildOrder[i].size);
    };
    std::thread bold;
    try {
        bold = std::thread(range, 0, kFontsPerSet / 2);
    } catch (const std::system_error&) {
        range(0, kFontsPerSet / 2);  // no thread to be had: one after the other
    }
    range(kFontsPerSet / 2, kFontsPerSet);
    if (bold.joinable()) bold.join();
}
}  // namespace

const FontAtlas& fontAtlas(bool bold, int pixelSize) {
    {
        std::lock_guard lock(atlasMutex);
        auto it = atlases.find({bold, pixelSize});
        if (it != atlases.end()) return it->second->atlas;
    }
    auto made = packAtlas(rasterFont(bold, pixelSize));  // outside the lock: in parallel
    std::lock_guard lock(atlasMutex);
    auto& slot = atlases[{bold, pixelSize}];
    if (!slot) slot = std::move(made);
    return slot->atlas;
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
    prepareAtlases();
    for (int i = 0; i < kFontsPerSet; ++i) buildFont(s.fonts[i], kBuildOrder[i]);
    s.context = ws::currentContext();
    return 0;
}

ZUAPI ZuErr ZUKillFonts(int set) {
    if (set < 0 || set >= kFontSetCount) return 0;
    FontSet& s = sets[set];
    const bool same = !s.context || s.context == ws::currentContext();
    for (auto& f : s.fonts) freeFont(f, same);
    if (same) forgetViewport();  // the context is on its way out: its address may be reused
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
