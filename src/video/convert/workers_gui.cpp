// ZUKillGUI ends the converter's workers through the lifecycle's hook. Apart from the rest
// of the converter, which builds without the GUI layers (the arm64 cross build does so).
#include "gui/gui_state.h"
#include "video/convert/workers.h"

namespace zu::detail {
namespace {
const bool hookInstalled = [] {
    gui().hooks.stopConvertWorkers = [] { stopConvertWorkers(); };
    return true;
}();
}  // namespace
}  // namespace zu::detail
