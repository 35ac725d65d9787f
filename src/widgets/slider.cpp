// ZUSlider and ZUScroll.
#include <algorithm>
#include <cmath>

#include "widgets/draw.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace {
constexpr int kScrollButton = 32;  // the scroll's end buttons are square
}  // namespace

ZuErr ZUSlider::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                               ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUSlider::DestroyZUWindow(void) {
    return destroyWidget();
}

void ZUSlider::repaint(bool redraw) {
    if (redraw && !dragging) ZURePaint();
}

int ZUSlider::GetZUSliderType() {
    return sliderType;
}

int ZUSlider::SetZUSliderType(int type, bool redraw) {
    if (type != 0 && type != 1) return 0;
    sliderType = type;
    repaint(redraw);
    return 0;
}

int ZUSlider::SetZUSliderRange(int min, int max, bool redraw) {
    if (min > max) return 0;
    minimum = min;
    maximum = max;
    repaint(redraw);
    return 0;
}

int ZUSlider::SetZUSliderSubRange(int start, int end, bool redraw) {
    if (start > end) return 0;
    subStart = start;
    subEnd = end;
    repaint(redraw);
    return 0;
}

int ZUSlider::GetZUSliderPos() {
    return position;
}

int ZUSlider::PutZUSliderPos(int pos, bool redraw) {
    if (pos < minimum || pos > maximum || pos == position) return 0;
    position = pos;
    repaint(redraw);
    return 0;
}

int ZUSlider::GenerateHPos(int x) {
    if (rect.width <= 0) return minimum;
    const double f = double(std::max(x, 0) - static_cast<long long>(rect.x)) / rect.width;
    // The span of a full int range does not fit an int.
    const double span = double(maximum) - double(minimum);
    const double pos = std::trunc(f * span) + minimum;
    if (pos < minimum) return minimum;
    if (pos > maximum) return maximum;
    return int(pos);
}

ZuErr ZUSlider::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (dragging) return 0;
            ZUCaptureMouse(node);
            dragging = 1;
            notifyParent(ZUM_SLIDERPRESS, GenerateHPos(a));
            return 0;
        case ZUM_MOUSEMOVE:
            if (dragging) notifyParent(ZUM_SLIDERDRAG, GenerateHPos(a));
            return 0;
        case ZUM_LBUTTONUP:
            if (!dragging) return 0;
            notifyParent(ZUM_SLIDERRELEASE, GenerateHPos(a));
            dragging = 0;
            ZUReleaseMouse();
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

ZuErr ZUSlider::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    GenerateSlider();
    return 0;
}

void ZUSlider::GenerateSlider() {
    const bool enabled = node->enabled;
    const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    const double span = double(maximum) - double(minimum);
    // Fractions are kept within the bar: a range changed under the position does not move
    // it, and the drawing must not leave the widget.
    auto fraction = [&](int v) {
        if (span == 0) return 0.0;
        return std::clamp((double(v) - minimum) / span, 0.0, 1.0);
    };
    const double f = fraction(position);
    const float px = std::trunc(w * f + x);
    if (sliderType == 0) {
        fillQuad(x, y, px, y + h, scheme(enabled ? 40 : 42));
        fillQuad(px, y, x + w, y + h, scheme(enabled ? 41 : 43));
        const bool none = subStart == 0 && subEnd == 0;
        const bool whole = subStart == minimum && subEnd == maximum;
        if (!none && !whole) {
            const double f1 = subStart == minimum ? 0.0 : fraction(subStart);
            const double f2 = subEnd == minimum ? 1.0 : fraction(subEnd);
            fillQuad(std::trunc(w * f1 + x), y + 4, std::trunc(w * f2 + x), y + h - 4,
                     {0.28f, 0.32f, 0.51f, 1.0f});
        }
        colour(scheme(enabled ? 44 : 45));
        vline(px, y, y + h);
        vline(std::trunc(w * f + x + 1), y, y + h);
        return;
    }
    const float cy = rect.height / 2 + rect.y;
    fillQuad(x, cy - 1, x + w, cy + 1, scheme(enabled ? 41 : 43));
    const Rgba knob = scheme(enabled ? 4 : 6);
    flushDrawing();
    Restore smooth(GL_POLYGON_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glBegin(GL_TRIANGLES);
    for (float side : {10.0f, -10.0f}) {
        glColor4f(knob.r, knob.g, knob.b, knob.a);
        glVertex2f(px, cy + 10);
        glColor4f(knob.r, knob.g, knob.b, 0.9f);
        glVertex2f(px + side, cy);
        glColor4f(knob.r, knob.g, knob.b, 0.7f);
        glVertex2f(px, cy - 10);
    }
    glEnd();
}

ZuErr ZUScroll::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                               ZuRECT* r, ZUWindow* par) {
    if (!r) return -2;
    // The buttons must exist before OnZUCreate runs, so the node is made here rather than
    // through the shared creation.
    if (node) return -2;
    node = ZUCreateWindow(text, 2, flags, r, this, par ? par->node : nullptr,
                          &ZUWindow::stWinMsgHandler);
    if (!node) return -2;
    rect = *r;
    parent = par;
    char empty[] = "";
    ZuRECT start{r->x, r->y, kScrollButton, kScrollButton};
    ZuRECT end{r->x + r->width - kScrollButton, r->y, kScrollButton, kScrollButton};
    startButton.CreateZUWindow(empty, 2, flags, 0, &start, this);
    endButton.CreateZUWindow(empty, 2, flags, 0, &end, this);
    OnZUCreate();
    return 0;
}

ZuErr ZUScroll::DestroyZUWindow(void) {
    if (!node) return 0;
    endButton.DestroyZUWindow();
    startButton.DestroyZUWindow();
    return destroyWidget();
}

ZuErr ZUScroll::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    fillQuad(x + kScrollButton, y, x + w - kScrollButton, y + h,
             node->enabled ? Rgba{0.3f, 0.3f, 0.3f, 1.0f} : scheme(6));
    endButton.RenderZUWindow();
    startButton.RenderZUWindow();
    return 0;
}
