// The race: its parameters and line-up, every rider's timing, the tick that
// runs it on the physics scene (start rules, starting gates, standings), the
// rules that end it on laps or on time plus laps, and the official results
// with their cutting penalties, "results.txt" and the rows of the results
// screen. Set up by the race reset (race/reset.h), ticked by the frame loop's
// race step. Time counts ticks of TICK from the reset ("now"); lengths are
// feet. Main thread only.
#pragma once
#include <string>
#include <vector>

#include "race/timing_gates.h"
#include "sim/slots.h"

struct DataStream;
struct physics_scene;
struct Rider;
struct TrackStatues;

// Line-up codes of a slot.
enum LineupCode {
    LINEUP_EMPTY = 0,
    LINEUP_HUMAN = 1,           // the local player
    LINEUP_ROBOT = 2,
    LINEUP_ROBOT_2_STROKE = 3,  // a robot on a bike whose name holds "125"
    LINEUP_ROBOT_4_STROKE = 4,  // ... "250"
    LINEUP_REMOTE = 5,          // a remote human of an online race
    LINEUP_NUMBERED = 1000,     // + n: the robot rider with number n (points series)
};

enum RiderKind { KIND_LOCAL = 0, KIND_OTHER = 1, KIND_ROBOT = 2 };

enum {
    RACE_STANDINGS_PERIOD = 512,      // ticks between standings updates
    RACE_NO_LIMIT = 1000000,          // target and halfway lap of a timed race
    RACE_GATE_COLLIDE_TICKS = 10 * 128,  // gates collide until this long after the drop
    RACE_FALSE_START_HOLD = 15 * 128,    // ticks held after the drop for a false start
};

// One rider as the standings see it.
struct RaceEntrant {
    bool is_present;      // a rider is in the slot
    int kind;             // RiderKind
    RiderTiming timing;
    std::string number;   // number plate text
    std::string name;     // rider name
    std::string bike;     // bike name
};

// A row of the standings or the official results.
struct StandingsEntry {
    int slot;
    int steps;       // step count; official results: less the laps taken for cutting
    double tick;     // tick of the last passage (0 before any); official results: plus the time penalty
    double penalty;  // official results: the ticks added for cutting
    int laps_taken;  // official results: laps removed for cutting
};

// What other parts do in the race tick. Any entry may be null.
struct race_hooks {
    void (*script_tick)(void* self, int now);   // SEAM (track scripts): first in the tick
    // SEAM (robot riders): a robot's step, ending in its controls-to-forces
    // step (`scene_control_step`). Null: robots hold their controls.
    void (*robot_step)(void* self, Rider* r, int tick);
    void (*roost_step)(void* self);             // SEAM (deformation): roost particles move
    void (*record)(void* self, int now);        // SEAM (demos, network): the tick's rider states
    void (*show_message)(void* self, const char* text);  // null: the message sink
    // Offline: kind-1 riders whose recorded states have ended or are older
    // than 10 s, which the results do not wait for. SEAM (demos).
    bool (*is_stale)(void* self, int slot);
    void* self;
};

struct Race {
    // Parameters, set by the reset.
    bool is_practice;          // no line-up: the time trial
    int lineup[RIDER_SLOTS];   // LineupCode per slot
    int race_ticks;            // length; 0 for a race on laps only
    int laps;                  // laps, or laps after the time
    int robot_skill;           // 0 Novice, 1 Amateur, 2 Expert
    int gate_drop_tick;
    int drop_offset;           // ticks; 127 for a spectating client online
    int target_laps;           // T
    int halfway_lap;
    bool is_online;
    std::string track;         // folder name, for "results.txt"

    int now;                   // ticks since the reset
    int hold_ticks;            // the local player's false start hold
    bool is_results_final;
    int leader_last_tick;      // tick the leader passed the last step; -1 before
    RaceEntrant entrant[RIDER_SLOTS];
    int local_slot;            // NO_LOCAL_RIDER when nobody rides here
    float start_position[3];   // the local player's placed position
    std::vector<StandingsEntry> standings;  // live
    std::vector<StandingsEntry> results;    // official
    // Starting gates: one per start slot, with its statue.
    std::vector<float> gate_openness;      // 1 up, 0 down
    std::vector<float> gate_falling_rate;  // 1/s
    // Practice.
    int last_lap_ticks, best_lap_ticks;  // 0: none yet
    int practice_laps_seen;              // completed laps at the last look
    int crash_delays[16];                // extra crash delays (ticks), the server's knockout times
    struct race_scene_state* link;       // owned: how the race sits on the scene (race/race_scene.h)

    const TimingGates* gates;  // borrowed from the track; never null while racing
    TrackStatues* statues;     // borrowed from the track; null: no statues
    physics_scene* scene;      // borrowed
    struct RaceDeformation* deformation;  // borrowed: wheels dig the ground; null: they do not
    race_hooks hooks;
};

// A race with no riders and no gates; `now` 0, results not final.
void race_init(Race* race);
// Unhooks the race from its scene (the riders and the track stay).
void race_free(Race* race);

// Start rules and timing of the scene's hooks: everything a rider does after
// its controls-to-forces step. Exposed for the scene's `after_control`.
void race_after_control(Race* race, Rider* r);
// The local player's channels with the start rules' overrides (the false
// start hold and the sit/dab before the drop) laid over them.
void race_apply_local_controls(Race* race, Rider* r);
// One race tick on the scene: script hook, the scene's tick, roost, gates,
// the tick counter and the periodic standings, the record hook, practice laps.
void race_tick(Race* race);

// The crossing test for the rider of `slot` at (x, z) in tick `now`; every
// completed lap updates the standings.
void race_advance_timing(Race* race, int slot, float x, float z);

// Live standings, the rules of timed races, the finish, and the official
// results (final once every rider who counts has finished; then
// "results.txt" is written).
void race_update_standings(Race* race);
bool race_is_finished(const Race* race, int slot);
// The best lap among laps 2..n: its number and ticks; 0 and 0 with fewer than 2 laps.
void race_best_lap(const Race* race, int slot, int* lap, int* ticks);
// Gap (s) of row `row` of `rows` behind the row before it (row 0: behind
// row 1); 0 when not behind.
double race_gap(const Race* race, const std::vector<StandingsEntry>& rows, int row);
// "%d laps", "%d minutes" or "%d minutes + %d laps".
std::string race_length_text(const Race* race);
// The results file's text (lines end in CR LF) with `date` as seconds since 1970.
std::string race_results_text(const Race* race, long long date);
// Writes "@results.txt" safely; false (after one log line) when it cannot.
bool race_write_results(const Race* race);
// The results screen as text: the title, the column headings, one row per
// rider (official order once final, else the finished riders of the live
// standings), and once final the total race time and a line per rider whose
// time was raised for cutting.
enum { RESULTS_COLUMNS = 6 };
struct ResultsScreen {
    std::string title;                    // "Final Results" or "Unofficial Results"
    std::string headings[RESULTS_COLUMNS];  // "Pos.", "No.", "Lap", "Gap", "Best Time", "BLap"
    std::vector<std::vector<std::string>> rows;  // RESULTS_COLUMNS cells each
    std::vector<int> row_slots;           // the slot of each row (the local player's row is marked)
    std::string total;                    // "Total Race Time: ..." once final, else empty
    std::vector<std::string> penalties;   // "%3s penalized ... seconds for cutting track"
};
ResultsScreen race_results_screen(const Race* race);
