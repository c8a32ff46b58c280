// Race reset and race tick speed on the generated "rabbithill". The reset
// of a 40-rider line-up from the call to its first tick, with the track to
// load and with the track kept, against the bare ground load; and the race
// tick with 1, 40 and 160 riders spread round the lap riding the course
// script. Reads the content the build generated (the build folder is the
// game data). Goals: a cold reset within 2x the ground load; at 160 riders
// a tick under 3.9 ms (2x real time) at no more than 1.15x the per-rider
// cost of a lone rider.
#include <benchmark/benchmark.h>
#include <math.h>

#include <string>
#include <vector>

#include "base/data_index.h"
#include "base/messages.h"
#include "base/ticks.h"
#include "race/reset.h"
#include "sim/bike_info.h"
#include "sim/robot_roster.h"
#include "sim/scene.h"
#include "sim/setup.h"
#include "sim/setup_params.h"
#include "support/course_driver.h"
#include "support/data_home.h"
#include "tools/content/track.h"
#include "track/terrain.h"

namespace {

void drop_message(const char*, void*) {}

// One script per slot: the line beside the centre line and the pace.
struct Script {
    CourseFollower follow;
    float lateral;   // ft left of the centre line
    double fastest;  // ft/s
};

// A race session on the generated content with every robot riding the
// course script through the race's robot hook.
struct RaceBench {
    TestDataHome home{RW_BINARY_DIR};
    physics_scene* scene = nullptr;
    RaceSession session;
    Course course;
    std::vector<Script> scripts;
    rider_input_settings input = {false, false};

    RaceBench()
    {
        file_list();
        set_message_sink(drop_message, nullptr);
        scene = scene_create(nullptr);
        race_session_init(&session, scene, nullptr);
        session.race.hooks.robot_step = robot_step;
        session.race.hooks.self = this;
        course = course_build(rabbithill_design().course);
        for (int k = 0; k < RIDER_SLOTS; k++) scripts.push_back({CourseFollower{&course}, 0, 46});
    }
    ~RaceBench()
    {
        race_session_free(&session);
        scene_destroy(scene);
        set_message_sink(nullptr, nullptr);
    }

    static void robot_step(void* self, Rider* r, int tick)
    {
        RaceBench* b = (RaceBench*)self;
        Script& s = b->scripts[r->slot];
        float channels[CHANNEL_COUNT];
        course_channels(r, &s.follow, s.fastest, s.lateral, channels);
        rider_apply_channels(r, channels, &b->input);
        scene_control_step(b->scene, r, tick);
    }

    bool reset(const int* lineup)
    {
        const RaceRequest request = {lineup, "rabbithill", "Rabbit Hill", 0, 3, 0, false};
        return race_reset(&session, request, 1700000000);
    }

    // A robot the line-up could not take (the roster holds 80), made as the
    // reset makes one.
    bool add_robot(int k)
    {
        const RobotRosterEntry& e = robot_roster_entry(k % ROBOT_ROSTER_SIZE);
        const BikeInfo* info = find_bike_info(bike_current_name(e.bike));
        if (!info) return false;
        RiderSetup setup;
        setup_init_defaults(&setup);
        setup_select_bike(&setup, info);
        RiderParams params;
        rider_params_from_setup(&params, &setup, info);
        if (!rider_create(scene->slots, k, RIDER_ROBOT, &scene->world, info, &params, true, nullptr)) return false;
        contact_load_shapes(&scene->contacts, k, info);
        RaceEntrant& entrant = session.race.entrant[k];
        entrant.is_present = true;
        entrant.kind = KIND_ROBOT;
        timing_clear(&entrant.timing);
        entrant.number = e.number;
        entrant.bike = info->model;
        return true;
    }

    // `riders` robots spread evenly round the lap on three lines, the race
    // under way (the gates down and no longer colliding), then ridden up to
    // speed.
    bool ride(int riders)
    {
        int lineup[RIDER_SLOTS] = {};
        for (int k = 0; k < riders && k < ROBOT_ROSTER_SIZE; k++) lineup[k] = LINEUP_ROBOT;
        if (!reset(lineup)) return false;
        for (int k = ROBOT_ROSTER_SIZE; k < riders; k++)
            if (!add_robot(k)) return false;
        Race& race = session.race;
        race.now = race.gate_drop_tick + RACE_GATE_COLLIDE_TICKS + TICKS_PER_SECOND;
        const int n = (int)course.samples.size();
        for (int k = 0; k < riders; k++) {
            Rider* r = scene->slots->slot[k].rider;
            if (!r) return false;
            const CourseSample& c = course.samples[(int)((k + 0.5) * n / riders) % n];
            Script& s = scripts[k];
            s.lateral = 5.0f * (k % 3 - 1);
            s.fastest = 40 + 2 * (k % 4);
            race_place_bike(scene, session.track.terrain, r, c.x + c.tz * s.lateral, c.z - c.tx * s.lateral,
                            atan2f(-c.tx, -c.tz));
        }
        for (int i = 0; i < 4 * TICKS_PER_SECOND; i++) race_tick(&race);
        return true;
    }

    int moving(int riders) const
    {
        int count = 0;
        for (int k = 0; k < riders; k++) {
            const Rider* r = scene->slots->slot[k].rider;
            count += r && r->crash_timer <= 0 && rider_ground_speed(r) > 10;
        }
        return count;
    }
};

// The 40-rider line-up: the player in slot 0 and 39 robots.
void forty(int lineup[RIDER_SLOTS])
{
    for (int k = 0; k < RIDER_SLOTS; k++) lineup[k] = k == 0 ? LINEUP_HUMAN : k < 40 ? LINEUP_ROBOT : LINEUP_EMPTY;
}

}  // namespace

// The reset with no track loaded: digest, lighting, ground, gates, statues,
// 40 bikes, then the first tick. (The files are in the page cache after the
// first round, and the bikes' models and textures are the drawing floor's.)
static void BM_RaceResetCold(benchmark::State& state)
{
    RaceBench b;
    int lineup[RIDER_SLOTS];
    forty(lineup);
    for (auto _ : state) {
        state.PauseTiming();
        race_session_free(&b.session);
        state.ResumeTiming();
        if (!b.reset(lineup)) {
            state.SkipWithError("rabbithill did not load: has the content target run?");
            return;
        }
        race_tick(&b.session.race);
    }
}
BENCHMARK(BM_RaceResetCold)->Unit(benchmark::kMillisecond);

// The reset on the loaded track: the last race's 40 bikes freed, 40 made.
static void BM_RaceResetSameTrack(benchmark::State& state)
{
    RaceBench b;
    int lineup[RIDER_SLOTS];
    forty(lineup);
    if (!b.reset(lineup)) {
        state.SkipWithError("rabbithill did not load: has the content target run?");
        return;
    }
    for (auto _ : state) {
        if (!b.reset(lineup)) {
            state.SkipWithError("the reset failed");
            return;
        }
        race_tick(&b.session.race);
    }
}
BENCHMARK(BM_RaceResetSameTrack)->Unit(benchmark::kMillisecond);

// The ground alone, as the reset builds it (no images).
static void BM_RabbithillTerrainLoad(benchmark::State& state)
{
    TestDataHome home{RW_BINARY_DIR};
    file_list();
    for (auto _ : state) {
        Terrain* t = terrain_load("rabbithill", TerrainLoadParams{});
        if (!t) {
            state.SkipWithError("rabbithill did not load: has the content target run?");
            return;
        }
        terrain_free(t);
    }
}
BENCHMARK(BM_RabbithillTerrainLoad)->Unit(benchmark::kMillisecond);

// One race tick with riders spread round the lap; the course script is the
// robots' stand-in and is counted with them.
static void BM_RaceTick(benchmark::State& state)
{
    const int riders = (int)state.range(0);
    RaceBench b;
    if (!b.ride(riders)) {
        state.SkipWithError("the riders could not be set up: has the content target run?");
        return;
    }
    for (auto _ : state) race_tick(&b.session.race);
    state.counters["us_per_rider_tick"] = benchmark::Counter(
        (double)state.iterations() * riders, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["x_real_time"] = benchmark::Counter((double)state.iterations() * TICK, benchmark::Counter::kIsRate);
    state.counters["riding"] = b.moving(riders);
}
BENCHMARK(BM_RaceTick)->Arg(1)->Arg(40)->Arg(160)->Unit(benchmark::kMicrosecond);
