#include "fiber/FiberOtdrEvent.h"

#include <cstdio>
#include <string>

#include "common/jsonutil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/Assert.h"
#include "serialization/IFormatter.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
// One character per status for the table lines.
char statusChar(Status s) {
    switch (s) {
        case Status::show: return 'S';
        case Status::pass: return 'P';
        case Status::passStar: return 'p';
        case Status::passAcceptable: return 'A';
        case Status::failStar: return 'f';
        case Status::fail: return 'F';
        default: return '-';
    }
}

char resultChar(const FiberCheckLimitResult* r) { return r ? statusChar(r->status) : '-'; }

bool isRetypable(EventType t) {
    return t == EventType::echoSource || t == EventType::hidden || t == EventType::reflection ||
           t == EventType::gainer || t == EventType::loss;
}
}  // namespace

// ---- FiberOtdrEventTableRow ----

bool FiberOtdrEventTableRow::isValidOverride(EventType analysed, EventType chosen) {
    return chosen == EventType::connector && isRetypable(analysed);
}

bool FiberOtdrEventTableRow::setUserOverride(bool set, EventType type) {
    KX_ASSERT_MSG(eventType != EventType::unknown, "_eventType != EVENT_TYPE_UNKNOWN");
    if (set && type != eventType) {
        if (userOverride && *userOverride == type) return false;
        if (isValidOverride(eventType, type)) {
            userOverride = type;
            return true;
        }
    }
    const bool had = userOverride.has_value();
    userOverride = boost::none;
    return had;
}

void FiberOtdrEventTableRow::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    lengthTolMeas.serialize(w);
    w.write(static_cast<uint8_t>(rowStatus));
    w.write(static_cast<uint8_t>(eventType));
    w.write(propTime);
    w.write(propTimePosTol);
    w.write(propTimeNegTol);
    w.write(static_cast<uint8_t>(hiddenGroupMarker));
    w.write(static_cast<uint8_t>(displayEventType()));
    w.write(static_cast<uint8_t>(splitRatio));
    w.write(static_cast<uint8_t>(analyzedSplitRatio));
}

Marshal::StreamOpStatus FiberOtdrEventTableRow::deserialize(Marshal::IObjectReader& r) {
    using FiberRead::readByte;
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberOtdrEventTableRow();
    if (auto st = lengthTolMeas.deserialize(r)) return st;
    rowStatus = Marshal::readEnum<Status>(r);
    eventType = Marshal::readEnum<EventType>(r);
    r.read(propTime);
    r.read(propTimePosTol);
    r.read(propTimeNegTol);
    const uint8_t marker = readByte(r);
    uint8_t displayed = static_cast<uint8_t>(eventType);
    if (version >= 2) {
        displayed = readByte(r);
        splitRatio = Marshal::readEnum<OtdrSplitterRatio>(r);
        analyzedSplitRatio = Marshal::readEnum<OtdrSplitterRatio>(r);
    }
    if (r.failed()) return Marshal::readError;
    // A marker above 2 would stop the process in the group queries: refuse it here.
    if (marker > kLastHiddenGroupMarker) return Marshal::invalidData;
    hiddenGroupMarker = static_cast<HiddenGroupMarker>(marker);
    // Any displayed type is kept as stored, except an end shown over another analysis: the event map
    // recomputes earlier ends from their events and cannot honour a choice there, so it is dropped.
    const auto shown = static_cast<EventType>(displayed);
    if (shown != eventType && shown != EventType::end && shown != EventType::hiddenEnd) userOverride = shown;
    return Marshal::ok;
}

void FiberOtdrEventTableRow::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%12s %12s %10s %9s %s", lengthTolMeas.valueText().c_str(),
                  toString(displayEventType()), toString(eventType), toString(rowStatus), toString(hiddenGroupMarker));
    std::string text = buf;
    if (displayEventType() == EventType::splitter) text += std::string("  Split: ") + toString(splitRatio);
    f.line(text);
}

Json::Value FiberOtdrEventTableRow::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrEventTableRow";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["lengthTolMeas"] = lengthTolMeas.toJson(flags);
    j["rowStatus"] = toString(rowStatus);
    j["eventType"] = toString(eventType);
    j["displayEventType"] = toString(displayEventType());
    j["propTime"] = JsonUtil::jsonNumber(propTime);
    j["propTimePosTol"] = JsonUtil::jsonNumber(propTimePosTol);
    j["propTimeNegTol"] = JsonUtil::jsonNumber(propTimeNegTol);
    j["hiddenGroupMarker"] = toString(hiddenGroupMarker);
    j["splitRatio"] = toString(splitRatio);
    j["analyzedSplitRatio"] = toString(analyzedSplitRatio);
    return j;
}

// ---- FiberOtdrEvent ----

const FiberCheckLimitResult* FiberOtdrEvent::getCheckLimitResult(FiberLimitMetaType family) const {
    for (const auto& result : limitResults.results) {
        auto m = metaTypeOf(result.limitValueType);
        if (m && *m == family) return &result;
    }
    return nullptr;
}

void FiberOtdrEvent::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(wavelength);
    w.write(static_cast<uint8_t>(rowIndex));
    w.write(static_cast<uint8_t>(status));
    w.write(eventGrade);
    w.write(anEventTypeFlags);
    w.write(plotIndex);
    lengthTolMeas.serialize(w);
    reflectanceTolMeas.serialize(w);
    lossTolMeas.serialize(w);
    attnCoefTolMeas.serialize(w);
    w.write(bsPrior);
    w.write(prevUsableBsPlotIndex);
    w.write(nextUsableBsPlotIndex);
    w.write(propTime);
    w.write(propTimePosTol);
    w.write(propTimeNegTol);
    limitResults.serialize(w);
}

Marshal::StreamOpStatus FiberOtdrEvent::deserialize(Marshal::IObjectReader& r) {
    using FiberRead::readByte;
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberOtdrEvent();
    r.read(wavelength);
    rowIndex = readByte(r);
    status = Marshal::readEnum<Status>(r);
    r.read(eventGrade);
    r.read(anEventTypeFlags);
    r.read(plotIndex);
    if (auto st = lengthTolMeas.deserialize(r)) return st;
    if (auto st = reflectanceTolMeas.deserialize(r)) return st;
    if (auto st = lossTolMeas.deserialize(r)) return st;
    if (auto st = attnCoefTolMeas.deserialize(r)) return st;
    r.read(bsPrior);
    r.read(prevUsableBsPlotIndex);
    r.read(nextUsableBsPlotIndex);
    r.read(propTime);
    r.read(propTimePosTol);
    r.read(propTimeNegTol);
    if (auto st = limitResults.deserialize(r)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberOtdrEvent::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    char buf[200];
    std::snprintf(buf, sizeof buf, "%8s %3u %4u %12s %c %5u %6s %c %c %8s %c %c %6s %c %c %7.2f %8.2f",
                  lengthTolMeas.valueText().c_str(), rowIndex, wavelength, toString(otdrEventType(anEventTypeFlags)),
                  statusChar(status), static_cast<unsigned>(eventGrade), lossTolMeas.valueText().c_str(),
                  resultChar(getCheckLimitResult(FiberLimitMetaType::maxLoss)),
                  resultChar(getCheckLimitResult(FiberLimitMetaType::minLoss)), reflectanceTolMeas.valueText().c_str(),
                  resultChar(getCheckLimitResult(FiberLimitMetaType::maxReflectance)),
                  resultChar(getCheckLimitResult(FiberLimitMetaType::minReflectance)),
                  attnCoefTolMeas.valueText().c_str(),
                  resultChar(getCheckLimitResult(FiberLimitMetaType::maxAttenCoef)),
                  resultChar(getCheckLimitResult(FiberLimitMetaType::minAttenCoef)), static_cast<double>(bsPrior),
                  static_cast<double>(propTime));
    f.line(buf);
}

Json::Value FiberOtdrEvent::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrEvent";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["wavelength"] = wavelength;
    j["rowIndex"] = rowIndex;
    j["status"] = toString(status);
    j["eventGrade"] = eventGrade;
    Json::Value texts(Json::arrayValue);
    for (const auto& t : anEventTypeTexts(anEventTypeFlags)) texts.append(t);
    j["anEventTypeFlags"] = texts;
    j["plotIndex"] = plotIndex;
    j["lengthTolMeas"] = lengthTolMeas.toJson(flags);
    j["reflectanceTolMeas"] = reflectanceTolMeas.toJson(flags);
    j["reflectanceMaxLimitResult"] = Kestrix::toJson(getCheckLimitResult(FiberLimitMetaType::maxReflectance), flags);
    j["reflectanceMinLimitResult"] = Kestrix::toJson(getCheckLimitResult(FiberLimitMetaType::minReflectance), flags);
    j["lossTolMeas"] = lossTolMeas.toJson(flags);
    j["lossMaxLimitResult"] = Kestrix::toJson(getCheckLimitResult(FiberLimitMetaType::maxLoss), flags);
    j["lossMinLimitResult"] = Kestrix::toJson(getCheckLimitResult(FiberLimitMetaType::minLoss), flags);
    j["attnCoefTolMeas"] = attnCoefTolMeas.toJson(flags);
    j["attnCoefMaxLimitResult"] = Kestrix::toJson(getCheckLimitResult(FiberLimitMetaType::maxAttenCoef), flags);
    j["attnCoefMinLimitResult"] = Kestrix::toJson(getCheckLimitResult(FiberLimitMetaType::minAttenCoef), flags);
    j["bsPrior"] = JsonUtil::jsonNumber(bsPrior);
    j["prevUsableBsPlotIndex"] = prevUsableBsPlotIndex;
    j["nextUsableBsPlotIndex"] = nextUsableBsPlotIndex;
    j["propTime"] = JsonUtil::jsonNumber(propTime);
    j["propTimePosTol"] = JsonUtil::jsonNumber(propTimePosTol);
    j["propTimeNegTol"] = JsonUtil::jsonNumber(propTimeNegTol);
    return j;
}

}  // namespace Kestrix
