// What the one-line editors (ZUText and the number field's editor) share: the selection
// between anchor and caret, the caret and clipboard keys, mouse selection, the primary
// selection and the highlight.
#pragma once

#include <functional>
#include <string>

#include "zugui/types.h"

namespace zu::widgets {

// The scheme entry of the selection highlight: 25 has no reader of its own, and its
// default, a half-transparent slate blue, shows on the light field and on the dark
// number editor alike.
inline constexpr int kSelectionColour = 25;
// How long a paste waits for another client's answer: a busy owner (a loaded machine, a
// large document) may take over a second; one that never answers holds the GUI this long.
inline constexpr int kPasteTimeoutMs = 2000;

struct Span {
    int from = 0, to = 0;
    bool empty() const { return from >= to; }
    int size() const { return to - from; }
};

// The characters between anchor and caret, kept within a text of the given length; none
// while the anchor is -1.
Span selectionOf(int caret, int anchor, int length);

// Removes the span from a NUL-terminated text.
void eraseSpan(char* text, Span s);

// The keys both editors take alike (ZUM_KEY's b with its modifier bits): Left, Right,
// Home and End move the caret, with Shift extending the selection; Control+A selects
// all, Control+C copies the selection (or, with none, the whole text) to the clipboard,
// Control+X cuts it, Control+V pastes. text is what the editor shows; erase removes the
// selection and leaves the caret at its start; insert puts text at the caret in place of
// the selection, through the editor's own filter and limits. False for other keys.
bool editKey(int b, const char* text, int& caret, int& anchor, const std::function<void()>& erase,
             const std::function<void(const std::string&)>& insert);

// A drag from the character boundary `from` (where the button went down) to `at`:
// selects between them. Until the pointer first leaves `from`, a caret without a
// selection stays as it is, so that a press without a drag selects nothing.
void dragSelect(int from, int at, int& caret, int& anchor);

// Selects the word at a character boundary: a run of letters and digits (Latin-1 letters
// too) or of one other character; at the end of the text, the word before it.
void selectWord(const char* text, int at, int& caret, int& anchor);

// Keeps the primary selection to what a field shows selected, as GTK's entries do:
// a selection made or changed is offered; one that becomes empty gives the primary
// selection up if this field's text still holds it, so that a middle click elsewhere
// pastes nothing rather than text no longer highlighted. An edit that ends with Enter or
// a click does not call this, and its selection stays on offer. field only names the
// owner and is never read.
void syncPrimary(const void* field, const char* text, Span s);

// A middle click at the character boundary `at`: the primary selection's text goes in
// there through insert (see editKey).
void pastePrimaryAt(int at, int& caret, int& anchor,
                    const std::function<void(const std::string&)>& insert);

// The highlight of a selection behind a one-line text that ZUPrintText lays out in rect.
// Render thread.
void drawSelection(const char* text, const ZuRECT& rect, int fontId, int flags, Span s);

}  // namespace zu::widgets
