/// \file
/// Video display: pixel-format codes, colour look-up tables and colour tables, video
/// windows and the frame display.
///
/// A video window is a child window of the main window with a GL context of its own; its
/// input reaches the owner node as ZUM_VIDEO... messages (\ref zum_messages). Its frames
/// are shown by the thread that started its display (\ref threads).
#pragma once

#include <atomic>
#include <cstdint>

#include "zugui/types.h"

struct ZUWindowNode;

// ---- Pixel formats ------------------------------------------------------------------

/// The FourCC of four characters: a is the lowest byte.
#define ZU_FOURCC(a, b, c, d)                                                     \
    ((unsigned int)(unsigned char)(a) | ((unsigned int)(unsigned char)(b) << 8) | \
     ((unsigned int)(unsigned char)(c) << 16) | ((unsigned int)(unsigned char)(d) << 24))

/// Pixel formats of ZUVideoFrame::format.
///
/// A format is a FourCC whose lowest byte is the first character of its name, so the name
/// reads the bytes in memory order ("bgrA" is B, G, R, A). In the constant names a space
/// becomes '_' and the case of the code is kept, because case distinguishes formats.
/// Formats sharing a layout are listed together under a comment that gives it; the
/// converter reads every format here unless its comment says otherwise.
enum : unsigned int {
    // 8-bit 4:2:2 YUV, two pixels in 4 bytes U, Y0, V, Y1; components 0-255.
    ZU_PF_2vuy = ZU_FOURCC('2', 'v', 'u', 'y'),
    ZU_PF_2Vuy = ZU_FOURCC('2', 'V', 'u', 'y'),
    ZU_PF_uyv9 = ZU_FOURCC('u', 'y', 'v', '9'),
    ZU_PF_jpgq = ZU_FOURCC('j', 'p', 'g', 'q'),
    ZU_PF_dvhd = ZU_FOURCC('d', 'v', 'h', 'd'),
    ZU_PF_dv51 = ZU_FOURCC('d', 'v', '5', '1'),
    ZU_PF_dv26 = ZU_FOURCC('d', 'v', '2', '6'),
    // As above, drawn directly or through the shader only: never converted.
    ZU_PF_mjbq = ZU_FOURCC('m', 'j', 'b', 'q'),
    ZU_PF_mjaq = ZU_FOURCC('m', 'j', 'a', 'q'),
    // 8-bit 4:2:2 YUV, two pixels in 4 bytes Y0, U, Y1, V; 0-255.
    ZU_PF_yuy2 = ZU_FOURCC('y', 'u', 'y', '2'),
    ZU_PF_mjai = ZU_FOURCC('m', 'j', 'a', 'i'),
    // 8-bit 4:4:4 YUV, one pixel in 4 bytes V, U, Y, padding; 0-255.
    ZU_PF_vuyp = ZU_FOURCC('v', 'u', 'y', 'p'),
    // 10-bit 4:2:2 YUV: six pixels in four little-endian 32-bit words, components at bits
    // 0, 10, 20: (U0 Y0 V0) (Y1 U1 Y2) (V1 Y3 U2) (Y4 V2 Y5); 0-1023.
    ZU_PF_v219 = ZU_FOURCC('v', '2', '1', '9'),
    ZU_PF_V219 = ZU_FOURCC('V', '2', '1', '9'),
    ZU_PF_aphq = ZU_FOURCC('a', 'p', 'h', 'q'),
    ZU_PF_apnq = ZU_FOURCC('a', 'p', 'n', 'q'),
    // 8-bit RGB, 0-255.
    ZU_PF_bgrA = ZU_FOURCC('b', 'g', 'r', 'A'),  ///< B, G, R, A
    ZU_PF_rleq = ZU_FOURCC('r', 'l', 'e', 'q'),  ///< B, G, R, A
    ZU_PF_rgba = ZU_FOURCC('r', 'g', 'b', 'a'),  ///< R, G, B, A
    ZU_PF_rgbb = ZU_FOURCC('r', 'g', 'b', 'b'),  ///< R, G, B, A
    ZU_PF_argB = ZU_FOURCC('a', 'r', 'g', 'B'),  ///< A, R, G, B
    ZU_PF_abgr = ZU_FOURCC('a', 'b', 'g', 'r'),  ///< A, B, G, R
    ZU_PF_rgb_ = ZU_FOURCC('r', 'g', 'b', ' '),  ///< R, G, B (3 bytes)
    ZU_PF_rg2b = ZU_FOURCC('r', 'g', '2', 'b'),  ///< R, G, B (3 bytes)
    ZU_PF_mjbi = ZU_FOURCC('m', 'j', 'b', 'i'),  ///< R, G, B (3 bytes)
    ZU_PF_bgr_ = ZU_FOURCC('b', 'g', 'r', ' '),  ///< B, G, R (3 bytes)
    // 16-bit RGB, little-endian words.
    ZU_PF_RGB_ = ZU_FOURCC('R', 'G', 'B', ' '),  ///< R, G, B; 0-65535
    ZU_PF_RGBA = ZU_FOURCC('R', 'G', 'B', 'A'),  ///< R, G, B, A; 0-65535
    ZU_PF_BGRA = ZU_FOURCC('B', 'G', 'R', 'A'),  ///< B, G, R, A; 0-65535
    ZU_PF_ARGB = ZU_FOURCC('A', 'R', 'G', 'B'),  ///< A, R, G, B; 0-65535
    ZU_PF_BRgB = ZU_FOURCC('B', 'R', 'g', 'B'),  ///< B, G, R, A; 0-32768
    ZU_PF_ARgB = ZU_FOURCC('A', 'R', 'g', 'B'),  ///< A, R, G, B; 0-32768
    // 16-bit RGB with byte-swapped words: drawn directly only.
    ZU_PF_RGb_ = ZU_FOURCC('R', 'G', 'b', ' '),
    ZU_PF_RGbA = ZU_FOURCC('R', 'G', 'b', 'A'),
    // 10-bit RGB in one 32-bit word, 0-1023.
    ZU_PF_10rl = ZU_FOURCC('1', '0', 'r', 'l'),  ///< little-endian: R 22-31, G 12-21, B 2-11
    ZU_PF_11rl = ZU_FOURCC('1', '1', 'r', 'l'),
    ZU_PF_10rb = ZU_FOURCC('1', '0', 'r', 'b'),  ///< the same word stored big-endian
    ZU_PF_11rb = ZU_FOURCC('1', '1', 'r', 'b'),
    ZU_PF_11rQ = ZU_FOURCC('1', '1', 'r', 'Q'),  ///< as 10rb; 64-940 between RGB formats
    ZU_PF_10RG = ZU_FOURCC('1', '0', 'R', 'G'),  ///< little-endian: R 0-9, G 10-19, B 20-29
    ZU_PF_10RS = ZU_FOURCC('1', '0', 'R', 'S'),  ///< as 10RG; 64-940 between RGB formats
    // Float RGB: B, G, R, A as 32-bit floats, 0.0-1.0.
    ZU_PF_BPrF = ZU_FOURCC('B', 'P', 'r', 'F'),
    // Float 4:4:4 YUV: Cr, Cb, Y, 1.0 as 32-bit floats; luma 0-1, chroma -0.5-0.5.
    ZU_PF_YVrF = ZU_FOURCC('Y', 'V', 'r', 'F'),

    // Variants known to the fallback scaler only.
    ZU_PF__RgB = ZU_FOURCC(' ', 'R', 'g', 'B'),  ///< 16-bit R, G, B; 0-32768
    ZU_PF_RgBA = ZU_FOURCC('R', 'g', 'B', 'A'),  ///< 16-bit R, G, B, A; 0-32768
    ZU_PF_BGR_ = ZU_FOURCC('B', 'G', 'R', ' '),  ///< 16-bit B, G, R; 0-65535
    ZU_PF_BGr_ = ZU_FOURCC('B', 'G', 'r', ' '),  ///< 16-bit B, G, R; 0-32768
    ZU_PF_BGrA = ZU_FOURCC('B', 'G', 'r', 'A'),  ///< 16-bit B, G, R, A; 0-32768
    ZU_PF__RgF = ZU_FOURCC(' ', 'R', 'g', 'F'),  ///< float R, G, B; 0.0-1.0
    ZU_PF_ARgF = ZU_FOURCC('A', 'R', 'g', 'F'),  ///< float A, R, G, B
    ZU_PF_BGrF = ZU_FOURCC('B', 'G', 'r', 'F'),  ///< float B, G, R
    ZU_PF_RgBF = ZU_FOURCC('R', 'g', 'B', 'F'),  ///< float R, G, B, A
    ZU_PF_10RA = ZU_FOURCC('1', '0', 'R', 'A'),  ///< as 10RG plus 2-bit alpha at bits 30-31
    ZU_PF_10yb = ZU_FOURCC('1', '0', 'y', 'b'),  ///< 10-bit 4:4:4 YUV word: Y 0-9, U 10-19, V 20-29

    // Planar YUV, named as FFmpeg and V4L2 name them. Their planes come through
    // ZUDisplayVideoFrameEx (ZUVideoFrameEx::planes); ZUDisplayVideoFrame refuses them.
    // 4:2:0 formats need an even width and height, 4:2:2 ones an even width.
    ZU_PF_NV12 = ZU_FOURCC('N', 'V', '1', '2'),  ///< 8-bit 4:2:0: Y plane, then U V interleaved
    ZU_PF_NV21 = ZU_FOURCC('N', 'V', '2', '1'),  ///< 8-bit 4:2:0: Y plane, then V U interleaved
    ZU_PF_I420 = ZU_FOURCC('I', '4', '2', '0'),  ///< 8-bit 4:2:0: Y, U, V planes (yuv420p)
    ZU_PF_YV12 = ZU_FOURCC('Y', 'V', '1', '2'),  ///< 8-bit 4:2:0: Y, V, U planes
    ZU_PF_I422 = ZU_FOURCC('I', '4', '2', '2'),  ///< 8-bit 4:2:2: Y, U, V planes (yuv422p)
    ZU_PF_P010 = ZU_FOURCC('P', '0', '1', '0'),  ///< 10-bit 4:2:0 as NV12, 16-bit words, high bits
    ZU_PF_P016 = ZU_FOURCC('P', '0', '1', '6'),  ///< 16-bit 4:2:0 as NV12
    ZU_PF_P210 = ZU_FOURCC('P', '2', '1', '0'),  ///< 10-bit 4:2:2 as P010 with full-height chroma
    ZU_PF_P216 = ZU_FOURCC('P', '2', '1', '6'),  ///< 16-bit 4:2:2 as P016 with full-height chroma
    ZU_PF_I010 = ZU_FOURCC('I', '0', '1', '0'),  ///< 10-bit 4:2:0 as I420, 16-bit words, low bits
};

// ---- Colour look-up table -------------------------------------------------------------
/// A per-channel look-up table applied to the displayed picture; the host owns the arrays.
/// Entries are output levels on a 10-bit scale indexed by a 10-bit input level; an 8-bit
/// level v reads entry 4 * v. Indices beyond count - 1 read the last entry.
struct ZuRGBLUT {
    int* red;        ///< count red entries.
    int* blue;       ///< count blue entries.
    int* green;      ///< count green entries.
    void* reserved;  ///< Not used.
    int count;       ///< Entries in each array.
};

// ---- Colour tables prepared by the host ---------------------------------------------
/// YUV and RGB conversion tables the host owns, handed to the converter through
/// ZUVideoFrame::conversionTables. Each table gives one component's contribution to
/// another, indexed by the source level: R = redFromLuma[Y] + redFromCr[Cr] and so on.
/// Double tables hold 256 entries for 8-bit sources and 1024 for 10-bit ones; fast tables
/// hold 256 entries of four contributions to the blue, green, red and alpha bytes.
struct ZuColorTables {
    void* reserved[2];  ///< Not used.
    double* redFromLuma;    ///< Red from Y.
    double* redFromCr;      ///< Red from Cr.
    double* blueFromLuma;   ///< Blue from Y.
    double* blueFromCb;     ///< Blue from Cb.
    double* greenFromLuma;  ///< Green from Y.
    double* greenFromCr;    ///< Green from Cr.
    double* greenFromCb;    ///< Green from Cb.
    // RGB to 8-bit YUV: 256 entries each, indexed by an 8-bit component.
    double* lumaFromRed;    ///< Y from red (256 entries).
    double* lumaFromGreen;  ///< Y from green (256 entries).
    double* lumaFromBlue;   ///< Y from blue (256 entries).
    double* cbFromRed;      ///< Cb from red (256 entries).
    double* cbFromGreen;    ///< Cb from green (256 entries).
    double* cbFromBlue;     ///< Cb from blue (256 entries).
    double* crFromRed;      ///< Cr from red (256 entries).
    double* crFromGreen;    ///< Cr from green (256 entries).
    double* crFromBlue;     ///< Cr from blue (256 entries).
    const short (*fastLuma)[4];  ///< Fast path: Y's contributions to B, G, R, A.
    const short (*fastCb)[4];    ///< Fast path: Cb's contributions to B, G, R, A.
    const short (*fastCr)[4];    ///< Fast path: Cr's contributions to B, G, R, A.
};

// ---- Colour-standard descriptor -----------------------------------------------------
/// The colour standard of a frame, held in ZUVideoFrame::colorDescriptor.
/// The host sets standard (0 BT.601 full, 1 BT.601 video, 2 BT.709 full, 3 BT.709 video,
/// 4 BT.709 full, 5 BT.709 video range) and the two flags; the fallback converter fills
/// the doubles from the standard and the source format.
#pragma pack(push, 1)
struct ZuColorDescriptor {
    int standard;  ///< 0 to 5, as above.
    int reserved;  ///< Not used.
    unsigned char fullRangeTop;     ///< 10-bit results may reach 1023 (else 940 / 960)
    unsigned char fullRangeBottom;  ///< 10-bit results may reach 0 (else 64)
    /// R = (Y - lumaOffset) * lumaGain + (Cr - chromaOffset) * crGain
    ///@{
    double redLumaGain, redLumaOffset, redCrGain, redChromaOffset;
    ///@}
    /// B = (Y - lumaOffset) * lumaGain + (Cb - chromaOffset) * cbGain
    ///@{
    double blueLumaGain, blueLumaOffset, blueCbGain, blueChromaOffset;
    ///@}
    /// G = (Y - lumaOffset) * lumaGain + (Cr - crOffset) * crGain + (Cb - cbOffset) * cbGain
    ///@{
    double greenLumaGain, greenLumaOffset, greenCrGain, greenCrOffset, greenCbGain, greenCbOffset;
    ///@}
    /// Y = R * red + G * green + B * blue + offset
    ///@{
    double lumaRedWeight, lumaGreenWeight, lumaBlueWeight, lumaOffset;
    ///@}
    /// Cb = B * blue - (R * red + G * green) + offset
    ///@{
    double cbRedWeight, cbGreenWeight, cbBlueWeight, cbOffset;
    ///@}
    /// Cr = R * red - (G * green + B * blue) + offset
    ///@{
    double crRedWeight, crGreenWeight, crBlueWeight, crOffset;
    ///@}
};
#pragma pack(pop)

// ---- Video windows --------------------------------------------------------------------
/// A child window of the main window with an OpenGL context of its own. The record is the
/// library's; hosts hold the pointer and leave the fields alone.
struct ZUVideoWindowNode {
    ZUWindowNode* owner;  ///< receives the ZUM_VIDEO... messages; null for an adopted window
    void* window;         ///< The window (an X11 Window id).
    /// Drawing area of the display, in pixels: the rectangle last given at creation or
    /// reset; a resize makes it (0, 0, new width, new height).
    ///@{
    int x, y, width, height;
    ///@}
    void* dc;  ///< The window's drawable, kept from creation to destruction.
    void* rc;  ///< The window's GL context.
    std::atomic<bool> started;  ///< display running (also held during ZUResizeVideoWindow)
    unsigned int lastFormat;    ///< what the last layout was made for
    int lastTopDown;            ///< Orientation of the last frame laid out.
    /// Size (after decimation), zoom and pan of the last frame laid out.
    ///@{
    int lastWidth, lastHeight;
    float lastZoomX, lastZoomY;
    int lastOffsetX, lastOffsetY;
    ///@}
    unsigned char layoutStale;  ///< 1: the next frame lays the viewport out again.
    int texturePath;  ///< 1: frames go through a texture and the shader program
    unsigned int frameTexture;   ///< GL texture of the frames, 0 when none.
    unsigned int lutTexture;     ///< GL texture of the look-up table, 0 when none.
    unsigned int program;        ///< GL shader program, 0 when none.
    unsigned int textureTarget;  ///< GL texture target (GL_TEXTURE_2D).
    /// Texture size given to ZUStartDisplayVideoFrame.
    ///@{
    int textureWidth, textureHeight;
    ///@}
    /// Copies of the GL capabilities probed once per process: 4:2:2 pixels, packed pixels,
    /// BGRA and ABGR.
    ///@{
    unsigned char has422, hasPacked, hasBGRA, hasABGR;
    ///@}
    int adopted;  ///< the window came from the host
    void* display;  ///< the library's display state between start and stop
};

// ---- Frames ---------------------------------------------------------------------------
/// One picture to show, filled by the host; the display reads it, except that safe-area
/// guides may be drawn into the pixels (see ZUDisplayVideoFrame). The pixels stay the
/// host's.
struct ZUVideoFrame {
    void* pixels;  ///< First byte of the picture.
    /// Picture size in pixels.
    ///@{
    int width, height;
    ///@}
    int rowBytes;  ///< Bytes from one row to the next.
    /// pixel aspect: the width is multiplied by num / den
    ///@{
    int aspectNum, aspectDen;
    ///@}
    unsigned int format;  ///< Pixel format (ZU_PF_...).
    int topDown;                   ///< first row in memory is the top of the picture
    /// pan: right by offsetX, down by offsetY window pixels
    ///@{
    int offsetX, offsetY;
    ///@}
    /// both above 0: fixed zoom; otherwise fit to the window
    ///@{
    float zoomX, zoomY;
    ///@}
    /// software path divisors: 1, 2, 4, 8 or 16
    ///@{
    int decimationX, decimationY;
    ///@}
    unsigned char fastTables;  ///< Non-zero allows the converter's table-driven fast path.
    unsigned char guideBOn;    ///< Draw safe-area guide B.
    /// Guide B: percent of the width and height left outside, half on each side.
    ///@{
    float guideBHorizontal, guideBVertical;
    ///@}
    unsigned char guideAOn;  ///< Draw safe-area guide A.
    /// Guide A: percent of the width and height left outside, half on each side.
    ///@{
    float guideAHorizontal, guideAVertical;
    ///@}
    void* conversionTables;  ///< ZuColorTables*, the host's
    ZuColorDescriptor colorDescriptor;  ///< Colour standard, filled in by the fallback converter.
    void* conversionBuffer;  ///< optional destination of the software path
    int conversionBufferSize;  ///< Size of conversionBuffer in bytes; too small: not used.
};

// Video windows are created and destroyed on the GUI thread. Null records are answered
// with 0 (and null handles) except where noted.

/// Creates a video window with its GL context, or (adopt != 0) takes the host's window.
///   owner: the node told about input, or the host's window handle when adopt is non-zero.
///   rect:  position and size in the main window's client pixels.
/// The record, freed by ZUDestroyVideoWindow; null for a null rect, without a display, or
/// (not adopting) before ZUInitGUI or when the window or context cannot be made.
ZUAPI ZUVideoWindowNode* ZUCreateVideoWindow(ZUWindowNode* owner, char* title, ZuRECT* rect,
                                             int adopt);
/// Tells the record the size the window already has; the window is not moved.
ZUAPI ZuErr ZUResetVideoWindow(ZUVideoWindowNode* video, ZuRECT* rect);
/// Moves and sizes the window; the next frame lays out again. Call while stopped.
ZUAPI ZuErr ZUResizeVideoWindow(ZUVideoWindowNode* video, ZuRECT* rect);
/// Shows (show != 0) or hides the window. 0.
ZUAPI ZuErr ZUShowVideoWindow(ZUVideoWindowNode* video, int show);
/// 1 when the window is mapped, else 0 (also for null).
ZUAPI unsigned char ZUIsVideoWindowVisible(ZUVideoWindowNode* video);
/// Deletes the context and frees the record; a window adopted from the host stays alive.
/// Releases the video capture when this window holds it. Stop the display first. 0.
ZUAPI ZuErr ZUDestroyVideoWindow(ZUVideoWindowNode* video);
/// The window (an X11 Window id), or null.
ZUAPI void* ZUGetVideoWindowHWND(ZUVideoWindowNode* video);
/// A drawable handle of the window for the host, to give back with ZUReleaseVideoWindowDC.
ZUAPI void* ZUGetVideoWindowDC(ZUVideoWindowNode* video);
/// Gives back a handle from ZUGetVideoWindowDC. 0.
ZUAPI ZuErr ZUReleaseVideoWindowDC(ZUVideoWindowNode* video, void* dc);
/// Accepts file drops (XDND) on the window. 0.
/// Files dropped on the window reach the owner as ZUM_VIDEODROPFILES (first path, UTF-16).
ZUAPI ZuErr ZURegDropFilesVideoWindow(ZUVideoWindowNode* video);
/// Stops accepting file drops. 0.
ZUAPI ZuErr ZUUnRegDropFilesVideoWindow(ZUVideoWindowNode* video);

/// Every file of the last drop on a video window, at full length (the message carries only
/// the first, cut at 260 units). With index -1: the number of files, 0 when nothing was
/// dropped yet. Otherwise the length in UTF-16 units of that file's path (0 for an index
/// out of range); when buffer is not null, the path is also copied there, cut to size - 1
/// units and zero-terminated. Call it on the thread that runs the GUI's message loop, for
/// instance while handling ZUM_VIDEODROPFILES.
ZUAPI int ZUGetVideoDropFile(ZUVideoWindowNode* video, int index, unsigned short* buffer, int size);
/// Video mouse capture, apart from the node capture: the first capture holds until released.
/// While it holds, every pointer message of the main window and the video windows goes to
/// this window's owner as a ZUM_VIDEO... message. 0.
ZUAPI ZuErr ZUVCaptureMouse(ZUVideoWindowNode* video);
/// Ends the video capture. 0.
ZUAPI ZuErr ZUVReleaseMouse(void);

// ---- Frame display --------------------------------------------------------------------
/// Starts the display of a video window on the calling thread, which becomes its display
/// thread until ZUStopDisplayVideoFrame.
///
/// Start, frames, stop, all on one thread: the window's context stays current on it in
/// between. textureMode 1 asks for the texture path (not for adopted windows, nor where
/// OpenGL lacks non-power-of-two textures). Where the OpenGL has GLSL 1.30, framebuffer
/// objects and float textures (decided once, at the first start), every format the CPU
/// converter reads, the planar ones included, is uploaded as it is in memory and unpacked,
/// converted (colour matrix and range of ZUVideoFrameEx, 4:2:2 and 4:2:0 chroma
/// interpolated, the start's lut) and filtered (bilinear, or nearest with
/// ZU_FILTER_NEAREST) by the frame shaders, which ignore host colour tables; a frame they
/// do not take, whose rows they cannot read in place, or whose guides cannot be drawn in
/// place, is converted on the CPU first. On a software renderer (Mesa's llvmpipe and its
/// kin, told by GL_RENDERER), where every shader operation runs on the CPU, packed frames
/// that need converting go through the threaded CPU converter instead (with the frame's
/// colour description, never the host's tables), and pictures shown at half their size or
/// less are first halved on the CPU (2 x 2 means; planar and 10-bit 4:2:2 frames are
/// converted to RGB in the same pass, their chroma resampled to the halved luma), so that
/// the renderer draws at the window's size; a picture at the window's size is then copied
/// into the window rather than drawn (a frame whose rows run bottom up is written by the
/// CPU in the window's order, top row first: the conversionBuffer then holds its rows
/// reversed). On a software renderer the library's contexts
/// also take turns, since the driver is not safe with several drawing at once: a frame
/// waits while a render pass or a popup draws, and the other way round. Where the frame shaders cannot
/// be built, an older program takes 4:2:2 (read texel by texel, so not smoothed) and RGB
/// (filtered linearly); with no program at all 4:2:2 frames are shown as uploaded. Otherwise frames
/// are drawn as pixels, or converted on the CPU first when OpenGL cannot take them, a lut
/// is given per frame or they are planar. Rows are read where they are when the row stride
/// is a whole number of pixels or the row rounded up to 2, 4 or 8 bytes; a stride below a
/// row is read as rows without gaps when drawn as pixels and refused (-2) by the
/// converters. Safe-area guides are burnt into the pixels shown: into the
/// host's frame for directly drawn 4:2:2 and 4-byte RGB formats (other directly drawn
/// formats get none), into the buffer otherwise.
/// textureWidth x textureHeight is the size of the frame texture (up to 65536 each) of the
/// older program; the frame shaders size their textures to each frame.
/// - start: 0 (also when already started), or -2 when the context cannot be made current.
/// - display: -2 for a null or stopped record; a null frame clears; null pixels return 0
///   without presenting.
/// - stop: -2 when not started.
/// - start and stop with a null record: 0, nothing done.
ZUAPI ZuErr ZUStartDisplayVideoFrame(ZUVideoWindowNode* video, unsigned int textureWidth,
                                     unsigned int textureHeight, unsigned int textureMode,
                                     ZuRGBLUT* lut);
/// Lays out, converts when needed, draws and presents one frame; lut (null: none) applies
/// to this frame. 0, or -2 as listed at ZUStartDisplayVideoFrame or when a conversion
/// buffer cannot be had. Display thread only.
ZUAPI ZuErr ZUDisplayVideoFrame(ZUVideoWindowNode* video, ZUVideoFrame* frame, ZuRGBLUT* lut);
/// Ends the display: frees its textures and program and releases the context from the
/// calling thread. 0, or -2 when not started. Display thread only.
ZUAPI ZuErr ZUStopDisplayVideoFrame(ZUVideoWindowNode* video);

/// Sets how many threads the CPU pixel converter may use for one frame, the calling thread
/// included: 1 to 16. Frames of half a megapixel (destination pixels) or more are split
/// by rows over that many threads; smaller ones are converted on the calling thread alone.
/// The default is one thread per processor core, at most 4. Results are the same for every
/// count. The worker threads start with the first split frame and end at ZUKillGUI (the
/// next split frame starts them again) or at process exit. While one frame is being split,
/// a frame converted on another thread at the same time runs on that thread alone.
/// @return 0, or -2 for a count outside 1 to 16 (the setting is then unchanged).
ZUAPI ZuErr ZUSetConvertThreads(int threads);
/// The thread count that ZUSetConvertThreads set, or the default.
ZUAPI int ZUGetConvertThreads(void);

// ---- Frames with planes and a colour description --------------------------------------

/// Colour matrix of a YUV frame (ZUVideoFrameEx::matrix).
enum : int {
    ZU_MATRIX_DEFAULT = 0,  ///< as ZUDisplayVideoFrame does it (see ZUVideoFrameEx)
    ZU_MATRIX_BT601 = 1,
    ZU_MATRIX_BT709 = 2,
    ZU_MATRIX_BT2020 = 3,  ///< BT.2020 non-constant luminance
};
/// Range of a YUV frame's levels (ZUVideoFrameEx::range).
enum : int {
    ZU_RANGE_DEFAULT = 0,
    ZU_RANGE_LIMITED = 1,  ///< luma 16-235, chroma 16-240 (times 4 for 10 bits, 256 for 16)
    ZU_RANGE_FULL = 2,     ///< 0-255 (0-1023, 0-65535)
};
/// Where a subsampled chroma sample sits horizontally (ZUVideoFrameEx::chromaSiting).
enum : int {
    ZU_SITING_DEFAULT = 0,  ///< left for planar 4:2:0 and 4:2:2 (MPEG-2 and later), as
                            ///< ZUDisplayVideoFrame for packed 4:2:2
    ZU_SITING_LEFT = 1,     ///< with the left pixel of each pair
    ZU_SITING_CENTER = 2,   ///< between the two pixels (MPEG-1, JPEG)
};
/// How a scaled picture is sampled (ZUVideoFrameEx::filter).
enum : int {
    ZU_FILTER_LINEAR = 0,   ///< bilinear, chroma interpolated
    ZU_FILTER_NEAREST = 1,  ///< each screen pixel shows one picture pixel, for inspection
};

/// One plane of a planar frame.
struct ZUVideoPlane {
    const void* pixels;  ///< First byte of the plane; the host's.
    int rowBytes;  ///< at least the plane's row: width (or width / 2) times the sample bytes
};

/// What ZUVideoFrame cannot say: plane pointers, the colour description and the filter.
/// Zero-initialised it changes nothing: ZUDisplayVideoFrameEx(video, frame, &zero, lut) is
/// ZUDisplayVideoFrame(video, frame, lut).
struct ZUVideoFrameEx {
    int size;  ///< sizeof(ZUVideoFrameEx): later versions may grow the record
    /// Planar formats: Y, then the chroma planes in the format's order (NV12 and its kin: Y,
    /// then the interleaved plane; I420: Y, U, V; YV12: Y, V, U). ZUVideoFrame::pixels and
    /// rowBytes are not read for them. Packed formats ignore planes.
    ZUVideoPlane planes[3];
    /// ZU_MATRIX_... . Default: BT.601 for frames up to 800 pixels wide, BT.709 above,
    /// except that packed frames converted on the CPU keep ZUVideoFrame::conversionTables or
    /// colorDescriptor while both matrix and range are default.
    int matrix;
    int range;         ///< ZU_RANGE_... ; default limited
    int chromaSiting;  ///< ZU_SITING_...
    int filter;        ///< ZU_FILTER_...
};

/// ZUDisplayVideoFrame with an extension record, which may be null. Results as there, and
/// -2 without presenting for: a size below sizeof(ZUVideoFrameEx); a planar frame with a null
/// plane, a row stride below the plane's row, or an odd width (or, for 4:2:0, height); matrix,
/// range, siting or filter values outside their lists.
ZUAPI ZuErr ZUDisplayVideoFrameEx(ZUVideoWindowNode* video, ZUVideoFrame* frame,
                                  const ZUVideoFrameEx* ext, ZuRGBLUT* lut);
