// A private data home for tests, benchmarks and fuzz targets that read or
// write data files. While the record lives, XDG_DATA_HOME, HOME and RW_HOME
// point into its temporary folder: the home folder is "xdg/Rutwise/" there,
// the game data folder "data/" (or another name, or an outside folder such
// as the build folder with its generated content). The data layer is reset
// on the way in and out so that its search list follows, and the three
// variables get back their earlier values on the way out: a nested home (a
// fresh one inside a test) hands the outer one back when it ends.
#pragma once
#include <string>

#include "support/temp_dir.h"

struct TestDataHome {
    TempDir dir;               // owned; removed with everything in it
    std::string game_dir;      // RW_HOME, ends in "/"
    bool is_game_outside;      // game_dir lies outside `dir`: only read

    // `game`: the game data folder, relative to `dir`, or an absolute path
    // used as it stands.
    explicit TestDataHome(const char* game = "data");
    ~TestDataHome();
    TestDataHome(const TestDataHome&) = delete;
    TestDataHome& operator=(const TestDataHome&) = delete;

    std::string home_dir() const { return dir.path + "/xdg/Rutwise/"; }
    // Path of a home folder file relative to `dir`.
    static std::string home_file(const std::string& name) { return "xdg/Rutwise/" + name; }
    // Write into the home or game data folder, creating folders; the full path.
    std::string write_home(const std::string& name, const std::string& content) const;
    std::string write_game(const std::string& name, const std::string& content) const;

    struct saved_variable {
        bool was_set;
        std::string value;
    };
    saved_variable saved[3];  // XDG_DATA_HOME, HOME, RW_HOME as they were
};
