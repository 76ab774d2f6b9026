#pragma once
// The per-frequency summary records of a copper test, in stored order.
#include <cstdint>
#include <vector>

#include "copper/CopperFreq.h"

namespace Kestrix {

class CopperFreqList : public Dump::IDumpable, public Marshal::ISerializable, public Dump::IJsonable {
public:
    // Smallest stored form of one record: version, five enumerations, four ScaledInts, two locations, type.
    static constexpr uint32_t kMinRecordSize = 1 + 5 + 4 * 6 + 2 * 4 + 1;

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    void serialize(Marshal::IObjectWriter& w) const override;
    // A record that fails ends the read; the records before it stay in the list.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    // {"CopperFreqList": {"_freqs": [...]}}
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    bool hasFreq(CopperTestType type, CableEnd end) const;
    // The first record with all four keys; `out` is untouched when there is none.
    bool findFreq(CopperFreq& out, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) const;
    Status worstStatus() const;
    Status worstStatus(CopperTestType type) const;
    // Smallest worst-margin value of the judged records (pass/fail statuses), else of the Show records,
    // else NaN.
    ScaledInt worstMargin() const;
    void clear() { freqs.clear(); }

    std::vector<CopperFreq> freqs;
};

}  // namespace Kestrix
