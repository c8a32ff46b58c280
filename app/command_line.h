// The program's command line: options, their values and clamping, and the
// one optional demo file. Parsing is a pure function of the argument table;
// start-up applies the result to the render options and the settings.
// Diagnostics are texts for the standard error stream.
#pragma once
#include <string>

struct RenderOptions;

// Everything the command line can say. Fields that override a setting or a
// render option carry a "given" marker (-1, false or empty = not given).
struct CommandLine {
    bool open_home;          // --open-home somewhere on the line
    bool no_sound;
    bool learn;              // robot line learning (off by default)
    bool warp;
    bool record_video;
    bool editor;
    bool hidden_pause;
    bool hidden_hud;
    bool accurate_skip;
    bool glfinish;
    bool print_orientation;
    // Render options.
    bool plain_rendering;    // --fugly
    bool no_vertex_arrays;
    bool practice;
    int debug_level;         // 0, 1 (--debug), 2 (--super-debug)
    int model_texture_skip;  // 0..4, -1 = not given
    int ground_texture_skip; // 0..4, -1 = not given
    int roost_frequency;     // 0..1000, -1 = not given
    bool has_terrain_detail;
    float terrain_detail;
    bool has_detail_distance;
    float detail_distance;   // ft
    bool has_lod_scale;
    float lod_scale;         // 1e-6..1e6
    bool has_lod_bias;
    float lod_bias;
    // Simulation and pacing.
    int erode_strength;      // erosion strength x 1024 (0..102400); 0 = off
    double lock_fps;         // frames per second; 0 = off
    double fake_lag;         // s, 0..1
    int fake_loss;           // %, 0..100
    int rotate_lineup;       // slots
    std::string record_audio;  // file name; empty = off
    // Window.
    int width, height;       // windowed client size, pixels; 0 = not given
    int depth;               // colour bits requested (16)
    int zdepth;              // depth-buffer bits requested (16)
    int draw_fps, draw_time, draw_ping, draw_speed;  // -1 = not given
    int draw_render_stats;   // -1 = not given
    // Track, server and demo.
    std::string track;       // empty = the setting decides
    bool has_connect;
    std::string server_name; // --connect without a leading "rutwise:"
    std::string password;
    float chase_center[3];   // ft, in the viewed bike's frame
    std::string demo_file;   // empty = none
};

CommandLine command_line_defaults();

// Parses argv[1..argc-1]. Returns 0 to go on, or the exit status (1) after a
// bad command line; `diagnostics` receives every text meant for standard
// error ("bad option '%s'\n", "Too many files!\n", "Bad arg for ...\n",
// "--bikes doesn't do anything anymore\n").
[[nodiscard]] int parse_command_line(int argc, const char* const* argv, CommandLine* out,
                                     std::string* diagnostics);

// Overrides the render options that the command line names.
void apply_command_line_render_options(const CommandLine& line, RenderOptions* options);

// The command line of this run, as start-up parsed it (defaults before).
const CommandLine& command_line();
CommandLine& command_line_for_startup();
