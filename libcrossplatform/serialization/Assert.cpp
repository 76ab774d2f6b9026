#include "serialization/Assert.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace Kestrix {

std::string sourceName(const char* file) {
    std::string path = file ? file : "";
    for (const char* root : {"libcrossplatform/", "exports/", "tester/", "tools/"}) {
        auto at = path.rfind(root);
        if (at != std::string::npos) {
            path = path.substr(at + (std::string(root) == "libcrossplatform/" ? std::string(root).size() : 0));
            break;
        }
    }
    auto dot = path.rfind('.');
    auto slash = path.rfind('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

void assertFail(const char* expression, const char* file, unsigned line) {
    std::fprintf(stderr, "Assertion failed at %s:%u %s\n", sourceName(file).c_str(), line,
                 expression ? expression : "");
    std::fflush(stderr);
    std::abort();
}

}  // namespace Kestrix
