#include "sim/collide.h"

#include <limits.h>
#include <math.h>

#include "sim/bike_info.h"
#include "sim/contact.h"
#include "sim/replay.h"
#include "sim/tire.h"
#include "sim/world.h"
#include "track/terrain.h"

static constexpr double GROUND_K = 2500, GROUND_C = 250;
static constexpr double SPHERE_FORCE_CAP = 2500;   // lb: k depth never exceeds it
static constexpr double PENALTY_LIMIT = 1000;      // lb
static constexpr double UPSIDE_DOWN_CRASH_SPEED = 5, OBJECT_CRASH_SPEED = 20;  // ft/s
static constexpr double SKIP_MARGIN = 1e-3;  // ft added to the bounds that skip a test

static const int shaped_body[SHAPED_COUNT] = {BODY_FRAME, BODY_FORK_UPPER, BODY_FORK_LOWER, BODY_SWINGARM, BODY_RIDER};
static const int shape_file[SHAPED_COUNT] = {BIKE_FILE_FRAME_SHAPE, BIKE_FILE_FORK_UPPER_SHAPE,
                                             BIKE_FILE_FORK_LOWER_SHAPE, BIKE_FILE_SWINGARM_SHAPE,
                                             BIKE_FILE_RIDER_SHAPE};

static double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

void contact_scene_init(contact_scene* s, const Terrain* ground, const collide_ops* ops)
{
    *s = contact_scene{};
    s->ground = ground;
    if (ops) s->ops = *ops;
    for (rider_collision& r : s->rider) r.query_tick = INT_MIN;
}

void contact_scene_free(contact_scene* s)
{
    for (rider_collision& r : s->rider)
        for (Shape*& shape : r.shape) {
            shape_free(shape);
            shape = nullptr;
        }
}

void contact_set_shape(contact_scene* s, int slot, int which, const Shape* shape)
{
    Shape*& kept = s->rider[slot].shape[which];
    shape_free(kept);
    kept = shape ? new Shape(*shape) : nullptr;
}

int contact_load_shapes(contact_scene* s, int slot, const BikeInfo* info)
{
    int failures = 0;
    for (int k = 0; k < SHAPED_COUNT; k++) {
        Shape*& kept = s->rider[slot].shape[k];
        shape_free(kept);
        kept = load_shape(info->files[shape_file[k]]);
        failures += kept == nullptr;
    }
    return failures;
}

// ---- Spheres

bool collide_spheres(const double c1[3], const ShapeSphere* s1, const double c2[3], const ShapeSphere* s2,
                     sphere_contact* out)
{
    double d[3] = {c2[0] - c1[0], c2[1] - c1[1], c2[2] - c1[2]};
    double d2 = dot(d, d), r1 = s1->radius, r2 = s2->radius;
    double distance = sqrt(d2), e = r1 + r2 - distance;
    if (!(e > 0)) return false;
    double small = r1 < r2 ? r1 : r2;
    *out = sphere_contact{};
    out->depth = e;
    out->mu = s1->friction < s2->friction ? s1->friction : s2->friction;
    out->k = s1->stiffness < s2->stiffness ? s1->stiffness : s2->stiffness;
    if (out->k * e > SPHERE_FORCE_CAP) out->k = SPHERE_FORCE_CAP / e;
    out->c = s1->damping < s2->damping ? s1->damping : s2->damping;
    out->has_normal = !(d2 < 1.0 / 256 && d2 < small * small / 256);
    if (!out->has_normal) return true;
    for (int i = 0; i < 3; i++) {
        out->normal[i] = d[i] / distance;
        out->point[i] = c1[i] + (r1 - e / 2) * out->normal[i];
    }
    return true;
}

static void explicit_force(dBodyID a, dBodyID b, bool a_on, bool b_on, const sphere_contact* c)
{
    dVector3 va = {0, 0, 0}, vb = {0, 0, 0};
    if (a) dBodyGetPointVel(a, c->point[0], c->point[1], c->point[2], va);
    if (b) dBodyGetPointVel(b, c->point[0], c->point[1], c->point[2], vb);
    const double* n = c->normal;
    double closing = (va[0] - vb[0]) * n[0] + (va[1] - vb[1]) * n[1] + (va[2] - vb[2]) * n[2];
    double f = c->k * c->depth + c->c * closing;
    f = f < -PENALTY_LIMIT ? -PENALTY_LIMIT : (f > PENALTY_LIMIT ? PENALTY_LIMIT : f);
    if (!isfinite(f)) return;
    if (b_on) dBodyAddForceAtPos(b, f * n[0], f * n[1], f * n[2], c->point[0], c->point[1], c->point[2]);
    if (a_on) dBodyAddForceAtPos(a, -f * n[0], -f * n[1], -f * n[2], c->point[0], c->point[1], c->point[2]);
}

// The joint pushes `body` along `sign` times the contact normal.
static void joint_on(physics_world* w, dBodyID body, dBodyID other, const sphere_contact* c, double sign,
                     const double* surface_velocity)
{
    friction_contact fc = {};
    for (int i = 0; i < 3; i++) fc.point[i] = c->point[i], fc.normal[i] = sign * c->normal[i];
    fc.depth = c->depth, fc.mu = c->mu, fc.k = c->k, fc.c = c->c;
    fc.surface_velocity = surface_velocity;
    contact_add_friction_joint(w, body, other, &fc, nullptr);
}

void collide_apply(physics_world* w, dBodyID a, dBodyID b, const sphere_contact* c, int mode)
{
    if (!c->has_normal) return;
    bool a_on = a && dBodyIsEnabled(a), b_on = b && dBodyIsEnabled(b);
    if (mode == COLLIDE_EXPLICIT) {
        explicit_force(a, b, a_on, b_on, c);
        return;
    }
    if (mode == COLLIDE_ONE_SIDED) {
        dVector3 va = {0, 0, 0}, vb = {0, 0, 0};
        if (a) dBodyGetPointVel(a, c->point[0], c->point[1], c->point[2], va);
        if (b) dBodyGetPointVel(b, c->point[0], c->point[1], c->point[2], vb);
        const double moving_a[3] = {va[0], va[1], va[2]}, moving_b[3] = {vb[0], vb[1], vb[2]};
        if (b_on) joint_on(w, b, nullptr, c, 1, moving_a);
        if (a_on) joint_on(w, a, nullptr, c, -1, moving_b);
        return;
    }
    if (b_on)
        joint_on(w, b, a_on ? a : nullptr, c, 1, nullptr);
    else if (a_on)
        joint_on(w, a, nullptr, c, -1, nullptr);
}

ShapeSphere collide_tire_sphere(const wheel_record* w, const double other[3], double centre[3])
{
    torus_shape tire;
    tire_torus(w, &tire);
    torus_nearest_circle_point(&tire, other, centre);
    ShapeSphere s = {};
    s.radius = w->tube_radius;
    s.friction = 1;
    s.stiffness = 25000;
    s.damping = 2500;
    return s;
}

// ---- Ground

bool collide_sphere_ground(const Terrain* t, const double centre[3], double radius, double* depth, double point[3],
                           double normal[3])
{
    ground_cells g = contact_cell_range(t, centre[0], centre[2], radius);
    *depth = 0;
    // Every triangle point is at or below the top corner, so a sphere wholly
    // above it touches none (most spheres of a riding bike, every tick). The
    // margin keeps rounding in the distances below from ever mattering.
    if (centre[1] - radius > contact_cells_top(t, g) + SKIP_MARGIN) return false;
    bool found = false;
    contact_each_triangle(t, g, [&](const double v[3][3]) {
        double e1[3], e2[3], n[3], foot[3] = {centre[0], centre[1], centre[2]};
        for (int a = 0; a < 3; a++) e1[a] = v[1][a] - v[0][a], e2[a] = v[2][a] - v[0][a];
        n[0] = e1[1] * e2[2] - e1[2] * e2[1], n[1] = e1[2] * e2[0] - e1[0] * e2[2], n[2] = e1[0] * e2[1] - e1[1] * e2[0];
        bool face = contact_closest_on_triangle(v, n, centre, foot);
        double off[3] = {centre[0] - foot[0], centre[1] - foot[1], centre[2] - foot[2]};
        double distance = sqrt(dot(off, off));
        if (face && dot(off, n) < 0) distance = -distance;  // centre under the face
        double d = radius - distance;
        if (!(d > *depth)) return;
        *depth = d, found = true;
        for (int a = 0; a < 3; a++) {
            point[a] = foot[a];
            normal[a] = face || distance == 0 ? n[a] : off[a];
        }
    });
    return found && contact_ground_normal(normal);
}

static void sphere_world_centre(dBodyID body, const ShapeSphere& s, double out[3])
{
    dVector3 p;
    dBodyGetRelPointPos(body, s.centre[0], s.centre[1], s.centre[2], p);
    out[0] = p[0], out[1] = p[1], out[2] = p[2];
}

int collide_shape_ground(physics_world* w, const Terrain* t, dBodyID body, const Shape* shape)
{
    int touching = 0;
    for (const ShapeSphere& s : shape->spheres) {
        double centre[3], depth, point[3], normal[3];
        sphere_world_centre(body, s, centre);
        if (!collide_sphere_ground(t, centre, s.radius, &depth, point, normal)) continue;
        touching++;
        friction_contact fc = {};
        for (int i = 0; i < 3; i++) fc.point[i] = point[i], fc.normal[i] = normal[i];
        fc.depth = depth, fc.mu = s.friction, fc.k = GROUND_K, fc.c = GROUND_C;
        contact_add_friction_joint(w, body, nullptr, &fc, nullptr);
    }
    return touching;
}

// ---- Riders

static bool is_crashed(const Rider* r) { return r->crash_timer > 0; }

static double body_speed(dBodyID b)
{
    const dReal* v = dBodyGetLinearVel(b);
    return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

static void crash(contact_scene* s, Rider* r, bool* crashed_now)
{
    if (*crashed_now || is_crashed(r) || s->rider[r->slot].collision_timer < 0) return;
    *crashed_now = true;
    if (s->ops.crash) s->ops.crash(s->ops.self, r);
}

// One part of a rider that can touch another rider: a shape's body or a tire.
struct rider_part {
    dBodyID body;
    const Shape* shape;         // null for a tire
    const wheel_record* wheel;  // null for a shape
    bool is_front;              // fork lower or front tire
    bool is_explicit_side;      // rear wheel, frame, swingarm, rider: penalty forces against shown riders
};

static int rider_parts(const contact_scene* s, const Rider* r, rider_part out[SHAPED_COUNT + 2])
{
    const bike_body& b = r->bike;
    int n = 0;
    out[n++] = {b.body[BODY_FRONT_WHEEL], nullptr, &b.wheel[0], true, false};
    out[n++] = {b.body[BODY_REAR_WHEEL], nullptr, &b.wheel[1], false, true};
    for (int k = 0; k < SHAPED_COUNT; k++) {
        const Shape* shape = s->rider[r->slot].shape[k];
        if (!shape || shape->spheres.empty()) continue;
        bool explicit_side = k == SHAPED_FRAME || k == SHAPED_SWINGARM || k == SHAPED_RIDER;
        out[n++] = {b.body[shaped_body[k]], shape, nullptr, k == SHAPED_FORK_LOWER, explicit_side};
    }
    return n;
}

// How far any part of the rider reaches from its frame body's position.
static double rider_reach(const rider_part* parts, int count, const double frame[3])
{
    double reach = 0;
    for (int k = 0; k < count; k++) {
        const dReal* p = dBodyGetPosition(parts[k].body);
        double d[3] = {p[0] - frame[0], p[1] - frame[1], p[2] - frame[2]};
        double extent = parts[k].wheel ? parts[k].wheel->major_radius + parts[k].wheel->tube_radius
                                       : parts[k].shape->bounding_radius;
        double r = sqrt(dot(d, d)) + extent;
        if (r > reach) reach = r;
    }
    return reach;
}

// Spheres of one part, as seen from a point of the other part.
static int part_spheres(const rider_part& p, const double toward[3], ShapeSphere* spheres, double (*centres)[3],
                        int capacity)
{
    if (p.wheel) {
        spheres[0] = collide_tire_sphere(p.wheel, toward, centres[0]);
        return 1;
    }
    int n = 0;
    for (const ShapeSphere& s : p.shape->spheres) {
        if (n == capacity) break;
        spheres[n] = s;
        sphere_world_centre(p.body, s, centres[n]);
        n++;
    }
    return n;
}

// Tests two parts; returns whether they touch.
static bool collide_parts(physics_world* w, const rider_part& a, const rider_part& b, bool a_explicit, bool b_explicit)
{
    enum { MAX_SPHERES = 64 };
    ShapeSphere sa[MAX_SPHERES], sb[MAX_SPHERES];
    double ca[MAX_SPHERES][3], cb[MAX_SPHERES][3];
    bool touching = false;
    // Riders meet through one-sided joints, so a crowd of touching riders
    // never becomes one large island for the world step.
    int mode = a_explicit || b_explicit ? COLLIDE_EXPLICIT : COLLIDE_ONE_SIDED;
    if (a.wheel && b.wheel) {  // each tire as the sphere nearest to the other
        const dReal* pb = dBodyGetPosition(b.body);
        const double centre_b[3] = {pb[0], pb[1], pb[2]};
        sa[0] = collide_tire_sphere(a.wheel, centre_b, ca[0]);
        sb[0] = collide_tire_sphere(b.wheel, ca[0], cb[0]);
        sphere_contact c;
        if (!collide_spheres(ca[0], &sa[0], cb[0], &sb[0], &c)) return false;
        collide_apply(w, a.body, b.body, &c, mode);
        return true;
    }
    if (a.wheel) {  // keep the tire second
        return collide_parts(w, b, a, b_explicit, a_explicit);
    }
    int na = part_spheres(a, nullptr, sa, ca, MAX_SPHERES);
    for (int i = 0; i < na; i++) {
        int nb = part_spheres(b, ca[i], sb, cb, MAX_SPHERES);
        for (int j = 0; j < nb; j++) {
            sphere_contact c;
            if (!collide_spheres(ca[i], &sa[i], cb[j], &sb[j], &c)) continue;
            touching = true;
            collide_apply(w, a.body, b.body, &c, mode);
        }
    }
    return touching;
}

static void set_timers(contact_scene* s, Rider* a, Rider* b, bool front_a, bool front_b)
{
    int& ta = s->rider[a->slot].collision_timer;
    int& tb = s->rider[b->slot].collision_timer;
    double va = body_speed(a->bike.body[BODY_FRAME]), vb = body_speed(b->bike.body[BODY_FRAME]);
    if (front_a && front_b) {
        if (va >= 10 && ta < 64) ta = 64;
        if (vb >= 10 && tb < 64) tb = 64;
        return;
    }
    if (!front_a && !front_b) return;
    Rider* striker = front_a ? a : b;
    int& ts = front_a ? ta : tb;
    int& tother = front_a ? tb : ta;
    double vs = front_a ? va : vb, vother = front_a ? vb : va;
    if (is_crashed(striker) || vs < 5) return;
    if (vother >= 10 && tother < 128) tother = 128;
    if (ts < 0 && ts > -640) ts = -640;
}

static bool is_simulated(const rider_slot& s) { return s.status != RIDER_SHOWN; }

// A rider's parts and how far they reach from its frame, gathered once per tick.
struct rider_reach_info {
    rider_part parts[SHAPED_COUNT + 2];
    int count;
    double frame[3];
    double reach;
};

static void gather_parts(const contact_scene* s, const Rider* r, rider_reach_info* out)
{
    out->count = rider_parts(s, r, out->parts);
    const dReal* f = dBodyGetPosition(r->bike.body[BODY_FRAME]);
    for (int i = 0; i < 3; i++) out->frame[i] = f[i];
    out->reach = rider_reach(out->parts, out->count, out->frame);
}

// Two riders; `shown` is 0, or 1 / 2 when the first / second is a shown rider.
static void collide_riders(contact_scene* s, physics_world* w, Rider* a, const rider_reach_info& ia, Rider* b,
                           const rider_reach_info& ib, int shown)
{
    double d[3] = {ib.frame[0] - ia.frame[0], ib.frame[1] - ia.frame[1], ib.frame[2] - ia.frame[2]};
    double reach = ia.reach + ib.reach;
    if (dot(d, d) > reach * reach) return;
    bool any = false, front_a = false, front_b = false;
    for (int i = 0; i < ia.count; i++) {
        for (int j = 0; j < ib.count; j++) {
            const rider_part &pa = ia.parts[i], &pb = ib.parts[j];
            bool a_explicit = shown == 2 && pa.is_explicit_side, b_explicit = shown == 1 && pb.is_explicit_side;
            if (!collide_parts(w, pa, pb, a_explicit, b_explicit)) continue;
            any = true;
            front_a |= pa.is_front;
            front_b |= pb.is_front;
        }
    }
    if (!any) return;
    if (shown) rider_presence_bump(shown == 1 ? a : b);
    set_timers(s, a, b, front_a, front_b);
}

static void collide_statues(contact_scene* s, physics_world* w, Rider* r, int tick, bool* crashed_now)
{
    if (!s->ops.statues_near) return;
    const dReal* f = dBodyGetPosition(r->bike.body[BODY_FRAME]);
    const collide_statue* const* list = nullptr;
    int count = s->ops.statues_near(s->ops.self, f[0], f[2], &list);
    rider_part parts[SHAPED_COUNT + 2];
    int n = rider_parts(s, r, parts);
    const double frame[3] = {f[0], f[1], f[2]};
    const double reach = rider_reach(parts, n, frame);
    double rider_speed = body_speed(r->bike.body[BODY_RIDER]);
    for (int k = 0; k < count; k++) {
        const collide_statue* statue = list[k];
        if (!statue->shape) continue;
        // Statue spheres lie within its bounding radius of its position, the
        // rider's within its reach of the frame: farther apart, none touch.
        const double d[3] = {statue->position[0] - frame[0], statue->position[1] - frame[1],
                             statue->position[2] - frame[2]};
        const double apart = statue->shape->bounding_radius + reach + SKIP_MARGIN;
        if (dot(d, d) > apart * apart) continue;
        for (const ShapeSphere& ss : statue->shape->spheres) {
            double centre[3];
            for (int i = 0; i < 3; i++)
                centre[i] = statue->position[i] + statue->rotation[4 * i] * ss.centre[0] +
                            statue->rotation[4 * i + 1] * ss.centre[1] + statue->rotation[4 * i + 2] * ss.centre[2];
            for (int p = 0; p < n; p++) {
                ShapeSphere spheres[64];
                double centres[64][3];
                int m = part_spheres(parts[p], centre, spheres, centres, 64);
                for (int j = 0; j < m; j++) {
                    sphere_contact c;
                    if (!collide_spheres(centre, &ss, centres[j], &spheres[j], &c)) continue;
                    collide_apply(w, nullptr, parts[p].body, &c, COLLIDE_JOINT);
                    if (statue->touch_tick) *statue->touch_tick = tick;
                    if (parts[p].body == r->bike.body[BODY_RIDER] && rider_speed > OBJECT_CRASH_SPEED)
                        crash(s, r, crashed_now);
                }
            }
        }
    }
}

// While a thrown rider moves (2 ft/s or more) its body collides with its own
// bike's frame and fork upper, so that it cannot pass through the bike.
static constexpr double THROWN_MOVING_SPEED = 2;  // ft/s

static void collide_own_bike(contact_scene* s, physics_world* w, Rider* r)
{
    if (!is_crashed(r) || body_speed(r->bike.body[BODY_RIDER]) < THROWN_MOVING_SPEED) return;
    const Shape* const* shapes = s->rider[r->slot].shape;
    const Shape* rider = shapes[SHAPED_RIDER];
    if (!rider || rider->spheres.empty()) return;
    const rider_part body = {r->bike.body[BODY_RIDER], rider, nullptr, false, false};
    for (int k : {SHAPED_FRAME, SHAPED_FORK_UPPER}) {
        if (!shapes[k] || shapes[k]->spheres.empty()) continue;
        const rider_part bike = {r->bike.body[shaped_body[k]], shapes[k], nullptr, false, false};
        collide_parts(w, body, bike, false, false);
    }
}

static void ground_contacts(contact_scene* s, physics_world* w, Rider* r, bool* crashed_now)
{
    bike_body& b = r->bike;
    float scale = s->ops.friction_scale ? s->ops.friction_scale(s->ops.self, r) : 1.0f;
    tire_contact(w, &b.wheel[0], s->ground, scale);
    tire_contact(w, &b.wheel[1], s->ground, scale);
    for (int k = 0; k < SHAPED_COUNT; k++) {
        const Shape* shape = s->rider[r->slot].shape[k];
        if (!shape) continue;
        dBodyID body = b.body[shaped_body[k]];
        if (collide_shape_ground(w, s->ground, body, shape) == 0 || k != SHAPED_RIDER) continue;
        const dReal* rot = dBodyGetRotation(body);
        if (rot[5] < 0 && body_speed(body) > UPSIDE_DOWN_CRASH_SPEED) crash(s, r, crashed_now);
    }
}

void contact_make(contact_scene* s, rider_slots* slots, physics_world* w, int tick)
{
    bool crashed_now[RIDER_SLOTS] = {};
    for (int k = 0; k < RIDER_SLOTS; k++) {
        rider_slot& slot = slots->slot[k];
        if (!slot.rider || !is_simulated(slot)) continue;
        if (s->ground) ground_contacts(s, w, slot.rider, &crashed_now[k]);
        collide_statues(s, w, slot.rider, tick, &crashed_now[k]);
        collide_own_bike(s, w, slot.rider);
    }
    static rider_reach_info info[RIDER_SLOTS];  // scratch of the main thread's tick
    int occupied[RIDER_SLOTS], count = 0;
    for (int k = 0; k < RIDER_SLOTS; k++) {
        if (!slots->slot[k].rider) continue;
        gather_parts(s, slots->slot[k].rider, &info[k]);
        occupied[count++] = k;
    }
    for (int i = 0; i < count; i++) {
        const rider_slot& sa = slots->slot[occupied[i]];
        for (int j = i + 1; j < count; j++) {
            const rider_slot& sb = slots->slot[occupied[j]];
            bool simulated_a = is_simulated(sa), simulated_b = is_simulated(sb);
            if (!simulated_a && !simulated_b) continue;
            collide_riders(s, w, sa.rider, info[occupied[i]], sb.rider, info[occupied[j]],
                           simulated_a ? (simulated_b ? 0 : 2) : 1);
        }
    }
    for (int k = 0; k < RIDER_SLOTS; k++) {
        rider_slot& slot = slots->slot[k];
        if (!slot.rider || is_simulated(slot) || !(slot.rider->bike.presence > 0.25f) || !s->ground) continue;
        ground_contacts(s, w, slot.rider, &crashed_now[k]);
    }
}

bool collide_rider_touches(contact_scene* s, const Rider* r)
{
    const bike_body& b = r->bike;
    if (s->ground) {
        for (const wheel_record& wheel : b.wheel) {
            torus_shape tire;
            torus_hit hit;
            tire_torus(&wheel, &tire);
            if (tire_deepest_contact(s->ground, &tire, &hit)) return true;
        }
    }
    for (int k = 0; k < SHAPED_COUNT; k++) {
        const Shape* shape = s->rider[r->slot].shape[k];
        if (!shape) continue;
        for (const ShapeSphere& sphere : shape->spheres) {
            double centre[3], depth, point[3], normal[3];
            sphere_world_centre(b.body[shaped_body[k]], sphere, centre);
            if (s->ground && collide_sphere_ground(s->ground, centre, sphere.radius, &depth, point, normal)) return true;
            if (!s->ops.statues_near) continue;
            const collide_statue* const* list = nullptr;
            const int count = s->ops.statues_near(s->ops.self, centre[0], centre[2], &list);
            for (int i = 0; i < count; i++) {
                const collide_statue* statue = list[i];
                if (!statue->shape) continue;
                for (const ShapeSphere& ss : statue->shape->spheres) {
                    double c[3];
                    for (int j = 0; j < 3; j++)
                        c[j] = statue->position[j] + statue->rotation[4 * j] * ss.centre[0] +
                               statue->rotation[4 * j + 1] * ss.centre[1] + statue->rotation[4 * j + 2] * ss.centre[2];
                    sphere_contact contact;
                    if (collide_spheres(c, &ss, centre, &sphere, &contact)) return true;
                }
            }
        }
    }
    return false;
}

void contact_wheel_query(contact_scene* s, Rider* r, int tick)
{
    if (!r->has_ground_queries || !s->ground) return;
    int& stamp = s->rider[r->slot].query_tick;
    if (stamp == tick) return;
    int front = stamp, rear = stamp;
    tire_query(&r->bike.wheel[0], s->ground, tick, &front);
    tire_query(&r->bike.wheel[1], s->ground, tick, &rear);
    stamp = tick;
}
