#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/image.h"
#include "support/temp_dir.h"

TEST(ImageFile, WritePngStoresTheBufferBottomUpAndSafely) {
    TempDir dir;
    std::string path = dir.path + "/shot.png";
    unsigned char rgb[2 * 2 * 3] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    ASSERT_TRUE(write_png(path.c_str(), rgb, 2, 2));
    Image img;
    const char* error = nullptr;
    ASSERT_TRUE(read_image_file(path.c_str(), &img, &error)) << error;
    EXPECT_EQ(img.pixels, (std::vector<unsigned char>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
    // A refused write leaves the old file as it was.
    EXPECT_FALSE(write_png(path.c_str(), rgb, 0, 2));
    ASSERT_TRUE(read_image_file(path.c_str(), &img, &error));
    EXPECT_EQ(img.width, 2);
}

TEST(ImageFile, TerrainFormatsReadThroughTheDataLayer) {
    TempDir dir;
    dir.write("shading.ppm", "P6\n2 1\n255\nabcdef");
    dir.write("shadows.pgm", "P2 2 1 255 0 255\n");
    Image img;
    const char* error = nullptr;
    ASSERT_TRUE(read_ppm_file((dir.path + "/shading.ppm").c_str(), &img, &error)) << error;
    EXPECT_EQ(std::string(img.pixels.begin(), img.pixels.end()), "abcdef");
    ASSERT_TRUE(read_pgm_file((dir.path + "/shadows.pgm").c_str(), &img, &error)) << error;
    EXPECT_EQ(img.pixels, (std::vector<unsigned char>{0, 255}));
    EXPECT_FALSE(read_pgm_file((dir.path + "/shading.ppm").c_str(), &img, &error));
    EXPECT_STREQ(error, "Can't get PGM dimensions");
    EXPECT_FALSE(read_ppm_file((dir.path + "/none.ppm").c_str(), &img, &error));

    std::vector<uint16_t> heights = {0, 1000, 65535, 7};
    ASSERT_TRUE(write_png_grey16((dir.path + "/terrain.png").c_str(), heights.data(), 2, 2));
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(read_data_file_bytes((dir.path + "/terrain.png").c_str(), &bytes));
    int w, h;
    std::vector<uint16_t> back;
    ASSERT_TRUE(decode_png_grey16(bytes.data(), bytes.size(), &w, &h, &back, &error));
    EXPECT_EQ(back, heights);
}
