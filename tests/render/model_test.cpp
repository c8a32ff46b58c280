#include <gtest/gtest.h>

#include "base/messages.h"
#include <math.h>
#include <stdlib.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/render_options.h"
#include "render/model.h"
#include "render/texture.h"
#include "support/data_home.h"
#include "support/temp_dir.h"

namespace {

struct Messages {
    std::vector<std::string> lines;
    Messages() {
        set_message_sink([](const char* text, void* self) { ((Messages*)self)->lines.push_back(text); }, this);
    }
    ~Messages() { set_message_sink(nullptr, nullptr); }
    int count(const std::string& text) const {
        int n = 0;
        for (const std::string& l : lines) n += l == text;
        return n;
    }
};

Model* parse(const std::string& text, const char* name = "test.jm") {
    return parse_model(text.data(), text.size(), name);
}

// One JM1 triangle in the z = 0 plane facing +z with the usual mapping.
const char* TRIANGLE_JM1 =
    "JM1\n"
    "16 1 0.5 0.5 0.5 3 1\n"
    "0 0 0  0 0 1  0 0\n"
    "1 0 0  0 0 1  1 0\n"
    "0 1 0  0 0 1  0 1\n"
    "0 1 2\n";

}  // namespace

TEST(ModelParse, PlainFormatIsOneWhiteLitPartWithFlippedV) {
    Messages m;
    Model* model = parse("3 1\n0 0 0 0 0 1 0 0.25\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n");
    ASSERT_TRUE(model);
    ASSERT_EQ(model->parts.size(), 1u);
    const ModelPart& p = model->parts[0];
    EXPECT_TRUE(model->is_plain);
    EXPECT_EQ(p.shininess, 32);
    for (float c : p.colour) EXPECT_EQ(c, 1);
    EXPECT_FLOAT_EQ(p.uvs[1], 0.75f);
    EXPECT_EQ(p.triangle_count, 1);
    EXPECT_TRUE(m.lines.empty());
    model_free(model);
}

TEST(ModelParse, MaterialModesAndTheFourthValue) {
    struct {
        const char* name;
        const char* header;
        float want_s, want_a;
        bool environment;
    } cases[] = {
        {"lit keeps alpha 1", "16 0.3 1 1 1 3 1", 16, 1, false},
        {"environment keeps a", "-1 0.3 1 1 1 3 1", -1, 0.3f, true},
        {"self-lit keeps a", "-2 0.6 1 1 1 3 1", -2, 0.6f, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = std::string("JM1\n") + c.header + "\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n";
        Model* model = parse(text);
        ASSERT_TRUE(model);
        EXPECT_EQ(model->parts[0].shininess, c.want_s);
        EXPECT_FLOAT_EQ(model->parts[0].colour[3], c.want_a);
        EXPECT_EQ(model->has_environment, c.environment);
        model_free(model);
    }
}

TEST(ModelParse, FiveBoneWeightsWarnOnceAndKeepTheFourLargestNormalised) {
    Messages m;
    std::string text =
        "JM2 5 skeleton\n"
        "16 1 1 1 1 5 1\n"
        "0 0 0 0 0 1 0 0  1 2 3 4 5\n"
        "1 0 0 0 0 1 1 0  5 4 3 2 1\n"
        "0 1 0 0 0 1 0 1  0 0 0 0 0\n"
        "0 0 1 0 0 1 0 1  0 2 0 -1 0\n"
        "1 1 1 0 0 1 0 1  3e38 3e38 0 0 0\n"
        "0 1 2\n";
    Model* model = parse(text, "rider.jm");
    ASSERT_TRUE(model);
    EXPECT_EQ(m.count("Warning: vertex with more than 4 bone influences in 'rider.jm'"), 1);
    const ModelPart& p = model->parts[0];
    EXPECT_EQ(p.bone_count, 5);
    struct {
        const char* name;
        int vertex;
        float w[4];
        int b[4];
    } cases[] = {
        {"fifth weight replaces the smallest slot", 0, {5 / 14.f, 2 / 14.f, 3 / 14.f, 4 / 14.f}, {4, 1, 2, 3}},
        {"descending weights drop the last", 1, {5 / 14.f, 4 / 14.f, 3 / 14.f, 2 / 14.f}, {0, 1, 2, 3}},
        {"no weights share a quarter on bone 0", 2, {0.25f, 0.25f, 0.25f, 0.25f}, {0, 0, 0, 0}},
        {"one positive weight takes everything", 3, {1, 0, 0, 0}, {1, 0, 0, 0}},
        {"weights too large to add up", 4, {0.5f, 0.5f, 0, 0}, {0, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int k = 0; k < 4; k++) {
            EXPECT_NEAR(p.weights[c.vertex * 4 + k], c.w[k], 1e-6f);
            EXPECT_EQ(p.bone_indices[c.vertex * 4 + k], c.b[k]);
        }
    }
    // The rest half starts as a copy of the file's pose.
    ASSERT_EQ(p.positions.size(), 30u);
    for (int i = 0; i < 15; i++) {
        EXPECT_EQ(p.positions[15 + i], p.positions[i]);
        EXPECT_EQ(p.normals[15 + i], p.normals[i]);
        EXPECT_EQ(p.tangents[15 + i], p.tangents[i]);
    }
    model_free(model);
}

TEST(ModelParse, DegenerateAndOutOfRangeTrianglesAreRemovedAndCounted) {
    Messages m;
    std::string text =
        "JM1\n"
        "16 1 1 1 1 3 4\n"
        "0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n"
        "0 1 2\n0 0 1\n0 1 3\n2 1 -1\n"
        "16 1 1 1 1 3 2\n"
        "0 0 0 0 0 1 0 0\n0 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n"
        "0 1 2\n2 1 0\n";
    Model* model = parse(text, "gate.jm");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->parts[0].triangle_count, 1);
    EXPECT_EQ(model->parts[1].triangle_count, 0);
    EXPECT_EQ(m.count("5 degenerate triangles deleted in gate.jm"), 1);
    model_free(model);
}

TEST(ModelParse, TangentsFollowUAndMirroredTrianglesTurnRound) {
    struct {
        const char* name;
        const char* uvs[3];
        float want[3];
    } cases[] = {
        {"usual mapping", {"0 0", "1 0", "0 1"}, {1, 0, 0}},
        {"u mirrored", {"1 0", "0 0", "1 1"}, {1, 0, 0}},
        {"u along y", {"0 0", "0 1", "1 0"}, {0, -1, 0}},
        {"no texture change uses the longer edge", {"0 0", "0 0", "0 0"}, {0, 1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = std::string("JM1\n16 1 1 1 1 3 1\n") + "0 0 0 0 0 1 " + c.uvs[0] + "\n" +
                           "1 0 0 0 0 1 " + c.uvs[1] + "\n" + "0 2 0 0 0 1 " + c.uvs[2] + "\n0 1 2\n";
        Model* model = parse(text);
        ASSERT_TRUE(model);
        for (int v = 0; v < 3; v++)
            for (int k = 0; k < 3; k++) EXPECT_NEAR(model->parts[0].tangents[v * 3 + k], c.want[k], 1e-5f);
        model_free(model);
    }
}

TEST(ModelParse, TextureDensityIsTheLargestChangePerFoot) {
    std::string text =
        "JM1\n16 1 1 1 1 4 2\n"
        "0 0 0 0 0 1 0 0\n2 0 0 0 0 1 1 0\n0 4 0 0 0 1 0 1\n0.01 0 0 0 0 1 1 1\n"
        "0 1 2\n0 3 2\n";
    Model* model = parse(text);
    ASSERT_TRUE(model);
    // The 0.01 ft edge is too short to count; u changes by 1 over 2 ft, v by 1 over 4 ft.
    EXPECT_NEAR(model->density_u, 0.5f, 1e-4f);
    EXPECT_NEAR(model->density_v, 0.25f, 1e-4f);
    model_free(model);
}

// The text need not end in a NUL: every cut of a file is parsed from a buffer
// of exactly its size (the sanitizer build catches a read past it; a lone
// "J" once did).
TEST(ModelParse, ReadsNoFurtherThanTheGivenSize) {
    std::string file = std::string("JM2 1 b\n") + "16 1 1 1 1 3 1\n0 0 0 0 0 1 0 0 1\n1 0 0 0 0 1 1 0 1\n0 1 0 0 0 1 0 1 1\n0 1 2\n";
    Messages quiet;
    for (size_t cut = 1; cut <= file.size(); cut++) {
        SCOPED_TRACE(file.substr(0, cut));
        std::vector<char> exact(file.begin(), file.begin() + (ptrdiff_t)cut);
        Model* model = parse_model(exact.data(), exact.size(), "cut.jm");
        if (cut < 3) {
            EXPECT_EQ(model, nullptr);
        }
        model_free(model);
    }
}

TEST(ModelParse, DamagedFilesAreRefusedOrCutAtThePreviousPart) {
    std::string part = "16 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n";
    struct {
        const char* name;
        std::string text;
        int want_parts;  // 0 = no model
    } cases[] = {
        {"empty file", "", 0},
        {"unknown version", "JM3\n" + part, 0},
        {"version zero", "JM0\n" + part, 0},
        {"header without parts", "JM1\n", 0},
        {"fewer vertices than counted", "JM1\n16 1 1 1 1 4 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 2\n", 0},
        {"NaN position", "JM1\n16 1 1 1 1 3 1\nnan 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n", 0},
        {"infinite colour", "JM1\n16 1 inf 1 1 3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1 2\n", 0},
        {"negative vertex count", "JM1\n16 1 1 1 1 -3 1\n", 0},
        {"huge counts in a tiny file", "JM1\n16 1 1 1 1 2000000000 2000000000\n0 0 0\n", 0},
        {"too many bones", "JM2 33 x\n16 1 1 1 1 0 0\n", 0},
        {"negative bones", "JM2 -1 x\n16 1 1 1 1 0 0\n", 0},
        {"plain with short triangles", "3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1\n", 0},
        {"truncated second part", "JM1\n" + part + "16 1 1 1 1 3 1\n0 0 0 0 0 1\n", 1},
        {"garbage after two parts", "JM1\n" + part + part + "zzz\n", 2},
        {"fractional index ends the list", "JM1\n" + part + "16 1 1 1 1 3 1\n0 0 0 0 0 1 0 0\n1 0 0 0 0 1 1 0\n0 1 0 0 0 1 0 1\n0 1.5 2\n", 1},
    };
    Messages quiet;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Model* model = parse(c.text);
        if (c.want_parts == 0) {
            EXPECT_EQ(model, nullptr);
        } else {
            ASSERT_TRUE(model);
            EXPECT_EQ((int)model->parts.size(), c.want_parts);
        }
        model_free(model);
    }
}

TEST(ModelSkinning, PosedBonesMovePositionsNormalsAndTangents) {
    // Bone 0 turns 90 degrees about z (x -> y) around the origin and moves up 1;
    // bone 1 stays at rest.
    std::string text =
        "JM2 2 pair\n"
        "16 1 1 1 1 3 1\n"
        "1 0 0  1 0 0  0 0  1 0\n"
        "2 0 0  1 0 0  1 0  1 1\n"
        "1 1 0  1 0 0  0 1  0 1\n"
        "0 1 2\n";
    Model* model = parse(text);
    ASSERT_TRUE(model);
    float rest[2][3] = {{0, 0, 0}, {5, 5, 5}};
    float posed[2][3] = {{0, 1, 0}, {5, 5, 5}};
    float rotation[2][9] = {{0, 1, 0, -1, 0, 0, 0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};
    ModelBones bones = {2, rest, posed, rotation};
    ModelPart& p = model->parts[0];
    skin_model_part(&p, bones);
    struct {
        const char* name;
        int vertex;
        float position[3], normal[3];
    } cases[] = {
        {"bone 0 alone", 0, {0, 2, 0}, {0, 1, 0}},
        {"half and half", 1, {1, 1.5f, 0}, {0.70710678f, 0.70710678f, 0}},
        {"bone 1 alone stays", 2, {1, 1, 0}, {1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(p.positions[c.vertex * 3 + k], c.position[k], 1e-5f);
            EXPECT_NEAR(p.normals[c.vertex * 3 + k], c.normal[k], 1e-5f);
        }
        float t = sqrtf(p.tangents[c.vertex * 3] * p.tangents[c.vertex * 3] +
                        p.tangents[c.vertex * 3 + 1] * p.tangents[c.vertex * 3 + 1] +
                        p.tangents[c.vertex * 3 + 2] * p.tangents[c.vertex * 3 + 2]);
        EXPECT_NEAR(t, 1, 1e-5f);
    }
    // Skinning twice gives the same pose: it always starts from the rest half.
    std::vector<float> once(p.positions.begin(), p.positions.begin() + 9);
    skin_model_part(&p, bones);
    for (int i = 0; i < 9; i++) EXPECT_EQ(p.positions[i], once[i]);
    model_free(model);
}

TEST(ModelExport, PovrayMeshAndUnion) {
    TempDir dir;
    Model* model = parse(TRIANGLE_JM1);
    ASSERT_TRUE(model);
    std::string path = dir.path + "/one.pov";
    DataStream* f = open_data_file(path.c_str(), "w");
    ASSERT_TRUE(f);
    EXPECT_TRUE(export_povray(model, f));
    close_data_file(f);
    EXPECT_EQ(dir.read("one.pov"),
              "mesh2 {\n"
              "\tvertex_vectors {\n\t\t3\n\t\t<0.000000,0.000000,0.000000>,\n\t\t<1.000000,0.000000,0.000000>,\n"
              "\t\t<0.000000,1.000000,0.000000>\n\t}\n"
              "\tnormal_vectors {\n\t\t3\n\t\t<0.000000,0.000000,1.000000>,\n\t\t<0.000000,0.000000,1.000000>,\n"
              "\t\t<0.000000,0.000000,1.000000>\n\t}\n"
              "\tuv_vectors {\n\t\t3\n\t\t<0.000000,1.000000>,\n\t\t<1.000000,1.000000>,\n\t\t<0.000000,0.000000>\n\t}\n"
              "\tface_indices {\n\t\t1\n\t\t<0,1,2>\n\t}\n"
              "}\n");
    model_free(model);

    std::string two = std::string(TRIANGLE_JM1) + std::string(TRIANGLE_JM1).substr(4);
    model = parse(two);
    ASSERT_TRUE(model);
    ASSERT_EQ(model->parts.size(), 2u);
    f = open_data_file((dir.path + "/two.pov").c_str(), "w");
    ASSERT_TRUE(f);
    EXPECT_TRUE(export_povray(model, f));
    close_data_file(f);
    std::string text = dir.read("two.pov");
    EXPECT_EQ(text.rfind("union {\nmesh2 {\n", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 4), "}\n}\n");
    model_free(model);
}

namespace {

// A private game data folder holding model files.
class ModelRegistryTest : public ::testing::Test {
protected:
    TestDataHome home;
    void TearDown() override { delete_unused_models(true); }
};

}  // namespace

TEST_F(ModelRegistryTest, LevelOfDetailFilesGiveDistancesTwoToTheNumber) {
    home.write_game("gate.jm", TRIANGLE_JM1);
    home.write_game("gate_lod3.jm", TRIANGLE_JM1);
    home.write_game("gate_lod1.jm", TRIANGLE_JM1);
    home.write_game("gate_lodx.jm", TRIANGLE_JM1);      // no number: not a level
    home.write_game("gatepost_lod1.jm", TRIANGLE_JM1);  // another model's level
    Model* model = load_model("@gate.jm");
    ASSERT_TRUE(model);
    ASSERT_EQ(model->lods.size(), 2u);
    EXPECT_EQ(model->lods[0].distance, 2);
    EXPECT_EQ(model->lods[1].distance, 8);

    RenderOptions& r = render_options_for_startup();
    RenderOptions saved = r;
    r.lod_scale = 1, r.lod_bias = 0;
    float eye[3] = {0, 0, 0};
    struct {
        const char* name;
        float distance;
        const Model* want;
    } cases[] = {
        {"near: full model", 1, model},
        {"past 2 ft: first level", 3, model->lods[0].model},
        {"past 8 ft: second level", 9, model->lods[1].model},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        float at[3] = {0, 0, c.distance};
        EXPECT_EQ(choose_model_lod(model, at, eye), c.want);
    }
    r.lod_bias = 50;  // the lowest model detail: every level is always chosen
    float at[3] = {0, 0, 0.5f};
    EXPECT_EQ(choose_model_lod(model, at, eye), model->lods[1].model);
    r = saved;
}

TEST_F(ModelRegistryTest, RegistryReusesCaseMismatchesAndGenerations) {
    Messages m;
    home.write_game("gate.jm", TRIANGLE_JM1);
    home.write_game("bale.jm", TRIANGLE_JM1);
    Model* permanent = load_model("@gate.jm");
    ASSERT_TRUE(permanent);
    EXPECT_EQ(load_model("@gate.jm"), permanent);
    EXPECT_EQ(load_model("@Gate.jm"), permanent);
    EXPECT_EQ(m.count("Warning: case mismatch on '@Gate.jm'"), 1);
    EXPECT_EQ(load_model("@missing.jm"), nullptr);

    begin_texture_generation();
    Model* bale = load_model("@bale.jm");
    ASSERT_TRUE(bale);
    int first = texture_generation();
    EXPECT_EQ(bale->generation, first);
    begin_texture_generation();
    delete_unused_models(false);  // the bale belongs to the previous track
    EXPECT_EQ(model_count(), 1);
    EXPECT_EQ(load_model("@gate.jm"), permanent);
    EXPECT_EQ(permanent->generation, 0);

    bale = load_model("@bale.jm");
    begin_texture_generation();
    EXPECT_EQ(load_model("@bale.jm"), bale);  // used again by this track
    delete_unused_models(false);
    EXPECT_EQ(model_count(), 2);
    delete_unused_models(true);
    EXPECT_EQ(model_count(), 0);
}

TEST(ModelParse, MutatedFilesKeepEveryModelSafeToDraw) {
    const std::string good =
        "JM2 3 arm\n"
        "16 1 1 1 1 4 2\n"
        "0 0 0 0 0 1 0 0 1 0 0\n1 0 0 0 0 1 1 0 0.5 0.5 0\n1 1 0 0 0 1 1 1 0 0 1\n0 1 0 0 0 1 0 1 0 2 2\n"
        "0 1 2\n0 2 3\n"
        "-1 0.5 1 1 1 3 1\n"
        "0 0 1 0 0 1 0 0 1 1 1\n1 0 1 0 0 1 1 0 0 0 0\n0 1 1 0 0 1 0 1 3 0 0\n"
        "0 1 2\n";
    const char alphabet[] = "0123456789.-+e \nnaJM";
    std::mt19937 random(12345);
    Messages quiet;
    int models = 0;
    for (int round = 0; round < 3000; round++) {
        std::string text = good;
        int edits = 1 + (int)(random() % 4);
        for (int e = 0; e < edits; e++) text[random() % text.size()] = alphabet[random() % (sizeof alphabet - 1)];
        if (random() % 4 == 0) text.resize(random() % text.size());
        Model* model = parse(text);
        if (!model) continue;
        models++;
        for (const ModelPart& p : model->parts) {
            ASSERT_EQ(p.triangles.size(), (size_t)p.triangle_count * 3) << text;
            for (int index : p.triangles) ASSERT_TRUE(index >= 0 && index < p.vertex_count) << text;
            for (float v : p.positions) ASSERT_TRUE(std::isfinite(v)) << text;
            for (float v : p.tangents) ASSERT_TRUE(std::isfinite(v)) << text;
            for (int i = 0; i < p.vertex_count && p.bone_count > 0; i++) {
                float sum = 0;
                for (int k = 0; k < 4; k++) {
                    sum += p.weights[i * 4 + k];
                    ASSERT_TRUE(p.bone_indices[i * 4 + k] >= 0 && p.bone_indices[i * 4 + k] < p.bone_count) << text;
                }
                ASSERT_NEAR(sum, 1, 1e-4f) << text;
            }
        }
        model_free(model);
    }
    EXPECT_GT(models, 100);  // the mutations leave many files readable
}
