// An OTDR event table from arbitrary bytes; whatever reads successfully must survive every query and the
// bidirectional merge without reaching an assertion.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fiber/FiberOtdrBidiAvg.h"
#include "serialization/ByteStreamReader.h"
#include "serialization/JsonText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 0x7FFFFFFF) return 0;
    Marshal::ByteStreamReader r(data, static_cast<uint32_t>(size));
    Kestrix::FiberOtdrEventTable table;
    if (table.deserialize(r) != Marshal::ok) return 0;
    for (const auto& e : table.events)
        if (e.rowIndex >= table.rowCount()) std::abort();

    (void)Dump::toJsonString(table, Dump::DumpFlags{2}, true);
    (void)Dump::dumpToString(table);
    for (size_t g = 0; g < table.hiddenGroupCount(); ++g) {
        (void)table.getFirstRowIndexOfHiddenGroup(g);
        (void)table.getLastRowIndexOfHiddenGroup(g);
    }
    for (size_t i = 0; i < table.rowCount(); ++i) (void)table.getLastRowOfGroup(i);
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
    settings.otdrBendThresholdMap[Kestrix::OtdrBendWavelengths::wl1310_1550] = Kestrix::ScaledInt::raw(50, Kestrix::ScaledInt::hundredths);
    if (auto merged = Kestrix::mergeBidiTables(prepared, Kestrix::prepareBidiTable(map), settings)) {
        for (const auto& e : merged->events)
            if (e.rowIndex >= merged->rowCount()) std::abort();
        (void)Dump::toJsonString(*merged, Dump::DumpFlags{1}, true);
    }
    return 0;
}
