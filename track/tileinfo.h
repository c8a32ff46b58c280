// The surface table of a track: what each surface number of the tile map
// looks like, how tires grip and roll on it, what wheels throw up and how it
// deforms. Parsed from "tileinfo" (or the older "texturelist") by the terrain
// loader; read by the tire model, roost, erosion, terrain renderer and editor.
// Units: slip speeds and speeds in ft/s, angles in radians, spin rates in rad/s.
// Parsing never fails on bad lines: it warns and carries on.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

enum {
    TILEINFO_MAX_ENTRIES = 256,
    TILEINFO_MAX_POINTS = 8,      // friction and rolling-resistance points per surface
    TILEINFO_ROOST_TYPES = 4,
    TILEINFO_NAME_CHARS = 47,
    ERODE_MAX_LIMITS = 8,
};

// A friction point whose slip speed is at least this is unused; the lookup stops there.
constexpr float FRICTION_UNUSED_SLIP = 1048576.0f;  // 2^20 ft/s
constexpr float FRICTION_MAX_SLIP = 1048575.0f;
constexpr float ROLL_RESIST_MIN_SPEED = 9.5367431640625e-7f;  // 2^-20 ft/s; speed 0 = unused

struct FrictionPoint {
    float coefficient;
    float slip_speed;  // ft/s
};

struct RollResistPoint {
    float light_load;  // resisting force at no load share, lbf
    float full_load;   // resisting force at full load share, lbf
    float speed;       // ft/s; 0 = unused
};

enum { ROOST_KIND_UNUSED = 0, ROOST_KIND_ROOST = 1, ROOST_KIND_SPLASH = 2 };

struct RoostType {
    int kind;               // ROOST_KIND_*
    std::string texture;    // particle image name
    float count;            // particles per wheel per tick; the fraction is a probability
    float dig;              // stored, has no effect
    float slip_threshold;   // ft/s of contact-point slip below which a roost throws nothing
    float slow_angle;       // rad, largest launch angle at the slow spin rate
    float fast_angle;       // rad, largest launch angle at the fast spin rate
    float slow_speed;       // rad/s
    float fast_speed;       // rad/s
    float size;             // ft at launch
    float grow;             // ft/s
    float drag;             // fraction of velocity lost per second
    float vscale;
    float randomize;        // ft/s, full width of the uniform spread per component
    uint8_t colour[4];      // r, g, b, a at launch
    int8_t fade_per_tick[4];  // r, g, b, a change per tick (value per second / 128, truncated)
};

// Erosion parameters of one surface; the layout is 44 four-byte values.
struct ErodeParams {
    float depth;
    float lower;
    float upper;
    float displacement;
    float radius;
    float inner_depth;
    float inner_radius;
    float min_slope;
    float max_slope;
    float off_speed;
    float on_speed;
    float slip_lower;
    float slip_upper;
    float slip_base_scale;
    float slip_scale;
    float downhill_scale;
    float limit_depth[ERODE_MAX_LIMITS];    // ascending
    float limit_first[ERODE_MAX_LIMITS];
    float limit_second[ERODE_MAX_LIMITS];
    float project_to_ground;
    float lateral_scale;
    float front_scale;
    int32_t limit_count;
};
static_assert(sizeof(ErodeParams) == 44 * 4);

// Transition word: bits 16..23 base surface, 8..15 other surface, 0..3 corner
// mask (1 = +x+z, 2 = -x+z, 4 = +x-z, 8 = -x-z corner shows the other surface).
constexpr int32_t TRANSITION_UNKNOWN = -256;

struct TileInfo {
    std::string name;          // at most 47 characters
    std::string texture_name;  // as given
    std::string base_name;     // texture name without "@" and folder part
    unsigned texture;          // handle from the image loader, 0 = none
    FrictionPoint friction[TILEINFO_MAX_POINTS];  // ascending slip speed
    int slip_function;         // 0 squared slip, 1 plain slip, 2 alternative measure; others act as 0
    RollResistPoint roll_resist[TILEINFO_MAX_POINTS];  // ascending speed, unused ones last
    RoostType roost[TILEINFO_ROOST_TYPES];
    ErodeParams erode;
    int32_t transition;
};

struct SurfaceTable {
    std::vector<TileInfo> entries;  // at most TILEINFO_MAX_ENTRIES
};

// How surface and decal images are loaded; the terrain renderer's method
// provides it. `load` returns a handle > 0, or 0 when the image cannot be
// loaded. A null table loads nothing (headless use, tests).
struct TerrainImageOps {
    unsigned (*load)(void* self, const char* name);
    void* self;
};

TileInfo tileinfo_default_entry();
RoostType roost_default_type();

// Parse the text of a "tileinfo" / "texturelist" file into `table` (replacing
// its contents). Warnings go to the console and log, and are also appended to
// `warnings` when it is given. `images` may be null.
void tileinfo_parse(SurfaceTable* table, const char* text, const TerrainImageOps* images,
                    std::vector<std::string>* warnings = nullptr);
void texturelist_parse(SurfaceTable* table, const char* text, const TerrainImageOps* images);
// Recomputes every entry's transition word from the texture base names.
void tileinfo_compute_transitions(SurfaceTable* table);

// Friction coefficient at slip speed `slip` (ft/s); slip function 2 reads
// `alt_slip`, the tire model's alternative slip measure, instead.
float tileinfo_friction(const TileInfo* entry, float slip, float alt_slip);
// Rolling-resistance force (lbf) at `speed` (ft/s) with the wheel's load share 0..1.
float tileinfo_roll_resist(const TileInfo* entry, float speed, float load_share);
