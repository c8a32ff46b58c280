// The files of a generated track folder: height field, shading, shadows,
// tile map, surface table, lighting, objects, timing gates, map and desc.
// Text files follow the track readers' grammars exactly.
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

// Every file of the folder, named relative to it ("terrain.hf", ...).
ContentFiles track_files(const Track& track);
