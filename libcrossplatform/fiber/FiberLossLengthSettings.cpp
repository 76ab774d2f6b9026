#include "fiber/FiberLossLengthSettings.h"

#include "common/jsonutil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "serialization/LogSink.h"
#include "serialization/ReadEnum.h"
#include "serialization/StoredCount.h"

namespace Kestrix {

namespace {

constexpr const char* kRemoteEndSetup[] = {"Not Set",  "VexlinkDual",  "VexlinkSingle",
                                           "Loopback", "FarEndSource", "Scopel"};
constexpr const char* kFarEndSource[] = {"Not Set", "CW", "Auto Lossmark Pro", "Powrel Pro"};
constexpr const char* kSource = "fiber\\FiberLossLengthSettings";

// The value whose text equals `text` (case ignored), searched from the highest value down.
template <typename TextOf>
boost::optional<int32_t> matchText(const std::string& text, int32_t highest, TextOf textOf) {
    for (int32_t v = highest; v >= 0; --v)
        if (equalsIgnoreCase(text, textOf(v))) return v;
    return boost::none;
}

void logFailure(const char* what) { Dump::logLine(1, 0, std::string(kSource) + "::fromJson() - " + what); }

}  // namespace

const char* toString(RemoteEndSetup s) {
    const auto i = static_cast<int32_t>(s);
    return i >= 0 && i <= 5 ? kRemoteEndSetup[i] : "Not Set";
}

const char* toString(FarEndSourceType t) {
    const auto i = static_cast<int32_t>(t);
    return i >= 0 && i <= 3 ? kFarEndSource[i] : "Not Set";
}

void FiberLossLengthSettings::clear() {
    fiberName.clear();
    limitName.clear();
    remoteEndSetup = RemoteEndSetup::vexlinkDual;
    farEndSourceType = FarEndSourceType::notSet;
    cableEnd = CableEnd::end1;
    referenceMethod = FiberLLRefMethod::oneJumper;
    connectorType = FiberConnectorType::general;
    biDirectionalEnabled = false;
    numAdapters = 2;
    numSplices = 0;
    numLcConnectors = 0;
    numLcLowLossConnectors = 0;
    numLcUltraLowLossConnectors = 0;
    numMpoConnectors = 0;
    numMpoLowLossConnectors = 0;
    numMpoUltraLowLossConnectors = 0;
    fiberTestType = TestType::lossLength;
}

bool FiberLossLengthSettings::operator==(const FiberLossLengthSettings& o) const {
    return fiberName == o.fiberName && limitName == o.limitName && remoteEndSetup == o.remoteEndSetup &&
           farEndSourceType == o.farEndSourceType && cableEnd == o.cableEnd && referenceMethod == o.referenceMethod &&
           connectorType == o.connectorType && biDirectionalEnabled == o.biDirectionalEnabled &&
           numAdapters == o.numAdapters && numSplices == o.numSplices && numLcConnectors == o.numLcConnectors &&
           numLcLowLossConnectors == o.numLcLowLossConnectors &&
           numLcUltraLowLossConnectors == o.numLcUltraLowLossConnectors && numMpoConnectors == o.numMpoConnectors &&
           numMpoLowLossConnectors == o.numMpoLowLossConnectors &&
           numMpoUltraLowLossConnectors == o.numMpoUltraLowLossConnectors && fiberTestType == o.fiberTestType;
}

void FiberLossLengthSettings::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberLossLengthSettings);
    h.serialize(w);
    w.write(fiberName);
    w.write(limitName);
    w.write(static_cast<uint8_t>(remoteEndSetup));
    w.write(static_cast<uint8_t>(cableEnd));
    w.write(static_cast<uint8_t>(referenceMethod));
    w.write(static_cast<uint8_t>(connectorType));
    w.write(static_cast<uint8_t>(biDirectionalEnabled ? 1 : 0));
    w.write(Marshal::storedCount<uint8_t>(numAdapters));
    w.write(Marshal::storedCount<uint8_t>(numLcConnectors));
    w.write(Marshal::storedCount<uint8_t>(numLcLowLossConnectors));
    w.write(Marshal::storedCount<uint8_t>(numLcUltraLowLossConnectors));
    w.write(Marshal::storedCount<uint8_t>(numSplices));
    w.write(Marshal::storedCount<uint8_t>(numMpoConnectors));
    w.write(Marshal::storedCount<uint8_t>(numMpoLowLossConnectors));
    w.write(Marshal::storedCount<uint8_t>(numMpoUltraLowLossConnectors));
    w.write(static_cast<uint8_t>(farEndSourceType));
    w.write(static_cast<uint16_t>(fiberTestType));
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberLossLengthSettings::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberLossLengthSettings)) return st;
    clear();
    using FiberRead::readByte;
    r.read(fiberName);
    r.read(limitName);
    remoteEndSetup = Marshal::readEnum<RemoteEndSetup>(r);
    cableEnd = Marshal::readEnum<CableEnd>(r);
    referenceMethod = Marshal::readEnum<FiberLLRefMethod>(r);
    connectorType = Marshal::readEnum<FiberConnectorType>(r);
    biDirectionalEnabled = readByte(r) != 0;
    numAdapters = readByte(r);
    numLcConnectors = readByte(r);
    numLcLowLossConnectors = readByte(r);
    numLcUltraLowLossConnectors = readByte(r);
    numSplices = readByte(r);
    numMpoConnectors = readByte(r);
    numMpoLowLossConnectors = readByte(r);
    numMpoUltraLowLossConnectors = readByte(r);
    if (h.classVersion >= 1) farEndSourceType = Marshal::readEnum<FarEndSourceType>(r);
    if (h.classVersion >= 2) {
        uint16_t t = static_cast<uint16_t>(TestType::lossLength);
        r.read(t);
        fiberTestType = static_cast<TestType>(t);
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FiberLossLengthSettings::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const {
    Dump::dumpStyledJson(*this, f);
}

Json::Value FiberLossLengthSettings::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["_className"] = "FiberLossLengthSettings";
    j["_classVersion"] = Marshal::TypeIds::FiberLossLengthSettings.version;
    Json::Value out(Json::objectValue);
    if (flags.detail == 0) {
        out["FiberLossLengthSettings"] = j;
        return out;
    }
    j["fiberName"] = fiberName;
    j["limitName"] = limitName;
    j["remoteEndSetup"] = toString(remoteEndSetup);
    j["farEndSourceType"] = toString(farEndSourceType);
    j["cableEnd"] = cableEndText(cableEnd);
    j["referenceMethod"] = toString(referenceMethod);
    j["connectorType"] = toString(connectorType);
    j["biDirectionalEnabled"] = biDirectionalEnabled;
    j["numAdapters"] = numAdapters;
    j["numSplices"] = numSplices;
    j["numLcConnectors"] = numLcConnectors;
    j["numLcLowLossConnectors"] = numLcLowLossConnectors;
    j["numLcUltraLowLossConnectors"] = numLcUltraLowLossConnectors;
    j["numMpoConnectors"] = numMpoConnectors;
    j["numMpoLowLossConnectors"] = numMpoLowLossConnectors;
    j["numMpoUltraLowLossConnectors"] = numMpoUltraLowLossConnectors;
    j["fiberTestType"] = toString(fiberTestType);
    out["FiberLossLengthSettings"] = j;
    return out;
}

bool FiberLossLengthSettings::fromJson(const Json::Value& json) {
    clear();
    if (json.isNull()) {
        logFailure("null argument");
        return false;
    }
    if (!json.isObject() || !json.isMember("FiberLossLengthSettings") || !json["FiberLossLengthSettings"].isObject()) {
        logFailure("no FiberLossLengthSettings object");
        return false;
    }
    const Json::Value& j = json["FiberLossLengthSettings"];
    if (JsonUtil::optString(j, "_className").value_or("") != "FiberLossLengthSettings") {
        KX_FROM_JSON_FAILED("_className");
        return false;
    }
    bool ok = true;
    // A missing key is logged with its name and reading goes on; the result reports it.
    auto text = [&](const char* key) -> boost::optional<std::string> {
        auto v = JsonUtil::optString(j, key);
        if (!v) {
            KX_FROM_JSON_FAILED(key);
            ok = false;
        }
        return v;
    };
    // Text of an enumeration; no match stores `noMatch` and fails the read.
    auto enumText = [&](const char* key, int32_t highest, auto textOf, int32_t noMatch) -> int32_t {
        auto t = text(key);
        if (!t) return noMatch;
        if (auto v = matchText(*t, highest, textOf)) return *v;
        KX_FROM_JSON_FAILED(key);
        ok = false;
        return noMatch;
    };
    int32_t version = -1;
    if (auto v = JsonUtil::optInt(j, "_classVersion"))
        version = *v;
    else {
        KX_FROM_JSON_FAILED("_classVersion");
        ok = false;
    }
    if (auto v = text("fiberName")) fiberName = *v;
    if (auto v = text("limitName")) limitName = *v;
    remoteEndSetup = static_cast<RemoteEndSetup>(enumText(
        "remoteEndSetup", 5, [](int32_t v) { return toString(static_cast<RemoteEndSetup>(v)); }, 0));
    cableEnd = CableEnd(-1);
    if (auto t = text("cableEnd")) {
        cableEnd = static_cast<CableEnd>(cableEndFromString(*t));
        if (cableEnd == CableEnd(-1)) {
            KX_FROM_JSON_FAILED("cableEnd");
            ok = false;
        }
    }
    referenceMethod = static_cast<FiberLLRefMethod>(enumText(
        "referenceMethod", 10, [](int32_t v) { return toString(static_cast<FiberLLRefMethod>(v)); }, 0));
    connectorType = static_cast<FiberConnectorType>(enumText(
        "connectorType", 9, [](int32_t v) { return toString(static_cast<FiberConnectorType>(v)); }, 0));
    biDirectionalEnabled = JsonUtil::optBool(j, "biDirectionalEnabled").value_or(true);
    numAdapters = JsonUtil::optCount(j, "numAdapters", UINT8_MAX);
    numSplices = JsonUtil::optCount(j, "numSplices", UINT8_MAX);
    if (version >= 1)
        farEndSourceType = static_cast<FarEndSourceType>(enumText(
            "farEndSourceType", 3, [](int32_t v) { return toString(static_cast<FarEndSourceType>(v)); }, 0));
    if (version >= 2) {
        fiberTestType = TestType::notSet;
        if (auto t = text("fiberTestType")) {
            if (auto tt = testTypeFromString(*t))
                fiberTestType = *tt;
            else {
                KX_FROM_JSON_FAILED("fiberTestType");
                ok = false;
            }
        }
    }
    if (version >= 3) {
        numLcConnectors = JsonUtil::optCount(j, "numLcConnectors", UINT8_MAX);
        numLcLowLossConnectors = JsonUtil::optCount(j, "numLcLowLossConnectors", UINT8_MAX);
        numLcUltraLowLossConnectors = JsonUtil::optCount(j, "numLcUltraLowLossConnectors", UINT8_MAX);
        numMpoConnectors = JsonUtil::optCount(j, "numMpoConnectors", UINT8_MAX);
        numMpoLowLossConnectors = JsonUtil::optCount(j, "numMpoLowLossConnectors", UINT8_MAX);
        numMpoUltraLowLossConnectors = JsonUtil::optCount(j, "numMpoUltraLowLossConnectors", UINT8_MAX);
    }
    return ok;
}

}  // namespace Kestrix
