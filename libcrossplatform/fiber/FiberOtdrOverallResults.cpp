#include "fiber/FiberOtdrOverallResults.h"

#include <algorithm>

#include "common/Celsius.h"
#include "common/jsonutil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/Assert.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

const char* otdrWarningText(uint32_t value) {
    switch (value) {
        case 1: return "NoBsSpanStart";
        case 2: return "NoBsSpanEnd";
        case 4: return "NoSignal";
        case 16: return "NoFiber";
        case 64: return "WeakSignal";
        case 256: return "OutOfRange";
        case 512: return "GreaterThanLoss";
        case 1024: return "NoLaunch";
        case 2048: return "NoFut";
        case 4096: return "NoSplit";
        case 8192: return "NoLoopback";
        case 16384: return "NoTail";
        case 32768: return "MismatchedEnds";
        case 0x10000: return "NoBsPort";
        case 0x20000: return "NoBsLaunch";
        case 0x40000: return "NoBsTail";
        case 0x80000: return "NoBsEnd";
        case 0x100000: return "LaunchTailNotAvg";
        case 0x200000: return "Gainer";
        case 0x400000: return "NegativeAvgLoss";
        case 0x800000: return "FiberOnOtherPort";
        case 0x1000000: return "SmOnMmPort";
        case 0x2000000: return "SplittersNotFound";
        case 0x4000000: return "PoorConnection";
        case 0x8000000: return "DamagingRefl";
        case 0x10000000: return "VirtualLaunch";
        case 0x20000000: return "VirtualTail";
        case 0x30000000: return "VirtualLaunchTail";
        case 0x40000000: return "SpanOutOfRange";
        default: return "";
    }
}

Json::Value otdrWarningTexts(uint32_t flags) {
    Json::Value out(Json::arrayValue);
    for (uint32_t bit = 0; bit < 32; ++bit) {
        const uint32_t v = 1u << bit;
        if (flags & v) out.append(otdrWarningText(v));
    }
    return out;
}

const char* toString(LaunchCompMode m) {
    switch (m) {
        case LaunchCompMode::dontKnow: return "don't know";
        case LaunchCompMode::measured: return "measured";
        case LaunchCompMode::manual: return "manual";
    }
    return "";
}

const char* connQualityText(int8_t grade) {
    switch (grade) {
        case -3: return "NO_SIGNAL";
        case -1: return "ERROR";
        case 0: return "UNGRADED";
        case 1: return "WORST";
        default: break;
    }
    if (grade < 25) return "POOR";
    if (grade < 50) return "FAIR";
    if (grade <= 100) return "GOOD";
    return "";
}

// ---- FiberOtdrOverallResultsPerWl ----

const FiberCheckLimitResult* FiberOtdrOverallResultsPerWl::getMaxOverallLossCheckLimitResult() const {
    if (auto* r = limitResults.get(FiberLimitValueType::lengthBasedLossBudget)) return r;
    return limitResults.get(FiberLimitValueType::maxOverallLoss);
}

void FiberOtdrOverallResultsPerWl::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(wavelength);
    w.write(actualWavelength);
    overallLossTolMeas.serialize(w);
    overallOrlTolMeas.serialize(w);
    limitResults.serialize(w);
}

Marshal::StreamOpStatus FiberOtdrOverallResultsPerWl::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberOtdrOverallResultsPerWl();
    r.read(wavelength);
    r.read(actualWavelength);
    if (auto st = overallLossTolMeas.deserialize(r)) return st;
    if (auto st = overallOrlTolMeas.deserialize(r)) return st;
    if (auto st = limitResults.deserialize(r)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberOtdrOverallResultsPerWl::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value FiberOtdrOverallResultsPerWl::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrOverallResultsPerWl";
    j["_classVersion"] = kVersion;
    if (flags.detail == 0) return j;
    j["wavelength"] = wavelength;
    j["actualWavelength"] = JsonUtil::jsonNumber(actualWavelength);
    j["overallLossTolMeas"] = overallLossTolMeas.toJson(flags);
    j["overallLossMaxLimitResult"] = Kestrix::toJson(getMaxOverallLossCheckLimitResult(), flags);
    j["overallLossMinLimitResult"] = Kestrix::toJson(limitResults.get(FiberLimitValueType::minOverallLoss), flags);
    j["overallOrlTolMeas"] = overallOrlTolMeas.toJson(flags);
    j["overallOrlMinLimitResult"] = Kestrix::toJson(limitResults.get(FiberLimitValueType::minOverallORL), flags);
    return j;
}

// ---- FiberOtdrOverallResults ----

const FiberOtdrOverallResultsPerWl* FiberOtdrOverallResults::getOverallPerWl(int wavelength) const {
    for (const auto& p : _perWls)
        if (static_cast<int>(p.wavelength) == wavelength) return &p;
    return nullptr;
}

const FiberOtdrOverallResultsPerWl& FiberOtdrOverallResults::getOverallPerWlByIndex(unsigned index) const {
    auto iter = index < _perWls.size() ? _perWls.begin() + index : _perWls.end();
    KX_ASSERT(iter != _perWls.end());
    return *iter;
}

void FiberOtdrOverallResults::setPerWls(std::vector<FiberOtdrOverallResultsPerWl> perWls) {
    _perWls = std::move(perWls);
    std::stable_sort(_perWls.begin(), _perWls.end(),
                     [](const auto& a, const auto& b) { return a.wavelength < b.wavelength; });
}

void FiberOtdrOverallResults::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrOverallResults);
    h.serialize(w);
    w.write(static_cast<uint8_t>(overallStatus));
    lengthTolMeas.serialize(w);
    w.write(static_cast<uint8_t>(lengthStatus));
    overallLossMeas.serialize(w);
    w.write(static_cast<uint8_t>(overallLossStatus));
    headroom.serialize(w);
    w.write(connQuality);
    w.write(warningFlags);
    w.write(failWarningFlags);
    w.write(celsius);
    w.write(launchCompTimestamp);
    w.write(static_cast<uint8_t>(launchCompModeUsed));
    limitResults.serialize(w);
    Marshal::writeList<uint16_t>(w, _perWls);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrOverallResults::deserialize(Marshal::IObjectReader& r) {
    using FiberRead::readByte;
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrOverallResults)) return st;
    *this = FiberOtdrOverallResults();
    overallStatus = Marshal::readEnum<Status>(r);
    if (auto st = lengthTolMeas.deserialize(r)) return h.finishRead(r, st);
    lengthStatus = Marshal::readEnum<Status>(r);
    if (auto st = overallLossMeas.deserialize(r)) return h.finishRead(r, st);
    overallLossStatus = Marshal::readEnum<Status>(r);
    if (auto st = headroom.deserialize(r)) return h.finishRead(r, st);
    r.read(connQuality);
    r.read(warningFlags);
    if (h.classVersion >= 2) r.read(failWarningFlags);
    if (h.classVersion >= 3) r.read(celsius);
    r.read(launchCompTimestamp);
    if (h.classVersion >= 4) launchCompModeUsed = Marshal::readEnum<LaunchCompMode>(r);
    if (auto st = limitResults.deserialize(r)) return h.finishRead(r, st);
    std::vector<FiberOtdrOverallResultsPerWl> perWls;
    if (auto st = Marshal::readList<uint16_t>(r, perWls, FiberOtdrOverallResultsPerWl::kMinWireSize))
        return h.finishRead(r, st);
    setPerWls(std::move(perWls));
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrOverallResults::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value FiberOtdrOverallResults::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrOverallResults";
    j["_classVersion"] = Marshal::TypeIds::FiberOtdrOverallResults.version;
    if (flags.detail == 0) return j;
    j["overallStatus"] = toString(overallStatus);
    j["lengthTolMeas"] = lengthTolMeas.toJson(flags);
    j["lengthStatus"] = toString(lengthStatus);
    j["lengthMaxLimitResult"] = Kestrix::toJson(limitResults.get(FiberLimitValueType::maxLength), flags);
    j["lengthMinLimitResult"] = Kestrix::toJson(limitResults.get(FiberLimitValueType::minLength), flags);
    j["overallLossStatus"] = toString(overallLossStatus);
    j["overallLossMeas"] = overallLossMeas.toString();
    j["headroom"] = headroom.toString();
    j["connQuality"] = connQualityText(connQuality);
    j["warningFlags"] = otdrWarningTexts(warningFlags);
    j["warningFlagsValue"] = warningFlags;
    j["failWarningFlags"] = otdrWarningTexts(failWarningFlags);
    j["celsius"] = Celsius(celsius).toJson(flags);
    j["launchCompTimestamp"] = Json::Int64(launchCompTimestamp);
    j["launchCompModeUsed"] = toString(launchCompModeUsed);
    Json::Value per(Json::arrayValue);
    for (const auto& p : _perWls) per.append(p.toJson(flags));
    j["overallResultsPerWl"] = per;
    return j;
}

}  // namespace Kestrix
