// The copper limit database on arbitrary bytes: loading it, listing its rows and recertifying a result
// against a named limit must fail cleanly (a refused load, rcStatus 2), never crash or stall.
// Input: a 4-byte little-endian length, that many bytes of a result file, then the database file.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "tester/db/CopperLimitsTbl.h"
#include "tester/record/TestRecordTarvel.h"

namespace {

using namespace Kestrix::Tester;

// Every recertification reads the whole result again: two names are enough to reach every branch, and a
// limit decoded once per row shows what the table holds.
constexpr size_t kNamesRecertified = 2;
constexpr size_t kRowsDecoded = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    const uint32_t resultLen =
        uint32_t{data[0]} | (uint32_t{data[1]} << 8) | (uint32_t{data[2]} << 16) | (uint32_t{data[3]} << 24);
    if (resultLen > size - 4) return 0;
    const std::vector<uint8_t> result(data + 4, data + 4 + resultLen);
    data += 4 + resultLen;
    size -= 4 + resultLen;

    auto table = std::make_unique<CopperLimitsTbl>();
    if (table->openBytes(data, size) != SQLiteTbl::kOpened) return 0;
    std::vector<std::string> names;
    size_t rows = 0;
    for (bool row = table->MoveFirst(); row && rows < kRowsDecoded; row = table->MoveNext(), ++rows) {
        Kestrix::CopperLimit limit;
        table->openLimit(limit);
        try {
            if (names.size() < kNamesRecertified) names.push_back(table->name());
        } catch (const SQLiteTblError&) {
        }
    }
    Kestrix::CopperLimit first;
    std::string version = "V10.2";
    if (table->openFirstLimit(first)) version = first.getDbPkgMfstSummary().getVersionString();

    TestRecordTarvel record(result);
    if (!record.adoptSpecDb(std::move(table), version)) return 0;
    // The NVP is kept for the first name and replaced for the second: both paths of the rewrite.
    for (size_t i = 0; i < names.size(); ++i)
        record.Recertify(result, names[i], i == 0 ? std::numeric_limits<float>::quiet_NaN() : 69.5f);
    record.CloseSpecDb();
    return 0;
}
