// The CPU image registry (pixels read by the terrain and surface code), the
// HUD textures and the title picture.
#include <GL/gl.h>
#include <string.h>
#include <strings.h>

#include <memory>

#include "base/render_options.h"
#include "base/image.h"
#include "render/mip.h"
#include "render/texture.h"
#include "render/texture_local.h"

struct ImageRecord {
    CpuImage image;  // name and pixels point into the fields below
    std::string name;
    std::vector<unsigned char> chain;
};

static std::vector<std::unique_ptr<ImageRecord>> images;
static HudTextures hud;

// CPU images are shrunk while a level has more than this many pixels.
static const long CPU_IMAGE_SHRINK_PIXELS = 16384;

static ImageRecord* find_image(const char* name) {
    for (auto& r : images)
        if (r->name == name) return r.get();
    for (auto& r : images) {
        if (strcasecmp(r->name.c_str(), name) == 0) {
            texture_say("Warning: case mismatch on '%.900s'", name);
            return r.get();
        }
    }
    return nullptr;
}

// RGB to RGBA with alpha 255; RGBA unchanged.
static std::vector<unsigned char> to_rgba(const Image& image) {
    if (image.bytes_per_pixel == 4) return image.pixels;
    size_t count = (size_t)image.width * image.height;
    std::vector<unsigned char> out(count * 4);
    for (size_t i = 0; i < count; i++) {
        memcpy(&out[i * 4], &image.pixels[i * 3], 3);
        out[i * 4 + 3] = 255;
    }
    return out;
}

const CpuImage* load_image(const char* name) {
    if (!name) return nullptr;
    bool full_detail = name[0] == '!';
    if (full_detail) name++;
    if (ImageRecord* r = find_image(name)) {
        r->image.generation = texture_generation();
        return &r->image;
    }
    std::vector<unsigned char> bytes;
    Image image;
    bool is_png;
    if (!texture_read_file(name, &bytes) || !texture_decode(name, bytes, &image, &is_png)) {
        if (texture_verbose()) texture_say("Can't open image \"%.900s\"", name);
        return nullptr;
    }
    std::vector<unsigned char> rgba = to_rgba(image);
    int w = image.width, h = image.height;
    round_to_power_of_two(&rgba, &w, &h, 4);
    std::vector<unsigned char> chain = make_mip_chain(rgba.data(), w, h, 4, false);
    size_t offset = 0;
    int reduction = full_detail ? 0 : render_options().model_texture_skip;
    for (int dropped = 0; dropped < reduction && (long)w * h > CPU_IMAGE_SHRINK_PIXELS; dropped++) {
        offset += mip_level_bytes(w, h, 4);
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
    auto r = std::make_unique<ImageRecord>();
    r->name = name;
    r->chain.assign(chain.begin() + (long)offset, chain.end());
    r->image = CpuImage{r->name.c_str(), w, h, r->chain.data(), texture_generation(), r->chain.size()};
    images.push_back(std::move(r));
    return &images.back()->image;
}

void delete_unused_images(bool all) {
    int current = texture_generation();
    for (size_t i = images.size(); i-- > 0;) {
        int g = images[i]->image.generation;
        if (!all && (g == 0 || g == current)) continue;
        if (texture_verbose()) texture_say("deleting image %.900s", images[i]->name.c_str());
        images.erase(images.begin() + (long)i);
    }
    if (all) images.shrink_to_fit();
}

HudTextures load_hud_textures() {
    hud.tach = load_texture("!@tach.png");
    hud.shifter = load_texture("!@shifter.png");
    hud.pitboard = load_texture("!@pitboard.png");
    hud.title = load_texture("!@title.png");
    return hud;
}

const HudTextures& hud_textures() { return hud; }

void draw_title_picture(int window_width, int window_height) {
    if (hud.title == 0 || window_width <= 0 || window_height <= 0) return;
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, window_width, window_height, 0, -1, 1);  // y down, like the picture's rows
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, (GLuint)hud.title);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(0, 1);
    glVertex2f(0, (float)window_height);
    glTexCoord2f(1, 1);
    glVertex2f((float)window_width, (float)window_height);
    glTexCoord2f(1, 0);
    glVertex2f((float)window_width, 0);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}
