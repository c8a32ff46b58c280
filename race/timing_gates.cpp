#include "race/timing_gates.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "base/data_file.h"
#include "base/ticks.h"
#include "platform/log.h"

const char* const START_GATE_MESH = "@startgate.jm";
const char* const START_GATE_TEXTURE = "@startgate.ppm";
const char* const START_GATE_SHAPE = "@startgate.shp";

enum { WORD_CHARS = 81, NAME_CHARS = 1024 };
static constexpr float PI_F = 3.14159265358979f;

void timing_gates_clear(TimingGates* g) {
    g->slots.clear();
    g->checkpoints.clear();
    g->first_lap.clear();
    g->normal_lap.clear();
    g->counted_first = 0;
    g->counted_normal = 0;
    g->is_valid = false;
}


static std::string first_word(const std::string& line) {
    char word[WORD_CHARS] = "";
    if (sscanf(line.c_str(), " %80s", word) != 1) return std::string();
    return word;
}

static bool read_word(DataStream* s, char word[WORD_CHARS]) {
    word[0] = 0;
    return data_scanf(s, " %80s ", word) == 1;
}

static float wrap_angle(float angle) {
    if (angle >= -PI_F && angle <= PI_F) return angle;
    float turns = (angle + PI_F) / (2 * PI_F);
    return (turns - floorf(turns)) * 2 * PI_F - PI_F;
}

// Slot lines up to "checkpoints:"; returns the word that ended the section
// ("checkpoints:", another line's first word, or empty at the end).
static std::string read_slots(TimingGates* g, DataStream* s, const gate_statue_ops* statues) {
    std::string line;
    static char names[3][NAME_CHARS];
    int ignored = 0;
    while (data_read_line(s, &line)) {
        std::string word = first_word(line);
        if (word == "checkpoints:") return word;
        float p[3], angle;
        names[0][0] = names[1][0] = names[2][0] = 0;
        int n = sscanf(line.c_str(), " [ %f %f %f ] %f %1023s %1023s %1023s", &p[0], &p[1], &p[2], &angle, names[0],
                       names[1], names[2]);
        if (n < 4 || !isfinite(p[0]) || !isfinite(p[1]) || !isfinite(p[2]) || !isfinite(angle)) return word;
        if ((int)g->slots.size() >= TIMING_MAX_SLOTS) {
            ignored++;
            continue;
        }
        StartSlot slot{};
        memcpy(slot.position, p, sizeof p);
        slot.angle = wrap_angle(angle);
        slot.mesh = n >= 5 ? names[0] : START_GATE_MESH;
        slot.texture = n >= 6 ? names[1] : START_GATE_TEXTURE;
        slot.shape = n >= 7 ? names[2] : START_GATE_SHAPE;
        slot.statue = -1;
        if (statues && statues->create) {
            const float ahead[3] = {p[0] - 3 * sinf(slot.angle), p[1], p[2] - 3 * cosf(slot.angle)};
            slot.statue = statues->create(statues->self, ahead, slot.angle, slot.mesh.c_str(), slot.texture.c_str(),
                                          slot.shape.c_str());
        }
        g->slots.push_back(slot);
    }
    if (ignored) log("timing_gates: %d starting gate slots past the %dth ignored\n", ignored, TIMING_MAX_SLOTS);
    return std::string();
}

static void read_checkpoints(TimingGates* g, DataStream* s) {
    int ignored = 0;
    for (;;) {
        Checkpoint c;
        float* a = c.centre;
        float* b = c.direction;
        if (data_scanf(s, "%f [ %f %f %f ] [ %f %f %f ] ", &c.radius, &a[0], &a[1], &a[2], &b[0], &b[1], &b[2]) != 7)
            break;
        bool finite = isfinite(c.radius);
        for (int i = 0; i < 3; i++) finite = finite && isfinite(a[i]) && isfinite(b[i]);
        if (!finite) break;
        if ((int)g->checkpoints.size() < TIMING_MAX_CHECKPOINTS) g->checkpoints.push_back(c);
        else ignored++;
    }
    if (ignored) log("timing_gates: %d checkpoints past the %dth ignored\n", ignored, TIMING_MAX_CHECKPOINTS);
}

// Integers up to the first that does not parse; gate numbers clamped to the
// checkpoints, the not-counted flag kept.
static void read_list(const TimingGates* g, DataStream* s, std::vector<int>* list, const char* name) {
    const int last = (int)g->checkpoints.size() - 1;
    int value, ignored = 0;
    while (data_scanf(s, "%d", &value) == 1) {
        if ((int)list->size() >= TIMING_MAX_LIST) {
            ignored++;
            continue;
        }
        int entry = 0;
        if (value >= 0 && last >= 0) {
            int gate = value % UNCOUNTED_GATE;
            if (gate > last) gate = last;
            entry = value < UNCOUNTED_GATE ? gate : gate + UNCOUNTED_GATE;
        }
        list->push_back(entry);
    }
    if (ignored) log("timing_gates: %d %s entries past the %dth ignored\n", ignored, name, TIMING_MAX_LIST);
}

static int counted(const std::vector<int>& list) {
    int n = 0;
    for (int e : list) n += e < UNCOUNTED_GATE;
    return n;
}

bool timing_gates_read(TimingGates* g, DataStream* s, const gate_statue_ops* statues, bool verbose) {
    timing_gates_clear(g);
    char word[WORD_CHARS];
    read_word(s, word);
    std::string current = word;
    if (current == "startinggate:") current = read_slots(g, s, statues);
    if (current == "checkpoints:") read_checkpoints(g, s);
    if (read_word(s, word) && strcmp(word, "firstlap:") == 0) {
        read_list(g, s, &g->first_lap, "first-lap");
        if (read_word(s, word) && strcmp(word, "normallap:") == 0) read_list(g, s, &g->normal_lap, "normal-lap");
    } else if (strcmp(word, "normallap:") == 0) {
        read_list(g, s, &g->normal_lap, "normal-lap");
    }
    g->counted_first = counted(g->first_lap);
    g->counted_normal = counted(g->normal_lap);
    g->is_valid = !g->checkpoints.empty() && g->first_lap.size() > 2 && g->normal_lap.size() > 2 &&
                  g->counted_first > 2 && g->counted_normal > 2;
    if (!g->is_valid) {
        g->checkpoints.clear();
        g->first_lap.clear();
        g->normal_lap.clear();
        g->counted_first = g->counted_normal = 0;
        return false;
    }
    if (verbose)
        log("Found %d timing gates, first lap has %d gates, normal lap has %d\n", (int)g->checkpoints.size(),
            (int)g->first_lap.size(), (int)g->normal_lap.size());
    return true;
}

static const char* name_or_null(const std::string& name) { return name.empty() ? "null" : name.c_str(); }

bool timing_gates_write(const TimingGates* g, DataStream* s) {
    if (!g->slots.empty()) {
        data_puts(s, "startinggate:\n");
        for (const StartSlot& slot : g->slots) {
            data_printf(s, "[%f %f %f]", slot.position[0], slot.position[1], slot.position[2]);
            data_printf(s, " %f", slot.angle);
            if (slot.mesh == START_GATE_MESH && slot.texture == START_GATE_TEXTURE && slot.shape == START_GATE_SHAPE)
                data_puts(s, "\n");
            else
                data_printf(s, " %s %s %s\n", name_or_null(slot.mesh), name_or_null(slot.texture),
                            name_or_null(slot.shape));
        }
    }
    if (!g->checkpoints.empty()) {
        data_puts(s, "checkpoints:\n");
        for (const Checkpoint& c : g->checkpoints) {
            data_printf(s, "%f ", c.radius);
            data_printf(s, "[%f %f %f]", c.centre[0], c.centre[1], c.centre[2]);
            data_puts(s, " ");
            data_printf(s, "[%f %f %f]", c.direction[0], c.direction[1], c.direction[2]);
            data_puts(s, "\n");
        }
    }
    const std::vector<int>* lists[2] = {&g->first_lap, &g->normal_lap};
    const char* headers[2] = {"firstlap:\n", "normallap:\n"};
    for (int l = 0; l < 2; l++) {
        if (lists[l]->empty()) continue;
        data_puts(s, headers[l]);
        for (int e : *lists[l]) data_printf(s, "%d ", e);
        data_puts(s, "\n");
    }
    return !data_error(s);
}

// ---- lap steps ----

int timing_step_entry(const TimingGates* g, int step) {
    const int e = (int)g->first_lap.size(), d = (int)g->normal_lap.size();
    if (step < 0 || e == 0) return 0;
    if (step < e) return g->first_lap[step];
    return d ? g->normal_lap[(step - e) % d] : 0;
}

int timing_step_gate(const TimingGates* g, int step) { return timing_step_entry(g, step) % UNCOUNTED_GATE; }

bool timing_step_is_finish(const TimingGates* g, int step) {
    const int e = (int)g->first_lap.size(), d = (int)g->normal_lap.size();
    return d > 0 && step - e + 1 >= 0 && (step - e + 1) % d == 0;
}

int timing_lap_end_steps(const TimingGates* g, int lap) {
    return (int)g->first_lap.size() + (int)g->normal_lap.size() * (lap - 1);
}

int timing_passage(const RiderTiming* t, int step) {
    if (step < 0 || step >= t->steps || step >= (int)t->passages.size()) return -1;
    return t->passages[step];
}

// A passage recorded at `step`, whether or not the step count has reached it
// (the crossing test looks at steps just ahead of a rider that went back).
static bool has_passage(const RiderTiming* t, int step) {
    return step >= 0 && step < (int)t->passages.size() && t->passages[step] != -1;
}

static bool is_past(const Checkpoint& c, float x, float z) {
    const float dx = x - c.centre[0], dz = z - c.centre[2];
    return dx * dx + dz * dz <= c.radius * c.radius && dx * c.direction[0] + dz * c.direction[2] >= 0;
}

timing_advance_result timing_advance(const TimingGates* g, RiderTiming* t, float x, float z, int tick,
                                     const timing_race_view* race) {
    timing_advance_result out = {-1, false, false, false};
    if (!g->is_valid || t->is_finished) return out;
    const int s = t->steps;
    const int candidates[5] = {s - 3, s - 2, s, s + 1, s + 2};
    bool is_open = false;  // an examined step had no valid passage
    int passed = -1;
    for (int a : candidates) {
        if (a < 0) continue;
        const bool is_valid = has_passage(t, a);
        if (!is_valid) is_open = true;
        const bool past = is_past(g->checkpoints[timing_step_gate(g, a)], x, z);
        if (!past) {
            if (timing_step_is_finish(g, a) && !is_valid) return out;  // a finish line cannot be skipped
            continue;
        }
        if (a >= s || is_open) {
            passed = a;
            break;
        }
        is_open = false;
    }
    if (passed < 0) return out;

    if ((int)t->passages.size() <= passed) t->passages.resize(passed + 1, -1);
    t->passages[passed] = tick;
    t->steps = passed + 1;
    out.passed_step = passed;
    out.is_counted = timing_step_entry(g, passed) < UNCOUNTED_GATE;

    const int e = (int)g->first_lap.size(), d = (int)g->normal_lap.size();
    if (t->steps - e >= 0 && (t->steps - e) % d == 0) {
        out.is_lap_complete = true;
        const int laps = (t->steps - e) / d + 1;
        const int target = race ? race->target_laps : 0;
        const bool leader_done = race && race->leader_steps > e + d * (target - 1) - 1;
        if (race && (laps >= target || leader_done)) {
            t->is_finished = true;
            out.is_now_finished = true;
        }
    }
    return out;
}

void timing_set_steps(RiderTiming* t, int steps) {
    if (steps < 0) steps = 0;
    if (steps < t->steps) t->is_finished = false;
    t->steps = steps;
    if ((int)t->passages.size() > steps) t->passages.resize(steps);
}

void timing_clear(RiderTiming* t) {
    t->steps = 0;
    t->passages.clear();
    t->is_finished = false;
}

int timing_laps_completed(const TimingGates* g, int steps) {
    const int e = (int)g->first_lap.size(), d = (int)g->normal_lap.size();
    if (steps < e || d == 0) return 0;
    return (steps - e) / d + 1;
}

int timing_position_in_lap(const TimingGates* g, int steps) {
    const int e = (int)g->first_lap.size(), d = (int)g->normal_lap.size();
    if (steps < e || d == 0) return steps;
    return (steps - e) % d + 1;
}

int timing_lap_ticks(const TimingGates* g, const RiderTiming* t, int lap, int drop_tick) {
    const int completed = timing_laps_completed(g, t->steps);
    if (lap < 1) lap = completed;
    if (lap < 1 || lap > completed) return 0;
    const int start = lap == 1 ? drop_tick : timing_passage(t, timing_lap_end_steps(g, lap - 1) - 1);
    const int end = timing_passage(t, timing_lap_end_steps(g, lap) - 1);
    if (start < 0 || end < 0) return 0;
    return end - start;
}

// The rider's time from step `from` (-1: tick 0) to step `to` when it passed
// both and skipped nothing between; false otherwise.
static bool clean_segment(const RiderTiming* r, int from, int to, double* ticks) {
    if (to >= r->steps || from >= to) return false;
    for (int k = (from < 0 ? 0 : from); k <= to; k++)
        if (timing_passage(r, k) < 0) return false;
    const int start = from < 0 ? 0 : timing_passage(r, from);
    *ticks = timing_passage(r, to) - start;
    return true;
}

// A rider's time over the segment from step g to step j (i steps skipped
// between them by the rider being judged); false when it has none.
static bool segment_time(const TimingGates* gates, const RiderTiming* r, int g, int j, double* ticks) {
    const int e = (int)gates->first_lap.size(), d = (int)gates->normal_lap.size();
    if (g < e) return clean_segment(r, g, j, ticks);
    // Later laps repeat: the mean over every lap the rider drove the segment cleanly.
    const int length = j - g;
    double sum = 0;
    int count = 0;
    for (int from = e + (g - e) % d; from + length < r->steps; from += d) {
        double one;
        if (clean_segment(r, from, from + length, &one)) {
            sum += one;
            count++;
        }
    }
    if (!count) return false;
    *ticks = sum / count;
    return true;
}

double timing_cutting_penalty(const TimingGates* g, const RiderTiming* t, const RiderTiming* const* field,
                              int field_count) {
    double penalty = 0;
    int last_tick = 0, skipped = 0;
    for (int j = 0; j < t->steps; j++) {
        const int tick = timing_passage(t, j);
        if (tick < 0) {
            skipped++;
            continue;
        }
        if (skipped > 0) {
            const int from = j - skipped - 1;
            double sum = 0;
            int count = 0;
            for (int i = 0; i < field_count; i++) {
                double ticks;
                if (field[i] && segment_time(g, field[i], from, j, &ticks)) {
                    sum += ticks;
                    count++;
                }
            }
            double reference = count ? sum / count : 60.0 * TICKS_PER_SECOND;
            reference += TICKS_PER_SECOND;
            const double own = tick - last_tick;
            if (own < reference) penalty += reference - own;
            skipped = 0;
        }
        last_tick = tick;
    }
    return penalty;
}
