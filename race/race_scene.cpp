#include "race/race_scene.h"

#include <math.h>
#include <string.h>

#include <vector>

#include "race/deformation.h"
#include "race/race.h"
#include "sim/bike_body.h"
#include "sim/collide.h"
#include "sim/rider_rules.h"
#include "sim/rider_step.h"
#include "sim/scene.h"
#include "sim/shape.h"
#include "sim/tire.h"
#include "track/statues.h"

struct race_scene_state {
    std::vector<collide_statue> statues;  // one per track statue; never grows while listed
    std::vector<int> touch_tick;          // per statue
    std::vector<const collide_statue*> with_gates[STATUE_GRID * STATUE_GRID];
    std::vector<const collide_statue*> without_gates[STATUE_GRID * STATUE_GRID];
};

static Race* as_race(void* self) { return (Race*)self; }

static bool gates_collide(const Race* race) {
    return race->now <= race->gate_drop_tick + race->drop_offset + RACE_GATE_COLLIDE_TICKS;
}

static int statues_near(void* self, double x, double z, const collide_statue* const** out) {
    const Race* race = as_race(self);
    const race_scene_state* link = race->link;
    if (!link || !race->statues) return 0;
    const int square = statues_grid_square(race->statues, (float)x, (float)z);
    const auto& list = gates_collide(race) ? link->with_gates[square] : link->without_gates[square];
    *out = list.data();
    return (int)list.size();
}

static void crash(void* self, Rider* r) { rider_crash_from_contact(r, as_race(self)->crash_delays); }

static float friction_scale(void*, const Rider* r) {
    if (!r->params.arcade) return 1;
    return tire_arcade_friction_scale(rider_lean_angle(dBodyGetRotation(r->bike.body[BODY_FRAME])));
}

static bool gate_target(void* self, const Rider* r, double out[3]) {
    const Race* race = as_race(self);
    if (!race->gates || !race->gates->is_valid) return false;
    const int gate = timing_step_gate(race->gates, race->entrant[r->slot].timing.steps);
    for (int i = 0; i < 3; i++) out[i] = race->gates->checkpoints[gate].centre[i];
    return true;
}

// A rider still riding after the leader finished, whose last finish line
// came after that, has finished too.
static bool mark_finished(void* self, Rider* r) {
    Race* race = as_race(self);
    if (race->leader_last_tick < 0 || !race->gates) return false;
    RiderTiming& t = race->entrant[r->slot].timing;
    if (t.is_finished) return false;
    for (int step = t.steps - 1; step >= 0; step--) {
        if (!timing_step_is_finish(race->gates, step)) continue;
        const int tick = timing_passage(&t, step);
        if (tick < race->leader_last_tick) return false;
        t.is_finished = true;
        return true;
    }
    return false;
}

static void after_control(void* self, Rider* r, int) { race_after_control(as_race(self), r); }

static void wheels_queried(void* self, Rider* r, int tick) {
    Race* race = as_race(self);
    if (race->deformation && race->entrant[r->slot].is_present) deformation_roost(race->deformation, r, tick);
}

static void robot_step(void* self, Rider* r, int tick) {
    Race* race = as_race(self);
    if (race->hooks.robot_step) race->hooks.robot_step(race->hooks.self, r, tick);
    else scene_control_step(race->scene, r, tick);
}

static void to_ode(const float m[9], dMatrix3 out) {
    memset(out, 0, sizeof(dMatrix3));
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) out[4 * r + c] = m[3 * r + c];
}

void race_scene_rebuild_statues(Race* race) {
    race_scene_state* link = race->link;
    if (!link) return;
    link->statues.clear();
    for (auto& l : link->with_gates) l.clear();
    for (auto& l : link->without_gates) l.clear();
    if (!race->statues) return;
    const TrackStatues* ts = race->statues;
    link->touch_tick.assign(ts->statues.size(), -1);
    link->statues.resize(ts->statues.size());
    for (size_t i = 0; i < ts->statues.size(); i++) {
        const Statue& st = ts->statues[i];
        collide_statue& c = link->statues[i];
        c.shape = (const Shape*)st.shape;
        for (int k = 0; k < 3; k++) c.position[k] = st.position[k];
        to_ode(st.orientation, c.rotation);
        c.touch_tick = &link->touch_tick[i];
    }
    std::vector<bool> is_gate(ts->statues.size(), false);
    if (race->gates)
        for (const StartSlot& slot : race->gates->slots)
            if (slot.statue >= 0 && slot.statue < (int)is_gate.size()) is_gate[slot.statue] = true;
    for (int square = 0; square < STATUE_GRID * STATUE_GRID; square++) {
        for (int i : ts->grid[square]) {
            link->with_gates[square].push_back(&link->statues[i]);
            if (!is_gate[i]) link->without_gates[square].push_back(&link->statues[i]);
        }
    }
}

void race_scene_attach(Race* race) {
    race_scene_detach(race);
    race->link = new race_scene_state();
    race_scene_rebuild_statues(race);
    physics_scene* s = race->scene;
    if (!s) return;
    s->contacts.ops.crash = crash;
    s->contacts.ops.statues_near = statues_near;
    s->contacts.ops.friction_scale = friction_scale;
    s->contacts.ops.self = race;
    s->realign.gate_target = gate_target;
    s->realign.mark_finished = mark_finished;
    s->realign.self = race;
    s->hooks.after_control = after_control;
    s->hooks.robot_step = robot_step;
    s->hooks.wheels_queried = wheels_queried;
    s->hooks.self = race;
    s->env.gate_drop_tick = race->gate_drop_tick;
    s->env.crash_delays = race->crash_delays;
}

void race_scene_detach(Race* race) {
    if (race->scene) {
        physics_scene* s = race->scene;
        if (s->contacts.ops.self == race) s->contacts.ops = collide_ops{};
        if (s->realign.self == race) s->realign = realign_target_ops{};
        if (s->hooks.self == race) s->hooks = scene_hooks{};
        if (s->env.crash_delays == race->crash_delays) s->env.crash_delays = nullptr;
    }
    delete race->link;
    race->link = nullptr;
}

bool race_gate_touched(const Race* race, int gate) {
    const race_scene_state* link = race->link;
    if (!link || !race->gates || gate < 0 || gate >= (int)race->gates->slots.size()) return false;
    const int statue = race->gates->slots[gate].statue;
    return statue >= 0 && statue < (int)link->touch_tick.size() && link->touch_tick[statue] == race->now;
}

void race_scene_turn_gates(Race* race, float up_angle) {
    race_scene_state* link = race->link;
    if (!link || !race->gates || !race->statues) return;
    for (size_t g = 0; g < race->gates->slots.size() && g < race->gate_openness.size(); g++) {
        const int statue = race->gates->slots[g].statue;
        if (statue < 0 || statue >= (int)link->statues.size()) continue;
        const float a = race->gate_openness[g] * up_angle, c = cosf(a), s = sinf(a);
        const float turn[9] = {1, 0, 0, 0, c, -s, 0, s, c};
        const float* placed = race->statues->statues[statue].orientation;
        float m[9];
        for (int r = 0; r < 3; r++)
            for (int k = 0; k < 3; k++)
                m[3 * r + k] = placed[3 * r] * turn[k] + placed[3 * r + 1] * turn[3 + k] + placed[3 * r + 2] * turn[6 + k];
        to_ode(m, link->statues[statue].rotation);
    }
}
