// A headless riding scene for tests: one crf250(2008) rider on a flat
// terrain at y = 0 or a loaded track, with the program's tire contact, held
// upright by test-only joints (balance is the rider model's job, not the
// drivetrain's), driven through the race tick and the controls-to-forces step.
#pragma once
#include <math.h>
#include <ode/ode.h>

#include "crf250_params.h"
#include "sim/collide.h"
#include "sim/controls_step.h"
#include "sim/drivetrain.h"
#include "sim/slots.h"
#include "sim/world.h"
#include "sim/world_tick.h"
#include "track/terrain.h"

struct RidingScene {
    physics_world w = {};
    rider_slots* slots = nullptr;
    Rider* r = nullptr;
    dJointID upright = nullptr;   // test-only: no roll, no yaw
    int tick = 0;
    float clutch_lever = 0;       // 0..1 lever; the engagement follows the let-out rule
    Terrain* ground = nullptr;    // owned; beyond its edge the edge heights go on
    contact_scene contacts = {};
    bool has_contacts = false;

    // On a flat terrain at y = 0, the bike at its catalogue pose lifted by `lift_ft`.
    bool create(double lift_ft, bool hold_upright = true, float friction = 1.0f)
    {
        Terrain* flat = terrain_create(5, 1.0f, 0);
        if (!flat) return false;
        flat->surfaces.entries[0].friction[0] = {friction, 1.0f};
        const double at[3] = {0, lift_ft, 0};
        return create_on(flat, at, 0, hold_upright);
    }

    // On `terrain` (owned from here on), the bike turned to heading `heading`
    // (forwards along (-sin, 0, -cos)) and its catalogue origin moved to `at`.
    bool create_on(Terrain* terrain, const double at[3], double heading, bool hold_upright = true)
    {
        ground = terrain;
        if (!physics_world_create(&w)) return false;
        slots = rider_slots_create();
        if (!slots || !ground) return false;
        contact_scene_init(&contacts, ground, nullptr);
        has_contacts = true;
        const BikeInfo* bike = crf250_row();
        RiderParams params = default_params(bike);
        r = rider_create(slots, 0, RIDER_LOCAL, &w, bike, &params, true, nullptr);
        if (!r) return false;
        const double up[3] = {0, 1, 0};
        bike_body_turn(&r->bike, up, heading);
        bike_body_move(&r->bike, at);
        if (hold_upright) {
            upright = dJointCreateAMotor(w.world, 0);
            dJointAttach(upright, r->bike.body[BODY_FRAME], 0);
            dJointSetAMotorMode(upright, dAMotorUser);
            dJointSetAMotorNumAxes(upright, 2);
            dJointSetAMotorAxis(upright, 0, 0, 0, 1, 0);  // world y: no yaw
            dJointSetAMotorAxis(upright, 1, 0, -sin(heading), 0, -cos(heading));  // no roll
            dJointSetAMotorParam(upright, dParamFMax, 1e6);
            dJointSetAMotorParam(upright, dParamFMax2, 1e6);
            // The steering held straight, as a rider would.
            dJointSetHingeParam(r->bike.joint[JOINT_STEERING_HEAD], dParamFMax, 1e4);
        }
        return true;
    }

    ~RidingScene()
    {
        if (upright) dJointDestroy(upright);

        if (slots) {
            rider_slots_destroy_all(slots);
            rider_slots_free(slots);
        }
        if (has_contacts) contact_scene_free(&contacts);
        terrain_free(ground);
        if (w.world) {
            physics_world_destroy_contacts(&w);
            physics_world_destroy(&w);
        }
    }

    static void make_contacts(void* self, rider_slots* slots, physics_world* w, int tick)
    {
        contact_make(&((RidingScene*)self)->contacts, slots, w, tick);
    }
    static void wheel_query(void* self, Rider* r, int tick) { contact_wheel_query(&((RidingScene*)self)->contacts, r, tick); }

    // Test-only stand-in for the rider springs: stiff springs along the
    // frame's three axes hold the rider body at its seat position.
    static void seat_springs(void* self, Rider* r, int)
    {
        RidingScene* s = (RidingScene*)self;
        bike_body* b = &r->bike;
        double seat[3];
        bike_body_catalogue_point(b, BODY_FRAME, b->info->rider_position, seat);
        const dReal* at = dBodyGetPosition(b->body[BODY_RIDER]);
        const dReal* rot = dBodyGetRotation(b->body[BODY_FRAME]);
        for (int axis = 0; axis < 3; axis++) {
            double n[3] = {rot[axis], rot[4 + axis], rot[8 + axis]};
            double d = 0;
            for (int i = 0; i < 3; i++) d += (seat[i] - at[i]) * n[i];
            if (d < 0) {
                for (double& v : n) v = -v;
                d = -d;
            }
            const double point[3] = {at[0], at[1], at[2]};
            (void)physics_add_spring(&s->w, b->body[BODY_RIDER], b->body[BODY_FRAME], point, n, d, 20000, 400);
        }
    }

    static void control_step(void* self, Rider* r, int tick)
    {
        rider_step_ops ops = {};
        ops.rider_springs = seat_springs;
        ops.self = self;
        controls_step(r, tick, &ops);
    }

    // One tick with the player's controls as they are.
    void step()
    {
        r->controls.clutch = clutch_let_out(r->controls.clutch, clutch_lever);
        tick_ops ops = {};
        ops.make_contacts = make_contacts;
        ops.wheel_query = wheel_query;
        ops.control_step = control_step;
        ops.self = this;
        world_tick(&w, slots, tick, &ops);
        tick++;
    }

    double speed() const
    {
        const dReal* v = dBodyGetLinearVel(r->bike.body[BODY_FRAME]);
        return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    }
    double z() const { return dBodyGetPosition(r->bike.body[BODY_FRAME])[2]; }
    double x() const { return dBodyGetPosition(r->bike.body[BODY_FRAME])[0]; }
    double frame_height() const { return dBodyGetPosition(r->bike.body[BODY_FRAME])[1]; }
};
