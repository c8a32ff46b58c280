// The one physics world of the program and its contact group: every contact,
// spring and motor joint of a tick lives in the group, which is emptied right
// after the world step. Owned by the session (created at start-up, destroyed
// at shutdown); main thread only. Units: feet, slugs, seconds, pounds-force.
// Nothing here knows about riders; the tick order lives in sim/world_tick.h.
#pragma once
#include <ode/ode.h>

#include "base/ticks.h"

constexpr double GRAVITY_Y = -32;   // ft/s^2

struct physics_world {
    dWorldID world;       // owned
    dJointGroupID contacts;  // owned; emptied after every step
};

// Start-up: initialises the physics library, creates the world with gravity
// (0, -32, 0) and the library's default ERP and CFM, and the contact group.
// Installs error handlers that log before ending the program (the library's
// error handlers must not return, so inputs are checked before it sees them).
[[nodiscard]] bool physics_world_create(physics_world* w);
// Shutdown, first step: destroys the contact group.
void physics_world_destroy_contacts(physics_world* w);
// Shutdown, last step (after the bikes are gone): destroys the world and
// closes the physics library.
void physics_world_destroy(physics_world* w);

// One world step of TICK, then the contact group is emptied.
void physics_world_step(physics_world* w);

// A spring of stiffness k (lb/ft) and damping c (lb per ft/s) between two
// bodies (b may be null: a fixed point), made as a one-step frictionless
// contact joint: `normal` is the unit direction the spring pushes a along,
// `extension` (ft) its stretch, `point` the world point where it acts.
// Returns false (and makes nothing) for a spring that has no meaning:
// h k + c not above 0, or non-finite inputs.
bool physics_add_spring(physics_world* w, dBodyID a, dBodyID b, const double point[3], const double normal[3],
                        double extension, double k, double c);
// The contact parameters of such a spring: ERP = h k / (h k + c),
// CFM = 1 / (h k + c), h = TICK. False when h k + c is not above 0.
bool spring_erp_cfm(double k, double c, double* erp, double* cfm);
