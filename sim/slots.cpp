#include "sim/slots.h"

#include <string.h>

#include "base/alloc.h"
#include "platform/log.h"

static constexpr float CREATION_SPLIT = 1.0f / 3;

rider_slots* rider_slots_create()
{
    rider_slots* slots = (rider_slots*)mem_alloc_zeroed(1, sizeof(rider_slots));
    if (slots) rider_slots_clear(slots);
    return slots;
}

void rider_slots_free(rider_slots* slots)
{
    if (!slots) return;
    rider_slots_destroy_all(slots);
    mem_free(slots);
}

void rider_slots_clear(rider_slots* slots)
{
    for (rider_slot& s : slots->slot) {
        s.rider = nullptr;
        s.status = RIDER_UNUSED;
    }
    for (StateHistory& h : slots->history) state_history_reset(&h);
    slots->local_slot = NO_LOCAL_RIDER;
}

Rider* rider_create(rider_slots* slots, int slot, int status, physics_world* w, const BikeInfo* info,
                    const RiderParams* params, bool has_ground_queries, const bike_asset_ops* assets)
{
    if (slot < 0 || slot >= RIDER_SLOTS || slots->slot[slot].rider) return nullptr;
    Rider* r = (Rider*)mem_alloc_zeroed(1, sizeof(Rider));
    if (!r) return nullptr;
    if (!bike_body_create(&r->bike, w, info, CREATION_SPLIT)) {
        mem_free(r);
        return nullptr;
    }
    r->slot = slot;
    r->has_ground_queries = has_ground_queries;
    r->params.rider_mass_split = CREATION_SPLIT;
    if (params) rider_set_params(r, params);
    if (assets) (void)bike_load_assets(info, assets);
    if (status == RIDER_SHOWN) bike_body_set_presence(&r->bike, 0);  // played back until bumped
    slots->slot[slot].rider = r;
    slots->slot[slot].status = status;
    if (status == RIDER_LOCAL) slots->local_slot = slot;
    return r;
}

void rider_destroy(rider_slots* slots, int slot)
{
    if (slot < 0 || slot >= RIDER_SLOTS || !slots->slot[slot].rider) return;
    bike_body_destroy(&slots->slot[slot].rider->bike);
    mem_free(slots->slot[slot].rider);
    slots->slot[slot].rider = nullptr;
    slots->slot[slot].status = RIDER_UNUSED;
    if (slots->local_slot == slot) slots->local_slot = NO_LOCAL_RIDER;
}

void rider_slots_destroy_all(rider_slots* slots)
{
    log("Deallocating bikes\n");
    for (int k = 0; k < RIDER_SLOTS; k++) rider_destroy(slots, k);
    log("Finished deallocating bikes\n");
}

void rider_reset(Rider* r)
{
    bike_body_reset(&r->bike);
    memset(&r->controls, 0, sizeof r->controls);
    r->engine_speed = 0;
    r->engine_angle = 0;
    r->last_shift = 0;
    r->crash_timer = 0;
    r->dab_amount = 0;
    r->is_free_feet_start_due = false;
    memset(&r->aid, 0, sizeof r->aid);
    for (wheel_record& w : r->bike.wheel) {
        memset(w.contact_point, 0, sizeof w.contact_point);
        memset(w.contact_velocity, 0, sizeof w.contact_velocity);
        memset(w.contact_normal, 0, sizeof w.contact_normal);
        w.depth = 0;
        memset(&w.contact_feedback, 0, sizeof w.contact_feedback);
    }
}

void rider_set_params(Rider* r, const RiderParams* params)
{
    r->params = *params;
    bike_body_set_rider_mass_split(&r->bike, params->rider_mass_split);
    r->params.rider_mass_split = r->bike.rider_mass_split;
}
