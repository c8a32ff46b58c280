// The installed tracks: every folder of the game data holding a height field,
// with its display name. Built once at start-up; read by the menus, the race
// reset and the server client. Never changes the files it lists.
#pragma once
#include <string>
#include <vector>

struct TrackEntry {
    std::string folder;       // data name of the folder, without "@" or trailing "/"
    std::string description;  // first line of "desc", else the folder name
};

struct TrackList {
    std::vector<TrackEntry> tracks;  // sorted by description, ignoring case
    int selected;                    // index into tracks, 0 by default
};

// Fills `list` from the data index. False when no track is installed: the
// start-up then prints "No tracks found\n" to standard error and exits with 1.
[[nodiscard]] bool track_list_build(TrackList* list);
// Index of the track whose folder (or else description, ignoring case) is
// `name`, or -1.
int track_list_find(const TrackList* list, const char* name);
// Selects the named track (the `track` setting); false and unchanged when absent.
bool track_list_select(TrackList* list, const char* name);
