#include "sim/scene.h"

#include "base/alloc.h"
#include "sim/world_tick.h"
#include "track/terrain.h"

scene_params scene_default_params()
{
    scene_params p = {};
    p.is_realign_after_fall = true;
    p.is_steering_assist = true;
    return p;
}

// ---- the rider model's view of the scene ------------------------------------

static physics_scene* as_scene(void* self) { return (physics_scene*)self; }

static float scene_front_friction(void* self, const Rider* r)
{
    const Terrain* ground = as_scene(self)->contacts.ground;
    return ground ? rider_front_surface_friction(ground, r) : 1.0f;
}

static float scene_ground_height(void* self, float x, float z)
{
    const Terrain* ground = as_scene(self)->contacts.ground;
    return ground ? terrain_height(ground, x, z) : 0.0f;
}

static int* scene_collision_timer(void* self, Rider* r)
{
    return &as_scene(self)->contacts.rider[r->slot].collision_timer;
}

// ---- the tick's steps -----------------------------------------------------------

static void tick_show_replayed(void* self, rider_slots* slots, int tick)
{
    const scene_hooks& h = as_scene(self)->hooks;
    if (h.show_replayed) h.show_replayed(h.self, slots, tick);
}

static void tick_make_contacts(void* self, rider_slots* slots, physics_world* w, int tick)
{
    contact_make(&as_scene(self)->contacts, slots, w, tick);
}

static void tick_wheel_query(void* self, Rider* r, int tick)
{
    contact_wheel_query(&as_scene(self)->contacts, r, tick);
    const scene_hooks& h = as_scene(self)->hooks;
    if (h.wheels_queried) h.wheels_queried(h.self, r, tick);
}

static void tick_robot_step(void* self, Rider* r, int tick)
{
    const scene_hooks& h = as_scene(self)->hooks;
    if (h.robot_step) h.robot_step(h.self, r, tick);
}

static void tick_control_step(void* self, Rider* r, int tick) { scene_control_step(as_scene(self), r, tick); }

static void tick_after_control(void* self, Rider* r, int tick)
{
    const scene_hooks& h = as_scene(self)->hooks;
    if (h.after_control) h.after_control(h.self, r, tick);
}

// ---- the scene ------------------------------------------------------------------

physics_scene* scene_create(const scene_params* params)
{
    const scene_params defaults = scene_default_params();
    if (!params) params = &defaults;
    physics_scene* s = (physics_scene*)mem_alloc_zeroed(1, sizeof(physics_scene));
    if (!s) return nullptr;
    if (!physics_world_create(&s->world) || !(s->slots = rider_slots_create())) {
        scene_destroy(s);
        return nullptr;
    }
    contact_scene_init(&s->contacts, params->ground, &params->collide);
    s->realign = params->realign;
    s->hooks = params->hooks;

    rider_model_env& env = s->env;
    env.world = &s->world;
    env.gate_drop_tick = params->gate_drop_tick;
    env.crash_delays = params->crash_delays;
    env.is_realign_after_fall = params->is_realign_after_fall;
    env.is_steering_assist = params->is_steering_assist;
    env.front_friction = scene_front_friction;
    env.ground_height = scene_ground_height;
    env.collision_timer = scene_collision_timer;
    env.self = s;
    env.realign = &s->realign;
    s->steps = rider_model_steps(&s->env);
    s->tick = 0;
    return s;
}

void scene_destroy(physics_scene* s)
{
    if (!s) return;
    physics_world_destroy_contacts(&s->world);
    rider_slots_free(s->slots);  // the bikes' joints and bodies, before their world
    s->slots = nullptr;
    contact_scene_free(&s->contacts);
    physics_world_destroy(&s->world);
    mem_free(s);
}

void scene_set_ground(physics_scene* s, const Terrain* ground) { s->contacts.ground = ground; }

void scene_step(physics_scene* s)
{
    tick_ops ops = {};
    ops.show_replayed = tick_show_replayed;
    ops.make_contacts = tick_make_contacts;
    ops.wheel_query = tick_wheel_query;
    ops.robot_step = tick_robot_step;
    ops.control_step = tick_control_step;
    ops.after_control = tick_after_control;
    ops.self = s;
    world_tick(&s->world, s->slots, s->tick, &ops);
    s->tick++;
}

void scene_control_step(physics_scene* s, Rider* r, int tick) { controls_step(r, tick, &s->steps); }

bool scene_apply_channels(physics_scene* s, int slot, const float channels[CHANNEL_COUNT],
                          const rider_input_settings* settings)
{
    if (slot < 0 || slot >= RIDER_SLOTS || !s->slots->slot[slot].rider) return false;
    rider_apply_channels(s->slots->slot[slot].rider, channels, settings);
    return true;
}
