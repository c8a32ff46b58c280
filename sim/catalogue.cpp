// Builds the 80 catalogue rows once from the class bases, family and variant
// adjustments of catalogue_rows.cpp, and answers look-ups by model name.
#include "sim/bike_info.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "base/messages.h"
#include "sim/catalogue_rows.h"

static BikeInfo g_rows[BIKE_CATALOGUE_ROWS];
static bool g_built;

static float round_hundredths(float v) { return roundf(v * 100.0f) / 100.0f; }

// Full-throttle torque (lb ft) of a class base that has no measured curve.
static float shaped_torque(const BikeClassBase* c, float rpm) {
    const TorqueShape* s = &c->shape;
    const float peak = c->peak_torque;
    if (rpm <= s->flat_rpm)
        return peak * s->low_fraction;
    if (rpm <= c->peak_rpm) {
        const float u = (rpm - s->flat_rpm) / (c->peak_rpm - s->flat_rpm);
        return peak * (s->low_fraction + (1 - s->low_fraction) * powf(u, s->rise_exponent));
    }
    if (rpm < c->limit_rpm) {
        const float u = (rpm - c->peak_rpm) / (c->limit_rpm - BIKE_TORQUE_RPM_STEP - c->peak_rpm);
        return peak * (1 - (1 - s->end_fraction) * powf(u, s->fall_exponent));
    }
    if (rpm == c->limit_rpm)
        return 0;
    const float steps_past = (rpm - c->limit_rpm) / BIKE_TORQUE_RPM_STEP - 1;
    return -peak * (s->negative_fraction + s->negative_slope * steps_past);
}

static void base_full_throttle(const BikeClassBase* c, float out[BIKE_TORQUE_POINTS]) {
    for (int k = 0; k < BIKE_TORQUE_POINTS; ++k) {
        out[k] = c->measured_full_throttle
                     ? c->measured_full_throttle[k]
                     : round_hundredths(shaped_torque(c, k * BIKE_TORQUE_RPM_STEP));
    }
}

// The class curve moved by `steps` table entries along the rpm axis and
// scaled by `factor`; the low end repeats, the negative tail keeps its slope.
static void row_full_throttle(const BikeClassBase* c, int steps, float factor,
                              float out[BIKE_TORQUE_POINTS]) {
    float base[BIKE_TORQUE_POINTS];
    base_full_throttle(c, base);
    const int last = BIKE_TORQUE_POINTS - 1;
    for (int k = 0; k < BIKE_TORQUE_POINTS; ++k) {
        const int j = k - steps;
        float v;
        if (j < 0)
            v = base[0];
        else if (j > last)
            v = base[last] + (base[last] - base[last - 1]) * (float)(j - last);
        else
            v = base[j];
        out[k] = (steps == 0 && factor == 1.0f) ? v : round_hundredths(v * factor);
    }
}

static void set_files(BikeInfo* row, const char* prefix, const char* model_prefix) {
    static const char* const PATTERNS[BIKE_FILE_COUNT] = {
        "@%s_frame.jm", "@generic_frame.shp", "@%s.png",
        "@%s_fork_upper.jm", "@generic_fork_upper.shp",
        "@%s_fork_lower.jm", "@generic_fork_lower.shp",
        "@%s_swingarm.jm", "@generic_swingarm.shp",
        "@front_wheel.jm", "@front_wheel.shp", "@rear_wheel.jm", "@rear_wheel.shp",
        "@wheels.png", "@rider_head.jm", "@rider_head.png", "@rider_body.jm",
        "@rider_body_fp.jm", "@generic_rider.shp", "@rider_body.png",
        "@%s_side_plates.jm", "@%s_front_plate.jm", "@rider_plate.jm",
    };
    for (int i = 0; i < BIKE_FILE_COUNT; ++i) {
        const char* name = i == BIKE_FILE_BIKE_TEXTURE ? prefix : model_prefix;
        if (strstr(PATTERNS[i], "%s"))
            snprintf(row->files[i], BIKE_FILE_CHARS, PATTERNS[i], name);
        else
            snprintf(row->files[i], BIKE_FILE_CHARS, "%s", PATTERNS[i]);
    }
}

static void build_row(BikeInfo* row, const BikeRowRecipe* recipe) {
    const BikeClassBase* c = &BIKE_CLASS_BASES[recipe->bike_class];
    const BikeFamilyAdjust* fam = &BIKE_FAMILY_ADJUST[recipe->family];
    const BikeVariantAdjust* var = &BIKE_VARIANT_ADJUST[recipe->variant];
    shared_bike_template(row);
    snprintf(row->model, sizeof row->model, "%s", recipe->model);
    snprintf(row->bike_class, sizeof row->bike_class, "%s", c->name);

    const int years = (c->base_year && recipe->year) ? recipe->year - c->base_year : 0;
    int steps = fam->rpm_steps + var->rpm_steps;
    if (recipe->bike_class == BIKE_CLASS_250F && recipe->year >= REVVIER_250F_YEAR)
        steps += 1;
    const float factor = fam->torque_factor * var->torque_factor * (1 + YEAR_TORQUE * (float)years);

    row->frame_mass = c->frame_mass + fam->frame_mass + var->frame_mass + YEAR_FRAME_MASS * (float)years;
    row->rider_mass = c->rider_mass;
    row->primary_ratio = c->primary_ratio;
    row->countershaft_teeth = c->countershaft_teeth;
    row->rear_sprocket_teeth = c->rear_sprocket_teeth + fam->rear_teeth + var->rear_teeth;
    memcpy(row->gear_ratio, c->gear_ratio, sizeof row->gear_ratio);
    row->engine_inertia = c->engine_inertia * var->inertia_factor;
    row->clutch_stiffness = c->clutch_stiffness;
    row->clutch_damping = c->clutch_damping;
    for (int k = 0; k < BIKE_TORQUE_POINTS; ++k) {
        const float v = SHARED_CLOSED_THROTTLE[k];
        row->closed_throttle_torque[k] = c->engine_braking == 1.0f ? v : round_hundredths(v * c->engine_braking);
    }
    row_full_throttle(c, steps, factor, row->full_throttle_torque);
    const float rpm_shift = BIKE_TORQUE_RPM_STEP * (float)steps;
    row->downshift_rpm = c->downshift_rpm + rpm_shift;
    row->upshift_rpm = c->upshift_rpm + rpm_shift;
    row->extra_rpm = c->extra_rpm + rpm_shift;
    for (int i = 0; i < 2; ++i) {
        row->fork_spring_rate[i] = c->fork_spring_rate[i] + fam->fork_spring;
        row->shock_spring_rate[i] = c->shock_spring_rate[i] + fam->shock_spring;
    }
    set_files(row, recipe->prefix, recipe->model_prefix ? recipe->model_prefix : recipe->prefix);
}

static void build_catalogue() {
    if (g_built)
        return;
    for (int i = 0; i < BIKE_CATALOGUE_ROWS; ++i)
        build_row(&g_rows[i], &BIKE_ROW_RECIPES[i]);
    g_built = true;
}

const BikeInfo* bike_catalogue_row(int index) {
    if (index < 0 || index >= BIKE_CATALOGUE_ROWS)
        return nullptr;
    build_catalogue();
    return &g_rows[index];
}

const BikeInfo* find_bike_info(const char* model) {
    if (!model)
        return nullptr;
    build_catalogue();
    for (const BikeInfo& row : g_rows) {
        if (strcmp(row.model, model) == 0)
            return &row;
    }
    return nullptr;
}

static const BikeInfo* first_row_containing(const char* text) {
    build_catalogue();
    for (const BikeInfo& row : g_rows) {
        if (strstr(row.model, text))
            return &row;
    }
    return &g_rows[0];
}

const BikeInfo* bike_fallback_row(const char* model, char* message, int size) {
    if (!model)
        model = "";
    const BikeInfo* row = first_row_containing(strstr(model, "125") ? "125" : "250f");
    snprintf(message, size, "bike info for '%.20s' not found using '%.20s' instead", model, row->model);
    return row;
}

const BikeInfo* bike_info_for_rider(const char* model) {
    const BikeInfo* row = find_bike_info(model);
    if (row)
        return row;
    char message[128];
    row = bike_fallback_row(model, message, sizeof message);
    show_message(message);
    return row;
}

const char* bike_default_sound(const BikeInfo* bike) {
    static const struct { const char* bike_class; const char* sound; } SOUNDS[] = {
        {"50", "@default50.braap"},
        {"125", "@default125.braap"},
        {"250f", "@default250f.braap"},
        {"250", "@default250.braap"},
        {"450f", "@default450f.braap"},
    };
    for (const auto& s : SOUNDS) {
        if (strcmp(bike->bike_class, s.bike_class) == 0)
            return s.sound;
    }
    return nullptr;
}

int bike_gear_count(const BikeInfo* bike) {
    int n = 0;
    while (n < BIKE_GEARS && bike->gear_ratio[n] > 0)
        ++n;
    return n;
}
