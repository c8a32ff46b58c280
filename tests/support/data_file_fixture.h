// Shared helpers for the data-layer tests: a private home folder and game
// data folder per test, archives and gzip files built in memory.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

#include "base/data_file.h"
#include "base/data_index.h"
#include "base/alloc.h"
#include "platform/log.h"
#include "support/data_home.h"
#include "support/temp_dir.h"

// A private home folder ("xdg/Rutwise/" in `root`) and game data folder
// ("data/") per test.
class DataFilesTest : public ::testing::Test {
protected:
    TestDataHome data_home;
    const TempDir& root = data_home.dir;
    std::string home_dir() const { return data_home.home_dir(); }
    // Writes into the home or game data folder.
    void home_file(const std::string& name, const std::string& content) { data_home.write_home(name, content); }
    void data_file(const std::string& name, const std::string& content) { data_home.write_game(name, content); }
    // The whole content of a data name, or "<none>" when it cannot be read.
    static std::string read_all(const char* name) {
        size_t size = 0;
        char* text = file_to_buffer(name, &size);
        if (!text) return "<none>";
        std::string content(text, size);
        mem_free(text);
        return content;
    }
};

using Members = std::vector<std::pair<std::string, std::string>>;

// A well-formed archive: member lines, "-", then the bytes in order.
inline std::string make_saf(const Members& members) {
    std::string header, body;
    for (const auto& [name, content] : members) {
        header += std::to_string(content.size()) + " " + name + "\n";
        body += content;
    }
    return header + "-\n" + body;
}

// Raw deflate data (no zlib or gzip wrapper).
inline std::string raw_deflate(const std::string& text) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, text.size()) + 16, '\0');
    z.next_in = (Bytef*)text.data();
    z.avail_in = (uInt)text.size();
    z.next_out = (Bytef*)out.data();
    z.avail_out = (uInt)out.size();
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A gzip file: a header with the given flags and optional fields, the deflate
// data, and the CRC and length trailer.
inline std::string make_gzip(const std::string& text, int flags = 0) {
    std::string out = {'\x1f', '\x8b', 8, (char)flags, 0, 0, 0, 0, 0, 3};
    if (flags & 4) out += std::string("\x03\x00xyz", 5);
    if (flags & 8) out += std::string("name.txt\0", 9);
    if (flags & 16) out += std::string("a comment\0", 10);
    if (flags & 2) out += std::string("\x12\x34", 2);
    out += raw_deflate(text);
    uLong crc = crc32(0, (const Bytef*)text.data(), (uInt)text.size());
    for (int i = 0; i < 4; i++) out += (char)(crc >> (8 * i));
    for (int i = 0; i < 4; i++) out += (char)(text.size() >> (8 * i));
    return out;
}

// Sends the log to a file for the duration of `body` and returns what it wrote.
template <class F>
std::string capture_log(const TempDir& dir, F body) {
    std::string path = dir.path + "/captured.log";
    log(nullptr);
    setenv("NOLT_LOGFILE", path.c_str(), 1);
    body();
    log(nullptr);
    unsetenv("NOLT_LOGFILE");
    return dir.read("captured.log");
}
