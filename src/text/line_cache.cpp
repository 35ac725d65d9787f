// The line images of each context's atlas texture: packed on shelves in the rows below the
// glyphs, composed from the glyphs' own texels, and uploaded before the draw that uses them.
#include "text/line_cache.h"

#include <GL/gl.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "text/draw_stream.h"

namespace zu::detail {
namespace {

struct Entry {
    LineImage image;
    bool drawable;  // false: the line is drawn glyph by glyph
    bool seen;      // looked up before: composed
    uint64_t lastUse;
};

// Lines remembered at most, images or not.
constexpr size_t kMaxEntries = 8192;

struct Shelf {
    int y, height, x;
};

struct Pending {
    int x, y, width, height;
    std::vector<uint8_t> texels;  // luminance-alpha pairs, first row first
};

// The texture grows at the first line image from the atlas's rows to a power of two that
// holds them twice, first and last (where the repeat wrap takes a sample a hair above a
// glyph), and at least kLineRows rows between them for the images. Every t stays in units
// of the atlas's own height; the texture matrix scales them by a power of two, which moves
// no sample.
constexpr int kLineRows = 192;

struct Cache {
    void* context = nullptr;
    int height = 0;  // of the grown texture; 0 before it grows
    int top = 0;     // the first row for the images
    std::unordered_map<std::string, Entry> entries;
    std::vector<Shelf> shelves;
    std::vector<Pending> pending;
    int nextRow = 0;  // the first row no shelf holds
    // Once the rows are full, the images used in each stretch of as many look-ups as there
    // are images: when few of them are, the rows hold lines no longer drawn and start
    // again; when most are, more lines are drawn than the rows hold, and starting again
    // would only make the same images over and over.
    uint64_t uses = 0, stretchStart = 0;
    size_t usedInStretch = 0;
    bool full = false;
};

std::atomic<bool> enabled{true};

constexpr int kCaches = 8;
std::mutex cachesMutex;
Cache caches[kCaches];

Cache* cacheOf(void* context, bool make) {
    Cache* free = nullptr;
    for (Cache& c : caches) {
        if (c.context == context) return &c;
        if (!c.context && !free) free = &c;
    }
    if (!make || !free) return nullptr;
    free->context = context;
    return free;
}

void restart(Cache& c) {
    c.entries.clear();
    c.shelves.clear();
    c.pending.clear();
    c.nextRow = 0;
    c.full = false;
    c.usedInStretch = 0;
}

// Shelves of heights in steps of four rows, so that lines of neighbouring sizes share them.
bool place(Cache& c, const FontAtlas& a, int width, int height, int& x, int& y) {
    const int rows = c.height - 2 * a.height;
    const int shelfHeight = (height + 3) / 4 * 4;
    if (width > a.width || shelfHeight > rows) return false;
    for (Shelf& s : c.shelves)
        if (s.height == shelfHeight && s.x + width <= a.width) {
            x = s.x, y = s.y;
            s.x += width;
            return true;
        }
    if (c.nextRow + shelfHeight > rows) return false;
    c.shelves.push_back({c.nextRow, shelfHeight, width});
    x = 0, y = c.nextRow;
    c.nextRow += shelfHeight;
    return true;
}

// The glyphs' texels side by side as the glyph quads put them on whole pixels: pixel i of a
// quad's row j (from its top) samples texel (s0 + i, t0 + j) of the atlas. Where a glyph's
// ink meets ink of one before it, the two blended one after the other, which no single
// texel gives to the last bit: such a glyph stays a quad of its own, drawn after the image,
// and so does any later one whose ink meets it.
Entry compose(Cache& c, const FontAtlas& a, const char* line, int length) {
    Entry e{};
    float pen = 0;
    int x0 = 1 << 30, x1 = -(1 << 30), bottom = 1 << 30, top = -(1 << 30);
    for (int i = 0; i < length; ++i) {
        const auto code = static_cast<unsigned char>(line[i]);
        if (a.drawn[code]) {
            const GlyphQuad& q = a.quads[code];
            x0 = std::min(x0, static_cast<int>(pen + q.x0));
            x1 = std::max(x1, static_cast<int>(pen + q.x1));
            bottom = std::min(bottom, static_cast<int>(q.y0));
            top = std::max(top, static_cast<int>(q.y1));
        }
        pen += a.advances[code];
    }
    if (x1 <= x0 || top <= bottom) return e;
    const int width = x1 - x0, height = top - bottom;
    Pending p{0, 0, width, height, std::vector<uint8_t>(2 * size_t(width) * size_t(height), 0)};
    for (size_t k = 0; k < p.texels.size(); k += 2) p.texels[k] = 255;
    std::vector<uint8_t> own(size_t(width) * size_t(height), 0);  // 1 in the image, 2 apart
    pen = 0;
    int ordinal = 0;
    for (int i = 0; i < length; ++i) {
        const auto code = static_cast<unsigned char>(line[i]);
        if (a.drawn[code]) {
            const GlyphQuad& q = a.quads[code];
            const int sx = static_cast<int>(q.s0 * static_cast<float>(a.width));
            const int ty = static_cast<int>(q.t0 * static_cast<float>(a.height));
            const int gx = static_cast<int>(pen + q.x0) - x0, gy = top - static_cast<int>(q.y1);
            const int gw = static_cast<int>(q.x1 - q.x0), gh = static_cast<int>(q.y1 - q.y0);
            auto ink = [&](int k, int j) {
                return a.texels[2 * (size_t(ty + j) * size_t(a.width) + size_t(sx + k)) + 1];
            };
            auto at = [&](int k, int j) { return size_t(gy + j) * size_t(width) + size_t(gx + k); };
            bool apart = false;
            for (int j = 0; j < gh && !apart; ++j)
                for (int k = 0; k < gw && !apart; ++k) apart = ink(k, j) && own[at(k, j)];
            if (apart) {
                if (e.image.apartCount == kMaxApart) return Entry{};
                e.image.apart[e.image.apartCount++] = static_cast<uint8_t>(ordinal);
            }
            for (int j = 0; j < gh; ++j)
                for (int k = 0; k < gw; ++k)
                    if (const uint8_t alpha = ink(k, j)) {
                        own[at(k, j)] = apart ? 2 : 1;
                        if (!apart) p.texels[2 * at(k, j) + 1] = alpha;
                    }
            ++ordinal;
        }
        pen += a.advances[code];
    }
    int x = 0, y = 0;
    if (!place(c, a, width, height, x, y)) {
        if (!c.full) c.full = true, c.stretchStart = c.uses, c.usedInStretch = 0;
        return e;
    }
    p.x = x, p.y = a.height + y;
    const float tw = static_cast<float>(a.width), th = static_cast<float>(a.height);
    LineImage& m = e.image;
    m.x0 = float(x0), m.y0 = float(bottom), m.x1 = float(x1), m.y1 = float(top);
    m.s0 = float(p.x) / tw, m.t0 = float(p.y) / th;
    m.s1 = float(p.x + width) / tw, m.t1 = float(p.y + height) / th;
    e.drawable = true;
    c.pending.push_back(std::move(p));
    return e;
}

void grow(Cache& c, const GlyphFont& font) {
    const FontAtlas& a = *font.atlas;
    int height = 2;
    while (height < 2 * a.height + kLineRows) height <<= 1;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glBindTexture(GL_TEXTURE_2D, font.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_LUMINANCE_ALPHA, a.width, height, 0, GL_LUMINANCE_ALPHA,
                 GL_UNSIGNED_BYTE, nullptr);
    for (int y : {0, height - a.height})
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, y, a.width, a.height, GL_LUMINANCE_ALPHA,
                        GL_UNSIGNED_BYTE, a.texels);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glPopClientAttrib();
    c.height = height;
}

}  // namespace

bool lineImage(const GlyphFont* font, const char* line, int length, LineImage& out) {
    const FontAtlas* a = font->atlas;
    if (!enabled || !font->texture || !a || a->height <= 0 || length <= 0) return false;
    std::string key(reinterpret_cast<const char*>(&a), sizeof a);
    key.append(line, static_cast<size_t>(length));
    std::lock_guard lock(cachesMutex);
    Cache* c = cacheOf(font->context, true);
    if (!c) return false;
    ++c->uses;
    auto it = c->entries.find(key);
    const bool known = it != c->entries.end();
    if (!known || !it->second.seen) {
        // Full, and a quarter of the images or more not drawn in a stretch: start again
        // while nothing waiting to be drawn names them.
        if (!c->full && c->entries.size() >= kMaxEntries)
            c->full = true, c->stretchStart = c->uses, c->usedInStretch = 0;
        if (c->full && c->uses - c->stretchStart > 4 * c->entries.size()) {
            if (c->usedInStretch >= c->entries.size() * 3 / 4)
                c->stretchStart = c->uses, c->usedInStretch = 0;
            else if (!streamHasLineImages())
                restart(*c), it = c->entries.end();
        }
        if (c->full) return false;
    }
    if (it == c->entries.end()) {
        // A line seen once is only noted: text that changes every pass makes no images.
        Entry e{};
        e.lastUse = c->uses;
        c->entries.emplace(std::move(key), e);
        return false;
    }
    Entry& e = it->second;
    if (!e.seen) {
        if (!c->height) grow(*c, *font);
        const uint64_t lastUse = e.lastUse;
        e = compose(*c, *a, line, length);
        e.seen = true, e.lastUse = lastUse;
        if (c->full) {  // no room: forgotten
            c->entries.erase(it);
            return false;
        }
    }
    if (c->full && e.lastUse <= c->stretchStart) ++c->usedInStretch;
    e.lastUse = c->uses;
    if (e.drawable) out = e.image;
    return e.drawable;
}

void uploadLineImages(void* context, unsigned texture) {
    std::lock_guard lock(cachesMutex);
    Cache* c = cacheOf(context, false);
    if (!c || c->pending.empty()) return;
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (const Pending& p : c->pending)
        glTexSubImage2D(GL_TEXTURE_2D, 0, p.x, p.y, p.width, p.height, GL_LUMINANCE_ALPHA,
                        GL_UNSIGNED_BYTE, p.texels.data());
    glPopClientAttrib();
    c->pending.clear();
}

float lineImageScale(void* context) {
    std::lock_guard lock(cachesMutex);
    const Cache* c = cacheOf(context, false);
    const GlyphFont* f = fontForId(0);
    if (!c || !c->height || !f->atlas || f->context != context) return 1;
    return static_cast<float>(f->atlas->height) / static_cast<float>(c->height);
}

void useLineImages(bool on) {
    enabled = on;
}

void forgetLineImages(void* context) {
    std::lock_guard lock(cachesMutex);
    if (Cache* c = cacheOf(context, false)) {
        restart(*c);
        c->context = nullptr;
        c->height = 0;
    }
}

}  // namespace zu::detail
