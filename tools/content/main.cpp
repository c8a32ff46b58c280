// rw_content: writes the game's generated content into a folder.
//   rw_content OUT                 zzzz.saf and every track folder
//   rw_content OUT --track NAME    one track folder only
//   rw_content --course-picture NAME FILE   the course map for the docs
// Options: --font PATH (default: DejaVu Sans from the system font folder).
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/content/content.h"

static const TrackDesign* find_design(const char* name) {
    for (const TrackDesign* d : {&rabbithill_design(), &compact_design()})
        if (strcmp(d->folder, name) == 0) return d;
    fprintf(stderr, "rw_content: no track called '%s'\n", name);
    return nullptr;
}

int main(int argc, char** argv) {
    const char* out = nullptr;
    const char* only = nullptr;
    const char* font = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--font") == 0 && i + 1 < argc) {
            font = argv[++i];
        } else if (strcmp(argv[i], "--track") == 0 && i + 1 < argc) {
            only = argv[++i];
        } else if (strcmp(argv[i], "--course-picture") == 0 && i + 2 < argc) {
            const TrackDesign* d = find_design(argv[i + 1]);
            if (!d) return 1;
            ContentFiles picture = {{argv[i + 2], content_course_picture(*d, 1024)}};
            return content_write_folder(".", picture) ? 0 : 1;
        } else if (argv[i][0] != '-' && !out) {
            out = argv[i];
        } else {
            fprintf(stderr, "usage: rw_content OUT [--track NAME] [--font PATH]\n"
                            "       rw_content --course-picture NAME FILE\n");
            return 2;
        }
    }
    if (!out) {
        fprintf(stderr, "usage: rw_content OUT [--track NAME] [--font PATH]\n");
        return 2;
    }
    if (only) {
        const TrackDesign* d = find_design(only);
        return d && content_write_track(out, *d) ? 0 : 1;
    }
    if (!content_write_archive(out, font)) return 1;
    for (const TrackDesign* d : {&rabbithill_design(), &compact_design()})
        if (!content_write_track(out, *d)) return 1;
    return 0;
}
