// The physics scene's own wiring: which rider gets which step, the control
// channels to a slot, and a scene with no track. The riding itself is
// measured by the riding, rider and ground scene tests, which step it.
#include "sim/scene.h"

#include <gtest/gtest.h>
#include <math.h>

#include <vector>

#include "crf250_params.h"

namespace {

struct Recorder {
    physics_scene* scene = nullptr;
    std::vector<int> replayed_ticks;
    std::vector<int> robots, stepped, after;  // slots, in call order
};

Recorder* as_recorder(void* self) { return (Recorder*)self; }

scene_hooks recording_hooks(Recorder* rec)
{
    scene_hooks h = {};
    h.show_replayed = [](void* self, rider_slots*, int tick) { as_recorder(self)->replayed_ticks.push_back(tick); };
    h.robot_step = [](void* self, Rider* r, int tick) {
        as_recorder(self)->robots.push_back(r->slot);
        scene_control_step(as_recorder(self)->scene, r, tick);
    };
    h.after_control = [](void* self, Rider* r, int) { as_recorder(self)->after.push_back(r->slot); };
    h.self = rec;
    return h;
}

Rider* add_rider(physics_scene* s, int slot, int status)
{
    const BikeInfo* info = crf250_row();
    RiderParams params = default_params(info);
    return rider_create(s->slots, slot, status, &s->world, info, &params, true, nullptr);
}

}  // namespace

TEST(Scene, HooksAndStepsReachTheirRiders)
{
    Recorder rec;
    scene_params params = scene_default_params();
    params.hooks = recording_hooks(&rec);
    physics_scene* s = scene_create(&params);
    ASSERT_NE(s, nullptr);
    rec.scene = s;
    ASSERT_TRUE(add_rider(s, 5, RIDER_LOCAL));
    ASSERT_TRUE(add_rider(s, 3, RIDER_ROBOT));
    s->steps = rider_step_ops{};
    s->steps.fall_mark = [](void* self, Rider* r, int) { as_recorder(self)->stepped.push_back(r->slot); };
    s->steps.self = &rec;

    scene_step(s);
    scene_step(s);
    EXPECT_EQ(s->tick, 2);
    EXPECT_EQ(rec.replayed_ticks, (std::vector<int>{0, 1}));
    // The robot's own step ends with the scene's controls-to-forces step.
    EXPECT_EQ(rec.robots, (std::vector<int>{3, 3}));
    EXPECT_EQ(rec.stepped, (std::vector<int>{3, 5, 3, 5}));
    EXPECT_EQ(rec.after, (std::vector<int>{5, 5}));
    scene_destroy(s);
}

TEST(Scene, ChannelsGoToTheSlotsRider)
{
    physics_scene* s = scene_create(nullptr);
    ASSERT_NE(s, nullptr);
    Rider* r = add_rider(s, 7, RIDER_LOCAL);
    ASSERT_NE(r, nullptr);
    float channels[CHANNEL_COUNT] = {};
    channels[CHANNEL_THROTTLE] = 0.75f;
    channels[CHANNEL_SHIFT] = 1;
    const rider_input_settings input = {false, false};
    struct {
        const char* name;
        int slot;
        bool want;
    } cases[] = {{"empty slot", 6, false}, {"below the slots", -1, false}, {"past the slots", RIDER_SLOTS, false},
                 {"the rider's slot", 7, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scene_apply_channels(s, c.slot, channels, &input), c.want);
    }
    EXPECT_FLOAT_EQ(r->controls.throttle, 0.75f);
    EXPECT_EQ(r->controls.shift, 1);
    scene_destroy(s);
}

// The program's scene exists before any track: a rider stepped by the whole
// rider model falls freely (flat ground at 0 is only the rider model's guess).
TEST(Scene, WithoutGroundARiderFallsFreely)
{
    physics_scene* s = scene_create(nullptr);
    ASSERT_NE(s, nullptr);
    Rider* r = add_rider(s, 0, RIDER_LOCAL);
    ASSERT_NE(r, nullptr);
    const double y0 = dBodyGetPosition(r->bike.body[BODY_FRAME])[1];
    for (int t = 0; t < 128; t++) scene_step(s);
    const double fallen = y0 - dBodyGetPosition(r->bike.body[BODY_FRAME])[1];
    EXPECT_NEAR(fallen, 16, 0.5);  // 1/2 g t^2 after one second
    EXPECT_EQ(r->bike.wheel[0].depth, 0);
    EXPECT_EQ(r->bike.wheel[1].depth, 0);
    scene_destroy(s);
}
