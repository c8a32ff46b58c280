#include "tools/content/content.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>

#include <filesystem>

#include "base/saf_archive.h"
#include "tools/content/assets.h"
#include "tools/content/track_files.h"
#include "track/terrain.h"

namespace fs = std::filesystem;

// The ground files go through the terrain's own saver, so the shading is
// exactly what the game computes from the lighting and the shadows.
static bool save_ground(const Track& track, const std::string& folder) {
    Terrain* t = terrain_create(track.n, track.spacing, 0);
    if (!t) return false;
    t->lighting = track_light();
    for (int k = 0; k < track.dim; k++)
        for (int i = 0; i < track.dim; i++) terrain_set_height(t, i, k, track.heights[size_t(k) * track.dim + i]);
    for (size_t v = 0; v < track.light.size(); v++) t->shadows[v] = uint8_t(255 - track.light[v]);
    std::copy(track.tilemap.begin(), track.tilemap.end(), t->tile_map);
    for (const TrackDecal& d : track_decals(track)) {
        Decal decal{};
        decal.x = d.x, decal.z = d.z, decal.angle = d.angle, decal.size = d.size, decal.aspect = d.aspect;
        decal.cos_angle = std::cos(d.angle), decal.sin_angle = std::sin(d.angle);
        decal.texture_name = d.texture;
        t->decals.push_back(decal);
    }
    bool ok = save_terrain(t, folder.c_str());
    terrain_free(t);
    return ok;
}

bool content_write_track(const std::string& root, const TrackDesign& design) {
    Track track;
    track_build(&track, &design);
    std::error_code ec;
    fs::path folder = fs::absolute(fs::path(root) / design.folder, ec);
    fs::create_directories(folder, ec);
    if (!save_ground(track, folder.string())) {
        fprintf(stderr, "Can't write the ground files of '%s'\n", folder.c_str());
        return false;
    }
    return content_write_folder(folder.string(), track_files(track));
}

bool content_write_archive(const std::string& root, const char* font_path) {
    ContentFiles files;
    if (!shared_assets(&files, font_path)) {
        fprintf(stderr, "Can't read the font '%s'\n", font_path);
        return false;
    }
    // The packer packs a folder: stage the members outside the game data.
    std::error_code ec;
    fs::path staging = fs::temp_directory_path(ec) / ("rw_content." + std::to_string(getpid()));
    fs::remove_all(staging, ec);
    bool ok = content_write_folder(staging.string(), files);
    fs::create_directories(root, ec);
    std::string archive = (fs::path(root) / "zzzz.saf").string();
    if (ok && !saf_pack(staging.c_str(), archive.c_str())) {
        fprintf(stderr, "Can't pack '%s'\n", archive.c_str());
        ok = false;
    }
    fs::remove_all(staging, ec);
    return ok;
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
    return png_encode(track_map_with_objects(track, x0, z0, x1, z1, width, height));
}
