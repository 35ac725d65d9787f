#include "popups/popup_window.h"

#include <string>

#include "gui/gui_state.h"
#include "zugui/text.h"

namespace zu::detail {

int createPopup(PopupWindow& p, ws::WndProc proc, int x, int y, int width, int height,
                const char* iconFile) {
    if (p.window) return 0;
    ws::WindowClass wc;
    wc.name = p.className;
    wc.proc = proc;
    wc.styles = ws::CS_VREDRAW | ws::CS_HREDRAW | ws::CS_DBLCLKS;
    p.cursor = ws::loadCursorFromFile("data/icons/envoycursor.cur");
    if (iconFile && *iconFile)
        p.icon = ws::loadIconFromFile((std::string("data/icons/") + iconFile).c_str());
    wc.cursor = p.cursor;
    wc.icon = wc.iconSmall = p.icon;
    if (ws::registerClass(wc) != 0 && ws::lastError() != ws::ERROR_CLASS_ALREADY_EXISTS) {
        destroyPopup(p);
        return -2;
    }
    ws::CreateWindowParams cp;
    cp.className = p.className;
    cp.caption = p.className;
    cp.style = ws::WS_POPUP | ws::WS_CLIPSIBLINGS | ws::WS_CLIPCHILDREN;
    // Not managed by the window manager: no frame, no focus taken from the main window.
    cp.exStyle = ws::WS_EX_OVERRIDE;
    cp.x = x, cp.y = y, cp.width = width, cp.height = height;
    cp.parent = gui().mainWindow;
    p.window = ws::createWindow(cp);
    if (p.window) p.dc = ws::getDC(p.window);
    if (p.dc) {
        ws::PixelFormatDescriptor pfd;
        pfd.flags = ws::PFD_DRAW_TO_WINDOW | ws::PFD_SUPPORT_OPENGL | ws::PFD_DOUBLEBUFFER;
        pfd.pixelType = ws::PFD_TYPE_RGBA;
        pfd.colorBits = 32;
        pfd.depthBits = 32;
        ws::setPixelFormat(p.dc, ws::choosePixelFormat(p.dc, pfd));
        p.rc = ws::createContext(p.dc);
    }
    if (!p.rc || !ws::makeCurrent(p.dc, p.rc)) {
        destroyPopup(p);
        return -2;
    }
    standardGlSetup(width, height);
    ZUBuildFonts(p.fontSet);
    ws::makeCurrent(nullptr, nullptr);
    return 0;
}

bool beginPopupGl(PopupWindow& p, int width, int height) {
    if (!p.rc || !ws::makeCurrent(p.dc, p.rc)) return false;
    standardGlSetup(width, height);
    // Mesa learns a drawable's new size only after a swap: one cleared frame makes the
    // next drawing use the whole window.
    ws::swapBuffers(p.dc);
    return true;
}

void showPopup(PopupWindow& p, int x, int y, int width, int height) {
    GuiState& g = gui();
    // An embedded GUI's host may itself be topmost; the popup must still come over it.
    void* after =
        g.embedded && g.procSeen.load(std::memory_order_acquire) ? ws::HWND_TOPMOST : ws::HWND_TOP;
    ws::setWindowPos(p.window, after, x, y, width, height, ws::SWP_SHOWWINDOW);
}

void destroyPopup(PopupWindow& p) {
    if (p.rc && ws::makeCurrent(p.dc, p.rc)) ZUKillFonts(p.fontSet);
    ws::makeCurrent(nullptr, nullptr);
    if (p.rc) ws::deleteContext(p.rc);
    if (p.dc) ws::releaseDC(p.window, p.dc);
    if (p.window) {
        ws::destroyWindow(p.window);
        ws::unregisterClass(p.className);
    }
    if (p.cursor) ws::destroyCursor(p.cursor);
    if (p.icon) ws::destroyIcon(p.icon);
    p.window = p.dc = p.rc = p.cursor = p.icon = nullptr;
}

}  // namespace zu::detail
