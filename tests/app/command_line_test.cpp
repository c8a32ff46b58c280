#include "app/command_line.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "base/render_options.h"

namespace {

struct Parsed {
    int status;
    CommandLine line;
    std::string diagnostics;
};

Parsed parse(std::vector<const char*> args) {
    args.insert(args.begin(), "rutwise");
    Parsed p;
    p.status = parse_command_line((int)args.size(), args.data(), &p.line, &p.diagnostics);
    return p;
}

}  // namespace

TEST(CommandLine, ValuesAndClamping) {
    struct Case {
        const char* name;
        std::vector<const char*> args;
        std::function<void(const CommandLine&)> check;
    };
    const Case cases[] = {
        {"texture detail above the range", {"--texture-detail=7"},
         [](const CommandLine& c) {
             EXPECT_EQ(c.model_texture_skip, 4);
             EXPECT_EQ(c.ground_texture_skip, 4);
         }},
        {"texture detail below the range", {"--texture-detail", "-3"},
         [](const CommandLine& c) {
             EXPECT_EQ(c.model_texture_skip, 0);
             EXPECT_EQ(c.ground_texture_skip, 0);
         }},
        {"ground texture detail alone", {"--ground-texture-detail", "2"},
         [](const CommandLine& c) {
             EXPECT_EQ(c.ground_texture_skip, 2);
             EXPECT_EQ(c.model_texture_skip, -1);
         }},
        {"fake lag in ms clamps to 1 s", {"--fake-lag", "2500"},
         [](const CommandLine& c) { EXPECT_DOUBLE_EQ(c.fake_lag, 1.0); }},
        {"fake lag converts ms", {"--fake-lag=250"},
         [](const CommandLine& c) { EXPECT_DOUBLE_EQ(c.fake_lag, 0.25); }},
        {"fake loss clamps", {"--fake-loss", "150"},
         [](const CommandLine& c) { EXPECT_EQ(c.fake_loss, 100); }},
        {"roost frequency clamps", {"--roostfrequency", "5000"},
         [](const CommandLine& c) { EXPECT_EQ(c.roost_frequency, 1000); }},
        {"erode strength times 1024, truncated", {"--erode", "0.5009"},
         [](const CommandLine& c) { EXPECT_EQ(c.erode_strength, 512); }},
        {"erode clamps to 100", {"--erode", "1e9"},
         [](const CommandLine& c) { EXPECT_EQ(c.erode_strength, 102400); }},
        {"lod scale clamps low", {"--lod-scale", "0"},
         [](const CommandLine& c) { EXPECT_FLOAT_EQ(c.lod_scale, 0.000001f); }},
        {"lock fps", {"--lock-fps", "30"},
         [](const CommandLine& c) { EXPECT_DOUBLE_EQ(c.lock_fps, 30); }},
        {"connect drops the scheme", {"--connect", "rutwise:race.example.org:19801"},
         [](const CommandLine& c) {
             EXPECT_TRUE(c.has_connect);
             EXPECT_EQ(c.server_name, "race.example.org:19801");
         }},
        {"connect without the scheme", {"--connect=10.0.0.2"},
         [](const CommandLine& c) { EXPECT_EQ(c.server_name, "10.0.0.2"); }},
        {"chase centre", {"--chase-center", "0.5,3,-1.25"},
         [](const CommandLine& c) {
             EXPECT_FLOAT_EQ(c.chase_center[0], 0.5f);
             EXPECT_FLOAT_EQ(c.chase_center[1], 3.0f);
             EXPECT_FLOAT_EQ(c.chase_center[2], -1.25f);
         }},
        {"defaults", {},
         [](const CommandLine& c) {
             EXPECT_EQ(c.depth, 16);
             EXPECT_EQ(c.zdepth, 16);
             EXPECT_FLOAT_EQ(c.chase_center[1], 2.52f);
             EXPECT_FALSE(c.learn);
             EXPECT_TRUE(c.demo_file.empty());
         }},
        {"later flag wins", {"--learn", "--nolearn", "--debug", "--super-debug"},
         [](const CommandLine& c) {
             EXPECT_FALSE(c.learn);
             EXPECT_EQ(c.debug_level, 2);
         }},
        {"a value option takes the next argument even with a dash", {"--track", "-odd-"},
         [](const CommandLine& c) { EXPECT_EQ(c.track, "-odd-"); }},
        {"one demo file", {"--nosound", "race.rwdemo"},
         [](const CommandLine& c) {
             EXPECT_TRUE(c.no_sound);
             EXPECT_EQ(c.demo_file, "race.rwdemo");
         }},
        {"after -- a dash file is a file", {"--", "-strange.rwdemo"},
         [](const CommandLine& c) { EXPECT_EQ(c.demo_file, "-strange.rwdemo"); }},
        {"open-home among other options", {"--debug", "--open-home"},
         [](const CommandLine& c) { EXPECT_TRUE(c.open_home); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(c.args);
        EXPECT_EQ(p.status, 0);
        EXPECT_EQ(p.diagnostics, "");
        c.check(p.line);
    }
}

TEST(CommandLine, ErrorsExitWithStatusOne) {
    struct Case {
        const char* name;
        std::vector<const char*> args;
        const char* text;
    };
    const Case cases[] = {
        {"unknown option", {"--turbo"}, "bad option '--turbo'\n"},
        {"flag with a value", {"--debug=1"}, "bad option '--debug=1'\n"},
        {"single dash", {"-x"}, "bad option '-x'\n"},
        {"two files", {"a.rwdemo", "b.rwdemo"}, "Too many files!\n"},
        {"two files after --", {"--", "a", "-b"}, "Too many files!\n"},
        {"texture detail not a number", {"--texture-detail=abc"}, "Bad arg for --texture-detail\n"},
        {"trailing garbage", {"--fake-loss", "7x"}, "Bad arg for --fake-loss\n"},
        {"float not a number", {"--lod-bias", "fast"}, "Bad arg for --lod-bias\n"},
        {"float not finite", {"--lod-scale", "nan"}, "Bad arg for --lod-scale\n"},
        {"empty value", {"--detail="}, "Bad arg for --detail\n"},
        {"missing value at the end", {"--erode"}, "Bad arg for --erode\n"},
        {"missing text value at the end", {"--track"}, "Bad arg for --track\n"},
        {"chase centre with two numbers", {"--chase-center", "1,2"}, "Bad arg for --chase-center\n"},
        {"chase centre with four numbers", {"--chase-center", "1,2,3,4"},
         "Bad arg for --chase-center\n"},
        {"width not a number", {"--width", "wide"}, "Bad arg for --width\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Parsed p = parse(c.args);
        EXPECT_EQ(p.status, 1);
        EXPECT_EQ(p.diagnostics, c.text);
    }
}

TEST(CommandLine, BikesIsAcceptedAndIgnored) {
    Parsed p = parse({"--bikes", "8", "--warp"});
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(p.diagnostics, "--bikes doesn't do anything anymore\n");
    EXPECT_TRUE(p.line.warp);
    EXPECT_TRUE(p.line.demo_file.empty());  // its value is not a file
}

TEST(CommandLine, OverridesOnlyTheRenderOptionsGiven) {
    RenderOptions before{};
    before.terrain_detail = 0.5f;
    before.lod_bias = 7;
    before.model_texture_skip = 3;
    before.roost_frequency = 100;
    Parsed p = parse({"--fugly", "--ground-texture-detail", "1", "--max-detail-distance", "40",
                      "--debug"});
    ASSERT_EQ(p.status, 0);
    RenderOptions r = before;
    apply_command_line_render_options(p.line, &r);
    EXPECT_TRUE(r.plain_rendering);
    EXPECT_EQ(r.debug_level, 1);
    EXPECT_EQ(r.ground_texture_skip, 1);
    EXPECT_EQ(r.model_texture_skip, 3);
    EXPECT_FLOAT_EQ(r.detail_distance, 40);
    EXPECT_FLOAT_EQ(r.detail_fade_distance, 45);
    EXPECT_FLOAT_EQ(r.terrain_detail, 0.5f);
    EXPECT_FLOAT_EQ(r.lod_bias, 7);
    EXPECT_EQ(r.roost_frequency, 100);
}
