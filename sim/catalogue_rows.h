// The data the catalogue is built from, private to sim/catalogue*.cpp: one
// base per engine class, the adjustments of each model family, the 80-row
// list and the values every row shares. How the rows are derived is told in
// docs/bike_catalogue.md.
#pragma once
#include "sim/bike_info.h"

enum BikeClassIndex { BIKE_CLASS_50, BIKE_CLASS_125, BIKE_CLASS_250, BIKE_CLASS_250F,
                      BIKE_CLASS_450F, BIKE_CLASS_COUNT };
enum BikeFamily { FAMILY_CR, FAMILY_KX, FAMILY_RM, FAMILY_YZ, FAMILY_SX, FAMILY_FC,
                  FAMILY_COUNT };
enum BikeVariant { VARIANT_PLAIN, VARIANT_SE, VARIANT_350, VARIANT_COUNT };

// Shape of a full-throttle curve for classes without a measured one (see
// catalogue.cpp): flat, rising to the peak, falling to the rev limit, then
// negative.
struct TorqueShape {
    float low_fraction;      // of peak torque, held up to flat_rpm
    float flat_rpm;
    float rise_exponent;     // 1 = straight rise; 2 = the late, sudden rise of a two-stroke
    float end_fraction;      // of peak torque, 500 rpm below the rev limit
    float fall_exponent;
    float negative_fraction; // of peak torque, 500 rpm past the rev limit
    float negative_slope;    // further fraction of peak torque lost per 500 rpm
};

struct BikeClassBase {
    const char* name;                // the class text
    int base_year;                   // model year of the base row; 0 = rows carry no year
    float frame_mass, rider_mass;    // slugs
    float primary_ratio;
    float countershaft_teeth, rear_sprocket_teeth;
    float gear_ratio[BIKE_GEARS];
    float engine_inertia;            // slug ft^2
    float clutch_stiffness, clutch_damping;
    float peak_torque;               // lb ft
    float peak_rpm;
    float limit_rpm;                 // full-throttle torque reaches 0 here
    const float* measured_full_throttle;  // BIKE_TORQUE_POINTS values, or null: use `shape`
    TorqueShape shape;
    float engine_braking;            // scale on the shared closed-throttle table
    float downshift_rpm, upshift_rpm, extra_rpm;
    float fork_spring_rate[2], shock_spring_rate[2];  // lb/ft
};

struct BikeFamilyAdjust {
    float frame_mass;                // slugs added
    float torque_factor;
    int rpm_steps;                   // whole 500 rpm steps the curve and shift points move
    float rear_teeth;                // teeth added to the rear sprocket
    float fork_spring;               // lb/ft added to both ends of the range
    float shock_spring;
};

struct BikeVariantAdjust {
    float frame_mass;
    float torque_factor;
    int rpm_steps;
    float rear_teeth;
    float inertia_factor;
};

struct BikeRowRecipe {
    const char* model;
    BikeClassIndex bike_class;
    BikeFamily family;
    int year;                        // 0 for rows without a model year
    BikeVariant variant;
    const char* prefix;              // file-name prefix of the models and texture
    const char* model_prefix;        // models borrowed from another row, or null
};

extern const BikeClassBase BIKE_CLASS_BASES[BIKE_CLASS_COUNT];
extern const BikeFamilyAdjust BIKE_FAMILY_ADJUST[FAMILY_COUNT];
extern const BikeVariantAdjust BIKE_VARIANT_ADJUST[VARIANT_COUNT];
extern const BikeRowRecipe BIKE_ROW_RECIPES[BIKE_CATALOGUE_ROWS];
extern const float SHARED_CLOSED_THROTTLE[BIKE_TORQUE_POINTS];

// Per model year away from the class base: frames lose weight, engines gain.
constexpr float YEAR_FRAME_MASS = -0.012f;   // slugs per year
constexpr float YEAR_TORQUE = 0.01f;         // fraction of peak torque per year
// Four-stroke 250s of 2013 and later rev one step (500 rpm) higher.
constexpr int REVVIER_250F_YEAR = 2013;

// Everything identical in every row: geometry, wheels, suspension ranges
// other than the springs, damping bases, linkage, rider placement and points.
// `shared_bike_template` fills all of these into `row` (names, masses of
// frame and rider, gearing, engine and springs are left for the builder).
void shared_bike_template(BikeInfo* row);
