// ".shp" collision shapes: a parsed shape holds only finite spheres of
// non-negative radius, and its bounding radius encloses them all.
#include <math.h>

#include "fuzz_support.h"
#include "sim/shape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Shape shape;
    if (!parse_shape((const char*)data, size, &shape)) return 0;
    fuzz_check(isfinite(shape.bounding_radius), "a bounding radius that is not a number");
    for (const ShapeSphere& s : shape.spheres) {
        const float values[] = {s.centre[0], s.centre[1], s.centre[2], s.radius, s.friction, s.stiffness, s.damping};
        for (float v : values) fuzz_check(isfinite(v), "a sphere value that is not a number");
        fuzz_check(s.radius >= 0, "a negative radius");
        float reach = sqrtf(s.centre[0] * s.centre[0] + s.centre[1] * s.centre[1] + s.centre[2] * s.centre[2]) + s.radius;
        fuzz_check(reach <= shape.bounding_radius * 1.0001f + 1e-6f, "a sphere outside the bounding radius");
    }
    return 0;
}
