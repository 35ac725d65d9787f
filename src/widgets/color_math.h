// Colour arithmetic of the picker and the wheel, free of GL so that the tests can run it.
#pragma once

#include <cmath>

namespace zu::widgets {

struct Rgb3 {
    float r, g, b;
};

// The picker's hue strip: t in [0, 1536), six segments of 256 steps from red through
// yellow, green, cyan, blue and magenta; t at or above 1280 stays in the last segment.
inline Rgb3 pickerHue(float t) {
    if (t < 256) return {1, t / 256, 0};
    if (t < 512) return {(512 - t) / 256, 1, 0};
    if (t < 768) return {0, 1, (t - 512) / 256};
    if (t < 1024) return {0, (1024 - t) / 256, 1};
    if (t < 1280) return {(t - 1024) / 256, 0, 1};
    return {1, 0, (1536 - t) / 256};
}

// The wheel's colour k in [0, 768): blue to red, red to green, green to blue, along
// quarter sine waves. The quarter turn uses 22/7 for pi, as the wheel always has.
inline Rgb3 wheelColour(int k) {
    const float q = 3.142857f / 2;
    if (k <= 256) {
        const float a = k / 256.0f * q;
        return {std::sin(a), 0, std::cos(a)};
    }
    if (k <= 512) {
        const float a = (k - 256) / 256.0f * q;
        return {std::cos(a), std::sin(a), 0};
    }
    const float a = (k - 512) / 256.0f * q;
    return {0, std::cos(a), std::sin(a)};
}

// The wheel colour at a whole-degree angle, clockwise from the top.
inline int wheelIndexAt(int degrees) {
    const int k = degrees * 768 / 360;
    return k >= 768 ? k - 768 : k;
}

// The wheel colour of the direction of a point seen from the origin.
inline int wheelIndexOf(float x, float y) {
    int angle = static_cast<int>(std::atan2(double(y), double(x)) * 57.272728514080235);
    if (y < 0) angle += 360;
    angle -= 90;  // now counter-clockwise from the top
    if (angle < 0) angle += 360;
    return wheelIndexAt(360 - angle);
}

}  // namespace zu::widgets
