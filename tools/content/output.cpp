#include "tools/content/output.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>

void content_add(ContentFiles* files, std::string name, std::string bytes) {
    files->push_back({std::move(name), std::move(bytes)});
}

std::string text_printf(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) vsnprintf(out.data(), size_t(n) + 1, format, args);
    va_end(args);
    return out;
}

bool content_write_folder(const std::string& root, const ContentFiles& files) {
    namespace fs = std::filesystem;
    for (const ContentFile& f : files) {
        fs::path path = fs::path(root) / f.name;
        std::error_code ec;
        fs::create_directories(path.parent_path(), ec);
        FILE* out = fopen(path.c_str(), "wb");
        if (!out) {
            fprintf(stderr, "Can't open '%s'\n", path.c_str());
            return false;
        }
        bool ok = fwrite(f.bytes.data(), 1, f.bytes.size(), out) == f.bytes.size();
        ok = fclose(out) == 0 && ok;
        if (!ok) {
            fprintf(stderr, "Error writing '%s'\n", path.c_str());
            return false;
        }
    }
    return true;
}
