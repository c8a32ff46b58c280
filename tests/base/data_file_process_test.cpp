// The process-level helpers: game-data check, opening the home folder in the
// file browser (through a stand-in xdg-open), and working-set tuning.
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "base/data_index.h"
#include "support/data_file_fixture.h"

TEST_F(DataFilesTest, GameDataCheckFindsZzzzSafAndStartsTheLog) {
    // The log must not be decided yet, and the environment must not name a file.
    log(nullptr);
    unsetenv("NOLT_LOGFILE");
    EXPECT_FALSE(game_data_present());
    log("after the check\n");
    log(nullptr);
    EXPECT_TRUE(root.exists("xdg/Rutwise/lastlog.txt"));
    EXPECT_NE(root.read("xdg/Rutwise/lastlog.txt").find("after the check"), std::string::npos);

    data_file("zzzz.saf", make_saf({{"x", "1"}}));
    EXPECT_TRUE(game_data_present());
    log(nullptr);
}

TEST_F(DataFilesTest, OpenHomeFolderReportsTheBrowsersOutcome) {
    std::string saved_path = getenv("PATH") ? getenv("PATH") : "";
    std::string bin = root.path + "/bin";
    setenv("PATH", bin.c_str(), 1);
    struct {
        const char* name;
        const char* script;  // null: no xdg-open at all
        bool want;
    } cases[] = {
        {"browser opens", "#!/bin/sh\nexit 0\n", true},
        {"browser reports failure", "#!/bin/sh\nexit 4\n", false},
        {"no xdg-open", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(bin);
        if (c.script) {
            std::string path = root.write("bin/xdg-open", c.script);
            std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        }
        EXPECT_EQ(open_home_folder(), c.want);
    }
    setenv("PATH", saved_path.c_str(), 1);
    EXPECT_TRUE(std::filesystem::is_directory(home_dir()));
}

TEST(OpenHomeFolderArgument, IsTheFolderWithoutTrailingSlash) {
    TempDir root;
    setenv("XDG_DATA_HOME", (root.path + "/x").c_str(), 1);
    data_files_shutdown();
    std::string saved_path = getenv("PATH") ? getenv("PATH") : "";
    std::string script =
        root.write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + root.path + "/bin/arg'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    setenv("PATH", (root.path + "/bin").c_str(), 1);
    EXPECT_TRUE(open_home_folder());
    setenv("PATH", saved_path.c_str(), 1);
    EXPECT_EQ(root.read("bin/arg"), root.path + "/x/Rutwise");
    data_files_shutdown();
}

TEST_F(DataFilesTest, WorkingSetTuningLogsTheRangeAndTheRealOutcome) {
    int nice_before = getpriority(PRIO_PROCESS, 0);
    std::string text = capture_log(root, [] { tune_working_set(); });
    unsigned long long physical = (unsigned long long)sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGESIZE);
    const unsigned long long MIB = 1 << 20;
    unsigned long long capped = std::min(physical, 2048 * MIB) - 32 * MIB;
    char range[96];
    snprintf(range, sizeof range, "Setting working set range to %u - %u\n", (unsigned)std::min(capped, 1024 * MIB),
             (unsigned)capped);
    EXPECT_NE(text.find(range), std::string::npos) << text;
    EXPECT_NE(text.find("Working set update failed\n"), std::string::npos);
    bool raised = getpriority(PRIO_PROCESS, 0) < nice_before;
    EXPECT_NE(text.find(raised ? "Priority successfully set to high\n" : "Priority set failed\n"), std::string::npos)
        << text;
    (void)setpriority(PRIO_PROCESS, 0, nice_before);
}
