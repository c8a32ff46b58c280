// Folder helpers shared by the data index and the archive packer: walking a
// folder tree and creating missing folders. Paths use "/"; sizes are bytes.
// Nothing here logs; callers decide what to say.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

struct FoundFile {
    std::string name;  // relative to the walked folder, "/" between folders
    int64_t size;      // bytes
};

// Appends every regular file below `folder` (which ends in "/"), entering
// subfolders up to a fixed depth so that a symbolic-link loop ends. False when
// the folder itself cannot be read.
[[nodiscard]] bool walk_folder_files(const std::string& folder, std::vector<FoundFile>* found);

// Creates every missing folder named by a "/"-terminated prefix of `path`
// (the last component is a file name unless `path` ends in "/").
void make_parent_folders(const char* path);

// fopen(path, "rb") for regular files only: a folder opens on Linux but
// every read of it fails. Null when it is missing, unreadable or a folder.
[[nodiscard]] FILE* open_regular_file(const char* path);

// Turns backslashes into slashes and collapses runs of slashes into one.
std::string normalise_slashes(const std::string& path);

// True when some "/"-separated component of `name` is "..".
bool has_parent_component(const std::string& name);
