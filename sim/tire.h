// Tire against the ground: the deepest torus contact over the height-field
// cells around a wheel, the friction contact joint it becomes (surface
// friction, depth-dependent stiffness), rolling resistance, the cheaper
// wheel query the scripts use, and the wheel debug text. Called once per
// tick per wheel before the world step. Units: feet, slugs, seconds, lbf.
#pragma once
#include <string>

#include "sim/torus.h"

struct Terrain;
struct TileInfo;
struct physics_world;
struct wheel_record;

// The torus of a wheel at its body's current pose.
void tire_torus(const wheel_record* w, torus_shape* out);

// The deepest contact of the tire with the triangles of the cells around it
// (a later triangle wins only when strictly deeper); the normal is unit and
// never points down. False when nothing touches (depth not above 0).
bool tire_deepest_contact(const Terrain* t, const torus_shape* tire, torus_hit* out);
// The cheap search: cells from the middle outwards, no edge or vertex
// search, the first triangle touching wins.
bool tire_first_contact(const Terrain* t, const torus_shape* tire, torus_hit* out);

// The surface entry under a point (the default entry where the table has none).
const TileInfo* tire_surface_at(const Terrain* t, double x, double z);

// Friction coefficient of `surface` for a contact point moving at
// `slip_velocity` whose velocity without the wheel's spin is
// `ground_velocity` (ft/s, world).
float tire_friction(const TileInfo* surface, const float slip_velocity[3], const float ground_velocity[3]);
// 1, or less for arcade riders leaning over: 1 - 0.375 min(1, 4 |lean| / pi).
float tire_arcade_friction_scale(float lean_rad);
// Soft-contact stiffness (lb/ft) and damping (lb per ft/s) at a depth.
void tire_stiffness(float depth, float tube_radius, float* k, float* c);
// Rolling resistance force (lbf, world) on a wheel moving at `velocity`.
void tire_rolling_resistance(const TileInfo* surface, const double velocity[3], const float normal[3], float depth,
                             float tube_radius, double out[3]);
// The first friction direction: along normal x slip, else normal x axle.
// False when neither has a direction.
bool tire_first_direction(const float normal[3], const float slip_velocity[3], const double axle[3], double out[3]);

// Velocity (ft/s, world) of the wheel body's point `p` without the wheel's
// spin about its axle.
void tire_ground_velocity(const wheel_record* w, const float p[3], float out[3]);

// Finds the contact, fills the wheel record, makes the contact joint and
// adds rolling resistance. Returns whether the tire touches; depth 0 if not.
bool tire_contact(physics_world* world, wheel_record* w, const Terrain* ground, float friction_scale);

// The cheap query: refreshes point, normal, depth and contact velocity of
// the record (depth 0 when nothing is found). `*stamp` holds the tick of the
// last query; a second call in the same tick changes nothing.
void tire_query(wheel_record* w, const Terrain* ground, int tick, int* stamp);

// What the scripts read of a wheel after the query. The point, slip and
// ground velocity are reported only while the depth is above 0.
struct tire_reading {
    float depth;
    bool has_contact;
    float point[3];
    float slip[3];             // contact point velocity
    float ground_velocity[3];  // contact point velocity without the wheel's spin
};
tire_reading tire_read(const wheel_record* w);

// The debug block of one touching wheel: speed, slip, the lateral and
// longitudinal ground force from the contact feedback and the push handed
// to terrain deformation (`push`, horizontal x and z). Empty when not touching.
std::string tire_debug_text(const wheel_record* w, const float push[2]);
// The marker text shown at the frame: "front:\n", the front block, "rear:\n", the rear block.
std::string tire_debug_marker(const wheel_record* front, const float front_push[2], const wheel_record* rear,
                              const float rear_push[2]);

// Hand-off to terrain deformation, after the world step.
struct wheel_deformation {
    float point[3];
    float contact_velocity[3];
    float normal[3];
    float depth;               // <= 0: the wheel is in the air
    float force[3];            // the contact joint's force on the wheel in the step
    float body_velocity[3];    // the wheel body's velocity
    bool is_front;
};
wheel_deformation tire_deformation_record(const wheel_record* w, bool is_front);

// Hand-off to the dirt spray, before the world step: density / 100
// particles, plus one with probability (density mod 100) / 100, thrown
// within pi/8 of the wheel (front) or all round it (rear).
struct wheel_spray {
    const wheel_record* wheel;
    int particles;
    float angle_limit;  // rad
};
// `uniform01` is a uniform draw in [0, 1) from the race's generator.
wheel_spray tire_spray_record(const wheel_record* w, bool is_front, int roost_density_percent, double uniform01);
