#include "sim/rider_input.h"

#include <gtest/gtest.h>
#include <math.h>

#include "sim/setup.h"
#include "sim/slots.h"

TEST(RiderInput, ChannelsBecomeControls)
{
    Rider r = {};
    float ch[CHANNEL_COUNT] = {};
    ch[CHANNEL_STEER] = 1;  // the "Left" binding
    ch[CHANNEL_THROTTLE] = 0.7f;
    ch[CHANNEL_FRONT_BRAKE] = 0.2f;
    ch[CHANNEL_REAR_BRAKE] = 1.5f;  // two bindings adding up
    ch[CHANNEL_SHIFT] = -0.8f;
    ch[CHANNEL_BACK_UP] = 1;
    ch[CHANNEL_LEAN] = -1;
    rider_input_settings reversed = {true, false};
    rider_apply_channels(&r, ch, &reversed);
    EXPECT_EQ(r.controls.steering, -1);
    EXPECT_FLOAT_EQ(r.controls.throttle, 0.7f);
    EXPECT_FLOAT_EQ(r.controls.front_brake, 0.2f);
    EXPECT_EQ(r.controls.rear_brake, 1);
    EXPECT_EQ(r.controls.shift, -1);
    EXPECT_EQ(r.controls.back_up, 1);
    EXPECT_EQ(r.controls.lean, -1);
    rider_input_settings plain = {false, false};
    rider_apply_channels(&r, ch, &plain);
    EXPECT_EQ(r.controls.steering, 1);
    // While crashed the throttle, back up and lean count for nothing.
    r.crash_timer = 100;
    rider_apply_channels(&r, ch, &plain);
    EXPECT_EQ(r.controls.throttle, 0);
    EXPECT_EQ(r.controls.back_up, 0);
    EXPECT_EQ(r.controls.lean, 0);
}

TEST(RiderInput, StickyDabTogglesOnEachPress)
{
    Rider r = {};
    float ch[CHANNEL_COUNT] = {};
    rider_input_settings sticky = {true, true};
    const struct {
        float channel;
        float want;
    } presses[] = {
        {0, 0}, {0.6f, 1}, {1, 1}, {0.4f, 1}, {0, 1}, {1, 0}, {0.3f, 0}, {0.9f, 1},
    };
    int k = 0;
    for (const auto& p : presses) {
        SCOPED_TRACE(k++);
        ch[CHANNEL_DAB] = p.channel;
        rider_apply_channels(&r, ch, &sticky);
        EXPECT_EQ(r.controls.dab, p.want);
    }
    rider_input_settings held = {true, false};
    ch[CHANNEL_DAB] = 0.4f;
    rider_apply_channels(&r, ch, &held);
    EXPECT_FLOAT_EQ(r.controls.dab, 0.4f);
}

TEST(RiderInput, SteeringSignAndShiftThresholds)
{
    struct {
        const char* name;
        float steer, shift;
        bool reversed;
        float want_steering;
        int want_shift;
    } cases[] = {
        {"reversed steering", 0.5f, 0, true, -0.5f, 0},
        {"plain steering", 0.5f, 0, false, 0.5f, 0},
        {"upshift", 0, 0.6f, true, 0, 1},
        {"downshift", 0, -0.6f, true, 0, -1},
        {"no upshift at the threshold", 0, 0.5f, true, 0, 0},
        {"no downshift at the threshold", 0, -0.5f, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rider r = {};
        float ch[CHANNEL_COUNT] = {};
        ch[CHANNEL_STEER] = c.steer;
        ch[CHANNEL_SHIFT] = c.shift;
        rider_input_settings settings = {c.reversed, false};
        rider_apply_channels(&r, ch, &settings);
        EXPECT_FLOAT_EQ(r.controls.steering, c.want_steering);
        EXPECT_EQ(r.controls.shift, c.want_shift);
    }
}

TEST(RiderInput, ClutchPulledInAtOnceAndLetOutOverThirtyTwoTicks)
{
    Rider r = {};
    r.controls.clutch = 1;
    float ch[CHANNEL_COUNT] = {};
    rider_input_settings settings = {true, false};
    ch[CHANNEL_CLUTCH] = 1;  // lever pulled: target 0
    rider_apply_channels(&r, ch, &settings);
    EXPECT_FLOAT_EQ(r.controls.clutch, 0);
    ch[CHANNEL_CLUTCH] = 0.4375f;  // target 1 - 0.5 = 0.5
    rider_apply_channels(&r, ch, &settings);
    EXPECT_FLOAT_EQ(r.controls.clutch, 1.0f / 32);
    ch[CHANNEL_CLUTCH] = 0;
    int ticks = 1;  // the tick that gave 1/32
    while (r.controls.clutch < 1 && ticks < 100) {
        rider_apply_channels(&r, ch, &settings);
        ticks++;
    }
    EXPECT_EQ(ticks, 32);
    // Crashed, the clutch still follows the lever.
    r.crash_timer = 100;
    ch[CHANNEL_CLUTCH] = 1;
    rider_apply_channels(&r, ch, &settings);
    EXPECT_FLOAT_EQ(r.controls.clutch, 0);
}

TEST(RiderControls, ClampedAndCutWhileCrashed) {
    struct {
        const char* name;
        int crash_timer;
        rider_control_inputs in;
        rider_control_inputs want;
    } cases[] = {
        {"in range, kept", 0, {-0.5f, 0.7f, 0.2f, 0.3f, 0.9f, 1, 0.5f, -0.25f, 1}, {-0.5f, 0.7f, 0.2f, 0.3f, 0.9f, 1, 0.5f, -0.25f, 1}},
        {"out of range, clamped", 0, {-3, 2, -1, 5, 2, 9, 4, 7, 0}, {-1, 1, 0, 1, 1, 1, 1, 1, 0}},
        {"not a number counts as the range's low end", 0, {NAN, NAN, NAN, NAN, NAN, NAN, NAN, NAN, 0}, {-1, 0, 0, 0, 0, 0, 0, -1, 0}},
        {"crashed: no throttle, back up or lean", 100, {0.5f, 1, 1, 1, 1, 1, 1, 1, -1}, {0.5f, 0, 1, 1, 1, 1, 0, 0, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rider r = {};
        r.crash_timer = c.crash_timer;
        rider_take_controls(&r, &c.in);
        EXPECT_FLOAT_EQ(r.controls.steering, c.want.steering);
        EXPECT_FLOAT_EQ(r.controls.throttle, c.want.throttle);
        EXPECT_FLOAT_EQ(r.controls.front_brake, c.want.front_brake);
        EXPECT_FLOAT_EQ(r.controls.rear_brake, c.want.rear_brake);
        EXPECT_FLOAT_EQ(r.controls.clutch, c.want.clutch);
        EXPECT_FLOAT_EQ(r.controls.dab, c.want.dab);
        EXPECT_FLOAT_EQ(r.controls.back_up, c.want.back_up);
        EXPECT_FLOAT_EQ(r.controls.lean, c.want.lean);
        EXPECT_EQ(r.controls.shift, c.want.shift);
    }
}

TEST(RiderInput, PreferencesFromTheSetup)
{
    struct {
        const char* name;
        int sticky_dab, reverse_steering;
        rider_input_settings want;
    } cases[] = {
        {"defaults: reversed steering, dab held", -1, -1, {true, false}},
        {"sticky dab, plain steering", SETUP_YES, SETUP_NO, {false, true}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RiderSetup setup;
        setup_init_defaults(&setup);
        if (c.sticky_dab >= 0) setup.choice[SETUP_STICKY_DAB] = c.sticky_dab;
        if (c.reverse_steering >= 0) setup.choice[SETUP_REVERSE_STEERING] = c.reverse_steering;
        rider_input_settings got = rider_input_settings_from_setup(&setup);
        EXPECT_EQ(got.is_sticky_dab, c.want.is_sticky_dab);
        EXPECT_EQ(got.is_reversed_steering, c.want.is_reversed_steering);
    }
}
