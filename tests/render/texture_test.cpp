#include <gtest/gtest.h>
#include <math.h>

#include <random>
#include <string>
#include <vector>

#include "base/messages.h"
#include "base/render_options.h"
#include "render/gl_ext.h"
#include "base/image.h"
#include "render/texture.h"
#include "support/data_home.h"
#include "support/gl_context.h"
#include "support/temp_dir.h"

namespace {

std::string as_string(const std::vector<unsigned char>& v) { return std::string(v.begin(), v.end()); }

std::vector<unsigned char> noise(int w, int h, int bpp, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<unsigned char> px((size_t)w * h * bpp);
    for (auto& b : px) b = (unsigned char)(rng() & 255);
    return px;
}

// Waves with a period of 8 texels: detail that a half-size level cannot
// predict, but smooth enough that its enlargements stay predictable.
std::vector<unsigned char> waves(int w, int h) {
    std::vector<unsigned char> px((size_t)w * h * 3, 128);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            px[((size_t)y * w + x) * 3] = (unsigned char)(128 + 40 * sin(2 * M_PI * x / 8));
            px[((size_t)y * w + x) * 3 + 1] = (unsigned char)(128 + 40 * sin(2 * M_PI * y / 8));
        }
    return px;
}

std::vector<unsigned char> solid(int w, int h, int bpp, unsigned char value) {
    return std::vector<unsigned char>((size_t)w * h * bpp, value);
}

std::string png_file(const std::vector<unsigned char>& px, int w, int h, int bpp) {
    std::vector<unsigned char> out;
    EXPECT_TRUE(encode_png(px.data(), w, h, bpp, false, &out));
    return as_string(out);
}

// An inline J7 frame of one colour (deltas: the first pixel, then zeros).
std::string j7_frame(int w, int h, unsigned char r, unsigned char g, unsigned char b) {
    std::string s = "J7 " + std::to_string(w) + " " + std::to_string(h) + "\n";
    std::string body((size_t)w * h * 4, '\0');
    body[0] = (char)r, body[1] = (char)g, body[2] = (char)b, body[3] = (char)255;
    return s + body + "\n";
}

class TextureTest : public ::testing::Test {
protected:
    TempDir dir;
    std::vector<std::string> messages;

    void SetUp() override {
        ASSERT_TRUE(test_gl_context()) << "no OpenGL context (run under xvfb-run)";
        detect_gl(test_gl_proc_address);
        render_options_for_startup().debug_level = 1;
        render_options_for_startup().model_texture_skip = 0;
        render_options_for_startup().texture_compress = COMPRESS_REQUESTED;
        set_message_sink([](const char* text, void* self) {
            ((std::vector<std::string>*)self)->push_back(text);
        }, &messages);
        begin_texture_generation();
    }
    void TearDown() override {
        delete_unused_textures(true);
        set_message_sink(nullptr, nullptr);
        render_options_for_startup().debug_level = 0;
        render_options_for_startup().model_texture_skip = 0;
        render_options_for_startup().texture_compress = COMPRESS_NO;
    }
    std::string file(const std::string& name, const std::string& content) { return dir.write(name, content); }
    bool said(const std::string& text) const {
        for (auto& m : messages)
            if (m == text) return true;
        return false;
    }
    std::string all_messages() const {
        std::string s;
        for (auto& m : messages) s += m + "\n";
        return s;
    }
};

struct LevelSize {
    int width, height;
};

LevelSize level_size(int tid, int level) {
    LevelSize s = {0, 0};
    glBindTexture(GL_TEXTURE_2D, (GLuint)tid);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &s.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &s.height);
    glBindTexture(GL_TEXTURE_2D, 0);
    return s;
}

std::vector<unsigned char> read_level(int tid, int level, int w, int h) {
    std::vector<unsigned char> px((size_t)w * h * 4);
    glBindTexture(GL_TEXTURE_2D, (GLuint)tid);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return px;
}

// Bilinear enlargement (texel centres aligned) of an RGB picture by `factor`.
std::vector<unsigned char> enlarge(const std::vector<unsigned char>& src, int w, int h, int factor) {
    int W = w * factor, H = h * factor;
    std::vector<unsigned char> out((size_t)W * H * 3);
    for (int y = 0; y < H; y++) {
        float v = std::clamp((y + 0.5f) / factor - 0.5f, 0.0f, (float)h - 1);
        int y0 = (int)v, y1 = std::min(y0 + 1, h - 1);
        float fy = v - y0;
        for (int x = 0; x < W; x++) {
            float u = std::clamp((x + 0.5f) / factor - 0.5f, 0.0f, (float)w - 1);
            int x0 = (int)u, x1 = std::min(x0 + 1, w - 1);
            float fx = u - x0;
            for (int c = 0; c < 3; c++) {
                auto at = [&](int xx, int yy) { return (float)src[((size_t)yy * w + xx) * 3 + c]; };
                float top = at(x0, y0) * (1 - fx) + at(x1, y0) * fx;
                float bottom = at(x0, y1) * (1 - fx) + at(x1, y1) * fx;
                out[((size_t)y * W + x) * 3 + c] = (unsigned char)(top * (1 - fy) + bottom * fy + 0.5f);
            }
        }
    }
    return out;
}

}  // namespace

TEST_F(TextureTest, NonPowerOfTwoIsRoundedDownWithAWarning) {
    std::string path = file("odd.png", png_file(noise(100, 60, 3, 1), 100, 60, 3));
    int tid = load_texture(path.c_str());
    ASSERT_NE(tid, 0);
    LevelSize s = level_size(tid, 0);
    EXPECT_EQ(s.width, 64);
    EXPECT_EQ(s.height, 32);
    EXPECT_TRUE(said("Warning: Non power of 2 texture '" + path + "'")) << all_messages();
    EXPECT_STREQ(texture_name(tid), path.c_str());
}

TEST_F(TextureTest, SmoothEnlargementsLoseTheirRedundantLevels) {
    std::string big = file("big.png", png_file(enlarge(waves(128, 128), 128, 128, 8), 1024, 1024, 3));
    int tid = load_texture(big.c_str());
    ASSERT_NE(tid, 0);
    EXPECT_EQ(level_size(tid, 0).width, 128);
    EXPECT_EQ(level_size(tid, 0).height, 128);
    EXPECT_TRUE(said(big.substr(0, 64) + " reduced to 128x128 (originally 1024x1024)")) << all_messages();

    messages.clear();
    std::string flat = file("flat.png", png_file(solid(16, 16, 3, 90), 16, 16, 3));
    tid = load_texture(flat.c_str());
    EXPECT_EQ(level_size(tid, 0).width, 16);
    EXPECT_TRUE(messages.empty()) << all_messages();
}

TEST_F(TextureTest, DetailReductionKeepsAtLeast128) {
    render_options_for_startup().model_texture_skip = 2;
    struct {
        const char* name;
        int w, h, want_w, want_h;
        bool full_detail;
    } cases[] = {
        {"wide.png", 1024, 512, 256, 128, false}, {"square.png", 256, 256, 128, 128, false},
        {"small.png", 128, 128, 128, 128, false}, {"full.png", 256, 256, 256, 256, true},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = file(c.name, png_file(noise(c.w, c.h, 3, 3), c.w, c.h, 3));
        int tid = load_texture(((c.full_detail ? "!" : "") + path).c_str());
        ASSERT_NE(tid, 0);
        LevelSize s = level_size(tid, 0);
        EXPECT_EQ(s.width, c.want_w);
        EXPECT_EQ(s.height, c.want_h);
        int last_level = 0;
        while ((1 << last_level) < std::max(c.want_w, c.want_h)) last_level++;
        LevelSize last = level_size(tid, last_level);  // the chain runs down to 1 x 1
        EXPECT_EQ(last.width, 1);
        EXPECT_EQ(last.height, 1);
    }
}

TEST_F(TextureTest, WrapFlagsComeFromTheName) {
    struct {
        const char* name;
        GLint want_s, want_t;
    } cases[] = {
        {"grass-repeat.png", GL_REPEAT, GL_REPEAT},
        {"fence-hrepeat.png", GL_REPEAT, GL_CLAMP_TO_EDGE},
        {"pole-vrepeat.png", GL_CLAMP_TO_EDGE, GL_REPEAT},
        {"sign.png", GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        int tid = load_texture(file(c.name, png_file(noise(32, 32, 3, 4), 32, 32, 3)).c_str());
        ASSERT_NE(tid, 0);
        GLint s = 0, t = 0;
        glBindTexture(GL_TEXTURE_2D, (GLuint)tid);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &s);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t);
        glBindTexture(GL_TEXTURE_2D, 0);
        EXPECT_EQ(s, c.want_s);
        EXPECT_EQ(t, c.want_t);
    }
}

TEST_F(TextureTest, NamesAreFoundOnceAndCaseMismatchesWarn) {
    std::string path = file("dirt.png", png_file(noise(8, 8, 4, 5), 8, 8, 4));
    int tid = load_texture(path.c_str());
    ASSERT_NE(tid, 0);
    EXPECT_EQ(load_texture(path.c_str()), tid);
    EXPECT_EQ(find_texture(path.c_str()), tid);
    EXPECT_TRUE(messages.empty());
    std::string upper = dir.path + "/Dirt.png";
    EXPECT_EQ(load_texture(upper.c_str()), tid);
    EXPECT_TRUE(said("Warning: case mismatch on '" + upper + "'")) << all_messages();
    EXPECT_EQ(find_texture((dir.path + "/none.png").c_str()), 0);
}

TEST_F(TextureTest, UnreadableFilesGiveZeroWithTheVerboseMessage) {
    std::string missing = dir.path + "/missing.png";
    std::string broken = file("broken.png", png_file(noise(8, 8, 3, 6), 8, 8, 3).substr(0, 40));
    std::string pgm = file("grey.pgm", "P5 2 2 255\nabcd");
    for (const std::string& name : {missing, broken, pgm}) {
        SCOPED_TRACE(name);
        messages.clear();
        EXPECT_EQ(load_texture(name.c_str()), 0);
        EXPECT_TRUE(said("Can't open texture \"" + name + "\"")) << all_messages();
    }
}

TEST_F(TextureTest, InfoTextAndOtherFormats) {
    std::string png = file("info.png", png_file(noise(4, 4, 3, 7), 4, 4, 3));
    file("info.png.info", "[compress] made by hand");
    std::string ppm = file("plain.ppm", "P3 1 1 255 10 20 30\n");
    std::string j6 = file("pic.j6", "J6 1 1\n\x05\x06\x07");
    int a = load_texture(png.c_str()), b = load_texture(ppm.c_str()), c = load_texture(j6.c_str());
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    ASSERT_NE(c, 0);
    EXPECT_STREQ(texture_info(a), "[compress] made by hand");
    EXPECT_EQ(texture_info(b), nullptr);
    std::vector<unsigned char> px = read_level(c, 0, 1, 1);
    EXPECT_EQ(px, (std::vector<unsigned char>{5, 6, 7, 255}));
}

TEST_F(TextureTest, LinksResolveToTheirTargetAndCyclesEnd) {
    std::string target = file("real.png", png_file(noise(4, 4, 3, 8), 4, 4, 3));
    std::string link = file("alias.png", "LINK  " + target + "  \n");
    int tid = load_texture(link.c_str());
    ASSERT_NE(tid, 0);
    EXPECT_EQ(tid, find_texture(target.c_str()));
    EXPECT_EQ(load_texture(link.c_str()), tid);  // the link record now points at the target
    EXPECT_STREQ(texture_name(tid), target.c_str());

    std::string a = dir.path + "/a.png", b = dir.path + "/b.png";
    file("a.png", "LINK " + b);
    file("b.png", "LINK " + a);
    EXPECT_EQ(load_texture(a.c_str()), 0);  // ends at the missing "@colors/white.png"
    file("self.png", "LINK " + dir.path + "/self.png");
    EXPECT_EQ(load_texture((dir.path + "/self.png").c_str()), 0);
}

TEST_F(TextureTest, GenerationsDecideWhatIsDeleted) {
    std::string keep = file("keep.png", png_file(noise(8, 8, 3, 9), 8, 8, 3));
    std::string old = file("old.png", png_file(noise(8, 8, 3, 10), 8, 8, 3));
    std::string reused = file("reused.png", png_file(noise(8, 8, 3, 11), 8, 8, 3));
    int a = load_texture(keep.c_str());
    int b = load_texture(old.c_str());
    int c = load_texture(reused.c_str());
    EXPECT_EQ(texture_memory_total(), 3u * texture_memory(a));
    begin_texture_generation();
    EXPECT_EQ(texture_memory_total(), 0u);
    EXPECT_EQ(load_texture(reused.c_str()), c);
    EXPECT_EQ(load_texture(keep.c_str()), a);
    EXPECT_EQ(texture_memory_total(), 2u * texture_memory(a));
    delete_unused_textures(false);
    EXPECT_TRUE(said("deleting tid " + std::to_string(b) + " (" + old + ")")) << all_messages();
    EXPECT_EQ(find_texture(old.c_str()), 0);
    EXPECT_EQ(find_texture(reused.c_str()), c);
    EXPECT_FALSE(glIsTexture((GLuint)b));
    EXPECT_TRUE(glIsTexture((GLuint)c));
}

TEST_F(TextureTest, AnimationsStepByTickLoopOrHold) {
    std::string frames = j7_frame(2, 2, 10, 0, 0) + j7_frame(2, 2, 20, 0, 0) + j7_frame(2, 2, 30, 0, 0);
    std::string hold = file("hold.seq", "ANIM1\n3 3 2 0\n0 1 2\n" + frames);
    std::string loop = file("loop.seq", "ANIM1 3 4 2 1 2 1 0 1\n" + frames);
    int h = load_texture(hold.c_str()), l = load_texture(loop.c_str());
    ASSERT_NE(h, 0) << all_messages();
    ASSERT_NE(l, 0) << all_messages();
    EXPECT_EQ(animation_current_frame(h), 0);
    EXPECT_EQ(animation_current_frame(l), 2);
    struct {
        int tick, want_hold, want_loop;
    } steps[] = {{-5, 0, 2}, {1, 0, 2}, {2, 1, 1}, {5, 2, 0}, {7, 2, 1}, {8, 2, 2}, {1000, 2, 2}};
    for (auto& s : steps) {
        SCOPED_TRACE(s.tick);
        update_animations(s.tick);
        EXPECT_EQ(animation_current_frame(h), s.want_hold);
        EXPECT_EQ(animation_current_frame(l), s.want_loop);
    }
    EXPECT_EQ(read_level(h, 0, 2, 2)[0], 30);
    EXPECT_EQ(read_level(h, 1, 1, 1)[0], 30);
    restart_animation(h, 1000);
    update_animations(1001);
    EXPECT_EQ(animation_current_frame(h), 0);
    stop_animation(h);
    update_animations(1004);
    EXPECT_EQ(animation_current_frame(h), 0);
    EXPECT_EQ(animation_current_frame(12345), -1);
}

TEST_F(TextureTest, BrokenAnimationsGiveZeroAndTheirMessage) {
    std::string png3 = file("rgb.png", png_file(solid(2, 2, 3, 50), 2, 2, 3));
    std::string png4 = file("big.png", png_file(solid(4, 4, 4, 50), 4, 4, 4));
    struct {
        const char* name;
        std::string content;
        std::string message;
    } cases[] = {
        {"eof.seq", "ANIM1 2 2 1 1 0 1\n" + j7_frame(2, 2, 1, 2, 3), "EOF while reading .seq"},
        {"token.seq", "ANIM1 1 1 1 1 0\nGIF x\n", "Error reading .seq frame 0"},
        {"png.seq", "ANIM1 1 1 1 1 0\nPNG " + dir.path + "/nope.png\n", "Can't read " + dir.path + "/nope.png"},
        {"size.seq", "ANIM1 2 1 1 1 0\n" + j7_frame(2, 2, 1, 2, 3) + "PNG " + png4 + "\n",
         "Width/height mismatch reading .seq"},
        {"depth.seq", "ANIM1 2 1 1 1 0\n" + j7_frame(2, 2, 1, 2, 3) + "PNG " + png3 + "\n",
         "Depth mismatch reading .seq"},
        {"counts.seq", "ANIM1 999999999 999999999 1 1\n", ""},
        {"zero.seq", "ANIM1 0 1 1 1 0\n", ""},
        {"index.seq", "ANIM1 1 1 1 1 5\n" + j7_frame(2, 2, 1, 2, 3), ""},
        {"short.seq", "ANIM1 1 1 1 1 0\nJ7 2 2\nab", "Error reading .seq frame 0"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        EXPECT_EQ(load_texture(file(c.name, c.content).c_str()), 0);
        if (!c.message.empty()) EXPECT_TRUE(said(c.message)) << all_messages();
        else EXPECT_FALSE(messages.empty());
    }
}

TEST_F(TextureTest, CustomFramesCompositeAndClip) {
    // Frame 0 opaque red, frame 1 half-transparent blue, 4 x 4.
    std::string seq = file("board.seq", "ANIM1 2 1 1 0 0\n" + j7_frame(4, 4, 255, 0, 0) +
                                            "J7 4 4\n" + std::string("\x00\x00\xff\x80", 4) +
                                            std::string(4 * 4 * 4 - 4, '\0') + "\n");
    int tid = load_texture(seq.c_str());
    ASSERT_NE(tid, 0) << all_messages();
    EXPECT_FALSE(paste_custom_frame(tid, 0, 0, 0, 0, 0, 1, 1));  // not begun
    EXPECT_FALSE(end_custom_frame(tid));
    ASSERT_TRUE(begin_custom_frame(tid));
    // Left half of frame 0 to the left half, shifted up one row past the top.
    EXPECT_TRUE(paste_custom_frame(tid, 0, 0, 0, 0, -0.25f, 0.5f, 1));
    // Frame 1 over everything from x = 1/4, the width clipped at the right edge.
    EXPECT_TRUE(paste_custom_frame(tid, 1, 0, 0, 0.25f, 0, 1, 1));
    EXPECT_TRUE(paste_custom_frame(tid, 0, 2, 2, 0, 0, 1, 1));  // starts beyond the image
    EXPECT_FALSE(paste_custom_frame(tid, 2, 0, 0, 0, 0, 1, 1));
    EXPECT_FALSE(begin_custom_frame(12345));
    ASSERT_TRUE(end_custom_frame(tid));
    std::vector<unsigned char> px = read_level(tid, 0, 4, 4);
    auto at = [&](int x, int y) {
        const unsigned char* p = &px[((size_t)y * 4 + x) * 4];
        return std::vector<unsigned char>(p, p + 4);
    };
    EXPECT_EQ(at(0, 0), (std::vector<unsigned char>{255, 0, 0, 255}));
    EXPECT_EQ(at(0, 3), (std::vector<unsigned char>{0, 0, 0, 0}));       // row 3 lost to the shift
    EXPECT_EQ(at(1, 1), (std::vector<unsigned char>{127, 0, 128, 255})); // blue over red
    EXPECT_EQ(at(3, 1), (std::vector<unsigned char>{0, 0, 255, 128}));  // blue onto nothing
}

TEST_F(TextureTest, CpuImagesAreRgbaPowersOfTwo) {
    std::string ppm = file("map.ppm", "P3 3 2 255 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18\n");
    const CpuImage* img = load_image(ppm.c_str());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 2);
    EXPECT_EQ(img->height, 2);
    EXPECT_EQ(std::vector<unsigned char>(img->pixels, img->pixels + 8),
              (std::vector<unsigned char>{1, 2, 3, 255, 4, 5, 6, 255}));
    EXPECT_EQ(img->bytes, (4u + 1u) * 4u);
    EXPECT_EQ(load_image(ppm.c_str()), img);
    EXPECT_EQ(load_image((dir.path + "/none.ppm").c_str()), nullptr);

    render_options_for_startup().model_texture_skip = 3;
    std::string big = file("big.png", png_file(noise(512, 256, 3, 12), 512, 256, 3));
    img = load_image(big.c_str());
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->width, 128);  // 512 x 256 -> 256 x 128 -> 128 x 64, stops at 8192 pixels
    EXPECT_EQ(img->height, 64);
    begin_texture_generation();
    delete_unused_textures(false);
    EXPECT_TRUE(said("deleting image " + big)) << all_messages();
}

TEST_F(TextureTest, CompressionOnlyWhenAskedAndChargedAsReported) {
    std::string plain = file("plain.png", png_file(noise(64, 64, 3, 13), 64, 64, 3));
    int tid = load_texture(plain.c_str());
    size_t uncompressed = 0;
    for (int s = 64; s >= 1; s /= 2) uncompressed += (size_t)s * s * 3;
    EXPECT_EQ(texture_memory(tid), uncompressed);
    render_options_for_startup().texture_compress = COMPRESS_ALWAYS;
    std::string packed = file("packed.png", png_file(noise(64, 64, 3, 13), 64, 64, 3));
    tid = load_texture(packed.c_str());
    GLint compressed = 0;
    glBindTexture(GL_TEXTURE_2D, (GLuint)tid);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (compressed) EXPECT_LT(texture_memory(tid), uncompressed);
    else EXPECT_EQ(texture_memory(tid), uncompressed);
}

TEST_F(TextureTest, CreatedTexturesAndTheirFixedForms) {
    std::vector<unsigned char> chain((size_t)(4 * 4 + 2 * 2 + 1) * 3, 77);
    int a = create_clamped_texture(chain.data(), 4, 4, 3);
    int b = create_single_level_texture(chain.data(), 4, 4, 3);
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    EXPECT_EQ(level_size(a, 2).width, 1);
    EXPECT_EQ(level_size(b, 1).width, 0);  // one level only
    GLint filter = 0;
    glBindTexture(GL_TEXTURE_2D, (GLuint)b);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(create_texture(chain.data(), 0, 4, 3, 0), 0);
    GLuint ids[2] = {(GLuint)a, (GLuint)b};
    glDeleteTextures(2, ids);
}

TEST_F(TextureTest, CompanionMapsTryTheTextureThenTheModelName) {
    std::string png = png_file(noise(4, 4, 3, 14), 4, 4, 3);
    std::string d = dir.path + "/";
    file("fence_norm-repeat.png", png);
    file("rock_spec.ppm", "P3 1 1 255 1 2 3\n");
    file("barn_norm.png", png);
    struct {
        const char* texture;
        const char* model;
        const char* kind;
        const char* want;  // file expected to load, or null
    } cases[] = {
        {"fence-repeat.png", "fence.jm", "_norm", "fence_norm-repeat.png"},
        {"rock.png", "rock.jm", "_spec", "rock_spec.ppm"},
        {"barn-red.png", "barn.jm", "_norm", "barn_norm.png"},
        {"tree.png", "tree.jm", "_norm", nullptr},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.texture);
        int tid = load_companion_texture((d + c.texture).c_str(), (d + c.model).c_str(), c.kind);
        if (c.want) EXPECT_STREQ(texture_name(tid), (d + c.want).c_str());
        else EXPECT_EQ(tid, 0);
    }
}

TEST_F(TextureTest, MutatedAnimationFilesAreRefusedWithAReasonOrPlayTheirFrames) {
    std::string good = "ANIM1 2 3 1 1 0 1 0\n" + j7_frame(2, 2, 10, 0, 0) + j7_frame(2, 2, 20, 0, 0);
    std::mt19937 rng(5);
    int loaded = 0, refused = 0;
    for (int round = 0; round < 200; round++) {
        std::string d = good;
        for (int flips = 1 + (int)(rng() % 3); flips > 0; flips--) d[rng() % d.size()] = (char)rng();
        std::string path = file("m" + std::to_string(round) + ".seq", d);
        SCOPED_TRACE(path);
        messages.clear();
        int tid = load_texture(path.c_str());
        if (tid == 0) {
            refused++;
            EXPECT_FALSE(messages.empty()) << "refused without a word";
            EXPECT_EQ(find_texture(path.c_str()), 0) << "a refused file stays out of the registry";
            continue;
        }
        loaded++;
        EXPECT_EQ(find_texture(path.c_str()), tid);
        // Whatever survived the damage is an animation of this file's two
        // frames, and playing it keeps to them.
        for (int tick : {0, round, round + 1, 1000}) {
            update_animations(tick);
            int frame = animation_current_frame(tid);
            EXPECT_GE(frame, 0) << tick;
            EXPECT_LE(frame, 1) << tick;
        }
        EXPECT_EQ(level_size(tid, 0).width, 2);
        EXPECT_EQ(level_size(tid, 0).height, 2);
    }
    // The damage both breaks files and leaves some whole (in the pixels).
    EXPECT_GT(loaded, 0);
    EXPECT_GT(refused, 0);
}

TEST_F(TextureTest, TitlePictureFromTheDataFolderFillsTheWindow) {
    TestDataHome home;
    home.write_game("tach.png", png_file(solid(8, 8, 4, 200), 8, 8, 4));
    std::vector<unsigned char> title(8 * 8 * 3, 0);
    for (int i = 0; i < 64; i++) title[i * 3] = 210, title[i * 3 + 2] = 40;
    home.write_game("title.png", png_file(title, 8, 8, 3));
    HudTextures hud = load_hud_textures();
    EXPECT_NE(hud.title, 0);
    EXPECT_NE(hud.tach, 0);
    EXPECT_EQ(hud.shifter, 0);  // not in the data: drawn without
    EXPECT_EQ(hud_textures().title, hud.title);

    glViewport(0, 0, 64, 64);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    draw_title_picture(64, 64);
    unsigned char rgb[3];
    glFinish();
    glReadPixels(5, 60, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    EXPECT_EQ(rgb[0], 210);
    EXPECT_EQ(rgb[2], 40);
}

TEST_F(TextureTest, CustomMipLevelsComeFromThePicture) {
    // 32 x 48: level 0 red on top, below it level 1 (16 x 16) green, then the
    // smaller levels blue in the next column.
    std::vector<unsigned char> px(32 * 48 * 3, 0);
    for (int y = 0; y < 48; y++)
        for (int x = 0; x < 32; x++) px[((size_t)y * 32 + x) * 3 + (y < 32 ? 0 : x < 16 ? 1 : 2)] = 255;
    std::string good = file("sign.png", png_file(px, 32, 48, 3));
    file("sign.png.info", "[mip_custom]");
    std::string bad = file("odd.png", png_file(std::vector<unsigned char>(32 * 40 * 3, 9), 32, 40, 3));
    file("odd.png.info", "[mip_custom]");
    int tid = load_texture(good.c_str());
    ASSERT_NE(tid, 0);
    EXPECT_EQ(level_size(tid, 0).height, 32);
    EXPECT_EQ(read_level(tid, 1, 16, 16)[1], 255);
    EXPECT_EQ(read_level(tid, 2, 8, 8)[2], 255);
    EXPECT_TRUE(messages.empty()) << all_messages();

    tid = load_texture(bad.c_str());
    ASSERT_NE(tid, 0);
    EXPECT_TRUE(said("Warning: Invalid height for custom MIP map in '" + bad + "'")) << all_messages();
    EXPECT_EQ(level_size(tid, 0).height, 32);  // rounded down from 40, one level only
    EXPECT_EQ(level_size(tid, 1).width, 0);
}
