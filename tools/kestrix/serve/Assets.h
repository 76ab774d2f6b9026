#pragma once
// The style sheet, the script and the icon, compiled into the binary: nothing is fetched from elsewhere.
#include <string>

namespace kx::serve {

struct Asset {
    const char* contentType;
    std::string body;
};

// The asset at `path` ("/static/kestrix.css", "/favicon.svg", ...), or null.
const Asset* findAsset(const std::string& path);

}  // namespace kx::serve
