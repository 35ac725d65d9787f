// What the drop-down popup and the message box share: a hidden top-level window of their
// own, owned by the main window, with a GL surface and a font set of its own.
#pragma once

#include "platform/winsys/winsys.h"

namespace zu::detail {

struct PopupWindow {
    const char* name = nullptr;
    int fontSet = 0;
    ws::Window* window = nullptr;
    ws::Surface* surface = nullptr;
    ws::Cursor* cursor = nullptr;
    ws::Icon* icon = nullptr;
};

// Creates the hidden window, its surface and font set. 0, or -2 when no window or
// surface can be had.
int createPopup(PopupWindow& p, ws::EventProc proc, int x, int y, int width, int height,
                const char* iconFile);
// Makes the popup's context current and applies the standard set-up for a new size.
bool beginPopupGl(PopupWindow& p, int width, int height);
// Places, sizes and shows the popup at the top of the z-order.
void showPopup(PopupWindow& p, int x, int y, int width, int height);
void destroyPopup(PopupWindow& p);

// The message box window, null before ZUInitMB.
ws::Window* messageBoxWindow();

}  // namespace zu::detail
