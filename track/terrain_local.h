// Shared between the terrain's own source files (queries, loader, saver,
// PNG height images); nothing outside track/terrain*.cpp includes this.
#pragma once
#include <stdint.h>

#include "track/terrain.h"

struct DataStream;

// Grids beyond 4097 vertices per side are refused: the image decoders stop
// below the next size, and its arrays would need gigabytes.
enum { TERRAIN_MAX_EXPONENT = 11 };

// Sets n, dim, tiles, size, spacing and allocates heights, reference
// heights, shading, shadows and tile map (zeroed). False when the values
// are refused or memory runs out (the arrays allocated so far stay owned by t).
[[nodiscard]] bool terrain_alloc_grid(Terrain* t, int n, float spacing, float min_height, float max_height);
// Allocates reshade marks (clear), triangle normals (all stale) and, with
// normal mapping, the normal map (unfilled) and its marks.
[[nodiscard]] bool terrain_alloc_caches(Terrain* t);
void terrain_fill_normal_map(Terrain* t, int i, int k);
void terrain_shade_vertex(Terrain* t, int i, int k);

// Heights from a greyscale PNG as 16-bit samples: dim*dim samples, the image's
// last row and column repeated when it is smaller. False when unreadable.
[[nodiscard]] bool terrain_png_read(DataStream* s, int dim, uint16_t* samples);

inline bool bit_get(const uint8_t* bits, long index) { return bits[index >> 3] & (1u << (index & 7)); }
inline void bit_set(uint8_t* bits, long index) { bits[index >> 3] |= (uint8_t)(1u << (index & 7)); }
// Sets bits from..to (inclusive).
inline void bits_set_range(uint8_t* bits, long from, long to) {
    if (from > to) return;
    long a = from >> 3, b = to >> 3;
    uint8_t head = (uint8_t)(0xffu << (from & 7)), tail = (uint8_t)(0xffu >> (7 - (to & 7)));
    if (a == b) {
        bits[a] |= head & tail;
        return;
    }
    bits[a] |= head;
    for (long i = a + 1; i < b; i++) bits[i] = 0xff;
    bits[b] |= tail;
}
inline void bit_clear(uint8_t* bits, long index) { bits[index >> 3] &= (uint8_t)~(1u << (index & 7)); }
