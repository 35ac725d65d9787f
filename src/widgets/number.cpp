// ZUNumber: the number and timecode field, and the timecode arithmetic behind it.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "text/text.h"
#include "widgets/draw.h"
#include "widgets/line_edit.h"
#include "widgets/number_math.h"
#include "zugui/widgets.h"

using namespace zu::widgets;

namespace zu::widgets {

namespace {

struct DisplayRate {
    int fps = 0;  // 0: not supported
    bool halve = false;
    bool drop = false;
};

DisplayRate displayRate(int num, int den, bool drop) {
    if (den != 1000 && den != 1001) return {};
    switch (num) {
        case 24000:
        case 15000:
            return {24, false, false};
        case 25000:
            return {25, false, false};
        case 30000:
            return {30, false, drop};
        case 50000:
            return {25, true, false};
        case 60000:
            return {30, true, drop};
        default:
            return {};
    }
}

struct EntryRate {
    int fps = 0;  // 0: not supported
    int frameFactor = 1;
    bool drop = false;
};

EntryRate entryRate(int num, int den, bool drop) {
    const bool both = den == 1000 || den == 1001;
    if (num == 24000 && both) return {24, 1, false};
    if (num == 25000 && den == 1000) return {25, 1, false};
    if (num == 30000 && both) return {30, 1, drop};
    if (num == 50000 && den == 1000) return {50, 2, false};
    if (num == 60000 && both) return {60, 2, drop};
    return {};
}

// 0: 24 frames, 1: 25 frames, 2: 30 frames (the only class with drop frame).
int normalizeClass(int num, int den) {
    if ((num == 24000 || num == 15000) && (den == 1000 || den == 1001)) return 0;
    if ((num == 25000 || num == 50000) && den == 1000) return 1;
    return 2;
}

void formatTimecode(bool negative, long long hh, long long mm, long long ss, long long ff, char sep,
                    char out[kTimecodeSize]) {
    const long long v[4] = {hh, mm, ss, ff};
    char* p = out;
    if (negative) *p++ = '-';
    for (int i = 0; i < 4; ++i) {
        if (i) *p++ = sep;
        *p++ = char('0' + v[i] / 10 % 10);
        *p++ = char('0' + v[i] % 10);
    }
    *p = 0;
}

// The two-digit field at pos, read as far as it holds digits.
int field(const char* text, size_t len, size_t pos) {
    int v = 0;
    for (size_t i = pos; i < pos + 2 && i < len && text[i] >= '0' && text[i] <= '9'; ++i)
        v = v * 10 + (text[i] - '0');
    return v;
}

}  // namespace

long long dropFrameNominal(long long f) {
    if (f < 1800) return f;
    // Each ten minutes hold 17982 frames and skip 18 numbers; within them every minute after
    // the first skips two numbers once its 1798 frames (after the first two) are used.
    const long long blocks = f / 17982, rest = f % 17982;
    return f + 18 * blocks + (rest >= 2 ? 2 * ((rest - 2) / 1798) : 0);
}

void framesToTimecode(int frames, int rateNum, int rateDen, bool dropFrame,
                      char out[kTimecodeSize]) {
    const DisplayRate r = displayRate(rateNum, rateDen, dropFrame);
    if (!r.fps) {
        std::strcpy(out, "00:00:00:00");
        return;
    }
    const bool negative = frames < 0;
    long long f = negative ? -static_cast<long long>(frames) : frames;
    if (r.halve) f = static_cast<long long>(std::floor(double(float(f)) * 0.5 + 0.5));
    const long long fps = r.fps;
    long long hh, mm, ss, ff;
    if (r.drop) {
        f = dropFrameNominal(f);
        hh = f / (3600 * fps);
        long long rest = f - hh * 3600 * fps;
        mm = rest / (60 * fps);
        rest -= mm * 60 * fps;
        ss = rest / fps;
        ff = rest - ss * fps;
    } else {
        ff = f % fps;
        ss = f / fps % 60;
        mm = f / (60 * fps) % 60;
        hh = f / (3600 * fps) % 60;
    }
    if (hh > 23) hh = 23;
    formatTimecode(negative, hh, mm, ss, ff, r.drop ? ';' : ':', out);
}

void normalizeTimecode(const char* text, int rateNum, int rateDen, bool dropFrame,
                       char out[kTimecodeSize]) {
    const int cls = normalizeClass(rateNum, rateDen);
    const bool drop = cls == 2 && dropFrame;
    if (!text) text = "";
    const bool negative = text[0] == '-';
    char typed[8];
    int n = 0;
    for (const char* p = text; *p && n < 8; ++p)
        if (*p >= '0' && *p <= '9') typed[n++] = *p;
    char d[8];  // HHMMSSFF
    for (int i = 0; i < 8; ++i) d[i] = i < 8 - n ? '0' : typed[i - (8 - n)];
    auto limit = [](char& c, char max) {
        if (c > max) c = max;
    };
    if (d[0] >= '2') {
        d[0] = '2';
        limit(d[1], '3');
    }
    limit(d[2], '5');
    limit(d[4], '5');
    if (d[6] >= '2') {
        d[6] = '2';
        if (cls == 0) limit(d[7], '3');
        if (cls == 1) limit(d[7], '4');
    }
    // Frames 0 and 1 do not exist at the start of a drop-frame minute.
    if (drop && d[6] == '0' && (d[7] == '0' || d[7] == '1') && d[4] == '0' && d[5] == '0' &&
        d[3] != '0')
        d[7] = '2';
    const char sep = drop ? ';' : ':';
    char* p = out;
    if (negative) *p++ = '-';
    for (int i = 0; i < 4; ++i) {
        if (i) *p++ = sep;
        *p++ = d[2 * i];
        *p++ = d[2 * i + 1];
    }
    *p = 0;
}

int timecodeToFrames(const char* text, int rateNum, int rateDen, bool dropFrame) {
    const EntryRate r = entryRate(rateNum, rateDen, dropFrame);
    if (!r.fps || !text) return 0;
    const bool negative = text[0] == '-';
    if (negative) ++text;
    const size_t len = std::strlen(text);
    const long long hh = field(text, len, 0), mm = field(text, len, 3), ss = field(text, len, 6),
                    ff = field(text, len, 9);
    const long long m = hh * 60 + mm;
    long long frames;
    if (r.drop) {
        // The inverse of the display: at 60 frames the count is that of 30-frame drop frame,
        // doubled, so a shown timecode typed back gives the frame it came from.
        const int fps = r.fps / r.frameFactor;
        frames = r.frameFactor * ((60LL * fps - 2) * m + fps * ss + 2 * (m / 10) + ff);
    } else {
        frames = (ss + 60 * m) * r.fps + r.frameFactor * ff;
    }
    if (negative) frames = -frames;
    if (frames > INT_MAX) return INT_MAX;
    if (frames < INT_MIN) return INT_MIN;
    return int(frames);
}

}  // namespace zu::widgets

namespace {

enum : int { VK_BACK = 8, VK_RETURN = 13, VK_ESCAPE = 27, VK_DELETE = 46 };
constexpr int kDecimalMax = 9;    // characters of the decimal text while editing
constexpr int kEditTextMax = 12;  // characters of the timecode edit text

void decimal(int v, char out[16]) {
    std::snprintf(out, 16, "%d", v);
}
int parseDecimal(const char* text) {
    // At most 10 characters with a sign reach here, so the value fits.
    return int(std::strtol(text, nullptr, 10));
}
// Puts ch into the len-character text at (or, past the end, after) at; the caret after it.
int insertAt(char* text, int len, int at, char ch) {
    at = std::min(at, len);
    std::memmove(text + at + 1, text + at, size_t(len - at + 1));
    text[at] = ch;
    return at + 1;
}

}  // namespace

ZUNumber::ZUNumber() {
    fontId = ZU_FONT_BOLD10;
    textFlags = 0;
}

ZuErr ZUNumber::CreateZUWindow(char* text, unsigned int, unsigned int flags, unsigned int,
                               ZuRECT* r, ZUWindow* par) {
    return createWidget(text, flags, r, par, true);
}
ZuErr ZUNumber::DestroyZUWindow(void) {
    return destroyWidget();
}

void ZUNumber::repaint(bool redraw) {
    if (redraw && !dragging) ZURePaint();
}

int ZUNumber::SetZUNumberRange(int min, int max, bool redraw) {
    if (min > max) return 0;
    rangeMin = min;
    rangeMax = max;
    repaint(redraw);
    return 0;
}

int ZUNumber::GetZUNumberPos() {
    return position;
}

int ZUNumber::PutZUNumberPos(int pos, bool redraw) {
    if (pos < rangeMin || pos > rangeMax || pos == position) return 0;
    position = pos;
    repaint(redraw);
    return 0;
}

int ZUNumber::GetZUNumberTC(char* buffer) {
    if (!buffer) return -1;
    // The buffer must already hold a timecode-shaped text: that is how the caller vouches
    // for its 13 bytes.
    const size_t n = strnlen(buffer, kTimecodeSize);
    if (n != 11 && n != 12) return -1;
    std::memcpy(buffer, timecode, std::strlen(timecode) + 1);
    return 0;
}

int ZUNumber::PutZUNumberTC(char* text, bool redraw) {
    if (!text) return 0;
    // Longer texts keep their first 12 characters.
    const size_t n = strnlen(text, kEditTextMax);
    std::memcpy(timecode, text, n);
    timecode[n] = 0;
    repaint(redraw);
    return 0;
}

int ZUNumber::GetZUNumberType() {
    return numberType;
}

int ZUNumber::PutZUNumberType(int type, int num, int den, bool drop) {
    if (type < 0 || type > 2) return 0;
    numberType = type;
    rateNum = num;
    rateDen = den;
    dropFrame = drop;
    return 0;
}

int ZUNumber::SetZUScrollable(bool on) {
    scrollable = on;
    return 0;
}
bool ZUNumber::GetZUScrollable() {
    return scrollable;
}

int ZUNumber::GenerateNumPos(int x) {
    const long long centre = static_cast<long long>(rect.x) + rect.width / 2;
    const long long pos = static_cast<long long>(dragAnchor) + (x - centre);
    if (pos < rangeMin) return rangeMin;
    if (pos > rangeMax) return rangeMax;
    return int(pos);
}

void ZUNumber::shownEditText(char out[16]) const {
    if (numberType == 0)
        decimal(editValue, out);
    else
        std::strcpy(out, editText);
}

void ZUNumber::beginDrag() {
    ZUCaptureMouse(node);
    notifyParent(ZUM_NUMBERBEGIN, 0);
    dragging = true;
    dragAnchor = position;
}

void ZUNumber::openEditor() {
    ZUCaptureMouse(node);
    editing = true;
    notifyParent(ZUM_NUMBERBEGIN, 0);
    editValue = position;
    char text[16];
    if (numberType == 0) {
        decimal(editValue, text);
        caret = int(std::strlen(text));
    } else {
        if (numberType == 1)
            framesToTimecode(position, rateNum, rateDen, dropFrame, editText);
        else
            std::strcpy(editText, timecode);
        caret = int(std::strlen(editText));
    }
    anchor = caret;
}

void ZUNumber::commit() {
    if (numberType == 2) {
        char text[kTimecodeSize];
        normalizeTimecode(editText, rateNum, rateDen, dropFrame, text);
        if (parent) SendZUMessage(parent, ZUM_VALUECHANGED, 0, 0, this, text);
    } else {
        if (numberType == 1) {
            char text[kTimecodeSize];
            normalizeTimecode(editText, rateNum, rateDen, dropFrame, text);
            editValue = timecodeToFrames(text, rateNum, rateDen, dropFrame);
        }
        if (editValue < rangeMin) editValue = rangeMin;
        if (editValue > rangeMax) editValue = rangeMax;
        notifyParent(ZUM_VALUECHANGED, editValue);
    }
    editing = false;
    ZUReleaseMouse();
}

void ZUNumber::cancel() {
    notifyParent(ZUM_NUMBEREND, 0);
    editing = false;
    // What was typed and selected is gone with the edit: it is no longer on offer.
    anchor = -1;
    syncPrimary();
    ZUReleaseMouse();
}

void ZUNumber::typeNumber(int ch) {
    char text[16];
    decimal(editValue, text);
    // A lone 0 is what a cleared field shows: the first digit replaces it.
    if (std::strcmp(text, "0") == 0) text[0] = 0;
    const int len = int(std::strlen(text));
    if (ch == '-') {
        if (rangeMin >= 0) return;
        const int was = editValue;
        editValue = was == INT_MIN ? INT_MAX : -was;
        if (was < 0 && caret > 0) --caret;
        if (was > 0) ++caret;
        return;
    }
    if (ch < '0' || ch > '9' || len >= kDecimalMax) return;
    // A digit typed before the sign goes after it: "3-5" would read as 3 and lose the rest.
    int at = caret;
    if (text[0] == '-' && at == 0) at = 1;
    if (at < 0) return;
    caret = insertAt(text, len, at, char(ch));
    editValue = parseDecimal(text);
    // Leading zeros vanish in the value ("05" is 5): keep the caret within what is shown.
    decimal(editValue, text);
    caret = std::min(caret, int(std::strlen(text)));
}

void ZUNumber::typeTimecode(int ch) {
    const int len = int(std::strlen(editText));
    if (ch == '-') {
        if (rangeMin >= 0 || len == 0) return;
        if (editText[0] == '-') {
            std::memmove(editText, editText + 1, size_t(len));
            if (caret > 0) --caret;
        } else {
            // A full text has no room for the sign: the key is ignored rather than a digit lost.
            if (len >= kEditTextMax) return;
            std::memmove(editText + 1, editText, size_t(len + 1));
            editText[0] = '-';
            if (caret < len + 1) ++caret;
        }
        return;
    }
    const bool accepted = (ch >= '0' && ch <= '9') || ch == ':' || ch == ';';
    if (!accepted || len >= kEditTextMax) return;
    if (caret >= 0) caret = insertAt(editText, len, caret, char(ch));
}

void ZUNumber::backspace() {
    char text[16];
    shownEditText(text);
    const int n = int(std::strlen(text));
    if (caret >= n && n >= 1) {
        text[n - 1] = 0;
        caret = n - 1;
    } else if (caret >= 1 && n >= 1) {
        std::memmove(text + caret - 1, text + caret, size_t(n - caret + 1));
        --caret;
    }
    if (numberType == 0) {
        editValue = parseDecimal(text);  // "" and "-" read as 0
        decimal(editValue, text);
        caret = std::min(caret, int(std::strlen(text)));
    } else {
        if (std::strcmp(text, "-") == 0) {
            text[0] = 0;
            caret = 0;
        }
        std::strcpy(editText, text);
    }
}

// The shown edit text back into the edit state: type 0 reads it as the number.
void ZUNumber::storeEditText(const char* text) {
    if (numberType == 0) {
        char shown[16];
        editValue = parseDecimal(text);  // "" and "-" read as 0
        decimal(editValue, shown);
        caret = std::min(caret, int(std::strlen(shown)));
    } else {
        std::strncpy(editText, text, kEditTextMax);
        editText[kEditTextMax] = 0;
    }
    anchor = caret;
}

int ZUNumber::shownFlags() const {
    return textFlags | (scrollable ? ZU_TEXT_DOTTED : ZU_TEXT_UNDERLINE);
}

int ZUNumber::indexAt(int x) const {
    char text[16];
    shownEditText(text);
    return zu::detail::textIndexAt(fontId, text, rect, shownFlags(), float(x));
}

void ZUNumber::syncPrimary() const {
    char text[16];
    shownEditText(text);
    zu::widgets::syncPrimary(this, text, selectionOf(caret, anchor, int(std::strlen(text))));
}

void ZUNumber::eraseSelection() {
    char text[16];
    shownEditText(text);
    const Span sel = selectionOf(caret, anchor, int(std::strlen(text)));
    if (sel.empty()) return;
    eraseSpan(text, sel);
    caret = sel.from;
    storeEditText(text);
}

void ZUNumber::typeChar(int ch) {
    // A character the type takes replaces the selection; the sign keeps toggling.
    const bool digit = ch >= '0' && ch <= '9';
    const bool insert = digit || (numberType != 0 && (ch == ':' || ch == ';'));
    if (!insert && ch != '-') return;  // refused: the selection stays
    if (insert) eraseSelection();
    if (numberType == 0)
        typeNumber(ch);
    else
        typeTimecode(ch);
    anchor = caret;
}

void ZUNumber::paste(const std::string& text) {
    bool any = false;
    for (const char c : text) any = any || (c >= '0' && c <= '9');
    if (!any) return;
    for (const char c : text) typeChar(static_cast<unsigned char>(c));
}

void ZUNumber::key(int a, int b) {
    if (a != -1) {
        typeChar(a);
        return;
    }
    char text[16];
    shownEditText(text);
    const auto erase = [this] { eraseSelection(); };
    const auto insert = [this](const std::string& s) { paste(s); };
    if (editKey(b, text, caret, anchor, erase, insert)) return;
    switch (b & ZU_KEY_CODE) {
        case VK_DELETE:
            editValue = 0;
            editText[0] = 0;
            caret = 0;
            break;
        case VK_RETURN:
            commit();
            break;
        case VK_ESCAPE:
            cancel();
            break;
        case VK_BACK:
            if (selectionOf(caret, anchor, int(std::strlen(text))).empty())
                backspace();
            else
                eraseSelection();
            break;
        default:
            return;  // Shift alone, say, keeps the selection it may be about to extend
    }
    anchor = caret;
}

ZuErr ZUNumber::ReceiveZUMessage(unsigned int msg, int a, int b, void* p, void* q) {
    switch (msg) {
        case ZUM_LBUTTONDOWN:
            dragFrom = -1;
            if (editing)
                commit();
            else if (scrollable && !dragging)
                beginDrag();
            break;
        case ZUM_LBUTTONUP:
            if (dragging) {
                dragging = false;
                ZUReleaseMouse();
            }
            dragFrom = -1;
            break;
        case ZUM_RBUTTONDOWN:
            if (editing) cancel();
            break;
        case ZUM_MBUTTONDOWN:
            // Pastes where it is pressed, as in ZUText.
            if (editing) pastePrimaryAt(indexAt(a), caret, anchor, [this](auto& s) { paste(s); });
            break;
        case ZUM_MOUSEMOVE:
            if (dragging)
                notifyParent(ZUM_VALUECHANGED, GenerateNumPos(a));
            else if (editing && dragFrom >= 0)
                dragSelect(dragFrom, indexAt(a), caret, anchor);
            return 0;
        case ZUM_KEY:
            if (editing) key(a, b);
            break;
        case ZUM_LBUTTONDBLCLK:
            // The double click opens the editor, as it always has, and its press may drag
            // out a selection as ZUText's first press does. Every press inside the open
            // editor commits, except the quick one after another (the third of a triple
            // click), which no rule gives a meaning: it selects the word under it.
            if (dragging) return 0;
            if (!editing) {
                openEditor();
                dragFrom = indexAt(a);
            } else {
                char text[16];
                shownEditText(text);
                selectWord(text, indexAt(a), caret, anchor);
                dragFrom = -1;
            }
            break;
        case ZUM_RENDER:
        case ZUM_DESTROY:
            return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
        default:
            return 0;
    }
    // As ZUText: the open editor's selection as it now is goes on offer (not during a drag).
    if (editing) syncPrimary();
    return 0;
}

ZuErr ZUNumber::RenderZUWindow(void) {
    if (!drawable()) return 0;
    DeferDrawing batch;
    const Rgba ink = scheme(node->enabled ? 14 : 15);
    const int flags = shownFlags();
    if (editing) {
        const float x = rect.x, y = rect.y, w = rect.width, h = rect.height;
        const float mid = y + h * 0.5f;
        const Rgba middle{0.25f, 0.3f, 0.35f, 0.5f};
        gradientQuad(x, mid, x + w, y + h, {0.05f, 0.05f, 0.05f, 0.5f}, middle);
        gradientQuad(x, y, x + w, mid, middle, {0.5f, 0.55f, 0.6f, 0.8f});
        colour({0.196f, 0.224f, 0.255f, 1.0f});
        hline(x, x + w, y + h);
        hline(x, x + w, y);
        vline(x, y, y + h);
        vline(x + w - 1, y, y + h);
        char text[16];
        shownEditText(text);
        drawSelection(text, rect, fontId, flags,
                      selectionOf(caret, anchor, int(std::strlen(text))));
        ZuRECT r = rect;
        ZuFCOLOR c = fcolor(ink);
        ZUPrintEditText(text, &r, &c, fontId, flags, caret, nullptr);
        return 0;
    }
    char text[16];
    if (numberType == 0)
        decimal(position, text);
    else if (numberType == 1)
        framesToTimecode(position, rateNum, rateDen, dropFrame, text);
    else
        std::strcpy(text, timecode);
    printText(text, rect, ink, fontId, flags);
    return 0;
}
