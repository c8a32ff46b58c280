// The session state shared by the frame loop, the menus, the console and the
// frame renderer: clocks, menu and camera state, frame statistics and the
// control channels of the current tick. One instance, owned by the frame
// loop (app/frame_loop.h); times are seconds, slots are 1-based.
#pragma once
#include "sim/rider_input.h"  // ControlChannel
#include "base/ticks.h"

constexpr int MAX_BIKES = 160;

enum ViewMode {
    VIEW_RIDER = 0,
    VIEW_EDITOR = 2,
    VIEW_ORBIT = 3,
    VIEW_TRACK_CAMERAS = 4,
    VIEW_NO_TRACK = 5,
};

enum MenuScreen {
    MENU_NONE = -1,
    MENU_MAIN = 0,
    MENU_NEW_RACE = 1,
    MENU_CHOOSER = 2,
    MENU_PLAYBACK = 3,
    MENU_SERIES = 4,
    MENU_SERIES_EVENT = 5,
    MENU_TIME_TRIAL = 6,
    MENU_BIKE_SETUP = 7,
    MENU_SUSPENSION = 8,
    MENU_STABILITY = 9,
    MENU_CONTROLS = 10,
    MENU_GRAPHICS = 11,
    MENU_ADVANCED_GRAPHICS = 12,
    MENU_MULTIPLAYER = 13,
    MENU_CONSOLE = 16,
    MENU_QUIT_CONFIRM = 18,
};

enum { FRAME_HISTOGRAM_BINS = 8 };

struct Session {
    double game_time;       // advances by the credited step of every frame
    double credited_time;   // real time credited to the simulation
    double simulated_time;  // consumed by ticks; a multiple of TICK
    double last_frame_time; // platform clock at the end of the last pacing
    int menu_screen;        // MENU_NONE while riding
    int menu_selection;
    int view_mode;
    bool paused;
    int viewed_bike;        // 1-based slot
    bool close_requested;
    float orbit_angle;      // rad
    float orbit_distance;   // ft
    float orbit_height;     // ft
    int track_camera;       // -1: the automatic camera
    int frame_time_histogram[FRAME_HISTOGRAM_BINS];  // < 1, 2, 4 ... 64 ticks, >= 64
    double min_frame_step, max_frame_step;           // s, of credited steps
    float controls[CHANNEL_COUNT];
    int screenshot_counter;  // next number; 0 before the first screenshot
    double stutter_threshold;  // s; 0 turns the stutter report off
};

// The frame loop's instance.
Session& session();
// The state at the start of the frame loop: clocks at 0 (last_frame_time =
// `now`), menu 0, view mode 0, not paused, orbit at 0 rad / 10 ft / 5 ft.
void session_init(Session* s, double now);
