// Image files decoded on the CPU and PNG files written: PNG (libpng), PPM
// (P6/P3), PGM (P5/P2) and the predictive J6/J7 formats. Used by the texture
// registry, the terrain loaders, screenshots and the content generator.
// Nothing here touches OpenGL, so it runs headless. Sizes are pixels; rows
// run top to bottom. Damaged or hostile input is rejected with an error text,
// never trusted: no allocation is larger than the input can justify.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

struct Image {
    int width;
    int height;
    int bytes_per_pixel;                // 1 grey, 3 RGB, 4 RGBA
    std::vector<unsigned char> pixels;  // width * height * bytes_per_pixel
    std::string info;                   // PNG text chunks (the ".info" file is added by the loaders)
};

// Largest side and pixel count any decoder accepts; bigger headers are refused.
enum { IMAGE_MAX_SIDE = 16384, IMAGE_MAX_PIXELS = 1 << 26 };

// The first white-space-delimited token of a file (at most 15 characters),
// as the loaders dispatch on it ("J7", "P6", "ANIM1", "LINK", ...). Empty
// when the data starts with something longer or nothing at all.
std::string image_file_token(const unsigned char* data, size_t size);

// Each decoder fills `out` and returns true, or returns false with a static
// text in `*error` ("Can't get PPM dimensions", ...). `out` is left empty on
// failure.
[[nodiscard]] bool decode_png(const unsigned char* data, size_t size, Image* out, const char** error);
// PPM "P6"/"P3" to RGB; values scaled by 255 / maximum.
[[nodiscard]] bool decode_ppm(const unsigned char* data, size_t size, Image* out, const char** error);
// PGM "P5"/"P2" to one byte per pixel; values scaled by 255 / maximum.
[[nodiscard]] bool decode_pgm(const unsigned char* data, size_t size, Image* out, const char** error);
// "J6" to RGB or "J7" to RGBA.
[[nodiscard]] bool decode_j6_j7(const unsigned char* data, size_t size, Image* out, const char** error);
// By the first token: J7, J6, P6/P3, P5/P2, else PNG.
[[nodiscard]] bool decode_image(const unsigned char* data, size_t size, Image* out, const char** error);

// The same decoders reading from a position inside a larger buffer (the
// frames of an animation file); `*used` receives the bytes consumed.
[[nodiscard]] bool decode_j6_j7_at(const unsigned char* data, size_t size, size_t* used, Image* out,
                                   const char** error);

// A grey PNG read as 16-bit samples: 8-bit samples v widen to v * 257,
// colour is converted to grey with libpng's default weights, alpha dropped,
// palettes expanded. Height images of the terrain.
[[nodiscard]] bool decode_png_grey16(const unsigned char* data, size_t size, int* width, int* height,
                                     std::vector<uint16_t>* samples, const char** error);

// PNG encoders into memory. `rgb` is width * height * 3 bytes; with
// `bottom_up` the buffer's last row becomes the image's first row (a GL
// read-back). `bytes_per_pixel` 1, 2, 3 or 4 picks grey, grey+alpha, RGB, RGBA.
[[nodiscard]] bool encode_png(const unsigned char* pixels, int width, int height, int bytes_per_pixel,
                              bool bottom_up, std::vector<unsigned char>* out);
[[nodiscard]] bool encode_png_grey16(const uint16_t* samples, int width, int height,
                                     std::vector<unsigned char>* out);

// Files through the data layer ("@name" data names or paths). The writers
// write safely: the old file survives any failure.
// 8-bit RGB PNG; the buffer's last row becomes the image's first row.
[[nodiscard]] bool write_png(const char* name, const unsigned char* rgb, int width, int height);
[[nodiscard]] bool write_png_grey16(const char* name, const uint16_t* samples, int width, int height);
// A whole data file (at most IMAGE_MAX_FILE_BYTES); false when it cannot be
// opened or read.
enum : size_t { IMAGE_MAX_FILE_BYTES = (size_t)256 << 20 };
[[nodiscard]] bool read_data_file_bytes(const char* name, std::vector<unsigned char>* bytes);
// Reads and decodes a whole image file (any format of `decode_image`).
[[nodiscard]] bool read_image_file(const char* name, Image* out, const char** error);
// Reads a PPM or PGM file as the terrain loaders do.
[[nodiscard]] bool read_ppm_file(const char* name, Image* out, const char** error);
[[nodiscard]] bool read_pgm_file(const char* name, Image* out, const char** error);
