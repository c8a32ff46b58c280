// The generated content as named byte strings, written out as plain files
// under a folder (the archive packer then packs such a folder).
#pragma once
#include <string>
#include <vector>

struct ContentFile {
    std::string name;   // relative name, "/" between folders
    std::string bytes;
};
using ContentFiles = std::vector<ContentFile>;

void content_add(ContentFiles* files, std::string name, std::string bytes);
// printf into a string (the "C" locale's number format).
std::string text_printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Writes every file under `root`, creating folders; false (with a message on
// standard error) when a file cannot be written.
[[nodiscard]] bool content_write_folder(const std::string& root, const ContentFiles& files);
