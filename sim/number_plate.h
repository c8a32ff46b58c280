// The rider's number-plate picture: the number drawn in the plate colours
// onto 128 x 128 RGBA pixels, composed on the CPU from the digit glyphs of
// the number font image ("@numbers.png"). Called when a bike is created;
// render/number_plate_texture.h uploads the result. Pure: no OpenGL, no
// files. Pixels are 8-bit RGBA, rows top to bottom.
#pragma once

enum { NUMBER_PLATE_SIZE = 128, NUMBER_PLATE_MAX_CHARS = 7 };

struct NumberGlyphCell {
    int x0, y0, x1, y1;  // pixel rectangle in the font image, x1/y1 exclusive; empty when x1 <= x0
};

// The digit cells of a number font image. The image is borrowed.
struct NumberFont {
    const unsigned char* rgba;  // width * height * 4 bytes
    int width, height;
    unsigned int separator;     // RGBA of the top-left pixel, packed r | g << 8 | b << 16 | a << 24
    NumberGlyphCell digit[10];  // "0".."9"
};

// Cuts the cells of "0123456789" from a font image: the top-left pixel's
// colour separates cells; along a row's top line the next separator pixel
// ends a cell, down the left edge the next one ends the row. False when the
// image is empty or holds fewer than ten cells (the found ones are kept).
[[nodiscard]] bool number_font_cut(NumberFont* font, const unsigned char* rgba, int width, int height);

struct PlateColours {
    unsigned char background[3];  // RGB
    unsigned char foreground[3];
};

// The colours named by the bike texture's "[numberbackground:r,g,b" and
// "[numberforeground:r,g,b" tags (0..1 each); white and black when a tag is
// missing or does not parse.
PlateColours number_plate_colours(const char* bike_texture_name);

// Fills `out` (NUMBER_PLATE_SIZE^2 * 4 bytes) with the background and draws
// the first NUMBER_PLATE_MAX_CHARS characters of `number`, centred and as
// large as fits, in the foreground colour. Characters without a glyph leave a
// gap; a null font gives a plain plate.
void number_plate_pixels(const char* number, const PlateColours* colours, const NumberFont* font,
                         unsigned char* out);
