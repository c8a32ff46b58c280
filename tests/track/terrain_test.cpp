#include "track/terrain.h"

#include <gtest/gtest.h>
#include <math.h>
#include <nettle/ripemd160.h>
#include <png.h>
#include <string.h>

#include <algorithm>

#include <string>
#include <vector>

#include "platform/log.h"
#include "base/render_options.h"
#include "base/image.h"
#include "support/temp_dir.h"

namespace {

// n = 1: 5 x 5 vertices, 2 x 2 tiles.
const int N = 1, DIM = 5, TILES = 2;
const float SPACING = 2.0f, MIN_H = -10.0f, MAX_H = 55.535f;  // one sample step = 0.001 ft

uint16_t sample_at(int i, int k) { return (uint16_t)(1000 * i + 7000 * k + 13 * i * k); }
float height_of(uint16_t v) { return (float)(MIN_H + ((double)MAX_H - MIN_H) * v / 65535.0); }

std::string header(int n = N, float spacing = SPACING, float lo = MIN_H, float hi = MAX_H) {
    char text[128];
    snprintf(text, sizeof text, "%d %f %f %f\n", n, spacing, lo, hi);
    return text;
}

std::string binary_samples(int dim = DIM) {
    std::string out = ":";
    for (int k = 0; k < dim; k++)
        for (int i = 0; i < dim; i++) {
            uint16_t v = sample_at(i, k);
            out += (char)(v & 255);
            out += (char)(v >> 8);
        }
    return out;
}

std::string ppm(int w, int h, int value_step = 1, const char* magic = "P6") {
    std::string out = std::string(magic) + "\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int p = 0; p < w * h * 3; p++) out += (char)((p * value_step) & 255);
    return out;
}

std::string pgm(int w, int h) {
    std::string out = "P5\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    for (int p = 0; p < w * h; p++) out += (char)(p * 10);
    return out;
}

std::string text_of(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A complete small track folder in a temporary directory.
struct TrackFolder {
    TempDir dir;
    std::string folder;
    TrackFolder() : folder(dir.path + "/track") {
        put("terrain.hf", header() + binary_samples());
        put("shading.ppm", ppm(DIM, DIM, 7));
        put("tileinfo", "texture dirt.png\naddtile\ntexture grass.png\naddtile\n");
        put("tilemap", std::string("\x00\x01\x01\x00", 4));
    }
    void put(const char* file, const std::string& content) const { dir.write(std::string("track/") + file, content); }
    void remove(const char* file) const { ::remove((folder + "/" + file).c_str()); }
    Terrain* load(bool normal_mapping = false) const {
        TerrainLoadParams params{};
        params.normal_mapping = normal_mapping;
        return terrain_load(folder.c_str(), params);
    }
};

float h_at(const Terrain* t, int i, int k) { return t->heights[i + t->dim * k]; }

void append_bytes(png_structp png, png_bytep data, png_size_t n) {
    auto* out = (std::string*)png_get_io_ptr(png);
    out->append((const char*)data, n);
}

// PNG kinds our encoder never writes: palettes, interlacing, alpha.
std::string write_test_png(int width, int height, int colour_type, int depth, bool interlaced,
                           const std::vector<unsigned char>& rows, const std::vector<png_color>& palette = {}) {
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return "";
    }
    png_set_write_fn(png, &out, append_bytes, nullptr);
    png_set_IHDR(png, info, width, height, depth, colour_type,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!palette.empty()) png_set_PLTE(png, info, palette.data(), (int)palette.size());
    png_write_info(png, info);
    size_t stride = rows.size() / height;
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; y++) pointers.push_back((png_bytep)rows.data() + y * stride);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// Collects what the loader logs while it lives.
struct LogCapture {
    TempDir dir;
    std::string path = dir.path + "/log.txt";
    LogCapture() {
        log(nullptr);
        log("NOLT_LOGFILE=%s", path.c_str());
    }
    std::string text() {
        log(nullptr);
        return dir.read("log.txt");
    }
};

}  // namespace

TEST(TerrainLoad, CompleteFolder) {
    TrackFolder f;
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->dim, DIM);
    EXPECT_EQ(t->tiles, TILES);
    EXPECT_FLOAT_EQ(t->size, 8.0f);
    EXPECT_FLOAT_EQ(t->tile_size, 4.0f);
    EXPECT_FLOAT_EQ(t->inverse_spacing, 0.5f);
    for (int k = 0; k < DIM; k++)
        for (int i = 0; i < DIM; i++) EXPECT_EQ(h_at(t, i, k), height_of(sample_at(i, k))) << i << "," << k;
    EXPECT_EQ(t->reference_heights[7], t->heights[7]);
    EXPECT_EQ(t->surfaces.entries.size(), 2u);
    EXPECT_EQ(t->shadows[3], 0);  // no shadows file
    EXPECT_EQ(t->normal_map, nullptr);
    terrain_free(t);
}

TEST(TerrainLoad, LoadingScreenMessagesInOrder) {
    TrackFolder f;
    struct Seen {
        std::vector<std::string> lines;
        int ticks;
    } seen{{}, 0};
    TerrainProgressOps ops{[](void* self, const char* m) { ((Seen*)self)->lines.push_back(m); },
                           [](void* self) { ((Seen*)self)->ticks++; },
                           [](void* self, const char* m) { ((Seen*)self)->lines.push_back(std::string(m) + "...done"); },
                           &seen};
    TerrainLoadParams params{};
    params.normal_mapping = true;
    params.progress = &ops;
    Terrain* t = terrain_load(f.folder.c_str(), params);
    ASSERT_NE(t, nullptr);
    terrain_free(t);
    EXPECT_EQ(seen.lines, (std::vector<std::string>{
                              "Loading terrain", "Loading heights", "Loading terrain...done",
                              "Loading heights...done", "Loading shading", "Loading shadows", "Loading tilemap",
                              "Creating terrain normals", "Creating terrain normals...done", "Loading decals"}));
    EXPECT_EQ(seen.ticks, DIM);
}

TEST(TerrainLoad, HeightSources) {
    std::vector<uint16_t> grid16(DIM * DIM);
    for (int k = 0; k < DIM; k++)
        for (int i = 0; i < DIM; i++) grid16[i + DIM * k] = sample_at(i, k);
    std::vector<unsigned char> png16, png8_small, png_rgb, garbage = {'n', 'o', 't'};
    ASSERT_TRUE(encode_png_grey16(grid16.data(), DIM, DIM, &png16));
    // 3 x 2 grey image: the last column and row repeat over the 5 x 5 grid.
    const unsigned char small[6] = {0, 255, 10, 20, 30, 255};
    ASSERT_TRUE(encode_png(small, 3, 2, 1, false, &png8_small));
    const unsigned char rgb[3] = {255, 255, 255};
    ASSERT_TRUE(encode_png(rgb, 1, 1, 3, false, &png_rgb));
    struct {
        const char* name;
        std::string hf;
        const std::vector<unsigned char>* png;  // null: no terrain.png
        int i, k;
        float want;
    } cases[] = {
        {"binary samples need no image", header() + binary_samples(), nullptr, 3, 2, height_of(sample_at(3, 2))},
        {"16-bit image", header(), &png16, 3, 2, height_of(sample_at(3, 2))},
        {"image after blank lines", header() + "\n\n  ", &png16, 4, 4, height_of(sample_at(4, 4))},
        {"missing image: flat at the minimum", header(), nullptr, 2, 2, MIN_H},
        {"unreadable image: flat at the minimum", header(), &garbage, 2, 2, MIN_H},
        {"8-bit 255 is the maximum", header(), &png8_small, 1, 0, MAX_H},
        {"8-bit value widened", header(), &png8_small, 0, 1, height_of(20 * 257)},
        {"last column repeated", header(), &png8_small, 4, 0, height_of(10 * 257)},
        {"last row and column repeated", header(), &png8_small, 4, 4, MAX_H},
        {"colour converted to grey", header(), &png_rgb, 2, 3, MAX_H},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrackFolder f;
        f.put("terrain.hf", c.hf);
        if (c.png) f.put("terrain.png", text_of(*c.png));
        Terrain* t = f.load();
        ASSERT_NE(t, nullptr);
        EXPECT_NEAR(h_at(t, c.i, c.k), c.want, 1e-4f);
        terrain_free(t);
    }
}

TEST(TerrainLoad, PaletteInterlacedAndAlphaImages) {
    // 5 x 5 samples; row k holds the values 40 k + 10 i (8-bit).
    std::vector<unsigned char> grey(25), grey_alpha(50), indices(25);
    std::vector<png_color> palette;
    for (int v = 0; v < 25; v++) {
        grey[v] = (unsigned char)(40 * (v / 5) + 10 * (v % 5));
        grey_alpha[2 * v] = grey[v], grey_alpha[2 * v + 1] = (unsigned char)(v * 9);
        indices[v] = (unsigned char)v;
        palette.push_back(png_color{grey[v], grey[v], grey[v]});
    }
    struct {
        const char* name;
        std::string png;
    } cases[] = {
        {"interlaced grey", write_test_png(5, 5, PNG_COLOR_TYPE_GRAY, 8, true, grey)},
        {"grey with alpha", write_test_png(5, 5, PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, grey_alpha)},
        {"palette", write_test_png(5, 5, PNG_COLOR_TYPE_PALETTE, 8, false, indices, palette)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.png.empty());
        TrackFolder f;
        f.put("terrain.hf", header());
        f.put("terrain.png", c.png);
        Terrain* t = f.load();
        ASSERT_NE(t, nullptr);
        for (int v = 0; v < 25; v++) EXPECT_NEAR(t->heights[v], height_of((uint16_t)(grey[v] * 257)), 1e-4f) << v;
        terrain_free(t);
    }
}

TEST(TerrainLoad, SuperDebugLogsTheSampleDigest) {
    std::string bytes = binary_samples().substr(1);
    ripemd160_ctx ctx;
    ripemd160_init(&ctx);
    ripemd160_update(&ctx, bytes.size(), (const uint8_t*)bytes.data());
    uint8_t digest[RIPEMD160_DIGEST_SIZE];
    ripemd160_digest(&ctx, sizeof digest, digest);
    std::string want;
    for (uint8_t b : digest) {
        char hex[3];
        snprintf(hex, sizeof hex, "%02x", b);
        want += hex;
    }
    std::vector<uint16_t> grid16(DIM * DIM);
    for (int v = 0; v < DIM * DIM; v++) grid16[v] = sample_at(v % DIM, v / DIM);
    std::vector<unsigned char> png16;
    ASSERT_TRUE(encode_png_grey16(grid16.data(), DIM, DIM, &png16));
    for (bool from_png : {false, true}) {
        SCOPED_TRACE(from_png ? "image" : "binary");
        TrackFolder f;
        if (from_png) {
            f.put("terrain.hf", header());
            f.put("terrain.png", text_of(png16));
        }
        LogCapture capture;
        render_options_for_startup().debug_level = 2;
        Terrain* t = f.load();
        render_options_for_startup().debug_level = 0;
        EXPECT_NE(t, nullptr);
        terrain_free(t);
        EXPECT_NE(capture.text().find("] " + want + "\n"), std::string::npos);
    }
}

TEST(TerrainLoad, RefusesWhatCannotBeLoaded) {
    using namespace std::string_literals;
    struct {
        const char* name;
        const char* file;
        bool remove;
        std::string content;
    } cases[] = {
        {"no height field", "terrain.hf", true, ""},
        {"three header fields", "terrain.hf", false, "1 2 3"},
        {"empty height field", "terrain.hf", false, ""},
        {"grid exponent too large", "terrain.hf", false, "40 2 0 1 :"},
        {"grid exponent beyond the largest grid", "terrain.hf", false, "12 2 0 1 :"},
        {"negative grid exponent", "terrain.hf", false, "-1 2 0 1 :"},
        {"zero spacing", "terrain.hf", false, "1 0 0 1 :"},
        {"negative spacing", "terrain.hf", false, "1 -2 0 1 :"},
        {"infinite height", "terrain.hf", false, "1 2 0 inf :"},
        {"truncated samples", "terrain.hf", false, "1 2 0 1 :\x01\x02\x03"},
        {"no shading", "shading.ppm", true, ""},
        {"damaged shading", "shading.ppm", false, "P6\n5 5\n255\nabc"},
        {"shading of the wrong size", "shading.ppm", false, ppm(4, 5)},
        {"damaged shadows", "shadows.pgm", false, "P5\n5 5\n255\n"},
        {"shadows of the wrong size", "shadows.pgm", false, pgm(5, 4)},
        {"no surface table", "tileinfo", true, ""},
        {"surface table without entries", "tileinfo", false, "\x01\x02garbage\nname x\n"},
        {"no tile map", "tilemap", true, ""},
        {"short tile map", "tilemap", false, "\x00\x00\x00"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TrackFolder f;
        if (c.remove) f.remove(c.file);
        else f.put(c.file, c.content);
        Terrain* t = f.load();
        EXPECT_EQ(t, nullptr);
        terrain_free(t);
    }
}

TEST(TerrainLoad, EveryTruncationOfTheSamplesFails) {
    std::string full = header() + binary_samples();
    size_t colon = full.find(':');
    for (size_t length = colon + 1; length < full.size(); length += 3) {
        SCOPED_TRACE(length);
        TrackFolder f;
        f.put("terrain.hf", full.substr(0, length));
        Terrain* t = f.load();
        EXPECT_EQ(t, nullptr);
        terrain_free(t);
    }
}

TEST(TerrainLoad, TexturelistStandsInForTileinfo) {
    TrackFolder f;
    f.remove("tileinfo");
    f.put("texturelist", "0.9 4 12 dirt.png\n");
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->surfaces.entries.size(), 1u);
    EXPECT_EQ(t->tile_map[1], 0);  // surface 1 clamped to the only entry
    EXPECT_FLOAT_EQ(tileinfo_friction(&t->surfaces.entries[0], 5, 0), 0.9f);
    terrain_free(t);
}

TEST(TerrainLoad, ShadingAndShadows) {
    TrackFolder f;
    f.put("shadows.pgm", pgm(DIM, DIM));
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    for (int b : {0, 1, 37, 74}) EXPECT_EQ(t->shading[b], ((b * 7) & 255) >> 1) << b;  // halved
    EXPECT_EQ(t->shadows[0], 255);
    EXPECT_EQ(t->shadows[3], 255 - 30);
    terrain_free(t);

    f.put("shadingx2.ppm", ppm(DIM, DIM, 3));  // preferred, stored unchanged
    t = f.load();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->shading[37], (37 * 3) & 255);
    terrain_free(t);
}

TEST(TerrainLoad, NormalMapWhenNormalMappingIsOn) {
    TrackFolder f;
    f.put("shadows.pgm", pgm(DIM, DIM));
    Terrain* t = f.load(/*normal_mapping*/ true);
    ASSERT_NE(t, nullptr);
    ASSERT_NE(t->normal_map, nullptr);
    float n[3];
    terrain_vertex_normal(t, 2, 1, n);
    long v = 2 + DIM * 1;
    EXPECT_EQ(t->normal_map[3 * v + 0], (uint8_t)(128 + 127 * n[0]));
    EXPECT_EQ(t->normal_map[3 * v + 1], 70);  // light = 255 - shadow = the file value
    EXPECT_EQ(t->normal_map[3 * v + 2], (uint8_t)(128 + 127 * n[2]));
    terrain_free(t);
}

TEST(TerrainLoad, Decals) {
    TrackFolder f;
    f.put("decal.png", "x");
    f.put("decals",
          "[ 1 1 ] 0 1 1 " + f.folder + "/decal.png\n"                // one square
          "[4 4] 0 1.5 1 " + f.folder + "/decal.png\n"                 // centre: four squares
          "[ 6 6 ] 0 1 1 " + f.folder + "/missing.png\n"               // skipped
          "[ 7.5 0.5 ] 1.5707964 1 6 " + f.folder + "/decal.png\n"       // rotated: long in z
          "[ nan 1 ] 0 1 1 " + f.folder + "/decal.png\n"               // skipped
          "garbage ends the file\n"
          "[ 1 1 ] 0 1 1 " + f.folder + "/decal.png\n");
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->decals.size(), 3u);
    EXPECT_FLOAT_EQ(t->decals[2].aspect, 6);
    auto square = [&](int sx, int sz) { return t->decal_grid[sx + DECAL_GRID * sz]; };
    EXPECT_EQ(square(1, 1), (std::vector<int>{0}));
    EXPECT_EQ(square(0, 0), (std::vector<int>{0}));
    EXPECT_EQ(square(3, 3), (std::vector<int>{1}));
    EXPECT_EQ(square(4, 4), (std::vector<int>{1}));
    EXPECT_EQ(square(3, 4), (std::vector<int>{1}));
    EXPECT_TRUE(square(2, 3).empty());
    EXPECT_TRUE(square(5, 4).empty());
    for (int sz = 0; sz <= 3; sz++) EXPECT_EQ(square(7, sz), (std::vector<int>{2})) << sz;
    EXPECT_TRUE(square(7, 4).empty());
    terrain_free(t);
}

TEST(TerrainHeight, VerticesCentresAndOutside) {
    TrackFolder f;
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    auto H = [&](int i, int k) { return h_at(t, std::clamp(i, 0, DIM - 1), std::clamp(k, 0, DIM - 1)); };
    struct {
        const char* name;
        float x, z, want;
    } cases[] = {
        {"vertex (1,2) exact", 2, 4, H(1, 2)},
        {"vertex (2,2) exact", 4, 4, H(2, 2)},
        {"far corner vertex exact", 8, 8, H(4, 4)},
        {"even cell centre: mean of its diagonal", 1, 1, (H(0, 0) + H(1, 1)) / 2},
        {"odd cell centre: mean of the other diagonal", 3, 1, (H(2, 0) + H(1, 1)) / 2},
        {"edge midpoint", 1, 0, (H(0, 0) + H(1, 0)) / 2},
        {"even cell, first triangle", 1.5f, 0.5f, H(1, 0) + 0.25f * (H(0, 0) - H(1, 0)) + 0.25f * (H(1, 1) - H(1, 0))},
        {"beyond +x keeps the fraction", 9, 3, H(4, 1) + 0.5f * (H(4, 2) - H(4, 1))},
        {"far outside uses the corner", -5000, 90000, H(0, 4)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NEAR(terrain_height(t, c.x, c.z), c.want, 1e-4f);
    }
    for (int k = 0; k < DIM; k++)
        for (int i = 0; i < DIM; i++) EXPECT_EQ(terrain_height(t, i * SPACING, k * SPACING), H(i, k));
    for (float v : {NAN, INFINITY, -INFINITY, 1e30f}) EXPECT_TRUE(std::isfinite(terrain_height(t, v, v)));
    terrain_free(t);
}

TEST(TerrainTile, Clamping) {
    TrackFolder f;
    f.put("tileinfo", "addtile\naddtile\naddtile\n");
    f.put("tilemap", std::string("\x00\x01\x02\x09", 4));  // 9 is clamped to 2
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    struct {
        const char* name;
        float x, z;
        int want;
    } cases[] = {
        {"origin", 0, 0, 0},
        {"second column", 4, 0, 1},
        {"x = size is the last column", 8, 0, 1},
        {"x = -5 is column 0", -5, 5, 2},
        {"clamped surface", 7, 7, 2},
        {"far outside", 1e9f, -1e9f, 1},
        {"NaN", NAN, NAN, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(terrain_tile(t, c.x, c.z), c.want);
    }
    terrain_free(t);
}

TEST(TerrainNormals, PlaneAndEdits) {
    Terrain* t = terrain_create(N, SPACING, 0);
    ASSERT_NE(t, nullptr);
    // The plane y = 0.5 x has the normal (-0.5, 1, 0) / |..| at every vertex.
    for (int k = 0; k < DIM; k++)
        for (int i = 0; i < DIM; i++) terrain_set_height(t, i, k, 0.5f * i * SPACING);
    const float len = sqrtf(1.25f);
    for (auto [i, k] : {std::pair{0, 0}, {2, 2}, {1, 2}, {4, 3}, {-3, 99}}) {
        SCOPED_TRACE(std::to_string(i) + "," + std::to_string(k));
        float n[3];
        terrain_vertex_normal(t, i, k, n);
        EXPECT_NEAR(n[0], -0.5f / len, 1e-5f);
        EXPECT_NEAR(n[1], 1.0f / len, 1e-5f);
        EXPECT_NEAR(n[2], 0, 1e-5f);
    }
    // A raised vertex tilts its neighbours' normals away from it; far vertices keep theirs.
    uint8_t before_far[3], before_near[3];
    terrain_reshade(t);
    memcpy(before_far, t->shading + 3 * (4 + DIM * 4), 3);
    memcpy(before_near, t->shading + 3 * (1 + DIM * 2), 3);
    terrain_set_height(t, 2, 2, 100);
    float n[3];
    terrain_vertex_normal(t, 1, 2, n);
    EXPECT_LT(n[0], -0.5f / len);
    terrain_reshade(t);
    EXPECT_EQ(memcmp(before_far, t->shading + 3 * (4 + DIM * 4), 3), 0);
    EXPECT_NE(memcmp(before_near, t->shading + 3 * (1 + DIM * 2), 3), 0);
    terrain_set_height(t, -1, 7, 5);  // outside: ignored
    terrain_free(t);
}

TEST(TerrainShading, FlatGroundUnderTheDefaultSun) {
    Terrain* t = terrain_create(N, SPACING, 3);
    ASSERT_NE(t, nullptr);
    // Flat ground facing a sun along (1,1,1): f = 1/sqrt(3); (f + 0.5) * 127.5 = 137.3.
    EXPECT_EQ(t->shading[0], 137);
    t->shadows[0] = 255;  // fully shadowed: ambient only, 0.5 * 127.5
    terrain_set_height(t, 0, 0, 3);
    terrain_reshade(t);
    EXPECT_EQ(t->shading[0], 63);
    terrain_free(t);
}

TEST(TerrainSave, RoundTrip) {
    TrackFolder f;
    f.put("shading.ppm", ppm(DIM, DIM, 7));  // odd values lose their lowest bit
    f.put("decal.png", "x");
    f.put("decals", "[ 1 2 ] 0.5 1 2 " + f.folder + "/decal.png\n");
    Terrain* t = f.load();
    ASSERT_NE(t, nullptr);
    terrain_set_height(t, 3, 3, 80.25f);  // raises the maximum
    TempDir out;
    ASSERT_TRUE(save_terrain(t, out.path.c_str()));
    out.write("tileinfo", f.dir.read("track/tileinfo"));
    EXPECT_FLOAT_EQ(t->max_height, 80.25f);
    EXPECT_EQ(out.read("terrain.hf").find(':'), std::string::npos);
    EXPECT_EQ(out.read("terrain.hf").back(), '\n');

    Terrain* back = terrain_load(out.path.c_str(), TerrainLoadParams{});
    ASSERT_NE(back, nullptr);
    float step = (t->max_height - t->min_height) / 65535;
    for (int v = 0; v < DIM * DIM; v++) EXPECT_NEAR(back->heights[v], t->heights[v], step) << v;
    std::string full = out.read("shading.ppm"), half = out.read("shadingx2.ppm");
    std::string ppm_header = "P6\n5 5\n255\n";
    ASSERT_EQ(full.size(), ppm_header.size() + 75);
    EXPECT_EQ(full.substr(0, ppm_header.size()), ppm_header);
    // Vertices away from the edited one keep their loaded shading.
    for (int b : {0, 1, 2, 3}) {
        int file_value = (b * 7) & 255;
        EXPECT_EQ((uint8_t)full[ppm_header.size() + b], file_value & ~1) << b;
        EXPECT_EQ((uint8_t)half[ppm_header.size() + b], file_value >> 1) << b;
    }
    EXPECT_EQ(memcmp(back->shading, t->shading, 75), 0);  // shadingx2 is preferred on reload
    EXPECT_EQ(out.read("tilemap"), std::string("\x00\x01\x01\x00", 4));
    ASSERT_EQ(back->decals.size(), 1u);
    EXPECT_FLOAT_EQ(back->decals[0].aspect, 2);
    terrain_free(back);
    terrain_free(t);
}

TEST(TerrainSave, FlatFieldAndFailure) {
    Terrain* t = terrain_create(N, SPACING, 12.5f);
    ASSERT_NE(t, nullptr);
    TempDir out;
    ASSERT_TRUE(save_terrain(t, out.path.c_str()));
    EXPECT_FALSE(out.exists("decals"));  // no decals, no file
    out.write("tileinfo", "addtile\n");
    Terrain* back = terrain_load(out.path.c_str(), TerrainLoadParams{});
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->heights[12], 12.5f);
    terrain_free(back);
    // A folder that cannot be created fails the save.
    out.write("blocker", "a file, not a folder");
    EXPECT_FALSE(save_terrain(t, (out.path + "/blocker/track").c_str()));
    terrain_free(t);
}

TEST(TerrainCreate, RefusedGrids) {
    EXPECT_EQ(terrain_create(12, 1, 0), nullptr);
    EXPECT_EQ(terrain_create(-1, 1, 0), nullptr);
    EXPECT_EQ(terrain_create(2, 0, 0), nullptr);
    EXPECT_EQ(terrain_create(2, NAN, 0), nullptr);
    EXPECT_EQ(terrain_create(2, 1e-45f, 0), nullptr);  // inverse spacing overflows
}
