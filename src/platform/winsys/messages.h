// The numbering of the public host loop (ZuMSG) and the virtual-key codes, which the
// public key messages (ZUM_KEY, hot keys) use too. Message numbers and packing are those
// of the classic desktop API, because hosts see them; nothing below the public loop uses
// them.
#pragma once

#include <cstdint>

namespace zu::ws {

// Messages.
inline constexpr unsigned WM_CREATE = 0x0001;
inline constexpr unsigned WM_DESTROY = 0x0002;
inline constexpr unsigned WM_SIZE = 0x0005;
inline constexpr unsigned WM_ACTIVATE = 0x0006;
inline constexpr unsigned WM_CLOSE = 0x0010;
inline constexpr unsigned WM_QUIT = 0x0012;
inline constexpr unsigned WM_ERASEBKGND = 0x0014;
inline constexpr unsigned WM_SHOWWINDOW = 0x0018;
inline constexpr unsigned WM_KEYDOWN = 0x0100;
inline constexpr unsigned WM_KEYUP = 0x0101;
inline constexpr unsigned WM_CHAR = 0x0102;
inline constexpr unsigned WM_MOUSEMOVE = 0x0200;
inline constexpr unsigned WM_LBUTTONDOWN = 0x0201;
inline constexpr unsigned WM_LBUTTONUP = 0x0202;
inline constexpr unsigned WM_LBUTTONDBLCLK = 0x0203;
inline constexpr unsigned WM_RBUTTONDOWN = 0x0204;
inline constexpr unsigned WM_RBUTTONUP = 0x0205;
inline constexpr unsigned WM_RBUTTONDBLCLK = 0x0206;
inline constexpr unsigned WM_MBUTTONDOWN = 0x0207;
inline constexpr unsigned WM_MBUTTONUP = 0x0208;
inline constexpr unsigned WM_MBUTTONDBLCLK = 0x0209;
inline constexpr unsigned WM_MOUSEWHEEL = 0x020A;
inline constexpr unsigned WM_MOUSEHWHEEL = 0x020E;
inline constexpr unsigned WM_DROPFILES = 0x0233;
inline constexpr unsigned WM_USER = 0x0400;

// WM_ACTIVATE low word.
inline constexpr unsigned WA_INACTIVE = 0;
inline constexpr unsigned WA_ACTIVE = 1;

// Key-state bits of pointer messages.
inline constexpr unsigned MK_LBUTTON = 0x01;
inline constexpr unsigned MK_RBUTTON = 0x02;
inline constexpr unsigned MK_SHIFT = 0x04;
inline constexpr unsigned MK_CONTROL = 0x08;
inline constexpr unsigned MK_MBUTTON = 0x10;

inline constexpr int WHEEL_DELTA = 120;

// Virtual-key codes (letters and digits are their upper-case ASCII codes).
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_SHIFT = 0x10;
inline constexpr unsigned VK_CONTROL = 0x11;
inline constexpr unsigned VK_MENU = 0x12;
inline constexpr unsigned VK_PAUSE = 0x13;
inline constexpr unsigned VK_CAPITAL = 0x14;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21;
inline constexpr unsigned VK_NEXT = 0x22;
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_INSERT = 0x2D;
inline constexpr unsigned VK_DELETE = 0x2E;
inline constexpr unsigned VK_NUMPAD0 = 0x60;
inline constexpr unsigned VK_MULTIPLY = 0x6A;
inline constexpr unsigned VK_ADD = 0x6B;
inline constexpr unsigned VK_SUBTRACT = 0x6D;
inline constexpr unsigned VK_DECIMAL = 0x6E;
inline constexpr unsigned VK_DIVIDE = 0x6F;
inline constexpr unsigned VK_F1 = 0x70;
inline constexpr unsigned VK_NUMLOCK = 0x90;
inline constexpr unsigned VK_SCROLL = 0x91;
inline constexpr unsigned VK_OEM_1 = 0xBA;       // ;:
inline constexpr unsigned VK_OEM_PLUS = 0xBB;    // =+
inline constexpr unsigned VK_OEM_COMMA = 0xBC;   // ,<
inline constexpr unsigned VK_OEM_MINUS = 0xBD;   // -_
inline constexpr unsigned VK_OEM_PERIOD = 0xBE;  // .>
inline constexpr unsigned VK_OEM_2 = 0xBF;       // /?
inline constexpr unsigned VK_OEM_3 = 0xC0;       // `~
inline constexpr unsigned VK_OEM_4 = 0xDB;       // [{
inline constexpr unsigned VK_OEM_5 = 0xDC;       // backslash |
inline constexpr unsigned VK_OEM_6 = 0xDD;       // ]}
inline constexpr unsigned VK_OEM_7 = 0xDE;       // '"

// WM_KEYDOWN / WM_CHAR lParam bits.
inline constexpr intptr_t KF_EXTENDED_BIT = 1 << 24;
// X has no scan codes to report, so the scan-code byte of WM_KEYDOWN carries the key-state
// bits (MK_SHIFT, MK_CONTROL) held with the key.
inline constexpr int KF_MODIFIER_SHIFT = 16;
inline constexpr intptr_t KF_MODIFIER_MASK = intptr_t{0xFF} << KF_MODIFIER_SHIFT;

// Packing helpers.
inline constexpr intptr_t makeLParam(int lo, int hi) {
    return static_cast<intptr_t>(static_cast<uint32_t>((static_cast<uint32_t>(hi) & 0xFFFFu) << 16 |
                                                       (static_cast<uint32_t>(lo) & 0xFFFFu)));
}
inline constexpr int loWord(uintptr_t v) { return static_cast<int>(v & 0xFFFFu); }
inline constexpr int hiWord(uintptr_t v) { return static_cast<int>((v >> 16) & 0xFFFFu); }
inline constexpr int getXLParam(intptr_t lp) { return static_cast<int16_t>(lp & 0xFFFF); }
inline constexpr int getYLParam(intptr_t lp) { return static_cast<int16_t>((lp >> 16) & 0xFFFF); }
inline constexpr int getWheelDelta(uintptr_t wp) { return static_cast<int16_t>((wp >> 16) & 0xFFFF); }

}  // namespace zu::ws
