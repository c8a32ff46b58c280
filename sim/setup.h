// The rider setup: the named settings the player adjusts in the bike setup
// menus, stored as "key=value" lines in the settings file and in setup files
// under "@setups/". Owns the table of settings (key, label, default, step,
// range, choices), the player's own setup, the stability preset and the
// reading and writing of setup lines. Main thread only. Numbers are in the
// menu's units (degrees, mph, rpm, teeth, 0..100 adjustments).
#pragma once
#include "sim/bike_info.h"

struct DataStream;

// Every setup key, in the fixed order the setup is written.
enum SetupKey {
    SETUP_BIKE, SETUP_NAME, SETUP_NUMBER,
    SETUP_RIDER_TEXTURE, SETUP_HEAD_TEXTURE, SETUP_BIKE_TEXTURE, SETUP_WHEEL_TEXTURE,
    SETUP_STABILITY, SETUP_LEVELING, SETUP_ROLL_DAMPING, SETUP_ROLL_LIMIT_ANGLE,
    SETUP_ROLL_LIMIT_FACTOR, SETUP_STEERING_DAMPING, SETUP_STEERING_STRENGTH,
    SETUP_MAX_STEERING_FORCE, SETUP_DIRECT_STEERING, SETUP_SLOW_DAMPING_SPEED,
    SETUP_SLOW_DAMPING_FACTOR, SETUP_LAND_DAMPING_FALLOFF, SETUP_LAND_DAMPING_FACTOR,
    SETUP_FULL_LOCK_SPEED, SETUP_RESTRICTED_LOCK_SPEED, SETUP_RESTRICTED_LOCK,
    SETUP_ARCADE, SETUP_FRONT_BRAKE, SETUP_REAR_BRAKE, SETUP_STOP_WHEELIES,
    SETUP_AUTO_SHIFT, SETUP_AUTO_DAB, SETUP_AUTO_ALIGN, SETUP_STICKY_DAB,
    SETUP_REVERSE_STEERING, SETUP_LEAN_INDICATOR,
    SETUP_AUTO_CLUTCH_RPMS, SETUP_BRAKE_TORQUE, SETUP_REAR_BRAKE_TORQUE, SETUP_MAX_DAB_SPEED,
    SETUP_FRONT_SPROCKET, SETUP_REAR_SPROCKET,
    SETUP_FORK_COMPRESSION, SETUP_FORK_SLOW_COMPRESSION, SETUP_FORK_REBOUND,
    SETUP_FORK_SLOW_REBOUND, SETUP_FORK_SPRING_RATE, SETUP_FORK_PRELOAD, SETUP_FORK_OIL_LEVEL,
    SETUP_SHOCK_COMPRESSION, SETUP_SHOCK_SLOW_COMPRESSION, SETUP_SHOCK_REBOUND,
    SETUP_SHOCK_SLOW_REBOUND, SETUP_SHOCK_SPRING_RATE, SETUP_SHOCK_PRELOAD,
    SETUP_RIDER_YSPRING, SETUP_RIDER_YDAMPING, SETUP_RIDER_ZSPRING, SETUP_RIDER_ZDAMPING,
    SETUP_RIDER_MASS_DISTRIBUTION,
    SETUP_KEY_COUNT
};

enum SetupKind { SETUP_KIND_BIKE, SETUP_KIND_TEXT, SETUP_KIND_NUMBER, SETUP_KIND_CHOICE };

// One row of the settings table.
struct SetupSetting {
    const char* key;              // file key, e.g. "fork_preload_adjustment"
    const char* label;            // menu label; null for the bike and texture keys
    SetupKind kind;
    int max_chars;                // text: longest value kept
    float default_value, step, min, max;  // number
    const char* const* options;   // choice: option texts
    int option_count;
    int default_option;
};

enum {
    SETUP_NAME_CHARS = 63,
    SETUP_NUMBER_CHARS = 3,
    SETUP_TEXTURE_CHARS = 1023,
    SETUP_TEXTURES = 4,           // rider, head, bike, wheel (SetupKey order)
};

// Choice option indices that other modules test.
enum { SETUP_NO = 0, SETUP_YES = 1 };
enum { SETUP_BRAKE_NORMAL = 0, SETUP_BRAKE_ANTILOCK = 1 };
enum { SETUP_STOP_WHEELIES_NO = 0, SETUP_STOP_WHEELIES_YES = 1, SETUP_STOP_WHEELIES_FRONT_ONLY = 2 };

struct RiderSetup {
    char bike[BIKE_NAME_CHARS];                     // a catalogue model name
    char name[SETUP_NAME_CHARS + 1];
    char number[SETUP_NUMBER_CHARS + 1];
    char texture[SETUP_TEXTURES][SETUP_TEXTURE_CHARS + 1];  // data names
    float value[SETUP_KEY_COUNT];                   // number settings
    int choice[SETUP_KEY_COUNT];                    // choice settings: option index
};

const SetupSetting* setup_setting(SetupKey key);
// The SetupKey of a file key, or -1.
int setup_find_key(const char* key);

// Table defaults; bike "yz250f(2017)" with its catalogue textures.
void setup_init_defaults(RiderSetup* setup);
// Start-up: defaults, then the stability preset with the current stability,
// before the settings file is read.
void setup_startup(RiderSetup* setup);
// Sets the fifteen advanced stability settings from "stability".
void setup_apply_stability(RiderSetup* setup);
// Applies one line; true when `key` is a setup key (even if the value was
// rejected and the setting kept), false so the caller may try its own keys.
bool setup_read_line(RiderSetup* setup, const char* key, const char* value);
// Writes every key in the fixed order; false on a write error.
[[nodiscard]] bool setup_write(const RiderSetup* setup, DataStream* s);
// Sets the bike and replaces the four textures with the row's defaults.
void setup_select_bike(RiderSetup* setup, const BikeInfo* bike);

// The player's setup (process lifetime).
RiderSetup* player_setup();
// Start-up step before the settings file is read: the player's setup gets
// bike "yz250f(2017)", its catalogue textures, the table defaults and the
// stability preset of the current stability.
void player_setup_startup();
// Settings-file hooks: apply one line to the player's setup; write its lines.
bool setup_offer_line(const char* key, const char* value);
void setup_write_lines(DataStream* s);

// Setup files "@setups/<name>" for the console's "readsetup" and "writesetup".
// Both show their outcome on screen ("Setup updated", "Error reading setup",
// "Setup written", "Error writing setup").
bool setup_read_file(RiderSetup* setup, const char* setup_name);
bool setup_write_file(const RiderSetup* setup, const char* setup_name);

// Menu read-out of a catalogue-converted setting ("0.466 kg/mm", "12.70 mm",
// "13.00 teeth") into `buffer`; false for keys without one.
bool setup_readout(const RiderSetup* setup, const BikeInfo* bike, SetupKey key,
                   char* buffer, int size);

// The 39 values the periodic setup-change report watches, in report order,
// and the letter shown for each when it changed.
enum { SETUP_WATCH_COUNT = 39 };
extern const char SETUP_WATCH_LETTERS[SETUP_WATCH_COUNT + 1];
void setup_watch_values(const RiderSetup* setup, float out[SETUP_WATCH_COUNT]);
// "[SPAM] Setup change " + one letter or "-" per watched value + "\n" into
// `buffer` (at least 64 bytes); false when nothing changed.
bool setup_watch_report(const float before[SETUP_WATCH_COUNT],
                        const float after[SETUP_WATCH_COUNT], char* buffer, int size);
