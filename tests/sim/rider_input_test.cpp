#include "sim/rider_input.h"

#include <gtest/gtest.h>

#include "sim/slots.h"

TEST(RiderInput, ChannelsBecomeControls)
{
    Rider r = {};
    float ch[CONTROL_CHANNELS] = {};
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
    float ch[CONTROL_CHANNELS] = {};
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
