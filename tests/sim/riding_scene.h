// A headless riding scene for tests: one crf250(2008) rider on flat ground
// at y = 0 with a simple test tire contact, held upright by test-only joints
// (balance is the rider model's job, not the drivetrain's), driven through
// the race tick and the controls-to-forces step.
#pragma once
#include <math.h>
#include <ode/ode.h>

#include "crf250_params.h"
#include "sim/controls_step.h"
#include "sim/drivetrain.h"
#include "sim/slots.h"
#include "sim/world.h"
#include "sim/world_tick.h"

struct RidingScene {
    physics_world w = {};
    rider_slots* slots = nullptr;
    Rider* r = nullptr;
    dJointID upright = nullptr;   // test-only: no roll, no yaw
    int tick = 0;
    float clutch_lever = 0;       // 0..1 lever; the engagement follows the let-out rule
    double tire_stiffness = 2000; // lb/ft
    double tire_damping = 40;     // lb per ft/s
    double friction = 1.0;

    bool create(double lift_ft, bool hold_upright = true)
    {
        if (!physics_world_create(&w)) return false;
        slots = rider_slots_create();
        if (!slots) return false;
        const BikeInfo* bike = crf250_row();
        RiderParams params = default_params(bike);
        r = rider_create(slots, 0, RIDER_LOCAL, &w, bike, &params, true, nullptr);
        if (!r) return false;
        const double up[3] = {0, lift_ft, 0};
        bike_body_move(&r->bike, up);
        if (hold_upright) {
            upright = dJointCreateAMotor(w.world, 0);
            dJointAttach(upright, r->bike.body[BODY_FRAME], 0);
            dJointSetAMotorMode(upright, dAMotorUser);
            dJointSetAMotorNumAxes(upright, 2);
            dJointSetAMotorAxis(upright, 0, 0, 0, 1, 0);  // world y: no yaw
            dJointSetAMotorAxis(upright, 1, 0, 0, 0, 1);  // world z: no roll
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
        if (w.world) {
            physics_world_destroy_contacts(&w);
            physics_world_destroy(&w);
        }
    }

    // The tire as its lowest point below the axle (the bike stays upright):
    // a soft contact with friction, and the wheel record the drivetrain reads.
    static void wheel_contact(RidingScene* s, wheel_record* wr)
    {
        const dReal* p = dBodyGetPosition(wr->body);
        const double reach = wr->major_radius + wr->tube_radius;
        // The contact point lies on the ground, where the deflected tire meets it.
        const double point[3] = {p[0], 0, p[2]};
        wr->depth = (float)(reach - p[1]);
        dVector3 v;
        dBodyGetPointVel(wr->body, point[0], point[1], point[2], v);
        for (int i = 0; i < 3; i++) {
            wr->contact_point[i] = (float)point[i];
            wr->contact_velocity[i] = (float)v[i];
            wr->contact_normal[i] = i == 1 ? 1.0f : 0.0f;
        }
        if (wr->depth <= 0) return;
        double erp, cfm;
        if (!spring_erp_cfm(s->tire_stiffness, s->tire_damping, &erp, &cfm)) return;
        dContact c = {};
        c.surface.mode = dContactSoftERP | dContactSoftCFM | dContactApprox1;
        c.surface.mu = s->friction;
        c.surface.soft_erp = erp;
        c.surface.soft_cfm = cfm;
        for (int i = 0; i < 3; i++) c.geom.pos[i] = point[i];
        c.geom.normal[1] = 1;
        c.geom.depth = wr->depth;
        dJointID j = dJointCreateContact(s->w.world, s->w.contacts, &c);
        dJointAttach(j, wr->body, 0);
    }

    static void make_contacts(void* self, rider_slots* slots, physics_world*, int)
    {
        RidingScene* s = (RidingScene*)self;
        for (wheel_record& wr : slots->slot[0].rider->bike.wheel) wheel_contact(s, &wr);
    }

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
    double frame_height() const { return dBodyGetPosition(r->bike.body[BODY_FRAME])[1]; }
};
