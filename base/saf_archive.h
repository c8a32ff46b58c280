// The ".saf" archive format: a text header of member lines ("<size> <name>\n")
// closed by a line "-\n", followed by the members' bytes back to back in
// header order. Read by the data index, written by the content generator and
// the rw_saf command. Sizes and offsets are bytes from the start of the file.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

struct SafMember {
    std::string name;  // relative name, runs of "/" collapsed
    int32_t offset;    // start of the member's bytes in the archive
    int32_t size;
};

// Reads the header of the archive at `path`. An unreadable file, a line without
// "\n" (or longer than 1023 bytes), a member line that does not begin with a
// digit, or an end before the "-" line makes the whole archive invalid: false,
// no members. Members whose names leave the archive's tree (a ".." component or
// a leading "/"), have no name, or run past the end of the file are left out.
[[nodiscard]] bool saf_read_members(const char* path, std::vector<SafMember>* members);

// Packs every file below `folder` into a new archive at `out_path`, members in
// sorted name order (case-insensitive, then bytewise). The output file is
// skipped if it lies inside the folder. False (and no archive left behind)
// when a file cannot be read or written, or a name cannot be stored.
[[nodiscard]] bool saf_pack(const char* folder, const char* out_path);

// The data index's order of names: ASCII lower-cased, byte by byte.
int compare_names_nocase(const char* a, const char* b);
