// The ground of the loaded track: the square height grid, its shading and
// shadows, the tile map of surface numbers, the surface table and the decals.
// Loaded by the track reset, queried by physics, robots, erosion, objects,
// timing, rendering, editor and scripts; saved by the editor and the content
// generator. Units: feet in the world frame (x, z horizontal, y up); grid
// vertex (i, k) lies at x = i * spacing, z = k * spacing. Queries never fail.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

#include "track/tileinfo.h"

struct Decal {
    float x, z;          // ft, centre on the ground
    float angle;         // rad about the vertical axis; at 0 the length runs along x
    float size;          // ft, width
    float aspect;        // length / width
    float cos_angle, sin_angle;
    std::string texture_name;
    unsigned texture;           // image handles from the image loader, 0 = none
    unsigned normal_texture;    // "_tnorm" companion, with normal mapping only
    unsigned specular_texture;  // "_tspec" companion, with normal mapping only
};

enum { DECAL_GRID = 8 };

// Sun and colours used to shade the ground. A loaded Terrain starts with the
// defaults; the track reset copies the lighting file's values in after loading.
struct TerrainLighting {
    float sun[3];      // unit vector towards the sun
    float diffuse[3];  // sun colour
    float ambient[3];
};
TerrainLighting terrain_default_lighting();

// The loading screen as the loader sees it. Null table or null entries: the
// messages are only logged.
struct TerrainProgressOps {
    void (*show)(void* self, const char* message);  // a step begins
    void (*tick)(void* self);                       // progress within a step
    void (*done)(void* self, const char* message);  // a step ends
    void* self;
};

struct TerrainLoadParams {
    int method;            // texture build method of the terrain renderer (0 = none yet)
    bool normal_mapping;   // the renderer draws per-pixel normals: keep a normal map
    const TerrainImageOps* images;        // null: images are only checked to exist
    const TerrainProgressOps* progress;   // null: log only
};

struct Terrain {
    std::string folder;         // track folder as given to the loader
    int n;                      // grid exponent: 2^(n+1)+1 vertices, 2^n tiles per side
    int dim;                    // vertices per side
    int tiles;                  // tiles per side, 2^n
    float size;                 // ft, side of the square
    float spacing;              // ft between neighbouring vertices
    float inverse_spacing;      // 1/ft
    float tile_size;            // ft, 2 * spacing
    float min_height;           // ft, height of sample 0
    float max_height;           // ft, height of sample 65535
    float* heights;             // owned, dim*dim, index i + dim*k
    float* reference_heights;   // owned, as loaded; never changes
    uint8_t* shading;           // owned, dim*dim RGB at half scale
    uint8_t* shadows;           // owned, dim*dim, 0 = fully lit
    uint8_t* tile_map;          // owned, tiles*tiles surface numbers, index tx + tiles*tz
    float* triangle_normals;    // owned, 2*(dim-1)^2 unit xyz; triangle 2c and 2c+1 of cell c = i + (dim-1)*k
    uint8_t* normal_stale;      // owned bits, one per triangle
    uint8_t* reshade_marks;     // owned bits, one per vertex
    uint8_t* normal_map;        // owned, dim*dim RGB, null without normal mapping
    uint8_t* normal_map_marks;  // owned bits, one per vertex, null without normal mapping
    uint8_t* mark_blocks;       // owned bits, one per TERRAIN_MARK_BLOCK square of vertices holding a mark
    int mark_blocks_per_side;
    SurfaceTable surfaces;      // at least one entry once loaded
    std::vector<Decal> decals;
    std::vector<int> decal_grid[DECAL_GRID * DECAL_GRID];  // ascending decal indices per square
    TerrainLighting lighting;
    int method;
    bool normal_mapping;
    bool is_locked;             // set for online races: heights do not change
    int change_counter;         // advances with every batch of height changes (erosion deposits, editor)
    // Union of the squares marked for texture refresh since the renderer
    // last took them (grid vertices, inclusive); empty while x0 > x1.
    int marked_x0, marked_z0, marked_x1, marked_z1;
};

enum { TERRAIN_MARK_BLOCK = 32 };  // vertices per side of a reshade block

// A flat terrain at `height` with no shadows, surface 0 everywhere, one
// default surface and shading from the default lighting; null when the grid
// is refused. For generators and tests.
[[nodiscard]] Terrain* terrain_create(int n, float spacing, float height);
// Loads the ground files of a track folder: a data-folder name ("tracks/x")
// or an absolute path. Null on failure, after showing the reason.
[[nodiscard]] Terrain* terrain_load(const char* folder, const TerrainLoadParams& params);
void terrain_free(Terrain* t);

float terrain_height(const Terrain* t, float x, float z);  // ft
// The loaded height at (x, z), interpolated like terrain_height.
float terrain_reference_height(const Terrain* t, float x, float z);  // ft
// The upward normal of the ground triangle under (x, z), not normalised
// (its length is the grid spacing times the slope's secant).
void terrain_ground_normal(const Terrain* t, float x, float z, float out[3]);
int terrain_tile(const Terrain* t, float x, float z);      // surface number 0..255
// Unit normal at grid vertex (i, k), indices clamped; refreshes stale triangle normals.
void terrain_vertex_normal(Terrain* t, int i, int k, float out[3]);
// Sets the height of vertex (i, k), widening the minimum and maximum heights,
// marks it and its neighbours for reshading and their triangles' normals
// stale. Ignored outside the grid, for a non-finite height and while locked.
void terrain_set_height(Terrain* t, int i, int k, float height);
// After heights of the vertex square (i0, k0)..(i1, k1) were written
// directly: the marks and stale normals set-height would have set for each.
// Indices are clamped to the grid.
void terrain_mark_heights_changed(Terrain* t, int i0, int k0, int i1, int k1);
// Recomputes shading (and normal-map texels) of every marked vertex; the
// cost follows the marked blocks, not the size of the grid.
void terrain_reshade(Terrain* t);
// Adds the vertex square (x0, z0)..(x1, z1), clamped to the grid, to the
// region whose ground textures must be refreshed.
void terrain_mark_region(Terrain* t, int x0, int z0, int x1, int z1);
// Rebuilds the 8x8 decal grid from the decal list.
void terrain_rebuild_decal_grid(Terrain* t);

// Writes "terrain.hf", "terrain.png", "shading.ppm", "shadingx2.ppm",
// "tilemap" and, with decals, "decals" into `folder` (data-folder name or
// absolute path). Stores the new height range; reshades marked vertices.
[[nodiscard]] bool save_terrain(Terrain* t, const char* folder);

// The name a track file is opened by: "@folder/file", or "folder/file" for an absolute folder.
std::string terrain_file_name(const char* folder, const char* file);
