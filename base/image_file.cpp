// Image files through the data layer: whole-file reads decoded in memory
// and PNG files written safely (a temporary file renamed over the old one).
#include "base/data_file.h"
#include "base/image.h"

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

bool read_data_file_bytes(const char* name, std::vector<unsigned char>* bytes) {
    bytes->clear();
    DataStream* s = open_data_file(name, "rb");
    if (!s) return false;
    unsigned char block[65536];
    int got;
    while ((got = data_read(s, block, sizeof block)) > 0) {
        if (bytes->size() + (size_t)got > IMAGE_MAX_FILE_BYTES) {
            bytes->clear();
            close_data_file(s);
            return false;
        }
        bytes->insert(bytes->end(), block, block + got);
    }
    bool failed = data_error(s);
    close_data_file(s);
    if (failed) bytes->clear();
    return !failed;
}

typedef bool (*Decoder)(const unsigned char* data, size_t size, Image* out, const char** error);

static bool read_with(const char* name, Decoder decode, Image* out, const char** error) {
    std::vector<unsigned char> bytes;
    if (!read_data_file_bytes(name, &bytes)) {
        *error = "Can't open file";
        return false;
    }
    return decode(bytes.data(), bytes.size(), out, error);
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
