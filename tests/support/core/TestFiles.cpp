#include "core/TestFiles.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace kx::test {

std::filesystem::path freshFolder(const std::string& tag) {
    static std::atomic<int> counter{0};
    const char* base = std::getenv("KESTRIX_TEST_TMP");
    std::filesystem::path dir = base && *base ? std::filesystem::path(base) : std::filesystem::temp_directory_path();
    dir /= tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir;
}

std::string readText(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeText(const std::filesystem::path& p, const std::string& text) {
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

void writeBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
    writeText(p, std::string(bytes.begin(), bytes.end()));
}

}  // namespace kx::test
