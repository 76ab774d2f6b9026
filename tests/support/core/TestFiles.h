#pragma once
// Where tests write files.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kx::test {

// A new, empty folder below the build's test folder (KESTRIX_TEST_TMP) or else the system's temporary folder;
// the tag, the process id and a count keep tests that run at once apart.
std::filesystem::path freshFolder(const std::string& tag);

// A file's bytes as text ("" when it cannot be read).
std::string readText(const std::filesystem::path& p);
// Writes the file whole, making its folder first.
void writeText(const std::filesystem::path& p, const std::string& text);
void writeBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes);

}  // namespace kx::test
