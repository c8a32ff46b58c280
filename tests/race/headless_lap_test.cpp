// The scripted test rider on the compact generated track: it follows the
// course's centre line at a speed planned from the curvature ahead, through
// the start straight and the berm, and then a whole lap timed by the track's
// own timing gates. Prints the times it measured. The same ride twice gives the same
// bodies to the last bit.
#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/data_index.h"
#include "race/timing_gates.h"
#include "sim/scripted_rider.h"
#include "support/course_driver.h"
#include "support/data_home.h"
#include "tools/content/course.h"
#include "tools/content/track.h"

namespace
{

// FNV-1a over the raw bits of every body's position, orientation
// (quaternion), linear and angular velocity, rider by rider.
uint64_t body_state_hash(const rider_slots* slots)
{
    uint64_t h = 14695981039346656037ull;
    auto mix = [&h](const dReal* v, int n) {
        for (int i = 0; i < n; i++) {
            double d = v[i];
            uint64_t bits;
            memcpy(&bits, &d, sizeof bits);
            for (int k = 0; k < 8; k++) h = (h ^ ((bits >> (8 * k)) & 0xff)) * 1099511628211ull;
        }
    };
    for (const rider_slot& s : slots->slot) {
        if (!s.rider) continue;
        for (dBodyID b : s.rider->bike.body) {
            mix(dBodyGetPosition(b), 3);
            mix(dBodyGetQuaternion(b), 4);
            mix(dBodyGetLinearVel(b), 3);
            mix(dBodyGetAngularVel(b), 3);
        }
    }
    return h;
}

class CompactTrack : public ::testing::Test
{
   protected:
    TestDataHome home{RW_BINARY_DIR};  // the generated content is the game data
    Course course;
    TimingGates gates;
    Terrain* ground = nullptr;

    void SetUp() override
    {
        DataStream* file = open_data_file((std::string(RW_BINARY_DIR) + "/backyard/timing_gates").c_str(), "rb");
        ASSERT_NE(file, nullptr) << "the content target has not run";
        timing_gates_read(&gates, file, nullptr, false);
        close_data_file(file);
        ASSERT_TRUE(gates.is_valid);
        ASSERT_FALSE(gates.slots.empty());
        ground = load_ground();
        ASSERT_NE(ground, nullptr);
        course = course_build(compact_design().course);
        ASSERT_FALSE(course.samples.empty());
    }
    void TearDown() override
    {
        terrain_free(ground);
    }

    static Terrain* load_ground()
    {
        TerrainLoadParams params{};
        return terrain_load((std::string(RW_BINARY_DIR) + "/backyard").c_str(), params);
    }

    // The rider on the first start slot, facing along the slot's angle, on
    // a freshly loaded track from the second rider on.
    ScriptedRider* rider_at_start()
    {
        if (!ground) ground = load_ground();
        const StartSlot& slot = gates.slots[0];
        ScriptedRider* s = new ScriptedRider(ground, slot.position[0], slot.position[2], slot.angle, 1);
        ground = nullptr;  // the rider owns it now
        return s;
    }

    // One tick of the script: follow the centre line 30 ft ahead.
    static void ride(ScriptedRider* s, CourseFollower* follow, double fastest)
    {
        course_channels(s->rider, follow, fastest, 0, s->channels);
        s->step();
    }
};

}  // namespace

TEST_F(CompactTrack, StartStraightAndBerm)
{
    ScriptedRider* s = rider_at_start();
    ASSERT_TRUE(s->ok);
    CourseFollower follow{&course};
    // The berm spans 600..740 ft of the course; ride until well past it.
    float berm_end = 600 + 140 + 40;
    float worst_off_line = 0;
    int t = 0;
    auto course_s = [&] { return follow.at * course.step; };
    auto is_past_berm = [&] { return follow.progress > 100 && course_s() >= berm_end && course_s() < berm_end + 200; };
    for (; t < 60 * 128 && !is_past_berm(); t++) {
        ride(s, &follow, 45);
        ASSERT_FALSE(s->is_crashed()) << "at " << follow.at * course.step << " ft";
        ASSERT_GT(s->up_y(), 0.3) << "fell at " << follow.at * course.step << " ft";
        const CourseSample& c = course.samples[follow.at];
        const dReal* p = s->frame_position();
        // From the side of the wide start pad the line is joined over the first 150 ft.
        if (follow.progress > 150) worst_off_line = fmaxf(worst_off_line, (float)hypot(p[0] - c.x, p[2] - c.z));
    }
    printf("start straight to past the berm (%.0f ft of course): %.2f s, farthest %.1f ft off the centre line\n",
           berm_end, t * TICK, worst_off_line);
    EXPECT_TRUE(is_past_berm());
    EXPECT_LT(worst_off_line, 12);  // within the 24 ft course width
    delete s;
}

TEST_F(CompactTrack, HeadlessLap)
{
    ScriptedRider* s = rider_at_start();
    ASSERT_TRUE(s->ok);
    CourseFollower follow{&course};
    RiderTiming timing{};
    const int first_lap = (int)gates.first_lap.size();
    int t = 0;
    for (; t < 180 * 128 && timing.steps < first_lap; t++) {
        ride(s, &follow, 45);
        ASSERT_FALSE(s->is_crashed()) << "at " << follow.at * course.step << " ft";
        ASSERT_GT(s->up_y(), 0.3) << "fell at " << follow.at * course.step << " ft";
        const dReal* p = s->frame_position();
        timing_advance(&gates, &timing, (float)p[0], (float)p[2], t, nullptr);
    }
    ASSERT_EQ(timing.steps, first_lap) << "gates passed: " << timing.steps;
    for (int k = 0; k < first_lap; k++) EXPECT_GE(timing_passage(&timing, k), 0) << "gate " << k << " was skipped";
    printf("headless lap of the compact track: %d ticks = %.2f s over %.0f ft of course\n", t, t * TICK,
           course.finish_s);
    delete s;
}

// Demos and online races replay inputs on the same physics: the same ride,
// from scratch twice in one process, gives the same bodies after every second.
TEST_F(CompactTrack, SameRideTwiceGivesTheSameBodies)
{
    constexpr int TICKS = 30 * 128;  // most of a lap: the berm, jumps, whoops
    std::vector<uint64_t> hashes[2];
    double ridden[2] = {};
    for (int run = 0; run < 2; run++) {
        SCOPED_TRACE(run);
        ScriptedRider* s = rider_at_start();
        ASSERT_TRUE(s->ok);
        CourseFollower follow{&course};
        for (int t = 1; t <= TICKS; t++) {
            ride(s, &follow, 45);
            if (t % 128 == 0) hashes[run].push_back(body_state_hash(s->scene->slots));
        }
        ridden[run] = follow.progress;
        delete s;
    }
    EXPECT_GT(ridden[0], 500);  // the ride went somewhere
    ASSERT_EQ(hashes[0].size(), hashes[1].size());
    for (size_t k = 0; k < hashes[0].size(); k++)
        ASSERT_EQ(hashes[0][k], hashes[1][k]) << "the bodies differ after " << k + 1 << " s";
}
