#include "tools/content/content.h"

#include <algorithm>
#include <cstdio>

#include "tools/content/assets.h"
#include "tools/content/track_files.h"

bool content_write_track(const std::string& root, const TrackDesign& design) {
    Track track;
    track_build(&track, &design);
    ContentFiles files = track_files(track);
    for (ContentFile& f : files) f.name = std::string(design.folder) + "/" + f.name;
    return content_write_folder(root, files);
}

bool content_write_archive(const std::string& root, const char* font_path) {
    ContentFiles files;
    if (!shared_assets(&files, font_path)) {
        fprintf(stderr, "Can't read the font '%s'\n", font_path);
        return false;
    }
    return content_write_folder(root, {{"zzzz.saf", saf_pack(files)}});
}

std::string content_course_picture(const TrackDesign& design, int width) {
    Track track;
    track_build(&track, &design);
    float x0 = 1e30f, z0 = 1e30f, x1 = -1e30f, z1 = -1e30f;
    for (const CourseSample& s : track.course.samples) {
        x0 = std::min(x0, s.x), x1 = std::max(x1, s.x);
        z0 = std::min(z0, s.z), z1 = std::max(z1, s.z);
    }
    float margin = 120;
    x0 -= margin, z0 -= margin, x1 += margin, z1 += margin;
    int height = int(float(width) * (z1 - z0) / (x1 - x0));
    return png_encode(track_map_region(track, x0, z0, x1, z1, width, height));
}
