// The tester's master and project databases on arbitrary bytes: opening, walking and reading every cell
// must fail cleanly. The first byte picks the table, the rest is the file, read in memory.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tester/db/MasterTbl.h"
#include "tester/db/SummaryTbl.h"
#include "tester/session/KestrixSum.h"

namespace {

using namespace Kestrix::Tester;

template <typename Read>
void walk(SQLiteTbl& t, const uint8_t* data, size_t size, Read read) {
    if (t.openBytes(data, size) != SQLiteTbl::kOpened) return;
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
    if (data[0] & 1) {
        MasterTbl t;
        walk(t, data + 1, size - 1,
             [&] { (void)(t.name().size() + t.dirName().size() + t.quarnId().size() + t.parentQuarnId().size()); });
    } else {
        SummaryTbl t;
        walk(t, data + 1, size - 1, [&] {
            (void)t.key();
            (void)t.timestamp();
            (void)t.name();
            (void)t.fileName();
            (void)storedLengthMeters(t.lengthScaledValue(), t.lengthScaleFactor());
        });
    }
    return 0;
}
