// Ground deformation in a race: the erosion level from "--erode" (or the
// race server), the sampling of every locally simulated wheel after the
// world step, where its packed records go, and the per-frame processing of
// the queue around the local player. Owned by the race session (process
// lifetime); the terrain is borrowed from the loaded track. Units: feet,
// pounds-force, ticks. Main thread only.
#pragma once
#include "race/roost.h"
#include "sim/slots.h"
#include "track/erode.h"

struct Race;
struct Terrain;
struct wheel_deformation;
struct ErodeParams;

struct RaceDeformation {
    int level;               // erosion strength x 1024; 0 = off (nothing sampled or processed)
    ErodeQueue queue;
    ErodeWheel wheel[RIDER_SLOTS][2];  // front, rear
    // Where records go: null `submit` puts them straight into `queue`
    // (offline). SEAM (network, demos): the server and the recorder plug in here.
    erode_submit_ops submit;
    Terrain* ground;         // borrowed from the loaded track; null: nothing to deform
    RoostPool roost;         // what the wheels throw
};

void deformation_init(RaceDeformation* d);
// The race reset: the queue is emptied, every wheel starts afresh and every
// roost particle is freed (the pool is made by the first reset).
void deformation_reset(RaceDeformation* d, Terrain* ground);
// The push of one wheel's contact this tick (steps of the sampling up to the
// sample vector): false when the wheel is in the air or pushes too little.
// `g` (x, z) has length 0.125..1.
bool deformation_sample_vector(const wheel_deformation& w, const Terrain* ground, float g[2]);

// Before the world step of tick `now`, once a rider's wheels have been
// queried: they throw their roost.
void deformation_roost(RaceDeformation* d, const Rider* r, int now);
// After the world step of tick `race->now`: every local and robot rider's
// wheels go into their strokes when the level is above 0.
void deformation_after_step(RaceDeformation* d, const Race* race);
// A packed record into the queue (offline, or one returned by the server).
void deformation_receive(RaceDeformation* d, const uint8_t* record, int bytes);
// Once per frame after the ticks: the queue's share for this frame, held
// back around the local player (null: none), then reshading of what changed.
// Returns the points handled.
int deformation_frame(RaceDeformation* d, const float* player, int now);
