#include <gtest/gtest.h>

#include "app/bindings.h"
#include "support/fake_input.h"

TEST(Bindings, ResolveAndValue) {
    FakeInput in;
    in.keys["x"] = 0x102D;
    int stick = in.add_axis("Joystick1 axis 0", 16384);
    in.add_axis("Joystick1 axis 1", 0, /*can_open*/ false);
    struct Case {
        const char* name;
        const char* value;
        int code;
        bool axis_open;
        float expected;  // binding_value with nothing pressed
    };
    const Case cases[] = {
        {"key resolves", "(k)x", 0x102D, false, 0},
        {"unknown key stays unbound", "(k)nosuchkey", 0, false, 0},
        {"axis half way", "(0,1)Joystick1 axis 0", 0, true, 0.5f},
        {"axis reversed calibration", "(1,0)Joystick1 axis 0", 0, true, 0.5f},
        {"axis below low clamps to 0", "(0.75,1)Joystick1 axis 0", 0, true, 0},
        {"axis past high clamps to 1", "(0,0.25)Joystick1 axis 0", 0, true, 1},
        {"degenerate calibration", "(0.5,0.5)Joystick1 axis 0", 0, true, 0},
        {"calibration that is not a number", "(nan,1)Joystick1 axis 0", 0, true, 0},
        {"axis that will not open", "(0,1)Joystick1 axis 1", 0, false, 0},
    };
    (void)stick;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Binding b;
        binding_parse(&b, c.value);
        resolve_binding(&b, &in.ops);
        EXPECT_EQ(b.key_code, c.code);
        EXPECT_EQ(b.axis != nullptr, c.axis_open);
        EXPECT_FLOAT_EQ(binding_value(&b, &in.ops), c.expected);
        // Written back as read, resolved or not.
        char text[128];
        ASSERT_TRUE(binding_format(&b, text, sizeof text));
        Binding again;
        binding_parse(&again, text);
        EXPECT_EQ(again.key_name, b.key_name);
        EXPECT_EQ(again.axis_name, b.axis_name);
        release_binding(&b, &in.ops);
    }
    EXPECT_EQ(in.open_handles, 0);
}

TEST(Controls, BindingsAddIntoChannelsWithScales) {
    FakeInput in;
    int stick = in.add_axis("Joystick1 axis 0", 32767);
    Binding bindings[BINDING_COUNT];
    bindings_set_defaults(bindings);
    HeldKeys held = {};
    held.value[BIND_LEFT] = 1;
    held.value[BIND_RIGHT] = 1;  // both: cancel
    held.value[BIND_DOWNSHIFT] = 1;
    held.value[BIND_LEAN_FORWARD] = 1;
    held.value[BIND_PAUSE] = 1;  // a function key feeds no channel
    binding_parse(&bindings[BIND_THROTTLE], "(0,1)Joystick1 axis 0");
    resolve_binding(&bindings[BIND_THROTTLE], &in.ops);
    in.readings[stick] = 16384;
    float ch[CHANNEL_COUNT];
    fill_controls(bindings, &held, &in.ops, ch);
    const float want[CHANNEL_COUNT] = {0, 0.5f, 0, 0, -1, 0, 0, 0, -1};
    for (int i = 0; i < CHANNEL_COUNT; i++) EXPECT_FLOAT_EQ(ch[i], want[i]) << i;
    release_binding(&bindings[BIND_THROTTLE], &in.ops);
}

namespace {

struct CaptureRun {
    FakeInput in;
    Binding binding;
    ControlCapture capture{};
    double time = 10;
    bool ended = false;
    CaptureRun() {
        binding_parse(&binding, "(k)x");
        in.keys["space"] = 0x1039;
    }
    // Runs ticks of 1/128 s for `seconds`; stops when the capture ends.
    void run(double seconds) {
        for (double t = 0; t < seconds && !ended; t += 1.0 / 128) {
            time += 1.0 / 128;
            ended = capture_tick(&capture, time, &in.ops);
        }
    }
};

}  // namespace

TEST(ControlCapture, AxisMovedFullyBindsWithCalibration) {
    CaptureRun r;
    int a = r.in.add_axis("Joystick1 axis 2", 0);
    r.in.add_axis("Joystick1 axis 3", -32767);
    start_capture(&r.capture, &r.binding, r.time, &r.in.ops);
    EXPECT_EQ(r.in.open_handles, 2);
    r.run(0.1);
    r.in.readings[a] = 32768 / 2;  // moving...
    r.run(0.1);
    r.in.readings[a] = 32767;  // ...to the end and held
    r.run(0.2);
    EXPECT_FALSE(r.ended) << "bound before the axis had been still for 0.25 s";
    r.run(0.1);
    ASSERT_TRUE(r.ended);
    EXPECT_FALSE(capture_running(&r.capture));
    EXPECT_EQ(r.binding.key_name, nullptr);
    EXPECT_EQ(r.binding.key_code, 0);
    EXPECT_STREQ(r.binding.axis_name, "Joystick1 axis 2");
    EXPECT_NEAR(r.binding.low, 0.0625, 1e-4);
    EXPECT_NEAR(r.binding.high, 0.9375, 1e-4);
    // The bound axis stays open for the binding; the other watched one closed.
    EXPECT_EQ(r.in.open_handles, 1);
    EXPECT_NEAR(binding_value(&r.binding, &r.in.ops), 1.0, 1e-3);
    release_binding(&r.binding, &r.in.ops);
    EXPECT_EQ(r.in.open_handles, 0);
}

TEST(ControlCapture, SmallAxisMoveLosesToAPressedKey) {
    CaptureRun r;
    int a = r.in.add_axis("Joystick1 axis 0", 0);
    start_capture(&r.capture, &r.binding, r.time, &r.in.ops);
    r.in.readings[a] = (int)(0.4 * 32768);
    r.run(0.1);
    capture_key(&r.capture, 0x1039, r.time);
    capture_key(&r.capture, 0x102D, r.time);  // a second key does not replace the first
    r.run(0.2);
    EXPECT_FALSE(r.ended);
    r.run(0.1);
    ASSERT_TRUE(r.ended);
    EXPECT_EQ(r.binding.key_code, 0x1039);
    EXPECT_STREQ(r.binding.key_name, "space");
    EXPECT_EQ(r.binding.axis, nullptr);
    EXPECT_EQ(r.in.open_handles, 0);
}

TEST(ControlCapture, CancelKeepsTheBindingAndClosesAxes) {
    CaptureRun r;
    int a = r.in.add_axis("Joystick1 axis 0", 0);
    start_capture(&r.capture, &r.binding, r.time, &r.in.ops);
    r.in.readings[a] = 32767;
    r.run(0.1);
    cancel_capture(&r.capture, &r.in.ops);
    r.run(1);
    EXPECT_FALSE(r.ended);
    EXPECT_STREQ(r.binding.key_name, "x");
    EXPECT_EQ(r.in.open_handles, 0);
}
