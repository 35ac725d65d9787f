// Events to the messages of the public host loop and back. The host's loop carries ZuMSG,
// so this is the one place where positions are packed into parameters.
#include "platform/winsys/events.h"

namespace zu::ws {
namespace {

constexpr unsigned kDownOf[] = {0, WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN};
constexpr unsigned kUpOf[] = {0, WM_LBUTTONUP, WM_MBUTTONUP, WM_RBUTTONUP};
constexpr unsigned kDoubleOf[] = {0, WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK, WM_RBUTTONDBLCLK};

unsigned buttonMessage(const unsigned (&table)[4], int button) {
    return button >= 1 && button <= 3 ? table[button] : WM_USER - 1;
}

intptr_t keyBits(const Event& e, bool up) {
    intptr_t lp = 1;
    if (e.extended) lp |= KF_EXTENDED_BIT;
    lp |= (static_cast<intptr_t>(e.modifiers) << KF_MODIFIER_SHIFT) & KF_MODIFIER_MASK;
    if (up) lp |= (intptr_t{1} << 30) | (intptr_t{1} << 31);
    return lp;
}

}  // namespace

ZuMSG toMessage(const Event& e) {
    ZuMSG m{nativeHandle(e.window), 0, 0, 0, e.time};
    switch (e.kind) {
        case EventKind::Create:
            m.message = WM_CREATE;
            break;
        case EventKind::Destroy:
            m.message = WM_DESTROY;
            break;
        case EventKind::Close:
            m.message = WM_CLOSE;
            break;
        case EventKind::Size:
            m.message = WM_SIZE;
            m.lParam = makeLParam(e.x, e.y);
            break;
        case EventKind::Show:
        case EventKind::Hide:
            m.message = WM_SHOWWINDOW;
            m.wParam = e.kind == EventKind::Show;
            break;
        case EventKind::Paint:
            m.message = WM_ERASEBKGND;
            break;
        case EventKind::Activate:
            m.message = WM_ACTIVATE;
            m.wParam = e.active ? WA_ACTIVE : WA_INACTIVE;
            m.lParam = reinterpret_cast<intptr_t>(nativeHandle(e.other));
            break;
        case EventKind::PointerMove:
            m.message = WM_MOUSEMOVE;
            m.wParam = e.modifiers;
            m.lParam = makeLParam(e.x, e.y);
            break;
        case EventKind::ButtonDown:
        case EventKind::ButtonUp:
        case EventKind::DoubleClick:
            m.message = buttonMessage(e.kind == EventKind::ButtonDown ? kDownOf
                                      : e.kind == EventKind::ButtonUp ? kUpOf
                                                                      : kDoubleOf,
                                      e.button);
            m.wParam = e.modifiers;
            m.lParam = makeLParam(e.x, e.y);
            break;
        case EventKind::Wheel:
            // Wheel positions are screen coordinates, as in the classic model.
            m.message = e.horizontal ? WM_MOUSEHWHEEL : WM_MOUSEWHEEL;
            m.wParam = (static_cast<uintptr_t>(static_cast<uint16_t>(e.delta)) << 16) | e.modifiers;
            m.lParam = makeLParam(e.screenX, e.screenY);
            break;
        case EventKind::KeyDown:
        case EventKind::KeyUp:
            m.message = e.kind == EventKind::KeyDown ? WM_KEYDOWN : WM_KEYUP;
            m.wParam = e.key;
            m.lParam = keyBits(e, e.kind == EventKind::KeyUp);
            break;
        case EventKind::Character:
            m.message = WM_CHAR;
            m.wParam = e.character;
            m.lParam = keyBits(e, false);
            break;
        case EventKind::Drop:
            m.message = WM_DROPFILES;
            m.wParam = reinterpret_cast<uintptr_t>(e.drop);
            break;
        case EventKind::Posted:
            m.message = e.code;
            m.wParam = e.a;
            m.lParam = e.b;
            break;
    }
    return m;
}

Event fromMessage(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam) {
    Event e;
    e.window = window;
    const auto pointer = [&](EventKind k, int button) {
        e.kind = k;
        e.button = button;
        e.modifiers = static_cast<unsigned>(wParam) & 0xFFFF;
        e.x = getXLParam(lParam), e.y = getYLParam(lParam);
    };
    switch (message) {
        case WM_CREATE:
            e.kind = EventKind::Create;
            break;
        case WM_DESTROY:
            e.kind = EventKind::Destroy;
            break;
        case WM_CLOSE:
            e.kind = EventKind::Close;
            break;
        case WM_SIZE:
            e.kind = EventKind::Size;
            e.x = loWord(static_cast<uintptr_t>(lParam)),
            e.y = hiWord(static_cast<uintptr_t>(lParam));
            break;
        case WM_SHOWWINDOW:
            e.kind = wParam ? EventKind::Show : EventKind::Hide;
            break;
        case WM_ERASEBKGND:
            e.kind = EventKind::Paint;
            break;
        case WM_ACTIVATE:
            e.kind = EventKind::Activate;
            e.active = loWord(wParam) != WA_INACTIVE;
            break;
        case WM_MOUSEMOVE:
            pointer(EventKind::PointerMove, 0);
            break;
        case WM_LBUTTONDOWN:
            pointer(EventKind::ButtonDown, kLeft);
            break;
        case WM_MBUTTONDOWN:
            pointer(EventKind::ButtonDown, kMiddle);
            break;
        case WM_RBUTTONDOWN:
            pointer(EventKind::ButtonDown, kRight);
            break;
        case WM_LBUTTONUP:
            pointer(EventKind::ButtonUp, kLeft);
            break;
        case WM_MBUTTONUP:
            pointer(EventKind::ButtonUp, kMiddle);
            break;
        case WM_RBUTTONUP:
            pointer(EventKind::ButtonUp, kRight);
            break;
        case WM_LBUTTONDBLCLK:
            pointer(EventKind::DoubleClick, kLeft);
            break;
        case WM_MBUTTONDBLCLK:
            pointer(EventKind::DoubleClick, kMiddle);
            break;
        case WM_RBUTTONDBLCLK:
            pointer(EventKind::DoubleClick, kRight);
            break;
        case WM_MOUSEWHEEL:
        case WM_MOUSEHWHEEL:
            e.kind = EventKind::Wheel;
            e.horizontal = message == WM_MOUSEHWHEEL;
            e.delta = getWheelDelta(wParam);
            e.modifiers = static_cast<unsigned>(loWord(wParam));
            e.screenX = getXLParam(lParam), e.screenY = getYLParam(lParam);
            break;
        case WM_KEYDOWN:
        case WM_KEYUP:
            e.kind = message == WM_KEYDOWN ? EventKind::KeyDown : EventKind::KeyUp;
            e.key = static_cast<unsigned>(wParam);
            e.extended = (lParam & KF_EXTENDED_BIT) != 0;
            e.modifiers = static_cast<unsigned>((lParam & KF_MODIFIER_MASK) >> KF_MODIFIER_SHIFT);
            break;
        case WM_CHAR:
            e.kind = EventKind::Character;
            e.character = static_cast<unsigned>(wParam);
            e.extended = (lParam & KF_EXTENDED_BIT) != 0;
            break;
        case WM_DROPFILES:
            e.kind = EventKind::Drop;
            break;
        default:
            e.kind = EventKind::Posted;
            e.code = message;
            e.a = wParam;
            e.b = lParam;
            break;
    }
    return e;
}

}  // namespace zu::ws
