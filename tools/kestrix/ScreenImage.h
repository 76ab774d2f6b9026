#pragma once
// The tester's screen capture (640 x 480 pixels of R, G, B bytes, top row first, no header) as files a
// viewer opens.
#include <cstdint>
#include <string>
#include <vector>

namespace kx::cli {

inline constexpr int kScreenWidth = 640;
inline constexpr int kScreenHeight = 480;
inline constexpr size_t kScreenBytes = size_t(kScreenWidth) * kScreenHeight * 3;

// Binary PPM ("P6"). `raw` must hold at least one screen; bytes after it are not part of the picture.
std::vector<uint8_t> screenToPpm(const std::vector<uint8_t>& raw);

// PNG through cairo; throws BadInput when the file cannot be written.
void writeScreenPng(const std::vector<uint8_t>& raw, const std::string& path);

}  // namespace kx::cli
