#include <gtest/gtest.h>
#include <string.h>

#include <set>
#include <string>

#include "sim/bike_info.h"

static const BikeInfo* row(const char* model) {
    const BikeInfo* b = find_bike_info(model);
    EXPECT_NE(b, nullptr) << model;
    return b;
}

static float torque_at(const float* table, float rpm) {
    const float k = rpm / BIKE_TORQUE_RPM_STEP;
    const int i = (int)k;
    if (i >= BIKE_TORQUE_POINTS - 1)
        return table[BIKE_TORQUE_POINTS - 1];
    return table[i] + (table[i + 1] - table[i]) * (k - (float)i);
}

static int peak_index(const float* table) {
    int best = 0;
    for (int k = 1; k < BIKE_TORQUE_POINTS; ++k) {
        if (table[k] > table[best])
            best = k;
    }
    return best;
}

TEST(BikeCatalogue, OrderNamesAndClasses) {
    std::set<std::string> names;
    for (int i = 0; i < BIKE_CATALOGUE_ROWS; ++i) {
        const BikeInfo* b = bike_catalogue_row(i);
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(names.insert(b->model).second) << "duplicate " << b->model;
    }
    EXPECT_EQ(bike_catalogue_row(-1), nullptr);
    EXPECT_EQ(bike_catalogue_row(BIKE_CATALOGUE_ROWS), nullptr);

    struct { int index; const char* model; const char* bike_class; } cases[] = {
        {0, "cr125", "125"},          {2, "crf250(2008)", "250f"}, {8, "cr250(2007)", "250"},
        {13, "crf450(2018)", "450f"}, {44, "yz250f_se(2006)", "250f"},
        {49, "yz250f(2017)", "250f"}, {63, "250sx(2012)", "250"}, {64, "350sxf(2011)", "250f"},
        {72, "fc250(2017)", "250f"}, {75, "fc450(2018)", "450f"}, {76, "rs50cr", "50"},
        {79, "rs50yz", "50"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const BikeInfo* b = bike_catalogue_row(c.index);
        EXPECT_STREQ(b->model, c.model);
        EXPECT_STREQ(b->bike_class, c.bike_class);
        EXPECT_EQ(find_bike_info(c.model), b);
    }
    EXPECT_EQ(find_bike_info("crf250"), nullptr);  // exact names only
    EXPECT_EQ(find_bike_info(nullptr), nullptr);
}

TEST(BikeCatalogue, Crf250Of2008CarriesItsMeasuredValues) {
    const BikeInfo* b = row("crf250(2008)");
    ASSERT_NE(b, nullptr);
    EXPECT_FLOAT_EQ(b->front_wheel.position[2], 1.11f);
    EXPECT_FLOAT_EQ(b->rear_wheel.tire_major_radius, 0.75f);
    EXPECT_FLOAT_EQ(b->rear_wheel.hub_mass, 0.3125f);
    EXPECT_FLOAT_EQ(b->frame_mass, 4.24f);
    EXPECT_FLOAT_EQ(b->fork_spring_rate[0], 335.98f);
    EXPECT_FLOAT_EQ(b->fork_spring_rate[1], 873.56f);
    EXPECT_FLOAT_EQ(b->shock_spring_rate[0], 2217.5f);
    EXPECT_FLOAT_EQ(b->shock_spring_rate[1], 4905.37f);
    EXPECT_FLOAT_EQ(b->linkage_slope[2], 0.60705f);
    EXPECT_FLOAT_EQ(b->primary_ratio, 3.1667f);
    EXPECT_EQ(b->countershaft_teeth, 13);
    EXPECT_EQ(b->rear_sprocket_teeth, 51);
    EXPECT_FLOAT_EQ(b->gear_ratio[3], 1.227273f);
    EXPECT_EQ(bike_gear_count(b), 5);
    EXPECT_FLOAT_EQ(b->engine_inertia, 0.0048828125f);
    EXPECT_EQ(b->downshift_rpm, 8000);
    EXPECT_EQ(b->upshift_rpm, 12500);
    EXPECT_EQ(b->extra_rpm, 13250);
    EXPECT_FLOAT_EQ(b->rider_mass, 4.6875f);

    struct { int k; float full, closed; } points[] = {
        {0, 5, 2},    {3, 5, 0},   {11, 14.3f, -4}, {12, 14.2f, -5}, {19, 19.1f, -8},
        {26, 13.9f, -12}, {27, 0, -12}, {28, -13, -13}, {49, -23.5f, -23},
    };
    for (const auto& p : points) {
        SCOPED_TRACE(p.k);
        EXPECT_FLOAT_EQ(b->full_throttle_torque[p.k], p.full);
        EXPECT_FLOAT_EQ(b->closed_throttle_torque[p.k], p.closed);
    }

    static const char* const FILES[BIKE_FILE_COUNT] = {
        "@crf250_frame.jm", "@generic_frame.shp", "@crf250.png", "@crf250_fork_upper.jm",
        "@generic_fork_upper.shp", "@crf250_fork_lower.jm", "@generic_fork_lower.shp",
        "@crf250_swingarm.jm", "@generic_swingarm.shp", "@front_wheel.jm", "@front_wheel.shp",
        "@rear_wheel.jm", "@rear_wheel.shp", "@wheels.png", "@rider_head.jm", "@rider_head.png",
        "@rider_body.jm", "@rider_body_fp.jm", "@generic_rider.shp", "@rider_body.png",
        "@crf250_side_plates.jm", "@crf250_front_plate.jm", "@rider_plate.jm",
    };
    for (int i = 0; i < BIKE_FILE_COUNT; ++i)
        EXPECT_STREQ(b->files[i], FILES[i]) << i;
}

TEST(BikeCatalogue, TellingRowsOfOtherClasses) {
    struct {
        const char* model;
        float frame_mass, rider_mass, primary, front_teeth, rear_teeth, first_gear, top_gear;
        int gears;
        float peak_torque, peak_rpm, downshift, upshift, extra;
    } cases[] = {
        {"crf450(2018)", 4.735f, 5.46875f, 2.32143f, 13, 49, 2.13333f, 1.04348f, 5, 35.4f, 7500,
         6000, 10500, 12000},
        {"cr125", 3.65375f, 4.6875f, 3.15f, 13, 52, 2.35714f, 1.13333f, 5, 15.97f, 10000, 9400,
         12000, 12750},
        {"rs50cr", 3.34125f, 3.125f, 3.71429f, 12, 55, 3.09091f, 0.95652f, 6, 4.31f, 9500, 8000,
         11000, 12000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        const BikeInfo* b = row(c.model);
        ASSERT_NE(b, nullptr);
        EXPECT_FLOAT_EQ(b->frame_mass, c.frame_mass);
        EXPECT_FLOAT_EQ(b->rider_mass, c.rider_mass);
        EXPECT_FLOAT_EQ(b->primary_ratio, c.primary);
        EXPECT_EQ(b->countershaft_teeth, c.front_teeth);
        EXPECT_EQ(b->rear_sprocket_teeth, c.rear_teeth);
        ASSERT_EQ(bike_gear_count(b), c.gears);
        EXPECT_FLOAT_EQ(b->gear_ratio[0], c.first_gear);
        EXPECT_FLOAT_EQ(b->gear_ratio[c.gears - 1], c.top_gear);
        const int peak = peak_index(b->full_throttle_torque);
        EXPECT_FLOAT_EQ(b->full_throttle_torque[peak], c.peak_torque);
        EXPECT_EQ(peak * BIKE_TORQUE_RPM_STEP, c.peak_rpm);
        EXPECT_EQ(b->downshift_rpm, c.downshift);
        EXPECT_EQ(b->upshift_rpm, c.upshift);
        EXPECT_EQ(b->extra_rpm, c.extra);
    }
    const BikeInfo* big = row("crf450(2018)");
    EXPECT_FLOAT_EQ(big->engine_inertia, 0.00885f);
    EXPECT_FLOAT_EQ(big->fork_spring_rate[0], 376.30f);
    EXPECT_FLOAT_EQ(big->shock_spring_rate[1], 5174.16f);
    EXPECT_GE(big->full_throttle_torque[24], 0);  // 12000 rpm
    EXPECT_LT(big->full_throttle_torque[25], 0);  // negative from 12500 rpm
    const BikeInfo* mini = row("rs50cr");
    EXPECT_FLOAT_EQ(mini->engine_inertia, 0.00119f);
    EXPECT_EQ(mini->clutch_stiffness, 1200);
    EXPECT_EQ(mini->clutch_damping, 1.0f);
    EXPECT_STREQ(mini->files[BIKE_FILE_FRAME_MODEL], "@cr125_frame.jm");
    EXPECT_STREQ(mini->files[BIKE_FILE_BIKE_TEXTURE], "@rs50cr.png");
}

// Every row: shared geometry, positive masses, descending gears, believable
// engine curves and shift points inside the useful band.
TEST(BikeCatalogue, InvariantsOfEveryRow) {
    const BikeInfo* ref = row("crf250(2008)");
    ASSERT_NE(ref, nullptr);
    for (int i = 0; i < BIKE_CATALOGUE_ROWS; ++i) {
        const BikeInfo* b = bike_catalogue_row(i);
        SCOPED_TRACE(b->model);
        // Geometry, wheels, travels, damping bases and rider points are shared.
        EXPECT_EQ(memcmp(&b->front_wheel, &ref->front_wheel, sizeof b->front_wheel), 0);
        EXPECT_EQ(memcmp(&b->rear_wheel, &ref->rear_wheel, sizeof b->rear_wheel), 0);
        EXPECT_EQ(memcmp(b->frame_position, ref->frame_position,
                         (char*)&b->frame_mass - (char*)b->frame_position), 0);
        EXPECT_EQ(memcmp(b->frame_box, ref->frame_box,
                         (char*)b->fork_spring_rate - (char*)b->frame_box), 0);
        EXPECT_EQ(b->fork_travel, ref->fork_travel);
        EXPECT_EQ(memcmp(b->fork_preload, ref->fork_preload, sizeof b->fork_preload), 0);
        EXPECT_EQ(memcmp(b->fork_air_gap, ref->fork_air_gap, sizeof b->fork_air_gap), 0);
        EXPECT_EQ(memcmp(b->shock_preload, ref->shock_preload, sizeof b->shock_preload), 0);
        EXPECT_EQ(b->swingarm_travel, ref->swingarm_travel);
        EXPECT_EQ(memcmp(b->rider_travel_direction, ref->rider_travel_direction,
                         (char*)&b->rider_mass - (char*)b->rider_travel_direction), 0);
        EXPECT_EQ(memcmp(&b->rider_points, &ref->rider_points, sizeof b->rider_points), 0);
        EXPECT_FLOAT_EQ(b->rider_travel_direction[1], 0.083333f);
        EXPECT_FLOAT_EQ(b->rider_travel[0], -0.66667f);

        // Masses, springs and gearing.
        EXPECT_GT(b->frame_mass, 3.0f);
        EXPECT_LT(b->frame_mass, 6.0f);
        EXPECT_GT(b->rider_mass, 2.0f);
        EXPECT_GT(b->fork_spring_rate[0], 0);
        EXPECT_LT(b->fork_spring_rate[0], b->fork_spring_rate[1]);
        EXPECT_GT(b->shock_spring_rate[0], 0);
        EXPECT_LT(b->shock_spring_rate[0], b->shock_spring_rate[1]);
        EXPECT_GT(b->engine_inertia, 0);
        EXPECT_GT(b->clutch_stiffness, 0);
        EXPECT_GE(b->countershaft_teeth, 10);
        EXPECT_GT(b->rear_sprocket_teeth, 3 * b->countershaft_teeth);
        const int gears = bike_gear_count(b);
        EXPECT_GE(gears, 5);
        for (int g = 1; g < gears; ++g)
            EXPECT_LT(b->gear_ratio[g], b->gear_ratio[g - 1]) << "gear " << g + 1;
        for (int g = gears; g < BIKE_GEARS; ++g)
            EXPECT_LE(b->gear_ratio[g], 0);

        // Full throttle: one peak, falling after it to 0 at the rev limit and
        // negative ever after (small dips on the way up are allowed).
        const float* full = b->full_throttle_torque;
        const int peak = peak_index(full);
        for (int k = 1; k <= peak; ++k)
            EXPECT_GE(full[k], full[k - 1] - 0.5f) << "rise at " << k;
        int limit = peak;
        while (limit < BIKE_TORQUE_POINTS && full[limit] > 0) {
            if (limit > peak) {
                EXPECT_LE(full[limit], full[limit - 1]) << "fall at " << limit;
            }
            ++limit;
        }
        ASSERT_LT(limit, BIKE_TORQUE_POINTS - 1);
        for (int k = limit + 1; k < BIKE_TORQUE_POINTS; ++k) {
            EXPECT_LT(full[k], 0) << k;
            EXPECT_LE(full[k], full[k - 1]) << k;
        }
        // Closed throttle: engine braking that grows with rpm.
        const float* closed = b->closed_throttle_torque;
        for (int k = 1; k < BIKE_TORQUE_POINTS; ++k)
            EXPECT_LE(closed[k], closed[k - 1]) << k;
        EXPECT_LT(closed[BIKE_TORQUE_POINTS - 1], 0);

        // Shift points in the band where the engine gives at least half its peak.
        const float limit_rpm = limit * BIKE_TORQUE_RPM_STEP;
        EXPECT_LT(b->downshift_rpm, b->upshift_rpm);
        EXPECT_LT(b->upshift_rpm, limit_rpm);
        EXPECT_GE(torque_at(full, b->downshift_rpm), 0.5f * full[peak]);
        EXPECT_GE(torque_at(full, b->upshift_rpm), 0.5f * full[peak]);
        EXPECT_LT(b->downshift_rpm, peak * BIKE_TORQUE_RPM_STEP + 1);
        EXPECT_GT(b->upshift_rpm, peak * BIKE_TORQUE_RPM_STEP);

        EXPECT_EQ(b->files[BIKE_FILE_BIKE_TEXTURE][0], '@');
        EXPECT_NE(strstr(b->files[BIKE_FILE_BIKE_TEXTURE], ".png"), nullptr);
    }
}

// The classes' engines sit where their kind belongs.
TEST(BikeCatalogue, EngineCharacterByClass) {
    struct { const char* a; const char* b; const char* why; } stronger[] = {
        {"crf450(2018)", "crf250(2018)", "450f strongest"},
        {"cr250(2007)", "cr125", "two-stroke 250 over 125"},
        {"cr125", "rs50cr", "50s small"},
        {"350sxf(2013)", "250sxf(2013)", "350 between 250f and 450f"},
        {"450sxf(2013)", "350sxf(2013)", "350 between 250f and 450f"},
    };
    for (const auto& c : stronger) {
        SCOPED_TRACE(c.why);
        const BikeInfo* a = row(c.a);
        const BikeInfo* b = row(c.b);
        EXPECT_GT(a->full_throttle_torque[peak_index(a->full_throttle_torque)],
                  b->full_throttle_torque[peak_index(b->full_throttle_torque)]);
    }
    // The four-stroke 250s rev highest; the 450s peak lowest.
    EXPECT_GT(peak_index(row("crf250(2018)")->full_throttle_torque),
              peak_index(row("crf450(2018)")->full_throttle_torque));
    EXPECT_GT(row("crf250(2018)")->upshift_rpm, row("cr250(2007)")->upshift_rpm);
    EXPECT_GT(row("crf250(2018)")->upshift_rpm, row("crf450(2018)")->upshift_rpm);
}

TEST(BikeCatalogue, FallbackRow) {
    struct { const char* requested; const char* chosen; } cases[] = {
        {"cr125x", "cr125"},
        {"zz125zz", "cr125"},
        {"crf250", "kx250f(2007)"},
        {"", "kx250f(2007)"},
        {"a-much-longer-unknown-model-name", "kx250f(2007)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.requested);
        char message[128];
        const BikeInfo* b = bike_fallback_row(c.requested, message, sizeof message);
        EXPECT_STREQ(b->model, c.chosen);
        char want[128];
        snprintf(want, sizeof want, "bike info for '%.20s' not found using '%s' instead",
                 c.requested, c.chosen);
        EXPECT_STREQ(message, want);
        EXPECT_EQ(bike_info_for_rider(c.requested), b);
    }
    EXPECT_EQ(bike_info_for_rider("yz125"), row("yz125"));
}

TEST(BikeCatalogue, DefaultEngineSoundByClass) {
    struct { const char* model; const char* sound; } cases[] = {
        {"rs50kx", "@default50.braap"},      {"kx125", "@default125.braap"},
        {"rmz250(2013)", "@default250f.braap"}, {"350sxf(2017)", "@default250f.braap"},
        {"yz250(2012)", "@default250.braap"}, {"fc450(2017)", "@default450f.braap"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.model);
        EXPECT_STREQ(bike_default_sound(row(c.model)), c.sound);
    }
    BikeInfo odd = *row("cr125");
    snprintf(odd.bike_class, sizeof odd.bike_class, "%s", "500");
    EXPECT_EQ(bike_default_sound(&odd), nullptr);
}
