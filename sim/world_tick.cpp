#include "sim/world_tick.h"

#include "sim/replay.h"
#include "sim/slots.h"
#include "sim/world.h"

void world_tick(physics_world* w, rider_slots* slots, int tick, const tick_ops* ops)
{
    if (ops->show_replayed) ops->show_replayed(ops->self, slots, tick);
    if (ops->make_contacts) ops->make_contacts(ops->self, slots, w, tick);

    int occupied[RIDER_SLOTS];
    int count = 0;
    for (int k = 0; k < RIDER_SLOTS; k++)
        if (slots->slot[k].rider) occupied[count++] = k;
    if (ops->wheel_query && count > 0) {
        int start = ((tick % count) + count) % count;
        for (int i = 0; i < count; i++) ops->wheel_query(ops->self, slots->slot[occupied[(start + i) % count]].rider, tick);
    }

    physics_world_step(w);
    for (int i = 0; i < count; i++) {
        const rider_slot& s = slots->slot[occupied[i]];
        if (s.status == RIDER_SHOWN) rider_presence_after_step(s.rider);
    }

    for (int i = 0; i < count; i++) {
        const rider_slot& s = slots->slot[occupied[i]];
        Rider* r = s.rider;
        if (tick >= 1 && r->crash_timer <= 0 && r->bike.presence > 0.25f) bike_body_balance_internal_forces(&r->bike);
        if (s.status == RIDER_ROBOT) {
            if (ops->robot_step) ops->robot_step(ops->self, r, tick);
            continue;
        }
        if (ops->control_step) ops->control_step(ops->self, r, tick);
        if (ops->after_control) ops->after_control(ops->self, r, tick);
    }
}
