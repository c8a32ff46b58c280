// Roost emission and flight.
#include "race/roost.h"

#include <math.h>

#include <algorithm>

#include "base/num.h"
#include "base/ticks.h"
#include "race/reset.h"
#include "sim/bike_body.h"
#include "sim/tire.h"
#include "track/terrain.h"
#include "track/tileinfo.h"

static constexpr float GRAVITY = 32;  // ft/s^2
static constexpr float DT = (float)TICK;
static constexpr float HALF_ROOT_2 = 0.70710678f;  // sqrt(1/2)

void roost_pool_make(RoostPool* pool) {
    pool->particles.assign(ROOST_PARTICLES, RoostParticle{});
    roost_free_all(pool);
}

void roost_free_all(RoostPool* pool) {
    const int n = (int)pool->particles.size();
    for (int i = 0; i < n; i++) {
        RoostParticle& p = pool->particles[i];
        p.type = nullptr;
        p.sprite.is_visible = false;
        p.next = i + 1 < n ? i + 1 : -1;
    }
    pool->free_head = n > 0 ? 0 : -1;
    pool->active_head = -1;
    pool->active_count = 0;
}

static double uniform(RoostPool* pool) { return pool->random ? race_uniform(pool->random) : 0.5; }

bool roost_launch(RoostPool* pool, const RoostType& type, const float position[3], const float velocity[3]) {
    const int i = pool->free_head;
    if (i < 0) return false;  // all in the air
    RoostParticle& p = pool->particles[i];
    pool->free_head = p.next;
    p.next = pool->active_head;
    pool->active_head = i;
    pool->active_count++;
    for (int a = 0; a < 3; a++) p.position[a] = position[a], p.velocity[a] = velocity[a];
    p.type = &type;
    for (int a = 0; a < 3; a++) p.sprite.position[a] = position[a];
    p.sprite.size = type.size;
    p.sprite.texture = type.texture;
    for (int c = 0; c < 4; c++) p.sprite.colour[c] = type.colour[c];
    p.sprite.is_visible = true;
    return true;
}

static void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

static float length(const float v[3]) { return sqrtf(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// The random spread of a launch: each component within +-randomize/2.
static void spread(RoostPool* pool, const RoostType& type, float v[3]) {
    for (int a = 0; a < 3; a++) v[a] += (float)(uniform(pool) - 0.5) * type.randomize;
}

// Splash: up and out to either side of the direction of travel, 45 degrees
// from the ground's normal, alternating side by particle and tick.
static void throw_splash(RoostPool* pool, const RoostType& type, const wheel_record* w, const float wheel_velocity[3],
                         int count, int now) {
    const float* n = w->contact_normal;
    const float along = wheel_velocity[0] * n[0] + wheel_velocity[1] * n[1] + wheel_velocity[2] * n[2];
    float v[3];
    for (int a = 0; a < 3; a++) v[a] = wheel_velocity[a] - along * n[a];
    const float speed = length(v);
    float t[3] = {0, 0, 0};
    if (speed > 0)
        for (int a = 0; a < 3; a++) t[a] = v[a] / speed;
    float side[3];
    cross(t, n, side);
    float dir[2][3];
    for (int a = 0; a < 3; a++) {
        dir[0][a] = (n[a] - side[a]) * speed * HALF_ROOT_2;
        dir[1][a] = (n[a] + side[a]) * speed * HALF_ROOT_2;
    }
    for (int i = 0; i < count; i++) {
        const float* d = dir[((i ^ now) & 1) ? 1 : 0];
        float position[3], velocity[3];
        const float lead = (float)i / (float)count * DT;
        for (int a = 0; a < 3; a++) position[a] = w->contact_point[a] + d[a] * lead, velocity[a] = d[a];
        spread(pool, type, velocity);
        const float scale = type.vscale * (float)uniform(pool);
        for (int a = 0; a < 3; a++) velocity[a] *= scale;
        (void)roost_launch(pool, type, position, velocity);
    }
}

// Rotates `v` about the unit axis `k` by `angle` (right hand).
static void rotate(const float v[3], const float k[3], float angle, float out[3]) {
    const float c = cosf(angle), s = sinf(angle);
    float kv[3];
    cross(k, v, kv);
    const float dot = k[0] * v[0] + k[1] * v[1] + k[2] * v[2];
    for (int a = 0; a < 3; a++) out[a] = v[a] * c + kv[a] * s + k[a] * dot * (1 - c);
}

// Roost: dirt flung off the tire's rim behind and above the contact, on
// the side the wheel turns towards, the harder the wheel spins the wider.
static void throw_roost(RoostPool* pool, const RoostType& type, const wheel_record* w, const float wheel_velocity[3],
                        int count, float angle_limit) {
    const float* s = w->contact_velocity;
    if (length(s) < type.slip_threshold) return;
    const dReal* wv = dBodyGetAngularVel(w->body);
    const float spin[3] = {(float)wv[0], (float)wv[1], (float)wv[2]};
    float arc = PI_F / 64;
    const float pushes = wheel_velocity[0] * s[0] + wheel_velocity[1] * s[1] + wheel_velocity[2] * s[2];
    if (pushes < 0) {
        const float spin2 = spin[0] * spin[0] + spin[1] * spin[1] + spin[2] * spin[2];
        const float lo = type.slow_speed * type.slow_speed, hi = type.fast_speed * type.fast_speed;
        const float f = hi > lo ? clamp_nan_to_low((spin2 - lo) / (hi - lo), 0.0f, 1.0f) : (spin2 > lo ? 1.0f : 0.0f);
        arc = type.slow_angle + f * (type.fast_angle - type.slow_angle);
    }
    arc = clamp_nan_to_low(arc, 0.0f, angle_limit);
    // The axle, pointing the way the wheel turns.
    dVector3 axle;
    dBodyVectorToWorld(w->body, w->axle[0], w->axle[1], w->axle[2], axle);
    float k[3] = {(float)axle[0], (float)axle[1], (float)axle[2]};
    const float kl = length(k);
    if (!(kl > 0)) return;
    const float turn = spin[0] * k[0] + spin[1] * k[1] + spin[2] * k[2];
    for (int a = 0; a < 3; a++) k[a] = k[a] / kl * (turn < 0 ? -1.0f : 1.0f);
    const dReal* centre = dBodyGetPosition(w->body);
    float arm[3];
    for (int a = 0; a < 3; a++) arm[a] = w->contact_point[a] - (float)centre[a];
    for (int i = 0; i < count; i++) {
        const float alpha = (float)uniform(pool) * arc;
        float r[3], at[3], velocity[3], position[3];
        rotate(arm, k, alpha, r);
        cross(spin, r, velocity);
        for (int a = 0; a < 3; a++) {
            at[a] = (float)centre[a] + r[a];
            velocity[a] += wheel_velocity[a];
            position[a] = at[a] + velocity[a] * ((float)i / (float)count) * DT;
        }
        spread(pool, type, velocity);
        for (int a = 0; a < 3; a++) velocity[a] *= type.vscale;
        (void)roost_launch(pool, type, position, velocity);
    }
}

void roost_emit(RoostPool* pool, const wheel_record* w, bool is_front, const Terrain* ground, int now) {
    if (pool->particles.empty() || !ground || !(w->depth > 0)) return;
    const wheel_spray spray = tire_spray_record(w, is_front, pool->density, uniform(pool));
    if (spray.particles <= 0) return;
    const TileInfo* surface = tire_surface_at(ground, w->contact_point[0], w->contact_point[2]);
    const dReal* bv = dBodyGetLinearVel(w->body);
    const float wheel_velocity[3] = {(float)bv[0], (float)bv[1], (float)bv[2]};
    for (const RoostType& type : surface->roost) {
        if (type.kind == ROOST_KIND_UNUSED) break;
        const float whole = floorf(type.count);
        int count = (int)clamp_nan_to_low(whole, 0.0f, (float)ROOST_PARTICLES);
        if (uniform(pool) < type.count - whole) count++;
        if (count > spray.particles) count = spray.particles;
        if (count <= 0) continue;
        if (type.kind == ROOST_KIND_SPLASH)
            throw_splash(pool, type, w, wheel_velocity, count, now);
        else
            throw_roost(pool, type, w, wheel_velocity, count, spray.angle_limit);
    }
}

static bool is_finite3(const float v[3]) { return isfinite(v[0]) && isfinite(v[1]) && isfinite(v[2]); }

void roost_step(RoostPool* pool, const Terrain* ground) {
    int* link = &pool->active_head;
    while (*link >= 0) {
        RoostParticle& p = pool->particles[*link];
        const RoostType& type = *p.type;
        const float keep = 1 - type.drag * DT;
        for (int a = 0; a < 3; a++) {
            p.position[a] += DT * p.velocity[a];
            p.velocity[a] *= keep;
        }
        p.velocity[1] -= GRAVITY * DT;
        for (int a = 0; a < 3; a++) p.sprite.position[a] = p.position[a];
        p.sprite.size += type.grow * DT;
        for (int c = 0; c < 4; c++) p.sprite.colour[c] = (uint8_t)std::clamp(p.sprite.colour[c] + type.fade_per_tick[c], 0, 255);
        const bool fell = p.velocity[1] < 0 && ground && terrain_height(ground, p.position[0], p.position[2]) > p.position[1];
        if (!fell && is_finite3(p.position) && is_finite3(p.velocity)) {
            link = &p.next;
            continue;
        }
        // Dies: off the active list, onto the free list.
        const int index = *link;
        *link = p.next;
        p.next = pool->free_head;
        pool->free_head = index;
        p.type = nullptr;
        p.sprite.is_visible = false;
        pool->active_count--;
    }
}
