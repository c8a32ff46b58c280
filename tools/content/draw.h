// Simple anti-aliased shapes for the generated pictures (sprites, HUD art).
// Coordinates in pixels, colours 0..1, `alpha` is the shape's opacity.
#pragma once
#include "tools/content/image.h"

struct Rgb {
    float r, g, b;
};

void draw_rect(ContentImage* im, float x0, float y0, float x1, float y1, Rgb c, float alpha = 1);
void draw_disc(ContentImage* im, float cx, float cy, float radius, Rgb c, float alpha = 1);
void draw_ellipse(ContentImage* im, float cx, float cy, float rx, float ry, Rgb c, float alpha = 1);
void draw_ring(ContentImage* im, float cx, float cy, float radius, float thickness, Rgb c, float alpha = 1);
// A segment `width` px thick with round ends.
void draw_line(ContentImage* im, float x0, float y0, float x1, float y1, float width, Rgb c, float alpha = 1);
// Filled triangle.
void draw_triangle(ContentImage* im, float x0, float y0, float x1, float y1, float x2, float y2, Rgb c,
                   float alpha = 1);
