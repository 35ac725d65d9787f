// The message box: a title bar, a title and one message; a click anywhere on it
// dismisses it. While it is shown the main window and the video windows ignore input.
#include <GL/gl.h>

#include <cstring>

#include "gui/gui_state.h"
#include "popups/popup_window.h"
#include "zugui/gui.h"
#include "zugui/popups.h"
#include "zugui/text.h"

namespace zu::detail {
namespace {

constexpr int kNarrow = 256, kWide = 360, kBoxHeight = 100;
constexpr int kTextBuffer = 256;

struct BoxState {
    PopupWindow popup{"XMB", 2};
    int width = kNarrow, height = kBoxHeight;
    char title[kTextBuffer] = "None";
    char message[kTextBuffer] = "None";
};
BoxState box;

void copyText(char* to, const char* from) {
    std::strncpy(to, from ? from : "", kTextBuffer - 1);
    to[kTextBuffer - 1] = '\0';
}

void hideBox() {
    if (box.popup.window) ws::hide(box.popup.window);
    gui().mbShown.store(false, std::memory_order_release);
}

intptr_t boxProc(const ws::Event& e) {
    switch (e.kind) {
        case ws::EventKind::Activate:
        case ws::EventKind::Show:
            ZURenderMBGUI();
            break;
        case ws::EventKind::Paint:
            ZURenderMBGUI();
            return 1;
        case ws::EventKind::ButtonDown:
            if (e.button == ws::kLeft) hideBox();
            break;
        default:
            break;
    }
    return ws::defaultProc(e);
}

}  // namespace

ws::Window* messageBoxWindow() {
    return box.popup.window;
}

}  // namespace zu::detail

using zu::detail::box;
using zu::detail::gui;
namespace ws = zu::ws;

ZUAPI ZuErr ZUInitMB(char* iconFile) {
    zu::detail::copyText(box.title, "None");
    zu::detail::copyText(box.message, "None");
    box.width = zu::detail::kNarrow;
    box.height = zu::detail::kBoxHeight;
    return zu::detail::createPopup(box.popup, zu::detail::boxProc, 0, 0, box.width, box.height,
                                   iconFile);
}

ZUAPI ZuErr ZUShowMB(char* title, char* message) {
    auto& g = gui();
    if (!box.popup.window) return -2;
    zu::detail::copyText(box.title, title);
    zu::detail::copyText(box.message, message);
    box.width = std::strlen(box.message) > 30 ? zu::detail::kWide : zu::detail::kNarrow;

    ws::Rect main{};
    ws::windowRect(g.mainWindow, &main);
    int x, y;
    ZUWindowNode* root = g.root;
    auto* over = root ? static_cast<ZUWindowNode*>(root->userData) : nullptr;
    if (over) {
        // Centred over the root's extent, measured from the node held in its user data.
        const int refX = main.left + over->rect.x;
        const int refY = main.top + g.currentGuiHeight - over->rect.y;
        x = refX + root->rect.width / 2 - box.width / 2;
        y = refY - root->rect.height / 2 - box.height / 2;
    } else {
        // Without that node the box is centred over the main window.
        x = main.left + main.width() / 2 - box.width / 2;
        y = main.top + main.height() / 2 - box.height / 2;
    }
    g.mbShown.store(true, std::memory_order_release);
    zu::detail::showPopup(box.popup, x, y, box.width, box.height);
    if (zu::detail::beginPopupGl(box.popup, box.width, box.height)) ws::makeCurrent(nullptr);
    return 0;
}

ZUAPI int ZUHideMB(void) {
    zu::detail::hideBox();
    return 1;
}

ZUAPI void ZURenderMBGUI(void) {
    if (!box.popup.surface || !ws::makeCurrent(box.popup.surface)) return;
    const int w = box.width, h = box.height;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glBegin(GL_QUADS);
    glColor4f(0.8f, 0.2f, 0.2f, 1.0f);
    glVertex2i(0, h), glVertex2i(w, h);
    glColor4f(0.4f, 0.1f, 0.1f, 0.5f);
    glVertex2i(w, h - 8), glVertex2i(0, h - 8);
    glVertex2i(0, h - 8), glVertex2i(w, h - 8);
    glColor4f(0.05f, 0.05f, 0.05f, 0.5f);
    glVertex2i(w, h - 16), glVertex2i(0, h - 16);
    glEnd();

    ZuFCOLOR text{};
    ZUGetSchemeColor(17, &text);
    ZuRECT titleRect{4, h - 16, w, 16};
    ZUPrintText(box.title, &titleRect, &text, ZU_FONT_BOLD10, 0, nullptr);
    ZuRECT messageRect{4, 0, w - 4, h};
    ZUPrintText(box.message, &messageRect, &text, ZU_FONT_BOLD10, 0, nullptr);

    static constexpr float kFrame[3][3] = {
        {0.2267f, 0.0547f, 0.0547f}, {0.1875f, 0.0469f, 0.0469f}, {0.125f, 0.0391f, 0.0391f}};
    const int lines[9][5] = {{0, 0, 0, 0, h - 7},
                             {1, 1, 1, 1, h - 8},
                             {2, 2, 0, 2, h - 11},
                             {0, w - 1, 0, w - 1, h - 7},
                             {1, w - 2, 1, w - 2, h - 8},
                             {2, w - 3, 0, w - 3, h - 11},
                             {0, 0, 2, w, 2},
                             {1, 0, 1, w, 1},
                             {2, 0, 0, w, 0}};
    // Through pixel centres, so that each line lands on the column or row it names.
    glBegin(GL_LINES);
    for (const auto& l : lines) {
        glColor4f(kFrame[l[0]][0], kFrame[l[0]][1], kFrame[l[0]][2], 1.0f);
        glVertex2f(l[1] + 0.5f, l[2] + 0.5f), glVertex2f(l[3] + 0.5f, l[4] + 0.5f);
    }
    glEnd();
    ws::swapBuffers(box.popup.surface);
    ws::makeCurrent(nullptr);
}

ZUAPI ZuErr ZUKillMB(void) {
    zu::detail::hideBox();
    zu::detail::destroyPopup(box.popup);
    return 0;
}

namespace {
const bool hooksInstalled = [] {
    gui().hooks.initMB = [](char* icon) { ZUInitMB(icon); };
    gui().hooks.killMB = [] { ZUKillMB(); };
    return true;
}();
}  // namespace
