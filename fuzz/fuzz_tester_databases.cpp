// The tester's master and project databases on arbitrary bytes: opening, walking and reading every cell
// must fail cleanly. The first byte picks the table, the rest is the file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tester/db/MasterTbl.h"
#include "tester/db/SummaryTbl.h"
#include "tester/session/KestrixSum.h"

namespace {

using namespace Kestrix::Tester;

const std::string& scratchPath() {
    static const std::string path = "/tmp/fuzz-tester-db-" + std::to_string(::getpid()) + ".sql";
    return path;
}

template <typename Read>
void walk(SQLiteTbl& t, Read read) {
    if (t.Open(scratchPath()) != 0) return;
    for (bool row = t.MoveFirst(); row; row = t.MoveNext()) {
        try {
            read();
        } catch (const SQLiteTblError&) {
        }
    }
    t.Find("name", "x");
    t.Find("key", int64_t{1});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* f = std::fopen(scratchPath().c_str(), "wb");
    if (!f) return 0;
    std::fwrite(data + 1, 1, size - 1, f);
    std::fclose(f);
    if (data[0] & 1) {
        MasterTbl t;
        walk(t, [&] { (void)(t.name().size() + t.dirName().size() + t.quarnId().size() + t.parentQuarnId().size()); });
    } else {
        SummaryTbl t;
        walk(t, [&] {
            (void)t.key();
            (void)t.timestamp();
            (void)t.name();
            (void)t.fileName();
            (void)storedLengthMeters(t.lengthScaledValue(), t.lengthScaleFactor());
        });
    }
    return 0;
}
