#include "tools/content/course.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "base/num.h"

static float smoother(float t) {
    if (t <= 0) return 0;
    if (t >= 1) return 1;
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// Rises from 0 to 1 over [0, len]; its steepest slope is 1.875 / len.
static float ramp(float u, float len) { return smoother(u / len); }

float course_feature_length(const CourseFeature& f) {
    switch (f.kind) {
    case FEATURE_TABLETOP: return f.a + f.b + f.c;
    case FEATURE_DOUBLE: return 3 * f.a + f.b + f.c;
    case FEATURE_STEP_UP: return f.a + f.b + f.c;
    case FEATURE_ROLLERS:
    case FEATURE_WHOOPS: return f.a * float(f.count);
    case FEATURE_BERM:
    case FEATURE_OFF_CAMBER:
    case FEATURE_SAND:
    case FEATURE_WATER: return f.a;
    }
    return 0;
}

bool course_feature_is_jump(const CourseFeature& f) {
    return f.kind != FEATURE_BERM && f.kind != FEATURE_OFF_CAMBER && f.kind != FEATURE_SAND;
}

float course_feature_height(const CourseParams& params, float s) {
    float h = 0;
    for (const CourseFeature& f : params.features) {
        float u = s - f.start_s;
        if (u <= 0 || u >= course_feature_length(f) + 1) continue;
        switch (f.kind) {
        case FEATURE_TABLETOP:
            h += f.height * (ramp(u, f.a) - ramp(u - f.a - f.b, f.c));
            break;
        case FEATURE_DOUBLE:
            h += f.height * (ramp(u, f.a) - ramp(u - f.a, f.a)
                             + ramp(u - 2 * f.a - f.b, f.a) - ramp(u - 3 * f.a - f.b, f.c));
            break;
        case FEATURE_STEP_UP:
            h += f.height * (ramp(u, f.a) - ramp(u - f.a - f.b, f.c));
            break;
        case FEATURE_ROLLERS:
        case FEATURE_WHOOPS:
            if (u < f.a * float(f.count))
                h += f.height * 0.5f * (1 - std::cos(2 * PI_F * u / f.a));
            break;
        case FEATURE_WATER:
            if (u < f.a) h -= f.height * 0.5f * (1 - std::cos(2 * PI_F * u / f.a));
            break;
        default:
            break;
        }
    }
    return h;
}

// Closed uniform cubic B-spline through the control polygon.
static void spline_point(const std::vector<float>& c, int segment, float t, float* x, float* z) {
    int n = int(c.size() / 2);
    float t2 = t * t, t3 = t2 * t;
    float w0 = (1 - 3 * t + 3 * t2 - t3) / 6;
    float w1 = (4 - 6 * t2 + 3 * t3) / 6;
    float w2 = (1 + 3 * t + 3 * t2 - 3 * t3) / 6;
    float w3 = t3 / 6;
    int i0 = (segment + n - 1) % n, i1 = segment % n, i2 = (segment + 1) % n, i3 = (segment + 2) % n;
    *x = w0 * c[2 * i0] + w1 * c[2 * i1] + w2 * c[2 * i2] + w3 * c[2 * i3];
    *z = w0 * c[2 * i0 + 1] + w1 * c[2 * i1 + 1] + w2 * c[2 * i2 + 1] + w3 * c[2 * i3 + 1];
}

static float wrap_s(float s, float length) {
    s = std::fmod(s, length);
    return s < 0 ? s + length : s;
}

int course_index(const Course& course, float s) {
    int n = int(course.samples.size());
    int i = int(std::floor(wrap_s(s, course.length) / course.step + 0.5f));
    return i % n;
}

void course_point(const Course& course, float s, float d, float* x, float* z) {
    const CourseSample& c = course.samples[course_index(course, s)];
    *x = c.x + c.tz * d;
    *z = c.z - c.tx * d;
}

static std::vector<float> circular_smooth(const std::vector<float>& v, int radius) {
    int n = int(v.size());
    std::vector<float> out(n);
    double sum = 0;
    for (int k = -radius; k <= radius; k++) sum += v[(k % n + n) % n];
    for (int i = 0; i < n; i++) {
        out[i] = float(sum / (2 * radius + 1));
        sum += v[(i + radius + 1) % n] - v[((i - radius) % n + n) % n];
    }
    return out;
}

// The centre line resampled every foot of arc length, starting at the point
// nearest the designer's start point.
static Course resample_spline(const CourseParams& params) {
    int segments = int(params.control.size() / 2);
    assert(segments >= 4);
    // Dense polyline, then arc length.
    const int per_segment = 256;
    std::vector<float> px, pz, cum;
    for (int seg = 0; seg < segments; seg++)
        for (int k = 0; k < per_segment; k++) {
            float x, z;
            spline_point(params.control, seg, float(k) / per_segment, &x, &z);
            px.push_back(x);
            pz.push_back(z);
        }
    int m = int(px.size());
    cum.assign(m + 1, 0);
    for (int i = 0; i < m; i++) {
        int j = (i + 1) % m;
        cum[i + 1] = cum[i] + std::hypot(px[j] - px[i], pz[j] - pz[i]);
    }
    // Start at the dense point nearest the designer's start point.
    int start = 0;
    float best = 1e30f;
    for (int i = 0; i < m; i++) {
        float d = std::hypot(px[i] - params.start_x, pz[i] - params.start_z);
        if (d < best) best = d, start = i;
    }
    Course course;
    float total = cum[m];
    int n = int(std::floor(total));
    course.step = total / float(n);
    course.length = total;
    course.samples.resize(n);
    int seg = start;
    float base = cum[start];
    for (int i = 0; i < n; i++) {
        float target = base + float(i) * course.step;
        while (true) {
            float lo = cum[seg % m] + (seg >= m ? total : 0);
            float hi = cum[seg % m + 1] + (seg >= m ? total : 0);
            if (target <= hi || seg >= 2 * m - 1) {
                float t = hi > lo ? (target - lo) / (hi - lo) : 0;
                int a = seg % m, b = (seg + 1) % m;
                course.samples[i].x = px[a] + (px[b] - px[a]) * t;
                course.samples[i].z = pz[a] + (pz[b] - pz[a]) * t;
                break;
            }
            seg++;
        }
    }
    return course;
}

// Unit tangents and curvature from the neighbours; curvature smoothed over +-12 ft.
static void set_tangents_and_curvature(Course* course) {
    int n = int(course->samples.size());
    std::vector<float> heading(n), kappa(n);
    for (int i = 0; i < n; i++) {
        const CourseSample& a = course->samples[(i + n - 1) % n];
        const CourseSample& b = course->samples[(i + 1) % n];
        float dx = b.x - a.x, dz = b.z - a.z, len = std::hypot(dx, dz);
        course->samples[i].tx = dx / len;
        course->samples[i].tz = dz / len;
        heading[i] = std::atan2(dz, dx);
    }
    for (int i = 0; i < n; i++) {
        float dh = heading[(i + 1) % n] - heading[(i + n - 1) % n];
        while (dh > PI_F) dh -= 2 * PI_F;
        while (dh < -PI_F) dh += 2 * PI_F;
        // Heading measured from +x towards +z; "left" of travel is (tz, -tx),
        // which is a turn towards smaller heading angles.
        kappa[i] = -dh / (2 * course->step);
    }
    kappa = circular_smooth(kappa, int(12 / course->step));
    for (int i = 0; i < n; i++) course->samples[i].curvature = kappa[i];
}

// Width and surface at arc length s: the start pad around the gate narrows
// to the course width; the pad is hard-packed, sand sections are sand.
static void set_width_and_surface(CourseSample* c, const CourseParams& params, float s, float length) {
    float before = length - s;  // ft before the gate (the lap wraps there)
    float w = params.width;
    if (s <= params.start_pad_after || before <= params.start_pad_before) {
        w = params.start_width;
    } else if (s < params.start_pad_after + params.start_taper) {
        float t = smoother((s - params.start_pad_after) / params.start_taper);
        w = params.start_width + (params.width - params.start_width) * t;
    } else if (before < params.start_pad_before + params.start_taper) {
        float t = smoother((before - params.start_pad_before) / params.start_taper);
        w = params.start_width + (params.width - params.start_width) * t;
    }
    c->width = w;
    bool pad = s < params.start_pad_after + params.start_taper || before < params.start_pad_before + params.start_taper;
    c->surface = pad ? SURFACE_HARDPACK : SURFACE_LOAM;
    for (const CourseFeature& f : params.features)
        if ((f.kind == FEATURE_SAND || f.kind == FEATURE_WATER) && s >= f.start_s &&
            s <= f.start_s + course_feature_length(f))
            c->surface = f.kind == FEATURE_SAND ? SURFACE_SAND : SURFACE_WATER;
}

// Bank slope at arc length s: proportional to the curvature, steeper in
// berms, reversed in off-camber turns, flat on jumps and the start pad.
static float bank_at(const CourseSample& c, const CourseParams& params, float s) {
    float b = std::clamp(params.bank_per_curvature * c.curvature, -params.max_bank, params.max_bank);
    float sign = c.curvature >= 0 ? 1.0f : -1.0f;
    float flat = c.width > params.width + 1 ? 1.0f : 0.0f;
    for (const CourseFeature& f : params.features) {
        float u = s - f.start_s, len = course_feature_length(f);
        if (course_feature_is_jump(f)) {
            float outside = std::max(-u, u - len);
            flat = std::max(flat, 1 - smoother(outside / 40));
            continue;
        }
        if (u < 0 || u > len) continue;
        float fade = smoother(std::min(u, len - u) / std::max(f.b, 1.0f));
        if (f.kind == FEATURE_BERM) b += (sign * f.height - b) * fade;
        if (f.kind == FEATURE_OFF_CAMBER) b += (-sign * f.height - b) * fade;
    }
    return b * (1 - flat);
}

Course course_build(const CourseParams& params) {
    Course course = resample_spline(params);
    int n = int(course.samples.size());
    set_tangents_and_curvature(&course);
    course.finish_s = course.length - params.finish_before_gate;
    std::vector<float> bank(n);
    for (int i = 0; i < n; i++) {
        float s = float(i) * course.step;
        set_width_and_surface(&course.samples[i], params, s, course.length);
        bank[i] = bank_at(course.samples[i], params, s);
    }
    bank = circular_smooth(bank, int(6 / course.step));
    for (int i = 0; i < n; i++) course.samples[i].bank = bank[i];
    return course;
}

void course_set_heights(Course* course, const CourseParams& params,
                        float (*ground)(const void* self, float x, float z), const void* self,
                        float smooth_ft) {
    int n = int(course->samples.size());
    std::vector<float> base(n);
    for (int i = 0; i < n; i++) base[i] = ground(self, course->samples[i].x, course->samples[i].z);
    // Two box passes approximate a tent filter: gentle grades without corners.
    int r = std::max(1, int(smooth_ft / course->step / 2));
    std::vector<float> smooth = circular_smooth(circular_smooth(base, r), r);
    for (int i = 0; i < n; i++) {
        CourseSample& c = course->samples[i];
        c.height = smooth[i] + course_feature_height(params, float(i) * course->step);
        // The shoulder widens where the course is cut in or built up.
        float rise = std::fabs(c.height - base[i]) + std::fabs(c.bank) * c.width * 0.5f;
        c.shoulder = std::clamp(2.5f * rise, 24.0f, 48.0f);
    }
}

float course_self_clearance(const Course& course, float apart_ft) {
    int n = int(course.samples.size());
    int stride = std::max(1, int(4 / course.step));
    float best = 1e30f;
    for (int i = 0; i < n; i += stride)
        for (int j = i + stride; j < n; j += stride) {
            float along = float(j - i) * course.step;
            along = std::min(along, course.length - along);
            if (along <= apart_ft) continue;
            float d = std::hypot(course.samples[i].x - course.samples[j].x,
                                 course.samples[i].z - course.samples[j].z);
            best = std::min(best, d);
        }
    return best;
}
