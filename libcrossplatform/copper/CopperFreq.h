#pragma once
// The summary of one measured quantity for one end and pair (or pair combination) over the frequency sweep.
#include <cstdint>

#include "common/ScaledInt.h"
#include "common/Status.h"
#include "copper/CopperLimitTypes.h"
#include "copper/CopperTypes.h"
#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Kestrix {

class CopperFreq : public Dump::IDumpable, public Marshal::ISerializable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 0;

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // No header: a record exists only inside a CopperFreqList.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    // {"CopperFreq": body}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    // The record's own object, as the list's "_freqs" array holds it.
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    ScaledInt getWmValue() const { return wmValue; }
    ScaledInt getWmLimit() const { return wmLimit; }
    ScaledInt getWvValue() const { return wvValue; }
    ScaledInt getWvLimit() const { return wvLimit; }
    // Positive margins pass: limit - value for insertion loss, |value| bound for tdr, value - limit otherwise.
    ScaledInt getWmMargin() const;
    ScaledInt getWvMargin() const;
    // Distances of a tdr record (tenths of a metre); 0 for every other test type.
    ScaledInt getWmDistance() const;
    ScaledInt getWvDistance() const;

    CopperTestType testType = CopperTestType::none;
    CableEnd cableEnd = CableEnd::notset;
    WirePair srcPair = WirePair::notset;
    WirePair rcvPair = WirePair::notset;
    Status status = Status::notSet;
    ScaledInt wmValue;
    ScaledInt wmLimit;
    int32_t wmLocation = 0;  // kHz, or tenths of a metre for tdr
    ScaledInt wvValue;
    ScaledInt wvLimit;
    int32_t wvLocation = 0;
    CopperFreqLimitType limitType = CopperFreqLimitType::NONE;
};

}  // namespace Kestrix
