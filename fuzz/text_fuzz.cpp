// Text layout and drawing with arbitrary bytes, line feeds, flags, carets, fonts and
// rectangles, in a real GL context: nothing may crash, and every call must leave the
// matrix and attribute stacks and the scissor test as it found them.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_input.h"
#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "zugui/text.h"

namespace ws = zu::ws;

namespace {

using zu::fuzz::take;

struct Depths {
    GLint modelview, projection, attrib;
    GLboolean scissor;
    bool operator==(const Depths&) const = default;
};
Depths depths() {
    Depths d{};
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &d.modelview);
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &d.projection);
    glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &d.attrib);
    d.scissor = glIsEnabled(GL_SCISSOR_TEST);
    return d;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!ws::open()) std::abort();  // needs an X server: run under scripts/with-display
    ws::WindowDesc d;
    d.width = 256, d.height = 128;
    d.surface = true;
    ws::Surface* surface = nullptr;
    if (!ws::createWindow(d, &surface) || !ws::makeCurrent(surface)) std::abort();
    zu::detail::standardGlSetup(256, 128);
    ZUBuildFonts(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto flags = take<int32_t>(data, size);
    const auto caret = take<int32_t>(data, size);
    const auto font = take<int8_t>(data, size);
    const auto enableScissor = take<uint8_t>(data, size) & 1;
    ZuRECT r{take<int16_t>(data, size), take<int16_t>(data, size), take<int16_t>(data, size),
             take<int16_t>(data, size)};
    std::vector<char> text(data, data + size);
    text.push_back(0);
    ZuFCOLOR colour{1, 1, 1, 1};
    if (enableScissor) glEnable(GL_SCISSOR_TEST);
    const Depths before = depths();
    ZUPrintEditText(text.data(), &r, &colour, font, flags, caret, nullptr);
    ZUPrintText(text.data(), &r, &colour, font, flags, nullptr);
    if (!(depths() == before)) __builtin_trap();
    glDisable(GL_SCISSOR_TEST);
    if (glGetError() == GL_STACK_OVERFLOW || glGetError() == GL_STACK_UNDERFLOW) __builtin_trap();
    return 0;
}
