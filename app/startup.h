// The program's entry: start-up in its fixed order (data check, log, command
// line, window, data index, lists, GL state), the frame loop, and shutdown
// in reverse with a status text per step. Owns the lists built once at
// start-up and the render options derived from the settings.
#pragma once
#include <string>
#include <vector>

struct RenderOptions;
struct display_mode;

constexpr const char* BUILD_NAME = "2021-02-21-1558 snapshot";
constexpr int READBACK_RATE = 88320;  // Hz: 690 sample frames per tick

// Runs the whole program; returns the process exit status.
int run_program(int argc, char** argv);

// The settings values the render options derive from, as the menus hold them.
struct RenderSettingsValues {
    double ground_geometric_detail;     // "Ground Geometric Detail", > 0
    double model_texture_detail;        // "Model Texture Detail"
    double ground_texture_levels;       // "Ground Texture Levels"
    int ground_texture_resolution;      // index of "Ground Texture Resolution": 0 = 32x32 .. 5 = 1024x1024
    double model_geometric_detail;      // "Model Geometric Detail"
    double roost_density;               // "Roost Density"
    bool use_shader;                    // "Use Shader Programs"
    int texture_compress;               // index of "Compress Textures"
};
// Sets the render options the settings decide; the command line's overrides
// are applied afterwards (apply_command_line_render_options).
void derive_render_options(const RenderSettingsValues& s, RenderOptions* r);

// "Default Fullscreen", "Windowed", then "%dx%d" for every listed mode with
// the colour depth of the first one.
std::vector<std::string> video_mode_labels(const display_mode* modes);

struct DemoEntry {
    std::string file;     // data name, "demos/....rwdemo"
    std::string display;  // file name without folder and extension
};
// Every "demos/" name ending in ".rwdemo" (any case) of a null-terminated
// name list, sorted by name.
std::vector<DemoEntry> build_demo_list(const char* const* names);

// Key codes of the named keys the menus and the loop react to; -1 when a
// name does not resolve.
struct StartupKeys {
    int up, down, left, right, enter, keypad_enter, esc, pause;
    int cursor_left, cursor_right, page_up, page_down, close;
};
StartupKeys look_up_startup_keys();
