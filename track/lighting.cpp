#include "track/lighting.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "base/data_file.h"
#include "base/messages.h"

static void set3(float v[3], float a, float b, float c) {
    v[0] = a;
    v[1] = b;
    v[2] = c;
}

static bool finite_all(const float* v, int n) {
    for (int i = 0; i < n; i++)
        if (!isfinite(v[i])) return false;
    return true;
}

static void normalise_sun(float sun[3]) {
    const float length = sqrtf(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
    if (!(length > 0) || !isfinite(length)) set3(sun, 1, 1, 1);
    const float l = sqrtf(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
    for (int i = 0; i < 3; i++) sun[i] /= l;
}

Lighting lighting_defaults() {
    Lighting l{};
    set3(l.sun, 1, 1, 1);
    normalise_sun(l.sun);
    set3(l.sun_colour, 1, 1, 1);
    set3(l.ambient, 0.5f, 0.5f, 0.5f);
    set3(l.global_ambient, 0.2f, 0.2f, 0.2f);
    l.near_plane = 0.25f;
    l.far_plane = 5000;
    return l;
}


static bool read_vector(const char* value, float out[3]) {
    float v[3];
    if (sscanf(value, " [ %f %f %f ] ", &v[0], &v[1], &v[2]) != 3 || !finite_all(v, 3)) return false;
    memcpy(out, v, sizeof v);
    return true;
}

static const char* const SKY_KEYS[LIGHTING_SKY_FACES] = {"sky_n", "sky_e", "sky_s", "sky_w", "sky_u", "sky_env"};
static const char* const SKY_DEFAULTS[LIGHTING_SKY_FACES] = {"@sky-n.ppm", "@sky-e.ppm", "@sky-s.ppm",
                                                             "@sky-w.ppm", "@sky-u.ppm", "@sky-env.ppm"};

// Applies one "key value" line; false for an unknown key.
static bool apply(Lighting* l, const std::string& key, const char* value, std::vector<FlareElement>* elements) {
    if (key == "sun_vector") read_vector(value, l->sun);
    else if (key == "sun_color") read_vector(value, l->sun_colour);
    else if (key == "ambient") read_vector(value, l->ambient);
    else if (key == "global_ambient") read_vector(value, l->global_ambient);
    else if (key == "flare_element") {
        static char image[1024];
        FlareElement e{};
        float v[6];
        if (sscanf(value, " [ %f %f ] [ %f %f %f ] %f %1023s", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5], image) == 7 &&
            finite_all(v, 6) && (int)elements->size() < LIGHTING_MAX_FLARE_ELEMENTS) {
            set3(e.colour, v[2], v[3], v[4]);
            e.placement[0] = v[0];
            e.placement[1] = v[1];
            e.size = v[5];
            e.image = image;
            elements->push_back(e);
        }
    } else if (key == "flare_point" || key == "flare_vector") {
        LensFlare f{};
        f.is_direction = key == "flare_vector";
        if (read_vector(value, f.at)) {
            f.elements = *elements;
            l->flares.push_back(f);
        }
        elements->clear();
    } else if (key == "fog") {
        float v[4];
        if (sscanf(value, " [ %f %f %f ] %f ", &v[0], &v[1], &v[2], &v[3]) == 4 && finite_all(v, 4)) {
            set3(l->fog_colour, v[0], v[1], v[2]);
            l->fog_density = v[3];
        }
    } else if (key == "dynamic_lighting") {
        int on = 0;
        if (sscanf(value, "%d", &on) == 1) l->dynamic_lighting = on > 0;
    } else if (key == "near_plane" || key == "far_plane") {
        float v;
        if (sscanf(value, "%f", &v) == 1 && isfinite(v)) (key == "near_plane" ? l->near_plane : l->far_plane) = v;
    } else {
        for (int f = 0; f < LIGHTING_SKY_FACES; f++) {
            if (key == SKY_KEYS[f]) {
                l->sky[f] = value;
                return true;
            }
        }
        return false;
    }
    return true;
}

void lighting_read(Lighting* l, DataStream* stream) {
    *l = lighting_defaults();
    l->has_file = true;
    std::vector<FlareElement> elements;
    std::string line;
    while (data_read_line(stream, &line)) {
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos) continue;
        size_t key_end = line.find_first_of(" \t\r", start);
        std::string key = line.substr(start, key_end == std::string::npos ? std::string::npos : key_end - start);
        std::string value;
        if (key_end != std::string::npos) {
            size_t v = line.find_first_not_of(" \t", key_end);
            if (v != std::string::npos) value = line.substr(v);
        }
        while (!value.empty() && isspace((unsigned char)value.back())) value.pop_back();
        if (key.empty()) continue;
        if (!apply(l, key, value.c_str(), &elements)) {
            show_messagef("Error reading lighting: Unknown identifier '%.950s'\n", key.c_str());
            break;
        }
    }
    // The far plane falls back to the near one when the file put it nearer,
    // judged before the near plane is clamped (far 1, near 2: both 0.875).
    const bool is_inverted = l->near_plane > l->far_plane;
    if (!(l->near_plane >= 1.0f / 1024)) l->near_plane = 1.0f / 1024;
    if (l->near_plane > 0.875f) l->near_plane = 0.875f;
    if (is_inverted) l->far_plane = l->near_plane;
    else if (l->far_plane > 1048576) l->far_plane = 1048576;
    normalise_sun(l->sun);
    for (int f = 0; f < LIGHTING_SKY_FACES; f++)
        if (l->sky[f].empty()) l->sky[f] = SKY_DEFAULTS[f];
}
