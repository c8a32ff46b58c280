// Pictures the content generator builds in memory and the byte encodings it
// stores them in (PNG, binary PPM and PGM). Pixels are 8-bit channels, rows
// top to bottom.
// Encodings are deterministic: no time stamps, fixed compression settings.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ContentImage {
    int width = 0;
    int height = 0;
    int channels = 0;              // 1 grey, 3 RGB, 4 RGBA
    std::vector<uint8_t> pixels;   // width * height * channels
};

ContentImage image_make(int width, int height, int channels, uint8_t fill = 0);
inline uint8_t* image_at(ContentImage& im, int x, int y) {
    return &im.pixels[(size_t(y) * im.width + x) * im.channels];
}
inline const uint8_t* image_at(const ContentImage& im, int x, int y) {
    return &im.pixels[(size_t(y) * im.width + x) * im.channels];
}
// Blends an RGBA colour over pixel (x, y) with coverage `alpha` 0..1; pixels
// outside are ignored. On RGBA images the alpha channel accumulates "over".
void image_blend(ContentImage& im, int x, int y, const float rgb[3], float alpha);

// PNG bytes of an 8-bit grey, RGB or RGBA image (the program's encoder);
// empty on failure.
[[nodiscard]] std::string png_encode(const ContentImage& im);
// "P6" binary PPM of an RGB image, "P5" binary PGM of a grey image.
std::string ppm_encode(const ContentImage& im);
std::string pgm_encode(const ContentImage& im);
