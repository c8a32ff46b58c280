// The tables the frame loop is driven through: what it needs from the
// platform (clock, sleep, events, frames) and the hooks into the parts of the
// program it drives (race, network, menus, editor, demos). Filled over the
// real platform by app/session_run.cpp and by tests with fakes. Times are
// platform-clock seconds.
#pragma once
#include "sim/rider_input.h"  // CHANNEL_COUNT

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
    // The channels of this tick for the local rider in play; the implementer
    // applies them with `rider_apply_channels` and the player's preferences
    // (`rider_input_settings_from_setup`).
    void (*apply_rider_channels)(void* self, const float channels[CHANNEL_COUNT]);
    void (*menu_key)(void* self, int code);  // a pressed key on the menu screen shown
    void (*draw_menu)(void* self, int width, int height);
    void (*draw_title)(void* self, int width, int height);  // view mode 5
    // The riding, editor and track-camera views (every view mode but 5).
    void (*draw_scene)(void* self, int width, int height);
    // --warp, after the ticks of a frame with a track: restarts the race once
    // the leader has done its laps.
    void (*warp_check)(void* self);
    // After the ticks of a frame with a track: the erosion queue's share of
    // the frame (--erode) and the reshading of the changed ground.
    void (*erode)(void* self);
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
