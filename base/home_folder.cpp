// Process-level helpers beside the data files: the game-data check, showing
// the home folder in the desktop's file browser, and working-set tuning.
#include <stdio.h>

#include <string>

#include "base/data_file.h"
#include "base/data_index.h"
#include "base/file_tree.h"
#include "platform/files.h"
#include "platform/log.h"

bool game_data_present() {
    if (const char* home = home_folder()) {
        make_parent_folders(home);
        // The first log call names the file; the request is formatted like any message.
        log("NOLT_LOGFILE=%slastlog.txt", home);
    }
    for (int i = 0; i < search_folder_count(); i++) {
        std::string path = std::string(search_folder(i)) + "zzzz.saf";
        if (FILE* file = open_regular_file(path.c_str())) {
            fclose(file);
            return true;
        }
    }
    return false;
}

bool open_home_folder() {
    const char* home = home_folder();
    if (!home) {
        log("No home folder to open\n");
        return false;
    }
    make_parent_folders(home);
    std::string folder = home;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const char* argv[] = {"xdg-open", folder.c_str(), nullptr};
    int status = 0;
    const char* why = nullptr;
    if (!platform_run_and_wait(argv, &status, &why)) {
        log("Can't open the home folder: xdg-open: %s\n", why);
        return false;
    }
    if (status != 0) {
        log("Can't open the home folder: xdg-open failed (status %d)\n", status);
        return false;
    }
    return true;
}

void tune_working_set() {
    const unsigned long long MIB = 1024 * 1024;
    unsigned long long physical = platform_physical_memory();
    if (physical < 64 * MIB) {
        log("Working set left alone - less than 64 MB physical memory\n");
        return;
    }
    unsigned long long capped = physical < 2048 * MIB ? physical : 2048 * MIB;
    unsigned long long high = capped - 32 * MIB;
    unsigned long long low = high < 1024 * MIB ? high : 1024 * MIB;
    log("Setting working set range to %u - %u\n", (unsigned)low, (unsigned)high);
    // Linux keeps no per-process working-set range: the kernel's page reclaim
    // decides alone, so nothing is requested and the failure is said plainly.
    log("Working set update failed\n");
    // The nearest thing to a high priority class: a lower nice value, which
    // needs the privilege to raise priority.
    if (platform_set_niceness(-10)) log("Priority successfully set to high\n");
    else log("Priority set failed\n");
}
