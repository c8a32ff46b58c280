#include "tools/content/bike_textures.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "base/num.h"
#include "tools/content/bike_atlas.h"
#include "tools/content/draw.h"
#include "tools/content/image.h"
#include "tools/content/noise.h"

static const int SIDE = 256;

struct Rect {
    float x0, y0, x1, y1;  // pixels
};
static Rect pixels(UvRect r) { return {r.x0 * SIDE, r.y0 * SIDE, r.x1 * SIDE, r.y1 * SIDE}; }

static void fill(ContentImage* im, UvRect r, Rgb c) {
    Rect p = pixels(r);
    draw_rect(im, p.x0, p.y0, p.x1, p.y1, c);
}

// Gentle value noise over a region so flat colours do not look like paint-by-number.
static void grain(ContentImage* im, UvRect r, uint32_t seed, float amount) {
    Rect p = pixels(r);
    for (int y = int(p.y0); y < int(p.y1); y++)
        for (int x = int(p.x0); x < int(p.x1); x++) {
            // Four levels of grain: texture enough to read as a surface, few
            // enough distinct values for the pictures to stay small.
            float n = std::floor(fbm_noise(float(x) / 6, float(y) / 6, seed, 3) * 4) / 3;
            float k = 1 + amount * (n - 0.5f);
            uint8_t* px = image_at(*im, x, y);
            for (int c = 0; c < 3; c++) px[c] = uint8_t(std::fmin(255.0f, std::fmax(0.0f, px[c] * k)));
        }
}

// Horizontal bands across a region: `count` stripes of `colour` covering `share` of it.
static void stripes(ContentImage* im, UvRect r, int count, float share, Rgb colour, bool vertical = false) {
    Rect p = pixels(r);
    for (int i = 0; i < count; i++) {
        float t0 = (float(i) + 0.5f - share / 2) / float(count), t1 = (float(i) + 0.5f + share / 2) / float(count);
        if (vertical) draw_rect(im, p.x0 + (p.x1 - p.x0) * t0, p.y0, p.x0 + (p.x1 - p.x0) * t1, p.y1, colour);
        else draw_rect(im, p.x0, p.y0 + (p.y1 - p.y0) * t0, p.x1, p.y0 + (p.y1 - p.y0) * t1, colour);
    }
}

static std::string encode(const ContentImage& im) { return png_encode(im); }

// ---- bikes ------------------------------------------------------------------

struct MakeColours {
    Rgb main, accent, frame;
};

struct MakeScheme {
    const char* letters;  // the prefix starts with these (after "rs50")
    const char* name;
    MakeColours colours;
};
static const MakeScheme SCHEMES[] = {
    {"cr", "red", {{0.86f, 0.08f, 0.07f}, {0.97f, 0.97f, 0.97f}, {0.75f, 0.76f, 0.78f}}},
    {"kx", "green", {{0.42f, 0.80f, 0.06f}, {0.08f, 0.08f, 0.08f}, {0.20f, 0.45f, 0.08f}}},
    {"rm", "yellow", {{0.97f, 0.82f, 0.05f}, {0.10f, 0.20f, 0.70f}, {0.30f, 0.32f, 0.35f}}},
    {"yz", "blue", {{0.08f, 0.22f, 0.78f}, {0.97f, 0.97f, 0.97f}, {0.10f, 0.12f, 0.40f}}},
    {"fc", "white", {{0.94f, 0.94f, 0.94f}, {0.05f, 0.18f, 0.55f}, {0.10f, 0.15f, 0.45f}}},
    {"", "orange", {{1.00f, 0.42f, 0.00f}, {0.06f, 0.06f, 0.06f}, {0.95f, 0.40f, 0.02f}}},  // the "sx" bikes
};

static const MakeScheme& make_scheme(const char* prefix) {
    const char* p = strncmp(prefix, "rs50", 4) == 0 ? prefix + 4 : prefix;
    for (const MakeScheme& s : SCHEMES)
        if (strncmp(p, s.letters, strlen(s.letters)) == 0) return s;
    return SCHEMES[0];
}

const char* bike_colour_scheme(const char* prefix) { return make_scheme(prefix).name; }
static MakeColours make_colours(const char* prefix) { return make_scheme(prefix).colours; }

std::string bike_texture_png(const char* prefix, int variant) {
    MakeColours c = make_colours(prefix);
    if (variant == 1) c = {c.accent.r + c.accent.g + c.accent.b > 1.5f ? Rgb{0.1f, 0.1f, 0.1f} : c.accent, c.main, c.frame};
    if (variant == 2) c = {{0.95f, 0.95f, 0.95f}, c.main, {0.2f, 0.2f, 0.22f}};
    ContentImage im = image_make(SIDE, SIDE, 3);
    uint32_t seed = 1000 + uint32_t(variant);

    fill(&im, BIKE_PLASTIC, c.main);
    Rect p = pixels(BIKE_PLASTIC);
    // Graphics: a sweeping wedge and a band, in the accent colour.
    draw_triangle(&im, p.x0, p.y1, p.x1, p.y0 + (p.y1 - p.y0) * 0.55f, p.x1, p.y1, c.accent);
    draw_rect(&im, p.x0, p.y0 + 20, p.x1, p.y0 + 30, c.accent);
    draw_rect(&im, p.x0, p.y0 + 34, p.x1, p.y0 + 38, {0.1f, 0.1f, 0.1f});
    grain(&im, BIKE_PLASTIC, seed, 0.06f);

    fill(&im, BIKE_FRAME, c.frame);
    grain(&im, BIKE_FRAME, seed + 1, 0.15f);
    fill(&im, BIKE_ENGINE, {0.32f, 0.33f, 0.35f});
    stripes(&im, BIKE_ENGINE, 8, 0.35f, {0.18f, 0.18f, 0.2f});  // cooling fins
    grain(&im, BIKE_ENGINE, seed + 2, 0.2f);
    fill(&im, BIKE_SEAT, {0.07f, 0.07f, 0.08f});
    stripes(&im, BIKE_SEAT, 1, 0.2f, c.main);
    grain(&im, BIKE_SEAT, seed + 3, 0.5f);
    fill(&im, BIKE_BLACK, {0.09f, 0.09f, 0.1f});
    grain(&im, BIKE_BLACK, seed + 4, 0.3f);
    fill(&im, BIKE_FORK_TUBE, {0.85f, 0.68f, 0.25f});  // anodised gold
    stripes(&im, BIKE_FORK_TUBE, 1, 0.3f, {0.98f, 0.9f, 0.6f}, true);
    fill(&im, BIKE_SLIDER, {0.16f, 0.16f, 0.17f});
    stripes(&im, BIKE_SLIDER, 2, 0.2f, c.main);
    fill(&im, BIKE_SPRING, c.main);
    stripes(&im, BIKE_SPRING, 10, 0.4f, {c.main.r * 0.4f, c.main.g * 0.4f, c.main.b * 0.4f});
    fill(&im, BIKE_EXHAUST, {0.72f, 0.73f, 0.75f});
    stripes(&im, BIKE_EXHAUST, 1, 0.25f, {0.55f, 0.45f, 0.35f}, true);  // heat tint
    grain(&im, BIKE_EXHAUST, seed + 5, 0.1f);
    fill(&im, BIKE_PLAIN, c.main);
    grain(&im, BIKE_PLAIN, seed + 6, 0.05f);
    fill(&im, BIKE_WHITE, c.accent);
    grain(&im, BIKE_WHITE, seed + 7, 0.05f);
    fill(&im, BIKE_METAL, {0.25f, 0.25f, 0.27f});
    stripes(&im, BIKE_METAL, 12, 0.5f, {0.45f, 0.45f, 0.47f}, true);
    return encode(im);
}

// ---- wheels -----------------------------------------------------------------

// Centres of the tread knobs (pixels) and their half size.
static std::vector<std::pair<float, float>> knob_centres() {
    std::vector<std::pair<float, float>> knobs;
    Rect t = pixels(WHEEL_TREAD);
    float height = t.y1 - t.y0;
    for (int k = 0; k < 16; k++) {
        float x = t.x0 + (t.x1 - t.x0) * (float(k) + 0.5f) / 16;
        float stagger = (k % 2) ? 0.06f : 0.0f;
        for (float v : {0.0f + stagger, 1.0f - stagger, 0.13f - stagger, 0.87f + stagger}) knobs.push_back({x, t.y0 + height * v});
    }
    return knobs;
}
static const float KNOB_HALF = 5;

std::string wheel_normal_png() {
    // Height 1 on the knobs with a one-pixel bevel; normals from its slope,
    // stored as tangent-space vectors (x, y, z) * 0.5 + 0.5.
    ContentImage height = image_make(SIDE, SIDE, 1);
    for (auto [cx, cy] : knob_centres()) draw_rect(&height, cx - KNOB_HALF, cy - KNOB_HALF, cx + KNOB_HALF, cy + KNOB_HALF, {1, 1, 1});
    ContentImage im = image_make(SIDE, SIDE, 3);
    for (int y = 0; y < SIDE; y++)
        for (int x = 0; x < SIDE; x++) {
            auto h = [&](int px, int py) {
                px = std::min(std::max(px, 0), SIDE - 1), py = std::min(std::max(py, 0), SIDE - 1);
                return float(image_at(height, px, py)[0]) / 255;
            };
            float dx = (h(x + 1, y) - h(x - 1, y)) * 1.5f, dy = (h(x, y - 1) - h(x, y + 1)) * 1.5f;
            float n[3] = {-dx, -dy, 1}, l = std::sqrt(n[0] * n[0] + n[1] * n[1] + 1);
            uint8_t* p = image_at(im, x, y);
            for (int c = 0; c < 3; c++) p[c] = uint8_t(std::lround((n[c] / l * 0.5f + 0.5f) * 255));
        }
    return encode(im);
}

std::string wheel_texture_png(int variant) {
    static const Rgb RIMS[3] = {{0.12f, 0.12f, 0.13f}, {0.85f, 0.68f, 0.25f}, {0.15f, 0.3f, 0.75f}};
    Rgb rim = RIMS[variant % 3];
    ContentImage im = image_make(SIDE, SIDE, 4);
    // Tread: v = 0 and 1 are the middle of the tread, 0.5 the rim seat.
    Rect t = pixels(WHEEL_TREAD);
    draw_rect(&im, t.x0, t.y0, t.x1, t.y1, {0.1f, 0.1f, 0.1f});
    float height = t.y1 - t.y0;
    for (auto [x, y] : knob_centres()) {
        draw_rect(&im, x - KNOB_HALF, y - KNOB_HALF, x + KNOB_HALF, y + KNOB_HALF, {0.2f, 0.2f, 0.2f});
        draw_rect(&im, x - 4, y - 4, x + 3, y + 3, {0.26f, 0.26f, 0.26f});
    }
    draw_rect(&im, t.x0, t.y0 + height * 0.28f, t.x1, t.y0 + height * 0.31f, {0.45f, 0.45f, 0.45f});  // sidewall lettering band
    draw_rect(&im, t.x0, t.y0 + height * 0.69f, t.x1, t.y0 + height * 0.72f, {0.45f, 0.45f, 0.45f});

    // Side view of rim, 36 spokes and hub; clear between the spokes.
    Rect s = pixels(WHEEL_SPOKES);
    float cx = (s.x0 + s.x1) / 2, cy = (s.y0 + s.y1) / 2, r = (s.x1 - s.x0) / 2;
    draw_ring(&im, cx, cy, r * 0.94f, r * 0.12f, rim);
    for (int k = 0; k < 36; k++) {
        float a = 2 * PI_F * float(k) / 36, b = a + (k % 2 ? 0.35f : -0.35f);
        draw_line(&im, cx + std::cos(b) * r * 0.16f, cy + std::sin(b) * r * 0.16f, cx + std::cos(a) * r * 0.88f,
                  cy + std::sin(a) * r * 0.88f, 1.3f, {0.78f, 0.78f, 0.8f});
    }
    draw_disc(&im, cx, cy, r * 0.2f, {0.7f, 0.7f, 0.72f});
    draw_disc(&im, cx, cy, r * 0.07f, {0.3f, 0.3f, 0.32f});
    fill(&im, WHEEL_RIM, rim);
    fill(&im, WHEEL_HUB, {0.72f, 0.72f, 0.74f});
    Rect d = pixels(WHEEL_ROTOR);
    draw_rect(&im, d.x0, d.y0, d.x1, d.y1, {0.6f, 0.6f, 0.62f});
    for (int k = 0; k < 10; k++) draw_disc(&im, d.x0 + 12 + 24 * float(k), (d.y0 + d.y1) / 2, 5, {0.35f, 0.35f, 0.37f});
    return encode(im);
}

// ---- rider gear and helmet --------------------------------------------------

struct GearColours {
    Rgb jersey, stripe, pants, boots;
};
static const GearColours GEAR[4] = {
    {{0.9f, 0.9f, 0.92f}, {0.1f, 0.3f, 0.8f}, {0.15f, 0.15f, 0.2f}, {0.95f, 0.95f, 0.95f}},
    {{0.85f, 0.1f, 0.1f}, {0.1f, 0.1f, 0.1f}, {0.85f, 0.85f, 0.85f}, {0.1f, 0.1f, 0.1f}},
    {{0.1f, 0.55f, 0.2f}, {0.95f, 0.85f, 0.1f}, {0.1f, 0.1f, 0.1f}, {0.9f, 0.9f, 0.9f}},
    {{1.0f, 0.5f, 0.05f}, {0.2f, 0.2f, 0.25f}, {0.25f, 0.25f, 0.3f}, {0.2f, 0.2f, 0.2f}},
};

std::string rider_body_texture_png(int variant) {
    const GearColours& g = GEAR[variant % 4];
    ContentImage im = image_make(SIDE, SIDE, 3);
    uint32_t seed = 2000 + uint32_t(variant);
    fill(&im, RIDER_JERSEY, g.jersey);
    Rect j = pixels(RIDER_JERSEY);
    draw_rect(&im, j.x0, j.y0 + 40, j.x1, j.y0 + 56, g.stripe);
    draw_triangle(&im, j.x0, j.y1, j.x0 + 60, j.y1, j.x0, j.y1 - 70, g.stripe);
    grain(&im, RIDER_JERSEY, seed, 0.1f);
    fill(&im, RIDER_SLEEVE, g.jersey);
    stripes(&im, RIDER_SLEEVE, 2, 0.25f, g.stripe);
    grain(&im, RIDER_SLEEVE, seed + 1, 0.1f);
    fill(&im, RIDER_PANTS, g.pants);
    stripes(&im, RIDER_PANTS, 1, 0.15f, g.stripe);
    grain(&im, RIDER_PANTS, seed + 2, 0.15f);
    fill(&im, RIDER_GLOVE, g.stripe);
    grain(&im, RIDER_GLOVE, seed + 3, 0.2f);
    fill(&im, RIDER_BOOT, g.boots);
    stripes(&im, RIDER_BOOT, 3, 0.12f, {0.3f, 0.3f, 0.32f});
    fill(&im, RIDER_GUARD, {0.1f, 0.1f, 0.1f});
    fill(&im, RIDER_NECK, {0.2f, 0.2f, 0.22f});
    return encode(im);
}

std::string rider_head_texture_png(int variant) {
    static const Rgb SHELL[4][2] = {{{0.95f, 0.95f, 0.95f}, {0.1f, 0.3f, 0.8f}},
                                    {{0.1f, 0.1f, 0.1f}, {0.9f, 0.15f, 0.1f}},
                                    {{0.95f, 0.85f, 0.1f}, {0.1f, 0.1f, 0.1f}},
                                    {{0.2f, 0.6f, 0.9f}, {0.95f, 0.95f, 0.95f}}};
    const Rgb* s = SHELL[variant % 4];
    ContentImage im = image_make(SIDE, SIDE, 3);
    fill(&im, HEAD_SHELL, s[0]);
    Rect h = pixels(HEAD_SHELL);
    // u runs around the helmet (front at the middle), v from chin to crown.
    float mid = (h.x0 + h.x1) / 2;
    draw_rect(&im, mid - 10, h.y0, mid + 10, h.y1, s[1]);
    draw_rect(&im, h.x0 + 20, h.y0, h.x0 + 30, h.y1, s[1]);
    draw_rect(&im, h.x1 - 30, h.y0, h.x1 - 20, h.y1, s[1]);
    draw_rect(&im, h.x0, h.y1 - 14, h.x1, h.y1, {0.1f, 0.1f, 0.1f});  // rim trim
    grain(&im, HEAD_SHELL, 3000 + uint32_t(variant), 0.05f);
    fill(&im, HEAD_GOGGLES, {0.1f, 0.1f, 0.12f});
    Rect g = pixels(HEAD_GOGGLES);
    draw_rect(&im, g.x0 + 8, g.y0 + 8, g.x1 - 8, g.y1 - 8, {0.55f, 0.4f, 0.15f});  // tinted lens
    fill(&im, HEAD_PEAK, s[1]);
    fill(&im, HEAD_CHIN, s[0]);
    stripes(&im, HEAD_CHIN, 3, 0.2f, {0.15f, 0.15f, 0.15f}, true);  // vents
    return encode(im);
}
