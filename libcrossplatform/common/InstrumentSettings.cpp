#include "common/InstrumentSettings.h"

#include <limits>

#include "common/jsonutil.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"

namespace Kestrix {

using namespace Marshal;

namespace {

// The address texts: a uint32 length and the characters, without NUL.
void writeText32(IObjectWriter& w, const std::string& s) {
    w.write(static_cast<uint32_t>(s.size()));
    w.write(s.data(), static_cast<uint32_t>(s.size()));
}

bool readText32(IObjectReader& r, std::string& s) {
    s.clear();
    uint32_t n = 0;
    if (!r.read(n)) return false;
    // Untrusted length: nothing is allocated unless the bytes are there.
    if (n > r.remaining()) return false;
    s.assign(n, '\0');
    return r.read(s.data(), n);
}

template <typename E>
E enumFromByte(uint8_t b) {
    return static_cast<E>(b);
}

template <typename E>
uint8_t byteOf(E v) {
    return static_cast<uint8_t>(v);
}

}  // namespace

void InstrumentSettings::clear() { *this = InstrumentSettings(); }

bool InstrumentSettings::equals(const InstrumentSettings& o) const {
    return powerDownTimeout == o.powerDownTimeout && resultStorageLocation == o.resultStorageLocation &&
           remoteModeEnabled == o.remoteModeEnabled && audibleToneEnabled == o.audibleToneEnabled &&
           dateFormat == o.dateFormat && timeFormat == o.timeFormat && language == o.language &&
           lengthUnits == o.lengthUnits && numericFormat == o.numericFormat && backlightTimeout == o.backlightTimeout &&
           powerLineFrequency == o.powerLineFrequency && plotGridEnabled == o.plotGridEnabled &&
           displayBrightness == o.displayBrightness && ipAddressSource == o.ipAddressSource &&
           ipAddress == o.ipAddress && ipSubnet == o.ipSubnet && ipGateway == o.ipGateway && ipDNS1 == o.ipDNS1 &&
           ipDNS2 == o.ipDNS2 && ipDNS3 == o.ipDNS3 && ipDNS4 == o.ipDNS4 && kept == o.kept;
}

void InstrumentSettings::serialize(IObjectWriter& w) const {
    Header h(TypeIds::InstrumentSettings);
    h.serialize(w);
    w.write(byteOf(powerDownTimeout));
    w.write(static_cast<uint8_t>(static_cast<int32_t>(resultStorageLocation)));
    w.write(remoteModeEnabled);
    w.write(audibleToneEnabled);
    w.write(byteOf(dateFormat));
    w.write(byteOf(timeFormat));
    w.write(byteOf(language));
    w.write(byteOf(lengthUnits));
    w.write(byteOf(numericFormat));
    w.write(byteOf(backlightTimeout));
    w.write(byteOf(powerLineFrequency));
    w.write(plotGridEnabled);
    w.write(displayBrightness);
    w.write(byteOf(ipAddressSource));
    for (const std::string* s : {&ipAddress, &ipSubnet, &ipGateway, &ipDNS1, &ipDNS2, &ipDNS3, &ipDNS4})
        writeText32(w, *s);
    w.write(kept.byte1);
    w.write(kept.text1);
    w.write(kept.text2);
    w.write(kept.byte2);
    w.write(kept.byte3);
    h.finishWrite(w);
}

StreamOpStatus InstrumentSettings::deserialize(IObjectReader& r) {
    Header h;
    if (auto st = h.begin(r, TypeIds::InstrumentSettings)) return st;
    const PowerDownTimeout keep = powerDownTimeout;
    clear();
    powerDownTimeout = keep;

    uint8_t b[13] = {};
    r.read(b, 2);
    r.read(b[2]);
    r.read(b[3]);
    r.read(b + 4, 7);
    r.read(b[11]);
    r.read(displayBrightness);
    r.read(b[12]);
    bool textsOk = true;
    for (std::string* s : {&ipAddress, &ipSubnet, &ipGateway, &ipDNS1, &ipDNS2, &ipDNS3, &ipDNS4})
        textsOk = textsOk && readText32(r, *s);
    if (!textsOk) return readError;
    if (h.classVersion >= 2) {
        r.read(kept.byte1);
        r.read(kept.text1);
        r.read(kept.text2);
        r.read(kept.byte2);
        r.read(kept.byte3);
    }
    if (r.failed()) return h.finishRead(r, readError);

    // Values without a text would stop the process when printed: refuse them here, before they are stored.
    const bool textsKnown = hasText(enumFromByte<PowerDownTimeout>(b[0])) && hasText(enumFromByte<DateFormat>(b[4])) &&
                            hasText(enumFromByte<TimeFormat>(b[5])) && hasText(enumFromByte<Language>(b[6])) &&
                            hasText(enumFromByte<LengthUnits>(b[7])) && hasText(enumFromByte<NumericFormat>(b[8])) &&
                            hasText(enumFromByte<BacklightTimeout>(b[9])) &&
                            hasText(enumFromByte<PowerLineFrequency>(b[10])) &&
                            hasText(enumFromByte<IPAddressSource>(b[12]));
    if (!textsKnown) return h.finishRead(r, invalidData);

    powerDownTimeout = enumFromByte<PowerDownTimeout>(b[0]);
    resultStorageLocation = static_cast<ResultStorageLocation>(b[1]);
    remoteModeEnabled = b[2] != 0;
    audibleToneEnabled = b[3] != 0;
    dateFormat = enumFromByte<DateFormat>(b[4]);
    timeFormat = enumFromByte<TimeFormat>(b[5]);
    language = enumFromByte<Language>(b[6]);
    lengthUnits = enumFromByte<LengthUnits>(b[7]);
    numericFormat = enumFromByte<NumericFormat>(b[8]);
    backlightTimeout = enumFromByte<BacklightTimeout>(b[9]);
    powerLineFrequency = enumFromByte<PowerLineFrequency>(b[10]);
    plotGridEnabled = b[11] != 0;
    ipAddressSource = enumFromByte<IPAddressSource>(b[12]);
    return h.finishRead(r, ok);
}

void InstrumentSettings::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value InstrumentSettings::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["_className"] = "InstrumentSettings";
    o["_classVersion"] = TypeIds::InstrumentSettings.version;
    if (flags.detail > 0) {
        o["powerDownTimeout"] = toString(powerDownTimeout);
        o["remoteModeEnabled"] = remoteModeEnabled;
        o["audibleToneEnabled"] = audibleToneEnabled;
        o["dateFormat"] = toString(dateFormat);
        o["timeFormat"] = toString(timeFormat);
        o["language"] = toString(language);
        o["lengthUnits"] = toString(lengthUnits);
        o["numericFormat"] = toString(numericFormat);
        o["backlightTimeout"] = toString(backlightTimeout);
        o["powerLineFrequency"] = toString(powerLineFrequency);
        o["plotGridEnabled"] = plotGridEnabled;
        o["displayBrightness"] = displayBrightness;
        o["ipAddressSource"] = toString(ipAddressSource);
        o["ipAddress"] = ipAddress;
        o["ipSubnet"] = ipSubnet;
        o["ipGateway"] = ipGateway;
        o["ipDNS1"] = ipDNS1;
        o["ipDNS2"] = ipDNS2;
        o["ipDNS3"] = ipDNS3;
        o["ipDNS4"] = ipDNS4;
    }
    Json::Value root(Json::objectValue);
    root["InstrumentSettings"] = o;
    return root;
}

namespace {

class Fields {
public:
    explicit Fields(const Json::Value& o) : _o(o) {}

    template <typename E>
    void readEnum(const char* key, E& out) {
        auto t = JsonUtil::optString(_o, key);
        auto v = t ? fromString<E>(*t) : boost::none;
        if (v)
            out = *v;
        else
            fail(key);
    }
    void readBool(const char* key, bool& out) {
        if (auto v = JsonUtil::optBool(_o, key))
            out = *v;
        else
            fail(key);
    }
    void readText(const char* key, std::string& out) {
        if (auto v = JsonUtil::optString(_o, key))
            out = *v;
        else
            fail(key);
    }
    void readInt16(const char* key, int16_t& out) {
        auto v = JsonUtil::optInt(_o, key);
        if (v && *v >= std::numeric_limits<int16_t>::min() && *v <= std::numeric_limits<int16_t>::max())
            out = static_cast<int16_t>(*v);
        else
            fail(key);
    }
    void fail(const char* key) {
        KX_FROM_JSON_FAILED(key);
        _ok = false;
    }
    bool ok() const { return _ok; }

private:
    const Json::Value& _o;
    bool _ok = true;
};

}  // namespace

bool InstrumentSettings::fromJson(const Json::Value& json) {
    clear();
    static constexpr char kMember[] = "InstrumentSettings";
    const Json::Value* o = json.isObject() ? json.find(kMember, kMember + sizeof kMember - 1) : nullptr;
    if (o == nullptr || !o->isObject()) {
        KX_FROM_JSON_FAILED("InstrumentSettings");
        return false;
    }
    Fields f(*o);
    f.readEnum("powerDownTimeout", powerDownTimeout);
    // Not written by toJson(); older hosts sent it.
    if (auto t = JsonUtil::optString(*o, "resultStorageLocation"))
        resultStorageLocation = resultStorageLocationFromString(*t);
    f.readBool("remoteModeEnabled", remoteModeEnabled);
    f.readBool("audibleToneEnabled", audibleToneEnabled);
    f.readEnum("dateFormat", dateFormat);
    f.readEnum("timeFormat", timeFormat);
    f.readEnum("language", language);
    f.readEnum("lengthUnits", lengthUnits);
    f.readEnum("numericFormat", numericFormat);
    f.readEnum("backlightTimeout", backlightTimeout);
    f.readEnum("powerLineFrequency", powerLineFrequency);
    f.readBool("plotGridEnabled", plotGridEnabled);
    f.readInt16("displayBrightness", displayBrightness);
    f.readEnum("ipAddressSource", ipAddressSource);
    f.readText("ipAddress", ipAddress);
    f.readText("ipSubnet", ipSubnet);
    f.readText("ipGateway", ipGateway);
    f.readText("ipDNS1", ipDNS1);
    f.readText("ipDNS2", ipDNS2);
    f.readText("ipDNS3", ipDNS3);
    f.readText("ipDNS4", ipDNS4);
    return f.ok();
}

}  // namespace Kestrix
