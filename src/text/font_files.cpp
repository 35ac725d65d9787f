#include "text/font_files.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H

#include <strings.h>

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/report.h"

namespace zu::detail {
namespace {

std::mutex cacheMutex;

std::string fileNamed(const char* wanted) {
    std::string found;
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    for (int i = 0; fonts && i < fonts->nfont && found.empty(); ++i) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
        const char* path = reinterpret_cast<const char*>(file);
        const char* slash = std::strrchr(path, '/');
        if (strcasecmp(slash ? slash + 1 : path, wanted) == 0) found = path;
    }
    if (fonts) FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return found;
}

std::string familyMatch(bool bold) {
    std::string found;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("Arial"));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch)
            found = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return found;
}

void rasterise(FT_Face face, int code, GlyphBitmap& out) {
    const FT_UInt index = FT_Get_Char_Index(face, static_cast<FT_ULong>(code));
    // Above ASCII a code the face lacks draws nothing rather than the face's missing-glyph box.
    if (index == 0 && code >= 128) return;
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) return;
    FT_Glyph glyph = nullptr;
    if (FT_Get_Glyph(face->glyph, &glyph) != 0) return;
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) != 0) {
        FT_Done_Glyph(glyph);
        return;
    }
    auto* bitmapGlyph = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const FT_Bitmap& bm = bitmapGlyph->bitmap;
    out.left = bitmapGlyph->left;
    out.top = bitmapGlyph->top;
    out.width = static_cast<int>(bm.width);
    out.rows = static_cast<int>(bm.rows);
    out.advance = static_cast<int>(face->glyph->advance.x >> 6);
    out.coverage.assign(static_cast<size_t>(out.width) * out.rows, 0);
    // Rows are read with the bitmap's own pitch, so that padded rows cannot shear a glyph.
    const int pitch = bm.pitch < 0 ? -bm.pitch : bm.pitch;
    for (int j = 0; j < out.rows && bm.buffer; ++j)
        std::memcpy(&out.coverage[static_cast<size_t>(j) * out.width],
                    bm.buffer + static_cast<size_t>(j) * pitch, out.width);
    out.valid = true;
    FT_Done_Glyph(glyph);
}

}  // namespace

std::unique_ptr<RasterFont> rasteriseFont(bool bold, int size) {
    auto font = std::make_unique<RasterFont>();
    const std::string path = facePath(bold);
    FT_Library library = nullptr;
    if (path.empty() || FT_Init_FreeType(&library) != 0) return font;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) == 0) {
        FT_Set_Char_Size(face, size * 64, size * 64, 96, 96);
        for (int c = 0; c < kGlyphCount; ++c) rasterise(face, c, font->glyphs[c]);
        font->loaded = true;
        FT_Done_Face(face);
    } else {
        zu::detail::reportFailure("font face %s could not be read", path.c_str());
    }
    FT_Done_FreeType(library);
    return font;
}

std::string facePath(bool bold) {
    static std::string paths[2];
    static bool looked[2] = {false, false};
    std::lock_guard lock(cacheMutex);
    if (!looked[bold]) {
        if (FcInit()) {
            paths[bold] = fileNamed(bold ? "arialbd.ttf" : "arial.ttf");
            if (paths[bold].empty()) paths[bold] = familyMatch(bold);
        }
        if (paths[bold].empty())
            zu::detail::reportFailure("font face %s not found", bold ? "arialbd.ttf" : "arial.ttf");
        looked[bold] = true;
    }
    return paths[bold];
}

const RasterFont& rasterFont(bool bold, int pixelSize) {
    static std::map<std::pair<bool, int>, std::unique_ptr<RasterFont>> cache;
    {
        std::lock_guard lock(cacheMutex);
        auto it = cache.find({bold, pixelSize});
        if (it != cache.end()) return *it->second;
    }
    auto font = rasteriseFont(bold, pixelSize);  // outside the lock: facePath takes it too
    std::lock_guard lock(cacheMutex);
    auto& slot = cache[{bold, pixelSize}];
    if (!slot) slot = std::move(font);
    return *slot;
}

}  // namespace zu::detail
