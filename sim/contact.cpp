#include "sim/contact.h"

#include <math.h>
#include <string.h>

#include "sim/world.h"
#include "track/terrain.h"

static double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Cell indices are kept this far around the grid: far-off bodies still get
// a small, finite range of (edge-height) cells.
static constexpr double CELL_LIMIT = 1 << 24;

static int cell_index(double world, float inverse_spacing)
{
    double u = floor(world * inverse_spacing);
    if (!(u > -CELL_LIMIT)) return (int)-CELL_LIMIT;
    if (u > CELL_LIMIT) return (int)CELL_LIMIT;
    return (int)u;
}

ground_cells contact_cell_range(const Terrain* t, double x, double z, double reach)
{
    ground_cells g;
    g.i0 = cell_index(x - reach, t->inverse_spacing);
    g.i1 = cell_index(x + reach, t->inverse_spacing);
    g.k0 = cell_index(z - reach, t->inverse_spacing);
    g.k1 = cell_index(z + reach, t->inverse_spacing);
    return g;
}

static void corner(const Terrain* t, int i, int k, double out[3])
{
    int last = t->dim - 1;
    int ci = i < 0 ? 0 : (i > last ? last : i), ck = k < 0 ? 0 : (k > last ? last : k);
    out[0] = (double)i * t->spacing;
    out[1] = t->heights[ci + t->dim * ck];
    out[2] = (double)k * t->spacing;
}

double contact_cells_top(const Terrain* t, const ground_cells& g)
{
    const int last = t->dim - 1;
    auto clamp_index = [last](int i) { return i < 0 ? 0 : (i > last ? last : i); };
    // Beyond the grid the corners repeat the edge: the clamped range holds them all.
    const int i0 = clamp_index(g.i0), i1 = clamp_index(g.i1 + 1), k0 = clamp_index(g.k0), k1 = clamp_index(g.k1 + 1);
    float top = -INFINITY;
    for (int k = k0; k <= k1; k++)
        for (int i = i0; i <= i1; i++) top = fmaxf(top, t->heights[i + t->dim * k]);
    return top;
}

void contact_cell_triangles(const Terrain* t, int i, int k, double out[2][3][3])
{
    // Corner offsets; cells with i + k even are split from (i, k) to (i+1, k+1),
    // odd ones from (i+1, k) to (i, k+1). The order makes the normal point up.
    static const int even[2][3][2] = {{{1, 0}, {0, 0}, {1, 1}}, {{0, 1}, {1, 1}, {0, 0}}};
    static const int odd[2][3][2] = {{{0, 0}, {0, 1}, {1, 0}}, {{1, 1}, {1, 0}, {0, 1}}};
    const int(*table)[3][2] = ((i + k) & 1) ? odd : even;
    for (int which = 0; which < 2; which++)
        for (int v = 0; v < 3; v++) corner(t, i + table[which][v][0], k + table[which][v][1], out[which][v]);
}

bool contact_closest_on_triangle(const double v[3][3], const double n[3], const double p[3], double out[3])
{
    double nn = dot(n, n), w[3];
    for (int i = 0; i < 3; i++) w[i] = p[i] - v[0][i];
    double h = dot(w, n) / nn;
    double q[3] = {p[0] - h * n[0], p[1] - h * n[1], p[2] - h * n[2]};
    bool in = true;
    for (int k = 0; k < 3 && in; k++) {
        const double *a = v[k], *b = v[(k + 1) % 3];
        double e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, qa[3] = {q[0] - a[0], q[1] - a[1], q[2] - a[2]};
        double c[3] = {e[1] * qa[2] - e[2] * qa[1], e[2] * qa[0] - e[0] * qa[2], e[0] * qa[1] - e[1] * qa[0]};
        in = dot(c, n) >= 0;
    }
    if (in) {
        for (int i = 0; i < 3; i++) out[i] = q[i];
        return true;
    }
    double best = INFINITY;
    for (int k = 0; k < 3; k++) {
        const double *a = v[k], *b = v[(k + 1) % 3];
        double e[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, pa[3] = {p[0] - a[0], p[1] - a[1], p[2] - a[2]};
        double ee = dot(e, e), s = ee > 0 ? dot(pa, e) / ee : 0;
        s = s < 0 ? 0 : (s > 1 ? 1 : s);
        double x[3] = {a[0] + s * e[0], a[1] + s * e[1], a[2] + s * e[2]};
        double d[3] = {p[0] - x[0], p[1] - x[1], p[2] - x[2]}, d2 = dot(d, d);
        if (d2 < best) best = d2, out[0] = x[0], out[1] = x[1], out[2] = x[2];
    }
    return false;
}

bool contact_ground_normal(double n[3])
{
    double l2 = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
    if (!(l2 > 0) || !isfinite(l2)) return false;
    double l = sqrt(l2);
    for (int i = 0; i < 3; i++) n[i] /= l;
    if (n[1] < 0) {
        double h2 = n[0] * n[0] + n[2] * n[2];
        if (h2 < 1.0 / 1024) {
            n[0] = 0, n[1] = 1, n[2] = 0;
        } else {
            double h = sqrt(h2);
            n[0] /= h, n[1] = 0, n[2] /= h;
        }
    }
    return true;
}

dJointID contact_add_friction_joint(physics_world* w, dBodyID a, dBodyID b, const friction_contact* c,
                                    dJointFeedback* feedback)
{
    double erp, cfm;
    if (!spring_erp_cfm(c->k, c->c, &erp, &cfm) || !isfinite(c->depth) || !isfinite(c->mu)) return nullptr;
    for (int i = 0; i < 3; i++)
        if (!isfinite(c->point[i]) || !isfinite(c->normal[i])) return nullptr;
    dContact contact;
    memset(&contact, 0, sizeof contact);
    contact.surface.mode = dContactApprox1 | dContactSoftERP | dContactSoftCFM;
    contact.surface.mu = c->mu;
    contact.surface.soft_erp = erp;
    contact.surface.soft_cfm = cfm;
    for (int i = 0; i < 3; i++) {
        contact.geom.pos[i] = c->point[i];
        contact.geom.normal[i] = c->normal[i];
    }
    contact.geom.depth = c->depth;
    if (c->first_direction) {
        contact.surface.mode |= dContactFDir1;
        for (int i = 0; i < 3; i++) contact.fdir1[i] = c->first_direction[i];
    }
    if (c->surface_velocity) {
        // The friction rows run along fdir1 and normal x fdir1: fix fdir1 so
        // the surface's own motion can be given along both.
        if (!c->first_direction) {
            dVector3 t1, t2;
            dPlaneSpace(contact.geom.normal, t1, t2);
            for (int i = 0; i < 3; i++) contact.fdir1[i] = t1[i];
            contact.surface.mode |= dContactFDir1;
        }
        const double* n = c->normal;
        const double* t1 = contact.fdir1;
        const double t2[3] = {n[1] * t1[2] - n[2] * t1[1], n[2] * t1[0] - n[0] * t1[2], n[0] * t1[1] - n[1] * t1[0]};
        const double* v = c->surface_velocity;
        contact.surface.mode |= dContactMotion1 | dContactMotion2 | dContactMotionN;
        contact.surface.motion1 = v[0] * t1[0] + v[1] * t1[1] + v[2] * t1[2];
        contact.surface.motion2 = v[0] * t2[0] + v[1] * t2[1] + v[2] * t2[2];
        contact.surface.motionN = v[0] * n[0] + v[1] * n[1] + v[2] * n[2];
    }
    dJointID j = dJointCreateContact(w->world, w->contacts, &contact);
    dJointAttach(j, a, b);
    if (feedback) dJointSetFeedback(j, feedback);
    return j;
}
