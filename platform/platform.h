// The window, its OpenGL context, input events, key codes and names, analogue
// axes and message boxes. The only code that talks to SDL and the windowing
// system lives behind this header; the rest of the program sees plain records.
// Main thread only. Times are (seconds, microseconds) of `platform_clock`;
// sizes are pixels. The log, options, clock and sleep are in log.h.
#pragma once
#include <stdint.h>

struct PlatformWindow;  // one per program; owned from create_window to destroy_window
struct Axis;            // an open axis handle; owned from open_axis to close_axis

// ---- Window and GL context ----------------------------------------------

enum {
    WINDOW_COLOUR_BITS_MASK = 0xFF,   // low 8 bits of the colour flags: colour depth
    WINDOW_FULLSCREEN = 0x200,        // colour flag: full-screen window
};

struct platform_rect {
    int x, y, width, height;  // pixels of the drawable area
};

// A full-screen mode; the list from `display_modes` ends with a zero entry.
struct display_mode {
    int width, height;  // pixels
    int depth;          // colour bits: 15, 16, 24 or 32
};

// Opens the window with a compatibility-profile OpenGL context made current.
// Colour flags: the low 8 bits are the colour depth (32 is requested as 24
// colour bits), WINDOW_FULLSCREEN asks for full screen; 0 x 0 means the
// desktop size. Null on failure, with the cause in the log.
[[nodiscard]] PlatformWindow* create_window(const char* title, int width, int height,
                                            int colour_flags, int alpha_bits, int depth_bits,
                                            int stencil_bits, int accumulation_bits);
// Deletes the GL context, closes every input device and the window. Every
// axis handle must be closed first.
void destroy_window(PlatformWindow* window);

// Fills `rect` with the drawable area and starts a frame; false when there is
// nothing to draw (no context, hidden, minimised, zero size, or the window
// is switching mode). Every true answer is paired with one `end_frame`.
[[nodiscard]] bool begin_frame(PlatformWindow* window, platform_rect* rect);
// Presents the frame; false when it could not be presented (the context is
// gone; the system reports no other swap failure).
[[nodiscard]] bool end_frame(PlatformWindow* window);

// The desktop's current mode first, then every reported mode of depth 15,
// 16, 24 or 32 without duplicates; ended by {0, 0, 0}. Built on first use
// (logged then); never null.
const display_mode* display_modes();

// Switches at the next event fetch outside a frame: full screen at the
// nearest display mode, or windowed at that client size (the desktop size
// when 0 x 0).
void request_video_mode(PlatformWindow* window, int width, int height, bool fullscreen);

// A modal message box with an OK button (text at most 1023 characters);
// written to standard error instead when no display can show it. Logged.
void message_box(const char* caption, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// Address of an OpenGL entry point of the current context, or null.
void* gl_proc_address(const char* name);

// ---- Key codes ----------------------------------------------------------
// 1..255          a typed character (pressed only): Tab 9, Enter 13,
//                 Backspace 8, Esc 27, Delete 127, digits 48..57
// 0x1000 + scan   a physical key; scan is the PC scan code, +0x100 for
//                 extended keys (Right Ctrl 0x111D, Up 0x1148)
// 0x2000..0x2002  mouse left, middle, right button
// 0xDEAD          the window's close button (pressed only); also sent when
//                 the desktop asks the program to end (SIGTERM, SIGINT)
// id + button     a button of an input device; ids are multiples of 0x10000
//                 in 0x10000..0x7FFF0000, button 0..255
enum : int {
    KEY_SCAN_BASE = 0x1000,
    KEY_EXTENDED = 0x100,
    KEY_MOUSE_LEFT = 0x2000,
    KEY_MOUSE_MIDDLE = 0x2001,
    KEY_MOUSE_RIGHT = 0x2002,
    KEY_CLOSE = 0xDEAD,
    KEY_DEVICE_MASK = 0x7FFF0000,
};
constexpr uint32_t KEY_RELEASED_BIT = 0x80000000u;  // set in a queued event's code on release

// Resolves a key name (aliases first, then exact, then loose comparison,
// "0x%x" up to 0x1FF, device buttons) to a code; false when unknown.
[[nodiscard]] bool key_code(const char* name, int* code);
// The name of a code; an interned string, never null.
const char* key_name(int code);
// Registers `alias` for `target` (the names given to key_code and
// open_axis). A second alias with a different target is logged and ignored.
bool add_key_alias(const char* alias, const char* target);

// ---- Events ---------------------------------------------------------------
// A queue of 256 events kept in time-stamp order. Fetching first handles the
// window system's pending messages (keys, buttons, close, resize, devices).

struct input_event {
    uint32_t code;  // key code, KEY_RELEASED_BIT set on release
    int seconds;
    int microseconds;
};

// Takes the oldest event; false when there is none.
[[nodiscard]] bool next_event(int* code, bool* pressed);
// Takes the oldest event only when it is stamped no later than the given time.
[[nodiscard]] bool next_event_until(int* code, bool* pressed, int seconds, int microseconds);
// Queues an event in time order; false (event dropped) when 256 are queued.
bool push_event(int code, bool pressed, int seconds, int microseconds);
// Same, stamped with the clock now (the close button, tests).
bool push_event_now(int code, bool pressed);
// Empties the queue without handling anything.
void clear_events();

// ---- Axes -----------------------------------------------------------------
// Devices: game controllers and joysticks (absolute axes, -32767..32767),
// "cursor" (axes 0, 1 = pointer x, y in window pixels) and, with the option
// "dinputsticksonly" off, "Mouse" (relative axes: movement since the last
// read). Controllers plugged in later appear at the next event fetch.

// Resolves "Device.axis[n]" or "Device axis n" (aliases first); null when
// the device or axis does not exist or cannot be opened.
[[nodiscard]] Axis* open_axis(const char* name);
int read_axis(Axis* axis);
void close_axis(Axis* axis);  // accepts null
// Names of every absolute axis ("%.200s axis %d"), for capturing controls;
// null-terminated, valid until the device list changes.
const char* const* axis_names();
