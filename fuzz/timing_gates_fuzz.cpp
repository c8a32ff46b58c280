// A track's "timing_gates" file: whatever it holds, the gates are either
// valid (every lap step names a checkpoint) or time no laps at all, the
// writer's output reads back the same, and riding through the checkpoints
// never reaches past the lists.
#include <math.h>

#include "base/data_file.h"
#include "fuzz_support.h"
#include "race/timing_gates.h"

namespace {

int count_statue(void* self, const float p[3], float angle, const char*, const char*, const char*) {
    fuzz_check(isfinite(p[0]) && isfinite(p[1]) && isfinite(p[2]) && isfinite(angle), "a gate statue off the map");
    return (*(int*)self)++;
}

bool read_file(const std::string& path, TimingGates* g, const gate_statue_ops* ops) {
    DataStream* s = open_data_file(path.c_str(), "rb");
    if (!s) return false;
    timing_gates_read(g, s, ops, true);
    close_data_file(s);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz_home() + "/timing_gates";
    if (!fuzz_write_file(path, data, size)) return 0;
    int statues = 0;
    const gate_statue_ops ops = {count_statue, &statues};
    TimingGates g;
    if (!read_file(path, &g, &ops)) return 0;
    fuzz_check((int)g.slots.size() == statues && g.slots.size() <= TIMING_MAX_SLOTS, "slots without their gates");
    fuzz_check(g.checkpoints.size() <= TIMING_MAX_CHECKPOINTS && g.first_lap.size() <= TIMING_MAX_LIST &&
                   g.normal_lap.size() <= TIMING_MAX_LIST,
               "a list past its limit");
    for (const StartSlot& slot : g.slots) fuzz_check(slot.angle >= -3.1416f && slot.angle <= 3.1416f, "an unwrapped angle");
    if (!g.is_valid) {
        fuzz_check(g.checkpoints.empty() && g.first_lap.empty() && g.normal_lap.empty(), "invalid gates still timed");
        return 0;
    }
    for (int step = 0; step < 600; step++) {
        const int gate = timing_step_gate(&g, step);
        fuzz_check(gate >= 0 && gate < (int)g.checkpoints.size(), "a lap step past the checkpoints");
    }
    // Ride through every checkpoint in turn.
    RiderTiming t{};
    const timing_race_view race = {3, 0};
    for (int tick = 0; tick < 2 * (int)g.checkpoints.size() + 8; tick++) {
        const Checkpoint& c = g.checkpoints[tick % g.checkpoints.size()];
        timing_advance(&g, &t, c.centre[0], c.centre[2], tick, &race);
        fuzz_check(t.steps >= 0 && t.steps <= (int)t.passages.size(), "a step count past its passages");
    }
    const RiderTiming* field[] = {&t};
    fuzz_check(timing_cutting_penalty(&g, &t, field, 1) >= 0, "a negative penalty");
    // Written and read again: the same lists.
    const std::string again = fuzz_home() + "/timing_gates.written";
    DataStream* out = open_data_file(again.c_str(), "wb");
    if (!out) return 0;
    const bool written = timing_gates_write(&g, out);
    close_data_file(out);
    if (!written) return 0;
    TimingGates back;
    if (!read_file(again, &back, nullptr)) return 0;
    fuzz_check(back.is_valid && back.first_lap == g.first_lap && back.normal_lap == g.normal_lap &&
                   back.checkpoints.size() == g.checkpoints.size(),
               "the written gates read back differently");
    return 0;
}
