// The frame loop and the tick. The order of the calls here is the program's
// frame order (docs/frame_order.md).
#include "app/frame_loop.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/alloc.h"
#include "base/num.h"
#include "base/messages.h"
#include "platform/log.h"
#include "app/screenshot.h"
#include "app/settings.h"

// A tick runs once its whole length is credited; this much (s) of rounding
// in the sums of frame steps is forgiven.
static const double TICK_EPSILON = 1e-9;
static const double PERIODIC_JOB_INTERVAL = 5;  // s of game clock
static const int WARP_TICKS = 100;
static const int KEY_TAB = 9;

static bool hook(bool (*fn)(void*), void* self, bool absent) { return fn ? fn(self) : absent; }
static bool track_loaded(const FrameLoop* l) { return hook(l->hooks.track_loaded, l->hooks.self, false); }
static bool viewed_bike_local(const FrameLoop* l) {
    return hook(l->hooks.viewed_bike_local, l->hooks.self, false);
}
static bool viewed_slot_empty(const FrameLoop* l) {
    return hook(l->hooks.viewed_slot_empty, l->hooks.self, true);
}
static bool online(const FrameLoop* l) { return hook(l->hooks.online, l->hooks.self, false); }

static void set_menu(FrameLoop* loop, int screen) {
    loop->session->menu_screen = screen;
    loop->session->menu_selection = 0;
    loop->menu_changed = true;
}

void frame_loop_init(FrameLoop* loop, Session* session, Settings* settings,
                     const LoopPlatform* platform, const InputOps* input,
                     const FrameLoopHooks* hooks, const FrameLoopOptions* options) {
    memset(loop, 0, sizeof *loop);
    loop->session = session;
    loop->settings = settings;
    loop->platform = platform;
    loop->input = input;
    if (hooks) loop->hooks = *hooks;
    if (options) loop->options = *options;
    loop->frame_now = session->last_frame_time;
    loop->last_stutter_check = session->last_frame_time;
    loop->next_periodic_time = session->game_time + PERIODIC_JOB_INTERVAL;
    const char* names[] = {"esc", "close", "cursor-left"};
    int* codes[] = {&loop->keys.esc, &loop->keys.close, &loop->keys.cursor_left};
    for (int i = 0; i < 3; i++)
        if (!input->key_code(input->self, names[i], codes[i])) *codes[i] = 0;
    setup_watch_values(player_setup(), loop->watch_snapshot);
}

// ---- pacing -----------------------------------------------------------------

static int histogram_bin(double elapsed) {
    int bin = 0;
    double limit = TICK;
    while (bin < FRAME_HISTOGRAM_BINS - 1 && elapsed >= limit) {
        bin++;
        limit *= 2;
    }
    return bin;
}

double pace_frame(FrameLoop* loop) {
    Session* s = loop->session;
    const LoopPlatform* p = loop->platform;
    double now = p->clock(p->self);
    double elapsed = now - s->last_frame_time;
    s->frame_time_histogram[histogram_bin(elapsed)]++;
    double step;
    bool offline = !online(loop);
    if (offline && loop->options.lock_fps > 0) {
        double period = 1 / loop->options.lock_fps;
        if (elapsed < period) p->sleep(p->self, period - elapsed);
        step = period;
        s->last_frame_time = p->clock(p->self);
    } else if (offline && loop->options.warp) {
        step = WARP_TICKS * TICK;
        s->last_frame_time = now;
    } else {
        while (elapsed < TICK) {
            p->sleep(p->self, TICK - elapsed);
            now = p->clock(p->self);
            elapsed = now - s->last_frame_time;
        }
        step = elapsed < MAX_FRAME_STEP ? elapsed : MAX_FRAME_STEP;
        s->last_frame_time = now;
    }
    loop->frame_now = s->last_frame_time;
    if (step < s->min_frame_step) s->min_frame_step = step;
    if (step > s->max_frame_step) s->max_frame_step = step;
    return step;
}


double online_step_scale(int server_ticks, int local_ticks, int last_state_tick) {
    double f = (server_ticks - local_ticks - 1) * TICK;
    if (f < 0) return (clamp_keep_nan(f + 1, 0, 1) + 1) / 2;
    if (local_ticks < last_state_tick) return clamp_keep_nan(f, 0, 1) * 3 + 1;
    return clamp_keep_nan(8 * f, 0, 1) / 8 + 1;
}

void stutter_check(FrameLoop* loop, const char* stage) {
    double threshold = loop->session->stutter_threshold;
    if (!(threshold > 0)) return;
    double now = loop->platform->clock(loop->platform->self);
    double gap = now - loop->last_stutter_check;
    if (gap > threshold) show_messagef("Stutter in %s - %f seconds", stage, gap);
    loop->last_stutter_check = now;
}

// ---- events and the state machine ---------------------------------------------

int next_view_mode(int view_mode, bool editor) {
    switch (view_mode) {
    case VIEW_EDITOR: return VIEW_ORBIT;
    case VIEW_ORBIT: return VIEW_TRACK_CAMERAS;
    case VIEW_RIDER: return editor ? VIEW_EDITOR : VIEW_ORBIT;
    default: return VIEW_RIDER;
    }
}

static bool is_key(const Binding* bindings, int index, int code) {
    return code != 0 && bindings[index].key_code == code;
}

static void riding_key(FrameLoop* loop, int code) {
    Session* s = loop->session;
    const Binding* b = loop->settings->bindings;
    const FrameLoopHooks& h = loop->hooks;
    if (s->view_mode == VIEW_EDITOR && h.editor_key && h.editor_key(h.self, code)) return;
    if (is_key(b, BIND_CONSOLE, code)) {
        set_menu(loop, MENU_CONSOLE);
        return;
    }
    // The screenshot needs no track: it is taken on the title screen too.
    if (is_key(b, BIND_SCREENSHOT, code) && s->view_mode != VIEW_EDITOR) {
        loop->screenshot_requested = true;  // read back from the next frame drawn
        return;
    }
    if (s->view_mode == VIEW_NO_TRACK) return;
    if (is_key(b, BIND_PAUSE, code)) {
        if (!online(loop)) s->paused = !s->paused;
    } else if (is_key(b, BIND_STEP, code)) {
        if (s->paused && loop->hooks.race_step) {
            loop->hooks.race_step(loop->hooks.self);
            loop->race_steps++;
        }
    } else if (code == KEY_TAB) {
        s->view_mode = next_view_mode(s->view_mode, loop->options.editor);
    } else if (is_key(b, BIND_REWIND, code) || is_key(b, BIND_SKIP, code)) {
        if (h.demo_seek) h.demo_seek(h.self, is_key(b, BIND_SKIP, code) ? 1 : -1);
    } else if (is_key(b, BIND_PREV, code) || is_key(b, BIND_NEXT, code)) {
        // One's own bike keeps the camera, except in warm-up or spy mode.
        bool may_switch = !viewed_bike_local(loop) || loop->settings->spy ||
                          hook(h.server_warmup, h.self, false);
        if (may_switch && h.running_order_step)
            s->viewed_bike =
                h.running_order_step(h.self, s->viewed_bike, is_key(b, BIND_NEXT, code) ? 1 : -1);
    } else if (code >= '0' && code <= '9') {
        int cameras = h.track_camera_count ? h.track_camera_count(h.self) : 0;
        int digit = code - '0';
        s->track_camera = (digit < cameras ? digit : cameras) - 1;
    }
}

void handle_event(FrameLoop* loop, int code, bool pressed) {
    Session* s = loop->session;
    if (code == loop->keys.close && pressed) s->close_requested = true;
    held_keys_event(&loop->held_keys, loop->settings->bindings, code, pressed);
    if (code == loop->keys.cursor_left) loop->mouse_left_held = pressed;
    if (capture_running(&loop->capture)) {
        // The capture takes the key: Esc cancels it, any other key is a candidate.
        if (!pressed) return;
        if (code == loop->keys.esc)
            cancel_capture(&loop->capture, loop->input);
        else
            capture_key(&loop->capture, code, s->game_time);
        return;
    }
    bool esc = code != 0 && code == loop->keys.esc;
    if (esc && pressed) {
        if (s->menu_screen == MENU_NONE) {
            set_menu(loop, MENU_MAIN);
            return;
        }
        set_menu(loop, MENU_NONE);  // and on as a riding key
    } else if (s->menu_screen != MENU_NONE) {
        if (!pressed || loop->menu_changed) return;
        if (s->menu_screen == MENU_QUIT_CONFIRM) {
            s->close_requested = true;  // any key but Esc: leave
        } else if (loop->hooks.menu_key) {
            loop->hooks.menu_key(loop->hooks.self, code);
        }
        return;
    }
    if (!pressed) return;
    riding_key(loop, code);
}

// ---- the tick -------------------------------------------------------------------

static void orbit_controls(Session* s) {
    const float* c = s->controls;
    s->orbit_angle += c[CHANNEL_STEER] * (float)(2 * PI / 1024);
    if (s->orbit_angle > (float)PI) s->orbit_angle -= (float)(2 * PI);
    if (s->orbit_angle < (float)-PI) s->orbit_angle += (float)(2 * PI);
    if (c[CHANNEL_THROTTLE] > 0.5f) s->orbit_distance = fmaxf(s->orbit_distance - 1.0f / 64, 0.25f);
    if (c[CHANNEL_FRONT_BRAKE] > 0.5f) s->orbit_distance += 1.0f / 64;
    s->orbit_height += c[CHANNEL_SHIFT] * (float)TICK;
}

static void take_events(FrameLoop* loop, double tick_time) {
    const LoopPlatform* p = loop->platform;
    // The last tick of a frame takes whatever is queued.
    double until = tick_time >= loop->frame_now ? INFINITY : tick_time;
    int code;
    bool pressed;
    while (p->next_event_until(p->self, until, &code, &pressed)) handle_event(loop, code, pressed);
}

// A binding the capture has just given a new key or axis holds nothing until
// that key's next event.
static void capture_step(FrameLoop* loop) {
    const Binding* b = loop->capture.binding;
    if (!capture_tick(&loop->capture, loop->session->game_time, loop->input)) return;
    for (int i = 0; i < BINDING_COUNT; i++)
        if (&loop->settings->bindings[i] == b) loop->held_keys.value[i] = 0;
}

static void run_tick(FrameLoop* loop) {
    Session* s = loop->session;
    const FrameLoopHooks& h = loop->hooks;
    s->simulated_time += TICK;
    for (float& c : s->controls) c = 0;
    loop->menu_changed = false;
    double tick_time = loop->frame_now - s->credited_time + s->simulated_time;
    take_events(loop, tick_time);
    stutter_check(loop, "processmessage");

    if (capture_running(&loop->capture)) capture_step(loop);
    fill_controls(loop->settings->bindings, &loop->held_keys, loop->input, s->controls);

    bool local = viewed_bike_local(loop);
    if (s->menu_screen == MENU_NONE) {
        if (s->view_mode == VIEW_EDITOR) {
            if (h.editor_tick) h.editor_tick(h.self);
            if (!online(loop)) return;
        }
        if (s->view_mode != VIEW_NO_TRACK && local) {
            if (h.apply_rider_channels) h.apply_rider_channels(h.self, s->controls);
        } else if (s->view_mode == VIEW_ORBIT && !local) {
            orbit_controls(s);
        }
    } else {
        // Offline, an open menu stops the race of one's own bike.
        if (local && !online(loop)) return;
        if (s->view_mode == VIEW_EDITOR) {
            if (h.editor_tick) h.editor_tick(h.self);
            if (!online(loop)) return;
        }
    }
    stutter_check(loop, "action");

    if (online(loop)) s->paused = false;
    if (h.network_step) h.network_step(h.self);
    stutter_check(loop, "net");
    if (!track_loaded(loop)) {
        s->view_mode = VIEW_NO_TRACK;
        return;
    }
    if (!s->paused && s->view_mode != VIEW_NO_TRACK && h.race_step) {
        h.race_step(h.self);
        loop->race_steps++;
    }
    stutter_check(loop, "tic");
}

int run_ticks(FrameLoop* loop) {
    Session* s = loop->session;
    int n = 0;
    while (s->simulated_time + TICK <= s->credited_time + TICK_EPSILON) {
        run_tick(loop);
        n++;
    }
    return n;
}

// ---- the frame ----------------------------------------------------------------

static void pick_view_mode(FrameLoop* loop) {
    Session* s = loop->session;
    bool track = track_loaded(loop);
    bool empty = viewed_slot_empty(loop);
    if (track && s->view_mode == VIEW_NO_TRACK) {
        s->view_mode = empty ? VIEW_TRACK_CAMERAS : VIEW_RIDER;
        return;
    }
    bool spying = loop->settings->spy && s->view_mode == VIEW_TRACK_CAMERAS;
    if (!spying && viewed_bike_local(loop) && s->view_mode != VIEW_EDITOR && s->view_mode != VIEW_ORBIT)
        s->view_mode = VIEW_RIDER;
    if (empty) s->view_mode = VIEW_TRACK_CAMERAS;
    if (!track) s->view_mode = VIEW_NO_TRACK;
}

static void record_video_frame(FrameLoop* loop, int width, int height) {
    unsigned char* rgb = (unsigned char*)mem_alloc((size_t)width * height * 3);
    if (!rgb) return;
    if (loop->platform->read_pixels(loop->platform->self, width, height, rgb) &&
        !write_ppm_frame(stdout, rgb, width, height))
        log("Can't write the video frame to standard output\n");
    mem_free(rgb);
}

// Renders the frame; false when presenting failed.
static bool render(FrameLoop* loop) {
    Session* s = loop->session;
    const LoopPlatform* p = loop->platform;
    const FrameLoopHooks& h = loop->hooks;
    int width = 0, height = 0;
    if (!p->begin_frame(p->self, &width, &height)) return true;
    if (loop->settings->video_mode.index == VIDEO_MODE_WINDOWED) {
        loop->settings->xres = width;
        loop->settings->yres = height;
    }
    if (s->view_mode == VIEW_NO_TRACK && h.draw_title) h.draw_title(h.self, width, height);
    if (s->view_mode != VIEW_NO_TRACK && h.draw_scene) h.draw_scene(h.self, width, height);
    if (s->menu_screen != MENU_NONE && h.draw_menu) h.draw_menu(h.self, width, height);
    stutter_check(loop, "draw");
    if (loop->options.record_video && s->view_mode != VIEW_NO_TRACK && width > 0 && height > 0)
        record_video_frame(loop, width, height);
    if (loop->screenshot_requested && width > 0 && height > 0) {
        take_screenshot(s, p, width, height);
        loop->screenshot_requested = false;
    }
    if (loop->options.glfinish && p->finish) p->finish(p->self);
    bool presented = p->end_frame(p->self);
    stutter_check(loop, "flip");
    return presented;
}

static void periodic_jobs(FrameLoop* loop) {
    Session* s = loop->session;
    if (s->game_time < loop->next_periodic_time) return;
    loop->next_periodic_time = s->game_time + PERIODIC_JOB_INTERVAL;
    float now[SETUP_WATCH_COUNT];
    setup_watch_values(player_setup(), now);
    char report[128];
    if (setup_watch_report(loop->watch_snapshot, now, report, sizeof report)) {
        if (online(loop) && loop->hooks.send_chat)
            loop->hooks.send_chat(loop->hooks.self, report);
        else
            show_message(report);
    }
    memcpy(loop->watch_snapshot, now, sizeof now);
}

bool run_frame(FrameLoop* loop) {
    Session* s = loop->session;
    pick_view_mode(loop);
    if (!render(loop)) return false;
    double step = pace_frame(loop);
    int server_ticks, local_ticks, last_state_tick;
    if (online(loop) && loop->hooks.server_clock &&
        loop->hooks.server_clock(loop->hooks.self, &server_ticks, &local_ticks, &last_state_tick))
        step *= online_step_scale(server_ticks, local_ticks, last_state_tick);
    s->credited_time += step;
    s->game_time += step;
    run_ticks(loop);
    stutter_check(loop, "update");
    if (s->view_mode != VIEW_NO_TRACK && loop->options.warp && loop->hooks.warp_check)
        loop->hooks.warp_check(loop->hooks.self);
    if (s->view_mode != VIEW_NO_TRACK && loop->hooks.erode) {
        loop->hooks.erode(loop->hooks.self);
        stutter_check(loop, "erode");
    }
    if (s->view_mode != VIEW_NO_TRACK && loop->hooks.expire_messages)
        loop->hooks.expire_messages(loop->hooks.self, s->game_time);
    periodic_jobs(loop);
    return !s->close_requested;
}

void run_frame_loop(FrameLoop* loop) {
    while (run_frame(loop)) {
    }
}
