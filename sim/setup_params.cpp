// Converts a rider setup against its catalogue row into the clamped per-rider
// physics parameters.
#include "sim/setup_params.h"

#include <math.h>
#include <stddef.h>
#include <string.h>

#include "base/num.h"
#include "sim/bike_info.h"
#include "sim/setup.h"

static_assert(SETUP_FORK_OIL_LEVEL - SETUP_FORK_COMPRESSION == 6 &&
              SETUP_SHOCK_PRELOAD - SETUP_SHOCK_COMPRESSION == 5,
              "convert_suspension reads six consecutive settings per unit");

static constexpr float FT_S_PER_MPH = 1.4666667f;

float setup_range_lerp(const float range[2], float adjustment) {
    const float u = clamp_keep_nan(adjustment * 0.01f, 0, 1);
    return range[0] + (range[1] - range[0]) * u;
}

float final_drive_ratio(float countershaft_teeth, float rear_teeth, float countershaft_adjustment,
                        float rear_adjustment) {
    const float c = clamp_keep_nan(countershaft_adjustment, -2, 2);
    const float r = clamp_keep_nan(rear_adjustment, -2, 2);
    return fmaxf(floorf(rear_teeth + r), 3) / fmaxf(floorf(countershaft_teeth + c), 3);
}

// Damping coefficients and offsets from the catalogue bases: high-speed
// coefficients scale by a factor of 0.25..4 (2^(adjustment/25 - 2)), low-speed
// offsets move by -1..1 times their base.
static void convert_suspension(SuspensionParams* out, const float damping[4], const float spring[2],
                               const float preload[2], const float* adjust) {
    const float hs_compression = clamp_keep_nan(exp2f(adjust[0] * 0.04f - 2), 0.25f, 4);
    const float hs_rebound = clamp_keep_nan(exp2f(adjust[2] * 0.04f - 2), 0.25f, 4);
    out->hs_compression = damping[0] * hs_compression;
    out->ls_compression_offset = damping[1] * clamp_keep_nan(adjust[1] * 0.02f - 1, -1, 1);
    out->hs_rebound = damping[2] * hs_rebound;
    out->ls_rebound_offset = damping[3] * clamp_keep_nan(adjust[3] * 0.02f - 1, -1, 1);
    out->spring_rate = setup_range_lerp(spring, adjust[4]);
    out->preload = setup_range_lerp(preload, adjust[5]);
    out->air_gap = 0;
}

static const struct {
    size_t offset;
    float min, max;
} PARAM_RANGES[RIDER_PARAM_COUNT] = {
    {offsetof(RiderParams, leveling), 0, 100},
    {offsetof(RiderParams, roll_damping), 0, 100},
    {offsetof(RiderParams, roll_limit_angle), 0, PI_F},
    {offsetof(RiderParams, roll_limit_factor), 0, 64},
    {offsetof(RiderParams, steering_damping), 0, 100},
    {offsetof(RiderParams, steering_strength), 0, 100},
    {offsetof(RiderParams, max_steering_force), 0, 1000},
    {offsetof(RiderParams, direct_steering), 0, 1},
    {offsetof(RiderParams, slow_damping_speed), 0, 100},
    {offsetof(RiderParams, slow_damping_factor), 1, 10},
    {offsetof(RiderParams, land_damping_falloff), 0, 0.5f},
    {offsetof(RiderParams, land_damping_factor), 1, 3},
    {offsetof(RiderParams, full_lock_speed), 1, 100},
    {offsetof(RiderParams, restricted_lock_speed), 1, 100},
    {offsetof(RiderParams, restricted_lock_angle), 0, PI_F / 4},
    {offsetof(RiderParams, auto_clutch_rpm), 0, 5000},
    {offsetof(RiderParams, front_brake_torque), 0, 500},
    {offsetof(RiderParams, rear_brake_torque), 0, 500},
    {offsetof(RiderParams, max_dab_speed), 7, 100},
    {offsetof(RiderParams, rider_y_spring), 0, 1},
    {offsetof(RiderParams, rider_y_damping), 0, 1},
    {offsetof(RiderParams, rider_z_spring), 0, 1},
    {offsetof(RiderParams, rider_z_damping), 0, 1},
    {offsetof(RiderParams, rider_mass_split), 0.33f, 0.5f},
};

void rider_params_set(RiderParams* params, RiderParamId id, float value) {
    if (id < 0 || id >= RIDER_PARAM_COUNT || isnan(value))
        return;
    float* field = (float*)((char*)params + PARAM_RANGES[id].offset);
    *field = clamp_keep_nan(value, PARAM_RANGES[id].min, PARAM_RANGES[id].max);
}

// Setup values in menu units that convert to a parameter by one factor.
static const struct {
    RiderParamId param;
    SetupKey key;
    float factor;
} SCALED_SETTINGS[] = {
    {RIDER_PARAM_LEVELING, SETUP_LEVELING, 1},
    {RIDER_PARAM_ROLL_DAMPING, SETUP_ROLL_DAMPING, 1},
    {RIDER_PARAM_ROLL_LIMIT_ANGLE, SETUP_ROLL_LIMIT_ANGLE, PI_F / 180},
    {RIDER_PARAM_ROLL_LIMIT_FACTOR, SETUP_ROLL_LIMIT_FACTOR, 1},
    {RIDER_PARAM_STEERING_DAMPING, SETUP_STEERING_DAMPING, 1},
    {RIDER_PARAM_STEERING_STRENGTH, SETUP_STEERING_STRENGTH, 1},
    {RIDER_PARAM_MAX_STEERING_FORCE, SETUP_MAX_STEERING_FORCE, 1},
    {RIDER_PARAM_DIRECT_STEERING, SETUP_DIRECT_STEERING, 1},
    {RIDER_PARAM_SLOW_DAMPING_SPEED, SETUP_SLOW_DAMPING_SPEED, 1},
    {RIDER_PARAM_SLOW_DAMPING_FACTOR, SETUP_SLOW_DAMPING_FACTOR, 1},
    {RIDER_PARAM_LAND_DAMPING_FALLOFF, SETUP_LAND_DAMPING_FALLOFF, 1},
    {RIDER_PARAM_LAND_DAMPING_FACTOR, SETUP_LAND_DAMPING_FACTOR, 1},
    {RIDER_PARAM_FULL_LOCK_SPEED, SETUP_FULL_LOCK_SPEED, 1},
    {RIDER_PARAM_RESTRICTED_LOCK_SPEED, SETUP_RESTRICTED_LOCK_SPEED, 1},
    {RIDER_PARAM_RESTRICTED_LOCK_ANGLE, SETUP_RESTRICTED_LOCK, PI_F / 180},
    {RIDER_PARAM_AUTO_CLUTCH_RPM, SETUP_AUTO_CLUTCH_RPMS, 1},
    {RIDER_PARAM_FRONT_BRAKE_TORQUE, SETUP_BRAKE_TORQUE, 1},
    {RIDER_PARAM_REAR_BRAKE_TORQUE, SETUP_REAR_BRAKE_TORQUE, 1},
    {RIDER_PARAM_MAX_DAB_SPEED, SETUP_MAX_DAB_SPEED, FT_S_PER_MPH},
    {RIDER_PARAM_RIDER_Y_SPRING, SETUP_RIDER_YSPRING, 0.01f},
    {RIDER_PARAM_RIDER_Y_DAMPING, SETUP_RIDER_YDAMPING, 0.01f},
    {RIDER_PARAM_RIDER_Z_SPRING, SETUP_RIDER_ZSPRING, 0.01f},
    {RIDER_PARAM_RIDER_Z_DAMPING, SETUP_RIDER_ZDAMPING, 0.01f},
    {RIDER_PARAM_RIDER_MASS_SPLIT, SETUP_RIDER_MASS_DISTRIBUTION, 1},
};
static_assert(sizeof SCALED_SETTINGS / sizeof SCALED_SETTINGS[0] == RIDER_PARAM_COUNT);

void rider_params_from_setup(RiderParams* out, const RiderSetup* setup, const BikeInfo* bike) {
    const float* v = setup->value;
    const int* choice = setup->choice;
    memset(out, 0, sizeof *out);
    for (const auto& s : SCALED_SETTINGS) {
        // Each parameter starts at its range's low end, so a setting that
        // is somehow not a number still leaves a value inside the range.
        rider_params_set(out, s.param, PARAM_RANGES[s.param].min);
        rider_params_set(out, s.param, v[s.key] * s.factor);
    }
    out->final_drive_ratio = final_drive_ratio(bike->countershaft_teeth, bike->rear_sprocket_teeth,
                                               v[SETUP_FRONT_SPROCKET], v[SETUP_REAR_SPROCKET]);

    // SetupKey order per unit: HS compression, LS compression, HS rebound,
    // LS rebound, spring rate, preload (then the fork's oil level).
    convert_suspension(&out->fork, bike->fork_damping, bike->fork_spring_rate, bike->fork_preload,
                       &v[SETUP_FORK_COMPRESSION]);
    out->fork.air_gap = setup_range_lerp(bike->fork_air_gap, v[SETUP_FORK_OIL_LEVEL]);
    convert_suspension(&out->shock, bike->shock_damping, bike->shock_spring_rate, bike->shock_preload,
                       &v[SETUP_SHOCK_COMPRESSION]);

    rider_params_set_arcade(out, choice[SETUP_ARCADE]);
    out->front_antilock = choice[SETUP_FRONT_BRAKE] == SETUP_BRAKE_ANTILOCK;
    out->rear_antilock = choice[SETUP_REAR_BRAKE] == SETUP_BRAKE_ANTILOCK;
    switch (choice[SETUP_STOP_WHEELIES]) {
    case SETUP_STOP_WHEELIES_YES: out->stop_wheelies = 3; break;
    case SETUP_STOP_WHEELIES_FRONT_ONLY: out->stop_wheelies = 2; break;
    default: out->stop_wheelies = 0; break;
    }
    out->auto_shift = choice[SETUP_AUTO_SHIFT] == SETUP_YES;
    out->auto_dab = choice[SETUP_AUTO_DAB] == SETUP_YES;
    out->auto_align = choice[SETUP_AUTO_ALIGN] == SETUP_YES;
}

void rider_params_set_arcade(RiderParams* params, int arcade) {
    params->arcade = arcade ? 1 : 0;
}
