#include "sim/brakes.h"

#include <gtest/gtest.h>

#include "sim/setup_params.h"

namespace {

TEST(Brakes, AntilockAndStopWheelies) {
    struct {
        const char* name;
        bool front_antilock, rear_antilock;
        int stop_wheelies;
        brake_inputs in;
        float want_front, want_rear;
    } cases[] = {
        {"plain braking", false, false, 0, {1, 0.5f, true, true, 3, 3}, 500, 125},
        {"front antilock, front sliding at 3 ft/s: released", true, false, 0, {1, 1, true, true, 3, 0}, 0, 250},
        {"front antilock, slip under 2 ft/s: held", true, false, 0, {1, 1, true, true, 1.9f, 0}, 500, 250},
        {"front antilock, wheel in the air: held", true, false, 0, {1, 1, false, true, 3, 0}, 500, 250},
        {"rear antilock, rear sliding", false, true, 0, {1, 1, true, true, 0, 2.5f}, 500, 0},
        {"stop-wheelies: rear up releases the front", true, false, 3, {1, 1, true, false, 0, 0}, 0, 250},
        {"front only mode, no antilock: rear up releases the front", false, false, 2, {1, 1, true, false, 0, 0}, 0, 250},
        {"engine-only stop-wheelies leaves the brake alone", false, false, 1, {1, 1, true, false, 0, 0}, 500, 250},
        {"levers beyond their range are clamped", false, false, 0, {2, -1, true, true, 0, 0}, 500, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RiderParams p = {};
        p.front_brake_torque = 500;
        p.rear_brake_torque = 250;
        p.front_antilock = c.front_antilock;
        p.rear_antilock = c.rear_antilock;
        p.stop_wheelies = c.stop_wheelies;
        const brake_torques t = brake_torque(&p, &c.in);
        EXPECT_FLOAT_EQ(t.front, c.want_front);
        EXPECT_FLOAT_EQ(t.rear, c.want_rear);
    }
}

}  // namespace
