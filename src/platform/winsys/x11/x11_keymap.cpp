// X keysyms to virtual-key codes.
#include <X11/keysym.h>

#include "platform/winsys/x11/x11_internal.h"

namespace zu::ws::x11 {

unsigned virtualKeyFromKeysym(KeySym sym, bool* extended) {
    *extended = false;
    if (sym >= XK_a && sym <= XK_z) return static_cast<unsigned>(sym - XK_a + 'A');
    if (sym >= XK_A && sym <= XK_Z) return static_cast<unsigned>(sym);
    if (sym >= XK_0 && sym <= XK_9) return static_cast<unsigned>(sym);
    if (sym >= XK_F1 && sym <= XK_F24) return static_cast<unsigned>(VK_F1 + (sym - XK_F1));
    if (sym >= XK_KP_0 && sym <= XK_KP_9) return static_cast<unsigned>(VK_NUMPAD0 + (sym - XK_KP_0));
    struct Entry {
        KeySym sym;
        unsigned vk;
        bool extended;
    };
    static const Entry table[] = {
        {XK_BackSpace, VK_BACK, false},    {XK_Tab, VK_TAB, false},
        {XK_ISO_Left_Tab, VK_TAB, false},  {XK_Return, VK_RETURN, false},
        {XK_KP_Enter, VK_RETURN, true},    {XK_Shift_L, VK_SHIFT, false},
        {XK_Shift_R, VK_SHIFT, false},     {XK_Control_L, VK_CONTROL, false},
        {XK_Control_R, VK_CONTROL, true},  {XK_Alt_L, VK_MENU, false},
        {XK_Alt_R, VK_MENU, true},         {XK_Pause, VK_PAUSE, false},
        {XK_Caps_Lock, VK_CAPITAL, false}, {XK_Escape, VK_ESCAPE, false},
        {XK_space, VK_SPACE, false},       {XK_Prior, VK_PRIOR, true},
        {XK_Next, VK_NEXT, true},          {XK_End, VK_END, true},
        {XK_Home, VK_HOME, true},          {XK_Left, VK_LEFT, true},
        {XK_Up, VK_UP, true},              {XK_Right, VK_RIGHT, true},
        {XK_Down, VK_DOWN, true},          {XK_Insert, VK_INSERT, true},
        {XK_Delete, VK_DELETE, true},      {XK_KP_Left, VK_LEFT, false},
        {XK_KP_Up, VK_UP, false},          {XK_KP_Right, VK_RIGHT, false},
        {XK_KP_Down, VK_DOWN, false},      {XK_KP_Home, VK_HOME, false},
        {XK_KP_End, VK_END, false},        {XK_KP_Prior, VK_PRIOR, false},
        {XK_KP_Next, VK_NEXT, false},      {XK_KP_Insert, VK_INSERT, false},
        {XK_KP_Delete, VK_DELETE, false},  {XK_KP_Multiply, VK_MULTIPLY, false},
        {XK_KP_Add, VK_ADD, false},        {XK_KP_Subtract, VK_SUBTRACT, false},
        {XK_KP_Decimal, VK_DECIMAL, false}, {XK_KP_Divide, VK_DIVIDE, true},
        {XK_Num_Lock, VK_NUMLOCK, true},   {XK_Scroll_Lock, VK_SCROLL, false},
        {XK_semicolon, VK_OEM_1, false},   {XK_equal, VK_OEM_PLUS, false},
        {XK_comma, VK_OEM_COMMA, false},   {XK_minus, VK_OEM_MINUS, false},
        {XK_period, VK_OEM_PERIOD, false}, {XK_slash, VK_OEM_2, false},
        {XK_grave, VK_OEM_3, false},       {XK_bracketleft, VK_OEM_4, false},
        {XK_backslash, VK_OEM_5, false},   {XK_bracketright, VK_OEM_6, false},
        {XK_apostrophe, VK_OEM_7, false},
    };
    for (const Entry& e : table) {
        if (e.sym == sym) {
            *extended = e.extended;
            return e.vk;
        }
    }
    return 0;
}

}  // namespace zu::ws::x11
