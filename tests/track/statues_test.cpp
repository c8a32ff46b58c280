#include "track/statues.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/messages.h"
#include "support/temp_dir.h"
#include "track/terrain.h"
#include "support/message_sink.h"

namespace {

// Shapes "exist" unless their name holds "missing"; each has radius 2 ft.
struct FakeAssets {
    int live_shapes = 0;
    static const void* load_shape(void* self, const char* name, float* radius) {
        if (strstr(name, "missing")) return nullptr;
        ((FakeAssets*)self)->live_shapes++;
        *radius = 2;
        return name;
    }
    static void free_shape(void* self, const void*) { ((FakeAssets*)self)->live_shapes--; }
    static void* load_model(void*, const char* name) { return (void*)name; }
    statue_asset_ops ops() { return {load_model, nullptr, load_shape, free_shape, this}; }
};

// A ground rising 0.5 ft per ft along x.
Terrain* slope() {
    Terrain* t = terrain_create(4, 2, 0);
    for (int k = 0; k < t->dim; k++)
        for (int i = 0; i < t->dim; i++) terrain_set_height(t, i, k, 0.5f * i * t->spacing);
    return t;
}

// Column c of a row-major 3 x 3 matrix.
void column(const float m[9], int c, float out[3]) {
    for (int r = 0; r < 3; r++) out[r] = m[r * 3 + c];
}

}  // namespace

TEST(Statues, PlacementOrientationAndFacing) {
    FakeAssets assets;
    statue_asset_ops ops = assets.ops();
    TrackStatues s;
    statues_init(&s, &ops);
    Terrain* ground = slope();
    const float x = 10, z = 12;
    const int facing = statue_create(&s, ground, x, 1.5f, z, 4, "@m.jm", "@t.png", "@s.shp");
    const int upright = statue_create(&s, ground, x, 0, z, -7, "@m.jm", "null", "null");
    const int tilted = statue_create(&s, ground, x, 0, z, 0.5f, "", "", "");
    const Statue& f = s.statues[facing];
    EXPECT_FLOAT_EQ(f.position[1], terrain_height(ground, x, z) + 1.5f);
    EXPECT_FLOAT_EQ(f.facing_distance, 16);
    const float one[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    for (int i = 0; i < 9; i++) EXPECT_EQ(f.orientation[i], one[i]);
    EXPECT_EQ(f.shape_name, "@s.shp");
    EXPECT_NE(f.shape, nullptr);
    EXPECT_FLOAT_EQ(f.shape_radius, 2);

    // -7 rad: turned about the vertical, not tilted to the slope.
    const Statue& u = s.statues[upright];
    float up[3], ahead[3];
    column(u.orientation, 1, up);
    column(u.orientation, 2, ahead);
    EXPECT_FLOAT_EQ(up[1], 1);
    EXPECT_NEAR(-ahead[0], -sinf(-7), 1e-5f);  // local -z faces (-sin a, 0, -cos a)
    EXPECT_NEAR(-ahead[2], -cosf(-7), 1e-5f);
    EXPECT_EQ(u.shape, nullptr);
    EXPECT_TRUE(u.texture_name.empty());
    EXPECT_EQ(u.facing_distance, 0);

    // A small angle: the up axis follows the ground's normal (-0.5, 1, 0) / |.|.
    column(s.statues[tilted].orientation, 1, up);
    const float n = sqrtf(1.25f);
    EXPECT_NEAR(up[0], -0.5f / n, 1e-4f);
    EXPECT_NEAR(up[1], 1 / n, 1e-4f);
    EXPECT_NEAR(up[2], 0, 1e-4f);
    EXPECT_EQ(s.statues[tilted].model, nullptr);

    statues_free(&s);
    EXPECT_EQ(assets.live_shapes, 0);
    EXPECT_TRUE(s.statues.empty());
    terrain_free(ground);
}

TEST(Statues, ReadsRecordsUntilOneFailsAndWarnsOfMissingShapes) {
    FakeAssets assets;
    statue_asset_ops ops = assets.ops();
    TrackStatues s;
    statues_init(&s, &ops);
    TempDir dir;
    dir.write("statues",
              "[1 0 2] 0 @a.jm @a.ppm @a.shp\n"
              "[3 0.5 4] 1.5 @b.jm null @missing.shp\n"
              "[5 0 nan] 0 @c.jm @c.ppm @c.shp\n"
              "[7 0 8] 0 @d.jm @d.ppm @d.shp\n");
    std::vector<std::string> shown;
    set_message_sink(collect_message, &shown);
    DataStream* stream = open_data_file((dir.path + "/statues").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(statues_read(&s, nullptr, stream), 2);
    close_data_file(stream);
    set_message_sink(nullptr, nullptr);
    ASSERT_EQ(s.statues.size(), 2u);
    EXPECT_EQ(s.statues[1].model_name, "@b.jm");
    EXPECT_TRUE(s.statues[1].texture_name.empty());
    EXPECT_EQ(s.statues[1].shape, nullptr);
    EXPECT_FLOAT_EQ(s.statues[1].position[1], 0.5f);
    EXPECT_EQ(shown, std::vector<std::string>{"Warning: missing shape file @missing.shp"});
    statues_free(&s);
}

TEST(Statues, GridListsShapedStatuesInEverySquareTheyTouch) {
    FakeAssets assets;
    statue_asset_ops ops = assets.ops();
    TrackStatues s;
    statues_init(&s, &ops);
    const float size = 1024;  // squares of 96 ft from 128 ft to 896 ft
    statue_create(&s, nullptr, 10, 0, 10, 0, "", "", "@a.shp");      // outside: the corner square
    statue_create(&s, nullptr, 224, 0, 300, 0, "", "", "@b.shp");    // on the line x = 224: squares 0 and 1
    statue_create(&s, nullptr, 500, 0, 500, 0, "", "", "");          // no shape: not listed
    statue_create(&s, nullptr, 2000, 0, 500, 0, "", "", "@c.shp");   // beyond the far edge
    statues_rebuild_grid(&s, size);
    auto square = [&](int gx, int gz) { return s.grid[gx + STATUE_GRID * gz]; };
    EXPECT_EQ(square(0, 0), std::vector<int>{0});
    EXPECT_EQ(square(0, 1), std::vector<int>{1});
    EXPECT_EQ(square(1, 1), std::vector<int>{1});
    EXPECT_EQ(square(7, 3), std::vector<int>{3});
    int listed = 0;
    for (const auto& g : s.grid) listed += (int)g.size();
    EXPECT_EQ(listed, 4);
    EXPECT_EQ(statues_grid_square(&s, 0, 0), 0);
    EXPECT_EQ(statues_grid_square(&s, 1e9f, 1e9f), STATUE_GRID * STATUE_GRID - 1);
    EXPECT_EQ(statues_grid_square(&s, NAN, 500), statues_grid_square(&s, 0, 500));
    statues_free(&s);
}
