// Strokes, paths, erosion records, the queue and the dig and deposit on the
// ground. Built without floating-point contraction (see CMakeLists.txt): the
// heights must come out the same on every machine that replays the records.
#include "track/erode.h"

#include <math.h>
#include <string.h>

#include <algorithm>

#include "base/messages.h"
#include "base/num.h"
#include "track/terrain.h"

static constexpr uint32_t POSITION_CODES = 16777215;  // 24-bit position code range
static constexpr float STEP_CODE_SCALE = 65535.0f / 2048.0f;
static constexpr float STEP_MARGIN = 1.0f / 16;  // ft around the steps of a record

// ---- strokes and paths ----------------------------------------------------------

static void submit_path(ErodeWheel* w, float track_size, const erode_submit_ops* submit) {
    if (w->path_count > 0 && submit && submit->submit) {
        uint8_t record[ERODE_RECORD_MAX];
        int bytes = erode_pack(w->path, w->path_count, track_size, record);
        if (bytes > 0) submit->submit(submit->self, record, bytes);
    }
    w->path_count = 0;
}

static void start_path(ErodeWheel* w, const ErodePoint& p) {
    w->path[0] = p;
    w->path_count = 1;
    w->step_min[0] = w->step_min[1] = INFINITY;
    w->step_max[0] = w->step_max[1] = -INFINITY;
}

static void append_point(ErodeWheel* w, const ErodePoint& p, int now, float track_size,
                         const erode_submit_ops* submit) {
    if (w->path_count == ERODE_PATH_POINTS) submit_path(w, track_size, submit);
    if (w->path_count == 0) {
        start_path(w, p);
    } else {
        const ErodePoint& prev = w->path[w->path_count - 1];
        const float step[2] = {p.x - prev.x, p.z - prev.z};
        float lo[2], hi[2];
        bool too_wide = false;
        for (int a = 0; a < 2; a++) {
            lo[a] = std::min(w->step_min[a], step[a]);
            hi[a] = std::max(w->step_max[a], step[a]);
            too_wide |= !(hi[a] - lo[a] <= ERODE_PATH_RANGE);
        }
        if (too_wide) {
            submit_path(w, track_size, submit);
            start_path(w, p);
        } else {
            for (int a = 0; a < 2; a++) w->step_min[a] = lo[a], w->step_max[a] = hi[a];
            w->path[w->path_count++] = p;
        }
    }
    w->last_add_tick = now;
}

static void close_stroke(ErodeWheel* w, int now, float track_size, const erode_submit_ops* submit) {
    const float n = (float)w->samples;
    ErodePoint p = {w->sum_x / n, w->sum_z / n, w->sum_gx / n, w->sum_gz / n, w->samples};
    append_point(w, p, now, track_size, submit);
}

static void begin_stroke(ErodeWheel* w, float x, float z, float gx, float gz, float distance) {
    w->samples = 1;
    w->distance = distance;
    w->sum_x = x, w->sum_z = z, w->sum_gx = gx, w->sum_gz = gz;
    w->last_x = x, w->last_z = z;
}

void erode_wheel_sample(ErodeWheel* w, float x, float z, float gx, float gz, int now, float track_size,
                        const erode_submit_ops* submit) {
    if (w->samples == 0) {
        begin_stroke(w, x, z, gx, gz, 0);
        return;
    }
    const float ex = x - w->last_x, ez = z - w->last_z;
    const float total = w->distance + sqrtf(ex * ex + ez * ez);
    const bool is_full = w->samples == ERODE_STROKE_SAMPLES;
    if (!is_full && total < ERODE_STROKE_LENGTH) {
        w->samples++;
        w->distance = total;
        w->sum_x += x, w->sum_z += z, w->sum_gx += gx, w->sum_gz += gz;
        w->last_x = x, w->last_z = z;
        return;
    }
    close_stroke(w, now, track_size, submit);
    // A short stroke hands the distance past its foot to the next one.
    const float carry = (!is_full && total < 2 * ERODE_STROKE_LENGTH) ? total - ERODE_STROKE_LENGTH : 0;
    begin_stroke(w, x, z, gx, gz, carry);
}

void erode_wheel_idle(ErodeWheel* w, int now, float track_size, const erode_submit_ops* submit) {
    if (w->path_count == 0 || now - w->last_add_tick <= ERODE_IDLE_TICKS) return;
    if (w->samples > 0) close_stroke(w, now, track_size, submit);
    submit_path(w, track_size, submit);
    *w = ErodeWheel{};
}

// ---- records ------------------------------------------------------------------------

static void put16(uint8_t* p, uint32_t v) { p[0] = (uint8_t)v, p[1] = (uint8_t)(v >> 8); }
static void put24(uint8_t* p, uint32_t v) { p[0] = (uint8_t)v, p[1] = (uint8_t)(v >> 8), p[2] = (uint8_t)(v >> 16); }
static uint32_t get16(const uint8_t* p) { return p[0] | (uint32_t)p[1] << 8; }
static uint32_t get24(const uint8_t* p) { return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16; }

// A position code: a wheel past the edge stays on it instead of wrapping.
static uint32_t position_code(float v, float track_size) {
    double q = nearbyint((double)v / track_size * POSITION_CODES);
    return (uint32_t)clamp_nan_to_low(q, 0.0, (double)POSITION_CODES);
}
static float position_value(uint32_t q, float track_size) { return (float)((double)q / POSITION_CODES * track_size); }

static float step_value(uint32_t q) { return (float)q / 65535.0f * 2048.0f - 1024.0f; }
static uint32_t direction_code(float d) {
    return (uint32_t)clamp_nan_to_low(floorf((d + 1) / 2 * 64), 0.0f, 63.0f);
}
static float direction_value(uint32_t c) { return clamp_keep_nan((float)c / 64, 0, 1) * 2 - 1; }

// The point after `prev` for step code `s` in the range lo..hi; shared by the
// packer and the unpacker so both reconstruct the same floats.
static float step_point(float prev, float lo, float hi, uint32_t s) { return prev + lo + (float)s / 255 * (hi - lo); }

static void put_direction(uint8_t* p, const ErodePoint& e) {
    const uint32_t w = (uint32_t)std::clamp(e.weight, 0, 15);  // four bits
    p[0] = (uint8_t)((w & 3) | direction_code(e.dx) << 2);
    p[1] = (uint8_t)((w >> 2) | direction_code(e.dz) << 2);
}
static void get_direction(const uint8_t* p, ErodePoint* e) {
    e->dx = direction_value(p[0] >> 2);
    e->dz = direction_value(p[1] >> 2);
    e->weight = (p[0] & 3) | (p[1] & 3) << 2;
}

int erode_pack(const ErodePoint* points, int count, float track_size, uint8_t* out) {
    if (count <= 0) return 0;
    count = std::min(count, (int)ERODE_PATH_POINTS);
    float lo[2] = {0, 0}, hi[2] = {0, 0};
    for (int i = 1; i < count; i++) {
        const float step[2] = {points[i].x - points[i - 1].x, points[i].z - points[i - 1].z};
        for (int a = 0; a < 2; a++) {
            if (i == 1 || step[a] < lo[a]) lo[a] = step[a];
            if (i == 1 || step[a] > hi[a]) hi[a] = step[a];
        }
    }
    uint32_t qlo[2], qhi[2];
    float range_lo[2], range_hi[2];
    for (int a = 0; a < 2; a++) {
        qlo[a] = (uint32_t)clamp_nan_to_low(floorf((lo[a] - STEP_MARGIN + 1024) * STEP_CODE_SCALE), 0.0f, 65535.0f);
        qhi[a] = (uint32_t)clamp_nan_to_low(ceilf((hi[a] + STEP_MARGIN + 1024) * STEP_CODE_SCALE), 0.0f, 65535.0f);
        range_lo[a] = step_value(qlo[a]);
        range_hi[a] = step_value(qhi[a]);
    }
    out[0] = ERODE_RECORD_TYPE;
    put16(out + 1, qlo[0]);
    put16(out + 3, qlo[1]);
    put16(out + 5, qhi[0]);
    put16(out + 7, qhi[1]);
    const uint32_t cx = position_code(points[0].x, track_size), cz = position_code(points[0].z, track_size);
    put24(out + 9, cx);
    put24(out + 12, cz);
    put_direction(out + 15, points[0]);
    float prev[2] = {position_value(cx, track_size), position_value(cz, track_size)};
    for (int i = 1; i < count; i++) {
        uint8_t* p = out + ERODE_RECORD_HEADER + 4 * (i - 1);
        const float want[2] = {points[i].x, points[i].z};
        for (int a = 0; a < 2; a++) {
            // Against the reconstructed point, so rounding does not add up.
            const float span = range_hi[a] - range_lo[a];
            const float f = span > 0 ? (want[a] - prev[a] - range_lo[a]) / span * 255 : 0;
            const uint32_t s = (uint32_t)clamp_nan_to_low(nearbyintf(f), 0.0f, 255.0f);
            p[a] = (uint8_t)s;
            prev[a] = step_point(prev[a], range_lo[a], range_hi[a], s);
        }
        put_direction(p + 2, points[i]);
    }
    return ERODE_RECORD_HEADER + 4 * (count - 1);
}

bool erode_unpack(const uint8_t* record, int bytes, float track_size, std::vector<ErodePoint>* out) {
    if (!record || bytes < ERODE_RECORD_HEADER || record[0] != ERODE_RECORD_TYPE) return false;
    const float lo[2] = {step_value(get16(record + 1)), step_value(get16(record + 3))};
    const float hi[2] = {step_value(get16(record + 5)), step_value(get16(record + 7))};
    ErodePoint p;
    p.x = position_value(get24(record + 9), track_size);
    p.z = position_value(get24(record + 12), track_size);
    get_direction(record + 15, &p);
    out->push_back(p);
    const int points = 1 + (bytes - ERODE_RECORD_HEADER) / 4;
    for (int i = 1; i < points; i++) {
        const uint8_t* b = record + ERODE_RECORD_HEADER + 4 * (i - 1);
        p.x = step_point(p.x, lo[0], hi[0], b[0]);
        p.z = step_point(p.z, lo[1], hi[1], b[1]);
        get_direction(b + 2, &p);
        out->push_back(p);
    }
    return true;
}

// ---- the queue ------------------------------------------------------------------------

void erode_queue_init(ErodeQueue* q) {
    q->ring.assign(ERODE_QUEUE_SLOTS, ErodePoint{});
    q->read = q->count = 0;
    q->has_deadline = false;
    q->deadline = 0;
    q->has_reported_full = false;
}

void erode_queue_clear(ErodeQueue* q) {
    q->read = q->count = 0;
    q->has_deadline = false;
}

bool erode_queue_push(ErodeQueue* q, const ErodePoint& p) {
    if (q->ring.size() != ERODE_QUEUE_SLOTS) erode_queue_init(q);
    if (q->count >= ERODE_QUEUE_SLOTS) {
        if (!q->has_reported_full) show_message("Erode queue full!");
        q->has_reported_full = true;
        return false;
    }
    q->ring[(q->read + q->count) % ERODE_QUEUE_SLOTS] = p;
    q->count++;
    return true;
}

int erode_queue_record(ErodeQueue* q, const uint8_t* record, int bytes, float track_size) {
    std::vector<ErodePoint> points;
    if (!erode_unpack(record, bytes, track_size, &points)) return 0;
    int queued = 0;
    for (const ErodePoint& p : points) queued += erode_queue_push(q, p) ? 1 : 0;
    return queued;
}

// ---- dig and deposit ------------------------------------------------------------------

static float kernel(float q) { return 1 - 3 * q * q + 2 * q * q * q; }

// The vertex square around (x, z) for radius R, in grid units, cut to the grid.
struct DigSquare {
    float cx, cz, rho;
    int i0, i1, k0, k1;
};

static bool dig_square(const Terrain* t, float x, float z, float radius, DigSquare* s) {
    if (!(radius > 0) || !isfinite(x) || !isfinite(z)) return false;
    s->rho = radius * t->inverse_spacing;
    if (!(s->rho <= (float)t->dim)) return false;  // also refuses an infinite radius
    s->cx = x * t->inverse_spacing;
    s->cz = z * t->inverse_spacing;
    const float m = ceilf(s->rho);
    const float fx = floorf(s->cx), fz = floorf(s->cz);
    const float last = (float)(t->dim - 1);
    // The square beyond the grid holds no vertex to change.
    if (fx + m < 0 || fz + m < 0 || fx - m + 1 > last || fz - m + 1 > last) return false;
    s->i0 = (int)std::max(fx - m + 1, 0.0f), s->i1 = (int)std::min(fx + m, last);
    s->k0 = (int)std::max(fz - m + 1, 0.0f), s->k1 = (int)std::min(fz + m, last);
    return true;
}

static float vertex_weight(const DigSquare& s, int i, int k) {
    const float ex = (float)i - s.cx, ez = (float)k - s.cz;
    const float d = sqrtf(ex * ex + ez * ez);
    return d <= s.rho ? kernel(d / s.rho) : -1;
}

// Adds `add` to vertex (i, k) (inside the grid, terrain unlocked), keeping
// the height range as set-height does; the amount really added (0 when the
// height would not be finite). The caller marks the square afterwards.
static float add_height(Terrain* t, int i, int k, float add) {
    float& h = t->heights[i + t->dim * k];
    const float before = h;
    const float after = before + add;
    if (!isfinite(after)) return 0;
    h = after;
    if (after < t->min_height) t->min_height = after;
    if (after > t->max_height) t->max_height = after;
    return after - before;
}

float erode_dig(Terrain* t, float x, float z, float radius, float amount) {
    DigSquare s;
    if (t->is_locked || !isfinite(amount) || !dig_square(t, x, z, radius, &s)) return 0;
    float total = 0;
    for (int k = s.k0; k <= s.k1; k++)
        for (int i = s.i0; i <= s.i1; i++) {
            const float w = vertex_weight(s, i, k);
            if (w >= 0) total += add_height(t, i, k, w * amount);
        }
    terrain_mark_heights_changed(t, s.i0, s.k0, s.i1, s.k1);
    return total;
}

void erode_dig_pair(Terrain* t, float x, float z, float radius, float amount, float inner_radius,
                    float inner_amount, float* total, float* inner_total) {
    *total = *inner_total = 0;
    DigSquare outer, inner;
    if (t->is_locked) return;
    const bool has_outer = isfinite(amount) && dig_square(t, x, z, radius, &outer);
    const bool has_inner = isfinite(inner_amount) && dig_square(t, x, z, inner_radius, &inner);
    if (!has_outer || !has_inner) {
        // One disc alone: the plain dig, in the same order.
        if (has_outer) *total = erode_dig(t, x, z, radius, amount);
        if (has_inner) *inner_total = erode_dig(t, x, z, inner_radius, inner_amount);
        return;
    }
    // Both discs share their centre: one pass over the wider square, each
    // vertex taking the outer amount and then the inner one, exactly as two
    // digs one after the other would.
    const DigSquare& s = outer.rho >= inner.rho ? outer : inner;
    for (int k = s.k0; k <= s.k1; k++)
        for (int i = s.i0; i <= s.i1; i++) {
            const float ex = (float)i - s.cx, ez = (float)k - s.cz;
            const float d = sqrtf(ex * ex + ez * ez);
            if (d <= outer.rho) *total += add_height(t, i, k, kernel(d / outer.rho) * amount);
            if (d <= inner.rho) *inner_total += add_height(t, i, k, kernel(d / inner.rho) * inner_amount);
        }
    terrain_mark_heights_changed(t, s.i0, s.k0, s.i1, s.k1);
}

enum { DEPOSIT_CACHE = 32 };  // vertices per side whose weights are kept for the second pass

void erode_deposit(Terrain* t, float x, float z, float radius, float volume) {
    DigSquare s;
    if (volume == 0 || t->is_locked || !isfinite(volume) || !dig_square(t, x, z, radius, &s)) return;
    const int width = s.i1 - s.i0 + 1, height = s.k1 - s.k0 + 1;
    const bool cached = width <= DEPOSIT_CACHE && height <= DEPOSIT_CACHE;
    float weights[DEPOSIT_CACHE * DEPOSIT_CACHE];
    float sum = 0;
    for (int k = s.k0; k <= s.k1; k++)
        for (int i = s.i0; i <= s.i1; i++) {
            const float w = vertex_weight(s, i, k);
            if (cached) weights[(i - s.i0) + DEPOSIT_CACHE * (k - s.k0)] = w;
            sum += std::max(w, 0.0f);
        }
    const float share = volume / std::max(sum, 1.0f);
    for (int k = s.k0; k <= s.k1; k++)
        for (int i = s.i0; i <= s.i1; i++) {
            const float w = cached ? weights[(i - s.i0) + DEPOSIT_CACHE * (k - s.k0)] : vertex_weight(s, i, k);
            if (w >= 0) add_height(t, i, k, w * share);
        }
    terrain_mark_heights_changed(t, s.i0, s.k0, s.i1, s.k1);
    terrain_mark_region(t, s.i0, s.k0, s.i1, s.k1);
    t->change_counter++;
}

// ---- processing ------------------------------------------------------------------------

static float clamp01(float v) { return clamp_nan_to_low(v, 0.0f, 1.0f); }

// Main and inner dig factors at depth D below the loaded ground.
static void limit_factors(const ErodeParams& e, float depth, float* main_factor, float* inner_factor) {
    const int k = std::clamp((int)e.limit_count, 1, (int)ERODE_MAX_LIMITS);
    if (!(k > 1 && depth >= e.limit_depth[0])) {
        *main_factor = e.limit_first[0];
        *inner_factor = e.limit_second[0];
        return;
    }
    float p = (float)(k - 1);
    for (int i = 1; i < k; i++) {
        if (e.limit_depth[i] > depth) {
            const float span = e.limit_depth[i] - e.limit_depth[i - 1];
            p = (float)(i - 1) + (span > 0 ? (depth - e.limit_depth[i - 1]) / span : 1);
            break;
        }
    }
    const int a = std::clamp((int)floorf(p), 0, k - 1), b = std::min(a + 1, k - 1);
    const float f = p - (float)a;
    *main_factor = e.limit_first[a] + f * (e.limit_first[b] - e.limit_first[a]);
    *inner_factor = e.limit_second[a] + f * (e.limit_second[b] - e.limit_second[a]);
}

static void erode_point(Terrain* t, const ErodePoint& p, float amount) {
    if (t->surfaces.entries.empty()) return;
    const int surface = std::min(terrain_tile(t, p.x, p.z), (int)t->surfaces.entries.size() - 1);
    const ErodeParams& e = t->surfaces.entries[surface].erode;
    const float here = terrain_height(t, p.x, p.z);
    // The dirt goes back along the push; no push, no displacement.
    const float u = sqrtf(p.dx * p.dx + p.dz * p.dz);
    const float r = clamp01((u - 0.125f) * 1.1428572f) * e.displacement;
    float tx = p.x, tz = p.z;
    if (u > 0) tx = p.x - p.dx / u * r, tz = p.z - p.dz / u * r;
    const float there = terrain_height(t, tx, tz);
    const float rise = there - here;
    if (rise > e.max_slope * r || rise < e.min_slope * r) return;
    float a = amount * (1.0f / 2048);
    if (there < here && r > 0) a += (here - there) * e.downhill_scale / r * a;
    float main_factor, inner_factor;
    limit_factors(e, terrain_reference_height(t, p.x, p.z) - here, &main_factor, &inner_factor);
    float z1, z2;
    erode_dig_pair(t, p.x, p.z, e.radius, -((float)p.weight * e.depth * a * main_factor), e.inner_radius,
                   -(a * e.inner_depth * inner_factor), &z1, &z2);
    erode_deposit(t, tx, tz, e.radius, -(z1 + z2));
}

int erode_process(ErodeQueue* q, Terrain* t, const float* player, float amount, int now) {
    const int queued = q->count;
    const int budget = std::max(0, queued - ERODE_BURST) / 64 + queued / 512 + 4;
    if ((q->has_deadline && now >= q->deadline) || queued > ERODE_BURST) {
        q->has_deadline = false;
        player = nullptr;
    }
    int handled = 0;
    while (handled < budget && q->count > 0) {
        const ErodePoint& p = q->ring[q->read];
        if (player) {
            const float ex = p.x - player[0], ez = p.z - player[1];
            if (ex * ex + ez * ez < ERODE_HOLD_DISTANCE * ERODE_HOLD_DISTANCE) {
                const int until = now + ERODE_HOLD_TICKS;
                q->deadline = q->has_deadline ? std::min(q->deadline, until) : until;
                q->has_deadline = true;
                break;
            }
        }
        const ErodePoint point = p;
        q->read = (q->read + 1) % ERODE_QUEUE_SLOTS;
        q->count--;
        handled++;
        erode_point(t, point, amount);
        q->has_deadline = false;
    }
    return handled;
}
