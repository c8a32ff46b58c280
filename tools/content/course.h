// The course of a generated track: a smooth closed centre line (a periodic
// cubic B-spline through designer control points), resampled every foot of
// arc length, with the width, banking, surface and height profile of each
// sample. Lengths in feet, slopes as rise over run. s = 0 is the start gate.
#pragma once
#include <cstdint>
#include <vector>

enum CourseSurface : uint8_t {
    SURFACE_HARDPACK = 0,  // entry numbers of the generated surface table
    SURFACE_LOAM = 1,
    SURFACE_SAND = 2,
    SURFACE_GRASS = 3,
    SURFACE_WATER = 4,
    SURFACE_FIRST_TRANSITION = 5,  // dirt-grass corner masks 1..14 follow
};

enum CourseFeatureKind {
    FEATURE_TABLETOP,   // face up, flat top, back down
    FEATURE_DOUBLE,     // take-off lip, gap, landing mound
    FEATURE_STEP_UP,    // face up to a higher plateau, long descent
    FEATURE_ROLLERS,    // rhythm section: rounded bumps
    FEATURE_WHOOPS,     // many small close bumps
    FEATURE_BERM,       // a steeply banked turn with a lip on the outside
    FEATURE_OFF_CAMBER, // a turn that leans the wrong way
    FEATURE_SAND,       // a stretch of sand surface
    FEATURE_WATER,      // a shallow dip under water, ridden straight through
};

struct CourseFeature {
    CourseFeatureKind kind;
    const char* name;   // for logs and flaggers ("tabletop", ...)
    float start_s;      // ft along the course
    float height;       // ft (bank slope for berms and off-cambers)
    float a, b, c;      // lengths in ft, meaning per kind (see course.cpp)
    int count;          // rollers, whoops
};

struct CourseSample {
    float x, z;          // centre line, ft
    float tx, tz;        // unit tangent (direction of travel)
    float curvature;     // 1/ft, positive turning towards +left (left = (tz, -tx))
    float width;         // ft
    float bank;          // cross slope: height falls by bank * d at lateral offset d (left +)
    float height;        // centre height, ft
    float shoulder;      // ft over which the track edge blends into the land
    uint8_t surface;     // CourseSurface of the riding line
};

struct CourseParams {
    std::vector<float> control;   // x0, z0, x1, z1, ... (ft), closed loop in riding order
    float start_x, start_z;       // the start gate is the sample nearest this point
    float width;                  // ft, normal course width
    float start_width;            // ft, width of the start pad at the gate
    float start_pad_before;       // ft before the gate where the pad is full width
    float start_pad_after;        // ft after the gate where the taper begins
    float start_taper;            // ft over which the pad narrows to the course width
    float finish_before_gate;     // ft: the finish line lies this far before the gate
    float bank_per_curvature;     // bank slope per 1/ft of curvature
    float max_bank;
    std::vector<CourseFeature> features;
};

struct Course {
    std::vector<CourseSample> samples;   // one per `step` ft, sample 0 at the gate
    float step;                          // ft between samples (about 1)
    float length;                        // ft of one lap
    float finish_s;                      // ft, the finish line
};

// Builds the centre line and everything but heights.
Course course_build(const CourseParams& params);
// Fills the sample heights: `ground` sampled along the line, smoothed over
// +-`smooth_ft`, plus the feature profiles.
void course_set_heights(Course* course, const CourseParams& params,
                        float (*ground)(const void* self, float x, float z), const void* self,
                        float smooth_ft);
// Length of a feature along the course (ft) and whether it is ridden over
// (a jump or bumps) rather than turned through.
float course_feature_length(const CourseFeature& feature);
bool course_feature_is_jump(const CourseFeature& feature);
// Profile height of the features alone at arc length s.
float course_feature_height(const CourseParams& params, float s);
// Index of the sample at arc length s (wrapped into the lap).
int course_index(const Course& course, float s);
// Point at arc length s and lateral offset d (left +).
void course_point(const Course& course, float s, float d, float* x, float* z);
// Smallest distance between centre-line points more than `apart_ft` apart
// along the course (ft): how close the course comes to itself.
float course_self_clearance(const Course& course, float apart_ft);
