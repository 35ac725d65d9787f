#include "platform/winsys/icon_file.h"

#include <png.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

namespace zu::ws {
namespace {

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

bool decodePng(const uint8_t* data, size_t size, IconEntry* e) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, data, size)) return false;
    if (img.width == 0 || img.height == 0 || img.width > 1024 || img.height > 1024) {
        png_image_free(&img);
        return false;
    }
    img.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    e->width = static_cast<int>(img.width);
    e->height = static_cast<int>(img.height);
    e->bitCount = 32;
    e->argb.assign(size_t{img.width} * img.height, 0);
    if (!png_image_finish_read(&img, nullptr, e->argb.data(), 0, nullptr)) {
        png_image_free(&img);
        return false;
    }
    return true;
}

bool decodeBmp(const uint8_t* data, size_t size, IconEntry* e) {
    if (size < 40) return false;
    const uint32_t headerSize = le32(data);
    const int32_t w = static_cast<int32_t>(le32(data + 4));
    const int32_t h2 = static_cast<int32_t>(le32(data + 8));
    const int bpp = le16(data + 14);
    const uint32_t compression = le32(data + 16);
    uint32_t colorsUsed = le32(data + 32);
    if (headerSize < 40 || headerSize > size || w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 ||
        compression != 0)
        return false;
    const int h = h2 / 2;  // the height covers the colour bitmap and the AND mask
    if (h <= 0) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    if (bpp <= 8 && colorsUsed == 0) colorsUsed = 1u << bpp;
    if (bpp > 8) colorsUsed = 0;
    if (colorsUsed > 256) return false;
    const size_t paletteOff = headerSize;
    const size_t pixelsOff = paletteOff + size_t{colorsUsed} * 4;
    const size_t xorStride = ((size_t(w) * bpp + 31) / 32) * 4;
    const size_t andStride = ((size_t(w) + 31) / 32) * 4;
    const size_t andOff = pixelsOff + xorStride * h;
    const bool haveMask = andOff + andStride * h <= size;
    if (andOff > size) return false;
    e->width = w;
    e->height = h;
    e->bitCount = bpp;
    e->argb.assign(size_t(w) * h, 0);
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = data + pixelsOff + xorStride * (h - 1 - y);  // bottom-up
        uint32_t* out = &e->argb[size_t(y) * w];
        for (int x = 0; x < w; ++x) {
            uint32_t c = 0;
            if (bpp == 32) {
                c = le32(row + x * 4);
                if (c >> 24) anyAlpha = true;
            } else if (bpp == 24) {
                c = 0xFF000000u | uint32_t{row[x * 3 + 2]} << 16 | uint32_t{row[x * 3 + 1]} << 8 |
                    row[x * 3];
            } else {
                const int bit = x * bpp;
                const int idx = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
                if (static_cast<uint32_t>(idx) >= colorsUsed) continue;
                c = 0xFF000000u | (le32(data + paletteOff + idx * 4) & 0xFFFFFFu);
            }
            out[x] = c;
        }
    }
    // 32-bit entries carry their own alpha; the mask decides only where they have none.
    if (haveMask && !(bpp == 32 && anyAlpha)) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = data + andOff + andStride * (h - 1 - y);
            for (int x = 0; x < w; ++x) {
                uint32_t& c = e->argb[size_t(y) * w + x];
                const bool transparent = (row[x / 8] >> (7 - x % 8)) & 1;
                c = transparent ? 0 : (c | 0xFF000000u);
            }
        }
    } else if (bpp == 32 && !anyAlpha) {
        for (uint32_t& c : e->argb) c |= 0xFF000000u;
    }
    return true;
}

}  // namespace

bool decodeIconFile(const uint8_t* data, size_t size, IconFile* out) {
    if (!data || !out || size < 6) return false;
    const uint16_t reserved = le16(data), type = le16(data + 2), count = le16(data + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) return false;
    if (size < 6 + size_t{count} * 16) return false;
    out->cursor = type == 2;
    out->entries.clear();
    for (unsigned i = 0; i < count; ++i) {
        const uint8_t* d = data + 6 + i * 16;
        const uint32_t bytes = le32(d + 8), offset = le32(d + 12);
        if (offset >= size || bytes > size - offset || bytes < 8) continue;
        IconEntry e;
        const uint8_t* img = data + offset;
        static const uint8_t pngSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        const bool ok = memcmp(img, pngSig, 8) == 0 ? decodePng(img, bytes, &e)
                                                     : decodeBmp(img, bytes, &e);
        if (!ok) continue;
        if (out->cursor) {
            e.hotX = std::min<int>(le16(d + 4), e.width - 1);
            e.hotY = std::min<int>(le16(d + 6), e.height - 1);
        }
        out->entries.push_back(std::move(e));
    }
    return !out->entries.empty();
}

bool readIconFile(const char* path, IconFile* out) {
    if (!path || !out) return false;
    std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(path, "rb"), fclose);
    if (!f) return false;
    std::vector<uint8_t> buf;
    uint8_t chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f.get())) > 0) {
        buf.insert(buf.end(), chunk, chunk + n);
        if (buf.size() > (16u << 20)) return false;  // no icon file is this large
    }
    return decodeIconFile(buf.data(), buf.size(), out);
}

int bestIconEntry(const IconFile& f, int wanted) {
    int best = -1, bestDist = INT_MAX, bestBits = -1;
    for (size_t i = 0; i < f.entries.size(); ++i) {
        const IconEntry& e = f.entries[i];
        const int dist = std::abs(e.width - wanted) + std::abs(e.height - wanted);
        if (dist < bestDist || (dist == bestDist && e.bitCount > bestBits)) {
            best = static_cast<int>(i);
            bestDist = dist;
            bestBits = e.bitCount;
        }
    }
    return best;
}

}  // namespace zu::ws
