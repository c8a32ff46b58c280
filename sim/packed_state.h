// The 39-byte quantised snapshot of one rider, shared by demo files, the
// race-server state datagrams and the state histories. Pure byte packing:
// no physics, no I/O. Multi-byte fields are little-endian; every quantisation
// adds 0.5 and rounds down. Positions in feet, angles in radians, engine
// speed in rpm; the ranges that depend on the track or the bike come in a
// `packed_state_ranges` record.
#pragma once
#include <stdint.h>

constexpr int PACKED_STATE_SIZE = 39;

struct PackedRiderState {
    uint8_t bytes[PACKED_STATE_SIZE];
};

// Byte offsets of the fields that readers touch one by one.
enum {
    PACKED_FRAME_POSITION = 0,   // 3 x 24 bits
    PACKED_FRAME_QUATERNION = 9, // 4 x 16 bits, (w, x, y, z)
    PACKED_STEERING = 17,
    PACKED_SWINGARM = 18,        // bit 0: an integrity bit is carried
    PACKED_FORK = 19,            // bit 0: the integrity bit
    PACKED_RIDER_OFFSET = 20,    // 3 x 16 bits
    PACKED_RIDER_QUATERNION = 26,
    PACKED_WHEEL_ANGLES = 34,    // 2 x 8 bits
    PACKED_CONTROLS = 36,
    PACKED_ENGINE_SPEED = 37,    // 16 bits
};

// Decoded form of a packed state.
struct rider_state_values {
    double frame_position[3];     // ft, world
    double frame_quaternion[4];   // (w, x, y, z)
    float steering_angle;         // rad, -pi/4..pi/4
    float swingarm_angle;         // rad, -rear travel angle..0
    float fork_slider;            // ft, -fork travel..0 (0 at full extension)
    float rider_offset[3];        // ft, rider body minus frame position, -16..16 each
    double rider_quaternion[4];   // (w, x, y, z)
    float wheel_angle[2];         // rad, -pi..pi; front axle joint, then rear
    uint8_t controls;             // see packed_controls_encode
    float engine_rpm;             // crankshaft rpm, 0..32768
};

// The ranges that the track and the bike fix.
struct packed_state_ranges {
    float side_length;        // ft, the terrain's side L (x, z in 0..L, y in H0..H0+L)
    float base_height;        // ft, the terrain's base height H0
    float rear_travel_angle;  // rad, the swingarm's angular travel T (> 0)
    float fork_travel;        // ft, F (> 0)
};

// The client integrity value: 256 bits, byte n/8 bit n%8 is bit n.
struct integrity_value {
    uint8_t bits[32];
};

// Packs `v`; values outside their ranges are clamped, NaN counts as the low
// end of the range. `integrity` may be null: the carried bit is then 0.
PackedRiderState packed_state_encode(const rider_state_values* v, const packed_state_ranges* r,
                                     const integrity_value* integrity);
// The exact inverse of the quantisation. Hostile bytes still give finite
// values; quaternions are returned as stored (not normalised).
rider_state_values packed_state_decode(const PackedRiderState* s, const packed_state_ranges* r);

// Controls byte. Not crashed (crash_timer <= 0): gear clamped to 0..6 in bits
// 0-2, bit 3 set while dab_amount > 0, floor(15 throttle) in bits 4-7.
// Crashed: bits 0-2 are 7, bits 4-7 hold min((15 c - 15) / 127, 15).
uint8_t packed_controls_encode(int gear, float dab_amount, float throttle, int crash_timer);

struct packed_controls {
    bool is_crashed;     // low bits were 7
    int crash_timer;     // ticks; floor(high nibble * 127 / 15) + 1 when crashed, else 0
    int gear;            // 0..5 (0 is first gear); 0 while crashed
    float throttle;      // 0..1; 0 while crashed
    bool is_foot_down;   // bit 3
};
packed_controls packed_controls_decode(uint8_t controls);
// Lowers `gear` until the bike has a ratio for it (a ratio not above 0 marks
// a missing gear); never below 0. `ratios` holds six values.
int packed_gear_for_bike(int gear, const float* ratios);

// The integrity bit a state carries: returns false when byte 18 bit 0 says
// none; otherwise gives the bit number (the low byte of the engine-speed
// field) and its value.
bool packed_state_integrity_bit(const PackedRiderState* s, int* bit_number, int* bit_value);
// Stores the bit a state carries into what a receiver keeps for one rider.
void integrity_keep_bit(integrity_value* kept, const PackedRiderState* s);
