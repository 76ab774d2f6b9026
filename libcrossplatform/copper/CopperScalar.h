#pragma once
// The stored result of one scalar measurement (the loop resistance of a pair, a length, a delay...).
#include <cstdint>
#include <limits>

#include "common/ScaledInt.h"
#include "common/Status.h"
#include "copper/CopperTypes.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

enum class ScalarQualifier : int32_t {
    normal = 0,
    endNotFound = 1,
    open = 2,
    testNotRun = 3,
    tooShort = 4,
    tooLong = 5
};
// "normal", "endnotfound", "open", "testnotrun", "too short", "too long"; else empty.
const char* toString(ScalarQualifier q);

class CopperScalar : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    // Version 0 form: everything but wirePair2.
    static constexpr uint32_t kMinWireSize = 1 + 2 + 4 + 4 + 1 + 2 * ScaledInt::kWireSize;

    // No header: scalars exist only inside a copper test body.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    // The value as a ScaledInt at the scalar's own scale.
    ScaledInt scaledValue() const { return ScaledInt(value, scaledTo); }

    CopperTestType copperTestType = CopperTestType::none;
    CableEnd cableEnd = CableEnd::main;
    WirePair wirePair = WirePair::notset;
    WirePair wirePair2 = WirePair::notset;
    ScalarQualifier qualifier = ScalarQualifier::normal;
    float value = std::numeric_limits<float>::quiet_NaN();
    ScaledInt::ScaledTo scaledTo = ScaledInt::tenths;
    Status status = Status::show;
    ScaledInt limitMax;
    ScaledInt limitMin;
};

}  // namespace Kestrix
