// The 256-entry colour scheme and the layout metrics.
#include "gui/gui_state.h"

namespace zu::detail {
namespace {

ZuFCOLOR scheme[256];

struct Default {
    int index;
    ZuFCOLOR colour;
};

constexpr Default kDefaults[] = {
    {0, {0, 0, 0, 1}},
    {1, {0.35f, 0.35f, 0.35f, 1}},
    {2, {0.55f, 0.55f, 0.55f, 1}},
    {3, {0.35f, 0.35f, 0.35f, 0.5f}},
    {4, {0.9f, 0.9f, 0.9f, 1}},
    {5, {0, 0, 0, 1}},
    {6, {0.616f, 0.616f, 0.616f, 1}},
    {7, {0.69f, 0.71f, 0.6f, 1}},
    {8, {0.25f, 0.25f, 0.25f, 1}},
    {9, {0.11f, 0.15f, 0.22f, 1}},
    {10, {0.11f, 0.15f, 0.22f, 1}},
    {11, {0.9f, 0.85f, 0.75f, 1}},
    {12, {0, 0, 0, 1}},
    {13, {0.735f, 0.724f, 0.642f, 1}},
    {14, {1, 1, 0.5f, 1}},
    {15, {0.416f, 0.416f, 0.4f, 1}},
    {16, {0.15f, 0.15f, 0.15f, 1}},
    {17, {0.9f, 0.9f, 0.9f, 1}},
    {18, {0.39f, 0.48f, 0.48f, 1}},
    {19, {0.45f, 0.56f, 0.56f, 1}},
    {20, {0.416f, 0.416f, 0.4f, 1}},
    {21, {0.9f, 0.85f, 0.75f, 1}},
    {22, {0.5f, 0.5f, 0.5f, 0.5f}},
    {23, {0.416f, 0.416f, 0.4f, 1}},
    {24, {0.2f, 0.25f, 0.35f, 0.5f}},
    {25, {0.2f, 0.25f, 0.35f, 0.5f}},
    {26, {0.2f, 0.25f, 0.35f, 0.5f}},
    {27, {0.9f, 0.85f, 0.75f, 1}},
    {28, {0.9f, 0.85f, 0.75f, 1}},
    {29, {0.7f, 0.65f, 0.55f, 0.3f}},
    {30, {0.2f, 0.2f, 0.25f, 1}},
    {31, {0.1f, 0.1f, 0.1f, 1}},
    {32, {0, 0, 0, 1}},
    {40, {0.49f, 0.6f, 0.71f, 1}},
    {41, {0.15f, 0.2f, 0.26f, 1}},
    {42, {0.416f, 0.416f, 0.4f, 1}},
    {43, {0.416f, 0.416f, 0.4f, 1}},
    {44, {1, 1, 0.5f, 0.75f}},
    {45, {0.416f, 0.416f, 0.4f, 1}},
    {100, {0.6f, 0.8f, 1, 1}},
    {101, {0.3f, 0.4f, 0.5f, 0.5f}},
    {102, {0.6f, 1, 0.8f, 1}},
    {103, {0.3f, 0.5f, 0.4f, 0.5f}},
};

}  // namespace

void fillSchemeDefaults() {
    for (auto& c : scheme) c = {0, 0, 0, 0.5f};
    for (const auto& d : kDefaults) scheme[d.index] = d.colour;
}

}  // namespace zu::detail

ZUAPI ZuErr ZUSetSchemeColor(int index, ZuFCOLOR* colour) {
    if (index < 0 || index > 255 || !colour) return -2;
    zu::detail::scheme[index] = *colour;
    return 0;
}

ZUAPI ZuErr ZUGetSchemeColor(int index, ZuFCOLOR* colour) {
    if (index < 0 || index > 255 || !colour) return -2;
    *colour = zu::detail::scheme[index];
    return 0;
}

ZUAPI int ZUGetDefaultButtonXSize(void) {
    return 96;
}
ZUAPI int ZUGetDefaultButtonYSize(void) {
    return 32;
}
ZUAPI int ZUGetDefaultSpacing(void) {
    return 6;
}
