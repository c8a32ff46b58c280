#include "track/track_list.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "base/data_file.h"
#include "base/data_index.h"
#include "support/temp_dir.h"

namespace {

// Points the data layer at a fresh home folder and game data folder.
struct DataFolders {
    TempDir home, game;
    DataFolders() {
        setenv("XDG_DATA_HOME", home.path.c_str(), 1);
        setenv("HOME", home.path.c_str(), 1);
        setenv("RW_HOME", game.path.c_str(), 1);
        data_files_shutdown();
    }
    ~DataFolders() { data_files_shutdown(); }
};

}  // namespace

TEST(TrackList, FoldersDescriptionsAndOrder) {
    DataFolders data;
    data.game.write("tracks/b/terrain.hf", "1 2 0 1\n");
    data.game.write("tracks/b/desc", "beta track\r\nsecond line");
    data.game.write("tracks/a/terrain.hf.gz", "");
    data.game.write("tracks/a/desc", "Alpha");
    data.game.write("tracks/c/terrain.hf", "");
    data.game.write("tracks/c/terrain.hf.gz", "");  // both forms: still one track
    data.game.write("tracks/d/TERRAIN.HF", "");
    data.game.write("tracks/d/desc", std::string("ALPHA\0junk", 10));
    data.game.write("tracks/e/terrain.hf.old", "");  // not a height field
    data.game.write("tracks/e/desc", "ignored");

    TrackList list{};
    ASSERT_TRUE(track_list_build(&list));
    ASSERT_EQ(list.tracks.size(), 4u);
    // "Alpha" and "ALPHA" differ only in case and sort next to each other.
    EXPECT_EQ(list.tracks[0].description, "Alpha");
    EXPECT_EQ(list.tracks[0].folder, "tracks/a");
    EXPECT_EQ(list.tracks[1].description, "ALPHA");
    EXPECT_EQ(list.tracks[2].description, "beta track");
    EXPECT_EQ(list.tracks[3].description, "tracks/c");  // no desc: the folder name
    EXPECT_EQ(list.selected, 0);

    struct {
        const char* name;
        int want;
    } cases[] = {{"tracks/c", 3}, {"BETA TRACK", 2}, {"tracks/zz", -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(track_list_find(&list, c.name), c.want);
    }
    EXPECT_TRUE(track_list_select(&list, "tracks/b"));
    EXPECT_EQ(list.selected, 2);
    EXPECT_FALSE(track_list_select(&list, "nowhere"));
    EXPECT_EQ(list.selected, 2);
}

TEST(TrackList, NoTracksInstalled) {
    DataFolders data;
    data.game.write("zzzz.saf", "");
    TrackList list{};
    EXPECT_FALSE(track_list_build(&list));
    EXPECT_TRUE(list.tracks.empty());
}
