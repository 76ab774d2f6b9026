#include "tester/session/ImportTempDir.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace Kestrix::Tester {

ImportTempDir::ImportTempDir() {
    std::error_code ec;
    auto base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::string pattern = (base / "kestrix-import-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        _error = "cannot make a temporary folder in " + base.string() + ": " + std::strerror(errno);
        return;
    }
    _path = pattern;
}

ImportTempDir::~ImportTempDir() {
    if (_path.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(_path, ec);
}

}  // namespace Kestrix::Tester
