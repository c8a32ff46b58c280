// Packing folders into archives and reading every member back through the
// data layer, compressed or not.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "base/saf_archive.h"
#include "support/data_file_fixture.h"

TEST_F(DataFilesTest, PackedFolderReadsBackThroughTheDataLayer) {
    std::string big(70000, 0);
    for (size_t i = 0; i < big.size(); i++) big[i] = (char)(i * 131 % 251);
    struct {
        const char* name;
        std::string content;
        const char* open_as;
        std::string want;
    } files[] = {
        {"tracks/dunes/tilemap", "0 1 2\n", "@tracks/dunes/tilemap", "0 1 2\n"},
        {"tracks/dunes/terrain.hf.gz", make_gzip(big, 8), "@tracks/dunes/terrain.hf", big},
        {"Bikes/Setup.txt", "gear 4\n", "@bikes/setup.txt", "gear 4\n"},
        {"empty", "", "@empty", ""},
        {"z.bin", std::string("\0\n-\n\0", 5), "@z.bin", std::string("\0\n-\n\0", 5)},
    };
    TempDir src;
    for (const auto& f : files) src.write(f.name, f.content);
    data_file("readme", "beside the archive");
    ASSERT_TRUE(saf_pack(src.path.c_str(), (root.path + "/data/zzzz.saf").c_str()));

    std::vector<SafMember> members;
    ASSERT_TRUE(saf_read_members((root.path + "/data/zzzz.saf").c_str(), &members));
    std::vector<std::string> names;
    for (const SafMember& m : members) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Bikes/Setup.txt", "empty", "tracks/dunes/terrain.hf.gz",
                                               "tracks/dunes/tilemap", "z.bin"}));

    (void)file_list();
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        EXPECT_EQ(read_all(f.open_as), f.want);
    }
}

TEST_F(DataFilesTest, PackSkipsItsOwnOutputAndFailsCleanly) {
    TempDir src;
    src.write("a", "1");
    std::string inside = src.path + "/out.saf";
    ASSERT_TRUE(saf_pack(src.path.c_str(), inside.c_str()));
    EXPECT_EQ(src.read("out.saf"), "1 a\n-\n1");
    // Packing again replaces the archive without taking it in.
    ASSERT_TRUE(saf_pack((src.path + "/").c_str(), inside.c_str()));
    EXPECT_EQ(src.read("out.saf"), "1 a\n-\n1");

    EXPECT_FALSE(saf_pack((src.path + "/missing").c_str(), (root.path + "/x.saf").c_str()));
    EXPECT_FALSE(root.exists("x.saf"));
    src.write("bad\nname", "2");
    EXPECT_FALSE(saf_pack(src.path.c_str(), (root.path + "/y.saf").c_str()));
    EXPECT_FALSE(root.exists("y.saf"));
    EXPECT_FALSE(saf_pack(src.path.c_str(), (root.path + "/no/such/folder/z.saf").c_str()));
}
