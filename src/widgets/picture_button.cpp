// ZUPictureButton: transport, window and other pictograms drawn with GL primitives.
#include <cmath>
#include <initializer_list>

#include "widgets/draw.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace {

// Bars take the pictogram colour with alphas a, a, 0.9 and `last` in vertex order.
void bar(const Rgba& p, float x0, float y0, float x1, float y1, float x2, float y2, float x3,
         float y3, float last) {
    flushDrawing();
    glBegin(GL_QUADS);
    glColor4f(p.r, p.g, p.b, p.a);
    glVertex2f(x0, y0);
    glVertex2f(x1, y1);
    glColor4f(p.r, p.g, p.b, 0.9f);
    glVertex2f(x2, y2);
    glColor4f(p.r, p.g, p.b, last);
    glVertex2f(x3, y3);
    glEnd();
}

// A smoothed triangle, alphas a, 0.9, 0.7 in vertex order.
void triangle(const Rgba& p, float x0, float y0, float x1, float y1, float x2, float y2) {
    flushDrawing();
    Restore smooth(GL_POLYGON_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glBegin(GL_TRIANGLES);
    glColor4f(p.r, p.g, p.b, p.a);
    glVertex2f(x0, y0);
    glColor4f(p.r, p.g, p.b, 0.9f);
    glVertex2f(x1, y1);
    glColor4f(p.r, p.g, p.b, 0.7f);
    glVertex2f(x2, y2);
    glEnd();
}

void play(const Rgba& p, float cx, float cy) {
    triangle(p, cx - 6, cy + 8, cx + 10, cy, cx - 6, cy - 8);
}
void playBack(const Rgba& p, float cx, float cy) {
    triangle(p, cx + 6, cy + 8, cx - 10, cy, cx + 6, cy - 8);
}
void fastForward(const Rgba& p, float cx, float cy) {
    triangle(p, cx - 14, cy + 8, cx + 2, cy, cx - 14, cy - 8);
    triangle(p, cx + 2, cy + 8, cx + 18, cy, cx + 2, cy - 8);
}
void rewind(const Rgba& p, float cx, float cy) {
    triangle(p, cx - 2, cy + 8, cx - 18, cy, cx - 2, cy - 8);
    triangle(p, cx + 14, cy + 8, cx - 2, cy, cx + 14, cy - 8);
}
// A bar between columns xa and xb, from cy - 8 to cy + 8.
void sideBar(const Rgba& p, float xa, float xb, float cy, float last) {
    bar(p, xa, cy - 8, xa, cy + 8, xb, cy + 8, xb, cy - 8, last);
}

// Smoothed 1.5-pixel lines, given as pairs of points.
void strokes(const Rgba& p, std::initializer_list<float> xy) {
    flushDrawing();
    Restore smooth(GL_LINE_SMOOTH);
    glEnable(GL_LINE_SMOOTH);
    glLineWidth(1.5f);
    glColor4f(p.r, p.g, p.b, p.a);
    glBegin(GL_LINES);
    for (auto it = xy.begin(); it != xy.end(); it += 2) glVertex2f(it[0], it[1]);
    glEnd();
    glLineWidth(1.0f);
}

void disc(float cx, float cy, bool active, bool disabled) {
    flushDrawing();
    Restore smooth(GL_POLYGON_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glBegin(GL_POLYGON);
    for (int i = 0; i < 360; ++i) {
        const double theta = i * (3.14159 / 180);
        const float t = i / 360.0f;
        if (active)
            glColor4f(1 - t, 0, 0, 1 - t);
        else if (disabled)
            glColor4f(0.6f - t, 0.6f - t, 0.6f - t, 0.6f - t);
        else
            glColor4f(1 - t, 0.6f - t, 0.6f - t, 1 - t);
        glVertex2f(float(cx + 15 * std::cos(theta)), float(cy + 15 * std::sin(theta)));
    }
    glEnd();
}

void boxIcon(float L, float T) {
    colour({0.66f, 0.67f, 0.69f, 1.0f});
    hline(L + 4, L + 13, T - 4);
    hline(L + 4, L + 13, T - 6);
    hline(L + 5, L + 12, T - 12);
    for (float x : {L + 5, L + 7, L + 9, L + 11}) vline(x, T - 12, T - 6);
    for (float x : {L + 4, L + 12}) vline(x, T - 6, T - 4);
}

}  // namespace

ZUPictureButton::ZUPictureButton() = default;

ZuErr ZUPictureButton::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                      ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUPictureButton::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUPictureButton::ButtonZUPictureType(unsigned int type) {
    pictureType = int(type);
    return 0;
}
int ZUPictureButton::ButtonZUType(unsigned int type) {
    if (type <= 3) buttonType = int(type);
    return 0;
}
int ZUPictureButton::SetZUCheck(int state) {
    check = state;
    return 0;
}
int ZUPictureButton::GetZUCheck() {
    return check;
}
int ZUPictureButton::SetZUBkType(int type) {
    if (type == 0 || type == 1) bkType = type;
    return 0;
}
int ZUPictureButton::GetZUBkType() {
    return bkType;
}

int ZUPictureButton::ResetZUActionState(bool redraw) {
    if (buttonType != 3) return 0;
    if (pressed == 1) {
        engaged = 0;
        pressed = 0;
        ZUReleaseMouse();
    }
    if (redraw) ZURePaint();
    return 0;
}

ZuErr ZUPictureButton::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    if (msg == ZUM_LBUTTONDOWN) {
        if (pressed) return 0;
        ZUCaptureMouse(node);
        if (buttonType == 0 || buttonType == 3)
            pressed = 1;
        else if (buttonType == 1)
            armed = 1;
        return 0;
    }
    if (msg == ZUM_LBUTTONUP) {
        const bool inside = parent && contains(a, b);
        switch (buttonType) {
            case 0:
                if (!pressed) return 0;
                pressed = 0;
                ZUReleaseMouse();
                if (inside) notifyParent(ZUM_CLICKED, 0);
                return 0;
            case 1:
                if (armed != 1) return 0;
                armed = 0;
                ZUReleaseMouse();
                if (inside) notifyParent(ZUM_CLICKED, 0);
                return 0;
            case 3:
                if (pressed != 1) return 0;
                if (!engaged) {
                    if (inside) {
                        engaged = 1;  // stays down and keeps the capture
                        notifyParent(ZUM_CLICKED, 0);
                    } else {
                        engaged = 0;
                        pressed = 0;
                        ZUReleaseMouse();
                    }
                } else if (inside) {
                    engaged = 0;
                    pressed = 0;
                    ZUReleaseMouse();
                    notifyParent(ZUM_CLICKED, 0);
                }
                return 0;
            default:
                // Inert: the press captured the pointer, so the release must give it back.
                ZUReleaseMouse();
                return 0;
        }
    }
    if (msg == ZUM_RENDER || msg == ZUM_DESTROY) return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    return 0;
}

ZuErr ZUPictureButton::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const float L = rect.x, B = rect.y, W = rect.width, H = rect.height, T = B + H, R = L + W;
    const float cx = float(rect.x + rect.width / 2), cy = float(rect.y + rect.height / 2);
    const bool enabled = node->enabled;
    const bool active = pressed || check;

    int k;
    if (!enabled)
        k = buttonType == 1 ? 23 : 6;
    else if (buttonType == 1)
        k = active ? 22 : 21;
    else
        k = active ? 5 : 4;

    Restore polySmooth(GL_POLYGON_SMOOTH);
    Restore lineSmooth(GL_LINE_SMOOTH);

    Rgba p = scheme(4);
    if (bkType == 1) {
        outlinedPlate(L, B, R, T, active);
    } else {
        if (!enabled) {
            p = scheme(6);
            k = 6;
        }
        if (active) {
            p = {0.7f, 0.7f, 0.7f, 1.0f};
            highlight(L, B, R, T);
        }
    }

    switch (pictureType) {
        case 1:
            bar(p, cx - 8, cy - 8, cx - 8, cy + 8, cx - 4, cy + 8, cx - 4, cy - 8, 0.5f);
            bar(p, cx + 4, cy - 8, cx + 4, cy + 8, cx + 8, cy + 8, cx + 8, cy - 8, 0.5f);
            break;
        case 2:
            bar(p, cx - 8, cy - 8, cx - 8, cy + 8, cx + 8, cy + 8, cx + 8, cy - 8, 0.5f);
            break;
        case 3:
            play(p, cx, cy);
            break;
        case 4:
            playBack(p, cx, cy);
            break;
        case 5:
            fastForward(p, cx, cy);
            break;
        case 6:
            rewind(p, cx, cy);
            break;
        case 7:
            play(p, cx, cy);
            sideBar(p, cx + 10, cx + 14, cy, 0.7f);
            break;
        case 8:
            playBack(p, cx, cy);
            sideBar(p, cx - 10, cx - 14, cy, 0.7f);
            break;
        case 9:
            fastForward(p, cx, cy);
            sideBar(p, cx + 18, cx + 22, cy, 0.7f);
            break;
        case 10:
            rewind(p, cx, cy);
            sideBar(p, cx - 18, cx - 22, cy, 0.7f);
            break;
        case 11:
            strokes(p, {cx - 4, cy + 5, cx + 4, cy - 5, cx - 4, cy - 5, cx + 4, cy + 5});
            break;
        case 12:
            strokes(p, {cx - 4, cy - 5, cx + 4, cy - 5});
            break;
        case 23:
            strokes(p, {cx - 4, cy - 5, cx + 4, cy - 5, cx - 4, cy + 5, cx + 4, cy + 5, cx + 4,
                        cy + 5, cx + 4, cy - 5, cx - 4, cy + 5, cx - 4, cy - 5});
            break;
        case 13:
            disc(cx, cy, active, !enabled);
            break;
        case 17:
            disc(cx, cy, pressed != 0, !enabled);
            break;
        case 14:
            boxIcon(L, T);
            break;
        case 15:
        case 16: {
            char brace[2] = {pictureType == 15 ? '{' : '}', 0};
            printText(brace, ZuRECT{rect.x, rect.y + 2, rect.width, rect.height}, scheme(k),
                      ZU_FONT_BOLD10, 0);
            break;
        }
        default:
            break;
    }
    return 0;
}
