// Number-plate pixels: digit cells cut from the number font image, the plate
// colours from the bike texture's tags, and the composition of the plate.
#include "sim/number_plate.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "base/num.h"

static unsigned int pixel_at(const NumberFont* f, int x, int y) {
    const unsigned char* p = f->rgba + ((size_t)y * (size_t)f->width + (size_t)x) * 4;
    return (unsigned int)p[0] | (unsigned int)p[1] << 8 | (unsigned int)p[2] << 16 | (unsigned int)p[3] << 24;
}

bool number_font_cut(NumberFont* font, const unsigned char* rgba, int width, int height) {
    memset(font, 0, sizeof *font);
    if (!rgba || width <= 0 || height <= 0)
        return false;
    font->rgba = rgba;
    font->width = width;
    font->height = height;
    font->separator = pixel_at(font, 0, 0);
    int found = 0;
    for (int y = 0; y < height && found < 10;) {
        int y_end = y + 1;
        while (y_end < height && pixel_at(font, 0, y_end) != font->separator)
            ++y_end;
        for (int x = 0; x < width && found < 10;) {
            int x_end = x + 1;
            while (x_end < width && pixel_at(font, x_end, y) != font->separator)
                ++x_end;
            font->digit[found++] = {x, y, x_end, y_end};
            x = x_end;
        }
        y = y_end;
    }
    return found == 10;
}

// How much of a font pixel is ink, 0..1; separator pixels are none.
static float ink(const NumberFont* f, int x, int y) {
    const unsigned int p = pixel_at(f, x, y);
    if (p == f->separator)
        return 0;
    const unsigned int r = p & 255, g = p >> 8 & 255, b = p >> 16 & 255, a = p >> 24;
    const unsigned int bright = r > g ? (r > b ? r : b) : (g > b ? g : b);
    return (float)a / 255.0f * (float)bright / 255.0f;
}

// Bilinear ink at a point of a cell given in cell pixels (centres at +0.5).
static float sample_cell(const NumberFont* f, const NumberGlyphCell* c, float u, float v) {
    const float fx = u - 0.5f, fy = v - 0.5f;
    const int ix = (int)floorf(fx), iy = (int)floorf(fy);
    const float tx = fx - (float)ix, ty = fy - (float)iy;
    const int x0 = clamp_keep_nan(c->x0 + ix, c->x0, c->x1 - 1), x1 = clamp_keep_nan(c->x0 + ix + 1, c->x0, c->x1 - 1);
    const int y0 = clamp_keep_nan(c->y0 + iy, c->y0, c->y1 - 1), y1 = clamp_keep_nan(c->y0 + iy + 1, c->y0, c->y1 - 1);
    const float top = ink(f, x0, y0) + (ink(f, x1, y0) - ink(f, x0, y0)) * tx;
    const float bottom = ink(f, x0, y1) + (ink(f, x1, y1) - ink(f, x0, y1)) * tx;
    return top + (bottom - top) * ty;
}

static bool read_colour(const char* name, const char* tag, unsigned char out[3]) {
    const char* at = name ? strstr(name, tag) : nullptr;
    if (!at)
        return false;
    float c[3];
    if (sscanf(at + strlen(tag), "%f,%f,%f", &c[0], &c[1], &c[2]) != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (isnan(c[i]))
            return false;
    }
    for (int i = 0; i < 3; ++i) {
        const float v = c[i] < 0 ? 0 : (c[i] > 1 ? 1 : c[i]);
        out[i] = (unsigned char)(v * 255.0f + 0.5f);
    }
    return true;
}

PlateColours number_plate_colours(const char* bike_texture_name) {
    PlateColours c = {{255, 255, 255}, {0, 0, 0}};
    unsigned char rgb[3];
    if (read_colour(bike_texture_name, "[numberbackground:", rgb))
        memcpy(c.background, rgb, 3);
    if (read_colour(bike_texture_name, "[numberforeground:", rgb))
        memcpy(c.foreground, rgb, 3);
    return c;
}

static const NumberGlyphCell* glyph_of(const NumberFont* font, char ch) {
    if (!font || ch < '0' || ch > '9')
        return nullptr;
    const NumberGlyphCell* c = &font->digit[ch - '0'];
    return (c->x1 > c->x0 && c->y1 > c->y0) ? c : nullptr;
}

// Width of a character as a fraction of the text height; missing glyphs 2/3.
static float glyph_width_ratio(const NumberGlyphCell* c) {
    return c ? (float)(c->x1 - c->x0) / (float)(c->y1 - c->y0) : 2.0f / 3.0f;
}

void number_plate_pixels(const char* number, const PlateColours* colours, const NumberFont* font,
                         unsigned char* out) {
    const int n = NUMBER_PLATE_SIZE;
    for (int i = 0; i < n * n; ++i) {
        memcpy(out + i * 4, colours->background, 3);
        out[i * 4 + 3] = 255;
    }
    const int count = number ? (int)strnlen(number, NUMBER_PLATE_MAX_CHARS) : 0;
    float total = 0;
    for (int i = 0; i < count; ++i)
        total += glyph_width_ratio(glyph_of(font, number[i]));
    if (count == 0 || total <= 0)
        return;
    // As tall as fits: at most 3/4 of the plate high and 9/10 of it wide.
    const float height = fminf(0.75f * n, 0.9f * n / total);
    float left = 0.5f * ((float)n - total * height);
    const float top = 0.5f * ((float)n - height);
    for (int i = 0; i < count; ++i) {
        const NumberGlyphCell* c = glyph_of(font, number[i]);
        const float w = glyph_width_ratio(c) * height;
        if (c) {
            const float sx = (float)(c->x1 - c->x0) / w, sy = (float)(c->y1 - c->y0) / height;
            for (int py = clamp_keep_nan((int)floorf(top), 0, n); py < clamp_keep_nan((int)ceilf(top + height), 0, n); ++py) {
                for (int px = clamp_keep_nan((int)floorf(left), 0, n); px < clamp_keep_nan((int)ceilf(left + w), 0, n); ++px) {
                    const float u = ((float)px + 0.5f - left) * sx, v = ((float)py + 0.5f - top) * sy;
                    if (u < 0 || v < 0 || u > (float)(c->x1 - c->x0) || v > (float)(c->y1 - c->y0))
                        continue;
                    const float a = sample_cell(font, c, u, v);
                    unsigned char* p = out + ((size_t)py * n + (size_t)px) * 4;
                    for (int k = 0; k < 3; ++k) {
                        const float now = p[k], fg = colours->foreground[k];
                        p[k] = (unsigned char)(now + (fg - now) * a + 0.5f);
                    }
                }
            }
        }
        left += w;
    }
}
