// Collision shapes (spheres fixed in a body) against the ground, against
// track objects and against other riders, plus the tires as seen by other
// bodies; the collision timers and crash triggers these contacts set; and
// the per-tick contact pass that runs before the world step. Owned by the
// session; main thread only. Units: feet, slugs, seconds, pounds-force.
#pragma once
#include <ode/ode.h>

#include "sim/shape.h"
#include "sim/slots.h"

struct Terrain;
struct physics_world;

// The five bodies with collision shapes, in the order they touch the ground.
enum ShapedBody { SHAPED_FRAME, SHAPED_FORK_UPPER, SHAPED_FORK_LOWER, SHAPED_SWINGARM, SHAPED_RIDER, SHAPED_COUNT };

struct rider_collision {
    Shape* shape[SHAPED_COUNT];  // owned copies; null: that body has none
    int query_tick;              // tick of the last wheel query
    int collision_timer;         // ticks: set by hits between riders, stepped towards 0 by the rider model
};

// A track object as collisions see it (the statue record borrows its shape).
struct collide_statue {
    const Shape* shape;  // borrowed
    double position[3];  // world
    dMatrix3 rotation;   // body to world
    int* touch_tick;     // borrowed, may be null: set to the tick a rider touches it
};

// What other modules supply. Any entry may be null.
struct collide_ops {
    // The rider crashes (rider model). Called at most once per rider and tick.
    void (*crash)(void* self, Rider* r);
    // Statues listed in the statue grid square of (x, z); returns the count.
    int (*statues_near)(void* self, double x, double z, const collide_statue* const** out);
    // Tire friction scale of a rider (arcade mode lowers it with lean); null: 1.
    float (*friction_scale)(void* self, const Rider* r);
    void* self;
};

struct contact_scene {
    const Terrain* ground;               // borrowed; null: no ground contacts
    rider_collision rider[RIDER_SLOTS];
    collide_ops ops;
};

// A zeroed scene with every query stamp unset.
void contact_scene_init(contact_scene* s, const Terrain* ground, const collide_ops* ops);
// Frees the shape copies of every slot.
void contact_scene_free(contact_scene* s);
// Loads the five shapes of a catalogue row into slot `slot` (replacing old
// ones); returns how many could not be loaded.
int contact_load_shapes(contact_scene* s, int slot, const BikeInfo* info);
// Takes a copy of `shape` (null clears) for one body of a slot.
void contact_set_shape(contact_scene* s, int slot, int which, const Shape* shape);

// Sphere against sphere: whether they touch, and when they do with a normal
// (from the first centre to the second), the contact to make.
struct sphere_contact {
    bool has_normal;   // false: touching with the centres on top of each other
    double point[3];   // on the line between the centres, r1 - depth/2 from the first
    double normal[3];  // unit, first to second
    double depth;      // ft
    double mu;         // the smaller friction
    double k, c;       // smaller stiffness (capped so that k depth <= 2500 lb) and damping
};
bool collide_spheres(const double c1[3], const ShapeSphere* s1, const double c2[3], const ShapeSphere* s2,
                     sphere_contact* out);
// How a sphere contact acts on its two bodies.
enum CollideMode {
    COLLIDE_JOINT,      // one contact joint between the bodies (joins their islands)
    COLLIDE_ONE_SIDED,  // a joint on each body against the other's motion (islands stay apart)
    COLLIDE_EXPLICIT,   // penalty force k depth + c (closing speed), limited to 1000 lb
};
// Makes the contact between the bodies of the first (a) and second (b)
// sphere (either may be null: a fixed object); disabled bodies take nothing.
void collide_apply(physics_world* w, dBodyID a, dBodyID b, const sphere_contact* c, int mode);

// A tire as a sphere against a sphere centred at `other`: radius r at the
// point of the tire's centre circle nearest to `other`, friction 1,
// stiffness 25000, damping 2500.
ShapeSphere collide_tire_sphere(const wheel_record* w, const double other[3], double centre[3]);

// The deepest penetration of a sphere into the ground triangles around it.
bool collide_sphere_ground(const Terrain* t, const double centre[3], double radius, double* depth, double point[3],
                           double normal[3]);
// Every sphere of `shape` on `body` against the ground (k 2500, c 250, the
// sphere's friction). Returns how many touch.
int collide_shape_ground(physics_world* w, const Terrain* t, dBodyID body, const Shape* shape);

// Tick step 2: tire and shape ground contacts of every simulated rider,
// track objects, a thrown rider still moving against its own bike's frame
// and fork upper, then every pair of riders (shown riders only against
// locally simulated ones, bumping their presence); a shown rider made
// present then gets its ground contacts too.
void contact_make(contact_scene* s, rider_slots* slots, physics_world* w, int tick);
// Whether any part of a rider touches the ground (tires and shapes) or a
// track object: the placement of a bike raises it until this is false.
bool collide_rider_touches(contact_scene* s, const Rider* r);

// Tick step 3 for one rider: the wheel queries (skipped for riders without
// ground queries); a second call in a tick changes nothing.
void contact_wheel_query(contact_scene* s, Rider* r, int tick);
