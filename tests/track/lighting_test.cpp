#include "track/lighting.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "base/data_file.h"
#include "base/messages.h"
#include "support/temp_dir.h"
#include "support/message_sink.h"

namespace {

struct LightingFile {
    TempDir dir;
    std::vector<std::string> shown;
    Lighting read(const std::string& text) {
        dir.write("lighting", text);
        Lighting l = lighting_defaults();
        set_message_sink(collect_message, &shown);
        DataStream* s = open_data_file((dir.path + "/lighting").c_str(), "rb");
        EXPECT_NE(s, nullptr);
        if (s) lighting_read(&l, s);
        close_data_file(s);
        set_message_sink(nullptr, nullptr);
        return l;
    }
};

}  // namespace

TEST(Lighting, KeysDefaultsAndSky) {
    LightingFile f;
    Lighting l = f.read(
        "  sun_vector [ 0 2 0 ]\n"
        "\n"
        "\tsun_color [0.9 0.8 0.7]\r\n"
        "ambient [ 0.3 0.3 0.3 ]\n"
        "sky_n   @north sky.png  \n"
        "fog [ 0.5 0.6 0.7 ] 0.001\n"
        "dynamic_lighting 1\n"
        "near_plane 0.5\nfar_plane 9000\n");
    EXPECT_TRUE(f.shown.empty());
    EXPECT_FLOAT_EQ(l.sun[1], 1);  // normalised
    EXPECT_FLOAT_EQ(l.sun_colour[2], 0.7f);
    EXPECT_FLOAT_EQ(l.ambient[0], 0.3f);
    EXPECT_FLOAT_EQ(l.global_ambient[0], 0.2f);
    EXPECT_EQ(l.sky[SKY_N], "@north sky.png");
    EXPECT_EQ(l.sky[SKY_ENV], "@sky-env.ppm");  // faces not named take the default images
    EXPECT_FLOAT_EQ(l.fog_density, 0.001f);
    EXPECT_TRUE(l.dynamic_lighting);
    EXPECT_FLOAT_EQ(l.near_plane, 0.5f);
    EXPECT_FLOAT_EQ(l.far_plane, 9000);
    // Without a file: the defaults, no sky.
    Lighting none = lighting_defaults();
    EXPECT_FALSE(none.has_file);
    EXPECT_TRUE(none.sky[SKY_N].empty());
    EXPECT_FLOAT_EQ(none.sun[0], 1 / sqrtf(3));
}

TEST(Lighting, UnknownKeyStopsTheFile) {
    LightingFile f;
    Lighting l = f.read("ambient [ 0.1 0.1 0.1 ]\nsunshine 7\nfog [ 1 1 1 ] 0.5\n");
    EXPECT_FLOAT_EQ(l.ambient[0], 0.1f);
    EXPECT_EQ(l.fog_density, 0);
    EXPECT_EQ(f.shown, std::vector<std::string>{"Error reading lighting: Unknown identifier 'sunshine'\n"});
}

TEST(Lighting, PlanesAreClamped) {
    struct { const char* name; const char* text; float near_plane, far_plane; } cases[] = {
        {"far before near", "far_plane 1\nnear_plane 2\n", 0.875f, 0.875f},
        {"tiny near", "near_plane 0\n", 1.0f / 1024, 5000},
        {"huge far", "far_plane 1e9\n", 0.25f, 1048576},
        {"non-finite values are ignored", "near_plane nan\nfar_plane inf\n", 0.25f, 5000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LightingFile f;
        Lighting l = f.read(c.text);
        EXPECT_FLOAT_EQ(l.near_plane, c.near_plane);
        EXPECT_FLOAT_EQ(l.far_plane, c.far_plane);
    }
}

TEST(Lighting, FlaresCollectAtMostEightElements) {
    std::string text;
    for (int i = 0; i < 10; i++) text += "flare_element [ 1 0 ] [ 1 1 1 ] 0.5 @flare.png\n";
    text += "flare_vector [ 0 1 0 ]\nflare_element [ 0 0 ] [ 1 0 0 ] 1 @dot.png\nflare_point [ 5 6 7 ]\n";
    LightingFile f;
    Lighting l = f.read(text);
    ASSERT_EQ(l.flares.size(), 2u);
    EXPECT_TRUE(l.flares[0].is_direction);
    EXPECT_EQ(l.flares[0].elements.size(), 8u);
    EXPECT_FALSE(l.flares[1].is_direction);
    ASSERT_EQ(l.flares[1].elements.size(), 1u);
    EXPECT_EQ(l.flares[1].elements[0].image, "@dot.png");
    EXPECT_FLOAT_EQ(l.flares[1].at[2], 7);
}
