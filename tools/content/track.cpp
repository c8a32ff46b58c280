#include "tools/content/track.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "tools/content/noise.h"

TerrainLighting track_light() {
    // Afternoon sun from the south-west, a little hazy.
    TerrainLighting l{};
    float sun[3] = {-0.55f, 0.62f, 0.56f};
    float len = std::sqrt(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
    for (int c = 0; c < 3; c++) l.sun[c] = sun[c] / len;
    const float diffuse[3] = {0.92f, 0.88f, 0.78f};
    const float ambient[3] = {0.42f, 0.44f, 0.50f};
    std::copy(diffuse, diffuse + 3, l.diffuse);
    std::copy(ambient, ambient + 3, l.ambient);
    return l;
}

float track_land(const TrackDesign& d, float x, float z) {
    float h = d.land_height * fbm_noise(x / d.land_scale, z / d.land_scale, d.seed, 4, 0.45f);
    h += 1.5f * fbm_noise(x / 60, z / 60, d.seed + 7, 2, 0.5f);
    for (const TrackHill& hill : d.hills) {
        float dx = x - hill.x, dz = z - hill.z;
        h += hill.height * std::exp(-(dx * dx + dz * dz) / (hill.radius * hill.radius));
    }
    return h;
}

static float land_of(const void* self, float x, float z) {
    return track_land(*static_cast<const TrackDesign*>(self), x, z);
}

float track_height(const Track& t, float x, float z) {
    float u = std::clamp(x / t.spacing, 0.0f, float(t.dim - 1));
    float v = std::clamp(z / t.spacing, 0.0f, float(t.dim - 1));
    int i = std::min(int(u), t.dim - 2), k = std::min(int(v), t.dim - 2);
    float fu = u - float(i), fv = v - float(k);
    const float* h = &t.heights[size_t(k) * t.dim + i];
    float top = h[0] + (h[1] - h[0]) * fu;
    float bottom = h[t.dim] + (h[t.dim + 1] - h[t.dim]) * fu;
    return top + (bottom - top) * fv;
}

static float smoother(float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t * t * t * (t * (t * 6 - 15) + 10);
}

// Finds, for every vertex near the course, the nearest centre-line segment.
static void stamp_course(Track* t) {
    const Course& c = t->course;
    int n = int(c.samples.size());
    size_t count = size_t(t->dim) * t->dim;
    std::vector<float> best(count, 1e30f);
    t->near_sample.assign(count, -1);
    t->lateral.assign(count, 0);
    for (int s = 0; s < n; s++) {
        const CourseSample& a = c.samples[s];
        const CourseSample& b = c.samples[(s + 1) % n];
        float reach = a.width * 0.5f + a.shoulder + 4;
        int i0 = std::max(0, int((std::min(a.x, b.x) - reach) / t->spacing));
        int i1 = std::min(t->dim - 1, int((std::max(a.x, b.x) + reach) / t->spacing) + 1);
        int k0 = std::max(0, int((std::min(a.z, b.z) - reach) / t->spacing));
        int k1 = std::min(t->dim - 1, int((std::max(a.z, b.z) + reach) / t->spacing) + 1);
        float ex = b.x - a.x, ez = b.z - a.z, len2 = ex * ex + ez * ez;
        for (int k = k0; k <= k1; k++)
            for (int i = i0; i <= i1; i++) {
                float px = float(i) * t->spacing - a.x, pz = float(k) * t->spacing - a.z;
                float u = std::clamp((px * ex + pz * ez) / len2, 0.0f, 1.0f);
                float dx = px - u * ex, dz = pz - u * ez;
                float d2 = dx * dx + dz * dz;
                size_t v = size_t(k) * t->dim + i;
                if (d2 >= best[v]) continue;
                best[v] = d2;
                t->near_sample[v] = u < 0.5f ? s : (s + 1) % n;
                t->lateral[v] = px * a.tz - pz * a.tx;  // left of travel is (tz, -tx)
            }
    }
}

static void build_heights(Track* t) {
    const Course& c = t->course;
    for (int k = 0; k < t->dim; k++)
        for (int i = 0; i < t->dim; i++) {
            size_t v = size_t(k) * t->dim + i;
            float h = t->land[v];
            int s = t->near_sample[v];
            if (s >= 0) {
                const CourseSample& cs = c.samples[s];
                float half = cs.width * 0.5f;
                float d = t->lateral[v];
                float edge = std::fabs(d) - half;
                float on = std::clamp(d, -half, half);
                float track_h = cs.height - cs.bank * on;
                if (edge <= 0) h = track_h;
                else if (edge < cs.shoulder) {
                    float w = smoother(edge / cs.shoulder);
                    h = track_h + (h - track_h) * w;
                }
            }
            t->heights[v] = h;
        }
}

// Surface of the riding line under vertex v; grass away from the course.
static bool vertex_on_course(const Track& t, size_t v, float margin) {
    int s = t.near_sample[v];
    return s >= 0 && std::fabs(t.lateral[v]) <= t.course.samples[s].width * 0.5f + margin;
}

static void build_tilemap(Track* t) {
    int tiles = 1 << t->n;
    t->tilemap.assign(size_t(tiles) * tiles, SURFACE_GRASS);
    for (int tz = 0; tz < tiles; tz++)
        for (int tx = 0; tx < tiles; tx++) {
            auto vertex = [&](int di, int dk) { return size_t(2 * tz + dk) * t->dim + 2 * tx + di; };
            // Corner bits name the corners showing grass: 1 (+x,+z), 2 (-x,+z), 4 (+x,-z), 8 (-x,-z).
            int mask = 0;
            if (!vertex_on_course(*t, vertex(2, 2), 1)) mask |= 1;
            if (!vertex_on_course(*t, vertex(0, 2), 1)) mask |= 2;
            if (!vertex_on_course(*t, vertex(2, 0), 1)) mask |= 4;
            if (!vertex_on_course(*t, vertex(0, 0), 1)) mask |= 8;
            uint8_t surface;
            if (mask == 15) {
                surface = SURFACE_GRASS;
            } else if (mask != 0) {
                surface = uint8_t(SURFACE_FIRST_TRANSITION + mask - 1);
            } else {
                size_t centre = vertex(1, 1);
                const CourseSample& cs = t->course.samples[t->near_sample[centre]];
                surface = cs.surface;
                // Riders pack the edges of a loam course hard.
                if (surface == SURFACE_LOAM && std::fabs(t->lateral[centre]) > cs.width * 0.5f - 3)
                    surface = SURFACE_HARDPACK;
            }
            t->tilemap[size_t(tz) * tiles + tx] = surface;
        }
}

// Sun shadows by horizon propagation: each vertex inherits the highest shadow
// line of its sunward neighbour, lowered by the sun's elevation per step.
static void build_shadows(Track* t, const TerrainLighting& light) {
    int dim = t->dim;
    t->light.assign(size_t(dim) * dim, 255);
    float hx = light.sun[0], hz = light.sun[2];
    float horizontal = std::hypot(hx, hz);
    if (horizontal < 1e-4f) return;
    float rise = light.sun[1] / horizontal;  // ft of height per ft towards the sun
    bool along_x = std::fabs(hx) >= std::fabs(hz);
    float major = along_x ? hx : hz, minor = along_x ? hz : hx;
    int dir = major > 0 ? 1 : -1;          // the sunward neighbour is one step this way
    float slope = minor / std::fabs(major);  // minor-axis offset of that neighbour
    float step = t->spacing * std::sqrt(1 + slope * slope);
    std::vector<float> horizon(size_t(dim) * dim, -1e30f);
    auto index = [&](int a, int b) { return along_x ? size_t(b) * dim + a : size_t(a) * dim + b; };
    int first = dir > 0 ? dim - 1 : 0;
    for (int a = first - dir; a >= 0 && a < dim; a -= dir) {
        for (int b = 0; b < dim; b++) {
            float pb = float(b) + slope;
            int b0 = std::clamp(int(std::floor(pb)), 0, dim - 1);
            int b1 = std::min(b0 + 1, dim - 1);
            float f = std::clamp(pb - float(b0), 0.0f, 1.0f);
            size_t n0 = index(a + dir, b0), n1 = index(a + dir, b1);
            float m0 = std::max(t->heights[n0], horizon[n0]);
            float m1 = std::max(t->heights[n1], horizon[n1]);
            size_t v = index(a, b);
            horizon[v] = m0 + (m1 - m0) * f - step * rise;
            float depth = horizon[v] - t->heights[v];
            float lit = std::clamp(1 - depth / 1.5f, 0.0f, 1.0f);
            t->light[v] = uint8_t(std::lround(255 * (0.25f + 0.75f * lit)));
        }
    }
}

void track_build(Track* t, const TrackDesign* d) {
    t->design = d;
    t->n = d->grid_exponent;
    t->dim = (1 << (t->n + 1)) + 1;
    t->spacing = d->spacing;
    t->size = float(1 << (t->n + 1)) * d->spacing;
    size_t count = size_t(t->dim) * t->dim;
    t->land.resize(count);
    for (int k = 0; k < t->dim; k++)
        for (int i = 0; i < t->dim; i++)
            t->land[size_t(k) * t->dim + i] = track_land(*d, float(i) * t->spacing, float(k) * t->spacing);
    t->course = course_build(d->course);
    course_set_heights(&t->course, d->course, land_of, d, 120);
    stamp_course(t);
    t->heights.resize(count);
    build_heights(t);
    auto [lo, hi] = std::minmax_element(t->heights.begin(), t->heights.end());
    t->min_height = std::floor(*lo);
    t->max_height = std::ceil(*hi) + 1;
    build_tilemap(t);
    build_shadows(t, track_light());
}

bool track_on_course(const Track& t, float x, float z) {
    int i = std::clamp(int(std::lround(x / t.spacing)), 0, t.dim - 1);
    int k = std::clamp(int(std::lround(z / t.spacing)), 0, t.dim - 1);
    return vertex_on_course(t, size_t(k) * t.dim + i, 0);
}

static void vertex_normal(const Track& t, int i, int k, float n[3]) {
    int i0 = std::max(i - 1, 0), i1 = std::min(i + 1, t.dim - 1);
    int k0 = std::max(k - 1, 0), k1 = std::min(k + 1, t.dim - 1);
    float dx = (t.heights[size_t(k) * t.dim + i1] - t.heights[size_t(k) * t.dim + i0]) / (float(i1 - i0) * t.spacing);
    float dz = (t.heights[size_t(k1) * t.dim + i] - t.heights[size_t(k0) * t.dim + i]) / (float(k1 - k0) * t.spacing);
    float len = std::sqrt(dx * dx + 1 + dz * dz);
    n[0] = -dx / len;
    n[1] = 1 / len;
    n[2] = -dz / len;
}

ContentImage track_shadows_image(const Track& t) {
    ContentImage im = image_make(t.dim, t.dim, 1);
    im.pixels = t.light;
    return im;
}

ContentImage track_map(const Track& t, int size) {
    return track_map_region(t, 0, 0, t.size, t.size, size, size);
}

ContentImage track_map_region(const Track& t, float x0, float z0, float x1, float z1, int width, int height) {
    ContentImage im = image_make(width, height, 3);
    TerrainLighting l = track_light();
    int tiles = 1 << t.n;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            float wx = x0 + (float(x) + 0.5f) * (x1 - x0) / float(width);
            float wz = z0 + (float(y) + 0.5f) * (z1 - z0) / float(height);
            int i = std::clamp(int(wx / t.spacing), 0, t.dim - 1), k = std::clamp(int(wz / t.spacing), 0, t.dim - 1);
            float n[3];
            vertex_normal(t, i, k, n);
            float shade = 0.45f + 0.8f * std::clamp(n[0] * l.sun[0] + n[1] * l.sun[1] + n[2] * l.sun[2], 0.0f, 1.0f);
            shade *= 0.7f + 0.3f * float(t.light[size_t(k) * t.dim + i]) / 255.0f;
            int tx = std::min(int(wx / (2 * t.spacing)), tiles - 1), tz = std::min(int(wz / (2 * t.spacing)), tiles - 1);
            uint8_t surface = t.tilemap[size_t(tz) * tiles + tx];
            float rgb[3];
            float height = (track_height(t, wx, wz) - t.min_height) / (t.max_height - t.min_height);
            switch (surface) {
            case SURFACE_HARDPACK: rgb[0] = 0.55f; rgb[1] = 0.42f; rgb[2] = 0.30f; break;
            case SURFACE_LOAM: rgb[0] = 0.45f; rgb[1] = 0.32f; rgb[2] = 0.22f; break;
            case SURFACE_SAND: rgb[0] = 0.85f; rgb[1] = 0.76f; rgb[2] = 0.52f; break;
            case SURFACE_WATER: rgb[0] = 0.30f; rgb[1] = 0.42f; rgb[2] = 0.55f; break;
            case SURFACE_GRASS:
                rgb[0] = 0.26f + 0.12f * height; rgb[1] = 0.45f + 0.1f * height; rgb[2] = 0.20f;
                break;
            default: rgb[0] = 0.38f; rgb[1] = 0.40f; rgb[2] = 0.24f; break;
            }
            uint8_t* p = image_at(im, x, y);
            for (int c = 0; c < 3; c++) p[c] = uint8_t(std::clamp(rgb[c] * shade, 0.0f, 1.0f) * 255);
        }
    return im;
}
