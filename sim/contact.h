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
// The height (ft) of the highest corner of the cells of `g`: their triangles
// lie wholly at or below it.
double contact_cells_top(const Terrain* t, const ground_cells& g);

// The two triangles of cell (i, k), each ordered so that
// (v1 - v0) x (v2 - v0) points out of the ground.
void contact_cell_triangles(const Terrain* t, int i, int k, double out[2][3][3]);

// Calls visit(v) with both triangles of every cell of `g`, row by row.
template <class Visit>
void contact_each_triangle(const Terrain* t, const ground_cells& g, Visit visit)
{
    for (int k = g.k0; k <= g.k1; k++) {
        for (int i = g.i0; i <= g.i1; i++) {
            double tri[2][3][3];
            contact_cell_triangles(t, i, k, tri);
            visit(tri[0]);
            visit(tri[1]);
        }
    }
}

// The point of triangle v (normal n, any length) nearest to p; true when it
// lies inside the face rather than on an edge or corner.
bool contact_closest_on_triangle(const double v[3][3], const double n[3], const double p[3], double out[3]);

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
    // World velocity (ft/s) of the other side at the point, or null for the
    // static ground: the joint then holds its body against that moving
    // surface, so a body can meet another without joining its island.
    const double* surface_velocity;
};
// Creates the contact joint in the contact group and attaches it to `a` and
// `b` (null: the static world); `feedback` may be null. Null, and nothing
// made, for non-finite values or a spring with no meaning.
dJointID contact_add_friction_joint(physics_world* w, dBodyID a, dBodyID b, const friction_contact* c,
                                    dJointFeedback* feedback);
