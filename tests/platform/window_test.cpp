// The window, its messages and the input devices, driven through SDL's own
// event queue and virtual joysticks (the test double of real hardware).
#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/log.h"
#include "platform/platform.h"
#include "support/temp_dir.h"

namespace {

int code_name_round_trip(int code) {
    int back = -1;
    return key_code(key_name(code), &back) ? back : -1;
}

struct WindowTest : ::testing::Test {
    TempDir dir;
    PlatformWindow* window = nullptr;
    void SetUp() override {
        // Without an X display the offscreen driver still gives a Mesa context.
        if (!getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
        log(nullptr);
        unsetenv("NOLT_LOGFILE");
        log("NOLT_LOGFILE=%s", (dir.path + "/window.txt").c_str());
    }
    void TearDown() override {
        if (window) destroy_window(window);
        log(nullptr);
        unsetenv("NOLT_OPTIONS");
    }
    void open(int colour_flags = 24) {
        window = create_window("Rutwise test", 160, 120, colour_flags, 0, 16, 0, 0);
        ASSERT_NE(window, nullptr) << dir.read("window.txt");
        clear_events();
    }
    static void push_sdl(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
    static SDL_Event key(Uint32 type, SDL_Scancode scancode) {
        SDL_Event e{};
        e.type = type;
        e.key.keysym.scancode = scancode;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        return e;
    }
    // Every queued event as "code+" (pressed) or "code-" (released).
    static std::vector<std::string> drain() {
        std::vector<std::string> out;
        int code;
        bool pressed;
        while (next_event(&code, &pressed)) {
            char text[32];
            snprintf(text, sizeof text, "%#x%c", code, pressed ? '+' : '-');
            out.push_back(text);
        }
        return out;
    }
};

}  // namespace

TEST_F(WindowTest, OpensACompatibilityContextAndPresentsFrames) {
    open();
    platform_rect r;
    ASSERT_TRUE(begin_frame(window, &r));
    EXPECT_EQ(r.x, 0);
    EXPECT_GT(r.width, 0);
    EXPECT_GT(r.height, 0);
    platform_rect again;
    EXPECT_FALSE(begin_frame(window, &again));  // one frame at a time
    // Fixed-function entry points exist in a compatibility context.
    EXPECT_NE(gl_proc_address("glBegin"), nullptr);
    EXPECT_NE(gl_proc_address("glGenBuffers"), nullptr);
    EXPECT_TRUE(end_frame(window));
    EXPECT_FALSE(end_frame(window));  // no frame begun

    const display_mode* modes = display_modes();
    ASSERT_GT(modes[0].width, 0);
    int n = 0;
    for (const display_mode* m = modes; m->width; m++, n++) {
        EXPECT_TRUE(m->depth == 15 || m->depth == 16 || m->depth == 24 || m->depth == 32);
        for (const display_mode* o = modes; o != m; o++)
            EXPECT_FALSE(o->width == m->width && o->height == m->height && o->depth == m->depth);
    }
    EXPECT_GE(n, 1);
    std::string text = dir.read("window.txt");
    EXPECT_NE(text.find("Registry mode is "), std::string::npos);
    EXPECT_NE(text.find("  threaded: [off]\n"), std::string::npos);
    EXPECT_NE(text.find("Creating OpenGL context\n"), std::string::npos);
}

TEST_F(WindowTest, ThreadedOptionIsLoggedHonestly) {
    setenv("NOLT_OPTIONS", "[threaded:yes]", 1);
    open();
    std::string text = dir.read("window.txt");
    EXPECT_NE(text.find("  threaded: [on]\n"), std::string::npos);
    EXPECT_NE(text.find("No message processing thread"), std::string::npos);
    EXPECT_EQ(text.find("Starting message processing thread"), std::string::npos);
}

TEST_F(WindowTest, WindowMessagesBecomeKeyEvents) {
    open();
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_RCTRL));
    push_sdl(key(SDL_KEYUP, SDL_SCANCODE_RCTRL));
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_RETURN));  // key, then the character 13
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_KP_ENTER));
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_UP));
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_TAB));
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_BACKSPACE));
    push_sdl(key(SDL_KEYDOWN, SDL_SCANCODE_DELETE));
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    strcpy(text.text.text, "a\xC3\xA9\xE2\x82\xAC");  // "a", e acute, euro (no code)
    push_sdl(text);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_RIGHT;
    push_sdl(button);
    button.type = SDL_MOUSEBUTTONUP;
    button.button.button = SDL_BUTTON_MIDDLE;
    push_sdl(button);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    push_sdl(quit);
    std::vector<std::string> want = {
        "0x111d+", "0x111d-", "0x101c+", "0xd+", "0x111c+", "0xd+", "0x1148+", "0x100f+", "0x9+",
        "0x100e+", "0x8+", "0x1153+", "0x7f+", "0x61+", "0xe9+", "0x2002+", "0x2001-", "0xdead+",
    };
    EXPECT_EQ(drain(), want);
}

TEST_F(WindowTest, CursorAxesAndTheRelativeMouseOnlyWhenAskedFor) {
    open();
    Axis* x = open_axis("cursor-x");
    Axis* y = open_axis("cursor axis 1");
    ASSERT_NE(x, nullptr);
    ASSERT_NE(y, nullptr);
    EXPECT_EQ(open_axis("cursor.axis[2]"), nullptr);
    EXPECT_EQ(open_axis("mouse-x"), nullptr);  // sticks only by default
    // Move the real pointer; under X11 the motion comes back a moment later.
    SDL_WarpMouseInWindow(SDL_GL_GetCurrentWindow(), 37, 21);
    for (int i = 0; i < 100 && read_axis(x) != 37; i++) {
        drain();
        SDL_Delay(5);
    }
    EXPECT_EQ(read_axis(x), 37);
    EXPECT_EQ(read_axis(y), 21);
    close_axis(x);
    close_axis(y);
    destroy_window(window);

    setenv("NOLT_OPTIONS", "[dinputsticksonly:off]", 1);
    open();
    Axis* mx = open_axis("mouse-x");
    ASSERT_NE(mx, nullptr);
    int left;
    ASSERT_TRUE(key_code("mouse-left", &left));
    SDL_Delay(20);
    drain();  // whatever the window system had to say on opening
    read_axis(mx);
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = 5;
    push_sdl(motion);
    push_sdl(motion);
    SDL_Event button{};
    button.type = SDL_MOUSEBUTTONDOWN;
    button.button.button = SDL_BUTTON_LEFT;
    push_sdl(button);
    std::vector<std::string> events = drain();
    char mouse_left[32];
    snprintf(mouse_left, sizeof mouse_left, "%#x+", left);
    EXPECT_EQ(events, (std::vector<std::string>{mouse_left, "0x2000+"}));
    EXPECT_EQ(read_axis(mx), 10);
    EXPECT_EQ(read_axis(mx), 0);  // movement since the last read
    close_axis(mx);
}

TEST_F(WindowTest, ControllersAreNamedUniquelyAndComeBackAfterUnplugging) {
    open();
    int first = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    int second = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    ASSERT_GE(first, 0) << SDL_GetError();
    ASSERT_GE(second, 0) << SDL_GetError();
    std::string raw = SDL_JoystickNameForIndex(first);
    std::string name;
    for (char c : raw)
        if (c != ' ' && c != '.') name += c;
    drain();  // the window learns about both

    std::vector<std::string> names;
    for (const char* const* n = axis_names(); *n; n++) names.push_back(*n);
    for (const char* want : {" axis 0", " axis 1"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name + want), names.end());
        EXPECT_NE(std::find(names.begin(), names.end(), name + "#2" + want), names.end());
    }

    Axis* axis = open_axis((name + "#2.axis[1]").c_str());
    ASSERT_NE(axis, nullptr);
    int button;
    ASSERT_TRUE(key_code((name + " button 3").c_str(), &button));
    EXPECT_FALSE(key_code((name + " button 4").c_str(), &button));
    ASSERT_TRUE(key_code((name + ".key[3]").c_str(), &button));
    EXPECT_EQ(button & 0xFFFF, 3);
    EXPECT_EQ(std::string(key_name(button)), name + " button 3");

    SDL_Joystick* stick2 = SDL_JoystickOpen(second);
    SDL_Joystick* stick1 = SDL_JoystickOpen(first);
    ASSERT_NE(stick1, nullptr);
    ASSERT_NE(stick2, nullptr);
    SDL_JoystickSetVirtualAxis(stick2, 1, -32768);
    SDL_JoystickSetVirtualButton(stick1, 3, 1);
    SDL_JoystickUpdate();
    std::vector<std::string> events = drain();
    char pressed[32];
    snprintf(pressed, sizeof pressed, "%#x+", button);
    EXPECT_EQ(events, std::vector<std::string>{pressed});
    EXPECT_EQ(read_axis(axis), -32767);  // the range is symmetric

    // Unplugged: reads 0. Plugged in again: same device, same handle.
    SDL_JoystickClose(stick1);
    SDL_JoystickClose(stick2);
    ASSERT_EQ(SDL_JoystickDetachVirtual(1), 0) << SDL_GetError();
    drain();
    EXPECT_EQ(read_axis(axis), 0);
    int again = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 2, 4, 0);
    ASSERT_GE(again, 0);
    drain();
    SDL_Joystick* stick3 = SDL_JoystickOpen(again);
    SDL_JoystickSetVirtualAxis(stick3, 1, 1234);
    SDL_JoystickUpdate();
    drain();
    EXPECT_EQ(read_axis(axis), 1234);
    int attached = 0;
    for (const char* const* n = axis_names(); *n; n++) attached++;
    EXPECT_EQ(attached, 2 * 2 + 0);  // still two devices of two axes (the cursor is not listed)
    close_axis(axis);
    SDL_JoystickClose(stick3);
    SDL_JoystickDetachVirtual(0);
    SDL_JoystickDetachVirtual(0);
}

TEST_F(WindowTest, VideoModeRequestWaitsForTheFrameToEnd) {
    open();
    platform_rect r;
    ASSERT_TRUE(begin_frame(window, &r));
    request_video_mode(window, 200, 150, false);
    drain();  // inside the frame: not yet
    EXPECT_TRUE(end_frame(window));
    for (int i = 0; i < 100; i++) {
        drain();
        ASSERT_TRUE(begin_frame(window, &r));
        EXPECT_TRUE(end_frame(window));
        if (r.width == 200) break;
        SDL_Delay(5);
    }
    EXPECT_EQ(r.width, 200);
    EXPECT_EQ(r.height, 150);
}

TEST_F(WindowTest, GameControllersOfferTheirStandardAxesAndButtons) {
    open();
    int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                          SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    ASSERT_TRUE(SDL_IsGameController(index));
    drain();
    int count = 0;
    std::string first;
    for (const char* const* n = axis_names(); *n; n++, count++)
        if (count == 0) first = *n;
    EXPECT_EQ(count, SDL_CONTROLLER_AXIS_MAX);
    std::string device = first.substr(0, first.rfind(" axis "));
    Axis* trigger = open_axis((device + ".axis[" + std::to_string(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) +
                               "]").c_str());
    ASSERT_NE(trigger, nullptr);
    int a_button;
    ASSERT_TRUE(key_code((device + ".key[" + std::to_string(SDL_CONTROLLER_BUTTON_A) + "]").c_str(),
                         &a_button));
    SDL_Joystick* stick = SDL_JoystickOpen(index);
    SDL_JoystickSetVirtualAxis(stick, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 20000);
    SDL_JoystickSetVirtualButton(stick, SDL_CONTROLLER_BUTTON_A, 1);
    SDL_JoystickUpdate();
    std::vector<std::string> events = drain();
    char pressed[32];
    snprintf(pressed, sizeof pressed, "%#x+", a_button);
    EXPECT_EQ(events, std::vector<std::string>{pressed});  // once, not again as a joystick button
    EXPECT_GT(read_axis(trigger), 0);
    close_axis(trigger);
    SDL_JoystickClose(stick);
    SDL_JoystickDetachVirtual(index);
}

TEST_F(WindowTest, FullScreenCoversTheNearestMode) {
    open(24 | WINDOW_FULLSCREEN);
    const display_mode desktop = display_modes()[0];
    platform_rect r{};
    // The X server may take a while on a loaded machine: up to 10 s.
    for (Uint32 start = SDL_GetTicks(); SDL_GetTicks() - start < 10000;) {
        drain();
        if (begin_frame(window, &r)) {
            EXPECT_TRUE(end_frame(window));
            if (r.width == desktop.width) break;
        }
        SDL_Delay(5);
    }
    // 160 x 120 is smaller than every mode; the smallest listed mode is chosen.
    int smallest = desktop.width + desktop.height;
    for (const display_mode* m = display_modes(); m->width; m++)
        if (m->width + m->height < smallest) smallest = m->width + m->height;
    EXPECT_EQ(r.width + r.height, smallest);
}

TEST_F(WindowTest, DeviceButtonCodesFollowTheNameHash) {
    // Settings files store these codes, so they must not change: over the
    // cleaned name, even-position characters summed as 16 bits, odd ones as
    // 8 bits, folded into the bits 16..30.
    open();
    SDL_VirtualJoystickDesc desc{};
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_UNKNOWN;
    desc.naxes = 1;
    desc.nbuttons = 2;
    desc.name = "Pad. One";
    int first = SDL_JoystickAttachVirtualEx(&desc);
    int second = SDL_JoystickAttachVirtualEx(&desc);
    ASSERT_GE(first, 0) << SDL_GetError();
    ASSERT_GE(second, 0) << SDL_GetError();
    drain();
    struct Case {
        const char* name;
        int code;
    };
    const Case cases[] = {
        {"PadOne button 1", 0x16220001},    // even 80+100+110, odd (97+79+101) & 0xFF
        {"PadOne#2.key[0]", 0x48450000},    // even 325, odd 327 & 0xFF
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int code = 0;
        EXPECT_TRUE(key_code(c.name, &code));
        EXPECT_EQ(code, c.code);
        EXPECT_EQ(code_name_round_trip(code), code);
    }
    SDL_JoystickDetachVirtual(second);
    SDL_JoystickDetachVirtual(first);
}
