// The two generated tracks. Control points are in riding order; features are
// placed by arc length from the start gate (s = 0).
#include "tools/content/track.h"

const TrackDesign& rabbithill_design() {
    static const TrackDesign design = [] {
        TrackDesign d{};
        d.folder = "rabbithill";
        d.description = "Rabbit Hill";
        d.grid_exponent = 10;
        d.spacing = 2;
        d.seed = 20261211;
        d.land_scale = 900;
        d.land_height = 40;
        d.hills = {{3100, 1150, 380, 70}, {900, 3000, 420, 45}, {2050, 1350, 260, 18}};
        CourseParams& c = d.course;
        c.control = {1300, 2450, 1600, 2455, 1900, 2450, 2030, 2445, 2090, 2400, 2080, 2330,
                     2020, 2300, 1850, 2300, 1680, 2290, 1600, 2250, 1590, 2170, 1640, 2120,
                     1800, 2090, 1980, 2120, 2150, 2200, 2300, 2250, 2480, 2250, 2590, 2200,
                     2620, 2100, 2600, 1940, 2640, 1820, 2600, 1720, 2480, 1690, 2300, 1760,
                     2150, 1800, 2020, 1760, 1950, 1650, 1850, 1580, 1700, 1600, 1560, 1700,
                     1420, 1700, 1320, 1780, 1280, 1950, 1300, 2100, 1250, 2250, 1230, 2380};
        for (size_t i = 0; i < c.control.size(); i += 2) {  // stretch the lap to about a mile
            c.control[i] = 1950 + (c.control[i] - 1950) * 1.06f;
            c.control[i + 1] = 2000 + (c.control[i + 1] - 2000) * 1.06f;
        }
        c.start_x = 1550;
        c.start_z = 2440;
        c.width = 26;
        c.start_width = 130;
        c.start_pad_before = 40;
        c.start_pad_after = 120;
        c.start_taper = 200;
        c.bank_per_curvature = 14;
        c.max_bank = 0.3f;
        c.features = {
            // kind, name, start, height (bank for turns), a, b, c, count
            {FEATURE_BERM, "first-turn berm", 470, 0.55f, 210, 40, 0, 0},
            {FEATURE_TABLETOP, "tabletop", 760, 6, 16, 45, 28, 0},
            {FEATURE_DOUBLE, "double", 900, 5, 13, 22, 26, 0},
            {FEATURE_STEP_UP, "step-up", 1360, 6, 16, 70, 70, 0},
            {FEATURE_ROLLERS, "rhythm section", 1580, 3, 32, 0, 0, 6},
            {FEATURE_WHOOPS, "whoops", 1830, 1.6f, 13, 0, 0, 12},
            {FEATURE_WATER, "water crossing", 2060, 1.2f, 50, 0, 0, 0},
            {FEATURE_OFF_CAMBER, "off-camber turn", 2240, 0.12f, 150, 30, 0, 0},
            {FEATURE_SAND, "sand section", 2420, 0, 220, 0, 0, 0},
            {FEATURE_TABLETOP, "tabletop", 3010, 5, 14, 40, 24, 0},
            {FEATURE_DOUBLE, "double", 3850, 4.5f, 12, 24, 26, 0},
            {FEATURE_TABLETOP, "finish-line jump", 4500, 4, 12, 40, 24, 0},
        };
        c.finish_before_gate = 766;  // the finish line crosses the finish-line jump's top
        d.trees = 900;
        d.gate_slots = 40;
        d.checkpoint_spacing = 175;
        return d;
    }();
    return design;
}

const TrackDesign& compact_design() {
    static const TrackDesign design = [] {
        TrackDesign d{};
        d.folder = "backyard";
        d.description = "Backyard";
        d.grid_exponent = 8;
        d.spacing = 2;
        d.seed = 7;
        d.land_scale = 400;
        d.land_height = 14;
        d.hills = {{820, 220, 160, 25}};
        CourseParams& c = d.course;
        c.control = {260, 700, 480, 730, 700, 680, 780, 500, 660, 330, 470, 400, 330, 300, 230, 470};
        c.start_x = 350;
        c.start_z = 710;
        c.width = 24;
        c.start_width = 64;
        c.start_pad_before = 20;
        c.start_pad_after = 60;
        c.start_taper = 100;
        c.bank_per_curvature = 12;
        c.max_bank = 0.3f;
        c.features = {
            {FEATURE_WHOOPS, "whoops", 180, 1.4f, 13, 0, 0, 9},
            {FEATURE_ROLLERS, "rhythm section", 400, 2.5f, 30, 0, 0, 4},
            {FEATURE_BERM, "berm", 600, 0.5f, 140, 30, 0, 0},
            {FEATURE_TABLETOP, "tabletop", 760, 5, 14, 30, 22, 0},
            {FEATURE_SAND, "sand turn", 980, 0, 150, 0, 0, 0},
            {FEATURE_TABLETOP, "finish-line jump", 1130, 3, 10, 30, 18, 0},
        };
        c.finish_before_gate = 282;
        d.trees = 120;
        d.gate_slots = 20;
        d.checkpoint_spacing = 160;
        return d;
    }();
    return design;
}
