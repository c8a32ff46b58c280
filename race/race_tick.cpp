// The race tick on the physics scene: the start rules of the local player,
// the starting gates, timing, the periodic standings and practice laps.
#include <math.h>
#include <string.h>

#include "base/messages.h"
#include "base/ticks.h"
#include "race/deformation.h"
#include "race/race.h"
#include "race/race_scene.h"
#include "sim/bike_body.h"
#include "sim/scene.h"

static constexpr float GATE_UP_ANGLE = 0.5890486f;  // rad: 3 pi / 16, a gate fully up
static constexpr float GATE_FALL_ACCEL = 32;        // 1/s^2 of openness
static constexpr float GATE_MAX_FALL_RATE = 8;      // 1/s

static Rider* slot_rider(const Race* race, int slot) {
    if (!race->scene || slot < 0 || slot >= RIDER_SLOTS) return nullptr;
    return race->scene->slots->slot[slot].rider;
}

static void frame_position(const Rider* r, double out[3]) {
    const dReal* p = dBodyGetPosition(r->bike.body[BODY_FRAME]);
    for (int i = 0; i < 3; i++) out[i] = p[i];
}

static void show(Race* race, const char* text) {
    if (race->hooks.show_message) race->hooks.show_message(race->hooks.self, text);
    else show_message(text);
}

// Held after a false start: brakes on, no throttle, clutch out, feet down.
static void hold_controls(rider_controls* c) {
    c->front_brake = 1;
    c->rear_brake = 1;
    c->throttle = 0;
    c->clutch = 0;
    c->back_up = 0;
    c->dab = 1;
}

void race_apply_local_controls(Race* race, Rider* r) {
    if (!r || r->slot != race->local_slot) return;
    if (race->hold_ticks > 0) hold_controls(&r->controls);
    else if (race->now <= race->gate_drop_tick) r->controls.dab = 1;
}

void race_after_control(Race* race, Rider* r) {
    if (!r || r->slot != race->local_slot) return;
    if (race->hold_ticks > 0) {
        race->hold_ticks--;
        hold_controls(&r->controls);
        return;
    }
    if (race->now > race->gate_drop_tick) return;
    r->controls.dab = 1;
    double p[3];
    frame_position(r, p);
    double d2 = 0;
    for (int i = 0; i < 3; i++) d2 += (p[i] - race->start_position[i]) * (p[i] - race->start_position[i]);
    if (d2 >= 9) {
        race->hold_ticks = race->gate_drop_tick + RACE_FALSE_START_HOLD - race->now;
        show(race, "15 second false start penalty");
    }
}

// Openness and falling rate of every starting gate; a gate resting against
// a bike (touched this tick) stops falling until the bike moves away.
static void move_gates(Race* race) {
    const int drop = race->gate_drop_tick + race->drop_offset;
    if (race->now > drop + RACE_GATE_COLLIDE_TICKS) return;
    for (size_t i = 0; i < race->gate_openness.size(); i++) {
        float& c = race->gate_openness[i];
        float& w = race->gate_falling_rate[i];
        if (race->now <= drop) {
            c = 1;
            w = 0;
            continue;
        }
        if (c <= 0) continue;
        if (race_gate_touched(race, (int)i)) {
            w = 0;
        } else {
            w = fminf(w + GATE_FALL_ACCEL * (float)TICK, GATE_MAX_FALL_RATE);
            c = fmaxf(c - w * (float)TICK, 0);
        }
    }
    race_scene_turn_gates(race, GATE_UP_ANGLE);
}

// The practice lap: timed from finish line to finish line, then every
// attempt starts again on the finish line.
static void practice_laps(Race* race) {
    if (!race->is_practice || race->local_slot == NO_LOCAL_RIDER || !race->gates->is_valid) return;
    RaceEntrant& e = race->entrant[race->local_slot];
    const int laps = timing_laps_completed(race->gates, e.timing.steps);
    if (laps == race->practice_laps_seen) return;
    const int first = (int)race->gates->first_lap.size(), normal = (int)race->gates->normal_lap.size();
    int lap = 0;
    const int start = timing_passage(&e.timing, first - 1), end = timing_passage(&e.timing, first + normal - 1);
    bool clean = start >= 0 && end >= 0;
    for (int k = first; clean && k < first + normal - 1; k++) clean = timing_passage(&e.timing, k) >= 0;
    if (clean) lap = end - start;
    if (laps > 0) race->last_lap_ticks = lap;
    if (lap > 0 && (race->best_lap_ticks == 0 || lap < race->best_lap_ticks)) race->best_lap_ticks = lap;
    // SEAM (demos): the lap's demo becomes the fast-lap demo; ghosts are made again from it.
    timing_set_steps(&e.timing, first > 0 ? first - 1 : 0);
    if (Rider* r = slot_rider(race, race->local_slot)) {
        // Timed again in the tick the timing ran in (the counter has moved on
        // since), so the next attempt starts at the very crossing that ended this one.
        double p[3];
        frame_position(r, p);
        race->now--;
        race_advance_timing(race, race->local_slot, (float)p[0], (float)p[2]);
        race->now++;
    }
    race->practice_laps_seen = timing_laps_completed(race->gates, e.timing.steps);
    if (!race->is_results_final) race_update_standings(race);
}

void race_tick(Race* race) {
    if (!race->gates) return;  // no track: nothing to run
    if (race->hooks.script_tick) race->hooks.script_tick(race->hooks.self, race->now);
    if (race->scene) {
        race->scene->tick = race->now;
        scene_step(race->scene);
        if (race->deformation) deformation_after_step(race->deformation, race);
    }
    // Timing: every rider here when offline; online only the local player.
    for (int k = 0; k < RIDER_SLOTS; k++) {
        Rider* r = slot_rider(race, k);
        if (!r || !race->entrant[k].is_present) continue;
        if (race->is_online && k != race->local_slot) continue;
        double p[3];
        frame_position(r, p);
        race_advance_timing(race, k, (float)p[0], (float)p[2]);
    }
    if (race->deformation) roost_step(&race->deformation->roost, race->deformation->ground);
    if (race->hooks.roost_step) race->hooks.roost_step(race->hooks.self);
    move_gates(race);
    const int before = race->now++;
    if (!race->is_online && before % RACE_STANDINGS_PERIOD == RACE_STANDINGS_PERIOD - 2 && !race->is_results_final)
        race_update_standings(race);
    if (race->hooks.record) race->hooks.record(race->hooks.self, race->now);
    practice_laps(race);
}
