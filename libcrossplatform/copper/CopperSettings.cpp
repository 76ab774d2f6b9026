#include "copper/CopperSettings.h"

#include "common/jsonutil.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"

namespace Kestrix {

const char* toString(CopperSettings::DoTdxTdr v) {
    switch (v) {
        case CopperSettings::DoTdxTdr::onFail: return "On Fail";
        case CopperSettings::DoTdxTdr::always: return "Always";
        case CopperSettings::DoTdxTdr::never: return "Never";
    }
    return "";
}

const char* toString(CopperSettings::StorePlotData v) {
    switch (v) {
        case CopperSettings::StorePlotData::off: return "Off";
        case CopperSettings::StorePlotData::standard: return "Standard";
        case CopperSettings::StorePlotData::extended: return "Extended";
        case CopperSettings::StorePlotData::null: return "NULL";
    }
    return "";
}

void CopperSettings::clear() {
    nvp = ScaledInt();
    cableTypeName.clear();
    outletConfiguration.clear();
    testLimitName.clear();
    shieldTest = false;
    bidiTestEnabled = false;
    ACWireMapEnabled = false;
    copperDoTDXTDR = DoTdxTdr::onFail;
    storePlotData = StorePlotData::off;
}

void CopperSettings::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(ACWireMapEnabled);
    w.write(shieldTest);
    w.write(cableTypeName);
    w.write(static_cast<uint8_t>(copperDoTDXTDR));
    w.write(static_cast<uint8_t>(storePlotData));
    nvp.serialize(w);
    w.write(outletConfiguration);
    w.write(testLimitName);
    w.write(bidiTestEnabled);
}

Marshal::StreamOpStatus CopperSettings::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    clear();
    uint8_t doTdx = 0;
    uint8_t store = 0;
    r.read(ACWireMapEnabled);
    r.read(shieldTest);
    r.read(cableTypeName);
    r.read(doTdx);
    r.read(store);
    copperDoTDXTDR = static_cast<DoTdxTdr>(doTdx);
    storePlotData = static_cast<StorePlotData>(store);
    if (auto st = nvp.deserialize(r); st != Marshal::ok) return st;
    r.read(outletConfiguration);
    r.read(testLimitName);
    if (version >= 1) r.read(bidiTestEnabled);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void CopperSettings::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperSettings::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["_className"] = "CopperSettings";
    o["_classVersion"] = kVersion;
    if (flags.detail > 0) {
        o["nvp"] = nvp.toString();
        o["cableTypeName"] = cableTypeName;
        o["outletConfiguration"] = outletConfiguration;
        o["testLimitName"] = testLimitName;
        o["shieldTest"] = shieldTest;
        o["bidiTestEnabled"] = bidiTestEnabled;
        o["ACWireMapEnabled"] = ACWireMapEnabled;
        o["copperDoTDXTDR"] = toString(copperDoTDXTDR);
        o["storePlotData"] = toString(storePlotData);
    }
    Json::Value root(Json::objectValue);
    root["CopperSettings"] = o;
    return root;
}

bool CopperSettings::fromJson(const Json::Value& json) {
    clear();
    if (!json.isObject() || !json.isMember("CopperSettings") || !json["CopperSettings"].isObject()) {
        KX_FROM_JSON_FAILED("CopperSettings");
        return false;
    }
    const Json::Value& o = json["CopperSettings"];
    bool good = true;
    auto readBool = [&](const char* key, bool& out) {
        if (auto v = JsonUtil::optBool(o, key)) {
            out = *v;
        } else {
            KX_FROM_JSON_FAILED(key);
            good = false;
        }
    };
    auto readText = [&](const char* key, std::string& out) -> bool {
        if (auto v = JsonUtil::optString(o, key)) {
            out = *v;
            return true;
        }
        KX_FROM_JSON_FAILED(key);
        good = false;
        return false;
    };
    readBool("ACWireMapEnabled", ACWireMapEnabled);
    readBool("shieldTest", shieldTest);
    readBool("bidiTestEnabled", bidiTestEnabled);
    readText("cableTypeName", cableTypeName);
    std::string text;
    if (readText("copperDoTDXTDR", text)) {
        copperDoTDXTDR = text == "On Fail" ? DoTdxTdr::onFail : text == "Always" ? DoTdxTdr::always : DoTdxTdr::never;
    }
    if (readText("storePlotData", text)) {
        storePlotData = text == "Off"        ? StorePlotData::off
                        : text == "Standard" ? StorePlotData::standard
                        : text == "Extended" ? StorePlotData::extended
                                             : StorePlotData::null;
    }
    if (readText("nvp", text) && !nvp.parse(text)) {
        KX_FROM_JSON_FAILED("nvp");
        good = false;
    }
    readText("outletConfiguration", outletConfiguration);
    readText("testLimitName", testLimitName);
    return good;
}

}  // namespace Kestrix
