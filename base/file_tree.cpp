// Folder walking and creation with plain POSIX calls.
#include "base/file_tree.h"

#include <dirent.h>
#include <string.h>
#include <sys/stat.h>

// Deep enough for any data tree; bounds a walk through a symbolic-link loop.
static const int MAX_DEPTH = 24;

static bool walk(const std::string& root, const std::string& relative, int depth,
                 std::vector<FoundFile>* found) {
    DIR* dir = opendir((root + relative).c_str());
    if (!dir) return false;
    while (dirent* entry = readdir(dir)) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) continue;
        std::string name = relative + entry->d_name;
        struct stat st;
        if (stat((root + name).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            if (depth < MAX_DEPTH) (void)walk(root, name + "/", depth + 1, found);
        } else if (S_ISREG(st.st_mode)) {
            found->push_back(FoundFile{name, (int64_t)st.st_size});
        }
    }
    closedir(dir);
    return true;
}

bool walk_folder_files(const std::string& folder, std::vector<FoundFile>* found) {
    return walk(folder, "", 0, found);
}

void make_parent_folders(const char* path) {
    std::string prefix;
    for (const char* p = path; *p; p++) {
        prefix += *p;
        if (*p == '/' && prefix.size() > 1) (void)mkdir(prefix.c_str(), 0777);
    }
}

FILE* open_regular_file(const char* path) {
    FILE* file = fopen(path, "rb");
    struct stat st;
    if (file && (fstat(fileno(file), &st) != 0 || S_ISDIR(st.st_mode))) {
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
