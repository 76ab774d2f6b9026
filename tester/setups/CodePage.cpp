#include "tester/setups/CodePage.h"

#include <cstring>

namespace Kestrix::Tester {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;

// The next character of UTF-8 text at `i` (advanced past it); kReplacement for a malformed sequence,
// which then consumes one byte.
uint32_t nextCodePoint(const std::string& s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    size_t len = 0;
    uint32_t cp = 0;
    uint32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1Fu, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0Fu, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07u, min = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (s.size() - i < len) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3Fu);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += len;
    return cp;
}

void appendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

}  // namespace

std::string toSingleByte(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const uint32_t cp = nextCodePoint(utf8, i);
        out.push_back(cp <= 0xFF ? static_cast<char>(cp) : '?');
    }
    return out;
}

std::string fromSingleByte(const std::string& singleByte) {
    std::string out;
    out.reserve(singleByte.size() * 2);
    for (char c : singleByte) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string throughSingleByte(const std::string& utf8) { return fromSingleByte(toSingleByte(utf8)); }

std::string decodeUtf8Lenient(const std::string& bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) appendUtf8(out, nextCodePoint(bytes, i));
    return out;
}

std::string projectFileName(const std::string& projectName) {
    static const char* const kHex = "0123456789abcdef";
    std::string out;
    for (char ch : toSingleByte(projectName)) {
        const auto c = static_cast<unsigned char>(ch);
        const bool escaped = (c >= 'a' && c <= 'z') || (c != 0 && std::strchr(" \"%*./:;<>?\\|", c) != nullptr);
        if (escaped) {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 0xF]);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace Kestrix::Tester
