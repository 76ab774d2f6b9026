#include "Png.h"

#include <zlib.h>

namespace Kestrix::LinkGen {

namespace {

void put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    put32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    put32(out, static_cast<uint32_t>(crc));
}

}  // namespace

std::vector<uint8_t> encodeGrayPng(const std::vector<uint8_t>& pixels, uint32_t width, uint32_t height) {
    if (width == 0 || height == 0 || pixels.size() != static_cast<size_t>(width) * height) return {};
    // Each row starts with its filter type: 0, none.
    std::vector<uint8_t> raw;
    raw.reserve((static_cast<size_t>(width) + 1) * height);
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(y) * width);
        raw.insert(raw.end(), row, row + width);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK) return {};
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {8, 0, 0, 0, 0});  // 8-bit grayscale, deflate, no interlace
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", packed);
    chunk(out, "IEND", {});
    return out;
}

}  // namespace Kestrix::LinkGen
