#include "Command.h"

#include "common/PFile.h"

namespace kx::cli {

std::vector<uint8_t> readInputFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!PFile::readFileBytes(path, bytes)) throw BadInput("cannot read " + path);
    return bytes;
}

void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!PFile::writeFileBytes(path, bytes)) throw BadInput("cannot write " + path);
}

}  // namespace kx::cli
