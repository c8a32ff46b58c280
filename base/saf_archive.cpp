// Reading ".saf" headers and packing folders into archives.
#include "base/saf_archive.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>

#include "base/file_tree.h"
#include "platform/files.h"

static const int HEADER_LINE = 1024;  // a header line with its "\n" and the NUL

static int lower(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c;
}

int compare_names_nocase(const char* a, const char* b) {
    for (;; a++, b++) {
        int d = lower((unsigned char)*a) - lower((unsigned char)*b);
        if (d != 0 || *a == 0) return d;
    }
}

bool saf_read_members(const char* path, std::vector<SafMember>* members) {
    members->clear();
    FILE* file = open_regular_file(path);
    if (!file) return false;
    struct Line {
        int64_t size;
        std::string name;
    };
    std::vector<Line> lines;
    int64_t header_bytes = 0;
    bool valid = false;
    char line[HEADER_LINE];
    while (fgets(line, sizeof line, file)) {
        size_t n = strlen(line);
        if (n == 0 || line[n - 1] != '\n') break;  // cut short, too long or a NUL inside
        header_bytes += (int64_t)n;
        line[n - 1] = 0;
        if (strcmp(line, "-") == 0) {
            valid = true;
            break;
        }
        if (line[0] < '0' || line[0] > '9') break;
        char* end = nullptr;
        long long size = strtoll(line, &end, 10);
        if (size > INT32_MAX) size = (long long)INT32_MAX + 1;  // never fits; keeps sums bounded
        // Past the digits comes one separator character, then the name.
        std::string name = *end ? normalise_slashes(end + 1) : std::string();
        lines.push_back(Line{size, name});
    }
    platform_file_info info;
    int64_t file_size = platform_open_file_status(file, &info) ? info.size : 0;
    fclose(file);
    if (!valid) return false;

    int64_t offset = header_bytes;
    for (const Line& l : lines) {
        int64_t start = offset;
        offset += l.size;
        bool hostile = l.name.empty() || l.name[0] == '/' || has_parent_component(l.name);
        if (hostile || offset > file_size || offset > INT32_MAX) continue;
        members->push_back(SafMember{l.name, (int32_t)start, (int32_t)l.size});
    }
    return true;
}

static bool copy_into(FILE* out, const std::string& path, int64_t size) {
    FILE* in = fopen(path.c_str(), "rb");
    if (!in) return false;
    char block[65536];
    int64_t left = size;
    while (left > 0) {
        size_t want = left < (int64_t)sizeof block ? (size_t)left : sizeof block;
        size_t got = fread(block, 1, want, in);
        if (got != want || fwrite(block, 1, got, out) != got) break;
        left -= (int64_t)got;
    }
    fclose(in);
    return left == 0;
}

bool saf_pack(const char* folder, const char* out_path) {
    std::string root = folder;
    if (root.empty() || root.back() != '/') root += '/';
    std::vector<FoundFile> files;
    if (!walk_folder_files(root, &files)) return false;
    std::erase_if(files, [&](const FoundFile& f) { return platform_same_file((root + f.name).c_str(), out_path); });
    std::sort(files.begin(), files.end(), [](const FoundFile& a, const FoundFile& b) {
        int d = compare_names_nocase(a.name.c_str(), b.name.c_str());
        return d != 0 ? d < 0 : a.name < b.name;
    });

    std::string header;
    int64_t total = 0;
    for (const FoundFile& f : files) {
        if (f.name.find('\n') != std::string::npos) return false;
        std::string line = std::to_string(f.size) + " " + f.name + "\n";
        if (line.size() >= HEADER_LINE) return false;
        header += line;
        total += f.size;
    }
    header += "-\n";
    if ((int64_t)header.size() + total > INT32_MAX) return false;

    FILE* out = fopen(out_path, "wb");
    if (!out) return false;
    bool ok = fwrite(header.data(), 1, header.size(), out) == header.size();
    for (size_t i = 0; ok && i < files.size(); i++) ok = copy_into(out, root + files[i].name, files[i].size);
    if (fclose(out) != 0) ok = false;
    if (!ok) platform_remove_file(out_path);
    return ok;
}
