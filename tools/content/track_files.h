// The files of a generated track folder besides the ground files the
// terrain saver writes: shadows, surface table, lighting, objects, timing
// gates, map and desc. Text files follow the track readers' grammars exactly.
#pragma once
#include <vector>

#include "tools/content/output.h"
#include "tools/content/track.h"

struct TrackSlot {
    float x, y, z, angle;    // ft, radians (forward = (-sin, -cos))
};
struct TrackCheckpoint {
    float radius;            // ft
    float x, y, z;           // centre
    float dx, dz;            // direction of travel
    float s;                 // ft along the course
};
struct TrackTiming {
    std::vector<TrackSlot> slots;
    std::vector<TrackCheckpoint> checkpoints;   // index = gate number, 0 = finish line
    std::vector<int> first_lap, normal_lap;     // gate numbers in riding order
};
TrackTiming track_timing(const Track& track);

struct TrackDecal {
    float x, z, angle, size, aspect;   // ft, radians; the length (size * aspect) runs along (cos, -sin)
    const char* texture;
};
std::vector<TrackDecal> track_decals(const Track& track);

struct TrackTree {
    float x, z;      // ft
    int kind;        // 0 pine, 1 oak, 2 bush
    float scale;     // of the kind's size
    int tint;        // 0 = natural colour
};
std::vector<TrackTree> track_trees(const Track& track);

// The overhead map of x0..x1, z0..z1 with trees, start and finish lines.
ContentImage track_map_with_objects(const Track& track, float x0, float z0, float x1, float z1, int width,
                                    int height);

// The folder's other files, named relative to it ("tileinfo", ...).
ContentFiles track_files(const Track& track);
