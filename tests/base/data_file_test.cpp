// Opening data names: search order, archives, the ".gz" rules, the index,
// writing with folder creation and backups, renames and whole-file reads.
#include <string.h>
#include <unistd.h>

#include <filesystem>

#include <string>

#include "base/data_index.h"
#include "support/data_file_fixture.h"

static std::string exe_folder() {
    char exe[4096] = {};
    if (readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0) return "?";
    std::string folder = exe;
    return folder.substr(0, folder.rfind('/') + 1);
}

TEST_F(DataFilesTest, SearchListFromEnvironment) {
    EXPECT_EQ(std::string(home_folder()), home_dir());
    EXPECT_EQ(std::string(search_folder(1)), root.path + "/data/");

    struct {
        const char* name;
        const char* xdg;  // null: unset
        const char* rw_home;
        std::string want_home, want_data;
    } cases[] = {
        {"no XDG_DATA_HOME falls back to ~/.local/share", nullptr, "/games//rw", root.path + "/.local/share/Rutwise/",
         "/games/rw/"},
        {"backslashes and doubled slashes are normalised", "/x\\\\y//", "a\\b", "/x/y/Rutwise/", "a/b/"},
        {"a relative XDG_DATA_HOME is ignored", "rel/share", "d", root.path + "/.local/share/Rutwise/", "d/"},
        {"an empty RW_HOME means the executable's folder", "/h", "", "/h/Rutwise/", exe_folder()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.xdg) setenv("XDG_DATA_HOME", c.xdg, 1);
        else unsetenv("XDG_DATA_HOME");
        setenv("RW_HOME", c.rw_home, 1);
        data_files_shutdown();
        EXPECT_EQ(std::string(home_folder()), c.want_home);
        EXPECT_EQ(std::string(search_folder(1)), c.want_data);
    }
}

TEST_F(DataFilesTest, WithoutRwHomeTheExecutablesFolderHoldsTheGameData) {
    unsetenv("RW_HOME");
    data_files_shutdown();
    EXPECT_EQ(std::string(search_folder(1)), exe_folder());
}

TEST_F(DataFilesTest, WithoutAnyHomeTheGameDataFolderComesFirst) {
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    data_files_shutdown();
    EXPECT_EQ(home_folder(), nullptr);
    EXPECT_EQ(search_folder_count(), 1);
    EXPECT_EQ(open_data_file("@settings", "wb"), nullptr);  // data names are written only at home
    data_file("only.txt", "game");
    EXPECT_EQ(read_all("@only.txt"), "game");
}

TEST_F(DataFilesTest, HomeFolderFileBeatsArchiveMember) {
    home_file("config", "from home");
    data_file("zzzz.saf", make_saf({{"config", "from archive"}, {"tracks/a/tilemap", "tiles"}}));
    ASSERT_NE(file_list(), nullptr);
    EXPECT_EQ(read_all("@config"), "from home");
    EXPECT_EQ(read_all("@tracks/a/tilemap"), "tiles");
    EXPECT_EQ(read_all("@tracks//a\\tilemap"), "tiles");
    EXPECT_EQ(read_all("@missing"), "<none>");
    // A folder is not a file: the search goes on to the archive.
    root.write("xdg/Rutwise/tracks/a/tilemap/x", "");
    EXPECT_EQ(read_all("@tracks/a/tilemap"), "tiles");
}

TEST_F(DataFilesTest, ArchiveMembersAreFoundOnlyOnceTheIndexExists) {
    data_file("pack.saf", make_saf({{"inside", "x"}}));
    EXPECT_EQ(read_all("@inside"), "<none>");
    EXPECT_FALSE(index_contains("inside"));
    (void)file_list();
    EXPECT_EQ(read_all("@inside"), "x");
}

TEST_F(DataFilesTest, GzipRules) {
    struct {
        const char* name;
        Members a, b;      // archives a.saf and b.saf (a is read first: smaller source)
        const char* home;  // file name written to the home folder, or null
        std::string want;
    } cases[] = {
        {"only the .gz member: read inflated", {{"t.txt.gz", make_gzip("inflated")}}, {}, nullptr, "inflated"},
        {"plain wins within one source", {{"t.txt", "plain"}, {"t.txt.gz", make_gzip("gz")}}, {}, nullptr, "plain"},
        {".gz from an earlier source wins", {{"t.txt.gz", make_gzip("gz first")}}, {{"t.txt", "plain"}}, nullptr,
         "gz first"},
        {"plain from an earlier source wins", {{"t.txt", "plain first"}}, {{"t.txt.gz", make_gzip("gz")}}, nullptr,
         "plain first"},
        {"a home .gz file is read before any archive", {{"t.txt", "archive"}}, {}, "t.txt.gz", "home gz"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TestDataHome fresh;
        fresh.write_game("a.saf", make_saf(c.a));
        fresh.write_game("b.saf", make_saf(c.b));
        if (c.home) fresh.write_home(c.home, make_gzip("home gz"));
        (void)file_list();
        EXPECT_EQ(read_all("@t.txt"), c.want);
    }
}

TEST_F(DataFilesTest, PlainPathFallsBackToGz) {
    root.write("plain/level.txt.gz", make_gzip("from gz", 8));
    EXPECT_EQ(read_all((root.path + "/plain/level.txt").c_str()), "from gz");
}

TEST_F(DataFilesTest, GzipHeadersAndBodies) {
    std::string body = "line one\nline two\n";
    std::string good = make_gzip(body);
    std::string truncated = good.substr(0, 10 + raw_deflate(body).size() / 2);
    std::string not_deflate = good.substr(0, 10) + "\xff\xff\xff\xff garbage";
    struct {
        const char* name;
        std::string bytes;
        std::string want;
    } cases[] = {
        {"every optional header field", make_gzip(body, 2 | 4 | 8 | 16), body},
        {"empty content", make_gzip(""), ""},
        {"bad magic", "\x1f\x8c" + good.substr(2), "<none>"},
        {"method other than deflate", good.substr(0, 2) + '\x07' + good.substr(3), "<none>"},
        {"reserved flag bit", good.substr(0, 3) + '\x20' + good.substr(4), "<none>"},
        {"header cut short", good.substr(0, 6), "<none>"},
        {"name never terminated", make_gzip(body, 8).substr(0, 15), "<none>"},
        {"empty file", "", "<none>"},
        {"truncated body", truncated, "<none>"},
        {"damaged body", not_deflate, "<none>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = root.write("gz/f.gz", c.bytes);
        EXPECT_EQ(read_all((root.path + "/gz/f").c_str()), c.want);
    }
}

TEST_F(DataFilesTest, TruncatedGzipStreamReportsAnError) {
    std::string body(5000, 'a');
    for (size_t i = 0; i < body.size(); i++) body[i] = (char)('a' + (i * 7919) % 26);
    std::string good = make_gzip(body);
    root.write("cut.gz", good.substr(0, good.size() - 8 - 40));
    DataStream* s = open_data_file((root.path + "/cut").c_str(), "rb");
    ASSERT_NE(s, nullptr);
    char buffer[8192];
    int got = data_read(s, buffer, sizeof buffer);
    EXPECT_LT(got, (int)body.size());
    EXPECT_EQ(std::string(buffer, got), body.substr(0, got));
    EXPECT_EQ(data_getc(s), -1);
    EXPECT_TRUE(data_error(s));
    close_data_file(s);
}

TEST_F(DataFilesTest, InvalidArchivesContributeNothing) {
    struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"no - line", "3 gone\nabc"},
        {"member line without a number", "3 gone\nxx bad\n-\nabc"},
        {"number after a space", "3 gone\n 3 bad\n-\nabcabc"},
        {"header line without its newline", "3 gone"},
        {"header line longer than 1023 bytes", "3 gone\n1 " + std::string(1100, 'n') + "\n-\nabcd"},
        {"empty file", ""},
    };
    int i = 0;
    for (const auto& c : cases) data_file("bad" + std::to_string(i++) + ".saf", c.bytes);
    data_file("good.saf", make_saf({{"kept", "yes"}}));
    (void)file_list();
    EXPECT_FALSE(index_contains("gone"));
    EXPECT_FALSE(index_contains("bad"));
    EXPECT_EQ(read_all("@gone"), "<none>");
    EXPECT_EQ(read_all("@kept"), "yes");
}

TEST_F(DataFilesTest, HostileAndDamagedMembersAreLeftOut) {
    // Offsets still count the skipped members' bytes.
    data_file("h.saf", make_saf({{"../up", "111"},
                                 {"/abs", "222"},
                                 {"a/../../b", "333"},
                                 {"ok", "444"},
                                 {"..", "555"},
                                 {"sub//deep", "666"}}) +
                           "");
    data_file("cut.saf", "4 whole\n9 partial\n-\nwholepar");
    (void)file_list();
    EXPECT_EQ(read_all("@ok"), "444");
    EXPECT_EQ(read_all("@sub/deep"), "666");
    EXPECT_EQ(read_all("@whole"), "whol");
    EXPECT_FALSE(index_contains("partial"));
    for (const char* const* name = file_list(); *name; name++) {
        SCOPED_TRACE(*name);
        EXPECT_EQ(strstr(*name, ".."), nullptr);
        EXPECT_NE((*name)[0], '/');
    }
}

TEST_F(DataFilesTest, LookupsIgnoreCase) {
    data_file("zzzz.saf", make_saf({{"docs/readme.txt", "lower"}, {"Mixed.Case", "mixed"}}));
    (void)file_list();
    EXPECT_EQ(read_all("@DOCS/README.TXT"), "lower");
    EXPECT_EQ(read_all("@mixed.case"), "mixed");
    EXPECT_TRUE(index_contains("Docs/ReadMe.txt"));
    EXPECT_FALSE(index_contains("docs/readme"));
}

TEST_F(DataFilesTest, FileListAndEntryTexts) {
    home_file("b", "1");
    data_file("B", "2");
    data_file("a.saf", make_saf({{"c", "3"}, {"A", "4"}}));
    const char* const* list = file_list();
    std::vector<std::string> names;
    for (const char* const* n = list; *n; n++) names.push_back(*n);
    // One name per case-insensitive run, the lowest source's spelling first.
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a.saf", "b", "c"}));
    EXPECT_EQ(file_list_count(), 4);

    char text[256];
    ASSERT_TRUE(index_entry_text(0, text, sizeof text));
    EXPECT_EQ(std::string(text), "A -> " + root.path + "/data/a.saf");
    ASSERT_TRUE(index_entry_text(2, text, sizeof text));
    EXPECT_EQ(std::string(text), "b -> " + home_dir() + "b");
    char small[6];
    ASSERT_TRUE(index_entry_text(0, small, sizeof small));
    EXPECT_STREQ(small, "A -> ");
    EXPECT_FALSE(index_entry_text(5, text, sizeof text));
    EXPECT_FALSE(index_entry_text(-1, text, sizeof text));
}

TEST_F(DataFilesTest, WritingCreatesMissingFolders) {
    struct {
        const char* name;
        std::string open_as, written_at;
    } cases[] = {
        {"data name into home subfolders", "@demos/2024/race.rwdemo", home_dir() + "demos/2024/race.rwdemo"},
        {"plain path", root.path + "/out/deep/er/file.txt", root.path + "/out/deep/er/file.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataStream* s = open_data_file(c.open_as.c_str(), "wb");
        ASSERT_NE(s, nullptr);
        EXPECT_GT(data_printf(s, "n=%d\n", 7), 0);
        close_data_file(s);
        EXPECT_EQ(read_all(c.written_at.c_str()), "n=7\n");
    }
}

TEST_F(DataFilesTest, DataNameWritesStayInTheHomeFolder) {
    const char* names[] = {"@../escape", "@a/../../escape", "@..\\escape", "@demos/../../../escape"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(open_data_file(name, "wb"), nullptr);
        EXPECT_EQ(open_data_file(name, "~ab"), nullptr);
        EXPECT_EQ(open_data_file(name, "r+b"), nullptr);
        EXPECT_FALSE(rename_data_file("@x", name));
    }
    EXPECT_FALSE(root.exists("xdg/escape"));
    EXPECT_FALSE(root.exists("escape"));
    // A leading "/" stays inside: the slashes collapse onto the home folder.
    DataStream* s = open_data_file("@/inside", "wb");
    ASSERT_NE(s, nullptr);
    close_data_file(s);
    EXPECT_TRUE(root.exists("xdg/Rutwise/inside"));
}

TEST_F(DataFilesTest, BackupGoesToTheFirstFreeNumber) {
    home_file("config", "old");
    home_file("config.~1~", "one");
    home_file("config.~2~", "two");
    DataStream* s = open_data_file("@config", "~wb");
    ASSERT_NE(s, nullptr);
    data_puts(s, "new");
    close_data_file(s);
    EXPECT_EQ(root.read("xdg/Rutwise/config"), "new");
    EXPECT_EQ(root.read("xdg/Rutwise/config.~1~"), "one");
    EXPECT_EQ(root.read("xdg/Rutwise/config.~2~"), "two");
    EXPECT_EQ(root.read("xdg/Rutwise/config.~3~"), "old");

    // Nothing to back up: no backup file appears.
    s = open_data_file("@fresh", "~wb");
    ASSERT_NE(s, nullptr);
    close_data_file(s);
    EXPECT_FALSE(root.exists("xdg/Rutwise/fresh.~1~"));
}

TEST_F(DataFilesTest, BackupLargerThanOneCopyBlock) {
    std::string big(200000, 'q');
    big[199999] = 'z';
    home_file("big", big);
    DataStream* s = open_data_file("@big", "~ab");
    ASSERT_NE(s, nullptr);
    data_puts(s, "+");
    close_data_file(s);
    EXPECT_EQ(root.read("xdg/Rutwise/big.~1~"), big);
    EXPECT_EQ(root.read("xdg/Rutwise/big"), big + "+");
}

TEST_F(DataFilesTest, PathsReaching1024CharactersAreRefused) {
    // Builds an existing file whose full path has exactly `length` characters.
    auto make_path = [&](size_t length) {
        std::string path = root.path + "/long" + std::to_string(length);
        while (path.size() + 201 < length) path += "/" + std::string(200, 'd');
        path += "/" + std::string(length - path.size() - 1, 'f');
        root.write(path.substr(root.path.size() + 1), "here");
        return path;
    };
    std::string fits = make_path(1020);
    std::string too_long = make_path(1021);  // plus ".gz" would reach 1024
    ASSERT_EQ(fits.size(), 1020u);
    ASSERT_EQ(too_long.size(), 1021u);
    EXPECT_EQ(read_all(fits.c_str()), "here");
    EXPECT_EQ(read_all(too_long.c_str()), "<none>");
    EXPECT_EQ(open_data_file(too_long.c_str(), "wb"), nullptr);
    EXPECT_EQ(root.read(too_long.substr(root.path.size() + 1)), "here");
}

TEST_F(DataFilesTest, RenameReplacesTheTarget) {
    home_file("results.tmp", "new");
    home_file("results.txt", "old");
    EXPECT_TRUE(rename_data_file("@results.tmp", "@results.txt"));
    EXPECT_EQ(root.read("xdg/Rutwise/results.txt"), "new");
    EXPECT_FALSE(root.exists("xdg/Rutwise/results.tmp"));
    // A failed rename keeps the target.
    EXPECT_FALSE(rename_data_file("@absent", "@results.txt"));
    EXPECT_EQ(root.read("xdg/Rutwise/results.txt"), "new");
}

static bool write_text(DataStream* s, void* self) {
    return data_puts(s, (const char*)self) >= 0;
}

static bool give_up(DataStream* s, void*) {
    data_puts(s, "half");
    return false;
}

TEST_F(DataFilesTest, SafeWriteReplacesOnlyOnSuccess) {
    EXPECT_TRUE(write_data_file_safely("@cfg/settings", write_text, (void*)"first"));
    EXPECT_EQ(root.read("xdg/Rutwise/cfg/settings"), "first");
    EXPECT_FALSE(write_data_file_safely("@cfg/settings", give_up, nullptr));
    EXPECT_EQ(root.read("xdg/Rutwise/cfg/settings"), "first");
    EXPECT_TRUE(write_data_file_safely("@cfg/settings", write_text, (void*)"second"));
    EXPECT_EQ(root.read("xdg/Rutwise/cfg/settings"), "second");
    // No temporary files are left beside it.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(home_dir() + "cfg")) files += e.is_regular_file();
    EXPECT_EQ(files, 1);
    EXPECT_FALSE(write_data_file_safely("@../outside", write_text, (void*)"x"));
    // A folder cannot be replaced by a file: the write fails and the folder stays.
    EXPECT_FALSE(write_data_file_safely("@cfg", write_text, (void*)"x"));
    EXPECT_EQ(root.read("xdg/Rutwise/cfg/settings"), "second");
}

TEST_F(DataFilesTest, FileToStringRefusesSixteenMebibytes) {
    const size_t limit = 16u << 20;
    home_file("under", std::string(limit - 1, 'u'));
    home_file("at", std::string(limit, 'a'));
    root.write("xdg/Rutwise/huge.gz", make_gzip(std::string(limit + 10, 'g')));
    std::string log_text = capture_log(root, [] {
        char* under = file_to_string("@under");
        ASSERT_NE(under, nullptr);
        EXPECT_EQ(strlen(under), limit - 1);
        mem_free(under);
        EXPECT_EQ(file_to_string("@at"), nullptr);
        EXPECT_EQ(file_to_string("@huge"), nullptr);
    });
    EXPECT_NE(log_text.find("File @at too long for file_to_string\n"), std::string::npos);
    EXPECT_NE(log_text.find("File @huge too long for file_to_string\n"), std::string::npos);
}

TEST_F(DataFilesTest, IndexBuildLogsItsSteps) {
    data_file("a.saf", make_saf({{"m", "1"}}));
    static int calls;
    calls = 0;
    set_index_keep_alive([] { calls++; });
    std::string text = capture_log(root, [] { (void)file_list(); });
    set_index_keep_alive(nullptr);
    EXPECT_GE(calls, 3);  // both folders and the archive
    const char* steps[] = {"Listing directories\n", "Listing archives\n", "Creating file list\n",
                           "File index complete\n"};
    size_t at = 0;
    for (const char* step : steps) {
        SCOPED_TRACE(step);
        size_t found = text.find(step, at);
        ASSERT_NE(found, std::string::npos);
        at = found;
    }
}
