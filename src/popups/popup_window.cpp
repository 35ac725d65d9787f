#include "popups/popup_window.h"

#include <string>

#include "gui/gui_state.h"
#include "zugui/text.h"

namespace zu::detail {

int createPopup(PopupWindow& p, ws::EventProc proc, int x, int y, int width, int height,
                const char* iconFile) {
    if (p.window) return 0;
    p.cursor = ws::loadCursor("data/icons/envoycursor.cur");
    if (iconFile && *iconFile)
        p.icon = ws::loadIcon((std::string("data/icons/") + iconFile).c_str());
    ws::WindowDesc d;
    d.proc = proc;
    d.caption = p.name;
    // Not managed by the window manager: no frame, no focus taken from the main window.
    d.unmanaged = true;
    d.doubleClicks = true;
    d.surface = true;
    d.cursor = p.cursor;
    d.icon = p.icon;
    d.x = x, d.y = y, d.width = width, d.height = height;
    d.owner = ZUGetHWND();
    p.window = ws::createWindow(d, &p.surface);
    if (!p.window || !ws::makeCurrent(p.surface)) {
        destroyPopup(p);
        return -2;
    }
    standardGlSetup(width, height);
    ZUBuildFonts(p.fontSet);
    ws::makeCurrent(nullptr);
    return 0;
}

bool beginPopupGl(PopupWindow& p, int width, int height) {
    if (!p.surface || !ws::makeCurrent(p.surface)) return false;
    standardGlSetup(width, height);
    // Mesa learns a drawable's new size only after a swap: one cleared frame makes the
    // next drawing use the whole window.
    ws::swapBuffers(p.surface);
    return true;
}

void showPopup(PopupWindow& p, int x, int y, int width, int height) {
    GuiState& g = gui();
    ws::setGeometry(p.window, x, y, width, height);
    // An embedded GUI's host may itself be topmost; the popup must still come over it.
    ws::raise(p.window, g.embedded);
    ws::show(p.window, false);
}

void destroyPopup(PopupWindow& p) {
    if (p.surface && ws::makeCurrent(p.surface)) ZUKillFonts(p.fontSet);
    ws::makeCurrent(nullptr);
    ws::destroySurface(p.surface);
    ws::destroyWindow(p.window);
    ws::freeCursor(p.cursor);
    ws::freeIcon(p.icon);
    p.window = nullptr;
    p.surface = nullptr;
    p.cursor = nullptr;
    p.icon = nullptr;
}

}  // namespace zu::detail
