// Height images: a greyscale PNG read as 16-bit samples, streamed row by
// row from the data layer so that large grids need no whole-file buffer.
// libpng reports errors by longjmp to the setjmp below: only plain buffers
// (freed after the jump) live across the library calls.
#include <png.h>
#include <setjmp.h>
#include <string.h>

#include "base/alloc.h"
#include "base/data_file.h"
#include "platform/log.h"
#include "track/terrain_local.h"

static void read_from_stream(png_structp png, png_bytep data, png_size_t length) {
    DataStream* s = (DataStream*)png_get_io_ptr(png);
    if (data_read(s, data, (int)length) != (int)length) png_error(png, "unexpected end of image");
}

static void report_png_error(png_structp png, png_const_charp message) {
    log("PNG error: %s\n", message);
    png_longjmp(png, 1);
}

static void ignore_png_warning(png_structp, png_const_charp) {}

// An image needing more than this many bytes of rows is treated as unreadable.
static const size_t MAX_IMAGE_BYTES = (size_t)1 << 28;

bool terrain_png_read(DataStream* s, int dim, uint16_t* samples) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, report_png_error, ignore_png_warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    uint8_t* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    if (!info || setjmp(png_jmpbuf(png))) {
        mem_free(rows);
        mem_free(pixels);
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    png_set_read_fn(png, s, read_from_stream);
    png_read_info(png, info);
    png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    int colour = png_get_color_type(png, info);
    png_set_expand(png);  // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
    png_set_strip_alpha(png);
    if (colour & PNG_COLOR_MASK_COLOR) png_set_rgb_to_gray(png, 1, -1, -1);  // library's default weights
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    int bit_depth = png_get_bit_depth(png, info);
    int channels = png_get_channels(png, info);
    size_t row_bytes = png_get_rowbytes(png, info);
    if (channels != 1 || (bit_depth != 8 && bit_depth != 16) || width == 0 || height == 0)
        png_error(png, "not a greyscale image");
    // Rows beyond the grid are never needed unless interlacing spreads every row over the passes.
    png_uint_32 kept = passes > 1 || height < (png_uint_32)dim ? height : (png_uint_32)dim;
    if (row_bytes == 0 || kept > MAX_IMAGE_BYTES / row_bytes) png_error(png, "image too large");
    pixels = (uint8_t*)mem_alloc(row_bytes * kept);
    rows = (png_bytep*)mem_alloc(sizeof(png_bytep) * kept);
    if (!pixels || !rows) png_error(png, "out of memory");
    for (png_uint_32 r = 0; r < kept; r++) rows[r] = pixels + row_bytes * r;
    if (passes > 1) {
        png_read_image(png, rows);
    } else {
        for (png_uint_32 r = 0; r < kept; r++) png_read_row(png, rows[r], nullptr);
    }
    for (int k = 0; k < dim; k++) {
        const uint8_t* row = rows[(png_uint_32)k < kept ? k : kept - 1];
        for (int i = 0; i < dim; i++) {
            png_uint_32 column = (png_uint_32)i < width ? i : width - 1;
            uint16_t v = bit_depth == 16 ? (uint16_t)(row[2 * column] << 8 | row[2 * column + 1])
                                         : (uint16_t)(row[column] * 257);
            samples[i + (size_t)dim * k] = v;
        }
    }
    mem_free(rows);
    mem_free(pixels);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}
