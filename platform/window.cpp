// The program's one window, its compatibility-profile OpenGL context, the
// display mode list, message boxes and the handling of window messages
// (turned into queued key events). SDL requires its events to be handled on
// the thread that made the window, so everything here runs on the main
// thread; messages are handled whenever events are fetched.
#include <SDL2/SDL.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <vector>

#include "platform/log.h"
#include "platform/platform.h"
#include "platform/platform_local.h"

struct PlatformWindow {
    SDL_Window* sdl;
    SDL_GLContext gl;
    SDL_Cursor* cursor;
    bool is_fullscreen;
    bool is_suspended;  // switching mode: nothing is drawn
    bool in_frame;      // between a successful begin_frame and end_frame
    int width, height;  // client size, pixels
    bool mode_pending;  // request_video_mode waiting for the next event fetch
    int pending_width, pending_height;
    bool pending_fullscreen;
};

static PlatformWindow* the_window;

static bool video_ready() {
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    log("Can't start the video system: %s\n", SDL_GetError());
    return false;
}

// ---- Display modes ----------------------------------------------------------

static bool accepted_depth(int depth) {
    return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

const display_mode* display_modes() {
    static std::vector<display_mode>* modes;
    if (modes) return modes->data();
    modes = new std::vector<display_mode>;
    SDL_DisplayMode desktop;
    if (video_ready() && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        int depth = SDL_BITSPERPIXEL(desktop.format);
        bool ok = accepted_depth(depth);
        log("Registry mode is %dx%dx%d@%dhz%s\n", desktop.w, desktop.h, depth, desktop.refresh_rate,
            ok ? "" : " (ignored)");
        if (ok) modes->push_back({desktop.w, desktop.h, depth});
        int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; i++) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(0, i, &m) != 0) continue;
            int d = SDL_BITSPERPIXEL(m.format);
            if (!accepted_depth(d)) {
                log("Found mode %dx%dx%d@%dhz (ignored)\n", m.w, m.h, d, m.refresh_rate);
                continue;
            }
            bool listed = false;
            for (const display_mode& e : *modes)
                listed = listed || (e.width == m.w && e.height == m.h && e.depth == d);
            if (listed) continue;  // same mode at another refresh rate
            log("Found mode %dx%dx%d@%dhz\n", m.w, m.h, d, m.refresh_rate);
            modes->push_back({m.w, m.h, d});
        }
    }
    modes->push_back({0, 0, 0});
    return modes->data();
}

static void desktop_size(int* width, int* height) {
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        *width = desktop.w;
        *height = desktop.h;
    } else {
        *width = 640;
        *height = 480;
    }
}

// The smallest listed mode (width + height) at least w x h; the desktop mode
// when none is, or when no size is given.
static display_mode nearest_mode(int width, int height) {
    const display_mode* modes = display_modes();
    display_mode best = modes[0];
    if (width == 0 || height == 0 || modes[0].width == 0) return best;
    bool found = false;
    for (const display_mode* m = modes; m->width; m++) {
        if (m->width < width || m->height < height) continue;
        if (!found || m->width + m->height < best.width + best.height) best = *m;
        found = true;
    }
    return found ? best : modes[0];
}

static void go_fullscreen(PlatformWindow* w, int width, int height) {
    display_mode m = nearest_mode(width, height);
    const display_mode& desktop = display_modes()[0];
    if (m.width && (m.width != desktop.width || m.height != desktop.height)) {
        SDL_DisplayMode want{}, got;
        want.w = m.width;
        want.h = m.height;
        if (SDL_GetClosestDisplayMode(0, &want, &got)) SDL_SetWindowDisplayMode(w->sdl, &got);
        if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN) == 0) {
            w->is_fullscreen = true;
            return;
        }
        log("Can't switch to %dx%d: %s\n", m.width, m.height, SDL_GetError());
    }
    if (SDL_SetWindowFullscreen(w->sdl, SDL_WINDOW_FULLSCREEN_DESKTOP) == 0) w->is_fullscreen = true;
    else log("Can't switch to full screen: %s\n", SDL_GetError());
}

static void go_windowed(PlatformWindow* w, int width, int height) {
    if (width == 0 && height == 0) desktop_size(&width, &height);
    SDL_SetWindowFullscreen(w->sdl, 0);
    SDL_SetWindowResizable(w->sdl, SDL_TRUE);
    SDL_SetWindowSize(w->sdl, width, height);
    w->is_fullscreen = false;
}

void request_video_mode(PlatformWindow* window, int width, int height, bool fullscreen) {
    window->mode_pending = true;
    window->pending_width = width;
    window->pending_height = height;
    window->pending_fullscreen = fullscreen;
}

static void apply_pending_mode(PlatformWindow* w) {
    if (!w->mode_pending || w->in_frame) return;
    w->mode_pending = false;
    w->is_suspended = true;
    if (w->pending_fullscreen) go_fullscreen(w, w->pending_width, w->pending_height);
    else go_windowed(w, w->pending_width, w->pending_height);
    SDL_GetWindowSize(w->sdl, &w->width, &w->height);
    w->is_suspended = false;
}

// ---- Creating and closing -----------------------------------------------------

// The pixel format of the window's GL context: RGBA, double-buffered, with
// the requested bits. 32 colour bits are asked for as 24.
static void request_pixel_format(int colour_bits, int alpha_bits, int depth_bits, int stencil_bits,
                                 int accumulation_bits) {
    int red = 8, green = 8, blue = 8;
    if (colour_bits == 16) red = 5, green = 6, blue = 5;
    else if (colour_bits == 15) red = green = blue = 5;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, alpha_bits);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, stencil_bits);
    for (SDL_GLattr a : {SDL_GL_ACCUM_RED_SIZE, SDL_GL_ACCUM_GREEN_SIZE, SDL_GL_ACCUM_BLUE_SIZE})
        SDL_GL_SetAttribute(a, accumulation_bits / 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    // The renderer draws with the fixed-function pipeline: never a core profile.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    log("Choosing pixel format\n");
}

static void log_pixel_format() {
    int r = 0, g = 0, b = 0, a = 0, depth = 0, stencil = 0;
    SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
    SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
    SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
    SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
    SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
    SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &stencil);
    log("Pixel format: %d/%d/%d colour, %d alpha, %d depth, %d stencil bits\n", r, g, b, a, depth,
        stencil);
}

static void read_window_options() {
    option_flag("fullscreen", false);  // read for compatibility; the colour flags decide
    bool threaded = option_flag("threaded", false);
    log("Options:\n");
    log("%10s [%s]\n", "threaded:", threaded ? "on" : "off");
    if (threaded)
        log("No message processing thread: window messages are handled on the main thread\n");
}

PlatformWindow* create_window(const char* title, int width, int height, int colour_flags,
                              int alpha_bits, int depth_bits, int stencil_bits,
                              int accumulation_bits) {
    if (the_window) {
        log("Can't create a second window\n");
        return nullptr;
    }
    if (!video_ready()) return nullptr;
    display_modes();
    read_window_options();
    bool fullscreen = (colour_flags & WINDOW_FULLSCREEN) != 0;
    int colour_bits = colour_flags & WINDOW_COLOUR_BITS_MASK;
    request_pixel_format(colour_bits == 32 ? 24 : colour_bits, alpha_bits, depth_bits, stencil_bits,
                         accumulation_bits);

    if (width == 0 && height == 0) desktop_size(&width, &height);
    log("Creating window\n");
    SDL_Window* sdl = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                       width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE |
                                           (fullscreen ? SDL_WINDOW_HIDDEN : 0));
    if (!sdl) {
        log("Can't create window!\n");
        log("%s\n", SDL_GetError());
        return nullptr;
    }
    PlatformWindow* w = new PlatformWindow{};
    w->sdl = sdl;
    if (fullscreen) {
        w->is_suspended = true;
        go_fullscreen(w, width, height);
        SDL_ShowWindow(sdl);
        w->is_suspended = false;
    }
    SDL_RaiseWindow(sdl);
    SDL_GetWindowSize(sdl, &w->width, &w->height);
    w->cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    if (w->cursor) SDL_SetCursor(w->cursor);
    the_window = w;

    devices_open(option_flag("dinput", true), option_flag("dinputsticksonly", true));

    log("Creating OpenGL context\n");
    w->gl = SDL_GL_CreateContext(sdl);
    if (!w->gl || SDL_GL_MakeCurrent(sdl, w->gl) != 0) {
        log("Couldn't create OpenGL context\n");
        log("%s\n", SDL_GetError());
        destroy_window(w);
        return nullptr;
    }
    log_pixel_format();
    SDL_StartTextInput();
    return w;
}

void destroy_window(PlatformWindow* window) {
    if (!window) return;
    if (window->gl) {
        log("Deleting OpenGL context\n");
        SDL_GL_MakeCurrent(window->sdl, nullptr);
        SDL_GL_DeleteContext(window->gl);
    }
    devices_close();
    log("Destroying window\n");
    SDL_DestroyWindow(window->sdl);  // leaves a full-screen display mode first
    if (window->cursor) SDL_FreeCursor(window->cursor);
    if (the_window == window) the_window = nullptr;
    delete window;
    log("Window shutdown complete\n");
}

// ---- Frames -------------------------------------------------------------------

bool begin_frame(PlatformWindow* w, platform_rect* rect) {
    if (!w || !w->gl || w->is_suspended || w->in_frame) return false;
    Uint32 flags = SDL_GetWindowFlags(w->sdl);
    if (flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED)) return false;
    int width = 0, height = 0;
    SDL_GL_GetDrawableSize(w->sdl, &width, &height);
    if (width <= 0 || height <= 0) return false;
    *rect = platform_rect{0, 0, width, height};
    w->in_frame = true;
    return true;
}

bool end_frame(PlatformWindow* w) {
    if (!w || !w->in_frame) return false;
    w->in_frame = false;
    if (!w->gl || SDL_GL_GetCurrentContext() != w->gl) return false;
    SDL_GL_SwapWindow(w->sdl);
    return true;
}

void* gl_proc_address(const char* name) {
    return SDL_GL_GetProcAddress(name);
}

// ---- Messages -------------------------------------------------------------------

void message_box(const char* caption, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    log("Message box \"%s\": %s%s", caption, text, text[0] && text[strlen(text) - 1] == '\n' ? "" : "\n");
    SDL_Window* parent = the_window ? the_window->sdl : nullptr;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, parent) != 0) {
        // No display to show it on: the terminal is the only place left.
        fprintf(stderr, "%s: %s%s", caption, text,
                text[0] && text[strlen(text) - 1] == '\n' ? "" : "\n");
    }
}

// The event's time on the platform clock. SDL stamps with its own tick count;
// a stamp later than now is moved back to now.
static void event_time(Uint32 sdl_stamp, int* seconds, int* microseconds) {
    long long now = platform_clock_ms();
    long long age = (long long)(Uint32)(SDL_GetTicks() - sdl_stamp);
    if (age > 100000) age = 0;  // a stamp from the future wrapped around
    long long ms = now - age;
    if (ms < 0) ms = 0;
    *seconds = (int)(ms / 1000);
    *microseconds = (int)(ms % 1000) * 1000;
}

// Characters the typing of a key produces besides text input.
static int control_character(SDL_Scancode key) {
    switch (key) {
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER: return 13;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_DELETE: return 127;
    default: return 0;
    }
}

// Typed text arrives as UTF-8; characters 1..255 become key codes, others
// have no code and are dropped.
static void push_text(const char* text, int seconds, int microseconds) {
    const unsigned char* p = (const unsigned char*)text;
    while (*p) {
        unsigned c = *p++;
        if (c >= 0x80) {
            int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
            c &= 0x3F >> extra;
            for (; extra > 0 && (*p & 0xC0) == 0x80; extra--) c = (c << 6) | (*p++ & 0x3F);
            if (extra > 0) continue;
        }
        if (c >= 1 && c <= 255) push_event((int)c, true, seconds, microseconds);
    }
}

static void handle_message(PlatformWindow* w, const SDL_Event& e) {
    int seconds, microseconds;
    event_time(e.common.timestamp, &seconds, &microseconds);
    if (devices_handle_event(&e, seconds, microseconds)) return;
    switch (e.type) {
    case SDL_QUIT:  // the close button, or the desktop asking the program to end
        push_event(KEY_CLOSE, true, seconds, microseconds);
        break;
    case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
            w->width = e.window.data1;
            w->height = e.window.data2;
            log("WM_SIZE message %dx%d\n", w->width, w->height);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        bool pressed = e.type == SDL_KEYDOWN;
        int scan = scan_code_from_sdl(e.key.keysym.scancode);
        if (scan >= 0) push_event(KEY_SCAN_BASE + scan, pressed, seconds, microseconds);
        int c = pressed ? control_character(e.key.keysym.scancode) : 0;
        if (c) push_event(c, true, seconds, microseconds);
        break;
    }
    case SDL_TEXTINPUT:
        push_text(e.text.text, seconds, microseconds);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        int code = e.button.button == SDL_BUTTON_LEFT     ? KEY_MOUSE_LEFT
                   : e.button.button == SDL_BUTTON_MIDDLE ? KEY_MOUSE_MIDDLE
                   : e.button.button == SDL_BUTTON_RIGHT  ? KEY_MOUSE_RIGHT
                                                          : 0;
        if (code) push_event(code, e.type == SDL_MOUSEBUTTONDOWN, seconds, microseconds);
        break;
    }
    default:
        break;
    }
}

void pump_messages() {
    PlatformWindow* w = the_window;
    if (!w) return;
    apply_pending_mode(w);
    SDL_Event e;
    while (SDL_PollEvent(&e)) handle_message(w, e);
}
