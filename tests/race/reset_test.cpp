// The race reset on small tracks built in a private data home: who rides in
// which slot, where the bikes start, when the track is loaded again and when
// it is kept (with its deformation), practice mode and its laps, the track
// digest the race servers compare, and the reset's lines in the log.
#include "race/reset.h"

#include <gtest/gtest.h>
#include <math.h>
#include <nettle/ripemd160.h>
#include <string.h>

#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/messages.h"
#include "base/ticks.h"
#include "sim/bike_info.h"
#include "sim/collide.h"
#include "sim/robot_roster.h"
#include "sim/scene.h"
#include "sim/setup.h"
#include "sim/shape.h"
#include "support/data_file_fixture.h"
#include "support/data_home.h"
#include "track/terrain.h"
#include "support/message_sink.h"

namespace {

constexpr float GROUND = 5;     // ft, height of the fixture tracks

// Four checkpoints of radius 20 ft on a loop about the centre, passed
// 0, 1, 2, 3 on the first lap and on every later one; eight start slots in
// a row across x at z = 40, facing -z (their rows go back towards +z).
const char* const LOOP_GATES =
    "startinggate:\n"
    "[100 5 40] 0\n[108 5 40] 0\n[116 5 40] 0\n[124 5 40] 0\n"
    "[132 5 40] 0\n[140 5 40] 0\n[148 5 40] 0\n[156 5 40] 0\n"
    "checkpoints:\n"
    "20 [128 5 40] [1 0 0]\n20 [216 5 128] [0 0 1]\n20 [128 5 216] [-1 0 0]\n20 [40 5 128] [0 0 -1]\n"
    "firstlap:\n0 1 2 3\nnormallap:\n0 1 2 3\n";

// One small sphere: the gate statues' collision shape.
const char* const GATE_SHAPE = "1\n0 1 0\n0.5 0.8 1000 10\n";

std::string ripemd160_hex(const std::string& bytes) {
    ripemd160_ctx ctx;
    ripemd160_init(&ctx);
    ripemd160_update(&ctx, bytes.size(), (const uint8_t*)bytes.data());
    uint8_t out[RIPEMD160_DIGEST_SIZE];
    ripemd160_digest(&ctx, sizeof out, out);
    std::string text;
    char two[3];
    for (uint8_t b : out) {
        snprintf(two, sizeof two, "%02x", b);
        text += two;
    }
    return text;
}

std::string hex(const uint8_t digest[TRACK_DIGEST_BYTES]) {
    LoadedTrack t;
    track_init(&t);
    memcpy(t.digest, digest, TRACK_DIGEST_BYTES);
    return track_digest_text(&t);
}

// The roster's permutation for a calendar second, drawn as a race server
// would: n from 79 down to 1 swaps with (r div 65536) mod n.
std::vector<int> roster_permutation(long long second) {
    std::mt19937 random((uint32_t)second);
    std::vector<int> order(ROBOT_ROSTER_SIZE);
    for (int i = 0; i < ROBOT_ROSTER_SIZE; i++) order[i] = i;
    for (int n = ROBOT_ROSTER_SIZE - 1; n >= 1; n--) {
        const uint32_t r = random();
        std::swap(order[n], order[(r >> 16) % (uint32_t)n]);
    }
    return order;
}

bool bike_holds(const std::string& bike, const char* part) { return bike.find(part) != std::string::npos; }

// A private data home with small tracks in its game folder, a physics scene
// and a race session on it.
class RaceReset : public ::testing::Test {
protected:
    TestDataHome home;
    physics_scene* scene = nullptr;
    RaceSession session;
    std::vector<std::string> messages;

    void SetUp() override {
        set_message_sink(collect_message, &messages);
        player_setup_startup();
        scene = scene_create(nullptr);
        ASSERT_NE(scene, nullptr);
        race_session_init(&session, scene, nullptr);
    }
    void TearDown() override {
        race_session_free(&session);
        scene_destroy(scene);
        shape_cache_free();  // the shape cache is keyed by data name, and the next test has other files
        set_message_sink(nullptr, nullptr);
    }

    // A flat 256 ft track at GROUND (a 65 x 65 grid, 4 ft apart) with one
    // surface, the loop's gates and the gate shape.
    void make_track(const std::string& name, const char* gates = LOOP_GATES) {
        Terrain* t = terrain_create(5, 4, GROUND);
        ASSERT_NE(t, nullptr);
        ASSERT_TRUE(save_terrain(t, (home.game_dir + name).c_str()));
        terrain_free(t);
        home.write_game(name + "/tileinfo", "addtile\n");
        if (gates) home.write_game(name + "/timing_gates", gates);
        home.write_game("startgate.shp", GATE_SHAPE);
    }

    bool reset(const int* lineup, const char* track = "loop", long long second = 1700000000, bool reload = false,
               int laps = 3) {
        const RaceRequest request = {lineup, track, nullptr, 0, laps, 0, reload};
        return race_reset(&session, request, second);
    }

    Race& race() { return session.race; }
    Rider* rider(int slot) { return scene->slots->slot[slot].rider; }
    int rider_count() {
        int n = 0;
        for (const rider_slot& s : scene->slots->slot) n += s.rider != nullptr;
        return n;
    }
    const dReal* frame(int slot) { return dBodyGetPosition(rider(slot)->bike.body[BODY_FRAME]); }
};

}  // namespace

// ---- placement -------------------------------------------------------------------

TEST(RaceStartPlacement, WithoutSlotsAndInRowsBehindTheSlots) {
    TimingGates none;
    timing_gates_clear(&none);
    TimingGates two;
    timing_gates_clear(&two);
    two.slots.push_back(StartSlot{{10, 0, 20}, 0, "", "", "", -1});
    two.slots.push_back(StartSlot{{50, 0, 60}, (float)M_PI / 2, "", "", "", -1});
    struct {
        const char* name;
        const TimingGates* gates;
        int k;
        float x, z, yaw;
    } cases[] = {
        {"no slots: first slot in the middle", &none, 0, 128, 128, 0},
        {"no slots: 5 ft apart along x", &none, 3, 143, 128, 0},
        {"row 0 stands 0.625 ft behind its slot", &two, 0, 10, 20.625f, 0},
        {"row 0 of a slot facing -x stands behind in +x", &two, 1, 50.625f, 60, (float)M_PI / 2},
        {"row 1 is 10 ft further back", &two, 2, 10, 30.625f, 0},
        {"row 2 of the second slot", &two, 5, 70.625f, 60, (float)M_PI / 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float x, z, yaw;
        race_start_placement(c.gates, 256, c.k, &x, &z, &yaw);
        EXPECT_NEAR(x, c.x, 1e-4f);
        EXPECT_NEAR(z, c.z, 1e-4f);
        EXPECT_FLOAT_EQ(yaw, c.yaw);
    }
}

TEST(RacePlaceBike, GridVertexBelowThenRaisedQuarterFeetUntilClear) {
    // A flat ground at 0 with one vertex (3, 5) raised to 10 ft.
    Terrain* ground = terrain_create(4, 2, 0);
    ASSERT_NE(ground, nullptr);
    terrain_set_height(ground, 3, 5, 10);
    scene_params params = scene_default_params();
    params.ground = ground;
    physics_scene* scene = scene_create(&params);
    ASSERT_NE(scene, nullptr);
    const BikeInfo* info = find_bike_info("crf250(2008)");
    ASSERT_NE(info, nullptr);
    Rider* r = rider_create(scene->slots, 0, RIDER_LOCAL, &scene->world, info, nullptr, true, nullptr);
    ASSERT_NE(r, nullptr);
    rider_reset(r);
    double pose[3];
    for (int i = 0; i < 3; i++) pose[i] = dBodyGetPosition(r->bike.body[BODY_FRAME])[i];

    struct {
        const char* name;
        float x, z;
        bool is_on_spike;
    } cases[] = {
        {"open ground", 20, 20, false},
        // 7.9 / 2 and 11.9 / 2 truncate to vertex (3, 5); the ground under the
        // wheels there is below 1 ft, so the bike is clear at once.
        {"truncated onto the raised vertex", 7.9f, 11.9f, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        race_place_bike(scene, ground, r, c.x, c.z, 0);
        const dReal* p = dBodyGetPosition(r->bike.body[BODY_FRAME]);
        EXPECT_NEAR(p[0] - pose[0], c.x, 1e-5);
        EXPECT_NEAR(p[2] - pose[2], c.z, 1e-5);
        const double lift = p[1] - pose[1];
        if (c.is_on_spike) {
            EXPECT_DOUBLE_EQ(lift, 10);
            continue;
        }
        // Raised from the vertex height in whole quarter feet, and no further than needed.
        EXPECT_GT(lift, 0);
        EXPECT_NEAR(lift / 0.25, round(lift / 0.25), 1e-9);
        EXPECT_FALSE(collide_rider_touches(&scene->contacts, r));
        const double down[3] = {0, -0.25, 0};
        bike_body_move(&r->bike, down);
        EXPECT_TRUE(collide_rider_touches(&scene->contacts, r));
    }
    scene_destroy(scene);
    terrain_free(ground);
}

// ---- the line-up -----------------------------------------------------------------

TEST_F(RaceReset, OnlyTheFirstHumanRides) {
    make_track("loop");
    int lineup[RIDER_SLOTS] = {};
    lineup[3] = lineup[5] = lineup[9] = LINEUP_HUMAN;
    ASSERT_TRUE(reset(lineup));
    EXPECT_EQ(race().local_slot, 3);
    EXPECT_EQ(scene->slots->local_slot, 3);
    EXPECT_EQ(session.viewed_slot, 3);
    EXPECT_EQ(race().lineup[5], LINEUP_EMPTY);
    EXPECT_EQ(race().lineup[9], LINEUP_EMPTY);
    EXPECT_EQ(rider_count(), 1);
    ASSERT_NE(rider(3), nullptr);
    EXPECT_EQ(race().entrant[3].kind, KIND_LOCAL);
    EXPECT_FALSE(race().entrant[5].is_present);
    // The player's start for the false start test is where its bike was put.
    for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(race().start_position[i], (float)frame(3)[i]);
}

TEST_F(RaceReset, TypedRobotsTakeMatchingBikesWhileAnyAreLeft) {
    make_track("loop");
    int with_250 = 0, with_125 = 0;
    for (int i = 0; i < ROBOT_ROSTER_SIZE; i++) {
        with_250 += bike_holds(robot_roster_entry(i).bike, "250");
        with_125 += bike_holds(robot_roster_entry(i).bike, "125");
    }
    ASSERT_EQ(with_250, 60);
    ASSERT_EQ(with_125, 20);
    struct {
        const char* name;
        int code, matching;
        const char *part, *other;
    } cases[] = {
        {"4 stroke", LINEUP_ROBOT_4_STROKE, with_250, "250", "125"},
        {"2 stroke", LINEUP_ROBOT_2_STROKE, with_125, "125", "250"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int lineup[RIDER_SLOTS] = {};
        for (int k = 0; k <= c.matching; k++) lineup[k] = c.code;
        ASSERT_TRUE(reset(lineup));
        std::set<std::string> numbers;
        for (int k = 0; k <= c.matching; k++) {
            SCOPED_TRACE(k);
            ASSERT_TRUE(race().entrant[k].is_present);
            EXPECT_EQ(race().entrant[k].kind, KIND_ROBOT);
            numbers.insert(race().entrant[k].number);
            // Every matching entry is used up first; the one after them takes
            // whoever comes next, which can only be of the other kind.
            EXPECT_TRUE(bike_holds(race().entrant[k].bike, k < c.matching ? c.part : c.other))
                << race().entrant[k].bike;
        }
        EXPECT_EQ((int)numbers.size(), c.matching + 1) << "a roster entry rode twice";
    }
}

TEST_F(RaceReset, TypedRobotIsTheLastMatchingEntryOfThePermutation) {
    make_track("loop");
    const long long second = 1234567890;
    const std::vector<int> order = roster_permutation(second);
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_ROBOT_2_STROKE;
    lineup[1] = LINEUP_ROBOT;
    ASSERT_TRUE(reset(lineup, "loop", second));
    int last = ROBOT_ROSTER_SIZE - 1;
    while (!bike_holds(robot_roster_entry(order[last]).bike, "125")) last--;
    EXPECT_EQ(race().entrant[0].number, robot_roster_entry(order[last]).number);
    // It was swapped to the front: the plain robot after it is the second entry,
    // or the first one when that is where the 2 stroke came from.
    const int next = last == 1 ? order[0] : order[1];
    EXPECT_EQ(race().entrant[1].number, robot_roster_entry(next).number);
}

TEST_F(RaceReset, NumberedRobotsAndRefusedCodes) {
    make_track("loop");
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_NUMBERED + 42;
    lineup[1] = LINEUP_REMOTE;  // offline there is nobody to describe it
    lineup[2] = 6;
    lineup[3] = 999;
    lineup[4] = -1;
    lineup[5] = LINEUP_NUMBERED + 42;  // already riding: someone else
    lineup[6] = LINEUP_NUMBERED + 99;
    ASSERT_TRUE(reset(lineup));
    EXPECT_EQ(race().entrant[0].number, "42");
    EXPECT_EQ(race().entrant[0].kind, KIND_ROBOT);
    for (int k : {1, 2, 3, 4}) {
        SCOPED_TRACE(k);
        EXPECT_FALSE(race().entrant[k].is_present);
        EXPECT_EQ(rider(k), nullptr);
    }
    ASSERT_TRUE(race().entrant[5].is_present);
    EXPECT_NE(race().entrant[5].number, "42");
    EXPECT_EQ(race().entrant[6].number, "99");
    EXPECT_EQ(race().local_slot, NO_LOCAL_RIDER);
    EXPECT_EQ(session.viewed_slot, 0);
}

TEST_F(RaceReset, RosterPermutationFollowsTheCalendarSecond) {
    make_track("loop");
    int lineup[RIDER_SLOTS] = {};
    for (int k = 0; k < ROBOT_ROSTER_SIZE; k++) lineup[k] = LINEUP_ROBOT;
    lineup[ROBOT_ROSTER_SIZE] = LINEUP_ROBOT;  // the roster is used up: the slot stays empty
    auto numbers_for = [&](long long second) {
        std::vector<std::string> numbers;
        EXPECT_TRUE(reset(lineup, "loop", second));
        for (int k = 0; k < ROBOT_ROSTER_SIZE; k++) numbers.push_back(race().entrant[k].number);
        EXPECT_FALSE(race().entrant[ROBOT_ROSTER_SIZE].is_present);
        return numbers;
    };
    const long long second = 1700000123;
    const std::vector<std::string> first = numbers_for(second);
    const std::vector<int> order = roster_permutation(second);
    for (int k = 0; k < ROBOT_ROSTER_SIZE; k++) {
        SCOPED_TRACE(k);
        EXPECT_EQ(first[k], robot_roster_entry(order[k]).number);
    }
    EXPECT_EQ(numbers_for(second), first);
    EXPECT_NE(numbers_for(second + 1), first);
    EXPECT_GE(race().gate_drop_tick, 13 * TICKS_PER_SECOND);
    EXPECT_LT(race().gate_drop_tick, 15 * TICKS_PER_SECOND);
    EXPECT_EQ(race().now, 0);
}

TEST_F(RaceReset, BikesStandBehindTheirSlotsAndClearOfTheGround) {
    make_track("loop");
    int lineup[RIDER_SLOTS] = {};
    for (int k : {0, 7, 8, 23}) lineup[k] = LINEUP_ROBOT;
    ASSERT_TRUE(reset(lineup));
    ASSERT_EQ(session.track.gates.slots.size(), 8u);
    for (int k : {0, 7, 8, 23}) {
        SCOPED_TRACE(k);
        ASSERT_NE(rider(k), nullptr);
        float x, z, yaw;
        race_start_placement(&session.track.gates, session.track.terrain->size, k, &x, &z, &yaw);
        // Each bike is within a bike's length of its start position, behind
        // the slot line (+z here), and touches nothing.
        const dReal* p = frame(k);
        EXPECT_LT(hypot(p[0] - x, p[2] - z), 4);
        EXPECT_GT(p[2], 40);
        EXPECT_FALSE(collide_rider_touches(&scene->contacts, rider(k)));
    }
    // Row 1 stands 10 ft behind row 0, row 2 another 10 ft.
    EXPECT_NEAR(frame(8)[2] - frame(0)[2], 10, 1e-4);
    EXPECT_NEAR(frame(23)[2] - frame(7)[2], 20, 1e-4);
}

// ---- the track: loaded, kept, reloaded ----------------------------------------------

TEST_F(RaceReset, SameTrackKeepsItsDeformationAnotherOrAReloadLoadsAfresh) {
    make_track("loop");
    make_track("other");
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_HUMAN;
    ASSERT_TRUE(reset(lineup));
    Terrain* ground = session.track.terrain;
    ASSERT_NE(ground, nullptr);
    EXPECT_EQ(scene->contacts.ground, ground);
    const int v = 10 + ground->dim * 50;  // away from the bikes
    auto rut = [&] { terrain_set_height(session.track.terrain, 10, 50, GROUND - 1.5f); };
    rut();

    struct {
        const char* name;
        const char* track;
        bool reload, is_kept;
    } steps[] = {
        {"the same track is kept, rut and all", "loop", false, true},
        {"a reload loads it afresh", "loop", true, false},
        {"another track", "other", false, false},
        {"and back", "loop", false, false},
    };
    for (const auto& c : steps) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(reset(lineup, c.track, 1700000000, c.reload));
        ASSERT_TRUE(track_is_loaded(&session.track));
        EXPECT_EQ(session.track.folder, c.track);
        EXPECT_EQ(scene->contacts.ground, session.track.terrain);
        EXPECT_FLOAT_EQ(session.track.terrain->heights[v], c.is_kept ? GROUND - 1.5f : GROUND);
        EXPECT_EQ(session.track.gates.slots.size(), 8u);
        EXPECT_EQ(rider_count(), 1);
        rut();
    }
}

TEST_F(RaceReset, FailedTerrainLoadLeavesNoTrack) {
    make_track("loop");
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_HUMAN;
    lineup[1] = LINEUP_ROBOT;
    ASSERT_TRUE(reset(lineup));
    ASSERT_EQ(rider_count(), 2);

    EXPECT_FALSE(reset(lineup, "nowhere"));
    EXPECT_FALSE(track_is_loaded(&session.track));
    EXPECT_TRUE(session.track.folder.empty());
    EXPECT_EQ(scene->contacts.ground, nullptr);
    EXPECT_EQ(rider_count(), 0);
    EXPECT_EQ(race().local_slot, NO_LOCAL_RIDER);
    EXPECT_EQ(scene->slots->local_slot, NO_LOCAL_RIDER);
    EXPECT_EQ(session.viewed_slot, NO_LOCAL_RIDER);
    // Asked for again, the missing track is tried again, and a good one loads.
    EXPECT_FALSE(reset(lineup, "nowhere"));
    ASSERT_TRUE(reset(lineup));
    EXPECT_EQ(rider_count(), 2);
}

// ---- practice --------------------------------------------------------------------

TEST_F(RaceReset, PracticeStartsAfterTheDropAtTheGateBeforeTheFinish) {
    make_track("loop");
    ASSERT_TRUE(reset(nullptr));
    EXPECT_TRUE(race().is_practice);
    EXPECT_EQ(race().lineup[0], LINEUP_HUMAN);
    for (int k = 1; k < RIDER_SLOTS; k++) ASSERT_EQ(race().lineup[k], LINEUP_EMPTY) << k;
    EXPECT_EQ(rider_count(), 1);
    EXPECT_EQ(race().local_slot, 0);
    EXPECT_EQ(race().now, 300 * TICKS_PER_SECOND);
    EXPECT_LT(race().gate_drop_tick + RACE_GATE_COLLIDE_TICKS, race().now);
    EXPECT_EQ(race().last_lap_ticks, 0);
    EXPECT_EQ(race().best_lap_ticks, 0);
    for (float open : race().gate_openness) EXPECT_EQ(open, 0) << "a time trial's gates lie down";

    // E = 4: the gate of step 1 (checkpoint 1 at (216, 128), heading +z).
    EXPECT_EQ(race().entrant[0].timing.steps, 1);
    const dReal* p = frame(0);
    EXPECT_LT(hypot(p[0] - 216, p[2] - 128), 4);
    const dReal* R = dBodyGetRotation(rider(0)->bike.body[BODY_FRAME]);
    // Forwards is the frame's -z axis: column 2 of the row-major 3 x 4 matrix.
    EXPECT_NEAR(-R[2], 0, 1e-6);
    EXPECT_NEAR(-R[10], 1, 1e-6);
    EXPECT_FALSE(collide_rider_touches(&scene->contacts, rider(0)));

    // A practice reset after a race: the robots are gone, the count starts late again.
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = lineup[1] = LINEUP_ROBOT;
    lineup[2] = LINEUP_HUMAN;
    ASSERT_TRUE(reset(lineup));
    ASSERT_TRUE(reset(nullptr));
    EXPECT_EQ(rider_count(), 1);
    EXPECT_EQ(race().local_slot, 0);
    EXPECT_EQ(race().now, 300 * TICKS_PER_SECOND);
}

namespace {

// Puts the practice rider 6 ft past checkpoint `gate`, facing its way, and
// runs `ticks` race ticks there; returns the tick of the first.
int ride_past(RaceSession* s, int gate, int ticks = 1) {
    const Checkpoint& c = s->track.gates.checkpoints[gate];
    Rider* r = s->scene->slots->slot[s->race.local_slot].rider;
    race_place_bike(s->scene, s->track.terrain, r, c.centre[0] + 6 * c.direction[0], c.centre[2] + 6 * c.direction[2],
                    atan2f(-c.direction[0], -c.direction[2]));
    const int first = s->race.now;
    for (int i = 0; i < ticks; i++) race_tick(&s->race);
    return first;
}

}  // namespace

TEST_F(RaceReset, PracticeLapsAreTimedFinishLineToFinishLine) {
    make_track("loop");
    ASSERT_TRUE(reset(nullptr));
    Race& r = race();
    const RiderTiming& timing = r.entrant[0].timing;
    const int finish = 3;  // E - 1

    // The first lap ends at the finish line: nothing to time yet, and the
    // count goes back to the finish line so the next lap starts there.
    ride_past(&session, 1);
    ride_past(&session, 2, 40);
    const int start = ride_past(&session, 3);
    EXPECT_EQ(timing.steps, finish + 1);
    EXPECT_EQ(timing_passage(&timing, finish), start);
    EXPECT_EQ(r.last_lap_ticks, 0);
    EXPECT_EQ(r.best_lap_ticks, 0);

    struct {
        const char* name;
        int wait;  // ticks spent at each gate
    } laps[] = {{"a first timed lap", 100}, {"a slower lap keeps the best", 150}, {"a faster lap is the best", 50}};
    int best = 0;
    int lap_start = start;
    for (const auto& c : laps) {
        SCOPED_TRACE(c.name);
        for (int gate = 0; gate < 3; gate++) ride_past(&session, gate, c.wait);
        const int end = ride_past(&session, 3);
        // Timed from one crossing of the finish line to the next.
        EXPECT_EQ(r.last_lap_ticks, end - lap_start);
        if (best == 0 || end - lap_start < best) best = end - lap_start;
        EXPECT_EQ(r.best_lap_ticks, best);
        EXPECT_EQ(timing.steps, finish + 1);
        EXPECT_EQ(timing_passage(&timing, finish), end);
        EXPECT_FALSE(timing.is_finished);
        lap_start = end;
    }
}

// ---- the track digest ------------------------------------------------------------

TEST(TrackDigest, AbcIsThePublishedRipemd160) {
    TempDir dir;
    dir.write("terrain.hf", "abc");
    uint8_t digest[TRACK_DIGEST_BYTES];
    track_compute_digest(dir.path.c_str(), nullptr, digest, nullptr, nullptr);
    EXPECT_EQ(hex(digest), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");
    EXPECT_EQ(ripemd160_hex("abc"), "8eb208f7e05d987a9b044a8e98c6b087f15a0bfc");  // and so the other digest tests' own hashing
}

TEST(TrackDigest, FilesInTrackOrderCompressedOnesInflated) {
    // Written in another order than they are digested; files outside the list
    // ("lighting", "lines_novice") do not count.
    const char* const order[] = {"terrain.hf", "terrain.png", "texturelist", "tilemap",
                                 "tileinfo",   "nofrills.js", "timing_gates", "statues"};
    struct {
        const char* name;
        const char* gzipped;  // this file written as ".gz"; null: none
        const char* missing;  // this file left out; null: none
    } cases[] = {
        {"all plain", nullptr, nullptr},
        {"tileinfo compressed", "tileinfo", nullptr},
        {"terrain.hf compressed", "terrain.hf", nullptr},
        {"statues missing", nullptr, "statues"},
        {"terrain.hf missing", nullptr, "terrain.hf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        std::string want;
        dir.write("lighting", "sun 0 1 0\n");
        dir.write("lines_novice", "lines");
        for (int i = 7; i >= 0; i--) {
            const std::string content = std::string(order[i]) + " content " + std::to_string(i) + "\n";
            if (c.missing && strcmp(c.missing, order[i]) == 0) continue;
            if (c.gzipped && strcmp(c.gzipped, order[i]) == 0) dir.write(std::string(order[i]) + ".gz", make_gzip(content));
            else dir.write(order[i], content);
        }
        for (int i = 0; i < 8; i++)
            if (!c.missing || strcmp(c.missing, order[i]) != 0)
                want += std::string(order[i]) + " content " + std::to_string(i) + "\n";
        uint8_t digest[TRACK_DIGEST_BYTES];
        int ticks = 0;
        track_compute_digest(dir.path.c_str(), nullptr, digest, [](void* self) { ++*(int*)self; }, &ticks);
        EXPECT_EQ(hex(digest), ripemd160_hex(want));
        EXPECT_GT(ticks, 0);
    }
}

TEST(TrackDigest, StatueShapesOnceEachInStatueOrder) {
    TempDir dir;
    dir.write("terrain.hf", "H");
    dir.write("b.shp", "B");
    dir.write("a.shp", "A");
    statue_asset_ops none{};
    TrackStatues statues;
    statues_init(&statues, &none);
    const std::string a = dir.path + "/a.shp", b = dir.path + "/b.shp", gone = dir.path + "/gone.shp";
    for (const std::string* shape : {&b, &a, &b, &gone, &a})
        (void)statue_create(&statues, nullptr, 1, 0, 1, 0, "m.jm", "t.png", shape->c_str());
    uint8_t digest[TRACK_DIGEST_BYTES];
    track_compute_digest(dir.path.c_str(), &statues, digest, nullptr, nullptr);
    EXPECT_EQ(hex(digest), ripemd160_hex("HBA"));
    statues_free(&statues);
}

TEST_F(RaceReset, TrackLoadStoresTheDigestOfItsFiles) {
    make_track("loop");
    home.write_game("loop/statues", "[60 0 60] 0 @post.jm @post.png @post.shp\n");
    home.write_game("post.shp", "1\n0 2 0\n1 0.8 1000 10\n");
    ASSERT_TRUE(reset(nullptr));
    uint8_t digest[TRACK_DIGEST_BYTES];
    track_compute_digest("loop", &session.track.statues, digest, nullptr, nullptr);
    EXPECT_EQ(track_digest_text(&session.track), hex(digest));
    // The statue's and the gates' shapes are in it: both change the digest.
    std::string files;
    for (const char* f : {"terrain.hf", "terrain.png", "tilemap", "tileinfo", "timing_gates", "statues"})
        files += home.dir.read("data/loop/" + std::string(f));
    EXPECT_NE(hex(digest), ripemd160_hex(files));
    EXPECT_EQ(hex(digest), ripemd160_hex(files + GATE_SHAPE + "1\n0 2 0\n1 0.8 1000 10\n"));
}

// ---- the log ---------------------------------------------------------------------

TEST_F(RaceReset, LogsItsStepsAndTheLongestLoadingDelay) {
    make_track("loop");
    make_track("other");
    int lineup[RIDER_SLOTS] = {};
    lineup[0] = LINEUP_HUMAN;
    struct {
        const char* name;
        const char* track;
        bool is_track_freed;
    } cases[] = {
        {"first load", "loop", false},
        {"same track", "loop", false},
        {"another track", "other", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = false;
        const std::string text = capture_log(home.dir, [&] { ok = reset(lineup, c.track); });
        ASSERT_TRUE(ok);
        std::vector<size_t> at;
        for (const char* line : {"] Resetting\n", "] Deallocating bikes\n", "] Finished deallocating bikes\n",
                                 "] Max loading delay was "}) {
            at.push_back(text.find(line));
            EXPECT_NE(at.back(), std::string::npos) << line << " in\n" << text;
        }
        EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << text;
        EXPECT_EQ(text.find("Deallocating track\n") != std::string::npos, c.is_track_freed) << text;
        EXPECT_TRUE(std::regex_search(text, std::regex(R"(Max loading delay was [0-9]+\.[0-9]{6} \([^)\n]*\)\n)")))
            << text;
    }
}

TEST_F(RaceReset, PracticeNeverEndsOnTheLapsOfTheRaceSettings) {
    make_track("loop");
    for (int laps : {0, 1, 2}) {
        SCOPED_TRACE(laps);
        ASSERT_TRUE(reset(nullptr, "loop", 1700000000, false, laps));
        for (int lap = 0; lap < 3; lap++) {
            for (int gate : {lap == 0 ? 1 : 0, 1, 2, 3}) ride_past(&session, gate, 20);
            EXPECT_FALSE(race().entrant[0].timing.is_finished);
            EXPECT_FALSE(race().is_results_final);
        }
        EXPECT_GT(race().best_lap_ticks, 0);
        EXPECT_FALSE(home.dir.exists(TestDataHome::home_file("results.txt")));
    }
}
