#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "sim/number_plate.h"
#include "support/number_font.h"

namespace {

const unsigned char* pixel(const std::vector<unsigned char>& plate, int x, int y) {
    return &plate[(y * NUMBER_PLATE_SIZE + x) * 4];
}

}  // namespace

TEST(NumberPlate, CutsTheDigitCells) {
    TestFont tf;
    NumberFont font;
    ASSERT_TRUE(number_font_cut(&font, tf.rgba.data(), TestFont::W, TestFont::H));
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(font.digit[d].x0, d * TestFont::CELL_W);
        EXPECT_EQ(font.digit[d].x1, (d + 1) * TestFont::CELL_W);
        EXPECT_EQ(font.digit[d].y0, 0);
        EXPECT_EQ(font.digit[d].y1, TestFont::CELL_H);
    }
    // Too few cells (only the first three cell starts) and an empty image.
    EXPECT_FALSE(number_font_cut(&font, tf.rgba.data(), 3 * TestFont::CELL_W - 1, TestFont::H));
    EXPECT_FALSE(number_font_cut(&font, nullptr, 0, 0));
}

TEST(NumberPlate, ColoursFromTextureTags) {
    struct { const char* name; const char* texture; unsigned char bg[3], fg[3]; } cases[] = {
        {"no tags", "@crf250.png", {255, 255, 255}, {0, 0, 0}},
        {"null name", nullptr, {255, 255, 255}, {0, 0, 0}},
        {"both tags", "@a.png[numberbackground:1,0,0.5][numberforeground:0.2,0.4,1]",
         {255, 0, 128}, {51, 102, 255}},
        {"clamped", "@a.png[numberforeground:2,-1,0.5]", {255, 255, 255}, {255, 0, 128}},
        {"unparsable keeps default", "@a.png[numberbackground:red]", {255, 255, 255}, {0, 0, 0}},
        {"two numbers keep default", "@a.png[numberbackground:0.5,0.5]", {255, 255, 255}, {0, 0, 0}},
        {"not a number keeps default", "@a.png[numberforeground:nan,0,0]", {255, 255, 255}, {0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PlateColours pc = number_plate_colours(c.texture);
        EXPECT_EQ(memcmp(pc.background, c.bg, 3), 0);
        EXPECT_EQ(memcmp(pc.foreground, c.fg, 3), 0);
    }
}

TEST(NumberPlate, DrawsTheNumberCentred) {
    TestFont tf;
    NumberFont font;
    ASSERT_TRUE(number_font_cut(&font, tf.rgba.data(), TestFont::W, TestFont::H));
    const PlateColours colours = {{10, 20, 30}, {200, 100, 0}};
    std::vector<unsigned char> plate(NUMBER_PLATE_SIZE * NUMBER_PLATE_SIZE * 4);
    const int mid = NUMBER_PLATE_SIZE / 2;
    const unsigned char bg[4] = {10, 20, 30, 255}, fg[4] = {200, 100, 0, 255};

    struct { const char* number; const NumberFont* font; const unsigned char* centre; } cases[] = {
        {"1", &font, fg},
        {"", &font, bg},
        {nullptr, &font, bg},
        {"8", &font, bg},     // transparent ink draws nothing
        {"1x1", &font, bg},   // a character without a glyph leaves a gap
        {"1", nullptr, bg},   // no font: a plain plate
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.number ? c.number : "(null)");
        number_plate_pixels(c.number, &colours, c.font, plate.data());
        EXPECT_EQ(memcmp(pixel(plate, mid, mid), c.centre, 4), 0);
        EXPECT_EQ(memcmp(pixel(plate, 0, 0), bg, 4), 0);
        EXPECT_EQ(memcmp(pixel(plate, NUMBER_PLATE_SIZE - 1, NUMBER_PLATE_SIZE - 1), bg, 4), 0);
    }

    // Only the first seven characters are drawn.
    std::vector<unsigned char> seven(plate.size());
    number_plate_pixels("1111111", &colours, &font, seven.data());
    number_plate_pixels("11111119", &colours, &font, plate.data());
    EXPECT_EQ(plate, seven);
}
