// Cleaning and wrapping of drawn text.
#include "tester/draw/Text.h"

#include <algorithm>
#include <cstdint>

#include "tester/draw/Painter.h"

namespace Kestrix::Draw {

namespace {

// Bytes of the UTF-8 character starting at text[i] (cleaned text: always whole and valid).
size_t charLength(const std::string& text, size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
    return std::min(len, text.size() - i);
}

// Splits one word into pieces no wider than `width` (at least one character each).
void breakWord(Painter& p, const std::string& word, double width, std::vector<std::string>& lines) {
    std::string piece;
    for (size_t i = 0; i < word.size();) {
        const size_t len = charLength(word, i);
        const std::string next = piece + word.substr(i, len);
        if (!piece.empty() && p.textWidth(next) > width) {
            lines.push_back(piece);
            piece = word.substr(i, len);
        } else {
            piece = next;
        }
        i += len;
    }
    lines.push_back(piece);
}

}  // namespace

std::string cleanText(const std::string& text, size_t maxBytes) {
    std::string out;
    out.reserve(std::min(text.size(), maxBytes));
    size_t i = 0;
    while (i < text.size() && out.size() < maxBytes) {
        const auto c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool ok = len != 0 && i + len <= text.size();
        uint32_t cp = len == 1 ? c : len == 2 ? (c & 0x1Fu) : len == 3 ? (c & 0x0Fu) : (c & 0x07u);
        for (size_t k = 1; ok && k < len; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            ok = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3Fu);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr uint32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (ok) ok = cp >= kLeast[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (ok && out.size() + len > maxBytes) break;  // never half a character
        if (!ok) {
            out += '?';
            ++i;
            continue;
        }
        if (len == 1 && (c < 0x20 || c == 0x7F)) {
            out += ' ';
        } else {
            out.append(text, i, len);
        }
        i += len;
    }
    return out;
}

std::vector<std::string> wrapText(Painter& p, const std::string& text, double width) {
    std::vector<std::string> lines;
    std::string line;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        const size_t end = std::min(text.find(' ', i), text.size());
        if (end == i) break;
        const std::string word = text.substr(i, end - i);
        i = end;
        const std::string joined = line.empty() ? word : line + " " + word;
        if (p.textWidth(joined) <= width) {
            line = joined;
            continue;
        }
        if (!line.empty()) lines.push_back(line);
        line.clear();
        if (p.textWidth(word) <= width) {
            line = word;
            continue;
        }
        breakWord(p, word, width, lines);
        line = lines.back();
        lines.pop_back();
    }
    if (!line.empty() || lines.empty()) lines.push_back(line);
    return lines;
}

}  // namespace Kestrix::Draw
