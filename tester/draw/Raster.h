#pragma once
// Pixel pictures: a 24-bit canvas drawn through a painter, the one PNG encoder every picture uses, and a
// checked PNG decoder for pictures that come from results.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

typedef struct _cairo_surface cairo_surface_t;

namespace Kestrix::Draw {

class Painter;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const;
};
using SurfacePtr = std::unique_ptr<cairo_surface_t, SurfaceDeleter>;

// Canvases above this many pixels, or wider or taller than kMaxSide, are refused rather than allocated.
inline constexpr double kMaxPixels = 64.0 * 1024 * 1024;
inline constexpr int kMaxSide = 16384;

// A white width x height canvas of 24-bit colour with `draw` done on it; null when refused or failed.
SurfacePtr rasterize(int width, int height, const std::function<void(Painter&)>& draw);
// The canvas as a PNG file's bytes; empty on failure.
std::vector<uint8_t> encodePng(cairo_surface_t* surface);
std::vector<uint8_t> renderPng(int width, int height, const std::function<void(Painter&)>& draw);

// Pictures stored in results larger than this on either side are not decoded.
inline constexpr uint32_t kMaxDecodedSide = 4096;
// Width and height from a PNG's header chunk; false when the bytes do not start like a PNG.
bool pngSize(const std::vector<uint8_t>& bytes, uint32_t& width, uint32_t& height);
// The picture as an image surface, or null when it is not a PNG of at most kMaxDecodedSide a side.
SurfacePtr decodePng(const std::vector<uint8_t>& bytes);

}  // namespace Kestrix::Draw
