// Writes every registered seed into OUTDIR/<target>/<name>.
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "SeedRegistry.h"
#include "common/PFile.h"

namespace kx::fuzz {
namespace {
std::vector<std::tuple<const char*, const char*, SeedMaker>>& registry() {
    static std::vector<std::tuple<const char*, const char*, SeedMaker>> seeds;
    return seeds;
}
}  // namespace

SeedRegistration::SeedRegistration(const char* target, const char* name, SeedMaker make) {
    registry().emplace_back(target, name, std::move(make));
}
}  // namespace kx::fuzz

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    int rc = 0;
    for (auto& [target, name, make] : kx::fuzz::registry()) {
        const std::filesystem::path dir = std::filesystem::path(argv[1]) / target;
        std::filesystem::create_directories(dir);
        if (!PFile::writeFileBytes((dir / name).string(), make())) rc = 1;
    }
    return rc;
}
