// The per-frame display: each frame takes the cheapest way to the screen (drawn as
// pixels, uploaded to a texture that the shader program converts, or converted on the CPU
// first), is laid out scaled and centred when its geometry changes, gets its safe-area
// guides, and is presented.
#include <GL/glew.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstring>

#include "gui/gui_state.h"
#include "video/convert/convert.h"
#include "video/video_internal.h"

namespace zu::detail {
namespace {

// Enums of the 4:2:2 pixel extensions, which GLEW's headers may not name.
constexpr GLenum kYcbcr422 = 0x85B9;         // YCbCr 4:2:2 pixel format
constexpr GLenum kUnsignedShort88 = 0x85BA;  // its unsigned short 8_8 type
constexpr GLenum k422 = 0x80CC;              // the 422 pixel format of the software path

bool isPacked422(unsigned f) {
    switch (f) {
        case ZU_PF_2vuy:
        case ZU_PF_2Vuy:
        case ZU_PF_uyv9:
        case ZU_PF_jpgq:
        case ZU_PF_mjai:
        case ZU_PF_mjbq:
        case ZU_PF_mjaq:
        case ZU_PF_dvhd:
        case ZU_PF_dv51:
        case ZU_PF_dv26:
            return true;
        default:
            return false;
    }
}

// Formats whose guides can be burnt into the host's pixels as they are drawn.
bool guidesInPlace(unsigned f) {
    switch (f) {
        case ZU_PF_bgrA:
        case ZU_PF_rleq:
        case ZU_PF_rgba:
        case ZU_PF_rgbb:
        case ZU_PF_argB:
        case ZU_PF_abgr:
        case ZU_PF_yuy2:
            return true;
        default:
            return isPacked422(f);
    }
}

struct Way {
    GLenum format = GL_BGRA;
    GLenum type = GL_UNSIGNED_BYTE;
    int swap = 0;
    bool found = false;
};

// The direct row of the format table for this frame, if one applies.
Way directWay(const ZUVideoWindowNode& v, unsigned format) {
    auto row = [](GLenum f, GLenum t, int s) { return Way{f, t, s, true}; };
    const bool tex = v.texturePath != 0;
    switch (format) {
        case ZU_PF_bgrA:
        case ZU_PF_rleq:
            if (v.hasBGRA) return row(GL_BGRA, GL_UNSIGNED_BYTE, 0);
            break;
        case ZU_PF_argB:
            if (v.hasBGRA) return row(GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, 1);
            break;
        case ZU_PF_abgr:
            return v.hasABGR ? row(GL_ABGR_EXT, GL_UNSIGNED_BYTE, 0)
                             : row(GL_RGBA, GL_UNSIGNED_BYTE, 1);
        case ZU_PF_bgr_:
            if (v.hasBGRA) return row(GL_BGR, GL_UNSIGNED_BYTE, 0);
            break;
        case ZU_PF_rgba:
        case ZU_PF_rgbb:
            return row(GL_RGBA, GL_UNSIGNED_BYTE, 0);
        case ZU_PF_rgb_:
        case ZU_PF_rg2b:
        case ZU_PF_mjbi:
            return row(GL_RGB, GL_UNSIGNED_BYTE, 0);
        case ZU_PF_RGB_:
            return row(GL_RGB, GL_UNSIGNED_SHORT, 0);
        case ZU_PF_RGBA:
            return row(GL_RGBA, GL_UNSIGNED_SHORT, 0);
        case ZU_PF_RGb_:
            return row(GL_RGB, GL_UNSIGNED_SHORT, 1);
        case ZU_PF_RGbA:
            return row(GL_RGBA, GL_UNSIGNED_SHORT, 1);
        // "11rQ" and "10RS" hold 64-940, which drawing as they are would show washed out:
        // the converter maps them.
        case ZU_PF_10rb:
        case ZU_PF_11rb:
            if (v.hasPacked) return row(GL_RGBA, GL_UNSIGNED_INT_10_10_10_2, 1);
            break;
        case ZU_PF_10RG:
            if (v.hasPacked) return row(GL_RGBA, GL_UNSIGNED_INT_2_10_10_10_REV, 0);
            break;
        case ZU_PF_10rl:
        case ZU_PF_11rl:
            if (v.hasPacked) return row(GL_RGBA, GL_UNSIGNED_INT_10_10_10_2, 0);
            break;
        default:
            if (isPacked422(format)) {
                if (v.has422 && !tex) return row(kYcbcr422, kUnsignedShort88, 0);
                if (tex) return row(GL_BGRA, GL_UNSIGNED_BYTE, 0);
            }
            break;
    }
    return {};
}

int validDecimation(int d) {
    return d == 1 || d == 2 || d == 4 || d == 8 || d == 16 ? d : 1;
}

bool haveShaders() {
    const VideoCaps& c = videoCaps();
    return c.hasShadingLanguage && c.hasShaderObjects && glCreateProgram && glCreateShader &&
           glShaderSource && glCompileShader && glAttachShader && glLinkProgram && glUseProgram &&
           glGetUniformLocation && glUniform1i;
}

void setUniform(GLuint program, const char* name, int value) {
    const GLint at = glGetUniformLocation(program, name);
    if (at >= 0) glUniform1i(at, value);
}

GLuint buildProgram(bool withLut, int textureWidth) {
    const GLuint program = glCreateProgram();
    if (!program) return 0;
    const struct {
        GLenum stage;
        const char* source;
    } stages[] = {{GL_VERTEX_SHADER, kVideoVertexShader},
                  {GL_FRAGMENT_SHADER, kVideoFragmentShader}};
    for (auto& s : stages) {
        const GLuint shader = glCreateShader(s.stage);
        glShaderSource(shader, 1, &s.source, nullptr);
        glCompileShader(shader);
        shaderCompiled(shader, "video");
        glAttachShader(program, shader);
        glDeleteShader(shader);  // flagged: goes with the program
    }
    glLinkProgram(program);
    programLinked(program, "video");
    glValidateProgram(program);
    glUseProgram(program);
    setUniform(program, "tex0", 1);
    setUniform(program, "Use1DLut", withLut ? 1 : 0);
    if (withLut) setUniform(program, "tex1DLut", 2);
    const GLint at = glGetUniformLocation(program, "TexWidth");
    if (at >= 0) glUniform1f(at, static_cast<float>(std::max(1, textureWidth)));
    return program;
}

// 256 RGB entries from a 10-bit table: entry i reads level 4 * i.
void fillLutTexture(const ZuRGBLUT& lut) {
    unsigned char rgb[256 * 3];
    const int last = std::max(0, lut.count - 1);
    auto level = [&](const int* table, int i) -> unsigned char {
        if (!table || lut.count <= 0) return static_cast<unsigned char>(i);
        const double v = table[std::min(4 * i, last)] * 0.25 + 0.5;
        return static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
    };
    for (int i = 0; i < 256; ++i) {
        rgb[3 * i + 0] = level(lut.red, i);
        rgb[3 * i + 1] = level(lut.green, i);
        rgb[3 * i + 2] = level(lut.blue, i);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, 256, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void clearAll() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

LayoutInput layoutInput(const ZUVideoWindowNode& v, const ZUVideoFrame& f, int w, int h, float zx0,
                        float zy0) {
    LayoutInput in;
    in.winW = v.width, in.winH = v.height;
    in.w = w, in.h = h, in.zx0 = zx0, in.zy0 = zy0;
    in.frameWidth = f.width;
    in.aspectNum = f.aspectNum, in.aspectDen = f.aspectDen;
    in.zoomX = f.zoomX, in.zoomY = f.zoomY;
    in.topDown = f.topDown;
    in.offsetX = f.offsetX, in.offsetY = f.offsetY;
    in.texture = v.texturePath != 0;
    return in;
}

// The frame is at least twice the size of the viewport it is shown in, both ways.
bool shownAtHalfOrLess(const ZUVideoWindowNode& v, const ZUVideoFrame& f) {
    const Layout l = computeLayout(layoutInput(v, f, f.width, f.height, 1.f, 1.f));
    return l.vpW > 0 && l.vpH > 0 && f.width >= 2 * l.vpW && f.height >= 2 * l.vpH;
}

// An 8-bit 4:2:2 frame for a software renderer's texture path, halved both ways in its
// own layout when it is at least twice the size it is shown at, so that the converter
// runs on a quarter of the pixels (the picture drawn may halve again); else the frame.
// rowsUp writes the halved rows from the last upwards.
ZUVideoFrame halvedForCpu(const ZUVideoWindowNode& v, GpuDisplay& state, const ZUVideoFrame& f,
                          bool rowsUp) {
    const FormatInfo* info = formatInfo(f.format);
    // Luma bytes at yAt and yAt + 2 of each pair, chroma at the others.
    if (!info || info->family != Family::Yuv422x8 || !f.pixels ||
        validDecimation(f.decimationX) != 1 || validDecimation(f.decimationY) != 1 ||
        info->slot[1] > 1 || info->slot[3] != info->slot[1] + 2 ||
        f.rowBytes < minRowBytes(*info, f.width))
        return f;
    if (!shownAtHalfOrLess(v, f)) return f;
    const int64_t rowBytes = int64_t(f.width / 2) * 2;
    auto* dst = static_cast<uint8_t*>(gpuScratch(state, rowBytes * (f.height / 2), 1));
    if (!dst || !halve422(static_cast<const uint8_t*>(f.pixels), f.width, f.height, f.rowBytes,
                          info->slot[1] == 0, rowsUp ? dst + (f.height / 2 - 1) * rowBytes : dst,
                          rowsUp ? -rowBytes : rowBytes))
        return f;
    ZUVideoFrame out = f;
    out.pixels = dst;
    out.width /= 2, out.height /= 2;
    out.rowBytes = int(rowBytes);
    return out;
}

void applyLayout(ZUVideoWindowNode& v, const LayoutInput& in, unsigned format) {
    const Layout l = computeLayout(in);
    glViewport(l.vpX, l.vpY, l.vpW, l.vpH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    if (l.ortho) gluOrtho2D(0, in.winW, 0, in.winH);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    if (l.ortho) {
        glPixelZoom(l.pixelZoomX, l.pixelZoomY);
        // A raster position on the top clip edge may be rejected: take one row below it
        // and step up with an empty bitmap, which moves the position without clipping.
        const int top = std::max(0, in.winH - 1);
        glRasterPos2i(l.rasterX, std::min(l.rasterY, top));
        if (l.rasterY > top)
            glBitmap(0, 0, 0.f, 0.f, 0.f, static_cast<float>(l.rasterY - top), nullptr);
    } else if (!v.display || !gpuOn(*static_cast<GpuDisplay*>(v.display))) {
        if (v.program) {
            setUniform(v.program, "UseYUV", format == ZU_PF_mjai ? 2 : isPacked422(format) ? 1 : 0);
            setUniform(v.program, "UseYUVType", in.frameWidth <= 800 ? 1 : 0);
        }
        // A 4:2:2 texel is a pair of pixels, which the shader reads whole: filtering between
        // texels mixes pairs and, in a software rasteriser, doubles the cost of the draw.
        const GLint filter = isPacked422(format) ? GL_NEAREST : GL_LINEAR;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
}

}  // namespace
}  // namespace zu::detail

using namespace zu::detail;
namespace ws = zu::ws;

ZUAPI ZuErr ZUStartDisplayVideoFrame(ZUVideoWindowNode* video, unsigned int textureWidth,
                                     unsigned int textureHeight, unsigned int textureMode,
                                     ZuRGBLUT* lut) {
    if (!video || video->started.load(std::memory_order_acquire)) return 0;
    if (!video->rc || !ws::makeCurrent(zu::detail::surfaceOf(video))) return -2;
    // The context stays current on this thread until the stop; each frame takes its turn.
    struct Yield {
        ~Yield() { ws::yieldTurn(); }
    } yield;
    clearAll();
    video->layoutStale = 1;
    ws::swapInterval(zu::detail::surfaceOf(video), 0);  // never wait for the vertical retrace

    video->textureTarget = GL_TEXTURE_2D;
    video->textureWidth = static_cast<int>(std::min(textureWidth, 1u << 16));
    video->textureHeight = static_cast<int>(std::min(textureHeight, 1u << 16));
    video->texturePath = textureMode == 1 && !video->adopted ? 1 : 0;
    if (!video->texturePath || !videoCaps().hasNonPowerOfTwo || !glActiveTexture) {
        glDisable(GL_TEXTURE_1D);
        glDisable(GL_TEXTURE_2D);
        glDisable(video->textureTarget);
        if (GLEW_NV_texture_shader) glDisable(GL_TEXTURE_SHADER_NV);
        if (GLEW_NV_register_combiners) glDisable(GL_REGISTER_COMBINERS_NV);
        video->texturePath = 0;
        video->display = gpuStart(false, 0);
        video->started.store(true, std::memory_order_release);
        return 0;
    }

    if (lut) {
        glActiveTexture(GL_TEXTURE2);
        glEnable(GL_TEXTURE_1D);
        glGenTextures(1, &video->lutTexture);
        glBindTexture(GL_TEXTURE_1D, video->lutTexture);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        fillLutTexture(*lut);
    }
    // The frame shaders take every format; without them the older program takes 4:2:2 and
    // RGB as before, decided here once for the run.
    auto* state = gpuStart(haveShaders(), video->lutTexture);
    video->display = state;
    if (state && gpuOn(*state)) {
        video->started.store(true, std::memory_order_release);
        return 0;
    }

    glActiveTexture(GL_TEXTURE1);
    glEnable(GL_TEXTURE_2D);
    glGenTextures(1, &video->frameTexture);
    glBindTexture(GL_TEXTURE_2D, video->frameTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, video->textureWidth, video->textureHeight, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    if (haveShaders()) video->program = buildProgram(video->lutTexture != 0, video->textureWidth);
    if (!video->program && video->lutTexture) {
        // Without the program the look-up texture would modulate the picture.
        glActiveTexture(GL_TEXTURE2);
        glDisable(GL_TEXTURE_1D);
    }
    glActiveTexture(GL_TEXTURE1);
    video->started.store(true, std::memory_order_release);
    return 0;
}

namespace {

// Converts a frame on the CPU into the window's scratch buffer (or the host's conversion
// buffer): 0 with the image described in out, or -2.
// half: a planar or 10-bit 4:2:2 frame is halved while it is converted, its rows written
// upwards when rowsUp.
int convertOnCpu(ZUVideoWindowNode& video, GpuDisplay& state, const ZUVideoFrame& f,
                 const GpuFrame& g, const ZuRGBLUT* lut, bool toGpu, bool half, bool rowsUp,
                 DstImage& out, Way& way) {
    unsigned target = ZU_PF_bgrA;
    int bpp = 4;
    way = {GL_BGRA, GL_UNSIGNED_BYTE, 0, true};
    const PlanarInfo* planar = planarInfo(f.format);
    if (toGpu) {
        // The frame shaders read "bgrA" as it is.
    } else if (!planar && isPacked422(f.format) && video.has422 && !video.texturePath) {
        target = ZU_PF_uyv9, bpp = 2, way = {k422, GL_UNSIGNED_BYTE, 0, true};
    } else if (!video.hasBGRA) {
        target = ZU_PF_rgba, way = {GL_RGBA, GL_UNSIGNED_BYTE, 0, true};
    }
    // Planar frames are converted at full size; decimation is for the packed converters.
    const int dx = half ? 2 : planar ? 1 : validDecimation(f.decimationX);
    const int dy = half ? 2 : planar ? 1 : validDecimation(f.decimationY);
    const int w = f.width / dx, h = f.height / dy;
    if (w <= 0 || h <= 0) return -2;
    const int64_t rowBytes = int64_t{f.width} * bpp / dx;
    const int64_t size = rowBytes * h;
    void* buffer = f.conversionBuffer && f.conversionBufferSize >= size ? f.conversionBuffer
                                                                        : gpuScratch(state, size);
    if (!buffer) return -2;
    out = {buffer, w, h, target, static_cast<int>(rowBytes)};
    if (planar) {
        const PlanarImage pi{{g.planes[0], g.planes[1], g.planes[2]},
                             {g.rowBytes[0], g.rowBytes[1], g.rowBytes[2]},
                             f.width,
                             f.height,
                             f.format};
        if (half)
            return planarHalfToRgb(pi, out, yuvToRgb(g.colour), g.colour.centreSited, rowsUp) ? 0
                                                                                              : -2;
        return planarToRgb(pi, out, yuvToRgb(g.colour), g.colour.centreSited);
    }
    if (half)
        return v210HalfToRgb(static_cast<const uint8_t*>(f.pixels), f.width, f.height, f.rowBytes,
                             out, yuvToRgb(g.colour), rowsUp)
                   ? 0
                   : -2;
    const SrcImage src{f.pixels, f.width, f.height, f.format, f.rowBytes};
    const FormatInfo* info = formatInfo(f.format);
    // Standing in for the frame shaders, the converter shows the colours they would: the
    // frame's description, its defaults included, wins over the host's tables.
    const bool describe = (g.colour.stated || toGpu) && info && isYuv(*info);
    int r = -2;
    if (!describe) {
        TableOptions opt;
        opt.tables = static_cast<const ZuColorTables*>(f.conversionTables);
        opt.lut = lut;
        opt.fast = f.fastTables;
        r = tableConvert(src, out, opt);
    }
    if (r == -2) {
        FallbackScaler scaler;
        ZuColorDescriptor d = f.colorDescriptor;
        // A stated description wins over the host's descriptor; the default keeps it.
        if (describe) describeColours(d, g.colour, info->maxValue == 1023 ? 4 : 1);
        r = scaler.convert(src, out, 0, &d, 0, nullptr);
    }
    return r;
}

ZuErr displayFrame(ZUVideoWindowNode* video, ZUVideoFrame* frame, const ZUVideoFrameEx* ext,
                   ZuRGBLUT* lut) {
    if (!video || !video->started.load(std::memory_order_acquire)) return -2;
    if (!frame) {
        clearAll();
        ws::swapBuffers(zu::detail::surfaceOf(video));
        return 0;
    }
    const ZUVideoFrame& f = *frame;
    if (f.width <= 0 || f.height <= 0) return -2;
    auto* state = static_cast<GpuDisplay*>(video->display);
    if (!state) return -2;
    const bool gpu = gpuOn(*state);
    const PlanarInfo* planar = planarInfo(f.format);

    GpuFrame g;
    g.format = f.format;
    g.width = f.width, g.height = f.height;
    if (planar) {
        if (!ext) return -2;  // the planes are in the extension record
        for (int i = 0; i < 3; ++i)
            g.planes[i] = ext->planes[i].pixels, g.rowBytes[i] = ext->planes[i].rowBytes;
        const PlanarImage pi{{g.planes[0], g.planes[1], g.planes[2]},
                             {g.rowBytes[0], g.rowBytes[1], g.rowBytes[2]},
                             f.width,
                             f.height,
                             f.format};
        if (checkPlanar(pi)) return -2;
    } else {
        g.planes[0] = f.pixels, g.rowBytes[0] = f.rowBytes;
    }
    g.colour = colourSpec(ext, f.width, planar != nullptr);
    g.nearest = ext && ext->filter == ZU_FILTER_NEAREST;
    const bool hasPixels = g.planes[0] != nullptr;
    const bool guides = f.guideAOn || f.guideBOn;

    GLint swapNow = 0;
    glGetIntegerv(GL_UNPACK_SWAP_BYTES, &swapNow);
    int w = f.width, h = f.height;
    float zx0 = 1.f, zy0 = 1.f;
    const void* source = g.planes[0];
    GpuFrame shown = g;  // what the frame shaders draw: the frame, or its CPU conversion

    // A software renderer draws a large planar or 10-bit 4:2:2 frame fastest as the
    // window-sized RGB picture that the CPU makes from it in one pass.
    const FormatInfo* info = formatInfo(f.format);
    const bool v210 = info && info->family == Family::Yuv422x10 && f.pixels &&
                      validDecimation(f.decimationX) == 1 && validDecimation(f.decimationY) == 1 &&
                      f.width <= kV210HalfMaxWidth && f.width % 2 == 0 &&
                      f.rowBytes >= minRowBytes(*info, f.width);
    const bool half = gpu && (planar || v210) && gpuSoftware(*state) && !g.nearest &&
                      f.height % 2 == 0 && shownAtHalfOrLess(*video, f);
    // Halved pictures are written in the window's row order, so that a software renderer
    // copies them rather than drawing them.
    const bool upwards = !guides && !f.topDown && gpu && gpuSoftware(*state) && !g.nearest;
    bool rowsUp = false;
    Way way;
    bool convert = false;
    if (gpu) {
        convert = half || !gpuPrefers(*state, g) || (guides && !guidesInPlace(f.format));
        if (!convert && hasPixels && guides)
            drawFrameGuides(f.pixels, f.format, f.width, f.height, f.rowBytes, f);
    } else if (!planar && !(lut && !video->texturePath)) {
        way = directWay(*video, f.format);
        convert = !way.found;
    } else {
        convert = true;
    }
    if (!convert && !gpu) {
        if (video->texturePath && isPacked422(f.format)) w = f.width / 2, zx0 = 2.f;
        if (way.swap != swapNow) glPixelStorei(GL_UNPACK_SWAP_BYTES, way.swap);
        if (hasPixels && guides && guidesInPlace(f.format))
            drawFrameGuides(f.pixels, f.format, f.width, f.height, f.rowBytes, f);
    } else if (convert) {
        if (swapNow) glPixelStorei(GL_UNPACK_SWAP_BYTES, 0);
        DstImage out{};
        if (hasPixels) {
            const bool halve = gpu && gpuSoftware(*state) && !g.nearest;
            // 8-bit 4:2:2 halved with its rows upwards converts into a picture the same way up.
            const ZUVideoFrame from = halve && !half ? halvedForCpu(*video, *state, f, upwards) : f;
            rowsUp = upwards && (half || from.pixels != f.pixels);
            if (convertOnCpu(*video, *state, from, g, lut, gpu, half, rowsUp, out, way) != 0) {
                // Neither converter takes this frame: show black rather than stale memory.
                clearAll();
                ws::swapBuffers(zu::detail::surfaceOf(video));
                return -2;
            }
            if (guides)
                drawFrameGuides(out.pixels, out.format, out.width, out.height, out.rowBytes, f);
            source = out.pixels;
            w = out.width, h = out.height;
        } else {
            const int dx = planar ? 1 : validDecimation(f.decimationX);
            const int dy = planar ? 1 : validDecimation(f.decimationY);
            w = f.width / dx, h = f.height / dy;
            if (w <= 0 || h <= 0) return -2;
        }
        zx0 = static_cast<float>(f.width) / std::max(1, w);
        zy0 = static_cast<float>(f.height) / std::max(1, h);
        shown = GpuFrame{};
        shown.format = ZU_PF_bgrA;
        shown.width = w, shown.height = h;
        shown.planes[0] = source, shown.rowBytes[0] = out.rowBytes;
        shown.nearest = g.nearest;
        // YUV converted to RGB has alpha 255.
        shown.opaque = planar || (info && isYuv(*info));
    }

    // Mesa learns a drawable's new size only at a swap: a frame drawn before one would go
    // into a buffer of the old size and stay black. One empty presentation first.
    if (source && newDrawableSize(*state, video->width, video->height)) {
        clearAll();
        ws::swapBuffers(zu::detail::surfaceOf(video));
    }

    const unsigned format = f.format;
    const bool same = !video->layoutStale && video->lastWidth == w && video->lastHeight == h &&
                      video->lastFormat == format && video->lastTopDown == f.topDown &&
                      video->lastZoomX == f.zoomX && video->lastZoomY == f.zoomY &&
                      video->lastOffsetX == f.offsetX && video->lastOffsetY == f.offsetY;
    if (!same) {
        applyLayout(*video, layoutInput(*video, f, w, h, zx0, zy0), format);
        clearAll();
        video->lastWidth = w, video->lastHeight = h;
        video->lastFormat = format;
        video->lastTopDown = f.topDown;
        video->lastZoomX = f.zoomX, video->lastZoomY = f.zoomY;
        video->lastOffsetX = f.offsetX, video->lastOffsetY = f.offsetY;
        video->layoutStale = 0;
    }
    if (!source) return 0;

    if (gpu) {
        if (!gpuDraw(*state, shown, rowsUp ? 1 : f.topDown)) {
            clearAll();
            ws::swapBuffers(zu::detail::surfaceOf(video));
            return -2;
        }
    } else if (video->texturePath) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, w, h, way.format, way.type, source);
        // The picture covers w x h texels of the texture made at start.
        const float smax = std::min(1.f, static_cast<float>(w) / std::max(1, video->textureWidth));
        const float tmax = std::min(1.f, static_cast<float>(h) / std::max(1, video->textureHeight));
        const float y0 = f.topDown ? 1.f : -1.f, y1 = -y0;
        const float corners[4][4] = {{0.f, 0.f, -1.f, y0},
                                     {0.f, tmax, -1.f, y1},
                                     {smax, tmax, 1.f, y1},
                                     {smax, 0.f, 1.f, y0}};
        glBegin(GL_QUADS);
        for (const auto& c : corners) {
            glMultiTexCoord2f(GL_TEXTURE0, c[0], c[1]);
            glMultiTexCoord2f(GL_TEXTURE1, c[0], c[1]);  // the fixed pipeline reads unit 1
            glVertex2f(c[2], c[3]);
        }
        glEnd();
    } else {
        // Rows of the host's frame are read where they are; converted ones are packed.
        const FormatInfo* info = formatInfo(f.format);
        const int pixelBytes = source != f.pixels      ? 0
                               : isPacked422(f.format) ? 2
                               : info                  ? info->bytesPerPixel
                                                       : 0;
        const bool rows = pixelBytes && setUnpackRows(w, pixelBytes, f.rowBytes);
        glDrawPixels(w, h, way.format, way.type, source);
        if (rows) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        }
    }
    ws::swapBuffers(zu::detail::surfaceOf(video));
    return 0;
}

}  // namespace

ZUAPI ZuErr ZUDisplayVideoFrame(ZUVideoWindowNode* video, ZUVideoFrame* frame, ZuRGBLUT* lut) {
    ws::GlTurn turn;
    return displayFrame(video, frame, nullptr, lut);
}

ZUAPI ZuErr ZUDisplayVideoFrameEx(ZUVideoWindowNode* video, ZUVideoFrame* frame,
                                  const ZUVideoFrameEx* ext, ZuRGBLUT* lut) {
    if (ext && (ext->size < static_cast<int>(sizeof(ZUVideoFrameEx)) || !validColourFields(*ext)))
        return -2;
    ws::GlTurn turn;
    return displayFrame(video, frame, ext, lut);
}

ZUAPI ZuErr ZUStopDisplayVideoFrame(ZUVideoWindowNode* video) {
    if (!video) return 0;
    if (!video->started.load(std::memory_order_acquire)) return -2;
    ws::GlTurn turn;  // ended with the context below
    glFinish();
    gpuStop(static_cast<GpuDisplay*>(video->display));
    video->display = nullptr;
    if (video->texturePath) {
        if (video->program) {
            glUseProgram(0);
            GLuint shaders[255];
            GLsizei count = 0;
            glGetAttachedShaders(video->program, 255, &count, shaders);
            for (GLsizei i = 0; i < count; ++i) {
                glDetachShader(video->program, shaders[i]);
                glDeleteShader(shaders[i]);
            }
            glDeleteProgram(video->program);
            video->program = 0;
        }
        if (video->lutTexture) {
            glActiveTexture(GL_TEXTURE2);
            glDeleteTextures(1, &video->lutTexture);
            glDisable(GL_TEXTURE_1D);
            video->lutTexture = 0;
        }
        if (video->frameTexture) {
            glActiveTexture(GL_TEXTURE1);
            glDeleteTextures(1, &video->frameTexture);
            glDisable(video->textureTarget);
            video->frameTexture = 0;
        }
        glActiveTexture(GL_TEXTURE0);
    }
    ws::makeCurrent(nullptr);
    video->started.store(false, std::memory_order_release);
    return 0;
}
