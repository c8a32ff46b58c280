// The frame loop: renders a frame, paces it, credits its real time to the
// simulation and runs that many fixed ticks of TICK seconds, each taking the
// input events stamped within it, turning the bindings into control channels
// and calling the network and race steps. Owns the session state
// (app/session.h) and the order of every per-frame and per-tick call.
// The platform and the rest of the program are reached through the tables
// below, so that tests drive the loop with an injected clock and events.
#pragma once
#include "app/bindings.h"
#include "app/session.h"
#include "sim/setup.h"

struct Settings;

// What the loop needs from the platform. Times are platform-clock seconds.
struct LoopPlatform {
    void* self;
    double (*clock)(void* self);
    void (*sleep)(void* self, double seconds);
    // Takes the oldest event stamped no later than `until`; false when none.
    bool (*next_event_until)(void* self, double until, int* code, bool* pressed);
    // False when there is nothing to draw; otherwise sets the drawable size.
    bool (*begin_frame)(void* self, int* width, int* height);
    bool (*end_frame)(void* self);  // false when presenting failed
    // Reads the drawable back as RGB bytes, bottom row first.
    bool (*read_pixels)(void* self, int width, int height, unsigned char* rgb);
    void (*finish)(void* self);     // waits for the GL (--glfinish); may be null
};

// The riding controls as the bike takes them, derived from the channels.
struct RiderInputs {
    float steer;        // -1..1, sign as the bike takes it
    float throttle, front_brake, rear_brake;
    float sit_dab;      // 0..1
    float back_up;
    float lean;         // -1 forward .. 1 backward
    float clutch;       // lever target after the engagement rate limit
    int shift;          // +1 up, -1 down, 0 none
};

// State carried between ticks for the controls: the sticky sit/dab toggle
// and the clutch value approaching its target.
struct RiderInputState {
    bool sticky_dab_on;
    bool dab_was_high;
    float clutch;       // 1 = engaged
};

// Calls into parts of the program that the loop drives. Every entry may be
// null, meaning that part is not there (an absent track, race or menu).
struct FrameLoopHooks {
    void* self;
    bool (*track_loaded)(void* self);
    bool (*viewed_bike_local)(void* self);   // the viewed slot is driven from here
    bool (*viewed_slot_empty)(void* self);
    bool (*online)(void* self);
    void (*race_step)(void* self);
    void (*network_step)(void* self);
    void (*apply_rider_inputs)(void* self, const RiderInputs* inputs);
    void (*menu_key)(void* self, int code);  // a pressed key on the menu screen shown
    void (*draw_menu)(void* self, int width, int height);
    void (*draw_title)(void* self, int width, int height);  // view mode 5
    void (*expire_messages)(void* self, double game_time);
    void (*send_chat)(void* self, const char* text);  // online chat message
    // Online: the server's tick count, the local one and the local tick at
    // which the last server state applies; false when there is none yet.
    bool (*server_clock)(void* self, int* server_ticks, int* local_ticks, int* last_state_tick);
    bool (*server_warmup)(void* self);            // the server's warm-up session
    void (*demo_seek)(void* self, double seconds); // playback: -1 rewinds, +1 skips
    // The previous (-1) or next (+1) rider of the running order, clamped to
    // the list; returns the 1-based slot to view.
    int (*running_order_step)(void* self, int viewed_bike, int direction);
    int (*track_camera_count)(void* self);
    bool (*editor_key)(void* self, int code);     // true when the editor took the key
    void (*editor_tick)(void* self);
};

struct FrameLoopOptions {
    double lock_fps;     // frames per second; 0 = off (--lock-fps)
    bool warp;           // --warp: 100 ticks a frame, no sleeping
    bool record_video;   // --record-video: frames as PPM on standard output
    bool hidden_pause;
    bool hidden_hud;
    bool editor;
    bool glfinish;
};

// Key codes the loop itself reacts to, looked up once by name.
struct LoopKeys {
    int esc, close, cursor_left;
};

struct FrameLoop {
    Session* session;
    Settings* settings;
    const LoopPlatform* platform;
    const InputOps* input;
    FrameLoopHooks hooks;
    FrameLoopOptions options;
    LoopKeys keys;
    ControlCapture capture;
    RiderInputState rider;
    double frame_now;          // the clock reading this frame's ticks are spread up to
    bool mouse_left_held;
    bool screenshot_requested; // taken from the next frame drawn, before it is presented
    bool menu_changed;         // menu_screen changed during the current tick
    double next_periodic_time; // game clock of the next 5 s job
    double last_stutter_check;
    bool have_watch_snapshot;
    float watch_snapshot[SETUP_WATCH_COUNT];  // the watched setup values at the last report
    int race_steps;            // race steps run (statistics)
};

// Sets up the loop around a session just started at `platform->clock`.
void frame_loop_init(FrameLoop* loop, Session* session, Settings* settings,
                     const LoopPlatform* platform, const InputOps* input,
                     const FrameLoopHooks* hooks, const FrameLoopOptions* options);
// Renders, paces and ticks one frame; false when the loop must end.
bool run_frame(FrameLoop* loop);
// Runs frames until the close button, a failed present or the quit
// confirmation ends the loop.
void run_frame_loop(FrameLoop* loop);

// ---- the steps, exposed for tests and the statistics -----------------------

// Paces the frame: sleeps where the options say, counts it in the histogram
// and returns the real time to credit (before any online scaling).
double pace_frame(FrameLoop* loop);
// The online correction of the step: S server ticks, L local ticks, G the
// local tick at which the last server state applies.
double online_step_scale(int server_ticks, int local_ticks, int last_state_tick);
// Runs ticks until the simulated time catches up with the credited time;
// returns the number run.
int run_ticks(FrameLoop* loop);
// One input event as the tick step hands it over.
void handle_event(FrameLoop* loop, int code, bool pressed);
// Tab: the next view mode.
int next_view_mode(int view_mode, bool editor);
// The channels of this tick from the bindings.
void fill_controls(const Binding bindings[BINDING_COUNT], const InputOps* input,
                   float controls[CHANNEL_COUNT]);
// Channels to bike inputs; `state` carries the toggle and the clutch.
RiderInputs rider_inputs(const float controls[CHANNEL_COUNT], bool reverse_steering,
                         bool sticky_dab, RiderInputState* state);
// Shows "Stutter in %s - %f seconds" when more than the threshold passed
// since the previous check; costs nothing while the threshold is 0.
void stutter_check(FrameLoop* loop, const char* stage);

// The platform's own tables (app/frame_loop_platform.cpp).
struct PlatformWindow;
struct rider_slots;
const LoopPlatform* platform_loop(PlatformWindow* window);
const InputOps* platform_input();
// The loop's hooks for what exists of the program: the title screen and the
// rider slots (`slots` borrowed; may be null).
FrameLoopHooks default_frame_hooks(rider_slots* slots);

// ---- the start-up and shutdown steps of the settings and the loop ------------
struct CommandLine;
struct RenderSettingsValues;
// Before the command line: the setup's defaults and stability preset, the
// video mode choices (copied), then "@config".
void startup_read_settings(const char* const* video_modes, int count);
// The command line's overrides of settings: --width/--height, --draw-*,
// --connect (server name, pushed onto the history).
void startup_apply_command_line(const CommandLine& line);
// The settings the render options derive from.
RenderSettingsValues startup_render_settings();
// The window the settings ask for: windowed at xres x yres, or full screen at
// the chosen display mode (0 x 0: the desktop's).
void startup_window_size(int* width, int* height, bool* fullscreen);
// Resolves every binding (after the window exists), runs the frame loop
// until it ends, and leaves the loop's session state behind.
void run_session(PlatformWindow* window, const CommandLine& line, rider_slots* slots);
// "Closing input devices": the bindings' axes.
void shutdown_release_bindings();
// "Writing config files".
void shutdown_write_settings();
