#include "tools/content/draw.h"

#include <algorithm>
#include <cmath>

static void blend(ContentImage* im, int x, int y, Rgb c, float a) {
    const float rgb[3] = {c.r, c.g, c.b};
    image_blend(*im, x, y, rgb, a);
}

// Coverage from a signed distance (negative inside), one pixel of soft edge.
static float cover(float distance) { return std::clamp(0.5f - distance, 0.0f, 1.0f); }

void draw_rect(ContentImage* im, float x0, float y0, float x1, float y1, Rgb c, float alpha) {
    for (int y = std::max(0, int(y0) - 1); y <= std::min(im->height - 1, int(y1) + 1); y++)
        for (int x = std::max(0, int(x0) - 1); x <= std::min(im->width - 1, int(x1) + 1); x++) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            float d = std::max(std::max(x0 - px, px - x1), std::max(y0 - py, py - y1));
            blend(im, x, y, c, cover(d) * alpha);
        }
}

void draw_ellipse(ContentImage* im, float cx, float cy, float rx, float ry, Rgb c, float alpha) {
    for (int y = std::max(0, int(cy - ry) - 1); y <= std::min(im->height - 1, int(cy + ry) + 1); y++)
        for (int x = std::max(0, int(cx - rx) - 1); x <= std::min(im->width - 1, int(cx + rx) + 1); x++) {
            float dx = (float(x) + 0.5f - cx) / rx, dy = (float(y) + 0.5f - cy) / ry;
            float d = (std::sqrt(dx * dx + dy * dy) - 1) * std::min(rx, ry);
            blend(im, x, y, c, cover(d) * alpha);
        }
}

void draw_disc(ContentImage* im, float cx, float cy, float radius, Rgb c, float alpha) {
    draw_ellipse(im, cx, cy, radius, radius, c, alpha);
}

void draw_ring(ContentImage* im, float cx, float cy, float radius, float thickness, Rgb c, float alpha) {
    float outer = radius + thickness * 0.5f;
    for (int y = std::max(0, int(cy - outer) - 1); y <= std::min(im->height - 1, int(cy + outer) + 1); y++)
        for (int x = std::max(0, int(cx - outer) - 1); x <= std::min(im->width - 1, int(cx + outer) + 1); x++) {
            float r = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
            blend(im, x, y, c, cover(std::fabs(r - radius) - thickness * 0.5f) * alpha);
        }
}

void draw_line(ContentImage* im, float x0, float y0, float x1, float y1, float width, Rgb c, float alpha) {
    float h = width * 0.5f;
    float ex = x1 - x0, ey = y1 - y0, len2 = std::max(ex * ex + ey * ey, 1e-6f);
    for (int y = std::max(0, int(std::min(y0, y1) - h) - 1); y <= std::min(im->height - 1, int(std::max(y0, y1) + h) + 1); y++)
        for (int x = std::max(0, int(std::min(x0, x1) - h) - 1); x <= std::min(im->width - 1, int(std::max(x0, x1) + h) + 1); x++) {
            float px = float(x) + 0.5f - x0, py = float(y) + 0.5f - y0;
            float t = std::clamp((px * ex + py * ey) / len2, 0.0f, 1.0f);
            float d = std::hypot(px - t * ex, py - t * ey) - h;
            blend(im, x, y, c, cover(d) * alpha);
        }
}

void draw_triangle(ContentImage* im, float x0, float y0, float x1, float y1, float x2, float y2, Rgb c,
                   float alpha) {
    float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
    float sign = area < 0 ? -1.0f : 1.0f;
    auto edge = [&](float ax, float ay, float bx, float by, float px, float py) {
        float ex = bx - ax, ey = by - ay, len = std::max(std::hypot(ex, ey), 1e-6f);
        return sign * ((px - ax) * ey - (py - ay) * ex) / len;  // > 0 outside
    };
    int ya = std::max(0, int(std::min({y0, y1, y2})) - 1), yb = std::min(im->height - 1, int(std::max({y0, y1, y2})) + 1);
    int xa = std::max(0, int(std::min({x0, x1, x2})) - 1), xb = std::min(im->width - 1, int(std::max({x0, x1, x2})) + 1);
    for (int y = ya; y <= yb; y++)
        for (int x = xa; x <= xb; x++) {
            float px = float(x) + 0.5f, py = float(y) + 0.5f;
            float d = std::max({edge(x0, y0, x1, y1, px, py), edge(x1, y1, x2, y2, px, py), edge(x2, y2, x0, y0, px, py)});
            blend(im, x, y, c, cover(d) * alpha);
        }
}
