// A small number font image for the number-plate tests.
#pragma once
#include <vector>

// A font image of one row of ten 6 x 9 cells. The separator (magenta) marks
// each cell's start on the top line; digit "1" is solid white ink, "8" is
// white but fully transparent, the others carry a single ink pixel.
struct TestFont {
    enum { CELL_W = 6, CELL_H = 9, W = CELL_W * 10, H = CELL_H };
    std::vector<unsigned char> rgba = std::vector<unsigned char>(W * H * 4, 0);
    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
        unsigned char* p = &rgba[(y * W + x) * 4];
        p[0] = r, p[1] = g, p[2] = b, p[3] = a;
    }
    TestFont() {
        for (int d = 0; d < 10; ++d) {
            const int x0 = d * CELL_W;
            for (int y = 1; y < CELL_H; ++y) {
                for (int x = x0 + 1; x < x0 + CELL_W; ++x) {
                    if (d == 1) set(x, y, 255, 255, 255, 255);
                    if (d == 8) set(x, y, 255, 255, 255, 0);
                }
            }
            if (d != 1 && d != 8) set(x0 + 2, 4, 255, 255, 255, 255);
            set(x0, 0, 255, 0, 255, 255);
        }
    }
};
