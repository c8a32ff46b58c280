// The race reset: the one operation that starts every race and practice
// session. It frees the riders of the last race, loads the chosen track (or
// keeps it), creates and places up to 160 riders from the line-up, and primes
// the race. Owns the loaded track and the race; borrows the physics scene.
// The loading screen and the assets of the floors above come in through
// tables of functions set by the program. Main thread only.
#pragma once
#include <random>
#include <string>

#include "race/deformation.h"
#include "race/race.h"
#include "race/track.h"
#include "sim/bike_body.h"

struct physics_scene;

// What the program plugs into the reset. Any entry may be null.
struct race_reset_ops {
    track_load_ops track;            // loading screen, ground, statue assets, texture memory
    bike_asset_ops bike_assets;      // the bikes' models
    void (*release_unused)(void* self);  // textures and models no longer used, after the bikes
    void* self;
    bool practice_robots;            // --practice: every robot rides the test personality
    bool editor;                     // --editor
};

// What a reset is asked for.
struct RaceRequest {
    const int* lineup;      // RIDER_SLOTS line-up codes; null: practice (the time trial)
    const char* track;      // track folder
    const char* description;  // the track's description from the track list; null: the folder
    int race_ticks;         // 0: laps only
    int laps;
    int robot_skill;        // 0..2
    bool reload;            // load the track even when it is loaded
};

struct RaceSession {
    LoadedTrack track;
    Race race;
    physics_scene* scene;   // borrowed
    RaceDeformation deformation;  // ruts and berms; its ground is the loaded track's
    std::mt19937 random;    // the shared generator, seeded at every reset
    int roster_order[80];   // the robot roster's permutation of this race
    int roster_used;        // entries taken
    int viewed_slot;        // 0-based; NO_LOCAL_RIDER when nobody is viewed
    double setup_refused_at;  // clock (s) of the last "Mechanic can't keep up" message; negative: never
    race_reset_ops ops;
};

void race_session_init(RaceSession* s, physics_scene* scene, const race_reset_ops* ops);
// Track teardown and the riders; the scene stays.
void race_session_free(RaceSession* s);

// Runs the reset; false when the track could not be loaded (no race starts).
// `now_seconds` seeds the generator (the calendar time in whole seconds).
[[nodiscard]] bool race_reset(RaceSession* s, const RaceRequest& request, long long now_seconds);

// Places a freshly reset bike at (x, z) facing `yaw`: at the height of the
// grid vertex below, then raised 0.25 ft at a time until it touches nothing.
void race_place_bike(physics_scene* scene, const Terrain* ground, Rider* r, float x, float z, float yaw);
// The start position of slot k (0..159) behind the gates: x, z and yaw.
void race_start_placement(const TimingGates* gates, float track_size, int k, float* x, float* z, float* yaw);
// Puts the local player at the practice start: the gate of step max(E - 3, 0).
void race_practice_place(RaceSession* s);

// Uniform in [0, 1): the generator's low 31 bits scaled by 2^-31.
double race_uniform(std::mt19937* random);
