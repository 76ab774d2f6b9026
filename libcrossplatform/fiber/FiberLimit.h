#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include <boost/container/flat_map.hpp>
#include <boost/container/flat_set.hpp>
#include <boost/optional.hpp>

#include "common/DatabasePackageManifest.h"
#include "fiber/FiberEnums.h"
#include "fiber/FiberImageLimitValues.h"
#include "fiber/FiberLimitTypes.h"
#include "fiber/FiberLimitValues.h"
#include "serialization/IDumpSerializable.h"

namespace Kestrix {

// A named fiber test limit: values per wavelength and category, behaviour flags, end-face rules.
class FiberLimit : public Marshal::IDumpSerializable, public Dump::IJsonable {
public:
    FiberLimit() { clear(); }
    // The booleans set, in order: mustUseLaunchComp, mustUseTailComp, doLengthBasedLossBudget,
    // dontUseNumConsAndSplices, ignoreEventLimitChecking, mustTestAllWavelengths, no2JumperMethod,
    // isVendorSystemLimit, splittersArePassFail.
    FiberLimit(FiberLimitType kind, std::string name, bool mustUseLaunchComp, bool mustUseTailComp,
               bool doLengthBasedLossBudget, bool dontUseNumConsAndSplices, bool ignoreEventLimitChecking,
               bool mustTestAllWavelengths, bool no2JumperMethod, bool isVendorSystemLimit, bool splittersArePassFail,
               const DatabasePackageManifestSummary& summary);

    void clear();
    bool operator==(const FiberLimit& o) const;

    bool isFlagSet(LimitFlag flag) const;
    void setFlag(LimitFlag flag, bool on);

    // First values entry of the wavelength that lists the category; a custom limit ("*name*") matches on
    // the wavelength alone.
    boost::optional<FiberLimitValues> getFiberLimitValues(FiberCategory category, int wavelength) const;
    boost::optional<int32_t> getImageZoneDist(FiberImageZone zone) const;

    // Replaces the entry with the same wavelength and category set, else appends a copy.
    void addFiberLimitValues(const FiberLimitValues& values);
    // Overwrites the rule with the same zone, type and size bound, else adds one; keeps the rules sorted.
    void addImageLimitValue(const FiberImageLimitValues& rule);
    void sortImageLimitValues();

    void serialize(Marshal::IObjectWriter& w) const override;
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    void dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;

    FiberLimitType limitType = FiberLimitType::otdr;
    std::vector<FiberLimitValues> valuesList;
    boost::container::flat_set<FiberPort> supportedPorts;
    std::vector<FiberImageLimitValues> imageLimitValues;
    DatabasePackageManifestSummary summary;
    std::string name;
    uint32_t limitFlags = 0;
    boost::container::flat_map<FiberImageZone, int32_t> imageZoneDist;
};

}  // namespace Kestrix
