// The texture path for every format: frames uploaded as they are in memory (rows read in
// place through the unpack row length), bit-packed words unpacked by a first shader pass
// into an RGBA8 picture, planes sampled side by side, and the picture drawn filtered into
// the window by the present shader, which also applies the colour matrix and the look-up
// texture.
#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "video/convert/convert.h"
#include "video/convert/planar.h"
#include "video/video_internal.h"
#include "zugui/platform.h"

namespace zu::detail {
namespace {

// Texture units: the picture and its planes, the look-up table, the words to decode.
constexpr int kUnitPlane[3] = {1, 3, 4};
constexpr int kUnitLut = 2;
constexpr int kUnitWords = 5;

// Decode modes of decode.frag.glsl.
enum : int {
    kDecodeUyvy = 1,    // 8-bit 4:2:2, U Y0 V Y1
    kDecodeYuyv = 2,    // 8-bit 4:2:2, Y0 U Y1 V
    kDecodeV210 = 3,    // 10-bit 4:2:2, six pixels in four words
    kDecodeHighLE = 4,  // 10-bit fields at 22, 12, 2
    kDecodeHighBE = 5,  // the same word big-endian
    kDecodeLow = 6,     // 10-bit fields at 0, 10, 20
};

enum class Kind : uint8_t { None, Raw, Words, Planar };

// How one format reaches the texture.
struct Recipe {
    Kind kind = Kind::None;
    // Raw: the texel as GL unpacks it.
    GLenum format = 0, type = 0, internal = 0;
    int texelBytes = 0;
    bool swapBytes = false;
    int mode = 0;  // Words
    // Raw: whether and how the CPU can halve the texels (software renderers).
    bool halvable = false;
    HalveLayout halve = HalveLayout::Bytes4;
    // The value the shaders see: which of its components hold R, G, B (or Y, U, V), and
    // the factor from a value to the format's code units.
    int slot[3] = {0, 1, 2};
    double scale = 1.0;
};

// Texel component that holds memory element e of a 4-element 8-bit pixel uploaded as
// GL_BGRA (the layout Mesa stores without a swizzle).
constexpr int kBgraComponent[4] = {2, 1, 0, 3};

// software: for a software renderer, which reads 10-bit RGB words through a packed texel
// type at memory speed but would run the decode pass's arithmetic for every pixel.
Recipe recipeFor(const FormatInfo& f, bool software) {
    Recipe r;
    switch (f.family) {
        case Family::Rgb8:
        case Family::Rgb16:
        case Family::RgbFloat:
        case Family::Yuv444x8:
        case Family::YuvFloat: {
            const bool bytes = f.family == Family::Rgb8 || f.family == Family::Yuv444x8;
            const bool floats = f.family == Family::RgbFloat || f.family == Family::YuvFloat;
            const int elementBytes = bytes ? 1 : floats ? 4 : 2;
            const int elements = f.bytesPerPixel / elementBytes;
            if (elements != 3 && elements != 4) return r;
            r.kind = Kind::Raw;
            r.texelBytes = f.bytesPerPixel;
            r.type = bytes ? GL_UNSIGNED_BYTE : floats ? GL_FLOAT : GL_UNSIGNED_SHORT;
            const bool bgra = bytes && elements == 4;
            r.format = bgra ? GL_BGRA : elements == 4 ? GL_RGBA : GL_RGB;
            // Unsized: Mesa then keeps BGRA bytes as they are, where GL_RGBA8 would have
            // them swizzled texel by texel on the CPU (four times the upload's cost).
            if (bytes)
                r.internal = elements == 4 ? GL_RGBA : GL_RGB8;
            else if (floats)
                r.internal = elements == 4 ? GL_RGBA32F : GL_RGB32F;
            else
                r.internal = elements == 4 ? GL_RGBA16 : GL_RGB16;
            for (int i = 0; i < 3; ++i) r.slot[i] = bgra ? kBgraComponent[f.slot[i]] : f.slot[i];
            r.scale = bytes ? 255.0 : floats ? 1.0 : 65535.0;
            r.halvable = !floats && (bytes ? elements == 4 : true);
            r.halve = bytes           ? HalveLayout::Bytes4
                      : elements == 4 ? HalveLayout::Shorts4
                                      : HalveLayout::Shorts3;
            return r;
        }
        case Family::Yuv422x8:
            r.kind = Kind::Words;
            r.mode = f.slot[0] == 0 ? kDecodeUyvy : kDecodeYuyv;
            return r;
        case Family::Yuv422x10:
            r.kind = Kind::Words;
            r.mode = kDecodeV210;
            return r;
        case Family::Rgb10:
            if (software && f.packing != Packing::LowAlphaLE) {
                // Unsized: Mesa keeps the words as they are (a sized RGB10_A2 would have
                // them repacked field by field on the CPU).
                const bool low = f.packing == Packing::LowLE;
                r.kind = Kind::Raw;
                r.texelBytes = 4;
                r.format = GL_RGBA, r.internal = GL_RGBA;
                r.type = low ? GL_UNSIGNED_INT_2_10_10_10_REV : GL_UNSIGNED_INT_10_10_10_2;
                r.swapBytes = f.packing == Packing::HighBE;
                r.scale = 1023.0;
                r.halvable = true;
                r.halve = low           ? HalveLayout::Low10
                          : r.swapBytes ? HalveLayout::High10BigEndian
                                        : HalveLayout::High10;
                return r;
            }
            r.kind = Kind::Words;
            r.mode = f.packing == Packing::HighLE   ? kDecodeHighLE
                     : f.packing == Packing::HighBE ? kDecodeHighBE
                                                    : kDecodeLow;
            return r;
        case Family::Yuv444x10:
            r.kind = Kind::Words;
            r.mode = kDecodeLow;
            return r;
        default:
            return r;
    }
}

Recipe recipeFor(unsigned code, const FormatInfo** info, const PlanarInfo** planar, bool software) {
    *info = nullptr, *planar = nullptr;
    if (const PlanarInfo* p = planarInfo(code)) {
        *planar = p;
        Recipe r;
        r.kind = Kind::Planar;
        r.scale = p->sampleBytes == 1 ? 255.0 : 65535.0;
        r.slot[1] = p->swapChroma ? 2 : 1;
        r.slot[2] = p->swapChroma ? 1 : 2;
        return r;
    }
    // Drawn-only 4:2:2 codes read as "2vuy"; drawn-only 16-bit RGB as the plain ones,
    // with the bytes swapped while unpacking.
    unsigned as = code, swap = 0;
    if (code == ZU_PF_mjbq || code == ZU_PF_mjaq) as = ZU_PF_2vuy;
    if (code == ZU_PF_RGb_) as = ZU_PF_RGB_, swap = 1;
    if (code == ZU_PF_RGbA) as = ZU_PF_RGBA, swap = 1;
    const FormatInfo* f = formatInfo(as);
    if (!f) return {};
    *info = f;
    Recipe r = recipeFor(*f, software);
    if (swap) r.swapBytes = true, r.halvable = false;  // halving reads words in host order
    return r;
}

// Column-major 4 x 4 matrix and bias: RGB (0-1) = mix * value + bias, alpha 1.
struct Mix {
    float m[16] = {};
    float bias[4] = {0, 0, 0, 1};
    void set(int row, int col, double v) { m[col * 4 + row] = float(v); }
};

Mix identityMix() {
    Mix x;
    for (int i = 0; i < 4; ++i) x.set(i, i, 1.0);
    x.bias[3] = 0;
    return x;
}

// The mix leaves R, G and B as they are (alpha is written as 1 either way).
bool isIdentity(const Mix& x) {
    const Mix id = identityMix();
    for (int row = 0; row < 3; ++row) {
        if (std::abs(x.bias[row]) > 1e-6f) return false;
        for (int col = 0; col < 4; ++col)
            if (std::abs(x.m[col * 4 + row] - id.m[col * 4 + row]) > 1e-6f) return false;
    }
    return true;
}

// RGB value components in code units lo..hi to 0-1.
Mix rgbMix(const Recipe& r, double lo, double hi) {
    Mix x;
    for (int i = 0; i < 3; ++i) {
        x.set(i, r.slot[i], r.scale / (hi - lo));
        x.bias[i] = float(-lo / (hi - lo));
    }
    return x;
}

// YUV value components: yuv8 = value * scale * a + b, then the colour matrix.
Mix yuvMix(const Recipe& r, const ColourSpec& c, const double a[3], const double b[3]) {
    const YuvToRgb t = yuvToRgb(c);
    Mix x;
    for (int i = 0; i < 3; ++i) {
        double bias = 0;
        for (int j = 0; j < 3; ++j) {
            x.set(i, r.slot[j], t.m[i][j] * r.scale * a[j] / 255.0);
            bias += t.m[i][j] * (b[j] - t.off[j]) / 255.0;
        }
        x.bias[i] = float(bias);
    }
    return x;
}

Mix mixFor(const Recipe& r, const FormatInfo* f, const PlanarInfo* p, ColourSpec c) {
    if (p) {
        // 16-bit samples: codes of 16 bits (the 10-bit ones of P010 sit in the high
        // bits), except I010, whose 10 bits are the low ones.
        const double a[3] = {p->codeTo8, p->codeTo8, p->codeTo8}, b[3] = {0, 0, 0};
        return yuvMix(r, c, a, b);
    }
    if (isRgb(*f)) return rgbMix(r, f->lo, f->hi);
    if (f->family == Family::YuvFloat) {
        // Luma 0-1 over 16-235, chroma -0.5-0.5 over 16-240.
        c.full = false;
        const double a[3] = {219, 224, 224}, b[3] = {16, 128, 128};
        return yuvMix(r, c, a, b);
    }
    const double k = f->maxValue == 1023 ? 0.25 : 1.0;
    const double a[3] = {k, k, k}, b[3] = {0, 0, 0};
    return yuvMix(r, c, a, b);
}

// The source with the defines placed after its #version line.
std::string withDefines(const char* source, const std::string& defines) {
    std::string s = source;
    const size_t at = s.find("#version");
    const size_t eol = at == std::string::npos ? 0 : s.find('\n', at) + 1;
    return s.insert(eol, defines);
}

GLuint compileProgram(const char* vertex, const std::string& fragmentText) {
    const char* fragment = fragmentText.c_str();
    const GLuint program = glCreateProgram();
    if (!program) return 0;
    for (auto [stage, source] :
         {std::pair{GL_VERTEX_SHADER, vertex}, std::pair{GL_FRAGMENT_SHADER, fragment}}) {
        const GLuint shader = glCreateShader(stage);
        glShaderSource(shader, 1, &source, nullptr);
        glCompileShader(shader);
        shaderCompiled(shader, "frame");
        glAttachShader(program, shader);
        glDeleteShader(shader);  // flagged: goes with the program
    }
    glLinkProgram(program);
    if (!programLinked(program, "frame")) {
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void uniform1i(GLuint program, const char* name, int v) {
    const GLint at = glGetUniformLocation(program, name);
    if (at >= 0) glUniform1i(at, v);
}

void setMix(GLuint program, const Mix& x) {
    glUniformMatrix4fv(glGetUniformLocation(program, "Mix"), 1, GL_FALSE, x.m);
    glUniform4fv(glGetUniformLocation(program, "Bias"), 1, x.bias);
}

// Unpack alignment and row length that read rows of texels * texelBytes bytes rowBytes
// apart in place; false when no setting does.
struct Unpack {
    int alignment = 4, rowLength = 0;
};
bool unpackFor(int64_t texels, int texelBytes, int64_t rowBytes, Unpack& u) {
    const int64_t row = texels * texelBytes;
    if (texels <= 0 || rowBytes < row) return false;
    if (rowBytes % texelBytes == 0 && rowBytes / texelBytes <= 1 << 20) {
        u = {1, int(rowBytes / texelBytes)};
        return true;
    }
    for (int a : {8, 4, 2})
        if ((row + a - 1) / a * a == rowBytes) {
            u = {a, 0};
            return true;
        }
    return false;
}
}  // namespace

bool setUnpackRows(int64_t texels, int texelBytes, int64_t rowBytes) {
    Unpack u;
    if (!unpackFor(texels, texelBytes, rowBytes, u)) return false;
    glPixelStorei(GL_UNPACK_ALIGNMENT, u.alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, u.rowLength);
    return true;
}

namespace {

void setUnpack(const Unpack& u) {
    glPixelStorei(GL_UNPACK_ALIGNMENT, u.alignment);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, u.rowLength);
}

void restoreUnpack() {
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
}

struct Texture {
    GLuint id = 0;
    int w = 0, h = 0;
    GLenum internal = 0;
    // Makes the texture w x h of internal on unit, reallocating only when those change.
    void ensure(int unit, int w_, int h_, GLenum internal_, GLenum format, GLenum type,
                GLint filter) {
        glActiveTexture(GL_TEXTURE0 + unit);
        if (!id) glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        if (w != w_ || h != h_ || internal != internal_) {
            glTexImage2D(GL_TEXTURE_2D, 0, GLint(internal_), w_, h_, 0, format, type, nullptr);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
            w = w_, h = h_, internal = internal_;
        }
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
    void release() {
        if (id) glDeleteTextures(1, &id);
        *this = {};
    }
};

}  // namespace

struct GpuDisplay {
    // Programs built on first use: present by mix (0: none, 1: applied) and plane count
    // (1-3), decode by mode (1-6).
    // present[1][1] is built at start and tells whether the frame shaders run at all.
    GLuint present[2][4] = {}, decode[7] = {};
    bool software = false;  // frames needing conversion go through the CPU first
    GLuint lut = 0;
    Texture planes[3];
    Texture words;
    Texture picture;  // the decode pass's output
    GLuint framebuffer = 0;
    bool framebufferChecked = false, framebufferOk = false;
    int drawableAlpha = -1;  // alpha bits of the window's buffer (-1 before asked)
    void* scratch[2] = {};
    int64_t scratchBytes[2] = {};
    std::vector<uint8_t> halves;         // the picture halved on the CPU
    int drawableW = -1, drawableH = -1;  // the window size the last frame was drawn at
};

bool frameShadersAvailable() {
    VideoCaps& c = videoCaps();
    if (c.hasFrameShaders < 0) {
        const char* glsl = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
        int major = 0, minor = 0;
        const bool glsl130 =
            glsl && std::sscanf(glsl, "%d.%d", &major, &minor) == 2 && major * 100 + minor >= 130;
        c.hasFrameShaders = glsl130 && GLEW_VERSION_3_0 && glCreateProgram && glGenFramebuffers &&
                                    glUniformMatrix4fv && glActiveTexture
                                ? 1
                                : 0;
    }
    if (c.softwareRenderer < 0) {
        const char* r = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        const std::string name = r ? r : "";
        c.softwareRenderer = 0;
        for (const char* cpu : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
            if (name.find(cpu) != std::string::npos) c.softwareRenderer = 1;
    }
    return c.hasFrameShaders == 1;
}

bool gpuTakesFormat(unsigned format) {
    const FormatInfo* f;
    const PlanarInfo* p;
    return recipeFor(format, &f, &p, false).kind != Kind::None;
}

namespace {

GLuint presentProgram(GpuDisplay& g, int planes, bool mix) {
    GLuint& slot = g.present[mix ? 1 : 0][planes];
    if (slot) return slot;
    const std::string defines = "#define PLANES " + std::to_string(planes) + "\n#define LUT " +
                                (g.lut ? "1" : "0") + "\n#define MIX " + (mix ? "1" : "0") + "\n";
    const GLuint p =
        compileProgram(kFrameVertexShader, withDefines(kPresentFragmentShader, defines));
    if (!p) return 0;
    glUseProgram(p);
    uniform1i(p, "tex0", kUnitPlane[0]);
    uniform1i(p, "tex1", kUnitPlane[1]);
    uniform1i(p, "tex2", kUnitPlane[2]);
    uniform1i(p, "tex1DLut", kUnitLut);
    return slot = p;
}

GLuint decodeProgram(GpuDisplay& g, int mode) {
    if (g.decode[mode]) return g.decode[mode];
    const GLuint p = compileProgram(
        kFrameVertexShader,
        withDefines(kDecodeFragmentShader, "#define MODE " + std::to_string(mode) + "\n"));
    if (!p) return 0;
    glUseProgram(p);
    uniform1i(p, "words", kUnitWords);
    return g.decode[mode] = p;
}

}  // namespace

GpuDisplay* gpuStart(bool programs, GLuint lutTexture) {
    auto* g = new (std::nothrow) GpuDisplay;
    if (!g || !programs || !frameShadersAvailable()) return g;
    g->lut = lutTexture;
    g->software = videoCaps().softwareRenderer == 1;
    presentProgram(*g, 1, true);
    return g;
}

void gpuStop(GpuDisplay* g) {
    if (!g) return;
    glUseProgram(0);
    for (auto& byPlanes : g->present)
        for (GLuint p : byPlanes)
            if (p) glDeleteProgram(p);
    for (GLuint p : g->decode)
        if (p) glDeleteProgram(p);
    for (Texture& t : g->planes) t.release();
    g->words.release();
    g->picture.release();
    if (g->framebuffer) glDeleteFramebuffers(1, &g->framebuffer);
    for (int i = 0; i < 2; ++i)
        if (g->scratch[i]) ZuFree(g->scratch[i], int(g->scratchBytes[i]));
    delete g;
}

void* gpuScratch(GpuDisplay& g, int64_t bytes, int which) {
    if (bytes <= 0 || bytes > 0x7FFFFFFF || which < 0 || which > 1) return nullptr;
    void*& s = g.scratch[which];
    int64_t& size = g.scratchBytes[which];
    if (size < bytes) {
        if (s) ZuFree(s, int(size));
        s = ZuNew(int(bytes));
        size = s ? bytes : 0;
    }
    return s;
}

bool gpuSoftware(const GpuDisplay& g) {
    return g.software && gpuOn(g);
}

bool newDrawableSize(GpuDisplay& g, int w, int h) {
    if (g.drawableW == w && g.drawableH == h) return false;
    g.drawableW = w, g.drawableH = h;
    return true;
}

bool gpuOn(const GpuDisplay& g) {
    return g.present[1][1] != 0;
}

namespace {

void drawQuad(int topDown) {
    const float y0 = topDown ? 1.f : -1.f, y1 = -y0;
    const float corners[4][4] = {
        {0.f, 0.f, -1.f, y0}, {0.f, 1.f, -1.f, y1}, {1.f, 1.f, 1.f, y1}, {1.f, 0.f, 1.f, y0}};
    glBegin(GL_QUADS);
    for (const auto& c : corners) {
        glMultiTexCoord2f(GL_TEXTURE0, c[0], c[1]);
        glVertex2f(c[2], c[3]);
    }
    glEnd();
}

int wordsPerRow(const FormatInfo& f, int width) {
    if (f.family == Family::Yuv422x8) return width / 2;
    if (f.family == Family::Yuv422x10) return (width + 5) / 6 * 4;
    return width;
}

// The unpack settings of each plane, or false when the frame cannot go this way.
struct Plan {
    Recipe r;
    const FormatInfo* f = nullptr;
    const PlanarInfo* p = nullptr;
    Unpack unpack[3];
    int texels = 0;  // texels per row of plane 0
};
bool plan(const GpuFrame& fr, bool software, Plan& l) {
    l.r = recipeFor(fr.format, &l.f, &l.p, software);
    const Recipe& r = l.r;
    const int w = fr.width;
    if (r.kind == Kind::None || w <= 0 || fr.height <= 0 || !fr.planes[0]) return false;
    if (r.kind == Kind::Raw) {
        l.texels = w;
        return unpackFor(w, r.texelBytes, fr.rowBytes[0], l.unpack[0]);
    }
    if (r.kind == Kind::Words) {
        const int64_t min = minRowBytes(*l.f, w);
        l.texels = wordsPerRow(*l.f, w);
        return min >= 0 && fr.rowBytes[0] >= min && fr.rowBytes[0] % 4 == 0 &&
               unpackFor(l.texels, 4, fr.rowBytes[0], l.unpack[0]);
    }
    const PlanarImage pi{{fr.planes[0], fr.planes[1], fr.planes[2]},
                         {fr.rowBytes[0], fr.rowBytes[1], fr.rowBytes[2]},
                         w,
                         fr.height,
                         fr.format};
    if (checkPlanar(pi)) return false;
    const int sb = l.p->sampleBytes, cw = w / l.p->chromaDivX;
    l.texels = w;
    if (!unpackFor(w, sb, fr.rowBytes[0], l.unpack[0])) return false;
    for (int i = 1; i <= (l.p->interleaved ? 1 : 2); ++i)
        if (!unpackFor(cw, l.p->interleaved ? 2 * sb : sb, fr.rowBytes[i], l.unpack[i]))
            return false;
    return true;
}

}  // namespace

bool gpuPrefers(const GpuDisplay& g, const GpuFrame& f) {
    Plan l;
    if (!plan(f, g.software, l)) return false;
    // Planar frames stay on the GPU even then: the CPU's planar conversion is the slower.
    return !g.software || l.p || isIdentity(mixFor(l.r, l.f, l.p, f.colour));
}

namespace {

// Halves the picture on the CPU while it is at least twice the viewport's size along an
// axis; pixels, w, h and the unpack settings then describe the result.
// With allowTo8 (the shader shows the components as they are), pictures come out as bytes
// B, G, R, 255 (to8 set; the shader writes alpha 1 anyway), which a software renderer copies
// into the window (blitPicture); for 16-bit and 10-bit components the window shows 8 bits,
// and the upload copies bytes where other texel types are converted one by one.
// rowsUp asks for the result's rows from the last upwards, and tells whether it got them.
void halveForViewport(GpuDisplay& g, HalveLayout layout, const void*& pixels, int& w, int& h,
                      int64_t rowBytes, Unpack& unpack, int vpW, int vpH, bool allowTo8, bool& to8,
                      bool& rowsUp) {
    auto halveX = [&] { return vpW > 0 && w >= 2 * vpW; };
    auto halveY = [&] { return vpH > 0 && h >= 2 * vpH; };
    to8 = false;
    const bool wantUp = rowsUp;
    rowsUp = false;
    if (!halveX() && !halveY()) return;
    if (allowTo8 && halveLayoutTo8(layout) != layout) layout = halveLayoutTo8(layout), to8 = true;
    const int bpp = to8 ? 4 : halvePixelBytes(layout);
    // Results alternate between two regions: the first for odd steps, the second (half the
    // first step's size at most) for even ones.
    const int64_t first = int64_t(halveX() ? (w + 1) / 2 : w) * (halveY() ? (h + 1) / 2 : h) * bpp;
    if (int64_t(g.halves.size()) < first + first / 2 + 4) {
        try {
            g.halves.resize(size_t(first + first / 2 + 4));
        } catch (const std::bad_alloc&) {
            return;  // drawn whole and filtered by the rasteriser instead
        }
    }
    for (int step = 0; halveX() || halveY(); ++step) {
        const bool x = halveX(), y = halveY();
        uint8_t* out = g.halves.data() + (step % 2 ? first : 0);
        const int nw = x ? (w + 1) / 2 : w, nh = y ? (h + 1) / 2 : h;
        const int64_t stride = int64_t(nw) * bpp;
        // The last step writes the rows upwards when asked.
        const bool last = !(vpW > 0 && nw >= 2 * vpW) && !(vpH > 0 && nh >= 2 * vpH);
        rowsUp = wantUp && last;
        halveImage(layout, static_cast<const uint8_t*>(pixels), w, h, rowBytes, x, y,
                   rowsUp ? out + (nh - 1) * stride : out, rowsUp ? -stride : stride);
        pixels = out, w = nw, h = nh, rowBytes = int64_t(nw) * bpp;
        if (to8) layout = HalveLayout::Bytes4;
    }
    unpackFor(w, bpp, rowBytes, unpack);
}

// Copies the w x h picture on texture planes[0] into the viewport of the same size: the
// draw a 1:1 nearest quad makes. A software renderer copies rows where the quad would cost
// it several times as much, but only when the rows need no flipping: its window's rows run
// top down, a texture's bottom up, so a picture drawn topDown is the one copied as it is.
// False, with nothing drawn, where the copy would not show the same: a picture whose alpha
// the window would keep.
bool blitPicture(GpuDisplay& g, bool opaque, int w, int h, const GLint viewport[4], int topDown) {
    if (!glBlitFramebuffer) return false;
    if (g.drawableAlpha < 0) {
        GLint bits = 0;
        glGetIntegerv(GL_ALPHA_BITS, &bits);
        g.drawableAlpha = bits;
    }
    if (!opaque && g.drawableAlpha > 0) return false;
    if (!g.framebuffer) glGenFramebuffers(1, &g.framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, g.framebuffer);
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g.planes[0].id,
                           0);
    const bool ok = glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (ok) {
        // Texture row 0 at the bottom, or at the top when topDown.
        const int y0 = viewport[1], y1 = viewport[1] + h;
        glBlitFramebuffer(0, 0, w, h, viewport[0], topDown ? y1 : y0, viewport[0] + w,
                          topDown ? y0 : y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return ok;
}

}  // namespace

bool gpuDraw(GpuDisplay& g, const GpuFrame& fr, int topDown) {
    Plan l;
    if (!gpuOn(g) || !plan(fr, g.software, l)) return false;
    const Recipe& r = l.r;
    const FormatInfo* f = l.f;
    const PlanarInfo* p = l.p;
    const Mix mix = mixFor(r, f, p, fr.colour);
    const bool decoded = r.kind == Kind::Words;
    const bool mixed = !decoded && !isIdentity(mix);
    const GLuint decode = decoded ? decodeProgram(g, r.mode) : 0;
    if (decoded && !decode) return false;
    int w = fr.width, h = fr.height;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const void* pixels = fr.planes[0];
    bool to8 = false;
    // Rows halved on the CPU are written in the window's order (see blitPicture).
    bool rowsUp = !topDown;
    if (g.software && !fr.nearest && r.kind == Kind::Raw && r.halvable)
        halveForViewport(g, r.halve, pixels, w, h, fr.rowBytes[0], l.unpack[0], viewport[2],
                         viewport[3], !mixed, to8, rowsUp);
    else
        rowsUp = false;
    if (rowsUp) topDown = 1;
    const int cw = p ? w / p->chromaDivX : 0, ch = p ? h / p->chromaDivY : 0;
    // Texels one to one with the window's pixels: nearest reads the same values as linear,
    // at a fraction of a software rasteriser's cost.
    const bool exact = w == viewport[2] && h == viewport[3];
    const GLint filter = fr.nearest || exact ? GL_NEAREST : GL_LINEAR;
    const int layout = p ? (p->interleaved ? 2 : 3) : 1;
    const GLuint present = presentProgram(g, layout, mixed);
    if (!present) return false;
    glPixelStorei(GL_UNPACK_SWAP_BYTES, r.swapBytes ? 1 : 0);
    setUnpack(l.unpack[0]);

    if (r.kind == Kind::Raw) {
        const GLenum type = to8 ? GL_UNSIGNED_BYTE : r.type, internal = to8 ? GL_RGBA : r.internal;
        // Components halved into bytes come out as B, G, R, 255.
        const GLenum format = to8 ? GL_BGRA : r.format;
        g.planes[0].ensure(kUnitPlane[0], w, h, internal, format, type, filter);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, format, type, pixels);
        if (exact && !mixed && !g.lut && format == GL_BGRA && type == GL_UNSIGNED_BYTE &&
            blitPicture(g, fr.opaque || to8, w, h, viewport, topDown)) {
            restoreUnpack();
            return true;
        }
    } else if (r.kind == Kind::Words) {
        // The words' bytes as RGBA8 texels: the decode shader rebuilds the fields.
        g.words.ensure(kUnitWords, l.texels, h, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, GL_NEAREST);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, l.texels, h, GL_RGBA, GL_UNSIGNED_BYTE,
                        fr.planes[0]);
        g.picture.ensure(kUnitPlane[0], w, h, GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, filter);
        if (!g.framebuffer) glGenFramebuffers(1, &g.framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, g.framebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, g.picture.id,
                               0);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            glBindFramebuffer(GL_FRAMEBUFFER, 0);
            restoreUnpack();
            return false;
        }
        glViewport(0, 0, w, h);
        glUseProgram(decode);
        uniform1i(decode, "Pairs", w / 2);
        setMix(decode, mix);
        drawQuad(0);  // texture row 0 is memory row 0
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    } else {
        const int sb = p->sampleBytes;
        const GLenum type = sb == 1 ? GL_UNSIGNED_BYTE : GL_UNSIGNED_SHORT;
        const GLenum one = sb == 1 ? GL_R8 : GL_R16, two = sb == 1 ? GL_RG8 : GL_RG16;
        g.planes[0].ensure(kUnitPlane[0], w, h, one, GL_RED, type, filter);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, GL_RED, type, fr.planes[0]);
        for (int i = 1; i <= (p->interleaved ? 1 : 2); ++i) {
            setUnpack(l.unpack[i]);
            const GLenum fmt = p->interleaved ? GL_RG : GL_RED;
            // Read texel by texel where the shader interpolates chroma itself.
            g.planes[i].ensure(kUnitPlane[i], cw, ch, p->interleaved ? two : one, fmt, type,
                               GL_NEAREST);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, cw, ch, fmt, type, fr.planes[i]);
        }
    }
    restoreUnpack();

    glUseProgram(present);
    if (p) {
        // Left-sited chroma sits on the even pixels, a quarter of a chroma sample left of
        // the centre of the pixel pair.
        const GLint size[2] = {cw, ch};
        glUniform2iv(glGetUniformLocation(present, "ChromaSize"), 1, size);
        glUniform1f(glGetUniformLocation(present, "ChromaShift"),
                    fr.colour.centreSited ? 0.f : -0.25f);
    }
    if (mixed) setMix(present, mix);
    if (g.lut) {
        glActiveTexture(GL_TEXTURE0 + kUnitLut);
        glBindTexture(GL_TEXTURE_1D, g.lut);
    }
    glActiveTexture(GL_TEXTURE0 + kUnitPlane[0]);
    glBindTexture(GL_TEXTURE_2D, r.kind == Kind::Words ? g.picture.id : g.planes[0].id);
    drawQuad(topDown);
    return true;
}

}  // namespace zu::detail
