#pragma once
#include <cstdint>

#include "fiber/FiberTestSummary.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

class Fiber;
class FiberLimit;

// Base of every fiber test (OTDR, loss/length, power meter, image). The summary is each test's first member.
class FiberTest : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    enum class Kind : int32_t { otdr = 0, lossLength = 1, powerMeter = 2, image = 3 };

    FiberTest() = default;
    explicit FiberTest(FiberTestType type) : summary(type) {}
    ~FiberTest() override = default;

    virtual Kind testKind() const = 0;
    // Copies the limit / fiber the test was made with; false when the test carries none.
    virtual bool getLimit(FiberLimit& out) const = 0;
    virtual bool getFiber(Fiber& out) const = 0;

    FiberTestType testType() const { return summary.testType; }

    FiberTestSummary summary;
};

}  // namespace Kestrix
