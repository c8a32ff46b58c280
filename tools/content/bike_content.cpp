#include "tools/content/bike_content.h"

#include <cassert>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "sim/bike_info.h"
#include "tools/content/bike_models.h"
#include "tools/content/bike_textures.h"

static bool ends_with(const std::string& s, const char* tail) {
    size_t n = strlen(tail);
    return s.size() >= n && s.compare(s.size() - n, n, tail) == 0;
}

static Vec3 v3(const float* p) { return {p[0], p[1], p[2]}; }

// Body-local spheres from points given in bike coordinates.
static std::vector<ShapeBall> balls_around(Vec3 origin, std::vector<ShapeBall> balls) {
    for (ShapeBall& b : balls) b.centre = b.centre - origin;
    return balls;
}

// Contact constants: body parts are hard and slippery (the pairwise rule
// caps k e at 2500 lb anyway); the rider is softer and grips; tires match
// the tire-against-sphere rule (friction 1, k 25000, c 2500).
static const float BIKE_FRICTION = 0.5f, BIKE_K = 10000, BIKE_C = 250;
static const float RIDER_FRICTION = 0.8f, RIDER_K = 5000, RIDER_C = 200;

static std::string shape_text(const std::string& name, const BikeInfo& bike) {
    auto hard = [](Vec3 c, float r) { return ShapeBall{c, r, BIKE_FRICTION, BIKE_K, BIKE_C}; };
    if (name == "generic_frame.shp")
        return shp_text(balls_around(v3(bike.frame_position),
                                     {hard({0, 1.15f, 3.2f}, 0.3f), hard({0, 1.5f, 2.5f}, 0.35f), hard({0, 2.8f, 3.05f}, 0.4f),
                                      hard({0, 3.1f, 5.3f}, 0.3f), hard({0, 3.3f, 6.8f}, 0.25f),
                                      hard({0.35f, 2.15f, 2.5f}, 0.25f), hard({-0.35f, 2.15f, 2.5f}, 0.25f),
                                      hard({0.7f, 1.42f, 4.18f}, 0.12f), hard({-0.7f, 1.42f, 4.18f}, 0.12f),
                                      hard({0.42f, 2.7f, 5.6f}, 0.25f)}));
    if (name == "generic_fork_upper.shp") {
        Vec3 head = v3(bike.fork_upper_position), grip = head + v3(bike.rider_points.right_grip);
        return shp_text(balls_around(head, {hard(grip, 0.12f), hard({-grip.x, grip.y, grip.z}, 0.12f),
                                            hard({0, grip.y - 0.3f, grip.z - 0.2f}, 0.2f), hard(head, 0.3f)}));
    }
    if (name == "generic_fork_lower.shp") {
        Vec3 axle = v3(bike.front_wheel.position);
        float leg = bike.fork_leg_spacing / 2, top = bike.front_wheel.tire_major_radius + bike.front_wheel.tire_tube_radius;
        return shp_text(balls_around(v3(bike.fork_lower_position),
                                     {hard(axle + Vec3{leg, 0, 0}, 0.15f), hard(axle + Vec3{-leg, 0, 0}, 0.15f),
                                      hard(axle + Vec3{0, top + 0.14f, 0}, 0.25f)}));
    }
    if (name == "generic_swingarm.shp") {
        Vec3 pivot = v3(bike.swingarm_pivot), axle = v3(bike.rear_wheel.position);
        float side = bike.frame_box[0] / 2;
        std::vector<ShapeBall> balls;
        for (float t : {0.35f, 0.7f})
            for (float s : {-side, side}) balls.push_back(hard(pivot + (axle - pivot) * t + Vec3{s, 0, 0}, 0.15f));
        return shp_text(balls_around(v3(bike.swingarm_position), balls));
    }
    if (name == "front_wheel.shp" || name == "rear_wheel.shp") {
        const BikeWheelInfo& w = name[0] == 'f' ? bike.front_wheel : bike.rear_wheel;
        return shp_text({{{0, 0, 0}, w.tire_major_radius + w.tire_tube_radius, 1, 25000, 2500}});
    }
    if (name == "generic_rider.shp") {
        const BikeRiderPoints& rp = bike.rider_points;
        Vec3 head = v3(rp.head), shoulders = {0, rp.left_shoulder[1], rp.left_shoulder[2]},
             hips = {0, rp.left_hip[1], rp.left_hip[2]};
        auto soft = [](Vec3 c, float r) { return ShapeBall{c, r, RIDER_FRICTION, RIDER_K, RIDER_C}; };
        return shp_text({soft(head + Vec3{0, 0.34f, 0}, 0.45f), soft(shoulders, 0.45f), soft((shoulders + hips) * 0.5f, 0.42f),
                         soft(hips, 0.45f)});
    }
    return "";
}

static std::string model_text(const std::string& name, const BikeInfo& bike) {
    const BikeRiderPoints& rp = bike.rider_points;
    if (name == "front_wheel.jm") return jm_text(bike_wheel_model(bike.front_wheel, false));
    if (name == "rear_wheel.jm") return jm_text(bike_wheel_model(bike.rear_wheel, true));
    if (name == "rider_body.jm") return jm_text(rider_body_model(rp, 1, false));
    if (name == "rider_body_lod1.jm") return jm_text(rider_body_model(rp, 0, false));
    if (name == "rider_body_fp.jm") return jm_text(rider_body_model(rp, 1, true));
    if (name == "rider_head.jm") return jm_text(rider_head_model());
    if (name == "rider_plate.jm") return jm_text(rider_plate_model());
    if (ends_with(name, "_frame.jm")) return jm_text(bike_frame_model(bike, 1));
    if (ends_with(name, "_frame_lod1.jm")) return jm_text(bike_frame_model(bike, 0));
    if (ends_with(name, "_fork_upper.jm")) return jm_text(bike_fork_upper_model(bike));
    if (ends_with(name, "_fork_lower.jm")) return jm_text(bike_fork_lower_model(bike));
    if (ends_with(name, "_swingarm.jm")) return jm_text(bike_swingarm_model(bike));
    if (ends_with(name, "_side_plates.jm")) return jm_text(bike_side_plates_model(bike));
    if (ends_with(name, "_front_plate.jm")) return jm_text(bike_front_plate_model(bike));
    return "";
}

static std::string paint_texture(const std::string& base, int variant) {
    if (base == "wheels") return wheel_texture_png(variant);
    if (base == "rider_body") return rider_body_texture_png(variant);
    if (base == "rider_head") return rider_head_texture_png(variant);
    return bike_texture_png(base.c_str(), variant);
}

// A picture and its alternative looks ("name-altN.png"). Bikes painted
// alike get the same bytes, painted once.
static void add_picture_set(ContentFiles* files, std::set<std::string>* done, std::map<std::string, std::string>* painted,
                            const std::string& base, int alternatives) {
    std::string scheme = base == "wheels" || base == "rider_body" || base == "rider_head" ? base : bike_colour_scheme(base.c_str());
    for (int v = 0; v <= alternatives; v++) {
        std::string tail = v == 0 ? ".png" : "-alt" + std::to_string(v) + ".png";
        if (!done->insert(base + tail).second) continue;
        auto picture = painted->find(scheme + tail);
        if (picture == painted->end()) picture = painted->emplace(scheme + tail, paint_texture(base, v)).first;
        content_add(files, base + tail, picture->second);
        if (scheme == "wheels") {
            auto normals = painted->find("wheels_norm");
            if (normals == painted->end()) normals = painted->emplace("wheels_norm", wheel_normal_png()).first;
            content_add(files, base + tail.substr(0, tail.size() - 4) + "_norm.png", normals->second);
        }
    }
}

void add_bike_content(ContentFiles* files) {
    std::set<std::string> done;
    std::map<std::string, std::string> painted;  // colour scheme and look -> PNG bytes
    for (int row = 0; row < BIKE_CATALOGUE_ROWS; row++) {
        const BikeInfo& bike = *bike_catalogue_row(row);
        for (int f = 0; f < BIKE_FILE_COUNT; f++) {
            std::string name = bike.files[f][0] == '@' ? bike.files[f] + 1 : bike.files[f];
            if (ends_with(name, ".png")) {
                std::string base = name.substr(0, name.size() - 4);
                add_picture_set(files, &done, &painted, base, base == "rider_body" || base == "rider_head" ? 3 : 2);
                continue;
            }
            std::vector<std::string> names = {name};
            if (ends_with(name, "_frame.jm") || name == "rider_body.jm") names.push_back(name.substr(0, name.size() - 3) + "_lod1.jm");
            for (const std::string& n : names) {
                if (done.count(n)) continue;
                std::string text = ends_with(n, ".shp") ? shape_text(n, bike) : model_text(n, bike);
                if (text.empty()) {
                    fprintf(stderr, "rw_content: nothing builds '%s'\n", n.c_str());
                    assert(!"a catalogue file without a builder");
                    continue;
                }
                done.insert(n);
                content_add(files, n, text);
            }
        }
    }
}
