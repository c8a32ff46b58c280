// Text rasterised through FreeType for the generated pictures: the cut font
// sheets (cells marked by separator pixels) and captions drawn into images.
// Sizes in pixels; the face is DejaVu Sans from the system's font folder.
#pragma once
#include "tools/content/image.h"

struct ContentFont;  // owned; font_close releases it

[[nodiscard]] ContentFont* font_open(const char* path);
void font_close(ContentFont* font);

// A sheet of glyph cells for `chars` in order, rows `cell_height` high packed
// into an image `width` wide (power-of-two height). Every cell's top-left
// pixel is the separator colour (the sheet's top-left pixel); each row's
// cells together fill the width exactly, so the cells read back unchanged.
// White glyphs on transparent ground with a dark outline, `x_scale` < 1
// narrows them. False when a glyph is missing.
[[nodiscard]] bool font_sheet(ContentFont* font, const char* chars, int cell_height, float pixel_size,
                              float x_scale, int width, ContentImage* out);
// Width in pixels of `text` at `pixel_size`.
int font_text_width(ContentFont* font, const char* text, float pixel_size);
// Draws `text` with its baseline at y, starting at x, blended over the image.
void font_draw_text(ContentFont* font, ContentImage* im, const char* text, float pixel_size,
                    int x, int baseline, const float rgb[3]);
