// The rigid bodies and joints of one bike and its rider: seven bodies, six
// joints, their mass models, placement (reset, move, turn), presence, the
// rider mount (detach and realign) and the internal force balance. Built from
// a catalogue row by the rider slots (sim/slots.h); read by suspension, tires,
// drivetrain, rider and drawing code. Units: feet, slugs, seconds, radians,
// pounds-force. Catalogue positions are bike-local (x side, y up, z rearwards).
#pragma once
#include <ode/ode.h>

struct BikeInfo;
struct physics_world;

enum BikeBody {
    BODY_FRAME,
    BODY_FRONT_WHEEL,
    BODY_REAR_WHEEL,
    BODY_FORK_UPPER,  // steering head, bars, triple clamps
    BODY_FORK_LOWER,  // sliders, axle
    BODY_SWINGARM,
    BODY_RIDER,
    BIKE_BODY_COUNT
};

enum BikeJoint {
    JOINT_FRONT_AXLE,      // hinge: fork lower, front wheel; motor is the front brake
    JOINT_REAR_AXLE,       // hinge: swingarm, rear wheel; motor is the rear brake
    JOINT_STEERING_HEAD,   // hinge: fork upper, frame; stops at -pi/4, pi/4
    JOINT_FORK,            // slider: fork upper, fork lower; 0 fully extended, -travel compressed
    JOINT_SWINGARM_PIVOT,  // hinge: swingarm, frame; 0 fully extended, -angular travel compressed
    JOINT_RIDER_MOUNT,     // hinge2: rider, frame; anchored 50 ft ahead of the bike
    BIKE_JOINT_COUNT
};

// One tire's contact state, refreshed by the tire contact code every tick.
struct wheel_record {
    dBodyID body;              // borrowed: the wheel body
    float axle[3];             // in wheel-body coordinates, (1, 0, 0)
    float major_radius;        // ft, axle to the tire's centre circle
    float tube_radius;         // ft
    float contact_point[3];    // world, ft
    float contact_velocity[3]; // world, ft/s: the wheel's velocity at the contact point
    float contact_normal[3];   // unit, out of the ground
    float depth;               // ft of penetration; <= 0 means no contact
    dJointFeedback contact_feedback;  // the tire's contact joint in the last step
};

struct bike_body {
    const BikeInfo* info;                 // borrowed catalogue row
    dBodyID body[BIKE_BODY_COUNT];        // owned
    dJointID joint[BIKE_JOINT_COUNT];     // owned
    dJointFeedback feedback[BIKE_JOINT_COUNT];  // filled by the world step
    wheel_record wheel[2];                // front, rear
    float rider_mass_split;               // 0.33..0.5: the rider body's share of the rider mass
    float presence;                       // 0..1; at or below 0.25 the bodies are disabled
    bool is_rider_attached;               // false while crashed (the mount joins nothing)
};

// False when the row cannot make a sound mass model (a mass or size that is
// not positive and finite); the physics library is never handed such values.
[[nodiscard]] bool bike_info_is_buildable(const BikeInfo* info);

// Creates the bodies and joints at the catalogue positions (identity
// rotations, zero velocities), rider mass split clamped to 0.33..0.5,
// presence 1. False, with nothing created, for a row that is not buildable.
[[nodiscard]] bool bike_body_create(bike_body* b, physics_world* w, const BikeInfo* info, float rider_mass_split);
// Destroys the six joints, then the seven bodies. A zeroed record is fine.
void bike_body_destroy(bike_body* b);

// Every body back at its catalogue position with identity rotation, zero
// velocities and no accumulated force; the rider re-attached; presence 1.
void bike_body_reset(bike_body* b);
// Adds `offset` (ft) to every body's position; rotations and velocities stay.
void bike_body_move(bike_body* b, const double offset[3]);
// Every body gets the rotation R(axis, angle) and its position rotated by R
// about the world origin. Meant for a freshly reset bike.
void bike_body_turn(bike_body* b, const double axis[3], double angle);
// Clears the accumulated force (when the old presence was at or below 0.25),
// stores clamp(x, 0, 1), then disables (<= 0.25) or enables the bodies.
void bike_body_set_presence(bike_body* b, float x);
// Re-masses frame and rider for a new split (clamped to 0.33..0.5).
void bike_body_set_rider_mass_split(bike_body* b, float split);

// Crash: the rider mount joins nothing and the rider body flies free.
void bike_body_detach_rider(bike_body* b);
// The rider body to the frame's rider point with the frame's rotation, and
// the mount joint attached again.
void bike_body_realign(bike_body* b);

// Removes the net self-propulsion of the joints: sums the six feedback
// records of the last step into a force and a torque about the frame's
// position, and adds their negatives to the frame.
void bike_body_balance_internal_forces(bike_body* b);

// World position (ft) of the catalogue point `p` carried by body `k`, taking
// the body's catalogue position as its origin.
void bike_body_catalogue_point(const bike_body* b, int k, const float p[3], double out[3]);
// The catalogue position of body `k` (ft, bike-local).
void bike_body_catalogue_position(const bike_body* b, int k, double out[3]);

// Loading of the bike's models and collision shapes, a table so the models
// code can plug in. Either entry may be null (nothing is attempted then).
struct bike_asset_ops {
    bool (*load_model)(void* self, const char* data_name);
    bool (*load_shape)(void* self, const char* data_name);
    void* self;
};
// Asks `ops` for every model and shape the row names; shows
// "Warning: Can't load %.900s" for each that fails. Returns the failures.
int bike_load_assets(const BikeInfo* info, const bike_asset_ops* ops);
