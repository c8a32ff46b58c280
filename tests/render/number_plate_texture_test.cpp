#include <GL/gl.h>
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "base/image.h"
#include "render/number_plate_texture.h"
#include "support/data_home.h"
#include "support/gl_context.h"
#include "support/number_font.h"

// The whole path: the font file read through the data layer, the plate
// composed and uploaded; read back from the GL texture.
TEST(NumberPlate, UploadsThePlateTexture) {
    ASSERT_TRUE(test_gl_context());
    TestDataHome home;
    number_plate_font_free();
    TestFont tf;
    std::vector<unsigned char> png;
    ASSERT_TRUE(encode_png(tf.rgba.data(), TestFont::W, TestFont::H, 4, false, &png));
    home.write_game("numbers.png", std::string(png.begin(), png.end()));

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
