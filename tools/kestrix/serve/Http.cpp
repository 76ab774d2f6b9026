#include "Http.h"

#include "Escape.h"

namespace kx::serve {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string percentDecode(const std::string& text, bool plusIsSpace) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(plusIsSpace && c == '+' ? ' ' : c);
    }
    return out;
}

Params Params::parse(const std::string& text) {
    Params p;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('&', start);
        if (end == std::string::npos) end = text.size();
        const std::string pair = text.substr(start, end - start);
        if (!pair.empty()) {
            const size_t eq = pair.find('=');
            const std::string name = percentDecode(pair.substr(0, eq), true);
            const std::string value = eq == std::string::npos ? "" : percentDecode(pair.substr(eq + 1), true);
            p._items.emplace_back(name, value);
        }
        start = end + 1;
    }
    return p;
}

const std::string& Params::empty() {
    static const std::string e;
    return e;
}

const std::string& Params::get(const std::string& name, const std::string& fallback) const {
    for (const auto& [n, v] : _items)
        if (n == name) return v;
    return fallback;
}

bool Params::has(const std::string& name) const {
    for (const auto& item : _items)
        if (item.first == name) return true;
    return false;
}

void Params::set(const std::string& name, const std::string& value) {
    erase(name);
    _items.emplace_back(name, value);
}

void Params::erase(const std::string& name) {
    std::erase_if(_items, [&](const auto& item) { return item.first == name; });
}

std::string Params::encode() const {
    std::string out;
    for (const auto& [n, v] : _items) {
        if (v.empty()) continue;
        if (!out.empty()) out.push_back('&');
        out += urlComponent(n) + "=" + urlComponent(v);
    }
    return out;
}

const std::string& Request::header(const std::string& lowerName) const {
    static const std::string none;
    auto it = headers.find(lowerName);
    return it == headers.end() ? none : it->second;
}

}  // namespace kx::serve
