#pragma once
// One limit curve of a copper limit: the limit on the frequency grid, its accuracy breakpoints and the
// pair combination it applies to.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "copper/CopperLimitTypes.h"
#include "serialization/IDumpable.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/StreamOpStatus.h"

namespace Kestrix {

struct AccPoint {
    int32_t kHz = 0;
    float db = 0.0f;
    bool operator==(const AccPoint& o) const { return kHz == o.kHz && db == o.db; }
};

class CopperFreqLimit : public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    // Sample value of a curve point where no limit applies.
    static constexpr int16_t kNoLimit = 0x7FFF;
    // Curves with more points print abbreviated below detail level 2.
    static constexpr size_t kJsonFullCurvePoints = 8;

    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // No header: a curve exists only inside a CopperLimit.
    void serialize(Marshal::IObjectWriter& w) const;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r);
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    // Limit in dB at a stored point; the caller keeps the index below the curve length.
    float getDbFromIndex(unsigned index) const;
    // Accuracy in dB at a frequency: linear between the breakpoints (extrapolated below the first),
    // 0 above the last or without breakpoints.
    float accuracyAt(int32_t kHz) const;
    void clear();

    CopperFreqLimitType freqLimitType = CopperFreqLimitType::NONE;
    bool isInfoOnly = false;
    std::vector<int16_t> limitCurve;  // tenths of a dB per grid index
    std::vector<AccPoint> accPoints;
    std::string limitEquation;
    PairCombo pair = PairCombo::any;
};

}  // namespace Kestrix
