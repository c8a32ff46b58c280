#include "support/data_home.h"

#include <assert.h>
#include <stdlib.h>

#include "base/data_index.h"

static const char* const VARIABLES[3] = {"XDG_DATA_HOME", "HOME", "RW_HOME"};

TestDataHome::TestDataHome(const char* game) {
    for (int i = 0; i < 3; i++) {
        const char* value = getenv(VARIABLES[i]);
        saved[i] = {value != nullptr, value ? value : ""};
    }
    is_game_outside = game[0] == '/';
    std::string game_path = is_game_outside ? std::string(game) : dir.path + "/" + game;
    game_dir = game_path + "/";
    setenv("XDG_DATA_HOME", (dir.path + "/xdg").c_str(), 1);
    setenv("HOME", dir.path.c_str(), 1);
    setenv("RW_HOME", game_path.c_str(), 1);
    data_files_shutdown();
}

TestDataHome::~TestDataHome() {
    data_files_shutdown();
    for (int i = 0; i < 3; i++) {
        if (saved[i].was_set) setenv(VARIABLES[i], saved[i].value.c_str(), 1);
        else unsetenv(VARIABLES[i]);
    }
}

std::string TestDataHome::write_home(const std::string& name, const std::string& content) const {
    return dir.write(home_file(name), content);
}

std::string TestDataHome::write_game(const std::string& name, const std::string& content) const {
    assert(!is_game_outside && "an outside game folder is only read");
    return dir.write(game_dir.substr(dir.path.size() + 1) + name, content);
}
