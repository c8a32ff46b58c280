// The texture registry: named image files loaded once into OpenGL textures
// (mip chains built on the CPU, shrunk by the detail setting and by how much
// detail they really carry, wrapped and compressed as asked), kept per track
// generation and deleted when a later track no longer uses them; animated
// textures and script-composed frames; and a second registry of CPU images
// for code that reads pixels. Main thread, GL context current (except
// `load_image`). A tid is an OpenGL texture name; 0 means none.
#pragma once
#include <stddef.h>

// Flags of `create_texture`.
enum {
    TEXTURE_HREPEAT = 1,
    TEXTURE_VREPEAT = 2,
    TEXTURE_COMPRESS = 4,
    TEXTURE_NO_MIPMAP = 8,
};

// `render_options().texture_compress`: which PNG textures are compressed.
// The detail reduction r (mip levels dropped from large textures) is
// `render_options().model_texture_skip`.
enum { COMPRESS_NO = 0, COMPRESS_REQUESTED = 1, COMPRESS_ALWAYS = 2 };

// Loads (or reuses) the texture of a data name. A leading "!" means full
// detail. 0 when the file cannot be read ("Can't open texture" when verbose).
[[nodiscard]] int load_texture(const char* name);
// The registered texture of that name without loading; a name differing only
// in letter case is returned with "Warning: case mismatch on '%.900s'".
int find_texture(const char* name);
const char* texture_name(int tid);  // null for an unknown tid
const char* texture_info(int tid);  // ".info" text and PNG text chunks; null when absent

// The normal ("_norm") or specular ("_spec") map of a statue's texture: for
// "x-repeat.png" (or .ppm, .seq) the names "x_norm-repeat.seq", ".png",
// ".ppm"; otherwise the extension replaced by "_norm.seq", ".png", ".ppm";
// then the same endings on the model's name. The first that loads, or 0.
int load_companion_texture(const char* texture, const char* model, const char* kind);

// Creates a texture from a whole mip chain (3 or 4 bytes per pixel) without
// detail reduction; 0 on failure. Not registered by name.
[[nodiscard]] int create_texture(const unsigned char* chain, int width, int height, int bytes_per_pixel, int flags);
// Clamped with mip maps (terrain).
[[nodiscard]] int create_clamped_texture(const unsigned char* chain, int width, int height, int bytes_per_pixel);
// One level, no mip maps (fonts): `pixels` is level 0 only.
[[nodiscard]] int create_single_level_texture(const unsigned char* pixels, int width, int height,
                                              int bytes_per_pixel);
// Texture memory charged for a tid (bytes), 0 when unknown.
size_t texture_memory(int tid);

// Track generations: the track loader starts one at every load (the memory
// total restarts at 0), then calls `delete_unused_textures(false)` and
// reports "%d MB texture memory used\n" from `texture_memory_total`.
void begin_texture_generation();
int texture_generation();
size_t texture_memory_total();  // bytes charged in the current generation
// Deletes textures, images and animations of older generations (all of them
// with `all`, at exit; the registries are freed then).
void delete_unused_textures(bool all);

// Animated textures (".seq" files).
void update_animations(int tick);
void restart_animation(int tid, int tick);
void stop_animation(int tid);
// The frame index currently in the texture, or -1 when `tid` is not animated.
int animation_current_frame(int tid);

// Script-composed frames of an animated texture. Coordinates are fractions
// of the frame's width and height. Each returns false on failure (not
// animated, bad frame index, no composition started).
[[nodiscard]] bool begin_custom_frame(int tid);
[[nodiscard]] bool paste_custom_frame(int tid, int frame, float sx, float sy, float dx, float dy, float w, float h);
[[nodiscard]] bool end_custom_frame(int tid);

// CPU images: RGBA with the whole mip chain, sides powers of two.
struct CpuImage {
    const char* name;       // owned by the registry
    int width, height;
    unsigned char* pixels;  // owned by the registry; the whole chain
    int generation;
    size_t bytes;
};
// The registered or newly loaded image of a data name, or null. The record
// lives until `delete_unused_textures` drops its generation.
const CpuImage* load_image(const char* name);

// The HUD textures loaded at start-up (after the fonts).
struct HudTextures {
    int tach, shifter, pitboard, title;
};
HudTextures load_hud_textures();
const HudTextures& hud_textures();
// Draws the title picture over the whole window (2D, no depth test); does
// nothing without a title texture.
void draw_title_picture(int window_width, int window_height);
