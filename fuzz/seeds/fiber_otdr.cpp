// Seeds of the OTDR fuzz targets: event tables from both ends, and OTDR and image test sections.
#include "SeedRegistry.h"
#include "common/ResultEnvelope.h"
#include "fiber/OtdrBuilders.h"

namespace {

using Kestrix::CableEnd;

std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<uint8_t> otdrSections(CableEnd end) {
    const Kestrix::FiberOtdrTest t = kx::test::otdrTest(end, 16);
    return concat({Kestrix::serializeToBytes(Kestrix::FiberOtdrTestBodyRef(t)), Kestrix::serializeToBytes(t.plots),
                   Kestrix::serializeToBytes(t.rawData)});
}

kx::fuzz::SeedRegistration t1("fuzz_otdr_event_table", "end1-table", [] {
    return Kestrix::serializeToBytes(kx::test::otdrTest(CableEnd::end1, 1).eventTable);
});
kx::fuzz::SeedRegistration t2("fuzz_otdr_event_table", "end2-table", [] {
    return Kestrix::serializeToBytes(kx::test::otdrTest(CableEnd::end2, 1).eventTable);
});
// The worst shapes for the event map, the preparation of the bidirectional merge and the JSON: most rows
// to be removed, or every row at one location, with many events. Small enough that the fuzzer keeps its
// pace: the full-size shapes are timed in the benchmarks.
kx::fuzz::SeedRegistration t3("fuzz_otdr_event_table", "removable-rows", [] {
    using Kestrix::EventType;
    return Kestrix::serializeToBytes(kx::test::hostileEventTable(
        {EventType::echo, EventType::weakSignal, EventType::outOfRange, EventType::end, EventType::echo}, false, 64,
        32));
});
kx::fuzz::SeedRegistration t4("fuzz_otdr_event_table", "one-location", [] {
    return Kestrix::serializeToBytes(kx::test::hostileEventTable({Kestrix::EventType::splice}, true, 64, 32));
});
kx::fuzz::SeedRegistration t5("fuzz_otdr_event_table", "wide-tolerances", [] {
    Kestrix::FiberOtdrTest t = kx::test::otdrTestWithRows(CableEnd::end1, 16, 1);
    for (auto& row : t.eventTable.rows) row.lengthTolMeas.posTolerance = row.lengthTolMeas.negTolerance = 1.0e6f;
    return Kestrix::serializeToBytes(t.eventTable);
});

kx::fuzz::SeedRegistration s1("fuzz_otdr_test", "end1-sections", [] { return otdrSections(CableEnd::end1); });
kx::fuzz::SeedRegistration s2("fuzz_otdr_test", "end2-whole",
                              [] { return Kestrix::serializeToBytes(kx::test::otdrTest(CableEnd::end2, 8)); });
kx::fuzz::SeedRegistration s3("fuzz_otdr_test", "image-sections", [] {
    const Kestrix::FiberImageTest t = kx::test::imageTest();
    Kestrix::FiberImageTest small = t;
    small.image = kx::test::fiberImage(32);
    return concat(
        {Kestrix::serializeToBytes(Kestrix::FiberImageTestBodyRef(small)), Kestrix::serializeToBytes(small.image)});
});

kx::fuzz::SeedRegistration w1("fuzz_sor_writer", "otdr-result", [] { return kx::test::otdrResultFile(200); });

}  // namespace
