#include <gtest/gtest.h>
#include <stdlib.h>

#include "platform/log.h"

TEST(PlatformOptions, FlagsAndIntegers) {
    setenv("NOLT_OPTIONS", "[threaded:yes][sound-rate:44100][dsnd:maybe][dinput:off]", 1);
    EXPECT_TRUE(option_flag("threaded", false));
    EXPECT_EQ(option_int("sound-rate", 22050), 44100);
    EXPECT_TRUE(option_flag("dsnd", true));      // unrecognised keeps the default
    EXPECT_FALSE(option_flag("dinput", true));
    EXPECT_EQ(option_int("sound-channels", 16), 16);
    unsetenv("NOLT_OPTIONS");
}

TEST(PlatformIntern, OneCopyPerString) {
    const char* a = intern("wheels-alt1");
    std::string copy = "wheels-alt1";
    EXPECT_EQ(a, intern(copy.c_str()));
    EXPECT_NE(a, intern("wheels-alt2"));
}
