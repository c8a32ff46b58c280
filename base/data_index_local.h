// The data index: every file of the search folders and every member of their
// ".saf" archives, sorted by name without regard to case, ties by source
// rank. Internal to the data layer (data_file.cpp and its helpers); the
// public side is base/data_index.h.
#pragma once
#include <stdint.h>

#include <string>

struct IndexEntry {
    std::string name;  // relative name, the key
    std::string path;  // the file itself, or the archive holding it
    int32_t offset;    // bytes into `path`
    int32_t size;      // bytes
    int32_t source;    // search-list position, or folder count + archive order; smaller wins
};

// First entry in sort order whose name equals `relative_name` ignoring case,
// or null (also while the index is not built).
const IndexEntry* index_find(const char* relative_name);
void index_free();
