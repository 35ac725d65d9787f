// Events as the host's loop carries them (ZuMSG) and back.
#pragma once

#include "platform/winsys/winsys.h"

namespace zu::ws {

ZuMSG toMessage(const Event& e);
// Pure translation: the window is given, nothing is looked up; other and drop stay null.
Event fromMessage(Window* window, unsigned message, uintptr_t wParam, intptr_t lParam);

}  // namespace zu::ws
