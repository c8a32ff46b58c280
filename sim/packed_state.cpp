#include "sim/packed_state.h"

#include <math.h>

#include "base/num.h"

static constexpr double MAX24 = 16777215.0;

// Adds 0.5 and rounds down, never past `max`.
static uint32_t quantise(double scaled, uint32_t max)
{
    double q = floor(scaled + 0.5);
    if (!(q >= 0)) return 0;
    if (q > max) return max;
    return (uint32_t)q;
}

static void put16(uint8_t* p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

static void put24(uint8_t* p, uint32_t v)
{
    put16(p, v);
    p[2] = (uint8_t)(v >> 16);
}

static uint32_t get16(const uint8_t* p) { return p[0] | (uint32_t)p[1] << 8; }
static uint32_t get24(const uint8_t* p) { return get16(p) | (uint32_t)p[2] << 16; }

static uint32_t quaternion_component(double q) { return quantise((clamp_nan_to_low(q, -1, 1) + 1) * 32767.5, 65535); }
static double quaternion_from(uint32_t v) { return v / 65535.0 * 2 - 1; }

// An angle in lo..hi onto one byte.
static uint8_t angle_byte(double a, double lo, double hi)
{
    return (uint8_t)quantise((clamp_nan_to_low(a, lo, hi) - lo) / (hi - lo) * 255, 255);
}
static float angle_from(uint8_t b, double lo, double hi) { return (float)(b / 255.0 * (hi - lo) + lo); }

static double finite_or_zero(double x) { return isfinite(x) ? x : 0; }

// A travel must be positive for the division; a broken bike gets a tiny one.
static double positive(double x) { return x > 1e-6 && isfinite(x) ? x : 1e-6; }

PackedRiderState packed_state_encode(const rider_state_values* v, const packed_state_ranges* r,
                                     const integrity_value* integrity)
{
    PackedRiderState s = {};
    uint8_t* b = s.bytes;
    double side = positive(r->side_length);
    double lo[3] = {0, finite_or_zero(r->base_height), 0};
    for (int i = 0; i < 3; i++)
        put24(b + PACKED_FRAME_POSITION + 3 * i,
              quantise((clamp_nan_to_low(v->frame_position[i], lo[i], lo[i] + side) - lo[i]) / side * MAX24,
                       (uint32_t)MAX24));
    for (int i = 0; i < 4; i++) {
        put16(b + PACKED_FRAME_QUATERNION + 2 * i, quaternion_component(v->frame_quaternion[i]));
        put16(b + PACKED_RIDER_QUATERNION + 2 * i, quaternion_component(v->rider_quaternion[i]));
    }
    b[PACKED_STEERING] = angle_byte(v->steering_angle, -PI / 4, PI / 4);
    b[PACKED_SWINGARM] = angle_byte(v->swingarm_angle, -positive(r->rear_travel_angle), 0) | 1;
    b[PACKED_FORK] = angle_byte(v->fork_slider, -positive(r->fork_travel), 0) & 0xfe;
    for (int i = 0; i < 3; i++)
        put16(b + PACKED_RIDER_OFFSET + 2 * i, quantise((clamp_nan_to_low<double>(v->rider_offset[i], -16, 16) + 16) * 2047.9688, 65535));
    for (int i = 0; i < 2; i++) b[PACKED_WHEEL_ANGLES + i] = angle_byte(v->wheel_angle[i], -PI, PI);
    b[PACKED_CONTROLS] = v->controls;
    put16(b + PACKED_ENGINE_SPEED, quantise(clamp_nan_to_low<double>(v->engine_rpm, 0, 32768) * 1.9999695, 65535));

    int n = b[PACKED_ENGINE_SPEED];  // the low 8 bits of the engine-speed field pick the bit
    if (integrity && (integrity->bits[n / 8] >> (n % 8) & 1)) b[PACKED_FORK] |= 1;
    return s;
}

rider_state_values packed_state_decode(const PackedRiderState* s, const packed_state_ranges* r)
{
    rider_state_values v = {};
    const uint8_t* b = s->bytes;
    double side = positive(r->side_length);
    double lo[3] = {0, finite_or_zero(r->base_height), 0};
    for (int i = 0; i < 3; i++) v.frame_position[i] = get24(b + PACKED_FRAME_POSITION + 3 * i) / MAX24 * side + lo[i];
    for (int i = 0; i < 4; i++) {
        v.frame_quaternion[i] = quaternion_from(get16(b + PACKED_FRAME_QUATERNION + 2 * i));
        v.rider_quaternion[i] = quaternion_from(get16(b + PACKED_RIDER_QUATERNION + 2 * i));
    }
    v.steering_angle = angle_from(b[PACKED_STEERING], -PI / 4, PI / 4);
    v.swingarm_angle = angle_from(b[PACKED_SWINGARM], -positive(r->rear_travel_angle), 0);
    v.fork_slider = angle_from(b[PACKED_FORK], -positive(r->fork_travel), 0);
    for (int i = 0; i < 3; i++) v.rider_offset[i] = (float)(get16(b + PACKED_RIDER_OFFSET + 2 * i) / 65535.0 * 32 - 16);
    for (int i = 0; i < 2; i++) v.wheel_angle[i] = angle_from(b[PACKED_WHEEL_ANGLES + i], -PI, PI);
    v.controls = b[PACKED_CONTROLS];
    v.engine_rpm = (float)(get16(b + PACKED_ENGINE_SPEED) / 65535.0 * 32768);
    return v;
}

uint8_t packed_controls_encode(int gear, float dab_amount, float throttle, int crash_timer)
{
    if (crash_timer > 0) {
        long long high = ((long long)crash_timer * 15 - 15) / 127;
        if (high > 15) high = 15;
        return (uint8_t)(high << 4 | 7);
    }
    int g = gear < 0 ? 0 : gear > 6 ? 6 : gear;
    int t = (int)floor(clamp_nan_to_low<double>(throttle, 0, 1) * 15);
    return (uint8_t)(t << 4 | (dab_amount > 0 ? 8 : 0) | g);
}

packed_controls packed_controls_decode(uint8_t controls)
{
    packed_controls c = {};
    int high = controls >> 4;
    c.is_foot_down = (controls & 8) != 0;
    if ((controls & 7) == 7) {
        c.is_crashed = true;
        c.crash_timer = high * 127 / 15 + 1;
        return c;
    }
    c.gear = controls & 7;
    if (c.gear > 5) c.gear = 5;
    c.throttle = high / 15.0f;
    return c;
}

int packed_gear_for_bike(int gear, const float* ratios)
{
    if (gear > 5) gear = 5;
    while (gear > 0 && !(ratios[gear] > 0)) gear--;
    return gear < 0 ? 0 : gear;
}

bool packed_state_integrity_bit(const PackedRiderState* s, int* bit_number, int* bit_value)
{
    if (!(s->bytes[PACKED_SWINGARM] & 1)) return false;
    *bit_number = s->bytes[PACKED_ENGINE_SPEED];
    *bit_value = s->bytes[PACKED_FORK] & 1;
    return true;
}

void integrity_keep_bit(integrity_value* kept, const PackedRiderState* s)
{
    int n, bit;
    if (!packed_state_integrity_bit(s, &n, &bit)) return;
    uint8_t mask = (uint8_t)(1 << (n % 8));
    kept->bits[n / 8] = (uint8_t)(bit ? kept->bits[n / 8] | mask : kept->bits[n / 8] & ~mask);
}
