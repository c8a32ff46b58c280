// Image files through the data layer: whole-file reads decoded in memory
// and PNG files written safely (a temporary file renamed over the old one).
#include "app/data_file.h"
#include "app/alloc.h"
#include "render/image.h"

struct BytesToWrite {
    const std::vector<unsigned char>* bytes;
};

static bool write_bytes(DataStream* s, void* self) {
    const std::vector<unsigned char>* bytes = ((BytesToWrite*)self)->bytes;
    return data_write(s, bytes->data(), (int)bytes->size()) == (int)bytes->size();
}

static bool write_file(const char* name, const std::vector<unsigned char>& bytes) {
    BytesToWrite w = {&bytes};
    return write_data_file_safely(name, write_bytes, &w);
}

bool write_png(const char* name, const unsigned char* rgb, int width, int height) {
    std::vector<unsigned char> bytes;
    return encode_png(rgb, width, height, 3, /*bottom_up*/ true, &bytes) && write_file(name, bytes);
}

bool write_png_grey16(const char* name, const uint16_t* samples, int width, int height) {
    std::vector<unsigned char> bytes;
    return encode_png_grey16(samples, width, height, &bytes) && write_file(name, bytes);
}

typedef bool (*Decoder)(const unsigned char* data, size_t size, Image* out, const char** error);

static bool read_with(const char* name, Decoder decode, Image* out, const char** error) {
    size_t size = 0;
    char* data = file_to_buffer(name, &size);
    if (!data) {
        *error = "Can't open file";
        return false;
    }
    bool ok = decode((const unsigned char*)data, size, out, error);
    mem_free(data);
    return ok;
}

bool read_image_file(const char* name, Image* out, const char** error) {
    return read_with(name, decode_image, out, error);
}

bool read_ppm_file(const char* name, Image* out, const char** error) {
    return read_with(name, decode_ppm, out, error);
}

bool read_pgm_file(const char* name, Image* out, const char** error) {
    return read_with(name, decode_pgm, out, error);
}
