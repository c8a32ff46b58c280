// Whole races on the generated tracks, headless, through the real reset and
// race tick: scripted riders on the course's lines, the local one among them
// through the player's channels. What a player would see: everyone behind
// the gate, an early roll held and told, laps timed at the checkpoints, the
// race ending on laps and the results file in the home folder.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/data_index.h"
#include "base/messages.h"
#include "base/ticks.h"
#include "race/reset.h"
#include "sim/scene.h"
#include "support/course_driver.h"
#include "support/data_home.h"
#include "tools/content/track.h"
#include "support/message_sink.h"

namespace {

// One scripted rider: its line beside the centre line and its pace.
struct Script {
    double fastest;  // ft/s
    float lateral;   // ft left of the centre line
    bool creeps;     // rolls forward before the drop
    CourseFollower follow;
};

struct RaceRun {
    TestDataHome home{RW_BINARY_DIR};  // the generated content is the game data
    physics_scene* scene = nullptr;
    RaceSession session;
    Course course;
    std::map<int, Script> scripts;  // by slot
    std::vector<std::string> messages;
    // What the test saw: each rider's passages and where it was at each.
    std::map<int, std::vector<int>> seen_ticks;
    std::map<int, std::vector<std::array<float, 2>>> seen_at;
    int worst_gate_miss = 0;
    rider_input_settings input = {false, false};

    explicit RaceRun(const TrackDesign& design) {
        file_list();
        set_message_sink(collect_message, &messages);
        scene = scene_create(nullptr);
        race_session_init(&session, scene, nullptr);
        session.race.hooks.robot_step = [](void* self, Rider* r, int tick) {
            RaceRun* run = (RaceRun*)self;
            float channels[CHANNEL_COUNT];
            run->channels_for(r, channels);
            rider_apply_channels(r, channels, &run->input);
            scene_control_step(run->scene, r, tick);
        };
        session.race.hooks.self = this;
        course = course_build(design.course);
    }
    ~RaceRun() {
        race_session_free(&session);
        scene_destroy(scene);
        set_message_sink(nullptr, nullptr);
    }
    Race& race() { return session.race; }

    void channels_for(const Rider* r, float channels[CHANNEL_COUNT]) {
        Script& s = scripts.at(r->slot);
        course_channels(r, &s.follow, s.fastest, s.lateral, channels);
        if (race().now <= race().gate_drop_tick) {
            // Behind the gate: brakes on, or a creep forward for the early one.
            channels[CHANNEL_STEER] = 0;
            channels[CHANNEL_THROTTLE] = s.creeps ? 0.35f : 0;
            channels[CHANNEL_FRONT_BRAKE] = channels[CHANNEL_REAR_BRAKE] = s.creeps ? 0 : 1;
        }
    }

    // One tick: the local player's channels, then the race tick; the test
    // notes every passage it sees.
    void tick() {
        const int local = race().local_slot;
        if (local != NO_LOCAL_RIDER) {
            Rider* r = scene->slots->slot[local].rider;
            float channels[CHANNEL_COUNT];
            channels_for(r, channels);
            (void)scene_apply_channels(scene, local, channels, &input);
            race_apply_local_controls(&race(), r);
        }
        std::map<int, int> before;
        for (auto& [slot, script] : scripts) before[slot] = race().entrant[slot].timing.steps;
        const int now = race().now;
        race_tick(&race());
        for (auto& [slot, script] : scripts) {
            const RiderTiming& t = race().entrant[slot].timing;
            if (t.steps == before[slot]) continue;
            ASSERT_EQ(t.steps, before[slot] + 1) << "slot " << slot << " jumped steps";
            seen_ticks[slot].resize(t.steps, -1);
            seen_ticks[slot][t.steps - 1] = now;
            const dReal* p = dBodyGetPosition(scene->slots->slot[slot].rider->bike.body[BODY_FRAME]);
            seen_at[slot].push_back({(float)p[0], (float)p[2]});
            // The passage lies at the checkpoint of its step: within its radius, on or past its line.
            const Checkpoint& c = session.track.gates.checkpoints[timing_step_gate(&session.track.gates, t.steps - 1)];
            const float dx = (float)p[0] - c.centre[0], dz = (float)p[2] - c.centre[2];
            EXPECT_LE(dx * dx + dz * dz, c.radius * c.radius) << "slot " << slot << " step " << t.steps - 1;
            EXPECT_GE(dx * c.direction[0] + dz * c.direction[2], 0) << "slot " << slot << " step " << t.steps - 1;
        }
    }

    float frame_distance_from_start(int slot) {
        const dReal* p = dBodyGetPosition(scene->slots->slot[slot].rider->bike.body[BODY_FRAME]);
        float d2 = 0;
        for (int i = 0; i < 3; i++) d2 += (float)((p[i] - race().start_position[i]) * (p[i] - race().start_position[i]));
        return sqrtf(d2);
    }
};

std::string time_text(double seconds) {
    const long long ms = (long long)(seconds * 1000);
    char text[64];
    snprintf(text, sizeof text, "%3lld:%02lld.%03lld", ms / 60000, ms / 1000 - 60 * (ms / 60000), ms % 1000);
    return text;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace

TEST(RaceAcceptance, BackyardTwoLapsFourRiders) {
    RaceRun run(compact_design());
    // Read the slots first: the local player starts in the second row, behind slot 0.
    TimingGates gates;
    DataStream* file = open_data_file("@backyard/timing_gates", "rb");
    ASSERT_NE(file, nullptr) << "the content target has not run";
    timing_gates_read(&gates, file, nullptr, false);
    close_data_file(file);
    const int row = (int)gates.slots.size();
    ASSERT_GT(row, 3);
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = lineup[1] = lineup[2] = LINEUP_ROBOT;
    lineup[row] = LINEUP_HUMAN;
    run.scripts[0] = Script{46, 4, false, {&run.course}};
    run.scripts[1] = Script{42, 0, false, {&run.course}};
    run.scripts[2] = Script{38, -4, false, {&run.course}};
    run.scripts[row] = Script{44, 2, true, {&run.course}};
    const RaceRequest request = {lineup, "backyard", "Backyard", 0, 2, 0, false};
    ASSERT_TRUE(race_reset(&run.session, request, 1700000000));
    Race& race = run.race();
    ASSERT_EQ(race.local_slot, row);
    ASSERT_GE(race.gate_drop_tick, 13 * 128);
    ASSERT_LT(race.gate_drop_tick, 15 * 128);

    // Everyone starts behind the gate line of their slot.
    for (auto& [slot, script] : run.scripts) {
        SCOPED_TRACE(slot);
        ASSERT_NE(run.scene->slots->slot[slot].rider, nullptr);
        const StartSlot& s = gates.slots[slot % row];
        const dReal* p = dBodyGetPosition(run.scene->slots->slot[slot].rider->bike.body[BODY_FRAME]);
        const double ahead = (p[0] - s.position[0]) * -sin(s.angle) + (p[2] - s.position[2]) * -cos(s.angle);
        EXPECT_LT(ahead, 0);
    }

    // The early roll: held from the moment it is 3 ft out until 15 s after the drop.
    while (race.now <= race.gate_drop_tick && race.hold_ticks == 0) run.tick();
    ASSERT_GT(race.hold_ticks, 0) << "the creep never reached 3 ft before the drop";
    EXPECT_NEAR(run.frame_distance_from_start(row), 3, 0.5);
    EXPECT_EQ(race.now + race.hold_ticks - 1, race.gate_drop_tick + 15 * 128);
    EXPECT_NE(std::find(run.messages.begin(), run.messages.end(), "15 second false start penalty"), run.messages.end());
    const float held_at = run.frame_distance_from_start(row);
    while (race.now < race.gate_drop_tick + 14 * 128) run.tick();
    EXPECT_LT(run.frame_distance_from_start(row), held_at + 2) << "the held rider got away";

    // Ride until the results are final.
    while (!race.is_results_final && race.now < 400 * 128) run.tick();
    ASSERT_TRUE(race.is_results_final);
    for (auto& [slot, script] : run.scripts) {
        SCOPED_TRACE(slot);
        EXPECT_TRUE(race_is_finished(&race, slot));
        EXPECT_EQ(run.seen_ticks[slot], race.entrant[slot].timing.passages);
    }

    // The results file, built here from what the test saw: finishing order
    // by the tick of the last passage, laps, times and every passage.
    const std::string text = run.home.dir.read("xdg/Rutwise/results.txt");
    std::vector<std::string> lines = lines_of(text);
    ASSERT_GE(lines.size(), 6u) << text;
    EXPECT_EQ(lines[0].substr(0, lines[0].find("Date=")), "Time=0.00|Laps=2|Track=backyard|");
    EXPECT_EQ(lines[1], " No. |         Bike | Laps | Total Time | BLap |  Best Time");
    std::vector<int> order;
    for (auto& [slot, ticks] : run.seen_ticks) order.push_back(slot);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (run.seen_ticks[a].size() != run.seen_ticks[b].size()) return run.seen_ticks[a].size() > run.seen_ticks[b].size();
        return run.seen_ticks[a].back() < run.seen_ticks[b].back();
    });
    const int e = (int)gates.first_lap.size(), d = (int)gates.normal_lap.size();
    std::string want_blocks;
    for (size_t i = 0; i < order.size(); i++) {
        SCOPED_TRACE(order[i]);
        const std::vector<int>& ticks = run.seen_ticks[order[i]];
        const RaceEntrant& entrant = race.entrant[order[i]];
        const int laps = ((int)ticks.size() - e) / d + 1;
        const int lap2 = ticks[e + d - 1] - ticks[e - 1];
        char row_text[160];
        snprintf(row_text, sizeof row_text, "%4s | %12s | %4d | %s | %4d | %s", entrant.number.c_str(),
                 entrant.bike.c_str(), laps, time_text((ticks.back() - race.gate_drop_tick) * TICK).c_str(),
                 laps >= 2 ? 2 : 0, time_text(laps >= 2 ? lap2 * TICK : 0).c_str());
        EXPECT_EQ(lines[2 + i], row_text);
        want_blocks += "\r\n" + std::to_string(ticks.size()) + "\r\n";
        for (int k = 0; k < (int)ticks.size(); k++) {
            char one[32];
            if (ticks[k] < 0) snprintf(one, sizeof one, "%8d", -1);
            else snprintf(one, sizeof one, "%8.3f", (ticks[k] - race.gate_drop_tick) * TICK);
            want_blocks += one;
            const bool lap_end = k == e - 1 || (k >= e && (k - e + 1) % d == 0);
            want_blocks += lap_end || k == (int)ticks.size() - 1 ? "\r\n" : " ";
        }
    }
    EXPECT_NE(text.find(want_blocks), std::string::npos) << text;
    // The local player, held 15 s, cannot have won.
    EXPECT_NE(order[0], row);
    printf("backyard, 2 laps: winner slot %d in %.2f s; the held rider %.2f s\n", order[0],
           (run.seen_ticks[order[0]].back() - race.gate_drop_tick) * TICK,
           (run.seen_ticks[row].back() - race.gate_drop_tick) * TICK);
}

TEST(RaceAcceptance, RabbithillOneLap) {
    RaceRun run(rabbithill_design());
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_HUMAN;
    run.scripts[0] = Script{45, 0, false, {&run.course}};
    const RaceRequest request = {lineup, "rabbithill", "Rabbit Hill", 0, 1, 0, false};
    ASSERT_TRUE(race_reset(&run.session, request, 1700000000));
    Race& race = run.race();
    while (!race.is_results_final && race.now < 400 * 128) run.tick();
    ASSERT_TRUE(race.is_results_final) << "steps " << race.entrant[0].timing.steps << " of "
                                       << run.session.track.gates.first_lap.size();
    const RiderTiming& t = race.entrant[0].timing;
    EXPECT_EQ(timing_laps_completed(&run.session.track.gates, t.steps), 1);
    for (int k = 0; k < t.steps; k++) EXPECT_GE(timing_passage(&t, k), 0) << "gate " << k << " was skipped";
    printf("rabbithill, 1 lap: %.2f s\n", (t.passages.back() - race.gate_drop_tick) * TICK);
}
