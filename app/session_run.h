// The session over the real platform: the loop's tables on the window, the
// clock and the input devices, the hooks for what exists of the program, and
// the start-up and shutdown steps of the settings and the loop, which
// app/startup.cpp calls in its fixed order.
#pragma once
#include "app/loop_tables.h"

struct InputOps;
struct PlatformWindow;

const LoopPlatform* platform_loop(PlatformWindow* window);
const InputOps* platform_input();

// ---- the start-up and shutdown steps of the settings and the loop ----------
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
// Resolves every binding (after the window exists), runs the frame loop with
// `hooks` until it ends, and leaves the loop's session state behind.
void run_session(PlatformWindow* window, const CommandLine& line, const FrameLoopHooks& hooks);
// "Closing input devices": the bindings' axes.
void shutdown_release_bindings();
// "Writing config files".
void shutdown_write_settings();
