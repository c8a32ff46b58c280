#include "support/temp_dir.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "rwtest-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path = made ? made : "";
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
}

std::string TempDir::write(const std::string& relative, const std::string& content) const {
    std::filesystem::path full = std::filesystem::path(path) / relative;
    std::filesystem::create_directories(full.parent_path());
    std::ofstream out(full, std::ios::binary);
    out << content;
    return full.string();
}

std::string TempDir::read(const std::string& relative) const {
    std::ifstream in(std::filesystem::path(path) / relative, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

bool TempDir::exists(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::path(path) / relative);
}
