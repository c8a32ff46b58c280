// Wheels that dig: the push a wheel's contact turns into, the erosion level
// switching sampling and processing, and whole rides on the generated
// "backyard" that leave ruts and berms, the same ones again when the ride is
// replayed.
#include "race/deformation.h"

#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <array>
#include <vector>

#include "base/data_index.h"
#include "base/messages.h"
#include "race/reset.h"
#include "sim/scene.h"
#include "sim/tire.h"
#include "support/course_driver.h"
#include "support/data_home.h"
#include "tools/content/track.h"
#include "track/terrain.h"

namespace {

// A wheel touching flat ground at (16, 16) moving along +x.
wheel_deformation rolling(float speed, const float force[3]) {
    wheel_deformation w = {};
    w.point[0] = 16, w.point[2] = 16;
    w.normal[1] = 1;
    w.depth = 0.1f;
    w.body_velocity[0] = speed;
    for (int i = 0; i < 3; i++) w.force[i] = force[i];
    return w;
}

TEST(DeformationSample, SpeedSlipAndGround) {
    Terrain* flat = terrain_create(4, 1.0f, 0);
    ASSERT_NE(flat, nullptr);
    // Defaults: off 10 ft/s, on 15 ft/s; lower 50, upper 150 lbf; slip scale 1 .. 1.5 over 0..5 ft/s.
    const float back[3] = {-200, 300, 0};
    struct {
        const char* name;
        float speed, slip;
        float force[3];
        bool sampled;
        float gx, gz;
    } cases[] = {
        {"at the off speed: nothing", 10, 0, {-200, 300, 0}, false, 0, 0},
        {"at the on speed: the whole push", 15, 0, {-200, 300, 0}, true, -1, 0},
        {"half way: half the push", 12.5f, 0, {-200, 300, 0}, true, -(0.125f + 0.875f * 0.5f), 0},
        {"slipping adds half again", 12.5f, 5, {-200, 300, 0}, true, -(0.125f + 0.875f * 1.0f), 0},
        {"below the lower force: nothing", 40, 0, {-30, 300, 40}, false, 0, 0},
        {"just above the lower force: the shortest push", 40, 0, {0, 300, 50.01f}, true, 0, 0.125f},
        {"straight into the ground: nothing", 40, 0, {0, 900, 0}, false, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wheel_deformation w = rolling(c.speed, c.force);
        w.contact_velocity[0] = c.slip;
        float g[2] = {};
        ASSERT_EQ(deformation_sample_vector(w, flat, g), c.sampled);
        if (!c.sampled) continue;
        EXPECT_NEAR(g[0], c.gx, 1e-4f);
        EXPECT_NEAR(g[1], c.gz, 2e-4f);
    }
    wheel_deformation air = rolling(40, back);
    air.depth = 0;
    float g[2];
    EXPECT_FALSE(deformation_sample_vector(air, flat, g));
    terrain_free(flat);
}

TEST(DeformationSample, TheGroundsSlopeNotTheTiresNormal) {
    // Ground rising 0.5 ft per ft along x; a force straight out of it pushes
    // nothing, whatever normal the tire reported.
    Terrain* slope = terrain_create(4, 1.0f, 0);
    ASSERT_NE(slope, nullptr);
    for (int k = 0; k < slope->dim; k++)
        for (int i = 0; i < slope->dim; i++) terrain_set_height(slope, i, k, 0.5f * i);
    const float len = sqrtf(1.25f);
    const float out_of_ground[3] = {-0.5f / len * 400, 1 / len * 400, 0};
    wheel_deformation w = rolling(40, out_of_ground);
    float g[2];
    EXPECT_FALSE(deformation_sample_vector(w, slope, g));
    // The same force on flat ground pushes back along x.
    Terrain* flat = terrain_create(4, 1.0f, 0);
    ASSERT_TRUE(deformation_sample_vector(w, flat, g));
    EXPECT_LT(g[0], 0);
    terrain_free(flat);
    terrain_free(slope);
}

TEST(DeformationSample, SurfaceRangesThatAreSteps) {
    Terrain* flat = terrain_create(4, 1.0f, 0);
    ErodeParams& e = flat->surfaces.entries[0].erode;
    e.on_speed = e.off_speed = 10;   // no ramp: full push above 10 ft/s
    e.slip_upper = e.slip_lower = 2;
    e.upper = e.lower = 50;
    const float push[3] = {-100, 300, 0};
    float g[2];
    EXPECT_FALSE(deformation_sample_vector(rolling(10, push), flat, g));
    ASSERT_TRUE(deformation_sample_vector(rolling(10.5f, push), flat, g));
    EXPECT_TRUE(isfinite(g[0]) && isfinite(g[1]));
    EXPECT_FLOAT_EQ(g[0], -1);
    terrain_free(flat);
}

TEST(DeformationLevel, ZeroQueuesButNeitherSamplesNorDigs) {
    Terrain* flat = terrain_create(4, 1.0f, 3);
    RaceDeformation d;
    deformation_init(&d);
    deformation_reset(&d, flat);
    const ErodePoint p = {16, 16, 0.9f, 0, 8};
    uint8_t record[ERODE_RECORD_MAX];
    const int bytes = erode_pack(&p, 1, flat->size, record);
    deformation_receive(&d, record, bytes);
    EXPECT_EQ(d.queue.count, 1);
    Race race;
    race_init(&race);
    deformation_after_step(&d, &race);
    EXPECT_EQ(deformation_frame(&d, nullptr, 0), 0);
    EXPECT_EQ(d.queue.count, 1);
    EXPECT_FLOAT_EQ(terrain_height(flat, 16, 16), 3);
    d.level = 10 * 1024;
    EXPECT_EQ(deformation_frame(&d, nullptr, 1), 1);
    EXPECT_LT(terrain_height(flat, 16, 16), 3);
    // A reset empties the queue.
    deformation_receive(&d, record, bytes);
    deformation_reset(&d, flat);
    EXPECT_EQ(d.queue.count, 0);
    terrain_free(flat);
}

// ---- the scene: three laps of "backyard" with --erode 10 ------------------------------

struct Channels {
    float c[CHANNEL_COUNT];
};

struct ErodeRide {
    TestDataHome home{RW_BINARY_DIR};  // the generated content is the game data
    physics_scene* scene = nullptr;
    RaceSession session;
    Course course;
    CourseFollower follow;
    rider_input_settings input = {false, false};
    std::vector<std::vector<uint8_t>> records;     // every record the wheels sent
    std::vector<std::array<float, 2>> contacts;    // wheel contacts, one every 2 ft or so
    std::vector<std::string> messages;
    int most_roost = 0;  // particles in the air at once

    ErodeRide() {
        file_list();
        set_message_sink([](const char* text, void* self) { ((ErodeRide*)self)->messages.push_back(text); }, this);
        scene = scene_create(nullptr);
        race_session_init(&session, scene, nullptr);
        session.deformation.level = 10 * 1024;  // --erode 10
        session.deformation.roost.density = 1000;  // "Roost Density" at its default
        session.deformation.submit = {[](void* self, const uint8_t* r, int bytes) {
                                          ErodeRide* ride = (ErodeRide*)self;
                                          ride->records.emplace_back(r, r + bytes);
                                          deformation_receive(&ride->session.deformation, r, bytes);
                                      },
                                      this};
        course = course_build(compact_design().course);
        follow.course = &course;
    }
    ~ErodeRide() {
        race_session_free(&session);
        scene_destroy(scene);
        set_message_sink(nullptr, nullptr);
    }

    bool start() {
        int lineup[RIDER_SLOTS] = {};
        lineup[0] = LINEUP_HUMAN;
        const RaceRequest request = {lineup, "backyard", "Backyard", 0, 3, 0, false};
        return race_reset(&session, request, 1700000000);
    }
    Rider* rider() { return scene->slots->slot[session.race.local_slot].rider; }

    // One tick with `channels`; every second tick ends a frame.
    void tick(const float channels[CHANNEL_COUNT]) {
        Race& race = session.race;
        (void)scene_apply_channels(scene, race.local_slot, channels, &input);
        race_apply_local_controls(&race, rider());
        race_tick(&race);
        most_roost = std::max(most_roost, session.deformation.roost.active_count);
        for (const wheel_record& w : rider()->bike.wheel) {
            if (w.depth <= 0) continue;
            const std::array<float, 2> at = {w.contact_point[0], w.contact_point[2]};
            if (!contacts.empty() && hypotf(at[0] - contacts.back()[0], at[1] - contacts.back()[1]) < 2) continue;
            contacts.push_back(at);
        }
        if (race.now % 2 == 0) {
            const dReal* p = dBodyGetPosition(rider()->bike.body[BODY_FRAME]);
            const float player[2] = {(float)p[0], (float)p[2]};
            (void)deformation_frame(&session.deformation, player, race.now);
        }
    }
    // The queue emptied after the ride, no player to wait for.
    void drain() {
        for (int frame = 0; session.deformation.queue.count > 0 && frame < 1000000; frame++)
            (void)deformation_frame(&session.deformation, nullptr, session.race.now + 2 * frame);
    }
    int laps() const {
        const Race& race = session.race;
        return timing_laps_completed(&session.track.gates, race.entrant[race.local_slot].timing.steps);
    }
};

TEST(DeformationScene, ThreeLapsOfBackyardDigRutsAndBerms) {
    std::vector<Channels> played;
    std::vector<float> heights;
    std::vector<std::vector<uint8_t>> records;
    {
        ErodeRide ride;
        ASSERT_TRUE(ride.start());
        Race& race = ride.session.race;
        while (ride.laps() < 3 && race.now < 300 * 128) {
            Channels ch;
            course_channels(ride.rider(), &ride.follow, 60, 0, ch.c);
            if (race.now <= race.gate_drop_tick) {
                ch.c[CHANNEL_THROTTLE] = 0;
                ch.c[CHANNEL_FRONT_BRAKE] = ch.c[CHANNEL_REAR_BRAKE] = 1;
            }
            played.push_back(ch);
            ride.tick(ch.c);
        }
        ASSERT_EQ(ride.laps(), 3) << "the rider did not finish three laps";
        const int sent = (int)ride.records.size();
        // Stop: the wheels' last paths go once they have been idle 64 ticks.
        Channels stop = {};
        stop.c[CHANNEL_FRONT_BRAKE] = stop.c[CHANNEL_REAR_BRAKE] = 1;
        for (int i = 0; i < 6 * 128; i++) {
            played.push_back(stop);
            ride.tick(stop.c);
        }
        EXPECT_GT(sent, 20);
        EXPECT_GT(ride.most_roost, 100) << "no roost flew";
        EXPECT_EQ(ride.session.deformation.roost.active_count, 0) << "roost still flying after the stop";
        ride.drain();

        const Terrain* t = ride.session.track.terrain;
        const int dim = t->dim;
        float lowest = 0, highest = 0;
        for (int v = 0; v < dim * dim; v++) {
            lowest = std::min(lowest, t->heights[v] - t->reference_heights[v]);
            highest = std::max(highest, t->heights[v] - t->reference_heights[v]);
        }
        EXPECT_LE(lowest, -0.1f) << "no rut";
        EXPECT_GE(highest, 0.05f) << "no berm";
        // Vertices more than 30 ft from every wheel contact keep their loaded bits.
        std::vector<uint8_t> near(dim * dim, 0);
        const int reach = (int)ceilf(30 * t->inverse_spacing);
        for (const auto& c : ride.contacts) {
            const int ci = (int)lroundf(c[0] * t->inverse_spacing), ck = (int)lroundf(c[1] * t->inverse_spacing);
            for (int k = std::max(ck - reach - 1, 0); k <= std::min(ck + reach + 1, dim - 1); k++)
                for (int i = std::max(ci - reach - 1, 0); i <= std::min(ci + reach + 1, dim - 1); i++)
                    if (hypotf(i * t->spacing - c[0], k * t->spacing - c[1]) <= 30 + 2 * t->spacing) near[i + dim * k] = 1;
        }
        int changed_far = 0;
        for (int v = 0; v < dim * dim; v++)
            if (!near[v] && memcmp(&t->heights[v], &t->reference_heights[v], sizeof(float)) != 0) changed_far++;
        EXPECT_EQ(changed_far, 0);
        heights.assign(t->heights, t->heights + dim * dim);
        records = ride.records;
        printf("backyard, 3 laps at --erode 10: %zu records, rut %.3f ft, berm %.3f ft, at most %d roost particles\n",
               records.size(), lowest, highest, ride.most_roost);
    }

    // The same channels on a freshly loaded track: the same records, the same ground.
    ErodeRide again;
    ASSERT_TRUE(again.start());
    for (const Channels& ch : played) again.tick(ch.c);
    again.drain();
    EXPECT_TRUE(again.records == records) << again.records.size() << " records against " << records.size();
    const Terrain* t = again.session.track.terrain;
    ASSERT_EQ(heights.size(), (size_t)(t->dim * t->dim));
    EXPECT_EQ(memcmp(heights.data(), t->heights, heights.size() * sizeof(float)), 0);
}

}  // namespace
