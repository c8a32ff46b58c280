#include "race/reset.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "base/messages.h"
#include "base/ticks.h"
#include "platform/log.h"
#include "race/race_scene.h"
#include "sim/bike_info.h"
#include "sim/collide.h"
#include "sim/robot_roster.h"
#include "sim/scene.h"
#include "sim/setup.h"
#include "sim/setup_params.h"

static constexpr float RAISE_STEP = 0.25f;      // ft
static constexpr int MAX_RAISES = 400;          // 100 ft: a bike that never clears stops there
static constexpr double SETUP_SPEED_LIMIT = 0.125;  // ft/s: faster bikes keep their setup
static constexpr double SETUP_MESSAGE_GAP = 10;     // s
static constexpr int PRACTICE_START_TICKS = 300 * TICKS_PER_SECOND;
static const char* const ROBOT_NAME = "Dudirevav";

double race_uniform(std::mt19937* random) { return ((*random)() & 0x7fffffffu) / 2147483648.0; }

void race_session_init(RaceSession* s, physics_scene* scene, const race_reset_ops* ops) {
    track_init(&s->track);
    race_init(&s->race);
    s->scene = scene;
    s->random.seed(0);
    for (int i = 0; i < ROBOT_ROSTER_SIZE; i++) s->roster_order[i] = i;
    s->roster_used = 0;
    s->viewed_slot = NO_LOCAL_RIDER;
    s->setup_refused_at = -1;
    s->ops = ops ? *ops : race_reset_ops{};
    deformation_init(&s->deformation);
    s->deformation.roost.random = &s->random;
}

static void free_riders(RaceSession* s) {
    if (!s->scene) return;
    for (int k = 0; k < RIDER_SLOTS; k++) {
        if (!s->scene->slots->slot[k].rider) continue;
        // SEAM (sound): the rider's engine sound is freed with it.
        rider_destroy(s->scene->slots, k);
        for (int b = 0; b < SHAPED_COUNT; b++) contact_set_shape(&s->scene->contacts, k, b, nullptr);
    }
    s->scene->slots->local_slot = NO_LOCAL_RIDER;
}

void race_session_free(RaceSession* s) {
    race_scene_detach(&s->race);
    free_riders(s);
    if (s->scene) scene_set_ground(s->scene, nullptr);
    s->deformation.ground = nullptr;
    roost_free_all(&s->deformation.roost);  // the roost types belong to the track
    track_free(&s->track);
}

// ---- the loading screen -------------------------------------------------------

// Forwards to the program's loading screen and remembers the longest gap
// between two loading frames and the message shown before it.
struct Progress {
    const TerrainProgressOps* screen;
    double last;
    double longest;
    std::string message, longest_message;
};

static void note_frame(Progress* p) {
    const double now = platform_clock_seconds();
    if (now - p->last > p->longest) {
        p->longest = now - p->last;
        p->longest_message = p->message;
    }
    p->last = now;
}

static void progress_show(void* self, const char* text) {
    Progress* p = (Progress*)self;
    note_frame(p);
    p->message = text;
    if (p->screen && p->screen->show) p->screen->show(p->screen->self, text);
    else log("%s\n", text);
}

static void progress_tick(void* self) {
    Progress* p = (Progress*)self;
    note_frame(p);
    if (p->screen && p->screen->tick) p->screen->tick(p->screen->self);
}

static void progress_done(void* self, const char* text) {
    Progress* p = (Progress*)self;
    note_frame(p);
    if (p->screen && p->screen->done) p->screen->done(p->screen->self, text);
}

// ---- placement ----------------------------------------------------------------

void race_start_placement(const TimingGates* gates, float track_size, int k, float* x, float* z, float* yaw) {
    const int count = gates ? (int)gates->slots.size() : 0;
    if (count == 0) {
        *x = track_size / 2 + 5.0f * k;
        *z = track_size / 2;
        *yaw = 0;
        return;
    }
    const StartSlot& slot = gates->slots[k % count];
    const int row = k / count;
    // Row 0 stands 0.625 ft behind the slot line, each further row 10 ft back.
    const float back = (row + 0.0625f) * 10;
    *x = slot.position[0] + sinf(slot.angle) * back;
    *z = slot.position[2] + cosf(slot.angle) * back;
    *yaw = slot.angle;
}

void race_place_bike(physics_scene* scene, const Terrain* ground, Rider* r, float x, float z, float yaw) {
    rider_reset(r);
    const double up[3] = {0, 1, 0};
    bike_body_turn(&r->bike, up, yaw);
    double height = 0;
    if (ground) {
        // The grid vertex below: coordinates over the spacing, truncated and clamped.
        const int i = std::clamp((int)(x * ground->inverse_spacing), 0, ground->dim - 1);
        const int k = std::clamp((int)(z * ground->inverse_spacing), 0, ground->dim - 1);
        height = ground->heights[i + ground->dim * k];
    }
    const double at[3] = {x, height, z};
    bike_body_move(&r->bike, at);
    const double raise[3] = {0, RAISE_STEP, 0};
    for (int n = 0; n < MAX_RAISES && collide_rider_touches(&scene->contacts, r); n++) bike_body_move(&r->bike, raise);
}

void race_practice_place(RaceSession* s) {
    Race& race = s->race;
    const TimingGates& g = s->track.gates;
    if (!g.is_valid || race.local_slot == NO_LOCAL_RIDER || !s->scene) return;
    Rider* r = s->scene->slots->slot[race.local_slot].rider;
    if (!r) return;
    const int step = std::max((int)g.first_lap.size() - 3, 0);
    const Checkpoint& c = g.checkpoints[timing_step_gate(&g, step)];
    race_place_bike(s->scene, s->track.terrain, r, c.centre[0], c.centre[2], atan2f(-c.direction[0], -c.direction[2]));
    timing_set_steps(&race.entrant[race.local_slot].timing, step);
    race.practice_laps_seen = timing_laps_completed(&g, step);
}

// ---- riders -------------------------------------------------------------------

// The next unused roster entry of the permutation; with `bike_part`, the one
// nearest the end whose bike name holds it, swapped to the next position
// (the plain next one when none does). With `number`, the entry of that number.
static int take_roster_entry(RaceSession* s, const char* bike_part, const char* number) {
    if (s->roster_used >= ROBOT_ROSTER_SIZE) return -1;
    if (bike_part || number) {
        for (int i = ROBOT_ROSTER_SIZE - 1; i >= s->roster_used; i--) {
            const RobotRosterEntry& e = robot_roster_entry(s->roster_order[i]);
            const bool match = bike_part ? strstr(e.bike, bike_part) != nullptr : strcmp(e.number, number) == 0;
            if (!match) continue;
            std::swap(s->roster_order[i], s->roster_order[s->roster_used]);
            break;
        }
    }
    return s->roster_order[s->roster_used++];
}

struct RiderPlan {
    int kind;
    std::string bike, number, name;
    const RiderSetup* setup;  // the player's; null: the bike's defaults
};

// Decides who rides in slot k; false for an empty slot.
static bool plan_rider(RaceSession* s, int code, RiderPlan* plan) {
    if (code == LINEUP_HUMAN) {
        const RiderSetup* setup = player_setup();
        *plan = RiderPlan{KIND_LOCAL, setup->bike, setup->number, setup->name, setup};
        return true;
    }
    int entry = -1;
    char number[16];
    if (code == LINEUP_ROBOT) entry = take_roster_entry(s, nullptr, nullptr);
    else if (code == LINEUP_ROBOT_2_STROKE) entry = take_roster_entry(s, "125", nullptr);
    else if (code == LINEUP_ROBOT_4_STROKE) entry = take_roster_entry(s, "250", nullptr);
    else if (code >= LINEUP_NUMBERED) {
        snprintf(number, sizeof number, "%d", code - LINEUP_NUMBERED);
        entry = take_roster_entry(s, nullptr, number);
    }
    // SEAM (demos, online races): empty slots take the riders of an open demo
    // or ghost file; code 5 is a remote rider the server describes. Codes 6 to
    // 999 are made by nobody and are refused.
    if (entry < 0) return false;
    const RobotRosterEntry& e = robot_roster_entry(entry);
    *plan = RiderPlan{KIND_ROBOT, e.bike, e.number, ROBOT_NAME, nullptr};
    return true;
}

static void create_rider(RaceSession* s, int k, const RiderPlan& plan) {
    Race& race = s->race;
    const std::string bike = bike_current_name(plan.bike.c_str());
    const BikeInfo* info = find_bike_info(bike.c_str());
    if (!info) info = bike_info_for_rider(bike.c_str());
    RiderSetup own;
    const RiderSetup* setup = plan.setup;
    if (!setup) {
        setup_init_defaults(&own);
        setup_select_bike(&own, info);
        setup = &own;
    }
    RiderParams params;
    rider_params_from_setup(&params, setup, info);
    const int status = plan.kind == KIND_LOCAL ? RIDER_LOCAL : RIDER_ROBOT;
    const bike_asset_ops* assets = s->ops.bike_assets.load_model || s->ops.bike_assets.load_shape ? &s->ops.bike_assets : nullptr;
    Rider* r = rider_create(s->scene->slots, k, status, &s->scene->world, info, &params, true, assets);
    if (!r) return;  // the slot stays empty
    contact_load_shapes(&s->scene->contacts, k, info);
    // SEAM (sound): the bike's engine sound is loaded here. SEAM (robots): the
    // roster personality, or the test personality with --practice.
    float x, z, yaw;
    race_start_placement(&s->track.gates, s->track.terrain->size, k, &x, &z, &yaw);
    race_place_bike(s->scene, s->track.terrain, r, x, z, yaw);
    RaceEntrant& e = race.entrant[k];
    e.is_present = true;
    e.kind = plan.kind;
    timing_clear(&e.timing);
    e.number = plan.number;
    e.name = plan.name;
    e.bike = info->model;
    if (plan.kind == KIND_LOCAL) {
        race.local_slot = k;
        s->scene->slots->local_slot = k;
        const dReal* p = dBodyGetPosition(r->bike.body[BODY_FRAME]);
        for (int i = 0; i < 3; i++) race.start_position[i] = (float)p[i];
    }
}

// ---- the reset ----------------------------------------------------------------

static void set_lineup(Race* race, const int* lineup) {
    bool has_human = false;
    for (int k = 0; k < RIDER_SLOTS; k++) {
        int code = race->is_practice ? (k == 0 ? LINEUP_HUMAN : LINEUP_EMPTY) : lineup[k];
        if (code == LINEUP_HUMAN) {
            if (has_human) code = LINEUP_EMPTY;  // only the first Human rides
            has_human = true;
        }
        race->lineup[k] = code;
    }
}

static void apply_player_setup(RaceSession* s) {
    const int k = s->viewed_slot;
    if (k < 0 || k >= RIDER_SLOTS || k != s->race.local_slot) return;
    Rider* r = s->scene->slots->slot[k].rider;
    if (!r) return;
    const dReal* v = dBodyGetLinearVel(r->bike.body[BODY_FRAME]);
    if (sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) > SETUP_SPEED_LIMIT) {
        const double now = platform_clock_seconds();
        if (s->setup_refused_at < 0 || now - s->setup_refused_at >= SETUP_MESSAGE_GAP) {
            show_message("Settings not applied.  Mechanic can't keep up error.");
            s->setup_refused_at = now;
        }
        return;
    }
    const BikeInfo* info = find_bike_info(s->race.entrant[k].bike.c_str());
    if (!info) return;
    RiderParams params;
    rider_params_from_setup(&params, player_setup(), info);
    rider_set_params(r, &params);
}

bool race_reset(RaceSession* s, const RaceRequest& q, long long now_seconds) {
    Progress progress{s->ops.track.progress, platform_clock_seconds(), 0, "", ""};
    const TerrainProgressOps screen = {progress_show, progress_tick, progress_done, &progress};
    Race& race = s->race;

    progress_show(&progress, "Resetting...");
    log("Resetting\n");
    s->random.seed((uint32_t)now_seconds);
    for (int i = 0; i < ROBOT_ROSTER_SIZE; i++) s->roster_order[i] = i;
    for (int n = ROBOT_ROSTER_SIZE - 1; n >= 1; n--) {
        const uint32_t r = s->random();
        std::swap(s->roster_order[n], s->roster_order[(r / 65536) % (uint32_t)n]);
    }
    s->roster_used = 0;

    progress_show(&progress, "Remembering lines");
    // SEAM (robots): the last race's lines are saved. SEAM (demos): playback
    // closes, recording finishes, ghosts are forgotten.
    progress_done(&progress, "Remembering lines");

    progress_show(&progress, "Cleaning up");
    race_scene_detach(&race);
    log("Deallocating bikes\n");
    free_riders(s);
    log("Finished deallocating bikes\n");
    progress_done(&progress, "Cleaning up");

    // The program's hooks and the server's knockout times outlive the race.
    const race_hooks hooks = race.hooks;
    int crash_delays[16];
    memcpy(crash_delays, race.crash_delays, sizeof crash_delays);
    race_init(&race);
    race.hooks = hooks;
    memcpy(race.crash_delays, crash_delays, sizeof crash_delays);
    race.is_practice = q.lineup == nullptr;
    race.race_ticks = q.race_ticks > 0 ? q.race_ticks : 0;
    race.laps = q.laps;
    race.robot_skill = q.robot_skill;
    race.gate_drop_tick = (int)((13 + 2 * race_uniform(&s->random)) / TICK);
    race.drop_offset = 0;
    // SEAM (track scripts): script objects are cleared.

    const bool same_track = track_is_loaded(&s->track) && s->track.folder == q.track && !q.reload;
    if (!same_track) {
        if (track_is_loaded(&s->track)) {
            log("Deallocating track\n");
            if (s->scene) scene_set_ground(s->scene, nullptr);
            track_free(&s->track);
        }
        track_load_ops load = s->ops.track;
        load.progress = &screen;
        if (!track_load(&s->track, q.track, q.description, &load)) {
            s->viewed_slot = NO_LOCAL_RIDER;
            return false;
        }
        if (s->scene) scene_set_ground(s->scene, s->track.terrain);
        // SEAM (online races): the terrain is locked against edits.
    }
    race.track = s->track.folder;
    race.gates = &s->track.gates;
    race.statues = &s->track.statues;
    race.scene = s->scene;

    set_lineup(&race, q.lineup);
    if (race.is_practice) race.now = PRACTICE_START_TICKS;
    race_scene_attach(&race);  // the statues collide while bikes are placed
    // SEAM (robots): the skill's lines file is read and analysed.
    progress_show(&progress, "Analyzing lines");
    progress_done(&progress, "Analyzing lines");

    // The gates stand up while the bikes are placed behind them.
    race.gate_openness.assign(s->track.gates.slots.size(), 1.0f);
    race.gate_falling_rate.assign(s->track.gates.slots.size(), 0.0f);
    race_scene_turn_gates(&race, 0.5890486f);
    progress_show(&progress, "Loading bikes");
    s->viewed_slot = NO_LOCAL_RIDER;
    for (int k = 0; k < RIDER_SLOTS; k++) {
        progress_tick(&progress);
        if (!s->scene) break;
        RiderPlan plan;
        if (!plan_rider(s, race.lineup[k], &plan)) continue;
        create_rider(s, k, plan);
        if (s->viewed_slot == NO_LOCAL_RIDER && race.entrant[k].is_present) s->viewed_slot = k;
    }
    progress_done(&progress, "Loading bikes");
    if (s->scene)
        for (StateHistory& h : s->scene->slots->history) state_history_reset(&h);
    // SEAM (demos): recording starts. SEAM (deformation): roost particles are freed.
    deformation_reset(&s->deformation, s->track.terrain);  // the erosion queue is emptied
    race.deformation = &s->deformation;
    // SEAM (track scripts): "nofrills.js" or "frills.js" is loaded.

    char text[64];
    const unsigned long memory =
        s->ops.track.texture_memory ? s->ops.track.texture_memory(s->ops.track.self) : 0;
    snprintf(text, sizeof text, "%d MB texture memory used", (int)(memory / (1024 * 1024)));
    progress_show(&progress, text);
    if (s->ops.release_unused) s->ops.release_unused(s->ops.self);

    // Practice loops over lap attempts: the laps setting never finishes it.
    race.target_laps = race.race_ticks > 0 || race.is_practice ? RACE_NO_LIMIT : race.laps;
    race.halfway_lap = race.race_ticks > 0 ? RACE_NO_LIMIT : (race.laps + 1) / 2;
    // A time trial starts long after the drop: its gates lie down.
    if (race.is_practice) std::fill(race.gate_openness.begin(), race.gate_openness.end(), 0.0f);
    race_scene_turn_gates(&race, 0.5890486f);
    if (race.is_practice) race_practice_place(s);
    log("Max loading delay was %f (%s)\n", progress.longest, progress.longest_message.c_str());

    // SEAM (demos): the starting states are recorded and playback steps once.
    race.is_results_final = false;
    race_update_standings(&race);
    if (s->viewed_slot == NO_LOCAL_RIDER && !race.standings.empty()) s->viewed_slot = race.standings[0].slot;
    if (s->scene) {
        dJointGroupEmpty(s->scene->world.contacts);
        s->scene->tick = race.now;
        s->scene->env.gate_drop_tick = race.gate_drop_tick;
        apply_player_setup(s);
    }
    // SEAM (drawing): the chase camera is put behind the viewed rider.
    return true;
}
