// The frame loop: renders a frame, paces it, credits its real time to the
// simulation and runs that many fixed ticks of TICK seconds, each taking the
// input events stamped within it, having the bindings fill the control
// channels and calling the network and race steps. Owns the session state
// (app/session.h) and the order of every per-frame and per-tick call.
// The platform and the rest of the program are reached through the tables of
// app/loop_tables.h, so that tests drive the loop with an injected clock and
// events; app/session_run.h sets them over the real platform.
#pragma once
#include "app/bindings.h"
#include "app/loop_tables.h"
#include "app/session.h"
#include "sim/setup.h"

struct Settings;

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
    HeldKeys held_keys;        // the bindings' keys as the events left them
    ControlCapture capture;
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
// Shows "Stutter in %s - %f seconds" when more than the threshold passed
// since the previous check; costs nothing while the threshold is 0.
void stutter_check(FrameLoop* loop, const char* stage);
