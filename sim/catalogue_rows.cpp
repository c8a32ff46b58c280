// The catalogue's data: class bases, family and variant adjustments, the 80
// rows in table order, and the values every row shares. The builder in
// catalogue.cpp turns them into BikeInfo rows; docs/bike_catalogue.md gives
// the reasoning behind each number.
#include "sim/catalogue_rows.h"

// Measured full-throttle torque of crf250(2008), lb ft at 500 * k rpm: peak
// 19.1 at 9500 rpm, 0 at the 13500 rpm limit, negative beyond.
static const float CRF250_FULL_THROTTLE[BIKE_TORQUE_POINTS] = {
    5, 5, 5, 5, 5, 6.2f, 7.5f, 8.7f, 10, 11.2f,
    12.5f, 14.3f, 14.2f, 15.2f, 16.4f, 17.9f, 18.5f, 18.8f, 19, 19.1f,
    18.3f, 17.9f, 17.4f, 16.7f, 15.6f, 14.8f, 13.9f, 0, -13, -13.5f,
    -14, -14.5f, -15, -15.5f, -16, -16.5f, -17, -17.5f, -18, -18.5f,
    -19, -19.5f, -20, -20.5f, -21, -21.5f, -22, -22.5f, -23, -23.5f,
};

// Closed-throttle torque of the four-stroke 250, lb ft at 500 * k rpm: engine
// braking growing by 1 lb ft every 1000 rpm. Other classes scale it.
const float SHARED_CLOSED_THROTTLE[BIKE_TORQUE_POINTS] = {
    2, 2, 1, 0, -1, -1, -2, -2, -3, -3,
    -4, -4, -5, -5, -6, -6, -7, -7, -8, -8,
    -9, -9, -10, -10, -11, -11, -12, -12, -13, -13,
    -14, -14, -15, -15, -16, -16, -17, -17, -18, -18,
    -19, -19, -20, -20, -21, -21, -22, -22, -23, -23,
};

// One base per class; the base rows are cr125, crf250(2008), crf450(2018),
// rs50cr and, for the two-stroke 250s, a cr250(2007) of our own.
//   two-strokes: a late, steep rise to a high peak and a quick fall (peaky);
//   four-stroke 250s rev highest; 450s peak strongest and lowest.
const BikeClassBase BIKE_CLASS_BASES[BIKE_CLASS_COUNT] = {
    // "50": rs50cr, a small two-stroke with six gears and a soft clutch.
    {"50", 0, 3.34125f, 3.125f, 3.71429f, 12, 55,
     {3.09091f, 2.0f, 1.5f, 1.2f, 1.04545f, 0.95652f},
     0.00119f, 1200, 1.0f, 4.31f, 9500, 12500, nullptr,
     {0.2f, 3500, 2, 0.45f, 1.2f, 0.6f, 0.026f}, 0.2f,
     8000, 11000, 12000, {235.18f, 772.76f}, {1679.9f, 4367.77f}},
    // "125": cr125.
    {"125", 0, 3.65375f, 4.6875f, 3.15f, 13, 52,
     {2.35714f, 1.8125f, 1.5f, 1.28571f, 1.13333f, -1},
     0.0029f, 7500, 0.75f, 15.97f, 10000, 13000, nullptr,
     {0.2f, 4000, 2, 0.45f, 1.2f, 0.6f, 0.026f}, 0.5f,
     9400, 12000, 12750, {315.82f, 853.40f}, {2083.1f, 4770.97f}},
    // "250": cr250(2007), chosen: 450-like chassis and rider, peaky two-stroke.
    {"250", 2007, 3.95f, 5.46875f, 2.6f, 14, 50,
     {2.0f, 1.5625f, 1.3f, 1.10526f, 0.95652f, -1},
     0.0062f, 7500, 0.75f, 29.5f, 8000, 10500, nullptr,
     {0.2f, 3000, 2, 0.5f, 1.2f, 0.6f, 0.026f}, 0.7f,
     6800, 9500, 10000, {376.30f, 913.88f}, {2486.29f, 5174.16f}},
    // "250f": crf250(2008), measured torque curve.
    {"250f", 2008, 4.24f, 4.6875f, 3.1667f, 13, 51,
     {2.142857f, 1.75f, 1.45f, 1.227273f, 1.041667f, -1},
     0.0048828125f, 7500, 0.75f, 19.1f, 9500, 13500, CRF250_FULL_THROTTLE,
     {}, 1.0f,
     8000, 12500, 13250, {335.98f, 873.56f}, {2217.5f, 4905.37f}},
    // "450f": crf450(2018).
    {"450f", 2018, 4.735f, 5.46875f, 2.32143f, 13, 49,
     {2.13333f, 1.70588f, 1.42105f, 1.21053f, 1.04348f, -1},
     0.00885f, 7500, 0.75f, 35.4f, 7500, 12000, nullptr,
     {0.3f, 1500, 1, 0.72f, 1.5f, 0.68f, 0.026f}, 1.3f,
     6000, 10500, 12000, {376.30f, 913.88f}, {2486.29f, 5174.16f}},
};

// Per family, relative to the cr/crf family that the base rows belong to.
//                       frame   torque  rpm   rear   fork    shock
//                       slugs   factor  steps teeth  lb/ft   lb/ft
const BikeFamilyAdjust BIKE_FAMILY_ADJUST[FAMILY_COUNT] = {
    /* cr, crf */      {  0.0f,  1.00f,  0,    0,     0.0f,    0.0f},
    /* kx */           {  0.05f, 1.02f,  0,   -1,    13.44f,  89.6f},
    /* rm, rmz */      {  0.08f, 0.98f, -1,    0,     6.72f,  44.8f},
    /* yz */           {  0.03f, 1.01f,  1,   -2,    20.16f, 134.4f},
    /* sx, sxf */      { -0.15f, 1.04f,  1,   -1,    -6.72f, -44.8f},
    /* fc */           { -0.10f, 1.04f,  1,   -1,     0.0f,    0.0f},
};

//                                       frame   torque  rpm    rear   inertia
const BikeVariantAdjust BIKE_VARIANT_ADJUST[VARIANT_COUNT] = {
    /* plain */                        {  0.0f,  1.00f,  0,     0,     1.0f},
    /* "se" edition: lighter, tuned */{ -0.05f, 1.03f,  0,     0,     1.0f},
    /* 350 on the 250f chassis */      {  0.18f, 1.45f, -2,    -1,     1.35f},
};

#define C50 BIKE_CLASS_50
#define C125 BIKE_CLASS_125
#define C250 BIKE_CLASS_250
#define C250F BIKE_CLASS_250F
#define C450F BIKE_CLASS_450F
#define PLAIN VARIANT_PLAIN

// The 80 rows in table order. The 2008 rows of the four oldest four-stroke
// 250 families keep the bare family prefix, as their old model names did.
const BikeRowRecipe BIKE_ROW_RECIPES[BIKE_CATALOGUE_ROWS] = {
    {"cr125", C125, FAMILY_CR, 0, PLAIN, "cr125", nullptr},
    {"crf250(2007)", C250F, FAMILY_CR, 2007, PLAIN, "crf250_2007", nullptr},
    {"crf250(2008)", C250F, FAMILY_CR, 2008, PLAIN, "crf250", nullptr},
    {"crf250(2009)", C250F, FAMILY_CR, 2009, PLAIN, "crf250_2009", nullptr},
    {"crf250(2013)", C250F, FAMILY_CR, 2013, PLAIN, "crf250_2013", nullptr},
    {"crf250(2016)", C250F, FAMILY_CR, 2016, PLAIN, "crf250_2016", nullptr},
    {"crf250(2017)", C250F, FAMILY_CR, 2017, PLAIN, "crf250_2017", nullptr},
    {"crf250(2018)", C250F, FAMILY_CR, 2018, PLAIN, "crf250_2018", nullptr},
    {"cr250(2007)", C250, FAMILY_CR, 2007, PLAIN, "cr250_2007", nullptr},
    {"crf450(2011)", C450F, FAMILY_CR, 2011, PLAIN, "crf450_2011", nullptr},
    {"crf450(2013)", C450F, FAMILY_CR, 2013, PLAIN, "crf450_2013", nullptr},
    {"crf450(2016)", C450F, FAMILY_CR, 2016, PLAIN, "crf450_2016", nullptr},
    {"crf450(2017)", C450F, FAMILY_CR, 2017, PLAIN, "crf450_2017", nullptr},
    {"crf450(2018)", C450F, FAMILY_CR, 2018, PLAIN, "crf450_2018", nullptr},
    {"kx125", C125, FAMILY_KX, 0, PLAIN, "kx125", nullptr},
    {"kx250f(2007)", C250F, FAMILY_KX, 2007, PLAIN, "kx250f_2007", nullptr},
    {"kx250f(2008)", C250F, FAMILY_KX, 2008, PLAIN, "kx250f", nullptr},
    {"kx250f(2009)", C250F, FAMILY_KX, 2009, PLAIN, "kx250f_2009", nullptr},
    {"kx250f(2013)", C250F, FAMILY_KX, 2013, PLAIN, "kx250f_2013", nullptr},
    {"kx250f(2016)", C250F, FAMILY_KX, 2016, PLAIN, "kx250f_2016", nullptr},
    {"kx250f(2017)", C250F, FAMILY_KX, 2017, PLAIN, "kx250f_2017", nullptr},
    {"kx250f(2018)", C250F, FAMILY_KX, 2018, PLAIN, "kx250f_2018", nullptr},
    {"kx250(2006)", C250, FAMILY_KX, 2006, PLAIN, "kx250_2006", nullptr},
    {"kx450f(2011)", C450F, FAMILY_KX, 2011, PLAIN, "kx450f_2011", nullptr},
    {"kx450f(2013)", C450F, FAMILY_KX, 2013, PLAIN, "kx450f_2013", nullptr},
    {"kx450f(2016)", C450F, FAMILY_KX, 2016, PLAIN, "kx450f_2016", nullptr},
    {"kx450f(2017)", C450F, FAMILY_KX, 2017, PLAIN, "kx450f_2017", nullptr},
    {"kx450f(2018)", C450F, FAMILY_KX, 2018, PLAIN, "kx450f_2018", nullptr},
    {"rm125", C125, FAMILY_RM, 0, PLAIN, "rm125", nullptr},
    {"rmz250(2007)", C250F, FAMILY_RM, 2007, PLAIN, "rmz250_2007", nullptr},
    {"rmz250(2008)", C250F, FAMILY_RM, 2008, PLAIN, "rmz250", nullptr},
    {"rmz250(2009)", C250F, FAMILY_RM, 2009, PLAIN, "rmz250_2009", nullptr},
    {"rmz250(2013)", C250F, FAMILY_RM, 2013, PLAIN, "rmz250_2013", nullptr},
    {"rmz250(2016)", C250F, FAMILY_RM, 2016, PLAIN, "rmz250_2016", nullptr},
    {"rmz250(2017)", C250F, FAMILY_RM, 2017, PLAIN, "rmz250_2017", nullptr},
    {"rmz250(2018)", C250F, FAMILY_RM, 2018, PLAIN, "rmz250_2018", nullptr},
    {"rm250(2008)", C250, FAMILY_RM, 2008, PLAIN, "rm250_2008", nullptr},
    {"rmz450(2011)", C450F, FAMILY_RM, 2011, PLAIN, "rmz450_2011", nullptr},
    {"rmz450(2013)", C450F, FAMILY_RM, 2013, PLAIN, "rmz450_2013", nullptr},
    {"rmz450(2016)", C450F, FAMILY_RM, 2016, PLAIN, "rmz450_2016", nullptr},
    {"rmz450(2017)", C450F, FAMILY_RM, 2017, PLAIN, "rmz450_2017", nullptr},
    {"rmz450(2018)", C450F, FAMILY_RM, 2018, PLAIN, "rmz450_2018", nullptr},
    {"yz125", C125, FAMILY_YZ, 0, PLAIN, "yz125", nullptr},
    {"yz250f(2007)", C250F, FAMILY_YZ, 2007, PLAIN, "yz250f_2007", nullptr},
    {"yz250f_se(2006)", C250F, FAMILY_YZ, 2006, VARIANT_SE, "yz250f_se_2006", nullptr},
    {"yz250f(2008)", C250F, FAMILY_YZ, 2008, PLAIN, "yz250f", nullptr},
    {"yz250f(2009)", C250F, FAMILY_YZ, 2009, PLAIN, "yz250f_2009", nullptr},
    {"yz250f(2013)", C250F, FAMILY_YZ, 2013, PLAIN, "yz250f_2013", nullptr},
    {"yz250f(2016)", C250F, FAMILY_YZ, 2016, PLAIN, "yz250f_2016", nullptr},
    {"yz250f(2017)", C250F, FAMILY_YZ, 2017, PLAIN, "yz250f_2017", nullptr},
    {"yz250f(2018)", C250F, FAMILY_YZ, 2018, PLAIN, "yz250f_2018", nullptr},
    {"yz250(2012)", C250, FAMILY_YZ, 2012, PLAIN, "yz250_2012", nullptr},
    {"yz450f(2011)", C450F, FAMILY_YZ, 2011, PLAIN, "yz450f_2011", nullptr},
    {"yz450f(2013)", C450F, FAMILY_YZ, 2013, PLAIN, "yz450f_2013", nullptr},
    {"yz450f(2016)", C450F, FAMILY_YZ, 2016, PLAIN, "yz450f_2016", nullptr},
    {"yz450f(2017)", C450F, FAMILY_YZ, 2017, PLAIN, "yz450f_2017", nullptr},
    {"yz450f(2018)", C450F, FAMILY_YZ, 2018, PLAIN, "yz450f_2018", nullptr},
    {"125sx", C125, FAMILY_SX, 0, PLAIN, "125sx", nullptr},
    {"250sxf(2009)", C250F, FAMILY_SX, 2009, PLAIN, "250sxf_2009", nullptr},
    {"250sxf(2013)", C250F, FAMILY_SX, 2013, PLAIN, "250sxf_2013", nullptr},
    {"250sxf(2016)", C250F, FAMILY_SX, 2016, PLAIN, "250sxf_2016", nullptr},
    {"250sxf(2017)", C250F, FAMILY_SX, 2017, PLAIN, "250sxf_2017", nullptr},
    {"250sxf(2018)", C250F, FAMILY_SX, 2018, PLAIN, "250sxf_2018", nullptr},
    {"250sx(2012)", C250, FAMILY_SX, 2012, PLAIN, "250sx_2012", nullptr},
    {"350sxf(2011)", C250F, FAMILY_SX, 2011, VARIANT_350, "350sxf_2011", nullptr},
    {"350sxf(2013)", C250F, FAMILY_SX, 2013, VARIANT_350, "350sxf_2013", nullptr},
    {"350sxf(2017)", C250F, FAMILY_SX, 2017, VARIANT_350, "350sxf_2017", nullptr},
    {"450sxf(2011)", C450F, FAMILY_SX, 2011, PLAIN, "450sxf_2011", nullptr},
    {"450sxf(2013)", C450F, FAMILY_SX, 2013, PLAIN, "450sxf_2013", nullptr},
    {"450sxf(2016)", C450F, FAMILY_SX, 2016, PLAIN, "450sxf_2016", nullptr},
    {"450sxf(2017)", C450F, FAMILY_SX, 2017, PLAIN, "450sxf_2017", nullptr},
    {"450sxf(2018)", C450F, FAMILY_SX, 2018, PLAIN, "450sxf_2018", nullptr},
    {"fc250(2017)", C250F, FAMILY_FC, 2017, PLAIN, "fc250_2017", nullptr},
    {"fc250(2018)", C250F, FAMILY_FC, 2018, PLAIN, "fc250_2018", nullptr},
    {"fc450(2017)", C450F, FAMILY_FC, 2017, PLAIN, "fc450_2017", nullptr},
    {"fc450(2018)", C450F, FAMILY_FC, 2018, PLAIN, "fc450_2018", nullptr},
    // The minis reuse the cr125 models under their own textures.
    {"rs50cr", C50, FAMILY_CR, 0, PLAIN, "rs50cr", "cr125"},
    {"rs50kx", C50, FAMILY_KX, 0, PLAIN, "rs50kx", "cr125"},
    {"rs50rm", C50, FAMILY_RM, 0, PLAIN, "rs50rm", "cr125"},
    {"rs50yz", C50, FAMILY_YZ, 0, PLAIN, "rs50yz", "cr125"},
};

// Hand, foot, hip and seat points of the rider model; every row carries them.
static const BikeRiderPoints RIDER_POINTS = {
    {0, 0.80838f, -0.94337f},           // head (rider body)
    {-0.556f, 0.58038f, -0.65451f},     // left shoulder
    {0.556f, 0.58038f, -0.65451f},      // right shoulder
    {-0.269f, -0.57089f, 0.67061f},     // left hip
    {0.269f, -0.57089f, 0.67061f},      // right hip
    {-1.097f, 1.145f, 0.753f},          // left grip (fork upper)
    {1.097f, 1.145f, 0.753f},           // right grip
    {-0.6f, -0.557f, 0.584f},           // left foot peg (frame)
    {0.6f, -0.557f, 0.584f},            // right foot peg
    0.9f, 1.15f, 1.328f, 1.701f,        // upper arm, forearm, thigh, shin
    {
        {-1.456f, 0.875f, 0.01f},       // 0 left forearm
        {1.456f, 0.875f, 0.01f},        // 1 right forearm
        {-0.556f, 0.875f, 0.01f},       // 2 left upper arm
        {0.556f, 0.875f, 0.01f},        // 3 right upper arm
        {-0.269f, -2.208f, 0.01f},      // 4 left shin
        {0.269f, -2.208f, 0.01f},       // 5 right shin
        {-0.269f, -0.88f, 0.01f},       // 6 left thigh
        {0.269f, -0.88f, 0.01f},        // 7 right thigh
        {0, -0.88f, 0.01f},             // 8 torso
    },
};

// Every row's geometry, wheels, suspension ranges other than the springs,
// damping bases, linkage and rider placement (those of crf250(2008)).
static const BikeInfo SHARED_ROW = {
    .model = {},  // names, masses, springs, gearing and engine: per row
    .bike_class = {},
    .front_wheel = {{0, 1.09f, 1.11f}, 0.83333f, 0.33333f, 0.40625f, 0.5f, 0.15625f},
    .rear_wheel = {{0, 1.04f, 6.0f}, 0.75f, 0.33333f, 0.46875f, 0.5f, 0.3125f},
    .frame_position = {0, 1.98f, 3.6f},
    .frame_mass = 0,
    .frame_box = {0.83333f, 1.66667f, 1.66667f},
    .fork_upper_position = {0, 2.9f, 2.16f},
    .swingarm_position = {0, 1.34f, 4.99f},
    .swingarm_pivot = {0, 1.6f, 4.08f},
    .fork_lower_position = {0, 1.77f, 1.59f},
    .fork_leg_spacing = 0.83333f,
    .fork_leg_length = 3.0f,
    .fork_mass = 0.703125f,
    .fork_spring_rate = {},
    .fork_preload = {0, 0.08333f},
    .fork_air_gap = {0.41667f, 0.25f},
    .fork_damping = {60, 60, 30, 30},
    .fork_travel = 1.0f,
    .swingarm_side_mass = 0.504375f,
    .shock_spring_rate = {},
    .shock_preload = {0, 0.3333f},
    .shock_damping = {800, 200, 600, 150},
    .linkage_compression_break = 0.28365f,
    .linkage_compression_full = 0.41339f,
    .swingarm_travel = 0.53030f,
    .linkage_breakpoint = 0.75f,
    .linkage_slope = {0.31504f, 0.46048f, 0.60705f},
    .primary_ratio = 0,
    .countershaft_teeth = 0,
    .rear_sprocket_teeth = 0,
    .gear_ratio = {},
    .engine_inertia = 0,
    .clutch_stiffness = 0,
    .clutch_damping = 0,
    .closed_throttle_torque = {},
    .full_throttle_torque = {},
    .downshift_rpm = 0,
    .upshift_rpm = 0,
    .extra_rpm = 0,
    .rider_travel_direction = {0, 0.083333f, 0.083333f},
    .rider_position = {0, 4.5f, 4.12f},
    .rider_travel = {-0.66667f, 0.5f},
    .rider_mass = 0,
    .files = {},
    .rider_points = RIDER_POINTS,
};

void shared_bike_template(BikeInfo* row) { *row = SHARED_ROW; }
