// Font sets and text drawing against a real GL context (Xvfb, Mesa): the atlas texels read
// back, the scissor and colour a call leaves, framed quads against their lines, line images
// against the drawing they replace, sets in other contexts. Where text goes is the pages'
// reference images (page_test.cpp, widgets_look_test.cpp).
#include <gtest/gtest.h>
// GL and X headers after gtest: X defines None.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstring>

#include "gui/gui_state.h"
#include "support/draw_suite.h"
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
    struct Case {
        int font;
        unsigned char code;
    };
    const Case cases[] = {{2, 'W'}, {3, 'g'}, {1, '.'}, {4, 0xE9}, {5, ' '}, {0, 0}};
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "font " << k.font << " code " << int(k.code));
        const GlyphFont* f = zu::detail::fontForId(k.font);
        ASSERT_NE(f->texture, 0u);
        const zu::detail::FontAtlas& a = *f->atlas;
        const auto& g = rasterOf(k.font).glyphs[k.code];
        ASSERT_TRUE(g.valid);
        EXPECT_EQ(a.advances[k.code], float(g.advance));
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
        EXPECT_EQ(a.drawn[k.code], g.width > 0);  // the space has no quad
        if (g.width == 0) continue;
        // The quad at the glyph's bitmap; its texture the glyph's own power-of-two one,
        // coverage in its first rows and columns, repeated down the band and framed by the
        // columns its repeat wrap put beside it; all in the first band (t0 = 0), so that t
        // scales by a power of two alone.
        const zu::detail::GlyphQuad& q = a.quads[k.code];
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
    struct Case {
        bool enabledBefore;
        int offset;
    };
    for (const Case k : {Case{false, 0}, Case{true, 0}, Case{false, 40}, Case{true, 25}}) {
        SCOPED_TRACE(testing::Message() << k.enabledBefore << " " << k.offset);
        zu::detail::setViewport(0, k.offset, kW, kH - k.offset);  // as the render pass does
        if (k.enabledBefore) glEnable(GL_SCISSOR_TEST);
        glScissor(1, 2, 3, 4);
        ZuFCOLOR blue{0.f, 0.f, 1.f, 1.f};
        ZuRECT r{30, 40, 100, 20};
        EXPECT_EQ(ZUPrintText(cs("x"), &r, &blue, 0, 0, nullptr), 0);
        EXPECT_EQ(glIsEnabled(GL_SCISSOR_TEST), k.enabledBefore ? GL_TRUE : GL_FALSE);
        GLint box[4];
        glGetIntegerv(GL_SCISSOR_BOX, box);
        // The box is replaced, not restored or intersected.
        EXPECT_EQ(std::vector<GLint>(box, box + 4),
                  (std::vector<GLint>{31, 40 + k.offset, 99, 20}));
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
        int differ = 0;
        for (size_t i = 0; i < framed.rgba.size(); ++i) differ += framed.rgba[i] != lined.rgba[i];
        EXPECT_EQ(differ, 0);
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
        int differ = 0;
        for (size_t i = 0; i < imaged.rgba.size(); ++i) differ += imaged.rgba[i] != glyphs.rgba[i];
        EXPECT_EQ(differ, 0);
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

}  // namespace
