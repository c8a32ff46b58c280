// Dirt and splash thrown by the wheels: a pool of 2000 particles, each with
// the sprite the renderer draws, made by the race reset when a track is
// loaded and all freed at every reset. Each tick every wheel in contact
// throws the roost types of the surface under it, and the particles fly
// (drag, gravity), grow, fade and die when they fall below the ground.
// Owned by the race session; the roost types are borrowed from the track's
// surface table. Units: feet, seconds, ticks. Main thread only.
#pragma once
#include <stdint.h>

#include <random>
#include <string>
#include <vector>

struct Terrain;
struct RoostType;
struct wheel_record;

enum { ROOST_PARTICLES = 2000 };

// What the renderer draws of a particle: a camera-facing square.
struct RoostSprite {
    float position[3];    // ft, world
    float size;           // ft
    uint8_t colour[4];    // r, g, b, a
    std::string texture;  // image name
    bool is_visible;
};

struct RoostParticle {
    float position[3];       // ft
    float velocity[3];       // ft/s
    const RoostType* type;   // borrowed from the surface table; null while free
    RoostSprite sprite;
    int next;                // the next particle of its list; -1 ends it
};

struct RoostPool {
    std::vector<RoostParticle> particles;  // ROOST_PARTICLES once made; empty: no pool
    int free_head, active_head;            // -1: empty list
    int active_count;
    int density;              // "Roost Density" / --roostfrequency, 0..1000: particles per wheel per tick x 100
    std::mt19937* random;     // borrowed: the race's generator
};

// The pool of 2000 free particles (a track was loaded).
void roost_pool_make(RoostPool* pool);
// Every particle back on the free list, its sprite hidden.
void roost_free_all(RoostPool* pool);

// One wheel's throw this tick (after its contact): nothing in the air.
// `now` is the race tick.
void roost_emit(RoostPool* pool, const wheel_record* w, bool is_front, const Terrain* ground, int now);
// One particle of `type` (borrowed; it must outlive the flight) into the
// air; false when all 2000 are flying.
bool roost_launch(RoostPool* pool, const RoostType& type, const float position[3], const float velocity[3]);
// One tick of flight for every active particle.
void roost_step(RoostPool* pool, const Terrain* ground);
