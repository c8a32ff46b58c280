#include "sim/crash.h"

#include <math.h>

#include "base/num.h"
#include "sim/bike_body_math.h"
#include "sim/bike_info.h"
#include "sim/rider_rules.h"
#include "sim/slots.h"
#include "sim/world.h"

constexpr double TIE_STIFFNESS = 5000;  // lb/ft
constexpr double TIE_DAMPING = 500;     // lb per ft/s
constexpr double HIP_TIE_REST = 8;      // ft
constexpr double HIP_ANCHOR_BEHIND = 10;  // ft behind the bar centre
constexpr float SETTLED_SPEED = 2;      // ft/s: below it the crash timer runs
constexpr int SEAT_SPRINGS_FROM = 511;
constexpr int FOOT_STEERING_BELOW = 320;

float crash_threshold_scale(float air_time_s, float since_landing_s, bool is_airborne)
{
    if (is_airborne) return 1.5f;
    float a = clamp_keep_nan((air_time_s - 0.559f) * 7.9365087f, 0, 1);
    float b = clamp_keep_nan((since_landing_s - 0.25f) * -8, 0, 1);
    return 1.5f - 0.5f * a * b;
}

bool crash_test_fires(float relative_speed, float acceleration, float scale, int collision_timer)
{
    if (collision_timer < 0) return false;
    return relative_speed > CRASH_SPEED_LIMIT * scale || acceleration > CRASH_ACCEL_LIMIT * scale;
}

int crash_timer_for(int count, const int* delays)
{
    if (!delays) return CRASH_TIMER_START;
    int k = count < 0 ? 0 : (count >= CRASH_DELAY_ENTRIES ? CRASH_DELAY_ENTRIES - 1 : count);
    return CRASH_TIMER_START + delays[k];
}

float seat_spring_rest_length(int crash_timer) { return 5 * clamp_keep_nan((crash_timer - 128) * 0.0026041667f, 0, 1); }

void rider_crash(Rider* r, const int* delays)
{
    bike_body_detach_rider(&r->bike);
    r->crash_timer = crash_timer_for(r->aid.crash_count, delays);
    r->aid.crash_count++;
    // The free feet keep the drawn positions they were given last tick.
}

static void body_point(dBodyID b, const float p[3], double out[3])
{
    dVector3 v;
    dBodyGetRelPointPos(b, p[0], p[1], p[2], v);
    for (int i = 0; i < 3; i++) out[i] = v[i];
}

// A spring from point `pa` on `a` to point `pb` on `b` that pulls only when
// the points are further apart than `rest`.
static void tie(physics_world* w, dBodyID a, const double pa[3], dBodyID b, const double pb[3], double rest)
{
    double d[3] = {pb[0] - pa[0], pb[1] - pa[1], pb[2] - pa[2]};
    double len = vec_length(d);
    if (!(len > rest) || !vec_normalise(d)) return;
    physics_add_spring(w, a, b, pa, d, len - rest, TIE_STIFFNESS, TIE_DAMPING);
}

static void steer_foot_to_peg(Rider* r, int side)
{
    const BikeRiderPoints& pts = r->bike.info->rider_points;
    const float* peg = side == 0 ? pts.left_foot_peg : pts.right_foot_peg;
    const float above[3] = {peg[0], peg[1] + 3, peg[2] + 1};
    double target[3];
    body_point(r->bike.body[BODY_FRAME], above, target);
    double v[3];
    for (int i = 0; i < 3; i++) v[i] = 32 * (target[i] - r->aid.foot[side][i]);
    double len = vec_length(v);
    if (len > 1)
        for (double& x : v) x /= len;
    for (int i = 0; i < 3; i++) r->aid.foot_velocity[side][i] = (float)(4 * v[i]);
}

void rider_crash_sequence(Rider* r, physics_world* w, float lean)
{
    const bike_body* b = &r->bike;
    const BikeRiderPoints& pts = b->info->rider_points;
    dBodyID rider = b->body[BODY_RIDER], frame = b->body[BODY_FRAME], bars = b->body[BODY_FORK_UPPER];
    const dReal* rv = dBodyGetLinearVel(rider);
    double speed = sqrt(rv[0] * rv[0] + rv[1] * rv[1] + rv[2] * rv[2]);
    if (speed < SETTLED_SPEED) r->crash_timer--;

    if (speed >= SETTLED_SPEED) {
        double arm_rest = 0.875 * (pts.upper_arm_length + pts.forearm_length);
        const float* hands[2] = {pts.left_shoulder, pts.right_shoulder};
        const float* grips[2] = {pts.left_grip, pts.right_grip};
        for (int k = 0; k < 2; k++) {
            double ph[3], pg[3];
            body_point(rider, hands[k], ph);
            body_point(bars, grips[k], pg);
            tie(w, rider, ph, bars, pg, arm_rest);
        }
        if (r->crash_timer > SEAT_SPRINGS_FROM) {
            float hip[3], behind[3];
            for (int i = 0; i < 3; i++) {
                hip[i] = (pts.left_hip[i] + pts.right_hip[i]) / 2;
                behind[i] = (pts.left_grip[i] + pts.right_grip[i]) / 2;
            }
            behind[2] += (float)HIP_ANCHOR_BEHIND;
            double ph[3], pb[3];
            body_point(rider, hip, ph);
            body_point(bars, behind, pb);
            tie(w, rider, ph, bars, pb, HIP_TIE_REST);
        }
    }

    if (r->crash_timer <= SEAT_SPRINGS_FROM) {
        double rest = seat_spring_rest_length(r->crash_timer);
        float seat[3];
        for (int i = 0; i < 3; i++) seat[i] = b->info->rider_position[i] - b->info->frame_position[i];
        const float offsets[3][3] = {{0, 0, 0}, {-5, 10, 0}, {5, 10, 0}};
        for (const auto& o : offsets) {
            const float on_frame[3] = {seat[0] + o[0], seat[1] + o[1], seat[2] + o[2]};
            double pr[3], pf[3];
            body_point(rider, o, pr);
            body_point(frame, on_frame, pf);
            tie(w, rider, pr, frame, pf, rest);
        }
    }

    if (r->crash_timer < FOOT_STEERING_BELOW) steer_foot_to_peg(r, lean < 0 ? 0 : 1);

    if (r->crash_timer <= 0) {
        r->crash_timer = 0;
        bike_body_realign(&r->bike);
    }
}
