// ZUColorPicker and ZUColorWheel, drawn from immediate-mode primitives at every pass.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "widgets/color_math.h"
#include "widgets/draw.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace {

constexpr int kHueSteps = 1536;
constexpr int kBarGap = 6;     // between the hue plane and the brightness bar
constexpr int kBarRight = 38;  // from the plane's last line to the bar's right edge

float clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

}  // namespace

// ---- Colour picker ---------------------------------------------------------------------------

ZuErr ZUColorPicker::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                    ZuRECT* r, ZUWindow* par) {
    const ZuErr e = createWidget(text, flags, r, par);
    if (e == 0) {
        markX = rect.x;
        markY = rect.y;
    }
    return e;
}
ZuErr ZUColorPicker::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUColorPicker::SetZUColorPicker(ZuFCOLOR*) {
    return 0;
}

int ZUColorPicker::GetZUColorPicker(ZuFCOLOR* c) {
    if (!c) return 0;
    c->red = red * brightness;
    c->green = green * brightness;
    c->blue = blue * brightness;
    c->alpha = 1.0f;
    return 0;
}

int ZUColorPicker::planeWidth() const {
    return rect.width - kBarRight;
}
int ZUColorPicker::lastLine() const {
    const int s = planeWidth();
    return s > 0 ? int(static_cast<long long>(s) * (kHueSteps - 1) / kHueSteps) : 0;
}

int ZUColorPicker::DrawColorCircle(int mx, int my) {
    if (rect.height <= 0) return 0;
    const int s = planeWidth(), l = lastLine();
    const long long dx = static_cast<long long>(mx) - rect.x;
    if (s > 0 && dx >= 0 && dx < l) {
        const Rgb3 h = pickerHue(float(dx) / s * kHueSteps);
        // Towards the bottom the hue fades to white.
        const float whiten = 1 - float(static_cast<long long>(my) - rect.y) / rect.height;
        red = clamp01(h.r + whiten);
        green = clamp01(h.g + whiten);
        blue = clamp01(h.b + whiten);
        markX = mx;
        markY = my;
        return 1;
    }
    if (dx >= l + kBarGap && dx < l + kBarRight) {
        brightness = clamp01(float(static_cast<long long>(my) - rect.y) / rect.height);
        return 1;
    }
    return 0;
}

void ZUColorPicker::pick(int x, int y) {
    if (parent && DrawColorCircle(x, y)) notifyParent(ZUM_COLORCHANGED, 0);
}

ZuErr ZUColorPicker::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (dragging) return 0;
            ZUCaptureMouse(node);
            dragging = 1;
            pick(a, b);
            return 0;
        case ZUM_MOUSEMOVE:
            if (dragging) pick(a, b);
            return 0;
        case ZUM_LBUTTONUP:
            if (!dragging) return 0;
            pick(a, b);
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

ZuErr ZUColorPicker::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    GeneratePicker();
    return 0;
}

void ZUColorPicker::GeneratePicker() {
    const float x = rect.x, y = rect.y, h = rect.height;
    const float b = brightness;
    const int s = planeWidth();
    if (s > 0) {
        flushDrawing();
        glBegin(GL_LINES);
        for (int i = 0; i < kHueSteps; ++i) {
            const float lx = x + float(s) * i / kHueSteps;
            const Rgb3 c = pickerHue(float(i));
            glColor4f(b, b, b, 1);
            glVertex2f(lx, y);
            glColor4f(b * c.r, b * c.g, b * c.b, 1);
            glVertex2f(lx, y + h);
        }
        glEnd();
    }
    const float bar0 = x + lastLine() + kBarGap, bar1 = x + lastLine() + kBarRight;
    gradientQuad(bar0, y, bar1, y + h, {red, green, blue, 1}, {0, 0, 0, 0});
    // The brightness line stays on the bar at full brightness too.
    colour({1, 1, 1, 1});
    hline(bar0, bar1, std::min(std::floor(y + h * b), y + h - 1));
    flushDrawing();
    GLfloat size = 1;
    glGetFloatv(GL_POINT_SIZE, &size);
    glPointSize(4);
    glColor4f(1 - b, 1 - b, 1 - b, 1);
    glBegin(GL_POINTS);
    glVertex2f(markX, markY);
    glEnd();
    glPointSize(size);
}

// ---- Colour wheel ----------------------------------------------------------------------------

ZuErr ZUColorWheel::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                   ZuRECT* r, ZUWindow* par) {
    if (node) return -2;
    // The centre and handles are in place before OnZUCreate runs, and a failure leaves the
    // object as it was.
    const ZUColorWheel before = *this;
    const ZuRECT copy = r ? *r : ZuRECT{};
    centreX = float(copy.x + copy.width / 2);
    centreY = float(copy.y + copy.height / 2);
    for (ZuFLOATPOINT& h : handles) h = {centreX, centreY};
    const ZuErr e = createWidget(text, flags, r, par);
    if (e != 0) {
        centreX = before.centreX;
        centreY = before.centreY;
        std::copy(std::begin(before.handles), std::end(before.handles), handles);
    }
    return e;
}
ZuErr ZUColorWheel::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUColorWheel::SetColorWheelType(int type) {
    wheelType = static_cast<unsigned>(type) <= 3 ? type : 0;
    return 0;
}

int ZUColorWheel::ResetColors(int all) {
    if (all) {
        for (ZuFLOATPOINT& h : handles) h = {0, 0};
    } else {
        handles[wheelType] = {0, 0};
    }
    return 0;
}

int ZUColorWheel::GetColorWheelColor(int handle, float* r, float* g, float* b) {
    const ZuFLOATPOINT pt = static_cast<unsigned>(handle) <= 3 ? handles[handle] : ZuFLOATPOINT{};
    const Rgb3 c = wheelColour(wheelIndexOf(pt.x, pt.y));
    const float m = std::fabs(pt.x) + std::fabs(pt.y);
    if (r) *r = c.r * m;
    if (g) *g = c.g * m;
    if (b) *b = c.b * m;
    return 0;
}

void ZUColorWheel::DrawLine(int handle, int x, int y) {
    if (drawable() && static_cast<unsigned>(handle) <= 3) handles[handle] = {float(x), float(y)};
}

ZuErr ZUColorWheel::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (dragging) return 0;
            ZUCaptureMouse(node);
            DrawLine(0, a, b);
            dragging = 1;
            return 0;
        case ZUM_MOUSEMOVE:
            if (dragging) DrawLine(0, a, b);
            return 0;
        case ZUM_LBUTTONUP:
            if (!dragging) return 0;
            DrawLine(0, a, b);
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

ZuErr ZUColorWheel::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    GenerateCircle();
    PaintLines(-1);
    return 0;
}

void ZUColorWheel::GenerateCircle() {
    const float rx = rect.width * 0.5f, ry = rect.height * 0.5f;
    auto rim = [&](int i) {
        const double a = i / 57.29577957795135;
        return ZuFLOATPOINT{float(std::sin(a) * rx + centreX), float(std::cos(a) * ry + centreY)};
    };
    ZuFLOATPOINT prev = rim(0);
    flushDrawing();
    glBegin(GL_TRIANGLES);
    for (int i = 0; i <= 360; ++i) {
        const ZuFLOATPOINT next = rim(i);
        const Rgb3 c0 = wheelColour(wheelIndexAt(i)), c1 = wheelColour(wheelIndexAt(i + 1));
        glColor4f(1, 1, 1, 1);
        glVertex2f(centreX, centreY);
        glColor4f(c0.r, c0.g, c0.b, 1);
        glVertex2f(prev.x, prev.y);
        glColor4f(c1.r, c1.g, c1.b, 1);
        glVertex2f(next.x, next.y);
        prev = next;
    }
    glEnd();
}

void ZUColorWheel::PaintLines(int skip) {
    flushDrawing();
    for (int h = 0; h < 4; ++h) {
        if (h == skip) continue;
        if (h == wheelType) {
            glBegin(GL_LINES);
            glColor4f(1, 1, 1, 1);
            glVertex2f(centreX, centreY);
            glColor4f(0, 0, 0, 1);
            glVertex2f(handles[h].x, handles[h].y);
            glEnd();
        }
        glColor4f(0, 0, 0, 1);
        glBegin(GL_POINTS);
        glVertex2f(handles[h].x, handles[h].y);
        glEnd();
    }
    glColor4f(0, 0, 0, 1);
    glBegin(GL_POINTS);
    glVertex2f(centreX, centreY);
    glEnd();
}
