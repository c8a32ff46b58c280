// The player's preferences: one process-wide record of settings, read once
// from "@config" at start-up and written back at shutdown. Menus and console
// commands change the fields directly. The bindings (app/bindings.h) live in
// the same record and the same file; nothing that changes while riding does
// (the held keys are the frame loop's). Main thread only.
#pragma once
#include "app/bindings.h"

struct DataStream;

// A menu slider: the file holds "%f", reading clamps to minimum..maximum.
struct NumberSetting {
    const char* label;
    double value;
    double step;
    double minimum;
    double maximum;
};

// A menu choice list: the file holds the chosen label, reading needs an exact
// (case-sensitive) match and otherwise leaves the index alone.
struct ChoiceSetting {
    const char* label;
    const char* const* choices;  // borrowed, `count` labels
    int count;
    int index;
};

enum { SETTING_TEXT_MAX = 127 };

struct TextSetting {
    const char* label;
    int max_length;  // characters kept; at most SETTING_TEXT_MAX
    char text[SETTING_TEXT_MAX + 1];
};

enum { GATE_COUNT = 40, SERVER_HISTORY_COUNT = 16 };

// Indices of the shared choice lists.
enum { CHOICE_NO = 0, CHOICE_YES = 1 };
enum { SLOT_EMPTY = 0, SLOT_HUMAN, SLOT_ROBOT, SLOT_ROBOT_2_STROKE, SLOT_ROBOT_4_STROKE };
enum { VIDEO_MODE_DEFAULT_FULLSCREEN = 0, VIDEO_MODE_WINDOWED = 1 };
enum { RENDER_SOFTWARE = 0, RENDER_HARDWARE_COPY, RENDER_HARDWARE_DIRECT, RENDER_SHADERS_COPY,
       RENDER_SHADERS_DIRECT };

struct Settings {
    int xres, yres;  // windowed client size, pixels
    int draw_fps, draw_time, draw_ping, draw_speed;
    int spy;
    TextSetting track;
    ChoiceSetting record;
    ChoiceSetting skill;
    NumberSetting minutes;
    NumberSetting laps;
    ChoiceSetting slots[GATE_COUNT];
    NumberSetting ghost_fade_distance;  // ft
    ChoiceSetting time_trial_abort;
    ChoiceSetting video_mode;
    ChoiceSetting playback_mode;
    TextSetting server_name;
    TextSetting server_name_hist[SERVER_HISTORY_COUNT];
    NumberSetting ground_detail;
    NumberSetting ground_texture_detail;
    ChoiceSetting ground_texture_dim;
    ChoiceSetting ground_mipmaps;
    ChoiceSetting texture_compress;
    ChoiceSetting render_texture;
    ChoiceSetting use_shader;
    NumberSetting model_detail;
    NumberSetting model_texture_detail;
    NumberSetting roost_density;
    NumberSetting reshade_delay;
    ChoiceSetting lens_flare;
    ChoiceSetting reflections;
    ChoiceSetting hide_rider;
    ChoiceSetting rigid_camera;
    NumberSetting fov;                    // degrees
    NumberSetting first_person_height;
    NumberSetting first_person_angle;     // degrees
    NumberSetting first_person_gimbal;
    NumberSetting third_person_height;    // ft
    NumberSetting third_person_distance;  // ft
    NumberSetting volume;
    NumberSetting comp_volume;
    int billboard_optimize_lookahead;
    int message_lines;
    int demo_backups;
    float map_scale;  // 0.125..8
    Binding bindings[BINDING_COUNT];
};

// The process-wide settings, holding the defaults until `read_settings`.
Settings& settings();
// Fills every field with its default (the graphics ones are the
// "Compatibility" preset values).
void settings_set_defaults(Settings* s);
// The display mode labels ("Default Fullscreen", "Windowed", "%dx%d"...)
// offered by `video_mode`; borrowed until the next call. Start-up calls this
// before reading the file so that a saved mode can match.
void settings_set_video_modes(Settings* s, const char* const* labels, int count);

// Reads "@config"; a missing file leaves everything as it is.
void read_settings();
// Writes "@config" safely: the old file stays until the new one is complete.
[[nodiscard]] bool write_settings();

// The same two on any settings record and any stream (tests, other files).
void settings_read_stream(Settings* s, DataStream* stream);
// Offers one "key=value" pair; false when the key is not a setting key.
bool settings_apply_line(Settings* s, const char* key, const char* value);
[[nodiscard]] bool settings_write_stream(const Settings* s, DataStream* stream);
