#include "track/tileinfo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include <string>
#include <vector>

namespace {

struct Parsed {
    SurfaceTable table;
    std::vector<std::string> warnings;
};

Parsed parse(const std::string& text) {
    Parsed p;
    tileinfo_parse(&p.table, text.c_str(), nullptr, &p.warnings);
    return p;
}

std::vector<std::string> one(const char* warning) { return {warning}; }

}  // namespace

TEST(Tileinfo, EntriesAreCommittedByAddtile) {
    Parsed p = parse(
        "name first\n"
        "texture @tracks/x/sand.png\n"
        "addtile\n"
        "\t \r\n"
        "texture grass.png\r\n"
        "addtile\n"
        "name dropped because no addtile follows\n");
    ASSERT_EQ(p.table.entries.size(), 2u);
    EXPECT_EQ(p.table.entries[0].name, "first");
    EXPECT_EQ(p.table.entries[0].base_name, "sand.png");
    EXPECT_EQ(p.table.entries[1].name, "grass.png");  // no name: the texture name
    EXPECT_EQ(p.table.entries[1].texture_name, "grass.png");
    EXPECT_TRUE(p.warnings.empty());
}

TEST(Tileinfo, NamesKeepFortySevenCharacters) {
    std::string long_name(60, 'n');
    Parsed p = parse("name " + long_name + "\naddtile\ntexture " + long_name + ".png\naddtile\n");
    ASSERT_EQ(p.table.entries.size(), 2u);
    EXPECT_EQ(p.table.entries[0].name, std::string(47, 'n'));
    EXPECT_EQ(p.table.entries[1].name, std::string(47, 'n'));
}

TEST(Tileinfo, WarningsAreExact) {
    struct {
        const char* name;
        const char* text;
        std::vector<std::string> want;
    } cases[] = {
        {"unknown key", "bogus 1 2\n", one("tileinfo warning: Unknown identifier 'bogus'\n")},
        {"bad friction", "friction 0.5\n", one("tileinfo warning: bad friction parameters\n")},
        {"non-finite friction", "friction nan 3\n", one("tileinfo warning: bad friction parameters\n")},
        {"ninth friction point",
         "friction 1 1\nfriction 1 2\nfriction 1 3\nfriction 1 4\nfriction 1 5\nfriction 1 6\n"
         "friction 1 7\nfriction 1 8\nfriction 1 9\n",
         one("tileinfo warning: too many friction points\n")},
        {"bad roll_resist", "roll_resist 1 2\n", one("tileinfo warning: bad roll_resist parameters\n")},
        {"ninth roll_resist point",
         "roll_resist 1 1 1\nroll_resist 1 1 2\nroll_resist 1 1 3\nroll_resist 1 1 4\nroll_resist 1 1 5\n"
         "roll_resist 1 1 6\nroll_resist 1 1 7\nroll_resist 1 1 8\nroll_resist 1 1 9\n",
         one("tileinfo warning: too many roll_resist points\n")},
        {"slip_function 3", "slip_function 3\n", one("tileinfo warning: bad slip_function\n")},
        {"slip_function text", "slip_function x\n", one("tileinfo warning: bad slip_function\n")},
        {"fifth roost", "roost\nroost\nroost\nroost\nroost count=3\n", one("tileinfo warning: too many roost types\n")},
        {"bad roost numbers", "roost count=x fade_a= dig=1\n",
         {"tileinfo warning: bad count\n", "tileinfo warning: bad fade_a\n"}},
        {"unknown roost parameter", "roost colour=3\n", one("tileinfo warning: unknown roost parameter 'colour=3'\n")},
        {"bad erode number", "erode_front_scale high\n", one("tileinfo warning: bad erode_front_scale\n")},
        {"bad erode_limit", "erode_limit 1 2\n", one("tileinfo warning: bad erode_limit\n")},
        {"duplicate erode_limit depth", "erode_limit 1 0.5 0.5\nerode_limit 1 0.2 0.2\n",
         one("tileinfo warning: erode_limit depth <= prev depth\n")},
        {"ninth erode_limit",
         "erode_limit 1 1 1\nerode_limit 2 1 1\nerode_limit 3 1 1\nerode_limit 4 1 1\nerode_limit 5 1 1\n"
         "erode_limit 6 1 1\nerode_limit 7 1 1\nerode_limit 8 1 1\nerode_limit 9 1 1\n",
         one("tileinfo warning: too many erode limits\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(std::string(c.text) + "addtile\n");
        EXPECT_EQ(p.warnings, c.want);
        EXPECT_EQ(p.table.entries.size(), 1u);
    }
}

TEST(Tileinfo, DefaultsOfAnEntry) {
    Parsed p = parse("addtile\n");
    ASSERT_EQ(p.table.entries.size(), 1u);
    const TileInfo& t = p.table.entries[0];
    EXPECT_EQ(t.slip_function, 0);
    EXPECT_FLOAT_EQ(t.friction[0].coefficient, 1.0f);
    EXPECT_FLOAT_EQ(t.friction[1].slip_speed, FRICTION_UNUSED_SLIP);
    EXPECT_FLOAT_EQ(t.roll_resist[0].light_load, 5);
    EXPECT_FLOAT_EQ(t.roll_resist[0].full_load, 15);
    EXPECT_FLOAT_EQ(t.roll_resist[1].speed, 0);
    for (const RoostType& r : t.roost) EXPECT_EQ(r.kind, ROOST_KIND_UNUSED);
    EXPECT_EQ(t.roost[0].texture, "@roost.png");
    EXPECT_EQ(t.roost[0].fade_per_tick[3], -2);
    EXPECT_EQ(t.erode.limit_count, 1);
    EXPECT_FLOAT_EQ(t.erode.limit_depth[0], 0);
    EXPECT_FLOAT_EQ(t.erode.limit_first[0], 1);
    EXPECT_FLOAT_EQ(t.erode.min_slope, -0.5f);
    EXPECT_FLOAT_EQ(t.erode.slip_scale, 1.5f);
}

TEST(Tileinfo, FrictionCurve) {
    struct {
        const char* name;
        const char* lines;
        float slip, alt_slip, want;
    } cases[] = {
        {"no friction line: constant 1", "", 50, 0, 1.0f},
        {"single point below its slip", "friction 0.8 3\n", 1, 0, 0.8f},
        {"single point far above its slip", "friction 0.8 3\n", 500, 0, 0.8f},
        {"descending points are sorted: below first", "friction 0.5 10\nfriction 1.0 2\n", 1, 0, 1.0f},
        {"squared interpolation (function 0)", "friction 1.0 2\nfriction 0.5 4\n", 3, 0, 1.0f - 0.5f * 5 / 12},
        {"plain interpolation (function 1)", "friction 1.0 2\nfriction 0.5 4\nslip_function 1\n", 3, 0, 0.75f},
        {"alternative measure (function 2)", "friction 1.0 2\nfriction 0.5 4\nslip_function 2\n", 100, 3, 0.75f},
        {"after the last given point", "friction 1.0 2\nfriction 0.5 4\n", 9, 0, 0.5f},
        {"slip_function 3 acts as 0", "friction 1.0 2\nfriction 0.5 4\nslip_function 3\n", 3, 0, 1.0f - 0.5f * 5 / 12},
        {"negative coefficient clamped to 0", "friction -1 2000000\n", 0, 0, 0.0f},
        {"eight points, past the eighth",
         "friction 1 1\nfriction 1 2\nfriction 1 3\nfriction 1 4\nfriction 1 5\nfriction 1 6\nfriction 1 7\n"
         "friction 0.3 8\n",
         20, 0, 0.3f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(std::string(c.lines) + "addtile\n");
        ASSERT_EQ(p.table.entries.size(), 1u);
        EXPECT_NEAR(tileinfo_friction(&p.table.entries[0], c.slip, c.alt_slip), c.want, 1e-6f);
    }
}

TEST(Tileinfo, FrictionValuesAreClampedAndSorted) {
    Parsed p = parse("friction 0.7 9\nfriction -1 2000000\nfriction 0.9 1\naddtile\n");
    const FrictionPoint* f = p.table.entries[0].friction;
    EXPECT_FLOAT_EQ(f[0].slip_speed, 1);
    EXPECT_FLOAT_EQ(f[0].coefficient, 0.9f);
    EXPECT_FLOAT_EQ(f[1].slip_speed, 9);
    EXPECT_FLOAT_EQ(f[2].coefficient, 0);
    EXPECT_FLOAT_EQ(f[2].slip_speed, FRICTION_MAX_SLIP);
    EXPECT_FLOAT_EQ(f[3].slip_speed, FRICTION_UNUSED_SLIP);
}

TEST(Tileinfo, RollingResistance) {
    struct {
        const char* name;
        const char* lines;
        float speed, share, want;
    } cases[] = {
        {"default at no load", "", 10, 0, 5},
        {"default at full load", "", 10, 1, 15},
        {"interpolated speed and share", "roll_resist 2 4 10\nroll_resist 6 12 20\n", 15, 0.5f, 6},
        {"below the first speed", "roll_resist 2 4 10\nroll_resist 6 12 20\n", 1, 1, 4},
        {"past the last speed", "roll_resist 6 12 20\nroll_resist 2 4 10\n", 99, 0, 6},
        {"negative values and zero speed clamped", "roll_resist -3 -4 0\n", 1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(std::string(c.lines) + "addtile\n");
        EXPECT_NEAR(tileinfo_roll_resist(&p.table.entries[0], c.speed, c.share), c.want, 1e-5f);
    }
    Parsed p = parse("roll_resist 1 1 0\naddtile\n");
    EXPECT_FLOAT_EQ(p.table.entries[0].roll_resist[0].speed, ROLL_RESIST_MIN_SPEED);
}

TEST(Tileinfo, RoostLines) {
    Parsed p = parse(
        "roost count=20 texture=\"@my dirt.png\" fade_a=-512 r=300.7 slow_angle=1\n"
        "roost splash=1 \"size=\"0.5\n"
        "roost\n"
        "roost splash=0\n"
        "roost count=99\n"
        "addtile\n");
    const TileInfo& t = p.table.entries[0];
    EXPECT_EQ(t.roost[0].kind, ROOST_KIND_ROOST);
    EXPECT_FLOAT_EQ(t.roost[0].count, 20);
    EXPECT_EQ(t.roost[0].texture, "@my dirt.png");
    EXPECT_EQ(t.roost[0].fade_per_tick[3], -4);
    EXPECT_EQ(t.roost[0].colour[0], (uint8_t)300);
    EXPECT_FLOAT_EQ(t.roost[0].slow_angle, 1);
    EXPECT_EQ(t.roost[1].kind, ROOST_KIND_SPLASH);
    EXPECT_FLOAT_EQ(t.roost[1].size, 0.5f);
    EXPECT_EQ(t.roost[2].kind, ROOST_KIND_ROOST);  // a bare roost line claims a type
    EXPECT_EQ(t.roost[3].kind, ROOST_KIND_ROOST);
    EXPECT_EQ(p.warnings, one("tileinfo warning: too many roost types\n"));
}

TEST(Tileinfo, ErodeKeys) {
    Parsed p = parse(
        "erode_depth 2\nerode_lower 40\nerode_upper bad\nerode_downhill_scale 0.25\n"
        "erode_project_to_ground 0\nerode_front_scale 3\n"
        "erode_limit 0.5 0.1 0.2\nerode_limit 0.5 0.3 0.4\nerode_limit 1 0.9 0.8\n"
        "addtile\naddtile\n");
    ASSERT_EQ(p.table.entries.size(), 2u);
    const ErodeParams& e = p.table.entries[0].erode;
    EXPECT_FLOAT_EQ(e.depth, 2);
    EXPECT_FLOAT_EQ(e.lower, 40);
    EXPECT_FLOAT_EQ(e.upper, 150);  // kept after the bad value
    EXPECT_FLOAT_EQ(e.downhill_scale, 0.25f);
    EXPECT_FLOAT_EQ(e.project_to_ground, 0);
    EXPECT_FLOAT_EQ(e.front_scale, 3);
    ASSERT_EQ(e.limit_count, 2);
    EXPECT_FLOAT_EQ(e.limit_first[0], 0.1f);  // the duplicate depth was dropped
    EXPECT_FLOAT_EQ(e.limit_depth[1], 1);
    EXPECT_FLOAT_EQ(e.limit_second[1], 0.8f);
    // The next entry starts from the defaults again.
    EXPECT_FLOAT_EQ(p.table.entries[1].erode.depth, 1);
    EXPECT_EQ(p.table.entries[1].erode.limit_count, 1);
}

TEST(Tileinfo, StopsAt256Entries) {
    std::string text;
    for (int i = 0; i < 300; i++) text += "addtile\n";
    text += "bogus\n";
    Parsed p = parse(text);
    EXPECT_EQ(p.table.entries.size(), 256u);
    EXPECT_TRUE(p.warnings.empty());  // nothing after the 256th entry is read
}

TEST(Tileinfo, LongLinesAreReadInPieces) {
    // A 1023-character piece ends the first read; the rest is a line of its own.
    std::string text = "name " + std::string(1018, 'a') + "texture x.png\naddtile\n";
    Parsed p = parse(text);
    ASSERT_EQ(p.table.entries.size(), 1u);
    EXPECT_EQ(p.table.entries[0].texture_name, "x.png");
}

TEST(Tileinfo, TransitionWords) {
    struct {
        const char* name;
        std::vector<const char*> textures;
        std::vector<int32_t> want;
    } cases[] = {
        {"corner mask", {"sand.png", "grass.png", "sand-grass-0110.png"}, {0, 65536 + 256, 256 + 6}},
        {"folder and @ ignored", {"@t/sand.png", "t/grass.png", "@t/sand-grass-1001.png"}, {0, 65536 + 256, 256 + 9}},
        {"alternative look", {"rock.png", "rock-alt1.png"}, {0, 0}},
        {"mask with another character", {"sand.png", "grass.png", "sand-grass-01x0.png"}, {0, 65536 + 256, 256}},
        {"no second dash", {"sand.png", "sand-grass.png"}, {0, TRANSITION_UNKNOWN}},
        {"other surface missing", {"sand.png", "sand-mud-1111.png"}, {0, TRANSITION_UNKNOWN}},
        {"base missing: own base", {"mud-sand-1111.png", "sand.png"}, {0, 65536 + 256}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text;
        for (const char* t : c.textures) text += std::string("texture ") + t + "\naddtile\n";
        Parsed p = parse(text);
        ASSERT_EQ(p.table.entries.size(), c.want.size());
        for (size_t i = 0; i < c.want.size(); i++) EXPECT_EQ(p.table.entries[i].transition, c.want[i]) << i;
    }
}

TEST(Texturelist, LinesWithAndWithoutNumbers) {
    SurfaceTable table;
    texturelist_parse(&table, "0.9 4 12 @dirt track.png\r\n\n  grass.png  \n", nullptr);
    ASSERT_EQ(table.entries.size(), 2u);
    const TileInfo& a = table.entries[0];
    EXPECT_EQ(a.texture_name, "@dirt track.png");
    EXPECT_EQ(a.name, "@dirt track.png");
    for (float slip : {0.0f, 1.0f, 50.0f, 1e6f}) EXPECT_FLOAT_EQ(tileinfo_friction(&a, slip, 0), 0.9f);
    EXPECT_FLOAT_EQ(tileinfo_roll_resist(&a, 10, 0), 4);
    EXPECT_FLOAT_EQ(tileinfo_roll_resist(&a, 10, 1), 12);
    EXPECT_EQ(a.roost[0].kind, ROOST_KIND_ROOST);
    EXPECT_EQ(a.roost[1].kind, ROOST_KIND_UNUSED);
    EXPECT_EQ(a.erode.limit_count, 1);
    const TileInfo& b = table.entries[1];
    EXPECT_EQ(b.texture_name, "grass.png");
    EXPECT_FLOAT_EQ(tileinfo_friction(&b, 3, 0), 1);
    EXPECT_FLOAT_EQ(tileinfo_roll_resist(&b, 3, 0.5f), 10);
}

TEST(Texturelist, AtMost256Entries) {
    std::string text;
    for (int i = 0; i < 260; i++) text += "t" + std::to_string(i) + ".png\n";
    SurfaceTable table;
    texturelist_parse(&table, text.c_str(), nullptr);
    EXPECT_EQ(table.entries.size(), 256u);
}

TEST(Tileinfo, TexturesLoadThroughTheImageLoader) {
    struct Loads {
        std::vector<std::string> names;
    } loads;
    TerrainImageOps ops{[](void* self, const char* name) -> unsigned {
                            auto* l = (Loads*)self;
                            l->names.push_back(name);
                            return std::string(name) == "missing.png" ? 0u : (unsigned)l->names.size();
                        },
                        &loads};
    SurfaceTable table;
    tileinfo_parse(&table, "texture a.png\naddtile\ntexture missing.png\naddtile\n", &ops);
    ASSERT_EQ(table.entries.size(), 2u);
    EXPECT_EQ(table.entries[0].texture, 1u);
    EXPECT_EQ(table.entries[1].texture, 0u);  // left without a texture
    EXPECT_EQ(loads.names, (std::vector<std::string>{"a.png", "missing.png"}));
}

TEST(Tileinfo, GarbageNeverBreaksTheParser) {
    // Random mixes of keys, numbers, quotes and control bytes, fixed seed.
    const char* pieces[] = {"addtile", "roost", "friction", "roll_resist", "erode_limit", "texture", "name",
                            "slip_function", "count=", "texture=\"", "\"", "-", "1e39", "nan", "-7", "0.5",
                            " ", "\t", "\n", "\r", "\b", "\x01", "\xff", "erode_depth", "fade_a=", "a-b-1010.png"};
    std::mt19937 random(7);
    for (int round = 0; round < 200; round++) {
        std::string text;
        for (int p = 0; p < 300; p++) text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        SurfaceTable table;
        tileinfo_parse(&table, text.c_str(), nullptr);
        ASSERT_LE(table.entries.size(), 256u);
        for (const TileInfo& t : table.entries) {
            ASSERT_LE(t.name.size(), 47u);
            for (int k = 1; k < TILEINFO_MAX_POINTS; k++)
                ASSERT_LE(t.friction[k - 1].slip_speed, t.friction[k].slip_speed);
            ASSERT_TRUE(std::isfinite(tileinfo_friction(&t, 3, 3)));
            ASSERT_TRUE(std::isfinite(tileinfo_roll_resist(&t, 3, 0.5f)));
        }
        texturelist_parse(&table, text.c_str(), nullptr);
        ASSERT_LE(table.entries.size(), 256u);
    }
}
