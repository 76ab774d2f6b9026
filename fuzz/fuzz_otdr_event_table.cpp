// An OTDR event table from arbitrary bytes; whatever reads successfully must survive every query and the
// bidirectional merge without reaching an assertion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fiber/FiberOtdrBidiAvg.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"
#include "serialization/ReadObject.h"

namespace {
// Printing goes row by row and event by event: a small table reaches every line of it, and a large one
// would only measure the JSON library.
constexpr size_t kMaxPrintedRows = 8;
constexpr size_t kMaxPrintedEvents = 32;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > Marshal::kMaxStreamSize) return 0;
    Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
    Kestrix::FiberOtdrEventTable table;
    if (table.deserialize(r) != Marshal::ok) return 0;
    for (const auto& e : table.events)
        if (e.rowIndex >= table.rowCount()) std::abort();

    const bool print = table.rowCount() <= kMaxPrintedRows && table.events.size() <= kMaxPrintedEvents;
    if (print) {
        (void)Dump::toJsonString(table, Dump::DumpFlags{2}, true);
        (void)Dump::dumpToString(table);
    }
    // Each group query is linear in the rows: ask about a bounded sample of groups and rows, so that a large
    // table costs the fuzzer time in proportion to its size.
    const size_t groups = table.hiddenGroupCount();
    const size_t groupStep = groups / 64 + 1;
    for (size_t g = 0; g < groups; g += groupStep) {
        (void)table.getFirstRowIndexOfHiddenGroup(g);
        (void)table.getLastRowIndexOfHiddenGroup(g);
    }
    const size_t rowStep = table.rowCount() / 64 + 1;
    for (size_t i = 0; i < table.rowCount(); i += rowStep) (void)table.getLastRowOfGroup(i);
    if (table.rowCount() > 0) {
        const auto& first = table.rows.front().lengthTolMeas.value;
        const auto& last = table.rows.back().lengthTolMeas.value;
        (void)table.findSpanRows(FibDbus::OtdrSpan(first, last));
    }

    const Kestrix::FiberOtdrEventTable map = table.createEventMap();
    Kestrix::FiberOtdrEventTable cut = table;
    if (cut.rowCount() > 1) cut.removeRows(cut.rowCount() / 2, cut.rowCount() / 2 + 1);
    for (const auto& e : cut.events)
        if (e.rowIndex >= cut.rowCount()) std::abort();

    const Kestrix::FiberOtdrEventTable prepared = Kestrix::prepareBidiTable(table);
    Kestrix::FiberOtdrSettings settings;
    settings.otdrBendDetectionEnabled = true;
    settings.otdrBendThresholdMap[Kestrix::OtdrBendWavelengths::wl1310_1550] =
        Kestrix::ScaledInt::raw(50, Kestrix::ScaledInt::hundredths);
    if (auto merged = Kestrix::mergeBidiTables(prepared, Kestrix::prepareBidiTable(map), settings)) {
        for (const auto& e : merged->events)
            if (e.rowIndex >= merged->rowCount()) std::abort();
        if (print) (void)Dump::toJsonString(*merged, Dump::DumpFlags{1}, true);
    }
    return 0;
}
