// The drop-down list: shown by a combo button that keeps the main window's capture and
// asks for a redraw as the pointer moves; the popup takes no input of its own.
#include <GL/gl.h>

#include "gui/gui_state.h"
#include "popups/popup_window.h"
#include "text/draw_stream.h"
#include "text/text.h"
#include "zugui/gui.h"
#include "zugui/popups.h"

namespace zu::detail {
namespace {

struct ComboState {
    PopupWindow popup{"XCombo", 1};
    int width = 0, height = 0;
    int screenX = 0, screenY = 0;
    int count = 0;
    char** items = nullptr;
};
ComboState combo;

void schemeColour(int index) {
    ZuFCOLOR c{};
    ZUGetSchemeColor(index, &c);
    streamColour(c.red, c.green, c.blue, c.alpha);  // OpenGL's colour too, and the text's
}

// Row of a screen y counted from the bottom. Counted from the row's last pixel, so that
// the pixel where a row starts belongs to it rather than to the row above.
int rowFromBottom(int py, int rh) {
    return (combo.screenY + combo.height - 1 - py) / rh;
}

bool pointerInside(int px, int py) {
    return combo.screenX <= px && px < combo.screenX + combo.width && combo.screenY <= py &&
           py < combo.screenY + combo.height;
}

}  // namespace
}  // namespace zu::detail

using zu::detail::combo;
using zu::detail::gui;
namespace ws = zu::ws;

ZUAPI ZuErr ZUInitCombo(int x, int y, int width, int height, char* iconFile) {
    const int r = zu::detail::createPopup(combo.popup, nullptr, x, y, width, height, iconFile);
    combo.width = width, combo.height = height;
    gui().comboWindow.store(combo.popup.window, std::memory_order_release);
    return r;
}

ZUAPI ZuErr ZUShowCombo(int x, int y, int width, int height, int count, char** items) {
    if (!combo.popup.window) return -2;
    combo.screenX = x, combo.screenY = y;
    combo.count = items && count > 0 ? count : 0;
    combo.items = combo.count ? items : nullptr;
    combo.width = width, combo.height = height;
    zu::detail::showPopup(combo.popup, x, y, width, height);
    if (zu::detail::beginPopupGl(combo.popup, width, height)) ws::makeCurrent(nullptr);
    return 0;
}

ZUAPI void ZURenderComboGUI(void) {
    if (!combo.popup.surface || !ws::makeCurrent(combo.popup.surface)) return;
    const int w = combo.width, h = combo.height;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    zu::detail::schemeColour(30);
    glBegin(GL_POLYGON);
    glVertex2i(0, h), glVertex2i(w, h), glVertex2i(w, 0), glVertex2i(0, 0);
    glEnd();
    // Rows run from the top down; a row height below 1 pixel leaves nothing to pick.
    const int rh = combo.count ? h / combo.count : 0;
    ws::Point p;
    if (rh > 0 && ws::cursorPos(&p) && zu::detail::pointerInside(p.x, p.y)) {
        const int r = zu::detail::rowFromBottom(p.y, rh);
        zu::detail::schemeColour(31);
        glRecti(0, r * rh, w, r * rh + rh);
    }
    zu::detail::GlyphFont* font = zu::detail::fontOfSet(1, 2);  // bold 10
    int bottom = h - rh;
    for (int i = 0; i < combo.count && rh > 0; ++i, bottom -= rh) {
        zu::detail::schemeColour(27);
        const float baseline = static_cast<float>(bottom) + rh * 0.5f - font->height * 0.5f;
        glPushMatrix();
        glLoadIdentity();
        zu::detail::DrawGlyphText(font, 2.0f, baseline, static_cast<float>(w), combo.items[i],
                                  ZU_TEXT_LEFT, -1);
        glPopMatrix();
    }
    ws::swapBuffers(combo.popup.surface);
    ws::makeCurrent(nullptr);
}

ZUAPI int ZUHideCombo(void) {
    int result = -1;
    ws::Point p;
    if (combo.count && ws::cursorPos(&p) && zu::detail::pointerInside(p.x, p.y)) {
        const int rh = combo.height / combo.count;
        if (rh > 0) result = combo.count - zu::detail::rowFromBottom(p.y, rh) - 1;
    }
    if (combo.popup.window) ws::hide(combo.popup.window);
    combo.count = 0;
    combo.items = nullptr;
    return result;
}

ZUAPI ZuErr ZUKillCombo(void) {
    gui().comboWindow.store(nullptr, std::memory_order_release);
    zu::detail::destroyPopup(combo.popup);
    combo.count = 0;
    combo.items = nullptr;
    return 0;
}
