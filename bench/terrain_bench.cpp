// Ground query and track load speed.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "track/terrain.h"

// terrain_height at scattered points of a 2049 x 2049 grid (n = 10, 2 ft spacing).
static void BM_TerrainHeight(benchmark::State& state) {
    Terrain* t = terrain_create(10, 2.0f, 0);
    std::mt19937 random(1);
    for (int v = 0; v < t->dim * t->dim; v++) t->heights[v] = (float)(random() % 1000) * 0.01f;
    std::vector<float> points(4096);
    for (float& p : points) p = (float)(random() % 4096000) * 0.001f;
    size_t next = 0;
    for (auto _ : state) {
        float x = points[next & 4095], z = points[(next + 1) & 4095];
        next += 2;
        benchmark::DoNotOptimize(terrain_height(t, x, z));
    }
    terrain_free(t);
}
BENCHMARK(BM_TerrainHeight);

static void write_file(const std::string& path, const std::string& head, const std::vector<unsigned char>& body) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(head.data(), 1, head.size(), f);
    fwrite(body.data(), 1, body.size(), f);
    fclose(f);
}

// A whole 2049 x 2049 track: binary heights, shading, shadows, tile map.
static void BM_TerrainLoad2049(benchmark::State& state) {
    std::string pattern = (std::filesystem::temp_directory_path() / "rwbench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string folder = pattern;
    const int dim = 2049, tiles = 1024;
    std::mt19937 random(2);
    std::vector<unsigned char> samples(2 * (size_t)dim * dim), shading(3 * (size_t)dim * dim),
        shadows((size_t)dim * dim), tile_map((size_t)tiles * tiles);
    for (auto* v : {&samples, &shading, &shadows, &tile_map})
        for (unsigned char& b : *v) b = (unsigned char)random();
    write_file(folder + "/terrain.hf", "10 2.0 -20 100\n:", samples);
    write_file(folder + "/shading.ppm", "P6\n2049 2049\n255\n", shading);
    write_file(folder + "/shadows.pgm", "P5\n2049 2049\n255\n", shadows);
    write_file(folder + "/tilemap", "", tile_map);
    write_file(folder + "/tileinfo", "texture a.png\naddtile\ntexture b.png\naddtile\n", {});
    for (auto _ : state) {
        Terrain* t = terrain_load(folder.c_str(), TerrainLoadParams{});
        if (!t) {
            state.SkipWithError("load failed");
            break;
        }
        terrain_free(t);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}
BENCHMARK(BM_TerrainLoad2049)->Unit(benchmark::kMillisecond);
