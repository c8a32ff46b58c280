#include "tools/content/track_files.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "tools/content/draw.h"
#include "tools/content/image.h"

// Uniform in [0, 1) from MT19937's 32-bit output, the same on every library
// (the standard distributions are not).
static float uniform(std::mt19937& rng) { return float(rng() >> 8) * (1.0f / 16777216.0f); }

static float heading_angle(const CourseSample& c) { return std::atan2(-c.tx, -c.tz); }

// Sample at arc length s of the course.
static const CourseSample& at(const Track& t, float s) { return t.course.samples[course_index(t.course, s)]; }

static void point(const Track& t, float s, float d, float* x, float* z) { course_point(t.course, s, d, x, z); }

TrackTiming track_timing(const Track& t) {
    const Course& c = t.course;
    TrackTiming timing;
    int slots = t.design->gate_slots;
    const CourseSample& gate = at(t, -3);
    float spread = std::min(3.0f, (gate.width - 8) / float(slots));
    for (int j = 0; j < slots; j++) {
        TrackSlot slot;
        float d = (float(j) - float(slots - 1) * 0.5f) * spread;
        point(t, -3, d, &slot.x, &slot.z);
        slot.y = track_height(t, slot.x, slot.z);
        slot.angle = heading_angle(gate);
        timing.slots.push_back(slot);
    }
    // Checkpoints at equal spacing from the finish line round the lap.
    int count = std::max(4, int(std::lround(c.length / t.design->checkpoint_spacing)));
    float spacing = c.length / float(count);
    for (int g = 0; g < count; g++) {
        float s = std::fmod(c.finish_s + float(g) * spacing, c.length);
        const CourseSample& cs = at(t, s);
        TrackCheckpoint cp;
        cp.s = s;
        cp.radius = cs.width * 0.5f + 8;
        cp.x = cs.x;
        cp.z = cs.z;
        cp.y = track_height(t, cs.x, cs.z);
        cp.dx = cs.tx;
        cp.dz = cs.tz;
        timing.checkpoints.push_back(cp);
    }
    // Normal lap: every gate after the finish line, ending on it. First lap:
    // the gates between the start (clear of the gate pad) and the finish line.
    for (int g = 1; g < count; g++) timing.normal_lap.push_back(g);
    timing.normal_lap.push_back(0);
    const float clear_of_gate = 20;
    for (int g = 1; g < count; g++) {
        float s = timing.checkpoints[g].s;
        if (s > clear_of_gate && s < c.finish_s) timing.first_lap.push_back(g);
    }
    std::sort(timing.first_lap.begin(), timing.first_lap.end(),
              [&](int a, int b) { return timing.checkpoints[a].s < timing.checkpoints[b].s; });
    timing.first_lap.push_back(0);
    return timing;
}

static std::string timing_gates_text(const TrackTiming& timing) {
    std::string out = "startinggate:\n";
    for (const TrackSlot& s : timing.slots) out += text_printf("[%f %f %f] %f\n", s.x, s.y, s.z, s.angle);
    out += "checkpoints:\n";
    for (const TrackCheckpoint& c : timing.checkpoints)
        out += text_printf("%f [%f %f %f] [%f %f %f]\n", c.radius, c.x, c.y, c.z, c.dx, 0.0, c.dz);
    out += "firstlap:\n";
    for (int g : timing.first_lap) out += text_printf("%d ", g);
    out += "\nnormallap:\n";
    for (int g : timing.normal_lap) out += text_printf("%d ", g);
    out += "\n";
    return out;
}

static const char* const TRANSITION_MASKS[] = {"0001", "0010", "0011", "0100", "0101", "0110", "0111",
                                               "1000", "1001", "1010", "1011", "1100", "1101", "1110"};

static std::string tileinfo_text() {
    // Friction points are (coefficient, slip speed in ft/s): grip builds to a
    // peak at a few ft/s of slip and falls away as the tire slides.
    std::string dirt_like =
        "erode_limit 0 1 1\n"
        "erode_limit 0.5 0.6 0.7\n"
        "erode_limit 1.25 0 0.2\n";
    std::string out;
    out += "name hard-pack dirt\ntexture @ground/dirt.png\n"
           "friction 0.85 1\nfriction 1.05 4\nfriction 0.95 10\nfriction 0.8 25\nfriction 0.7 60\n"
           "slip_function 0\n"
           "roll_resist 4 12 1\nroll_resist 5 15 60\n"
           "roost count=6 size=0.2 grow=3 r=170 g=140 b=105 fade_a=-300\n"
           "erode_depth 0.4\nerode_inner_depth 0.06\n" + dirt_like + "addtile\n\n";
    out += "name loam\ntexture @ground/loam.png\n"
           "friction 0.9 1.5\nfriction 1.15 5\nfriction 1.05 12\nfriction 0.9 30\nfriction 0.8 60\n"
           "slip_function 0\n"
           "roll_resist 6 18 1\nroll_resist 8 24 60\n"
           "roost count=12 size=0.25 r=120 g=90 b=65\n"
           "roost count=3 size=0.6 grow=1 vscale=0.8 r=95 g=70 b=50 fade_a=-128\n"
           "erode_depth 1\nerode_inner_depth 0.125\n" + dirt_like + "addtile\n\n";
    out += "name sand\ntexture @ground/sand.png\n"
           "friction 0.6 2\nfriction 0.8 8\nfriction 0.75 20\nfriction 0.65 50\n"
           "slip_function 0\n"
           "roll_resist 15 45 1\nroll_resist 20 60 60\n"
           "roost count=20 size=0.3 grow=5 drag=0.8 r=225 g=200 b=150 fade_a=-200\n"
           "erode_depth 1.5\nerode_radius 5\nerode_displacement 3\nerode_inner_depth 0.2\n"
           "erode_limit 0 1 1\nerode_limit 1 0.7 0.8\nerode_limit 2 0 0.2\n"
           "addtile\n\n";
    out += "name grass\ntexture @ground/grass.png\n"
           "friction 0.7 1\nfriction 0.8 3\nfriction 0.6 10\nfriction 0.5 30\n"
           "slip_function 0\n"
           "roll_resist 5 15 1\nroll_resist 6 18 60\n"
           "roost count=4 size=0.2 r=80 g=120 b=50\n"
           "erode_depth 0.3\nerode_inner_depth 0.04\n"
           "erode_limit 0 1 1\nerode_limit 0.3 0.3 0.3\nerode_limit 0.6 0 0\n"
           "addtile\n\n";
    out += "name water\ntexture @ground/water.png\n"
           "friction 0.45 1\nfriction 0.55 4\nfriction 0.4 15\n"
           "slip_function 0\n"
           "roll_resist 30 80 1\nroll_resist 45 120 60\n"
           "roost splash=1 count=14 size=0.35 grow=6 drag=0.6 slip_threshold=0 r=200 g=210 b=220 a=190 fade_a=-300\n"
           "erode_depth 0\nerode_inner_depth 0\n"
           "addtile\n\n";
    for (const char* mask : TRANSITION_MASKS) {
        out += text_printf("name dirt-grass-%s\ntexture @ground/dirt-grass-%s.png\n", mask, mask);
        out += "friction 0.8 1\nfriction 0.95 4\nfriction 0.8 12\nfriction 0.65 40\n"
               "roll_resist 5 15 1\nroll_resist 6 18 60\n"
               "roost count=5 size=0.2 r=130 g=115 b=75\n"
               "erode_depth 0.35\nerode_inner_depth 0.05\n" + dirt_like + "addtile\n";
    }
    return out;
}

static std::string lighting_text(const TerrainLighting& l) {
    std::string out;
    out += text_printf("sun_vector [ %f %f %f ]\n", l.sun[0], l.sun[1], l.sun[2]);
    out += text_printf("sun_color [ %f %f %f ]\n", l.diffuse[0], l.diffuse[1], l.diffuse[2]);
    out += text_printf("ambient [ %f %f %f ]\n", l.ambient[0], l.ambient[1], l.ambient[2]);
    out += "global_ambient [ 0.25 0.25 0.28 ]\n"
           "sky_n @sky-n.ppm\nsky_e @sky-e.ppm\nsky_s @sky-s.ppm\nsky_w @sky-w.ppm\n"
           "sky_u @sky-u.ppm\nsky_env @sky-env.ppm\n"
           "fog [ 0.74 0.80 0.88 ] 0.00028\n"
           "near_plane 0.25\nfar_plane 6000\n"
           "dynamic_lighting 0\n";
    // One lens flare in the sun's direction: a glow on the sun, rings and
    // discs along the line through the middle of the screen.
    out += "flare_element [ 1 0 ] [ 1 0.95 0.8 ] 0.35 @flare/glow.png\n"
           "flare_element [ 0.6 0 ] [ 0.5 0.6 0.9 ] 0.08 @flare/disc.png\n"
           "flare_element [ 0.2 0 ] [ 0.6 0.9 0.6 ] 0.05 @flare/ring.png\n"
           "flare_element [ -0.3 0 ] [ 0.9 0.6 0.4 ] 0.12 @flare/ring.png\n"
           "flare_element [ -0.7 0 ] [ 0.5 0.5 1 ] 0.06 @flare/disc.png\n";
    out += text_printf("flare_vector [ %f %f %f ]\n", l.sun[0], l.sun[1], l.sun[2]);
    return out;
}

// Distance from vertex (x, z) to the course edge, large far away.
static float off_course(const Track& t, float x, float z) {
    int i = std::clamp(int(std::lround(x / t.spacing)), 0, t.dim - 1);
    int k = std::clamp(int(std::lround(z / t.spacing)), 0, t.dim - 1);
    size_t v = size_t(k) * t.dim + i;
    int s = t.near_sample[v];
    if (s < 0) return 1e9f;
    return std::fabs(t.lateral[v]) - t.course.samples[s].width * 0.5f;
}

std::vector<TrackTree> track_trees(const Track& t) {
    std::mt19937 rng(t.design->seed ^ 0x7EE5u);
    std::vector<TrackTree> trees;
    for (int attempt = 0; int(trees.size()) < t.design->trees && attempt < t.design->trees * 20; attempt++) {
        float margin = t.size * 0.02f;
        float x = margin + uniform(rng) * (t.size - 2 * margin);
        float z = margin + uniform(rng) * (t.size - 2 * margin);
        float kind_roll = uniform(rng), scale = 0.7f + 0.6f * uniform(rng), tint_roll = uniform(rng);
        if (off_course(t, x, z) < 45) continue;
        // Woods gather in clumps: keep a tree where a slow wave pattern is high.
        float clump = std::sin(x * 0.006f + 1.3f) * std::sin(z * 0.0045f + 0.4f) + 0.55f * std::sin(x * 0.017f - z * 0.011f);
        if (clump < 0.15f) continue;
        trees.push_back({x, z, kind_roll < 0.45f ? 0 : kind_roll < 0.85f ? 1 : 2, scale, int(tint_roll * 4) & 3});
    }
    return trees;
}

static std::string billboards_text(const Track& t) {
    std::string out;
    static const char* const kinds[] = {"@objects/tree-pine.png", "@objects/tree-oak.png", "@objects/bush.png"};
    static const float sizes[] = {38, 30, 6};
    static const float aspects[] = {0.5f, 1.0f, 2.0f};  // the sprites' width / height
    static const char* const tints[] = {"", "#e0ecd0#", "#f4f0c8#", "#c8dcc0#"};
    for (const TrackTree& tree : track_trees(t))
        out += text_printf("[%f %f %f] %f %f %s%s\n", tree.x, -0.3, tree.z, sizes[tree.kind] * tree.scale,
                           aspects[tree.kind], tints[tree.tint], kinds[tree.kind]);
    // Banners along the start straight, outside the pad.
    for (float s = 10; s < 240; s += 45) {
        for (int side = -1; side <= 1; side += 2) {
            const CourseSample& c = at(t, s);
            float x, z;
            point(t, s, float(side) * (c.width * 0.5f + 6), &x, &z);
            out += text_printf("[%f %f %f] %f %f %s\n", x, 0.5, z, 3.0, 4.0, "@objects/banner.png");
        }
    }
    return out;
}

// Hay bales and tuff blocks on the inside of every sharp turn, at its apex.
static std::string statues_text(const Track& t) {
    const Course& c = t.course;
    int n = int(c.samples.size());
    std::string out;
    int turn = 0;
    for (int i = 0; i < n; i++) {
        float k = std::fabs(c.samples[i].curvature);
        if (k < 1.0f / 150) continue;
        bool apex = true;
        for (int j = -60; j <= 60 && apex; j++)
            if (std::fabs(c.samples[(i + j + n) % n].curvature) > k) apex = false;
        if (!apex || c.samples[i].width > t.design->course.width + 1) continue;
        const CourseSample& cs = c.samples[i];
        float side = cs.curvature > 0 ? 1.0f : -1.0f;  // inside of the turn
        bool bales = (turn++ % 2) == 0;
        for (int b = -2; b <= 2; b++) {
            float s = float(i) * c.step + float(b) * (bales ? 5.0f : 3.5f);
            float x, z;
            point(t, s, side * (cs.width * 0.5f + 2.5f), &x, &z);
            float angle = heading_angle(at(t, s));
            if (bales)
                out += text_printf("[%f %f %f] %f %s %s %s\n", x, 0.0, z, angle,
                                   "@objects/haybale.jm", "@objects/haybale.ppm", "@objects/haybale.shp");
            else
                out += text_printf("[%f %f %f] %f %s %s %s\n", x, 0.0, z, angle,
                                   "@objects/tuffblock.jm", "@objects/tuffblock.ppm", "@objects/tuffblock.shp");
        }
    }
    return out;
}

// Nearest checkpoint at or before arc length s.
static int gate_before(const TrackTiming& timing, const Course& c, float s) {
    int best = 0;
    float best_gap = 1e30f;
    for (size_t g = 0; g < timing.checkpoints.size(); g++) {
        float gap = std::fmod(s - timing.checkpoints[g].s + 2 * c.length, c.length);
        if (gap < best_gap) best_gap = gap, best = int(g);
    }
    return best;
}

static std::string flaggers_text(const Track& t, const TrackTiming& timing) {
    const Course& c = t.course;
    std::string out;
    // The starter stands before the middle of the gate, then walks off the pad.
    const CourseSample& pad = at(t, 12);
    float x0, z0, x1, z1;
    point(t, 12, 0, &x0, &z0);
    point(t, 12, pad.width * 0.5f + 6, &x1, &z1);
    out += text_printf("[%f %f %f] [%f %f %f] %f %f %f\n", x0, 0.0, z0, x1, 0.0, z1, 6.0, 0.5, 4.0);
    out += "@flaggers/starter-1.png @flaggers/starter-2.png @flaggers/starter-3.png "
           "@flaggers/starter-4.png @flaggers/starter-5.png\n";
    // The lap board beside the finish line.
    const CourseSample& fin = at(t, c.finish_s);
    float bx, bz;
    point(t, c.finish_s, -(fin.width * 0.5f + 8), &bx, &bz);
    out += text_printf("[%f %f %f] %f %f\n", bx, 0.0, bz, 6.5, 0.5);
    out += "@flaggers/lapboard-1.png @flaggers/lapboard-2.png @flaggers/lapboard-3.png @flaggers/lapboard-4.png\n";
    // A course flagger at the landing of every jump, watching the gates around it.
    int side = 1;
    for (const CourseFeature& f : t.design->course.features) {
        if (!course_feature_is_jump(f) || f.kind == FEATURE_WATER) continue;
        float s = f.start_s + 40;
        const CourseSample& cs = at(t, s);
        float x, z;
        point(t, s, float(side) * (cs.width * 0.5f + 7), &x, &z);
        side = -side;
        int g = gate_before(timing, c, s);
        int count = int(timing.checkpoints.size());
        int next = (g + 1) % count, prev = (g + count - 1) % count;
        out += text_printf("[%f %f %f] %f %f %d %d %d %d\n", x, 0.0, z, 6.0, 0.5, prev, g, next, g);
        out += "@flaggers/flagger-1.png @flaggers/flagger-2.png\n";
    }
    return out;
}

static std::string cameras_text(const Track& t, const TrackTiming& timing) {
    std::string out = "# Television cameras: each \"gate\" line names the checkpoints shown by the next camera.\n";
    int count = int(timing.checkpoints.size());
    int side = 1;
    for (int g = 0; g < count; g += 3) {
        const TrackCheckpoint& cp = timing.checkpoints[(g + 1) % count];
        const CourseSample& cs = at(t, cp.s);
        float x, z;
        point(t, cp.s, float(side) * (cs.width * 0.5f + 30), &x, &z);
        side = -side;
        out += "gate";
        for (int k = g; k < std::min(g + 3, count); k++) out += text_printf(" %d", k);
        out += "\n";
        out += text_printf("fov %d\nautofovsize %d\naddcamera %f %f %f\n", 60, 40, x, 14.0, z);
    }
    return out;
}

std::vector<TrackDecal> track_decals(const Track& t) {
    const Course& c = t.course;
    std::vector<TrackDecal> out;
    auto across = [&](float s, float size, float length, const char* texture) {
        const CourseSample& cs = at(t, s);
        // The decal's length runs along (cos a, -sin a): across the course.
        out.push_back({cs.x, cs.z, std::atan2(cs.tx, cs.tz), size, length / size, texture});
    };
    across(-9, 12, at(t, -9).width - 6, "@decals/startpad.png");
    across(c.finish_s, 3, at(t, c.finish_s).width, "@decals/finish.png");
    // Worn lines through the first turn, lengthwise.
    const CourseFeature* berm = nullptr;
    for (const CourseFeature& f : t.design->course.features)
        if (f.kind == FEATURE_BERM && !berm) berm = &f;
    for (int i = 0; berm && i < 3; i++) {
        const CourseSample& cs = at(t, berm->start_s + 30 + float(i) * 50);
        out.push_back({cs.x, cs.z, std::atan2(-cs.tz, cs.tx), 8, 4, "@decals/ruts.png"});
    }
    return out;
}

ContentFiles track_files(const Track& t) {
    ContentFiles files;
    TerrainLighting light = track_light();
    content_add(&files, "desc", std::string(t.design->description) + "\n");
    content_add(&files, "shadows.pgm", pgm_encode(track_shadows_image(t)));
    content_add(&files, "tileinfo", tileinfo_text());
    content_add(&files, "lighting", lighting_text(light));
    TrackTiming timing = track_timing(t);
    content_add(&files, "timing_gates", timing_gates_text(timing));
    content_add(&files, "billboards", billboards_text(t));
    content_add(&files, "statues", statues_text(t));
    content_add(&files, "flaggers", flaggers_text(t, timing));
    content_add(&files, "cameras", cameras_text(t, timing));
    content_add(&files, "map.png", png_encode(track_map_with_objects(t, 0, 0, t.size, t.size, 512, 512)));
    return files;
}

ContentImage track_map_with_objects(const Track& t, float x0, float z0, float x1, float z1, int width, int height) {
    ContentImage im = track_map_region(t, x0, z0, x1, z1, width, height);
    float sx = float(width) / (x1 - x0), sz = float(height) / (z1 - z0);
    for (const TrackTree& tree : track_trees(t)) {
        float r = std::max(1.2f, (tree.kind == 2 ? 4.0f : 9.0f) * tree.scale * sx);
        draw_disc(&im, (tree.x - x0) * sx, (tree.z - z0) * sz, r, {0.12f, 0.26f, 0.10f}, 0.85f);
    }
    auto line_across = [&](float s, Rgb colour) {
        const CourseSample& cs = at(t, s);
        float half = cs.width * 0.5f + 4;
        float ax = cs.x + cs.tz * half, az = cs.z - cs.tx * half, bx = cs.x - cs.tz * half, bz = cs.z + cs.tx * half;
        draw_line(&im, (ax - x0) * sx, (az - z0) * sz, (bx - x0) * sx, (bz - z0) * sz, std::max(2.0f, 3 * sx), colour);
    };
    line_across(0, {0.95f, 0.95f, 0.95f});
    line_across(t.course.finish_s, {0.1f, 0.1f, 0.1f});
    return im;
}
