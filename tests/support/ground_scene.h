// Bikes as bare bodies on a terrain, for the ground-contact tests and the
// ground-contact benchmark: crf250(2008) riders in a physics scene, simulated
// as robots whose step is at most a drive torque on the rear wheel (no rider
// model, no spring, shock or engine forces). Units: feet, pound-feet, ticks.
#pragma once
#include "sim/scene.h"

struct Terrain;

struct GroundScene {
    physics_scene* scene = nullptr;  // owned
    Terrain* ground = nullptr;       // owned
    double drive_torque = 0;         // lb ft on every rear wheel, against its swingarm
    int crashes = 0;                 // crash triggers the contacts reported (nothing else happens)
    bool ok = false;                 // the scene exists

    // Takes `terrain`; ok stays false when it is null or the scene cannot be made.
    explicit GroundScene(Terrain* terrain);
    ~GroundScene();
    GroundScene(const GroundScene&) = delete;
    GroundScene& operator=(const GroundScene&) = delete;

    // A crf250(2008) with zero setup parameters in `slot`, at its catalogue
    // pose (both tires just above y = -0.1); null on failure.
    Rider* add_bike(int slot);
    // The bike's own collision shapes from the data files; false when any is missing.
    bool load_shapes(int slot);
    // A single sphere each for the rider (0.9 ft) and the frame (0.6 ft).
    void set_sphere_shapes(int slot);
    Rider* rider(int slot) const { return scene->slots->slot[slot].rider; }
    void step(int ticks = 1);
};

// With no spring and shock forces the bike would sit on its frame: fork and
// swingarm held near full extension. (Equal low and high stops would mean no
// stops at all to the physics library.)
void hold_suspension_extended(Rider* r);

// Speed (ft/s) and the world-y part of the up axis of a bike's frame.
double frame_speed(const Rider* r);
double frame_up_y(const Rider* r);
