#pragma once
// Whole documents pinned by expected files. KESTRIX_UPDATE_GOLDEN=1 writes the files anew from the output;
// read what changed before committing them.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kx::test {

// The expected text in `file` (after writing `actual` there when asked to), for EXPECT_EQ(actual, ...).
inline std::string golden(const std::filesystem::path& file, const std::string& actual) {
    if (std::getenv("KESTRIX_UPDATE_GOLDEN") != nullptr) std::ofstream(file, std::ios::binary) << actual;
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kx::test
