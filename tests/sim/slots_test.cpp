#include "sim/slots.h"

#include <gtest/gtest.h>

#include "crf250_fixture.h"

TEST(RiderSlots, CreateRefusesBadSlotsAndRows)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    BikeInfo info = crf250_2008();
    BikeInfo broken = crf250_2008();
    broken.frame_box[0] = 0;
    rider_slots* table = rider_slots_create();
    ASSERT_TRUE(table);
    rider_slots& slots = *table;
    EXPECT_EQ(slots.local_slot, NO_LOCAL_RIDER);
    EXPECT_EQ(slots.history[159].entry[0].tick, -1);

    struct {
        const char* name;
        int slot;
        const BikeInfo* row;
        bool made;
    } cases[] = {
        {"first slot", 0, &info, true},
        {"last slot", 159, &info, true},
        {"slot taken", 0, &info, false},
        {"past the table", 160, &info, false},
        {"negative", -1, &info, false},
        {"row without a mass model", 5, &broken, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rider* r = rider_create(&slots, c.slot, RIDER_ROBOT, &tw.w, c.row, nullptr, true, nullptr);
        EXPECT_EQ(r != nullptr, c.made);
        if (r) {
            EXPECT_EQ(slots.slot[c.slot].rider, r);
            EXPECT_EQ(r->slot, c.slot);
        }
    }
    EXPECT_EQ(slots.slot[5].rider, nullptr);
    EXPECT_EQ(slots.slot[5].status, RIDER_UNUSED);
    EXPECT_EQ(slots.local_slot, NO_LOCAL_RIDER);  // only robots so far
    ASSERT_TRUE(rider_create(&slots, 9, RIDER_LOCAL, &tw.w, &info, nullptr, true, nullptr));
    EXPECT_EQ(slots.local_slot, 9);
    rider_destroy(&slots, 9);
    EXPECT_EQ(slots.local_slot, NO_LOCAL_RIDER);
    rider_slots_destroy_all(&slots);
    for (const rider_slot& s : slots.slot) {
        EXPECT_EQ(s.rider, nullptr);
        EXPECT_EQ(s.status, RIDER_UNUSED);
    }
    rider_slots_free(table);
}

TEST(RiderSlots, ParamsRemassAndResetClearsRiderState)
{
    TestWorld tw;
    ASSERT_TRUE(tw.ok);
    BikeInfo info = crf250_2008();
    rider_slots* table = rider_slots_create();
    ASSERT_TRUE(table);
    rider_slots& slots = *table;
    RiderParams params = {};
    params.rider_mass_split = 0.45f;
    Rider* r = rider_create(&slots, 3, RIDER_LOCAL, &tw.w, &info, &params, true, nullptr);
    ASSERT_TRUE(r);
    dMass m;
    dBodyGetMass(r->bike.body[BODY_RIDER], &m);
    EXPECT_NEAR(m.mass, 4.6875 * 0.45, 1e-5);

    r->controls.throttle = 1;
    r->controls.gear = 3;
    r->crash_timer = 200;
    r->dab_amount = 0.5f;
    r->engine_speed = 900;
    r->bike.wheel[1].depth = 0.1f;
    bike_body_detach_rider(&r->bike);
    bike_body_set_presence(&r->bike, 0);
    rider_reset(r);
    EXPECT_EQ(r->controls.throttle, 0);
    EXPECT_EQ(r->controls.gear, 0);
    EXPECT_EQ(r->crash_timer, 0);
    EXPECT_EQ(r->dab_amount, 0);
    EXPECT_EQ(r->engine_speed, 0);
    EXPECT_EQ(r->bike.wheel[1].depth, 0);
    EXPECT_TRUE(r->bike.is_rider_attached);
    EXPECT_EQ(r->bike.presence, 1);
    rider_slots_free(table);
}
