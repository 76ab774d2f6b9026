#pragma once
// A minimal PNG writer for 8-bit grayscale pictures (the end-face camera's images).
#include <cstdint>
#include <vector>

namespace Kestrix::LinkGen {

// `pixels` holds width * height values, row by row. Empty when zlib fails.
std::vector<uint8_t> encodeGrayPng(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height);

}  // namespace Kestrix::LinkGen
