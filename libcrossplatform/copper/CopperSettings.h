#pragma once
#include <cstdint>
#include <string>

#include "common/ScaledInt.h"
#include "common/Settings.h"

namespace Kestrix {

// Setup of a copper certification test, stored in every copper test and in copper test sets.
class CopperSettings : public Settings {
public:
    enum class DoTdxTdr : uint8_t { onFail = 0, always = 1, never = 2 };
    enum class StorePlotData : uint8_t { off = 0, standard = 1, extended = 2, null = 3 };

    static constexpr uint8_t kVersion = 1;
    static constexpr int32_t kKind = 3;

    CopperSettings() { clear(); }
    void clear();

    int32_t kind() const override { return kKind; }
    bool fromJson(const Json::Value& json) override;

    // No object header: a version byte (0 or 1) and the fields.
    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    ScaledInt nvp;
    std::string cableTypeName;
    std::string outletConfiguration;
    std::string testLimitName;
    bool shieldTest = false;
    bool bidiTestEnabled = false;
    bool ACWireMapEnabled = false;
    DoTdxTdr copperDoTDXTDR = DoTdxTdr::onFail;
    StorePlotData storePlotData = StorePlotData::off;
};

// "On Fail", "Always", "Never"; empty for other values.
const char* toString(CopperSettings::DoTdxTdr v);
// "Off", "Standard", "Extended", "NULL"; empty for other values.
const char* toString(CopperSettings::StorePlotData v);

}  // namespace Kestrix
