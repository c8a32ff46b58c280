// The editor's (and the content generator's) writer of a track's ground
// files. Every file is written safely: a failed write leaves the old file.
#include <math.h>

#include <vector>

#include "base/alloc.h"
#include "base/messages.h"
#include "base/data_file.h"
#include "base/image.h"
#include "track/terrain.h"
#include "track/terrain_local.h"

namespace {

struct ShadingFile {
    const Terrain* t;
    bool doubled;  // shading.ppm holds full-scale values, shadingx2.ppm the stored half scale
};

}  // namespace

static bool write_header(DataStream* s, void* self) {
    const Terrain* t = (const Terrain*)self;
    return data_printf(s, "%d %f %f %f\n", t->n, t->spacing, t->min_height, t->max_height) > 0;
}

static bool write_shading(DataStream* s, void* self) {
    const ShadingFile* f = (const ShadingFile*)self;
    int dim = f->t->dim;
    if (data_printf(s, "P6\n%d %d\n255\n", dim, dim) <= 0) return false;
    std::vector<uint8_t> row(3 * (size_t)dim);
    for (int k = 0; k < dim; k++) {
        const uint8_t* src = f->t->shading + 3 * (size_t)dim * k;
        for (size_t b = 0; b < row.size(); b++) row[b] = f->doubled ? (uint8_t)(src[b] >= 128 ? 255 : 2 * src[b]) : src[b];
        if (data_write(s, row.data(), (int)row.size()) != (int)row.size()) return false;
    }
    return true;
}

static bool write_tile_map(DataStream* s, void* self) {
    const Terrain* t = (const Terrain*)self;
    int count = t->tiles * t->tiles;
    return data_write(s, t->tile_map, count) == count;
}

static bool write_decals(DataStream* s, void* self) {
    const Terrain* t = (const Terrain*)self;
    for (const Decal& d : t->decals)
        if (data_printf(s, "[%f %f] %f %f %f %s\n", d.x, d.z, d.angle, d.size, d.aspect, d.texture_name.c_str()) <= 0)
            return false;
    return true;
}

static bool write_or_report(const char* folder, const char* file, bool (*write)(DataStream*, void*), void* self) {
    if (write_data_file_safely(terrain_file_name(folder, file).c_str(), write, self)) return true;
    show_messagef("Can't open '%s'", file);
    return false;
}

bool save_terrain(Terrain* t, const char* folder) {
    size_t count = (size_t)t->dim * t->dim;
    float low = t->heights[0], high = t->heights[0];
    for (size_t v = 1; v < count; v++) {
        low = fminf(low, t->heights[v]);
        high = fmaxf(high, t->heights[v]);
    }
    t->min_height = low;
    t->max_height = high;
    if (!write_or_report(folder, "terrain.hf", write_header, t)) return false;

    uint16_t* samples = (uint16_t*)mem_alloc(count * sizeof(uint16_t));
    if (!samples) {
        show_message("Can't open 'terrain.png'");
        return false;
    }
    double range = (double)high - low;
    for (size_t v = 0; v < count; v++) {
        double scaled = range > 0 ? ((double)t->heights[v] - low) / range * 65535.0 + 0.5 : 0.0;
        samples[v] = (uint16_t)(scaled >= 65535.0 ? 65535 : (scaled > 0 ? (unsigned)scaled : 0));
    }
    bool png_ok = write_png_grey16(terrain_file_name(folder, "terrain.png").c_str(), samples, t->dim, t->dim);
    mem_free(samples);
    if (!png_ok) {
        show_message("Can't open 'terrain.png'");
        return false;
    }

    terrain_reshade(t);
    ShadingFile full{t, true}, half{t, false};
    if (!write_or_report(folder, "shading.ppm", write_shading, &full)) return false;
    if (!write_or_report(folder, "shadingx2.ppm", write_shading, &half)) return false;
    if (!write_or_report(folder, "tilemap", write_tile_map, t)) return false;
    if (!t->decals.empty() && !write_or_report(folder, "decals", write_decals, t)) return false;
    return true;
}
