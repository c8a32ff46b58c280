// Start-up and shutdown. The order matters: the log exists before anything
// reports, the command line is read before the window, the window exists
// before anything touches OpenGL, and the data index exists before any "@"
// name is opened. Shutdown releases in reverse, showing each step.
#include "app/startup.h"

#include <GL/gl.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>

#include <algorithm>

#include "base/alloc.h"
#include "app/command_line.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "base/num.h"
#include "app/frame_loop.h"
#include "app/loading_frame.h"
#include "app/race_session.h"
#include "platform/log.h"
#include "platform/platform.h"
#include "base/render_options.h"
#include "app/session_run.h"
#include "app/settings.h"
#include "render/gl_ext.h"
#include "render/model.h"
#include "render/shader.h"
#include "sim/shape.h"
#include "render/texture.h"
#include "sim/scene.h"
#include "track/track_list.h"

// What start-up builds and shutdown releases, for one run of the program.
struct ProgramState {
    PlatformWindow* window;  // owned
    Axis* cursor_x;          // owned
    Axis* cursor_y;          // owned
    StartupKeys keys;
    std::vector<std::string> video_modes;
    std::vector<DemoEntry> demos;
    TrackList tracks;
    physics_scene* scene;    // owned: the physics world, the 160 rider slots and their contacts
    AppRace race;            // the loaded track and the race on the scene
};

void derive_render_options(const RenderSettingsValues& s, RenderOptions* r) {
    if (s.ground_geometric_detail > 0) r->terrain_detail = (float)(0.125 / s.ground_geometric_detail);
    r->model_texture_skip = (int)clamp_keep_nan(10 - s.model_texture_detail, 0, 10);
    r->ground_texture_skip = (int)clamp_keep_nan(10 - s.ground_texture_levels, 0, 10);
    r->ground_texture_size = 32 << clamp_keep_nan(s.ground_texture_resolution, 0, 5);
    double m = s.model_geometric_detail;
    double scale = clamp_keep_nan(100 - m, 0, 100) * 0.02;
    if (scale > 1) scale = scale * scale * scale;
    r->lod_scale = (float)scale;
    r->lod_bias = (float)(50 - 50 * clamp_keep_nan((m - 10) * 0.05, 0, 1));
    r->roost_frequency = (int)s.roost_density;
    r->use_shader = s.use_shader;
    r->texture_compress = s.texture_compress;
}

std::vector<std::string> video_mode_labels(const display_mode* modes) {
    std::vector<std::string> labels = {"Default Fullscreen", "Windowed"};
    for (const display_mode* m = modes; m->width; m++) {
        if (m->depth != modes[0].depth) continue;
        char text[32];
        snprintf(text, sizeof text, "%dx%d", m->width, m->height);
        labels.push_back(text);
    }
    return labels;
}

std::vector<DemoEntry> build_demo_list(const char* const* names) {
    static const char PREFIX[] = "demos/";
    static const char SUFFIX[] = ".rwdemo";
    const size_t prefix_len = sizeof PREFIX - 1, suffix_len = sizeof SUFFIX - 1;
    std::vector<DemoEntry> demos;
    for (const char* const* n = names; n && *n; n++) {
        size_t len = strlen(*n);
        if (strncmp(*n, PREFIX, prefix_len) != 0 || len < prefix_len + suffix_len) continue;
        if (strcasecmp(*n + len - suffix_len, SUFFIX) != 0) continue;
        std::string display(*n, len - suffix_len);
        size_t slash = display.rfind('/');
        demos.push_back({*n, display.substr(slash + 1)});
    }
    std::sort(demos.begin(), demos.end(),
              [](const DemoEntry& a, const DemoEntry& b) { return a.file < b.file; });
    return demos;
}

StartupKeys look_up_startup_keys() {
    auto code = [](const char* name) {
        int c;
        return key_code(name, &c) ? c : -1;
    };
    return StartupKeys{code("up"),          code("down"),         code("left"),
                       code("right"),       code("enter"),        code("keypad enter"),
                       code("esc"),         code("pause"),        code("cursor-left"),
                       code("cursor-right"), code("page up"),     code("page down"),
                       code("close")};
}

// ---- Start-up steps -------------------------------------------------------------

static PlatformWindow* open_main_window(const CommandLine& line) {
    // The settings choose windowed (xres x yres) or a full-screen mode.
    int width, height;
    bool fullscreen;
    startup_window_size(&width, &height, &fullscreen);
    int colour_bits = line.depth > 0 && line.depth <= 0xFF ? line.depth : 16;
    if (fullscreen) colour_bits |= WINDOW_FULLSCREEN;
    return create_window("Rutwise", width, height, colour_bits, 0, line.zdepth, 0, 0);
}

static void build_data_index() {
    loading_keep_alive();
    set_index_keep_alive(loading_keep_alive);
    file_list();
    set_index_keep_alive(nullptr);
}

static void build_demo_list(ProgramState* p) {
    p->demos = build_demo_list(file_list());
    if (render_options().debug_level >= 1)
        for (const DemoEntry& d : p->demos) log("%s -> %s\n", d.file.c_str(), d.display.c_str());
}

// Waits until the window can be drawn; true inside a begun frame, false when
// the close button was pressed first.
static bool wait_until_drawable(PlatformWindow* window) {
    platform_rect rect;
    while (!begin_frame(window, &rect)) {
        loading_keep_alive();  // drains the events
        if (loading_close_requested()) return false;
        platform_sleep(0, 62500);
    }
    glViewport(0, 0, rect.width, rect.height);
    return true;
}

static void log_gl_strings() {
    log("GL_VENDOR: %s\n", gl_string(GL_VENDOR));
    log("GL_RENDERER: %s\n", gl_string(GL_RENDERER));
    log("GL_VERSION: %s\n", gl_string(GL_VERSION));
    log("GL_EXTENSIONS: %s\n", gl_string(GL_EXTENSIONS));
}

static void set_initial_gl_state() {
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0.196078f, 0.6f, 0.8f, 0.0f);
    glEnable(GL_CULL_FACE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (render_options().plain_rendering) glShadeModel(GL_FLAT);
}

// The `track` setting, or --track, picks the start-up track when it names one
// of the list; the setting then follows what was selected.
static void select_startup_track(ProgramState* p, const CommandLine& line) {
    const char* wanted = !line.track.empty() ? line.track.c_str() : settings().track.text;
    if (track_list_select(&p->tracks, wanted)) {
        const TrackEntry& chosen = p->tracks.tracks[p->tracks.selected];
        snprintf(settings().track.text, sizeof settings().track.text, "%s", chosen.folder.c_str());
    }
}

static void open_input(ProgramState* p) {
    p->cursor_x = open_axis("cursor-x");
    p->cursor_y = open_axis("cursor-y");
    p->keys = look_up_startup_keys();
}

// ---- Shutdown ---------------------------------------------------------------------

static int shut_down(ProgramState* p) {
    app_race_free(&p->race);  // the track and the riders, before their scene
    scene_destroy(p->scene);  // the contact group, the bikes, then the world
    p->scene = nullptr;
    loading_status("Freeing memory (1)");
    loading_status("Closing input devices");
    close_axis(p->cursor_x);
    close_axis(p->cursor_y);
    p->cursor_x = p->cursor_y = nullptr;
    shutdown_release_bindings();
    loading_status("Closing audio");
    loading_status("Writing config files");
    shutdown_write_settings();
    loading_status("Freeing memory (2)");
    loading_status("Freeing memory (3)");
    p->demos = std::vector<DemoEntry>();
    p->tracks = TrackList();
    p->video_modes = std::vector<std::string>();
    loading_status("Freeing file list");
    data_files_shutdown();
    loading_status("Freeing memory (4)");
    loading_status("Deleting textures");
    delete_unused_textures(true);
    delete_shaders();
    loading_status("Deleting models");
    delete_unused_models(true);  // the GL context is still current here
    shape_cache_free();
    loading_frame_end();
    destroy_window(p->window);
    p->window = nullptr;
    log(nullptr);
    mem_report();
    platform_sleep(1, 0);
    return 0;
}

int run_program(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--open-home") == 0) return open_home_folder(), 0;

    if (!game_data_present()) {
        message_box("Problem starting Rutwise", "Can't find game data\n");
        log(nullptr);
        return 0;
    }
    log("Rutwise version %s\n", BUILD_NAME);

    ProgramState program{};
    program.video_modes = video_mode_labels(display_modes());
    std::vector<const char*> mode_labels;
    for (const std::string& m : program.video_modes) mode_labels.push_back(m.c_str());
    startup_read_settings(mode_labels.data(), (int)mode_labels.size());

    CommandLine& line = command_line_for_startup();
    std::string diagnostics;
    int status = parse_command_line(argc, argv, &line, &diagnostics);
    fputs(diagnostics.c_str(), stderr);
    if (status != 0) {
        log(nullptr);
        return status;
    }
    if (line.open_home) {
        open_home_folder();
        log(nullptr);
        return 0;
    }
    startup_apply_command_line(line);
    derive_render_options(startup_render_settings(), &render_options_for_startup());
    apply_command_line_render_options(line, &render_options_for_startup());
    set_model_reflections(settings().reflections.index == CHOICE_YES);

    program.window = open_main_window(line);
    if (!program.window) {
        log(nullptr);
        return 1;
    }
    loading_frame_begin(program.window);
    build_data_index();
    if (!track_list_build(&program.tracks)) {
        fputs("No tracks found\n", stderr);
        loading_frame_end();
        destroy_window(program.window);
        log(nullptr);
        return 1;
    }
    build_demo_list(&program);
    select_startup_track(&program, line);

    if (wait_until_drawable(program.window)) {
        detect_gl(gl_proc_address);
        (void)build_shaders(render_options().use_shader);
        log_gl_strings();
        set_initial_gl_state();
        (void)load_hud_textures();  // after the fonts, once they exist
        if (end_frame(program.window)) {
            open_input(&program);
            // The physics world and a cleared slot table; the race reset puts
            // the start-up track under them and the line-up behind its gates.
            if ((program.scene = scene_create(nullptr)) && !loading_close_requested()) {
                app_race_init(&program.race, program.scene, &program.tracks, line);
                (void)app_race_start(&program.race);
                if (!loading_close_requested()) run_session(program.window, line, app_race_hooks(&program.race));
            }
        }
    }
    return shut_down(&program);
}
