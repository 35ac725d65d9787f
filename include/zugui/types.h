/// \file
/// Shared value types of the zugui API.
#pragma once

#include <cstdint>

#if defined(ZUGUI_BUILDING)
#define ZUAPI __attribute__((visibility("default")))
#else
#define ZUAPI
#endif

/// Result code of most functions: 0 success, -1 not available, -2 failure,
/// 10000 close refused, 10001 ZuFile not open, 10002 ZuFile already open.
/// Functions that answer otherwise say so.
typedef int ZuErr;

/// Rectangle: (x, y) is the bottom-left corner in GUI coordinates (pixels, origin at the
/// bottom left of the GUI, y up). A point is inside when x <= px < x + width and
/// y <= py < y + height.
struct ZuRECT {
    int32_t x;       ///< Left edge.
    int32_t y;       ///< Bottom edge.
    int32_t width;   ///< Width in pixels.
    int32_t height;  ///< Height in pixels.
};

/// An integer point; GUI or screen coordinates as the function using it says.
struct ZuPOINT {
    int32_t x;  ///< Horizontal coordinate.
    int32_t y;  ///< Vertical coordinate.
};

/// A point with float coordinates.
struct ZuFLOATPOINT {
    float x;  ///< Horizontal coordinate.
    float y;  ///< Vertical coordinate.
};

/// Colour with components from 0.0 to 1.0.
struct ZuFCOLOR {
    float red;    ///< Red, 0 to 1.
    float green;  ///< Green, 0 to 1.
    float blue;   ///< Blue, 0 to 1.
    float alpha;  ///< Opacity, 0 transparent to 1 opaque.
};
