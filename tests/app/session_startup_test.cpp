#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/frame_loop.h"
#include "app/session_run.h"
#include "app/settings.h"

namespace {

std::vector<std::string> history() {
    std::vector<std::string> h;
    for (const TextSetting& t : settings().server_name_hist) h.push_back(t.text);
    return h;
}

void set_history(const std::vector<std::string>& h) {
    for (int i = 0; i < SERVER_HISTORY_COUNT; i++)
        snprintf(settings().server_name_hist[i].text, sizeof settings().server_name_hist[i].text,
                 "%s", i < (int)h.size() ? h[i].c_str() : "");
}

}  // namespace

TEST(SessionStartup, WindowFromTheVideoMode) {
    static const char* const modes[] = {"Default Fullscreen", "Windowed", "800x600", "1024x768"};
    struct Case {
        const char* name;
        int mode;
        int width, height;
        bool fullscreen;
    };
    const Case cases[] = {
        {"desktop full screen", 0, 0, 0, true},
        {"windowed at xres x yres", 1, 320, 200, false},
        {"a listed mode", 3, 1024, 768, true},
    };
    Settings& s = settings();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings_set_defaults(&s);
        settings_set_video_modes(&s, modes, 4);
        s.xres = 320;
        s.yres = 200;
        s.video_mode.index = c.mode;
        int w = -1, h = -1;
        bool full = !c.fullscreen;
        startup_window_size(&w, &h, &full);
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height);
        EXPECT_EQ(full, c.fullscreen);
    }
    settings_set_defaults(&s);
}

TEST(SessionStartup, CommandLineOverridesSettings) {
    Settings& s = settings();
    settings_set_defaults(&s);
    CommandLine line = command_line_defaults();
    line.width = 800;
    line.draw_fps = 1;
    startup_apply_command_line(line);
    EXPECT_EQ(s.xres, 800);
    EXPECT_EQ(s.yres, 480);  // not given: the setting stays
    EXPECT_EQ(s.draw_fps, 1);
    EXPECT_EQ(s.draw_ping, 1);
    settings_set_defaults(&s);
}

TEST(SessionStartup, ConnectPushesOntoTheServerHistory) {
    std::vector<std::string> full;
    for (int i = 0; i < SERVER_HISTORY_COUNT; i++) full.push_back("s" + std::to_string(i));
    struct Case {
        const char* name;
        std::vector<std::string> before;
        const char* server;
        std::vector<std::string> after;  // first entries; the rest empty
    };
    std::vector<std::string> full_after = {"new"};
    full_after.insert(full_after.end(), full.begin(), full.end() - 1);
    const Case cases[] = {
        {"new name goes first", {"a", "b"}, "c", {"c", "a", "b"}},
        {"known name moves up, no copy", {"a", "b", "c"}, "b", {"b", "a", "c"}},
        {"already first", {"a", "b"}, "a", {"a", "b"}},
        {"full history drops the oldest", full, "new", full_after},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings_set_defaults(&settings());
        set_history(c.before);
        CommandLine line = command_line_defaults();
        line.has_connect = true;
        line.server_name = c.server;
        startup_apply_command_line(line);
        EXPECT_STREQ(settings().server_name.text, c.server);
        std::vector<std::string> want = c.after;
        want.resize(SERVER_HISTORY_COUNT);
        EXPECT_EQ(history(), want);
    }
    settings_set_defaults(&settings());
}
