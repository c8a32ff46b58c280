// Shared between the texture registry's source files only: messages, file
// reading, creation with reductions, and the animation hooks the registry
// calls.
#pragma once
#include <stddef.h>

#include <string>
#include <vector>

struct Image;

// Shows a message through the current sink.
void texture_say(const char* format, ...) __attribute__((format(printf, 1, 2)));
bool texture_verbose();

// Whole data file into `bytes`; false when it cannot be opened or read.
[[nodiscard]] bool texture_read_file(const char* name, std::vector<unsigned char>* bytes);

// Wrap flags from a name: "-repeat." both, else "-hrepeat." / "-vrepeat.".
int texture_wrap_flags(const char* name);

// Creates a texture from a chain (level 0 only with TEXTURE_NO_MIPMAP):
// rounding to powers of two, detail reduction by up to `reduction` levels,
// redundancy reduction (with its message under `name`), upload. Adds the
// memory charged to `*memory`. 0 on failure.
int texture_create_named(const char* name, const unsigned char* chain, int width, int height, int bytes_per_pixel,
                         int flags, int reduction, bool max_alpha, size_t* memory);
// Replaces every level of an existing texture with `chain` (uncompressed).
void texture_reupload(int tid, const unsigned char* chain, int width, int height, int bytes_per_pixel);

// Registers a loaded texture under the current generation.
void texture_register(int tid, const char* name, size_t memory, const std::string* info);
bool texture_registered(int tid);

// Animations (texture_anim.cpp): loads an "ANIM1" file; 0 on any error.
int load_animation(const char* name, const unsigned char* data, size_t size, int wrap_flags);
// Deletes every animation whose texture is gone; frees all with `all`.
void delete_orphan_animations(bool all);

// Image decoding as the loaders do it, by the file's first token (J7, J6,
// P6/P3, else PNG); the PNG's ".info" file is appended to its info text.
[[nodiscard]] bool texture_decode(const char* name, const std::vector<unsigned char>& bytes, Image* out,
                                  bool* is_png);

// Converts an RGB picture to power-of-two sides by nearest neighbour.
void round_to_power_of_two(std::vector<unsigned char>* pixels, int* width, int* height, int bytes_per_pixel);

// CPU image registry (texture_image.cpp): deletes images of older
// generations (all with `all`).
void delete_unused_images(bool all);
