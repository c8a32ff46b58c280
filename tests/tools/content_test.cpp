// The generated content: it loads through the program's loaders without a
// warning, a second run gives the same bytes, and the course is rideable by
// construction. The load checks read the content the build generated.
#include <gtest/gtest.h>

#include "base/messages.h"
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/alloc.h"
#include "base/data_file.h"
#include "base/data_index.h"
#include "base/saf_archive.h"
#include "base/image.h"
#include "race/reset.h"
#include "race/timing_gates.h"
#include "render/model.h"
#include "sim/collide.h"
#include "sim/scene.h"
#include "sim/shape.h"
#include "support/data_home.h"
#include "support/temp_dir.h"
#include "tools/content/content.h"
#include "tools/content/fonts.h"
#include "tools/content/track_files.h"
#include "track/lighting.h"
#include "track/statues.h"
#include "track/terrain.h"
#include "track/tileinfo.h"
#include "track/track_list.h"

namespace fs = std::filesystem;

namespace {

const char* const FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

std::map<std::string, std::string> read_tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        files[fs::relative(entry.path(), root).string()] = ss.str();
    }
    return files;
}

TEST(ContentGenerator, CompactTrackIsByteIdenticalAcrossRuns) {
    TempDir a, b;
    ASSERT_TRUE(content_write_track(a.path, compact_design()));
    ASSERT_TRUE(content_write_track(b.path, compact_design()));
    auto first = read_tree(a.path), second = read_tree(b.path);
    ASSERT_GE(first.size(), 15u);
    EXPECT_EQ(first.size(), second.size());
    for (const auto& [name, bytes] : first) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(second.count(name));
        EXPECT_TRUE(bytes == second[name]);
    }
}

// The game data folder is the build folder, as when the program runs from it.
class BuiltContent : public ::testing::Test {
protected:
    TestDataHome home{RW_BINARY_DIR};
    void SetUp() override {
        ASSERT_TRUE(fs::exists(std::string(RW_BINARY_DIR) + "/zzzz.saf")) << "the content target has not run";
        file_list();
    }
    static bool opens(const std::string& name) {
        DataStream* s = open_data_file(name.c_str(), "rb");
        close_data_file(s);
        return s != nullptr;
    }
    static std::string text(const std::string& name) {
        size_t size = 0;
        char* bytes = file_to_buffer(name.c_str(), &size);
        std::string out = bytes ? std::string(bytes, size) : std::string();
        mem_free(bytes);
        return out;
    }
};

// Images asked for by the loader are looked up in the data; misses are kept.
struct ImageProbe {
    std::vector<std::string> missing;
    static unsigned load(void* self, const char* name) {
        DataStream* s = open_data_file(name, "rb");
        close_data_file(s);
        if (!s) static_cast<ImageProbe*>(self)->missing.push_back(name);
        return s ? 1 : 0;
    }
};

TEST_F(BuiltContent, TracksAreListedAndRabbithillIsTheDefault) {
    TrackList list;
    ASSERT_TRUE(track_list_build(&list));
    int rabbithill = track_list_find(&list, "rabbithill");
    ASSERT_GE(rabbithill, 0);
    EXPECT_EQ(list.tracks[rabbithill].description, "Rabbit Hill");
    int compact = track_list_find(&list, "backyard");
    ASSERT_GE(compact, 0);
    EXPECT_EQ(list.tracks[compact].description, "Backyard");
    EXPECT_TRUE(track_list_select(&list, "rabbithill"));
}

TEST_F(BuiltContent, TracksLoadWithoutWarningsAndEveryNamedFileExists) {
    for (const char* folder : {"rabbithill", "backyard"}) {
        SCOPED_TRACE(folder);
        ImageProbe probe;
        TerrainImageOps ops{ImageProbe::load, &probe};
        TerrainLoadParams params{};
        params.images = &ops;
        Terrain* t = terrain_load(folder, params);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->surfaces.entries.size(), 19u);
        EXPECT_EQ(t->decals.size(), 5u);
        for (const std::string& name : probe.missing) ADD_FAILURE() << "missing image " << name;
        // Every surface the tile map uses is a real entry.
        std::set<int> used(t->tile_map, t->tile_map + t->tiles * t->tiles);
        EXPECT_LT(*used.rbegin(), 19);
        terrain_free(t);

        std::string prefix = std::string("@") + folder + "/";
        std::vector<std::string> warnings;
        SurfaceTable table;
        tileinfo_parse(&table, text(prefix + "tileinfo").c_str(), nullptr, &warnings);
        EXPECT_TRUE(warnings.empty()) << (warnings.empty() ? "" : warnings[0]);
        // The plain surfaces lead (the editor paints those), then dirt-grass
        // edges: 0110 has base hard-pack (0), other grass (3), corners 4 and 2.
        ASSERT_EQ(table.entries.size(), 19u);
        for (int e = 0; e < 5; e++) EXPECT_EQ(table.entries[e].transition, (e << 16) | (e << 8));
        EXPECT_EQ(table.entries[5 + 6 - 1].transition, (0 << 16) | (3 << 8) | 6);
        EXPECT_EQ(table.entries[4].roost[0].kind, ROOST_KIND_SPLASH);

        // Every data name in the object files can be opened.
        for (const char* file : {"lighting", "billboards", "statues", "flaggers", "decals"}) {
            std::istringstream words(text(prefix + file));
            std::string word;
            int names = 0;
            while (words >> word) {
                size_t at = word.find('@');
                if (at == std::string::npos) continue;
                names++;
                EXPECT_TRUE(opens(word.substr(at))) << file << " names " << word;
            }
            EXPECT_GT(names, 0) << file;
        }
        for (const char* file : {"map.png", "shadows.pgm", "desc", "cameras", "timing_gates"})
            EXPECT_TRUE(opens(prefix + file)) << file;
    }
}

TEST_F(BuiltContent, ArchiveHoldsTheSharedAssetsAsValidImages) {
    std::vector<SafMember> members;
    ASSERT_TRUE(saf_read_members((std::string(RW_BINARY_DIR) + "/zzzz.saf").c_str(), &members));
    std::set<std::string> names;
    for (const SafMember& m : members) names.insert(m.name);
    for (const char* wanted :
         {"font.png", "numbers.png", "numbers-condensed.png", "title.png", "tach.png", "shifter.png", "pitboard.png",
          "sky-n.ppm", "sky-e.ppm", "sky-s.ppm", "sky-w.ppm", "sky-u.ppm", "sky-env.ppm", "colors/white.png",
          "roost.png", "default50.braap", "default125.braap", "default250.braap", "default250f.braap",
          "default450f.braap", "startgate.jm", "startgate.ppm", "startgate.shp"})
        EXPECT_TRUE(names.count(wanted)) << wanted;
    // Textures must not be resampled or warned about: every side a power of two.
    for (const std::string& name : names) {
        if (name.size() < 4 || (name.compare(name.size() - 4, 4, ".png") && name.compare(name.size() - 4, 4, ".ppm")))
            continue;
        SCOPED_TRACE(name);
        std::vector<unsigned char> bytes;
        ASSERT_TRUE(read_data_file_bytes(("@" + name).c_str(), &bytes));
        std::string token = image_file_token(bytes.data(), bytes.size());
        if (token == "LINK" || token == "ANIM1") continue;  // names another texture, or frames
        Image image;
        const char* error = nullptr;
        ASSERT_TRUE(decode_image(bytes.data(), bytes.size(), &image, &error)) << error;
        EXPECT_EQ(image.width & (image.width - 1), 0);
        EXPECT_EQ(image.height & (image.height - 1), 0);
    }
}

void collect_message(const char* text, void* self) { static_cast<std::vector<std::string>*>(self)->push_back(text); }

TEST_F(BuiltContent, StatueAndGateModelsAndShapesLoadCleanly) {
    std::vector<std::string> messages;
    set_message_sink(collect_message, &messages);
    std::set<std::string> models = {"@startgate.jm"}, shapes = {"@startgate.shp"};
    for (const char* folder : {"rabbithill", "backyard"}) {
        std::istringstream words(text(std::string("@") + folder + "/statues"));
        std::string word;
        while (words >> word) {
            if (word.size() > 3 && word.compare(word.size() - 3, 3, ".jm") == 0) models.insert(word);
            if (word.size() > 4 && word.compare(word.size() - 4, 4, ".shp") == 0) shapes.insert(word);
        }
    }
    EXPECT_EQ(models.size(), 3u);
    for (const std::string& name : models) {
        SCOPED_TRACE(name);
        Model* m = read_model_file(name.c_str());
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->parts.size(), 1u);
        EXPECT_EQ(m->parts[0].triangle_count, name == "@startgate.jm" ? 24 : 12);
        model_free(m);
    }
    for (const std::string& name : shapes) {
        SCOPED_TRACE(name);
        Shape* shape = load_shape(name.c_str());
        ASSERT_NE(shape, nullptr);
        EXPECT_GE(shape->spheres.size(), 3u);
        // Riders meet the spheres within the model's extent.
        EXPECT_LT(shape->bounding_radius, 3.5f);
        shape_free(shape);
    }
    set_message_sink(nullptr, nullptr);
    for (const std::string& m : messages) ADD_FAILURE() << m;
}

// The statues' shapes come from the simulation's cache, as in the track load.
const void* statue_shape(void*, const char* name, float* radius) {
    Shape* s = load_shape(name);
    if (s) *radius = s->bounding_radius;
    return s;
}
void free_statue_shape(void*, const void* shape) { shape_free((Shape*)shape); }

// The track object files through the program's own readers: every line
// taken, nothing warned about, and what the generator wrote arrives.
TEST_F(BuiltContent, TimingGatesStatuesAndLightingReadCleanly) {
    std::vector<std::string> messages;
    set_message_sink(collect_message, &messages);
    for (const TrackDesign* design : {&rabbithill_design(), &compact_design()}) {
        SCOPED_TRACE(design->folder);
        const std::string prefix = std::string("@") + design->folder + "/";

        TimingGates gates;
        DataStream* s = open_data_file((prefix + "timing_gates").c_str(), "rb");
        ASSERT_NE(s, nullptr);
        EXPECT_TRUE(timing_gates_read(&gates, s, nullptr, false));
        close_data_file(s);
        EXPECT_EQ(int(gates.slots.size()), design->gate_slots);
        // The reader clamps a gate number past the last checkpoint, so a
        // lap that names every gate once names only real ones.
        std::vector<int> normal = gates.normal_lap, every(gates.checkpoints.size());
        std::sort(normal.begin(), normal.end());
        for (size_t g = 0; g < every.size(); g++) every[g] = int(g);
        EXPECT_EQ(normal, every);
        ASSERT_FALSE(gates.first_lap.empty());
        EXPECT_EQ(gates.first_lap.back(), 0);
        EXPECT_EQ(gates.counted_first, int(gates.first_lap.size()));
        EXPECT_EQ(gates.counted_normal, int(gates.normal_lap.size()));
        // Slots name no gate of their own: the reader's defaults must be there.
        for (const StartSlot& slot : gates.slots) {
            EXPECT_EQ(slot.mesh, START_GATE_MESH);
            EXPECT_EQ(slot.texture, START_GATE_TEXTURE);
            EXPECT_EQ(slot.shape, START_GATE_SHAPE);
        }
        for (const char* name : {START_GATE_MESH, START_GATE_TEXTURE, START_GATE_SHAPE}) EXPECT_TRUE(opens(name)) << name;

        // One "[x h z]" per record: every record reads, every shape loads.
        TrackStatues statues;
        statue_asset_ops shapes{};
        shapes.load_shape = statue_shape;
        shapes.free_shape = free_statue_shape;
        statues_init(&statues, &shapes);
        const std::string statue_text = text(prefix + "statues");
        const int records = int(std::count(statue_text.begin(), statue_text.end(), '['));
        EXPECT_GT(records, 0);
        s = open_data_file((prefix + "statues").c_str(), "rb");
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(statues_read(&statues, nullptr, s), records);
        close_data_file(s);
        for (const Statue& st : statues.statues) {
            EXPECT_NE(st.shape, nullptr) << st.shape_name;
            EXPECT_TRUE(opens(st.model_name)) << st.model_name;
            EXPECT_TRUE(opens(st.texture_name)) << st.texture_name;
        }
        statues_free(&statues);

        // An unknown key would end the reading early: the flare and the
        // planes come last and first.
        Lighting light;
        s = open_data_file((prefix + "lighting").c_str(), "rb");
        ASSERT_NE(s, nullptr);
        lighting_read(&light, s);
        close_data_file(s);
        const TerrainLighting sun = track_light();
        for (int i = 0; i < 3; i++) EXPECT_NEAR(light.sun[i], sun.sun[i], 1e-5f);
        EXPECT_FLOAT_EQ(light.far_plane, 6000);
        EXPECT_GT(light.fog_density, 0);
        ASSERT_EQ(light.flares.size(), 1u);
        EXPECT_TRUE(light.flares[0].is_direction);
        EXPECT_EQ(light.flares[0].elements.size(), 5u);
        for (const std::string& face : light.sky) EXPECT_TRUE(opens(face)) << face;
        for (const FlareElement& e : light.flares[0].elements) EXPECT_TRUE(opens(e.image)) << e.image;
    }
    set_message_sink(nullptr, nullptr);
    for (const std::string& m : messages) ADD_FAILURE() << m;
}

// The placement lifts a bike 0.25 ft at a time until it touches nothing; a
// bike left higher than this over the ground (ft) stood on ground too rough
// to start from.
const float MAX_PLACED_CLEARANCE = 1.5f;

// Whether a tire of `r` overlaps a sphere of a statue listed near it (the
// placement only lifts a bike clear of the ground with its tires).
bool tire_in_statue(const physics_scene* scene, const Rider* r) {
    const collide_ops& ops = scene->contacts.ops;
    if (!ops.statues_near) return false;
    for (const wheel_record& w : r->bike.wheel) {
        const dReal* axle = dBodyGetPosition(w.body);
        const collide_statue* const* list = nullptr;
        const int count = ops.statues_near(ops.self, axle[0], axle[2], &list);
        for (int i = 0; i < count; i++) {
            if (!list[i]->shape) continue;
            for (const ShapeSphere& ss : list[i]->shape->spheres) {
                double c[3], tire_centre[3];
                for (int j = 0; j < 3; j++)
                    c[j] = list[i]->position[j] + list[i]->rotation[4 * j] * ss.centre[0] +
                           list[i]->rotation[4 * j + 1] * ss.centre[1] + list[i]->rotation[4 * j + 2] * ss.centre[2];
                const ShapeSphere tire = collide_tire_sphere(&w, c, tire_centre);
                sphere_contact contact;
                if (collide_spheres(tire_centre, &tire, c, &ss, &contact)) return true;
            }
        }
    }
    return false;
}

// Every start position of a full field, each row behind the gates, through
// the race's own placement on the loaded ground with the gates standing:
// clear of everything, no higher than the ground alone puts it, close above
// the ground.
TEST_F(BuiltContent, EveryStartPositionPlacesCloseAboveTheGround) {
    std::vector<std::string> messages;
    set_message_sink(collect_message, &messages);
    for (const char* folder : {"rabbithill", "backyard"}) {
        SCOPED_TRACE(folder);
        physics_scene* scene = scene_create(nullptr);
        ASSERT_NE(scene, nullptr);
        RaceSession session;
        race_session_init(&session, scene, nullptr);
        int lineup[RIDER_SLOTS] = {LINEUP_ROBOT};
        const RaceRequest request = {lineup, folder, nullptr, 0, 1, 0, false};
        ASSERT_TRUE(race_reset(&session, request, 1700000000));
        const Terrain* ground = session.track.terrain;
        Rider* r = scene->slots->slot[0].rider;
        ASSERT_NE(r, nullptr);
        float worst = 0;
        for (int k = 0; k < RIDER_SLOTS; k++) {
            SCOPED_TRACE(k);
            float x, z, yaw;
            race_start_placement(&session.track.gates, ground->size, k, &x, &z, &yaw);
            // Where the ground alone puts it, then among the statues and gates.
            const collide_ops with_statues = scene->contacts.ops;
            scene->contacts.ops.statues_near = nullptr;
            race_place_bike(scene, ground, r, x, z, yaw);
            const double ground_y = dBodyGetPosition(r->bike.body[BODY_FRAME])[1];
            scene->contacts.ops = with_statues;
            race_place_bike(scene, ground, r, x, z, yaw);
            EXPECT_FALSE(collide_rider_touches(&scene->contacts, r));
            EXPECT_EQ(dBodyGetPosition(r->bike.body[BODY_FRAME])[1], ground_y) << "lifted onto a statue or gate";
            EXPECT_FALSE(tire_in_statue(scene, r));
            // The tire nearer the ground: its lowest point over the ground below its axle.
            float gap = 1e9f;
            for (const wheel_record& w : r->bike.wheel) {
                const dReal* p = dBodyGetPosition(w.body);
                gap = std::min(gap, float(p[1]) - w.major_radius - w.tube_radius -
                                        terrain_height(ground, float(p[0]), float(p[2])));
            }
            EXPECT_GE(gap, -0.05f);
            EXPECT_LE(gap, MAX_PLACED_CLEARANCE);
            worst = std::max(worst, gap);
        }
        printf("%s: the highest placed tire is %.2f ft over the ground\n", folder, worst);
        race_session_free(&session);
        scene_destroy(scene);
    }
    set_message_sink(nullptr, nullptr);
    for (const std::string& m : messages) ADD_FAILURE() << m;
}

TEST_F(BuiltContent, EngineSoundsUseOnlyKnownKeys) {
    for (const char* file : {"@default50.braap", "@default125.braap", "@default250.braap", "@default250f.braap",
                             "@default450f.braap"}) {
        SCOPED_TRACE(file);
        std::istringstream lines(text(file));
        std::string line;
        int pipes = 0;
        while (std::getline(lines, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::string key = line.substr(0, line.find(' '));
            EXPECT_TRUE(key == "pipe" || key == "minrpm" || key == "lowtorque" || key == "hightorque" ||
                        key == "bias" || key == "scale")
                << line;
            float l1, l2, gain;
            int first, last;
            if (key == "pipe" && sscanf(line.c_str(), "pipe %f %f %f %d %d", &l1, &l2, &gain, &first, &last) == 5) pipes++;
        }
        EXPECT_EQ(pipes, 1);
    }
}

// Cells are cut as the text drawing does: separator pixels along each row's
// top line end a cell, separator pixels down the left edge end a row.
struct Cell {
    int x, y, w, h;
};
std::vector<Cell> cut_cells(const ContentImage& im) {
    auto is_sep = [&](int x, int y) { return std::equal(image_at(im, x, y), image_at(im, x, y) + 4, image_at(im, 0, 0)); };
    std::vector<Cell> cells;
    for (int y = 0; y < im.height;) {
        int y1 = y + 1;
        while (y1 < im.height && !is_sep(0, y1)) y1++;
        for (int x = 0; x < im.width;) {
            int x1 = x + 1;
            while (x1 < im.width && !is_sep(x1, y)) x1++;
            cells.push_back({x, y, x1 - x, y1 - y});
            x = x1;
        }
        y = y1;
    }
    return cells;
}

TEST(ContentFonts, SheetsCutIntoOneCellPerCharacterWithItsGlyph) {
    ContentFont* font = font_open(FONT);
    if (!font) GTEST_SKIP() << "no DejaVu Sans";
    struct {
        const char* name;
        std::string chars;
        int cell_height, width;
        float pixel_size, x_scale;
    } cases[] = {
        {"text font", std::string("!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~"), 64, 512, 52, 1},
        {"numbers", "0123456789", 64, 256, 72, 1},
        {"condensed numbers", "0123456789", 128, 256, 136, 0.52f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ContentImage sheet;
        ASSERT_TRUE(font_sheet(font, c.chars.c_str(), c.cell_height, c.pixel_size, c.x_scale, c.width, &sheet));
        EXPECT_EQ(sheet.width, c.width);
        EXPECT_EQ(sheet.height & (sheet.height - 1), 0);
        std::vector<Cell> cells = cut_cells(sheet);
        ASSERT_GE(cells.size(), c.chars.size());
        for (size_t i = 0; i < c.chars.size(); i++) {
            const Cell& cell = cells[i];
            SCOPED_TRACE(std::string(1, c.chars[i]));
            EXPECT_EQ(cell.h, c.cell_height);
            EXPECT_GT(cell.w, 4);
            int inked = 0;
            for (int y = cell.y + 1; y < cell.y + cell.h; y++)
                for (int x = cell.x + 1; x < cell.x + cell.w; x++) inked += image_at(sheet, x, y)[3] > 128;
            EXPECT_GT(inked, 3);
        }
        // Cells past the characters hold nothing (the closing marker's row).
        for (size_t i = c.chars.size(); i < cells.size(); i++) EXPECT_GE(cells[i].y, int(cells[c.chars.size() - 1].y + c.cell_height));
        // Digits of one sheet are equally wide: the gauges line them up.
        if (c.chars[0] == '0') {
            for (size_t i = 1; i < c.chars.size(); i++) EXPECT_NEAR(cells[i].w, cells[0].w, 1);
        }
    }
    font_close(font);
}

// Limits the course is built to keep (the same figures are in the README):
const float MAX_GRADE = 0.8f;        // rise over run between centre samples 2 ft apart
const float MAX_GRADE_CHANGE = 0.3f; // change of grade from one 2 ft step to the next
const float MAX_CROSS_SLOPE = 0.65f; // across the riding width, 1 ft inside each edge
const float MIN_CLEARANCE = 100;     // ft between parts of the course > 300 ft apart along it
const float MIN_JUMP_RADIUS = 150;   // ft, the tightest curve within a jump or bumps

TEST(ContentCourse, RideableByConstruction) {
    for (const TrackDesign* design : {&compact_design(), &rabbithill_design()}) {
        SCOPED_TRACE(design->folder);
        Track t;
        track_build(&t, design);
        const Course& c = t.course;
        int n = int(c.samples.size());
        float step = 2;
        float worst_grade = 0, worst_change = 0, worst_cross = 0;
        float previous = 0;
        for (int i = 0; i <= n; i++) {
            float s = float(i) * c.length / float(n);
            float x0, z0, x1, z1;
            course_point(c, s, 0, &x0, &z0);
            course_point(c, s + step, 0, &x1, &z1);
            float grade = (track_height(t, x1, z1) - track_height(t, x0, z0)) / std::hypot(x1 - x0, z1 - z0);
            worst_grade = std::max(worst_grade, std::fabs(grade));
            if (i > 0) worst_change = std::max(worst_change, std::fabs(grade - previous) * step / std::hypot(x1 - x0, z1 - z0));
            previous = grade;
            const CourseSample& cs = c.samples[course_index(c, s)];
            float half = cs.width * 0.5f - 1, lx, lz, rx, rz;
            course_point(c, s, half, &lx, &lz);
            course_point(c, s, -half, &rx, &rz);
            worst_cross = std::max(worst_cross, std::fabs(track_height(t, lx, lz) - track_height(t, rx, rz)) / (2 * half));
        }
        EXPECT_LE(worst_grade, MAX_GRADE);
        EXPECT_LE(worst_change, MAX_GRADE_CHANGE);
        EXPECT_LE(worst_cross, MAX_CROSS_SLOPE);
        // Jumps and bumps are ridden straight: no tight turn within them.
        for (const CourseFeature& f : design->course.features) {
            if (!course_feature_is_jump(f)) continue;
            SCOPED_TRACE(f.name);
            float tightest = 0;
            for (float s = f.start_s; s <= f.start_s + course_feature_length(f); s += 1)
                tightest = std::max(tightest, std::fabs(c.samples[course_index(c, s)].curvature));
            EXPECT_LE(tightest, 1.0f / MIN_JUMP_RADIUS);
        }
        float clearance = course_self_clearance(c, 300);
        EXPECT_GE(clearance, MIN_CLEARANCE);
        // About a mile for the main track, a short lap for the compact one.
        if (design == &rabbithill_design()) EXPECT_NEAR(c.length, 5280, 400);
        else EXPECT_LT(c.length, 2000);

        TrackTiming timing = track_timing(t);
        int gates = int(timing.checkpoints.size());
        for (int g = 0; g < gates; g++) {
            SCOPED_TRACE(g);
            const TrackCheckpoint& cp = timing.checkpoints[g];
            EXPECT_TRUE(track_on_course(t, cp.x, cp.z));
            const CourseSample& cs = c.samples[course_index(c, cp.s)];
            EXPECT_GE(cp.radius, cs.width * 0.5f + 4);           // covers the whole width
            EXPECT_LT(cp.radius + 13, clearance);                 // cannot be passed from elsewhere
            EXPECT_NEAR(cp.dx * cs.tx + cp.dz * cs.tz, 1, 1e-3);  // faces the riding direction
        }
        // The normal lap passes every gate once, in riding order, and ends on
        // the finish line (gate 0); the first lap is its tail.
        ASSERT_EQ(int(timing.normal_lap.size()), gates);
        EXPECT_EQ(std::set<int>(timing.normal_lap.begin(), timing.normal_lap.end()).size(), size_t(gates));
        EXPECT_EQ(timing.normal_lap.back(), 0);
        EXPECT_EQ(timing.first_lap.back(), 0);
        EXPECT_GT(timing.first_lap.size(), 2u);
        EXPECT_TRUE(std::equal(timing.first_lap.rbegin(), timing.first_lap.rend(), timing.normal_lap.rbegin()));
        for (int k = 0; k < gates; k++) {
            const TrackCheckpoint& a = timing.checkpoints[timing.normal_lap[(k + gates - 1) % gates]];
            const TrackCheckpoint& b = timing.checkpoints[timing.normal_lap[k]];
            float gap = std::fmod(b.s - a.s + c.length, c.length);
            EXPECT_GE(gap, 140);
            EXPECT_LE(gap, 200);
        }
        // Start slots: on the flat pad, facing down the course, the gates 3 ft ahead still on it.
        ASSERT_EQ(int(timing.slots.size()), design->gate_slots);
        for (const TrackSlot& slot : timing.slots) {
            EXPECT_TRUE(track_on_course(t, slot.x, slot.z));
            EXPECT_TRUE(track_on_course(t, slot.x - 3 * std::sin(slot.angle), slot.z - 3 * std::cos(slot.angle)));
            EXPECT_NEAR(slot.y, timing.slots[0].y, 0.5);
            const CourseSample& start = c.samples[0];
            EXPECT_NEAR(-std::sin(slot.angle) * start.tx - std::cos(slot.angle) * start.tz, 1, 1e-2);
        }
    }
}

}  // namespace
