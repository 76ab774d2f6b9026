#pragma once
// Result files for the record tests, made with the library's writers from the shared builders, and the record
// that reads them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/optional/optional_io.hpp>
#include <gtest/gtest.h>

#include "copper/CopperBuilders.h"
#include "copper/CopperResultWriter.h"
#include "fiber/FiberBuilders.h"
#include "fiber/FiberResultWriter.h"
#include "fiber/OtdrBuilders.h"
#include "tester/record/TestRecordTarvel.h"

namespace kx::test {

inline std::vector<uint8_t> fiberFile(const Kestrix::FiberResult& result) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(Kestrix::FiberResultWriter::writeResult(result, bytes), Kestrix::ResultWriterStatus::success);
    return bytes;
}

// With `stored`, the result's summary keeps that verdict whatever the test says.
inline std::vector<uint8_t> copperFile(const Kestrix::CopperTestPtr& test, const char* name = "Cat6A-PL-001",
                                       const Kestrix::Status* stored = nullptr) {
    Kestrix::CopperResult result;
    result.summary.resultType = Kestrix::ResultType::COPPER;
    result.mergeCopperTest(test, false);
    result.summary.resultName = name;
    if (stored) result.summary.status = *stored;
    return Kestrix::CopperResultWriter::writeResult(result);
}

// A fiber result holding the given OTDR tests (small traces).
inline Kestrix::FiberResult otdrOnly(std::vector<Kestrix::CableEnd> ends, const char* name = "OTDR-7") {
    Kestrix::FiberResult r;
    r.summary = kx::test::fiberSummary(name);
    for (Kestrix::CableEnd end : ends) r.addTest(std::make_unique<Kestrix::FiberOtdrTest>(kx::test::otdrTest(end, 64)));
    return r;
}

// 2024-01-15T10:00:00Z.
inline constexpr int64_t kCalibrated = 1705312800;

}  // namespace kx::test
