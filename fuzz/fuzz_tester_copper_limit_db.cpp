// The copper limit database on arbitrary bytes: loading it, listing its rows and recertifying a result
// against each named limit must fail cleanly (a refused load, rcStatus 2), never crash or stall.
// Input: a 4-byte little-endian length, that many bytes of a result file, then the database file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>

#include "tester/db/CopperLimitsTbl.h"
#include "tester/record/TestRecordTarvel.h"

namespace {

using namespace Kestrix::Tester;

const std::string& scratchFolder() {
    static const std::string dir = [] {
        const auto d = std::filesystem::temp_directory_path() / ("kx-fuzz-culim-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d.string();
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t resultLen =
        uint32_t{data[0]} | (uint32_t{data[1]} << 8) | (uint32_t{data[2]} << 16) | (uint32_t{data[3]} << 24);
    if (resultLen > size - 4) return 0;
    const std::vector<uint8_t> result(data + 4, data + 4 + resultLen);
    data += 4 + resultLen;
    size -= 4 + resultLen;
    const std::string path = CopperLimitsTbl::pathIn(scratchFolder());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    CopperLimitsTbl table;
    if (table.Open(path) != SQLiteTbl::kOpened) return 0;
    std::vector<std::string> names;
    for (bool row = table.MoveFirst(); row && names.size() < 8; row = table.MoveNext()) {
        Kestrix::CopperLimit limit;
        table.openLimit(limit);
        try {
            names.push_back(table.name());
        } catch (const SQLiteTblError&) {
        }
    }
    Kestrix::CopperLimit first;
    std::string version = "V10.2";
    if (table.openFirstLimit(first)) version = first.getDbPkgMfstSummary().getVersionString();

    TestRecordTarvel record(result);
    if (!record.InitSpecDb(scratchFolder(), version)) return 0;
    for (const std::string& name : names) {
        record.Recertify(result, name, std::numeric_limits<float>::quiet_NaN());
        record.Recertify(result, name, 69.5f);
    }
    record.CloseSpecDb();
    return 0;
}
