// The screen capture written as pictures: pixels land where the tester put them, in the right colours.
#include "CliTesting.h"

#include <cairo.h>

#include <cstdio>
#include <cstring>

#include "ScreenImage.h"

TEST(ScreenImage, PpmIsTheCaptureBehindAHeaderAndPngHoldsEveryPixel) {
    std::vector<uint8_t> raw(kx::cli::kScreenBytes);
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<uint8_t>(i * 7 + i / 1920);
    const auto path = (std::filesystem::temp_directory_path() / ("kx-screen-" + std::to_string(::getpid()) + ".png"));
    kx::cli::writeScreenPng(raw, path.string());
    cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
    std::filesystem::remove(path);
    ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(s), 640);
    ASSERT_EQ(cairo_image_surface_get_height(s), 480);
    const uint8_t* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    size_t wrong = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            uint32_t px = 0;
            std::memcpy(&px, data + size_t(y) * size_t(stride) + size_t(x) * 4, 4);
            const uint8_t* want = raw.data() + (size_t(y) * 640 + size_t(x)) * 3;
            if (((px >> 16) & 0xff) != want[0] || ((px >> 8) & 0xff) != want[1] || (px & 0xff) != want[2]) ++wrong;
        }
    }
    cairo_surface_destroy(s);
    EXPECT_EQ(wrong, 0u);
    EXPECT_THROW(kx::cli::writeScreenPng(std::vector<uint8_t>(100), path.string()), kx::cli::BadInput);
    EXPECT_THROW(kx::cli::writeScreenPng(raw, "/nonexistent-dir/x.png"), kx::cli::BadInput);

    raw.push_back(0xEE);  // bytes after one screen are not part of the picture
    const auto ppm = kx::cli::screenToPpm(raw);
    const std::string header = "P6\n640 480\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + kx::cli::kScreenBytes);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<long>(header.size())), header);
    EXPECT_TRUE(std::equal(ppm.begin() + static_cast<long>(header.size()), ppm.end(), raw.begin()));
    raw.resize(kx::cli::kScreenBytes - 1);
    EXPECT_THROW(kx::cli::screenToPpm(raw), kx::cli::BadInput);
}
