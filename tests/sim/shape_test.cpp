#include <gtest/gtest.h>

#include <string>

#include "sim/shape.h"
#include "support/data_home.h"

TEST(ShapeParse, SpheresAndBoundingRadius) {
    std::string text = "2\n0 3 4 1\n0.8 500 20\n-1 0 0 0.5\n1.2 900 30\n";
    Shape s;
    ASSERT_TRUE(parse_shape(text.data(), text.size(), &s));
    ASSERT_EQ(s.spheres.size(), 2u);
    EXPECT_EQ(s.spheres[0].centre[1], 3);
    EXPECT_EQ(s.spheres[0].radius, 1);
    EXPECT_EQ(s.spheres[1].friction, 1.2f);
    EXPECT_EQ(s.spheres[1].stiffness, 900);
    EXPECT_EQ(s.spheres[1].damping, 30);
    EXPECT_FLOAT_EQ(s.bounding_radius, 6);  // |(0, 3, 4)| + 1
}

TEST(ShapeParse, DamagedFilesGiveNoShape) {
    struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"empty", ""},
        {"count only", "1\n"},
        {"short sphere", "1\n0 0 0 1\n0.8 500\n"},
        {"more spheres counted than present", "2\n0 0 0 1 0.8 500 20\n"},
        {"NaN centre", "1\nnan 0 0 1 0.8 500 20\n"},
        {"negative radius", "1\n0 0 0 -1 0.8 500 20\n"},
        {"negative count", "-1\n"},
        {"huge count", "2000000000\n0 0 0 1 0.8 500 20\n"},
        {"word for a number", "1\n0 zero 0 1 0.8 500 20\n"},
        // Each value finite, but the sphere's reach overflows the float range.
        {"reach beyond the float range", "1\n1e38 1e38 1e38 1e38 1 1 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Shape s;
        EXPECT_FALSE(parse_shape(c.text.data(), c.text.size(), &s));
    }
}

TEST(ShapeLoad, CachedByNameAndCopiedPerUser) {
    TestDataHome home;
    shape_cache_free();
    home.write_game("ball.shp", "1\n0 1 0 0.5 0.8 500 20\n");
    Shape* a = load_shape("@ball.shp");
    ASSERT_TRUE(a);
    a->spheres[0].radius = 9;  // a user's own copy
    home.write_game("ball.shp", "1\n0 1 0 2 0.8 500 20\n");
    Shape* b = load_shape("@ball.shp");
    ASSERT_TRUE(b);
    EXPECT_NE(a, b);
    EXPECT_EQ(b->spheres[0].radius, 0.5f);  // the cache, not the changed file
    EXPECT_FLOAT_EQ(b->bounding_radius, 1.5f);
    EXPECT_EQ(load_shape("@none.shp"), nullptr);
    shape_free(a);
    shape_free(b);
    shape_cache_free();
}
