// Pictures with lettering: the font sheets, the HUD, the title, the start
// gate's flaggers and the track-side banner.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/num.h"
#include "tools/content/assets.h"
#include "tools/content/draw.h"
#include "tools/content/fonts.h"
#include "tools/content/image.h"

static const char FONT_CHARS[] =
    "!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~";

static void text_with_outline(ContentFont* font, ContentImage* im, const char* text, float px, int x, int baseline,
                              Rgb colour, float outline) {
    const float dark[3] = {0.05f, 0.04f, 0.03f};
    const float rgb[3] = {colour.r, colour.g, colour.b};
    if (outline > 0)
        for (int k = 0; k < 16; k++) {
            float a = float(k) * PI_F / 8;
            font_draw_text(font, im, text, px, x + int(std::lround(std::cos(a) * outline)),
                           baseline + int(std::lround(std::sin(a) * outline)), dark);
        }
    font_draw_text(font, im, text, px, x, baseline, rgb);
}

static void text_centred(ContentFont* font, ContentImage* im, const char* text, float px, int cx, int baseline,
                         Rgb colour, float outline = 0) {
    int w = font_text_width(font, text, px);
    text_with_outline(font, im, text, px, cx - w / 2, baseline, colour, outline);
}

static ContentImage title_picture(ContentFont* font) {
    ContentImage im = image_make(1024, 256, 4, 0);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 1024; x++) {
            float edge = std::min({float(x), float(1023 - x), float(y), float(255 - y)});
            uint8_t* p = image_at(im, x, y);
            float t = float(y) / 255;
            p[0] = uint8_t(40 + 30 * t), p[1] = uint8_t(26 + 18 * t), p[2] = uint8_t(16 + 8 * t);
            p[3] = uint8_t(std::lround(210 * std::clamp(edge / 24, 0.0f, 1.0f)));
        }
    // A stripe of churned dirt under the name.
    draw_line(&im, 120, 200, 904, 188, 10, {0.85f, 0.45f, 0.10f});
    text_centred(font, &im, "RUTWISE", 150, 512, 168, {1.0f, 0.62f, 0.12f}, 5);
    text_centred(font, &im, "motocross simulator", 34, 512, 238, {0.95f, 0.92f, 0.85f}, 2);
    return im;
}

static ContentImage tach_picture(ContentFont* font) {
    ContentImage im = image_make(256, 256, 4, 0);
    draw_disc(&im, 128, 128, 124, {0.05f, 0.05f, 0.06f}, 0.8f);
    draw_ring(&im, 128, 128, 122, 4, {0.85f, 0.85f, 0.88f});
    // 0 to 14 thousand rpm over 270 degrees, clockwise from lower left.
    for (int k = 0; k <= 28; k++) {
        float a = PI_F * (0.75f + 1.5f * float(k) / 28);
        float inner = (k % 2 == 0) ? 92 : 102;
        Rgb c = k >= 22 ? Rgb{0.9f, 0.1f, 0.05f} : Rgb{0.95f, 0.95f, 0.95f};
        draw_line(&im, 128 + std::cos(a) * inner, 128 + std::sin(a) * inner, 128 + std::cos(a) * 114,
                  128 + std::sin(a) * 114, k % 2 == 0 ? 4 : 2, c);
        if (k % 4 == 0) {
            char label[8];
            snprintf(label, sizeof label, "%d", k / 2);
            text_centred(font, &im, label, 20, int(128 + std::cos(a) * 74), int(136 + std::sin(a) * 74),
                         {0.95f, 0.95f, 0.95f});
        }
    }
    text_centred(font, &im, "x1000 rpm", 14, 128, 200, {0.7f, 0.7f, 0.7f});
    draw_disc(&im, 128, 128, 9, {0.6f, 0.6f, 0.62f});
    return im;
}

static ContentImage shifter_picture(ContentFont* font) {
    ContentImage im = image_make(128, 128, 4, 0);
    draw_rect(&im, 8, 4, 120, 124, {0.06f, 0.06f, 0.07f}, 0.8f);
    draw_line(&im, 40, 14, 40, 114, 4, {0.7f, 0.7f, 0.72f});
    // One down, the rest up: 1 N 2 3 4 5 from the bottom.
    const char* gears[] = {"1", "N", "2", "3", "4", "5"};
    for (int g = 0; g < 6; g++) {
        int y = 116 - g * 19;
        draw_line(&im, 34, float(y - 7), 46, float(y - 7), 2, {0.7f, 0.7f, 0.72f});
        text_centred(font, &im, gears[g], 16, 78, y, g == 1 ? Rgb{0.2f, 0.9f, 0.3f} : Rgb{0.95f, 0.95f, 0.95f});
    }
    return im;
}

static ContentImage pitboard_picture() {
    ContentImage im = image_make(512, 256, 4, 0);
    draw_rect(&im, 4, 4, 508, 252, {0.07f, 0.07f, 0.08f}, 0.88f);
    draw_rect(&im, 4, 4, 508, 12, {0.95f, 0.95f, 0.95f});
    draw_rect(&im, 4, 244, 508, 252, {0.95f, 0.95f, 0.95f});
    draw_rect(&im, 4, 4, 12, 252, {0.95f, 0.95f, 0.95f});
    draw_rect(&im, 500, 4, 508, 252, {0.95f, 0.95f, 0.95f});
    return im;
}

// A standing figure, 128 x 256, feet at the bottom; `pose` moves the arms:
// 0 arms down, 1 both arms up holding a board, 2 one arm raised (flag),
// 3 walking.
static ContentImage figure(Rgb shirt, int pose) {
    ContentImage im = image_make(128, 256, 4, 0);
    Rgb skin = {0.85f, 0.68f, 0.55f}, pants = {0.15f, 0.17f, 0.25f};
    float stride = pose == 3 ? 20 : 12;
    draw_line(&im, 56, 150, 64 - stride, 250, 12, pants);
    draw_line(&im, 72, 150, 64 + stride, 250, 12, pants);
    draw_rect(&im, 46, 78, 82, 156, shirt);
    draw_disc(&im, 64, 58, 17, skin);
    draw_rect(&im, 47, 36, 81, 48, {0.15f, 0.15f, 0.15f});   // cap
    if (pose == 1) {
        draw_line(&im, 48, 84, 34, 40, 9, shirt);
        draw_line(&im, 80, 84, 94, 40, 9, shirt);
    } else if (pose == 2) {
        draw_line(&im, 48, 84, 40, 150, 9, shirt);
        draw_line(&im, 80, 84, 104, 30, 9, shirt);
    } else {
        float swing = pose == 3 ? 10 : 0;
        draw_line(&im, 48, 84, 42 - swing, 150, 9, shirt);
        draw_line(&im, 80, 84, 86 + swing, 150, 9, shirt);
    }
    return im;
}

static void board(ContentFont* font, ContentImage* im, float x0, float y0, float x1, float y1, const char* text,
                  Rgb ground, Rgb ink) {
    draw_rect(im, x0, y0, x1, y1, ground);
    if (text && *text) text_centred(font, im, text, (y1 - y0) * 0.7f, int((x0 + x1) / 2), int(y1 - (y1 - y0) * 0.22f), ink);
}

static void chequered_flag(ContentImage* im, float x0, float y0) {
    draw_line(im, x0, y0, x0, y0 + 70, 3, {0.3f, 0.3f, 0.3f});
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 5; c++) {
            bool white = (r + c) % 2 == 0;
            Rgb col = white ? Rgb{0.95f, 0.95f, 0.95f} : Rgb{0.05f, 0.05f, 0.05f};
            draw_rect(im, x0 + float(c) * 8, y0 + float(r) * 8, x0 + float(c + 1) * 8, y0 + float(r + 1) * 8, col);
        }
}

static void add_flaggers(ContentFiles* files, ContentFont* font) {
    Rgb starter = {0.9f, 0.9f, 0.92f}, official = {0.95f, 0.55f, 0.1f}, marshal = {0.2f, 0.35f, 0.8f};
    Rgb white = {0.96f, 0.96f, 0.96f}, black = {0.05f, 0.05f, 0.05f};
    // Starter: 30-second board, board turned sideways, board down, walking, aside.
    ContentImage s1 = figure(starter, 1);
    board(font, &s1, 20, 4, 108, 48, "30", white, black);
    ContentImage s2 = figure(starter, 1);
    board(font, &s2, 56, 0, 72, 60, "", white, black);
    ContentImage s3 = figure(starter, 0);
    board(font, &s3, 84, 120, 100, 176, "", white, black);
    ContentImage s4 = figure(starter, 3);
    ContentImage s5 = figure(starter, 0);
    content_add(files, "flaggers/starter-1.png", png_encode(s1));
    content_add(files, "flaggers/starter-2.png", png_encode(s2));
    content_add(files, "flaggers/starter-3.png", png_encode(s3));
    content_add(files, "flaggers/starter-4.png", png_encode(s4));
    content_add(files, "flaggers/starter-5.png", png_encode(s5));
    // Lap board: racing, halfway, last lap (white flag), chequered flag.
    ContentImage l1 = figure(official, 1);
    board(font, &l1, 20, 4, 108, 48, "", black, white);
    ContentImage l2 = figure(official, 1);
    board(font, &l2, 20, 4, 108, 48, "1/2", black, white);
    ContentImage l3 = figure(official, 2);
    draw_rect(&l3, 100, 0, 126, 22, white);
    board(font, &l3, 4, 96, 44, 130, "1", black, white);
    ContentImage l4 = figure(official, 2);
    chequered_flag(&l4, 84, 0);
    content_add(files, "flaggers/lapboard-1.png", png_encode(l1));
    content_add(files, "flaggers/lapboard-2.png", png_encode(l2));
    content_add(files, "flaggers/lapboard-3.png", png_encode(l3));
    content_add(files, "flaggers/lapboard-4.png", png_encode(l4));
    // Course marshal: standing, then waving the yellow flag over a fallen rider.
    ContentImage f1 = figure(marshal, 0);
    draw_line(&f1, 86, 150, 86, 95, 3, {0.3f, 0.3f, 0.3f});
    draw_rect(&f1, 86, 150, 100, 172, {0.95f, 0.85f, 0.1f});
    ContentImage f2 = figure(marshal, 2);
    draw_rect(&f2, 104, 4, 127, 30, {0.95f, 0.85f, 0.1f});
    draw_line(&f2, 104, 30, 104, 0, 3, {0.3f, 0.3f, 0.3f});
    content_add(files, "flaggers/flagger-1.png", png_encode(f1));
    content_add(files, "flaggers/flagger-2.png", png_encode(f2));
}

static ContentImage banner_picture(ContentFont* font) {
    ContentImage im = image_make(512, 128, 4, 0);
    draw_rect(&im, 0, 0, 512, 110, {0.80f, 0.10f, 0.08f});
    draw_rect(&im, 6, 6, 506, 104, {0.92f, 0.92f, 0.92f});
    draw_rect(&im, 12, 12, 500, 98, {0.80f, 0.10f, 0.08f});
    text_centred(font, &im, "RUTWISE", 68, 256, 80, {1, 1, 1});
    draw_rect(&im, 20, 110, 28, 128, {0.3f, 0.3f, 0.3f});
    draw_rect(&im, 484, 110, 492, 128, {0.3f, 0.3f, 0.3f});
    return im;
}

bool add_text_pictures(ContentFiles* files, ContentFont* font) {
    ContentImage sheet;
    if (!font_sheet(font, FONT_CHARS, 64, 52, 1, 512, &sheet)) return false;
    content_add(files, "font.png", png_encode(sheet));
    if (!font_sheet(font, "0123456789", 64, 72, 1, 256, &sheet)) return false;
    content_add(files, "numbers.png", png_encode(sheet));
    if (!font_sheet(font, "0123456789", 128, 136, 0.52f, 256, &sheet)) return false;
    content_add(files, "numbers-condensed.png", png_encode(sheet));
    content_add(files, "title.png", png_encode(title_picture(font)));
    content_add(files, "tach.png", png_encode(tach_picture(font)));
    content_add(files, "shifter.png", png_encode(shifter_picture(font)));
    content_add(files, "pitboard.png", png_encode(pitboard_picture()));
    content_add(files, "objects/banner.png", png_encode(banner_picture(font)));
    add_flaggers(files, font);
    return true;
}
