// Terrain record lifetime, the ground queries, triangle and vertex normals,
// reshading and the decal grid.
#include "track/terrain.h"

#include <assert.h>
#include <math.h>
#include <string.h>

#include <algorithm>
#include <new>

#include "base/alloc.h"
#include "base/num.h"
#include "track/terrain_local.h"

TerrainLighting terrain_default_lighting() {
    const float c = 0.57735026f;  // (1, 1, 1) normalised
    return TerrainLighting{{c, c, c}, {1, 1, 1}, {0.5f, 0.5f, 0.5f}};
}

std::string terrain_file_name(const char* folder, const char* file) {
    std::string name = folder[0] == '/' ? "" : "@";
    name += folder;
    name += "/";
    name += file;
    return name;
}

static long bit_bytes(long count) { return (count + 7) / 8; }

bool terrain_alloc_grid(Terrain* t, int n, float spacing, float min_height, float max_height) {
    if (n < 0 || n > TERRAIN_MAX_EXPONENT) return false;
    if (!(spacing > 0) || !isfinite(spacing) || !isfinite(min_height) || !isfinite(max_height)) return false;
    float size = (float)(1 << (n + 1)) * spacing;
    float inverse = 1.0f / spacing;
    if (!isfinite(size) || !isfinite(inverse) || !isfinite(max_height - min_height)) return false;
    t->n = n;
    t->dim = (1 << (n + 1)) + 1;
    t->tiles = 1 << n;
    t->spacing = spacing;
    t->inverse_spacing = inverse;
    t->size = size;
    t->tile_size = 2 * spacing;
    t->min_height = min_height;
    t->max_height = max_height;
    size_t vertices = (size_t)t->dim * (size_t)t->dim;
    t->heights = (float*)mem_alloc_zeroed(vertices, sizeof(float));
    t->reference_heights = (float*)mem_alloc_zeroed(vertices, sizeof(float));
    t->shading = (uint8_t*)mem_alloc_zeroed(vertices, 3);
    t->shadows = (uint8_t*)mem_alloc_zeroed(vertices, 1);
    t->tile_map = (uint8_t*)mem_alloc_zeroed((size_t)t->tiles * (size_t)t->tiles, 1);
    return t->heights && t->reference_heights && t->shading && t->shadows && t->tile_map;
}

bool terrain_alloc_caches(Terrain* t) {
    long vertices = (long)t->dim * t->dim;
    long triangles = 2L * (t->dim - 1) * (t->dim - 1);
    t->reshade_marks = (uint8_t*)mem_alloc_zeroed(bit_bytes(vertices), 1);
    t->triangle_normals = (float*)mem_alloc_zeroed(triangles * 3, sizeof(float));
    t->normal_stale = (uint8_t*)mem_alloc(bit_bytes(triangles));
    t->mark_blocks_per_side = (t->dim + TERRAIN_MARK_BLOCK - 1) / TERRAIN_MARK_BLOCK;
    t->mark_blocks = (uint8_t*)mem_alloc_zeroed(bit_bytes((long)t->mark_blocks_per_side * t->mark_blocks_per_side), 1);
    t->marked_x0 = t->marked_z0 = 0;
    t->marked_x1 = t->marked_z1 = -1;
    if (!t->reshade_marks || !t->triangle_normals || !t->normal_stale || !t->mark_blocks) return false;
    memset(t->normal_stale, 0xff, bit_bytes(triangles));
    if (!t->normal_mapping) return true;
    t->normal_map = (uint8_t*)mem_alloc_zeroed(vertices, 3);
    t->normal_map_marks = (uint8_t*)mem_alloc_zeroed(bit_bytes(vertices), 1);
    return t->normal_map && t->normal_map_marks;
}

Terrain* terrain_create(int n, float spacing, float height) {
    Terrain* t = new (std::nothrow) Terrain{};
    if (!t) return nullptr;
    t->lighting = terrain_default_lighting();
    if (!terrain_alloc_grid(t, n, spacing, height, height) || !terrain_alloc_caches(t)) {
        terrain_free(t);
        return nullptr;
    }
    long vertices = (long)t->dim * t->dim;
    for (long v = 0; v < vertices; v++) t->heights[v] = t->reference_heights[v] = height;
    t->surfaces.entries.push_back(tileinfo_default_entry());
    memset(t->reshade_marks, 0xff, bit_bytes(vertices));
    memset(t->mark_blocks, 0xff, bit_bytes((long)t->mark_blocks_per_side * t->mark_blocks_per_side));
    terrain_reshade(t);
    return t;
}

void terrain_free(Terrain* t) {
    if (!t) return;
    mem_free(t->mark_blocks);
    mem_free(t->normal_map_marks);
    mem_free(t->normal_map);
    mem_free(t->reshade_marks);
    mem_free(t->normal_stale);
    mem_free(t->triangle_normals);
    mem_free(t->tile_map);
    mem_free(t->shadows);
    mem_free(t->shading);
    mem_free(t->reference_heights);
    mem_free(t->heights);
    delete t;
}

static int clamp_index(int v, int hi) { return v < 0 ? 0 : (v > hi ? hi : v); }

// Grid coordinates are kept far inside int range; NaN lands on the low edge.
static double grid_coordinate(float world, float inverse_spacing) {
    double u = (double)world * inverse_spacing;
    if (!(u > -1e9)) return -1e9;
    if (u > 1e9) return 1e9;
    return u;
}

// The triangle of the grid under (u, v) in grid units: base vertex (b, r),
// its neighbour (o, r) along x and (b, q) along z, indices clamped, and the
// weights l and m towards them.
struct GridTriangle {
    int b, o, r, q;
    double l, m;
};

static GridTriangle grid_triangle(const Terrain* t, float x, float z) {
    double u = grid_coordinate(x, t->inverse_spacing), v = grid_coordinate(z, t->inverse_spacing);
    double fi = floor(u), fk = floor(v);
    int i = (int)fi, k = (int)fk;
    double fu = u - fi, fv = v - fk;
    GridTriangle g;
    g.r = k, g.q = k + 1, g.m = fv;
    if ((i + k) & 1) {
        g.b = i, g.o = i + 1, g.l = fu;
    } else {
        g.b = i + 1, g.o = i, g.l = 1 - fu;
    }
    if (g.l + g.m > 1) {  // the cell's second triangle
        g.l = 1 - g.l, g.m = 1 - fv;
        int swap = g.b;
        g.b = g.o, g.o = swap;
        g.r = k + 1, g.q = k;
    }
    int last = t->dim - 1;
    g.b = clamp_index(g.b, last), g.o = clamp_index(g.o, last);
    g.r = clamp_index(g.r, last), g.q = clamp_index(g.q, last);
    return g;
}

static float interpolate(const Terrain* t, const float* h, float x, float z) {
    GridTriangle g = grid_triangle(t, x, z);
    double h0 = h[g.b + t->dim * g.r];
    return (float)(h0 + g.l * (h[g.o + t->dim * g.r] - h0) + g.m * (h[g.b + t->dim * g.q] - h0));
}

float terrain_height(const Terrain* t, float x, float z) { return interpolate(t, t->heights, x, z); }

float terrain_reference_height(const Terrain* t, float x, float z) {
    return interpolate(t, t->reference_heights, x, z);
}

void terrain_ground_normal(const Terrain* t, float x, float z, float out[3]) {
    GridTriangle g = grid_triangle(t, x, z);
    const float* h = t->heights;
    float h0 = h[g.b + t->dim * g.r];
    // Rise per cell along x and z; a clamped edge triangle has none.
    float rise_x = (float)(g.o - g.b) * (h[g.o + t->dim * g.r] - h0);
    float rise_z = (float)(g.q - g.r) * (h[g.b + t->dim * g.q] - h0);
    out[0] = -rise_x;
    out[1] = t->spacing;
    out[2] = -rise_z;
}

int terrain_tile(const Terrain* t, float x, float z) {
    float fx = x / t->tile_size, fz = z / t->tile_size;
    int last = t->tiles - 1;
    int tx = !(fx > 0) ? 0 : (fx >= (float)last ? last : (int)fx);
    int tz = !(fz > 0) ? 0 : (fz >= (float)last ? last : (int)fz);
    return t->tile_map[tx + t->tiles * tz];
}

// Corners of triangle `which` (0 or 1) of cell (i, k); corner 0 is the right angle.
static void triangle_corners(int i, int k, int which, int c[3][2]) {
    static const int even[2][3][2] = {{{1, 0}, {0, 0}, {1, 1}}, {{0, 1}, {1, 1}, {0, 0}}};
    static const int odd[2][3][2] = {{{0, 0}, {1, 0}, {0, 1}}, {{1, 1}, {0, 1}, {1, 0}}};
    const int(*table)[2] = ((i + k) & 1) ? odd[which] : even[which];
    for (int v = 0; v < 3; v++) c[v][0] = i + table[v][0], c[v][1] = k + table[v][1];
}

static const float* triangle_normal(Terrain* t, int i, int k, int which) {
    long index = 2L * (i + (long)(t->dim - 1) * k) + which;
    float* n = t->triangle_normals + 3 * index;
    if (!bit_get(t->normal_stale, index)) return n;
    int c[3][2];
    triangle_corners(i, k, which, c);
    float p[3][3];
    for (int v = 0; v < 3; v++) {
        p[v][0] = c[v][0] * t->spacing;
        p[v][1] = t->heights[c[v][0] + t->dim * c[v][1]];
        p[v][2] = c[v][1] * t->spacing;
    }
    float e1[3], e2[3];
    for (int a = 0; a < 3; a++) e1[a] = p[1][a] - p[0][a], e2[a] = p[2][a] - p[0][a];
    float x = e1[1] * e2[2] - e1[2] * e2[1];
    float y = e1[2] * e2[0] - e1[0] * e2[2];
    float z = e1[0] * e2[1] - e1[1] * e2[0];
    float len = sqrtf(x * x + y * y + z * z);
    if (y < 0) len = -len;  // orient upward
    if (len == 0 || !isfinite(len)) x = 0, y = 1, z = 0, len = 1;
    n[0] = x / len, n[1] = y / len, n[2] = z / len;
    bit_clear(t->normal_stale, index);
    return n;
}

void terrain_vertex_normal(Terrain* t, int i, int k, float out[3]) {
    int last = t->dim - 1;
    i = clamp_index(i, last), k = clamp_index(k, last);
    double sum[3] = {0, 0, 0};
    for (int ck = k - 1; ck <= k; ck++) {
        for (int ci = i - 1; ci <= i; ci++) {
            if (ci < 0 || ck < 0 || ci >= last || ck >= last) continue;
            for (int which = 0; which < 2; which++) {
                int c[3][2];
                triangle_corners(ci, ck, which, c);
                bool has_vertex = false;
                for (int v = 0; v < 3; v++) has_vertex |= c[v][0] == i && c[v][1] == k;
                if (!has_vertex) continue;
                const float* n = triangle_normal(t, ci, ck, which);
                for (int a = 0; a < 3; a++) sum[a] += n[a];
            }
        }
    }
    double len = sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
    if (len == 0) {
        out[0] = 0, out[1] = 1, out[2] = 0;
        return;
    }
    for (int a = 0; a < 3; a++) out[a] = (float)(sum[a] / len);
}

void terrain_shade_vertex(Terrain* t, int i, int k) {
    float n[3];
    terrain_vertex_normal(t, i, k, n);
    const TerrainLighting& l = t->lighting;
    long v = i + (long)t->dim * k;
    float lit = clamp_keep_nan(n[0] * l.sun[0] + n[1] * l.sun[1] + n[2] * l.sun[2], 0, 1);
    float f = lit * (1.0f - t->shadows[v] / 255.0f);
    for (int c = 0; c < 3; c++) {
        float value = (f * l.diffuse[c] + l.ambient[c]) * 0.5f * 255.0f;
        t->shading[3 * v + c] = (uint8_t)clamp_keep_nan(truncf(value), 0, 255);
    }
}

void terrain_fill_normal_map(Terrain* t, int i, int k) {
    float n[3];
    terrain_vertex_normal(t, i, k, n);
    long v = i + (long)t->dim * k;
    t->normal_map[3 * v + 0] = (uint8_t)(128.0f + 127.0f * clamp_keep_nan(n[0], -1, 1));
    t->normal_map[3 * v + 1] = (uint8_t)(255 - t->shadows[v]);
    t->normal_map[3 * v + 2] = (uint8_t)(128.0f + 127.0f * clamp_keep_nan(n[2], -1, 1));
}

static void mark_block(Terrain* t, int i, int k) {
    bit_set(t->mark_blocks, i / TERRAIN_MARK_BLOCK + (long)t->mark_blocks_per_side * (k / TERRAIN_MARK_BLOCK));
}

void terrain_set_height(Terrain* t, int i, int k, float height) {
    int last = t->dim - 1;
    if (i < 0 || k < 0 || i > last || k > last || t->is_locked || !isfinite(height)) return;
    t->heights[i + t->dim * k] = height;
    if (height < t->min_height) t->min_height = height;
    if (height > t->max_height) t->max_height = height;
    for (int vk = k - 1; vk <= k + 1; vk++) {
        for (int vi = i - 1; vi <= i + 1; vi++) {
            if (vi < 0 || vk < 0 || vi > last || vk > last) continue;
            long v = vi + (long)t->dim * vk;
            bit_set(t->reshade_marks, v);
            if (t->normal_map_marks) bit_set(t->normal_map_marks, v);
            mark_block(t, vi, vk);
        }
    }
    for (int ck = k - 1; ck <= k; ck++)
        for (int ci = i - 1; ci <= i; ci++)
            if (ci >= 0 && ck >= 0 && ci < last && ck < last) {
                long cell = ci + (long)last * ck;
                bit_set(t->normal_stale, 2 * cell);
                bit_set(t->normal_stale, 2 * cell + 1);
            }
}

void terrain_mark_heights_changed(Terrain* t, int i0, int k0, int i1, int k1) {
    const int last = t->dim - 1;
    const int v0 = clamp_index(i0 - 1, last), v1 = clamp_index(i1 + 1, last);
    const int w0 = clamp_index(k0 - 1, last), w1 = clamp_index(k1 + 1, last);
    if (i0 > i1 || k0 > k1) return;
    for (int k = w0; k <= w1; k++) {
        const long row = (long)t->dim * k;
        bits_set_range(t->reshade_marks, row + v0, row + v1);
        if (t->normal_map_marks) bits_set_range(t->normal_map_marks, row + v0, row + v1);
    }
    for (int bk = w0 / TERRAIN_MARK_BLOCK; bk <= w1 / TERRAIN_MARK_BLOCK; bk++)
        for (int bi = v0 / TERRAIN_MARK_BLOCK; bi <= v1 / TERRAIN_MARK_BLOCK; bi++)
            bit_set(t->mark_blocks, bi + (long)t->mark_blocks_per_side * bk);
    // The cells around the square: those with a changed corner.
    const int c0 = clamp_index(i0 - 1, last - 1), c1 = clamp_index(i1, last - 1);
    const int d0 = clamp_index(k0 - 1, last - 1), d1 = clamp_index(k1, last - 1);
    for (int ck = d0; ck <= d1; ck++) {
        const long row = (long)last * ck;
        bits_set_range(t->normal_stale, 2 * (row + c0), 2 * (row + c1) + 1);
    }
}

static void reshade_vertex(Terrain* t, int i, int k) {
    long v = i + (long)t->dim * k;
    if (bit_get(t->reshade_marks, v)) {
        terrain_shade_vertex(t, i, k);
        bit_clear(t->reshade_marks, v);
    }
    if (t->normal_map_marks && bit_get(t->normal_map_marks, v)) {
        terrain_fill_normal_map(t, i, k);
        bit_clear(t->normal_map_marks, v);
    }
}

// Only blocks holding a mark are scanned; every mark lies in a marked block
// (set-height and create keep the two in step).
void terrain_reshade(Terrain* t) {
    const int side = t->mark_blocks_per_side;
    const long blocks = (long)side * side;
    for (long block = 0; block < blocks; block++) {
        if (!t->mark_blocks[block >> 3]) {
            block |= 7;  // eight clear blocks at once
            continue;
        }
        if (!bit_get(t->mark_blocks, block)) continue;
        const int bi = (int)(block % side), bk = (int)(block / side);
        const int i1 = std::min((bi + 1) * TERRAIN_MARK_BLOCK, t->dim);
        const int k1 = std::min((bk + 1) * TERRAIN_MARK_BLOCK, t->dim);
        for (int k = bk * TERRAIN_MARK_BLOCK; k < k1; k++)
            for (int i = bi * TERRAIN_MARK_BLOCK; i < i1; i++) reshade_vertex(t, i, k);
        bit_clear(t->mark_blocks, block);
    }
}

void terrain_mark_region(Terrain* t, int x0, int z0, int x1, int z1) {
    int last = t->dim - 1;
    x0 = clamp_index(x0, last), z0 = clamp_index(z0, last);
    x1 = clamp_index(x1, last), z1 = clamp_index(z1, last);
    if (x0 > x1 || z0 > z1) return;
    if (t->marked_x0 > t->marked_x1) {
        t->marked_x0 = x0, t->marked_z0 = z0, t->marked_x1 = x1, t->marked_z1 = z1;
        return;
    }
    t->marked_x0 = std::min(t->marked_x0, x0), t->marked_z0 = std::min(t->marked_z0, z0);
    t->marked_x1 = std::max(t->marked_x1, x1), t->marked_z1 = std::max(t->marked_z1, z1);
}

static int decal_square(float coordinate, float size) {
    float s = floorf(coordinate * (float)DECAL_GRID / size);
    if (!(s > 0)) return 0;
    return s >= DECAL_GRID - 1 ? DECAL_GRID - 1 : (int)s;
}

void terrain_rebuild_decal_grid(Terrain* t) {
    for (auto& square : t->decal_grid) square.clear();
    for (int d = 0; d < (int)t->decals.size(); d++) {
        const Decal& decal = t->decals[d];
        float c = fabsf(decal.cos_angle), s = fabsf(decal.sin_angle);
        float length = decal.size * decal.aspect;
        float hx = c * length / 2 + s * decal.size / 2;
        float hz = c * decal.size / 2 + s * length / 2;
        int x0 = decal_square(decal.x - hx, t->size), x1 = decal_square(decal.x + hx, t->size);
        int z0 = decal_square(decal.z - hz, t->size), z1 = decal_square(decal.z + hz, t->size);
        for (int sz = z0; sz <= z1; sz++)
            for (int sx = x0; sx <= x1; sx++) t->decal_grid[sx + DECAL_GRID * sz].push_back(d);
    }
}
