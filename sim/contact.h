// Ground triangles around a point and the one-step friction contact joint
// that tires and collision spheres share. Called every tick by the tire and
// shape collision code before the world step; the joints live in the world's
// contact group until it is emptied. Units: feet, pounds-force, seconds.
#pragma once
#include <ode/ode.h>

struct Terrain;
struct physics_world;

// Grid cells (i0..i1, k0..k1 inclusive) whose squares meet the square of
// half-side `reach` around (x, z). Cells beyond the grid keep their place
// but take the heights of the nearest edge vertices, so a body off the
// edge still meets ground.
struct ground_cells {
    int i0, i1, k0, k1;
};
ground_cells contact_cell_range(const Terrain* t, double x, double z, double reach);

// The two triangles of cell (i, k), each ordered so that
// (v1 - v0) x (v2 - v0) points out of the ground.
void contact_cell_triangles(const Terrain* t, int i, int k, double out[2][3][3]);

// A normal out of the ground: unit, and never pointing down (a downward one
// becomes its horizontal part, or straight up when nearly vertical).
// False when `n` has no direction.
bool contact_ground_normal(double n[3]);

struct friction_contact {
    double point[3];   // world
    double normal[3];  // unit, pushes body `a` along it
    double depth;      // ft
    double mu;         // friction coefficient for both directions
    double k, c;       // stiffness lb/ft and damping lb per ft/s of the soft contact
    const double* first_direction;  // unit first friction direction, or null
};
// Creates the contact joint in the contact group and attaches it to `a` and
// `b` (null: the static world); `feedback` may be null. Null, and nothing
// made, for non-finite values or a spring with no meaning.
dJointID contact_add_friction_joint(physics_world* w, dBodyID a, dBodyID b, const friction_contact* c,
                                    dJointFeedback* feedback);
