// The netpbm-style decoders (PPM, PGM) and the predictive J6/J7 formats.
// All read from a byte cursor that never passes the end of its buffer.
#include "base/image.h"

#include <ctype.h>
#include <string.h>

struct Cursor {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

static int peek(const Cursor* c) { return c->pos < c->size ? c->data[c->pos] : -1; }

static void skip_space(Cursor* c) {
    while (c->pos < c->size && isspace(c->data[c->pos])) c->pos++;
}

// White space and whole "#" comment lines before a header number.
static void skip_space_and_comments(Cursor* c) {
    skip_space(c);
    while (peek(c) == '#') {
        while (c->pos < c->size && c->data[c->pos] != '\n') c->pos++;
        skip_space(c);
    }
}

// A decimal number of at most 9 digits; false when none is there.
static bool read_number(Cursor* c, int* value) {
    skip_space_and_comments(c);
    int digits = 0;
    long v = 0;
    while (c->pos < c->size && isdigit(c->data[c->pos])) {
        if (++digits > 9) return false;
        v = v * 10 + (c->data[c->pos++] - '0');
    }
    if (digits == 0) return false;
    *value = (int)v;
    return true;
}

static std::string read_token(Cursor* c) {
    skip_space(c);
    std::string token;
    while (c->pos < c->size && !isspace(c->data[c->pos])) {
        if (token.size() == 15) return std::string();
        token.push_back((char)c->data[c->pos++]);
    }
    return token;
}

std::string image_file_token(const unsigned char* data, size_t size) {
    Cursor c = {data, size, 0};
    return read_token(&c);
}

static bool dimensions_allowed(int width, int height) {
    return width > 0 && height > 0 && width <= IMAGE_MAX_SIDE && height <= IMAGE_MAX_SIDE &&
           (long long)width * height <= IMAGE_MAX_PIXELS;
}

static void clear_image(Image* out) {
    out->width = out->height = out->bytes_per_pixel = 0;
    out->pixels.clear();
    out->info.clear();
}

// Width, height and (for netpbm) the maximum value after the token.
struct NetpbmHeader {
    int width, height, maximum;
};

// A text sample above the maximum (up to nine digits) counts as the maximum.
static int scale_sample(int v, int maximum) {
    if (v > maximum) v = maximum;
    if (maximum == 255) return v;
    return v * 255 / maximum;
}

// Samples of a netpbm body: binary (one byte each, or two big-endian bytes
// when the maximum exceeds 255) or decimal text.
static bool read_netpbm_body(Cursor* c, bool binary, const NetpbmHeader& h, int channels, Image* out,
                             const char** error) {
    size_t count = (size_t)h.width * h.height * channels;
    if (binary) {
        c->pos++;  // one separator byte
        size_t sample_bytes = h.maximum > 255 ? 2 : 1;
        if (c->pos > c->size || (c->size - c->pos) / sample_bytes < count) {
            *error = "Short pixel data";
            return false;
        }
        out->pixels.resize(count);
        const unsigned char* p = c->data + c->pos;
        for (size_t i = 0; i < count; i++) {
            int v = sample_bytes == 2 ? (p[2 * i] << 8 | p[2 * i + 1]) : p[i];
            out->pixels[i] = (unsigned char)scale_sample(v, h.maximum);
        }
        c->pos += count * sample_bytes;
        return true;
    }
    // Text samples need at least two bytes each, which bounds the allocation.
    if ((c->size - c->pos) / 2 + 1 < count) {
        *error = "Short pixel data";
        return false;
    }
    out->pixels.resize(count);
    for (size_t i = 0; i < count; i++) {
        int v;
        if (!read_number(c, &v)) {
            *error = "Short pixel data";
            return false;
        }
        out->pixels[i] = (unsigned char)scale_sample(v, h.maximum);
    }
    return true;
}

static bool decode_netpbm(const unsigned char* data, size_t size, Image* out, const char** error,
                          const char* binary_token, const char* text_token, int channels,
                          const char* header_error, const char* dimension_error) {
    clear_image(out);
    Cursor c = {data, size, 0};
    std::string token = read_token(&c);
    bool binary = token == binary_token;
    if (!binary && token != text_token) {
        *error = header_error;
        return false;
    }
    NetpbmHeader h;
    if (!read_number(&c, &h.width) || !read_number(&c, &h.height) || !dimensions_allowed(h.width, h.height)) {
        *error = dimension_error;
        return false;
    }
    if (!read_number(&c, &h.maximum) || h.maximum < 1 || h.maximum > 65535) {
        *error = header_error;
        return false;
    }
    if (!read_netpbm_body(&c, binary, h, channels, out, error)) {
        clear_image(out);
        return false;
    }
    out->width = h.width;
    out->height = h.height;
    out->bytes_per_pixel = channels;
    return true;
}

bool decode_ppm(const unsigned char* data, size_t size, Image* out, const char** error) {
    return decode_netpbm(data, size, out, error, "P6", "P3", 3, "Can't parse PPM header",
                         "Can't get PPM dimensions");
}

bool decode_pgm(const unsigned char* data, size_t size, Image* out, const char** error) {
    return decode_netpbm(data, size, out, error, "P5", "P2", 1, "Can't get PGM dimensions",
                         "Can't get PGM dimensions");
}

// Each byte is added (mod 256) to a prediction of its channel: 0 for the
// first pixel, the left neighbour in the first row, the upper one in the
// first column, else left + upper - upper-left clamped to 0..255.
static void undo_prediction(unsigned char* pixels, const unsigned char* deltas, int width, int height,
                            int channels) {
    size_t stride = (size_t)width * channels;
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            for (int ch = 0; ch < channels; ch++) {
                size_t i = y * stride + (size_t)x * channels + ch;
                int predicted;
                if (x == 0 && y == 0) predicted = 0;
                else if (y == 0) predicted = pixels[i - channels];
                else if (x == 0) predicted = pixels[i - stride];
                else {
                    predicted = pixels[i - channels] + pixels[i - stride] - pixels[i - stride - channels];
                    predicted = predicted < 0 ? 0 : predicted > 255 ? 255 : predicted;
                }
                pixels[i] = (unsigned char)(predicted + deltas[i]);
            }
        }
    }
}

bool decode_j6_j7_at(const unsigned char* data, size_t size, size_t* used, Image* out, const char** error) {
    clear_image(out);
    Cursor c = {data, size, 0};
    std::string token = read_token(&c);
    int channels = token == "J7" ? 4 : token == "J6" ? 3 : 0;
    if (channels == 0) {
        *error = "Unknown image format";
        return false;
    }
    int width, height;
    if (!read_number(&c, &width) || !read_number(&c, &height) || !dimensions_allowed(width, height)) {
        *error = channels == 4 ? "Can't get J7 dimensions" : "Can't get J6 dimensions";
        return false;
    }
    c.pos++;  // one separator byte
    size_t count = (size_t)width * height * channels;
    if (c.pos > c.size || c.size - c.pos < count) {
        *error = "Short pixel data";
        return false;
    }
    out->pixels.resize(count);
    undo_prediction(out->pixels.data(), c.data + c.pos, width, height, channels);
    out->width = width;
    out->height = height;
    out->bytes_per_pixel = channels;
    *used = c.pos + count;
    return true;
}

bool decode_j6_j7(const unsigned char* data, size_t size, Image* out, const char** error) {
    size_t used;
    return decode_j6_j7_at(data, size, &used, out, error);
}

bool decode_image(const unsigned char* data, size_t size, Image* out, const char** error) {
    std::string token = image_file_token(data, size);
    if (token == "J7" || token == "J6") return decode_j6_j7(data, size, out, error);
    if (token == "P6" || token == "P3") return decode_ppm(data, size, out, error);
    if (token == "P5" || token == "P2") return decode_pgm(data, size, out, error);
    return decode_png(data, size, out, error);
}
