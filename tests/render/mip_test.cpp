#include <gtest/gtest.h>

#include <vector>

#include "render/mip.h"

TEST(MipChain, RgbMeansAndOneWideLevels) {
    // 2 x 2 -> 1 x 1 truncated mean; 4 x 1 -> 2 x 1 -> 1 x 1 from two parents.
    std::vector<unsigned char> square = make_mip_chain(
        std::vector<unsigned char>{0, 10, 255, 1, 11, 255, 2, 12, 254, 4, 13, 254}.data(), 2, 2, 3, false);
    ASSERT_EQ(square.size(), 15u);
    EXPECT_EQ(square[12], 1);    // (0+1+2+4)/4
    EXPECT_EQ(square[13], 11);   // (10+11+12+13)/4 = 11.5
    EXPECT_EQ(square[14], 254);  // 1018/4 = 254.5
    std::vector<unsigned char> row = make_mip_chain(
        std::vector<unsigned char>{10, 0, 0, 21, 0, 0, 30, 0, 0, 41, 0, 0}.data(), 4, 1, 3, false);
    ASSERT_EQ(row.size(), (4u + 2u + 1u) * 3u);
    EXPECT_EQ(row[12], 15);  // (10+21)/2
    EXPECT_EQ(row[15], 35);  // (30+41)/2
    EXPECT_EQ(row[18], 25);  // (15+35)/2
}

TEST(MipChain, RgbaWeightsColourByAlpha) {
    struct Case {
        const char* name;
        std::vector<unsigned char> parents;  // 2 x 2 RGBA
        bool max_alpha;
        std::vector<unsigned char> want;
    } cases[] = {
        {"transparent parents give no colour",
         {200, 0, 0, 0, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}, false, {0, 0, 0, 191}},
        {"weighted by alpha",
         {200, 0, 0, 100, 0, 0, 100, 100, 0, 0, 0, 0, 0, 0, 0, 0}, false, {100, 0, 50, 50}},
        {"all transparent uses the plain mean",
         {200, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false, {75, 0, 0, 0}},
        {"all opaque uses the plain mean",
         {200, 0, 0, 255, 101, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255}, false, {75, 0, 0, 255}},
        {"max alpha", {200, 0, 0, 100, 0, 0, 100, 30, 0, 0, 0, 0, 0, 0, 0, 0}, true, {153, 0, 23, 100}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> chain = make_mip_chain(c.parents.data(), 2, 2, 4, c.max_alpha);
        EXPECT_EQ(std::vector<unsigned char>(chain.begin() + 16, chain.end()), c.want);
    }
}

TEST(MipChain, PowerOfTwoRoundingAndNearestResampling) {
    EXPECT_EQ(round_down_to_power_of_two(100), 64);
    EXPECT_EQ(round_down_to_power_of_two(64), 64);
    EXPECT_EQ(round_down_to_power_of_two(1), 1);
    // 3 x 1 -> 2 x 1 takes source columns floor(0*3/2) = 0 and floor(1*3/2) = 1.
    unsigned char px[9] = {1, 1, 1, 2, 2, 2, 3, 3, 3};
    EXPECT_EQ(resample_nearest(px, 3, 1, 3, 2, 1), (std::vector<unsigned char>{1, 1, 1, 2, 2, 2}));
    EXPECT_EQ(mip_chain_bytes(4, 2, 3), (8u + 2u + 1u) * 3u);
    EXPECT_EQ(mip_level_offset(4, 2, 4, 2), (8u + 2u) * 4u);
}

TEST(MipChain, CustomLevelsAreCutFromTheirColumns) {
    // 256 x 384 picture: each pixel holds its own (x / 2, y / 2) so the level
    // origin can be read from the level's first texel.
    const int w = 256, ph = 384;
    std::vector<unsigned char> picture((size_t)w * ph * 3);
    for (int y = 0; y < ph; y++)
        for (int x = 0; x < w; x++) {
            picture[((size_t)y * w + x) * 3] = (unsigned char)(x / 2);
            picture[((size_t)y * w + x) * 3 + 1] = (unsigned char)(y / 2);
        }
    std::vector<unsigned char> chain;
    int h = 0;
    ASSERT_TRUE(cut_custom_mip_chain(picture.data(), w, ph, 3, &chain, &h));
    EXPECT_EQ(h, 256);
    struct {
        int level, x, y;
    } origins[] = {{0, 0, 0}, {1, 0, 256}, {2, 128, 256}, {3, 128, 320}, {4, 128, 352}, {8, 128, 382}};
    for (auto& o : origins) {
        SCOPED_TRACE(o.level);
        size_t at = mip_level_offset(w, h, 3, o.level);
        EXPECT_EQ(chain[at], o.x / 2);
        EXPECT_EQ(chain[at + 1], o.y / 2);
    }
    EXPECT_FALSE(cut_custom_mip_chain(picture.data(), w, 383, 3, &chain, &h));  // not 3/2 of a base
    EXPECT_FALSE(cut_custom_mip_chain(picture.data(), 1, 6, 3, &chain, &h));  // no column to the right
}

TEST(MipChain, RedundantLevelsArePredictedWithinFour) {
    // A 4 x 1 row predicted from its 2 x 1 parent: 3/4 nearer + 1/4 farther.
    unsigned char parent[6] = {100, 100, 100, 200, 200, 200};
    // Predictions: x0 = (300+100)/4 = 100, x1 = (300+200)/4 = 125, x2 = (600+100)/4 = 175, x3 = 200.
    unsigned char close[12] = {100, 100, 100, 129, 129, 129, 171, 171, 171, 200, 200, 200};
    unsigned char off[12] = {100, 100, 100, 130, 125, 125, 175, 175, 175, 200, 200, 200};
    EXPECT_TRUE(mip_level_is_redundant(close, 4, 1, parent, 3));
    EXPECT_FALSE(mip_level_is_redundant(off, 4, 1, parent, 3));
}

TEST(MipChain, BorderColourIsTheCommonestQuantisedEdgeColour) {
    // 3 x 3: edges mostly near-red, one green; the hidden centre is blue.
    unsigned char px[27];
    for (int i = 0; i < 9; i++) px[i * 3] = 250, px[i * 3 + 1] = 10, px[i * 3 + 2] = 0;
    px[1 * 3] = 0, px[1 * 3 + 1] = 255;
    px[4 * 3] = 0, px[4 * 3 + 2] = 255;
    float rgba[4];
    mip_border_colour(px, 3, 3, 3, rgba);
    EXPECT_FLOAT_EQ(rgba[0], 6.0f / 7.0f);  // 250 * 7 / 255 = 6
    EXPECT_FLOAT_EQ(rgba[1], 0.0f);
    EXPECT_FLOAT_EQ(rgba[2], 0.0f);
    EXPECT_FLOAT_EQ(rgba[3], 0.0f);
    unsigned char rgba_px[4] = {255, 255, 255, 255};
    mip_border_colour(rgba_px, 1, 1, 4, rgba);
    EXPECT_EQ(rgba[0] + rgba[1] + rgba[2] + rgba[3], 0.0f);
}

TEST(CompositeOver, AlphaCases) {
    struct {
        const char* name;
        unsigned char dst[4], src[4], want[4];
    } cases[] = {
        {"transparent onto transparent copies", {1, 2, 3, 0}, {9, 9, 9, 0}, {9, 9, 9, 0}},
        {"transparent onto colour keeps it", {1, 2, 3, 7}, {9, 9, 9, 0}, {1, 2, 3, 7}},
        {"opaque replaces", {1, 2, 3, 200}, {9, 8, 7, 255}, {9, 8, 7, 255}},
        {"anything onto transparent replaces", {1, 2, 3, 0}, {9, 8, 7, 10}, {9, 8, 7, 10}},
        {"onto opaque blends", {0, 100, 255, 255}, {255, 0, 0, 51}, {51, 80, 204, 255}},
        // n = 100 * 204 + 255 * 51 = 33405; alpha = 51 + 100 * 204 / 255 = 131
        {"both partial", {0, 100, 255, 100}, {255, 0, 0, 51}, {99, 61, 155, 131}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        unsigned char d[4] = {c.dst[0], c.dst[1], c.dst[2], c.dst[3]};
        composite_over(d, c.src);
        EXPECT_EQ(std::vector<unsigned char>(d, d + 4), std::vector<unsigned char>(c.want, c.want + 4));
    }
}
