#include "fuzz_support.h"

#include <stdio.h>

#include <filesystem>

#include "support/data_home.h"

namespace {

// The data home with its home folder and game data folder made.
struct Home {
    TestDataHome data{"game"};
    std::string user;
    Home()
    {
        fuzz_check(!data.dir.path.empty(), "cannot create a temporary folder");
        user = data.home_dir();
        std::filesystem::create_directories(user);
        std::filesystem::create_directories(data.game_dir);
    }
};

Home& home()
{
    static Home h;
    return h;
}

}  // namespace

const std::string& fuzz_home() { return home().data.dir.path; }
const std::string& fuzz_user_folder() { return home().user; }

bool fuzz_write_file(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = (size == 0 || fwrite(data, 1, size, f) == size);
    return fclose(f) == 0 && ok;
}

bool fuzz_write_file(const std::string& path, const std::string& bytes)
{
    return fuzz_write_file(path, (const uint8_t*)bytes.data(), bytes.size());
}

std::vector<std::string> fuzz_split(const uint8_t* data, size_t size, const std::string& marker)
{
    std::string all((const char*)data, size);
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = all.find(marker, start)) != std::string::npos; start = at + marker.size())
        parts.push_back(all.substr(start, at - start));
    parts.push_back(all.substr(start));
    return parts;
}

void fuzz_check(bool ok, const char* what)
{
    if (ok) return;
    fprintf(stderr, "fuzz check failed: %s\n", what);
    abort();
}
