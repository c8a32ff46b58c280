#include "fuzz_support.h"

#include <stdio.h>
#include <stdlib.h>

#include <filesystem>

#include "base/data_file.h"
#include "base/data_index.h"

namespace {

struct Home {
    std::string folder, user;
    Home()
    {
        char pattern[] = "/tmp/rw_fuzz_XXXXXX";
        const char* made = mkdtemp(pattern);
        fuzz_check(made != nullptr, "cannot create a temporary folder");
        folder = made;
        user = folder + "/xdg/Rutwise/";
        std::filesystem::create_directories(user);
        std::filesystem::create_directories(folder + "/game");
        setenv("XDG_DATA_HOME", (folder + "/xdg").c_str(), 1);
        setenv("HOME", folder.c_str(), 1);
        setenv("RW_HOME", (folder + "/game").c_str(), 1);
        data_files_shutdown();
    }
    ~Home()
    {
        data_files_shutdown();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Home& home()
{
    static Home h;
    return h;
}

}  // namespace

const std::string& fuzz_home() { return home().folder; }
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
