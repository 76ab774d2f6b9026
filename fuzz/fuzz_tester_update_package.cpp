// Update packages as a tester's remote unit would get them. The first byte picks the input's form: even,
// the rest is a tar stream that is gzip-compressed here (so the fuzzer works on tar headers); odd, the rest
// is the package as it is. Entries handed out must be listed names within the limits; the check made before
// anything is sent must come back for any input.
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tester/maintenance/UpdatePackage.h"

namespace {

using namespace Kestrix::Tester;

std::vector<uint8_t> gzip(const uint8_t* data, size_t size) {
    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
    std::vector<uint8_t> out(deflateBound(&z, static_cast<uLong>(size)) + 64);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<uint8_t> package =
        data[0] % 2 == 0 ? gzip(data + 1, size - 1) : std::vector<uint8_t>(data + 1, data + size);
    PackageLimits limits;
    limits.maxEntryBytes = 1 << 16;
    limits.maxManifestBytes = 1 << 12;
    limits.maxUnpackedBytes = 1 << 20;
    UpdatePackage reader(package.data(), package.size(), limits);
    // The check before anything is sent reads the whole archive: within the same limits.
    reader.problem((data[0] & 2) != 0);
    auto manifest = reader.readManifest();
    std::vector<std::string> names = {"a.img", "x"};
    if (manifest)
        for (const auto& n : manifest->remote_update_files)
            if (isSafeImageName(n)) names.push_back(n);
    reader.forEachListedFile(names, [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        if (std::find(names.begin(), names.end(), name) == names.end() || bytes.empty() ||
            bytes.size() > limits.maxEntryBytes)
            std::abort();
        return true;
    });
    return 0;
}
