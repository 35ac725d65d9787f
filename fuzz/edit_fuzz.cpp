// The number field (every type, several rates, drop frame on and off) and the text field
// (filters, maximum lengths) under arbitrary key streams and clicks: every reported value
// lies within the number's range, every committed text fits its maximum and its filters.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "gui/gui_state.h"
#include "zugui/widgets.h"

namespace {

using zu::fuzz::cs;

struct Host : ZUWindow {
    ZUNumber* number = nullptr;
    ZUText* text = nullptr;
    int maxLength = 255;
    bool digits = false, space = true;
    ZuErr ReceiveZUMessage(unsigned msg, int a, int b, void* p, void* q) override {
        // The text timecode type reports its value as text in q.
        if (msg == ZUM_VALUECHANGED && number && p == number && number->numberType != 2) {
            if (a < number->rangeMin || a > number->rangeMax) __builtin_trap();
        }
        if (msg == ZUM_TEXTENTERED && text) {
            char buf[600] = {};
            text->GetWindowZUText(buf, sizeof buf);
            const size_t n = std::strlen(buf);
            if (static_cast<int>(n) > maxLength) __builtin_trap();
            for (size_t i = 0; i < n; ++i) {
                if (!space && buf[i] == ' ') __builtin_trap();
                if (digits && std::isalpha(static_cast<unsigned char>(buf[i]))) __builtin_trap();
            }
        }
        return ZUWindow::ReceiveZUMessage(msg, a, b, p, q);
    }
};

Host* host = nullptr;

using zu::fuzz::take;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    host = new Host;
    ZuRECT r{0, 0, 800, 600};
    if (host->CreateZUWindow(cs("host"), 0, 1, 0, &r, nullptr) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int kRates[][2] = {{30000, 1001}, {25, 1}, {24000, 1001}, {60, 1}, {0, 0}};
    static const int kVk[] = {8, 13, 27, 37, 39, 46};
    const auto setup = take<uint8_t>(data, size);
    const auto lo = take<int32_t>(data, size) % 1000000;
    const auto span = take<uint16_t>(data, size);
    const auto maxLen = take<uint8_t>(data, size);
    ZUNumber number;
    ZUText text;
    ZuRECT nr{10, 10, 160, 30}, tr{10, 60, 200, 30};
    number.CreateZUWindow(cs("0"), 0, 1, 0, &nr, host);
    text.CreateZUWindow(cs(""), 0, 1, 0, &tr, host);
    const auto& rate = kRates[(setup >> 2) % 5];
    number.PutZUNumberType(setup % 3, rate[0], rate[1], setup & 0x40);
    number.SetZUNumberRange(lo, lo + span, false);
    text.SetZUTextInputType(setup & 0x20, setup & 0x10, setup & 0x80);
    text.SetZUTextInputMax(maxLen);
    host->number = &number;
    host->text = &text;
    host->maxLength = text.maxLength;
    host->digits = text.digitsOnly, host->space = text.allowSpace;
    while (size > 0) {
        const auto op = take<uint8_t>(data, size);
        ZUWindow& w = (op & 0x80) ? static_cast<ZUWindow&>(text) : number;
        const int x = w.rect.x + (op & 0x3f) * 3;
        const int y = w.rect.y + 5;
        switch ((op >> 6) & 1 ? op % 4 : op % 5) {
            case 0:
                w.ReceiveZUMessage(ZUM_LBUTTONDBLCLK, x, y, nullptr, nullptr);
                break;
            case 1:
                w.ReceiveZUMessage(ZUM_LBUTTONDOWN, x, y, nullptr, nullptr);
                w.ReceiveZUMessage(ZUM_LBUTTONUP, x, y, nullptr, nullptr);
                break;
            case 2:
                w.ReceiveZUMessage(ZUM_KEY, -1, kVk[op % 6], nullptr, nullptr);
                break;
            default: {
                const int ch = take<uint8_t>(data, size);
                w.ReceiveZUMessage(ZUM_KEY, ch, 0, nullptr, nullptr);
            }
        }
    }
    number.ReceiveZUMessage(ZUM_KEY, -1, 13, nullptr, nullptr);
    text.ReceiveZUMessage(ZUM_KEY, -1, 13, nullptr, nullptr);
    ZUReleaseMouse();
    host->number = nullptr;
    host->text = nullptr;
    number.DestroyZUWindow();
    text.DestroyZUWindow();
    return 0;
}
