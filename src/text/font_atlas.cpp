// Glyph fonts: one atlas texture per font set and context, packed once per process from
// the shared glyph bitmaps.
#include <GL/gl.h>

#include <algorithm>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "text/draw_stream.h"
#include "text/font_files.h"
#include "text/line_cache.h"
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

// The atlas of a whole set and the texels it points into.
struct OwnedAtlas {
    FontAtlas fonts[kFontsPerSet];
    std::vector<uint8_t> texels;
};

// Each glyph keeps the texels its own power-of-two texture used to have around its
// coverage: repeated down the atlas's whole height, and framed by the columns the repeat
// wrap put on either side. The glyphs of all six fonts stand side by side in one band, so a
// glyph's t coordinates are those of its own texture scaled by a power of two: nearest
// sampling picks exactly the texels it picked there, even where a half-pixel baseline puts
// pixel centres on texel edges, and a sample a hair outside the quad finds what the repeat
// wrap found. (Across, pixel centres always fall on texel centres.) A white cell in front
// gives the plain quads drawn in the same stream their colour unchanged: its first 3 x 3
// texels are white in the middle and opaque black around it, for the frames drawn with
// their plates (streamFramedQuad).
constexpr int kWhiteCell = 4;

std::shared_ptr<OwnedAtlas> packAtlas(const RasterFont* const (&raster)[kFontsPerSet],
                                      int maxWidth) {
    auto out = std::make_shared<OwnedAtlas>();
    struct Cell {
        int font, code, w, h, x = 0, y = 0;  // w, h: the glyph's own power-of-two size
    };
    std::vector<Cell> cells;
    int band = kWhiteCell, total = kWhiteCell;
    for (int f = 0; f < kFontsPerSet; ++f) {
        if (!raster[f]->loaded) continue;
        for (int c = 0; c < kGlyphCount; ++c) {
            const GlyphBitmap& g = raster[f]->glyphs[c];
            if (!g.valid) continue;
            out->fonts[f].advances[c] = static_cast<float>(g.advance);
            if (g.width <= 0 || g.rows <= 0) continue;  // no ink: the pen only moves
            cells.push_back({f, c, powerOfTwoFrom2(g.width), powerOfTwoFrom2(g.rows)});
            band = std::max(band, cells.back().h);
            total += g.width + 2;
        }
    }
    if (cells.empty()) return out;  // no face: every font draws nothing
    // Beyond the widest texture OpenGL takes, the band wraps into further bands.
    const int width = std::min(powerOfTwoFrom2(total), std::max(maxWidth, 64));
    int x = kWhiteCell, y = 0;
    for (Cell& c : cells) {
        const int span = raster[c.font]->glyphs[c.code].width + 2;
        if (x + span > width) x = 0, y += band;
        c.x = x + 1, c.y = y;
        x += span;
    }
    const int height = powerOfTwoFrom2(y + band);
    // White texels with the coverage as alpha: a glyph takes the current colour.
    out->texels.assign(static_cast<size_t>(2) * width * height, 0);
    for (size_t i = 0; i < out->texels.size(); i += 2) out->texels[i] = 255;
    for (int j = 0; j < kWhiteCell; ++j)
        for (int i = 0; i < kWhiteCell; ++i) {
            uint8_t* texel = &out->texels[2 * (static_cast<size_t>(j) * width + i)];
            texel[1] = 255;
            if (i < 3 && j < 3 && !(i == 1 && j == 1)) texel[0] = 0;
        }
    for (const Cell& c : cells) {
        const GlyphBitmap& g = raster[c.font]->glyphs[c.code];
        for (int j = 0; j < band; ++j)
            for (int i = -1; i <= g.width; ++i) {
                const int gi = (i + c.w) % c.w, gj = j % c.h;  // the repeat wrap
                const uint8_t alpha = (gi < g.width && gj < g.rows)
                                          ? g.coverage[static_cast<size_t>(gj) * g.width + gi]
                                          : 0;
                const size_t at = static_cast<size_t>(c.y + j) * width + (c.x + i);
                out->texels[2 * at + 1] = alpha;
            }
        FontAtlas& a = out->fonts[c.font];
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
    for (FontAtlas& a : out->fonts) {
        a.width = width, a.height = height;
        a.texels = out->texels.data();
        // The middle of the white texel amid the black ones: a constant coordinate never
        // leaves it.
        a.whiteS = 1.5f / static_cast<float>(width);
        a.whiteT = 1.5f / static_cast<float>(height);
    }
    return out;
}

// One texture for the six fonts of a set, in the context current now.
void buildSet(FontSet& set, const OwnedAtlas& atlas) {
    const FontAtlas& a = atlas.fonts[0];
    GLuint texture = 0;
    if (a.width > 0) {  // else no face was found: every font draws nothing
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        // Stored as given, two bytes a texel: a fresh texture's memory is most of what the
        // upload costs. Rows are 4-byte aligned whatever the unpack alignment.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, a.width, a.height, 0, GL_LUMINANCE_ALPHA,
                     GL_UNSIGNED_BYTE, a.texels);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    set.context = ws::currentContext();
    for (int i = 0; i < kFontsPerSet; ++i) {
        GlyphFont& f = set.fonts[i];
        f.height = static_cast<float>(kBuildOrder[i].size);
        f.atlas = &atlas.fonts[i];
        f.texture = texture;
        f.context = set.context;
    }
}

// The set's texture is deleted only in its own context: nothing of anyone else's is.
void freeSet(FontSet& set, bool ownContext) {
    if (set.context) forgetLineImages(set.context);
    if (set.fonts[0].texture && ownContext) {
        const GLuint texture = set.fonts[0].texture;
        glDeleteTextures(1, &texture);
    }
    for (GlyphFont& f : set.fonts) f = GlyphFont{};
    set.context = nullptr;
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
    void* current = currentContextHere();
    for (auto& s : sets)
        if (current && s.context == current) return &s.fonts[position];
    return &sets[0].fonts[position];
}

namespace {

// The first build in a process rasterises both faces at three sizes, most of its time: the
// bold ones on a second thread, the regular ones here (unless this is already a thread of
// its own beside the caller's).
void rasteriseAll(const RasterFont* (&raster)[kFontsPerSet], bool parallel) {
    auto range = [&raster](int from, int to) {
        for (int i = from; i < to; ++i)
            raster[i] = &rasterFont(kBuildOrder[i].bold, kBuildOrder[i].size);
    };
    std::thread bold;
    try {
        if (parallel) bold = std::thread(range, 0, kFontsPerSet / 2);
    } catch (const std::system_error&) {
    }
    if (!bold.joinable()) range(0, kFontsPerSet / 2);  // one after the other
    range(kFontsPerSet / 2, kFontsPerSet);
    if (bold.joinable()) bold.join();
}

// 16384 texels hold the six fonts in one band; OpenGL takes that wide a texture nearly
// everywhere, and where it does not the atlas is packed again for what it takes.
constexpr int kAtlasWidth = 16384;

std::mutex atlasMutex;
std::shared_future<std::shared_ptr<const OwnedAtlas>> wideAtlas;  // guarded by atlasMutex
std::map<int, std::shared_ptr<const OwnedAtlas>> narrowAtlases;   // guarded by atlasMutex

std::shared_ptr<const OwnedAtlas> makeAtlas(int maxWidth, bool parallel) {
    const RasterFont* raster[kFontsPerSet] = {};
    rasteriseAll(raster, parallel);
    return packAtlas(raster, maxWidth);
}

// The atlas for textures at most maxWidth wide: made once per process and kept.
const OwnedAtlas& sharedAtlas(int maxWidth) {
    std::shared_future<std::shared_ptr<const OwnedAtlas>> wide;
    {
        std::lock_guard lock(atlasMutex);
        if (!wideAtlas.valid())
            wideAtlas = std::async(std::launch::deferred, makeAtlas, kAtlasWidth, true).share();
        wide = wideAtlas;
    }
    const OwnedAtlas& atlas = *wide.get();
    if (atlas.fonts[0].width <= maxWidth) return atlas;
    std::lock_guard lock(atlasMutex);
    auto& narrow = narrowAtlases[maxWidth];
    if (!narrow) narrow = makeAtlas(maxWidth, true);  // the bitmaps are cached: packing only
    return *narrow;
}

}  // namespace

void prefetchFonts() {
    std::lock_guard lock(atlasMutex);
    if (wideAtlas.valid()) return;
    try {
        wideAtlas = std::async(std::launch::async, makeAtlas, kAtlasWidth, false).share();
    } catch (const std::system_error&) {
        // No thread to be had: the first build makes the atlas itself.
    }
}

void settlePrefetch() {
    std::shared_future<std::shared_ptr<const OwnedAtlas>> pending;
    {
        std::lock_guard lock(atlasMutex);
        pending = wideAtlas;
    }
    if (pending.valid()) pending.wait();
}

}  // namespace zu::detail

using namespace zu::detail;
namespace ws = zu::ws;

ZUAPI ZuErr ZUBuildFonts(int set) {
    if (set < 0 || set >= kFontSetCount) return 0;
    flushDrawing();  // what waits may name the texture about to go
    FontSet& s = sets[set];
    // A second build replaces the first; its names are freed when they live here.
    freeSet(s, s.context && s.context == ws::currentContext());
    GLint maxWidth = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxWidth);
    buildSet(s, sharedAtlas(maxWidth));
    return 0;
}

ZUAPI ZuErr ZUKillFonts(int set) {
    if (set < 0 || set >= kFontSetCount) return 0;
    flushDrawing();
    FontSet& s = sets[set];
    const bool same = !s.context || s.context == ws::currentContext();
    freeSet(s, same);
    if (same) forgetViewport();  // the context is on its way out: its address may be reused
    return 0;
}
