// The scripted test rider on the compact generated track: it follows the
// course's centre line at a speed planned from the curvature ahead, through
// the start straight and the berm, and then a whole lap through the timing
// gates. Prints the times it measured. The same ride twice gives the same
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
#include "scripted_rider.h"
#include "support/data_home.h"
#include "tools/content/course.h"
#include "tools/content/track.h"

namespace
{

struct Gate {
    float radius, x, z, dx, dz;
};

// The checkpoints and first-lap order of the generated "timing_gates" file,
// read just far enough for the test (the race timing owns the real reader).
bool read_gates(const std::string& path, std::vector<Gate>* gates, std::vector<int>* first_lap, float start[4])
{
    FILE* f = fopen(path.c_str(), "r");
    if (!f) return false;
    char word[64];
    bool ok = fscanf(f, " %63s", word) == 1 && std::string(word) == "startinggate:";
    ok = ok && fscanf(f, " [ %f %f %f ] %f", &start[0], &start[1], &start[2], &start[3]) == 4;
    while (ok && fscanf(f, " %63s", word) == 1 && std::string(word) != "checkpoints:") {
    }
    Gate g;
    float y, dy;
    while (ok && fscanf(f, "%f [ %f %f %f ] [ %f %f %f ] ", &g.radius, &g.x, &y, &g.z, &g.dx, &dy, &g.dz) == 7)
        gates->push_back(g);
    ok = ok && fscanf(f, " %63s", word) == 1 && std::string(word) == "firstlap:";
    int k;
    while (ok && fscanf(f, "%d", &k) == 1) first_lap->push_back(k);
    fclose(f);
    return ok && !gates->empty() && !first_lap->empty();
}

// Crossing gate `g` between two positions: from behind its line to in front
// of it, within its radius (and some slack for the rider's line).
bool crosses(const Gate& g, const double from[3], const double to[3])
{
    double before = (from[0] - g.x) * g.dx + (from[2] - g.z) * g.dz;
    double after = (to[0] - g.x) * g.dx + (to[2] - g.z) * g.dz;
    double side = hypot(to[0] - g.x, to[2] - g.z);
    return before < 0 && after >= 0 && side < g.radius + 10;
}

struct CourseFollower {
    const Course* course;
    int at = -1;          // nearest sample so far; -1 before the first update
    double progress = 0;  // ft ridden along the course since the first update

    void update(double x, double z)
    {
        int n = (int)course->samples.size(), best = at;
        double best_d = 1e18;
        int from = at < 0 ? 0 : at - 20, to = at < 0 ? n - 1 : at + 60;
        for (int k = from; k <= to; k++) {
            int i = (k % n + n) % n;
            double d = hypot(course->samples[i].x - x, course->samples[i].z - z);
            if (d < best_d) best_d = d, best = i;
        }
        if (at >= 0) {
            int step = ((best - at) % n + n) % n;
            if (step > n / 2) step -= n;
            progress += step * course->step;
        }
        at = best;
    }
    const CourseSample& ahead(float ft) const
    {
        int n = (int)course->samples.size();
        return course->samples[(at + (int)(ft / course->step)) % n];
    }
    // Speed for the sharpest bend within the next 80 ft: about 0.4 g sideways.
    double planned_speed(double fastest) const
    {
        double v = fastest;
        for (float d = 0; d < 80; d += 4) {
            float c = fabsf(ahead(d).curvature);
            if (c > 1e-4f) v = fmin(v, sqrt(13 / c));
        }
        return v;
    }
};

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
    std::vector<Gate> gates;
    std::vector<int> first_lap;
    float start[4] = {};
    Terrain* ground = nullptr;

    void SetUp() override
    {
        std::string folder = std::string(RW_BINARY_DIR) + "/backyard";
        ASSERT_TRUE(read_gates(folder + "/timing_gates", &gates, &first_lap, start))
            << "the content target has not run";
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
        ScriptedRider* s = new ScriptedRider(ground, start[0], start[2], start[3], 1);
        ground = nullptr;  // the rider owns it now
        return s;
    }

    // One tick of the script: follow the centre line 30 ft ahead.
    static void ride(ScriptedRider* s, CourseFollower* follow, double fastest)
    {
        const dReal* p = s->frame_position();
        follow->update(p[0], p[2]);
        const CourseSample& target = follow->ahead(30);
        s->drive(follow->planned_speed(fastest), s->steer_towards(s->heading_to(target.x, target.z)));
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
    size_t next = 0;
    double last[3];
    const dReal* p0 = s->frame_position();
    for (int i = 0; i < 3; i++) last[i] = p0[i];
    int t = 0;
    for (; t < 180 * 128 && next < first_lap.size(); t++) {
        ride(s, &follow, 45);
        ASSERT_FALSE(s->is_crashed()) << "at " << follow.at * course.step << " ft";
        ASSERT_GT(s->up_y(), 0.3) << "fell at " << follow.at * course.step << " ft";
        const dReal* p = s->frame_position();
        double now[3] = {p[0], p[1], p[2]};
        if (crosses(gates[first_lap[next]], last, now)) next++;
        for (int i = 0; i < 3; i++) last[i] = now[i];
    }
    ASSERT_EQ(next, first_lap.size()) << "gates passed: " << next;
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
