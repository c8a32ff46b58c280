// The frame loop's and the bindings' tables over the real platform layer and
// OpenGL, and the loop's hooks for the parts of the program that exist.
#include <GL/gl.h>
#include <math.h>

#include "app/frame_loop.h"
#include "app/platform/log.h"
#include "app/platform/platform.h"

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

// ---- hooks ------------------------------------------------------------------

// The title screen: the start-up clear colour until its picture and text exist.
static void draw_title(void*, int, int) { glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT); }

FrameLoopHooks default_frame_hooks() {
    FrameLoopHooks hooks{};
    hooks.draw_title = draw_title;
    return hooks;
}
