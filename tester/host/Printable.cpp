#include "tester/host/Printable.h"

namespace Kestrix::Tester {
namespace {

// Length of the well-formed UTF-8 sequence of two or more bytes starting at `at`, or 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are not well formed).
size_t sequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (length > text.size() - at) return 0;
    if (byte(at + 1) < low || byte(at + 1) > high) return 0;
    for (size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf) return 0;
    return length;
}

}  // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out.push_back(c < 0x20 || c == 0x7f ? '?' : static_cast<char>(c));
            ++i;
            continue;
        }
        const size_t n = sequenceLength(text, i);
        // U+0080..U+009F, the C1 controls, are 0xC2 0x80..0x9F.
        if (n == 0 || (n == 2 && c == 0xc2 && static_cast<unsigned char>(text[i + 1]) <= 0x9f)) {
            out.push_back('?');
            i += n == 0 ? 1 : n;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

std::string printableLines(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t start = 0; start <= text.size();) {
        size_t nl = text.find('\n', start);
        const bool last = nl == std::string_view::npos;
        size_t end = last ? text.size() : nl;
        if (!last && end > start && text[end - 1] == '\r') --end;
        out += printable(text.substr(start, end - start));
        if (last) break;
        out.push_back('\n');
        start = nl + 1;
    }
    return out;
}

}  // namespace Kestrix::Tester
