#include "track/statues.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include "base/data_file.h"
#include "base/messages.h"
#include "track/terrain.h"

static constexpr float TWO_PI_F = 6.28318530717958f;

void statues_init(TrackStatues* s, const statue_asset_ops* ops) {
    s->statues.clear();
    for (auto& square : s->grid) square.clear();
    s->track_size = 0;
    s->ops = ops ? *ops : statue_asset_ops{};
}

void statues_free(TrackStatues* s) {
    for (Statue& st : s->statues)
        if (st.shape && s->ops.free_shape) s->ops.free_shape(s->ops.self, st.shape);
    const statue_asset_ops ops = s->ops;
    statues_init(s, &ops);
}

static bool names_something(const char* name) { return name && name[0] && strcmp(name, "null") != 0; }

static float ground_at(const Terrain* ground, float x, float z) { return ground ? terrain_height(ground, x, z) : 0; }

static void identity(float m[9]) {
    static const float one[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    memcpy(m, one, sizeof one);
}

static void multiply(const float a[9], const float b[9], float out[9]) {
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++) out[r * 3 + c] = a[r * 3] * b[c] + a[r * 3 + 1] * b[3 + c] + a[r * 3 + 2] * b[6 + c];
}

// The rotation taking the vertical (0, 1, 0) onto the unit vector n, about
// their common perpendicular.
static void tilt_to(const float n[3], float m[9]) {
    // Axis y x n = (n.z, 0, -n.x); Rodrigues' formula with cos = n.y.
    const float ax = n[2], az = -n[0];
    const float s = sqrtf(ax * ax + az * az);
    if (s < 1e-9f) {
        identity(m);
        return;
    }
    const float kx = ax / s, kz = az / s, c = n[1], t = 1 - c;
    const float r[9] = {
        t * kx * kx + c, -s * kz,  t * kx * kz,
        s * kz,          c,        -s * kx,
        t * kx * kz,     s * kx,   t * kz * kz + c,
    };
    memcpy(m, r, sizeof r);
}

static void orient(Statue* st, const Terrain* ground) {
    const float angle = st->angle;
    st->facing_distance = 0;
    if (angle >= 3.25f) {
        identity(st->orientation);
        st->facing_distance = exp2f(angle);
        return;
    }
    const float c = cosf(angle), s = sinf(angle);
    // Turned by the angle about the vertical: local -z faces (-sin, 0, -cos).
    const float yaw[9] = {c, 0, s, 0, 1, 0, -s, 0, c};
    if (angle <= -TWO_PI_F || !ground) {
        memcpy(st->orientation, yaw, sizeof yaw);
        return;
    }
    // The ground normal from the heights one foot along x and along z.
    const float x = st->position[0], z = st->position[2];
    const float h = terrain_height(ground, x, z);
    float n[3] = {-(terrain_height(ground, x + 1, z) - h), 1, -(terrain_height(ground, x, z + 1) - h)};
    const float length = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (float& v : n) v /= length;
    float tilt[9];
    tilt_to(n, tilt);
    multiply(tilt, yaw, st->orientation);
}

int statue_create(TrackStatues* s, const Terrain* ground, float x, float given_height, float z, float angle,
                  const char* model, const char* texture, const char* shape) {
    Statue st{};
    const statue_asset_ops& ops = s->ops;
    if (names_something(model)) {
        st.model_name = model;
        if (ops.load_model) st.model = ops.load_model(ops.self, model);
    }
    if (names_something(texture)) {
        st.texture_name = texture;
        if (st.model && ops.load_texture) st.texture = ops.load_texture(ops.self, texture);
    }
    if (names_something(shape)) {
        st.shape_name = shape;
        if (ops.load_shape) {
            st.shape = ops.load_shape(ops.self, shape, &st.shape_radius);
            if (!st.shape) show_messagef("Warning: missing shape file %.900s", shape);
        }
    }
    st.given_height = given_height;
    st.angle = angle;
    st.position[0] = x;
    st.position[1] = ground_at(ground, x, z) + given_height;
    st.position[2] = z;
    st.contact_tick = -1;
    orient(&st, ground);
    s->statues.push_back(st);
    return (int)s->statues.size() - 1;
}

int statues_read(TrackStatues* s, const Terrain* ground, DataStream* stream) {
    static char names[3][1024];
    int made = 0;
    for (;;) {
        float x, h, z, angle;
        if (data_scanf(stream, "[ %f %f %f ] %f %1023s %1023s %1023s ", &x, &h, &z, &angle, names[0], names[1],
                       names[2]) != 7)
            break;
        if (!isfinite(x) || !isfinite(h) || !isfinite(z) || !isfinite(angle)) break;
        statue_create(s, ground, x, h, z, angle, names[0], names[1], names[2]);
        made++;
    }
    return made;
}

static int grid_index(float size, float c) {
    if (!(size > 0)) return 0;
    const float f = floorf((float)STATUE_GRID * (4.0f / 3.0f) * (c / size - 0.125f));
    if (!(f > 0)) return 0;  // NaN too
    return f >= STATUE_GRID - 1 ? STATUE_GRID - 1 : (int)f;
}

int statues_grid_square(const TrackStatues* s, float x, float z) {
    return grid_index(s->track_size, x) + STATUE_GRID * grid_index(s->track_size, z);
}

void statues_rebuild_grid(TrackStatues* s, float track_size) {
    s->track_size = track_size;
    for (auto& square : s->grid) square.clear();
    for (int i = 0; i < (int)s->statues.size(); i++) {
        const Statue& st = s->statues[i];
        if (!st.shape) continue;
        const float b = st.shape_radius;
        const int x0 = grid_index(track_size, st.position[0] - b), x1 = grid_index(track_size, st.position[0] + b);
        const int z0 = grid_index(track_size, st.position[2] - b), z1 = grid_index(track_size, st.position[2] + b);
        for (int gz = z0; gz <= z1; gz++)
            for (int gx = x0; gx <= x1; gx++) s->grid[gx + STATUE_GRID * gz].push_back(i);
    }
}
