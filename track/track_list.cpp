// Building the track list from the data index.
#include "track/track_list.h"

#include <string.h>
#include <strings.h>

#include <algorithm>

#include "base/alloc.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "platform/log.h"
#include "base/render_options.h"

// Index names are matched without regard to case, as the data layer finds them.
static bool ends_with(const std::string& text, const char* suffix) {
    size_t n = strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

static std::string read_description(const std::string& folder) {
    std::string name = "@" + folder + "/desc";
    char* text = file_to_string(name.c_str());
    if (!text) return folder;
    std::string description(text, strcspn(text, "\r\n"));
    mem_free(text);
    return description;
}

bool track_list_build(TrackList* list) {
    list->tracks.clear();
    list->selected = 0;
    std::vector<std::string> folders;
    for (const char* const* name = file_list(); name && *name; name++) {
        std::string entry = *name;
        if (!ends_with(entry, "/terrain.hf") && !ends_with(entry, "/terrain.hf.gz")) continue;
        std::string folder = entry.substr(0, entry.rfind('/'));
        // A folder holding both the plain and the compressed height field is one track.
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) folders.push_back(folder);
    }
    for (const std::string& folder : folders) list->tracks.push_back({folder, read_description(folder)});
    std::stable_sort(list->tracks.begin(), list->tracks.end(), [](const TrackEntry& a, const TrackEntry& b) {
        return strcasecmp(a.description.c_str(), b.description.c_str()) < 0;
    });
    if (render_options().debug_level >= 1)
        for (const TrackEntry& t : list->tracks) log("%s -> %s\n", t.folder.c_str(), t.description.c_str());
    return !list->tracks.empty();
}

int track_list_find(const TrackList* list, const char* name) {
    for (int i = 0; i < (int)list->tracks.size(); i++)
        if (list->tracks[i].folder == name) return i;
    for (int i = 0; i < (int)list->tracks.size(); i++)
        if (strcasecmp(list->tracks[i].description.c_str(), name) == 0) return i;
    return -1;
}

bool track_list_select(TrackList* list, const char* name) {
    int i = track_list_find(list, name);
    if (i < 0) return false;
    list->selected = i;
    return true;
}
