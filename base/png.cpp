// PNG through libpng. libpng reports errors by longjmp from its error
// callback; each entry below confines that to one C-style function whose
// locals have no destructors between setjmp and the end of libpng's work
// (buffers are owned by the caller's vectors, sized before the jump point).
#include <png.h>
#include <string.h>

#include "base/image.h"

struct MemoryReader {
    const unsigned char* data;
    size_t size;
    size_t pos;
};

static void read_from_memory(png_structp png, png_bytep out, png_size_t count) {
    MemoryReader* r = (MemoryReader*)png_get_io_ptr(png);
    if (r->size - r->pos < count) png_error(png, "Short PNG data");
    memcpy(out, r->data + r->pos, count);
    r->pos += count;
}

static void write_to_memory(png_structp png, png_bytep data, png_size_t count) {
    std::vector<unsigned char>* out = (std::vector<unsigned char>*)png_get_io_ptr(png);
    out->insert(out->end(), data, data + count);
}

static void flush_nothing(png_structp) {}

// libpng's warnings (unknown chunks, bad gamma) are no reason to refuse an image.
static void ignore_warning(png_structp, png_const_charp) {}

// Our own refusals, told apart from libpng's errors by address.
static const char TOO_LARGE[] = "Image larger than its data";

// Errors end the decode quietly; the caller reports them in its own words.
// The error pointer, when set, receives whether it was our size refusal.
static void quiet_error(png_structp png, png_const_charp message) {
    bool* too_large = (bool*)png_get_error_ptr(png);
    if (too_large) *too_large = message == TOO_LARGE;
    png_longjmp(png, 1);
}

static void append_text_chunks(png_structp png, png_infop info, std::string* text) {
    png_textp chunks;
    int count = 0;
    if (info && png_get_text(png, info, &chunks, &count) > 0) {
        for (int i = 0; i < count; i++) {
            if (chunks[i].text) text->append(chunks[i].text, chunks[i].text_length);
        }
    }
}

// What the decoding entries want from libpng after the header is read.
enum PngTarget { PNG_TARGET_RGB_OR_RGBA, PNG_TARGET_GREY16 };

struct PngDecode {
    PngTarget target;
    int width, height, channels;
    size_t row_bytes;
    std::vector<unsigned char>* pixels;  // sized by png_decode_body's caller hook
    std::string* text;
};

static void set_transforms(png_structp png, png_infop info, PngTarget target) {
    int colour = png_get_color_type(png, info);
    int depth = png_get_bit_depth(png, info);
    if (colour == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if ((colour & PNG_COLOR_MASK_COLOR) == 0 && depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (target == PNG_TARGET_RGB_OR_RGBA) {
        if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
        if (depth == 16) png_set_strip_16(png);
        if ((colour & PNG_COLOR_MASK_COLOR) == 0) png_set_gray_to_rgb(png);
    } else {
        if (colour & PNG_COLOR_MASK_COLOR || colour == PNG_COLOR_TYPE_PALETTE)
            png_set_rgb_to_gray_fixed(png, 1, -1, -1);
        if (colour & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
        png_set_expand_16(png);
        png_set_swap(png);  // host order on little-endian machines
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Returns null on success, else the error text. Only plain data crosses the
// setjmp boundary: the pixel vector is resized before any row is read.
static const char* run_decode(const unsigned char* data, size_t size, PngDecode* d) {
    if (size < 8 || png_sig_cmp((png_const_bytep)data, 0, 8) != 0) return "Not a PNG file";
    static bool too_large;  // main thread only, like every image load
    too_large = false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &too_large, quiet_error, ignore_warning);
    if (!png) return "Out of memory";
    png_infop info = png_create_info_struct(png);
    png_infop end_info = png_create_info_struct(png);
    png_bytep* volatile rows = nullptr;
    MemoryReader reader = {data, size, 0};
    if (!info || !end_info || setjmp(png_jmpbuf(png))) {
        png_free(png, rows);
        png_destroy_read_struct(&png, &info, &end_info);
        return too_large ? TOO_LARGE : "Can't decode PNG data";
    }
    png_set_user_limits(png, IMAGE_MAX_SIDE, IMAGE_MAX_SIDE);
    png_set_read_fn(png, &reader, read_from_memory);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info);
    png_uint_32 height = png_get_image_height(png, info);
    if ((unsigned long long)width * height > IMAGE_MAX_PIXELS) png_error(png, TOO_LARGE);
    append_text_chunks(png, info, d->text);
    // Deflate expands at most 1032 times, so a picture much larger than that
    // over the file's size cannot be real data: refuse before allocating.
    if ((unsigned long long)png_get_rowbytes(png, info) * height > (unsigned long long)size * 1032 + (1u << 20))
        png_error(png, TOO_LARGE);
    set_transforms(png, info, d->target);
    d->width = (int)width;
    d->height = (int)height;
    d->channels = png_get_channels(png, info);
    d->row_bytes = png_get_rowbytes(png, info);
    d->pixels->resize(d->row_bytes * height);
    rows = (png_bytep*)png_malloc(png, sizeof(png_bytep) * height);
    for (png_uint_32 y = 0; y < height; y++) rows[y] = d->pixels->data() + y * d->row_bytes;
    png_read_image(png, rows);
    png_read_end(png, end_info);
    append_text_chunks(png, end_info, d->text);
    png_free(png, rows);
    png_destroy_read_struct(&png, &info, &end_info);
    return nullptr;
}

bool decode_png(const unsigned char* data, size_t size, Image* out, const char** error) {
    out->pixels.clear();
    out->info.clear();
    PngDecode d = {PNG_TARGET_RGB_OR_RGBA, 0, 0, 0, 0, &out->pixels, &out->info};
    const char* failure = run_decode(data, size, &d);
    if (failure || (d.channels != 3 && d.channels != 4)) {
        *error = failure ? failure : "Unsupported PNG layout";
        out->pixels.clear();
        out->info.clear();
        out->width = out->height = out->bytes_per_pixel = 0;
        return false;
    }
    out->width = d.width;
    out->height = d.height;
    out->bytes_per_pixel = d.channels;
    return true;
}

bool decode_png_grey16(const unsigned char* data, size_t size, int* width, int* height,
                       std::vector<uint16_t>* samples, const char** error) {
    std::vector<unsigned char> bytes;
    std::string text;
    PngDecode d = {PNG_TARGET_GREY16, 0, 0, 0, 0, &bytes, &text};
    const char* failure = run_decode(data, size, &d);
    if (failure || d.channels != 1 || d.row_bytes != (size_t)d.width * 2) {
        *error = failure ? failure : "Unsupported PNG layout";
        samples->clear();
        return false;
    }
    samples->resize((size_t)d.width * d.height);
    memcpy(samples->data(), bytes.data(), samples->size() * 2);
    *width = d.width;
    *height = d.height;
    return true;
}

// Rows are given top to bottom; `depth` 8 or 16 bits per sample.
static bool run_encode(const unsigned char* const* rows, int width, int height, int colour_type, int depth,
                       std::vector<unsigned char>* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet_error, ignore_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, write_to_memory, flush_nothing);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, depth, colour_type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    if (depth == 16) png_set_swap(png);
    png_write_rows(png, (png_bytepp)rows, (png_uint_32)height);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

bool encode_png(const unsigned char* pixels, int width, int height, int bytes_per_pixel, bool bottom_up,
                std::vector<unsigned char>* out) {
    static const int colour_types[5] = {-1, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                        PNG_COLOR_TYPE_RGB_ALPHA};
    out->clear();
    if (width <= 0 || height <= 0 || bytes_per_pixel < 1 || bytes_per_pixel > 4) return false;
    std::vector<const unsigned char*> rows((size_t)height);
    size_t stride = (size_t)width * bytes_per_pixel;
    for (int y = 0; y < height; y++) rows[y] = pixels + (bottom_up ? height - 1 - y : y) * stride;
    return run_encode(rows.data(), width, height, colour_types[bytes_per_pixel], 8, out);
}

bool encode_png_grey16(const uint16_t* samples, int width, int height, std::vector<unsigned char>* out) {
    out->clear();
    if (width <= 0 || height <= 0) return false;
    std::vector<const unsigned char*> rows((size_t)height);
    for (int y = 0; y < height; y++) rows[y] = (const unsigned char*)(samples + (size_t)y * width);
    return run_encode(rows.data(), width, height, PNG_COLOR_TYPE_GRAY, 16, out);
}
