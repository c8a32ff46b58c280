#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "base/image.h"

using namespace std::string_literals;

namespace {

std::vector<unsigned char> bytes_of(const std::string& s) { return std::vector<unsigned char>(s.begin(), s.end()); }

// A PNG written directly with libpng, for colour types our encoder never writes.
struct PngLayout {
    int width, height, colour_type, depth;
    std::vector<unsigned char> rows;   // packed as libpng expects, top row first
    std::vector<png_color> palette;
    std::vector<unsigned char> trns;  // palette alphas
    const char* text_before;
    const char* text_after;
};

void append(png_structp png, png_bytep data, png_size_t n) {
    auto* out = (std::vector<unsigned char>*)png_get_io_ptr(png);
    out->insert(out->end(), data, data + n);
}

std::vector<unsigned char> write_test_png(const PngLayout& s) {
    std::vector<unsigned char> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        ADD_FAILURE() << "libpng refused the test image";
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, append, nullptr);
    png_set_IHDR(png, info, s.width, s.height, s.depth, s.colour_type, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty()) png_set_PLTE(png, info, s.palette.data(), (int)s.palette.size());
    if (!s.trns.empty()) png_set_tRNS(png, info, s.trns.data(), (int)s.trns.size(), nullptr);
    png_text text = {};
    if (s.text_before) {
        text.compression = PNG_TEXT_COMPRESSION_NONE;
        text.key = (png_charp) "Comment";
        text.text = (png_charp)s.text_before;
        png_set_text(png, info, &text, 1);
    }
    png_write_info(png, info);
    size_t stride = s.rows.size() / s.height;
    for (int y = 0; y < s.height; y++) png_write_row(png, s.rows.data() + y * stride);
    if (s.text_after) {
        text.key = (png_charp) "Comment";
        text.text = (png_charp)s.text_after;
        png_set_text(png, info, &text, 1);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

// The J6/J7 encoder the content tools would use: byte = value - prediction.
std::vector<unsigned char> encode_j(const std::vector<unsigned char>& px, int w, int h, int ch,
                                    const std::string& header) {
    std::vector<unsigned char> out = bytes_of(header);
    size_t stride = (size_t)w * ch;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int c = 0; c < ch; c++) {
                size_t i = y * stride + x * ch + c;
                int p = 0;
                if (y == 0 && x > 0) p = px[i - ch];
                else if (x == 0 && y > 0) p = px[i - stride];
                else if (x > 0) p = std::clamp(px[i - ch] + px[i - stride] - px[i - stride - ch], 0, 255);
                out.push_back((unsigned char)(px[i] - p));
            }
    return out;
}

bool decode_netpbm_text(const std::string& file, bool pgm, Image* img, const char** error) {
    std::vector<unsigned char> data = bytes_of(file);
    return pgm ? decode_pgm(data.data(), data.size(), img, error) : decode_ppm(data.data(), data.size(), img, error);
}

}  // namespace

TEST(ImagePng, ColourTypesBecomeRgbOrRgba) {
    struct Case {
        const char* name;
        PngLayout png;
        int want_bpp;
        std::vector<unsigned char> want;  // decoded pixels
    } cases[] = {
        {"rgb 8", {2, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 250, 251, 252}, {}, {}, nullptr, nullptr},
         3, {1, 2, 3, 250, 251, 252}},
        {"rgba 16 stripped to the high byte",
         {1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 16, {0x12, 0xff, 0x34, 0x00, 0x56, 0x80, 0xff, 0xff}, {}, {}, nullptr, nullptr},
         4, {0x12, 0x34, 0x56, 0xff}},
        {"grey 8 to rgb", {2, 1, PNG_COLOR_TYPE_GRAY, 8, {7, 200}, {}, {}, nullptr, nullptr},
         3, {7, 7, 7, 200, 200, 200}},
        {"grey 1 bit expanded", {3, 1, PNG_COLOR_TYPE_GRAY, 1, {0xa0}, {}, {}, nullptr, nullptr},
         3, {255, 255, 255, 0, 0, 0, 255, 255, 255}},
        {"grey alpha to rgba", {1, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {9, 99}, {}, {}, nullptr, nullptr},
         4, {9, 9, 9, 99}},
        {"palette with transparency",
         {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {1, 0}, {{10, 20, 30}, {40, 50, 60}}, {128}, nullptr, nullptr},
         4, {40, 50, 60, 255, 10, 20, 30, 128}},
        {"palette 4 bit without transparency",
         {2, 1, PNG_COLOR_TYPE_PALETTE, 4, {0x10}, {{10, 20, 30}, {40, 50, 60}}, {}, nullptr, nullptr},
         3, {40, 50, 60, 10, 20, 30}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> file = write_test_png(c.png);
        Image img;
        const char* error = nullptr;
        ASSERT_TRUE(decode_png(file.data(), file.size(), &img, &error)) << error;
        EXPECT_EQ(img.width, c.png.width);
        EXPECT_EQ(img.height, c.png.height);
        EXPECT_EQ(img.bytes_per_pixel, c.want_bpp);
        EXPECT_EQ(img.pixels, c.want);
    }
}

TEST(ImagePng, TextChunksBeforeAndAfterTheImageFormTheInfo) {
    PngLayout s = {1, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0}, {}, {}, "[compress]", "[mip_max_alpha]"};
    std::vector<unsigned char> file = write_test_png(s);
    Image img;
    const char* error;
    ASSERT_TRUE(decode_png(file.data(), file.size(), &img, &error));
    EXPECT_NE(img.info.find("[compress]"), std::string::npos);
    EXPECT_NE(img.info.find("[mip_max_alpha]"), std::string::npos);
}

TEST(ImagePng, DamagedFilesAreRefused) {
    std::vector<unsigned char> good;
    unsigned char px[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(encode_png(px, 2, 2, 3, false, &good));
    std::vector<unsigned char> truncated(good.begin(), good.begin() + good.size() / 2);
    std::vector<unsigned char> bad_signature = good;
    bad_signature[1] = 'Q';
    // Claims 100000 x 100000 pixels in an otherwise tiny file.
    PngLayout huge_spec = {1, 1, PNG_COLOR_TYPE_GRAY, 8, {0}, {}, {}, nullptr, nullptr};
    std::vector<unsigned char> huge = write_test_png(huge_spec);
    auto set_size = [](std::vector<unsigned char>* f, uint32_t w, uint32_t h) {
        for (int i = 0; i < 4; i++) {
            (*f)[16 + i] = (unsigned char)(w >> (24 - 8 * i));  // IHDR width
            (*f)[20 + i] = (unsigned char)(h >> (24 - 8 * i));  // and height
        }
        uLong crc = crc32(0, f->data() + 12, 17);  // over type + data
        for (int i = 0; i < 4; i++) (*f)[29 + i] = (unsigned char)(crc >> (24 - 8 * i));
    };
    std::vector<unsigned char> within_limits = huge;
    set_size(&huge, 100000, 100000);
    set_size(&within_limits, 10000, 5000);  // 50 MB of pixels from a 70-byte file
    struct {
        const char* name;
        std::vector<unsigned char> data;
        const char* error;
    } cases[] = {{"truncated", truncated, "Can't decode PNG data"},
                 {"signature", bad_signature, "Not a PNG file"},
                 {"huge header", huge, "Can't decode PNG data"},
                 {"more pixels than the data can hold", within_limits, "Image larger than its data"},
                 {"empty", {}, "Not a PNG file"}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image img;
        const char* error = nullptr;
        EXPECT_FALSE(decode_png(c.data.data(), c.data.size(), &img, &error));
        EXPECT_STREQ(error, c.error);
        EXPECT_TRUE(img.pixels.empty());
    }
}

TEST(ImagePng, EncoderRoundTripsAndFlipsBottomUpBuffers) {
    unsigned char rgb[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, /* last row */ 7, 8, 9, 10, 11, 12};
    std::vector<unsigned char> file;
    ASSERT_TRUE(encode_png(rgb, 2, 2, 3, /*bottom_up*/ true, &file));
    Image img;
    const char* error;
    ASSERT_TRUE(decode_png(file.data(), file.size(), &img, &error));
    std::vector<unsigned char> want = {7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6};
    EXPECT_EQ(img.pixels, want);
}

TEST(ImagePng, Grey16ReadsWideSamplesAndWidensNarrowOnes) {
    uint16_t samples[3] = {0, 0x1234, 65535};
    std::vector<unsigned char> file;
    ASSERT_TRUE(encode_png_grey16(samples, 3, 1, &file));
    int w = 0, h = 0;
    std::vector<uint16_t> got;
    const char* error;
    ASSERT_TRUE(decode_png_grey16(file.data(), file.size(), &w, &h, &got, &error));
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(got, std::vector<uint16_t>(samples, samples + 3));

    unsigned char grey8[2] = {255, 1};
    ASSERT_TRUE(encode_png(grey8, 2, 1, 1, false, &file));
    ASSERT_TRUE(decode_png_grey16(file.data(), file.size(), &w, &h, &got, &error));
    EXPECT_EQ(got, (std::vector<uint16_t>{65535, 257}));
}

TEST(ImageNetpbm, PpmAndPgmBodiesAndHeaders) {
    struct Case {
        const char* name;
        bool pgm;
        std::string file;
        int w, h;
        std::vector<unsigned char> want;
    } cases[] = {
        {"binary ppm with comments", false, "P6\n# made by hand\n2 # trailing\n1\n#x\n255\n\x01\x02\x03\xfa\xfb\xfc", 2, 1,
         {1, 2, 3, 250, 251, 252}},
        {"text ppm scaled", false, "P3 1 1 15\n15 0 7\n", 1, 1, {255, 0, 119}},
        {"binary pgm", true, "P5\n2 2\n255\n\x00\x10\x20\xff"s, 2, 2, {0, 16, 32, 255}},
        {"text pgm scaled", true, "P2\n# c\n2 1\n3\n3 1\n", 2, 1, {255, 85}},
        {"16-bit binary pgm", true, "P5 1 1 65535\n\xff\xff"s, 1, 1, {255}},
        // Nine-digit text samples far above the maximum overflowed the scaling.
        {"text samples above the maximum", false, "P3 3 1 65535\n65535 0 0 655355535 0 999999999 70000 1 2\n", 3, 1,
         {255, 0, 0, 255, 0, 255, 255, 0, 0}},
        {"binary sample above the maximum", true, "P5 1 1 100\n\xc8"s, 1, 1, {255}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image img;
        const char* error = nullptr;
        bool ok = decode_netpbm_text(c.file, c.pgm, &img, &error);
        ASSERT_TRUE(ok) << error;
        EXPECT_EQ(img.width, c.w);
        EXPECT_EQ(img.height, c.h);
        EXPECT_EQ(img.bytes_per_pixel, c.pgm ? 1 : 3);
        EXPECT_EQ(img.pixels, c.want);
    }
}

TEST(ImageNetpbm, BrokenHeadersAndShortBodies) {
    struct Case {
        const char* name;
        bool pgm;
        std::string file;
        const char* error;
    } cases[] = {
        {"wrong token", false, "P5 1 1 255\n\x00"s, "Can't parse PPM header"},
        {"no height", false, "P6 4\n", "Can't get PPM dimensions"},
        {"zero width", false, "P6 0 4 255\n", "Can't get PPM dimensions"},
        {"huge dimensions", false, "P6 100000 100000 255\n", "Can't get PPM dimensions"},
        {"no maximum", false, "P6 1 1 x", "Can't parse PPM header"},
        {"short binary body", false, "P6 2 2 255\n\x01\x02\x03", "Short pixel data"},
        {"short text body", false, "P3 1 1 255 1 2", "Short pixel data"},
        {"big text claim", false, "P3 4000 4000 255 1 2 3", "Short pixel data"},
        {"pgm header", true, "P5 x", "Can't get PGM dimensions"},
        {"pgm token", true, "P6 1 1 255\n\x00\x00\x00"s, "Can't get PGM dimensions"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image img;
        const char* error = nullptr;
        bool ok = decode_netpbm_text(c.file, c.pgm, &img, &error);
        EXPECT_FALSE(ok);
        EXPECT_STREQ(error, c.error);
        EXPECT_TRUE(img.pixels.empty());
    }
}

TEST(ImageJ6J7, PredictiveDecodingRoundTrips) {
    // 3 x 3 picture with edges that push the planar prediction out of 0..255.
    std::vector<unsigned char> rgba = {
        0, 255, 10, 255,   255, 0, 20, 128,   30, 30, 30, 0,
        255, 0, 40, 1,     0, 255, 50, 2,     200, 100, 60, 3,
        17, 34, 51, 68,    85, 102, 119, 136, 153, 170, 187, 204,
    };
    std::vector<unsigned char> rgb;
    for (size_t i = 0; i < rgba.size(); i++)
        if (i % 4 != 3) rgb.push_back(rgba[i]);
    struct Case {
        const char* name;
        std::vector<unsigned char> file;
        int bpp;
        const std::vector<unsigned char>* want;
    } cases[] = {
        {"J7", encode_j(rgba, 3, 3, 4, "J7\n# comment\n3 3\n"), 4, &rgba},
        {"J6", encode_j(rgb, 3, 3, 3, "J6 3 3\n"), 3, &rgb},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image img;
        const char* error = nullptr;
        ASSERT_TRUE(decode_image(c.file.data(), c.file.size(), &img, &error)) << error;
        EXPECT_EQ(img.bytes_per_pixel, c.bpp);
        EXPECT_EQ(img.pixels, *c.want);
        std::vector<unsigned char> cut(c.file.begin(), c.file.end() - 1);
        EXPECT_FALSE(decode_image(cut.data(), cut.size(), &img, &error));
        EXPECT_STREQ(error, "Short pixel data");
    }
}

TEST(ImageToken, FirstWordOfAtMostFifteenCharacters) {
    struct {
        const char* text;
        const char* want;
    } cases[] = {{"  ANIM1\n3 3", "ANIM1"}, {"LINK @x.png", "LINK"}, {"", ""}, {"abcdefghijklmnopq", ""}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<unsigned char> d = bytes_of(c.text);
        EXPECT_EQ(image_file_token(d.data(), d.size()), c.want);
    }
}

TEST(ImageDamage, MutatedAndTruncatedFilesAreHandled) {
    // Every decoder sees flipped bytes and every truncation of small valid
    // files; each either decodes to a consistent image or refuses.
    unsigned char px[4 * 3 * 4];
    for (size_t i = 0; i < sizeof px; i++) px[i] = (unsigned char)(i * 37);
    std::vector<unsigned char> png;
    ASSERT_TRUE(encode_png(px, 4, 3, 4, false, &png));
    std::vector<std::vector<unsigned char>> files = {
        png,
        bytes_of("P6 4 3 255\n" + std::string((const char*)px, 36)),
        bytes_of("P3 2 1 9 1 2 3 4 5 6\n"),
        bytes_of("P5 4 3 255\n" + std::string((const char*)px, 12)),
        encode_j(std::vector<unsigned char>(px, px + 48), 4, 3, 4, "J7 4 3\n"),
    };
    std::mt19937 rng(99);
    int decoded = 0;
    for (const auto& original : files) {
        for (size_t cut = 0; cut <= original.size(); cut++) {
            std::vector<unsigned char> d(original.begin(), original.begin() + (long)cut);
            Image img;
            const char* error;
            if (decode_image(d.data(), d.size(), &img, &error)) {
                ASSERT_EQ(img.pixels.size(), (size_t)img.width * img.height * img.bytes_per_pixel);
                decoded++;
            }
        }
        for (int round = 0; round < 300; round++) {
            std::vector<unsigned char> d = original;
            for (int flips = 1 + (int)(rng() % 3); flips > 0; flips--) d[rng() % d.size()] = (unsigned char)rng();
            Image img;
            const char* error;
            if (decode_image(d.data(), d.size(), &img, &error)) {
                ASSERT_EQ(img.pixels.size(), (size_t)img.width * img.height * img.bytes_per_pixel);
            }
        }
    }
    EXPECT_GE(decoded, (int)files.size());  // at least each whole file
}
