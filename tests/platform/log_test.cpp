#include <gtest/gtest.h>
#include <stdlib.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/log.h"
#include "support/temp_dir.h"

namespace {

// Every test starts with no log file and no log variables.
struct LogTest : ::testing::Test {
    TempDir dir;
    void SetUp() override {
        log(nullptr);
        unsetenv("NOLT_LOGFILE");
        unsetenv("NOLT_LOGFILE_FLAGS");
        unsetenv("NOLT_OPTIONS");
    }
    void TearDown() override {
        log(nullptr);
        unsetenv("NOLT_LOGFILE");
        unsetenv("NOLT_LOGFILE_FLAGS");
        unsetenv("NOLT_OPTIONS");
    }
    std::string path(const char* name) const { return dir.path + "/" + name; }
    // The lines of a log file with their time prefix checked and removed.
    std::vector<std::string> messages(const char* name) const {
        static const std::regex prefix(R"(^\[\d+:\d\d:\d\d\.\d\d\] )");
        std::vector<std::string> out;
        std::istringstream in(dir.read(name));
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_search(line, m, prefix)) out.push_back(m.suffix());
            else out.push_back("(no prefix) " + line);
        }
        return out;
    }
};

}  // namespace

TEST_F(LogTest, RequestOpensTheFileWithBannerAndPrefixedLines) {
    std::string file = path("lastlog.txt");
    log("NOLT_LOGFILE=%s", file.c_str());
    log("Rutwise version %s\n", "test");
    log("\x13 not written\n");
    log_error("disk on fire");
    log(nullptr);
    std::vector<std::string> want = {
        "Logfile \"" + file + "\" opened", "NOLT 0.31", "Rutwise version test",
        "Error: disk on fire",
    };
    EXPECT_EQ(messages("lastlog.txt"), want);
    EXPECT_STREQ(last_error(), "disk on fire");
}

TEST_F(LogTest, OpenModes) {
    struct Case {
        const char* name;
        const char* env_prefix;  // NOLT_LOGFILE = prefix + path; null = unset
        const char* flags;       // NOLT_LOGFILE_FLAGS; null = unset
        bool keeps_old;
    };
    const Case cases[] = {
        {"two > append", ">>", nullptr, true},
        {"one > writes", ">", nullptr, false},
        {"plain path writes", "", nullptr, false},
        {"flags override the mode", "", "a", true},
        {"flags override >>", ">>", "w", false},
        {"request path without variable", nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dir.write("mode.txt", "old line\n");
        std::string file = path("mode.txt");
        if (c.env_prefix) setenv("NOLT_LOGFILE", (c.env_prefix + file).c_str(), 1);
        if (c.flags) setenv("NOLT_LOGFILE_FLAGS", c.flags, 1);
        // The variable wins over the requested path.
        log("NOLT_LOGFILE=%s", c.env_prefix ? path("ignored.txt").c_str() : file.c_str());
        log("new line\n");
        log(nullptr);
        std::string text = dir.read("mode.txt");
        EXPECT_EQ(text.rfind("old line\n", 0) == 0, c.keeps_old) << text;
        EXPECT_NE(text.find("new line"), std::string::npos);
        EXPECT_FALSE(dir.exists("ignored.txt"));
        unsetenv("NOLT_LOGFILE");
        unsetenv("NOLT_LOGFILE_FLAGS");
    }
}

TEST_F(LogTest, ALateRequestStillOpensTheFile) {
    log("before the home folder is known\n");  // no file: discarded
    log("NOLT_LOGFILE=%s", path("late.txt").c_str());
    log("after\n");
    log("NOLT_LOGFILE=%s", path("second.txt").c_str());  // already chosen: ignored
    log(nullptr);
    std::vector<std::string> m = messages("late.txt");
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[2], "after");
    EXPECT_FALSE(dir.exists("second.txt"));
}

TEST_F(LogTest, UnrecognisedOptionValuesAreLoggedAndKeepTheDefault) {
    log("NOLT_LOGFILE=%s", path("options.txt").c_str());
    setenv("NOLT_OPTIONS", "[dsnd:maybe][sound-rate:fast][sound-mixahead:-40][waveout:on]", 1);
    EXPECT_TRUE(option_flag("dsnd", true));
    EXPECT_FALSE(option_flag("dsnd", false));
    EXPECT_EQ(option_int("sound-rate", 22050), 22050);
    EXPECT_EQ(option_int("sound-mixahead", 125), -40);
    EXPECT_TRUE(option_flag("waveout", false));
    EXPECT_TRUE(option_flag("threaded:", true));  // no item of that name
    log(nullptr);
    std::vector<std::string> m = messages("options.txt");
    std::vector<std::string> want = {"unrecognized setting for dsnd", "unrecognized setting for dsnd",
                                     "unrecognized setting for sound-rate"};
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(m.begin() + 2, m.end()), want);
}
