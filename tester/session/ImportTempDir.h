#pragma once
// A private folder for one import's downloaded databases: made fresh (mode 0700, unique name) so two
// imports never share files, and removed with everything in it when the import is done with it.
#include <filesystem>
#include <string>

namespace Kestrix::Tester {

class ImportTempDir {
public:
    ImportTempDir();
    ~ImportTempDir();
    ImportTempDir(const ImportTempDir&) = delete;
    ImportTempDir& operator=(const ImportTempDir&) = delete;

    bool ok() const { return !_path.empty(); }
    const std::filesystem::path& path() const { return _path; }
    // Why the folder could not be made.
    const std::string& error() const { return _error; }

private:
    std::filesystem::path _path;
    std::string _error;
};

}  // namespace Kestrix::Tester
