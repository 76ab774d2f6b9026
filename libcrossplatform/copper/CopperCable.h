#pragma once
// The cable type a copper test ran on.
#include <cstdint>
#include <string>

#include "common/DatabasePackageManifest.h"
#include "common/ScaledInt.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

class CopperCable : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    enum class Shield : uint8_t { notUsed = 0, UUTP = 1, UFTP = 2, FUTP = 3, SFTP = 4, SFUTP = 5 };
    enum class CatId : uint8_t {
        cat3 = 1,
        cat4 = 2,
        cat5 = 3,
        cat5E = 4,
        cat6 = 5,
        cat6A = 6,
        cat7 = 7,
        cat7A = 8,
        cat8 = 9,
        coax = 10
    };

    CopperCable() { clear(); }
    void clear();

    void serialize(Marshal::IObjectWriter& w) const override;
    // Databases before V7.1 used the category 8 code for coax: such cables read as coax.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    Json::Value jsonBody(const Dump::DumpFlags& flags) const;

    const std::string& getName() const { return name; }
    bool isCoax() const { return catId == CatId::coax; }

    std::string name;
    ScaledInt nvp;
    int32_t impedance = 0;  // ohms
    Shield copperShield = Shield::notUsed;
    CatId catId = CatId::cat6;
    float tdLossTan = 0.0f;
    float tdP0 = 0.0f;
    float tdP1 = 0.0f;
    float tdP2 = 0.0f;
    float tdP3 = 0.0f;
    DatabasePackageManifestSummary dbPkgMfstSummary;
};

// "NOT_USED", "U/UTP", ...; empty for other values.
const char* toString(CopperCable::Shield s);
// "3", "4", "5", "5E", "6", "6A", "7", "7A", "8", "coax"; empty for other values.
const char* toString(CopperCable::CatId c);

}  // namespace Kestrix
