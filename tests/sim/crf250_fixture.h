// A crf250(2008) catalogue row built in code (the values the catalogue
// documents for that bike), and a world to build it in, for physics tests.
#pragma once
#include <string.h>

#include "sim/bike_info.h"
#include "sim/world.h"

inline BikeInfo crf250_2008()
{
    BikeInfo b;
    memset(&b, 0, sizeof b);
    strcpy(b.model, "crf250(2008)");
    strcpy(b.bike_class, "250f");
    b.front_wheel = {{0, 1.09f, 1.11f}, 0.83333f, 0.33333f, 0.40625f, 0.5f, 0.15625f};
    b.rear_wheel = {{0, 1.04f, 6.0f}, 0.75f, 0.33333f, 0.46875f, 0.5f, 0.3125f};
    const float frame[3] = {0, 1.98f, 3.6f}, box[3] = {0.83333f, 1.66667f, 1.66667f};
    memcpy(b.frame_position, frame, sizeof frame);
    memcpy(b.frame_box, box, sizeof box);
    b.frame_mass = 4.24f;
    const float upper[3] = {0, 2.9f, 2.16f}, arm[3] = {0, 1.34f, 4.99f}, pivot[3] = {0, 1.6f, 4.08f},
                lower[3] = {0, 1.77f, 1.59f};
    memcpy(b.fork_upper_position, upper, sizeof upper);
    memcpy(b.swingarm_position, arm, sizeof arm);
    memcpy(b.swingarm_pivot, pivot, sizeof pivot);
    memcpy(b.fork_lower_position, lower, sizeof lower);
    b.fork_leg_spacing = 0.83333f;
    b.fork_leg_length = 3.0f;
    b.fork_mass = 0.703125f;
    b.fork_travel = 1.0f;
    b.swingarm_side_mass = 0.504375f;
    b.swingarm_travel = 0.53030f;
    const float ratios[6] = {2.142857f, 1.75f, 1.45f, 1.227273f, 1.041667f, -1};
    memcpy(b.gear_ratio, ratios, sizeof ratios);
    const float travel[3] = {0, 0.083333f, 0.083333f}, rider[3] = {0, 4.5f, 4.12f};
    memcpy(b.rider_travel_direction, travel, sizeof travel);
    memcpy(b.rider_position, rider, sizeof rider);
    b.rider_travel[0] = -0.66667f;
    b.rider_travel[1] = 0.5f;
    b.rider_mass = 4.6875f;
    strcpy(b.files[BIKE_FILE_FRAME_MODEL], "@crf250_frame.jm");
    strcpy(b.files[BIKE_FILE_FRAME_SHAPE], "@generic_frame.shp");
    strcpy(b.files[BIKE_FILE_REAR_WHEEL_SHAPE], "@rear_wheel.shp");
    strcpy(b.files[BIKE_FILE_BIKE_TEXTURE], "@crf250.png");
    return b;
}

// Creates the physics world for one test and destroys it at the end.
struct TestWorld {
    physics_world w = {};
    bool ok;
    TestWorld() { ok = physics_world_create(&w); }
    ~TestWorld()
    {
        if (ok) physics_world_destroy(&w);
    }
};
