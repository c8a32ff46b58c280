// Turning a fallen or stopped rider back towards the track: the choice of
// the target point and the yaw motor that turns the frame towards it. Called
// by the dab step of the rider step (sim/rider_step.h). Units: feet,
// seconds, radians, pounds-force, pound-feet.
#pragma once

struct Rider;

// Where the track lies for a rider, supplied by the race code. Any entry may
// be null (that source has nothing to offer).
struct realign_target_ops {
    // SEAM (robot riders): a robot's next path point, or for other riders the
    // point four samples past the nearest point of the best recorded line of
    // the current and next sections. Until the robot lines exist this stays
    // null and the timing gate below is used.
    bool (*line_target)(void* self, const Rider* r, double out[3]);
    // Position of the timing gate of the rider's current step; false when
    // the race has no timing gates.
    bool (*gate_target)(void* self, const Rider* r, double out[3]);
    // A rider still riding after the race leader has finished and after its
    // own last finish-line passage: marks it finished and returns true (the
    // realign then rests for this tick). Only asked while the lean lies
    // between pi/8 and 1.0995574 rad.
    bool (*mark_finished)(void* self, Rider* r);
    void* self;
};

// The target point: the line target when there is one, else the gate.
// False when neither source gives a point.
[[nodiscard]] bool realign_choose_target(const realign_target_ops* ops, const Rider* r, double out[3]);

struct realign_plan {
    bool is_active;      // false when the frame points straight up or down
    float yaw_speed;     // rad/s about the world vertical, towards the target side
    float max_torque;    // lb ft of the yaw motor
    bool is_pushing_up;  // wheels on the ground are pushed up by 32 x total mass lb
    bool is_dab_running; // the dab torque still runs this tick
};
// From the frame's longitudinal (z) axis in world coordinates, the target's
// horizontal offset from the frame (x, z), the collision timer and the total
// mass of the bike and rider (slugs).
realign_plan realign_plan_for(const double frame_z_axis[3], float offset_x, float offset_z, int collision_timer,
                              float total_mass);
