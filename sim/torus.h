// A tire as a torus (every point at the tube radius from a centre circle)
// tested against one ground triangle: penetration depth, contact point and
// contact normal. Pure geometry, no physics library state. Called by the tire
// contact and the wheel query (sim/tire.h). Units: feet, world frame.
#pragma once

struct torus_shape {
    double centre[3];      // wheel centre
    double axle[3];        // unit axle direction
    double major_radius;   // R, centre to the centre circle
    double tube_radius;    // r
};

// Which case of the test produced a result, in the order they are tried.
enum TorusCase {
    TORUS_NO_CASE,
    TORUS_SUNK,           // the whole circle below the plane, centre over the triangle
    TORUS_PLANE_BELOW,    // lowest circle point below the plane, over the triangle
    TORUS_EDGE_CROSSING,  // an edge pierces the circle's disc
    TORUS_PLANE_ABOVE,    // lowest circle point above the plane, over the triangle
    TORUS_EDGE,           // nearest feature is an edge
    TORUS_VERTEX,         // nearest feature is a vertex
};

struct torus_hit {
    double depth;      // ft; <= 0 means no contact
    double point[3];   // world contact point
    double normal[3];  // out of the ground; not always unit, and may point down
    int which;         // TorusCase
};

// Tests the tire against triangle v[0], v[1], v[2], ordered so that
// (v1 - v0) x (v2 - v0) points out of the ground. Returns false (and sets
// depth 0) only when the edges and vertices would have to be searched and
// `with_edges` is false (the cheap query); otherwise fills `out`, whose depth
// may be at or below 0.
bool torus_triangle(const torus_shape* tire, const double v[3][3], bool with_edges, torus_hit* out);

// The point of the tire's centre circle nearest to `p`.
void torus_nearest_circle_point(const torus_shape* tire, const double p[3], double out[3]);
