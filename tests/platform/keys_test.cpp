#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"

namespace {

int code_of(const char* name) {
    int code = -1;
    return key_code(name, &code) ? code : -1;
}

// The built-in key names and their codes, as settings files store them.
const struct {
    const char* name;
    int code;
} BUILTIN[] = {
    {"Esc", 0x1001}, {"0", 0x100B}, {"1", 0x1002}, {"9", 0x100A}, {"A", 0x101E},
    {"Q", 0x1010}, {"Z", 0x102C}, {"-", 0x100C}, {"=", 0x100D}, {"[", 0x101A},
    {"]", 0x101B}, {";", 0x1027}, {"'", 0x1028}, {"`", 0x1029}, {"\\", 0x102B},
    {",", 0x1033}, {".", 0x1034}, {"/", 0x1035}, {"Backspace", 0x100E}, {"Tab", 0x100F},
    {"Enter", 0x101C}, {"Left Ctrl", 0x101D}, {"Left Shift", 0x102A}, {"Right Shift", 0x1036},
    {"Space", 0x1039}, {" ", 0x1039}, {"Caps Lock", 0x103A}, {"Right Ctrl", 0x111D},
    {"Insert", 0x1152}, {"Delete", 0x1153}, {"Home", 0x1147}, {"End", 0x114F},
    {"Page Up", 0x1149}, {"Page Down", 0x1151}, {"Up", 0x1148}, {"Down", 0x1150},
    {"Left", 0x114B}, {"Right", 0x114D}, {"F1", 0x103B}, {"F10", 0x1044}, {"F11", 0x1057},
    {"F12", 0x1058}, {"Pause", 0x1045}, {"Num Lock", 0x1145}, {"Keypad /", 0x1135},
    {"Keypad *", 0x1037}, {"Keypad -", 0x104A}, {"Keypad 7", 0x1047}, {"Keypad +", 0x104E},
    {"Keypad 5", 0x104C}, {"Keypad 1", 0x104F}, {"Keypad Enter", 0x111C}, {"Keypad 0", 0x1052},
    {"Keypad .", 0x1053},
};

}  // namespace

TEST(KeyNames, BuiltInNamesResolveAndNameTheirCodes) {
    for (const auto& k : BUILTIN) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(code_of(k.name), k.code);
        // The printed name may be the system's own; it must lead back.
        const char* printed = key_name(k.code);
        EXPECT_EQ(code_of(printed), k.code) << printed;
    }
}

TEST(KeyNames, Resolution) {
    struct Case {
        const char* name;
        int code;  // -1 = does not resolve
    };
    const Case cases[] = {
        {"Right_CTRL", 0x111D},      // loose: case, "_" as a space
        {"right\tctrl", 0x111D},     // white space as a space
        {"keypad enter", 0x111C},
        {"page up", 0x1149},
        {"0x1c", 0x101C},
        {"0x1FF", 0x11FF},
        {"0x200", -1},
        {"0x1cz", -1},
        {"Close", KEY_CLOSE},
        {"Mouse Left", KEY_MOUSE_LEFT},
        {"Mouse Middle", KEY_MOUSE_MIDDLE},
        {"mouse right", KEY_MOUSE_RIGHT},
        {"cursor-left", KEY_MOUSE_LEFT},  // alias
        {"cursor-right", KEY_MOUSE_RIGHT},
        {"RightCtrl", -1},
        {"", -1},
        {"NoSuchPad.key[0]", -1},
        {"NoSuchPad button 3", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(code_of(c.name), c.code);
    }
}

TEST(KeyNames, CodesWithoutATableNamePrintAsHex) {
    // 0x1FF has no key on a PC keyboard: printed as its scan code, which
    // resolves back.
    EXPECT_STREQ(key_name(0x11FF), "0x1ff");
    EXPECT_EQ(code_of(key_name(0x11FF)), 0x11FF);
    EXPECT_STREQ(key_name(KEY_CLOSE), "Close");
    EXPECT_STREQ(key_name(KEY_MOUSE_MIDDLE), "Mouse Middle");
    EXPECT_EQ(key_name(0x111D), key_name(0x111D));  // interned
}

TEST(KeyNames, SecondAliasWithAnotherTargetIsIgnored) {
    EXPECT_TRUE(add_key_alias("throttle-key", "Up"));
    EXPECT_TRUE(add_key_alias("throttle-key", "Up"));
    EXPECT_FALSE(add_key_alias("throttle-key", "Down"));
    EXPECT_EQ(code_of("throttle-key"), 0x1148);
    EXPECT_FALSE(add_key_alias("cursor-left", "Mouse Right"));  // the layer's own alias stays
    EXPECT_EQ(code_of("cursor-left"), KEY_MOUSE_LEFT);
}

TEST(KeyNames, AxesOfMissingDevicesDoNotOpen) {
    // Without a window there are no devices: not even the cursor.
    EXPECT_EQ(open_axis("mouse-x"), nullptr);
    EXPECT_EQ(open_axis("Joystick1.axis[0]"), nullptr);
    EXPECT_EQ(open_axis("garbage"), nullptr);
    ASSERT_NE(axis_names(), nullptr);
    EXPECT_EQ(axis_names()[0], nullptr);
}

TEST(EventQueue, ComesOutInTimeOrder) {
    clear_events();
    struct Push {
        int code;
        bool pressed;
        int s, us;
    };
    const Push pushes[] = {
        {0x1011, true, 5, 200000}, {0x1011, false, 5, 900000}, {0x101E, true, 5, 100000},
        {0x101E, false, 4, 999999}, {0x2000, true, 5, 200000},  // same stamp: after the first
        {'a', true, 6, 0},
    };
    for (const Push& p : pushes) ASSERT_TRUE(push_event(p.code, p.pressed, p.s, p.us));
    const struct {
        int code;
        bool pressed;
    } want[] = {{0x101E, false}, {0x101E, true}, {0x1011, true}, {0x2000, true},
                {0x1011, false}, {'a', true}};
    for (const auto& w : want) {
        int code;
        bool pressed;
        ASSERT_TRUE(next_event(&code, &pressed));
        EXPECT_EQ(code, w.code);
        EXPECT_EQ(pressed, w.pressed);
    }
    int code;
    bool pressed;
    EXPECT_FALSE(next_event(&code, &pressed));
}

TEST(EventQueue, UntilTakesOnlyEventsNotLaterThanTheTime) {
    clear_events();
    push_event(0x1039, true, 10, 500000);
    push_event(0x1039, false, 10, 500001);
    int code;
    bool pressed;
    EXPECT_FALSE(next_event_until(&code, &pressed, 10, 499999));
    EXPECT_FALSE(next_event_until(&code, &pressed, 9, 999999));
    EXPECT_TRUE(next_event_until(&code, &pressed, 10, 500000));  // exactly at the time
    EXPECT_TRUE(pressed);
    EXPECT_FALSE(next_event_until(&code, &pressed, 10, 500000));
    EXPECT_TRUE(next_event_until(&code, &pressed, 11, 0));
    EXPECT_FALSE(pressed);
    EXPECT_EQ(code, 0x1039);
}

TEST(EventQueue, FullQueueDropsNewEventsAndWrapsAround) {
    clear_events();
    int code;
    bool pressed;
    // Move the ring's start off zero first, so that insertion wraps.
    for (int i = 0; i < 100; i++) push_event(1, true, 0, i);
    for (int i = 0; i < 100; i++) ASSERT_TRUE(next_event(&code, &pressed));
    for (int i = 0; i < 256; i++) ASSERT_TRUE(push_event(0x1000 + i, true, 1, 1000 * (255 - i)));
    EXPECT_FALSE(push_event(KEY_CLOSE, true, 0, 0));
    for (int i = 255; i >= 0; i--) {
        ASSERT_TRUE(next_event(&code, &pressed));
        EXPECT_EQ(code, 0x1000 + i);
    }
    EXPECT_FALSE(next_event(&code, &pressed));
}
