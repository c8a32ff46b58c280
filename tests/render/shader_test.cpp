#include <gtest/gtest.h>

#include <vector>

#include "render/gl_ext.h"
#include "render/shader.h"
#include "support/gl_context.h"
#include "support/lit_scene.h"

namespace {

class ShaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lit_scene_open()) << "no OpenGL context (run under xvfb-run)";
        const GlCaps& gl = gl_caps();
        ASSERT_TRUE(build_shaders(true)) << "the seven programs must build on " << gl_string(GL_RENDERER) << " "
                                         << gl.major << "." << gl.minor << " units " << gl.texture_units
                                         << " vs " << gl.has_vertex_shader << " fs " << gl.has_fragment_shader
                                         << " objects " << gl.has_shader_objects;
    }
    void TearDown() override { lit_scene_close(); }
};

// A 1 x 1 texture of one colour on unit 0.
GLuint solid_texture(unsigned char r, unsigned char g, unsigned char b) {
    GLuint tid;
    unsigned char px[4] = {r, g, b, 255};
    glGenTextures(1, &tid);
    glBindTexture(GL_TEXTURE_2D, tid);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return tid;
}

// A 1 x 1 texture bound to `unit`.
GLuint solid_texture_on(int unit, unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    gl_caps().active_texture(GL_TEXTURE0_ARB + unit);
    GLuint tid = solid_texture(r, g, b);
    unsigned char px[4] = {r, g, b, a};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
    gl_caps().active_texture(GL_TEXTURE0_ARB);
    return tid;
}

// Head-on white light, half-grey diffuse material, no ambient, no fog.
void set_scene() {
    LitSceneParams scene = lit_scene_default_params();
    lit_scene_begin(&scene);
}

// A quad covering x, y in [-0.5, 0.5] around `centre_x` at eye depth `z`,
// bound to bone 0, tangent along x.
void draw_quad(float centre_x, float z = 0.0f) {
    const GlCaps& gl = gl_caps();
    glBegin(GL_QUADS);
    float xs[4] = {-0.5f, 0.5f, 0.5f, -0.5f}, ys[4] = {-0.5f, -0.5f, 0.5f, 0.5f};
    for (int i = 0; i < 4; i++) {
        glNormal3f(0, 0, 1);
        gl.multi_tex_coord_4f(GL_TEXTURE1_ARB, 1, 0, 0, 0);
        gl.multi_tex_coord_4f(GL_TEXTURE2_ARB, 1, 0, 0, 0);
        gl.multi_tex_coord_4f(GL_TEXTURE3_ARB, 0, 0, 0, 0);
        gl.multi_tex_coord_2f(GL_TEXTURE0_ARB, 0.5f, 0.5f);
        glVertex3f(centre_x + xs[i], ys[i], z);
    }
    glEnd();
}

void pixel_at(int x, int y, unsigned char rgb[3]) {
    std::vector<unsigned char> pixel = lit_scene_pixels(x, y, 1, 1);
    for (int c = 0; c < 3; c++) rgb[c] = pixel[c];
}

}  // namespace

TEST_F(ShaderTest, LitQuadLandsTheTextureTimesDiffuse) {
    GLuint tid = solid_texture(200, 100, 50);
    set_scene();
    use_program(PROGRAM_LIT);
    set_bones(0, nullptr, nullptr, nullptr);
    draw_quad(0);
    use_program(PROGRAM_FIXED);
    unsigned char rgb[3];
    pixel_at(32, 32, rgb);
    EXPECT_NEAR(rgb[0], 100, 2);
    EXPECT_NEAR(rgb[1], 50, 2);
    EXPECT_NEAR(rgb[2], 25, 2);
    pixel_at(2, 2, rgb);
    EXPECT_EQ(rgb[0], 0);
    glDeleteTextures(1, &tid);
}

TEST_F(ShaderTest, BonesMoveTheQuadAndZeroBonesRestoreTheFixedTransform) {
    GLuint tid = solid_texture(255, 255, 255);
    set_scene();
    float rest[1][3] = {{0, 0, 0}}, posed[1][3] = {{-0.5f, 0, 0}};
    float identity[1][9] = {{1, 0, 0, 0, 1, 0, 0, 0, 1}};
    use_program(PROGRAM_LIT);
    set_bones(1, rest, posed, identity);
    draw_quad(0.0f);  // skinned: centred at x = -0.5
    unsigned char left[3], right[3];
    pixel_at(12, 32, left);
    pixel_at(44, 32, right);
    EXPECT_GT(left[0], 100);
    EXPECT_EQ(right[0], 0);

    glClear(GL_COLOR_BUFFER_BIT);
    set_bones(0, rest, posed, identity);  // the bone arrays stay uploaded
    draw_quad(0.0f);
    use_program(PROGRAM_FIXED);
    pixel_at(12, 32, left);
    pixel_at(32, 32, right);
    EXPECT_EQ(left[0], 0);
    EXPECT_GT(right[0], 100);
    glDeleteTextures(1, &tid);
}

TEST_F(ShaderTest, SpecularMapAlphaOneMeansTheMaterialShininess) {
    // Black texture, flat normal map, white specular map: only the specular
    // term lights the pixel. A quarter off-centre the reflection is 0.89 off
    // the light, so shininess 128 darkens it while the map's own exponent
    // 0.125 (alpha 0) keeps it bright.
    struct {
        unsigned char smap_alpha;
        bool bright;
    } cases[] = {{255, false}, {0, true}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.smap_alpha);
        GLuint tex = solid_texture_on(0, 0, 0, 0, 255);
        GLuint nmap = solid_texture_on(1, 128, 128, 255, 255);
        GLuint smap = solid_texture_on(2, 255, 255, 255, c.smap_alpha);
        LitSceneParams scene = lit_scene_default_params();
        for (float& c : scene.light_specular) c = 1;
        lit_scene_begin(&scene);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 128.0f);
        use_program(PROGRAM_NORM_SPEC_LIT);
        set_bones(0, nullptr, nullptr, nullptr);
        draw_quad(0, -0.5f);
        use_program(PROGRAM_FIXED);
        unsigned char rgb[3];
        pixel_at(40, 32, rgb);
        if (c.bright) EXPECT_GT(rgb[0], 200);
        else EXPECT_LT(rgb[0], 10);
        GLuint ids[3] = {tex, nmap, smap};
        glDeleteTextures(3, ids);
    }
}

TEST_F(ShaderTest, UseProgramCountsOnlyRealSwitches) {
    reset_program_switch_count();
    struct {
        int slot;
        int want_current, want_switches;
    } steps[] = {{0, 0, 0}, {PROGRAM_LIT, 1, 1}, {PROGRAM_LIT, 1, 1}, {8, 1, 1}, {-1, 1, 1},
                 {PROGRAM_TERRAIN, 7, 2}, {0, 0, 3}};
    for (auto& s : steps) {
        SCOPED_TRACE(s.slot);
        use_program(s.slot);
        EXPECT_EQ(current_program(), s.want_current);
        EXPECT_EQ(program_switch_count(), s.want_switches);
    }
}

TEST(ShaderFallback, FixedFunctionWhenShadersAreOffOrUnitsAreShort) {
    ASSERT_TRUE(test_gl_context());
    detect_gl(test_gl_proc_address);
    EXPECT_FALSE(build_shaders(false));
    EXPECT_FALSE(shaders_active());
    use_program(PROGRAM_LIT);
    EXPECT_EQ(current_program(), 0);
    GlCaps& caps = const_cast<GlCaps&>(gl_caps());
    caps.texture_units = 3;
    EXPECT_FALSE(build_shaders(true));
    detect_gl(test_gl_proc_address);
}

TEST(GlExt, ExtensionNamesMatchWholeWords) {
    const char* list = "GL_ARB_multitexture GL_ARB_vertex_shader_extra GL_EXT_x";
    EXPECT_TRUE(gl_extension_listed(list, "GL_ARB_multitexture"));
    EXPECT_TRUE(gl_extension_listed(list, "GL_EXT_x"));
    EXPECT_FALSE(gl_extension_listed(list, "GL_ARB_vertex_shader"));
    EXPECT_FALSE(gl_extension_listed(list, "GL_EXT"));
    EXPECT_FALSE(gl_extension_listed(nullptr, "GL_EXT_x"));
}

TEST_F(ShaderTest, CameraRotationReachesTheEnvironmentProgramsTransposed) {
    // Camera modelview (column order) rotating 90 degrees about y, moved away.
    float camera[16] = {0, 0, 1, 0, 0, 1, 0, 0, -1, 0, 0, 0, 5, 6, 7, 1};
    use_program(PROGRAM_LIT);
    set_shader_camera(camera);
    EXPECT_EQ(current_program(), 0);
    auto get_uniform = (PFNGLGETUNIFORMFVARBPROC)test_gl_proc_address("glGetUniformfvARB");
    ASSERT_NE(get_uniform, nullptr);
    GLhandleARB env = 0;
    use_program(PROGRAM_ENV);
    auto get_handle = (PFNGLGETHANDLEARBPROC)test_gl_proc_address("glGetHandleARB");
    ASSERT_NE(get_handle, nullptr);
    env = get_handle(GL_PROGRAM_OBJECT_ARB);
    use_program(PROGRAM_FIXED);
    float envmat[9] = {};
    get_uniform(env, gl_caps().get_uniform_location(env, "envmat"), envmat);
    float want[9] = {0, 0, -1, 0, 1, 0, 1, 0, 0};  // column order of the transpose
    for (int i = 0; i < 9; i++) EXPECT_FLOAT_EQ(envmat[i], want[i]) << i;
}
