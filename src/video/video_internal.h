// Internal pieces of the video display shared by the window, display, layout and guide
// code, and reachable by the tests.
#pragma once

#include <cstdint>

#include "platform/winsys/winsys.h"
#include "zugui/video.h"

namespace zu::detail {

// The record's GL surface, and its window when the window is ours (null otherwise).
inline ws::Surface* surfaceOf(const ZUVideoWindowNode* v) {
    return v ? static_cast<ws::Surface*>(v->rc) : nullptr;
}
inline ws::Window* videoWindowOf(const ZUVideoWindowNode* v) {
    return v ? ws::fromNative(v->window) : nullptr;
}

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

// ---- shader sources (generated at build time from the .glsl files) -------------------
extern const char* const kVideoVertexShader;
extern const char* const kVideoFragmentShader;

}  // namespace zu::detail
