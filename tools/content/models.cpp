// Simple box models (".jm" text meshes), their textures (".ppm") and
// collision shapes (".shp": spheres with friction, stiffness and damping)
// for the start gate, hay bales and tuff blocks. Model units are feet; the
// model's forward (direction of travel) is -z, up is +y.
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "base/num.h"
#include "tools/content/assets.h"
#include "tools/content/image.h"
#include "tools/content/noise.h"

struct MeshVertex {
    float p[3], n[3], uv[2];
};
struct Mesh {
    std::vector<MeshVertex> vertices;
    std::vector<int> triangles;
};

static void rotate_x(float v[3], float angle) {
    float y = v[1] * std::cos(angle) - v[2] * std::sin(angle);
    float z = v[1] * std::sin(angle) + v[2] * std::cos(angle);
    v[1] = y, v[2] = z;
}

// An axis-aligned box from lo to hi, optionally turned about the x axis
// through the origin; every face shows the whole texture.
static void add_box(Mesh* m, const float lo[3], const float hi[3], float tilt = 0) {
    static const int faces[6][4][3] = {
        {{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}},  // +x
        {{0, 0, 1}, {0, 1, 1}, {0, 1, 0}, {0, 0, 0}},  // -x
        {{0, 1, 0}, {0, 1, 1}, {1, 1, 1}, {1, 1, 0}},  // +y
        {{0, 0, 1}, {0, 0, 0}, {1, 0, 0}, {1, 0, 1}},  // -y
        {{1, 0, 1}, {1, 1, 1}, {0, 1, 1}, {0, 0, 1}},  // +z
        {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}},  // -z
    };
    static const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    static const float uvs[4][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    for (int f = 0; f < 6; f++) {
        int base = int(m->vertices.size());
        for (int c = 0; c < 4; c++) {
            MeshVertex v;
            for (int a = 0; a < 3; a++) {
                v.p[a] = faces[f][c][a] ? hi[a] : lo[a];
                v.n[a] = normals[f][a];
            }
            v.uv[0] = uvs[c][0], v.uv[1] = uvs[c][1];
            rotate_x(v.p, tilt);
            rotate_x(v.n, tilt);
            m->vertices.push_back(v);
        }
        int quad[6] = {0, 1, 2, 0, 2, 3};
        for (int q : quad) m->triangles.push_back(base + q);
    }
}

// One lit part, specular colour (0.3, 0.3, 0.3), shininess 16.
static std::string jm_text(const Mesh& m) {
    std::string out = "JM1\n";
    out += text_printf("%d %d %.1f %.1f %.1f %zu %zu\n", 16, 1, 0.3, 0.3, 0.3, m.vertices.size(),
                       m.triangles.size() / 3);
    for (const MeshVertex& v : m.vertices)
        out += text_printf("%.4f %.4f %.4f %.4f %.4f %.4f %.4f %.4f\n", v.p[0], v.p[1], v.p[2], v.n[0], v.n[1], v.n[2],
                           v.uv[0], v.uv[1]);
    for (size_t t = 0; t < m.triangles.size(); t += 3)
        out += text_printf("%d %d %d\n", m.triangles[t], m.triangles[t + 1], m.triangles[t + 2]);
    return out;
}

struct Sphere {
    float x, y, z, radius, friction, stiffness, damping;
};

static std::string shp_text(const std::vector<Sphere>& spheres) {
    std::string out = text_printf("%zu\n", spheres.size());
    for (const Sphere& s : spheres)
        out += text_printf("%.4f %.4f %.4f %.4f %.4f %.1f %.1f\n", s.x, s.y, s.z, s.radius, s.friction, s.stiffness,
                           s.damping);
    return out;
}

static std::string texture_ppm(float r, float g, float b, uint32_t seed, float streaks) {
    ContentImage im = image_make(64, 64, 3);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            float n = fbm_noise(float(x) / 8, float(y) / 8, seed, 3, 0.5f, 8);
            float s = fbm_noise(float(x) / 2, float(y) / 16, seed + 5, 2, 0.5f, 32);
            float k = 0.85f + 0.3f * n + streaks * (s - 0.5f);
            uint8_t* p = image_at(im, x, y);
            p[0] = uint8_t(std::fmin(255.0f, r * k * 255));
            p[1] = uint8_t(std::fmin(255.0f, g * k * 255));
            p[2] = uint8_t(std::fmin(255.0f, b * k * 255));
        }
    return ppm_encode(im);
}

struct BlockLook {
    float r, g, b, streaks;
};
struct BlockContact {
    float friction, stiffness, damping;
};

// A box model from lo to hi with its texture and three spheres along z.
static void add_block(ContentFiles* files, const std::string& name, std::array<float, 3> lo, std::array<float, 3> hi,
                      BlockLook look, uint32_t seed, float radius, float spacing, BlockContact contact) {
    Mesh m;
    add_box(&m, lo.data(), hi.data());
    content_add(files, name + ".jm", jm_text(m));
    content_add(files, name + ".ppm", texture_ppm(look.r, look.g, look.b, seed, look.streaks));
    std::vector<Sphere> spheres;
    for (int k = -1; k <= 1; k++)
        spheres.push_back({0, (lo[1] + hi[1]) / 2, float(k) * spacing, radius, contact.friction, contact.stiffness,
                           contact.damping});
    content_add(files, name + ".shp", shp_text(spheres));
}

void add_models(ContentFiles* files) {
    // Start gate: hinged at the origin, the plate reaching forward and lying
    // low (the dropped position); raised, it turns 3/16 of a half turn about x.
    {
        const float lie = PI_F / 8;  // plate angle above the ground when dropped
        Mesh m;
        float plate_lo[3] = {-1.35f, -0.06f, -2.0f}, plate_hi[3] = {1.35f, 0.06f, 0};
        add_box(&m, plate_lo, plate_hi, lie);
        float bar_lo[3] = {-1.45f, -0.25f, 0}, bar_hi[3] = {1.45f, 0.1f, 0.35f};
        add_box(&m, bar_lo, bar_hi);
        content_add(files, "startgate.jm", jm_text(m));
        content_add(files, "startgate.ppm", texture_ppm(0.62f, 0.64f, 0.68f, 41, 0.1f));
        std::vector<Sphere> spheres;
        for (int across = -2; across <= 2; across++)
            for (int along = 0; along < 3; along++) {
                float d = 0.6f + 0.6f * float(along);  // clear of a front wheel resting at the hinge
                spheres.push_back({0.55f * float(across), d * std::sin(lie), -d * std::cos(lie), 0.3f, 0.5f, 5000, 100});
            }
        content_add(files, "startgate.shp", shp_text(spheres));
    }
    // Straw bale, long side along the course; plastic tuff block.
    add_block(files, "objects/haybale", {-0.75f, 0, -1.5f}, {0.75f, 1.4f, 1.5f}, {0.86f, 0.76f, 0.45f, 0.5f}, 42,
              0.72f, 0.85f, {0.8f, 3000, 150});
    add_block(files, "objects/tuffblock", {-0.8f, 0, -2}, {0.8f, 1.6f, 2}, {0.95f, 0.72f, 0.08f, 0.05f}, 43, 0.8f,
              1.2f, {0.4f, 6000, 200});
}
