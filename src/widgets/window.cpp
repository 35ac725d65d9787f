// ZUWindow: the object side of a window node, and the creation and destruction shared by
// the library's widget classes.
#include <cstddef>
#include <typeinfo>

#include "gui/gui_state.h"
#include "text/draw_stream.h"
#include "zugui/widgets.h"

namespace {

const bool registered = (zu::detail::gui().widgetCallback = &ZUWindow::stWinMsgHandler, true);

// Objects of exactly one of these classes run none of the host's code while they draw; a
// host's class may draw with OpenGL itself, in its own order.
bool libraryClass(const ZUWindow& w) {
    const std::type_info& t = typeid(w);
    for (const std::type_info* c :
         {&typeid(ZUWindow), &typeid(ZUButton), &typeid(ZUCheckBox), &typeid(ZUPictureButton),
          &typeid(ZUTabButton), &typeid(ZUMiniTabButton), &typeid(ZUStatic), &typeid(ZUText),
          &typeid(ZUComboButton), &typeid(ZUHotText), &typeid(ZUHotTextList), &typeid(ZUNumber),
          &typeid(ZUSlider), &typeid(ZUScroll), &typeid(ZUColorPicker), &typeid(ZUColorWheel)})
        if (t == *c) return true;
    return false;
}

}  // namespace

ZUWindow::~ZUWindow() {
    // The derived parts are gone by now, so only the base hook could run; it does nothing.
    if (node) {
        ZUWindowNode* n = node;
        node = nullptr;
        ZUDestroyWindow(n);
    }
}

ZuErr ZUWindow::CreateZUWindow(char* text, unsigned int style, unsigned int flags,
                               unsigned int /*reserved*/, ZuRECT* r, ZUWindow* par) {
    if (node) return -2;
    node = ZUCreateWindow(text, style, flags, r, this, par ? par->node : nullptr,
                          &ZUWindow::stWinMsgHandler);
    if (!node) return -2;
    if (r) rect = *r;
    parent = par;
    OnZUCreate();
    return 0;
}

ZuErr ZUWindow::createWidget(char* text, unsigned int flags, ZuRECT* r, ZUWindow* par,
                             bool doubleClicks) {
    if (node) return -2;
    node = ZUCreateWindow(text, 2, flags, r, this, par ? par->node : nullptr,
                          &ZUWindow::stWinMsgHandler);
    if (!node) return -2;
    if (doubleClicks) ZUEnableWndLDblClk(node, 1);
    if (r) rect = *r;
    parent = par;
    OnZUCreate();
    return 0;
}

ZuErr ZUWindow::DestroyZUWindow(void) {
    if (!node) return 0;
    OnZUDestroy();
    ZUWindowNode* n = node;
    node = nullptr;
    ZUDestroyWindow(n);
    return 0;
}

ZuErr ZUWindow::destroyWidget(void) {
    if (node) {
        ZUWindowNode* n = node;
        node = nullptr;
        ZUDestroyWindow(n);
    }
    return 0;
}

ZuErr ZUWindow::ResizeZUWindow(ZuRECT* r, unsigned char repaint) {
    if (!node || !r) return 0;
    rect = *r;
    ZUResizeWindow(node, r, repaint);
    OnZUResize();
    return 0;
}

ZuErr ZUWindow::SetZUFocus(void) {
    return -2;
}

ZuErr ZUWindow::ShowZUWindow(int show, unsigned char repaint) {
    if (node) ZUShowWindow(node, show != 0, repaint);
    return 0;
}

ZuErr ZUWindow::EnableZUWindow(int enable, unsigned char repaint) {
    if (node) ZUDisableWindow(node, enable == 0, repaint);
    return 0;
}

unsigned char ZUWindow::IsVisible(void) {
    return node ? node->visible : 0;
}
unsigned char ZUWindow::IsEnabled(void) {
    return node ? node->enabled : 0;
}
ZuErr ZUWindow::RenderZUWindow(void) {
    return 0;
}

ZuErr ZUWindow::GetZURect(ZuRECT* r) {
    if (!node) return -2;
    return ZUGetRect(node, r) == 0 ? 0 : -2;
}

ZuErr ZUWindow::SetWindowZUText(char* text, unsigned char repaint) {
    if (!text) return -2;
    ZUSetWindowText(node, text, repaint);
    return 0;
}

ZuErr ZUWindow::GetWindowZUText(char* buffer, int /*size*/) {
    if (!buffer) return -2;
    char tmp[256];
    if (ZUGetWindowText(node, tmp, 255) != 0) return -2;
    tmp[255] = 0;
    std::size_t i = 0;
    for (; tmp[i]; ++i) buffer[i] = tmp[i];
    buffer[i] = 0;
    return 0;
}

ZuErr ZUWindow::SetWindowZUTextStyle(int font, int flags, unsigned char repaint) {
    fontId = font;
    textFlags = flags;
    if (repaint) ZURePaint();
    return 0;
}

ZuErr ZUWindow::GetWindowZUTextStyle(int& font, int& flags) {
    font = fontId;
    flags = textFlags;
    return 0;
}

ZuErr ZUWindow::ReceiveZUMessage(unsigned int msg, int, int, void*, void*) {
    if (msg == ZUM_RENDER)
        RenderZUWindow();
    else if (msg == ZUM_DESTROY)
        node = nullptr;
    return 0;
}

ZuErr ZUWindow::SendZUMessage(ZUWindow* target, unsigned int msg, int a, int b, void* p, void* q) {
    if (target) target->ReceiveZUMessage(msg, a, b, p, q);
    return 0;
}

void ZUWindow::notifyParent(unsigned int msg, int a) {
    if (parent) SendZUMessage(parent, msg, a, 0, this, nullptr);
}

ZUWindow* ZUWindow::GetZUParent(void) {
    return parent;
}
ZUWindowNode* ZUWindow::GetZUParentWnd(void) {
    return parent ? parent->node : nullptr;
}
ZuErr ZUWindow::OnZUCreate(void) {
    return 0;
}
ZuErr ZUWindow::OnZUResize(void) {
    return 0;
}
ZuErr ZUWindow::OnZUDestroy(void) {
    return 0;
}

int ZUWindow::stWinMsgHandler(void* userData, unsigned int msg, int a, int b, void* p, void* q) {
    if (!userData) return 0;
    auto* w = static_cast<ZUWindow*>(userData);
    if (msg == ZUM_RENDER && !libraryClass(*w)) {
        zu::detail::HostDrawing host;
        w->ReceiveZUMessage(msg, a, b, p, q);
    } else {
        w->ReceiveZUMessage(msg, a, b, p, q);
    }
    return 0;
}
