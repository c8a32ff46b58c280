#include <GL/gl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/data_file.h"
#include "render/image.h"
#include "sim/number_plate.h"
#include "sim/test_home.h"
#include "support/gl_context.h"

namespace {

// A font image of one row of ten 6 x 9 cells. The separator (magenta) marks
// each cell's start on the top line; digit "1" is solid white ink, "8" is
// white but fully transparent, the others carry a single ink pixel.
struct TestFont {
    enum { CELL_W = 6, CELL_H = 9, W = CELL_W * 10, H = CELL_H };
    std::vector<unsigned char> rgba = std::vector<unsigned char>(W * H * 4, 0);
    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
        unsigned char* p = &rgba[(y * W + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
    TestFont() {
        for (int d = 0; d < 10; ++d) {
            const int x0 = d * CELL_W;
            for (int y = 1; y < CELL_H; ++y) {
                for (int x = x0 + 1; x < x0 + CELL_W; ++x) {
                    if (d == 1) set(x, y, 255, 255, 255, 255);
                    if (d == 8) set(x, y, 255, 255, 255, 0);
                }
            }
            if (d != 1 && d != 8) set(x0 + 2, 4, 255, 255, 255, 255);
            set(x0, 0, 255, 0, 255, 255);
        }
    }
};

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

// The whole path: the font file read through the data layer, the plate
// composed and uploaded; read back from the GL texture.
TEST(NumberPlate, UploadsThePlateTexture) {
    ASSERT_TRUE(test_gl_context());
    TestDataHome home;
    number_plate_font_free();
    TestFont tf;
    std::vector<unsigned char> png;
    ASSERT_TRUE(encode_png(tf.rgba.data(), TestFont::W, TestFont::H, 4, false, &png));
    home.dir.write("game/numbers.png", std::string(png.begin(), png.end()));

    struct { const char* name; const char* texture; const char* number; unsigned char corner[3], centre[3]; } cases[] = {
        {"digit in the tag colours", "@x.png[numberbackground:0,0,1][numberforeground:1,1,0]", "1",
         {0, 0, 255}, {255, 255, 0}},
        {"default colours", "@x.png", "1", {255, 255, 255}, {0, 0, 0}},
        {"blank number", "@x.png", "", {255, 255, 255}, {255, 255, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int tid = number_plate_texture(c.number, c.texture);
        ASSERT_GT(tid, 0);
        // The texture module may keep fewer levels of a plate without detail.
        glBindTexture(GL_TEXTURE_2D, (GLuint)tid);
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        ASSERT_GT(w, 0);
        ASSERT_EQ(w, h);
        std::vector<unsigned char> back((size_t)w * h * 4);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
        EXPECT_EQ(memcmp(&back[0], c.corner, 3), 0);
        EXPECT_EQ(memcmp(&back[((h / 2) * w + w / 2) * 4], c.centre, 3), 0);
        number_plate_texture_release(tid);
        EXPECT_FALSE(glIsTexture((GLuint)tid));
    }
    number_plate_font_free();
}
