// Wheel contacts into erosion samples, records into the queue, and the
// queue's share of each frame. Built without floating-point contraction
// (CMakeLists.txt) like the dig itself: samples decide the records, and the
// records must be the same wherever the race is replayed.
#include "race/deformation.h"

#include <math.h>

#include "base/num.h"
#include "race/race.h"
#include "sim/bike_body.h"
#include "sim/scene.h"
#include "sim/tire.h"
#include "track/terrain.h"

static constexpr float TINY_PUSH_SQ = 1.0f / 1024;  // lbf^2 below which nothing is sampled

void deformation_init(RaceDeformation* d) {
    *d = RaceDeformation{};
    erode_queue_init(&d->queue);
    d->roost.free_head = d->roost.active_head = -1;
}

void deformation_reset(RaceDeformation* d, Terrain* ground) {
    if (d->roost.particles.empty()) roost_pool_make(&d->roost);
    roost_free_all(&d->roost);
    erode_queue_clear(&d->queue);
    for (auto& rider : d->wheel)
        for (ErodeWheel& w : rider) w = ErodeWheel{};
    d->ground = ground;
}

// (v - lo) / (hi - lo) held to 0..1; a range that is empty or reversed is a step at `lo`.
static float ramp(float v, float lo, float hi) {
    if (!(hi > lo)) return v > lo ? 1.0f : 0.0f;
    return clamp_nan_to_low((v - lo) / (hi - lo), 0.0f, 1.0f);
}

static const ErodeParams& surface_params(const Terrain* t, float x, float z) {
    const int surface = terrain_tile(t, x, z);
    const int last = (int)t->surfaces.entries.size() - 1;
    return t->surfaces.entries[surface < last ? surface : last].erode;
}

bool deformation_sample_vector(const wheel_deformation& w, const Terrain* ground, float g[2]) {
    if (!(w.depth > 0) || !ground || ground->surfaces.entries.empty()) return false;
    const float x = w.point[0], z = w.point[2];
    const ErodeParams& e = surface_params(ground, x, z);
    float n[3];
    terrain_ground_normal(ground, x, z, n);  // the ground's own slope, not the tire's contact normal
    const float* v = w.body_velocity;
    const float speed = sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    const float flat = sqrtf(v[0] * v[0] + v[2] * v[2]);
    const float dx = flat > 0 ? v[0] / flat : 0, dz = flat > 0 ? v[2] / flat : 0;
    const float* s = w.contact_velocity;
    const float slip = sqrtf(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    const float a = ramp(speed, e.off_speed, e.on_speed);
    const float b = e.slip_base_scale + ramp(slip, e.slip_lower, e.slip_upper) * (e.slip_scale - e.slip_base_scale);
    const float* F = w.force;
    const float p = (F[0] * n[0] + F[1] * n[1] + F[2] * n[2]) / (n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    float fx = (F[0] - n[0] * p * e.project_to_ground) * a * b;
    float fz = (F[2] - n[2] * p * e.project_to_ground) * a * b;
    // The sideways part, across the direction of travel, scaled on its own.
    const float lateral = -dz * fx + dx * fz;
    fx += (e.lateral_scale - 1) * lateral * -dz;
    fz += (e.lateral_scale - 1) * lateral * dx;
    if (w.is_front) fx *= e.front_scale, fz *= e.front_scale;
    const float f2 = fx * fx + fz * fz;
    if (!(f2 > e.lower * e.lower) || !(f2 > TINY_PUSH_SQ) || !isfinite(f2)) return false;
    const float f = sqrtf(f2);
    const float length = 0.125f + 0.875f * ramp(f, e.lower, e.upper);
    g[0] = fx / f * length;
    g[1] = fz / f * length;
    return true;
}

static void offline_submit(void* self, const uint8_t* record, int bytes) {
    deformation_receive((RaceDeformation*)self, record, bytes);
}

void deformation_receive(RaceDeformation* d, const uint8_t* record, int bytes) {
    if (d->ground) (void)erode_queue_record(&d->queue, record, bytes, d->ground->size);
}

void deformation_roost(RaceDeformation* d, const Rider* r, int now) {
    if (!d->ground || !r) return;
    for (int wheel = 0; wheel < 2; wheel++) roost_emit(&d->roost, &r->bike.wheel[wheel], wheel == 0, d->ground, now);
}

void deformation_after_step(RaceDeformation* d, const Race* race) {
    if (!d->ground || !race->scene || d->level <= 0) return;
    const erode_submit_ops offline = {offline_submit, d};
    const erode_submit_ops* submit = d->submit.submit ? &d->submit : &offline;
    const float size = d->ground->size;
    for (int k = 0; k < RIDER_SLOTS; k++) {
        const Rider* r = race->scene->slots->slot[k].rider;
        if (!r || !race->entrant[k].is_present) continue;
        const int kind = race->entrant[k].kind;
        if (kind != KIND_LOCAL && kind != KIND_ROBOT) continue;
        for (int wheel = 0; wheel < 2; wheel++) {
            const wheel_deformation w = tire_deformation_record(&r->bike.wheel[wheel], wheel == 0);
            ErodeWheel* state = &d->wheel[k][wheel];
            float g[2];
            if (deformation_sample_vector(w, d->ground, g))
                erode_wheel_sample(state, w.point[0], w.point[2], g[0], g[1], race->now, size, submit);
            else
                erode_wheel_idle(state, race->now, size, submit);
        }
    }
}

int deformation_frame(RaceDeformation* d, const float* player, int now) {
    if (d->level <= 0 || !d->ground) return 0;
    const int handled = erode_process(&d->queue, d->ground, player, (float)d->level / 1024, now);
    terrain_reshade(d->ground);  // until the terrain renderer paces it
    return handled;
}
