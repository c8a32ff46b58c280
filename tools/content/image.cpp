#include "tools/content/image.h"

#include "base/image.h"

#include <cassert>
#include <cstdio>

ContentImage image_make(int width, int height, int channels, uint8_t fill) {
    ContentImage im;
    im.width = width;
    im.height = height;
    im.channels = channels;
    im.pixels.assign(size_t(width) * height * channels, fill);
    return im;
}

void image_blend(ContentImage& im, int x, int y, const float rgb[3], float alpha) {
    if (x < 0 || y < 0 || x >= im.width || y >= im.height || alpha <= 0) return;
    if (alpha > 1) alpha = 1;
    uint8_t* p = image_at(im, x, y);
    if (im.channels == 4) {
        float a0 = p[3] / 255.0f;
        float a = alpha + a0 * (1 - alpha);
        for (int c = 0; c < 3; c++) {
            float v = a > 0 ? (rgb[c] * alpha + p[c] / 255.0f * a0 * (1 - alpha)) / a : 0;
            p[c] = uint8_t(v * 255 + 0.5f);
        }
        p[3] = uint8_t(a * 255 + 0.5f);
        return;
    }
    int colours = im.channels >= 3 ? 3 : 1;
    for (int c = 0; c < colours; c++) {
        float v = rgb[c] * alpha + p[c] / 255.0f * (1 - alpha);
        p[c] = uint8_t(v * 255 + 0.5f);
    }
}

std::string png_encode(const ContentImage& im) {
    std::vector<unsigned char> out;
    if (!encode_png(im.pixels.data(), im.width, im.height, im.channels, false, &out)) return std::string();
    return std::string(out.begin(), out.end());
}

static std::string pnm_encode(const ContentImage& im, const char* magic) {
    char header[64];
    int n = snprintf(header, sizeof header, "%s\n%d %d\n255\n", magic, im.width, im.height);
    std::string out(header, n);
    out.append(reinterpret_cast<const char*>(im.pixels.data()), im.pixels.size());
    return out;
}

std::string ppm_encode(const ContentImage& im) {
    assert(im.channels == 3);
    return pnm_encode(im, "P6");
}

std::string pgm_encode(const ContentImage& im) {
    assert(im.channels == 1);
    return pnm_encode(im, "P5");
}
