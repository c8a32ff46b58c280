#include "sim/shape.h"

#include <math.h>

#include <algorithm>
#include <map>
#include <string>

#include "base/alloc.h"
#include "base/data_file.h"
#include "base/model_text.h"

static std::map<std::string, Shape> cache;

bool parse_shape(const char* text, size_t size, Shape* out) {
    TextCursor c = {text, text + size};
    int count;
    if (!text_int(&c, &count) || count < 0 || (int64_t)count * 7 > text_numbers_left(&c)) return false;
    Shape shape{};
    shape.spheres.resize((size_t)count);
    for (ShapeSphere& s : shape.spheres) {
        float* values[7] = {&s.centre[0], &s.centre[1], &s.centre[2], &s.radius, &s.friction, &s.stiffness, &s.damping};
        for (float* v : values)
            if (!text_float(&c, v)) return false;
        float reach = sqrtf(s.centre[0] * s.centre[0] + s.centre[1] * s.centre[1] + s.centre[2] * s.centre[2]) + s.radius;
        // Finite values can still reach past the float range (a centre at 1e38 ft).
        if (s.radius < 0 || !isfinite(reach)) return false;
        shape.bounding_radius = std::max(shape.bounding_radius, reach);
    }
    *out = std::move(shape);
    return true;
}

Shape* load_shape(const char* name) {
    auto found = cache.find(name);
    if (found == cache.end()) {
        size_t size = 0;
        char* text = file_to_buffer(name, &size);
        if (!text) return nullptr;
        Shape shape;
        bool ok = parse_shape(text, size, &shape);
        mem_free(text);
        if (!ok) return nullptr;
        found = cache.emplace(name, std::move(shape)).first;
    }
    return new Shape(found->second);
}

void shape_free(Shape* shape) { delete shape; }

void shape_cache_free() { cache.clear(); }
