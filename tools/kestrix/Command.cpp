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

std::string printable(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) c = '?';
    }
    return out;
}

}  // namespace kx::cli
