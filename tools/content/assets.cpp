#include "tools/content/assets.h"

#include "tools/content/bike_content.h"
#include "tools/content/fonts.h"

bool shared_assets(ContentFiles* files, const char* font_path) {
    ContentFont* font = font_open(font_path);
    if (!font) return false;
    bool ok = add_text_pictures(files, font);
    font_close(font);
    if (!ok) return false;
    add_sky(files);
    add_ground_textures(files);
    add_nature_sprites(files);
    add_models(files);
    add_bike_content(files);
    add_engine_sounds(files);
    return true;
}
