// The selection, caret keys and clipboard of the one-line editors.
#include "widgets/line_edit.h"

#include <algorithm>
#include <cstring>

#include "platform/winsys/winsys.h"
#include "text/text.h"
#include "widgets/draw.h"
#include "zugui/gui.h"

namespace zu::widgets {
namespace {

enum : int { VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_RIGHT = 0x27 };

bool isWordChar(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           (c >= 0xC0 && c != 0xD7 && c != 0xF7);
}

bool offer(ws::Selection which, const char* text, Span s) {
    if (!text || s.empty()) return false;
    return ws::setSelectionText(which, std::string(text + s.from, size_t(s.size())));
}

std::string paste(ws::Selection which) {
    std::string in;
    if (!ws::selectionText(which, &in, kPasteTimeoutMs)) return {};
    std::string out;
    for (const char c : in)
        if (static_cast<unsigned char>(c) >= 32 && c != 127) out += c;
    return out;
}

}  // namespace

Span selectionOf(int caret, int anchor, int length) {
    const auto clamp = [&](int v) { return std::clamp(v, 0, std::max(length, 0)); };
    return {clamp(std::min(caret, anchor)), clamp(std::max(caret, anchor))};
}

bool moveCaret(int b, int length, int& caret, int& anchor) {
    const int code = b & ZU_KEY_CODE;
    const bool extend = (b & ZU_KEY_SHIFT) != 0;
    const Span sel = selectionOf(caret, anchor, length);
    int to;
    switch (code) {
        case VK_LEFT:
            to = !extend && !sel.empty() ? sel.from : std::max(caret - 1, 0);
            break;
        case VK_RIGHT:
            to = !extend && !sel.empty() ? sel.to : std::min(caret + 1, length);
            break;
        case VK_HOME:
            to = 0;
            break;
        case VK_END:
            to = length;
            break;
        default:
            return false;
    }
    caret = std::clamp(to, 0, std::max(length, 0));
    if (!extend) anchor = caret;
    return true;
}

Span wordAt(const char* text, int index) {
    const int length = text ? int(std::strlen(text)) : 0;
    if (length == 0) return {};
    index = std::clamp(index, 0, length - 1);
    const auto c = static_cast<unsigned char>(text[index]);
    const auto same = [&](int i) {
        const auto d = static_cast<unsigned char>(text[i]);
        return isWordChar(c) ? isWordChar(d) : d == c;
    };
    Span s{index, index + 1};
    while (s.from > 0 && same(s.from - 1)) --s.from;
    while (s.to < length && same(s.to)) ++s.to;
    return s;
}

void eraseSpan(char* text, Span s) {
    const int length = int(std::strlen(text));
    s = selectionOf(s.from, s.to, length);
    std::memmove(text + s.from, text + s.to, size_t(length - s.to + 1));
}

bool offerClipboard(const char* text, Span s) {
    return offer(ws::Selection::Clipboard, text, s);
}
bool offerPrimary(const char* text, Span s) {
    return offer(ws::Selection::Primary, text, s);
}
std::string pasteClipboard() {
    return paste(ws::Selection::Clipboard);
}
std::string pastePrimary() {
    return paste(ws::Selection::Primary);
}

void drawSelection(const char* text, const ZuRECT& rect, int fontId, int flags, Span s) {
    if (s.empty()) return;
    const float x0 = zu::detail::textBoundaryX(fontId, text, rect, flags, s.from);
    const float x1 = zu::detail::textBoundaryX(fontId, text, rect, flags, s.to);
    // Within the field, as the text's scissor box keeps the glyphs.
    const float left = std::max(x0, float(rect.x + 1)),
                right = std::min(x1, float(rect.x + rect.width - 1));
    if (right <= left) return;
    fillQuad(left, float(rect.y + 2), right, float(rect.y + rect.height - 2),
             scheme(kSelectionColour));
}

}  // namespace zu::widgets
