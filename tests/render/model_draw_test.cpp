#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/render_options.h"
#include "render/gl_ext.h"
#include "render/model.h"
#include "render/shader.h"
#include "support/lit_scene.h"

namespace {

const int SIDE = 64;

// A square of half-size `h` around (cx, cy) in the z = 0 plane facing +z, as
// one JM part with material header `header`; with `bones` each vertex carries
// weight 1 on bone 0.
std::string square_part(const char* header, float cx, float cy, float h, int bones) {
    std::string weights;
    for (int b = 0; b < bones; b++) weights += b == 0 ? " 1" : " 0";
    char text[1024];
    snprintf(text, sizeof text,
             "%s 4 2\n"
             "%g %g 0 0 0 1 0 0%s\n%g %g 0 0 0 1 1 0%s\n%g %g 0 0 0 1 1 1%s\n%g %g 0 0 0 1 0 1%s\n"
             "0 1 2\n0 2 3\n",
             header, cx - h, cy - h, weights.c_str(), cx + h, cy - h, weights.c_str(), cx + h, cy + h,
             weights.c_str(), cx - h, cy + h, weights.c_str());
    return text;
}

Model* parse(const std::string& text) { return parse_model(text.data(), text.size(), "test.jm"); }

class ModelDrawTest : public ::testing::Test {
protected:
    GLuint white = 0;
    RenderOptions saved;
    void SetUp() override {
        ASSERT_TRUE(lit_scene_open()) << "no OpenGL context (run under xvfb-run)";
        saved = render_options();
        unsigned char px[4] = {255, 255, 255, 255};
        glGenTextures(1, &white);
        glBindTexture(GL_TEXTURE_2D, white);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
        float eye[3] = {0, 0, 0};
        set_model_camera(eye);
    }
    void TearDown() override {
        render_options_for_startup() = saved;
        lit_scene_close();
        glDeleteTextures(1, &white);
    }
    // Head-on white light, grey diffuse material, white texture, black background.
    void begin_scene() {
        LitSceneParams scene = lit_scene_default_params();
        scene.width = scene.height = SIDE;
        lit_scene_begin(&scene);
        glBindTexture(GL_TEXTURE_2D, white);
    }
    // Which pixels are lit (red above 20).
    static std::vector<bool> silhouette() {
        std::vector<unsigned char> rgb = lit_scene_pixels(0, 0, SIDE, SIDE);
        std::vector<bool> mask(SIDE * SIDE);
        for (int i = 0; i < SIDE * SIDE; i++) mask[i] = rgb[i * 3] > 20;
        return mask;
    }
    static bool lit(const std::vector<bool>& mask, float x, float y) {
        int px = (int)((x + 1) * 0.5f * SIDE), py = (int)((y + 1) * 0.5f * SIDE);
        return mask[py * SIDE + px];
    }
    static int count(const std::vector<bool>& mask) {
        int n = 0;
        for (bool b : mask) n += b;
        return n;
    }
};

}  // namespace

TEST_F(ModelDrawTest, DisplayListsOnlyWherePartsDoNotChangePerFrame) {
    struct {
        const char* name;
        std::string text;
        bool shaders;
        bool want_list;
    } cases[] = {
        {"plain format", "4 2\n-0.5 -0.5 0 0 0 1 0 0\n0.5 -0.5 0 0 0 1 1 0\n0.5 0.5 0 0 0 1 1 1\n-0.5 0.5 0 0 0 1 0 1\n0 1 2\n0 2 3\n",
         false, true},
        {"rigid lit part", "JM1\n" + square_part("16 1 1 1 1", 0, 0, 0.5f, 0), false, true},
        {"self-lit part, shaders off", "JM1\n" + square_part("-2 1 1 1 1", 0, 0, 0.5f, 0), false, false},
        {"skinned part, shaders off", "JM2 1 b\n" + square_part("16 1 1 1 1", 0, 0, 0.5f, 1), false, false},
        {"skinned part, shaders on", "JM2 1 b\n" + square_part("16 1 1 1 1", 0, 0, 0.5f, 1), true, true},
    };
    float rest[1][3] = {{0, 0, 0}}, posed[1][3] = {{0, 0, 0}}, identity[1][9] = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    ModelBones bones = {1, rest, posed, identity};
    float at[3] = {0, 0, 0};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(build_shaders(c.shaders), c.shaders);
        if (c.shaders) use_program(PROGRAM_LIT);
        Model* model = parse(c.text);
        ASSERT_TRUE(model);
        begin_scene();
        for (int frame = 0; frame < 2; frame++) draw_model(model, at, &bones);
        EXPECT_EQ(model->parts[0].display_list != 0, c.want_list);
        EXPECT_TRUE(lit(silhouette(), 0, 0));
        use_program(PROGRAM_FIXED);
        delete_shaders();
        model_free(model);
    }
}

TEST_F(ModelDrawTest, SkinnedPoseGivesTheSameSilhouetteOnEveryPath) {
    // Bone 0 turns a quarter turn about z and moves right: the square centred
    // at (0, 0.3) lands centred at (0.2, 0).
    Model* model = parse("JM2 1 b\n" + square_part("16 1 1 1 1", 0, 0.3f, 0.2f, 1));
    ASSERT_TRUE(model);
    float rest[1][3] = {{0, 0, 0}}, posed[1][3] = {{0.5f, 0, 0}}, turn[1][9] = {{0, 1, 0, -1, 0, 0, 0, 0, 1}};
    ModelBones bones = {1, rest, posed, turn};
    float at[3] = {0, 0, 0};
    struct {
        const char* name;
        bool shaders, no_vertex_arrays;
    } paths[] = {
        {"fixed function, vertex arrays", false, false},
        {"fixed function, immediate mode", false, true},
        {"shaders, vertex arrays", true, false},
        {"shaders, immediate mode", true, true},
    };
    std::vector<bool> first;
    for (const auto& p : paths) {
        SCOPED_TRACE(p.name);
        ASSERT_EQ(build_shaders(p.shaders), p.shaders);
        render_options_for_startup().no_vertex_arrays = p.no_vertex_arrays;
        begin_scene();
        if (p.shaders) use_program(PROGRAM_LIT);
        draw_model(model, at, &bones);
        use_program(PROGRAM_FIXED);
        std::vector<bool> mask = silhouette();
        EXPECT_TRUE(lit(mask, 0.2f, 0));
        EXPECT_FALSE(lit(mask, 0, 0.3f));   // the rest position stays empty
        EXPECT_FALSE(lit(mask, 0.5f, 0));   // the bone centre is not covered
        EXPECT_NEAR(count(mask), 0.4 * 0.4 / 4 * SIDE * SIDE, 40);
        if (first.empty()) {
            first = mask;
        } else {
            int differ = 0;
            for (size_t i = 0; i < mask.size(); i++) differ += mask[i] != first[i];
            EXPECT_LE(differ, 16) << "edge pixels only";
        }
        delete_shaders();
        // The display list of the shader path would keep its streams; start afresh.
        for (ModelPart& part : model->parts)
            if (part.display_list) glDeleteLists(part.display_list, 1), part.display_list = 0;
    }
    model_free(model);
}

TEST_F(ModelDrawTest, EnvironmentPartsWaitForTheirOwnPass) {
    std::string text = "JM1\n" + square_part("16 1 1 1 1", -0.5f, 0, 0.25f, 0) + square_part("-1 0.5 1 1 1", 0.5f, 0, 0.25f, 0) +
                       square_part("16 1 1 1 1", 0, 0.5f, 0.2f, 0);
    Model* model = parse(text);
    ASSERT_TRUE(model);
    ASSERT_TRUE(model_has_environment(model));
    set_model_reflections(false);
    EXPECT_FALSE(model_has_environment(model));
    set_model_reflections(true);

    ASSERT_FALSE(build_shaders(false));
    float at[3] = {0, 0, 0}, eye[3] = {0, 0, 10}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    begin_scene();
    reset_model_stats();
    draw_model_static(model, at);
    std::vector<bool> mask = silhouette();
    EXPECT_TRUE(lit(mask, -0.5f, 0));
    EXPECT_FALSE(lit(mask, 0.5f, 0));  // mirror-like part: environment pass only
    EXPECT_FALSE(lit(mask, 0, 0.5f));  // parts after it are not drawn either
    EXPECT_EQ(model_stats().triangles, 2);
    EXPECT_EQ(model_stats().vertices, 4);

    begin_scene();
    glDisable(GL_LIGHTING);
    draw_model_environment(model, eye, at, identity, nullptr);
    glEnable(GL_LIGHTING);
    mask = silhouette();
    EXPECT_FALSE(lit(mask, -0.5f, 0));
    EXPECT_TRUE(lit(mask, 0.5f, 0));
    EXPECT_EQ(model_stats().triangles, 4);
    model_free(model);
}

TEST_F(ModelDrawTest, SelfLitPartGlowsInItsColourAndRestoresTheLights) {
    Model* model = parse("JM1\n" + square_part("-2 1 0 1 0", 0, 0, 0.5f, 0));
    ASSERT_TRUE(model);
    ASSERT_FALSE(build_shaders(false));
    begin_scene();
    float dim[4] = {0.1f, 0.1f, 0.1f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, dim);
    float at[3] = {0, 0, 0};
    draw_model_static(model, at);
    std::vector<unsigned char> rgb = lit_scene_pixels(SIDE / 2, SIDE / 2, 1, 1);
    EXPECT_LT(rgb[0], 5);
    EXPECT_GT(rgb[1], 240);
    float model_ambient[4], light_ambient[4], diffuse[4];
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, model_ambient);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, light_ambient);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    EXPECT_FLOAT_EQ(model_ambient[0], 0.1f);
    EXPECT_FLOAT_EQ(light_ambient[1], 0);
    EXPECT_FLOAT_EQ(diffuse[0], 1);
    model_free(model);
}
