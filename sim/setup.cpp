// The settings table, the stability preset, and reading and writing setup
// lines and setup files.
#include "sim/setup.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "base/messages.h"
#include "base/data_file.h"
#include "base/file_tree.h"
#include "base/num.h"
#include "sim/setup_params.h"

static const char* const NO_YES[] = {"No", "Yes"};
static const char* const BRAKE_MODES[] = {"Normal", "Antilock"};
static const char* const STOP_WHEELIES_MODES[] = {"No", "Yes", "Front Only"};

static constexpr SetupSetting text(const char* key, const char* label, int max_chars) {
    return {key, label, SETUP_KIND_TEXT, max_chars, 0, 0, 0, 0, nullptr, 0, 0};
}
static constexpr SetupSetting number(const char* key, const char* label, float def, float step,
                                     float min, float max) {
    return {key, label, SETUP_KIND_NUMBER, 0, def, step, min, max, nullptr, 0, 0};
}
template <int N>
static constexpr SetupSetting choice(const char* key, const char* label,
                                     const char* const (&options)[N], int def) {
    return {key, label, SETUP_KIND_CHOICE, 0, 0, 0, 0, 0, options, N, def};
}

// In SetupKey order, which is also the order the setup is written in.
static const SetupSetting SETTINGS[SETUP_KEY_COUNT] = {
    {"bike", nullptr, SETUP_KIND_BIKE, BIKE_NAME_CHARS - 1, 0, 0, 0, 0, nullptr, 0, 0},
    text("name", "Name", SETUP_NAME_CHARS),
    text("number", "Number", SETUP_NUMBER_CHARS),
    text("rider_texture", nullptr, SETUP_TEXTURE_CHARS),
    text("head_texture", nullptr, SETUP_TEXTURE_CHARS),
    text("bike_texture", nullptr, SETUP_TEXTURE_CHARS),
    text("wheel_texture", nullptr, SETUP_TEXTURE_CHARS),
    number("stability", "Stability", 100, 1, 0, 100),
    number("leveling", "Leveling", 20, 1, 0, 100),
    number("roll_damping", "Roll Damping", 60, 1, 0, 100),
    number("roll_limit_angle", "Roll Limit Angle", 45, 1, 0, 180),
    number("roll_limit_factor", "Roll Limit Factor", 10, 1, 0, 64),
    number("steering_damping", "Steering Damping", 45, 1, 0, 100),
    number("steering_strength", "Steering Strength", 75, 1, 0, 100),
    number("max_steering_force", "Max Steering Force", 400, 5, 0, 1000),
    number("direct_steering", "Direct Steering", 1, 0.125f, 0, 1),
    number("slow_damping_speed", "Slow Damping Speed", 40, 1, 0, 100),
    number("slow_damping_factor", "Slow Damping Factor", 2, 0.25f, 1, 10),
    number("land_damping_falloff", "Landing Damping Falloff", 0.25f, 0.0625f, 0, 0.5f),
    number("land_damping_factor", "Landing Damping Factor", 2, 0.25f, 1, 3),
    number("full_lock_speed", "Full Lock Speed", 10, 1, 1, 100),
    number("restricted_lock_speed", "Restricted Lock Speed", 50, 1, 1, 100),
    number("restricted_lock", "Restricted Lock Angle", 7.5f, 0.125f, 0, 45),
    choice("arcade", "Arcade Physics", NO_YES, SETUP_YES),
    choice("front_brake", "Front Brake", BRAKE_MODES, SETUP_BRAKE_ANTILOCK),
    choice("rear_brake", "Rear Brake", BRAKE_MODES, SETUP_BRAKE_NORMAL),
    choice("stop_wheelies", "Stop Wheelies", STOP_WHEELIES_MODES, SETUP_STOP_WHEELIES_YES),
    choice("auto_shift", "Automatic Shifting", NO_YES, SETUP_YES),
    choice("auto_dab", "Dab When Stopped", NO_YES, SETUP_YES),
    choice("auto_align", "Realign After Fall", NO_YES, SETUP_YES),
    choice("sticky_dab", "Sticky Sit/Dab", NO_YES, SETUP_NO),
    choice("reverse_steering", "Reversed Steering", NO_YES, SETUP_YES),
    choice("lean_indicator", "Lean Indicator", NO_YES, SETUP_YES),
    number("auto_clutch_rpms", "Auto Clutch RPMs", 5000, 100, 0, 5000),
    number("brake_torque", "Braking Torque (Front)", 500, 10, 0, 500),
    number("rear_brake_torque", "Braking Torque (Rear)", 250, 10, 0, 500),
    number("max_dab_speed", "Max Dab Speed (MPH)", 60, 1, 5, 60),
    number("front_sprocket_adjustment", "Countershaft Sprocket", 0, 1, -2, 2),
    number("rear_sprocket_adjustment", "Rear Sprocket", 0, 1, -2, 2),
    number("fork_compression_adjustment", "Fork High Speed Compression Damping", 50, 1, 0, 100),
    number("fork_slow_compression_adjustment", "Fork Low Speed Compression Damping", 50, 1, 0, 100),
    number("fork_rebound_adjustment", "Fork High Speed Rebound Damping", 50, 1, 0, 100),
    number("fork_slow_rebound_adjustment", "Fork Low Speed Rebound Damping", 50, 1, 0, 100),
    number("fork_spring_rate_adjustment", "Fork Spring Rate", 50, 1, 0, 100),
    number("fork_preload_adjustment", "Fork Preload", 50, 1, 0, 100),
    number("fork_oil_level_adjustment", "Fork Oil Level", 50, 1, 0, 100),
    number("shock_compression_adjustment", "Shock High Speed Compression Damping", 75, 1, 0, 100),
    number("shock_slow_compression_adjustment", "Shock Low Speed Compression Damping", 50, 1, 0, 100),
    number("shock_rebound_adjustment", "Shock High Speed Rebound Damping", 75, 1, 0, 100),
    number("shock_slow_rebound_adjustment", "Shock Low Speed Rebound Damping", 50, 1, 0, 100),
    number("shock_spring_rate_adjustment", "Shock Spring Rate", 50, 1, 0, 100),
    number("shock_preload_adjustment", "Shock Preload", 50, 1, 0, 100),
    number("rider_yspring", "Rider Vertical Spring", 50, 1, 0, 100),
    number("rider_ydamping", "Rider Vertical Damping", 50, 1, 0, 100),
    number("rider_zspring", "Rider Forward Spring", 50, 1, 0, 100),
    number("rider_zdamping", "Rider Forward Damping", 50, 1, 0, 100),
    number("rider_mass_distribution", "Rider Mass Distribution", 0.33f, 0.01f, 0.33f, 0.5f),
};

static const char DEFAULT_BIKE[] = "yz250f(2017)";
static const char DEFAULT_NAME[] = "Rider";
static const char DEFAULT_NUMBER[] = "999";
static const char SETUP_FOLDER[] = "@setups/";

const SetupSetting* setup_setting(SetupKey key) {
    if ((int)key < 0 || key >= SETUP_KEY_COUNT)
        return nullptr;
    return &SETTINGS[key];
}

int setup_find_key(const char* key) {
    for (int i = 0; i < SETUP_KEY_COUNT; ++i) {
        if (strcmp(SETTINGS[i].key, key) == 0)
            return i;
    }
    return -1;
}

// A setup name names a file inside "@setups/"; it may not climb out of it.
static bool setup_path(const char* setup_name, std::string* path) {
    if (!setup_name || !*setup_name || has_parent_component(normalise_slashes(setup_name)))
        return false;
    *path = std::string(SETUP_FOLDER) + setup_name;
    return true;
}

static void copy_cut(char* out, const char* text, int max_chars) {
    snprintf(out, (size_t)max_chars + 1, "%s", text);
}

void setup_select_bike(RiderSetup* setup, const BikeInfo* bike) {
    copy_cut(setup->bike, bike->model, BIKE_NAME_CHARS - 1);
    static const int FILES[SETUP_TEXTURES] = {BIKE_FILE_RIDER_BODY_TEXTURE, BIKE_FILE_RIDER_HEAD_TEXTURE,
                                              BIKE_FILE_BIKE_TEXTURE, BIKE_FILE_WHEEL_TEXTURE};
    for (int i = 0; i < SETUP_TEXTURES; ++i)
        copy_cut(setup->texture[i], bike->files[FILES[i]], SETUP_TEXTURE_CHARS);
}

void setup_init_defaults(RiderSetup* setup) {
    memset(setup, 0, sizeof *setup);
    for (int i = 0; i < SETUP_KEY_COUNT; ++i) {
        const SetupSetting* s = &SETTINGS[i];
        if (s->kind == SETUP_KIND_NUMBER)
            setup->value[i] = s->default_value;
        else if (s->kind == SETUP_KIND_CHOICE)
            setup->choice[i] = s->default_option;
    }
    copy_cut(setup->name, DEFAULT_NAME, SETUP_NAME_CHARS);
    copy_cut(setup->number, DEFAULT_NUMBER, SETUP_NUMBER_CHARS);
    const BikeInfo* bike = find_bike_info(DEFAULT_BIKE);
    if (bike)
        setup_select_bike(setup, bike);
}

void setup_startup(RiderSetup* setup) {
    setup_init_defaults(setup);
    setup_apply_stability(setup);
}

// The fifteen advanced stability settings at stability 0, 20, 40, 60, 80, 100.
static const struct {
    SetupKey key;
    float point[6];
} STABILITY_POINTS[] = {
    {SETUP_LEVELING, {20, 20, 20, 20, 20, 20}},
    {SETUP_ROLL_DAMPING, {40, 50, 60, 70, 75, 80}},
    {SETUP_ROLL_LIMIT_ANGLE, {90, 45, 45, 45, 45, 45}},
    {SETUP_ROLL_LIMIT_FACTOR, {0, 5, 10, 32, 32, 32}},
    {SETUP_STEERING_DAMPING, {45, 45, 45, 45, 50, 60}},
    {SETUP_STEERING_STRENGTH, {75, 75, 75, 75, 75, 75}},
    {SETUP_DIRECT_STEERING, {1, 1, 1, 1, 1, 0.125f}},
    {SETUP_MAX_STEERING_FORCE, {400, 400, 400, 400, 400, 400}},
    {SETUP_SLOW_DAMPING_SPEED, {40, 40, 40, 40, 40, 40}},
    {SETUP_SLOW_DAMPING_FACTOR, {1, 1, 1.5f, 2, 2, 2}},
    {SETUP_LAND_DAMPING_FALLOFF, {0, 0.125f, 0.25f, 0.25f, 0.25f, 0.25f}},
    {SETUP_LAND_DAMPING_FACTOR, {1, 1.5f, 2, 2, 2, 2}},
    {SETUP_FULL_LOCK_SPEED, {10, 10, 10, 10, 10, 10}},
    {SETUP_RESTRICTED_LOCK_SPEED, {50, 50, 50, 50, 50, 50}},
    {SETUP_RESTRICTED_LOCK, {45, 15, 10, 5, 2.5f, 1}},
};

void setup_apply_stability(RiderSetup* setup) {
    const float t = clamp_keep_nan(setup->value[SETUP_STABILITY] * 0.05f, 0, 5);
    const int i = (int)clamp_keep_nan(floorf(t), 0, 4);
    for (const auto& row : STABILITY_POINTS) {
        const float* p = row.point;
        setup->value[row.key] = p[i] + (p[i + 1] - p[i]) * (t - (float)i);
    }
}

static const char* const LEGACY_BIKES[][2] = {
    {"crf250", "crf250(2008)"},
    {"kx250f", "kx250f(2008)"},
    {"rmz250", "rmz250(2008)"},
    {"yz250f", "yz250f(2008)"},
};

static char* text_field(RiderSetup* setup, int key) {
    switch (key) {
    case SETUP_NAME: return setup->name;
    case SETUP_NUMBER: return setup->number;
    default: return setup->texture[key - SETUP_RIDER_TEXTURE];
    }
}

static const char* text_field(const RiderSetup* setup, int key) {
    return text_field(const_cast<RiderSetup*>(setup), key);
}

bool setup_read_line(RiderSetup* setup, const char* key, const char* value) {
    if (!key || !value)
        return false;
    const int k = setup_find_key(key);
    if (k < 0)
        return false;
    const SetupSetting* s = &SETTINGS[k];
    switch (s->kind) {
    case SETUP_KIND_BIKE: {
        for (const auto& legacy : LEGACY_BIKES) {
            if (strcmp(value, legacy[0]) == 0)
                value = legacy[1];
        }
        if (find_bike_info(value))
            copy_cut(setup->bike, value, BIKE_NAME_CHARS - 1);
        break;
    }
    case SETUP_KIND_TEXT:
        copy_cut(text_field(setup, k), value, s->max_chars);
        break;
    case SETUP_KIND_NUMBER: {
        float v;
        // A value that does not parse, or parses as not-a-number, keeps the setting.
        if (sscanf(value, "%f", &v) != 1 || isnan(v))
            break;
        setup->value[k] = clamp_keep_nan(v, s->min, s->max);
        if (k == SETUP_STABILITY)
            setup_apply_stability(setup);
        break;
    }
    case SETUP_KIND_CHOICE:
        for (int i = 0; i < s->option_count; ++i) {
            if (strcmp(value, s->options[i]) == 0)
                setup->choice[k] = i;
        }
        break;
    }
    return true;
}

bool setup_write(const RiderSetup* setup, DataStream* s) {
    bool ok = true;
    for (int k = 0; k < SETUP_KEY_COUNT; ++k) {
        const SetupSetting* st = &SETTINGS[k];
        int n = 0;
        switch (st->kind) {
        case SETUP_KIND_BIKE: n = data_printf(s, "%s=%s\n", st->key, setup->bike); break;
        case SETUP_KIND_TEXT: n = data_printf(s, "%s=%s\n", st->key, text_field(setup, k)); break;
        case SETUP_KIND_NUMBER: n = data_printf(s, "%s=%f\n", st->key, (double)setup->value[k]); break;
        case SETUP_KIND_CHOICE: {
            const int c = setup->choice[k];
            const char* option = (c >= 0 && c < st->option_count) ? st->options[c] : st->options[st->default_option];
            n = data_printf(s, "%s=%s\n", st->key, option);
            break;
        }
        }
        if (n < 0)
            ok = false;
    }
    return ok && !data_error(s);
}

static RiderSetup g_player;
static bool g_player_ready;

RiderSetup* player_setup() {
    if (!g_player_ready) {
        setup_startup(&g_player);
        g_player_ready = true;
    }
    return &g_player;
}

void player_setup_startup() {
    setup_startup(&g_player);
    g_player_ready = true;
}

bool setup_offer_line(const char* key, const char* value) {
    return setup_read_line(player_setup(), key, value);
}

void setup_write_lines(DataStream* s) {
    (void)setup_write(player_setup(), s);
}

// Splits "key=value" (trailing CR/LF removed) and applies it; lines without
// "=" are skipped.
static void read_setup_text_line(RiderSetup* setup, char* line) {
    size_t n = strlen(line);
    while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r'))
        line[--n] = 0;
    char* eq = strchr(line, '=');
    if (!eq)
        return;
    *eq = 0;
    (void)setup_read_line(setup, line, eq + 1);
}

bool setup_read_file(RiderSetup* setup, const char* setup_name) {
    std::string path;
    DataStream* s = setup_path(setup_name, &path) ? open_data_file(path.c_str(), "r") : nullptr;
    if (!s) {
        show_message("Error reading setup");
        return false;
    }
    char line[2048];
    while (data_gets(s, line, sizeof line)) {
        const size_t n = strlen(line);
        const bool cut = n == sizeof line - 1 && line[n - 1] != '\n';
        read_setup_text_line(setup, line);
        if (cut) {  // drop the rest of an over-long line rather than read it as a new one
            int c;
            while ((c = data_getc(s)) >= 0 && c != '\n') {
            }
        }
    }
    close_data_file(s);
    show_message("Setup updated");
    return true;
}

static bool write_setup_callback(DataStream* s, void* self) {
    return setup_write(static_cast<const RiderSetup*>(self), s);
}

bool setup_write_file(const RiderSetup* setup, const char* setup_name) {
    bool ok = false;
    std::string path;
    if (setup_path(setup_name, &path)) {
        ok = write_data_file_safely(path.c_str(), write_setup_callback, const_cast<RiderSetup*>(setup));
    }
    show_message(ok ? "Setup written" : "Error writing setup");
    return ok;
}

bool setup_readout(const RiderSetup* setup, const BikeInfo* bike, SetupKey key, char* buffer, int size) {
    const float v = (key >= 0 && key < SETUP_KEY_COUNT) ? setup->value[key] : 0;
    const float MM_PER_FOOT = 304.8f;
    switch (key) {
    case SETUP_FORK_SPRING_RATE:  // lb/ft for two legs -> kg/mm per leg
        snprintf(buffer, size, "%.3f kg/mm", setup_range_lerp(bike->fork_spring_rate, v) * 0.000744082);
        return true;
    case SETUP_SHOCK_SPRING_RATE:
        snprintf(buffer, size, "%.2f kg/mm", setup_range_lerp(bike->shock_spring_rate, v) * 0.001488164);
        return true;
    case SETUP_FORK_PRELOAD:
        snprintf(buffer, size, "%.2f mm", setup_range_lerp(bike->fork_preload, v) * MM_PER_FOOT);
        return true;
    case SETUP_FORK_OIL_LEVEL:
        snprintf(buffer, size, "%.2f mm", setup_range_lerp(bike->fork_air_gap, v) * MM_PER_FOOT);
        return true;
    case SETUP_SHOCK_PRELOAD:
        snprintf(buffer, size, "%.2f mm", setup_range_lerp(bike->shock_preload, v) * MM_PER_FOOT);
        return true;
    case SETUP_FRONT_SPROCKET:
        snprintf(buffer, size, "%.2f teeth", bike->countershaft_teeth + v);
        return true;
    case SETUP_REAR_SPROCKET:
        snprintf(buffer, size, "%.2f teeth", bike->rear_sprocket_teeth + v);
        return true;
    default:
        return false;
    }
}

const char SETUP_WATCH_LETTERS[SETUP_WATCH_COUNT + 1] = "ldaxdsmdsxlxlsacfrdggCcRrsplCcRrspyzYZm";

static const SetupKey WATCHED[SETUP_WATCH_COUNT] = {
    SETUP_LEVELING, SETUP_ROLL_DAMPING, SETUP_ROLL_LIMIT_ANGLE, SETUP_ROLL_LIMIT_FACTOR,
    SETUP_STEERING_DAMPING, SETUP_STEERING_STRENGTH, SETUP_MAX_STEERING_FORCE,
    SETUP_DIRECT_STEERING, SETUP_SLOW_DAMPING_SPEED, SETUP_SLOW_DAMPING_FACTOR,
    SETUP_LAND_DAMPING_FALLOFF, SETUP_LAND_DAMPING_FACTOR, SETUP_FULL_LOCK_SPEED,
    SETUP_RESTRICTED_LOCK_SPEED, SETUP_RESTRICTED_LOCK, SETUP_AUTO_CLUTCH_RPMS,
    SETUP_BRAKE_TORQUE, SETUP_REAR_BRAKE_TORQUE, SETUP_MAX_DAB_SPEED,
    SETUP_FRONT_SPROCKET, SETUP_REAR_SPROCKET,
    SETUP_FORK_COMPRESSION, SETUP_FORK_SLOW_COMPRESSION, SETUP_FORK_REBOUND,
    SETUP_FORK_SLOW_REBOUND, SETUP_FORK_SPRING_RATE, SETUP_FORK_PRELOAD, SETUP_FORK_OIL_LEVEL,
    SETUP_SHOCK_COMPRESSION, SETUP_SHOCK_SLOW_COMPRESSION, SETUP_SHOCK_REBOUND,
    SETUP_SHOCK_SLOW_REBOUND, SETUP_SHOCK_SPRING_RATE, SETUP_SHOCK_PRELOAD,
    SETUP_RIDER_YSPRING, SETUP_RIDER_ZSPRING, SETUP_RIDER_YDAMPING, SETUP_RIDER_ZDAMPING,
    SETUP_RIDER_MASS_DISTRIBUTION,
};

void setup_watch_values(const RiderSetup* setup, float out[SETUP_WATCH_COUNT]) {
    for (int i = 0; i < SETUP_WATCH_COUNT; ++i)
        out[i] = setup->value[WATCHED[i]];
}

bool setup_watch_report(const float before[SETUP_WATCH_COUNT], const float after[SETUP_WATCH_COUNT],
                        char* buffer, int size) {
    static const char PREFIX[] = "[SPAM] Setup change ";
    char marks[SETUP_WATCH_COUNT + 1];
    bool changed = false;
    for (int i = 0; i < SETUP_WATCH_COUNT; ++i) {
        const bool differs = before[i] != after[i];
        marks[i] = differs ? SETUP_WATCH_LETTERS[i] : '-';
        changed = changed || differs;
    }
    marks[SETUP_WATCH_COUNT] = 0;
    snprintf(buffer, size, "%s%s\n", PREFIX, marks);
    return changed;
}
