#include "fiber/FiberOtdrSettings.h"

#include <algorithm>

#include "common/jsonutil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"
#include "serialization/StoredCount.h"

// Missing members are reported under the settings source name.
#define JSON_FAILED(member) ::Kestrix::JsonUtil::fromJsonFailed("fiber\\FiberOtdrSettings", __LINE__, member)

namespace Kestrix {

namespace {
constexpr uint32_t kBendEntryWireSize = 1 + ScaledInt::kWireSize;

bool sameValue(const ScaledInt& a, const ScaledInt& b) { return a.value == b.value && a.scaledTo == b.scaledTo; }

void readInt32As64(Marshal::IObjectReader& r, int64_t& out) {
    int32_t v = 0;
    r.read(v);
    out = v;
}
}  // namespace

// ---- FiberOtdrSettingsPerWl ----

bool FiberOtdrSettingsPerWl::operator==(const FiberOtdrSettingsPerWl& o) const {
    return wavelength == o.wavelength && sameValue(actualOtdrRange, o.actualOtdrRange) &&
           sameValue(actualResolution, o.actualResolution) &&
           sameValue(actualOtdrAveragingTime, o.actualOtdrAveragingTime) && otdrPulseWidth == o.otdrPulseWidth &&
           nominalOtdrPulseWidth == o.nominalOtdrPulseWidth && numberOfAverages == o.numberOfAverages;
}

void FiberOtdrSettingsPerWl::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(wavelength);
    actualOtdrRange.serialize(w);
    actualResolution.serialize(w);
    actualOtdrAveragingTime.serialize(w);
    // The instrument keeps 32 bits of these.
    w.write(static_cast<int32_t>(otdrPulseWidth));
    w.write(static_cast<int32_t>(nominalOtdrPulseWidth));
    w.write(static_cast<int32_t>(numberOfAverages));
}

Marshal::StreamOpStatus FiberOtdrSettingsPerWl::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberOtdrSettingsPerWl();
    r.read(wavelength);
    if (auto st = actualOtdrRange.deserialize(r)) return st;
    if (auto st = actualResolution.deserialize(r)) return st;
    if (auto st = actualOtdrAveragingTime.deserialize(r)) return st;
    readInt32As64(r, otdrPulseWidth);
    readInt32As64(r, nominalOtdrPulseWidth);
    if (version < 2) {
        // Three values older instruments stored here and nothing uses any more.
        ScaledInt dropped;
        if (auto st = dropped.deserialize(r)) return st;
        float droppedFloat = 0;
        uint16_t droppedShort = 0;
        r.read(droppedFloat);
        r.read(droppedShort);
    }
    readInt32As64(r, numberOfAverages);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberOtdrSettingsPerWl::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FiberOtdrSettingsPerWl::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrSettingsPerWl";
    j["_classVersion"] = kVersion;
    j["wavelength"] = wavelength;
    j["actualOtdrRange"] = actualOtdrRange.toString();
    j["actualResolution"] = actualResolution.toString();
    j["actualOtdrAveragingTime"] = actualOtdrAveragingTime.toString();
    j["otdrPulseWidth"] = Json::Int64(otdrPulseWidth);
    j["nominalOtdrPulseWidth"] = Json::Int64(nominalOtdrPulseWidth);
    j["numberOfAverages"] = Json::Int64(numberOfAverages);
    Json::Value out(Json::objectValue);
    out["FiberOtdrSettingsPerWl"] = j;
    return out;
}

bool FiberOtdrSettingsPerWl::fromJson(const Json::Value& json) {
    *this = FiberOtdrSettingsPerWl();
    if (!json.isObject() || !json.isMember("FiberOtdrSettingsPerWl") || !json["FiberOtdrSettingsPerWl"].isObject()) {
        JSON_FAILED("FiberOtdrSettingsPerWl");
        return false;
    }
    const Json::Value& j = json["FiberOtdrSettingsPerWl"];
    bool ok = true;
    if (auto wl = JsonUtil::optUInt(j, "wavelength"); wl && *wl <= 0xFFFF) {
        wavelength = static_cast<uint16_t>(*wl);
    } else {
        JSON_FAILED("wavelength");
        ok = false;
    }
    auto value = [&](const char* key, ScaledInt& v) {
        auto text = JsonUtil::optString(j, key);
        if (!text || !v.parse(*text)) {
            JSON_FAILED(key);
            ok = false;
        }
    };
    value("actualOtdrRange", actualOtdrRange);
    value("actualResolution", actualResolution);
    value("actualOtdrAveragingTime", actualOtdrAveragingTime);
    auto integer = [&](const char* key, int64_t& v) {
        if (!j.isMember(key) || !j[key].isInt64()) {
            JSON_FAILED(key);
            ok = false;
            return;
        }
        v = j[key].asInt64();
    };
    integer("otdrPulseWidth", otdrPulseWidth);
    integer("nominalOtdrPulseWidth", nominalOtdrPulseWidth);
    integer("numberOfAverages", numberOfAverages);
    return ok;
}

// ---- FiberOtdrSettings ----

void FiberOtdrSettings::clear() {
    wavelengthsToTest.clear();
    fiberTestType = TestType::notSet;
    otdrRange = OtdrRange::autoRange;
    otdrAveragingTime = OtdrAveragingTime::autoTime;
    lossThresholdAutoOrManual = AutoOrManual::autoMode;
    nominalLossThreshold = ScaledInt::nan(ScaledInt::hundredths);
    endThresholdAutoOrManual = AutoOrManual::autoMode;
    endThreshold = ScaledInt::nan(ScaledInt::hundredths);
    launchCompensationEnabled = false;
    numConnectors = 0;
    numSplices = 0;
    bidi = false;
    frontPanelOffset = 0;
    fiberName.clear();
    fiberLimit.clear();
    perWl.clear();
    reflectanceThreshold = 0;
    otdrBendDetectionEnabled = false;
    otdrBendThresholdMap.clear();
    splitterEntries.clear();
    span = FibDbus::OtdrSpan();
}

bool FiberOtdrSettings::operator==(const FiberOtdrSettings& o) const {
    if (otdrBendThresholdMap.size() != o.otdrBendThresholdMap.size()) return false;
    for (auto a = otdrBendThresholdMap.begin(), b = o.otdrBendThresholdMap.begin(); a != otdrBendThresholdMap.end();
         ++a, ++b)
        if (a->first != b->first || !sameValue(a->second, b->second)) return false;
    return wavelengthsToTest == o.wavelengthsToTest && fiberTestType == o.fiberTestType && otdrRange == o.otdrRange &&
           otdrAveragingTime == o.otdrAveragingTime && lossThresholdAutoOrManual == o.lossThresholdAutoOrManual &&
           sameValue(nominalLossThreshold, o.nominalLossThreshold) &&
           endThresholdAutoOrManual == o.endThresholdAutoOrManual && sameValue(endThreshold, o.endThreshold) &&
           launchCompensationEnabled == o.launchCompensationEnabled && numConnectors == o.numConnectors &&
           numSplices == o.numSplices && bidi == o.bidi && frontPanelOffset == o.frontPanelOffset &&
           fiberName == o.fiberName && fiberLimit == o.fiberLimit && perWl == o.perWl &&
           reflectanceThreshold == o.reflectanceThreshold && otdrBendDetectionEnabled == o.otdrBendDetectionEnabled &&
           splitterEntries == o.splitterEntries && span == o.span;
}

const FiberOtdrSettingsPerWl* FiberOtdrSettings::getSettingsPerWl(int wavelength) const {
    for (const auto& p : perWl)
        if (static_cast<int>(p.wavelength) == wavelength) return &p;
    return nullptr;
}

void FiberOtdrSettings::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberOtdrSettings);
    h.serialize(w);
    const uint8_t wlCount = Marshal::writeCount<uint8_t>(w, wavelengthsToTest.size());
    for (size_t i = 0; i < wlCount; ++i) w.write(*(wavelengthsToTest.begin() + i));
    w.write(static_cast<uint8_t>(fiberTestType));
    w.write(static_cast<int32_t>(otdrRange));
    w.write(static_cast<uint8_t>(otdrAveragingTime));
    w.write(static_cast<uint8_t>(lossThresholdAutoOrManual));
    nominalLossThreshold.serialize(w);
    w.write(static_cast<uint8_t>(endThresholdAutoOrManual));
    endThreshold.serialize(w);
    w.write(static_cast<uint8_t>(launchCompensationEnabled ? 1 : 0));
    w.write(Marshal::storedCount<uint8_t>(numConnectors));
    w.write(Marshal::storedCount<uint8_t>(numSplices));
    w.write(static_cast<uint8_t>(bidi ? 1 : 0));
    w.write(static_cast<uint8_t>(0));  // unused, always 0
    w.write(frontPanelOffset);
    w.write(fiberName);
    w.write(fiberLimit);
    Marshal::writeList<uint8_t>(w, perWl);
    w.write(reflectanceThreshold);
    w.write(static_cast<uint8_t>(otdrBendDetectionEnabled ? 1 : 0));
    const uint8_t bendCount = Marshal::writeCount<uint8_t>(w, otdrBendThresholdMap.size());
    for (size_t i = 0; i < bendCount; ++i) {
        const auto& e = *(otdrBendThresholdMap.begin() + i);
        w.write(static_cast<uint8_t>(e.first));
        e.second.serialize(w);
    }
    const uint8_t splitterCount = Marshal::writeCount<uint8_t>(w, splitterEntries.size());
    for (size_t i = 0; i < splitterCount; ++i) w.write(static_cast<uint8_t>(splitterEntries[i]));
    span.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberOtdrSettings::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberOtdrSettings)) return st;
    clear();
    using FiberRead::readByte;
    auto readWavelength = [this](Marshal::IObjectReader& in) {
        uint16_t wl = 0;
        in.read(wl);
        wavelengthsToTest.insert(wl);
    };
    if (auto st = Marshal::readEach<uint8_t>(r, sizeof(uint16_t), readWavelength)) return h.finishRead(r, st);
    fiberTestType = Marshal::readEnum<TestType>(r);
    int32_t range = 0;
    r.read(range);
    otdrRange = static_cast<OtdrRange>(range);
    otdrAveragingTime = Marshal::readEnum<OtdrAveragingTime>(r);
    lossThresholdAutoOrManual = Marshal::readEnum<AutoOrManual>(r);
    if (auto st = nominalLossThreshold.deserialize(r)) return st;
    endThresholdAutoOrManual = Marshal::readEnum<AutoOrManual>(r);
    if (auto st = endThreshold.deserialize(r)) return st;
    launchCompensationEnabled = readByte(r) != 0;
    numConnectors = readByte(r);
    numSplices = readByte(r);
    bidi = readByte(r) != 0;
    readByte(r);  // unused
    r.read(frontPanelOffset);
    r.read(fiberName);
    r.read(fiberLimit);
    uint32_t perWlCount = 0;
    if (!Marshal::readCount<uint8_t>(r, FiberOtdrSettingsPerWl::kMinWireSize, perWlCount))
        return h.finishRead(r, Marshal::readError);
    perWl.resize(perWlCount);
    for (auto& p : perWl)
        if (auto st = p.deserialize(r)) return st;
    if (h.classVersion >= 2) r.read(reflectanceThreshold);
    if (h.classVersion >= 3) {
        otdrBendDetectionEnabled = readByte(r) != 0;
        uint32_t bendCount = 0;
        if (!Marshal::readCount<uint8_t>(r, kBendEntryWireSize, bendCount)) return h.finishRead(r, Marshal::readError);
        for (uint32_t i = 0; i < bendCount; ++i) {
            const auto key = Marshal::readEnum<OtdrBendWavelengths>(r);
            ScaledInt threshold;
            if (auto st = threshold.deserialize(r)) return st;
            otdrBendThresholdMap[key] = threshold;
        }
        auto readSplitter = [this](Marshal::IObjectReader& in) {
            splitterEntries.push_back(Marshal::readEnum<OtdrSplitterRatio>(in));
        };
        if (auto st = Marshal::readEach<uint8_t>(r, 1, readSplitter)) return h.finishRead(r, st);
    }
    if (h.classVersion == 4) {
        if (auto st = span.spanStart.deserialize(r)) return st;
        if (auto st = span.spanEnd.deserialize(r)) return st;
    } else if (h.classVersion >= 5) {
        if (auto st = span.deserialize(r)) return st;
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberOtdrSettings::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FiberOtdrSettings::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberOtdrSettings";
    j["_classVersion"] = Marshal::TypeIds::FiberOtdrSettings.version;
    if (flags.detail > 0) {
        j["fiberName"] = fiberName;
        j["fiberLimit"] = fiberLimit;
        j["fiberTestType"] = toString(fiberTestType);
        j["otdrRange"] = toString(otdrRange);
        j["otdrAveragingTime"] = toString(otdrAveragingTime);
        j["lossThresholdAutoOrManual"] = toString(lossThresholdAutoOrManual);
        j["nominalLossThreshold"] = nominalLossThreshold.toString();
        j["endThresholdAutoOrManual"] = toString(endThresholdAutoOrManual);
        j["endThreshold"] = endThreshold.toString();
        j["launchCompensationEnabled"] = launchCompensationEnabled;
        j["numConnectors"] = numConnectors;
        j["numSplices"] = numSplices;
        j["bidi"] = bidi;
        j["frontPanelOffset"] = frontPanelOffset;
        Json::Value wls(Json::arrayValue);
        for (uint16_t wl : wavelengthsToTest) wls.append(wl);
        j["wavelengthsToTest"] = wls;
        Json::Value per(Json::arrayValue);
        for (const auto& p : perWl) per.append(p.toJson(flags));
        j["perWl"] = per;
        j["reflectanceThreshold"] = reflectanceThreshold;
        j["otdrBendDetectionEnabled"] = otdrBendDetectionEnabled;
        Json::Value bend(Json::objectValue);
        for (const auto& e : otdrBendThresholdMap) bend[toString(e.first)] = e.second.toString();
        j["otdrBendThresholdMap"] = bend;
        Json::Value splitters(Json::arrayValue);
        for (auto s : splitterEntries) splitters.append(toString(s));
        j["splitterEntries"] = splitters;
        j["OtdrSpan"] = span.toJson(flags)["OtdrSpan"];
    }
    Json::Value out(Json::objectValue);
    out["FiberOtdrSettings"] = j;
    return out;
}

bool FiberOtdrSettings::fromJson(const Json::Value& json) {
    clear();
    if (!json.isObject() || !json.isMember("FiberOtdrSettings") || !json["FiberOtdrSettings"].isObject()) {
        JSON_FAILED("FiberOtdrSettings");
        return false;
    }
    const Json::Value& j = json["FiberOtdrSettings"];
    if (JsonUtil::optString(j, "_className").value_or("") != "FiberOtdrSettings") {
        JSON_FAILED("_className");
        return false;
    }
    bool ok = true;
    auto fail = [&](const char* key) {
        JSON_FAILED(key);
        ok = false;
    };
    int32_t version = -1;
    if (auto v = JsonUtil::optInt(j, "_classVersion"))
        version = *v;
    else
        fail("_classVersion");

    if (auto s = JsonUtil::optString(j, "fiberName"))
        fiberName = *s;
    else
        fail("fiberName");
    if (auto s = JsonUtil::optString(j, "fiberLimit"))
        fiberLimit = *s;
    else
        fail("fiberLimit");

    // Required texts: each must name a value.
    auto text = [&](const char* key) -> boost::optional<std::string> {
        auto s = JsonUtil::optString(j, key);
        if (!s) fail(key);
        return s;
    };
    if (auto s = text("fiberTestType")) {
        if (auto t = testTypeFromString(*s))
            fiberTestType = *t;
        else
            fail("fiberTestType");
    }
    if (auto s = text("otdrRange")) {
        if (auto v = otdrRangeFromString(*s))
            otdrRange = *v;
        else
            fail("otdrRange");
    }
    if (auto s = text("otdrAveragingTime")) {
        if (auto v = otdrAveragingTimeFromString(*s))
            otdrAveragingTime = *v;
        else
            fail("otdrAveragingTime");
    }
    auto autoManual = [&](const char* key, AutoOrManual& out) {
        if (auto s = text(key)) {
            const int32_t v = autoOrManualFromString(*s);
            if (v >= 0)
                out = static_cast<AutoOrManual>(v);
            else
                fail(key);
        }
    };
    autoManual("lossThresholdAutoOrManual", lossThresholdAutoOrManual);
    autoManual("endThresholdAutoOrManual", endThresholdAutoOrManual);
    auto value = [&](const char* key, ScaledInt& out) {
        if (auto s = text(key)) {
            if (!out.parse(*s)) fail(key);
        }
    };
    value("nominalLossThreshold", nominalLossThreshold);
    value("endThreshold", endThreshold);

    // Optional members keep their defaults.
    launchCompensationEnabled = JsonUtil::optBool(j, "launchCompensationEnabled").value_or(false);
    numConnectors = JsonUtil::optCount(j, "numConnectors", UINT8_MAX);
    numSplices = JsonUtil::optCount(j, "numSplices", UINT8_MAX);
    bidi = JsonUtil::optBool(j, "bidi").value_or(false);
    frontPanelOffset = JsonUtil::optInt(j, "frontPanelOffset").value_or(0);

    if (j.isMember("wavelengthsToTest") && j["wavelengthsToTest"].isArray()) {
        for (const auto& wl : j["wavelengthsToTest"]) {
            auto v = JsonUtil::optUInt(wl);
            if (v && *v <= 0xFFFF)
                wavelengthsToTest.insert(static_cast<uint16_t>(*v));
            else
                fail("wavelengthsToTest");
        }
    } else {
        fail("wavelengthsToTest");
    }
    if (j.isMember("perWl") && j["perWl"].isArray()) {
        for (const auto& p : j["perWl"]) {
            FiberOtdrSettingsPerWl entry;
            if (!entry.fromJson(p)) ok = false;
            perWl.push_back(entry);
        }
    }

    if (version >= 2) {
        if (auto v = JsonUtil::optInt(j, "reflectanceThreshold"))
            reflectanceThreshold = *v;
        else
            fail("reflectanceThreshold");
    }
    if (version >= 3) {
        if (auto b = JsonUtil::optBool(j, "otdrBendDetectionEnabled"))
            otdrBendDetectionEnabled = *b;
        else
            fail("otdrBendDetectionEnabled");
        const Json::Value& bend = j["otdrBendThresholdMap"];
        if (bend.isObject()) {
            for (const auto& key : bend.getMemberNames()) {
                auto pair = otdrBendWavelengthsFromString(key);
                auto s = JsonUtil::optString(bend[key]);
                ScaledInt threshold;
                if (pair && s && threshold.parse(*s))
                    otdrBendThresholdMap[*pair] = threshold;
                else
                    fail("otdrBendThresholdMap");
            }
        } else {
            fail("otdrBendThresholdMap");
        }
        const Json::Value& splitters = j["splitterEntries"];
        if (splitters.isArray()) {
            for (const auto& s : splitters) {
                boost::optional<OtdrSplitterRatio> ratio;
                if (auto t = JsonUtil::optString(s)) ratio = otdrSplitterRatioFromString(*t);
                if (ratio)
                    splitterEntries.push_back(*ratio);
                else
                    fail("splitterEntries");
            }
        } else {
            fail("splitterEntries");
        }
    }
    if (version >= 4) {
        if (j["OtdrSpan"].isObject()) {
            if (!span.fromJson(j["OtdrSpan"])) ok = false;
        } else {
            fail("OtdrSpan");
        }
    }
    return ok;
}

}  // namespace Kestrix
