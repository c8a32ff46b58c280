#include "tools/content/fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <vector>

struct ContentFont {
    FT_Library library;
    FT_Face face;
};

ContentFont* font_open(const char* path) {
    FT_Library library;
    if (FT_Init_FreeType(&library)) return nullptr;
    FT_Face face;
    if (FT_New_Face(library, path, 0, &face)) {
        FT_Done_FreeType(library);
        return nullptr;
    }
    return new ContentFont{library, face};
}

void font_close(ContentFont* font) {
    if (!font) return;
    FT_Done_Face(font->face);
    FT_Done_FreeType(font->library);
    delete font;
}

static void set_size(ContentFont* font, float pixel_size, float x_scale) {
    FT_Set_Char_Size(font->face, 0, FT_F26Dot6(std::lround(pixel_size * 64)), 72, 72);
    FT_Matrix m = {FT_Fixed(std::lround(x_scale * 65536)), 0, 0, 0x10000};
    FT_Set_Transform(font->face, &m, nullptr);
}

// Coverage of one glyph: the bitmap, its offset from the pen and its advance.
struct Glyph {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<uint8_t> coverage;
};

static bool render_glyph(ContentFont* font, unsigned code, Glyph* g) {
    if (FT_Load_Char(font->face, code, FT_LOAD_RENDER)) return false;
    FT_GlyphSlot slot = font->face->glyph;
    g->width = int(slot->bitmap.width);
    g->rows = int(slot->bitmap.rows);
    g->left = slot->bitmap_left;
    g->top = slot->bitmap_top;
    g->advance = int((slot->advance.x + 32) >> 6);
    g->coverage.resize(size_t(g->width) * g->rows);
    for (int y = 0; y < g->rows; y++)
        for (int x = 0; x < g->width; x++)
            g->coverage[size_t(y) * g->width + x] = slot->bitmap.buffer[y * slot->bitmap.pitch + x];
    return true;
}

static const int OUTLINE = 2;  // px of dark rim around sheet glyphs

// One glyph into its cell, clipped to the cell's inside (the top row and left
// column keep the separator): a dark rim of dilated coverage under the
// white glyph.
static void draw_sheet_glyph(ContentImage* im, const Glyph& g, int ox, int oy, int x, int y0, int cell_w,
                             int cell_height) {
    for (int gy = -OUTLINE; gy < g.rows + OUTLINE; gy++)
        for (int gx = -OUTLINE; gx < g.width + OUTLINE; gx++) {
            int px = ox + gx, py = oy + gy;
            if (px <= x || px >= x + cell_w || py <= y0 || py >= y0 + cell_height) continue;
            float rim = 0, core = 0;
            for (int dy = -OUTLINE; dy <= OUTLINE; dy++)
                for (int dx = -OUTLINE; dx <= OUTLINE; dx++) {
                    if (dx * dx + dy * dy > OUTLINE * OUTLINE + 1) continue;
                    int sx = gx + dx, sy = gy + dy;
                    if (sx < 0 || sy < 0 || sx >= g.width || sy >= g.rows) continue;
                    rim = std::max(rim, g.coverage[size_t(sy) * g.width + sx] / 255.0f);
                }
            if (gx >= 0 && gy >= 0 && gx < g.width && gy < g.rows) core = g.coverage[size_t(gy) * g.width + gx] / 255.0f;
            float alpha = std::max(core, rim * 0.8f);
            if (alpha <= 0) continue;
            uint8_t* p = image_at(*im, px, py);
            uint8_t v = uint8_t(std::lround(255 * core / alpha));
            p[0] = p[1] = p[2] = v;
            p[3] = uint8_t(std::lround(255 * alpha));
        }
}

bool font_sheet(ContentFont* font, const char* chars, int cell_height, float pixel_size, float x_scale,
                int width, ContentImage* out) {
    set_size(font, pixel_size, x_scale);
    std::vector<Glyph> glyphs;
    for (const char* c = chars; *c; c++) {
        Glyph g;
        if (!render_glyph(font, (unsigned char)*c, &g)) return false;
        glyphs.push_back(std::move(g));
    }
    // Baseline: centre the tallest glyph extent in the cell.
    int top = 0, bottom = 0;
    for (const Glyph& g : glyphs) {
        top = std::max(top, g.top);
        bottom = std::max(bottom, g.rows - g.top);
    }
    int baseline = (cell_height - (top + bottom)) / 2 + top;
    // Rows: greedy packing, then the leftover width is shared out so that each
    // row's cells end exactly at the image's right edge.
    std::vector<std::vector<int>> rows(1);
    int used = 0;
    for (size_t i = 0; i < glyphs.size(); i++) {
        int w = glyphs[i].advance + 2 * OUTLINE + 1;
        if (used + w > width && !rows.back().empty()) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(int(i));
        used += w;
    }
    int height = 1;
    while (height < int(rows.size()) * cell_height) height *= 2;
    ContentImage im = image_make(width, height, 4, 0);
    for (uint8_t* p = im.pixels.data(); p < im.pixels.data() + im.pixels.size(); p += 4) p[0] = p[1] = p[2] = 255;
    std::vector<std::pair<int, int>> markers;
    for (size_t r = 0; r < rows.size(); r++) {
        int total = 0;
        for (int i : rows[r]) total += glyphs[i].advance + 2 * OUTLINE + 1;
        int slack = width - total, count = int(rows[r].size());
        int x = 0, y0 = int(r) * cell_height;
        for (int k = 0; k < count; k++) {
            const Glyph& g = glyphs[rows[r][k]];
            int extra = slack / count + (k < slack % count ? 1 : 0);
            int cell_w = g.advance + 2 * OUTLINE + 1 + extra;
            markers.push_back({x, y0});
            int ox = x + 1 + OUTLINE + extra / 2 + g.left, oy = y0 + baseline - g.top;
            draw_sheet_glyph(&im, g, ox, oy, x, y0, cell_w, cell_height);
            x += cell_w;
        }
    }
    // Close the last row so that its cells keep the row height.
    if (int(rows.size()) * cell_height < height) markers.push_back({0, int(rows.size()) * cell_height});
    for (auto [mx, my] : markers) {
        uint8_t* p = image_at(im, mx, my);
        p[0] = 255, p[1] = 0, p[2] = 255, p[3] = 255;
    }
    *out = std::move(im);
    return true;
}

int font_text_width(ContentFont* font, const char* text, float pixel_size) {
    set_size(font, pixel_size, 1);
    int w = 0;
    for (const char* c = text; *c; c++)
        if (!FT_Load_Char(font->face, (unsigned char)*c, FT_LOAD_DEFAULT))
            w += int((font->face->glyph->advance.x + 32) >> 6);
    return w;
}

void font_draw_text(ContentFont* font, ContentImage* im, const char* text, float pixel_size, int x,
                    int baseline, const float rgb[3]) {
    set_size(font, pixel_size, 1);
    for (const char* c = text; *c; c++) {
        Glyph g;
        if (!render_glyph(font, (unsigned char)*c, &g)) continue;
        for (int gy = 0; gy < g.rows; gy++)
            for (int gx = 0; gx < g.width; gx++)
                image_blend(*im, x + g.left + gx, baseline - g.top + gy, rgb,
                            g.coverage[size_t(gy) * g.width + gx] / 255.0f);
        x += g.advance;
    }
}
