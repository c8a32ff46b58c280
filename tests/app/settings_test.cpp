#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "base/data_file.h"
#include "support/data_file_fixture.h"
#include "app/settings.h"
#include "sim/setup.h"
#include "support/temp_dir.h"

namespace {

void read_text(Settings* s, const TempDir& dir, const std::string& text) {
    std::string path = dir.write("in.txt", text);
    DataStream* stream = open_data_file(path.c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    settings_read_stream(s, stream);
    close_data_file(stream);
}

std::string write_text(const Settings& s, const TempDir& dir) {
    std::string path = dir.path + "/out.txt";
    DataStream* stream = open_data_file(path.c_str(), "wb");
    EXPECT_NE(stream, nullptr);
    if (!stream) return "";
    EXPECT_TRUE(settings_write_stream(&s, stream));
    close_data_file(stream);
    return dir.read("out.txt");
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::string line_with_key(const std::string& text, const std::string& key) {
    for (const std::string& line : lines_of(text))
        if (line.compare(0, key.size() + 1, key + "=") == 0) return line;
    return "";
}

}  // namespace

TEST(SettingsRead, ValuesByKind) {
    TempDir dir;
    std::string long_name(200, 'n');
    std::string hist_126(126, 'h'), hist_127(127, 'H');
    struct Case {
        const char* name;
        std::string line;
        std::string key;       // the line written back for this key
        std::string expected;  // ... must be this
    };
    const Case cases[] = {
        {"number above range clamps", "laps=99", "laps", "laps=50.000000"},
        {"number below range clamps", "minutes=-3", "minutes", "minutes=0.000000"},
        {"unparsable number keeps default", "fov=abc", "fov", "fov=110.000000"},
        {"number in range", "fov=90.5", "fov", "fov=90.500000"},
        {"choice needs exact case", "skill=expert", "skill", "skill=Novice"},
        {"choice exact match", "skill=Expert", "skill", "skill=Expert"},
        {"map scale clamps high", "map_scale=20", "map_scale", "map_scale=8.000000"},
        {"map scale clamps low", "map_scale=0.01", "map_scale", "map_scale=0.125000"},
        {"integer", "message_lines=9", "message_lines", "message_lines=9"},
        {"unreadable integer keeps value", "xres=wide", "xres", "xres=640"},
        {"gate choice", "slot05=Robot (2 stroke)", "slot05", "slot05=Robot (2 stroke)"},
        {"gate defaults", "", "slot19", "slot19=Human"},
        {"text cut to 127", "server_name=" + long_name, "server_name",
         "server_name=" + std::string(127, 'n')},
        {"history entry below the limit", "server_name_hist03=" + hist_126, "server_name_hist03",
         "server_name_hist03=" + hist_126},
        {"history entry at the limit is ignored", "server_name_hist04=" + hist_127,
         "server_name_hist04", "server_name_hist04="},
        {"older use_fbo Yes", "use_fbo=Yes", "render_texture", "render_texture=Hardware/Direct"},
        {"older use_fbo No", "use_fbo=No", "render_texture", "render_texture=Hardware/Copy"},
        {"carriage return stripped", "skill=Amateur\r", "skill", "skill=Amateur"},
        {"value keeps later equals signs", "track=a=b", "track", "track=a=b"},
        {"unknown key ignored", "no_such_key=1", "laps", "laps=5.000000"},
        {"line without equals ignored", "laps 7", "laps", "laps=5.000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s;
        settings_set_defaults(&s);
        read_text(&s, dir, c.line + "\n");
        EXPECT_EQ(line_with_key(write_text(s, dir), c.key), c.expected);
    }
}

TEST(SettingsRead, BindingForms) {
    TempDir dir;
    struct Case {
        const char* name;
        const char* line;
        const char* written;  // "" when the binding is not written
    };
    const Case cases[] = {
        {"key form", "throttle_key=(k)x", "throttle_key=(k)x"},
        {"older bare form", "throttle_key=x", "throttle_key=(k)x"},
        {"leading white space", "throttle_key=  (k)right ctrl", "throttle_key=(k)right ctrl"},
        {"axis with calibration", "throttle_key=(-0.9375,0.9375)Joystick1 axis 0",
         "throttle_key=(-0.937500,0.937500)Joystick1 axis 0"},
        {"default", "", "throttle_key=(k)x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Settings s;
        settings_set_defaults(&s);
        read_text(&s, dir, std::string(c.line) + "\n");
        EXPECT_EQ(line_with_key(write_text(s, dir), "throttle_key"), c.written);
    }
}

TEST(SettingsRead, OverlongLinesAreCutNotOverrun) {
    TempDir dir;
    Settings s;
    settings_set_defaults(&s);
    // The reader takes 1023 bytes at a time; the rest of the line has no "=".
    read_text(&s, dir, "server_name=" + std::string(3000, 'z') + "\nlaps=7\n");
    std::string text = write_text(s, dir);
    EXPECT_EQ(line_with_key(text, "server_name"), "server_name=" + std::string(127, 'z'));
    EXPECT_EQ(line_with_key(text, "laps"), "laps=7.000000");
}

TEST(SettingsWrite, KeysInFileOrder) {
    TempDir dir;
    Settings s;
    settings_set_defaults(&s);
    std::vector<std::string> keys;
    for (const std::string& line : lines_of(write_text(s, dir))) {
        std::string key = line.substr(0, line.find('='));
        if (setup_find_key(key.c_str()) < 0) keys.push_back(key);  // the setup has its own order
    }
    std::vector<std::string> want = {"xres", "yres", "draw_fps", "draw_time", "draw_ping",
                                     "draw_speed", "spy", "track", "record", "skill", "minutes",
                                     "laps"};
    for (int i = 0; i < 40; i++) want.push_back((i < 10 ? "slot0" : "slot") + std::to_string(i));
    for (const char* k : {"ghost_fade_distance", "time_trial_abort", "video_mode", "server_name"})
        want.push_back(k);
    for (int i = 0; i < 16; i++)
        want.push_back((i < 10 ? "server_name_hist0" : "server_name_hist") + std::to_string(i));
    for (const char* k :
         {"ground_detail", "ground_texture_detail", "ground_texture_dim", "ground_mipmaps",
          "texture_compress", "render_texture", "use_shader", "roost_density", "reshade_delay",
          "lens_flare", "reflections", "hide_rider", "rigid_camera", "model_detail",
          "model_texture_detail", "fov", "first_person_height", "first_person_angle",
          "first_person_gimbal", "third_person_height", "third_person_distance", "volume",
          "comp_volume", "playback_mode", "billboard_optimize_lookahead", "message_lines",
          "demo_backups", "map_scale", "throttle_key", "front_brake_key", "rear_brake_key",
          "left_key", "right_key", "clutch_key", "upshift_key", "downshift_key", "dab_key",
          "back_up_key", "lean_forward_key", "lean_backward_key", "pause_key", "step_key",
          "rewind_key", "skip_key", "prev_key", "next_key", "console_key", "screenshot_key"})
        want.push_back(k);
    EXPECT_EQ(keys, want);
}

TEST(SettingsWrite, UnboundControlIsLeftOut) {
    TempDir dir;
    Settings s;
    settings_set_defaults(&s);
    binding_clear(&s.bindings[BIND_STEP]);
    EXPECT_EQ(line_with_key(write_text(s, dir), "step_key"), "");
}

// Each with a home folder and a game data folder of its own.
class SettingsFile : public DataFilesTest {
protected:
    std::string config() const { return root.read("xdg/Rutwise/config"); }
};

TEST_F(SettingsFile, WrittenAndReadBackYieldsTheSameSettings) {
    Settings& s = settings();
    settings_set_defaults(&s);
    s.xres = 1024;
    s.skill.index = 2;
    s.laps.value = 12;
    s.slots[3].index = SLOT_ROBOT_4_STROKE;
    snprintf(s.server_name_hist[2].text, sizeof s.server_name_hist[2].text, "example:19801");
    s.map_scale = 2.5f;
    binding_parse(&s.bindings[BIND_LEFT], "(0.100000,0.900000)Joystick2 axis 1");
    std::string before = write_text(s, root);
    ASSERT_TRUE(write_settings());
    EXPECT_EQ(config(), before);

    settings_set_defaults(&s);
    read_settings();
    EXPECT_EQ(write_text(s, root), before);
    settings_set_defaults(&s);
}

TEST_F(SettingsFile, MissingFileKeepsDefaults) {
    Settings& s = settings();
    settings_set_defaults(&s);
    s.laps.value = 7;
    read_settings();
    EXPECT_EQ(s.laps.value, 7);
    settings_set_defaults(&s);
}

TEST_F(SettingsFile, RewriteReplacesWholeFile) {
    // A longer old file must not leave a tail behind the new content.
    home_file("config", std::string(20000, '#') + "\n");
    Settings& s = settings();
    settings_set_defaults(&s);
    ASSERT_TRUE(write_settings());
    std::string text = config();
    EXPECT_EQ(text.find('#'), std::string::npos);
    EXPECT_EQ(text.compare(0, 9, "xres=640\n"), 0);
}
