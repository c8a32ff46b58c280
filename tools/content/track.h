// A generated track: the design (grid size, land, course), the height field
// and per-vertex course lookup built from it, the sun shadows and the
// overhead map. Lengths in feet; vertex (i, k)
// lies at x = i * spacing, z = k * spacing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/content/course.h"
#include "tools/content/image.h"
#include "track/terrain.h"

struct TrackHill {
    float x, z, radius, height;  // a Gaussian hill, ft
};

struct TrackDesign {
    const char* folder;          // track folder name
    const char* description;     // first line of "desc"
    int grid_exponent;           // 2^(n+1)+1 vertices per side
    float spacing;               // ft between vertices
    uint32_t seed;
    float land_scale;            // ft, size of the rolling hills
    float land_height;           // ft, their height range
    std::vector<TrackHill> hills;
    CourseParams course;
    int trees;                   // billboard trees scattered over the land
    int gate_slots;              // start gate slots
    float checkpoint_spacing;    // ft between checkpoints along the course
};

// Lighting shared by the shading, the shadows, the sky and the "lighting" file.
TerrainLighting track_light();

struct Track {
    const TrackDesign* design;
    int n, dim;                    // grid exponent, vertices per side
    float spacing, size;           // ft
    std::vector<float> heights;    // dim * dim, index i + dim * k
    std::vector<float> land;       // the land before the course was cut in
    // Per vertex: nearest course sample (-1 = far from the course) and the
    // signed lateral offset from the centre line (ft, left +).
    std::vector<int32_t> near_sample;
    std::vector<float> lateral;
    std::vector<uint8_t> tilemap;  // 2^n * 2^n surface numbers
    std::vector<uint8_t> light;    // dim * dim, 255 = fully lit (shadows.pgm)
    Course course;
    float min_height, max_height;
};

// Builds heights, course lookup, tile map and shadows. Deterministic.
void track_build(Track* track, const TrackDesign* design);
float track_height(const Track& track, float x, float z);   // bilinear, clamped
float track_land(const TrackDesign& design, float x, float z);
// Is (x, z) on the riding surface (within the course width)?
bool track_on_course(const Track& track, float x, float z);

ContentImage track_shadows_image(const Track& track);
// Overhead map: `size` x `size` pixels, row 0 at z = 0.
ContentImage track_map(const Track& track, int size);
// The same for the rectangle x0..x1, z0..z1 (ft).
ContentImage track_map_region(const Track& track, float x0, float z0, float x1, float z1,
                              int width, int height);

// The designs of the two generated tracks.
const TrackDesign& rabbithill_design();
const TrackDesign& compact_design();
