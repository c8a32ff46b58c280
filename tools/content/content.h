// The whole generated content set: the shared archive and the track folders.
#pragma once
#include <string>

#include "tools/content/output.h"
#include "tools/content/track.h"

// Builds and writes one track folder under `root` (root/<folder>/...).
[[nodiscard]] bool content_write_track(const std::string& root, const TrackDesign& design);
// Builds the shared assets and writes root/zzzz.saf.
[[nodiscard]] bool content_write_archive(const std::string& root, const char* font_path);
// The overhead picture of a track's course for documentation, as PNG bytes.
std::string content_course_picture(const TrackDesign& design, int width);
