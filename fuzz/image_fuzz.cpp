// Image files from tracks and bikes: PNG, PPM, PGM and the J6/J7 formats,
// whole or as a frame inside an animation, and PNG height images. A decoder
// either refuses with a text or gives exactly width * height pixels.
#include "fuzz_support.h"
#include "base/image.h"

namespace {

void check_image(bool ok, const Image& image, const char* error)
{
    if (!ok) {
        fuzz_check(error != nullptr, "a refusal without a text");
        return;
    }
    fuzz_check(image.width > 0 && image.height > 0 && image.width <= IMAGE_MAX_SIDE &&
                   image.height <= IMAGE_MAX_SIDE,
               "a decoded size outside the accepted sides");
    fuzz_check(image.bytes_per_pixel == 1 || image.bytes_per_pixel == 3 || image.bytes_per_pixel == 4,
               "a pixel size no loader knows");
    fuzz_check(image.pixels.size() == (size_t)image.width * image.height * image.bytes_per_pixel,
               "pixels and size disagree");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    (void)image_file_token(data, size);
    Image image{};
    const char* error = nullptr;
    check_image(decode_image(data, size, &image, &error), image, error);

    // As one frame of an animation: the used count must stay within the data.
    Image frame{};
    size_t used = 0;
    error = nullptr;
    bool ok = decode_j6_j7_at(data, size, &used, &frame, &error);
    check_image(ok, frame, error);
    if (ok) fuzz_check(used <= size, "a frame used more bytes than it had");

    int width = 0, height = 0;
    std::vector<uint16_t> samples;
    error = nullptr;
    if (decode_png_grey16(data, size, &width, &height, &samples, &error))
        fuzz_check(samples.size() == (size_t)width * height, "samples and size disagree");
    else
        fuzz_check(error != nullptr, "a refusal without a text");
    return 0;
}
