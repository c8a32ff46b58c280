// A data-file home (home folder, game folder) inside a temporary folder for
// tests that read or write data files; the data layer is reset around it.
#pragma once
#include <stdlib.h>

#include <string>

#include "base/data_file.h"
#include "base/data_index.h"
#include "support/temp_dir.h"

struct TestDataHome {
    TempDir dir;
    TestDataHome() {
        setenv("XDG_DATA_HOME", (dir.path + "/xdg").c_str(), 1);
        setenv("HOME", dir.path.c_str(), 1);
        setenv("RW_HOME", (dir.path + "/game").c_str(), 1);
        data_files_shutdown();
    }
    ~TestDataHome() { data_files_shutdown(); }
    // Relative path of a file in the home folder.
    static std::string home_file(const std::string& name) { return "xdg/Rutwise/" + name; }
};
