#include <gtest/gtest.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "base/data_file.h"
#include "sim/setup.h"
#include "sim/setup_params.h"
#include "support/data_home.h"

namespace {

RiderSetup fresh() {
    RiderSetup s;
    setup_startup(&s);
    return s;
}

}  // namespace

TEST(RiderSetup, StartupDefaults) {
    RiderSetup s = fresh();
    EXPECT_STREQ(s.bike, "yz250f(2017)");
    EXPECT_STREQ(s.number, "999");
    EXPECT_STREQ(s.texture[SETUP_BIKE_TEXTURE - SETUP_RIDER_TEXTURE], "@yz250f_2017.png");
    EXPECT_STREQ(s.texture[SETUP_WHEEL_TEXTURE - SETUP_RIDER_TEXTURE], "@wheels.png");
    EXPECT_STREQ(s.texture[SETUP_RIDER_TEXTURE - SETUP_RIDER_TEXTURE], "@rider_body.png");
    EXPECT_STREQ(s.texture[SETUP_HEAD_TEXTURE - SETUP_RIDER_TEXTURE], "@rider_head.png");
    // The preset of stability 100 replaces the table defaults of the fifteen.
    EXPECT_EQ(s.value[SETUP_STABILITY], 100);
    EXPECT_EQ(s.value[SETUP_ROLL_DAMPING], 80);
    EXPECT_EQ(s.value[SETUP_DIRECT_STEERING], 0.125f);
    EXPECT_EQ(s.value[SETUP_RESTRICTED_LOCK], 1);
    EXPECT_EQ(s.value[SETUP_ROLL_LIMIT_FACTOR], 32);
    // Others keep the table defaults.
    EXPECT_EQ(s.value[SETUP_SHOCK_COMPRESSION], 75);
    EXPECT_EQ(s.value[SETUP_RIDER_MASS_DISTRIBUTION], 0.33f);
    EXPECT_EQ(s.choice[SETUP_FRONT_BRAKE], SETUP_BRAKE_ANTILOCK);
    EXPECT_EQ(s.choice[SETUP_REAR_BRAKE], SETUP_BRAKE_NORMAL);
    EXPECT_EQ(s.choice[SETUP_STICKY_DAB], SETUP_NO);

    RiderSetup plain;
    setup_init_defaults(&plain);
    EXPECT_EQ(plain.value[SETUP_ROLL_DAMPING], 60);
    EXPECT_EQ(plain.value[SETUP_DIRECT_STEERING], 1);
}

TEST(RiderSetup, StabilityPreset) {
    struct { float stability; SetupKey key; float want; } cases[] = {
        {50, SETUP_ROLL_DAMPING, 65},      {50, SETUP_RESTRICTED_LOCK, 7.5f},
        {100, SETUP_DIRECT_STEERING, 0.125f}, {90, SETUP_DIRECT_STEERING, 0.5625f},
        {0, SETUP_ROLL_LIMIT_ANGLE, 90},   {10, SETUP_ROLL_LIMIT_ANGLE, 67.5f},
        {30, SETUP_SLOW_DAMPING_FACTOR, 1.25f}, {70, SETUP_ROLL_DAMPING, 72.5f},
        {-40, SETUP_RESTRICTED_LOCK, 45},  // clamped to stability 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stability) + " " + setup_setting(c.key)->key);
        RiderSetup s = fresh();
        s.value[SETUP_STABILITY] = c.stability;
        setup_apply_stability(&s);
        EXPECT_FLOAT_EQ(s.value[c.key], c.want);
    }
    // Read from a line: the preset runs, and a later line overrides it.
    RiderSetup s = fresh();
    EXPECT_TRUE(setup_read_line(&s, "roll_damping", "12"));
    EXPECT_TRUE(setup_read_line(&s, "stability", "50"));
    EXPECT_EQ(s.value[SETUP_ROLL_DAMPING], 65);
    EXPECT_TRUE(setup_read_line(&s, "roll_damping", "33"));
    EXPECT_EQ(s.value[SETUP_ROLL_DAMPING], 33);
    EXPECT_EQ(s.value[SETUP_RESTRICTED_LOCK], 7.5f);
}

TEST(RiderSetup, ReadLine) {
    const std::string long_text(1500, 'x');
    struct {
        const char* name;
        const char* key;
        std::string value;
        bool known;
        void (*check)(const RiderSetup&);
    } cases[] = {
        {"legacy bike name", "bike", "crf250", true,
         [](const RiderSetup& s) { EXPECT_STREQ(s.bike, "crf250(2008)"); }},
        {"other legacy name", "bike", "rmz250", true,
         [](const RiderSetup& s) { EXPECT_STREQ(s.bike, "rmz250(2008)"); }},
        {"exact bike", "bike", "rs50yz", true, [](const RiderSetup& s) { EXPECT_STREQ(s.bike, "rs50yz"); }},
        {"unknown bike unchanged", "bike", "tt500", true,
         [](const RiderSetup& s) { EXPECT_STREQ(s.bike, "yz250f(2017)"); }},
        {"name cut to 63", "name", std::string(80, 'n'), true,
         [](const RiderSetup& s) { EXPECT_EQ(strlen(s.name), 63u); }},
        {"number cut to 3", "number", "12345", true, [](const RiderSetup& s) { EXPECT_STREQ(s.number, "123"); }},
        {"texture cut to 1023", "bike_texture", long_text, true,
         [](const RiderSetup& s) { EXPECT_EQ(strlen(s.texture[SETUP_BIKE_TEXTURE - SETUP_RIDER_TEXTURE]), 1023u); }},
        {"number clamped up", "max_dab_speed", "3", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.value[SETUP_MAX_DAB_SPEED], 5); }},
        {"number clamped down", "leveling", "1e9", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.value[SETUP_LEVELING], 100); }},
        {"fraction", "rider_mass_distribution", "0.42", true,
         [](const RiderSetup& s) { EXPECT_FLOAT_EQ(s.value[SETUP_RIDER_MASS_DISTRIBUTION], 0.42f); }},
        {"unparsable number unchanged", "leveling", "lots", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.value[SETUP_LEVELING], 20); }},
        {"not-a-number unchanged", "leveling", "nan", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.value[SETUP_LEVELING], 20); }},
        {"choice exact", "stop_wheelies", "Front Only", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.choice[SETUP_STOP_WHEELIES], SETUP_STOP_WHEELIES_FRONT_ONLY); }},
        {"choice lower case ignored", "front_brake", "normal", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.choice[SETUP_FRONT_BRAKE], SETUP_BRAKE_ANTILOCK); }},
        {"lower-case antilock ignored", "rear_brake", "antilock", true,
         [](const RiderSetup& s) { EXPECT_EQ(s.choice[SETUP_REAR_BRAKE], SETUP_BRAKE_NORMAL); }},
        {"unknown key", "fov", "90", false, [](const RiderSetup&) {}},
        {"key is case sensitive", "Leveling", "3", false,
         [](const RiderSetup& s) { EXPECT_EQ(s.value[SETUP_LEVELING], 20); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RiderSetup s = fresh();
        EXPECT_EQ(setup_read_line(&s, c.key, c.value.c_str()), c.known);
        c.check(s);
    }
}

TEST(RiderSetup, WriteOrderAndFormats) {
    TestDataHome home;
    RiderSetup s = fresh();
    ASSERT_TRUE(setup_read_line(&s, "arcade", "No"));
    ASSERT_TRUE(setup_write_file(&s, "mine"));
    const std::string text = home.dir.read(home.home_file("setups/mine"));
    EXPECT_EQ(text.rfind("bike=yz250f(2017)\nname=Rider\nnumber=999\nrider_texture=@rider_body.png\n", 0), 0u);
    EXPECT_NE(text.find("\nstability=100.000000\nleveling=20.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nrestricted_lock=1.000000\narcade=No\nfront_brake=Antilock\n"), std::string::npos);
    EXPECT_NE(text.find("\nrider_zdamping=50.000000\nrider_mass_distribution=0.330000\n"), std::string::npos);
    // One line per key, in table order.
    size_t pos = 0;
    for (int k = 0; k < SETUP_KEY_COUNT; ++k) {
        const std::string key = std::string(setup_setting((SetupKey)k)->key) + "=";
        ASSERT_EQ(text.compare(pos, key.size(), key), 0) << key;
        pos = text.find('\n', pos) + 1;
    }
    EXPECT_EQ(pos, text.size());
}

TEST(RiderSetup, FileRoundTrip) {
    TestDataHome home;
    RiderSetup s = fresh();
    const char* lines[][2] = {
        {"bike", "450sxf(2016)"}, {"name", "Rider With Spaces = and equals"}, {"number", "42"},
        {"wheel_texture", "@gold_wheels.png[shiny]"}, {"stability", "37"}, {"roll_damping", "61.5"},
        {"stop_wheelies", "Front Only"}, {"auto_shift", "No"}, {"front_sprocket_adjustment", "-2"},
        {"fork_oil_level_adjustment", "12"}, {"rider_mass_distribution", "0.47"},
    };
    for (const auto& l : lines)
        ASSERT_TRUE(setup_read_line(&s, l[0], l[1])) << l[0];
    ASSERT_TRUE(setup_write_file(&s, "race one"));

    RiderSetup back = fresh();
    ASSERT_TRUE(setup_read_file(&back, "race one"));
    EXPECT_STREQ(back.bike, s.bike);
    EXPECT_STREQ(back.name, s.name);
    EXPECT_STREQ(back.number, s.number);
    for (int t = 0; t < SETUP_TEXTURES; ++t)
        EXPECT_STREQ(back.texture[t], s.texture[t]);
    for (int k = 0; k < SETUP_KEY_COUNT; ++k) {
        SCOPED_TRACE(setup_setting((SetupKey)k)->key);
        EXPECT_NEAR(back.value[k], s.value[k], 1e-5f);
        EXPECT_EQ(back.choice[k], s.choice[k]);
    }
}

TEST(RiderSetup, FileReadingRules) {
    TestDataHome home;
    // CR LF endings, lines without "=", a key with an "=" in the value, an
    // over-long line whose tail must not be read as a line of its own.
    const std::string junk(3000, 'j');
    home.dir.write(home.home_file("setups/odd"), "no equals here\r\nleveling=7\r\n\nname=a=b\n" "bike_texture=" +
                                           junk + "number=55\n" + "roll_damping=9");
    RiderSetup s = fresh();
    ASSERT_TRUE(setup_read_file(&s, "odd"));
    EXPECT_EQ(s.value[SETUP_LEVELING], 7);
    EXPECT_STREQ(s.name, "a=b");
    EXPECT_STREQ(s.number, "999");
    EXPECT_EQ(s.value[SETUP_ROLL_DAMPING], 9);  // last line without a line feed

    RiderSetup untouched = fresh();
    EXPECT_FALSE(setup_read_file(&untouched, "missing"));
    EXPECT_FALSE(setup_read_file(&untouched, ""));
    EXPECT_FALSE(setup_read_file(&untouched, "../../outside"));
    EXPECT_FALSE(setup_write_file(&untouched, ""));
    EXPECT_FALSE(setup_write_file(&untouched, "../escape"));
    EXPECT_FALSE(home.dir.exists("xdg/Rutwise/escape"));
}

TEST(RiderSetup, Readouts) {
    const BikeInfo* crf = find_bike_info("crf250(2008)");
    ASSERT_NE(crf, nullptr);
    struct { SetupKey key; float value; const char* want; } cases[] = {
        {SETUP_FORK_SPRING_RATE, 50, "0.450 kg/mm"},
        {SETUP_SHOCK_SPRING_RATE, 50, "5.30 kg/mm"},
        {SETUP_FORK_PRELOAD, 50, "12.70 mm"},
        {SETUP_FORK_OIL_LEVEL, 0, "127.00 mm"},
        {SETUP_FORK_OIL_LEVEL, 100, "76.20 mm"},
        {SETUP_SHOCK_PRELOAD, 100, "101.59 mm"},
        {SETUP_FRONT_SPROCKET, -2, "11.00 teeth"},
        {SETUP_REAR_SPROCKET, 1, "52.00 teeth"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        RiderSetup s = fresh();
        s.value[c.key] = c.value;
        char text[32];
        ASSERT_TRUE(setup_readout(&s, crf, c.key, text, sizeof text));
        EXPECT_STREQ(text, c.want);
    }
    RiderSetup s = fresh();
    char text[32];
    EXPECT_FALSE(setup_readout(&s, crf, SETUP_LEVELING, text, sizeof text));
}

TEST(RiderParams, Conversion) {
    const BikeInfo* crf = find_bike_info("crf250(2008)");
    ASSERT_NE(crf, nullptr);
    RiderSetup s = fresh();
    ASSERT_TRUE(setup_read_line(&s, "max_dab_speed", "3"));
    ASSERT_TRUE(setup_read_line(&s, "restricted_lock", "45"));
    ASSERT_TRUE(setup_read_line(&s, "roll_limit_angle", "180"));
    ASSERT_TRUE(setup_read_line(&s, "fork_compression_adjustment", "100"));
    ASSERT_TRUE(setup_read_line(&s, "fork_slow_compression_adjustment", "0"));
    ASSERT_TRUE(setup_read_line(&s, "fork_rebound_adjustment", "0"));
    ASSERT_TRUE(setup_read_line(&s, "fork_slow_rebound_adjustment", "75"));
    ASSERT_TRUE(setup_read_line(&s, "shock_spring_rate_adjustment", "100"));
    ASSERT_TRUE(setup_read_line(&s, "fork_oil_level_adjustment", "100"));
    ASSERT_TRUE(setup_read_line(&s, "rider_zdamping", "30"));
    ASSERT_TRUE(setup_read_line(&s, "stop_wheelies", "Front Only"));
    ASSERT_TRUE(setup_read_line(&s, "rear_brake", "Antilock"));
    ASSERT_TRUE(setup_read_line(&s, "auto_dab", "No"));
    RiderParams p;
    rider_params_from_setup(&p, &s, crf);
    EXPECT_NEAR(p.max_dab_speed, 7.3333f, 1e-3f);  // 5 mph
    EXPECT_NEAR(p.restricted_lock_angle, 0.785398f, 1e-5f);
    EXPECT_NEAR(p.roll_limit_angle, 3.141593f, 1e-5f);
    EXPECT_FLOAT_EQ(p.final_drive_ratio, 51.0f / 13.0f);
    EXPECT_FLOAT_EQ(p.fork.hs_compression, 60 * 4);
    EXPECT_FLOAT_EQ(p.fork.ls_compression_offset, -60);
    EXPECT_FLOAT_EQ(p.fork.hs_rebound, 30 * 0.25f);
    EXPECT_FLOAT_EQ(p.fork.ls_rebound_offset, 15);
    EXPECT_FLOAT_EQ(p.fork.spring_rate, (335.98f + 873.56f) / 2);
    EXPECT_FLOAT_EQ(p.fork.air_gap, 0.25f);
    EXPECT_FLOAT_EQ(p.shock.spring_rate, 4905.37f);
    EXPECT_FLOAT_EQ(p.shock.hs_compression, 800 * 2);  // 75 -> 2^1
    EXPECT_FLOAT_EQ(p.shock.ls_compression_offset, 0);
    EXPECT_FLOAT_EQ(p.shock.preload, 0.3333f / 2);
    EXPECT_EQ(p.shock.air_gap, 0);
    EXPECT_FLOAT_EQ(p.rider_z_damping, 0.3f);
    EXPECT_FLOAT_EQ(p.rider_mass_split, 0.33f);
    EXPECT_EQ(p.stop_wheelies, 2);
    EXPECT_TRUE(p.front_antilock);
    EXPECT_TRUE(p.rear_antilock);
    EXPECT_FALSE(p.auto_dab);
    EXPECT_TRUE(p.auto_shift);
    EXPECT_EQ(p.arcade, 1);
    rider_params_set_arcade(&p, 0);
    EXPECT_EQ(p.arcade, 0);

    // Values a hand-edited record could carry are still clamped.
    s.value[SETUP_MAX_DAB_SPEED] = 500;
    s.value[SETUP_SLOW_DAMPING_FACTOR] = -3;
    s.value[SETUP_RIDER_YSPRING] = 250;
    s.choice[SETUP_STOP_WHEELIES] = SETUP_STOP_WHEELIES_YES;
    rider_params_from_setup(&p, &s, crf);
    EXPECT_EQ(p.max_dab_speed, 100);
    EXPECT_EQ(p.slow_damping_factor, 1);
    EXPECT_EQ(p.rider_y_spring, 1);
    EXPECT_EQ(p.stop_wheelies, 3);
}

TEST(RiderParams, FinalDriveRatio) {
    struct { const char* name; float front, rear, front_adj, rear_adj, want; } cases[] = {
        {"plain", 13, 51, 0, 0, 51.0f / 13},
        {"two fewer countershaft teeth", 13, 51, -2, 0, 51.0f / 11},
        {"adjustments clamped to 2", 13, 51, -5, 7, 53.0f / 11},
        {"fractional adjustments floor", 13, 51, 0.5f, -0.5f, 50.0f / 13},
        {"three-tooth floor", 4, 2, -2, -2, 3.0f / 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FLOAT_EQ(final_drive_ratio(c.front, c.rear, c.front_adj, c.rear_adj), c.want);
    }
}

TEST(RiderSetup, WatchReport) {
    RiderSetup s = fresh();
    float before[SETUP_WATCH_COUNT], after[SETUP_WATCH_COUNT];
    setup_watch_values(&s, before);
    char text[80];
    EXPECT_FALSE(setup_watch_report(before, before, text, sizeof text));
    EXPECT_STREQ(text, "[SPAM] Setup change ---------------------------------------\n");
    s.value[SETUP_LEVELING] += 1;
    s.value[SETUP_RIDER_ZSPRING] += 1;
    s.value[SETUP_FORK_SLOW_REBOUND] += 1;
    s.value[SETUP_RIDER_MASS_DISTRIBUTION] = 0.4f;
    setup_watch_values(&s, after);
    EXPECT_TRUE(setup_watch_report(before, after, text, sizeof text));
    EXPECT_STREQ(text, "[SPAM] Setup change l-----------------------r----------z--m\n");
}

TEST(RiderSetup, PlayerSetupHooks) {
    TestDataHome home;
    EXPECT_TRUE(setup_offer_line("number", "7"));
    EXPECT_FALSE(setup_offer_line("fullscreen", "1"));
    EXPECT_STREQ(player_setup()->number, "7");
    DataStream* out = open_data_file("@written", "w");
    ASSERT_NE(out, nullptr);
    setup_write_lines(out);
    close_data_file(out);
    const std::string text = home.dir.read(home.home_file("written"));
    EXPECT_NE(text.find("\nnumber=7\n"), std::string::npos);
    player_setup_startup();
    EXPECT_STREQ(player_setup()->number, "999");
}

TEST(RiderParams, SettersClampToFixedRanges) {
    RiderParams p;
    RiderSetup s = fresh();
    rider_params_from_setup(&p, &s, find_bike_info("cr125"));
    struct { const char* name; RiderParamId id; float value; float RiderParams::*field; float want; } cases[] = {
        {"lock angle above pi/4", RIDER_PARAM_RESTRICTED_LOCK_ANGLE, 1.0f, &RiderParams::restricted_lock_angle, 0.785398f},
        {"robot full lock speed", RIDER_PARAM_FULL_LOCK_SPEED, 1, &RiderParams::full_lock_speed, 1},
        {"full lock speed below 1", RIDER_PARAM_FULL_LOCK_SPEED, 0, &RiderParams::full_lock_speed, 1},
        {"dab speed floor", RIDER_PARAM_MAX_DAB_SPEED, 2, &RiderParams::max_dab_speed, 7},
        {"mass split ceiling", RIDER_PARAM_RIDER_MASS_SPLIT, 0.9f, &RiderParams::rider_mass_split, 0.5f},
        {"not a number ignored", RIDER_PARAM_LEVELING, NAN, &RiderParams::leveling, 20},
        {"negative torque", RIDER_PARAM_REAR_BRAKE_TORQUE, -10, &RiderParams::rear_brake_torque, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rider_params_set(&p, c.id, c.value);
        EXPECT_NEAR(p.*c.field, c.want, 1e-5f);
    }
}
