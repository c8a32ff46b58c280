// A track's "lighting" file: the sun and the colours that shade the ground
// and the objects, the sky images, fog, lens flares and the clipping planes.
// Read by the track load; the ground takes the sun and colours
// (`Terrain::lighting`), the frame renderer the rest. Reading only: no
// images are loaded here. Units: unit vectors, colours 0..1, ft for planes.
#pragma once
#include <string>
#include <vector>

struct DataStream;

enum { LIGHTING_MAX_FLARE_ELEMENTS = 8, LIGHTING_SKY_FACES = 6 };

// Sky faces in file order: north, east, south, west, up, environment.
enum { SKY_N, SKY_E, SKY_S, SKY_W, SKY_U, SKY_ENV };

struct FlareElement {
    float placement[2];  // (a, b)
    float colour[3];
    float size;
    std::string image;
};

struct LensFlare {
    bool is_direction;  // "flare_vector": a direction from the viewer; else a point
    float at[3];
    std::vector<FlareElement> elements;  // at most 8
};

struct Lighting {
    float sun[3];            // unit, towards the sun
    float sun_colour[3];
    float ambient[3];
    float global_ambient[3];
    float near_plane, far_plane;  // ft
    bool dynamic_lighting;
    float fog_colour[3];
    float fog_density;       // 0: no fog
    std::string sky[LIGHTING_SKY_FACES];  // image names; empty: none
    std::vector<LensFlare> flares;
    bool has_file;           // read from a file (sky defaults and fog apply)
};

// The values before any file: sun (1, 1, 1) normalised, white sun, ambient
// 0.5, global ambient 0.2, planes 0.25 and 5000, no fog, sky or flares.
Lighting lighting_defaults();

// Reads a lighting file over the defaults. An unknown key shows "Error
// reading lighting: Unknown identifier '%.950s'\n" and ends the reading (the
// values so far stay). Then clamps the planes, normalises the sun and names
// the default "@sky-*.ppm" image of every face the file did not name.
void lighting_read(Lighting* l, DataStream* stream);
