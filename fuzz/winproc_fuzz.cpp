// Every widget class in one tree, fed arbitrary pointer, key, wheel and posted messages
// through the window procedure with no display. Nothing may crash, and once a press
// sequence ends (editors and engaged action buttons committed first) nobody holds the
// pointer capture.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_input.h"
#include "gui/gui_state.h"
#include "platform/winsys/events.h"
#include "platform/winsys/messages.h"
#include "zugui/widgets.h"

using namespace zu::ws;
using zu::detail::gui;

namespace {

// A stand-in: the procedure only compares window handles.
zu::ws::Window* const kMain = reinterpret_cast<zu::ws::Window*>(0x5151);
int64_t fakeNow = 0;
int64_t fakeClock() {
    return fakeNow;
}
void noRender() {}

using zu::fuzz::cs;

struct Tree {
    ZUWindow root;
    ZUButton button;
    ZUCheckBox check;
    ZUPictureButton picture;
    ZUTabButton tab;
    ZUMiniTabButton miniTab;
    ZUStatic label;
    ZUText text;
    ZUComboButton combo;
    ZUHotText hot;
    ZUHotTextList list;
    ZUNumber number;
    ZUSlider slider;
    ZUScroll scroll;
};
Tree* tree = nullptr;

using zu::fuzz::take;

intptr_t send(unsigned m, uintptr_t wp, intptr_t lp) {
    return zu::detail::guiWindowProc(zu::ws::fromMessage(kMain, m, wp, lp));
}

// Editors and engaged action buttons keep the capture on purpose until committed.
void commitAll() {
    send(WM_KEYDOWN, 13, 0);
    send(WM_KEYDOWN, 27, 0);
    tree->picture.ResetZUActionState(false);
    tree->text.ReceiveZUMessage(ZUM_KEY, -1, 27, nullptr, nullptr);
    tree->number.ReceiveZUMessage(ZUM_KEY, -1, 27, nullptr, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    auto& g = gui();
    g.mainWindow = kMain;
    g.started = true;
    g.currentGuiHeight = 600;
    g.hotKeys = new zu::detail::HotKey[zu::detail::kHotKeyCount]{};
    g.videoTable = new zu::detail::VideoSlot[zu::detail::kVideoSlotCount]{};
    g.handshakeHook = noRender;
    g.clock = fakeClock;
    g.dblClkInterval = 500'000'000;
    tree = new Tree;
    Tree& t = *tree;
    ZuRECT r{0, 0, 800, 600};
    if (t.root.CreateZUWindow(cs("root"), 0, 1, 0, &r, nullptr) != 0) std::abort();
    struct Place {
        ZUWindow* w;
        ZuRECT r;
    } places[] = {
        {&t.button, {10, 10, 90, 30}},    {&t.check, {110, 10, 90, 30}},
        {&t.picture, {210, 10, 40, 30}},  {&t.tab, {260, 10, 90, 30}},
        {&t.miniTab, {360, 10, 60, 20}},  {&t.label, {430, 10, 90, 30}},
        {&t.text, {10, 60, 200, 30}},     {&t.combo, {220, 60, 120, 30}},
        {&t.hot, {350, 60, 90, 30}},      {&t.list, {10, 100, 200, 200}},
        {&t.number, {220, 100, 160, 30}}, {&t.slider, {220, 140, 300, 20}},
        {&t.scroll, {220, 170, 300, 20}},
    };
    for (auto& p : places)
        if (p.w->CreateZUWindow(cs("w"), 0, 1, 0, &p.r, &t.root) != 0) std::abort();
    for (int i = 0; i < 5; ++i) {
        t.combo.InsertZUItem(i, cs("item"), false);
        t.list.InsertZUItem(i, cs("row"), false);
    }
    t.number.SetZUNumberRange(-100, 100, false);
    t.slider.SetZUSliderRange(0, 1000, false);
    t.picture.ButtonZUType(3);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const unsigned kKeys[] = {8, 13, 27, 37, 39, 46, 'a', '5', ':', ' '};
    bool down = false;
    while (size > 0) {
        const auto op = take<uint8_t>(data, size);
        const int x = take<int16_t>(data, size) % 900;
        const int y = take<int16_t>(data, size) % 700;
        const intptr_t lp = makeLParam(x, y);
        fakeNow += 100'000'000;
        switch (op % 10) {
            case 0:
                send(WM_LBUTTONDOWN, MK_LBUTTON, lp), down = true;
                break;
            case 1:
                send(WM_LBUTTONUP, 0, lp), down = false;
                break;
            case 2:
                send(WM_MOUSEMOVE, down ? MK_LBUTTON : 0, lp);
                break;
            case 3:
                send(WM_MOUSEWHEEL, (static_cast<uintptr_t>(static_cast<uint16_t>(x)) << 16), lp);
                break;
            case 4:
                send(WM_KEYDOWN, kKeys[static_cast<unsigned>(y) % 10], 0);
                break;
            case 5:
                send(WM_CHAR, static_cast<uint8_t>(x), 0);
                break;
            case 6:
                send(WM_LBUTTONDBLCLK, MK_LBUTTON, lp), down = true;
                break;
            case 7:
                send(WM_RBUTTONDOWN, 0, lp), send(WM_RBUTTONUP, 0, lp);
                break;
            case 8:
                send(ZUM_POSTED, static_cast<uintptr_t>(x), y);
                break;
            case 9:
                ZUSendMessage(tree->root.GetZUWndHandle(), ZUM_RENDER, 0, 0, nullptr, nullptr);
                break;
        }
    }
    commitAll();
    send(WM_LBUTTONUP, 0, makeLParam(790, 590));
    commitAll();
    if (gui().capture) __builtin_trap();
    return 0;
}
