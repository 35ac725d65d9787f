// What the one-line editors (ZUText and the number field's editor) share: the selection
// between anchor and caret, the caret keys, words, the clipboard and the highlight.
#pragma once

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

// Left, Right, Home and End (ZUM_KEY's b with its modifier bits): moves the caret, with
// Shift extending the selection from the anchor, without it collapsing it. False for
// other keys.
bool moveCaret(int b, int length, int& caret, int& anchor);

// The word at a character index: a run of letters and digits (Latin-1 letters too) or
// of the same other character.
Span wordAt(const char* text, int index);

// Removes the span from a NUL-terminated text.
void eraseSpan(char* text, Span s);

// Offers the span of text as the clipboard or the primary selection; false when it
// could not be (no display, an empty span), so that a cut keeps its text.
bool offerClipboard(const char* text, Span s);
bool offerPrimary(const char* text, Span s);
// The clipboard's or the primary selection's text in Latin-1, without the control codes
// (line feeds, tabs, NULs) that a one-line field never holds; empty when there is none.
std::string pasteClipboard();
std::string pastePrimary();

// The highlight of a selection behind a one-line text that ZUPrintText lays out in rect.
// Render thread.
void drawSelection(const char* text, const ZuRECT& rect, int fontId, int flags, Span s);

}  // namespace zu::widgets
