// Collision shapes read from ".shp" files: spheres in the body's frame with
// the friction, stiffness and damping the ground contact uses. Cached by
// file name for the program's life; every user gets its own copy. Units: ft,
// lb/ft (stiffness), lb per ft/s (damping). No GL; main thread.
#pragma once
#include <stddef.h>

#include <vector>

struct ShapeSphere {
    float centre[3];  // ft, body frame
    float radius;     // ft
    float friction;   // coefficient
    float stiffness;  // lb/ft
    float damping;    // lb per ft/s
};

struct Shape {
    std::vector<ShapeSphere> spheres;
    float bounding_radius;  // ft: the largest |centre| + radius
};

// Parses ".shp" text: "%d" N, then per sphere "%f %f %f" and "%f %f %f %f".
// False on any unreadable or non-finite number, a negative count or radius,
// or a count the text cannot hold.
[[nodiscard]] bool parse_shape(const char* text, size_t size, Shape* out);
// A private copy of the cached shape of a data name, or null when the file
// cannot be read (the caller reports "Warning: missing shape file %.900s").
// Free with `shape_free`.
[[nodiscard]] Shape* load_shape(const char* name);
void shape_free(Shape* shape);
// Forgets the cache (exit, tests).
void shape_cache_free();
