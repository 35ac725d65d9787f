// Cursors and icons loaded from .cur / .ico files, applied to windows when they are made.
#include <X11/Xatom.h>
#include <X11/Xcursor/Xcursor.h>

#include "platform/winsys/icon_file.h"
#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws {
namespace {

// Default sizes of the classic model: 32 x 32 for cursors and icons.
constexpr int kDefaultSize = 32;

}  // namespace

struct Icon {
    int width = 0, height = 0;
    std::vector<uint32_t> argb;
};

Cursor* loadCursor(const char* path) {
    x11::State* s = x11::live();
    if (!s && !(open() && (s = x11::live()))) return nullptr;
    IconFile f;
    if (!readIconFile(path, &f)) return nullptr;
    const int i = bestIconEntry(f, kDefaultSize);
    if (i < 0) return nullptr;
    const IconEntry& e = f.entries[i];
    XcursorImage* img = XcursorImageCreate(e.width, e.height);
    if (!img) return nullptr;
    img->xhot = static_cast<XcursorDim>(e.hotX);
    img->yhot = static_cast<XcursorDim>(e.hotY);
    for (size_t p = 0; p < e.argb.size(); ++p) {
        // Xcursor wants premultiplied alpha.
        const uint32_t c = e.argb[p], a = c >> 24;
        const uint32_t r = ((c >> 16) & 0xFF) * a / 255, g = ((c >> 8) & 0xFF) * a / 255,
                       b = (c & 0xFF) * a / 255;
        img->pixels[p] = a << 24 | r << 16 | g << 8 | b;
    }
    ::Cursor c = XcursorImageLoadCursor(s->dpy, img);
    XcursorImageDestroy(img);
    if (!c) return nullptr;
    return new Cursor{c};
}

void freeCursor(Cursor* cursor) {
    if (!cursor) return;
    if (x11::State* s = x11::live()) XFreeCursor(s->dpy, cursor->cursor);
    delete cursor;
}

Icon* loadIcon(const char* path) {
    IconFile f;
    if (!readIconFile(path, &f)) return nullptr;
    const int i = bestIconEntry(f, kDefaultSize);
    if (i < 0) return nullptr;
    auto* rec = new Icon;
    rec->width = f.entries[i].width;
    rec->height = f.entries[i].height;
    rec->argb = std::move(f.entries[i].argb);
    return rec;
}

void freeIcon(Icon* icon) {
    delete icon;
}

namespace x11 {

void applyLook(State& s, XWin w, const Cursor* cursor, const Icon* icon) {
    if (cursor) XDefineCursor(s.dpy, w, cursor->cursor);
    std::vector<unsigned long> data;  // _NET_WM_ICON: width, height, ARGB pixels
    if (icon) {
        data.push_back(static_cast<unsigned long>(icon->width));
        data.push_back(static_cast<unsigned long>(icon->height));
        data.insert(data.end(), icon->argb.begin(), icon->argb.end());
    }
    if (!data.empty())
        XChangeProperty(s.dpy, w, s.netWmIcon, XA_CARDINAL, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(data.data()),
                        static_cast<int>(data.size()));
}

}  // namespace x11
}  // namespace zu::ws
