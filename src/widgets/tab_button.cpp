// ZUTabButton and ZUMiniTabButton.
#include "widgets/draw.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

ZUTabButton::ZUTabButton() {
    fontId = ZU_FONT_REGULAR14;
}

ZuErr ZUTabButton::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                  ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}

ZuErr ZUTabButton::DestroyZUWindow(void) {
    destroyWidget();
    return -2;  // the tabs answer -2 whatever happened
}

int ZUTabButton::SetZUTabCheck(int state) {
    tabChecked = state;
    return 0;
}
int ZUTabButton::GetZUTabCheck() {
    return tabChecked;
}

ZuErr ZUTabButton::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (pressed) return 0;
            ZUCaptureMouse(node);
            pressed = 1;
            return 0;
        case ZUM_LBUTTONUP:
            if (!pressed) return 0;
            pressed = 0;
            ZUReleaseMouse();
            if (parent && contains(a, b)) notifyParent(ZUM_CLICKED, 0);
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

namespace {
void caption(ZUWindow* w, const Rgba& c) {
    char text[264];
    if (ZUGetWindowText(w->node, text, sizeof text) == 0)
        printText(text, w->rect, c, w->fontId, w->textFlags);
}
}  // namespace

ZuErr ZUTabButton::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    if (tabChecked) {
        const float mid = float(rect.y + rect.height / 2);
        gradientQuad(x, mid, x + w, y + h, {0.6f, 0.8f, 1.0f, 1.0f}, {0.35f, 0.4f, 0.5f, 0.5f});
        gradientQuad(x, y, x + w, mid, {0.35f, 0.4f, 0.5f, 0.5f}, {0.4f, 0.5f, 0.7f, 0.5f});
    } else {
        gradientQuad(x, y, x + w, y + h, {0.4f, 0.5f, 0.7f, 0.5f}, {0.15f, 0.15f, 0.15f, 0.5f});
    }
    caption(this, scheme(!node->enabled ? 23 : tabChecked ? 100 : 101));
    return 0;
}

ZUMiniTabButton::ZUMiniTabButton() {
    fontId = ZU_FONT_BOLD12;
}

ZuErr ZUMiniTabButton::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                      ZuRECT* r, ZUWindow* par) {
    const ZuErr e = createWidget(text, flags, r, par);
    if (e == 0) ZUEnableWndMouseRollover(node, 1);
    return e;
}

ZuErr ZUMiniTabButton::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (pressed) return 0;
            hover = false;
            return ZUTabButton::ReceiveZUMessage(msg, a, b, p, q);
        case ZUM_MOUSEMOVE:
            if (!pressed) hover = true;
            return 0;
        case ZUM_MOUSELEAVE:
            hover = false;
            return 0;
        case ZUM_RENDER:
            RenderZUWindow();
            hover = false;  // a hover shows in the one pass that follows the move
            return 0;
        default:
            return ZUTabButton::ReceiveZUMessage(msg, a, b, p, q);
    }
}

ZuErr ZUMiniTabButton::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    Rgba c;
    if (!node->enabled)
        c = scheme(23);
    else if (hover)
        c = {0.4f, 0.5f, 0.6f, 1.0f};
    else
        c = scheme(tabChecked ? 100 : 101);
    caption(this, c);
    return 0;
}
