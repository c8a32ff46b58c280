// Loading a track's ground files into a Terrain: height field, shading,
// shadows, surface table, tile map, caches and decals, with the loading
// screen's messages in the order the steps produce them.
#include <math.h>
#include <nettle/ripemd160.h>
#include <string.h>

#include <new>
#include <vector>

#include "base/alloc.h"
#include "base/messages.h"
#include "base/data_file.h"
#include "platform/log.h"
#include "base/render_options.h"
#include "base/image.h"
#include "track/terrain.h"
#include "track/terrain_local.h"

namespace {

struct Loader {
    Terrain* t;
    const char* folder;
    const TerrainLoadParams* params;
};

}  // namespace

static void progress_show(const Loader& l, const char* message) {
    const TerrainProgressOps* p = l.params->progress;
    if (p && p->show) p->show(p->self, message);
    else log("%s\n", message);
}

static void progress_done(const Loader& l, const char* message) {
    const TerrainProgressOps* p = l.params->progress;
    if (p && p->done) p->done(p->self, message);
    else log("%.64s...done\n", message);
}

static void progress_tick(const Loader& l) {
    const TerrainProgressOps* p = l.params->progress;
    if (p && p->tick) p->tick(p->self);
}

static std::string file_name(const Loader& l, const char* file) { return terrain_file_name(l.folder, file); }

static void report_cant_open(const std::string& name) { show_messagef("Can't open '%.950s'", name.c_str()); }

// Opens a file the track cannot do without; null after reporting it.
static DataStream* open_required(const Loader& l, const char* file) {
    std::string name = file_name(l, file);
    DataStream* s = open_data_file(name.c_str(), "rb");
    if (!s) report_cant_open(name);
    return s;
}

// A whole image file of the grid (the texture and text helpers stop at
// 16 MiB). Even a text-form image of the grid stays below 16 bytes a vertex;
// anything longer is refused rather than read into memory.
static bool read_all(DataStream* s, int dim, std::vector<unsigned char>* out) {
    size_t limit = 16 * (size_t)dim * dim + 65536;
    unsigned char block[65536];
    int got;
    while (out->size() <= limit && (got = data_read(s, block, sizeof block)) > 0)
        out->insert(out->end(), block, block + got);
    bool ok = !data_error(s) && out->size() <= limit;
    close_data_file(s);
    return ok;
}

static void log_sample_digest(const uint8_t* bytes, size_t count) {
    ripemd160_ctx ctx;
    ripemd160_init(&ctx);
    ripemd160_update(&ctx, count, bytes);
    uint8_t digest[RIPEMD160_DIGEST_SIZE];
    ripemd160_digest(&ctx, sizeof digest, digest);
    char hex[2 * RIPEMD160_DIGEST_SIZE + 1];
    for (int b = 0; b < RIPEMD160_DIGEST_SIZE; b++) snprintf(hex + 2 * b, 3, "%02x", digest[b]);
    log("%s\n", hex);
}

// Samples as 16-bit little-endian bytes, from after ":" or from terrain.png.
static bool read_samples(const Loader& l, DataStream* hf, uint8_t* bytes) {
    Terrain* t = l.t;
    size_t count = (size_t)t->dim * t->dim;
    if (data_getc(hf) == ':') {
        size_t wanted = 2 * count, got = 0;
        while (got < wanted) {
            int chunk = wanted - got > (1u << 30) ? 1 << 30 : (int)(wanted - got);
            int n = data_read(hf, bytes + got, chunk);
            if (n <= 0) break;
            got += (size_t)n;
        }
        close_data_file(hf);
        return got == wanted;
    }
    close_data_file(hf);
    std::string png_name = file_name(l, "terrain.png");
    uint16_t* samples = (uint16_t*)bytes;
    DataStream* png = open_data_file(png_name.c_str(), "rb");
    bool ok = png && terrain_png_read(png, t->dim, samples);
    close_data_file(png);
    if (!ok) {
        log("Can't read '%s': every height is the minimum\n", png_name.c_str());
        memset(bytes, 0, 2 * count);
        return true;
    }
    for (size_t v = 0; v < count; v++) {
        uint16_t s = samples[v];
        bytes[2 * v] = (uint8_t)s;
        bytes[2 * v + 1] = (uint8_t)(s >> 8);
    }
    return true;
}

static bool load_heights(const Loader& l) {
    Terrain* t = l.t;
    progress_show(l, "Loading terrain");
    DataStream* hf = open_required(l, "terrain.hf");
    if (!hf) return false;
    int n = 0;
    float spacing = 0, min_height = 0, max_height = 0;
    bool header_ok = data_scanf(hf, "%d %f %f %f ", &n, &spacing, &min_height, &max_height) == 4 &&
                     terrain_alloc_grid(t, n, spacing, min_height, max_height);
    if (!header_ok) {
        show_message("Bad height field parameters");
        show_message("Error reading heights");
        close_data_file(hf);
        return false;
    }
    progress_show(l, "Loading heights");
    size_t count = (size_t)t->dim * t->dim;
    uint8_t* bytes = (uint8_t*)mem_alloc(2 * count);
    if (!bytes) close_data_file(hf);
    if (!bytes || !read_samples(l, hf, bytes)) {
        mem_free(bytes);
        show_message("Error reading heights");
        return false;
    }
    if (render_options().debug_level >= 2) log_sample_digest(bytes, 2 * count);
    double low = t->min_height, range = (double)t->max_height - t->min_height;
    for (size_t v = 0; v < count; v++) {
        unsigned sample = bytes[2 * v] | (unsigned)bytes[2 * v + 1] << 8;
        t->heights[v] = (float)(low + range * sample / 65535.0);
    }
    mem_free(bytes);
    memcpy(t->reference_heights, t->heights, count * sizeof(float));
    progress_done(l, "Loading terrain");
    progress_done(l, "Loading heights");
    return true;
}

static bool load_shading(const Loader& l) {
    Terrain* t = l.t;
    progress_show(l, "Loading shading");
    bool half_scale = true;
    DataStream* s = open_data_file(file_name(l, "shadingx2.ppm").c_str(), "rb");
    if (!s) {
        half_scale = false;
        s = open_required(l, "shading.ppm");
        if (!s) return false;
    }
    std::vector<unsigned char> data;
    Image image{};
    const char* error = nullptr;
    if (!read_all(s, t->dim, &data) || !decode_ppm(data.data(), data.size(), &image, &error)) {
        show_message("Error reading shading");
        return false;
    }
    if (image.width != t->dim || image.height != t->dim) {
        show_messagef("Bad shading dimensions (%dx%d)", image.width, image.height);
        return false;
    }
    size_t bytes = (size_t)t->dim * t->dim * 3;
    for (size_t b = 0; b < bytes; b++) t->shading[b] = half_scale ? image.pixels[b] : image.pixels[b] >> 1;

    progress_show(l, "Loading shadows");
    s = open_data_file(file_name(l, "shadows.pgm").c_str(), "rb");
    if (!s) return true;  // no shadows
    data.clear();
    if (!read_all(s, t->dim, &data) || !decode_pgm(data.data(), data.size(), &image, &error)) {
        show_message("Error reading shadows");
        return false;
    }
    if (image.width != t->dim || image.height != t->dim) {
        log("Bad shadow dimensions (%dx%d)\n", image.width, image.height);
        return false;
    }
    for (size_t v = 0; v < (size_t)t->dim * t->dim; v++) t->shadows[v] = (uint8_t)(255 - image.pixels[v]);
    return true;
}

static bool load_surfaces(const Loader& l) {
    Terrain* t = l.t;
    std::string name = file_name(l, "tileinfo");
    if (char* text = file_to_string(name.c_str())) {
        tileinfo_parse(&t->surfaces, text, l.params->images);
        mem_free(text);
    } else {
        name = file_name(l, "texturelist");
        char* list = file_to_string(name.c_str());
        if (!list) {
            report_cant_open(name);
            return false;
        }
        texturelist_parse(&t->surfaces, list, l.params->images);
        mem_free(list);
    }
    // Every tile must name an existing entry, so a table without entries is refused.
    if (t->surfaces.entries.empty()) {
        show_messagef("No surfaces in '%.950s'", name.c_str());
        return false;
    }
    return true;
}

static bool load_tile_map(const Loader& l) {
    Terrain* t = l.t;
    progress_show(l, "Loading tilemap");
    DataStream* s = open_required(l, "tilemap");
    if (!s) return false;
    int wanted = t->tiles * t->tiles;
    int got = data_read(s, t->tile_map, wanted);
    close_data_file(s);
    // A short tile map is refused: the missing tiles would be guesses.
    if (got != wanted) {
        show_messagef("Error reading tilemap (%d of %d bytes)", got < 0 ? 0 : got, wanted);
        return false;
    }
    int last = (int)t->surfaces.entries.size() - 1;
    for (int v = 0; v < wanted; v++)
        if (t->tile_map[v] > last) t->tile_map[v] = (uint8_t)last;
    return true;
}

// Loads an image through the renderer's loader; without one it only checks
// that the file can be opened.
static bool load_image(const Loader& l, const std::string& name, unsigned* handle) {
    const TerrainImageOps* ops = l.params->images;
    *handle = 0;
    if (ops && ops->load) {
        *handle = ops->load(ops->self, name.c_str());
        return *handle != 0;
    }
    DataStream* s = open_data_file(name.c_str(), "rb");
    close_data_file(s);
    return s != nullptr;
}

static unsigned load_companion(const Loader& l, const std::string& texture, const char* suffix) {
    size_t dot = texture.rfind('.');
    size_t slash = texture.find_last_of("/\\");
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? texture.substr(0, dot)
                                                                                                  : texture;
    unsigned handle = 0;
    for (const char* extension : {".png", ".ppm"})
        if (load_image(l, stem + suffix + extension, &handle)) break;
    return handle;
}

static void load_decals(const Loader& l) {
    Terrain* t = l.t;
    progress_show(l, "Loading decals");
    DataStream* s = open_data_file(file_name(l, "decals").c_str(), "rb");
    if (!s) return;
    Decal d{};
    char texture[1024];
    while (data_scanf(s, "[ %f %f ] %f %f %f %1023s ", &d.x, &d.z, &d.angle, &d.size, &d.aspect, texture) == 6) {
        float v[5] = {d.x, d.z, d.angle, d.size, d.aspect};
        bool finite = true;
        for (float f : v) finite &= isfinite(f) != 0;
        if (!finite) continue;  // would poison the decal grid
        d.texture_name = texture;
        if (!load_image(l, d.texture_name, &d.texture)) continue;
        d.normal_texture = d.specular_texture = 0;
        if (t->normal_mapping) {
            d.normal_texture = load_companion(l, d.texture_name, "_tnorm");
            d.specular_texture = load_companion(l, d.texture_name, "_tspec");
        }
        d.cos_angle = cosf(d.angle);
        d.sin_angle = sinf(d.angle);
        t->decals.push_back(d);
    }
    close_data_file(s);
    terrain_rebuild_decal_grid(t);
}

Terrain* terrain_load(const char* folder, const TerrainLoadParams& params) {
    Terrain* t = new (std::nothrow) Terrain{};
    if (!t) return nullptr;
    t->folder = folder;
    t->method = params.method;
    t->normal_mapping = params.normal_mapping;
    t->lighting = terrain_default_lighting();
    Loader l{t, folder, &params};
    if (!load_heights(l) || !load_shading(l) || !load_surfaces(l) || !load_tile_map(l)) {
        terrain_free(t);
        return nullptr;
    }
    if (!terrain_alloc_caches(t)) {
        show_message("Out of memory for the terrain");
        terrain_free(t);
        return nullptr;
    }
    if (t->normal_mapping) {
        progress_show(l, "Creating terrain normals");
        for (int k = 0; k < t->dim; k++) {
            for (int i = 0; i < t->dim; i++) terrain_fill_normal_map(t, i, k);
            progress_tick(l);
        }
        progress_done(l, "Creating terrain normals");
    }
    load_decals(l);
    return t;
}
