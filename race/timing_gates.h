// Where riders start and how a lap is timed: the track's starting gate slots,
// its checkpoints and the two lists of gates a lap must pass (the first lap
// from the start, then every later lap), read from and written to
// "timing_gates"; and each rider's passages through them, from which come
// laps, lap times, the finish and the penalty for cutting the course.
// The gates live with the track; a rider's timing with the race. Units: feet
// in the world frame, ticks of TICK seconds, radians (a yaw θ faces
// (-sin θ, -cos θ) in x, z). Main thread only.
#pragma once
#include <string>
#include <vector>

struct DataStream;

enum {
    TIMING_MAX_SLOTS = 160,
    TIMING_MAX_CHECKPOINTS = 256,
    TIMING_MAX_LIST = 256,
    // A list entry of this value or more names gate (entry - UNCOUNTED_GATE)
    // and must be passed, but opens no new robot-line section.
    UNCOUNTED_GATE = 100000,
};

// The gate model's default files for a slot that names none.
extern const char* const START_GATE_MESH;     // "@startgate.jm"
extern const char* const START_GATE_TEXTURE;  // "@startgate.ppm"
extern const char* const START_GATE_SHAPE;    // "@startgate.shp"

struct StartSlot {
    float position[3];  // ft
    float angle;        // rad, wrapped into -pi..pi
    std::string mesh, texture, shape;  // the gate statue's files
    int statue;         // index of its gate statue, -1 when none was made
};

struct Checkpoint {
    float radius;        // ft, horizontal
    float centre[3];     // A; only x and z take part in crossing
    float direction[3];  // B, the direction of travel through the gate
};

struct TimingGates {
    std::vector<StartSlot> slots;          // file order, at most 160
    std::vector<Checkpoint> checkpoints;   // index = gate number; empty unless valid
    std::vector<int> first_lap;            // E entries; empty unless valid
    std::vector<int> normal_lap;           // D entries; empty unless valid
    int counted_first;                     // F: first-lap entries below UNCOUNTED_GATE
    int counted_normal;                    // K
    bool is_valid;                         // laps are timed
};

// One rider's passages. Emptied by the race reset; grows during a race.
struct RiderTiming {
    int steps;                  // s: the next lap step to pass
    std::vector<int> passages;  // tick of each step below `steps`; -1 for a skipped step
    bool is_finished;           // took the chequered flag
};

// Makes the gate statue of a slot 3 ft ahead of it (the track objects).
struct gate_statue_ops {
    // Returns the statue index, or -1.
    int (*create)(void* self, const float position[3], float angle, const char* mesh, const char* texture,
                  const char* shape);
    void* self;
};

// Reads a "timing_gates" stream into `g` (cleared first), creating a gate
// statue per slot through `statues` (null: none). Unreadable or non-finite
// lines end their section quietly. With `verbose`, logs the counts of a
// valid file. Returns g->is_valid.
bool timing_gates_read(TimingGates* g, DataStream* s, const gate_statue_ops* statues, bool verbose);
// Writes `g` in the form the reader takes; false when a write failed.
[[nodiscard]] bool timing_gates_write(const TimingGates* g, DataStream* s);
void timing_gates_clear(TimingGates* g);

// Lap steps: step s names list entry s of the first lap while s < E, then
// the normal lap over and over.
int timing_step_entry(const TimingGates* g, int step);  // the list entry, flag included
int timing_step_gate(const TimingGates* g, int step);   // the checkpoint index
bool timing_step_is_finish(const TimingGates* g, int step);
// The step count at which lap `lap` (1-based) is complete: E + D (lap - 1).
int timing_lap_end_steps(const TimingGates* g, int lap);

// What the race tells the crossing test about the race as a whole.
struct timing_race_view {
    int target_laps;   // T
    int leader_steps;  // the live leader's step count
};

struct timing_advance_result {
    int passed_step;       // the step passed this tick, -1 when none
    bool is_counted;       // its entry opens a robot-line section
    bool is_lap_complete;  // the passage completed a lap
    bool is_now_finished;  // ... and the rider finished with it
};

// The crossing test for one rider at world position (x, z) in tick `tick`:
// at most one step passes per tick. Nothing happens while the gates are
// not valid or the rider has finished.
timing_advance_result timing_advance(const TimingGates* g, RiderTiming* t, float x, float z, int tick,
                                     const timing_race_view* race);

// Sets the step count (trims the passages; clears the finish when it goes down).
void timing_set_steps(RiderTiming* t, int steps);
void timing_clear(RiderTiming* t);

int timing_laps_completed(const TimingGates* g, int steps);
int timing_position_in_lap(const TimingGates* g, int steps);
// Tick of step k, or -1 when it was skipped or not reached.
int timing_passage(const RiderTiming* t, int step);
// Ticks of lap k (1-based; below 1: the last completed lap), lap 1 from
// `drop_tick`; 0 when the lap is not complete or a tick is missing.
int timing_lap_ticks(const TimingGates* g, const RiderTiming* t, int lap, int drop_tick);
// The penalty (ticks) for every run of skipped steps: the mean time the
// riders of `field` (every rider in the standings, this one included) took
// over the same segment cleanly, or 60 s when none did, plus one second,
// less the rider's own time over it, when that is positive.
double timing_cutting_penalty(const TimingGates* g, const RiderTiming* t, const RiderTiming* const* field,
                              int field_count);
