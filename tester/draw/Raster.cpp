// Pixel canvases and the PNG encoder and decoder.
#include "tester/draw/Raster.h"

#include <cairo.h>

#include <algorithm>

#include "tester/draw/CairoPainter.h"

namespace Kestrix::Draw {

namespace {

struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* out = static_cast<std::vector<uint8_t>*>(closure);
    out->insert(out->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

struct ByteSource {
    const std::vector<uint8_t>* bytes;
    size_t pos = 0;
};

cairo_status_t readBytes(void* closure, unsigned char* data, unsigned int length) {
    auto* src = static_cast<ByteSource*>(closure);
    if (length > src->bytes->size() - src->pos) return CAIRO_STATUS_READ_ERROR;
    std::copy_n(src->bytes->begin() + static_cast<long>(src->pos), length, data);
    src->pos += length;
    return CAIRO_STATUS_SUCCESS;
}

uint32_t be32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
           static_cast<uint32_t>(b[at + 2]) << 8 | b[at + 3];
}

}  // namespace

void SurfaceDeleter::operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }

SurfacePtr rasterize(int width, int height, const std::function<void(Painter&)>& draw) {
    releaseFontCachesAtExit();
    if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide ||
        static_cast<double>(width) * height > kMaxPixels)
        return nullptr;
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    {
        std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
        cairo_set_source_rgb(cr.get(), 1, 1, 1);
        cairo_paint(cr.get());
        CairoPainter painter(cr.get());
        if (draw) draw(painter);
        if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    }
    cairo_surface_flush(surface.get());
    return surface;
}

std::vector<uint8_t> encodePng(cairo_surface_t* surface) {
    std::vector<uint8_t> out;
    if (surface == nullptr || cairo_surface_write_to_png_stream(surface, appendBytes, &out) != CAIRO_STATUS_SUCCESS)
        out.clear();
    return out;
}

std::vector<uint8_t> renderPng(int width, int height, const std::function<void(Painter&)>& draw) {
    SurfacePtr s = rasterize(width, height, draw);
    return s ? encodePng(s.get()) : std::vector<uint8_t>();
}

bool pngSize(const std::vector<uint8_t>& bytes, uint32_t& width, uint32_t& height) {
    static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (bytes.size() < 33 || !std::equal(kSignature, kSignature + 8, bytes.begin())) return false;
    width = be32(bytes, 16);
    height = be32(bytes, 20);
    return true;
}

SurfacePtr decodePng(const std::vector<uint8_t>& bytes) {
    uint32_t w = 0, h = 0;
    if (!pngSize(bytes, w, h) || w == 0 || h == 0 || w > kMaxDecodedSide || h > kMaxDecodedSide) return nullptr;
    ByteSource src{&bytes};
    SurfacePtr s(cairo_image_surface_create_from_png_stream(readBytes, &src));
    if (cairo_surface_status(s.get()) != CAIRO_STATUS_SUCCESS) return nullptr;
    return s;
}

}  // namespace Kestrix::Draw
