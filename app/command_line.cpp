// Command-line grammar: flags match exactly; value options take the next
// argument or "=value"; "--" ends the options; one non-option argument names
// a demo file. Numbers must parse completely; clamping is silent.
#include "app/command_line.h"

#include <limits.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "base/num.h"
#include "base/render_options.h"

enum value_kind { FLAG, INT_VALUE, FLOAT_VALUE, TEXT_VALUE };

struct option_value {
    int i;
    double f;
    const char* text;
};

struct option_entry {
    const char* name;
    value_kind kind;
    // False when the value is unusable (the option's error text follows).
    bool (*apply)(CommandLine* c, const option_value& v);
};

#define SET(expr) [](CommandLine* c, const option_value& v) { (void)v; expr; return true; }

static bool set_chase_center(CommandLine* c, const option_value& v) {
    float x, y, z;
    int used = 0;
    if (sscanf(v.text, "%f,%f,%f%n", &x, &y, &z, &used) != 3 || v.text[used] != '\0') return false;
    if (!isfinite(x) || !isfinite(y) || !isfinite(z)) return false;
    c->chase_center[0] = x, c->chase_center[1] = y, c->chase_center[2] = z;
    return true;
}

static bool set_connect(CommandLine* c, const option_value& v) {
    const char* address = v.text;
    if (strncmp(address, "rutwise:", 8) == 0) address += 8;
    c->has_connect = true;
    c->server_name = address;
    return true;
}

static const option_entry OPTIONS[] = {
    {"--open-home", FLAG, SET(c->open_home = true)},
    {"--fugly", FLAG, SET(c->plain_rendering = true)},
    {"--nosound", FLAG, SET(c->no_sound = true)},
    {"--novertexarrays", FLAG, SET(c->no_vertex_arrays = true)},
    {"--learn", FLAG, SET(c->learn = true)},
    {"--nolearn", FLAG, SET(c->learn = false)},
    {"--debug", FLAG, SET(c->debug_level = 1)},
    {"--super-debug", FLAG, SET(c->debug_level = 2)},
    {"--practice", FLAG, SET(c->practice = true)},
    {"--warp", FLAG, SET(c->warp = true)},
    {"--texture-detail", INT_VALUE,
     SET(c->model_texture_skip = c->ground_texture_skip = clamp_keep_nan(v.i, 0, 4))},
    {"--ground-texture-detail", INT_VALUE, SET(c->ground_texture_skip = clamp_keep_nan(v.i, 0, 4))},
    {"--roostfrequency", INT_VALUE, SET(c->roost_frequency = clamp_keep_nan(v.i, 0, 1000))},
    {"--erode", FLOAT_VALUE, SET(c->erode_strength = (int)(clamp_keep_nan(v.f, 0, 100) * 1024))},
    {"--detail", FLOAT_VALUE, SET(c->has_terrain_detail = true; c->terrain_detail = (float)v.f)},
    {"--max-detail-distance", FLOAT_VALUE,
     SET(c->has_detail_distance = true; c->detail_distance = (float)v.f)},
    {"--lod-scale", FLOAT_VALUE,
     SET(c->has_lod_scale = true; c->lod_scale = (float)clamp_keep_nan(v.f, 0.000001, 1000000))},
    {"--lod-bias", FLOAT_VALUE, SET(c->has_lod_bias = true; c->lod_bias = (float)v.f)},
    {"--lock-fps", FLOAT_VALUE, SET(c->lock_fps = v.f > 0 ? v.f : 0)},
    {"--fake-lag", FLOAT_VALUE, SET(c->fake_lag = clamp_keep_nan(v.f * 0.001, 0, 1))},
    {"--fake-loss", INT_VALUE, SET(c->fake_loss = clamp_keep_nan(v.i, 0, 100))},
    {"--record-audio", TEXT_VALUE, SET(c->record_audio = v.text)},
    {"--record-video", FLAG, SET(c->record_video = true)},
    {"--rotate-lineup", INT_VALUE, SET(c->rotate_lineup = v.i)},
    {"--editor", FLAG, SET(c->editor = true)},
    {"--hidden-pause", FLAG, SET(c->hidden_pause = true)},
    {"--hidden-hud", FLAG, SET(c->hidden_hud = true)},
    {"--width", INT_VALUE, SET(c->width = v.i)},
    {"--height", INT_VALUE, SET(c->height = v.i)},
    {"--depth", INT_VALUE, SET(c->depth = v.i)},
    {"--zdepth", INT_VALUE, SET(c->zdepth = v.i)},
    {"--draw-fps", INT_VALUE, SET(c->draw_fps = v.i)},
    {"--draw-time", INT_VALUE, SET(c->draw_time = v.i)},
    {"--draw-ping", INT_VALUE, SET(c->draw_ping = v.i)},
    {"--draw-speed", INT_VALUE, SET(c->draw_speed = v.i)},
    {"--draw-render-stats", INT_VALUE, SET(c->draw_render_stats = v.i != 0)},
    {"--accurate-skip", FLAG, SET(c->accurate_skip = true)},
    {"--track", TEXT_VALUE, SET(c->track = v.text)},
    {"--connect", TEXT_VALUE, set_connect},
    {"--password", TEXT_VALUE, SET(c->password = v.text)},
    {"--chase-center", TEXT_VALUE, set_chase_center},
    {"--glfinish", FLAG, SET(c->glfinish = true)},
    {"--print-orientation", FLAG, SET(c->print_orientation = true)},
};

#undef SET

CommandLine command_line_defaults() {
    CommandLine c{};
    c.model_texture_skip = c.ground_texture_skip = c.roost_frequency = -1;
    c.depth = 16;
    c.zdepth = 16;
    c.draw_fps = c.draw_time = c.draw_ping = c.draw_speed = c.draw_render_stats = -1;
    c.chase_center[0] = 0.0f;
    c.chase_center[1] = 2.52f;
    c.chase_center[2] = 0.52f;
    return c;
}

// Whole-text numbers only: "7x" and "" are refused; ints saturate.
static bool parse_int(const char* text, int* out) {
    char* end = nullptr;
    long long n = strtoll(text, &end, 10);
    if (end == text || *end != '\0') return false;
    *out = n < INT_MIN ? INT_MIN : n > INT_MAX ? INT_MAX : (int)n;
    return true;
}

static bool parse_float(const char* text, double* out) {
    char* end = nullptr;
    double f = strtod(text, &end);
    if (end == text || *end != '\0' || !isfinite(f)) return false;
    *out = f;
    return true;
}

static void add_text(std::string* diagnostics, const char* format, const char* arg) {
    char text[1200];
    snprintf(text, sizeof text, format, arg);
    *diagnostics += text;
}

// Applies one value option; false with the option's error text on failure.
static bool apply_value(const option_entry& o, const char* text, CommandLine* out,
                        std::string* diagnostics) {
    option_value v{0, 0.0, text};
    bool ok = text != nullptr;
    if (ok && o.kind == INT_VALUE) ok = parse_int(text, &v.i);
    if (ok && o.kind == FLOAT_VALUE) ok = parse_float(text, &v.f);
    if (ok) ok = o.apply(out, v);
    if (!ok) add_text(diagnostics, "Bad arg for %s\n", o.name);
    return ok;
}

int parse_command_line(int argc, const char* const* argv, CommandLine* out,
                       std::string* diagnostics) {
    *out = command_line_defaults();
    bool options_ended = false;
    bool have_file = false;
    for (int i = 1; i < argc; i++) {
        const char* arg = argv[i];
        if (!options_ended && strcmp(arg, "--") == 0) {
            options_ended = true;
            continue;
        }
        if (options_ended || arg[0] != '-') {
            if (have_file) {
                *diagnostics += "Too many files!\n";
                return 1;
            }
            have_file = true;
            out->demo_file = arg;
            continue;
        }
        if (strcmp(arg, "--bikes") == 0 || strncmp(arg, "--bikes=", 8) == 0) {
            *diagnostics += "--bikes doesn't do anything anymore\n";
            if (strcmp(arg, "--bikes") == 0 && i + 1 < argc) i++;  // its value
            continue;
        }
        const option_entry* found = nullptr;
        const char* value = nullptr;
        bool joined = false;
        for (const option_entry& o : OPTIONS) {
            size_t n = strlen(o.name);
            if (strncmp(arg, o.name, n) != 0) continue;
            if (arg[n] == '\0') {
                found = &o;
            } else if (arg[n] == '=' && o.kind != FLAG) {
                found = &o;
                value = arg + n + 1;
                joined = true;
            } else {
                continue;
            }
            break;
        }
        if (!found) {
            add_text(diagnostics, "bad option '%s'\n", arg);
            return 1;
        }
        if (found->kind == FLAG) {
            found->apply(out, option_value{});
            continue;
        }
        if (!joined) value = i + 1 < argc ? argv[++i] : nullptr;  // never past the end
        if (!apply_value(*found, value, out, diagnostics)) return 1;
    }
    return 0;
}

void apply_command_line_render_options(const CommandLine& c, RenderOptions* r) {
    if (c.plain_rendering) r->plain_rendering = true;
    if (c.no_vertex_arrays) r->no_vertex_arrays = true;
    if (c.practice) r->practice = true;
    if (c.debug_level) r->debug_level = c.debug_level;
    if (c.model_texture_skip >= 0) r->model_texture_skip = c.model_texture_skip;
    if (c.ground_texture_skip >= 0) r->ground_texture_skip = c.ground_texture_skip;
    if (c.roost_frequency >= 0) r->roost_frequency = c.roost_frequency;
    if (c.has_terrain_detail) r->terrain_detail = c.terrain_detail;
    if (c.has_detail_distance) {
        r->detail_distance = c.detail_distance;
        r->detail_fade_distance = c.detail_distance + 5;
    }
    if (c.has_lod_scale) r->lod_scale = c.lod_scale;
    if (c.has_lod_bias) r->lod_bias = c.lod_bias;
}

static CommandLine& the_command_line() {
    static CommandLine line = command_line_defaults();
    return line;
}

const CommandLine& command_line() { return the_command_line(); }
CommandLine& command_line_for_startup() { return the_command_line(); }
