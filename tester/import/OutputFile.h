#pragma once
// Files written on this machine: import folders, and every output file of the tool. A file is written under a
// temporary name beside its final one and renamed into place, so a full disk or a crash never leaves a cut
// file or truncates an older one; folders are made one level at a time and never through a link that leads
// out of the folder the user chose.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace Kestrix::Import {

enum class Durability {
    Now,    // the file (and its folder entry) are on the disk when the call returns
    Later,  // the caller syncs once for many files (syncFileSystem)
};

// Writes `bytes` to `path` through a temporary file in the same folder; throws std::runtime_error naming the
// file. On failure the temporary file is gone and an older file at `path` is as it was.
void writeAtomically(const std::filesystem::path& path, const uint8_t* data, size_t size,
                     Durability d = Durability::Now);
void writeAtomically(const std::filesystem::path& path, const std::string& bytes, Durability d = Durability::Now);
void writeAtomically(const std::filesystem::path& path, const std::vector<uint8_t>& bytes,
                     Durability d = Durability::Now);

// Makes `relative` (a folder below `root`) one component at a time. A component that exists must be a
// folder, or a link whose target is a folder inside `root`; anything else is refused (std::runtime_error)
// before a folder is made below it. `root` must be canonical. Returns the folder.
std::filesystem::path makeFolderInside(const std::filesystem::path& root, const std::filesystem::path& relative);

// True when `p` (absolute, normalised) is `root` or lies below it.
bool isInside(const std::filesystem::path& root, const std::filesystem::path& p);

// Puts everything written on the file system holding `folder` on the disk; throws std::runtime_error when
// the system reports that some of it could not be written.
void syncFileSystem(const std::filesystem::path& folder);

}  // namespace Kestrix::Import
