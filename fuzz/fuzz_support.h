// What the fuzz targets share: a private data home in a temporary folder (the
// data layer sees only it, never the real home folder), writing an input to
// a file there, and cutting an input into the files or lines it stands for.
// Targets stop the process (fuzz_check) when a reader breaks a promise of its
// header, so libFuzzer records the input like a crash.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

// The temporary folder (created on first call, removed at exit). Sets
// XDG_DATA_HOME to "<folder>/xdg", HOME and RW_HOME ("<folder>/game") and
// resets the data layer. The home folder's data files live in fuzz_user_folder().
const std::string& fuzz_home();
const std::string& fuzz_user_folder();  // "<folder>/xdg/Rutwise/"

// Writes the bytes to `path` (replacing it); false when it cannot.
bool fuzz_write_file(const std::string& path, const uint8_t* data, size_t size);
bool fuzz_write_file(const std::string& path, const std::string& bytes);

// Cuts `data` at every occurrence of `marker`; an input without the marker is one part.
std::vector<std::string> fuzz_split(const uint8_t* data, size_t size, const std::string& marker);

// Aborts with `what` on standard error when `ok` is false.
void fuzz_check(bool ok, const char* what);
