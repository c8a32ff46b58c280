#include "race/timing_gates.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "base/data_file.h"
#include "support/temp_dir.h"

namespace {

// Reads `text` as a "timing_gates" file through the data layer.
struct GatesFile {
    TempDir dir;
    bool read(TimingGates* g, const std::string& text, const gate_statue_ops* ops = nullptr) {
        dir.write("timing_gates", text);
        DataStream* s = open_data_file((dir.path + "/timing_gates").c_str(), "rb");
        if (!s) return false;
        bool ok = timing_gates_read(g, s, ops, false);
        close_data_file(s);
        return ok;
    }
    std::string write(const TimingGates& g) {
        DataStream* s = open_data_file((dir.path + "/written").c_str(), "wb");
        EXPECT_TRUE(s && timing_gates_write(&g, s));
        close_data_file(s);
        return dir.read("written");
    }
};

struct MadeStatue {
    float position[3];
    float angle;
    std::string mesh, texture, shape;
};

int record_statue(void* self, const float p[3], float angle, const char* mesh, const char* texture,
                  const char* shape) {
    auto* made = (std::vector<MadeStatue>*)self;
    made->push_back(MadeStatue{{p[0], p[1], p[2]}, angle, mesh, texture, shape});
    return (int)made->size() - 1;
}

// Four gates on a straight line along +x at x = 10, 20, 30, 40 (radius 5),
// the same four for the first lap and every later lap.
const char* const LINE_GATES =
    "checkpoints:\n"
    "5 [10 0 0] [1 0 0]\n5 [20 0 0] [1 0 0]\n5 [30 0 0] [1 0 0]\n5 [40 0 0] [1 0 0]\n"
    "firstlap:\n0 1 2 3\nnormallap:\n0 1 2 3\n";

float gate_x(int gate) { return 10.0f * (gate + 1); }

}  // namespace

TEST(TimingGatesRead, SlotsNamesAnglesAndGateStatues) {
    GatesFile f;
    TimingGates g;
    std::vector<MadeStatue> made;
    const gate_statue_ops ops = {record_statue, &made};
    ASSERT_TRUE(f.read(&g,
                       "startinggate:\n"
                       "[100 5 200] 0\n"
                       "[110 5 200] 0.5 @gate.jm\n"
                       "[120 5 200] 7 @gate.jm @gate.png\n"
                       "[130 5 200] -1 @gate.jm @gate.png @gate.shp\n" +
                           std::string(LINE_GATES),
                       &ops));
    ASSERT_EQ(g.slots.size(), 4u);
    ASSERT_EQ(made.size(), 4u);
    struct { const char* mesh; const char* texture; const char* shape; } want[] = {
        {"@startgate.jm", "@startgate.ppm", "@startgate.shp"},
        {"@gate.jm", "@startgate.ppm", "@startgate.shp"},
        {"@gate.jm", "@gate.png", "@startgate.shp"},
        {"@gate.jm", "@gate.png", "@gate.shp"},
    };
    for (int i = 0; i < 4; i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(g.slots[i].mesh, want[i].mesh);
        EXPECT_EQ(g.slots[i].texture, want[i].texture);
        EXPECT_EQ(g.slots[i].shape, want[i].shape);
        EXPECT_EQ(made[i].shape, want[i].shape);
        EXPECT_EQ(g.slots[i].statue, i);
        // The gate stands 3 ft ahead of the slot, along the slot's heading.
        const float a = g.slots[i].angle;
        EXPECT_NEAR(made[i].position[0], g.slots[i].position[0] - 3 * sinf(a), 1e-4f);
        EXPECT_NEAR(made[i].position[2], g.slots[i].position[2] - 3 * cosf(a), 1e-4f);
        EXPECT_EQ(made[i].angle, a);
    }
    // 7 rad lies outside -pi..pi and wraps to 7 - 2 pi.
    EXPECT_NEAR(g.slots[2].angle, 7 - 2 * M_PI, 1e-5);
    EXPECT_EQ(g.slots[3].angle, -1.0f);
}

TEST(TimingGatesRead, ListsValidityAndDamagedLines) {
    struct {
        const char* name;
        std::string text;
        bool valid;
        std::vector<int> first;  // expected first-lap entries when valid
        int slots;
    } cases[] = {
        {"plain", LINE_GATES, true, {0, 1, 2, 3}, 0},
        {"negative gates become 0, too high ones the last, flags stay",
         "checkpoints:\n5 [10 0 0] [1 0 0]\n5 [20 0 0] [1 0 0]\n5 [30 0 0] [1 0 0]\n"
         "firstlap:\n-4 1 9 100001 100009 2\nnormallap:\n0 1 2\n",
         true, {0, 1, 2, 100001, 100002, 2}, 0},
        {"two normal-lap entries time no laps",
         "checkpoints:\n5 [10 0 0] [1 0 0]\nfirstlap:\n0 0 0\nnormallap:\n0 0\n", false, {}, 0},
        {"three entries but only two counted",
         "checkpoints:\n5 [10 0 0] [1 0 0]\nfirstlap:\n0 0 0\nnormallap:\n0 0 100000\n", false, {}, 0},
        {"no checkpoints", "firstlap:\n0 1 2\nnormallap:\n0 1 2\n", false, {}, 0},
        {"a non-finite checkpoint is dropped and ends the checkpoints (gate 1 is clamped to gate 0)",
         "checkpoints:\n5 [10 0 0] [1 0 0]\nnan [20 0 0] [1 0 0]\n"
         "firstlap:\n0 1 1\nnormallap:\n0 0 0\n",
         true, {0, 0, 0}, 0},
        {"a damaged slot line ends the slots and with them the file",
         "startinggate:\n[1 2 3] 0\n[1 2 inf] 0\n[4 5 6] 0\n" + std::string(LINE_GATES), false, {}, 1},
        {"empty file", "", false, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GatesFile f;
        TimingGates g;
        EXPECT_EQ(f.read(&g, c.text), c.valid);
        EXPECT_EQ(g.is_valid, c.valid);
        EXPECT_EQ((int)g.slots.size(), c.slots);
        if (c.valid) {
            EXPECT_EQ(g.first_lap, c.first);
        } else {
            EXPECT_TRUE(g.checkpoints.empty());
            EXPECT_TRUE(g.first_lap.empty());
            EXPECT_TRUE(g.normal_lap.empty());
        }
    }
}

TEST(TimingGatesWrite, RoundTripKeepsSlotsCheckpointsAndFlags) {
    GatesFile f;
    TimingGates g;
    ASSERT_TRUE(f.read(&g,
                       "startinggate:\n[100.5 5 200] 0.25\n[110 5 200] -0.5 @gate.jm null @gate.shp\n"
                       "checkpoints:\n5 [10 0 0] [1 0 0]\n6.5 [20 1 2] [0 0 -1]\n7 [30 0 0] [1 0 0]\n"
                       "firstlap:\n0 100001 2 1\nnormallap:\n0 1 2 100000\n"));
    const std::string written = f.write(g);
    TimingGates again;
    ASSERT_TRUE(f.read(&again, written)) << written;
    ASSERT_EQ(again.slots.size(), g.slots.size());
    for (size_t i = 0; i < g.slots.size(); i++) {
        SCOPED_TRACE(i);
        for (int k = 0; k < 3; k++) EXPECT_FLOAT_EQ(again.slots[i].position[k], g.slots[i].position[k]);
        EXPECT_FLOAT_EQ(again.slots[i].angle, g.slots[i].angle);
        EXPECT_EQ(again.slots[i].mesh, g.slots[i].mesh);
        EXPECT_EQ(again.slots[i].texture, g.slots[i].texture);
        EXPECT_EQ(again.slots[i].shape, g.slots[i].shape);
    }
    ASSERT_EQ(again.checkpoints.size(), 3u);
    EXPECT_FLOAT_EQ(again.checkpoints[1].radius, 6.5f);
    EXPECT_FLOAT_EQ(again.checkpoints[1].centre[2], 2);
    EXPECT_FLOAT_EQ(again.checkpoints[1].direction[2], -1);
    EXPECT_EQ(again.first_lap, g.first_lap);
    EXPECT_EQ(again.normal_lap, (std::vector<int>{0, 1, 2, 100000}));
    // A slot with the default gate writes no names; another writes all three.
    EXPECT_NE(written.find("[100.500000 5.000000 200.000000] 0.250000\n"), std::string::npos) << written;
    EXPECT_NE(written.find(" @gate.jm null @gate.shp\n"), std::string::npos) << written;
}

TEST(TimingCrossing, GatesPassedSkippedAndHeld) {
    GatesFile f;
    TimingGates g;
    ASSERT_TRUE(f.read(&g, LINE_GATES));
    const timing_race_view race = {3, 0};
    struct Move { float x, z; int want_passed; };
    struct {
        const char* name;
        std::vector<Move> moves;  // one per tick, from a fresh timing
        std::vector<int> passages;
        int steps;
    } cases[] = {
        {"in order", {{10, 0, 0}, {20, 0, 1}, {30, 0, 2}}, {0, 1, 2}, 3},
        {"on the gate's line counts", {{10, 4, 0}}, {0}, 1},
        {"behind the line does not", {{9.9f, 0, -1}}, {}, 0},
        {"beside the gate does not", {{10, 5.1f, -1}}, {}, 0},
        {"a missed gate is recorded as skipped", {{10, 0, 0}, {30, 0, 2}}, {0, -1, 1}, 3},
        {"three ahead is not counted", {{40, 0, -1}}, {}, 0},
        {"the finish line cannot be skipped",
         {{10, 0, 0}, {20, 0, 1}, {30, 0, 2}, {10, 0, -1}, {20, 0, -1}, {40, 0, 3}, {10, 0, 4}},
         {0, 1, 2, 5, 6},
         5},
        {"a skipped gate is taken again",
         {{10, 0, 0}, {30, 0, 2}, {20, 0, 1}, {30, 0, 2}},
         {0, 2, 3},
         3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RiderTiming t{};
        int tick = 0;
        for (const Move& m : c.moves) {
            SCOPED_TRACE(tick);
            EXPECT_EQ(timing_advance(&g, &t, m.x, m.z, tick, &race).passed_step, m.want_passed);
            tick++;
        }
        EXPECT_EQ(t.steps, c.steps);
        std::vector<int> got;
        for (int k = 0; k < t.steps; k++) got.push_back(timing_passage(&t, k));
        EXPECT_EQ(got, c.passages);
    }
}

// Rides `laps` clean laps, one gate per tick starting at `tick`; returns the
// last result.
static timing_advance_result ride_laps(const TimingGates& g, RiderTiming* t, int laps, int* tick,
                                       const timing_race_view& race) {
    timing_advance_result r{};
    for (int n = 0; n < laps * 4; n++) {
        r = timing_advance(&g, t, gate_x(n % 4), 0, (*tick)++, &race);
        EXPECT_GE(r.passed_step, 0);
    }
    return r;
}

TEST(TimingCrossing, LapsAndTheFinish) {
    GatesFile f;
    TimingGates g;
    ASSERT_TRUE(f.read(&g, LINE_GATES));
    // Target 3 laps: the leader finishes on lap 3 ...
    RiderTiming leader{};
    int tick = 100;
    timing_advance_result r = ride_laps(g, &leader, 2, &tick, {3, 0});
    EXPECT_TRUE(r.is_lap_complete);
    EXPECT_FALSE(leader.is_finished);
    r = ride_laps(g, &leader, 1, &tick, {3, 8});
    EXPECT_TRUE(r.is_now_finished);
    EXPECT_EQ(timing_laps_completed(&g, leader.steps), 3);
    // ... and stops counting.
    EXPECT_EQ(timing_advance(&g, &leader, gate_x(0), 0, tick, nullptr).passed_step, -1);
    // Once the leader is through, everybody finishes at the next finish line.
    RiderTiming behind{};
    r = ride_laps(g, &behind, 1, &tick, {3, leader.steps});
    EXPECT_TRUE(r.is_now_finished);
    EXPECT_EQ(timing_laps_completed(&g, behind.steps), 1);
}

TEST(TimingLaps, LapTimesAndPositions) {
    GatesFile f;
    TimingGates g;
    ASSERT_TRUE(f.read(&g, LINE_GATES));
    RiderTiming t{};
    t.steps = 10;
    t.passages = {100, 200, 300, 400, 500, 600, 700, 850, 900, 1000};
    struct { const char* name; int lap, want; } cases[] = {
        {"lap 1 from the drop", 1, 400 - 50},
        {"lap 2 finish to finish", 2, 850 - 400},
        {"the last completed lap", -1, 850 - 400},
        {"a lap not completed", 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(timing_lap_ticks(&g, &t, c.lap, 50), c.want);
    }
    t.passages[3] = -1;
    EXPECT_EQ(timing_lap_ticks(&g, &t, 2, 50), 0) << "a missing finish passage";
    EXPECT_EQ(timing_laps_completed(&g, 3), 0);
    EXPECT_EQ(timing_laps_completed(&g, 4), 1);
    EXPECT_EQ(timing_laps_completed(&g, 8), 2);
    EXPECT_EQ(timing_position_in_lap(&g, 3), 3);
    EXPECT_EQ(timing_position_in_lap(&g, 6), 3);
    // Setting the step count trims the passages and reopens the finish.
    t.is_finished = true;
    timing_set_steps(&t, 2);
    EXPECT_EQ(t.passages.size(), 2u);
    EXPECT_FALSE(t.is_finished);
}

TEST(TimingPenalty, CuttingCostsTheFieldTimePlusOneSecond) {
    GatesFile f;
    TimingGates g;
    ASSERT_TRUE(f.read(&g, LINE_GATES));
    RiderTiming clean{3, {100, 200, 300}, false};
    RiderTiming slower{3, {100, 220, 400}, false};
    RiderTiming cutter{3, {100, -1, 220}, false};
    const RiderTiming* field[] = {&clean, &slower, &cutter};
    // Reference: the mean of the clean riders over steps 0..2, (200 + 300) / 2,
    // plus one second; the cutter took 120 ticks.
    EXPECT_DOUBLE_EQ(timing_cutting_penalty(&g, &cutter, field, 3), 250.0 + 128 - 120);
    // Nobody else drove it: 60 s plus one second.
    const RiderTiming* alone[] = {&cutter};
    EXPECT_DOUBLE_EQ(timing_cutting_penalty(&g, &cutter, alone, 1), 61.0 * 128 - 120);
    // A clean rider owes nothing; a cut slower than the field owes nothing.
    EXPECT_DOUBLE_EQ(timing_cutting_penalty(&g, &clean, field, 3), 0);
    RiderTiming slow_cut{3, {100, -1, 900}, false};
    EXPECT_DOUBLE_EQ(timing_cutting_penalty(&g, &slow_cut, field, 3), 0);
    // A cut in a later lap is judged against every clean lap of the field.
    RiderTiming two_laps{9, {10, 20, 30, 40, 50, 60, 70, 80, 90}, false};  // 20 ticks for gates 0..2 of a lap
    RiderTiming later_cut{7, {10, 20, 30, 40, 50, -1, 55}, false};
    const RiderTiming* later_field[] = {&two_laps, &later_cut};
    EXPECT_DOUBLE_EQ(timing_cutting_penalty(&g, &later_cut, later_field, 2), 20.0 + 128 - 5);
}
