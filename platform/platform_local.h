// Shared between the platform layer's own files; nothing outside
// platform/ includes this. Main thread only.
#pragma once

union SDL_Event;

// window.cpp: handles the window system's pending messages (no-op without a
// window).
void pump_messages();
// Milliseconds of the platform clock (the same time base as the log).
long long platform_clock_ms();

// keys.cpp: the PC scan code (0..0x1FF, +0x100 when extended) of an SDL
// scancode, or -1 when it has none.
int scan_code_from_sdl(int sdl_scancode);
void register_default_aliases();
// Replaces `name` by its alias target, if any.
const char* apply_alias(const char* name);

// devices.cpp
void devices_open(bool game_controllers, bool sticks_only);
void devices_close();
// Feeds an input-device event (controller, joystick, mouse); false when the
// event is not a device's.
bool devices_handle_event(const SDL_Event* event, int seconds, int microseconds);
// Finds a device button by "Device.key[n]" / "Device button n"; looking it up
// acquires the device so its buttons produce events.
bool device_button_code(const char* name, int* code);
// "%s button %d" for a device code; false when no such device exists.
bool device_button_name(int code, char* buffer, int size);
