#pragma once
// One row (an event location) and one event (that location at one wavelength) of an OTDR event table.
#include <cstdint>

#include <boost/optional.hpp>

#include "common/Status.h"
#include "common/ToleranceMeas.h"
#include "fiber/FiberCheckLimitResult.h"
#include "fiber/FiberOtdrEnums.h"
#include "fiber/FiberOtdrEventTypes.h"

namespace Kestrix {

// What is common to all wavelengths at one location. Nested: a leading version byte.
class FiberOtdrEventTableRow : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 2;
    // Version, location, status, type, three floats, marker (the layout of versions 0 and 1).
    static constexpr uint32_t kMinWireSize = 1 + 16 + 1 + 1 + 12 + 1;

    // The user's choice when present, else the analysed type.
    EventType displayEventType() const { return userOverride ? *userOverride : eventType; }
    // Re-types a row as "Connector" where the analysis allows it; returns whether anything changed.
    bool setUserOverride(bool set, EventType type);
    // Whether setUserOverride() could have produced this override on this row.
    static bool isValidOverride(EventType analysed, EventType chosen);

    void serialize(Marshal::IObjectWriter& w) const override;
    // Refuses (invalidData) a hidden-group marker above 2 and an override the user could not have chosen.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    ToleranceMeas lengthTolMeas;
    Status rowStatus = Status::notSet;
    float propTime = 0;
    float propTimePosTol = 0;
    float propTimeNegTol = 0;
    HiddenGroupMarker hiddenGroupMarker = HiddenGroupMarker::notSet;
    OtdrSplitterRatio splitRatio = OtdrSplitterRatio::r1x2;
    OtdrSplitterRatio analyzedSplitRatio = OtdrSplitterRatio::r1x2;
    EventType eventType = EventType::unknown;
    boost::optional<EventType> userOverride;
};

// One location at one wavelength: the measurements and their limit checks. Nested: a leading version byte.
class FiberOtdrEvent : public Marshal::ISerializable, public Dump::IDumpable, public Dump::IJsonable {
public:
    static constexpr uint8_t kVersion = 1;
    // Version, wl, row, status, grade, flags, plot index, four ToleranceMeas, bsPrior, two indices,
    // three floats, an empty result list.
    static constexpr uint32_t kMinWireSize = 1 + 2 + 1 + 1 + 1 + 4 + 4 + 4 * 16 + 4 + 8 + 12 + 1;

    // The first check result of the family, or null.
    const FiberCheckLimitResult* getCheckLimitResult(FiberLimitMetaType family) const;

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    uint16_t wavelength = 0;
    uint32_t rowIndex = 0;
    Status status = Status::notSet;
    uint8_t eventGrade = 0;
    uint32_t anEventTypeFlags = 0;
    uint32_t plotIndex = 0;
    ToleranceMeas lengthTolMeas;
    ToleranceMeas reflectanceTolMeas;
    ToleranceMeas lossTolMeas;
    ToleranceMeas attnCoefTolMeas;
    FiberLimitResultList limitResults;
    float bsPrior = 0;
    uint32_t prevUsableBsPlotIndex = 0;
    uint32_t nextUsableBsPlotIndex = 0;
    float propTime = 0;
    float propTimePosTol = 0;
    float propTimeNegTol = 0;
};

}  // namespace Kestrix
