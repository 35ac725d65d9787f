// ZUStatic and ZUText: a label and the one-line text input.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "text/text.h"
#include "widgets/draw.h"
#include "widgets/line_edit.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace {
constexpr int kTextMax = 255;  // what a node's text can give back through the widget
constexpr size_t kSavedSize = 512;

bool isPunctuation(int c) {
    return c > 0 && c < 128 && std::strchr("\\/:*?\"<>|", c);
}

enum : int { VK_BACK = 8, VK_RETURN = 13, VK_ESCAPE = 27, VK_DELETE = 46 };
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
    anchor = o.anchor;
    dragFrom = o.dragFrom;
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
    anchor = caret;
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
    // The selected text may be gone with the restore: it is no longer on offer.
    anchor = -1;
    syncPrimary();
    ZUReleaseMouse();
}

bool ZUText::accepts(int ch) const {
    if (ch < 32 || ch > 255 || ch == 127) return false;
    if (isPunctuation(ch)) return allowPunctuation;
    if (ch == ' ') return allowSpace;
    return !digitsOnly || (ch >= '0' && ch <= '9');
}

void ZUText::insertText(const std::string& typed) {
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    std::string kept;
    for (const char c : typed)
        if (accepts(static_cast<unsigned char>(c))) kept += c;
    // A refused character leaves the selection in place.
    if (kept.empty()) return;
    const Span sel = selectionOf(caret, anchor, int(std::strlen(text)));
    if (!sel.empty()) {
        eraseSpan(text, sel);
        caret = sel.from;
    }
    const int len = int(std::strlen(text));
    const int room = std::min(maxLength, kTextMax) - len;
    if (room <= 0 && sel.empty()) return;
    const int n = std::max(0, std::min(room, int(kept.size())));
    const int at = caret >= 0 && caret < len ? caret : len;
    std::memmove(text + at + n, text + at, size_t(len - at + 1));
    std::memcpy(text + at, kept.data(), size_t(n));
    caret = anchor = at + n;
    ZUSetWindowText(node, text, 0);
}

void ZUText::eraseSelection() {
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    const Span sel = selectionOf(caret, anchor, int(std::strlen(text)));
    if (sel.empty()) return;
    eraseSpan(text, sel);
    caret = anchor = sel.from;
    ZUSetWindowText(node, text, 0);
}

void ZUText::syncPrimary() const {
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    zu::widgets::syncPrimary(this, text, selectionOf(caret, anchor, int(std::strlen(text))));
}

int ZUText::indexAt(int x) const {
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    return zu::detail::textIndexAt(fontId, text, rect, textFlags, float(x));
}

void ZUText::key(int ch, int b) {
    if (ch != -1) {
        insertText(std::string(1, char(ch)));
        return;
    }
    char text[264] = {};
    ZUGetWindowText(node, text, kTextMax + 1);
    const auto erase = [this] { eraseSelection(); };
    const auto insert = [this](const std::string& s) { insertText(s); };
    if (editKey(b, text, caret, anchor, erase, insert)) return;
    const int len = int(std::strlen(text));
    switch (b & ZU_KEY_CODE) {
        case VK_RETURN:
            commit(false);
            return;
        case VK_ESCAPE:
            cancel();
            return;
        case VK_BACK:
            if (!selectionOf(caret, anchor, len).empty()) {
                eraseSelection();
                return;
            }
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
        default:
            return;
    }
    anchor = caret;
    ZUSetWindowText(node, text, 0);
}

ZuErr ZUText::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            if (editing) {
                commit(true);
                dragFrom = -1;
            } else {
                beginEdit();
                // A drag from here selects; a plain click keeps the caret at the end.
                dragFrom = indexAt(a);
            }
            break;
        case ZUM_MOUSEMOVE:
            // The selection goes on offer when the button comes up.
            if (editing && dragFrom >= 0) dragSelect(dragFrom, indexAt(a), caret, anchor);
            return 0;
        case ZUM_LBUTTONUP:
            dragFrom = -1;
            break;
        case ZUM_LBUTTONDBLCLK:
            // The second press of a quick pair: the word under it.
            if (editing) {
                char text[264] = {};
                ZUGetWindowText(node, text, kTextMax + 1);
                selectWord(text, indexAt(a), caret, anchor);
                dragFrom = -1;
            }
            break;
        case ZUM_MBUTTONDOWN:
            if (editing)
                pastePrimaryAt(indexAt(a), caret, anchor,
                               [this](const std::string& s) { insertText(s); });
            break;
        case ZUM_RBUTTONDOWN:
            if (editing) cancel();
            break;
        case ZUM_KEY:
            if (editing) key(a, b);
            break;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
    // An edit that goes on offers its selection as it now is; one ended by Enter or a click
    // keeps what it offered, and a cancel has given it up.
    if (editing) syncPrimary();
    return 0;
}

ZuErr ZUText::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const bool disabled = !node->enabled;
    const Rgba bg = scheme(disabled ? 8 : editing ? 11 : 7);
    const Rgba ink = scheme(disabled ? 10 : editing ? 9 : 10);
    const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
    outlinedQuad(x, y, x + w, y + h, bg, bg);
    char text[264];
    if (ZUGetWindowText(node, text, sizeof text) != 0) return 0;
    if (editing)
        drawSelection(text, rect, fontId, textFlags,
                      selectionOf(caret, anchor, int(std::strlen(text))));
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
