// Shared value types of the zugui API.
#pragma once

#include <cstdint>

#if defined(ZUGUI_BUILDING)
#define ZUAPI __attribute__((visibility("default")))
#else
#define ZUAPI
#endif

// Result code of most functions: 0 success, -1 not available, -2 failure,
// 10000 close refused, 10001 ZuFile not open, 10002 ZuFile already open.
typedef int ZuErr;

// Rectangle: (x, y) is the bottom-left corner in GUI coordinates.
struct ZuRECT {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct ZuPOINT {
    int32_t x;
    int32_t y;
};

struct ZuFLOATPOINT {
    float x;
    float y;
};

// Colour with components from 0.0 to 1.0.
struct ZuFCOLOR {
    float red;
    float green;
    float blue;
    float alpha;
};
