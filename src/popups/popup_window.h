// What the drop-down popup and the message box share: a hidden top-level window of their
// own class, owned by the main window, with a GL context and a font set of its own.
#pragma once

#include "platform/winsys/winsys.h"

namespace zu::detail {

struct PopupWindow {
    const char* className = nullptr;
    int fontSet = 0;
    void* window = nullptr;
    void* dc = nullptr;
    void* rc = nullptr;
    void* cursor = nullptr;
    void* icon = nullptr;
};

// Registers the class, creates the hidden window, its context and font set. 0, or -2
// when the class cannot be registered (other than being registered already) or no
// window or context can be had.
int createPopup(PopupWindow& p, ws::WndProc proc, int x, int y, int width, int height,
                const char* iconFile);
// Makes the popup's context current and applies the standard set-up for a new size.
bool beginPopupGl(PopupWindow& p, int width, int height);
// Places, sizes and shows the popup at the top of the z-order.
void showPopup(PopupWindow& p, int x, int y, int width, int height);
void destroyPopup(PopupWindow& p);

// The message box window, null before ZUInitMB.
void* messageBoxWindow();

}  // namespace zu::detail
