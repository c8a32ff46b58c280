#include "sim/packed_state.h"

#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

namespace {

const double PI = 3.14159265358979323846;
const packed_state_ranges RANGES = {1024, -100, 0.5f, 1.0f};

rider_state_values sample_values()
{
    rider_state_values v = {};
    v.frame_position[0] = 512;
    v.frame_position[1] = 924;  // the top of the height range
    v.frame_position[2] = 256;
    v.frame_quaternion[0] = 1;
    v.steering_angle = (float)(PI / 4);
    v.swingarm_angle = -0.25f;
    v.fork_slider = 0;
    v.rider_offset[0] = 0;
    v.rider_offset[1] = 16;
    v.rider_offset[2] = -16;
    v.rider_quaternion[0] = -1;
    v.rider_quaternion[3] = 1;
    v.wheel_angle[0] = (float)-PI;
    v.wheel_angle[1] = (float)PI;
    v.controls = 0x5b;
    v.engine_rpm = 1000;
    return v;
}

}  // namespace

TEST(PackedState, ByteLayoutMatchesHandComputedBytes)
{
    rider_state_values v = sample_values();
    integrity_value integrity = {};
    integrity.bits[26] = 1;  // bit 208 = the low byte 0xd0 of engine speed 2000
    PackedRiderState s = packed_state_encode(&v, &RANGES, &integrity);
    const uint8_t want[PACKED_STATE_SIZE] = {
        0x00, 0x00, 0x80,  0xff, 0xff, 0xff,  0x00, 0x00, 0x40,  // x 0.5 L, y top, z 0.25 L
        0xff, 0xff, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80,          // frame quaternion (1, 0, 0, 0)
        0xff,                                                    // steering +45 degrees
        0x81,                                                    // swingarm half travel, carried-bit flag
        0xff,                                                    // fork fully extended, integrity bit 1
        0x00, 0x80, 0xff, 0xff, 0x00, 0x00,                      // rider offset (0, 16, -16)
        0x00, 0x00, 0x00, 0x80, 0x00, 0x80, 0xff, 0xff,          // rider quaternion (-1, 0, 0, 1)
        0x00, 0xff,                                              // wheels -pi, +pi
        0x5b,                                                    // controls copied
        0xd0, 0x07,                                              // 1000 rpm -> 2000
    };
    for (int i = 0; i < PACKED_STATE_SIZE; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(s.bytes[i], want[i]);
    }
    integrity.bits[26] = 0;
    EXPECT_EQ(packed_state_encode(&v, &RANGES, &integrity).bytes[PACKED_FORK], 0xfe);
    EXPECT_EQ(packed_state_encode(&v, &RANGES, nullptr).bytes[PACKED_FORK], 0xfe);
}

TEST(PackedState, RoundTripWithinOneQuantisationStep)
{
    // One step of each field, in its own units.
    const double pos_step = 1024 / 16777215.0, quat_step = 2 / 65535.0, offset_step = 32 / 65535.0;
    const double steer_step = PI / 2 / 255, swing_step = 0.5 / 255, fork_step = 1.0 / 255;
    const double wheel_step = 2 * PI / 255, rpm_step = 32768 / 65535.0;
    for (int k = 0; k < 200; k++) {
        SCOPED_TRACE(k);
        double t = k / 199.0;  // sweeps every range end to end
        rider_state_values v = {};
        v.frame_position[0] = 1024 * t;
        v.frame_position[1] = -100 + 1024 * (1 - t);
        v.frame_position[2] = 1024 * t * t;
        for (int i = 0; i < 4; i++) {
            v.frame_quaternion[i] = cos(k * 0.37 + i);
            v.rider_quaternion[i] = sin(k * 0.53 + i);
        }
        v.steering_angle = (float)(PI / 4 * (2 * t - 1));
        v.swingarm_angle = (float)(-0.5 * t);
        v.fork_slider = (float)(-1 + t);
        for (int i = 0; i < 3; i++) v.rider_offset[i] = (float)(16 * sin(k * 0.11 + i));
        v.wheel_angle[0] = (float)(PI * (2 * t - 1));
        v.wheel_angle[1] = (float)(PI * (1 - 2 * t));
        v.controls = (uint8_t)k;
        v.engine_rpm = (float)(32768 * t);
        PackedRiderState s = packed_state_encode(&v, &RANGES, nullptr);
        rider_state_values d = packed_state_decode(&s, &RANGES);
        for (int i = 0; i < 3; i++) {
            EXPECT_NEAR(d.frame_position[i], v.frame_position[i], pos_step);
            EXPECT_NEAR(d.rider_offset[i], v.rider_offset[i], offset_step);
        }
        for (int i = 0; i < 4; i++) {
            EXPECT_NEAR(d.frame_quaternion[i], v.frame_quaternion[i], quat_step);
            EXPECT_NEAR(d.rider_quaternion[i], v.rider_quaternion[i], quat_step);
        }
        EXPECT_NEAR(d.steering_angle, v.steering_angle, steer_step);
        // Bit 0 of these two bytes carries other data, so their step is two units.
        EXPECT_NEAR(d.swingarm_angle, v.swingarm_angle, 2 * swing_step);
        EXPECT_NEAR(d.fork_slider, v.fork_slider, 2 * fork_step);
        for (int i = 0; i < 2; i++) EXPECT_NEAR(d.wheel_angle[i], v.wheel_angle[i], wheel_step);
        EXPECT_EQ(d.controls, v.controls);
        EXPECT_NEAR(d.engine_rpm, v.engine_rpm, rpm_step);
    }
}

TEST(PackedState, OutOfRangeValuesClampToTheEnds)
{
    struct Case {
        const char* name;
        double value;        // applied to every field
        uint8_t want_steering, want_swingarm, want_fork, want_wheel;
        uint8_t want_position_low, want_offset_high;
    } cases[] = {
        {"far below", -1e9, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00},
        {"far above", 1e9, 0xff, 0xff, 0xfe, 0xff, 0xff, 0xff},
        {"not a number", NAN, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00},
        {"infinite", INFINITY, 0xff, 0xff, 0xfe, 0xff, 0xff, 0xff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        rider_state_values v = {};
        for (int i = 0; i < 3; i++) {
            v.frame_position[i] = c.value;
            v.rider_offset[i] = (float)c.value;
        }
        for (int i = 0; i < 4; i++) v.frame_quaternion[i] = v.rider_quaternion[i] = c.value;
        v.steering_angle = v.swingarm_angle = v.fork_slider = (float)c.value;
        v.wheel_angle[0] = v.wheel_angle[1] = (float)c.value;
        v.engine_rpm = (float)c.value;
        PackedRiderState s = packed_state_encode(&v, &RANGES, nullptr);
        EXPECT_EQ(s.bytes[PACKED_FRAME_POSITION], c.want_position_low);
        EXPECT_EQ(s.bytes[PACKED_FRAME_POSITION + 5], c.want_position_low);
        EXPECT_EQ(s.bytes[PACKED_FRAME_QUATERNION + 1], c.want_position_low);
        EXPECT_EQ(s.bytes[PACKED_STEERING], c.want_steering);
        EXPECT_EQ(s.bytes[PACKED_SWINGARM], c.want_swingarm);
        EXPECT_EQ(s.bytes[PACKED_FORK], c.want_fork);
        EXPECT_EQ(s.bytes[PACKED_WHEEL_ANGLES + 1], c.want_wheel);
        EXPECT_EQ(s.bytes[PACKED_RIDER_OFFSET + 1], c.want_offset_high);
        EXPECT_EQ(s.bytes[PACKED_ENGINE_SPEED + 1], c.want_offset_high);
        rider_state_values d = packed_state_decode(&s, &RANGES);
        EXPECT_TRUE(isfinite(d.frame_position[1]) && isfinite(d.engine_rpm));
    }
}

TEST(PackedState, ControlsByte)
{
    struct Case {
        const char* name;
        int gear;
        float dab, throttle;
        int crash_timer;
        uint8_t want;
    } cases[] = {
        {"riding, third gear, half throttle", 2, 0, 0.5f, 0, 0x72},
        {"foot down, full throttle", 0, 0.1f, 1, 0, 0xf8},
        {"gear clamps to 6, throttle to 15", 9, 0, 7, 0, 0xf6},
        {"negative gear and throttle", -3, 0, -1, 0, 0x00},
        {"crash timer 128", 3, 0, 1, 128, 0xf7},
        {"crash timer 1", 3, 1, 1, 1, 0x07},
        {"long crash caps at 15", 0, 0, 0, 512, 0xf7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(packed_controls_encode(c.gear, c.dab, c.throttle, c.crash_timer), c.want);
    }
}

TEST(PackedState, ControlsByteDecoding)
{
    const float five_gears[6] = {2.14f, 1.75f, 1.45f, 1.23f, 1.04f, -1};
    const float three_gears[6] = {2.14f, 1.75f, 1.45f, 0, -1, -1};
    struct Case {
        const char* name;
        uint8_t byte;
        bool crashed;
        int timer, gear_five, gear_three;
        float throttle;
        bool foot_down;
    } cases[] = {
        {"low 7 high 15 is a crash of 128 ticks", 0xf7, true, 128, 0, 0, 0, false},
        {"low 7 high 0 is a crash of 1 tick", 0x07, true, 1, 0, 0, 0, false},
        {"sixth gear becomes fifth, then the bike's top", 0x36, false, 0, 4, 2, 0.2f, false},
        {"gear 4 on a three-gear bike", 0xfc, false, 0, 4, 2, 1, true},
        {"first gear, closed throttle", 0x00, false, 0, 0, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        packed_controls d = packed_controls_decode(c.byte);
        EXPECT_EQ(d.is_crashed, c.crashed);
        EXPECT_EQ(d.crash_timer, c.timer);
        EXPECT_EQ(packed_gear_for_bike(d.gear, five_gears), c.gear_five);
        EXPECT_EQ(packed_gear_for_bike(d.gear, three_gears), c.gear_three);
        EXPECT_FLOAT_EQ(d.throttle, c.throttle);
        EXPECT_EQ(d.is_foot_down, c.foot_down);
    }
}

TEST(PackedState, IntegrityBitIsKeptPerRider)
{
    rider_state_values v = sample_values();
    integrity_value sender = {};
    integrity_value kept = {};
    memset(kept.bits, 0xff, sizeof kept.bits);
    // Each state carries the bit picked by the low byte of its engine speed.
    for (int rpm_code = 0; rpm_code < 65536; rpm_code += 257) {
        v.engine_rpm = (float)(rpm_code / 1.9999695);
        PackedRiderState s = packed_state_encode(&v, &RANGES, &sender);
        int n = -1, bit = -1;
        ASSERT_TRUE(packed_state_integrity_bit(&s, &n, &bit));
        EXPECT_EQ(n, s.bytes[PACKED_ENGINE_SPEED]);
        EXPECT_EQ(bit, 0);
        integrity_keep_bit(&kept, &s);
        EXPECT_EQ(kept.bits[n / 8] >> (n % 8) & 1, 0);
    }
    // A state whose flag bit is clear (an interpolated one) carries nothing.
    PackedRiderState s = packed_state_encode(&v, &RANGES, &sender);
    s.bytes[PACKED_SWINGARM] &= 0xfe;
    s.bytes[PACKED_FORK] |= 1;
    int n = 0, bit = 0;
    EXPECT_FALSE(packed_state_integrity_bit(&s, &n, &bit));
    integrity_value before = kept;
    integrity_keep_bit(&kept, &s);
    EXPECT_EQ(memcmp(&before, &kept, sizeof kept), 0);
}

TEST(PackedState, HostileBytesDecodeToFiniteValues)
{
    packed_state_ranges broken = {0, NAN, -1, 0};  // a track and bike that never loaded
    for (int fill : {0x00, 0xff, 0x5a}) {
        SCOPED_TRACE(fill);
        PackedRiderState s;
        memset(s.bytes, fill, sizeof s.bytes);
        rider_state_values d = packed_state_decode(&s, &broken);
        EXPECT_TRUE(isfinite(d.frame_position[0]) && isfinite(d.frame_position[1]) && isfinite(d.frame_position[2]));
        EXPECT_TRUE(isfinite(d.swingarm_angle) && isfinite(d.fork_slider));
    }
}
