// The loaded track: its folder, ground, lighting, timing gates and statues,
// and the digest of its files that race servers compare. Loaded by the race
// reset when another track is chosen, freed by the track teardown (before the
// next load and at exit). Main thread only.
#pragma once
#include <stdint.h>

#include <string>

#include "race/timing_gates.h"
#include "track/lighting.h"
#include "track/statues.h"
#include "track/terrain.h"

enum { TRACK_DIGEST_BYTES = 20 };

struct LoadedTrack {
    std::string folder;        // the track folder's name, e.g. "rabbithill"
    std::string description;   // from the track list; the folder when it has none
    Terrain* terrain;          // owned; null: no track loaded
    Lighting lighting;
    TimingGates gates;
    TrackStatues statues;
    uint8_t digest[TRACK_DIGEST_BYTES];  // RIPEMD-160 of the track's files
};

// The loading screen as the load sees it. Null entries: nothing is drawn.
struct track_load_ops {
    const TerrainProgressOps* progress;   // "Scanning", "Loading lighting", ... (shown and logged)
    TerrainLoadParams terrain;            // how the ground is built
    statue_asset_ops statue_assets;       // models and textures of statues; shapes are the simulation's
    unsigned long (*texture_memory)(void* self);  // bytes of texture memory in use; null: 0
    void* self;
    bool verbose;                         // --debug: the counts and memory figures are logged
};

void track_init(LoadedTrack* t);
// Loads `folder` (a folder name under the data folders, or an absolute path)
// with `description`: digest, lighting, ground, timing gates, statues and
// their grid. False, with no track loaded, when the ground cannot be loaded.
[[nodiscard]] bool track_load(LoadedTrack* t, const char* folder, const char* description, const track_load_ops* ops);
// Frees the gates, statues and ground and forgets the folder ("Deallocating
// track" is logged by the caller).
void track_free(LoadedTrack* t);
bool track_is_loaded(const LoadedTrack* t);

// The digest as 40 lower-case hexadecimal digits.
std::string track_digest_text(const LoadedTrack* t);
// RIPEMD-160 over the files of a folder in the track order ("terrain.hf",
// "terrain.png", "texturelist", "tilemap", "tileinfo", "nofrills.js",
// "timing_gates", "statues"; absent files skipped, ".gz" files inflated),
// then every distinct shape file of `statues` in statue order (null: none).
// `tick` (may be null) is called between files.
void track_compute_digest(const char* folder, const TrackStatues* statues, uint8_t out[TRACK_DIGEST_BYTES],
                          void (*tick)(void* self), void* self);
