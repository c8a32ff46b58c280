// Building and searching the data index and its list of distinct names.
#include "base/data_index_local.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <vector>

#include "base/data_file.h"
#include "base/data_index.h"
#include "base/file_tree.h"
#include "platform/log.h"
#include "base/saf_archive.h"

static bool index_built;
static void (*keep_alive)();
static std::vector<IndexEntry> entries;
static std::vector<const char*> names;  // distinct names (into `entries`), null-terminated

static bool entry_less(const IndexEntry& a, const IndexEntry& b) {
    int d = compare_names_nocase(a.name.c_str(), b.name.c_str());
    return d != 0 ? d < 0 : a.source < b.source;
}

static void sort_entries() {
    std::stable_sort(entries.begin(), entries.end(), entry_less);
}

static bool ends_with_saf(const std::string& name) {
    return name.size() > 4 && compare_names_nocase(name.c_str() + name.size() - 4, ".saf") == 0;
}

static void add_folder(const char* folder, int rank) {
    std::vector<FoundFile> files;
    (void)walk_folder_files(folder, &files);
    for (const FoundFile& f : files) {
        if (f.size > INT32_MAX) continue;  // beyond what a stream can address
        entries.push_back(IndexEntry{f.name, folder + f.name, 0, (int32_t)f.size, rank});
    }
}

static void build_index() {
    index_built = true;
    entries.clear();
    entries.reserve(16);
    log("Listing directories\n");
    int folders = search_folder_count();
    for (int i = 0; i < folders; i++) {
        add_folder(search_folder(i), i);
        if (keep_alive) keep_alive();
    }
    sort_entries();

    log("Listing archives\n");
    std::vector<std::string> archives;
    for (const IndexEntry& e : entries)
        if (ends_with_saf(e.name)) archives.push_back(e.path);
    int rank = folders;
    std::vector<SafMember> members;
    for (const std::string& archive : archives) {
        // An invalid archive contributes nothing.
        if (saf_read_members(archive.c_str(), &members))
            for (const SafMember& m : members)
                entries.push_back(IndexEntry{m.name, archive, m.offset, m.size, rank});
        rank++;
        if (keep_alive) keep_alive();
    }
    sort_entries();

    log("Creating file list\n");
    names.clear();
    for (const IndexEntry& e : entries)
        if (names.empty() || compare_names_nocase(names.back(), e.name.c_str()) != 0)
            names.push_back(e.name.c_str());
    names.push_back(nullptr);
    log("File index complete\n");
}

void set_index_keep_alive(void (*callback)()) {
    keep_alive = callback;
}

const IndexEntry* index_find(const char* relative_name) {
    if (!index_built) return nullptr;
    auto at = std::lower_bound(entries.begin(), entries.end(), relative_name,
                               [](const IndexEntry& e, const char* key) {
                                   return compare_names_nocase(e.name.c_str(), key) < 0;
                               });
    if (at == entries.end() || compare_names_nocase(at->name.c_str(), relative_name) != 0) return nullptr;
    return &*at;
}

void index_free() {
    index_built = false;
    entries = std::vector<IndexEntry>();
    names = std::vector<const char*>();
}

bool index_contains(const char* relative_name) {
    return index_find(relative_name) != nullptr;
}

bool index_entry_text(int index, char* buffer, int size) {
    if (index < 0 || (size_t)index >= entries.size() || size <= 0) return false;
    snprintf(buffer, (size_t)size, "%s -> %s", entries[index].name.c_str(), entries[index].path.c_str());
    return true;
}

const char* const* file_list() {
    if (!index_built) build_index();
    return names.data();
}

int file_list_count() {
    file_list();
    return (int)names.size() - 1;
}
