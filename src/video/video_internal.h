// Internal pieces of the video display shared by the window, display, layout and guide
// code, and reachable by the tests.
#pragma once

#include <cstdint>

#include "platform/winsys/winsys.h"
#include "video/convert/planar.h"
#include "zugui/video.h"

namespace zu::detail {

// The record's GL surface, and its window when the window is ours (null otherwise).
inline ws::Surface* surfaceOf(const ZUVideoWindowNode* v) {
    return v ? static_cast<ws::Surface*>(v->rc) : nullptr;
}
inline ws::Window* videoWindowOf(const ZUVideoWindowNode* v) {
    return v ? ws::fromNative(v->window) : nullptr;
}

using GLuintAlias = unsigned int;  // GLuint, without the GL headers here

// Compile and link status of a shader or program (shader_log.cpp); a failure's log goes to
// the host's error callback, named by name.
bool shaderCompiled(unsigned shader, const char* name);
bool programLinked(unsigned program, const char* name);

// Process-wide OpenGL capabilities, probed once when the first video window is made.
struct VideoCaps {
    bool probed = false;
    bool has422Pixels = false;
    bool hasPackedPixels = false;
    bool hasBGRA = false;
    bool hasABGR = false;
    bool hasFramebufferObjects = false;
    bool hasNonPowerOfTwo = false;
    bool hasPixelBufferObjects = false;
    bool hasShadingLanguage = false;
    bool hasShaderObjects = false;
    int probeCount = 0;  // how many times the probe ran (tests read it)
    // GLSL 1.30, framebuffer objects and float textures: every format goes to the
    // screen through the texture path. Probed at the first texture-path start (-1 before);
    // tests set it to 0 to force the older texture path.
    int hasFrameShaders = -1;
    // GL_RENDERER names a CPU rasteriser, which runs each fragment's arithmetic in software:
    // frames that need converting go through the threaded CPU converter, pictures at least
    // twice the window's size are halved on the CPU (planar and 10-bit 4:2:2 ones halved and
    // converted in one pass), and the frame shaders only draw.
    // Probed with hasFrameShaders (-1 before); tests set 0 or 1 to force either route.
    int softwareRenderer = -1;
};
VideoCaps& videoCaps();

// ---- layout (layout.cpp) ------------------------------------------------------------
struct LayoutInput {
    int winW = 0, winH = 0;      // the record's drawing area
    int w = 0, h = 0;            // working size (texels for 4:2:2 in a texture)
    float zx0 = 1.f, zy0 = 1.f;  // base zooms
    int frameWidth = 0;          // the frame's own width
    int aspectNum = 1, aspectDen = 1;
    float zoomX = 0.f, zoomY = 0.f;
    int topDown = 0;
    int offsetX = 0, offsetY = 0;
    bool texture = false;
};
struct Layout {
    int vpX = 0, vpY = 0, vpW = 0, vpH = 0;  // viewport
    // Direct drawing only: pixel zoom and the raster position in the viewport.
    float pixelZoomX = 1.f, pixelZoomY = 1.f;
    int rasterX = 0, rasterY = 0;
    bool ortho = false;  // orthographic (0, W, 0, H) projection, else identity
};
Layout computeLayout(const LayoutInput& in);

// ---- guides (guides.cpp) -------------------------------------------------------------
// Burns one safe-area rectangle into an image of width pixels (4:2:2 formats count
// pixels, not groups), leaving hPercent / 2 of the width and vPercent / 2 of the height
// outside on each side. Writes stay inside the rows and the bytes a row of that width
// has; unusable arguments write nothing.
void drawGuide(void* pixels, unsigned format, int width, int height, int rowBytes, float hPercent,
               float vPercent);
// Both guides of a frame that are on.
void drawFrameGuides(void* pixels, unsigned format, int width, int height, int rowBytes,
                     const ZUVideoFrame& f);

// ---- colour description (colour.cpp) ---------------------------------------------------
struct ColourSpec {
    int matrix = ZU_MATRIX_BT709;  // never DEFAULT once resolved
    bool full = false;
    bool centreSited = false;
    bool stated = false;  // the host named a matrix or a range
};
// The frame's description with the defaults filled in; ext may be null. Unknown values
// are the caller's to refuse (validColourFields).
ColourSpec colourSpec(const ZUVideoFrameEx* ext, int width, bool planar);
bool validColourFields(const ZUVideoFrameEx& ext);
YuvToRgb yuvToRgb(const ColourSpec& c);
// The same as the doubles of a fallback-scaler descriptor for sources whose code units are
// codeScale times the 8-bit ones (4 for 10 bits); standard is set outside 0-5 so that the
// scaler keeps them.
void describeColours(ZuColorDescriptor& d, const ColourSpec& c, double codeScale);

// ---- texture path for every format (gpu_display.cpp) --------------------------------
// A frame as the GPU path takes it: packed formats have one plane.
struct GpuFrame {
    unsigned format = 0;
    int width = 0, height = 0;  // picture pixels
    const void* planes[3] = {};
    int rowBytes[3] = {};
    ColourSpec colour;
    bool nearest = false;
    bool opaque = false;  // every alpha byte is 255 (the CPU conversions write so)
};
// The GL of this context can run the frame shaders (probed once, result in videoCaps()).
bool frameShadersAvailable();
// Whether the GPU path takes this format at all.
bool gpuTakesFormat(unsigned format);
// A started window's display state: the scratch buffer of CPU conversions and, when
// programs is set and the GL can run them, the frame shaders' objects.
struct GpuDisplay;
GpuDisplay* gpuStart(bool programs, GLuintAlias lutTexture);
void gpuStop(GpuDisplay* g);
bool gpuOn(const GpuDisplay& g);  // the frame shaders run
// True once for each new window size the display sees (and for the first frame).
bool newDrawableSize(GpuDisplay& g, int w, int h);
// The frame goes this way as it is rather than through the CPU converter first: the path
// takes it (format known, planes and strides usable) and, on a software renderer, it
// needs no conversion that the CPU does faster.
bool gpuPrefers(const GpuDisplay& g, const GpuFrame& f);
// Uploads, converts and draws the frame as a quad over the current viewport (texture
// row 0 at the bottom unless topDown; a picture at the viewport's size that needs no
// conversion is copied instead). False, with nothing drawn, when the path cannot
// take the frame as it is (format, stride); the caller converts it on the CPU instead.
bool gpuDraw(GpuDisplay& g, const GpuFrame& f, int topDown);
// Unpack alignment and row length that read rows of texels * texelBytes bytes rowBytes
// apart in place; false (nothing set) when no setting does.
bool setUnpackRows(int64_t texels, int texelBytes, int64_t rowBytes);
// Scratch memory for CPU conversions (which 0) and for frames halved before one (1), kept
// from frame to frame.
void* gpuScratch(GpuDisplay& g, int64_t bytes, int which = 0);
// The frame shaders run on a software renderer (see VideoCaps::softwareRenderer).
bool gpuSoftware(const GpuDisplay& g);

// ---- halving on the CPU (reduce.cpp) ---------------------------------------------------
// Pixel layouts that can be halved: 1 or 4 bytes, 1, 3 or 4 16-bit words, 32-bit words of
// 10-bit fields at 22, 12, 2 (little- or big-endian) or at 0, 10, 20.
enum class HalveLayout : uint8_t {
    Bytes1,
    Bytes4,
    Shorts1,
    Shorts3,
    Shorts4,
    // 4 16-bit words in, 4 bytes out: the first three's means rounded to 8 bits in reverse
    // order (B, G, R of R, G, B words), then 255.
    Shorts4To8,
    High10,
    High10BigEndian,
    Low10,
    // The 10-bit words in, 4 bytes out: the three fields' means rounded to 8 bits, in the
    // reverse order of their bit positions above (B, G, R as GL reads the words), then 255.
    High10To8,
    High10BigEndianTo8,
    Low10To8,
    Bytes4Opaque  // 4 bytes in, out the first three's means as they are, then 255
};
int halvePixelBytes(HalveLayout layout);  // of the source
bool halveTo8(HalveLayout layout);        // writes 4 bytes a pixel
// The layout that halves the same source into bytes, or layout when none does.
HalveLayout halveLayoutTo8(HalveLayout layout);
// Halves an image along x and/or y into dst (rows dstRowBytes apart), in the same layout:
// each component the rounded mean of the 2 x 2 (or 2 x 1) it covers, an odd last column
// or row paired with itself. Split over the converter's workers for large images.
void halveImage(HalveLayout layout, const uint8_t* src, int width, int height, int64_t rowBytes,
                bool x, bool y, uint8_t* dst, int64_t dstRowBytes);
// A planar frame of even height halved both ways and converted into a 4-byte 8-bit RGB
// image of half its size: luma the mean of the 2 x 2 each pixel covers, chroma taken where
// the halved pixel's centre lies (a quarter sample right of a left-sited one, weights 3 : 1
// with the next; for 4:2:2 the mean of two rows), then the colour matrix, the values kept
// to 1/64 of a code in between. False, with nothing written, for frames it does not take.
// rowsUp writes the picture's rows from dst's last row upwards (a software renderer copies
// such a picture into its window, whose rows run the other way, row by row).
bool planarHalfToRgb(const PlanarImage& src, const DstImage& dst, const YuvToRgb& t,
                     bool centreSited, bool rowsUp = false);
// The same for 10-bit 4:2:2 words ("v219" and its aliases), whose odd pixels take the
// mean of their pair's and the next pair's chroma (halved: weights 3 : 1). Frames up to
// kV210HalfMaxWidth pixels wide.
inline constexpr int kV210HalfMaxWidth = 4096;  // the lines live on the stack
bool v210HalfToRgb(const uint8_t* src, int width, int height, int64_t rowBytes, const DstImage& dst,
                   const YuvToRgb& t, bool rowsUp = false);
// Halves 8-bit 4:2:2 (U Y0 V Y1, or Y0 U Y1 V when yuyv) both ways in its own layout: an
// output pixel's luma is the mean of the 2 x 2 it covers, an output pair's chroma the mean
// of the four samples of the two input pairs beneath it. False, with nothing written,
// unless the width is a multiple of 4 and the height even.
bool halve422(const uint8_t* src, int width, int height, int64_t rowBytes, bool yuyv, uint8_t* dst,
              int64_t dstRowBytes);

// ---- shader sources (generated at build time from the .glsl files) -------------------
extern const char* const kVideoVertexShader;
extern const char* const kVideoFragmentShader;
extern const char* const kFrameVertexShader;
extern const char* const kDecodeFragmentShader;
extern const char* const kPresentFragmentShader;

}  // namespace zu::detail
