#include "sim/world_tick.h"

#include <gtest/gtest.h>

#include <vector>

#include "crf250_fixture.h"
#include "sim/replay.h"
#include "sim/slots.h"

namespace {

struct Recorder {
    std::vector<int> queried;     // slots in wheel-query order
    std::vector<int> controlled;  // slots through the control step
    std::vector<int> robots;
    bool push_in_control = false;
    bool spring_in_contacts = false;
};

Recorder* as_recorder(void* self) { return (Recorder*)self; }

void make_contacts(void* self, rider_slots* slots, physics_world* w, int)
{
    if (!as_recorder(self)->spring_in_contacts) return;
    dBodyID frame = slots->slot[0].rider->bike.body[BODY_FRAME];
    const dReal* p = dBodyGetPosition(frame);
    const double at[3] = {p[0], p[1], p[2]}, up[3] = {0, 1, 0};
    physics_add_spring(w, frame, nullptr, at, up, 1.0, 5000, 500);
}

void wheel_query(void* self, Rider* r, int) { as_recorder(self)->queried.push_back(r->slot); }
void robot_step(void* self, Rider* r, int) { as_recorder(self)->robots.push_back(r->slot); }
void control_step(void* self, Rider* r, int)
{
    as_recorder(self)->controlled.push_back(r->slot);
    if (as_recorder(self)->push_in_control) dBodyAddForce(r->bike.body[BODY_FRAME], 0, 1e4, 0);
}

}  // namespace

TEST(WorldTick, RidersByTypeAndRotatingQueries)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    BikeInfo info = crf250_2008();
    rider_slots* slots = rider_slots_create();
    ASSERT_TRUE(slots);
    const int taken[] = {2, 7, 40};
    const int status[] = {RIDER_LOCAL, RIDER_ROBOT, RIDER_SHOWN};
    for (int i = 0; i < 3; i++) ASSERT_TRUE(rider_create(slots, taken[i], status[i], &tw.w, &info, nullptr, true, nullptr));
    Recorder rec;
    tick_ops ops = {nullptr, make_contacts, wheel_query, robot_step, control_step, nullptr, &rec};
    world_tick(&tw.w, slots, 4, &ops);  // 4 mod 3 riders: start at the second
    EXPECT_EQ(rec.queried, (std::vector<int>{7, 40, 2}));
    EXPECT_EQ(rec.robots, (std::vector<int>{7}));
    EXPECT_EQ(rec.controlled, (std::vector<int>{2, 40}));
    EXPECT_EQ(slots->slot[40].rider->bike.presence, 0);  // shown riders start absent
    // A bumped shown rider's presence falls by one tick per step; the others stay present.
    rider_presence_bump(slots->slot[40].rider);
    world_tick(&tw.w, slots, 5, &ops);
    EXPECT_FLOAT_EQ(slots->slot[40].rider->bike.presence, 1 - 1 / 128.0f);
    EXPECT_EQ(slots->slot[2].rider->bike.presence, 1);
    rider_slots_free(slots);
}

TEST(WorldTick, ForcesActNextTickAndContactsOnlyInTheirOwn)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    BikeInfo info = crf250_2008();
    rider_slots* slots = rider_slots_create();
    ASSERT_TRUE(slots);
    Rider* r = rider_create(slots, 0, RIDER_LOCAL, &tw.w, &info, nullptr, true, nullptr);
    ASSERT_TRUE(r);
    dBodyID frame = r->bike.body[BODY_FRAME];
    Recorder rec;
    tick_ops ops = {nullptr, make_contacts, nullptr, nullptr, control_step, nullptr, &rec};

    rec.push_in_control = true;
    world_tick(&tw.w, slots, 0, &ops);
    EXPECT_NEAR(dBodyGetLinearVel(frame)[1], -0.25, 1e-6);  // the push waits for the next step
    rec.push_in_control = false;
    world_tick(&tw.w, slots, 1, &ops);
    double v = dBodyGetLinearVel(frame)[1];
    EXPECT_GT(v, 0);

    rec.spring_in_contacts = true;
    world_tick(&tw.w, slots, 2, &ops);
    double after_spring = dBodyGetLinearVel(frame)[1];
    EXPECT_GT(after_spring - v, 0.1);  // pushed up against gravity
    rec.spring_in_contacts = false;
    world_tick(&tw.w, slots, 3, &ops);
    EXPECT_NEAR(dBodyGetLinearVel(frame)[1] - after_spring, -0.25, 1e-3);
    rider_slots_free(slots);
}
