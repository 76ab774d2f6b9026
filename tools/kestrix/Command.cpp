#include "Command.h"

#include "common/PFile.h"

namespace kx::cli {

namespace {
std::vector<CommandSetup>& registry() {
    static std::vector<CommandSetup> setups;
    return setups;
}
}  // namespace

CommandRegistration::CommandRegistration(CommandSetup setup) { registry().push_back(std::move(setup)); }

void setupCommands(CLI::App& app) {
    for (auto& setup : registry()) setup(app);
}

std::vector<uint8_t> readInputFile(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!PFile::readFileBytes(path, bytes)) throw BadInput("cannot read " + path);
    return bytes;
}

void writeOutputFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (!PFile::writeFileBytes(path, bytes)) throw BadInput("cannot write " + path);
}

}  // namespace kx::cli
