#include "tools/content/bike_mesh.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/num.h"
#include "tools/content/output.h"

static Vec3 normalised(Vec3 v) {
    float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return l > 0 ? v * (1 / l) : Vec3{0, 1, 0};
}
static Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

BoneMix bone_only(int bone) {
    BoneMix m{};
    m.w[bone] = 1;
    return m;
}

BoneMix bone_blend(int a, int b, float share_of_b) {
    BoneMix m{};
    m.w[a] += 1 - share_of_b;
    m.w[b] += share_of_b;
    return m;
}

static BoneMix mix_between(const BoneMix& a, const BoneMix& b, float t) {
    BoneMix m;
    for (int k = 0; k < RIDER_BONES; k++) m.w[k] = a.w[k] * (1 - t) + b.w[k] * t;
    return m;
}

MeshPart* MeshModel::part(float s, float r, float g, float b) {
    parts.push_back(MeshPart{});
    MeshPart* p = &parts.back();
    p->s = s, p->r = r, p->g = g, p->b = b;
    return p;
}

int MeshModel::triangle_count() const {
    int n = 0;
    for (const MeshPart& p : parts) n += int(p.triangles.size() / 3);
    return n;
}

static int add_vertex(MeshPart* m, Vec3 p, Vec3 n, float u, float v, const BoneMix& mix) {
    m->vertices.push_back({p, n, u, v, mix});
    return int(m->vertices.size()) - 1;
}

static float lerp(float a, float b, float t) { return a + (b - a) * t; }

void mesh_card(MeshPart* m, Vec3 c0, Vec3 c1, Vec3 c2, Vec3 c3, UvRect uv, bool both_sides, const BoneMix& mix) {
    Vec3 n = normalised(cross(c1 - c0, c3 - c0));
    Vec3 corners[4] = {c0, c1, c2, c3};
    float us[4] = {uv.x0, uv.x1, uv.x1, uv.x0}, vs[4] = {uv.y1, uv.y1, uv.y0, uv.y0};
    for (int side = 0; side < (both_sides ? 2 : 1); side++) {
        Vec3 normal = side ? n * -1 : n;
        int base = int(m->vertices.size());
        for (int k = 0; k < 4; k++) add_vertex(m, corners[k], normal, us[k], vs[k], mix);
        int order[2][6] = {{0, 1, 2, 0, 2, 3}, {0, 2, 1, 0, 3, 2}};
        for (int k : order[side]) m->triangles.push_back(base + k);
    }
}

void mesh_box(MeshPart* m, Vec3 lo, Vec3 hi, UvRect uv, const BoneMix& mix) {
    auto at = [&](int x, int y, int z) { return Vec3{x ? hi.x : lo.x, y ? hi.y : lo.y, z ? hi.z : lo.z}; };
    mesh_card(m, at(1, 0, 1), at(1, 0, 0), at(1, 1, 0), at(1, 1, 1), uv, false, mix);  // +x
    mesh_card(m, at(0, 0, 0), at(0, 0, 1), at(0, 1, 1), at(0, 1, 0), uv, false, mix);  // -x
    mesh_card(m, at(0, 1, 1), at(1, 1, 1), at(1, 1, 0), at(0, 1, 0), uv, false, mix);  // +y
    mesh_card(m, at(0, 0, 0), at(1, 0, 0), at(1, 0, 1), at(0, 0, 1), uv, false, mix);  // -y
    mesh_card(m, at(0, 0, 1), at(1, 0, 1), at(1, 1, 1), at(0, 1, 1), uv, false, mix);  // +z
    mesh_card(m, at(1, 0, 0), at(0, 0, 0), at(0, 1, 0), at(1, 1, 0), uv, false, mix);  // -z
}

void mesh_tube(MeshPart* m, Vec3 a, Vec3 b, float ra, float rb, int sides, int rings, bool caps, UvRect uv,
               const BoneMix& from, const BoneMix& to) {
    Vec3 axis = normalised(b - a);
    Vec3 helper = std::fabs(axis.y) < 0.9f ? Vec3{0, 1, 0} : Vec3{1, 0, 0};
    Vec3 side = normalised(cross(axis, helper)), up = cross(side, axis);
    int base = int(m->vertices.size());
    for (int r = 0; r < rings; r++) {
        float t = float(r) / float(rings - 1);
        Vec3 centre = a + (b - a) * t;
        float radius = lerp(ra, rb, t);
        BoneMix mix = mix_between(from, to, t);
        for (int s = 0; s <= sides; s++) {
            float angle = 2 * PI_F * float(s) / float(sides);
            Vec3 dir = side * std::cos(angle) + up * std::sin(angle);
            add_vertex(m, centre + dir * radius, dir, lerp(uv.x0, uv.x1, float(s) / float(sides)), lerp(uv.y0, uv.y1, t),
                       mix);
        }
    }
    for (int r = 0; r + 1 < rings; r++)
        for (int s = 0; s < sides; s++) {
            int i0 = base + r * (sides + 1) + s, i1 = i0 + 1, j0 = i0 + sides + 1, j1 = j0 + 1;
            m->triangles.insert(m->triangles.end(), {i0, j0, j1, i0, j1, i1});
        }
    if (!caps) return;
    for (int end = 0; end < 2; end++) {
        Vec3 centre = end ? b : a;
        Vec3 normal = end ? axis : axis * -1;
        float radius = end ? rb : ra;
        const BoneMix& mix = end ? to : from;
        int c = add_vertex(m, centre, normal, (uv.x0 + uv.x1) / 2, end ? uv.y1 : uv.y0, mix);
        int first = int(m->vertices.size());
        for (int s = 0; s < sides; s++) {
            float angle = 2 * PI_F * float(s) / float(sides);
            Vec3 dir = side * std::cos(angle) + up * std::sin(angle);
            add_vertex(m, centre + dir * radius, normal, lerp(uv.x0, uv.x1, float(s) / float(sides)), end ? uv.y1 : uv.y0,
                       mix);
        }
        for (int s = 0; s < sides; s++) {
            int p = first + s, q = first + (s + 1) % sides;
            if (end) m->triangles.insert(m->triangles.end(), {c, q, p});
            else m->triangles.insert(m->triangles.end(), {c, p, q});
        }
    }
}

void mesh_ellipsoid(MeshPart* m, Vec3 centre, Vec3 radii, int slices, int stacks, UvRect uv, const BoneMix& mix) {
    int base = int(m->vertices.size());
    for (int i = 0; i <= stacks; i++) {
        float lat = -PI_F / 2 + PI_F * float(i) / float(stacks);
        for (int j = 0; j <= slices; j++) {
            float lon = 2 * PI_F * float(j) / float(slices);
            Vec3 unit = {std::cos(lat) * std::sin(lon), std::sin(lat), std::cos(lat) * std::cos(lon)};
            Vec3 p = centre + Vec3{unit.x * radii.x, unit.y * radii.y, unit.z * radii.z};
            Vec3 n = normalised({unit.x / radii.x, unit.y / radii.y, unit.z / radii.z});
            add_vertex(m, p, n, lerp(uv.x0, uv.x1, float(j) / float(slices)), lerp(uv.y1, uv.y0, float(i) / float(stacks)),
                       mix);
        }
    }
    for (int i = 0; i < stacks; i++)
        for (int j = 0; j < slices; j++) {
            int i0 = base + i * (slices + 1) + j, i1 = i0 + 1, j0 = i0 + slices + 1, j1 = j0 + 1;
            if (i > 0) m->triangles.insert(m->triangles.end(), {i0, i1, j1});
            if (i + 1 < stacks) m->triangles.insert(m->triangles.end(), {i0, j1, j0});
        }
}

void mesh_torus_x(MeshPart* m, Vec3 centre, float major, float tube, int segments, int sides, UvRect uv, float repeat) {
    // Each quad has its own corners so that the tread picture can repeat
    // around the wheel without a seam running backwards through it.
    float step = repeat / float(segments);
    for (int i = 0; i < segments; i++) {
        float u0 = std::fmod(float(i) * step, 1.0f), u1 = u0 + step;
        for (int j = 0; j < sides; j++) {
            int base = int(m->vertices.size());
            for (int corner = 0; corner < 4; corner++) {
                int di = corner == 1 || corner == 2, dj = corner >= 2;
                float a = 2 * PI_F * float(i + di) / float(segments), b = 2 * PI_F * float(j + dj) / float(sides);
                Vec3 radial = {0, std::cos(a), std::sin(a)};
                Vec3 n = radial * std::cos(b) + Vec3{std::sin(b), 0, 0};
                add_vertex(m, centre + radial * major + n * tube, n, lerp(uv.x0, uv.x1, di ? u1 : u0),
                           lerp(uv.y0, uv.y1, float(j + dj) / float(sides)), {});
            }
            m->triangles.insert(m->triangles.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
        }
    }
}

void mesh_disc_x(MeshPart* m, Vec3 centre, float radius, int segments, UvRect uv) {
    for (int side = 0; side < 2; side++) {
        Vec3 n = {side ? -1.0f : 1.0f, 0, 0};
        float cu = (uv.x0 + uv.x1) / 2, cv = (uv.y0 + uv.y1) / 2;
        int c = add_vertex(m, centre, n, cu, cv, {});
        int first = int(m->vertices.size());
        for (int s = 0; s < segments; s++) {
            float a = 2 * PI_F * float(s) / float(segments);
            Vec3 p = centre + Vec3{0, std::cos(a), std::sin(a)} * radius;
            add_vertex(m, p, n, cu + std::sin(a) * (uv.x1 - uv.x0) / 2, cv - std::cos(a) * (uv.y1 - uv.y0) / 2, {});
        }
        for (int s = 0; s < segments; s++) {
            int p = first + s, q = first + (s + 1) % segments;
            if (side == 0) m->triangles.insert(m->triangles.end(), {c, p, q});
            else m->triangles.insert(m->triangles.end(), {c, q, p});
        }
    }
}

void mesh_shift(MeshModel* model, Vec3 origin) {
    for (MeshPart& p : model->parts)
        for (MeshVertex3& v : p.vertices) v.p = v.p - origin;
}

// A number with at most `decimals` places, without trailing zeros ("0.5", "-2", "0").
static void put_number(std::string* out, float x, int decimals) {
    char text[32];
    snprintf(text, sizeof text, "%.*f", decimals, double(x));
    char* end = text + strlen(text);
    if (strchr(text, '.')) {
        while (end[-1] == '0') *--end = '\0';
        if (end[-1] == '.') *--end = '\0';
    }
    if (strcmp(text, "-0") == 0) strcpy(text, "0");
    *out += text;
}

std::string jm_text(const MeshModel& model) {
    std::string out = model.bones > 0 ? text_printf("JM2 %d rider_skeleton\n", model.bones) : "JM1\n";
    for (const MeshPart& p : model.parts) {
        out += text_printf("%g %g %g %g %g %zu %zu\n", p.s, p.a, p.r, p.g, p.b, p.vertices.size(), p.triangles.size() / 3);
        for (const MeshVertex3& v : p.vertices) {
            // Files store v from the picture's bottom edge.
            float values[8] = {v.p.x, v.p.y, v.p.z, v.n.x, v.n.y, v.n.z, v.u, 1 - v.v};
            for (int k = 0; k < 8; k++) {
                if (k) out += ' ';
                put_number(&out, values[k], k < 3 ? 3 : k < 6 ? 2 : 4);
            }
            for (int b = 0; b < model.bones; b++) {
                out += ' ';
                put_number(&out, v.bones.w[b], 3);
            }
            out += '\n';
        }
        for (size_t t = 0; t < p.triangles.size(); t += 3)
            out += text_printf("%d %d %d\n", p.triangles[t], p.triangles[t + 1], p.triangles[t + 2]);
    }
    return out;
}

std::string shp_text(const std::vector<ShapeBall>& balls) {
    std::string out = text_printf("%zu\n", balls.size());
    for (const ShapeBall& b : balls)
        out += text_printf("%.4f %.4f %.4f\n%.4f %.2f %.1f %.1f\n", b.centre.x, b.centre.y, b.centre.z, b.radius,
                           b.friction, b.stiffness, b.damping);
    return out;
}
