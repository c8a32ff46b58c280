// The program's race: the race reset and race tick wired to the real loading
// screen, the registries of textures and models, the player's setup and the
// frame loop's hooks (race step, viewed bike, running order, the player's
// channels, --warp restarts). Owned by start-up from the scene's creation to
// shutdown. Main thread only.
#pragma once
#include "app/loop_tables.h"
#include "race/reset.h"

struct CommandLine;
struct TrackList;
struct physics_scene;

struct AppRace {
    physics_scene* scene;     // borrowed
    const TrackList* tracks;  // borrowed
    RaceSession session;
    int lineup[RIDER_SLOTS];  // the line-up of the race running
    bool warp;                // --warp: restart whenever the leader has done the laps
    bool was_backing_up;      // the back-up channel in the last tick
};

void app_race_init(AppRace* a, physics_scene* scene, const TrackList* tracks, const CommandLine& line);
// Track teardown and the riders (before the scene goes).
void app_race_free(AppRace* a);

// A reset onto the selected track with `lineup` (null: practice), then the
// loop's viewed bike and the process working set. False when the track
// cannot be loaded.
bool app_race_reset(AppRace* a, const int* lineup, int race_ticks, int laps, int robot_skill);
// Start-up: the race behind the gates of the start-up track, 1000 laps, no
// time limit, the "Robot Skill" setting. Until robots and menus exist the
// player rides slot 0 alone.
bool app_race_start(AppRace* a);

// The loop's hooks for the race and the scene (the title picture stands in
// for the riding views until they are drawn).
FrameLoopHooks app_race_hooks(AppRace* a);
