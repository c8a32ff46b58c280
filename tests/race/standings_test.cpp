#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/data_index.h"
#include "race/race.h"
#include "support/temp_dir.h"

namespace {

// Four gates along +x (x = 10, 20, 30, 40), the same four every lap: a lap
// is four steps and its finish line is the gate at x = 40.
TimingGates line_gates() {
    TimingGates g;
    timing_gates_clear(&g);
    for (int i = 0; i < 4; i++) g.checkpoints.push_back(Checkpoint{5, {10.0f * (i + 1), 0, 0}, {1, 0, 0}});
    g.first_lap = {0, 1, 2, 3};
    g.normal_lap = {0, 1, 2, 3};
    g.counted_first = g.counted_normal = 4;
    g.is_valid = true;
    return g;
}

struct RaceFixture {
    TimingGates gates = line_gates();
    Race race;
    RaceFixture(int laps, int minutes = 0) {
        race_init(&race);
        race.gates = &gates;
        race.laps = laps;
        race.race_ticks = minutes * 60 * 128;
        race.target_laps = race.race_ticks > 0 ? RACE_NO_LIMIT : laps;
        race.halfway_lap = race.race_ticks > 0 ? RACE_NO_LIMIT : (laps + 1) / 2;
        race.gate_drop_tick = 0;
        race.track = "backyard";
    }
    void add(int slot, const char* number, const char* bike = "crf250(2008)") {
        race.entrant[slot].is_present = true;
        race.entrant[slot].kind = KIND_ROBOT;
        race.entrant[slot].number = number;
        race.entrant[slot].bike = bike;
    }
    // The rider of `slot` rides through the next gate of its lap at `tick`.
    void pass(int slot, int tick) {
        race.now = tick;
        const int gate = timing_step_gate(&gates, race.entrant[slot].timing.steps);
        race_advance_timing(&race, slot, gates.checkpoints[gate].centre[0], 0);
    }
    // `laps` laps, each gate `every` ticks after the last.
    void ride(int slot, int laps, int* tick, int every) {
        for (int n = 0; n < 4 * laps; n++) pass(slot, *tick += every);
    }
    int laps_of(int slot) { return timing_laps_completed(&gates, race.entrant[slot].timing.steps); }
};

}  // namespace

TEST(RaceFinish, ThreeLapsEndForTheLeaderThenAtEveryNextFinishLine) {
    RaceFixture f(3);
    f.add(0, "1");
    f.add(1, "2");
    int fast = 0, slow = 0;
    f.ride(0, 2, &fast, 100);
    f.ride(1, 1, &slow, 150);
    f.ride(0, 1, &fast, 100);  // the leader completes lap 3 at tick 1200
    EXPECT_TRUE(race_is_finished(&f.race, 0));
    EXPECT_FALSE(race_is_finished(&f.race, 1));
    EXPECT_FALSE(f.race.is_results_final);
    f.ride(1, 1, &slow, 150);  // lap 2 done at tick 1200: its next finish line
    EXPECT_TRUE(race_is_finished(&f.race, 1));
    EXPECT_EQ(f.laps_of(1), 2);
    EXPECT_TRUE(f.race.is_results_final);
    ASSERT_EQ(f.race.results.size(), 2u);
    EXPECT_EQ(f.race.results[0].slot, 0);
}

TEST(RaceFinish, TimedRacesEndOnTheLapUnderWayPlusTheLaps) {
    struct { const char* name; int laps; int want_laps; } cases[] = {
        {"10 minutes + 2 laps", 2, 8},
        {"10 minutes + 0 laps", 0, 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RaceFixture f(c.laps, 10);
        f.add(0, "7");
        // Laps of 118 s: lap 5 ends at 9:50, lap 6 at 11:48.
        int tick = 0;
        for (int lap = 1; lap <= 12 && !race_is_finished(&f.race, 0); lap++) {
            f.ride(0, 1, &tick, 118 * 128 / 4);
            f.race.now = tick;
            race_update_standings(&f.race);  // the periodic update
        }
        EXPECT_EQ(f.race.target_laps, c.want_laps);
        EXPECT_TRUE(race_is_finished(&f.race, 0));
        EXPECT_EQ(f.laps_of(0), c.want_laps);
        EXPECT_TRUE(f.race.is_results_final);
    }
    RaceFixture f(2, 10);
    EXPECT_EQ(race_length_text(&f.race), "10 minutes + 2 laps");
    f.race.laps = 0;
    EXPECT_EQ(race_length_text(&f.race), "10 minutes");
    f.race.race_ticks = 0;
    f.race.laps = 5;
    EXPECT_EQ(race_length_text(&f.race), "5 laps");
}

TEST(RaceStandings, TiesGoToTheFirstPasserThenTheSlot) {
    RaceFixture f(5);
    for (int slot : {4, 2, 9}) f.add(slot, "x");
    f.pass(9, 100);
    f.pass(2, 90);
    f.pass(4, 90);
    race_update_standings(&f.race);
    ASSERT_EQ(f.race.standings.size(), 3u);
    EXPECT_EQ(f.race.standings[0].slot, 2);
    EXPECT_EQ(f.race.standings[1].slot, 4);
    EXPECT_EQ(f.race.standings[2].slot, 9);
    EXPECT_DOUBLE_EQ(race_gap(&f.race, f.race.standings, 2), 10.0 / 128);
    EXPECT_DOUBLE_EQ(race_gap(&f.race, f.race.standings, 0), 0);
}

TEST(RaceResults, CuttingCostsALapThenTimeAndTheScreenSaysSo) {
    RaceFixture f(3);
    f.add(0, "11");
    f.add(1, "22");
    // In tick order: the clean rider takes a gate every 100 ticks; the cutter
    // rides gate 0, goes straight on to gate 2, then takes a gate every 50.
    struct Event { int tick, slot; float x; };  // x < 0: the rider's next gate
    std::vector<Event> events = {{50, 1, 10}, {51, 1, 30}};
    for (int k = 0; k < 12; k++) events.push_back({100 * (k + 1), 0, -1});
    for (int n = 1; n <= 9; n++) events.push_back({51 + 50 * n, 1, -1});
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
    for (const Event& e : events) {
        f.race.now = e.tick;
        const float x = e.x >= 0 ? e.x : f.gates.checkpoints[timing_step_gate(&f.gates, f.race.entrant[e.slot].timing.steps)].centre[0];
        race_advance_timing(&f.race, e.slot, x, 0);
    }
    ASSERT_EQ(timing_passage(&f.race.entrant[1].timing, 1), -1);
    ASSERT_TRUE(race_is_finished(&f.race, 0));
    ASSERT_TRUE(race_is_finished(&f.race, 1));
    ASSERT_TRUE(f.race.is_results_final);
    // The cutter crossed the line first, three laps in 501 ticks. Reference
    // for steps 0..2: the clean rider's 200 ticks + 1 s; the cutter took 1.
    const double penalty = 200 + 128 - 1;
    ASSERT_EQ(f.race.results.size(), 2u);
    const StandingsEntry& cutter = f.race.results[f.race.results[0].slot == 1 ? 0 : 1];
    ASSERT_EQ(cutter.slot, 1);
    EXPECT_EQ(cutter.laps_taken, 1);  // one best lap of 200 ticks < penalty < two
    EXPECT_EQ(cutter.steps, 12 - 4);
    EXPECT_DOUBLE_EQ(cutter.penalty, penalty - 200);
    EXPECT_DOUBLE_EQ(cutter.tick, 501 + penalty - 200);
    const ResultsScreen screen = race_results_screen(&f.race);
    EXPECT_EQ(screen.title, "Final Results");
    ASSERT_EQ(screen.penalties.size(), 1u);
    EXPECT_EQ(screen.penalties[0], " 22 penalized 1 lap 0.99 seconds for cutting track");
}

TEST(RaceResults, OneLapHasNoBestLap) {
    RaceFixture f(1);
    f.add(3, "5");
    int tick = 0;
    f.ride(3, 1, &tick, 128);
    ASSERT_TRUE(f.race.is_results_final);
    const ResultsScreen screen = race_results_screen(&f.race);
    ASSERT_EQ(screen.rows.size(), 1u);
    EXPECT_EQ(screen.rows[0], (std::vector<std::string>{"1", "  5", "L1", "  0.000", "0:00.000", "(0)"}));
    EXPECT_EQ(screen.total, "Total Race Time: 0:04.000");
}

TEST(RaceResults, ResultsFileTextAndSafeWrite) {
    RaceFixture f(2);
    f.race.gate_drop_tick = 64;
    f.add(0, "12", "yz250f(2008)");
    f.add(1, "3");
    int a = 64, b = 64;
    f.ride(0, 2, &a, 130);
    f.pass(1, b += 140);
    f.pass(1, b += 140);
    f.race.now = b + 1;
    race_advance_timing(&f.race, 1, 40, 0);  // skips gate 2: recorded as -1
    f.ride(1, 1, &b, 140);
    ASSERT_TRUE(f.race.is_results_final);
    const std::string text = race_results_text(&f.race, 1700000000);
    const std::string want =
        "Time=0.00|Laps=2|Track=backyard|Date=1700000000\r\n"
        " No. |         Bike | Laps | Total Time | BLap |  Best Time\r\n"
        "  12 | yz250f(2008) |    2 |   0:08.125 |    2 |   0:04.062\r\n";
    EXPECT_EQ(text.substr(0, want.size()), want) << text;
    EXPECT_NE(text.find("\r\n8\r\n   1.016    2.031    3.047    4.062\r\n   5.078    6.094    7.109    8.125\r\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("      -1"), std::string::npos) << text;

    // Written through a temporary file into the home folder; an unwritable
    // home leaves the results final all the same.
    TempDir home;
    setenv("XDG_DATA_HOME", home.path.c_str(), 1);
    setenv("RW_HOME", home.path.c_str(), 1);
    data_files_shutdown();
    EXPECT_TRUE(race_write_results(&f.race));
    EXPECT_EQ(home.read("Rutwise/results.txt").substr(0, 20), "Time=0.00|Laps=2|Tra");
    setenv("XDG_DATA_HOME", "/proc/no-such-home", 1);
    data_files_shutdown();
    EXPECT_FALSE(race_write_results(&f.race));
    unsetenv("XDG_DATA_HOME");
    unsetenv("RW_HOME");
    data_files_shutdown();
}
