// The built-in bike catalogue: 80 read-only `BikeInfo` rows, one per bike
// model, fixing geometry, masses, suspension ranges, gearing, engine torque
// tables, model file names and rider points. Read by the bike builder, the
// suspension, drivetrain, rider and drawing code; never written after start.
// Units: feet, slugs, seconds, radians, pounds-force, pound-feet. Positions are
// bike-local: x to the rider's side, y up, z from the front wheel to the rear.
#pragma once

enum {
    BIKE_NAME_CHARS = 16,        // model and class fields, NUL included
    BIKE_FILE_CHARS = 64,        // each file name, NUL included
    BIKE_GEARS = 6,              // ratio slots; a ratio <= 0 marks a missing gear
    BIKE_TORQUE_POINTS = 50,     // torque tables: entry k at 500 * k rpm
    BIKE_RIDER_POINT_WORDS = 58,
    BIKE_CATALOGUE_ROWS = 80,
};

constexpr float BIKE_TORQUE_RPM_STEP = 500.0f;  // rpm between torque table entries

// Indices into BikeInfo::files, in record order.
enum BikeFile {
    BIKE_FILE_FRAME_MODEL,        // .jm
    BIKE_FILE_FRAME_SHAPE,        // .shp
    BIKE_FILE_BIKE_TEXTURE,       // .png; the setup's "bike_texture" replaces it
    BIKE_FILE_FORK_UPPER_MODEL,
    BIKE_FILE_FORK_UPPER_SHAPE,
    BIKE_FILE_FORK_LOWER_MODEL,
    BIKE_FILE_FORK_LOWER_SHAPE,
    BIKE_FILE_SWINGARM_MODEL,
    BIKE_FILE_SWINGARM_SHAPE,
    BIKE_FILE_FRONT_WHEEL_MODEL,
    BIKE_FILE_FRONT_WHEEL_SHAPE,
    BIKE_FILE_REAR_WHEEL_MODEL,
    BIKE_FILE_REAR_WHEEL_SHAPE,
    BIKE_FILE_WHEEL_TEXTURE,      // "wheel_texture"
    BIKE_FILE_RIDER_HEAD_MODEL,
    BIKE_FILE_RIDER_HEAD_TEXTURE, // "head_texture"
    BIKE_FILE_RIDER_BODY_MODEL,
    BIKE_FILE_RIDER_BODY_FP_MODEL,  // first-person rider body
    BIKE_FILE_RIDER_SHAPE,
    BIKE_FILE_RIDER_BODY_TEXTURE, // "rider_texture"
    BIKE_FILE_SIDE_PLATES_MODEL,
    BIKE_FILE_FRONT_PLATE_MODEL,
    BIKE_FILE_RIDER_PLATE_MODEL,
    BIKE_FILE_COUNT               // 23
};

struct BikeWheelInfo {
    float position[3];        // ft, axle centre
    float tire_major_radius;  // ft, axle to the centre circle of the tire torus
    float tire_tube_radius;   // ft
    float rim_mass;           // slugs, rim and tire
    float hub_radius;         // ft
    float hub_mass;           // slugs
};

// The hand, foot, hip and seat points of the rider model; identical in every row.
struct BikeRiderPoints {
    float head[3];             // rider-body coordinates, ft
    float left_shoulder[3];    // rider body
    float right_shoulder[3];   // rider body
    float left_hip[3];         // rider body
    float right_hip[3];        // rider body
    float left_grip[3];        // fork-upper body
    float right_grip[3];       // fork-upper body
    float left_foot_peg[3];    // frame body
    float right_foot_peg[3];   // frame body
    float upper_arm_length;    // ft
    float forearm_length;      // ft
    float thigh_length;        // ft
    float shin_length;         // ft
    float bone_rest_centre[9][3];  // rider-model coordinates, bones 0..8
};
static_assert(sizeof(BikeRiderPoints) == BIKE_RIDER_POINT_WORDS * sizeof(float));

struct BikeInfo {
    char model[BIKE_NAME_CHARS];       // key, e.g. "crf250(2008)"
    char bike_class[BIKE_NAME_CHARS];  // "50", "125", "250", "250f" or "450f"
    BikeWheelInfo front_wheel;
    BikeWheelInfo rear_wheel;
    float frame_position[3];           // ft, initial centre of the frame body
    float frame_mass;                  // slugs, without the rider
    float frame_box[3];                // ft, inertia box; x is also the swingarm width
    float fork_upper_position[3];      // ft, steering head (top of the steering axis)
    float swingarm_position[3];        // ft, initial centre of the swingarm body
    float swingarm_pivot[3];           // ft, swingarm anchor on the frame
    float fork_lower_position[3];      // ft, bottom of the steering axis
    float fork_leg_spacing;            // ft
    float fork_leg_length;             // ft
    float fork_mass;                   // slugs
    float fork_spring_rate[2];         // lb/ft for both legs: softest, stiffest
    float fork_preload[2];             // ft: least, most
    float fork_air_gap[2];             // ft: largest, smallest (oil level moves between)
    // Damping bases: high-speed compression, low-speed compression,
    // high-speed rebound, low-speed rebound (lb per ft/s).
    float fork_damping[4];
    float fork_travel;                 // ft
    float swingarm_side_mass;          // slugs, one side
    float shock_spring_rate[2];        // lb/ft: softest, stiffest
    float shock_preload[2];            // ft: least, most
    float shock_damping[4];            // same order as fork_damping
    float linkage_compression_break;   // ft of shock compression at the breakpoint
    float linkage_compression_full;    // ft of shock compression at full travel
    float swingarm_travel;             // rad of swingarm angular travel
    float linkage_breakpoint;          // fraction of the travel
    float linkage_slope[3];            // at 0, at the breakpoint, at full travel
    float primary_ratio;               // crank to clutch reduction
    float countershaft_teeth;          // teeth
    float rear_sprocket_teeth;         // teeth
    float gear_ratio[BIKE_GEARS];      // first to top; <= 0 marks a missing gear
    float engine_inertia;              // slug ft^2
    float clutch_stiffness;            // lb ft per rad
    float clutch_damping;              // lb ft per rad/s
    float closed_throttle_torque[BIKE_TORQUE_POINTS];  // lb ft at 500 * k rpm
    float full_throttle_torque[BIKE_TORQUE_POINTS];    // lb ft at 500 * k rpm
    float downshift_rpm;               // automatic shifting
    float upshift_rpm;
    float extra_rpm;                   // third shift value; no simulation use
    float rider_travel_direction[3];   // (0, 1/12, 1/12) in every row
    float rider_position[3];           // ft, initial centre of the rider body
    float rider_travel[2];             // ft along the travel direction: least, most
    float rider_mass;                  // slugs
    char files[BIKE_FILE_COUNT][BIKE_FILE_CHARS];  // data names, indexed by BikeFile
    BikeRiderPoints rider_points;
};

// Row `index` (0..79) in table order; null outside the table.
const BikeInfo* bike_catalogue_row(int index);
// Exact model name match, or null.
[[nodiscard]] const BikeInfo* find_bike_info(const char* model);
// The row for a rider: an exact match, else the first row whose name contains
// "125" when `model` does, else the first row containing "250f". Shows the
// on-screen fallback message. Never null.
const BikeInfo* bike_info_for_rider(const char* model);
// The fallback row alone, with the message it would show written to `message`.
const BikeInfo* bike_fallback_row(const char* model, char* message, int size);
// The default engine sound data name for the row's class ("@default250f.braap"),
// or null for a class without one.
const char* bike_default_sound(const BikeInfo* bike);
// Gear count: the ratios above 0 from first gear on.
int bike_gear_count(const BikeInfo* bike);
