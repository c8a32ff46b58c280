#include "sim/controls_step.h"

#include "sim/brakes.h"
#include "sim/drivetrain.h"
#include "sim/slots.h"
#include "sim/suspension.h"

static void run(void (*step)(void*, Rider*, int), void* self, Rider* r, int tick)
{
    if (step) step(self, r, tick);
}

void controls_step(Rider* r, int tick, const rider_step_ops* ops)
{
    static const rider_step_ops none = {};
    if (!ops) ops = &none;
    void* self = ops->self;
    run(ops->fall_mark, self, r, tick);
    const bool is_present = r->bike.presence > 0.25f;
    if (is_present) {
        run(ops->collision_timer, self, r, tick);
        run(ops->airborne, self, r, tick);
        run(ops->crash, self, r, tick);
        const rider_controls player = r->controls;
        run(ops->assists, self, r, tick);
        run(ops->rider_springs, self, r, tick);
        suspension_apply(&r->bike, &r->params.fork, &r->params.shock);
        run(ops->steering, self, r, tick);
        drivetrain_step(r, tick);
        brakes_apply(r);
        run(ops->steering_damping, self, r, tick);
        run(ops->dab, self, r, tick);
        r->controls.dab = player.dab;
        r->controls.front_brake = player.front_brake;
        r->controls.rear_brake = player.rear_brake;
    }
    run(ops->free_feet, self, r, tick);
    if (is_present) run(ops->store_history, self, r, tick);
}
