// Mip chains on the CPU: building them, rounding pictures to powers of two,
// cutting hand-made levels out of a picture, testing a level for detail its
// smaller neighbour does not already carry, and the border colour of a
// clamped texture. Pure functions on byte buffers; no OpenGL.
// A chain is level 0 (w x h) followed directly by each halved level (sides
// at least 1) down to 1 x 1; pixels are 3 (RGB) or 4 (RGBA) bytes, rows top
// to bottom.
#pragma once
#include <stddef.h>

#include <vector>

// Bytes of one level and of a whole chain.
size_t mip_level_bytes(int width, int height, int bytes_per_pixel);
size_t mip_chain_bytes(int width, int height, int bytes_per_pixel);
// Offset of level `level` inside a chain whose level 0 is width x height.
size_t mip_level_offset(int width, int height, int bytes_per_pixel, int level);
int mip_level_count(int width, int height);  // levels down to 1 x 1
bool is_power_of_two(int n);
int round_down_to_power_of_two(int n);       // largest power of two <= n (n >= 1)

// Fills every level after level 0 of `chain` (which must hold the whole chain).
// RGB: truncated mean of the 2 x 2 (or 2) parents. RGBA: alpha the truncated
// mean (or with `max_alpha` the largest parent alpha); colours weighted by
// alpha unless the parents are all transparent or all opaque.
void build_mip_chain_rgb(unsigned char* chain, int width, int height);
void build_mip_chain_rgba(unsigned char* chain, int width, int height, bool max_alpha);
void build_mip_chain(unsigned char* chain, int width, int height, int bytes_per_pixel, bool max_alpha);

// A whole chain for a single picture.
std::vector<unsigned char> make_mip_chain(const unsigned char* pixels, int width, int height, int bytes_per_pixel,
                                          bool max_alpha);

// Nearest-neighbour resampling of one picture to new_width x new_height
// (source index = floor(destination index * source size / destination size)).
std::vector<unsigned char> resample_nearest(const unsigned char* pixels, int width, int height, int bytes_per_pixel,
                                            int new_width, int new_height);

// Cuts a chain out of a picture holding its own levels: base W x H with
// H = 2/3 of the picture's height, each next level below the previous one,
// or in a new column to its right once a level reaches the bottom edge.
// False when the picture's shape does not allow the layout.
[[nodiscard]] bool cut_custom_mip_chain(const unsigned char* pixels, int width, int picture_height,
                                        int bytes_per_pixel, std::vector<unsigned char>* chain, int* height);

// True when every channel of every texel of the level (width x height) is
// within 4 of its prediction from `smaller` (the next level) by separable
// linear upsampling: the nearer parent weighs 3/4, the farther 1/4.
bool mip_level_is_redundant(const unsigned char* level, int width, int height, const unsigned char* smaller,
                            int bytes_per_pixel);

// Border colour of a clamped texture: for RGB the most frequent colour of the
// edge pixels with each channel quantised to 8 levels (ties go to the colour
// met first along the edges); transparent black for RGBA.
void mip_border_colour(const unsigned char* pixels, int width, int height, int bytes_per_pixel, float rgba[4]);

// Composites one RGBA texel "over" another: transparent texels only fill
// transparent places, opaque ones (or any onto a transparent place) replace,
// others blend by both alphas.
void composite_over(unsigned char dst[4], const unsigned char src[4]);
