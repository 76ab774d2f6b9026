#pragma once
// Where tests write files.
#include <filesystem>
#include <string>

namespace kx::test {

// A new, empty folder below the build's test folder (KESTRIX_TEST_TMP) or else the system's temporary folder;
// the tag, the process id and a count keep tests that run at once apart.
std::filesystem::path freshFolder(const std::string& tag);

}  // namespace kx::test
