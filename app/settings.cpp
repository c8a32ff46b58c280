// The settings record, its defaults and the "@config" file.
#include "app/settings.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/num.h"
#include "sim/setup.h"

static const char* const NO_YES[] = {"No", "Yes"};
static const char* const SKILLS[] = {"Novice", "Amateur", "Expert"};
static const char* const SLOT_KINDS[] = {"Empty", "Human", "Robot", "Robot (2 stroke)",
                                         "Robot (4 stroke)"};
static const char* const FIXED_VIDEO_MODES[] = {"Default Fullscreen", "Windowed"};
static const char* const PLAYBACK_MODES[] = {"Playback Only", "Race Against"};
static const char* const TEXTURE_DIMS[] = {"32x32",   "64x64",   "128x128",
                                           "256x256", "512x512", "1024x1024"};
static const char* const COMPRESS_MODES[] = {"No", "Yes", "Always"};
static const char* const RENDER_METHODS[] = {"Software", "Hardware/Copy", "Hardware/Direct",
                                             "Shaders/Copy", "Shaders/Direct"};
static const char* const SLOT_LABELS[GATE_COUNT] = {
    "Gate 1",  "Gate 2",  "Gate 3",  "Gate 4",  "Gate 5",  "Gate 6",  "Gate 7",  "Gate 8",
    "Gate 9",  "Gate 10", "Gate 11", "Gate 12", "Gate 13", "Gate 14", "Gate 15", "Gate 16",
    "Gate 17", "Gate 18", "Gate 19", "Gate 20", "Gate 21", "Gate 22", "Gate 23", "Gate 24",
    "Gate 25", "Gate 26", "Gate 27", "Gate 28", "Gate 29", "Gate 30", "Gate 31", "Gate 32",
    "Gate 33", "Gate 34", "Gate 35", "Gate 36", "Gate 37", "Gate 38", "Gate 39", "Gate 40"};

// The race server offered until the player names another; the deployment's
// public server is configured here.
static const char* const DEFAULT_SERVER_NAME = "localhost";

#define COUNT_OF(a) (int)(sizeof(a) / sizeof((a)[0]))

static NumberSetting number(const char* label, double value, double step, double lo, double hi) {
    return NumberSetting{label, value, step, lo, hi};
}

template <int N>
static ChoiceSetting choice(const char* label, const char* const (&choices)[N], int index) {
    return ChoiceSetting{label, choices, N, index};
}

static void set_text(TextSetting* t, const char* label, int max_length, const char* text) {
    t->label = label;
    t->max_length = max_length;
    snprintf(t->text, sizeof t->text, "%.*s", max_length, text);
}

void settings_set_defaults(Settings* s) {
    s->xres = 640;
    s->yres = 480;
    s->draw_fps = 0;
    s->draw_time = 0;
    s->draw_ping = 1;
    s->draw_speed = 0;
    s->spy = 0;
    set_text(&s->track, "Track", SETTING_TEXT_MAX, "rabbithill");
    s->record = choice("Record Demo", NO_YES, CHOICE_NO);
    s->skill = choice("Robot Skill", SKILLS, 0);
    s->minutes = number("Minutes", 0, 1, 0, 60);
    s->laps = number("Laps", 5, 1, 0, 50);
    for (int i = 0; i < GATE_COUNT; i++) {
        int kind = SLOT_EMPTY;
        if (i == 19) kind = SLOT_HUMAN;
        if (i == 17 || i == 18 || (i >= 20 && i <= 22)) kind = SLOT_ROBOT;
        s->slots[i] = choice(SLOT_LABELS[i], SLOT_KINDS, kind);
    }
    s->ghost_fade_distance = number("Ghost Fade Distance", 10, 1, 0, 40);
    s->time_trial_abort = choice("Backing Up Aborts Attempt", NO_YES, CHOICE_YES);
    s->video_mode = choice("Video Mode", FIXED_VIDEO_MODES, VIDEO_MODE_DEFAULT_FULLSCREEN);
    s->playback_mode = choice("Playback Mode", PLAYBACK_MODES, 0);
    set_text(&s->server_name, "Server", SETTING_TEXT_MAX, DEFAULT_SERVER_NAME);
    for (int i = 0; i < SERVER_HISTORY_COUNT; i++)
        set_text(&s->server_name_hist[i], "", SETTING_TEXT_MAX, "");
    // Graphics: the "Compatibility" preset.
    s->ground_detail = number("Ground Geometric Detail", 70, 1, 0, 100);
    s->ground_texture_detail = number("Ground Texture Levels", 9, 1, 0, 10);
    s->ground_texture_dim = choice("Ground Texture Resolution", TEXTURE_DIMS, 1);
    s->ground_mipmaps = choice("Enable Ground Mipmaps", NO_YES, CHOICE_YES);
    s->texture_compress = choice("Compress Textures", COMPRESS_MODES, 0);
    s->render_texture = choice("Terrain Rendering Method", RENDER_METHODS, RENDER_SOFTWARE);
    s->use_shader = choice("Use Shader Programs", NO_YES, CHOICE_YES);
    s->model_detail = number("Model Geometric Detail", 50, 1, 0, 100);
    s->model_texture_detail = number("Model Texture Detail", 9, 1, 0, 10);
    s->roost_density = number("Roost Density", 1000, 10, 0, 1000);
    s->reshade_delay = number("Reshade Delay", 8, 1, 0, 20);
    s->lens_flare = choice("Enable Lens Flares", NO_YES, CHOICE_YES);
    s->reflections = choice("Enable Reflections", NO_YES, CHOICE_YES);
    s->hide_rider = choice("Hide 1st Person Rider", NO_YES, CHOICE_NO);
    s->rigid_camera = choice("Rigid 3rd person camera", NO_YES, CHOICE_NO);
    s->fov = number("Field Of View", 110, 1, 10, 170);
    s->first_person_height = number("1st Person Height", 0, 0.03125, 0, 1);
    s->first_person_angle = number("1st Person Angle", 0, 1, 0, 40);
    s->first_person_gimbal = number("1st Person Gimbal", 0, 1, 0, 100);
    s->third_person_height = number("3rd Person Height", 5, 1, 0, 20);
    s->third_person_distance = number("3rd Person Distance", 10, 1, 5, 40);
    s->volume = number("Volume", 10, 1, 0, 10);
    s->comp_volume = number("Competitor Volume", 8, 1, 0, 10);
    s->billboard_optimize_lookahead = 8;
    s->message_lines = 5;
    s->demo_backups = 0;
    s->map_scale = 1;
    bindings_set_defaults(s->bindings);
}

Settings& settings() {
    static Settings* instance = [] {
        static Settings s;
        settings_set_defaults(&s);
        return &s;
    }();
    return *instance;
}

void settings_set_video_modes(Settings* s, const char* const* labels, int count) {
    if (!labels || count < 2) {
        labels = FIXED_VIDEO_MODES;
        count = COUNT_OF(FIXED_VIDEO_MODES);
    }
    s->video_mode.choices = labels;
    s->video_mode.count = count;
    if (s->video_mode.index >= count) s->video_mode.index = VIDEO_MODE_DEFAULT_FULLSCREEN;
}

// ---- the file's keys --------------------------------------------------------

enum EntryKind {
    ENTRY_INTEGER,
    ENTRY_NUMBER,
    ENTRY_CHOICE,
    ENTRY_TEXT,
    ENTRY_HISTORY,  // text taken only when shorter than the limit
    ENTRY_SCALE,    // a bare float with its own range
    ENTRY_SETUP,    // the rider and bike setup lines go here
    ENTRY_BINDING,
};

struct Entry {
    std::string key;
    EntryKind kind;
    size_t offset;  // of the field within Settings
};

struct EntryTable {
    std::vector<Entry> entries;  // every key in file order
    std::vector<int> by_key;     // indices into `entries`, sorted by key; no setup entry
};

static void* field_of(Settings* s, const Entry& e) { return (char*)s + e.offset; }
static const void* field_of(const Settings* s, const Entry& e) { return (const char*)s + e.offset; }

// Every key in file order (keys such as "slot%02d" spelled out) with where its
// field lies in a settings record. Built on first use; the same for every record.
static EntryTable build_entry_table() {
    static Settings layout;  // only the addresses of its fields are taken
    Settings* s = &layout;
    EntryTable table;
    std::vector<Entry>& e = table.entries;
    auto add = [&](const char* key, EntryKind kind, void* field) {
        e.push_back({key, kind, field ? (size_t)((char*)field - (char*)s) : 0});
    };
    add("xres", ENTRY_INTEGER, &s->xres);
    add("yres", ENTRY_INTEGER, &s->yres);
    add("draw_fps", ENTRY_INTEGER, &s->draw_fps);
    add("draw_time", ENTRY_INTEGER, &s->draw_time);
    add("draw_ping", ENTRY_INTEGER, &s->draw_ping);
    add("draw_speed", ENTRY_INTEGER, &s->draw_speed);
    add("spy", ENTRY_INTEGER, &s->spy);
    add("track", ENTRY_TEXT, &s->track);
    add("record", ENTRY_CHOICE, &s->record);
    add("skill", ENTRY_CHOICE, &s->skill);
    add("minutes", ENTRY_NUMBER, &s->minutes);
    add("laps", ENTRY_NUMBER, &s->laps);
    char key[32];
    for (int i = 0; i < GATE_COUNT; i++) {
        snprintf(key, sizeof key, "slot%02d", i);
        add(key, ENTRY_CHOICE, &s->slots[i]);
    }
    add("ghost_fade_distance", ENTRY_NUMBER, &s->ghost_fade_distance);
    add("time_trial_abort", ENTRY_CHOICE, &s->time_trial_abort);
    add("", ENTRY_SETUP, nullptr);
    add("video_mode", ENTRY_CHOICE, &s->video_mode);
    add("server_name", ENTRY_TEXT, &s->server_name);
    for (int i = 0; i < SERVER_HISTORY_COUNT; i++) {
        snprintf(key, sizeof key, "server_name_hist%02d", i);
        add(key, ENTRY_HISTORY, &s->server_name_hist[i]);
    }
    add("ground_detail", ENTRY_NUMBER, &s->ground_detail);
    add("ground_texture_detail", ENTRY_NUMBER, &s->ground_texture_detail);
    add("ground_texture_dim", ENTRY_CHOICE, &s->ground_texture_dim);
    add("ground_mipmaps", ENTRY_CHOICE, &s->ground_mipmaps);
    add("texture_compress", ENTRY_CHOICE, &s->texture_compress);
    add("render_texture", ENTRY_CHOICE, &s->render_texture);
    add("use_shader", ENTRY_CHOICE, &s->use_shader);
    add("roost_density", ENTRY_NUMBER, &s->roost_density);
    add("reshade_delay", ENTRY_NUMBER, &s->reshade_delay);
    add("lens_flare", ENTRY_CHOICE, &s->lens_flare);
    add("reflections", ENTRY_CHOICE, &s->reflections);
    add("hide_rider", ENTRY_CHOICE, &s->hide_rider);
    add("rigid_camera", ENTRY_CHOICE, &s->rigid_camera);
    add("model_detail", ENTRY_NUMBER, &s->model_detail);
    add("model_texture_detail", ENTRY_NUMBER, &s->model_texture_detail);
    add("fov", ENTRY_NUMBER, &s->fov);
    add("first_person_height", ENTRY_NUMBER, &s->first_person_height);
    add("first_person_angle", ENTRY_NUMBER, &s->first_person_angle);
    add("first_person_gimbal", ENTRY_NUMBER, &s->first_person_gimbal);
    add("third_person_height", ENTRY_NUMBER, &s->third_person_height);
    add("third_person_distance", ENTRY_NUMBER, &s->third_person_distance);
    add("volume", ENTRY_NUMBER, &s->volume);
    add("comp_volume", ENTRY_NUMBER, &s->comp_volume);
    add("playback_mode", ENTRY_CHOICE, &s->playback_mode);
    add("billboard_optimize_lookahead", ENTRY_INTEGER, &s->billboard_optimize_lookahead);
    add("message_lines", ENTRY_INTEGER, &s->message_lines);
    add("demo_backups", ENTRY_INTEGER, &s->demo_backups);
    add("map_scale", ENTRY_SCALE, &s->map_scale);
    for (int i = 0; i < BINDING_COUNT; i++) add(binding_key(i), ENTRY_BINDING, &s->bindings[i]);
    for (int i = 0; i < (int)e.size(); i++)
        if (e[i].kind != ENTRY_SETUP) table.by_key.push_back(i);
    std::stable_sort(table.by_key.begin(), table.by_key.end(),
                     [&](int a, int b) { return strcmp(e[a].key.c_str(), e[b].key.c_str()) < 0; });
    return table;
}

static const EntryTable& entry_table() {
    static const EntryTable table = build_entry_table();
    return table;
}

// The entry of a file key; null when it is not a settings key.
static const Entry* find_entry(const char* key) {
    const EntryTable& t = entry_table();
    auto at = std::lower_bound(t.by_key.begin(), t.by_key.end(), key,
                               [&](int i, const char* k) { return strcmp(t.entries[i].key.c_str(), k) < 0; });
    if (at == t.by_key.end() || strcmp(t.entries[*at].key.c_str(), key) != 0) return nullptr;
    return &t.entries[*at];
}


static void store(Settings* s, const Entry& e, const char* value) {
    void* field = field_of(s, e);
    switch (e.kind) {
    case ENTRY_INTEGER: {
        int v;
        if (sscanf(value, "%d", &v) == 1) *(int*)field = v;
        break;
    }
    case ENTRY_NUMBER: {
        NumberSetting* n = (NumberSetting*)field;
        float v;
        if (sscanf(value, "%f", &v) == 1 && v == v) n->value = clamp_keep_nan<double>(v, n->minimum, n->maximum);
        break;
    }
    case ENTRY_SCALE: {
        float v;
        if (sscanf(value, "%f", &v) == 1 && v == v) *(float*)field = (float)clamp_keep_nan<double>(v, 0.125, 8);
        break;
    }
    case ENTRY_CHOICE: {
        ChoiceSetting* c = (ChoiceSetting*)field;
        for (int i = 0; i < c->count; i++)
            if (strcmp(c->choices[i], value) == 0) {
                c->index = i;
                break;
            }
        break;
    }
    case ENTRY_TEXT: {
        TextSetting* t = (TextSetting*)field;
        snprintf(t->text, sizeof t->text, "%.*s", t->max_length, value);
        break;
    }
    case ENTRY_HISTORY: {
        TextSetting* t = (TextSetting*)field;
        if ((int)strlen(value) < t->max_length) snprintf(t->text, sizeof t->text, "%s", value);
        break;
    }
    case ENTRY_BINDING: binding_parse((Binding*)field, value); break;
    case ENTRY_SETUP: break;
    }
}

bool settings_apply_line(Settings* s, const char* key, const char* value) {
    if (strcmp(key, "use_fbo") == 0) {  // older form of the terrain rendering method
        if (strcmp(value, "Yes") == 0) s->render_texture.index = RENDER_HARDWARE_DIRECT;
        if (strcmp(value, "No") == 0) s->render_texture.index = RENDER_HARDWARE_COPY;
        return true;
    }
    if (strcmp(key, "ground_texture_distance") == 0) return true;  // older key, no longer used
    const Entry* e = find_entry(key);
    if (!e) return false;
    store(s, *e, value);
    return true;
}

void settings_read_stream(Settings* s, DataStream* stream) {
    char line[1024];
    while (data_gets(stream, line, sizeof line)) {
        char* eq = strchr(line, '=');
        if (!eq) continue;
        *eq = 0;
        char* value = eq + 1;
        size_t n = strlen(value);
        while (n > 0 && (value[n - 1] == '\r' || value[n - 1] == '\n')) value[--n] = 0;
        if (setup_offer_line(line, value)) continue;  // the rider and bike setup
        settings_apply_line(s, line, value);
    }
}

bool settings_write_stream(const Settings* s, DataStream* stream) {
    for (const Entry& e : entry_table().entries) {
        const char* key = e.key.c_str();
        const void* field = field_of(s, e);
        switch (e.kind) {
        case ENTRY_INTEGER: data_printf(stream, "%s=%d\n", key, *(const int*)field); break;
        case ENTRY_NUMBER:
            data_printf(stream, "%s=%f\n", key, ((const NumberSetting*)field)->value);
            break;
        case ENTRY_SCALE: data_printf(stream, "%s=%f\n", key, *(const float*)field); break;
        case ENTRY_CHOICE: {
            const ChoiceSetting* c = (const ChoiceSetting*)field;
            const char* label = c->index >= 0 && c->index < c->count ? c->choices[c->index] : "";
            data_printf(stream, "%s=%s\n", key, label);
            break;
        }
        case ENTRY_TEXT:
        case ENTRY_HISTORY:
            data_printf(stream, "%s=%s\n", key, ((const TextSetting*)field)->text);
            break;
        case ENTRY_SETUP: setup_write_lines(stream); break;
        case ENTRY_BINDING: {
            char value[1100];
            if (binding_format((const Binding*)field, value, sizeof value))
                data_printf(stream, "%s=%s\n", key, value);
            break;
        }
        }
    }
    return !data_error(stream);
}

static const char* const CONFIG_NAME = "@config";

void read_settings() {
    DataStream* stream = open_data_file(CONFIG_NAME, "rb");
    if (!stream) return;
    settings_read_stream(&settings(), stream);
    close_data_file(stream);
}

bool write_settings() {
    return write_data_file_safely(
        CONFIG_NAME,
        [](DataStream* stream, void* self) { return settings_write_stream((const Settings*)self, stream); },
        &settings());
}
