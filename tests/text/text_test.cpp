// Font sets and text drawing against a real GL context (Xvfb, Mesa): the atlas texels read
// back, the scissor and colour a call leaves, framed quads against their lines, line images
// against the drawing they replace, sets in other contexts. Where text goes is the pages'
// reference images: the states page (widgets_shown_test.cpp), and here a whole widget page
// laid out as the demo's Controls page plus a strip of text variants (every font, both
// underlines, carets, several lines, overflow, odd heights that put the baseline on half
// pixels), compared texel for texel with an image recorded from the per-glyph drawing that
// the atlas replaced; twice, the second time with the lines drawn from their images.
// ZUGUI_RECORD_REFERENCES=1 writes the images instead of comparing (to re-record them).
#include <gtest/gtest.h>
// GL and X headers after gtest: X defines None.
#include <GL/gl.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gui/gui_state.h"
#include "support/gui_fixture.h"
#include "text/draw_stream.h"
#include "text/font_files.h"
#include "text/line_cache.h"
#include "text/text.h"
#include "zugui/gui.h"

using namespace zu::test;
using zu::detail::GlyphFont;
using zu::detail::gui;
namespace ws = zu::ws;

namespace {

constexpr int kW = 440, kH = 240;

// Whether any pixel is lit in red.
bool anyInk(const Capture& c) {
    for (size_t i = 0; i < c.rgba.size(); i += 4)
        if (c.rgba[i] > 40) return true;
    return false;
}

// The rasterised glyph data of a font id, an oracle independent of the GL side.
const zu::detail::RasterFont& rasterOf(int id) {
    static constexpr bool kBold[6] = {false, false, false, true, true, true};
    static constexpr int kSize[6] = {10, 12, 14, 10, 12, 14};
    return zu::detail::rasterFont(kBold[id], kSize[id]);
}

ZuFCOLOR white{1, 1, 1, 1};

class TextTest : public DrawSuite<kW, kH> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(ws::makeCurrent(gui().mainSurface));
        glDisable(GL_SCISSOR_TEST);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override { ws::makeCurrent(nullptr); }
    static void print(const char* text, ZuRECT r, int font, int flags) {
        ZUPrintEditText(cs(text), &r, &white, font, flags, -1, nullptr);
    }
};

TEST_F(TextTest, AtlasHoldsEachGlyphWithTheTexelsItsOwnTextureHadAroundIt) {
    const std::pair<int, unsigned char> cases[] = {{2, 'W'},  {3, 'g'}, {1, '.'},
                                                   {4, 0xE9}, {5, ' '}, {0, 0}};
    for (auto [font, code] : cases) {
        SCOPED_TRACE(testing::Message() << "font " << font << " code " << int(code));
        const GlyphFont* f = zu::detail::fontForId(font);
        ASSERT_NE(f->texture, 0u);
        const zu::detail::FontAtlas& a = *f->atlas;
        const auto& g = rasterOf(font).glyphs[code];
        ASSERT_TRUE(g.valid);
        EXPECT_EQ(a.advances[code], float(g.advance));
        glBindTexture(GL_TEXTURE_2D, f->texture);
        GLint tw = 0, th = 0, filter = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
        EXPECT_EQ(filter, GL_NEAREST);
        ASSERT_EQ(tw, a.width);
        ASSERT_TRUE(th == a.height || th >= 2 * a.height + 192) << th;
        EXPECT_EQ(tw & (tw - 1), 0);
        EXPECT_EQ(th & (th - 1), 0);
        std::vector<uint8_t> texels(4 * static_cast<size_t>(tw) * th);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        // Once grown for the line images, the atlas's rows first and again last.
        const int rows = a.height;
        auto glyphRow = [&](int y) {
            return y < rows ? y : y >= th - rows ? y - (th - rows) : rows;
        };
        // White, but for the eight opaque black texels around the one the plain quads of
        // the draw stream sample, for the frames drawn with their plates.
        for (size_t i = 0; i < texels.size(); i += 4) {
            const int x = int(i / 4 % size_t(tw)), y = glyphRow(int(i / 4 / size_t(tw)));
            if (y >= rows) continue;
            const bool frame = x < 3 && y < 3 && !(x == 1 && y == 1);
            ASSERT_EQ(texels[i], frame ? 0 : 255) << i;
            if (frame) {
                ASSERT_EQ(texels[i + 3], 255) << i;
            }
        }
        EXPECT_EQ(std::tuple(size_t(a.whiteS * tw), size_t(a.whiteT * rows),
                             texels[4 * (size_t(tw) + 1) + 3]),
                  std::tuple(size_t(1), size_t(1), uint8_t(255)));
        EXPECT_EQ(a.drawn[code], g.width > 0);  // the space has no quad
        if (g.width == 0) continue;
        // The quad at the glyph's bitmap; its texture the glyph's own power-of-two one,
        // coverage in its first rows and columns, repeated down the band and framed by the
        // columns its repeat wrap put beside it; all in the first band (t0 = 0), so that t
        // scales by a power of two alone.
        const zu::detail::GlyphQuad& q = a.quads[code];
        EXPECT_EQ(
            std::tuple(q.x0, q.x1, q.y0, q.y1, (q.s1 - q.s0) * tw, (q.t1 - q.t0) * rows, q.t0),
            std::tuple(float(g.left), float(g.left + g.width), float(g.top - g.rows), float(g.top),
                       float(g.width), float(g.rows), 0.0f));
        int W = 2, H = 2;
        while (W < g.width) W <<= 1;
        while (H < g.rows) H <<= 1;
        const int cx = int(q.s0 * tw), cy = int(q.t0 * rows);
        auto alpha = [&](int i, int j) {
            return texels[4 * (static_cast<size_t>(cy + j) * tw + (cx + i)) + 3];
        };
        auto alphaAbove = [&](int i) {  // where the repeat wrap takes the row above the glyph
            return texels[4 * (static_cast<size_t>(th - 1) * tw + (cx + i)) + 3];
        };
        auto expected = [&](int i, int j) -> int {
            i = (i + W) % W, j = (j + H) % H;
            return i < g.width && j < g.rows ? g.coverage[size_t(j) * g.width + i] : 0;
        };
        int wrong = 0;
        EXPECT_EQ(rows % H, 0);
        for (int i = -1; i <= g.width; ++i) {
            for (int j = 0; j < rows; ++j) wrong += alpha(i, j) != expected(i, j);
            wrong += alphaAbove(i) != expected(i, -1);
        }
        EXPECT_EQ(wrong, 0);
    }
    // Other set numbers are ignored.
    const uint32_t texture = zu::detail::fontForId(0)->texture;
    EXPECT_EQ(std::pair(ZUBuildFonts(3), ZUKillFonts(-1)), std::pair(0, 0));
    EXPECT_EQ(std::tuple(zu::detail::fontForId(0)->texture, bool(glIsTexture(texture))),
              std::tuple(texture, true));
}

TEST_F(TextTest, ScissorStateAfterTheCallInOwnAndEmbeddedMode) {
    // The scissor test on or off before the call, and the viewport's offset.
    for (auto [enabledBefore, offset] : {std::pair{false, 0}, {true, 0}, {false, 40}, {true, 25}}) {
        SCOPED_TRACE(testing::Message() << enabledBefore << " " << offset);
        zu::detail::setViewport(0, offset, kW, kH - offset);  // as the render pass does
        if (enabledBefore) glEnable(GL_SCISSOR_TEST);
        glScissor(1, 2, 3, 4);
        ZuFCOLOR blue{0.f, 0.f, 1.f, 1.f};
        ZuRECT r{30, 40, 100, 20};
        EXPECT_EQ(ZUPrintText(cs("x"), &r, &blue, 0, 0, nullptr), 0);
        EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), enabledBefore ? GL_TRUE : GL_FALSE);
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        // The box is replaced, not restored or intersected.
        EXPECT_EQ(std::vector<GLint>(box, box + 4), (std::vector<GLint>{31, 40 + offset, 99, 20}));
        GLfloat colour[4];
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), (std::vector<GLfloat>{0, 0, 1, 1}));
        glDisable(GL_SCISSOR_TEST);
    }
    zu::detail::setViewport(0, 0, kW, kH);
}

// A framed quad, pixel for pixel the quad with its one-pixel lines drawn over it, and one
// quad (with the pixels the lines' ends put beyond it) only where that is exact.
TEST_F(TextTest, FramedQuadIsTheQuadWithItsLinesOver) {
    namespace zd = zu::detail;
    struct Case {
        float x0, y0, x1, y1;
        int bands[4];  // left, right, bottom, top
        float alpha;
        bool oneQuad;
    };
    const Case cases[] = {
        {10, 10, 71, 28, {2, 1, 1, 0}, 1, true},               // a button
        {4, 60, 436, 236, {1, 1, 1, 1}, 1, true},              // wide and tall
        {100, 10, 103, 13, {1, 1, 1, 1}, 1, true},             // one pixel inside
        {100, 20, 105, 24, {2, 2, 1, 1}, 1, false},            // bands deeper than the inside
        {110, 20, 120, 21, {0, 0, 1, 0}, 1, false},            // a row of frame alone
        {120, 10, 150, 30, {1, 1, 1, 0}, 0.5f, false},         // translucent
        {160.5f, 10.25f, 190.5f, 30, {1, 1, 1, 0}, 1, false},  // off whole pixels
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "quad at " << k.x0 << ", " << k.y0);
        const float bottom[4] = {0.1f, 0.2f, 0.3f, k.alpha}, top[4] = {0.6f, 0.7f, 0.9f, k.alpha};
        auto draw = [&](bool framed, int& corners) {
            glClearColor(0.3f, 0.5f, 0.2f, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            {
                zd::DeferDrawing batch;
                zd::streamColour(0, 0, 0, 1);
                if (framed) {
                    zd::streamFramedQuad(k.x0, k.y0, k.x1, k.y1, bottom, top, k.bands);
                } else {
                    zd::streamQuad(k.x0, k.y0, k.x1, k.y1, bottom, top);
                    for (int i = 0; i < k.bands[0]; ++i) zd::streamVLine(k.x0 + i, k.y0, k.y1);
                    for (int i = 0; i < k.bands[1]; ++i) zd::streamVLine(k.x1 - 1 - i, k.y0, k.y1);
                    for (int i = 0; i < k.bands[2]; ++i) zd::streamHLine(k.x0, k.x1, k.y0 + i);
                    for (int i = 0; i < k.bands[3]; ++i) zd::streamHLine(k.x0, k.x1, k.y1 - 1 - i);
                }
                corners = zd::streamWaiting();
            }
            return capture(0, 0, kW, kH);
        };
        int corners = 0, lineCorners = 0;
        const Capture framed = draw(true, corners), lined = draw(false, lineCorners);
        EXPECT_EQ(corners < lineCorners, k.oneQuad) << corners << " corners, not " << lineCorners;
        EXPECT_LE(corners, lineCorners);
        EXPECT_TRUE(framed.rgba == lined.rgba);
    }
    glClearColor(0, 0, 0, 1);
}

// Lines drawn again from their images: the pixels the glyph quads give, wherever the image
// is used (whole-pixel baselines, two glyphs or more) and wherever it is not.
TEST_F(TextTest, LineImagesDrawTheGlyphQuadsPixels) {
    struct Case {
        const char* text;
        int font;
        ZuRECT rect;
        int flags;
        bool image;
    };
    const Case cases[] = {
        {"Static text no. 0042", 0, {10, 200, 200, 12}, ZU_TEXT_LEFT, true},
        {"WAVE ffi jjj Tj yy fl //", 5, {10, 170, 300, 20}, 0, true},  // centred,
        {"two\nlines here", 2, {10, 120, 200, 40}, ZU_TEXT_LEFT, true},
        {"a line far too long for its box", 1, {10, 90, 60, 12}, ZU_TEXT_LEFT, true},
        {"Gr\xfc\xdf"
         "e \xe9t\xe9 \xc5ngstr\xf6m",
         3,
         {220, 60, 200, 14},
         ZU_TEXT_RIGHT,
         true},
        {"half-pixel baseline", 0, {10, 60, 200, 13}, ZU_TEXT_LEFT, false},
        {"W", 4, {10, 30, 40, 16}, ZU_TEXT_LEFT, false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        auto draw = [&](bool images, bool& used) {
            zu::detail::useLineImages(images);
            glClear(GL_COLOR_BUFFER_BIT);
            {
                zu::detail::DeferDrawing batch;
                print(k.text, k.rect, k.font, k.flags);
                used = zu::detail::streamHasLineImages();
            }
            glDisable(GL_SCISSOR_TEST);  // the text leaves its box set
            return capture(0, 0, kW, kH);
        };
        bool used = false, glyphsOnly = true;
        draw(true, used);  // a line seen once is only noted
        const Capture imaged = draw(true, used), glyphs = draw(false, glyphsOnly);
        EXPECT_EQ(std::pair(used, glyphsOnly), std::pair(k.image, false));
        EXPECT_TRUE(anyInk(glyphs));
        EXPECT_TRUE(imaged.rgba == glyphs.rgba);
    }
    zu::detail::useLineImages(true);
}

// The rows full: lines no longer drawn give way to new ones, but lines still drawn stay
// while more are drawn than fit (those go glyph by glyph).
TEST_F(TextTest, LineImagesMakeRoomOnlyForLinesNoLongerDrawn) {
    GlyphFont* f = zu::detail::fontForId(0);
    zu::detail::forgetLineImages(f->context);
    char line[32];
    auto image = [&](const char* prefix, int i) {
        snprintf(line, sizeof line, "%s %05d", prefix, i);
        zu::detail::LineImage m;
        return zu::detail::lineImage(f, line, int(strlen(line)), m);
    };
    // A line seen once is only noted; seen again, it has its image.
    auto twice = [&](const char* prefix, int i) {
        const bool first = image(prefix, i);
        return image(prefix, i) && !first;
    };
    int fitted = 0;
    while (twice("old line", fitted)) ++fitted;
    ASSERT_GT(fitted, 500);
    // Drawn again and again beside lines that do not fit: they stay, the others wait.
    for (int round = 0; round < 6; ++round)
        for (int i = 0; i < fitted; ++i) {
            ASSERT_TRUE(image("old line", i)) << i;
            if (i % 2 == 0) {
                ASSERT_FALSE(twice("extra", i)) << i;
            }
        }
    // Only new lines drawn: after a few rounds of them the old ones give way.
    int refused = 0;
    for (int i = 0; i < 8 * fitted && !twice("new line", i); ++i) ++refused;
    EXPECT_GT(refused, fitted / 2);
    EXPECT_LT(refused, 8 * fitted);
    // The cache stays: forgetting it would leave the texture grown for images it no longer
    // knows, which is right only when the texture goes too.
}

TEST_F(TextTest, SetsBuiltInOtherContextsDrawTheSamePixels) {
    auto drawSample = [] {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        for (int id = 0; id < 6; ++id)
            print("Sample 09 \xE9", {10, 10 + id * 30, 200, 28}, id, ZU_TEXT_LEFT);
        return capture(0, 0, 220, 200);
    };
    const Capture reference = drawSample();
    for (int set = 1; set <= 2; ++set) {
        SCOPED_TRACE(set);
        ws::Surface* rc = ws::createSurface(ZUGetHWND());
        ASSERT_NE(rc, nullptr);
        ASSERT_TRUE(ws::makeCurrent(rc));
        zu::detail::standardGlSetup(kW, kH);
        ZUBuildFonts(set);
        // A texture of its own, the atlas shared, and the ids still naming the main set.
        const GlyphFont* own = zu::detail::fontOfSet(set, 0);
        EXPECT_NE(own->texture, 0u);
        EXPECT_EQ(std::tuple(own->atlas, zu::detail::fontForId(0)),
                  std::tuple(zu::detail::fontOfSet(0, 0)->atlas, zu::detail::fontOfSet(set, 5)));
        const Capture other = drawSample();
        EXPECT_TRUE(other.rgba == reference.rgba);
        ZUKillFonts(set);
        EXPECT_EQ(zu::detail::fontOfSet(set, 0)->texture, 0u);
        // Without a set of its own a context draws no glyphs, rather than quads textured
        // by names that belong to another context.
        EXPECT_FALSE(anyInk(drawSample()));
        ws::makeCurrent(nullptr);
        ws::destroySurface(rc);
    }
}

constexpr int kPageW = 960, kPageH = 640;
const char* const kReference = ZUGUI_SOURCE_DIR "/tests/text/data/controls_page.png";

class Backdrop : public ZUWindow {
  public:
    ZuErr RenderZUWindow(void) override {
        if (!node) return 0;
        glColor4f(0.07f, 0.08f, 0.1f, 1);
        glRectf(0, 0, kPageW, kPageH);
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
        ZuRECT all{0, 0, kPageW, kPageH};
        ASSERT_EQ(root.CreateZUWindow(cs("page"), 0, 1, 0, &all, nullptr), 0);
        add(caption, &root, {12, kPageH - 32, 300, 32}, "zugui demo - video monitor");
        caption.SetWindowZUTextStyle(ZU_FONT_BOLD12, ZU_TEXT_LEFT, 0);
        const int pictureTypes[3] = {ZU_PICT_MINIMIZE, ZU_PICT_MAXIMIZE, ZU_PICT_CLOSE};
        for (int i = 0; i < 3; ++i) {
            add(windowButtons[i], &root, {kPageW - 96 + i * 32, kPageH - 32, 32, 32});
            windowButtons[i].ButtonZUPictureType(pictureTypes[i]);
        }
        const char* names[3] = {"Controls", "Video", "Colour"};
        for (int i = 0; i < 3; ++i) {
            add(tabs[i], &root, {12 + i * 136, kPageH - 72, 130, 32}, names[i]);
            tabs[i].SetZUTabCheck(i == 0);
        }
        add(status, &root, {12, 2, kPageW - 24, 20}, "Ready");
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

class PageTest : public DrawSuite<kPageW, kPageH> {};

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
