// The rider's number-plate texture: the number font "@numbers.png" is read
// once and kept, the plate composed by sim/number_plate.h and uploaded with
// mip maps.
#pragma once

// Needs the GL context. Returns the plate's tid, or 0 when no texture could be made
// (a missing font gives a plain plate, logged once).
[[nodiscard]] int number_plate_texture(const char* number, const char* bike_texture_name);
// Deletes a plate texture when its bike is freed; 0 is ignored.
void number_plate_texture_release(int tid);
// Forgets the kept number font (shutdown; the next plate reads it again).
void number_plate_font_free();
