// Folder walking and creation over the platform's file-system calls.
#include "base/file_tree.h"

#include "platform/files.h"

// Deep enough for any data tree; bounds a walk through a symbolic-link loop.
static const int MAX_DEPTH = 24;

static bool walk(const std::string& root, const std::string& relative, int depth,
                 std::vector<FoundFile>* found) {
    std::vector<std::string> entries;
    if (!platform_list_folder((root + relative).c_str(), &entries)) return false;
    for (const std::string& entry : entries) {
        std::string name = relative + entry;
        platform_file_info info;
        if (!platform_file_status((root + name).c_str(), &info)) continue;
        if (info.is_folder) {
            if (depth < MAX_DEPTH) (void)walk(root, name + "/", depth + 1, found);
        } else if (info.is_regular) {
            found->push_back(FoundFile{name, info.size});
        }
    }
    return true;
}

bool walk_folder_files(const std::string& folder, std::vector<FoundFile>* found) {
    return walk(folder, "", 0, found);
}

void make_parent_folders(const char* path) {
    std::string prefix;
    for (const char* p = path; *p; p++) {
        prefix += *p;
        if (*p == '/' && prefix.size() > 1) (void)platform_make_folder(prefix.c_str());
    }
}

FILE* open_regular_file(const char* path) {
    FILE* file = fopen(path, "rb");
    platform_file_info info;
    if (file && (!platform_open_file_status(file, &info) || info.is_folder)) {
        fclose(file);
        return nullptr;
    }
    return file;
}

std::string normalise_slashes(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    for (char c : path) {
        if (c == '\\') c = '/';
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    return out;
}

bool has_parent_component(const std::string& name) {
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0 && end - start == 2) return true;
        start = end + 1;
    }
    return false;
}
