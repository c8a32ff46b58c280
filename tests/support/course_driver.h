// A test rider's script for the generated tracks: follow the course's centre
// line (or a line beside it) at a planned speed, as the player's channels.
// Header only; used by the riding scenes of the simulation and race tests.
#pragma once
#include <math.h>
#include <ode/ode.h>

#include "base/num.h"
#include "sim/bike_body.h"
#include "sim/rider_input.h"
#include "sim/slots.h"
#include "tools/content/course.h"

struct CourseFollower {
    const Course* course;
    int at = -1;          // nearest sample so far; -1 before the first update
    double progress = 0;  // ft ridden along the course since the first update

    void update(double x, double z)
    {
        int n = (int)course->samples.size(), best = at;
        double best_d = 1e18;
        int from = at < 0 ? 0 : at - 20, to = at < 0 ? n - 1 : at + 60;
        for (int k = from; k <= to; k++) {
            int i = (k % n + n) % n;
            double d = hypot(course->samples[i].x - x, course->samples[i].z - z);
            if (d < best_d) best_d = d, best = i;
        }
        if (at >= 0) {
            int step = ((best - at) % n + n) % n;
            if (step > n / 2) step -= n;
            progress += step * course->step;
        }
        at = best;
    }
    const CourseSample& ahead(float ft) const
    {
        int n = (int)course->samples.size();
        return course->samples[(at + (int)(ft / course->step)) % n];
    }
    // Speed for the sharpest bend within the next 80 ft: about 0.4 g sideways.
    double planned_speed(double fastest) const
    {
        double v = fastest;
        for (float d = 0; d < 80; d += 4) {
            float c = fabsf(ahead(d).curvature);
            if (c > 1e-4f) v = fmin(v, sqrt(13 / c));
        }
        return v;
    }
};

// Horizontal speed (ft/s) and heading (rad; forward is (-sin h, -cos h)) of a rider's frame.
inline double rider_ground_speed(const Rider* r)
{
    const dReal* v = dBodyGetLinearVel(r->bike.body[BODY_FRAME]);
    return sqrt(v[0] * v[0] + v[2] * v[2]);
}
inline double rider_heading(const Rider* r)
{
    const dReal* m = dBodyGetRotation(r->bike.body[BODY_FRAME]);
    return atan2(m[2], m[10]);
}

// Throttle and brakes that hold `want` ft/s from `speed`.
inline void speed_channels(double speed, double want, float channels[CHANNEL_COUNT])
{
    double error = want - speed;
    channels[CHANNEL_THROTTLE] = clamp_keep_nan((float)(0.3 + 0.15 * error), 0, 1);
    channels[CHANNEL_FRONT_BRAKE] = channels[CHANNEL_REAR_BRAKE] = clamp_keep_nan((float)(-0.1 * error - 0.2), 0, 1);
}

// Steering input that turns a bike heading `heading` towards `want` (rad): a
// positive input leans the bike to its +x side and turns it that way.
inline float steer_channel(double heading, double want)
{
    double e = remainder(want - heading, 2 * M_PI);
    return clamp_keep_nan((float)(-2 * e), -1, 1);
}

// One tick of the course script for `r`: the line `lateral` ft to the left
// of the centre line (negative: right), 30 ft ahead, at up to `fastest` ft/s.
inline void course_channels(const Rider* r, CourseFollower* follow, double fastest, float lateral,
                            float channels[CHANNEL_COUNT])
{
    const dReal* p = dBodyGetPosition(r->bike.body[BODY_FRAME]);
    follow->update(p[0], p[2]);
    const CourseSample& target = follow->ahead(30);
    // The point beside the centre line there; left is (tz, -tx).
    const double x = target.x + target.tz * lateral, z = target.z - target.tx * lateral;
    for (int c = 0; c < CHANNEL_COUNT; c++) channels[c] = 0;
    speed_channels(rider_ground_speed(r), follow->planned_speed(fastest), channels);
    channels[CHANNEL_STEER] = steer_channel(rider_heading(r), atan2(-(x - p[0]), -(z - p[2])));
}
