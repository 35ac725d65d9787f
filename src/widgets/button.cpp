// ZUButton and ZUCheckBox.
#include "widgets/draw.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

ZUButton::ZUButton() {
    fontId = ZU_FONT_BOLD10;
}

ZuErr ZUButton::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                               ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUButton::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUButton::ButtonZUType(unsigned int bits) {
    if (bits & 1)
        buttonType = 1;
    else if (bits & 2)
        buttonType = 2;
    return 0;
}

int ZUButton::SetZUCheck(int state) {
    if (buttonType == 1 && state != checked) {
        checked = state;
        pressed = state != 0;
    }
    return 0;
}
int ZUButton::GetZUCheck() {
    return checked;
}

void ZUButton::press() {
    if (pressed) return;  // a latched button that is down cannot be clicked again
    ZUCaptureMouse(node);
    if (buttonType == 0)
        pressed = 1;
    else
        pressPending = 1;
}

bool ZUButton::release(int x, int y) {
    if (buttonType == 0) {
        if (!pressed) return false;
        pressed = 0;
        ZUReleaseMouse();
        return parent && contains(x, y);
    }
    if (!pressPending) return false;
    pressPending = 0;
    ZUReleaseMouse();
    // Type 2 only gives the capture back.
    return buttonType == 1 && parent && contains(x, y);
}

ZuErr ZUButton::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            press();
            return 0;
        case ZUM_LBUTTONUP:
            if (release(a, b)) notifyParent(ZUM_CLICKED, 0);
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

ZuErr ZUButton::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    // Black on the two left columns, the right one and the bottom row; the top line lies
    // on the row above.
    framedQuad(x - 1, y, x + w, y + h, plateTop(pressed), plateBottom(pressed), {2, 1, 1, 0});
    hline(x - 1, x + w, y + h);
    char caption[264];
    if (ZUGetWindowText(node, caption, sizeof caption) == 0)
        printText(caption, rect, scheme(21), fontId, textFlags);
    return 0;
}

ZUCheckBox::ZUCheckBox() {
    fontId = ZU_FONT_REGULAR10;
    buttonType = 1;
}

int ZUCheckBox::SetZUCheck(int state) {
    if (buttonType == 1 && (state != 0) != (checked != 0)) checked = state != 0;
    return 0;
}

ZuErr ZUCheckBox::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    if (msg == ZUM_LBUTTONUP) {
        // The notification carries the state the user asks for.
        if (release(a, b)) notifyParent(ZUM_CLICKED, buttonType == 1 ? (checked ? 0 : 1) : 0);
        return 0;
    }
    return ZUButton::ReceiveZUMessage(msg, a, b, p, q);
}

ZuErr ZUCheckBox::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const float x = rect.x, y = rect.y, h = rect.height, w = rect.width;
    outlinedQuad(x, y, x + 16, y + h, {0.11f, 0.15f, 0.22f, 1}, {0.11f, 0.15f, 0.22f, 1});
    if (checked) {
        Rgba c = scheme(node->enabled ? 21 : (buttonType == 1 ? 20 : 3));
        c.a = 0.8f;
        colour(c);
        flushDrawing();
        Restore smooth(GL_LINE_SMOOTH);
        glEnable(GL_LINE_SMOOTH);
        glLineWidth(1.5f);
        glBegin(GL_LINES);
        glVertex2f(x + 1, y + h - 8);
        glVertex2f(x + 5, y + h - 12);
        glVertex2f(x + 5, y + h - 13);
        glVertex2f(x + w - 1, y + h - 3);
        glEnd();
        glLineWidth(1.0f);
    }
    return 0;
}
