#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>

#include <deque>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "support/data_file_fixture.h"
#include "app/command_line.h"
#include "app/frame_loop.h"
#include "app/race_session.h"
#include "app/session.h"
#include "render/model.h"
#include "sim/shape.h"
#include "app/screenshot.h"
#include "app/settings.h"
#include "support/fake_input.h"
#include "support/temp_dir.h"
#include "support/data_home.h"
#include "sim/scene.h"
#include "track/track_list.h"

namespace {

struct QueuedEvent {
    double time;
    int code;
    bool pressed;
};

// A platform with a clock that moves only when told: each frame's drawing
// takes `frame_cost` seconds and sleeping advances the clock exactly.
struct FakePlatform {
    double now = 100;
    double frame_cost = 0;
    int sleeps = 0;
    double slept = 0;
    int frames = 0;
    bool drawable = true;    // begin_frame answers
    bool presents = true;    // end_frame answers
    std::deque<QueuedEvent> events;
    LoopPlatform ops;
    FakePlatform();
};

FakePlatform* fake(void* self) { return (FakePlatform*)self; }

FakePlatform::FakePlatform() {
    ops.self = this;
    ops.clock = [](void* self) { return fake(self)->now; };
    ops.sleep = [](void* self, double seconds) {
        fake(self)->sleeps++;
        fake(self)->slept += seconds;
        fake(self)->now += seconds;
    };
    ops.next_event_until = [](void* self, double until, int* code, bool* pressed) {
        auto& q = fake(self)->events;
        if (q.empty() || q.front().time > until) return false;
        *code = q.front().code;
        *pressed = q.front().pressed;
        q.pop_front();
        return true;
    };
    ops.begin_frame = [](void* self, int* w, int* h) {
        fake(self)->now += fake(self)->frame_cost;
        *w = 4;
        *h = 2;
        return fake(self)->drawable;
    };
    ops.end_frame = [](void* self) {
        fake(self)->frames++;
        return fake(self)->presents;
    };
    ops.read_pixels = [](void*, int w, int h, unsigned char* rgb) {
        for (int i = 0; i < w * h * 3; i++) rgb[i] = (unsigned char)i;
        return true;
    };
    ops.finish = nullptr;
}

// What the hooks saw, tick by tick.
struct World {
    bool track = false;
    bool local = false;
    bool is_online = false;
    int ticks = 0;         // network steps: one per tick that gets that far
    int race_steps = 0;
    std::vector<float> throttle;  // the throttle channel of each tick
    std::vector<int> menu_keys;
    std::vector<double> seeks;
    std::vector<int> erodes;  // race steps run when each frame's erosion came
    Session* session = nullptr;
};

World* world(void* self) { return (World*)self; }

FrameLoopHooks world_hooks(World* w) {
    FrameLoopHooks h{};
    h.self = w;
    h.track_loaded = [](void* self) { return world(self)->track; };
    h.viewed_bike_local = [](void* self) { return world(self)->local; };
    h.viewed_slot_empty = [](void* self) { return !world(self)->track; };
    h.online = [](void* self) { return world(self)->is_online; };
    h.race_step = [](void* self) { world(self)->race_steps++; };
    h.network_step = [](void* self) {
        World* w = world(self);
        w->ticks++;
        w->throttle.push_back(w->session->controls[CHANNEL_THROTTLE]);
    };
    h.menu_key = [](void* self, int code) { world(self)->menu_keys.push_back(code); };
    h.demo_seek = [](void* self, double seconds) { world(self)->seeks.push_back(seconds); };
    h.running_order_step = [](void*, int viewed, int direction) {
        int next = viewed + direction;  // a running order of slots 1..5
        return next < 1 ? 1 : next > 5 ? 5 : next;
    };
    h.track_camera_count = [](void*) { return 3; };
    h.erode = [](void* self) { world(self)->erodes.push_back(world(self)->race_steps); };
    return h;
}

enum { KEY_ESC = 0x1001, KEY_X = 0x102D, KEY_T = 0x1014, KEY_S = 0x101F, KEY_PAUSE = 0x1045,
       KEY_DOT = 0x1034, KEY_CLOSE_CODE = 0xDEAD, KEY_A = 0x101E, KEY_BACKSLASH = 0x102B,
       KEY_SLASH = 0x1035, KEY_OPEN_BRACKET = 0x101A, KEY_CLOSE_BRACKET = 0x101B };

struct LoopRig {
    FakePlatform platform;
    FakeInput input;
    World world;
    Session session;
    Settings settings;
    FrameLoop loop;
    explicit LoopRig(FrameLoopOptions options = {}) {
        input.keys = {{"esc", KEY_ESC}, {"close", KEY_CLOSE_CODE}, {"cursor-left", 0x2000},
                      {"x", KEY_X},     {"t", KEY_T},              {"s", KEY_S},
                      {"pause", KEY_PAUSE}, {".", KEY_DOT},        {"a", KEY_A},
                      {"\\", KEY_BACKSLASH}, {"/", KEY_SLASH},   {"[", KEY_OPEN_BRACKET},
                      {"]", KEY_CLOSE_BRACKET}};
        settings_set_defaults(&settings);
        for (Binding& b : settings.bindings) resolve_binding(&b, &input.ops);
        session_init(&session, platform.now);
        world.session = &session;
        FrameLoopHooks hooks = world_hooks(&world);
        frame_loop_init(&loop, &session, &settings, &platform.ops, &input.ops, &hooks, &options);
    }
    void press(int code) { handle_event(&loop, code, true); }
};

}  // namespace

TEST(FramePacing, TicksPerFrame) {
    struct Case {
        const char* name;
        FrameLoopOptions options;
        double frame_cost;
        int frames;
        int min_ticks, max_ticks;  // per frame
        int total_ticks;           // over all frames
        bool may_sleep;
    };
    FrameLoopOptions lock30{};
    lock30.lock_fps = 30;
    FrameLoopOptions warp{};
    warp.warp = true;
    const Case cases[] = {
        {"half-second frame is cut to 16 ticks", {}, 0.5, 3, 16, 16, 48, false},
        {"1 ms frame sleeps to one tick", {}, 0.001, 10, 1, 1, 10, true},
        {"steady 10 ms frames", {}, 0.010, 128, 1, 2, 163, false},
        {"lock-fps 30", lock30, 0.002, 30, 4, 5, 128, true},
        {"lock-fps 30 with slow frames", lock30, 0.2, 30, 4, 5, 128, false},
        {"warp", warp, 0.003, 5, 100, 100, 500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopRig rig(c.options);
        rig.session.menu_screen = MENU_NONE;
        rig.platform.frame_cost = c.frame_cost;
        int total = 0;
        for (int f = 0; f < c.frames; f++) {
            int before = rig.world.ticks;
            ASSERT_TRUE(run_frame(&rig.loop));
            int n = rig.world.ticks - before;
            EXPECT_GE(n, c.min_ticks);
            EXPECT_LE(n, c.max_ticks);
            total += n;
        }
        EXPECT_EQ(total, c.total_ticks);
        if (!c.may_sleep) {
            EXPECT_EQ(rig.platform.sleeps, 0);
        }
        EXPECT_LT(rig.session.credited_time - rig.session.simulated_time, TICK);
        EXPECT_DOUBLE_EQ(rig.session.game_time, rig.session.credited_time);
    }
}

TEST(FramePacing, HiddenWindowKeepsTicksAndFailedPresentEndsTheLoop) {
    LoopRig rig;
    rig.platform.drawable = false;
    rig.platform.now += 0.05;  // the time the hidden frame took
    EXPECT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(rig.platform.frames, 0);
    EXPECT_EQ(rig.world.ticks, 6);
    rig.platform.drawable = true;
    rig.platform.presents = false;
    EXPECT_FALSE(run_frame(&rig.loop));
}

TEST(FramePacing, HistogramAndStepExtremes) {
    LoopRig rig;
    const double costs[] = {0.001, 0.010, 0.5, 0.020};
    for (double cost : costs) {
        rig.platform.frame_cost = cost;
        ASSERT_TRUE(run_frame(&rig.loop));
    }
    // 1 ms: below one tick; 10 ms: 1..2 ticks; 0.5 s: 64 ticks or more; 20 ms: 2..4 ticks.
    const int want[FRAME_HISTOGRAM_BINS] = {1, 1, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < FRAME_HISTOGRAM_BINS; i++) EXPECT_EQ(rig.session.frame_time_histogram[i], want[i]) << i;
    EXPECT_NEAR(rig.session.min_frame_step, TICK, 1e-9);
    EXPECT_DOUBLE_EQ(rig.session.max_frame_step, MAX_FRAME_STEP);
}

TEST(FramePacing, OnlineStepScale) {
    struct Case {
        const char* name;
        int server, local, last_state;
        double scale;
    };
    const Case cases[] = {
        {"in step", 101, 100, 100, 1},
        {"local ahead slows down", 90, 100, 0, (1 - 11 / 128.0 + 1) / 2},
        {"far ahead at most halves", 0, 1000, 0, 0.5},
        {"behind and waiting for a state catches up fast", 300, 100, 200, 4},
        {"behind with states in hand", 120, 100, 50, 1 + 1.0 / 8},
        {"slightly behind", 110, 100, 50, 1 + 72 / 128.0 / 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(online_step_scale(c.server, c.local, c.last_state), c.scale, 1e-9);
    }
}

TEST(FrameTicks, KeyPressLandsInItsTick) {
    LoopRig rig;
    rig.session.menu_screen = MENU_NONE;
    double start = rig.platform.now;
    // One 0.1 s frame covers ticks 1..12 at start + k/128.
    rig.platform.events = {{start + 0.050, KEY_X, true},    // tick 7 (0.0547)
                           {start + 0.080, KEY_X, false},   // tick 11 (0.0859)
                           {start + 0.099, KEY_X, true}};   // after tick 12: next frame
    rig.platform.frame_cost = 0.1;
    ASSERT_TRUE(run_frame(&rig.loop));
    std::vector<float> want = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0};
    EXPECT_EQ(rig.world.throttle, want);
    EXPECT_EQ(rig.platform.events.size(), 1u);
    // The last tick of the next frame takes what is still queued.
    rig.platform.frame_cost = 0.001;
    ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(rig.world.throttle.back(), 1);
    EXPECT_TRUE(rig.platform.events.empty());
}

TEST(FrameStates, EscTabPauseAndConsole) {
    struct Case {
        const char* name;
        int menu, view;
        bool paused, online, editor;
        int key;
        bool pressed;
        int want_menu, want_view;
        bool want_paused, want_close;
    };
    const Case cases[] = {
        {"Esc riding opens the main menu", -1, 0, false, false, false, KEY_ESC, true, 0, 0, false, false},
        {"Esc in a menu returns to riding", 7, 0, false, false, false, KEY_ESC, true, -1, 0, false, false},
        {"Esc released in a menu is ignored", 7, 0, false, false, false, KEY_ESC, false, 7, 0, false, false},
        {"console key opens the console", -1, 0, false, false, false, KEY_T, true, 16, 0, false, false},
        {"console key in a menu goes to the menu", 7, 0, false, false, false, KEY_T, true, 7, 0, false, false},
        {"Tab from rider camera", -1, 0, false, false, false, 9, true, -1, 3, false, false},
        {"Tab from orbit", -1, 3, false, false, false, 9, true, -1, 4, false, false},
        {"Tab from track cameras", -1, 4, false, false, false, 9, true, -1, 0, false, false},
        {"Tab in editor mode", -1, 0, false, false, true, 9, true, -1, 2, false, false},
        {"Tab from editor view", -1, 2, false, false, true, 9, true, -1, 3, false, false},
        {"Tab on the title screen", -1, 5, false, false, false, 9, true, -1, 5, false, false},
        {"pause offline", -1, 0, false, false, false, KEY_PAUSE, true, -1, 0, true, false},
        {"pause again", -1, 0, true, false, false, KEY_PAUSE, true, -1, 0, false, false},
        {"pause online does nothing", -1, 0, false, true, false, KEY_PAUSE, true, -1, 0, false, false},
        {"pause on the title screen", -1, 5, false, false, false, KEY_PAUSE, true, -1, 5, false, false},
        {"quit confirmation: any key leaves", 18, 0, false, false, false, KEY_A, true, 18, 0, false, true},
        {"quit confirmation: Esc keeps playing", 18, 0, false, false, false, KEY_ESC, true, -1, 0, false, false},
        {"close button", 3, 0, false, false, false, KEY_CLOSE_CODE, true, 3, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FrameLoopOptions options{};
        options.editor = c.editor;
        LoopRig rig(options);
        rig.world.is_online = c.online;
        rig.session.menu_screen = c.menu;
        rig.session.menu_selection = 3;
        rig.session.view_mode = c.view;
        rig.session.paused = c.paused;
        handle_event(&rig.loop, c.key, c.pressed);
        EXPECT_EQ(rig.session.menu_screen, c.want_menu);
        if (c.want_menu != c.menu) {
            EXPECT_EQ(rig.session.menu_selection, 0);
        }
        EXPECT_EQ(rig.session.view_mode, c.want_view);
        EXPECT_EQ(rig.session.paused, c.want_paused);
        EXPECT_EQ(rig.session.close_requested, c.want_close);
    }
}

TEST(FrameStates, MenuGetsOnlyPressedKeysAndOneScreenChangePerTick) {
    LoopRig rig;
    rig.session.menu_screen = MENU_NONE;
    double t = rig.platform.now;
    rig.platform.events = {{t, KEY_ESC, true}, {t, KEY_A, true}, {t + 0.02, KEY_A, true},
                           {t + 0.03, KEY_A, false}};
    rig.platform.frame_cost = 0.05;
    ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(rig.session.menu_screen, MENU_MAIN);
    // The key in the tick that opened the menu is not handed on, nor the release.
    EXPECT_EQ(rig.world.menu_keys, std::vector<int>{KEY_A});
}

TEST(FrameStates, OpenMenuStopsTheRaceOnlyOffline) {
    struct Case {
        const char* name;
        int menu;
        bool online, paused;
        int race_steps;  // over one 0.125 s frame (16 ticks)
    };
    const Case cases[] = {
        {"riding", MENU_NONE, false, false, 16},
        {"menu offline", MENU_MAIN, false, false, 0},
        {"menu online", MENU_MAIN, true, false, 16},
        {"paused", MENU_NONE, false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopRig rig;
        rig.world.track = true;
        rig.world.local = true;
        rig.world.is_online = c.online;
        rig.session.menu_screen = c.menu;
        rig.session.paused = c.paused;
        rig.platform.frame_cost = MAX_FRAME_STEP;
        ASSERT_TRUE(run_frame(&rig.loop));
        EXPECT_EQ(rig.world.race_steps, c.race_steps);
        EXPECT_EQ(rig.session.view_mode, VIEW_RIDER);
    }
}

TEST(FrameStates, PlaybackCameraAndRiderKeys) {
    struct Case {
        const char* name;
        bool local, spy;
        std::vector<int> keys;
        int want_viewed, want_camera;
        std::vector<double> want_seeks;
    };
    const Case cases[] = {
        {"rewind and skip", false, false, {KEY_BACKSLASH, KEY_SLASH, KEY_SLASH}, 3, 7, {-1, 1, 1}},
        {"next and previous clamp to the running order", false, false,
         {KEY_CLOSE_BRACKET, KEY_CLOSE_BRACKET, KEY_CLOSE_BRACKET, KEY_OPEN_BRACKET}, 4, 7, {}},
        {"own bike keeps the camera", true, false, {KEY_CLOSE_BRACKET}, 3, 7, {}},
        {"spy mode may switch", true, true, {KEY_OPEN_BRACKET}, 2, 7, {}},
        {"digit picks a track camera", false, false, {'2'}, 3, 1, {}},
        {"digit past the cameras takes the last", false, false, {'9'}, 3, 2, {}},
        {"zero is the automatic camera", false, false, {'0'}, 3, -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopRig rig;
        rig.world.local = c.local;
        rig.settings.spy = c.spy;
        rig.session.menu_screen = MENU_NONE;
        rig.session.viewed_bike = 3;
        rig.session.track_camera = 7;  // untouched unless a digit is pressed
        for (int k : c.keys) rig.press(k);
        EXPECT_EQ(rig.session.viewed_bike, c.want_viewed);
        EXPECT_EQ(rig.session.track_camera, c.want_camera);
        EXPECT_EQ(rig.world.seeks, c.want_seeks);
    }
}

TEST(FrameStates, StepKeyRunsOneRaceStepWhilePaused) {
    LoopRig rig;
    rig.world.track = true;
    rig.session.menu_screen = MENU_NONE;
    rig.session.paused = true;
    rig.press(KEY_DOT);
    EXPECT_EQ(rig.world.race_steps, 1);
    rig.session.paused = false;
    rig.press(KEY_DOT);
    EXPECT_EQ(rig.world.race_steps, 1);
}

TEST(Controls, RecapturedBindingHoldsNothingUntilItsNewKeyMoves) {
    LoopRig rig;
    rig.session.menu_screen = MENU_CONTROLS;
    rig.press(KEY_X);  // the throttle's key, held throughout
    start_capture(&rig.loop.capture, &rig.settings.bindings[BIND_THROTTLE], rig.session.game_time,
                  &rig.input.ops);
    rig.press(KEY_A);  // becomes the throttle's key once the capture settles
    rig.platform.frame_cost = MAX_FRAME_STEP;
    for (int f = 0; f < 3; f++) ASSERT_TRUE(run_frame(&rig.loop));
    ASSERT_FALSE(capture_running(&rig.loop.capture));
    EXPECT_EQ(rig.settings.bindings[BIND_THROTTLE].key_code, KEY_A);
    EXPECT_EQ(rig.world.throttle.front(), 1);
    EXPECT_EQ(rig.world.throttle.back(), 0);
    rig.press(KEY_X);  // the old key drives nothing now
    rig.platform.frame_cost = 0.001;
    ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(rig.world.throttle.back(), 0);
    rig.press(KEY_A);
    ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(rig.world.throttle.back(), 1);
}

TEST(ScreenshotNames, HighestNumberInANameList) {
    const char* names[] = {"demos/a.rwdemo", "screenshot007.png", "screenshot3.ppm", "screenshotx.png",
                           "shot999.png", nullptr};
    EXPECT_EQ(highest_screenshot_number(names), 7);
    const char* none[] = {"config", nullptr};
    EXPECT_EQ(highest_screenshot_number(none), 0);

}

class Screenshots : public DataFilesTest {};

TEST_F(Screenshots, TwoInASessionAfterNumberSevenAreEightAndNine) {
    home_file("screenshot007.png", "old");
    LoopRig rig;
    rig.session.menu_screen = MENU_NONE;
    rig.press(KEY_S);  // taken from the next frame drawn
    ASSERT_TRUE(run_frame(&rig.loop));
    rig.press(KEY_S);
    ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(read_all("@screenshot007.png"), "old");
    EXPECT_EQ(read_all("@screenshot008.png").compare(1, 3, "PNG"), 0);
    EXPECT_EQ(read_all("@screenshot009.png").compare(1, 3, "PNG"), 0);
    EXPECT_EQ(rig.session.screenshot_counter, 10);
}

TEST(VideoFrames, PpmRowsTopToBottom) {
    const unsigned char rgb[] = {1, 2, 3, 4, 5, 6,      // bottom row
                                 7, 8, 9, 10, 11, 12};  // top row
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    ASSERT_TRUE(write_ppm_frame(out, rgb, 2, 2));
    fclose(out);
    std::string want = "P6\n2 2\n255\n";
    want += std::string("\x07\x08\x09\x0a\x0b\x0c\x01\x02\x03\x04\x05\x06", 12);
    EXPECT_EQ(std::string(buffer, size), want);
    free(buffer);
}

TEST(PeriodicJobs, SetupChangeReportEveryFiveSeconds) {
    static std::vector<std::string> sent;
    sent.clear();
    LoopRig rig;
    rig.world.is_online = true;
    rig.loop.hooks.send_chat = [](void*, const char* text) { sent.push_back(text); };
    rig.platform.frame_cost = MAX_FRAME_STEP;
    auto run_seconds = [&](double seconds) {
        for (int f = 0; f < (int)(seconds / MAX_FRAME_STEP + 0.5); f++) ASSERT_TRUE(run_frame(&rig.loop));
    };
    run_seconds(5.5);
    EXPECT_TRUE(sent.empty()) << "reported without a change";
    RiderSetup* setup = player_setup();
    float saved = setup->value[SETUP_LEVELING];
    setup->value[SETUP_LEVELING] = saved + 1;
    run_seconds(4);  // still inside the second 5 s period
    EXPECT_TRUE(sent.empty());
    run_seconds(1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "[SPAM] Setup change l" + std::string(SETUP_WATCH_COUNT - 1, '-') + "\n");
    run_seconds(5);
    EXPECT_EQ(sent.size(), 1u) << "the snapshot was not refreshed";
    setup->value[SETUP_LEVELING] = saved;
}

// The program's own race, ridden by key: the start-up race on the generated
// compact track, run by the frame loop through the race hooks; once the gate
// has dropped, holding the throttle key rides the bike away from the gate.
TEST(RaceByKeys, ThrottleKeyRidesTheStartupBike) {
    TestDataHome home{RW_BINARY_DIR};
    TrackList tracks;
    ASSERT_TRUE(track_list_build(&tracks));
    ASSERT_TRUE(track_list_select(&tracks, "backyard"));
    physics_scene* scene = scene_create(nullptr);
    ASSERT_NE(scene, nullptr);
    AppRace race;
    app_race_init(&race, scene, &tracks, command_line_defaults());
    ASSERT_TRUE(app_race_start(&race));
    const Race& r = race.session.race;
    ASSERT_EQ(r.local_slot, 0);
    ASSERT_EQ(r.target_laps, 1000);

    LoopRig rig;
    FrameLoopHooks hooks = app_race_hooks(&race);
    hooks.draw_title = hooks.draw_scene = nullptr;  // no GL context here
    Session& s = session();  // the race hooks follow the program's session
    session_init(&s, rig.platform.now);
    s.viewed_bike = 1;
    s.menu_screen = MENU_NONE;
    FrameLoopOptions options{};
    frame_loop_init(&rig.loop, &s, &rig.settings, &rig.platform.ops, &rig.input.ops, &hooks, &options);
    rig.platform.frame_cost = 1.0 / 30;
    const double p0[3] = {r.start_position[0], r.start_position[1], r.start_position[2]};
    // The throttle key goes down half a second after the drop.
    while (r.now < r.gate_drop_tick + 64) ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_EQ(r.hold_ticks, 0);
    auto moved_from_start = [&] {
        const dReal* p = dBodyGetPosition(scene->slots->slot[0].rider->bike.body[BODY_FRAME]);
        return hypot(p[0] - p0[0], p[2] - p0[2]);
    };
    EXPECT_LT(moved_from_start(), 1) << "the bike left the gate by itself";
    rig.platform.events.push_back({rig.platform.now, KEY_X, true});
    while (r.now < r.gate_drop_tick + 2 * 128) ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_GT(moved_from_start(), 5) << "the throttle key did not ride the bike";
    EXPECT_EQ(r.hold_ticks, 0);
    app_race_free(&race);
    scene_destroy(scene);
    delete_unused_models(true);  // the registries the reset filled; no display list was made
    shape_cache_free();
}

TEST(FrameErosion, OncePerFrameAfterItsTicksAndNeverOnTheTitle) {
    LoopRig rig;
    rig.session.menu_screen = MENU_NONE;
    rig.platform.frame_cost = 0.02;  // two or three ticks a frame
    ASSERT_TRUE(run_frame(&rig.loop));
    EXPECT_TRUE(rig.world.erodes.empty()) << "no track: the title screen";
    rig.world.track = true;
    rig.world.local = true;
    for (int f = 0; f < 5; f++) {
        ASSERT_TRUE(run_frame(&rig.loop));
        ASSERT_EQ(rig.world.erodes.size(), (size_t)f + 1);
        EXPECT_EQ(rig.world.erodes.back(), rig.world.race_steps);
    }
    EXPECT_GE(rig.world.race_steps, 10);
}
