// File-system and process calls: status, listing, creating and removing files
// and folders, the safe write's temporary file, the program's own path,
// starting a helper program, and the process's memory and priority. The data
// files, the archives and the home folder call these; nothing above platform/
// includes an OS header for them. Paths are UTF-8 with "/"; sizes are bytes.
// Failure is a return value; nothing here logs, callers decide what to say.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

struct platform_file_info {
    bool is_folder;
    bool is_regular;    // a plain file (not a folder, device, pipe or socket)
    int64_t size;       // bytes
    unsigned mode;      // permission bits (07777)
    uint64_t device;    // device and inode together name the file itself,
    uint64_t inode;     // whatever path reached it
};

// Status of the file `path` names, following symbolic links; false when it
// does not exist or cannot be reached.
[[nodiscard]] bool platform_file_status(const char* path, platform_file_info* info);
// Status of an open file; false when the system cannot report it.
[[nodiscard]] bool platform_open_file_status(FILE* file, platform_file_info* info);
bool platform_file_exists(const char* path);
// True when both paths reach the same existing file (links and "a/../b"
// spellings included); false when either is missing.
bool platform_same_file(const char* a, const char* b);

// The names in a folder, "." and ".." left out, in the system's order;
// false when the folder cannot be read (`names` is then left empty).
[[nodiscard]] bool platform_list_folder(const char* path, std::vector<std::string>* names);
// Creates one folder (0777 less the umask); false when it exists already or
// its parent is missing.
bool platform_make_folder(const char* path);
// Renames in one step, replacing `to` when it exists; a failed rename leaves
// both files as they were.
[[nodiscard]] bool platform_rename(const char* from, const char* to);
bool platform_remove_file(const char* path);

// The safe write: a new file "path.XXXXXX" beside `path`, opened for binary
// writing with the permissions `path` has now (0666 less the umask when it
// does not exist yet). Null on failure; else its name is in `*temp_path`,
// and the file must go to exactly one of the two calls below.
[[nodiscard]] FILE* platform_create_temp_beside(const char* path, std::string* temp_path);
// Flushes the temporary file to the disk, closes it and renames it over
// `path`. False on any failure, and the temporary file is removed: `path`
// then still holds what it held before.
[[nodiscard]] bool platform_commit_temp(FILE* file, const char* temp_path, const char* path);
// Closes and removes the temporary file, leaving `path` alone.
void platform_abandon_temp(FILE* file, const char* temp_path);

// The running program's own file; empty when the system cannot say.
std::string platform_executable_path();

// Starts `argv[0]` (looked up on PATH) with the null-ended `argv` and this
// process's environment, and waits for it to end. False when it could not be
// started, with the system's reason in `*why`. True otherwise, with its exit
// status in `*exit_status`, -1 when it ended by a signal.
[[nodiscard]] bool platform_run_and_wait(const char* const* argv, int* exit_status, const char** why);

// Physical memory in bytes; 0 when the system cannot say.
uint64_t platform_physical_memory();
// Sets this process's scheduling niceness (-20 highest .. 19 lowest); false
// when refused (a raise needs the privilege to raise priority).
bool platform_set_niceness(int niceness);
