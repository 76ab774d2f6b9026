#include "Escape.h"

#include <cstdint>

namespace kx::serve {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t utf8Length(const std::string& s, size_t i) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t c = b(i);
    size_t n = 0;
    uint32_t cp = 0;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() - i < n) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

bool unreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

}  // namespace

std::string cleanUtf8(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    size_t run = 0;  // start of the printable ASCII copied as it is, most of any page
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            ++i;
            continue;
        }
        out.append(text, run, i - run);
        const size_t n = utf8Length(text, i);
        if (n == 0) {
            out += kReplacement;
            run = ++i;
            continue;
        }
        const bool c1 = n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
        if (n == 1 || c1) {
            out.push_back(' ');
        } else {
            out.append(text, i, n);
        }
        run = i += n;
    }
    out.append(text, run, std::string::npos);
    return out;
}

std::string html(const std::string& text) {
    const std::string clean = cleanUtf8(text);
    std::string out;
    out.reserve(clean.size() + 16);
    size_t run = 0;  // start of the bytes copied as they are
    for (size_t i = 0; i < clean.size(); ++i) {
        const char* entity;
        switch (clean[i]) {
            case '&': entity = "&amp;"; break;
            case '<': entity = "&lt;"; break;
            case '>': entity = "&gt;"; break;
            case '"': entity = "&quot;"; break;
            case '\'': entity = "&#39;"; break;
            default: continue;
        }
        out.append(clean, run, i - run);
        out += entity;
        run = i + 1;
    }
    out.append(clean, run, std::string::npos);
    return out;
}

std::string urlComponent(const std::string& text) {
    static const char* kHex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (unreserved(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(kHex[c >> 4]);
            out.push_back(kHex[c & 15]);
        }
    }
    return out;
}

std::string csvField(const std::string& text, bool isText) {
    std::string value = isText ? cleanUtf8(text) : text;
    if (isText && !value.empty() && (value[0] == '=' || value[0] == '+' || value[0] == '-' || value[0] == '@'))
        value.insert(value.begin(), '\'');
    if (value.find_first_of(",\"\r\n") == std::string::npos) return value;
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

std::string attachment(const std::string& name) {
    std::string ascii;
    for (unsigned char c : name) {
        const bool plain = c >= 0x20 && c < 0x7F && c != '"' && c != '\\' && c != '/' && c != ';' && c != '%';
        ascii.push_back(plain ? static_cast<char>(c) : '_');
    }
    if (ascii.empty()) ascii = "download";
    return "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" + urlComponent(cleanUtf8(name));
}

}  // namespace kx::serve
