// Surface table parsing and the curve lookups of the tire model.
#include "track/tileinfo.h"

#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "base/messages.h"
#include "base/num.h"

static constexpr float TICK_SECONDS = 1.0f / 128.0f;

RoostType roost_default_type() {
    RoostType r{};
    r.kind = ROOST_KIND_UNUSED;
    r.texture = "@roost.png";
    r.count = 10;
    r.dig = 1;
    r.slip_threshold = 4;
    r.slow_angle = 1.5707964f;
    r.fast_angle = 0.19634955f;
    r.slow_speed = 0;
    r.fast_speed = 64;
    r.size = 0.25f;
    r.grow = 4;
    r.drag = 0.5f;
    r.vscale = 1;
    r.randomize = 15;
    for (int c = 0; c < 4; c++) r.colour[c] = 255;
    r.fade_per_tick[0] = r.fade_per_tick[1] = r.fade_per_tick[2] = 0;
    r.fade_per_tick[3] = -2;  // -256 per second
    return r;
}

static ErodeParams erode_default_params() {
    ErodeParams e{};
    e.depth = 1;
    e.lower = 50;
    e.upper = 150;
    e.displacement = 2;
    e.radius = 4;
    e.inner_depth = 0.125f;
    e.inner_radius = 2;
    e.min_slope = -0.5f;
    e.max_slope = 0.5f;
    e.off_speed = 10;
    e.on_speed = 15;
    e.slip_lower = 0;
    e.slip_upper = 5;
    e.slip_base_scale = 1;
    e.slip_scale = 1.5f;
    e.downhill_scale = 0;
    e.limit_depth[0] = 0;
    e.limit_first[0] = 1;
    e.limit_second[0] = 1;
    e.project_to_ground = 1;
    e.lateral_scale = 1;
    e.front_scale = 1;
    e.limit_count = 1;
    return e;
}

TileInfo tileinfo_default_entry() {
    TileInfo t{};
    for (auto& p : t.friction) p = {1.0f, FRICTION_UNUSED_SLIP};
    t.friction[0] = {1.0f, 1.0f};
    t.slip_function = 0;
    for (auto& p : t.roll_resist) p = {0, 0, 0};
    t.roll_resist[0] = {5, 15, 1.0f};
    for (auto& r : t.roost) r = roost_default_type();
    t.erode = erode_default_params();
    t.transition = 0;
    return t;
}

// Numbers from files must be finite: a NaN friction or fade would spread
// through the physics, so non-finite values count as unparsable.
static bool all_finite(const float* v, int count) {
    for (int i = 0; i < count; i++)
        if (!isfinite(v[i])) return false;
    return true;
}

static int scan_floats(const char* text, float* v, int count) {
    int got = 0;
    if (count == 1) got = sscanf(text, "%f", &v[0]);
    else if (count == 2) got = sscanf(text, "%f %f", &v[0], &v[1]);
    else got = sscanf(text, "%f %f %f", &v[0], &v[1], &v[2]);
    if (got < 0) got = 0;
    if (got == count && !all_finite(v, count)) return 0;
    return got;
}

// Where the warnings of one parse go besides the console.
struct WarningSink {
    std::vector<std::string>* list;
};

static void warn(WarningSink* sink, const char* text) {
    show_message(text);
    if (sink->list) sink->list->push_back(text);
}

// Truncation to an integer that stays defined for any float.
static int truncate_int(float v) {
    if (!(v > -2147483648.0f)) return v != v ? 0 : INT32_MIN;
    if (v >= 2147483648.0f) return INT32_MAX;
    return (int)v;
}

static std::string texture_base_name(const std::string& name) {
    size_t start = 0;
    if (!name.empty() && name[0] == '@') start = 1;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos && slash + 1 > start) start = slash + 1;
    return name.substr(start);
}

static void set_texture(TileInfo* t, const std::string& name, const TerrainImageOps* images) {
    t->texture_name = name;
    t->base_name = texture_base_name(name);
    t->texture = 0;
    if (images && images->load) t->texture = images->load(images->self, name.c_str());
}

// --- roost lines --------------------------------------------------------

static bool is_roost_separator(char c) {
    return c == ' ' || c == '\f' || c == '\n' || c == '\r' || c == '\t' || c == '\b';
}

// Splits at separators; a double-quoted part is taken literally without its quotes.
static std::vector<std::string> roost_tokens(const char* text) {
    std::vector<std::string> tokens;
    const char* p = text;
    while (*p) {
        while (*p && is_roost_separator(*p)) p++;
        if (!*p) break;
        std::string token;
        while (*p && !is_roost_separator(*p)) {
            if (*p == '"') {
                p++;
                while (*p && *p != '"') token += *p++;
                if (*p == '"') p++;
            } else {
                token += *p++;
            }
        }
        tokens.push_back(token);
    }
    return tokens;
}

static bool parse_decimal(const char* text, float* out) {
    char* end = nullptr;
    float v = strtof(text, &end);
    if (end == text || !isfinite(v)) return false;
    *out = v;
    return true;
}

static void apply_roost_token(WarningSink* sink, RoostType* r, const std::string& token) {
    struct NumberKey {
        const char* prefix;
        float* target;
        const char* warning;
    };
    float colour[4] = {0, 0, 0, 0}, fade[4] = {0, 0, 0, 0};
    const NumberKey keys[] = {
        {"count=", &r->count, "tileinfo warning: bad count\n"},
        {"dig=", &r->dig, "tileinfo warning: bad dig\n"},
        {"slip_threshold=", &r->slip_threshold, "tileinfo warning: bad slip_threshold\n"},
        {"slow_angle=", &r->slow_angle, "tileinfo warning: bad slow_angle\n"},
        {"fast_angle=", &r->fast_angle, "tileinfo warning: bad fast_angle\n"},
        {"slow_speed=", &r->slow_speed, "tileinfo warning: bad slow_speed\n"},
        {"fast_speed=", &r->fast_speed, "tileinfo warning: bad fast_speed\n"},
        {"size=", &r->size, "tileinfo warning: bad size\n"},
        {"grow=", &r->grow, "tileinfo warning: bad grow\n"},
        {"drag=", &r->drag, "tileinfo warning: bad drag\n"},
        {"vscale=", &r->vscale, "tileinfo warning: bad vscale\n"},
        {"randomize=", &r->randomize, "tileinfo warning: bad randomize\n"},
        {"r=", &colour[0], "tileinfo warning: bad r\n"},
        {"g=", &colour[1], "tileinfo warning: bad g\n"},
        {"b=", &colour[2], "tileinfo warning: bad b\n"},
        {"a=", &colour[3], "tileinfo warning: bad a\n"},
        {"fade_r=", &fade[0], "tileinfo warning: bad fade_r\n"},
        {"fade_g=", &fade[1], "tileinfo warning: bad fade_g\n"},
        {"fade_b=", &fade[2], "tileinfo warning: bad fade_b\n"},
        {"fade_a=", &fade[3], "tileinfo warning: bad fade_a\n"},
    };
    const char* text = token.c_str();
    if (token.rfind("texture=", 0) == 0) {
        r->texture = token.substr(8);
        return;
    }
    if (token.rfind("splash=", 0) == 0) {
        float v = 0;
        if (parse_decimal(text + 7, &v) && v != 0) r->kind = ROOST_KIND_SPLASH;
        return;
    }
    for (const NumberKey& key : keys) {
        size_t len = strlen(key.prefix);
        if (strncmp(text, key.prefix, len) != 0) continue;
        float v = 0;
        if (!parse_decimal(text + len, &v)) {
            warn(sink, key.warning);
            return;
        }
        *key.target = v;
        for (int c = 0; c < 4; c++) {
            if (key.target == &colour[c]) r->colour[c] = (uint8_t)truncate_int(v);
            if (key.target == &fade[c]) r->fade_per_tick[c] = (int8_t)truncate_int(v * TICK_SECONDS);
        }
        return;
    }
    char message[128];
    snprintf(message, sizeof message, "tileinfo warning: unknown roost parameter '%.40s'\n", text);
    warn(sink, message);
}

// --- tileinfo -----------------------------------------------------------

struct PendingEntry {
    TileInfo entry;
    bool has_name;
    int friction_count;
    int roll_count;
    int roost_count;
    int limit_count;
};

static void pending_reset(PendingEntry* p) {
    p->entry = tileinfo_default_entry();
    p->has_name = false;
    p->friction_count = 0;
    p->roll_count = 0;
    p->roost_count = 0;
    p->limit_count = 0;
}

static void commit_entry(SurfaceTable* table, PendingEntry* p) {
    TileInfo& t = p->entry;
    if (!p->has_name) t.name = t.texture_name.substr(0, TILEINFO_NAME_CHARS);
    std::sort(t.friction, t.friction + p->friction_count,
              [](const FrictionPoint& a, const FrictionPoint& b) { return a.slip_speed < b.slip_speed; });
    std::sort(t.roll_resist, t.roll_resist + p->roll_count,
              [](const RollResistPoint& a, const RollResistPoint& b) { return a.speed < b.speed; });
    if (p->limit_count == 0) {
        t.erode.limit_depth[0] = 0;
        t.erode.limit_first[0] = 1;
        t.erode.limit_second[0] = 1;
        t.erode.limit_count = 1;
    } else {
        t.erode.limit_count = p->limit_count;
    }
    table->entries.push_back(t);
    pending_reset(p);
}

// The numbers of a point line ("friction", "roll_resist", "erode_limit") when
// there is room for another point and all `count` numbers parse.
static bool read_point(WarningSink* sink, int points, int max_points, const char* value, float* v, int count,
                       const char* too_many, const char* bad) {
    if (points >= max_points) {
        warn(sink, too_many);
        return false;
    }
    if (scan_floats(value, v, count) != count) {
        warn(sink, bad);
        return false;
    }
    return true;
}

static void parse_erode_limit(WarningSink* sink, PendingEntry* p, const char* value) {
    ErodeParams& e = p->entry.erode;
    float v[3];
    if (!read_point(sink, p->limit_count, ERODE_MAX_LIMITS, value, v, 3, "tileinfo warning: too many erode limits\n",
                    "tileinfo warning: bad erode_limit\n"))
        return;
    int n = p->limit_count;
    if (n > 0 && v[0] <= e.limit_depth[n - 1]) {
        warn(sink, "tileinfo warning: erode_limit depth <= prev depth\n");
        return;
    }
    e.limit_depth[n] = v[0];
    e.limit_first[n] = v[1];
    e.limit_second[n] = v[2];
    p->limit_count = n + 1;
}

// Returns false when the key is not a single-number erode key.
static bool parse_erode_number(WarningSink* sink, ErodeParams* e, const char* key, const char* value) {
    struct ErodeKey {
        const char* key;
        float* target;
        const char* warning;
    };
    const ErodeKey keys[] = {
        {"erode_depth", &e->depth, "tileinfo warning: bad erode_depth\n"},
        {"erode_lower", &e->lower, "tileinfo warning: bad erode_lower\n"},
        {"erode_upper", &e->upper, "tileinfo warning: bad erode_upper\n"},
        {"erode_displacement", &e->displacement, "tileinfo warning: bad erode_displacement\n"},
        {"erode_radius", &e->radius, "tileinfo warning: bad erode_radius\n"},
        {"erode_inner_depth", &e->inner_depth, "tileinfo warning: bad erode_inner_depth\n"},
        {"erode_inner_radius", &e->inner_radius, "tileinfo warning: bad erode_inner_radius\n"},
        {"erode_min_slope", &e->min_slope, "tileinfo warning: bad erode_min_slope\n"},
        {"erode_max_slope", &e->max_slope, "tileinfo warning: bad erode_max_slope\n"},
        {"erode_off_speed", &e->off_speed, "tileinfo warning: bad erode_off_speed\n"},
        {"erode_on_speed", &e->on_speed, "tileinfo warning: bad erode_on_speed\n"},
        {"erode_slip_lower", &e->slip_lower, "tileinfo warning: bad erode_slip_lower\n"},
        {"erode_slip_upper", &e->slip_upper, "tileinfo warning: bad erode_slip_upper\n"},
        {"erode_slip_base_scale", &e->slip_base_scale, "tileinfo warning: bad erode_slip_base_scale\n"},
        {"erode_slip_scale", &e->slip_scale, "tileinfo warning: bad erode_slip_scale\n"},
        {"erode_downhill_scale", &e->downhill_scale, "tileinfo warning: bad erode_downhill_scale\n"},
        {"erode_project_to_ground", &e->project_to_ground, "tileinfo warning: bad erode_project_to_ground\n"},
        {"erode_lateral_scale", &e->lateral_scale, "tileinfo warning: bad erode_lateral_scale\n"},
        {"erode_front_scale", &e->front_scale, "tileinfo warning: bad erode_front_scale\n"},
    };
    for (const ErodeKey& k : keys) {
        if (strcmp(key, k.key) != 0) continue;
        float v;
        if (scan_floats(value, &v, 1) == 1) *k.target = v;
        else warn(sink, k.warning);
        return true;
    }
    return false;
}

static void parse_tileinfo_line(WarningSink* sink, SurfaceTable* table, PendingEntry* p, const char* line,
                                const TerrainImageOps* images) {
    const char* s = line + strspn(line, " \t\r\n");
    if (!*s) return;
    size_t key_len = strcspn(s, " \t\r\n");
    std::string key(s, key_len);
    const char* after = s + key_len;
    after += strspn(after, " \t");
    std::string value_text(after, strcspn(after, "\r\n"));
    const char* value = value_text.c_str();
    TileInfo& t = p->entry;

    if (key == "addtile") {
        commit_entry(table, p);
    } else if (key == "name") {
        t.name = value_text.substr(0, TILEINFO_NAME_CHARS);
        p->has_name = true;
    } else if (key == "texture") {
        set_texture(&t, value_text, images);
    } else if (key == "friction") {
        float v[2];
        if (read_point(sink, p->friction_count, TILEINFO_MAX_POINTS, value, v, 2,
                       "tileinfo warning: too many friction points\n", "tileinfo warning: bad friction parameters\n"))
            t.friction[p->friction_count++] = {std::max(v[0], 0.0f), std::min(v[1], FRICTION_MAX_SLIP)};
    } else if (key == "slip_function") {
        int f;
        if (sscanf(value, "%d", &f) != 1) {
            warn(sink, "tileinfo warning: bad slip_function\n");
        } else {
            t.slip_function = f;
            if (f < 0 || f > 2) warn(sink, "tileinfo warning: bad slip_function\n");
        }
    } else if (key == "roll_resist") {
        float v[3];
        if (read_point(sink, p->roll_count, TILEINFO_MAX_POINTS, value, v, 3,
                       "tileinfo warning: too many roll_resist points\n",
                       "tileinfo warning: bad roll_resist parameters\n"))
            t.roll_resist[p->roll_count++] = {std::max(v[0], 0.0f), std::max(v[1], 0.0f),
                                              std::max(v[2], ROLL_RESIST_MIN_SPEED)};
    } else if (key == "roost") {
        if (p->roost_count >= TILEINFO_ROOST_TYPES) {
            warn(sink, "tileinfo warning: too many roost types\n");
        } else {
            RoostType& r = t.roost[p->roost_count++];
            r.kind = ROOST_KIND_ROOST;
            for (const std::string& token : roost_tokens(value)) apply_roost_token(sink, &r, token);
        }
    } else if (key == "erode_limit") {
        parse_erode_limit(sink, p, value);
    } else if (!parse_erode_number(sink, &t.erode, key.c_str(), value)) {
        char message[1024];
        snprintf(message, sizeof message, "tileinfo warning: Unknown identifier '%.950s'\n", key.c_str());
        warn(sink, message);
    }
}

// Calls `line` with each piece of `text` as a line reader with a 1024-byte
// buffer delivers it: up to and including a line feed, at most 1023 bytes.
template <typename F>
static void for_each_line_piece(const char* text, F&& line) {
    const char* p = text;
    char piece[1024];
    while (*p) {
        size_t n = 0;
        while (p[n] && n < sizeof piece - 1) {
            n++;
            if (p[n - 1] == '\n') break;
        }
        memcpy(piece, p, n);
        piece[n] = 0;
        p += n;
        if (!line(piece)) return;
    }
}

void tileinfo_parse(SurfaceTable* table, const char* text, const TerrainImageOps* images,
                    std::vector<std::string>* warnings) {
    table->entries.clear();
    WarningSink sink{warnings};
    PendingEntry pending;
    pending_reset(&pending);
    for_each_line_piece(text, [&](const char* line) {
        parse_tileinfo_line(&sink, table, &pending, line, images);
        return (int)table->entries.size() < TILEINFO_MAX_ENTRIES;
    });
    tileinfo_compute_transitions(table);
}

// --- texturelist --------------------------------------------------------

void texturelist_parse(SurfaceTable* table, const char* text, const TerrainImageOps* images) {
    table->entries.clear();
    for_each_line_piece(text, [&](const char* line) {
        std::string rest(line + strspn(line, " \t\r\n"));
        while (!rest.empty() && strchr(" \t\r\n", rest.back())) rest.pop_back();
        if (rest.empty()) return true;
        float v[3] = {1, 5, 15};
        int used = 0;
        std::string name = rest;
        if (sscanf(rest.c_str(), "%f %f %f %n", &v[0], &v[1], &v[2], &used) == 3 && used > 0 &&
            all_finite(v, 3)) {
            name = rest.substr(used);
        } else {
            v[0] = 1, v[1] = 5, v[2] = 15;
        }
        TileInfo t = tileinfo_default_entry();
        for (int i = 0; i < TILEINFO_MAX_POINTS; i++) {
            t.friction[i] = {v[0], i == 0 ? 1.0f : FRICTION_UNUSED_SLIP};
            t.roll_resist[i] = {v[1], v[2], i == 0 ? 1.0f : 0.0f};
        }
        t.roost[0].kind = ROOST_KIND_ROOST;
        set_texture(&t, name, images);
        t.name = name.substr(0, TILEINFO_NAME_CHARS);
        table->entries.push_back(t);
        return (int)table->entries.size() < TILEINFO_MAX_ENTRIES;
    });
    tileinfo_compute_transitions(table);
}

// --- transition words ---------------------------------------------------

// The entry whose base name is `stem` followed by an extension, or -1.
static int find_stem(const SurfaceTable* table, const std::string& stem, int exclude) {
    for (int j = 0; j < (int)table->entries.size(); j++) {
        if (j == exclude) continue;
        const std::string& b = table->entries[j].base_name;
        if (b.size() > stem.size() && b.compare(0, stem.size(), stem) == 0 && b[stem.size()] == '.')
            return j;
    }
    return -1;
}

static int32_t transition_word(const SurfaceTable* table, int i) {
    const std::string& t = table->entries[i].base_name;
    size_t dash = t.find('-');
    int j = find_stem(table, t.substr(0, dash), i);
    if (dash == std::string::npos || j < 0) return i * 65536 + i * 256;
    std::string after = t.substr(dash + 1);
    if (after.size() >= 4 && after.compare(0, 3, "alt") == 0 && isdigit((unsigned char)after[3]))
        return j * 65536 + j * 256;
    size_t next = after.find('-');
    if (next == std::string::npos) return TRANSITION_UNKNOWN;
    int l = find_stem(table, after.substr(0, next), -1);
    if (l < 0) return TRANSITION_UNKNOWN;
    int32_t word = j * 65536 + l * 256;
    std::string mask = after.substr(next + 1, 4);
    if (mask.size() == 4 && mask.find_first_not_of("01") == std::string::npos) {
        const int bits[4] = {8, 4, 2, 1};
        for (int c = 0; c < 4; c++)
            if (mask[c] == '1') word += bits[c];
    }
    return word;
}

void tileinfo_compute_transitions(SurfaceTable* table) {
    for (int i = 0; i < (int)table->entries.size(); i++) table->entries[i].transition = transition_word(table, i);
}

// --- curve lookups ------------------------------------------------------

float tileinfo_friction(const TileInfo* entry, float slip, float alt_slip) {
    const FrictionPoint* p = entry->friction;
    int function = entry->slip_function;
    bool squared = function != 1 && function != 2;
    float s = function == 2 ? alt_slip : slip;
    auto key = [&](float v) { return squared ? v * v : v; };
    float ks = key(s);
    if (p[0].slip_speed >= FRICTION_UNUSED_SLIP || ks < key(p[0].slip_speed)) return p[0].coefficient;
    for (int k = 1; k < TILEINFO_MAX_POINTS; k++) {
        if (p[k].slip_speed >= FRICTION_UNUSED_SLIP) return p[k - 1].coefficient;
        if (key(p[k].slip_speed) > ks) {
            float lo = key(p[k - 1].slip_speed), hi = key(p[k].slip_speed);
            float w = hi > lo ? clamp_keep_nan((ks - lo) / (hi - lo), 0, 1) : 1.0f;
            return p[k - 1].coefficient + w * (p[k].coefficient - p[k - 1].coefficient);
        }
    }
    return p[TILEINFO_MAX_POINTS - 1].coefficient;
}

float tileinfo_roll_resist(const TileInfo* entry, float speed, float load_share) {
    const RollResistPoint* p = entry->roll_resist;
    float light = p[0].light_load, full = p[0].full_load;
    if (p[0].speed != 0 && speed >= p[0].speed) {
        int k = 1;
        while (k < TILEINFO_MAX_POINTS && p[k].speed != 0 && p[k].speed <= speed) k++;
        if (k == TILEINFO_MAX_POINTS || p[k].speed == 0) {
            light = p[k - 1].light_load;
            full = p[k - 1].full_load;
        } else {
            float lo = p[k - 1].speed, hi = p[k].speed;
            float w = hi > lo ? clamp_keep_nan((speed - lo) / (hi - lo), 0, 1) : 1.0f;
            light = p[k - 1].light_load + w * (p[k].light_load - p[k - 1].light_load);
            full = p[k - 1].full_load + w * (p[k].full_load - p[k - 1].full_load);
        }
    }
    return light + load_share * (full - light);
}
