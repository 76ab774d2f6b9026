#pragma once
// The tester's user preferences, exchanged with the host as one record.
#include <cstdint>
#include <string>

#include "common/InstrumentSettingsEnumsToString.h"
#include "common/Settings.h"

namespace Kestrix {

class InstrumentSettings : public Settings {
public:
    static constexpr int32_t kKind = 0;

    // Fields of class version 2 and up that this program does not interpret; written back as read.
    struct KeptBlock {
        uint8_t byte1 = 0;
        std::string text1;
        std::string text2;
        uint8_t byte2 = 0;
        uint8_t byte3 = 0;
        bool operator==(const KeptBlock&) const = default;
    };

    // The defaults of every field.
    void clear();
    bool equals(const InstrumentSettings& o) const;

    int32_t kind() const override { return kKind; }
    void serialize(Marshal::IObjectWriter& w) const override;
    // An enumeration value without a text is invalid data.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    // {"InstrumentSettings": {...}}, enumerations as their texts.
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    // False when a member is missing or an enumeration text is unknown.
    bool fromJson(const Json::Value& json) override;

    PowerDownTimeout powerDownTimeout = PowerDownTimeout::min10;
    ResultStorageLocation resultStorageLocation = ResultStorageLocation::internal;
    bool remoteModeEnabled = false;
    bool audibleToneEnabled = true;
    DateFormat dateFormat = DateFormat::mmddyyyy;
    TimeFormat timeFormat = TimeFormat::h12;
    Language language = Language::english;
    LengthUnits lengthUnits = LengthUnits::metres;
    NumericFormat numericFormat = NumericFormat::decimalPoint;
    BacklightTimeout backlightTimeout = BacklightTimeout::min5;
    PowerLineFrequency powerLineFrequency = PowerLineFrequency::hz60;
    bool plotGridEnabled = true;
    int16_t displayBrightness = 250;
    IPAddressSource ipAddressSource = IPAddressSource::dhcp;
    std::string ipAddress;
    std::string ipSubnet;
    std::string ipGateway;
    std::string ipDNS1;
    std::string ipDNS2;
    std::string ipDNS3;
    std::string ipDNS4;
    KeptBlock kept;
};

}  // namespace Kestrix
