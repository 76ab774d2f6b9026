#pragma once
#include <memory>
#include <vector>

#include "common/ResultSummary.h"
#include "fiber/FiberTest.h"
#include "serialization/IDumpable.h"

namespace Kestrix {

class FiberOtdrTest;
class FiberLossLengthTest;
class FiberPowerMeterTest;
class FiberImageTest;

// Everything one stored fiber record holds: the result summary and its tests, in the order they were added.
class FiberResult : public Dump::IDumpable, public Dump::IJsonable {
public:
    FiberResult();
    ~FiberResult() override;
    FiberResult(FiberResult&&) noexcept;
    FiberResult& operator=(FiberResult&&) noexcept;

    // First test whose summary names that type, or null.
    FiberTest* getTest(FiberTestType type);
    const FiberTest* getTest(FiberTestType type) const;

    // The test of that type and class, created (with the type set) and appended when there is none.
    FiberOtdrTest& otdrTest(FiberTestType type);
    FiberLossLengthTest& lossLengthTest(FiberTestType type);
    FiberPowerMeterTest& powerMeterTest(FiberTestType type);
    FiberImageTest& imageTest(FiberTestType type);

    // Takes ownership; the test keeps the type its summary names.
    FiberTest& addTest(std::unique_ptr<FiberTest> test);

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"FiberResult": {"summary": ..., "tests": [...]}}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    ResultSummary summary;
    std::vector<std::unique_ptr<FiberTest>> tests;

private:
    template <typename T>
    T& testOf(FiberTestType type);
};

}  // namespace Kestrix
