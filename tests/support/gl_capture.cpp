#include "support/gl_capture.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>

namespace zu::test {

Capture capture(int x, int y, int width, int height) {
    Capture c{x, y, width, height, std::vector<uint8_t>(4 * static_cast<size_t>(width) * height)};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, c.rgba.data());
    return c;
}

bool writePng(const std::string& path, const Capture& c) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    img.width = static_cast<png_uint_32>(c.width);
    img.height = static_cast<png_uint_32>(c.height);
    img.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> opaque(c.rgba);
    for (size_t i = 3; i < opaque.size(); i += 4) opaque[i] = 255;
    // A negative stride makes libpng write the bottom-up rows top row first.
    return png_image_write_to_file(&img, path.c_str(), 0, opaque.data(), -c.width * 4, nullptr) !=
           0;
}

bool readPng(const std::string& path, Capture& c, int x, int y) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    img.format = PNG_FORMAT_RGBA;
    c.x = x, c.y = y;
    c.width = static_cast<int>(img.width), c.height = static_cast<int>(img.height);
    c.rgba.assign(4 * static_cast<size_t>(c.width) * c.height, 0);
    return png_image_finish_read(&img, nullptr, c.rgba.data(), -c.width * 4, nullptr) != 0;
}

void expectReferenceImage(const Capture& drawn, const std::string& reference) {
    if (std::getenv("ZUGUI_RECORD_REFERENCES")) {
        // A recording run compares nothing, so it must not pass for one that did.
        EXPECT_TRUE(writePng(reference, drawn)) << reference;
        ADD_FAILURE() << "recorded " << reference << ", not compared";
        return;
    }
    Capture want;
    ASSERT_TRUE(readPng(reference, want, drawn.x, drawn.y)) << reference;
    ASSERT_EQ(std::pair(want.width, want.height), std::pair(drawn.width, drawn.height));
    int differ = 0, firstX = -1, firstY = -1;
    for (int y = drawn.y; y < drawn.y + drawn.height; ++y)
        for (int x = drawn.x; x < drawn.x + drawn.width; ++x) {
            const uint8_t *a = drawn.at(x, y), *b = want.at(x, y);
            if ((a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) && differ++ == 0)
                firstX = x, firstY = y;
        }
    EXPECT_EQ(differ, 0) << reference << ": first at " << firstX << "," << firstY;
    if (differ) {
        const size_t slash = reference.find_last_of('/');
        writePng(::testing::TempDir() + "drawn_" + reference.substr(slash + 1), drawn);
    }
}

}  // namespace zu::test
