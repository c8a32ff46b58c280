// The generated bike and rider content through the model, shape and texture
// loaders, and a whole bike with its posed rider drawn on both drawing paths.
// Reads the content the build generated (RW_HOME = the build folder). With
// RW_BIKE_PICTURE naming a file, the drawing test also writes its picture.
#include <gtest/gtest.h>

#include "base/messages.h"
#include <math.h>
#include <stdlib.h>

#include <set>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/data_index.h"
#include "base/render_options.h"
#include "render/gl_ext.h"
#include "base/image.h"
#include "render/model.h"
#include "render/shader.h"
#include "sim/shape.h"
#include "render/texture.h"
#include "sim/bike_info.h"
#include "sim/number_plate.h"
#include "support/data_home.h"
#include "support/lit_scene.h"

namespace {

struct Messages {
    std::vector<std::string> lines;
    static void add(const char* text, void* self) { ((Messages*)self)->lines.push_back(text); }
    Messages() {
        set_message_sink(add, this);
    }
    ~Messages() {
        set_message_sink(nullptr, nullptr);
    }
};

class BikeContentTest : public ::testing::Test {
protected:
    TestDataHome home{RW_BINARY_DIR};
    void SetUp() override {
        ASSERT_TRUE(lit_scene_open()) << "no OpenGL context (run under xvfb-run)";
        file_list();  // the data index, as start-up builds it
    }
    void TearDown() override {
        delete_unused_models(true);
        delete_unused_textures(true);
        shape_cache_free();
        lit_scene_close();
    }
};

bool is_model(const char* name) { return strstr(name, ".jm") != nullptr; }
bool is_shape(const char* name) { return strstr(name, ".shp") != nullptr; }

int triangles(const Model* m) {
    int n = 0;
    for (const ModelPart& p : m->parts) n += p.triangle_count;
    return n;
}

}  // namespace

TEST_F(BikeContentTest, EveryCatalogueFileLoadsWithoutWarnings) {
    Messages m;
    std::set<std::string> seen;
    for (int row = 0; row < BIKE_CATALOGUE_ROWS; row++) {
        const BikeInfo* bike = bike_catalogue_row(row);
        for (int f = 0; f < BIKE_FILE_COUNT; f++) {
            const char* name = bike->files[f];
            if (!seen.insert(name).second) continue;
            SCOPED_TRACE(name);
            if (is_model(name)) {
                EXPECT_TRUE(load_model(name));
            } else if (is_shape(name)) {
                Shape* s = load_shape(name);
                ASSERT_TRUE(s);
                EXPECT_GT(s->spheres.size(), 0u);
                EXPECT_LT(s->bounding_radius, 5);
                shape_free(s);
            } else {
                std::string base(name, strlen(name) - 4);
                int alternatives = base == "@rider_body" || base == "@rider_head" ? 3 : 2;
                EXPECT_NE(load_texture(name), 0);
                for (int a = 1; a <= alternatives; a++)
                    EXPECT_NE(load_texture((base + "-alt" + std::to_string(a) + ".png").c_str()), 0) << a;
                if (base == "@wheels") {
                    for (const char* look : {"", "-alt1", "-alt2"})
                        EXPECT_NE(load_texture((base + look + "_norm.png").c_str()), 0) << look;
                }
            }
        }
    }
    EXPECT_EQ(m.lines, std::vector<std::string>{});
}

TEST_F(BikeContentTest, ModelsAreSkinnedFarLevelsExistAndCountsStayModest) {
    const BikeInfo* bike = find_bike_info("yz250f(2017)");
    ASSERT_TRUE(bike);
    Model* frame = load_model(bike->files[BIKE_FILE_FRAME_MODEL]);
    Model* body = load_model(bike->files[BIKE_FILE_RIDER_BODY_MODEL]);
    ASSERT_TRUE(frame && body);
    ASSERT_EQ(frame->lods.size(), 1u);
    ASSERT_EQ(body->lods.size(), 1u);
    EXPECT_EQ(frame->lods[0].distance, 2);
    EXPECT_LT(triangles(frame->lods[0].model), triangles(frame) / 2);
    EXPECT_LT(triangles(body->lods[0].model), triangles(body));

    for (int f : {BIKE_FILE_RIDER_BODY_MODEL, BIKE_FILE_RIDER_BODY_FP_MODEL, BIKE_FILE_RIDER_PLATE_MODEL}) {
        Model* m = load_model(bike->files[f]);
        ASSERT_TRUE(m);
        for (const ModelPart& p : m->parts) {
            EXPECT_EQ(p.bone_count, 9) << bike->files[f];
            for (int b : p.bone_indices) ASSERT_LT(b, 9);
        }
    }
    int total = 0;
    for (int f : {BIKE_FILE_FRAME_MODEL, BIKE_FILE_FORK_UPPER_MODEL, BIKE_FILE_FORK_LOWER_MODEL, BIKE_FILE_SWINGARM_MODEL,
                  BIKE_FILE_FRONT_WHEEL_MODEL, BIKE_FILE_REAR_WHEEL_MODEL, BIKE_FILE_RIDER_HEAD_MODEL,
                  BIKE_FILE_RIDER_BODY_MODEL, BIKE_FILE_SIDE_PLATES_MODEL, BIKE_FILE_FRONT_PLATE_MODEL,
                  BIKE_FILE_RIDER_PLATE_MODEL}) {
        Model* m = load_model(bike->files[f]);
        ASSERT_TRUE(m) << bike->files[f];
        total += triangles(m);
    }
    EXPECT_LT(total, 6000);
    // The stanchions carry a mirror-like skin for the reflection pass.
    Model* fork_lower = load_model(bike->files[BIKE_FILE_FORK_LOWER_MODEL]);
    EXPECT_TRUE(model_has_environment(fork_lower));
    EXPECT_EQ(fork_lower->parts.back().shininess, MODEL_ENVIRONMENT);
    EXPECT_FLOAT_EQ(fork_lower->parts.back().colour[3], 0.35f);
    // The tires are the catalogue's torus: their outermost points reach
    // major + tube radius from the axle.
    Model* front = load_model(bike->files[BIKE_FILE_FRONT_WHEEL_MODEL]);
    float reach = 0;
    for (const ModelPart& p : front->parts)
        for (int i = 0; i < p.vertex_count; i++)
            reach = fmaxf(reach, hypotf(p.positions[i * 3 + 1], p.positions[i * 3 + 2]));
    EXPECT_NEAR(reach, bike->front_wheel.tire_major_radius + bike->front_wheel.tire_tube_radius, 0.01f);
}

namespace {

struct V {
    float x, y, z;
};
V operator+(V a, V b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V operator-(V a, V b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator*(V a, float s) { return {a.x * s, a.y * s, a.z * s}; }
float dot(V a, V b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(V a, V b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
V unit(V a) { return a * (1 / sqrtf(dot(a, a))); }
V pt(const float* p) { return {p[0], p[1], p[2]}; }

// Middle joint of a two-bone limb from root a to target b.
V two_bone(V a, V b, float upper, float lower, V hint) {
    float d = sqrtf(dot(b - a, b - a));
    V u = (b - a) * (1 / d);
    V h = unit((hint - a) - u * dot(hint - a, u));
    d = fminf(d, 0.95f * (upper + lower));
    float s = (upper * upper - lower * lower + d * d) / (2 * d);
    float q = sqrtf(fmaxf(0.0f, upper * upper - s * s));
    return a + h * q + u * s;
}

// The rider's nine bones for a bike at rest in its catalogue pose (every body
// unrotated), hands on the grips and feet on the pegs.
struct Skeleton {
    float rest[9][3], posed[9][3], rotation[9][9];
    void set(int bone, V centre, V c0, V c1, V c2) {
        float values[9] = {c0.x, c0.y, c0.z, c1.x, c1.y, c1.z, c2.x, c2.y, c2.z};
        for (int k = 0; k < 9; k++) rotation[bone][k] = values[k];
        posed[bone][0] = centre.x, posed[bone][1] = centre.y, posed[bone][2] = centre.z;
    }
};

Skeleton pose_rider(const BikeInfo& bike) {
    const BikeRiderPoints& rp = bike.rider_points;
    Skeleton s;
    memcpy(s.rest, rp.bone_rest_centre, sizeof s.rest);
    V rider = pt(bike.rider_position), fork = pt(bike.fork_upper_position), frame = pt(bike.frame_position);
    V sl = rider + pt(rp.left_shoulder), sr = rider + pt(rp.right_shoulder);
    V gl = fork + pt(rp.left_grip), gr = fork + pt(rp.right_grip);
    V bar = gr - gl;
    V spine = {0, rp.left_shoulder[1] - rp.left_hip[1], rp.left_shoulder[2] - rp.left_hip[2]};
    V el = two_bone(sl, gl, rp.upper_arm_length, rp.forearm_length,
                    rider + V{rp.left_shoulder[0] - 0.5f, rp.left_shoulder[1] - 1, rp.left_shoulder[2] + 2} + (gl - gr));
    V er = two_bone(sr, gr, rp.upper_arm_length, rp.forearm_length,
                    rider + V{rp.right_shoulder[0] + 0.5f, rp.right_shoulder[1] - 0.9f, rp.right_shoulder[2] + 2} + (gr - gl));
    V c0 = unit(el - gl), c1 = unit(cross(bar, gl - el));
    s.set(0, el, c0, c1, cross(c0, c1));
    c0 = unit(gr - er), c1 = unit(cross(bar, gr - er));
    s.set(1, er, c0, c1, cross(c0, c1));
    c0 = unit(sl - el);
    V c2 = unit(cross(c0, spine));
    s.set(2, sl, c0, cross(c2, c0), c2);
    c0 = unit(er - sr), c2 = unit(cross(c0, spine));
    s.set(3, sr, c0, cross(c2, c0), c2);
    V hl = rider + pt(rp.left_hip), hr = rider + pt(rp.right_hip), across = hr - hl;
    V fl = frame + pt(rp.left_foot_peg), fr = frame + pt(rp.right_foot_peg);
    V kl = two_bone(hl, fl, rp.thigh_length, rp.shin_length, rider + V{rp.left_hip[0] - 0.5f, rp.left_hip[1], rp.left_hip[2] - 2});
    V kr = two_bone(hr, fr, rp.thigh_length, rp.shin_length, rider + V{rp.right_hip[0] + 0.5f, rp.right_hip[1], rp.right_hip[2] - 2});
    struct {
        int thigh, shin;
        V hip, knee, foot;
    } legs[2] = {{6, 4, hl, kl, fl}, {7, 5, hr, kr, fr}};
    for (const auto& leg : legs) {
        V up = unit(leg.hip - leg.knee), side = unit(cross(across, up));
        s.set(leg.thigh, leg.hip, cross(up, side), up, side);
        up = unit(leg.knee - leg.foot), side = unit(cross(across, up));
        s.set(leg.shin, leg.knee, cross(up, side), up, side);
    }
    V hips = rider + V{0, rp.left_hip[1], rp.left_hip[2]}, shoulders = rider + V{0, rp.left_shoulder[1], rp.left_shoulder[2]};
    V x = {1, 0, 0}, y = unit(shoulders - hips);
    s.set(8, hips, x, y, cross(x, y));
    return s;
}

const int WIDTH = 480, HEIGHT = 320;

// An offscreen colour and depth target of WIDTH x HEIGHT.
struct Target {
    GLuint fbo = 0, colour = 0, depth = 0;
    bool make() {
        const GlCaps& gl = gl_caps();
        if (!gl.has_framebuffer_object) return false;
        gl.gen_framebuffers(1, &fbo);
        gl.bind_framebuffer(GL_FRAMEBUFFER_EXT, fbo);
        gl.gen_renderbuffers(1, &colour);
        gl.bind_renderbuffer(GL_RENDERBUFFER_EXT, colour);
        gl.renderbuffer_storage(GL_RENDERBUFFER_EXT, GL_RGBA8, WIDTH, HEIGHT);
        gl.framebuffer_renderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, colour);
        gl.gen_renderbuffers(1, &depth);
        gl.bind_renderbuffer(GL_RENDERBUFFER_EXT, depth);
        gl.renderbuffer_storage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, WIDTH, HEIGHT);
        gl.framebuffer_renderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, depth);
        return gl.check_framebuffer_status(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
    }
    ~Target() {
        const GlCaps& gl = gl_caps();
        if (!fbo) return;
        gl.bind_framebuffer(GL_FRAMEBUFFER_EXT, 0);
        gl.delete_renderbuffers(1, &colour);
        gl.delete_renderbuffers(1, &depth);
        gl.delete_framebuffers(1, &fbo);
    }
};

const float BACKGROUND[3] = {0.55f, 0.72f, 0.9f};

// Camera at `eye` in front of the bike's right side, looking at its middle,
// under a sun from above the far side and a bluish-grey sky light.
LitSceneParams bike_scene(const float eye[3]) {
    LitSceneParams p = lit_scene_default_params();
    p.width = WIDTH;
    p.height = HEIGHT;
    p.half_fov_y = 0.3f;
    p.near_ft = 1;
    p.far_ft = 100;
    V target = {0, 2.6f, 3.4f}, from = {eye[0], eye[1], eye[2]};
    V f = unit(target - from), s = unit(cross(f, V{0, 1, 0})), u = cross(s, f);
    float view[16] = {s.x, u.x, -f.x, 0, s.y, u.y, -f.y, 0, s.z, u.z, -f.z, 0,
                      -dot(s, from), -dot(u, from), dot(f, from), 1};
    memcpy(p.view, view, sizeof p.view);
    float sun[4] = {0.5f, 0.8f, -0.4f, 0}, white[4] = {0.85f, 0.85f, 0.85f, 1}, ambient[4] = {0.4f, 0.4f, 0.42f, 1},
          one[4] = {1, 1, 1, 1};
    memcpy(p.light_position, sun, sizeof sun);
    memcpy(p.light_diffuse, white, sizeof white);
    memcpy(p.light_specular, white, sizeof white);
    memcpy(p.light_ambient, ambient, sizeof ambient);
    memcpy(p.material_diffuse, one, sizeof one);
    memcpy(p.material_ambient, one, sizeof one);
    for (int c = 0; c < 3; c++) p.background[c] = BACKGROUND[c];
    p.background[3] = 1;
    p.depth_test = true;
    p.cull_faces = true;
    return p;
}

void bind(int tid) { glBindTexture(GL_TEXTURE_2D, (GLuint)tid); }

// One frame of the bike and rider in their catalogue pose; returns RGB rows bottom-up.
std::vector<unsigned char> draw_bike(const BikeInfo& bike, const Skeleton& sk, int plate_tid) {
    float eye[3] = {9.5f, 4.6f, -2.8f};
    LitSceneParams scene = bike_scene(eye);
    lit_scene_begin(&scene);
    set_model_camera(eye);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.1f);  // the clear parts of the spoke picture

    // Ground.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glColor3f(0.45f, 0.36f, 0.25f);
    glBegin(GL_QUADS);
    float g = -0.08f;
    glVertex3f(-30, g, -30), glVertex3f(-30, g, 40), glVertex3f(30, g, 40), glVertex3f(30, g, -30);
    glEnd();
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_LIGHTING);

    bool shaders = shaders_active();
    use_program(shaders ? PROGRAM_LIT : PROGRAM_FIXED);
    struct {
        int model, texture;
        const float* at;
    } rigid[] = {
        {BIKE_FILE_FRAME_MODEL, BIKE_FILE_BIKE_TEXTURE, bike.frame_position},
        {BIKE_FILE_FORK_UPPER_MODEL, BIKE_FILE_BIKE_TEXTURE, bike.fork_upper_position},
        {BIKE_FILE_FORK_LOWER_MODEL, BIKE_FILE_BIKE_TEXTURE, bike.fork_lower_position},
        {BIKE_FILE_SWINGARM_MODEL, BIKE_FILE_BIKE_TEXTURE, bike.swingarm_position},
        {BIKE_FILE_FRONT_WHEEL_MODEL, BIKE_FILE_WHEEL_TEXTURE, bike.front_wheel.position},
        {BIKE_FILE_REAR_WHEEL_MODEL, BIKE_FILE_WHEEL_TEXTURE, bike.rear_wheel.position},
        {BIKE_FILE_SIDE_PLATES_MODEL, -1, bike.frame_position},
        {BIKE_FILE_FRONT_PLATE_MODEL, -1, bike.fork_upper_position},
    };
    const GlCaps& gl = gl_caps();
    for (const auto& r : rigid) {
        bind(r.texture < 0 ? plate_tid : load_texture(bike.files[r.texture]));
        // With shaders the wheels take their normal map (the tread knobs) on unit 1.
        bool mapped = shaders && r.texture == BIKE_FILE_WHEEL_TEXTURE;
        if (mapped) {
            gl.active_texture(GL_TEXTURE1);
            glEnable(GL_TEXTURE_2D);
            bind(load_texture("@wheels_norm.png"));
            gl.active_texture(GL_TEXTURE0);
            use_program(PROGRAM_NORM_LIT);
        }
        glPushMatrix();
        glTranslatef(r.at[0], r.at[1], r.at[2]);
        draw_model_static(load_model(bike.files[r.model]), r.at);
        glPopMatrix();
        if (mapped) {
            gl.active_texture(GL_TEXTURE1);
            glDisable(GL_TEXTURE_2D);
            gl.active_texture(GL_TEXTURE0);
            use_program(PROGRAM_LIT);
        }
    }
    ModelBones bones = {9, sk.rest, sk.posed, sk.rotation};
    bind(load_texture(bike.files[BIKE_FILE_RIDER_BODY_TEXTURE]));
    draw_model(load_model(bike.files[BIKE_FILE_RIDER_BODY_MODEL]), bike.rider_position, &bones);
    bind(plate_tid);
    draw_model(load_model(bike.files[BIKE_FILE_RIDER_PLATE_MODEL]), bike.rider_position, &bones);
    // Head: unrotated at the head point.
    const float* h = bike.rider_points.head;
    float head[3] = {bike.rider_position[0] + h[0], bike.rider_position[1] + h[1], bike.rider_position[2] + h[2]};
    bind(load_texture(bike.files[BIKE_FILE_RIDER_HEAD_TEXTURE]));
    glPushMatrix();
    glTranslatef(head[0], head[1], head[2]);
    draw_model_static(load_model(bike.files[BIKE_FILE_RIDER_HEAD_MODEL]), head);
    glPopMatrix();
    // Reflection pass: the fork's chrome skin over the sky picture, additive.
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_ONE, GL_ONE);
    bind(load_texture("@sky-env.ppm"));
    if (shaders) {
        float camera[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, camera);
        set_shader_camera(camera);
        use_program(PROGRAM_ENV);
    }
    Model* fork_lower = load_model(bike.files[BIKE_FILE_FORK_LOWER_MODEL]);
    if (model_has_environment(fork_lower)) {
        float identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        const float* at = bike.fork_lower_position;
        glPushMatrix();
        glTranslatef(at[0], at[1], at[2]);
        draw_model_environment(fork_lower, eye, at, identity, nullptr);
        glPopMatrix();
    }
    use_program(PROGRAM_FIXED);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);

    return lit_scene_pixels(0, 0, WIDTH, HEIGHT);
}

// Pixels that are neither sky nor ground.
std::vector<bool> bike_pixels(const std::vector<unsigned char>& rgb) {
    std::vector<bool> mask(WIDTH * HEIGHT);
    for (int i = 0; i < WIDTH * HEIGHT; i++) {
        const unsigned char* p = &rgb[i * 3];
        bool sky = abs(p[0] - 140) < 4 && abs(p[1] - 184) < 4 && abs(p[2] - 230) < 4;
        bool ground = abs(p[0] - 115) < 4 && abs(p[1] - 92) < 4 && abs(p[2] - 64) < 4;
        mask[i] = !sky && !ground;
    }
    return mask;
}

// The plate texture of rider number "999" from the generated number font.
int plate_texture() {
    const CpuImage* font_image = load_image("@numbers.png");
    NumberFont font{};
    bool has_font = font_image && number_font_cut(&font, font_image->pixels, font_image->width, font_image->height);
    std::vector<unsigned char> pixels(NUMBER_PLATE_SIZE * NUMBER_PLATE_SIZE * 4);
    PlateColours colours = number_plate_colours("");
    number_plate_pixels("999", &colours, has_font ? &font : nullptr, pixels.data());
    return create_single_level_texture(pixels.data(), NUMBER_PLATE_SIZE, NUMBER_PLATE_SIZE, 4);
}

}  // namespace

TEST_F(BikeContentTest, BikeAndRiderLandTheSamePixelsOnBothPaths) {
    Target target;
    ASSERT_TRUE(target.make()) << "framebuffer objects are needed for the offscreen picture";
    const BikeInfo* bike = find_bike_info("yz250f(2017)");
    ASSERT_TRUE(bike);
    Skeleton sk = pose_rider(*bike);
    // The posed hands reach the grips and the feet the pegs.
    const BikeRiderPoints& rp = bike->rider_points;
    for (int side = 0; side < 2; side++) {
        int fore = side, shin = 4 + side;
        V hand = pt(sk.posed[fore]) + V{sk.rotation[fore][0], sk.rotation[fore][1], sk.rotation[fore][2]} *
                                          (side ? rp.forearm_length : -rp.forearm_length);
        V grip = pt(bike->fork_upper_position) + pt(side ? rp.right_grip : rp.left_grip);
        EXPECT_LT(sqrtf(dot(hand - grip, hand - grip)), 0.05f) << side;
        V foot = pt(sk.posed[shin]) - V{sk.rotation[shin][3], sk.rotation[shin][4], sk.rotation[shin][5]} * rp.shin_length;
        V peg = pt(bike->frame_position) + pt(side ? rp.right_foot_peg : rp.left_foot_peg);
        EXPECT_LT(sqrtf(dot(foot - peg, foot - peg)), 0.05f) << side;
    }

    int plate = plate_texture();
    ASSERT_FALSE(build_shaders(false));
    std::vector<unsigned char> fixed = draw_bike(*bike, sk, plate);
    ASSERT_TRUE(build_shaders(true));
    std::vector<unsigned char> shaded = draw_bike(*bike, sk, plate);
    std::vector<bool> a = bike_pixels(fixed), b = bike_pixels(shaded);
    int count = 0, differ = 0;
    for (size_t i = 0; i < a.size(); i++) count += a[i], differ += a[i] != b[i];
    // The bike and rider fill a good part of the frame, and both paths agree
    // on the silhouette up to edge pixels.
    EXPECT_GT(count, WIDTH * HEIGHT / 10);
    EXPECT_LT(differ, count / 50);

    // Where things land: the rider's helmet is above the seat, the front
    // wheel left of the rear wheel in this view, nothing at the top corners.
    auto at = [&](float fx, float fy) { return a[(int)(fy * HEIGHT) * WIDTH + (int)(fx * WIDTH)]; };
    EXPECT_FALSE(at(0.02f, 0.98f));
    EXPECT_FALSE(at(0.98f, 0.98f));

    const char* picture = getenv("RW_BIKE_PICTURE");
    if (picture && *picture) {
        std::vector<unsigned char> png;
        ASSERT_TRUE(encode_png(getenv("RW_BIKE_PICTURE_FIXED") ? fixed.data() : shaded.data(), WIDTH, HEIGHT, 3, true, &png));
        FILE* f = fopen(picture, "wb");
        ASSERT_TRUE(f);
        fwrite(png.data(), 1, png.size(), f);
        fclose(f);
    }
    GLuint tid = (GLuint)plate;
    glDeleteTextures(1, &tid);
}
