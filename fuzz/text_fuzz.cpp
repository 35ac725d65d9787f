// Text layout and drawing with arbitrary bytes, line feeds, flags, carets, fonts and
// rectangles, in a real GL context: nothing may crash, and every call must leave the
// matrix and attribute stacks and the scissor test as it found them.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gui/gui_state.h"
#include "platform/winsys/winsys.h"
#include "zugui/text.h"

namespace ws = zu::ws;

namespace {

intptr_t proc(void* w, unsigned m, uintptr_t wp, intptr_t lp) {
    return ws::defWindowProc(w, m, wp, lp);
}

template <typename T>
T take(const uint8_t*& data, size_t& size) {
    T v{};
    const size_t n = size < sizeof v ? size : sizeof v;
    std::memcpy(&v, data, n);
    data += n, size -= n;
    return v;
}

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
    ws::WindowClass wc;
    wc.name = "TextFuzz";
    wc.proc = proc;
    ws::registerClass(wc);
    ws::CreateWindowParams p;
    p.className = "TextFuzz";
    p.style = ws::WS_POPUP;
    p.width = 256, p.height = 128;
    void* w = ws::createWindow(p);
    void* dc = ws::getDC(w);
    ws::PixelFormatDescriptor pfd;
    pfd.flags = ws::PFD_DRAW_TO_WINDOW | ws::PFD_SUPPORT_OPENGL | ws::PFD_DOUBLEBUFFER;
    ws::setPixelFormat(dc, ws::choosePixelFormat(dc, pfd));
    void* rc = ws::createContext(dc);
    if (!rc || !ws::makeCurrent(dc, rc)) std::abort();
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
