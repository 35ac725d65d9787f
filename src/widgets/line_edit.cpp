// The selection, caret keys, clipboard and primary selection of the one-line editors.
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

// The selection's text in Latin-1, without the control codes (line feeds, tabs, NULs)
// that a one-line field never holds; empty when there is none.
std::string paste(ws::Selection which) {
    std::string in;
    if (!ws::selectionText(which, &in, kPasteTimeoutMs)) return {};
    std::string out;
    for (const char c : in)
        if (static_cast<unsigned char>(c) >= 32 && c != 127) out += c;
    return out;
}

// Left, Right, Home and End: moves the caret, with Shift extending the selection from the
// anchor, without it collapsing it. False for other keys.
bool moveCaret(int b, int length, int& caret, int& anchor) {
    const int code = b & ZU_KEY_CODE;
    const bool extend = (b & ZU_KEY_SHIFT) != 0;
    if (extend && anchor < 0) anchor = caret;
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

// The field whose text we last offered as the primary selection, and that text.
struct PrimaryOffer {
    const void* field = nullptr;
    std::string text;
};
PrimaryOffer& primaryOffer() {
    static PrimaryOffer offer;  // the input thread's alone
    return offer;
}

}  // namespace

Span selectionOf(int caret, int anchor, int length) {
    if (anchor < 0) return {};
    const auto clamp = [&](int v) { return std::clamp(v, 0, std::max(length, 0)); };
    return {clamp(std::min(caret, anchor)), clamp(std::max(caret, anchor))};
}

void eraseSpan(char* text, Span s) {
    const int length = int(std::strlen(text));
    s = selectionOf(s.from, s.to, length);
    std::memmove(text + s.from, text + s.to, size_t(length - s.to + 1));
}

bool editKey(int b, const char* text, int& caret, int& anchor, const std::function<void()>& erase,
             const std::function<void(const std::string&)>& insert) {
    const int length = int(std::strlen(text));
    if (b & ZU_KEY_CONTROL) {
        const Span sel = selectionOf(caret, anchor, length);
        // With nothing selected, copy and cut take the whole text.
        const Span taken = sel.empty() ? Span{0, length} : sel;
        const auto toClipboard = [&] {
            return !taken.empty() &&
                   ws::setSelectionText(ws::Selection::Clipboard,
                                        std::string(text + taken.from, size_t(taken.size())));
        };
        switch (b & ZU_KEY_CODE) {
            case 'A':
                anchor = 0;
                caret = length;
                return true;
            case 'C':
                toClipboard();
                return true;
            case 'X':
                // A clipboard that cannot take the text leaves it in the field.
                if (toClipboard()) {
                    anchor = taken.from;
                    caret = taken.to;
                    erase();
                }
                return true;
            case 'V':
                insert(paste(ws::Selection::Clipboard));
                return true;
            default:
                break;
        }
    }
    return moveCaret(b, length, caret, anchor);
}

void dragSelect(int from, int at, int& caret, int& anchor) {
    if (at == from && anchor == caret) return;
    anchor = from;
    caret = at;
}

void selectWord(const char* text, int at, int& caret, int& anchor) {
    const int length = text ? int(std::strlen(text)) : 0;
    if (length == 0) return;
    const int index = std::clamp(at < length ? at : length - 1, 0, length - 1);
    const auto c = static_cast<unsigned char>(text[index]);
    const auto same = [&](int i) {
        const auto d = static_cast<unsigned char>(text[i]);
        return isWordChar(c) ? isWordChar(d) : d == c;
    };
    anchor = index;
    caret = index + 1;
    while (anchor > 0 && same(anchor - 1)) --anchor;
    while (caret < length && same(caret)) ++caret;
}

void syncPrimary(const void* field, const char* text, Span s) {
    PrimaryOffer& o = primaryOffer();
    if (s.empty()) {
        if (o.field == field) {
            ws::releaseSelection(ws::Selection::Primary);
            o = {};
        }
        return;
    }
    std::string selected(text + s.from, size_t(s.size()));
    // Unchanged: what we offered stands, and a selection another client took since is
    // not taken back.
    if (o.field == field && o.text == selected) return;
    if (ws::setSelectionText(ws::Selection::Primary, selected)) o = {field, std::move(selected)};
}

void pastePrimaryAt(int at, int& caret, int& anchor,
                    const std::function<void(const std::string&)>& insert) {
    // Read before the caret moves: the text may be this field's own selection.
    const std::string primary = paste(ws::Selection::Primary);
    caret = anchor = at;
    insert(primary);
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
