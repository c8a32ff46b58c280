#include "track/track_list.h"

#include <gtest/gtest.h>

#include "support/data_home.h"

TEST(TrackList, FoldersDescriptionsAndOrder) {
    TestDataHome data;
    data.write_game("tracks/b/terrain.hf", "1 2 0 1\n");
    data.write_game("tracks/b/desc", "beta track\r\nsecond line");
    data.write_game("tracks/a/terrain.hf.gz", "");
    data.write_game("tracks/a/desc", "Alpha");
    data.write_game("tracks/c/terrain.hf", "");
    data.write_game("tracks/c/terrain.hf.gz", "");  // both forms: still one track
    data.write_game("tracks/d/TERRAIN.HF", "");
    data.write_game("tracks/d/desc", std::string("ALPHA\0junk", 10));
    data.write_game("tracks/e/terrain.hf.old", "");  // not a height field
    data.write_game("tracks/e/desc", "ignored");

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
    TestDataHome data;
    data.write_game("zzzz.saf", "");
    TrackList list{};
    EXPECT_FALSE(track_list_build(&list));
    EXPECT_TRUE(list.tracks.empty());
}
