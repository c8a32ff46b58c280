#include "app/startup.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "base/render_options.h"

TEST(StartupRenderOptions, DerivedFromSettings) {
    struct Case {
        const char* name;
        RenderSettingsValues in;
        float terrain_detail, lod_scale, lod_bias;
        int model_skip, ground_skip, ground_size, roost;
    };
    const Case cases[] = {
        // m = 50: scale (100-50)*0.02 = 1 (not cubed), bias 50 - 50*clamp(2, 0, 1) = 0.
        {"middle", {1.0, 8, 6, 3, 50, 120.7, true, 0}, 0.125f, 1.0f, 0.0f, 2, 4, 256, 120},
        // m = 0: scale 2 cubed = 8, bias 50; detail 0.25 -> 0.5.
        {"lowest model detail", {0.25, 0, 0, 0, 0, 0, false, 2}, 0.5f, 8.0f, 50.0f, 10, 10, 32, 0},
        // m = 100: scale 0; m = 20: bias 50 - 50*0.5 = 25.
        {"highest model detail", {2, 12, 11, 5, 100, 1000, true, 1}, 0.0625f, 0.0f, 0.0f, 0, 0, 1024, 1000},
        {"half bias", {1, 10, 10, 1, 20, 3, false, 0}, 0.125f, 1.6f * 1.6f * 1.6f, 25.0f, 0, 0, 64, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RenderOptions r{};
        derive_render_options(c.in, &r);
        EXPECT_FLOAT_EQ(r.terrain_detail, c.terrain_detail);
        EXPECT_NEAR(r.lod_scale, c.lod_scale, 1e-5);
        EXPECT_FLOAT_EQ(r.lod_bias, c.lod_bias);
        EXPECT_EQ(r.model_texture_skip, c.model_skip);
        EXPECT_EQ(r.ground_texture_skip, c.ground_skip);
        EXPECT_EQ(r.ground_texture_size, c.ground_size);
        EXPECT_EQ(r.roost_frequency, c.roost);
        EXPECT_EQ(r.use_shader, c.in.use_shader);
        EXPECT_EQ(r.texture_compress, c.in.texture_compress);
    }
}

TEST(StartupLists, VideoModeLabelsKeepTheFirstModesDepth) {
    const display_mode modes[] = {
        {1920, 1080, 24}, {1280, 1024, 24}, {1280, 1024, 16}, {800, 600, 24}, {0, 0, 0},
    };
    std::vector<std::string> want = {"Default Fullscreen", "Windowed", "1920x1080", "1280x1024",
                                     "800x600"};
    EXPECT_EQ(video_mode_labels(modes), want);
    const display_mode none[] = {{0, 0, 0}};
    EXPECT_EQ(video_mode_labels(none).size(), 2u);
}

TEST(StartupLists, DemoListTakesDemosFolderRwdemoFilesSorted) {
    const char* names[] = {
        "demos/zeta.rwdemo",  "demos/Alpha.RWDEMO", "demos/sub/deep.rwdemo", "demos/notes.txt",
        "other/x.rwdemo",     "demos/.rwdemo",      "demosx/y.rwdemo",        nullptr,
    };
    std::vector<DemoEntry> demos = build_demo_list(names);
    ASSERT_EQ(demos.size(), 4u);
    EXPECT_EQ(demos[0].file, "demos/.rwdemo");
    EXPECT_EQ(demos[0].display, "");
    EXPECT_EQ(demos[1].file, "demos/Alpha.RWDEMO");
    EXPECT_EQ(demos[1].display, "Alpha");
    EXPECT_EQ(demos[2].display, "deep");
    EXPECT_EQ(demos[3].display, "zeta");
}
