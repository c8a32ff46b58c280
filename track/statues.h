// Statues: 3-D objects standing on the track (the starting gates first, then
// the track's "statues" file, later the scripts' own), each with an optional
// model, texture and collision shape, and the 8 x 8 grid through which
// collisions find the statues near a point. Models, textures and shapes
// belong to the floors above; they reach the statues through a table of
// functions and are kept here as opaque handles. Owned by the track (freed by
// the track teardown). Units: feet in the world frame, radians.
#pragma once
#include <string>
#include <vector>

struct DataStream;
struct Terrain;

// Loading what a statue names. Any entry may be null (nothing is loaded).
struct statue_asset_ops {
    void* (*load_model)(void* self, const char* name);    // null when it cannot be loaded
    unsigned (*load_texture)(void* self, const char* name);  // 0 when it cannot be loaded
    // A collision shape and its bounding radius (ft); null when it cannot be loaded.
    const void* (*load_shape)(void* self, const char* name, float* bounding_radius);
    void (*free_shape)(void* self, const void* shape);
    void* self;
};

struct Statue {
    std::string model_name, texture_name, shape_name;  // empty: none
    void* model;            // from the ops, or null
    unsigned texture;       // from the ops, or 0
    const void* shape;      // owned through free_shape, or null
    float shape_radius;     // ft, the shape's bounding radius
    float position[3];      // y = ground + given height
    float given_height;     // ft, as read
    float angle;            // rad, as read
    float orientation[9];   // body to world, row-major
    float facing_distance;  // ft: turned to face viewers farther than this; 0 = never
    int contact_tick;       // last tick a rider touched it (starting gates); -1 none
};

enum { STATUE_GRID = 8 };

struct TrackStatues {
    std::vector<Statue> statues;
    std::vector<int> grid[STATUE_GRID * STATUE_GRID];  // statue indices with a shape, in statue order
    float track_size;  // ft, S of the grid
    statue_asset_ops ops;
};

void statues_init(TrackStatues* s, const statue_asset_ops* ops);
// Frees every shape and forgets every statue (the models and textures belong
// to their registries).
void statues_free(TrackStatues* s);

// Creates a statue standing on `ground` (null: height 0) at (x, z), its base
// `given_height` above the ground. An angle of 3.25 or more keeps it
// unrotated and turns it towards viewers farther than 2^angle ft; otherwise it
// is turned by the angle about the vertical and, unless the angle is -2 pi or
// less, tilted to the ground's slope. Empty or "null" names load nothing; a
// named shape that cannot be loaded shows "Warning: missing shape file %.900s".
// Returns the statue index.
int statue_create(TrackStatues* s, const Terrain* ground, float x, float given_height, float z, float angle,
                  const char* model, const char* texture, const char* shape);

// Reads a "statues" file: records "[x given-height z] angle model texture
// shape" until one does not read. Returns the number of statues made.
int statues_read(TrackStatues* s, const Terrain* ground, DataStream* stream);

// Rebuilds the grid over a track of side `track_size` ft.
void statues_rebuild_grid(TrackStatues* s, float track_size);
// The grid square (0 .. STATUE_GRID^2 - 1) of world point (x, z).
int statues_grid_square(const TrackStatues* s, float x, float z);
