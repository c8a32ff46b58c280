// The file-system calls: the safe write's temporary file, folder listing,
// file identity, and running a helper program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::string> sorted_listing(const std::string& folder) {
    std::vector<std::string> names;
    EXPECT_TRUE(platform_list_folder(folder.c_str(), &names));
    std::sort(names.begin(), names.end());
    return names;
}

unsigned permissions(const std::string& path) {
    platform_file_info info{};
    EXPECT_TRUE(platform_file_status(path.c_str(), &info));
    return info.mode;
}

FILE* temp_with(const std::string& path, const char* text, std::string* temp) {
    FILE* file = platform_create_temp_beside(path.c_str(), temp);
    EXPECT_NE(file, nullptr);
    if (file) fputs(text, file);
    return file;
}

}  // namespace

TEST(PlatformSafeWrite, CommitReplacesAndKeepsPermissions) {
    TempDir dir;
    std::string path = dir.write("settings.cfg", "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    std::string temp;
    FILE* file = temp_with(path, "new", &temp);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(temp.rfind(path + ".", 0), 0u) << temp;  // beside the target: the rename stays on one file system
    EXPECT_EQ(dir.read("settings.cfg"), "old");        // untouched until the commit
    EXPECT_TRUE(platform_commit_temp(file, temp.c_str(), path.c_str()));
    EXPECT_EQ(dir.read("settings.cfg"), "new");
    EXPECT_EQ(permissions(path), 0640u);
    EXPECT_EQ(sorted_listing(dir.path), std::vector<std::string>{"settings.cfg"});
}

TEST(PlatformSafeWrite, NewFileTakesTheUmask) {
    TempDir dir;
    std::string path = dir.path + "/fresh.cfg";
    mode_t saved = umask(027);
    std::string temp;
    FILE* file = temp_with(path, "x", &temp);
    umask(saved);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(platform_commit_temp(file, temp.c_str(), path.c_str()));
    EXPECT_EQ(permissions(path), 0640u);  // not the temporary's 0600
}

TEST(PlatformSafeWrite, AbandonAndFailedCommitLeaveTheTargetAlone) {
    TempDir dir;
    std::string path = dir.write("keep.cfg", "old");
    std::string temp;
    FILE* file = temp_with(path, "discarded", &temp);
    ASSERT_NE(file, nullptr);
    platform_abandon_temp(file, temp.c_str());
    EXPECT_EQ(dir.read("keep.cfg"), "old");
    EXPECT_EQ(sorted_listing(dir.path), std::vector<std::string>{"keep.cfg"});

    // A folder with something in it cannot be replaced by a file: the commit
    // fails and takes its temporary file with it.
    std::string folder = dir.path + "/taken";
    dir.write("taken/inside", "1");
    file = temp_with(folder, "new", &temp);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(platform_commit_temp(file, temp.c_str(), folder.c_str()));
    EXPECT_EQ(dir.read("taken/inside"), "1");
    EXPECT_EQ(sorted_listing(dir.path), (std::vector<std::string>{"keep.cfg", "taken"}));

    EXPECT_EQ(platform_create_temp_beside((dir.path + "/missing/x.cfg").c_str(), &temp), nullptr);
}

TEST(PlatformListFolder, SkipsOnlyTheSelfAndParentEntries) {
    TempDir dir;
    dir.write("a.txt", "");
    dir.write(".hidden", "");
    dir.write("...", "");
    dir.write("sub/inner", "");
    EXPECT_EQ(sorted_listing(dir.path), (std::vector<std::string>{"...", ".hidden", "a.txt", "sub"}));
    EXPECT_EQ(sorted_listing(dir.path + "/sub"), std::vector<std::string>{"inner"});

    std::vector<std::string> names = {"stale"};
    EXPECT_FALSE(platform_list_folder((dir.path + "/none").c_str(), &names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(platform_list_folder((dir.path + "/a.txt").c_str(), &names));  // a file is no folder
}

TEST(PlatformSameFile, FollowsLinksAndSpellings) {
    TempDir dir;
    std::string a = dir.write("sub/a.saf", "same bytes");
    std::string b = dir.write("b.saf", "same bytes");
    ASSERT_EQ(symlink(a.c_str(), (dir.path + "/link.saf").c_str()), 0);
    ASSERT_EQ(link(a.c_str(), (dir.path + "/hard.saf").c_str()), 0);
    struct {
        const char* name;
        std::string first, second;
        bool want;
    } cases[] = {
        {"one path", a, a, true},
        {"symbolic link", dir.path + "/link.saf", a, true},
        {"hard link", dir.path + "/hard.saf", a, true},
        {"parent step and doubled slash", dir.path + "/sub/..//sub/a.saf", a, true},
        {"equal contents, two files", a, b, false},
        {"one missing", dir.path + "/gone.saf", a, false},
        {"both missing", dir.path + "/gone.saf", dir.path + "/gone.saf", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform_same_file(c.first.c_str(), c.second.c_str()), c.want);
    }
}

TEST(PlatformRunAndWait, ExitStatusSignalAndMissingProgram) {
    struct {
        const char* name;
        const char* script;
        int want_status;
    } cases[] = {
        {"success", "exit 0", 0},
        {"failure status", "exit 3", 3},
        {"killed by a signal", "kill -9 $$", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const char* argv[] = {"sh", "-c", c.script, nullptr};
        int status = 12345;
        const char* why = nullptr;
        EXPECT_TRUE(platform_run_and_wait(argv, &status, &why));
        EXPECT_EQ(status, c.want_status);
    }
    const char* argv[] = {"rw-no-such-program", nullptr};
    int status = 0;
    const char* why = nullptr;
    EXPECT_FALSE(platform_run_and_wait(argv, &status, &why));
    ASSERT_NE(why, nullptr);
    EXPECT_STRNE(why, "");
}
