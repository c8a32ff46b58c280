// Uploading number plates: reads the number font once through the image
// decoders and hands composed plates to the texture module.
#include <GL/gl.h>
#include <string.h>

#include <vector>

#include "platform/log.h"
#include "base/image.h"
#include "render/mip.h"
#include "render/number_plate_texture.h"
#include "render/texture.h"
#include "sim/number_plate.h"

static const char NUMBER_FONT_NAME[] = "@numbers.png";

static std::vector<unsigned char> g_font_pixels;  // RGBA of the font image
static NumberFont g_font;
static bool g_font_tried;
static bool g_font_ok;

// Grey, grey-and-alpha, RGB or RGBA to RGBA.
static bool to_rgba(const Image& image, std::vector<unsigned char>* out) {
    const size_t count = (size_t)image.width * (size_t)image.height;
    const int bpp = image.bytes_per_pixel;
    if (bpp < 1 || bpp > 4 || image.pixels.size() < count * (size_t)bpp)
        return false;
    out->resize(count * 4);
    for (size_t i = 0; i < count; ++i) {
        const unsigned char* p = &image.pixels[i * (size_t)bpp];
        unsigned char* q = &(*out)[i * 4];
        const bool grey = bpp <= 2;
        q[0] = p[0];
        q[1] = grey ? p[0] : p[1];
        q[2] = grey ? p[0] : p[2];
        q[3] = bpp == 2 ? p[1] : (bpp == 4 ? p[3] : 255);
    }
    return true;
}

static const NumberFont* number_font() {
    if (!g_font_tried) {
        g_font_tried = true;
        Image image;
        const char* error = nullptr;
        g_font_ok = read_image_file(NUMBER_FONT_NAME, &image, &error) && to_rgba(image, &g_font_pixels) &&
                    number_font_cut(&g_font, g_font_pixels.data(), image.width, image.height);
        if (!g_font_ok)
            log("Number plates drawn without digits: can't use '%s' (%s)\n", NUMBER_FONT_NAME,
                error ? error : "fewer than ten cells");
    }
    return g_font_ok ? &g_font : nullptr;
}

int number_plate_texture(const char* number, const char* bike_texture_name) {
    const PlateColours colours = number_plate_colours(bike_texture_name);
    std::vector<unsigned char> plate((size_t)NUMBER_PLATE_SIZE * NUMBER_PLATE_SIZE * 4);
    number_plate_pixels(number, &colours, number_font(), plate.data());
    const std::vector<unsigned char> chain =
        make_mip_chain(plate.data(), NUMBER_PLATE_SIZE, NUMBER_PLATE_SIZE, 4, false);
    return create_texture(chain.data(), NUMBER_PLATE_SIZE, NUMBER_PLATE_SIZE, 4, 0);
}

void number_plate_texture_release(int tid) {
    if (tid <= 0)
        return;
    const GLuint name = (GLuint)tid;
    glDeleteTextures(1, &name);
}

void number_plate_font_free() {
    g_font_pixels = std::vector<unsigned char>();
    memset(&g_font, 0, sizeof g_font);
    g_font_tried = g_font_ok = false;
}
