// ZUComboButton, ZUHotText and ZUHotTextList: texts the host supplies, and the user's choice
// reported to the parent.
#include <cstdlib>
#include <cstring>

#include "widgets/draw.h"
#include "zugui/popups.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace {

// The item storage both lists share: slots filled from 0 without gaps, each a heap copy.
int insertItem(char** items, int& count, int index, const char* text) {
    if (!text || count >= ZU_MAX_ITEMS || (index != count && index != -1)) return 1;
    const size_t n = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(n));
    if (!copy) return 1;
    std::memcpy(copy, text, n);
    items[count++] = copy;
    return 0;
}
int itemText(char* const* items, int count, int index, char* buffer, int size) {
    if (index < 0 || index >= count || count < 1 || !items[index] || !buffer) return 1;
    const size_t n = std::strlen(items[index]);
    if (n > static_cast<unsigned>(size)) return 1;
    std::memcpy(buffer, items[index], n + 1);
    return 0;
}
void freeItems(char** items, int& count) {
    for (int i = 0; i < ZU_MAX_ITEMS; ++i) {
        std::free(items[i]);
        items[i] = nullptr;
    }
    count = 0;
}
void copyItems(char** to, int& toCount, char* const* from, int fromCount) {
    freeItems(to, toCount);
    for (int i = 0; i < fromCount; ++i)
        if (from[i]) insertItem(to, toCount, -1, from[i]);
}

// The dark field of the hot texts, outlined.
void field(const ZuRECT& r) {
    const Rgba c{0.11f, 0.15f, 0.22f, 1};
    outlinedQuad(r.x, r.y, r.x + r.width, r.y + r.height, c, c);
}

// Smoothed triangle with alphas a0, a1, a2 in vertex order.
void triangle(const Rgba& c, float a0, float a1, float a2, float x0, float y0, float x1, float y1,
              float x2, float y2) {
    flushDrawing();
    Restore smooth(GL_POLYGON_SMOOTH);
    glEnable(GL_POLYGON_SMOOTH);
    glBegin(GL_TRIANGLES);
    glColor4f(c.r, c.g, c.b, a0);
    glVertex2f(x0, y0);
    glColor4f(c.r, c.g, c.b, a1);
    glVertex2f(x1, y1);
    glColor4f(c.r, c.g, c.b, a2);
    glVertex2f(x2, y2);
    glEnd();
}
void shaft(const Rgba& p, float left, float right, float cy) {
    flushDrawing();
    glBegin(GL_QUADS);
    glColor4f(p.r, p.g, p.b, p.a);
    glVertex2f(left, cy + 1);
    glVertex2f(right, cy + 1);
    glColor4f(p.r, p.g, p.b, 0.9f);
    glVertex2f(right, cy - 1);
    glColor4f(p.r, p.g, p.b, 0.5f);
    glVertex2f(left, cy - 1);
    glEnd();
}
void head(const Rgba& p, float tipX, float baseX, float cy) {
    triangle(p, p.a, 0.9f, 0.7f, baseX, cy + 4, tipX, cy, baseX, cy - 4);
}

}  // namespace

// ---- ZUComboButton ----------------------------------------------------------------------------

ZUComboButton::ZUComboButton() {
    fontId = ZU_FONT_BOLD10;
}
ZUComboButton::ZUComboButton(const ZUComboButton& o) : ZUWindow(o) {
    *this = o;
}
ZUComboButton& ZUComboButton::operator=(const ZUComboButton& o) {
    if (this == &o) return *this;
    ZUWindow::operator=(o);
    comboType = o.comboType;
    pressed = o.pressed;
    curSel = o.curSel;
    copyItems(items, count, o.items, o.count);  // each object owns its texts
    return *this;
}
ZUComboButton::~ZUComboButton() {
    freeItems(items, count);
    destroyWidget();
}

ZuErr ZUComboButton::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                    ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUComboButton::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUComboButton::InsertZUItem(int index, char* text, bool) {
    return insertItem(items, count, index, text);
}
int ZUComboButton::GetZUItemText(int index, char* buffer, int size) {
    return itemText(items, count, index, buffer, size);
}
int ZUComboButton::SetZUCurSel(int index, bool) {
    if (index < 0 || index >= count) return -1;
    curSel = index;
    return 0;
}
int ZUComboButton::GetZUCurSel() {
    return count == 0 ? -1 : curSel;
}
int ZUComboButton::ResetZUAll(bool) {
    freeItems(items, count);
    return 0;
}
int ZUComboButton::SetZUComboType(int type) {
    if (type >= 0 && type <= 3) comboType = type;
    return 0;
}

ZuErr ZUComboButton::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (pressed || count == 0) return 0;
            ZUCaptureMouse(node);
            pressed = 1;
            if (comboType == 0) {
                ZuPOINT o{0, 0};
                ZUGetWndScreenOrigin(node, &o);
                ZUShowCombo(o.x, o.y, rect.width, rect.height * count, count, items);
            }
            return 0;
        case ZUM_LBUTTONUP: {
            if (!pressed) return 0;
            pressed = 0;
            int index = -1;
            const bool rows = b >= rect.y && b < rect.y + rect.height;
            const int half = rect.x + rect.width / 2;
            if (comboType == 0) {
                index = ZUHideCombo();
            } else if (comboType == 2) {
                if (contains(a, b)) index = curSel + 1 >= count ? 0 : curSel + 1;
            } else if (rows && a >= rect.x && a < half) {
                index = curSel - 1 < 0 ? count - 1 : curSel - 1;
            } else if (rows && a >= half && a < rect.x + rect.width) {
                index = curSel + 1 >= count ? 0 : curSel + 1;
            }
            ZUReleaseMouse();
            if (index != -1 && index != curSel) notifyParent(ZUM_SELECT, index);
            return 0;
        }
        case ZUM_MOUSEMOVE:
            if (comboType == 0 && pressed) ZURenderComboGUI();
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

ZuErr ZUComboButton::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const bool enabled = node->enabled;
    const float L = rect.x, B = rect.y, W = rect.width, H = rect.height, T = B + H, R = L + W;
    const float cx = float(rect.x + rect.width / 2), cy = float(rect.y + rect.height / 2);
    int s = !enabled ? 3 : pressed ? 2 : 1;
    int x = !enabled ? 29 : pressed ? 5 : 4;
    if (enabled) x = comboType == 1 ? 100 : comboType == 3 ? 102 : 21;
    const bool arrows = (comboType == 1 || comboType == 3) && count >= 2;

    if (comboType == 0) {
        outlinedPlate(L, B, R, T, pressed);
    } else if (arrows && R - 17 >= L + 16) {
        outlinedPlate(L, B, L + 16, T, pressed);
        outlinedPlate(R - 17, B, R, T, pressed);
    } else if (arrows) {  // the two overlap: both outlines above both plates
        plate(L, B, L + 16, T, pressed);
        plate(R - 17, B, R, T, pressed);
        colour({0, 0, 0, 1});
        outline(L, L + 16, B, T);
        outline(R - 17, R, B, T);
    } else if (comboType == 2 && pressed && count > 0) {
        highlight(L, B, R, T);
    }

    const bool valid = count > 0 && curSel >= 0 && curSel < count && items[curSel];
    if (comboType == 2 && valid) {
        const Rgba p = scheme(enabled ? 4 : s);
        const char* t = items[curSel];
        if (!std::strcmp(t, "XP_PLAYSTRAIGHT")) {
            head(p, cx + 13, cx + 5, cy);
            shaft(p, cx - 11, cx + 5, cy);
        } else if (!std::strcmp(t, "XP_PLAYLOOP")) {
            shaft(p, cx - 11, cx + 5, cy);
            head(p, cx + 13, cx + 5, cy);
            head(p, cx + 3, cx - 5, cy);
        } else if (!std::strcmp(t, "XP_PLAYBOUNCE")) {
            shaft(p, cx - 8, cx + 5, cy);
            head(p, cx + 13, cx + 5, cy);
            head(p, cx - 11, cx - 3, cy);
        } else if (!std::strcmp(t, "XP_RANGE") || !std::strcmp(t, "XP_INFINITY")) {
            char text[4] = {t[3] == 'R' ? '{' : '[', ' ', t[3] == 'R' ? '}' : ']', 0};
            printText(text, rect, p, ZU_FONT_BOLD12, textFlags);
        }
    } else if (valid) {
        printText(items[curSel], rect, scheme(x), fontId, textFlags);
    } else if (comboType == 0) {
        char none[] = "None";
        printText(none, rect, scheme(x), fontId, textFlags);
    }

    if (comboType == 0) {
        const Rgba c = scheme(enabled ? 21 : 29);
        triangle(c, c.a, c.a - 0.1f, c.a - 0.3f, R - 11, cy + 3, R - 5, cy + 3, R - 8, cy - 3);
    } else if (arrows) {
        const Rgba c = scheme(enabled ? (comboType == 1 ? 100 : 102) : s);
        triangle(c, c.a, 0.9f, 0.7f, R - 11, cy + 3, R - 5, cy, R - 11, cy - 3);
        triangle(c, c.a, 0.9f, 0.7f, L + 11, cy + 3, L + 5, cy, L + 11, cy - 3);
    }
    return 0;
}

// ---- ZUHotText --------------------------------------------------------------------------------

ZUHotText::ZUHotText() {
    fontId = ZU_FONT_BOLD10;
}
ZuErr ZUHotText::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUHotText::DestroyZUWindow(void) {
    return destroyWidget();
}

ZuErr ZUHotText::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
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
            if (contains(a, b)) notifyParent(ZUM_CLICKED, 0);
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

ZuErr ZUHotText::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    field(rect);
    char text[264];
    if (ZUGetWindowText(node, text, sizeof text) == 0)
        printText(text, rect, scheme(node->enabled ? 14 : 15), fontId, textFlags);
    return 0;
}

// ---- ZUHotTextList ----------------------------------------------------------------------------

ZUHotTextList::ZUHotTextList() {
    fontId = ZU_FONT_BOLD10;
}
ZUHotTextList::ZUHotTextList(const ZUHotTextList& o) : ZUWindow(o) {
    *this = o;
}
ZUHotTextList& ZUHotTextList::operator=(const ZUHotTextList& o) {
    if (this == &o) return *this;
    ZUWindow::operator=(o);
    highlighted = o.highlighted;
    pressed = o.pressed;
    lastPressedRow = o.lastPressedRow;
    copyItems(items, count, o.items, o.count);
    return *this;
}
ZUHotTextList::~ZUHotTextList() {
    freeItems(items, count);
    destroyWidget();
}

ZuErr ZUHotTextList::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                                    ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par, true);
}
ZuErr ZUHotTextList::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUHotTextList::InsertZUItem(int index, char* text, bool) {
    return insertItem(items, count, index, text);
}
int ZUHotTextList::GetZUItemText(int index, char* buffer, int size) {
    return itemText(items, count, index, buffer, size);
}
int ZUHotTextList::SetZUCurSel(int index, bool) {
    if (index < -1 || index >= count) return -1;
    highlighted = index;
    return 0;
}
int ZUHotTextList::GetZUCurSel() {
    return count == 0 ? -1 : highlighted;
}
int ZUHotTextList::ResetZUAll(bool) {
    freeItems(items, count);
    highlighted = -1;
    return 0;
}

int ZUHotTextList::RowAt(int y) const {
    if (count <= 0) return 0;
    const int h = rect.height / count;
    return h > 0 ? count - (y - rect.y) / h - 1 : 0;
}

ZuErr ZUHotTextList::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (parent && count > 0) {
                lastPressedRow = RowAt(b);
                notifyParent(ZUM_ITEMPRESSED, lastPressedRow);
            }
            if (!pressed) {
                ZUCaptureMouse(node);
                pressed = 1;
            }
            return 0;
        case ZUM_LBUTTONUP:
            if (!pressed) return 0;
            pressed = 0;
            ZUReleaseMouse();
            if (contains(a, b)) notifyParent(ZUM_CLICKED, 0);
            return 0;
        case ZUM_LBUTTONDBLCLK:
            if (parent && !pressed && count > 0) {
                const int row = RowAt(b);
                notifyParent(row == lastPressedRow ? ZUM_ITEMDBLCLK : ZUM_ITEMPRESSED, row);
            }
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

ZuErr ZUHotTextList::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const ZuRECT& r = rect;
    field(r);
    if (count < 1) return 0;
    const int h = r.height / count;
    const Rgba ink = scheme(node->enabled ? 14 : 15);
    for (int i = 0; i < count; ++i) {
        const ZuRECT row{r.x + 1, r.y + r.height - (i + 1) * h, r.width - 2, h};
        if (i == highlighted)
            fillQuad(row.x, row.y, row.x + row.width, row.y + row.height, scheme(31));
        if (items[i]) printText(items[i], row, ink, fontId, textFlags);
    }
    return 0;
}
