#include "Command.h"

#include <filesystem>

#include "common/PFile.h"
#include "tester/import/OutputFile.h"

namespace kx::cli {

std::vector<uint8_t> readInputFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!PFile::readFileBytes(path, bytes)) throw BadInput("cannot read " + path);
    return bytes;
}

void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = path;
    // Through a link to the file it names; a device or a pipe (/dev/stdout) is written as it is.
    if (fs::is_symlink(fs::symlink_status(target, ec))) target = fs::weakly_canonical(target, ec);
    const auto st = fs::status(target, ec);
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        if (fs::is_directory(st) || !PFile::writeFileBytes(target.string(), bytes))
            throw BadInput("cannot write " + path);
        return;
    }
    try {
        Kestrix::Import::writeAtomically(target, bytes, Kestrix::Import::Durability::Now);
    } catch (const std::runtime_error& e) {
        throw BadInput(e.what());
    }
}

}  // namespace kx::cli
