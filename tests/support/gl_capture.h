// Reading back what the current GL context drew, for pixel tests and screenshots.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zu::test {

// RGBA rows of a region of the current read buffer, bottom row first (GL order).
struct Capture {
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<uint8_t> rgba;
    const uint8_t* at(int gx, int gy) const {  // GL window coordinates
        return &rgba[4 * (static_cast<size_t>(gy - y) * width + (gx - x))];
    }
};
Capture capture(int x, int y, int width, int height);
// Writes a capture as a PNG file, top row first; false on failure.
bool writePng(const std::string& path, const Capture& c);
// Reads a PNG written by writePng back into a capture placed at (x, y); false on failure.
bool readPng(const std::string& path, Capture& c, int x = 0, int y = 0);
// Expects the capture to equal the committed image texel for texel in red, green and blue
// (the back buffer's alpha is no part of the picture); on a difference the capture is kept
// in the test's temporary folder. With ZUGUI_RECORD_REFERENCES set the image is written
// instead, to re-record it, and the test fails as nothing was compared.
void expectReferenceImage(const Capture& drawn, const std::string& reference);

}  // namespace zu::test
