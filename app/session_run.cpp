// The frame loop's and the bindings' tables over the real platform layer and
// OpenGL, and the loop's hooks for the parts of the program that exist.
#include <GL/gl.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/frame_loop.h"
#include "app/session_run.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "app/settings.h"
#include "app/startup.h"
#include "render/texture.h"
#include "sim/scene.h"
#include "sim/setup.h"

// ---- input ------------------------------------------------------------------

static bool input_key_code(void*, const char* name, int* code) { return key_code(name, code); }
static const char* input_key_name(void*, int code) { return key_name(code); }
static Axis* input_open_axis(void*, const char* name) { return open_axis(name); }
static int input_read_axis(void*, Axis* axis) { return read_axis(axis); }
static void input_close_axis(void*, Axis* axis) { close_axis(axis); }
static int input_axis_count(void*) {
    const char* const* names = axis_names();
    int n = 0;
    while (names && names[n]) n++;
    return n;
}
static const char* input_axis_name(void*, int index) {
    const char* const* names = axis_names();
    for (int i = 0; names && names[i]; i++)
        if (i == index) return names[i];
    return nullptr;
}

static const InputOps PLATFORM_INPUT = {
    nullptr,         input_key_code,   input_key_name,   input_open_axis,
    input_read_axis, input_close_axis, input_axis_count, input_axis_name,
};

const InputOps* platform_input() { return &PLATFORM_INPUT; }

// ---- window, clock, events ---------------------------------------------------

static double loop_clock(void*) { return platform_clock_seconds(); }

static void loop_sleep(void*, double seconds) {
    if (!(seconds > 0)) return;
    int whole = (int)seconds;
    platform_sleep(whole, (int)((seconds - whole) * 1e6));
}

static bool loop_next_event_until(void*, double until, int* code, bool* pressed) {
    if (until > 1e9) return next_event(code, pressed);
    double whole = floor(until);
    return next_event_until(code, pressed, (int)whole, (int)((until - whole) * 1e6));
}

static bool loop_begin_frame(void* self, int* width, int* height) {
    platform_rect rect;
    if (!begin_frame((PlatformWindow*)self, &rect)) return false;
    *width = rect.width;
    *height = rect.height;
    glViewport(0, 0, rect.width, rect.height);
    return true;
}

static bool loop_end_frame(void* self) { return end_frame((PlatformWindow*)self); }

static bool loop_read_pixels(void*, int width, int height, unsigned char* rgb) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return glGetError() == GL_NO_ERROR;
}

static void loop_finish(void*) { glFinish(); }

const LoopPlatform* platform_loop(PlatformWindow* window) {
    static LoopPlatform table;
    table = LoopPlatform{window,           loop_clock,     loop_sleep,       loop_next_event_until,
                         loop_begin_frame, loop_end_frame, loop_read_pixels, loop_finish};
    return &table;
}

// ---- start-up and shutdown steps ------------------------------------------------

void startup_read_settings(const char* const* video_modes, int count) {
    static std::vector<std::string> labels;  // the choice list borrows these for the run
    static std::vector<const char*> pointers;
    labels.assign(video_modes, video_modes + count);
    pointers.clear();
    for (const std::string& l : labels) pointers.push_back(l.c_str());
    player_setup_startup();
    settings_set_video_modes(&settings(), pointers.data(), (int)pointers.size());
    read_settings();
}

// Puts `name` first in the server name history, without a second copy.
static void push_server_history(Settings* s, const char* name) {
    if (!name[0]) return;
    TextSetting* h = s->server_name_hist;
    int end = SERVER_HISTORY_COUNT - 1;
    for (int i = 0; i < SERVER_HISTORY_COUNT; i++)
        if (strcmp(h[i].text, name) == 0) end = i;
    for (int i = end; i > 0; i--) memcpy(h[i].text, h[i - 1].text, sizeof h[i].text);
    snprintf(h[0].text, sizeof h[0].text, "%.*s", h[0].max_length, name);
}

void startup_apply_command_line(const CommandLine& line) {
    Settings* s = &settings();
    if (line.width > 0) s->xres = line.width;
    if (line.height > 0) s->yres = line.height;
    if (line.draw_fps >= 0) s->draw_fps = line.draw_fps;
    if (line.draw_time >= 0) s->draw_time = line.draw_time;
    if (line.draw_ping >= 0) s->draw_ping = line.draw_ping;
    if (line.draw_speed >= 0) s->draw_speed = line.draw_speed;
    if (line.has_connect) {
        snprintf(s->server_name.text, sizeof s->server_name.text, "%.*s", s->server_name.max_length,
                 line.server_name.c_str());
        push_server_history(s, s->server_name.text);
    }
}

RenderSettingsValues startup_render_settings() {
    const Settings& s = settings();
    RenderSettingsValues v;
    v.ground_geometric_detail = s.ground_detail.value;
    v.model_texture_detail = s.model_texture_detail.value;
    v.ground_texture_levels = s.ground_texture_detail.value;
    v.ground_texture_resolution = s.ground_texture_dim.index;
    v.model_geometric_detail = s.model_detail.value;
    v.roost_density = s.roost_density.value;
    v.use_shader = s.use_shader.index == CHOICE_YES;
    v.texture_compress = s.texture_compress.index;
    return v;
}

void startup_window_size(int* width, int* height, bool* fullscreen) {
    const Settings& s = settings();
    int mode = s.video_mode.index;
    *fullscreen = mode != VIDEO_MODE_WINDOWED;
    *width = *height = 0;
    if (mode == VIDEO_MODE_WINDOWED) {
        *width = s.xres;
        *height = s.yres;
    } else if (mode > VIDEO_MODE_WINDOWED && mode < s.video_mode.count) {
        if (sscanf(s.video_mode.choices[mode], "%dx%d", width, height) != 2) *width = *height = 0;
    }
}

void run_session(PlatformWindow* window, const CommandLine& line, const FrameLoopHooks& hooks) {
    Settings* s = &settings();
    for (Binding& b : s->bindings) resolve_binding(&b, platform_input());
    Session* session = &::session();
    session_init(session, platform_clock_seconds());
    if (line.has_connect) session->menu_screen = MENU_NONE;
    FrameLoopOptions options{};
    options.lock_fps = line.lock_fps;
    options.warp = line.warp;
    options.record_video = line.record_video;
    options.hidden_pause = line.hidden_pause;
    options.hidden_hud = line.hidden_hud;
    options.editor = line.editor;
    options.glfinish = line.glfinish;
    static FrameLoop loop;
    frame_loop_init(&loop, session, s, platform_loop(window), platform_input(), &hooks, &options);
    run_frame_loop(&loop);
    cancel_capture(&loop.capture, platform_input());
}

void shutdown_release_bindings() {
    for (Binding& b : settings().bindings) release_binding(&b, platform_input());
}

void shutdown_write_settings() {
    if (!write_settings()) log("Can't write the settings file\n");
}
