// Writes every registered sample file into the folder given as the only argument.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "SampleRegistry.h"
#include "common/PFile.h"

namespace kx::samples {
namespace {
std::vector<std::pair<const char*, SampleMaker>>& registry() {
    static std::vector<std::pair<const char*, SampleMaker>> makers;
    return makers;
}
}  // namespace

SampleRegistration::SampleRegistration(const char* fileName, SampleMaker make) {
    registry().emplace_back(fileName, std::move(make));
}
}  // namespace kx::samples

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    int rc = 0;
    for (auto& [name, make] : kx::samples::registry()) {
        const std::string path = std::string(argv[1]) + "/" + name;
        const auto bytes = make();
        if (bytes.empty() || !PFile::writeFileBytes(path, bytes)) {
            std::fprintf(stderr, "cannot make sample %s\n", path.c_str());
            rc = 1;
        }
    }
    return rc;
}
