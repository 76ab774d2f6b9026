#include "core/TestFiles.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>

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

}  // namespace kx::test
