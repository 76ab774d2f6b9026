#pragma once
// The tester's file system, kept below one folder on disk: "/tmp/x" is ROOT/tmp/x. Paths that would
// leave the folder (through "..", or through a symbolic link pointing outside) are refused.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace Kestrix::Sim {

class SimVfs {
public:
    // The root must exist; it is kept in canonical form.
    explicit SimVfs(const std::filesystem::path& root);

    const std::filesystem::path& root() const { return _root; }

    // The host path for a tester path (relative paths start at "/"), or none when it leaves the root.
    // Links inside the path are followed; a link as the last component is kept as the link itself.
    std::optional<std::filesystem::path> map(std::string_view testerPath) const;

    // The tester path without ".", ".." and repeated slashes; none when ".." climbs above "/".
    static std::optional<std::string> normalize(std::string_view testerPath);

private:
    bool inside(const std::filesystem::path& p) const;

    std::filesystem::path _root;
};

}  // namespace Kestrix::Sim
