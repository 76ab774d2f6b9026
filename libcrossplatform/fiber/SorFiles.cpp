#include "fiber/SorFiles.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/PFile.h"
#include "fiber/SorWriter.h"

namespace Kestrix {

namespace {

struct Pending {
    std::string tmp, path;
};

void removeAll(const std::vector<Pending>& files) {
    std::error_code ec;
    for (const auto& f : files) std::filesystem::remove(f.tmp, ec);
}

}  // namespace

SorFilesResult writeSorFiles(const FiberOtdrTest& test, const std::string& cableId, const std::string& prefix) {
    SorFilesResult result;
    const std::vector<uint16_t> wavelengths = sorWavelengths(test);
    if (wavelengths.empty()) {
        result.error = "the OTDR test holds no trace";
        return result;
    }
    std::vector<Pending> written;
    for (uint16_t wl : wavelengths) {
        const auto bytes = writeSor(test, wl, cableId);
        const std::string path = prefix + "-" + std::to_string(wl) + ".sor";
        if (!bytes) {
            removeAll(written);
            result.error = "the trace at " + std::to_string(wl) + " nm does not fit an SR-4731 file";
            return result;
        }
        const Pending p{path + ".tmp", path};
        if (!PFile::writeFileBytes(p.tmp, *bytes)) {
            removeAll(written);
            std::error_code ec;
            std::filesystem::remove(p.tmp, ec);
            result.error = "cannot write " + p.tmp;
            return result;
        }
        written.push_back(p);
    }
    for (size_t i = 0; i < written.size(); ++i) {
        std::error_code ec;
        std::filesystem::rename(written[i].tmp, written[i].path, ec);
        if (ec) {
            result.error = "cannot rename " + written[i].tmp + " to " + written[i].path + ": " + ec.message();
            // A partial set of wavelengths would pass for the whole test: take back those renamed too.
            for (size_t k = 0; k < i; ++k) std::filesystem::remove(written[k].path, ec);
            removeAll({written.begin() + static_cast<std::ptrdiff_t>(i), written.end()});
            return result;
        }
        result.paths.push_back(written[i].path);
    }
    result.ok = true;
    return result;
}

}  // namespace Kestrix
