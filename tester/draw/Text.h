#pragma once
// Text for pictures and reports: cleaned of what a drawing call must never see, and wrapped to a width.
#include <cstddef>
#include <string>
#include <vector>

namespace Kestrix::Draw {

class Painter;

// Valid UTF-8 without control characters, at most `maxBytes` bytes: tester names are neither, so every text
// from a result goes through here before it is drawn or written into a page.
std::string cleanText(const std::string& text, size_t maxBytes = 200);

// The text in lines no wider than `width` in the painter's current font: broken at spaces, and inside a word
// only when the word alone is wider. Never loses a character; an empty text gives one empty line.
std::vector<std::string> wrapText(Painter& p, const std::string& text, double width);

}  // namespace Kestrix::Draw
