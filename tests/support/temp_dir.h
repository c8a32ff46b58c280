// A temporary folder for one test, removed with everything in it at the end.
// TestDataHome (data_home.h) points XDG_DATA_HOME, HOME and RW_HOME into
// one so that tests never touch the real home folder.
#pragma once
#include <string>

struct TempDir {
    std::string path;  // ends without "/"
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // Writes `content` to path/relative, creating parent folders.
    std::string write(const std::string& relative, const std::string& content) const;
    std::string read(const std::string& relative) const;
    bool exists(const std::string& relative) const;
};
