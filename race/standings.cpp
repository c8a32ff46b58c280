// Standings, the end of a race, the official results and what shows them.
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <time.h>

#include <algorithm>

#include "base/data_file.h"
#include "base/ticks.h"
#include "platform/log.h"
#include "race/race.h"
#include "race/race_scene.h"

void race_init(Race* race) {
    *race = Race{};
    race->target_laps = 0;
    race->halfway_lap = 0;
    race->leader_last_tick = -1;
    race->local_slot = NO_LOCAL_RIDER;
}

void race_free(Race* race) { race_scene_detach(race); }

static std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
static std::string format(const char* pattern, ...) {
    char text[1024];
    va_list args;
    va_start(args, pattern);
    vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

static int first_lap_steps(const Race* race) { return (int)race->gates->first_lap.size(); }
static int normal_lap_steps(const Race* race) { return (int)race->gates->normal_lap.size(); }

// The last step of the race: the finish line of lap T.
static long long last_step(const Race* race) {
    return first_lap_steps(race) + (long long)normal_lap_steps(race) * (race->target_laps - 1) - 1;
}

static bool by_order(const StandingsEntry& a, const StandingsEntry& b) {
    if (a.steps != b.steps) return a.steps > b.steps;
    if (a.tick != b.tick) return a.tick < b.tick;
    return a.slot < b.slot;
}

static void collect_live(Race* race) {
    race->standings.clear();
    for (int k = 0; k < RIDER_SLOTS; k++) {
        const RaceEntrant& e = race->entrant[k];
        if (!e.is_present) continue;
        const int last = timing_passage(&e.timing, e.timing.steps - 1);
        race->standings.push_back(StandingsEntry{k, e.timing.steps, (double)(last < 0 ? 0 : last), 0, 0});
    }
    std::sort(race->standings.begin(), race->standings.end(), by_order);
}

// The earliest passage of step `step` over every rider; -1 when nobody passed it.
static int earliest_passage(const Race* race, long long step) {
    int best = -1;
    for (const StandingsEntry& s : race->standings) {
        const int t = step < (long long)s.steps ? timing_passage(&race->entrant[s.slot].timing, (int)step) : -1;
        if (t >= 0 && (best < 0 || t < best)) best = t;
    }
    return best;
}

// When the time runs out the race goes on until the leader completes the lap
// under way, then for the configured number of further laps.
static void timed_race_rules(Race* race) {
    if (race->race_ticks <= 0 || race->standings.empty() || !race->gates->is_valid) return;
    const int e = first_lap_steps(race), d = normal_lap_steps(race);
    const int leader_steps = race->standings[0].steps;
    if (race->halfway_lap == RACE_NO_LIMIT && race->now >= race->gate_drop_tick + race->race_ticks / 2)
        race->halfway_lap = leader_steps < e ? 1 : (leader_steps - e) / d + 2;
    const int end = race->gate_drop_tick + race->race_ticks;
    if (race->now < end) return;
    int w = timing_laps_completed(race->gates, leader_steps);
    w = std::clamp(w, 1, std::max(race->target_laps, 1));
    for (; w < RACE_NO_LIMIT; w++) {
        const int passed = earliest_passage(race, e + (long long)d * (w - 1) - 1);
        if (passed < 0) return;
        if (passed >= end) {
            race->target_laps = std::min(race->target_laps, race->laps + w);
            return;
        }
        race->target_laps = std::max(race->target_laps, race->laps + w + 1);
    }
}

// Once the leader has passed the last step, everybody whose last finish
// line came at or after that moment has finished too.
static void finish_after_leader(Race* race) {
    if (race->standings.empty() || !race->gates->is_valid) return;
    const long long last = last_step(race);
    const StandingsEntry& leader = race->standings[0];
    if ((long long)leader.steps <= last) return;
    const int c = timing_passage(&race->entrant[leader.slot].timing, (int)last);
    if (c < 0) return;
    race->leader_last_tick = c;
    for (const StandingsEntry& s : race->standings) {
        RiderTiming& t = race->entrant[s.slot].timing;
        if (t.is_finished) continue;
        for (int step = t.steps - 1; step >= 0; step--) {
            if (!timing_step_is_finish(race->gates, step)) continue;
            const int tick = timing_passage(&t, step);
            if (tick < 0) continue;
            if (tick >= c) t.is_finished = true;
            break;
        }
    }
}

void race_advance_timing(Race* race, int slot, float x, float z) {
    if (!race->gates || slot < 0 || slot >= RIDER_SLOTS) return;
    const int leader = race->standings.empty() ? 0 : race->standings[0].steps;
    const timing_race_view view = {race->target_laps, leader};
    const timing_advance_result r = timing_advance(race->gates, &race->entrant[slot].timing, x, z, race->now, &view);
    // SEAM (robot riders): a counted passage opens the rider's next line section.
    if (r.is_lap_complete) race_update_standings(race);
}

bool race_is_finished(const Race* race, int slot) {
    return slot >= 0 && slot < RIDER_SLOTS && race->entrant[slot].timing.is_finished;
}

static bool waits_for(const Race* race, int slot) {
    const RaceEntrant& e = race->entrant[slot];
    if (e.timing.is_finished) return false;
    if (!race->is_online && e.kind == KIND_OTHER && race->hooks.is_stale &&
        race->hooks.is_stale(race->hooks.self, slot))
        return false;
    return true;
}

void race_best_lap(const Race* race, int slot, int* lap, int* ticks) {
    *lap = 0;
    *ticks = 0;
    if (!race->gates || slot < 0 || slot >= RIDER_SLOTS) return;
    const RiderTiming& t = race->entrant[slot].timing;
    const int laps = timing_laps_completed(race->gates, t.steps);
    for (int k = 2; k <= laps; k++) {
        const int time = timing_lap_ticks(race->gates, &t, k, race->gate_drop_tick);
        if (time > 0 && (*ticks == 0 || time < *ticks)) {
            *ticks = time;
            *lap = k;
        }
    }
}

static void official_results(Race* race) {
    for (const StandingsEntry& s : race->standings)
        if (waits_for(race, s.slot)) return;
    std::vector<const RiderTiming*> field;
    for (const StandingsEntry& s : race->standings) field.push_back(&race->entrant[s.slot].timing);
    race->results.clear();
    const int e = first_lap_steps(race), d = normal_lap_steps(race);
    for (const StandingsEntry& s : race->standings) {
        StandingsEntry r = s;
        const RiderTiming& t = race->entrant[s.slot].timing;
        double p = race->gates->is_valid ? timing_cutting_penalty(race->gates, &t, field.data(), (int)field.size()) : 0;
        r.penalty = p;
        int lap, best;
        race_best_lap(race, s.slot, &lap, &best);
        // A penalty of more than a best lap costs whole laps first.
        while (best > 0 && p > best && r.steps > e && d > 0) {
            r.steps -= d;
            p -= best;
            r.laps_taken++;
        }
        r.penalty = p;
        r.tick += p;
        race->results.push_back(r);
    }
    std::sort(race->results.begin(), race->results.end(), by_order);
    if (race->results.empty() || !race_is_finished(race, race->results[0].slot)) return;
    race_write_results(race);
    // SEAM (points series): the event is recorded here.
    race->is_results_final = true;
}

void race_update_standings(Race* race) {
    if (!race->gates) return;
    collect_live(race);
    timed_race_rules(race);
    finish_after_leader(race);
    if (!race->is_results_final) official_results(race);
}

double race_gap(const Race* race, const std::vector<StandingsEntry>& rows, int row) {
    if (row < 0 || row >= (int)rows.size() || rows.size() < 2) return 0;
    const StandingsEntry& a = rows[row];
    const StandingsEntry& b = rows[row == 0 ? 1 : row - 1];
    double ticks;
    if (a.steps == b.steps) {
        ticks = a.tick - b.tick;
    } else {
        const int step = std::min(a.steps, b.steps) - 1;
        const int ta = timing_passage(&race->entrant[a.slot].timing, step);
        const int tb = timing_passage(&race->entrant[b.slot].timing, step);
        if (ta < 0 || tb < 0) return 0;
        ticks = ta - tb;
    }
    return ticks > 0 ? ticks * TICK : 0;
}

std::string race_length_text(const Race* race) {
    if (race->race_ticks <= 0) return format("%d laps", race->laps);
    const int minutes = (int)(race->race_ticks * TICK / 60 + 0.5);
    if (race->laps <= 0) return format("%d minutes", minutes);
    return format("%d minutes + %d laps", minutes, race->laps);
}

// "m:ss.ttt" pieces of t seconds, the thousandths truncated.
static void split_time(double seconds, int* minutes, int* secs, int* thousandths) {
    const long long ms = (long long)(seconds * 1000);
    *minutes = (int)(ms / 60000);
    *secs = (int)(ms / 1000 - 60LL * *minutes);
    *thousandths = (int)(ms % 1000);
}

std::string race_results_text(const Race* race, long long date) {
    std::string out = format("Time=%.2f|Laps=%d|Track=%s|Date=%lld\r\n", race->race_ticks * TICK, race->laps,
                             race->track.c_str(), date);
    out += format("%4s | %12s | %4s | %10s | %4s | %10s\r\n", "No.", "Bike", "Laps", "Total Time", "BLap", "Best Time");
    int m, s, t;
    for (const StandingsEntry& r : race->results) {
        if (!race_is_finished(race, r.slot)) continue;
        const RaceEntrant& e = race->entrant[r.slot];
        split_time((r.tick - race->gate_drop_tick) * TICK, &m, &s, &t);
        out += format("%4s | %12s | %4d | %3d:%02d.%03d | ", e.number.c_str(), e.bike.c_str(),
                      timing_laps_completed(race->gates, r.steps), m, s, t);
        int lap, best;
        race_best_lap(race, r.slot, &lap, &best);
        split_time(best * TICK, &m, &s, &t);
        out += format("%4d | %3d:%02d.%03d\r\n", lap, m, s, t);
    }
    const int e = first_lap_steps(race), d = normal_lap_steps(race);
    for (const StandingsEntry& r : race->results) {
        if (!race_is_finished(race, r.slot)) continue;
        const RiderTiming& timing = race->entrant[r.slot].timing;
        out += "\r\n";
        out += format("%d\r\n", timing.steps);
        for (int step = 0; step < timing.steps; step++) {
            const int tick = timing_passage(&timing, step);
            out += tick < 0 ? format("%8d", -1) : format("%8.3f", (tick - race->gate_drop_tick) * TICK);
            const bool lap_end = step == e - 1 || (step >= e && d > 0 && (step - e + 1) % d == 0);
            out += lap_end || step == timing.steps - 1 ? "\r\n" : " ";
        }
    }
    return out;
}

static bool write_text(DataStream* s, void* self) {
    const std::string* text = (const std::string*)self;
    return data_write(s, text->data(), (int)text->size()) == (int)text->size();
}

bool race_write_results(const Race* race) {
    std::string text = race_results_text(race, (long long)time(nullptr));
    if (write_data_file_safely("@results.txt", write_text, &text)) return true;
    log("Can't write the race results to results.txt\n");
    return false;
}

ResultsScreen race_results_screen(const Race* race) {
    ResultsScreen screen;
    screen.title = race->is_results_final ? "Final Results" : "Unofficial Results";
    static const char* const HEADINGS[RESULTS_COLUMNS] = {"Pos.", "No.", "Lap", "Gap", "Best Time", "BLap"};
    for (int c = 0; c < RESULTS_COLUMNS; c++) screen.headings[c] = HEADINGS[c];
    std::vector<StandingsEntry> rows;
    if (race->is_results_final) {
        rows = race->results;
    } else {
        for (const StandingsEntry& s : race->standings)
            if (race_is_finished(race, s.slot)) rows.push_back(s);
    }
    int m, s, t;
    for (int i = 0; i < (int)rows.size(); i++) {
        const StandingsEntry& r = rows[i];
        int lap, best;
        race_best_lap(race, r.slot, &lap, &best);
        split_time(best * TICK, &m, &s, &t);
        screen.rows.push_back({format("%d", i + 1), format("%3s", race->entrant[r.slot].number.c_str()),
                               format("L%d", race->gates ? timing_laps_completed(race->gates, r.steps) : 0),
                               format("%7.3f", race_gap(race, rows, i)), format("%d:%02d.%03d", m, s, t),
                               format("(%d)", lap)});
        screen.row_slots.push_back(r.slot);
    }
    if (!race->is_results_final || rows.empty()) return screen;
    split_time((rows[0].tick - race->gate_drop_tick) * TICK, &m, &s, &t);
    screen.total = format("Total Race Time: %d:%02d.%03d", m, s, t);
    for (const StandingsEntry& r : rows) {
        if (!(r.penalty > 0) && r.laps_taken == 0) continue;
        std::string line = format("%3s penalized ", race->entrant[r.slot].number.c_str());
        if (r.laps_taken > 0) line += format("%d %s ", r.laps_taken, r.laps_taken == 1 ? "lap" : "laps");
        line += format("%.2f seconds for cutting track", r.penalty * TICK);
        screen.penalties.push_back(line);
    }
    return screen;
}
