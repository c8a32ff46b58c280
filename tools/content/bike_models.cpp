#include "tools/content/bike_models.h"

#include <cmath>

#include "tools/content/bike_atlas.h"

static Vec3 v3(const float* p) { return {p[0], p[1], p[2]}; }
static Vec3 unit(Vec3 v) {
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return v * (1 / l);
}
static Vec3 mirror_x(Vec3 v) { return {-v.x, v.y, v.z}; }

// Lit parts: s and the specular colour.
static MeshPart* matte(MeshModel* m) { return m->part(8, 0.15f, 0.15f, 0.15f); }
static MeshPart* satin(MeshModel* m) { return m->part(24, 0.35f, 0.35f, 0.35f); }
static MeshPart* gloss(MeshModel* m) { return m->part(48, 0.6f, 0.6f, 0.6f); }

// A tube on both sides of the bike (x mirrored).
static void tube_pair(MeshPart* m, Vec3 a, Vec3 b, float r, int sides, UvRect uv) {
    mesh_tube(m, a, b, r, r, sides, 2, false, uv);
    mesh_tube(m, mirror_x(a), mirror_x(b), r, r, sides, 2, false, uv);
}

// A bent tube through several points.
static void tube_path(MeshPart* m, const Vec3* points, int count, float r, int sides, UvRect uv) {
    for (int i = 0; i + 1 < count; i++) mesh_tube(m, points[i], points[i + 1], r, r, sides, 2, false, uv);
}

// A curved plate around the x axis through `centre`: radius r, angles from
// the top (positive forward, -z), half width w.
static void arc_plate(MeshPart* m, Vec3 centre, float r, float from, float to, float w, int steps, UvRect uv) {
    for (int i = 0; i < steps; i++) {
        float a0 = from + (to - from) * float(i) / float(steps), a1 = from + (to - from) * float(i + 1) / float(steps);
        Vec3 p0 = centre + Vec3{0, std::cos(a0), -std::sin(a0)} * r, p1 = centre + Vec3{0, std::cos(a1), -std::sin(a1)} * r;
        UvRect part = {uv.x0, uv.y0 + (uv.y1 - uv.y0) * float(i) / float(steps), uv.x1,
                       uv.y0 + (uv.y1 - uv.y0) * float(i + 1) / float(steps)};
        mesh_card(m, p0 + Vec3{w, 0, 0}, p0 + Vec3{-w, 0, 0}, p1 + Vec3{-w, 0, 0}, p1 + Vec3{w, 0, 0}, part, true);
    }
}

MeshModel bike_frame_model(const BikeInfo& bike, int detail) {
    MeshModel m;
    int sides = detail ? 8 : 4, round = detail ? 12 : 6;
    Vec3 head = v3(bike.fork_upper_position), lower = v3(bike.fork_lower_position);
    Vec3 axis = unit(lower - head);  // down the steering axis
    Vec3 pivot = v3(bike.swingarm_pivot);

    MeshPart* metal = satin(&m);
    mesh_tube(metal, head - axis * 0.05f, head + axis * 0.7f, 0.11f, 0.11f, sides, 2, true, BIKE_FRAME);
    Vec3 spar[3] = {{0.12f, 2.72f, 2.3f}, {0.3f, 2.5f, 3.55f}, {0.3f, pivot.y + 0.1f, pivot.z - 0.05f}};
    tube_path(metal, spar, 3, 0.09f, sides, BIKE_FRAME);
    for (Vec3& p : spar) p = mirror_x(p);
    tube_path(metal, spar, 3, 0.09f, sides, BIKE_FRAME);
    mesh_tube(metal, head + axis * 0.5f, {0, 1.2f, 2.5f}, 0.09f, 0.08f, sides, 2, false, BIKE_FRAME);
    Vec3 cradle[3] = {{0.16f, 1.2f, 2.5f}, {0.18f, 0.98f, 3.1f}, {0.25f, 1.05f, 3.8f}};
    tube_path(metal, cradle, 3, 0.07f, sides, BIKE_FRAME);
    for (Vec3& p : cradle) p = mirror_x(p);
    tube_path(metal, cradle, 3, 0.07f, sides, BIKE_FRAME);
    tube_pair(metal, {0.25f, 1.05f, 3.8f}, {0.3f, pivot.y - 0.1f, pivot.z}, 0.07f, sides, BIKE_FRAME);
    tube_pair(metal, {0.3f, 2.45f, 3.9f}, {0.24f, 3.0f, 5.7f}, 0.05f, sides, BIKE_FRAME);   // subframe
    tube_pair(metal, {0.3f, 1.75f, 4.05f}, {0.24f, 2.95f, 5.5f}, 0.045f, sides, BIKE_FRAME);
    // Engine: cases, barrel and head, covers.
    MeshPart* engine = satin(&m);
    mesh_box(engine, {-0.28f, 1.08f, 2.65f}, {0.28f, 1.85f, 3.75f}, BIKE_ENGINE);
    mesh_tube(engine, {0, 1.75f, 3.0f}, {0, 2.4f, 2.78f}, 0.26f, 0.24f, sides, 3, true, BIKE_ENGINE);
    if (detail) {
        mesh_tube(engine, {0.28f, 1.42f, 3.3f}, {0.37f, 1.42f, 3.3f}, 0.3f, 0.27f, round, 2, true, BIKE_ENGINE);
        mesh_tube(engine, {-0.28f, 1.45f, 3.05f}, {-0.35f, 1.45f, 3.05f}, 0.25f, 0.22f, round, 2, true, BIKE_ENGINE);
        mesh_box(engine, {0.4f, 1.38f, 4.1f}, {0.78f, 1.46f, 4.27f}, BIKE_METAL);   // foot pegs
        mesh_box(engine, {-0.78f, 1.38f, 4.1f}, {-0.4f, 1.46f, 4.27f}, BIKE_METAL);
    }
    MeshPart* black = matte(&m);
    mesh_box(black, {-0.27f, 0.94f, 2.6f}, {0.27f, 1.06f, 3.8f}, BIKE_BLACK);  // skid plate
    mesh_box(black, {0.22f, 1.75f, 2.3f}, {0.4f, 2.55f, 2.75f}, BIKE_BLACK);   // radiators
    mesh_box(black, {-0.4f, 1.75f, 2.3f}, {-0.22f, 2.55f, 2.75f}, BIKE_BLACK);
    // Rear shock: spring and body from the frame down to the linkage.
    mesh_tube(black, {0, 2.75f, 4.1f}, {0, 1.55f, 4.55f}, 0.07f, 0.07f, sides, 2, true, BIKE_METAL);
    mesh_tube(black, {0, 2.55f, 4.17f}, {0, 1.85f, 4.43f}, 0.14f, 0.14f, sides, 2, true, BIKE_SPRING);
    // Exhaust: header round the right side into the silencer.
    MeshPart* pipe = gloss(&m);
    Vec3 header[5] = {{0.05f, 2.2f, 2.55f}, {0.3f, 2.0f, 2.42f}, {0.38f, 2.05f, 3.4f}, {0.4f, 2.45f, 4.6f}, {0.4f, 2.55f, 4.85f}};
    tube_path(pipe, header, 5, 0.085f, sides, BIKE_EXHAUST);
    mesh_tube(pipe, {0.4f, 2.5f, 4.8f}, {0.42f, 2.88f, 6.25f}, 0.21f, 0.18f, round, 3, true, BIKE_EXHAUST);
    // Plastics: tank, shrouds, rear fender.
    MeshPart* plastic = gloss(&m);
    mesh_ellipsoid(plastic, {0, 2.8f, 3.05f}, {0.42f, 0.32f, 0.72f}, round, detail ? 8 : 4, BIKE_PLAIN);
    mesh_card(plastic, {0.45f, 1.85f, 3.25f}, {0.45f, 1.85f, 2.3f}, {0.41f, 2.8f, 2.25f}, {0.41f, 2.95f, 3.35f},
              BIKE_PLASTIC, true);
    mesh_card(plastic, {-0.45f, 1.85f, 2.3f}, {-0.45f, 1.85f, 3.25f}, {-0.41f, 2.95f, 3.35f}, {-0.41f, 2.8f, 2.25f},
              BIKE_PLASTIC, true);
    mesh_card(plastic, {-0.33f, 3.02f, 5.0f}, {-0.3f, 3.38f, 7.25f}, {0.3f, 3.38f, 7.25f}, {0.33f, 3.02f, 5.0f},
              BIKE_WHITE, true);
    MeshPart* seat = matte(&m);
    mesh_ellipsoid(seat, {0, 3.02f, 4.45f}, {0.3f, 0.17f, 1.15f}, round, detail ? 6 : 4, BIKE_SEAT);
    mesh_shift(&m, v3(bike.frame_position));
    return m;
}

MeshModel bike_fork_upper_model(const BikeInfo& bike) {
    MeshModel m;
    Vec3 head = v3(bike.fork_upper_position), lower = v3(bike.fork_lower_position);
    Vec3 axis = unit(lower - head);
    float leg = bike.fork_leg_spacing / 2;
    const BikeRiderPoints& rp = bike.rider_points;
    Vec3 grip = head + v3(rp.right_grip);

    MeshPart* tubes = gloss(&m);
    for (float side : {-leg, leg})
        mesh_tube(tubes, head + Vec3{side, 0, 0} - axis * 0.12f, head + Vec3{side, 0, 0} + axis * 1.15f, 0.14f, 0.13f,
                  10, 2, true, BIKE_FORK_TUBE);
    MeshPart* clamps = satin(&m);
    for (float along : {0.0f, 0.75f}) {
        Vec3 c = head + axis * along;
        mesh_box(clamps, c + Vec3{-leg - 0.15f, -0.06f, -0.14f}, c + Vec3{leg + 0.15f, 0.06f, 0.16f}, BIKE_METAL);
    }
    // Bar mounts, handlebar sweeping up to the grips, grips and levers.
    Vec3 bar_centre = head + Vec3{0, grip.y - head.y - 0.3f, grip.z - head.z - 0.2f};
    for (float side : {-0.16f, 0.16f})
        mesh_tube(clamps, head + Vec3{side, 0.05f, 0.04f}, bar_centre + Vec3{side, 0, 0}, 0.05f, 0.05f, 6, 2, true, BIKE_BLACK);
    MeshPart* bar = satin(&m);
    Vec3 bend = {grip.x - 0.45f, grip.y - 0.22f, grip.z - 0.15f};
    Vec3 path[4] = {mirror_x(bend), {0.0f, bar_centre.y, bar_centre.z}, bend, grip + Vec3{-0.2f, -0.04f, -0.02f}};
    path[1].x = 0;
    Vec3 left[2] = {mirror_x(bend), mirror_x(path[3])};
    tube_path(bar, path, 4, 0.06f, 8, BIKE_METAL);
    tube_path(bar, left, 2, 0.06f, 8, BIKE_METAL);
    MeshPart* grips = matte(&m);
    mesh_tube(grips, grip + Vec3{-0.22f, -0.05f, -0.02f}, grip + Vec3{0.08f, 0.02f, 0.01f}, 0.075f, 0.075f, 8, 2, true, BIKE_BLACK);
    mesh_tube(grips, mirror_x(grip + Vec3{-0.22f, -0.05f, -0.02f}), mirror_x(grip + Vec3{0.08f, 0.02f, 0.01f}), 0.075f,
              0.075f, 8, 2, true, BIKE_BLACK);
    for (float side : {-1.0f, 1.0f}) {
        Vec3 root = {side * (grip.x - 0.3f), grip.y - 0.06f, grip.z - 0.08f};
        mesh_box(grips, root + Vec3{-0.25f, -0.02f, -0.3f}, root + Vec3{0.25f, 0.02f, -0.22f}, BIKE_METAL);
    }
    mesh_shift(&m, head);
    return m;
}

MeshModel bike_fork_lower_model(const BikeInfo& bike) {
    MeshModel m;
    Vec3 head = v3(bike.fork_upper_position), lower = v3(bike.fork_lower_position);
    Vec3 axis = unit(lower - head);
    Vec3 axle = v3(bike.front_wheel.position);
    float leg = bike.fork_leg_spacing / 2;

    MeshPart* stanchions = gloss(&m);
    for (float side : {-leg, leg})
        mesh_tube(stanchions, axle + Vec3{side, 0, 0}, axle + Vec3{side, 0, 0} - axis * 1.5f, 0.1f, 0.1f, 10, 2, true,
                  BIKE_EXHAUST);
    MeshPart* lugs = satin(&m);
    for (float side : {-leg, leg}) {
        mesh_box(lugs, axle + Vec3{side - 0.09f, -0.14f, -0.14f}, axle + Vec3{side + 0.09f, 0.2f, 0.14f}, BIKE_SLIDER);
        // Guard in front of each stanchion.
        Vec3 a = axle + Vec3{side, 0, 0} - axis * 0.15f, b = axle + Vec3{side, 0, 0} - axis * 0.95f;
        Vec3 out = {side > 0 ? 0.12f : -0.12f, 0, 0}, front = {0, 0, -0.13f};
        mesh_card(lugs, a + front - out, a + front + out, b + front + out, b + front - out, BIKE_SLIDER, true);
    }
    mesh_tube(lugs, axle + Vec3{-leg - 0.1f, 0, 0}, axle + Vec3{leg + 0.1f, 0, 0}, 0.045f, 0.045f, 6, 2, true, BIKE_METAL);
    mesh_box(lugs, axle + Vec3{-leg - 0.12f, 0.05f, 0.08f}, axle + Vec3{-leg + 0.02f, 0.35f, 0.3f}, BIKE_BLACK);  // caliper
    MeshPart* fender = gloss(&m);
    float reach = bike.front_wheel.tire_major_radius + bike.front_wheel.tire_tube_radius + 0.14f;
    arc_plate(fender, axle, reach, -0.65f, 1.05f, 0.27f, 6, BIKE_WHITE);
    // Chrome gleam on the stanchions: a mirror-like skin just outside them,
    // drawn additively in the reflection pass (it must be the last part).
    MeshPart* chrome = m.part(MESH_MIRROR, 1, 1, 1);
    chrome->a = 0.35f;
    for (float side : {-leg, leg})
        mesh_tube(chrome, axle + Vec3{side, 0, 0} - axis * 0.2f, axle + Vec3{side, 0, 0} - axis * 1.5f, 0.102f, 0.102f, 10,
                  2, false, BIKE_EXHAUST);
    mesh_shift(&m, lower);
    return m;
}

MeshModel bike_swingarm_model(const BikeInfo& bike) {
    MeshModel m;
    Vec3 pivot = v3(bike.swingarm_pivot), axle = v3(bike.rear_wheel.position);
    float side = bike.frame_box[0] / 2 - 0.08f;
    MeshPart* arms = satin(&m);
    for (float s : {-side, side})
        mesh_tube(arms, pivot + Vec3{s, 0, 0.05f}, axle + Vec3{s, 0, 0.2f}, 0.11f, 0.075f, 6, 2, true, BIKE_FRAME);
    mesh_tube(arms, pivot + Vec3{-side - 0.05f, 0, 0}, pivot + Vec3{side + 0.05f, 0, 0}, 0.09f, 0.09f, 8, 2, true, BIKE_METAL);
    Vec3 brace = pivot + (axle - pivot) * 0.3f;
    mesh_tube(arms, brace + Vec3{-side, 0.02f, 0}, brace + Vec3{side, 0.02f, 0}, 0.06f, 0.06f, 6, 2, false, BIKE_FRAME);
    MeshPart* chain = matte(&m);
    Vec3 front = pivot + Vec3{side + 0.08f, 0, -0.3f}, rear = axle + Vec3{side + 0.08f, 0, 0};
    mesh_tube(chain, front + Vec3{0, 0.14f, 0}, rear + Vec3{0, 0.36f, 0}, 0.035f, 0.035f, 4, 2, false, BIKE_METAL);
    mesh_tube(chain, front + Vec3{0, -0.14f, 0}, rear + Vec3{0, -0.36f, 0}, 0.035f, 0.035f, 4, 2, false, BIKE_METAL);
    mesh_box(chain, pivot + (axle - pivot) * 0.45f + Vec3{side - 0.02f, -0.3f, -0.2f},
             pivot + (axle - pivot) * 0.45f + Vec3{side + 0.12f, -0.12f, 0.2f}, BIKE_BLACK);  // chain guide
    mesh_shift(&m, v3(bike.swingarm_position));
    return m;
}

MeshModel bike_wheel_model(const BikeWheelInfo& wheel, bool rear) {
    MeshModel m;
    Vec3 centre = {0, 0, 0};
    float rim = wheel.tire_major_radius - wheel.tire_tube_radius * 0.85f;
    MeshPart* tire = matte(&m);
    mesh_torus_x(tire, centre, wheel.tire_major_radius, wheel.tire_tube_radius, 32, 8, WHEEL_TREAD, 4);
    MeshPart* metal = satin(&m);
    mesh_tube(metal, {-0.13f, 0, 0}, {0.13f, 0, 0}, rim, rim, 24, 2, false, WHEEL_RIM);
    mesh_tube(metal, {-0.25f, 0, 0}, {0.25f, 0, 0}, 0.11f, 0.11f, 10, 2, true, WHEEL_HUB);
    mesh_disc_x(metal, {-0.2f, 0, 0}, rear ? 0.3f : 0.36f, 16, WHEEL_ROTOR);
    if (rear) mesh_disc_x(metal, {0.22f, 0, 0}, 0.36f, 16, WHEEL_ROTOR);  // sprocket
    // Spokes last: their picture is mostly clear.
    MeshPart* spokes = satin(&m);
    mesh_disc_x(spokes, centre, rim, 24, WHEEL_SPOKES);
    return m;
}

MeshModel bike_side_plates_model(const BikeInfo& bike) {
    MeshModel m;
    MeshPart* p = m.part(16, 0.3f, 0.3f, 0.3f);
    float x = 0.43f, y0 = 2.35f, y1 = 3.0f, z0 = 4.55f, z1 = 5.45f;
    mesh_card(p, {x, y0, z1}, {x, y0, z0}, {x, y1, z0}, {x, y1, z1}, PLATE_ALL, false);
    mesh_card(p, {-x, y0, z0}, {-x, y0, z1}, {-x, y1, z1}, {-x, y1, z0}, PLATE_ALL, false);
    mesh_shift(&m, v3(bike.frame_position));
    return m;
}

MeshModel bike_front_plate_model(const BikeInfo& bike) {
    MeshModel m;
    Vec3 head = v3(bike.fork_upper_position), lower = v3(bike.fork_lower_position);
    Vec3 up = unit(head - lower);
    Vec3 c = head + Vec3{0, 0.15f, -0.32f};
    Vec3 x = {0.42f, 0, 0}, h = up * 0.4f;
    MeshPart* p = m.part(16, 0.3f, 0.3f, 0.3f);
    mesh_card(p, c + x - h, c - x - h, c - x + h, c + x + h, PLATE_ALL, false);
    mesh_shift(&m, head);
    return m;
}

// ---- rider ----------------------------------------------------------------

enum { L_FOREARM, R_FOREARM, L_UPPER_ARM, R_UPPER_ARM, L_SHIN, R_SHIN, L_THIGH, R_THIGH, TORSO };

MeshModel rider_body_model(const BikeRiderPoints& rp, int detail, bool first_person) {
    MeshModel m;
    m.bones = RIDER_BONES;
    int sides = detail ? 8 : 5, rings = detail ? 3 : 2;
    const float(*rest)[3] = rp.bone_rest_centre;
    float shoulder_y = rest[L_UPPER_ARM][1], hip_y = rest[L_THIGH][1], knee_y = rest[L_SHIN][1];
    float foot_y = knee_y - rp.shin_length;
    float z = rest[TORSO][2];

    MeshPart* jersey = m.part(6, 0.1f, 0.1f, 0.1f);
    if (first_person) {
        mesh_ellipsoid(jersey, {0, hip_y + 0.35f, z}, {0.5f, 0.5f, 0.31f}, sides + 4, sides, RIDER_JERSEY, bone_only(TORSO));
    } else {
        mesh_ellipsoid(jersey, {0, (shoulder_y + hip_y) / 2 + 0.05f, z}, {0.52f, 0.98f, 0.32f}, sides + 4, sides,
                       RIDER_JERSEY, bone_only(TORSO));
        mesh_tube(jersey, {0, shoulder_y - 0.1f, z}, {0, shoulder_y + 0.25f, z - 0.04f}, 0.15f, 0.13f, sides, 2, true,
                  RIDER_NECK, bone_only(TORSO), bone_only(TORSO));
    }
    for (int s = 0; s < 2; s++) {
        float sign = s ? 1.0f : -1.0f;
        int upper = s ? R_UPPER_ARM : L_UPPER_ARM, fore = s ? R_FOREARM : L_FOREARM;
        int thigh = s ? R_THIGH : L_THIGH, shin = s ? R_SHIN : L_SHIN;
        Vec3 shoulder = {rest[upper][0], rest[upper][1], rest[upper][2]};
        Vec3 elbow = {rest[fore][0], rest[fore][1], rest[fore][2]};
        Vec3 hand = elbow + Vec3{sign * rp.forearm_length, 0, 0};
        Vec3 hip = {rest[thigh][0], rest[thigh][1], rest[thigh][2]};
        Vec3 knee = {rest[shin][0], rest[shin][1], rest[shin][2]};
        Vec3 ankle = {knee.x, foot_y + 0.25f, knee.z};
        mesh_tube(jersey, shoulder - Vec3{sign * 0.12f, 0, 0}, elbow, 0.17f, 0.14f, sides, rings, false, RIDER_SLEEVE,
                  bone_blend(upper, TORSO, 0.5f), bone_blend(upper, fore, 0.5f));
        mesh_tube(jersey, elbow, hand - Vec3{sign * 0.12f, 0, 0}, 0.14f, 0.11f, sides, rings, false, RIDER_SLEEVE,
                  bone_blend(fore, upper, 0.5f), bone_only(fore));
        mesh_ellipsoid(jersey, hand, {0.16f, 0.1f, 0.12f}, sides, 4, RIDER_GLOVE, bone_only(fore));
        MeshPart* pants = jersey;
        mesh_tube(pants, hip + Vec3{0, 0.1f, 0}, knee, 0.25f, 0.19f, sides, rings, false, RIDER_PANTS,
                  bone_blend(thigh, TORSO, 0.4f), bone_blend(thigh, shin, 0.5f));
        mesh_ellipsoid(pants, knee + Vec3{0, 0, -0.14f}, {0.17f, 0.26f, 0.11f}, sides, 4, RIDER_GUARD,
                       bone_blend(shin, thigh, 0.3f));
        mesh_tube(pants, knee, ankle, 0.2f, 0.21f, sides, rings, false, RIDER_BOOT, bone_blend(shin, thigh, 0.5f),
                  bone_only(shin));
        mesh_box(pants, {knee.x - 0.14f, foot_y - 0.02f, knee.z - 0.55f}, {knee.x + 0.14f, ankle.y + 0.05f, knee.z + 0.17f},
                 RIDER_BOOT, bone_only(shin));
    }
    mesh_ellipsoid(jersey, {0, hip_y, z}, {0.44f, 0.3f, 0.3f}, sides + 4, 4, RIDER_PANTS, bone_only(TORSO));
    return m;
}

MeshModel rider_head_model() {
    MeshModel m;
    MeshPart* shell = gloss(&m);
    mesh_ellipsoid(shell, {0, 0.34f, 0.03f}, {0.4f, 0.42f, 0.47f}, 14, 10, HEAD_SHELL);
    mesh_ellipsoid(shell, {0, 0.1f, -0.3f}, {0.28f, 0.16f, 0.2f}, 10, 5, HEAD_CHIN);
    mesh_card(shell, {0.33f, 0.66f, -0.33f}, {-0.33f, 0.66f, -0.33f}, {-0.3f, 0.6f, -0.78f}, {0.3f, 0.6f, -0.78f}, HEAD_PEAK,
              true);
    MeshPart* goggles = m.part(64, 0.8f, 0.8f, 0.8f);
    mesh_card(goggles, {0.22f, 0.3f, -0.5f}, {-0.22f, 0.3f, -0.5f}, {-0.22f, 0.48f, -0.5f}, {0.22f, 0.48f, -0.5f},
              HEAD_GOGGLES, false);
    return m;
}

MeshModel rider_plate_model() {
    MeshModel m;
    m.bones = RIDER_BONES;
    MeshPart* p = m.part(16, 0.3f, 0.3f, 0.3f);
    float z = 0.37f;
    mesh_card(p, {-0.32f, -0.35f, z}, {0.32f, -0.35f, z}, {0.32f, 0.35f, z}, {-0.32f, 0.35f, z}, PLATE_ALL, false,
              bone_only(TORSO));
    return m;
}
