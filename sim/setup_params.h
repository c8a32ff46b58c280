// Per-rider physics parameters: each rider slot's converted copy of a setup
// against its catalogue row, read by the suspension, drivetrain, rider and
// body code. Every value is clamped to its fixed range when it is set; the
// record is only written through the functions below.
// Units: feet, slugs, seconds, radians, pounds-force, pound-feet, rpm.
#pragma once

struct BikeInfo;
struct RiderSetup;

struct SuspensionParams {
    float hs_compression;         // high-speed compression coefficient, lb per ft/s
    float ls_compression_offset;  // low-speed compression offset, lb per ft/s (-base..base)
    float hs_rebound;             // high-speed rebound coefficient
    float ls_rebound_offset;      // low-speed rebound offset
    float spring_rate;            // lb/ft (fork: both legs together)
    float preload;                // ft
    float air_gap;                // ft; fork only, 0 for the shock
};

struct RiderParams {
    float leveling;               // 0..100
    float roll_damping;           // 0..100
    float roll_limit_angle;       // rad, 0..pi
    float roll_limit_factor;      // 0..64
    float steering_damping;       // 0..100
    float steering_strength;      // 0..100
    float max_steering_force;     // 0..1000
    float direct_steering;        // 0..1
    float slow_damping_speed;     // 0..100
    float slow_damping_factor;    // 1..10
    float land_damping_falloff;   // 0..0.5
    float land_damping_factor;    // 1..3
    float full_lock_speed;        // 1..100
    float restricted_lock_speed;  // 1..100
    float restricted_lock_angle;  // rad, 0..pi/4
    float auto_clutch_rpm;        // rpm, 0..5000
    float front_brake_torque;     // lb ft, 0..500
    float rear_brake_torque;      // lb ft, 0..500
    float max_dab_speed;          // ft/s, 7..100
    float final_drive_ratio;      // rear teeth / countershaft teeth, adjusted, each >= 3
    SuspensionParams fork;
    SuspensionParams shock;
    float rider_y_spring;         // 0..1, vertical spring factor
    float rider_y_damping;        // 0..1
    float rider_z_spring;         // 0..1, forward spring factor
    float rider_z_damping;        // 0..1
    float rider_mass_split;       // 0.33..0.5, share of the rider's mass moved to the frame
    int arcade;                   // 0 or 1
    bool front_antilock;
    bool rear_antilock;
    // Bit 1: cut drive torque while the front wheel is up; bit 2: release the
    // front brake while the rear wheel is up. 0 "No", 3 "Yes", 2 "Front Only".
    int stop_wheelies;
    bool auto_shift;
    bool auto_dab;
    bool auto_align;
};

// The clamped scalar parameters, for `rider_params_set`.
enum RiderParamId {
    RIDER_PARAM_LEVELING, RIDER_PARAM_ROLL_DAMPING, RIDER_PARAM_ROLL_LIMIT_ANGLE,
    RIDER_PARAM_ROLL_LIMIT_FACTOR, RIDER_PARAM_STEERING_DAMPING, RIDER_PARAM_STEERING_STRENGTH,
    RIDER_PARAM_MAX_STEERING_FORCE, RIDER_PARAM_DIRECT_STEERING, RIDER_PARAM_SLOW_DAMPING_SPEED,
    RIDER_PARAM_SLOW_DAMPING_FACTOR, RIDER_PARAM_LAND_DAMPING_FALLOFF, RIDER_PARAM_LAND_DAMPING_FACTOR,
    RIDER_PARAM_FULL_LOCK_SPEED, RIDER_PARAM_RESTRICTED_LOCK_SPEED, RIDER_PARAM_RESTRICTED_LOCK_ANGLE,
    RIDER_PARAM_AUTO_CLUTCH_RPM, RIDER_PARAM_FRONT_BRAKE_TORQUE, RIDER_PARAM_REAR_BRAKE_TORQUE,
    RIDER_PARAM_MAX_DAB_SPEED, RIDER_PARAM_RIDER_Y_SPRING, RIDER_PARAM_RIDER_Y_DAMPING,
    RIDER_PARAM_RIDER_Z_SPRING, RIDER_PARAM_RIDER_Z_DAMPING, RIDER_PARAM_RIDER_MASS_SPLIT,
    RIDER_PARAM_COUNT
};

// Sets one parameter, in the record's units, clamped to its fixed range (the
// ranges in the field comments above); a not-a-number value is ignored.
// The robot riders set their lock parameters through this every tick.
void rider_params_set(RiderParams* params, RiderParamId id, float value);
// Converts `setup` against `bike` into `out` (every field written).
void rider_params_from_setup(RiderParams* out, const RiderSetup* setup, const BikeInfo* bike);
// Once the race server disables arcade physics every rider is forced to 0.
void rider_params_set_arcade(RiderParams* params, int arcade);
// least + (most - least) * adjustment / 100, the adjustment clamped to 0..100:
// spring rates, preloads and the fork air gap from their catalogue ranges.
float setup_range_lerp(const float range[2], float adjustment);
// Final drive ratio from catalogue teeth and adjustments (clamped to -2..2);
// neither sprocket counts fewer than 3 teeth.
float final_drive_ratio(float countershaft_teeth, float rear_teeth,
                        float countershaft_adjustment, float rear_adjustment);
