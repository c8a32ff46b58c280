// A track's "lighting" file: the planes end up ordered and in range, the sun
// is a unit vector, and no flare holds more than eight elements.
#include <math.h>

#include "base/data_file.h"
#include "base/messages.h"
#include "fuzz_support.h"
#include "track/lighting.h"

namespace {
void drop(const char*, void*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz_home() + "/lighting";
    if (!fuzz_write_file(path, data, size)) return 0;
    set_message_sink(drop, nullptr);
    DataStream* stream = open_data_file(path.c_str(), "rb");
    if (!stream) return 0;
    Lighting l;
    lighting_read(&l, stream);
    close_data_file(stream);
    fuzz_check(l.near_plane >= 1.0f / 1024 && l.near_plane <= 0.875f, "a near plane out of range");
    fuzz_check(l.far_plane >= l.near_plane && l.far_plane <= 1048576, "a far plane out of range");
    const float sun = sqrtf(l.sun[0] * l.sun[0] + l.sun[1] * l.sun[1] + l.sun[2] * l.sun[2]);
    fuzz_check(fabsf(sun - 1) < 1e-3f, "a sun that is no unit vector");
    for (const LensFlare& f : l.flares) fuzz_check(f.elements.size() <= LIGHTING_MAX_FLARE_ELEMENTS, "too many flare elements");
    for (const std::string& face : l.sky) fuzz_check(!face.empty(), "a sky face without an image");
    return 0;
}
