// ZUStatic and ZUText: a label and the one-line text input.
#include <cstdlib>
#include <cstring>

#include "widgets/draw.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace {
constexpr int kTextMax = 255;  // what a node's text can give back through the widget
constexpr size_t kSavedSize = 512;

bool isPunctuation(int c) {
    return c > 0 && c < 128 && std::strchr("\\/:*?\"<>|", c);
}

enum : int {
    VK_BACK = 8,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_LEFT = 37,
    VK_RIGHT = 39,
    VK_DELETE = 46
};
}  // namespace

ZUStatic::ZUStatic() {
    fontId = ZU_FONT_BOLD10;
}

ZuErr ZUStatic::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                               ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUStatic::DestroyZUWindow(void) {
    return destroyWidget();
}

ZuErr ZUStatic::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    char text[264];
    if (ZUGetWindowText(node, text, sizeof text) == 0)
        printText(text, rect, scheme(17), fontId, textFlags);
    return 0;
}

ZUText::ZUText() {
    fontId = ZU_FONT_BOLD10;
}

// The saved text is the object's own: a copy gets its own buffer (or none).
ZUText::ZUText(const ZUText& o) : ZUWindow(o) {
    *this = o;
}

ZUText& ZUText::operator=(const ZUText& o) {
    if (this == &o) return *this;
    ZUWindow::operator=(o);
    maxLength = o.maxLength;
    editing = o.editing;
    allowPunctuation = o.allowPunctuation;
    digitsOnly = o.digitsOnly;
    allowSpace = o.allowSpace;
    caret = o.caret;
    std::free(savedText);
    savedText = nullptr;
    if (o.savedText) {
        savedText = static_cast<char*>(std::malloc(kSavedSize));
        if (savedText) std::memcpy(savedText, o.savedText, kSavedSize);
    }
    return *this;
}

ZUText::~ZUText() {
    std::free(savedText);
}

ZuErr ZUText::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int, ZuRECT* r,
                             ZUWindow* par) {
    return createWidget(text, flags, r, par);
}
ZuErr ZUText::DestroyZUWindow(void) {
    return destroyWidget();
}

int ZUText::SetZUTextInputType(bool punctuation, bool digits, bool space) {
    allowPunctuation = punctuation;
    digitsOnly = digits;
    allowSpace = space;
    return 0;
}

int ZUText::SetZUTextInputMax(int max) {
    if (max >= 1 && max <= 254) maxLength = max;
    return 0;
}

void ZUText::beginEdit() {
    ZUCaptureMouse(node);
    editing = true;
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    if (!savedText) {
        // Without the copy the edit still goes on; a cancel then keeps the edited text.
        savedText = static_cast<char*>(std::malloc(kSavedSize));
        if (savedText) std::strcpy(savedText, text);
    }
    caret = int(std::strlen(text));
}

void ZUText::commit(bool byClick) {
    if (byClick) notifyParent(ZUM_TEXTENTERED, 0);
    std::free(savedText);
    savedText = nullptr;
    if (!byClick) notifyParent(ZUM_TEXTENTERED, 0);
    editing = false;
    ZUReleaseMouse();
}

void ZUText::cancel() {
    if (savedText) {
        ZUSetWindowText(node, savedText, 0);
        std::free(savedText);
        savedText = nullptr;
    }
    editing = false;
    ZUReleaseMouse();
}

void ZUText::key(int ch, int vk) {
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    int len = int(std::strlen(text));
    if (ch == -1) {
        switch (vk) {
            case VK_RETURN:
                commit(false);
                return;
            case VK_ESCAPE:
                cancel();
                return;
            case VK_BACK:
                if (len == 0) return;
                if (caret < len) {
                    if (caret <= 0) return;
                    std::memmove(text + caret - 1, text + caret, size_t(len - caret + 1));
                    --caret;
                } else {
                    text[len - 1] = 0;
                    caret = len - 1;
                }
                break;
            case VK_DELETE:
                text[0] = 0;
                caret = 0;
                break;
            case VK_LEFT:
                if (caret > 0) --caret;
                if (caret > len) caret = len;
                return;
            case VK_RIGHT:
                if (caret < len) ++caret;
                return;
            default:
                return;
        }
        ZUSetWindowText(node, text, 0);
        return;
    }
    if (ch <= 0 || ch > 255 || len >= kTextMax) return;
    if (isPunctuation(ch)) {
        if (!allowPunctuation) return;
    } else if (ch == ' ') {
        if (!allowSpace) return;
    } else if (digitsOnly && (ch < '0' || ch > '9')) {
        return;
    }
    if (len >= maxLength) return;
    if (caret >= 0 && caret < len) {
        std::memmove(text + caret + 1, text + caret, size_t(len - caret + 1));
        text[caret] = char(ch);
        ++caret;
    } else {
        text[len] = char(ch);
        text[len + 1] = 0;
        caret = len + 1;
    }
    ZUSetWindowText(node, text, 0);
}

ZuErr ZUText::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (editing)
                commit(true);
            else
                beginEdit();
            return 0;
        case ZUM_RBUTTONDOWN:
            if (editing) cancel();
            return 0;
        case ZUM_KEY:
            if (editing) key(a, b);
            return 0;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
}

ZuErr ZUText::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const bool disabled = !node->enabled;
    const Rgba bg = scheme(disabled ? 8 : editing ? 11 : 7);
    const Rgba ink = scheme(disabled ? 10 : editing ? 9 : 10);
    const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    fillQuad(x, y, x + w, y + h, bg);
    colour({0, 0, 0, 1});
    outline(x, x + w, y, y + h);
    char text[264];
    if (ZUGetWindowText(node, text, sizeof text) != 0) return 0;
    // Drawn twice, the second time over the first, as the field always has been.
    printText(text, rect, ink, fontId, textFlags);
    if (editing) {
        ZuRECT r = rect;
        ZuFCOLOR c = fcolor(ink);
        ZUPrintEditText(text, &r, &c, fontId, textFlags, caret, nullptr);
    } else {
        printText(text, rect, ink, fontId, textFlags);
    }
    return 0;
}
