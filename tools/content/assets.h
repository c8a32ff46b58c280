// The shared assets packed into "zzzz.saf": fonts, HUD pictures, sky,
// ground textures, object sprites and models, roost, flaggers, engine sounds.
// Every function appends named files to the set and is deterministic.
#pragma once
#include "tools/content/output.h"

struct ContentFont;

void add_sky(ContentFiles* files);
void add_ground_textures(ContentFiles* files);
void add_nature_sprites(ContentFiles* files);   // trees, bushes, roost, decals, flares, colours
[[nodiscard]] bool add_text_pictures(ContentFiles* files, ContentFont* font);  // fonts, HUD, flaggers, banner
void add_models(ContentFiles* files);           // start gate, hay bale, tuff block
void add_engine_sounds(ContentFiles* files);

// Everything above; false when the font cannot be read.
[[nodiscard]] bool shared_assets(ContentFiles* files, const char* font_path);
