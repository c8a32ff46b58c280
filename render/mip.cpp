#include "render/mip.h"

#include <assert.h>
#include <stdlib.h>
#include <string.h>

static int half(int n) { return n > 1 ? n / 2 : 1; }

size_t mip_level_bytes(int width, int height, int bytes_per_pixel) {
    return (size_t)width * height * bytes_per_pixel;
}

int mip_level_count(int width, int height) {
    int count = 1;
    while (width > 1 || height > 1) {
        width = half(width);
        height = half(height);
        count++;
    }
    return count;
}

size_t mip_level_offset(int width, int height, int bytes_per_pixel, int level) {
    size_t offset = 0;
    for (int i = 0; i < level; i++) {
        offset += mip_level_bytes(width, height, bytes_per_pixel);
        width = half(width);
        height = half(height);
    }
    return offset;
}

size_t mip_chain_bytes(int width, int height, int bytes_per_pixel) {
    return mip_level_offset(width, height, bytes_per_pixel, mip_level_count(width, height));
}

bool is_power_of_two(int n) { return n > 0 && (n & (n - 1)) == 0; }

int round_down_to_power_of_two(int n) {
    int p = 1;
    while (p <= n / 2) p *= 2;
    return p;
}

// One level from its parent level; `channels` 3 or 4.
static void shrink_level(const unsigned char* src, int width, int height, unsigned char* dst, int channels,
                         bool max_alpha) {
    int nw = half(width), nh = half(height);
    for (int y = 0; y < nh; y++) {
        for (int x = 0; x < nw; x++) {
            const unsigned char* parents[4];
            int n = 0;
            int x0 = width > 1 ? 2 * x : 0, y0 = height > 1 ? 2 * y : 0;
            int xs = width > 1 ? 2 : 1, ys = height > 1 ? 2 : 1;
            for (int j = 0; j < ys; j++)
                for (int i = 0; i < xs; i++) parents[n++] = src + ((size_t)(y0 + j) * width + x0 + i) * channels;
            unsigned char* out = dst + ((size_t)y * nw + x) * channels;
            if (channels == 3) {
                for (int c = 0; c < 3; c++) {
                    int sum = 0;
                    for (int k = 0; k < n; k++) sum += parents[k][c];
                    out[c] = (unsigned char)(sum / n);
                }
                continue;
            }
            int alpha_sum = 0, alpha_max = 0;
            for (int k = 0; k < n; k++) {
                alpha_sum += parents[k][3];
                if (parents[k][3] > alpha_max) alpha_max = parents[k][3];
            }
            bool weighted = alpha_sum != 0 && alpha_sum != n * 255;
            for (int c = 0; c < 3; c++) {
                int sum = 0;
                for (int k = 0; k < n; k++) sum += weighted ? parents[k][c] * parents[k][3] : parents[k][c];
                out[c] = (unsigned char)(weighted ? sum / alpha_sum : sum / n);
            }
            out[3] = (unsigned char)(max_alpha ? alpha_max : alpha_sum / n);
        }
    }
}

void build_mip_chain(unsigned char* chain, int width, int height, int bytes_per_pixel, bool max_alpha) {
    assert(bytes_per_pixel == 3 || bytes_per_pixel == 4);
    unsigned char* level = chain;
    while (width > 1 || height > 1) {
        unsigned char* next = level + mip_level_bytes(width, height, bytes_per_pixel);
        shrink_level(level, width, height, next, bytes_per_pixel, max_alpha);
        level = next;
        width = half(width);
        height = half(height);
    }
}

void build_mip_chain_rgb(unsigned char* chain, int width, int height) {
    build_mip_chain(chain, width, height, 3, false);
}

void build_mip_chain_rgba(unsigned char* chain, int width, int height, bool max_alpha) {
    build_mip_chain(chain, width, height, 4, max_alpha);
}

std::vector<unsigned char> make_mip_chain(const unsigned char* pixels, int width, int height, int bytes_per_pixel,
                                          bool max_alpha) {
    std::vector<unsigned char> chain(mip_chain_bytes(width, height, bytes_per_pixel));
    memcpy(chain.data(), pixels, mip_level_bytes(width, height, bytes_per_pixel));
    build_mip_chain(chain.data(), width, height, bytes_per_pixel, max_alpha);
    return chain;
}

std::vector<unsigned char> resample_nearest(const unsigned char* pixels, int width, int height, int bytes_per_pixel,
                                            int new_width, int new_height) {
    std::vector<unsigned char> out(mip_level_bytes(new_width, new_height, bytes_per_pixel));
    for (int y = 0; y < new_height; y++) {
        int sy = (int)((long long)y * height / new_height);
        for (int x = 0; x < new_width; x++) {
            int sx = (int)((long long)x * width / new_width);
            memcpy(&out[((size_t)y * new_width + x) * bytes_per_pixel],
                   pixels + ((size_t)sy * width + sx) * bytes_per_pixel, bytes_per_pixel);
        }
    }
    return out;
}

bool cut_custom_mip_chain(const unsigned char* pixels, int width, int picture_height, int bytes_per_pixel,
                          std::vector<unsigned char>* chain, int* height) {
    if (picture_height <= 0 || (2 * picture_height) % 3 != 0) return false;
    int base_height = 2 * picture_height / 3;
    if (!is_power_of_two(width) || !is_power_of_two(base_height)) return false;
    chain->assign(mip_chain_bytes(width, base_height, bytes_per_pixel), 0);
    int x = 0, y = 0, w = width, h = base_height;
    size_t offset = 0;
    size_t picture_stride = (size_t)width * bytes_per_pixel;
    for (int level = mip_level_count(width, base_height); level > 0; level--) {
        if (x + w > width || y + h > picture_height) return false;
        for (int row = 0; row < h; row++) {
            memcpy(chain->data() + offset + (size_t)row * w * bytes_per_pixel,
                   pixels + (size_t)(y + row) * picture_stride + (size_t)x * bytes_per_pixel, (size_t)w * bytes_per_pixel);
        }
        offset += mip_level_bytes(w, h, bytes_per_pixel);
        if (y + h >= picture_height) x += w;
        else y += h;
        w = half(w);
        h = half(h);
    }
    *height = base_height;
    return true;
}

// Upsampling index pair for destination index i from a level half as long.
static void parents_of(int i, int parent_count, int* nearer, int* farther) {
    int p = i / 2;
    int f = (i & 1) ? p + 1 : p - 1;
    *nearer = p;
    *farther = f < 0 ? 0 : f >= parent_count ? parent_count - 1 : f;
}

bool mip_level_is_redundant(const unsigned char* level, int width, int height, const unsigned char* smaller,
                            int bytes_per_pixel) {
    int sw = half(width), sh = half(height);
    int bpp = bytes_per_pixel;
    // Horizontal pass: sh rows of `width` texels.
    std::vector<int> wide((size_t)sh * width * bpp);
    for (int y = 0; y < sh; y++) {
        for (int x = 0; x < width; x++) {
            for (int c = 0; c < bpp; c++) {
                int v;
                if (sw == width) v = smaller[((size_t)y * sw + x) * bpp + c];
                else {
                    int n, f;
                    parents_of(x, sw, &n, &f);
                    v = (3 * smaller[((size_t)y * sw + n) * bpp + c] + smaller[((size_t)y * sw + f) * bpp + c]) / 4;
                }
                wide[((size_t)y * width + x) * bpp + c] = v;
            }
        }
    }
    for (int y = 0; y < height; y++) {
        int n = y, f = y;
        if (sh != height) parents_of(y, sh, &n, &f);
        for (int x = 0; x < width; x++) {
            for (int c = 0; c < bpp; c++) {
                int a = wide[((size_t)n * width + x) * bpp + c];
                int predicted = sh == height ? a : (3 * a + wide[((size_t)f * width + x) * bpp + c]) / 4;
                if (abs(level[((size_t)y * width + x) * bpp + c] - predicted) > 4) return false;
            }
        }
    }
    return true;
}

void mip_border_colour(const unsigned char* pixels, int width, int height, int bytes_per_pixel, float rgba[4]) {
    rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0f;
    if (bytes_per_pixel != 3) return;
    int counts[512] = {0};
    int best = -1;
    auto count_pixel = [&](int x, int y) {
        const unsigned char* p = pixels + ((size_t)y * width + x) * 3;
        int key = (p[0] * 7 / 255) << 6 | (p[1] * 7 / 255) << 3 | (p[2] * 7 / 255);
        counts[key]++;
        if (best < 0 || counts[key] > counts[best]) best = key;
    };
    for (int x = 0; x < width; x++) count_pixel(x, 0);
    for (int x = 0; x < width; x++) count_pixel(x, height - 1);
    for (int y = 0; y < height; y++) count_pixel(0, y);
    for (int y = 0; y < height; y++) count_pixel(width - 1, y);
    rgba[0] = (float)(best >> 6) / 7.0f;
    rgba[1] = (float)(best >> 3 & 7) / 7.0f;
    rgba[2] = (float)(best & 7) / 7.0f;
}

void composite_over(unsigned char dst[4], const unsigned char src[4]) {
    int a = src[3], b = dst[3];
    if (a == 0) {
        if (b == 0) memcpy(dst, src, 4);
        return;
    }
    if (a == 255 || b == 0) {
        memcpy(dst, src, 4);
        return;
    }
    if (b == 255) {
        for (int c = 0; c < 3; c++) dst[c] = (unsigned char)((src[c] * a + dst[c] * (255 - a)) / 255);
        return;
    }
    int n = b * (255 - a) + 255 * a;
    for (int c = 0; c < 3; c++) dst[c] = (unsigned char)((src[c] * a * 255 + dst[c] * b * (255 - a)) / n);
    dst[3] = (unsigned char)(a + b * (255 - a) / 255);
}
