#include "ScreenImage.h"

#include <cairo.h>

#include <cstring>
#include <memory>

#include "Command.h"

namespace kx::cli {

std::vector<uint8_t> screenToPpm(const std::vector<uint8_t>& raw) {
    if (raw.size() < kScreenBytes) throw BadInput("the screen capture is shorter than one screen");
    const std::string header = "P6\n" + std::to_string(kScreenWidth) + " " + std::to_string(kScreenHeight) + "\n255\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    out.insert(out.end(), raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(kScreenBytes));
    return out;
}

void writeScreenPng(const std::vector<uint8_t>& raw, const std::string& path) {
    if (raw.size() < kScreenBytes) throw BadInput("the screen capture is shorter than one screen");
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kScreenWidth, kScreenHeight), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) throw BadInput("cannot make the picture");
    cairo_surface_flush(surface.get());
    uint8_t* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < kScreenHeight; ++y) {
        const uint8_t* src = raw.data() + size_t(y) * kScreenWidth * 3;
        auto* row = data + size_t(y) * static_cast<size_t>(stride);
        for (int x = 0; x < kScreenWidth; ++x, src += 3) {
            // RGB24 keeps each pixel as a native-endian 32-bit 0x00RRGGBB.
            const uint32_t px = uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
            std::memcpy(row + size_t(x) * 4, &px, 4);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    // Encoded in memory, then written as every output file is (under a temporary name, renamed).
    std::vector<uint8_t> png;
    const auto append = [](void* closure, const unsigned char* bytes, unsigned int length) {
        auto* out = static_cast<std::vector<uint8_t>*>(closure);
        out->insert(out->end(), bytes, bytes + length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (cairo_surface_write_to_png_stream(surface.get(), append, &png) != CAIRO_STATUS_SUCCESS)
        throw BadInput("cannot encode the picture");
    writeOutputFile(path, png);
}

}  // namespace kx::cli
