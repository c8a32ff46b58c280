// A downloaded track's ground files: "terrain.hf" (header and samples, or
// "terrain.png"), shading, shadows, the surface table, the tile map and
// decals. The input holds the files in that order, cut by MARKER; an empty
// part is a missing file, a non-empty ninth part turns normal mapping on.
// A load either fails cleanly or gives a terrain whose queries work everywhere.
#include <math.h>
#include <stdio.h>

#include <filesystem>

#include "fuzz_support.h"
#include "track/terrain.h"

namespace {

const char* const MARKER = "\n==\n";
const char* const FILES[] = {"terrain.hf", "shadingx2.ppm", "shadows.pgm", "tileinfo",
                             "tilemap",    "decals",        "terrain.png", "texturelist"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string folder = fuzz_home() + "/track";
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    std::vector<std::string> parts = fuzz_split(data, size, MARKER);
    // Grids above 257 vertices a side only cost time here (arrays of up to
    // 4097^2 values filled before the other files are looked at); the header
    // checks themselves are the same for every size.
    int n = 0;
    if (sscanf(parts[0].c_str(), "%d", &n) == 1 && n > 7) return 0;
    for (size_t p = 0; p < parts.size() && p < sizeof FILES / sizeof FILES[0]; p++)
        if (!parts[p].empty() && !fuzz_write_file(folder + "/" + FILES[p], parts[p])) return 0;
    TerrainLoadParams params = {};
    params.normal_mapping = parts.size() > 8 && !parts[8].empty();
    Terrain* t = terrain_load(folder.c_str(), params);
    if (!t) return 0;
    fuzz_check(!t->surfaces.entries.empty(), "a terrain without surfaces");
    const float probes[][2] = {{0, 0}, {t->size / 2, t->size / 3}, {t->size, t->size}, {-1e6f, 1e9f}, {NAN, 3}};
    for (const auto& p : probes) {
        int tile = terrain_tile(t, p[0], p[1]);
        fuzz_check(tile >= 0 && tile < (int)t->surfaces.entries.size(), "a tile naming no surface");
        float h = terrain_height(t, p[0], p[1]);
        if (isfinite(p[0])) fuzz_check(isfinite(h), "a height that is not a number");
    }
    float normal[3];
    terrain_vertex_normal(t, t->dim / 2, t->dim / 3, normal);
    terrain_set_height(t, 1, 1, t->max_height);
    terrain_reshade(t);
    terrain_free(t);
    return 0;
}
