// A headless riding scene for tests: one crf250(2008) rider on a flat
// terrain at y = 0 or a loaded track, with the program's tire contact, held
// upright by test-only joints (balance is the rider model's job, not the
// drivetrain's), stepped by the physics scene with test-only seat springs in
// place of the rider model's steps.
#pragma once
#include <math.h>
#include <ode/ode.h>

#include "crf250_params.h"
#include "sim/drivetrain.h"
#include "sim/scene.h"
#include "track/terrain.h"

struct RidingScene {
    physics_scene* scene = nullptr;  // owned
    Rider* r = nullptr;
    dJointID upright = nullptr;   // test-only: no roll, no yaw
    int tick = 0;                 // the scene's tick counter after the last step
    float clutch_lever = 0;       // 0..1 lever; the engagement follows the let-out rule
    Terrain* ground = nullptr;    // owned; beyond its edge the edge heights go on

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
        if (!ground) return false;
        scene_params params = scene_default_params();
        params.ground = ground;
        scene = scene_create(&params);
        if (!scene) return false;
        scene->steps = rider_step_ops{};
        scene->steps.rider_springs = seat_springs;
        scene->steps.self = scene;
        const BikeInfo* bike = crf250_row();
        RiderParams rider_params = default_params(bike);
        r = rider_create(scene->slots, 0, RIDER_LOCAL, &scene->world, bike, &rider_params, true, nullptr);
        if (!r) return false;
        const double up[3] = {0, 1, 0};
        bike_body_turn(&r->bike, up, heading);
        bike_body_move(&r->bike, at);
        if (hold_upright) {
            upright = dJointCreateAMotor(scene->world.world, 0);
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
        scene_destroy(scene);
        terrain_free(ground);
    }

    // Test-only stand-in for the rider springs: stiff springs along the
    // frame's three axes hold the rider body at its seat position.
    static void seat_springs(void* self, Rider* r, int)
    {
        physics_scene* s = (physics_scene*)self;
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
            (void)physics_add_spring(&s->world, b->body[BODY_RIDER], b->body[BODY_FRAME], point, n, d, 20000, 400);
        }
    }

    // One tick with the player's controls as they are.
    void step()
    {
        r->controls.clutch = clutch_let_out(r->controls.clutch, clutch_lever);
        scene_step(scene);
        tick = scene->tick;
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
