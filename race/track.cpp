#include "race/track.h"

#include <nettle/ripemd160.h>
#include <stdio.h>

#include <set>
#include <vector>

#include "base/data_file.h"
#include "platform/log.h"
#include "sim/shape.h"

static const char* const SCANNED_FILES[] = {"terrain.hf", "terrain.png", "texturelist",
                                            "tilemap",    "tileinfo",    "nofrills.js"};

void track_init(LoadedTrack* t) {
    t->folder.clear();
    t->description.clear();
    t->terrain = nullptr;
    t->lighting = lighting_defaults();
    timing_gates_clear(&t->gates);
    statues_init(&t->statues, nullptr);
    for (uint8_t& b : t->digest) b = 0;
}

bool track_is_loaded(const LoadedTrack* t) { return t->terrain != nullptr; }

void track_free(LoadedTrack* t) {
    statues_free(&t->statues);
    timing_gates_clear(&t->gates);
    terrain_free(t->terrain);
    t->terrain = nullptr;
    t->folder.clear();
    t->description.clear();
    t->lighting = lighting_defaults();
}

// Feeds one file (inflated when it is a ".gz" variant); false when it is absent.
static bool digest_file(ripemd160_ctx* ctx, const std::string& name) {
    DataStream* s = open_data_file(name.c_str(), "rb");
    if (!s) return false;
    static uint8_t block[65536];
    int got;
    while ((got = data_read(s, block, (int)sizeof block)) > 0) ripemd160_update(ctx, (size_t)got, block);
    close_data_file(s);
    return true;
}

// Every distinct shape file of the statues, in statue order.
static void digest_shapes(ripemd160_ctx* ctx, const TrackStatues* statues) {
    if (!statues) return;
    std::set<std::string> seen;
    for (const Statue& st : statues->statues)
        if (!st.shape_name.empty() && seen.insert(st.shape_name).second) digest_file(ctx, st.shape_name);
}

void track_compute_digest(const char* folder, const TrackStatues* statues, uint8_t out[TRACK_DIGEST_BYTES],
                          void (*tick)(void* self), void* self) {
    ripemd160_ctx ctx;
    ripemd160_init(&ctx);
    for (const char* file : SCANNED_FILES) {
        digest_file(&ctx, terrain_file_name(folder, file));
        if (tick) tick(self);
    }
    digest_file(&ctx, terrain_file_name(folder, "timing_gates"));
    digest_file(&ctx, terrain_file_name(folder, "statues"));
    digest_shapes(&ctx, statues);
    ripemd160_digest(&ctx, TRACK_DIGEST_BYTES, out);
}

std::string track_digest_text(const LoadedTrack* t) {
    char text[2 * TRACK_DIGEST_BYTES + 1];
    for (int i = 0; i < TRACK_DIGEST_BYTES; i++) snprintf(text + 2 * i, 3, "%02x", t->digest[i]);
    return text;
}

// ---- the load, step by step -------------------------------------------------

struct Loading {
    const track_load_ops* ops;
    void show(const char* text) const {
        const TerrainProgressOps* p = ops ? ops->progress : nullptr;
        if (p && p->show) p->show(p->self, text);
        else log("%s\n", text);
    }
    void tick() const {
        const TerrainProgressOps* p = ops ? ops->progress : nullptr;
        if (p && p->tick) p->tick(p->self);
    }
    void done(const char* text) const {
        const TerrainProgressOps* p = ops ? ops->progress : nullptr;
        if (p && p->done) p->done(p->self, text);
    }
    unsigned long texture_memory() const {
        return ops && ops->texture_memory ? ops->texture_memory(ops->self) : 0;
    }
    bool verbose() const { return ops && ops->verbose; }
};

// The simulation's shape cache serves the statues' collision shapes.
static const void* statue_shape(void*, const char* name, float* radius) {
    Shape* s = load_shape(name);
    if (s) *radius = s->bounding_radius;
    return s;
}
static void free_statue_shape(void*, const void* shape) { shape_free((Shape*)shape); }

// A gate statue 3 ft ahead of its start slot.
static int make_gate_statue(void* self, const float p[3], float angle, const char* mesh, const char* texture,
                            const char* shape) {
    LoadedTrack* t = (LoadedTrack*)self;
    return statue_create(&t->statues, t->terrain, p[0], p[1], p[2], angle, mesh, texture, shape);
}

static bool open_and(const LoadedTrack* t, const char* file, DataStream** out) {
    *out = open_data_file(terrain_file_name(t->folder.c_str(), file).c_str(), "rb");
    return *out != nullptr;
}

bool track_load(LoadedTrack* t, const char* folder, const char* description, const track_load_ops* ops) {
    track_free(t);
    const Loading loading{ops};
    t->folder = folder;
    t->description = description && description[0] ? description : folder;

    ripemd160_ctx ctx;
    ripemd160_init(&ctx);
    loading.show("Scanning");
    for (const char* file : SCANNED_FILES) {
        digest_file(&ctx, terrain_file_name(folder, file));
        loading.tick();
    }
    loading.done("Scanning");
    if (loading.verbose()) log("Loading '%s'\n", terrain_file_name(folder, "").c_str());

    DataStream* s;
    if (open_and(t, "lighting", &s)) {
        loading.show("Loading lighting");
        lighting_read(&t->lighting, s);
        close_data_file(s);
        loading.done("Loading lighting");
    }

    TerrainLoadParams params = ops ? ops->terrain : TerrainLoadParams{};
    if (ops && !params.progress) params.progress = ops->progress;
    t->terrain = terrain_load(folder, params);
    if (!t->terrain) {
        track_free(t);
        return false;
    }
    // The ground is shaded with the track's sun and colours.
    for (int i = 0; i < 3; i++) {
        t->terrain->lighting.sun[i] = t->lighting.sun[i];
        t->terrain->lighting.diffuse[i] = t->lighting.sun_colour[i];
        t->terrain->lighting.ambient[i] = t->lighting.ambient[i];
    }
    if (loading.verbose()) log("%lu bytes texture memory used after hf creation\n", loading.texture_memory());

    statue_asset_ops assets = ops ? ops->statue_assets : statue_asset_ops{};
    assets.load_shape = statue_shape;
    assets.free_shape = free_statue_shape;
    statues_init(&t->statues, &assets);

    digest_file(&ctx, terrain_file_name(folder, "timing_gates"));
    if (open_and(t, "timing_gates", &s)) {
        const gate_statue_ops gate_ops = {make_gate_statue, t};
        timing_gates_read(&t->gates, s, &gate_ops, loading.verbose());
        close_data_file(s);
    }
    // SEAM (deformation): the roost particle pool.
    loading.show("Loading flaggers");
    // SEAM (track objects): flaggers and billboards.
    if (loading.verbose()) log("%lu bytes texture memory used after flagger creation\n", loading.texture_memory());
    loading.done("Loading flaggers");

    digest_file(&ctx, terrain_file_name(folder, "statues"));
    if (open_and(t, "statues", &s)) {
        loading.show("Loading statues");
        statues_read(&t->statues, t->terrain, s);
        close_data_file(s);
        loading.done("Loading statues");
    }
    loading.show("Loading map");
    if (loading.verbose()) log("%lu bytes texture memory used after statue creation\n", loading.texture_memory());
    // SEAM (HUD): the overhead map "map.png".
    loading.done("Loading map");
    statues_rebuild_grid(&t->statues, t->terrain->size);
    // SEAM (editor): the editor starts on the track here.
    digest_shapes(&ctx, &t->statues);
    ripemd160_digest(&ctx, TRACK_DIGEST_BYTES, t->digest);
    // SEAM (track objects): "cameras". (The erosion queue is emptied by every reset.)
    return true;
}
