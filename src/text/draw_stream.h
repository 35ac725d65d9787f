// One ordered stream of coloured, textured triangles per thread: widget plates, frame lines
// and glyph quads wait here and reach OpenGL together, in the order they were added, in one
// draw from the font set's atlas (plain quads sample its white cell). Whatever draws with
// OpenGL itself first calls flushDrawing(), so nothing on screen changes order.
#pragma once

#include <vector>

namespace zu::detail {

// Texture coordinate, colour and clip-space position of one corner.
struct StreamVertex {
    float s, t, r, g, b, a, x, y;
};

// The orthographic projection gluOrtho2D(l, r, 0, top) of a viewport: the scale and offset
// of x and of y, worked out in single precision as OpenGL works them out.
struct Ortho {
    float sx, ox, sy, oy;
};

// The context current here and its viewport as setViewport recorded it. The viewport is
// asked of OpenGL only when a context that never went through setViewport draws.
struct Target {
    void* context;
    int viewport[4];
};
Target currentTarget();
// The context current here. Inside a batch the stream's, taken when it was prepared: the
// window system's answer may cost a system call (the GL dispatcher's fork check), once
// per text call, a good part of a busy pass.
void* currentContextHere();

// While one lives on this thread, what is added waits in the stream; the last one to end
// draws it. The render pass holds one around the library's own widgets.
class DeferDrawing {
  public:
    DeferDrawing();
    ~DeferDrawing();
    DeferDrawing(const DeferDrawing&) = delete;
    DeferDrawing& operator=(const DeferDrawing&) = delete;
};

// Around code that may draw with OpenGL itself (the host's callbacks and overrides): what
// waits is drawn first, and inside nothing waits.
class HostDrawing {
  public:
    HostDrawing();
    ~HostDrawing();
    HostDrawing(const HostDrawing&) = delete;
    HostDrawing& operator=(const HostDrawing&) = delete;

  private:
    int held_;
};

// Draws what waits, now, and leaves the current OpenGL colour at the stream's colour.
void flushDrawing();

// The colour of the frame lines that follow (and of OpenGL's own drawing after a flush).
void streamColour(float r, float g, float b, float a);
// The stream's colour.
void streamColourOf(float out[4]);
// Takes OpenGL's current colour as the stream's, unless the stream's is newer.
void adoptCurrentColour();
// A quad from x0 to x1 and y0 to y1 in the render pass's coordinates, shaded from bottom
// (at y0) to top (at y1).
void streamQuad(float x0, float y0, float x1, float y1, const float bottom[4], const float top[4]);
// A quad in the stream's colour.
void streamRect(float x0, float y0, float x1, float y1);
// In the stream's colour, the pixels OpenGL's one-pixel line through the pixel centres of
// row y from x0 to x1 (of column x from y0 to y1) covers.
void streamHLine(float x0, float x1, float y);
void streamVLine(float x, float y0, float y1);
// streamQuad with one-pixel lines in the stream's colour along its edges: bands[0] columns
// in from the left edge, bands[1] from the right, bands[2] rows up from the bottom and
// bands[3] down from the top. The pixels are those of the quad and the lines; black
// lines around an opaque quad on whole pixels are one quad.
void streamFramedQuad(float x0, float y0, float x1, float y1, const float bottom[4],
                      const float top[4], const int bands[4]);

// Whether the scissor test was on when the stream was prepared: then nothing is clipped
// on the CPU, since what follows a text is clipped by its box.
bool streamScissored();
// The scissor box a text leaves behind, set when the stream is drawn.
void streamScissorBox(int x, int y, int width, int height);

// The stream's projection and texture, set from the current context when the stream is
// empty; null when nothing can be drawn here (no viewport).
const Ortho* streamOrtho();
// Room for n more corners, already counted in; null when nothing can be drawn here.
StreamVertex* streamReserve(int n);
// Gives back the corners of the last reservation that were not used.
void streamUnreserve(int n);
// The corners waiting to be drawn.
int streamWaiting();
// Whether corners waiting sample line images (line_cache.h), which then stay where they are.
void streamNoteLineImage();
bool streamHasLineImages();

// For measuring what a pass asks of the rasteriser: while one is set on this thread, every
// draw of the stream appends its corners as they went to OpenGL and counts itself.
struct StreamCapture {
    std::vector<StreamVertex> corners;
    int draws = 0;
    unsigned texture = 0;  // the last draw's; 0: untextured
};
void captureStream(StreamCapture* into);

}  // namespace zu::detail
