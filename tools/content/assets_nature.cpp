// Sky, ground textures and the sprites drawn over the land.
#include <algorithm>
#include <cmath>
#include <random>

#include "base/num.h"
#include "tools/content/assets.h"
#include "tools/content/draw.h"
#include "tools/content/image.h"
#include "tools/content/noise.h"
#include "tools/content/track.h"

static float smoothstep(float a, float b, float x) {
    float t = std::clamp((x - a) / (b - a), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

static float mix(float a, float b, float t) { return a + (b - a) * t; }

// Colour of the sky in world direction (x, y, z), y up, |d| = 1.
static void sky_colour(float x, float y, float z, float out[3]) {
    TerrainLighting light = track_light();
    const float horizon[3] = {0.80f, 0.85f, 0.90f}, zenith[3] = {0.30f, 0.50f, 0.84f};
    float t = std::pow(std::max(y, 0.0f), 0.5f);
    for (int c = 0; c < 3; c++) out[c] = mix(horizon[c], zenith[c], t);
    float sun = std::max(0.0f, x * light.sun[0] + y * light.sun[1] + z * light.sun[2]);
    float glow = 0.55f * std::pow(sun, 200.0f) + 0.18f * std::pow(sun, 12.0f);
    const float warm[3] = {1.0f, 0.92f, 0.75f};
    for (int c = 0; c < 3; c++) out[c] = mix(out[c], warm[c], std::min(glow, 1.0f));
    // Far hills: a hazy silhouette a little above the horizon, by azimuth.
    float azimuth = std::atan2(z, x) / (2 * PI_F) + 0.5f;
    float ridge = 0.02f + 0.07f * fbm_noise(azimuth * 24, 0.5f, 4242, 4, 0.5f, 24);
    if (y < ridge) {
        float depth = smoothstep(ridge, ridge - 0.01f, y);
        const float hill[3] = {0.50f, 0.58f, 0.58f}, low[3] = {0.36f, 0.44f, 0.36f};
        float below = smoothstep(0, -0.3f, y);
        for (int c = 0; c < 3; c++) out[c] = mix(out[c], mix(hill[c], low[c], below), depth * 0.9f);
        return;
    }
    // Soft clouds on a flat layer above the land.
    if (y > 0.01f) {
        float px = x / y * 1.6f, pz = z / y * 1.6f;
        float n = fbm_noise(px + 40, pz + 40, 777, 5, 0.55f);
        float cover = smoothstep(0.48f, 0.72f, n) * smoothstep(0.04f, 0.3f, y);
        float shade = fbm_noise(px + 40.3f, pz + 40.2f, 777, 3, 0.5f);
        float bright = 0.98f - 0.25f * smoothstep(0.5f, 0.8f, shade);
        const float cloud[3] = {bright, bright, std::min(1.0f, bright + 0.02f)};
        for (int c = 0; c < 3; c++) out[c] = mix(out[c], cloud[c], cover * 0.92f);
    }
}

static ContentImage sky_face(int size, void (*direction)(float u, float v, float d[3])) {
    ContentImage im = image_make(size, size, 3);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            float u = (float(x) + 0.5f) / float(size) * 2 - 1, v = (float(y) + 0.5f) / float(size) * 2 - 1;
            float d[3];
            direction(u, v, d);
            float len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            float c[3];
            sky_colour(d[0] / len, d[1] / len, d[2] / len, c);
            uint8_t* p = image_at(im, x, y);
            for (int k = 0; k < 3; k++) p[k] = uint8_t(std::lround(std::clamp(c[k], 0.0f, 1.0f) * 255));
        }
    return im;
}

void add_sky(ContentFiles* files) {
    // Faces seen from inside the cube, image row 0 at the top; north is -z,
    // east +x. The top face has north at row 0 and east to the right.
    const int size = 512;
    content_add(files, "sky-n.ppm", ppm_encode(sky_face(size, [](float u, float v, float d[3]) { d[0] = u, d[1] = -v, d[2] = -1; })));
    content_add(files, "sky-e.ppm", ppm_encode(sky_face(size, [](float u, float v, float d[3]) { d[0] = 1, d[1] = -v, d[2] = u; })));
    content_add(files, "sky-s.ppm", ppm_encode(sky_face(size, [](float u, float v, float d[3]) { d[0] = -u, d[1] = -v, d[2] = 1; })));
    content_add(files, "sky-w.ppm", ppm_encode(sky_face(size, [](float u, float v, float d[3]) { d[0] = -1, d[1] = -v, d[2] = -u; })));
    content_add(files, "sky-u.ppm", ppm_encode(sky_face(size, [](float u, float v, float d[3]) { d[0] = u, d[1] = 1, d[2] = v; })));
    // Environment map: the whole sphere seen from above, the angle from the
    // zenith growing linearly with the distance from the middle.
    const int env = 256;
    ContentImage im = image_make(env, env, 3);
    for (int y = 0; y < env; y++)
        for (int x = 0; x < env; x++) {
            float dx = (float(x) + 0.5f) / env - 0.5f, dz = (float(y) + 0.5f) / env - 0.5f;
            float r = std::min(std::hypot(dx, dz), 0.5f);
            float polar = 2 * PI_F * r;
            float h = std::sin(polar), dy = std::cos(polar);
            float len = std::max(std::hypot(dx, dz), 1e-6f);
            float c[3];
            if (dy < -0.02f) {
                c[0] = 0.40f, c[1] = 0.42f, c[2] = 0.30f;  // the ground below the horizon
            } else {
                sky_colour(dx / len * h, dy, dz / len * h, c);
            }
            uint8_t* p = image_at(im, x, y);
            for (int k = 0; k < 3; k++) p[k] = uint8_t(std::lround(std::clamp(c[k], 0.0f, 1.0f) * 255));
        }
    content_add(files, "sky-env.ppm", ppm_encode(im));
}

// Ground textures: a tile shows texels 1/16 .. 15/16 of its texture, so the
// pattern repeats every 14/16 of the image, starting at 1/16: neighbouring
// tiles then meet without a seam.
static const int GROUND = 256, SHOWN = 224, BORDER = 16;

static float ground_noise(int x, int y, uint32_t seed, int cells, int octaves, float gain = 0.5f) {
    float u = float(((x - BORDER) % SHOWN + SHOWN) % SHOWN) / SHOWN;
    float v = float(((y - BORDER) % SHOWN + SHOWN) % SHOWN) / SHOWN;
    return fbm_noise(u * float(cells), v * float(cells), seed, octaves, gain, cells);
}

struct GroundLook {
    Rgb base;
    float variation;   // brightness swing of the large noise
    float grain;       // swing of the fine noise
    uint32_t seed;
};

static void ground_texel(const GroundLook& g, int x, int y, float out[3]) {
    float big = ground_noise(x, y, g.seed, 4, 3) - 0.5f;
    float fine = ground_noise(x, y, g.seed + 1, 28, 2) - 0.5f;
    float speck = ground_noise(x, y, g.seed + 2, 56, 1);
    float k = 1 + g.variation * big + g.grain * fine;
    if (speck > 0.82f) k *= 0.8f;   // small stones and shadows
    if (speck < 0.12f) k *= 1.12f;
    out[0] = g.base.r * k, out[1] = g.base.g * k, out[2] = g.base.b * k;
}

static const GroundLook DIRT = {{0.56f, 0.44f, 0.32f}, 0.25f, 0.25f, 11};
static const GroundLook LOAM = {{0.40f, 0.29f, 0.20f}, 0.3f, 0.35f, 12};
static const GroundLook SAND = {{0.86f, 0.77f, 0.57f}, 0.12f, 0.15f, 13};
static const GroundLook GRASS = {{0.30f, 0.47f, 0.18f}, 0.3f, 0.45f, 14};
static const GroundLook WATER = {{0.33f, 0.38f, 0.40f}, 0.25f, 0.1f, 15};

static std::string ground_png(const GroundLook* a, const GroundLook* b, int mask) {
    ContentImage im = image_make(GROUND, GROUND, 3);
    for (int y = 0; y < GROUND; y++)
        for (int x = 0; x < GROUND; x++) {
            float ca[3], c[3];
            ground_texel(*a, x, y, ca);
            std::copy(ca, ca + 3, c);
            if (b) {
                // Share of the other surface from the corners: image row 0 and
                // column 0 are the tile's -z and -x sides.
                float u = std::clamp(float(x - BORDER) / SHOWN, 0.0f, 1.0f);
                float v = std::clamp(float(y - BORDER) / SHOWN, 0.0f, 1.0f);
                float c00 = (mask & 8) ? 1.0f : 0.0f, c10 = (mask & 4) ? 1.0f : 0.0f;
                float c01 = (mask & 2) ? 1.0f : 0.0f, c11 = (mask & 1) ? 1.0f : 0.0f;
                float share = mix(mix(c00, c10, u), mix(c01, c11, u), v);
                share += 0.45f * (ground_noise(x, y, 99, 8, 3) - 0.5f);
                float w = smoothstep(0.42f, 0.58f, share);
                float cb[3];
                ground_texel(*b, x, y, cb);
                for (int k = 0; k < 3; k++) c[k] = mix(ca[k], cb[k], w);
            }
            uint8_t* p = image_at(im, x, y);
            for (int k = 0; k < 3; k++) p[k] = uint8_t(std::lround(std::clamp(c[k], 0.0f, 1.0f) * 255));
        }
    return png_encode(im);
}

void add_ground_textures(ContentFiles* files) {
    content_add(files, "ground/dirt.png", ground_png(&DIRT, nullptr, 0));
    content_add(files, "ground/loam.png", ground_png(&LOAM, nullptr, 0));
    content_add(files, "ground/sand.png", ground_png(&SAND, nullptr, 0));
    content_add(files, "ground/grass.png", ground_png(&GRASS, nullptr, 0));
    content_add(files, "ground/water.png", ground_png(&WATER, nullptr, 0));
    for (int mask = 1; mask <= 14; mask++) {
        // Digits name bits 8, 4, 2, 1 in that order.
        std::string digits = {char('0' + ((mask >> 3) & 1)), char('0' + ((mask >> 2) & 1)),
                              char('0' + ((mask >> 1) & 1)), char('0' + (mask & 1))};
        content_add(files, "ground/dirt-grass-" + digits + ".png", ground_png(&DIRT, &GRASS, mask));
    }
}

static ContentImage clear_rgba(int w, int h) { return image_make(w, h, 4, 0); }

static ContentImage pine_sprite() {
    ContentImage im = clear_rgba(128, 256);
    draw_rect(&im, 58, 200, 70, 256, {0.35f, 0.24f, 0.15f});
    for (int layer = 0; layer < 6; layer++) {
        float top = 8 + float(layer) * 34, bottom = top + 70, half = 18 + float(layer) * 9;
        float shade = 0.75f + 0.05f * float(layer);
        draw_triangle(&im, 64, top, 64 - half, bottom, 64 + half, bottom, {0.10f * shade, 0.30f * shade, 0.14f * shade});
        draw_triangle(&im, 64, top + 4, 64 - half * 0.2f, bottom - 6, 64 + half, bottom - 2, {0.14f * shade, 0.38f * shade, 0.18f * shade}, 0.8f);
    }
    return im;
}

static ContentImage oak_sprite() {
    ContentImage im = clear_rgba(256, 256);
    draw_line(&im, 128, 256, 126, 150, 18, {0.33f, 0.24f, 0.16f});
    draw_line(&im, 127, 180, 95, 130, 8, {0.33f, 0.24f, 0.16f});
    draw_line(&im, 127, 170, 165, 125, 8, {0.33f, 0.24f, 0.16f});
    std::mt19937 rng(9);
    auto u = [&] { return float(rng() >> 8) / 16777216.0f; };
    for (int i = 0; i < 70; i++) {
        float a = u() * 2 * PI_F, r = std::sqrt(u());
        float cx = 128 + std::cos(a) * r * 85, cy = 100 + std::sin(a) * r * 70;
        float light = 0.7f + 0.3f * (1 - (cy - 30) / 140) + 0.15f * (u() - 0.5f);
        draw_disc(&im, cx, cy, 16 + u() * 14, {0.20f * light, 0.42f * light, 0.14f * light});
    }
    return im;
}

static ContentImage bush_sprite() {
    ContentImage im = clear_rgba(128, 64);
    std::mt19937 rng(21);
    auto u = [&] { return float(rng() >> 8) / 16777216.0f; };
    for (int i = 0; i < 30; i++) {
        float cx = 20 + u() * 88, cy = 30 + u() * 26;
        float light = 0.75f + 0.35f * u();
        draw_disc(&im, cx, cy, 8 + u() * 9, {0.24f * light, 0.40f * light, 0.15f * light});
    }
    return im;
}

static ContentImage roost_sprite() {
    ContentImage im = clear_rgba(64, 64);
    std::mt19937 rng(33);
    auto u = [&] { return float(rng() >> 8) / 16777216.0f; };
    for (int i = 0; i < 14; i++) {
        float a = u() * 2 * PI_F, r = u() * 12;
        float light = 0.75f + 0.25f * u();
        draw_disc(&im, 32 + std::cos(a) * r, 32 + std::sin(a) * r, 5 + u() * 7, {0.92f * light, 0.86f * light, 0.80f * light}, 0.9f);
    }
    return im;
}

static ContentImage flare_glow() {
    ContentImage im = clear_rgba(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            float r = std::hypot(float(x) - 31.5f, float(y) - 31.5f) / 32;
            uint8_t* p = image_at(im, x, y);
            p[0] = p[1] = p[2] = 255;
            p[3] = uint8_t(std::lround(255 * std::pow(std::max(0.0f, 1 - r), 2.5f)));
        }
    return im;
}

static ContentImage flare_ring() {
    ContentImage im = clear_rgba(64, 64);
    draw_ring(&im, 32, 32, 26, 4, {1, 1, 1}, 0.7f);
    draw_ring(&im, 32, 32, 26, 9, {1, 1, 1}, 0.25f);
    return im;
}

static ContentImage flare_disc() {
    ContentImage im = clear_rgba(64, 64);
    draw_disc(&im, 32, 32, 28, {1, 1, 1}, 0.45f);
    return im;
}

void add_nature_sprites(ContentFiles* files) {
    content_add(files, "objects/tree-pine.png", png_encode(pine_sprite()));
    content_add(files, "objects/tree-oak.png", png_encode(oak_sprite()));
    content_add(files, "objects/bush.png", png_encode(bush_sprite()));
    content_add(files, "roost.png", png_encode(roost_sprite()));
    content_add(files, "flare/glow.png", png_encode(flare_glow()));
    content_add(files, "flare/ring.png", png_encode(flare_ring()));
    content_add(files, "flare/disc.png", png_encode(flare_disc()));
    content_add(files, "colors/white.png", png_encode(image_make(8, 8, 3, 255)));
    // Decals: image columns run along the decal's length.
    ContentImage pad = image_make(512, 64, 4, 0);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 512; x++) {
            float n = fbm_noise(float(x) / 16, float(y) / 16, 55, 3);
            uint8_t* p = image_at(pad, x, y);
            uint8_t v = uint8_t(150 + 50 * n);
            p[0] = v, p[1] = v, p[2] = uint8_t(v - 6);
            p[3] = uint8_t(230 * smoothstep(0, 4, float(std::min({x, y, 511 - x, 63 - y}))));
        }
    content_add(files, "decals/startpad.png", png_encode(pad));
    ContentImage finish = image_make(256, 16, 4, 255);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 256; x++) {
            bool white = ((x / 8) + (y / 8)) % 2 == 0;
            uint8_t* p = image_at(finish, x, y);
            p[0] = p[1] = p[2] = white ? 240 : 20;
        }
    content_add(files, "decals/finish.png", png_encode(finish));
    ContentImage ruts = clear_rgba(256, 64);
    for (int line = 0; line < 2; line++) {
        float y = 20 + float(line) * 24;
        for (int x = 0; x < 256; x += 2)
            draw_disc(&ruts, float(x), y + 3 * std::sin(float(x) * 0.03f + float(line)), 4, {0.18f, 0.13f, 0.09f},
                      0.35f * smoothstep(0, 40, float(std::min(x, 255 - x))));
    }
    content_add(files, "decals/ruts.png", png_encode(ruts));
}
