#include "app/race_session.h"

#include <GL/gl.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#include "app/command_line.h"
#include "app/loading_frame.h"
#include "app/session.h"
#include "app/settings.h"
#include "base/data_index.h"
#include "base/render_options.h"
#include "platform/log.h"
#include "render/model.h"
#include "render/texture.h"
#include "sim/bike_body.h"
#include "sim/rider_input.h"
#include "sim/scene.h"
#include "sim/setup.h"
#include "track/track_list.h"

static constexpr int STARTUP_LAPS = 1000;
static constexpr double PROGRESS_INTERVAL = 0.125;  // s between progress dots

// ---- the loading screen -------------------------------------------------------

// A step's text, then "", ".", ".." or "..." at most every 1/8 s, then "...done".
struct LoadingDots {
    char message[128];
    int dots;
    double last;
};
static LoadingDots dots;

static void show_step(void*, const char* text) {
    snprintf(dots.message, sizeof dots.message, "%s", text);
    dots.dots = 0;
    dots.last = platform_clock_seconds();
    loading_status(text);
}

static void tick_step(void*) {
    const double now = platform_clock_seconds();
    if (now - dots.last < PROGRESS_INTERVAL) {
        loading_keep_alive();
        return;
    }
    dots.last = now;
    dots.dots = (dots.dots + 1) % 4;
    static const char* const TRAIL[4] = {"", ".", "..", "..."};
    char text[160];
    snprintf(text, sizeof text, "%.64s%s", dots.message, TRAIL[dots.dots]);
    loading_text(text);
}

static void done_step(void*, const char* text) {
    char shown[160];
    snprintf(shown, sizeof shown, "%.64s...done", text);
    loading_status(shown);
}

static const TerrainProgressOps LOADING_SCREEN = {show_step, tick_step, done_step, nullptr};

// ---- assets of the floors above the race --------------------------------------

static void* statue_model(void*, const char* name) { return load_model(name); }
static unsigned statue_texture(void*, const char* name) {
    const int tid = load_texture(name);
    return tid > 0 ? (unsigned)tid : 0u;
}
static bool bike_model(void*, const char* name) { return load_model(name) != nullptr; }
static unsigned long texture_bytes(void*) { return (unsigned long)texture_memory_total(); }
static void release_unused(void*) {
    delete_unused_textures(false);
    delete_unused_models(false);
}

void app_race_init(AppRace* a, physics_scene* scene, const TrackList* tracks, const CommandLine& line) {
    a->scene = scene;
    a->tracks = tracks;
    a->warp = line.warp;
    a->was_backing_up = false;
    memset(a->lineup, 0, sizeof a->lineup);
    race_reset_ops ops{};
    ops.track.progress = &LOADING_SCREEN;
    ops.track.statue_assets.load_model = statue_model;
    ops.track.statue_assets.load_texture = statue_texture;
    ops.track.texture_memory = texture_bytes;
    ops.track.verbose = render_options().debug_level >= 1;
    ops.bike_assets.load_model = bike_model;
    ops.release_unused = release_unused;
    ops.practice_robots = line.practice;
    ops.editor = line.editor;
    race_session_init(&a->session, scene, &ops);
    a->session.deformation.level = line.erode_strength;  // --erode
}

void app_race_free(AppRace* a) { race_session_free(&a->session); }

bool app_race_reset(AppRace* a, const int* lineup, int race_ticks, int laps, int robot_skill) {
    if (!a->tracks || a->tracks->tracks.empty()) return false;
    const TrackEntry& track = a->tracks->tracks[a->tracks->selected];
    if (lineup) memcpy(a->lineup, lineup, sizeof a->lineup);
    const RaceRequest request = {lineup ? a->lineup : nullptr, track.folder.c_str(), track.description.c_str(),
                                 race_ticks, laps, robot_skill, false};
    // Every track load is a new generation of textures and models: what the
    // last track used and this one does not is released after the bikes.
    if (!track_is_loaded(&a->session.track) || a->session.track.folder != track.folder) begin_texture_generation();
    a->session.deformation.roost.density = render_options().roost_frequency;
    const bool ok = race_reset(&a->session, request, (long long)time(nullptr));
    session().viewed_bike = a->session.viewed_slot == NO_LOCAL_RIDER ? 1 : a->session.viewed_slot + 1;
    tune_working_set();
    return ok;
}

bool app_race_start(AppRace* a) {
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_HUMAN;  // robots join from the line-up once they ride
    return app_race_reset(a, lineup, 0, STARTUP_LAPS, settings().skill.index);
}

// ---- the loop's hooks ---------------------------------------------------------

static AppRace* as_app(void* self) { return (AppRace*)self; }

static const rider_slot* viewed_slot(void* self) {
    const AppRace* a = as_app(self);
    const int index = session().viewed_bike - 1;
    if (!a->scene || index < 0 || index >= RIDER_SLOTS) return nullptr;
    return &a->scene->slots->slot[index];
}
static bool viewed_bike_local(void* self) {
    const rider_slot* s = viewed_slot(self);
    return s && s->rider && s->status == RIDER_LOCAL;
}
static bool viewed_slot_empty(void* self) {
    const rider_slot* s = viewed_slot(self);
    return !s || !s->rider;
}
static bool track_loaded(void* self) { return track_is_loaded(&as_app(self)->session.track); }

static void race_step(void* self) {
    AppRace* a = as_app(self);
    if (track_is_loaded(&a->session.track)) race_tick(&a->session.race);
}

// Erosion around the local player, whose ground is dug only once the
// points near it have waited their time.
static void erode(void* self) {
    AppRace* a = as_app(self);
    if (!track_is_loaded(&a->session.track)) return;
    const Race& race = a->session.race;
    const Rider* r = a->scene && race.local_slot != NO_LOCAL_RIDER ? a->scene->slots->slot[race.local_slot].rider : nullptr;
    float player[2];
    if (r) {
        const dReal* p = dBodyGetPosition(r->bike.body[BODY_FRAME]);
        player[0] = (float)p[0], player[1] = (float)p[2];
    }
    (void)deformation_frame(&a->session.deformation, r ? player : nullptr, race.now);
}

static void apply_rider_channels(void* self, const float channels[CHANNEL_COUNT]) {
    AppRace* a = as_app(self);
    Race& race = a->session.race;
    if (race.local_slot == NO_LOCAL_RIDER || !a->scene) return;
    Rider* r = a->scene->slots->slot[race.local_slot].rider;
    if (!r) return;
    const rider_input_settings input = rider_input_settings_from_setup(player_setup());
    rider_apply_channels(r, channels, &input);
    race_apply_local_controls(&race, r);
    // A time trial: pressing the back-up control starts the attempt again
    // when "Backing Up Aborts Attempt" is on.
    const bool backing = channels[CHANNEL_BACK_UP] > 0;
    if (race.is_practice && backing && !a->was_backing_up && settings().time_trial_abort.index == CHOICE_YES)
        race_practice_place(&a->session);
    a->was_backing_up = backing;
}

static int running_order_step(void* self, int viewed_bike, int direction) {
    const Race& race = as_app(self)->session.race;
    const std::vector<StandingsEntry>& order = race.standings;
    if (order.empty()) return viewed_bike;
    int at = 0;
    for (int i = 0; i < (int)order.size(); i++)
        if (order[i].slot == viewed_bike - 1) at = i;
    at = std::clamp(at + (direction < 0 ? -1 : 1), 0, (int)order.size() - 1);
    return order[at].slot + 1;
}

static void draw_title(void*, int width, int height) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw_title_picture(width, height);
}

// --warp: once the leader has done the race's laps, the line-up turns by one
// slot and the race starts again with the New Race settings.
static void warp_check(void* self) {
    AppRace* a = as_app(self);
    const Race& race = a->session.race;
    if (!a->warp || race.standings.empty() || !race.gates || !race.gates->is_valid) return;
    if (timing_laps_completed(race.gates, race.standings[0].steps) < race.target_laps) return;
    int lineup[RIDER_SLOTS];
    for (int k = 0; k < RIDER_SLOTS; k++) lineup[k] = a->lineup[(k + RIDER_SLOTS - 1) % RIDER_SLOTS];
    const Settings& s = settings();
    (void)app_race_reset(a, lineup, (int)(60 * s.minutes.value * TICKS_PER_SECOND), (int)s.laps.value,
                         s.skill.index);
}

FrameLoopHooks app_race_hooks(AppRace* a) {
    FrameLoopHooks hooks{};
    hooks.self = a;
    hooks.draw_title = draw_title;
    hooks.draw_scene = draw_title;  // until the riding views are drawn
    hooks.track_loaded = track_loaded;
    hooks.viewed_bike_local = viewed_bike_local;
    hooks.viewed_slot_empty = viewed_slot_empty;
    hooks.race_step = race_step;
    hooks.apply_rider_channels = apply_rider_channels;
    hooks.running_order_step = running_order_step;
    hooks.warp_check = warp_check;
    hooks.erode = erode;
    return hooks;
}
