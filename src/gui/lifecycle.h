// Pure arithmetic of window dragging and maximising, apart so that it can be tested
// without a display.
#pragma once

#include "platform/winsys/winsys.h"

namespace zu::detail {

// Top-left corner of the window for a pointer position and the offset taken at the start.
ws::Point dragTarget(ws::Point pointer, ws::Point offset);
// Screen rectangle of the main window after ZUMaximizeGUI on monitor m.
ws::Rect maximizeTarget(const ws::MonitorInfo& m, int screenW, int screenH, int width, int height,
                        bool center);

}  // namespace zu::detail
