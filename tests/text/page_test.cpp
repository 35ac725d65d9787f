// A whole widget page, laid out as the demo's Controls page plus a strip of text variants
// (every font, both underlines, carets, several lines, overflow, odd heights that put the
// baseline on half pixels), drawn by one render pass and compared texel for texel with a
// reference image recorded from the per-glyph drawing that the atlas replaced; twice, the
// second time with the lines drawn from their images.
//
// ZUGUI_RECORD_REFERENCES=1 writes the image instead of comparing (to re-record it).
#include <memory>
#include <string>
#include <vector>

#include "support/draw_suite.h"

using namespace zu::test;

namespace {

constexpr int kW = 960, kH = 640;
const char* const kReference = ZUGUI_SOURCE_DIR "/tests/text/data/controls_page.png";

class Backdrop : public ZUWindow {
  public:
    ZuErr RenderZUWindow(void) override {
        if (!node) return 0;
        glBegin(GL_QUADS);
        glColor4f(0.07f, 0.08f, 0.1f, 1);
        glVertex2f(0, 0), glVertex2f(kW, 0);
        glVertex2f(kW, kH), glVertex2f(0, kH);
        glEnd();
        return 0;
    }
};

// Every widget family once or more, where the demo puts it.
struct Page {
    Backdrop root;
    ZUStatic caption, status;
    ZUPictureButton windowButtons[3];
    ZUTabButton tabs[3];
    ZUButton messageButton, latch;
    ZUCheckBox check;
    ZUStatic checkLabel;
    std::vector<std::unique_ptr<ZUPictureButton>> pictures;
    ZUMiniTabButton minis[3];
    ZUComboButton combos[4];
    ZUHotText hot;
    ZUHotTextList list;
    ZUNumber numbers[3];
    ZUSlider sliders[2];
    ZUScroll scroll;
    ZUText field, digits;
    ZUStatic fieldLabel;
    std::vector<std::unique_ptr<ZUStatic>> strip;
    ZUText editing;

    template <class W>
    void add(W& w, ZUWindow* parent, ZuRECT r, const char* text = "") {
        ASSERT_EQ(w.CreateZUWindow(cs(text), 0, 1, 0, &r, parent), 0);
    }

    void build() {
        ZuRECT all{0, 0, kW, kH};
        ASSERT_EQ(root.CreateZUWindow(cs("page"), 0, 1, 0, &all, nullptr), 0);
        add(caption, &root, {12, kH - 32, 300, 32}, "zugui demo - video monitor");
        caption.SetWindowZUTextStyle(ZU_FONT_BOLD12, ZU_TEXT_LEFT, 0);
        const int pictureTypes[3] = {ZU_PICT_MINIMIZE, ZU_PICT_MAXIMIZE, ZU_PICT_CLOSE};
        for (int i = 0; i < 3; ++i) {
            add(windowButtons[i], &root, {kW - 96 + i * 32, kH - 32, 32, 32});
            windowButtons[i].ButtonZUPictureType(pictureTypes[i]);
        }
        const char* names[3] = {"Controls", "Video", "Colour"};
        for (int i = 0; i < 3; ++i) {
            add(tabs[i], &root, {12 + i * 136, kH - 72, 130, 32}, names[i]);
            tabs[i].SetZUTabCheck(i == 0);
        }
        add(status, &root, {12, 2, kW - 24, 20}, "Ready");
        status.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);

        ZUWindow* p = &root;
        add(messageButton, p, {20, 480, 140, 32}, "Message box");
        add(latch, p, {170, 480, 110, 32}, "Latch");
        latch.ButtonZUType(1);
        add(check, p, {300, 488, 16, 16});
        check.SetZUCheck(1);
        add(checkLabel, p, {320, 484, 120, 24}, "Check box");
        checkLabel.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
        const int types[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 23, 13, 14, 15, 16};
        int x = 20;
        for (int t : types) {
            pictures.push_back(std::make_unique<ZUPictureButton>());
            add(*pictures.back(), p, {x, 420, 48, 40});
            pictures.back()->ButtonZUPictureType(t);
            pictures.back()->SetZUBkType(t == 13 ? 0 : 1);
            x += 52;
        }
        const char* miniNames[3] = {"Input", "Output", "Monitor"};
        for (int i = 0; i < 3; ++i) add(minis[i], p, {460 + i * 90, 484, 86, 24}, miniNames[i]);
        minis[0].SetZUTabCheck(1);
        for (int i = 0; i < 4; ++i) {
            add(combos[i], p, {20 + i * 170, 360, 160, 24});
            combos[i].SetZUComboType(i);
        }
        for (const char* f : {"2vuy", "yuy2", "v219"}) combos[0].InsertZUItem(-1, cs(f), 0);
        for (const char* r : {"23.98", "24", "25"}) combos[1].InsertZUItem(-1, cs(r), 0);
        for (const char* k : {"XP_PLAYSTRAIGHT", "XP_PLAYLOOP"})
            combos[2].InsertZUItem(-1, cs(k), 0);
        for (const char* c : {"Left", "Centre", "Right"}) combos[3].InsertZUItem(-1, cs(c), 0);
        add(hot, p, {700, 360, 120, 24}, "Hot text");
        add(list, p, {700, 230, 200, 100});
        for (const char* item : {"clip_0001.mov", "clip_0002.mov", "clip_0003.mov"})
            list.InsertZUItem(-1, cs(item), 0);
        add(numbers[0], p, {20, 300, 120, 24});
        numbers[0].SetZUNumberRange(-100, 100, 0);
        add(numbers[1], p, {150, 300, 140, 24});
        numbers[1].PutZUNumberType(1, 30000, 1001, true);
        numbers[1].SetZUNumberRange(0, 30 * 3600 * 24, 0);
        numbers[1].PutZUNumberPos(17982, 0);
        add(numbers[2], p, {300, 300, 140, 24});
        numbers[2].PutZUNumberType(2, 25000, 1000, false);
        numbers[2].PutZUNumberTC(cs("10:00:00:00"), 0);
        add(sliders[0], p, {20, 250, 300, 20});
        sliders[0].SetZUSliderRange(0, 100, 0);
        sliders[0].PutZUSliderPos(40, 0);
        sliders[0].SetZUSliderSubRange(20, 60, 0);
        add(sliders[1], p, {340, 250, 300, 20});
        sliders[1].SetZUSliderType(1, 0);
        sliders[1].SetZUSliderRange(0, 1000, 0);
        sliders[1].PutZUSliderPos(750, 0);
        add(scroll, p, {20, 200, 620, 32});
        add(fieldLabel, p, {20, 150, 120, 26}, "Clip name");
        fieldLabel.SetWindowZUTextStyle(ZU_FONT_REGULAR10, ZU_TEXT_LEFT, 0);
        add(field, p, {140, 150, 300, 26}, "clip_0001");
        add(digits, p, {460, 150, 180, 26}, "01:00:00:00");
        digits.SetZUTextInputType(true, true, false);

        // The strip: each font with each alignment and underline, at odd and even heights.
        struct Variant {
            const char* text;
            int font, flags;
            ZuRECT r;
        };
        const Variant variants[] = {
            {"Regular 10 \xB1 Caf\xE9", ZU_FONT_REGULAR10, ZU_TEXT_LEFT, {20, 110, 150, 17}},
            {"Regular 12 right", ZU_FONT_REGULAR12, ZU_TEXT_RIGHT, {180, 110, 150, 18}},
            {"Regular 14 centred", ZU_FONT_REGULAR14, 0, {340, 110, 150, 21}},
            {"Bold 10 solid", ZU_FONT_BOLD10, ZU_TEXT_UNDERLINE, {500, 110, 150, 19}},
            {"Bold 12 dotted", ZU_FONT_BOLD12, ZU_TEXT_DOTTED, {660, 110, 150, 22}},
            {"Bold 14 \xC5\xD8", ZU_FONT_BOLD14, ZU_TEXT_LEFT, {820, 110, 120, 25}},
            {"two lines\nof text", ZU_FONT_REGULAR12, 0, {20, 70, 150, 33}},
            {"an overflowing caption clipped to its box",
             ZU_FONT_BOLD12,
             ZU_TEXT_LEFT,
             {180, 70, 150, 23}},
            {"tab\there, nul-free \x81 code", ZU_FONT_REGULAR14, ZU_TEXT_LEFT, {340, 70, 200, 31}},
        };
        for (const Variant& v : variants) {
            strip.push_back(std::make_unique<ZUStatic>());
            add(*strip.back(), p, v.r, v.text);
            strip.back()->SetWindowZUTextStyle(v.font, v.flags, 0);
        }
        add(editing, p, {560, 70, 180, 27}, "caret here");
        editing.editing = true;
        editing.caret = 5;
    }
};

class PageTest : public DrawSuite<kW, kH> {};

TEST_F(PageTest, ControlsPageMatchesTheReferenceImage) {
    Page page;  // its children go before its root: members die in reverse order
    page.build();
    // The second pass draws the lines seen in the first from their images.
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(testing::Message() << "pass " << pass);
        expectReferenceImage(drawn([&] { zu::detail::renderWalk(page.root.GetZUWndHandle()); }),
                             kReference);
    }
}

}  // namespace
