#include "fiber/FiberLimit.h"

#include <algorithm>

#include "common/Status.h"
#include "fiber/FiberJsonUtil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

FiberLimit::FiberLimit(FiberLimitType kind, std::string n, bool mustUseLaunchComp, bool mustUseTailComp,
                       bool doLengthBasedLossBudget, bool dontUseNumConsAndSplices, bool ignoreEventLimitChecking,
                       bool mustTestAllWavelengths, bool no2JumperMethod, bool isVendorSystemLimit,
                       bool splittersArePassFail, const DatabasePackageManifestSummary& s) {
    clear();
    limitType = kind;
    name = std::move(n);
    summary = s;
    setFlag(LimitFlag::mustUseLaunchComp, mustUseLaunchComp);
    setFlag(LimitFlag::mustUseTailComp, mustUseTailComp);
    setFlag(LimitFlag::doLengthBasedLossBudget, doLengthBasedLossBudget);
    setFlag(LimitFlag::dontUseNumConsAndSplices, dontUseNumConsAndSplices);
    setFlag(LimitFlag::ignoreEventLimitChecking, ignoreEventLimitChecking);
    setFlag(LimitFlag::mustTestAllWavelengths, mustTestAllWavelengths);
    setFlag(LimitFlag::no2JumperMethod, no2JumperMethod);
    setFlag(LimitFlag::isVendorSystemLimit, isVendorSystemLimit);
    setFlag(LimitFlag::splittersArePassFail, splittersArePassFail);
}

void FiberLimit::clear() {
    limitType = FiberLimitType::otdr;
    valuesList.clear();
    supportedPorts.clear();
    imageLimitValues.clear();
    summary = DatabasePackageManifestSummary();
    name.clear();
    limitFlags = 0;
    imageZoneDist.clear();
}

bool FiberLimit::operator==(const FiberLimit& o) const {
    return limitType == o.limitType && valuesList == o.valuesList && supportedPorts == o.supportedPorts &&
           imageLimitValues == o.imageLimitValues && name == o.name && limitFlags == o.limitFlags &&
           imageZoneDist == o.imageZoneDist &&
           Dump::toJsonString(summary, Dump::DumpFlags{2}, true) ==
               Dump::toJsonString(o.summary, Dump::DumpFlags{2}, true);
}

bool FiberLimit::isFlagSet(LimitFlag flag) const { return (limitFlags >> static_cast<uint32_t>(flag)) & 1u; }

void FiberLimit::setFlag(LimitFlag flag, bool on) {
    const uint32_t bit = 1u << static_cast<uint32_t>(flag);
    limitFlags = on ? (limitFlags | bit) : (limitFlags & ~bit);
}

boost::optional<FiberLimitValues> FiberLimit::getFiberLimitValues(FiberCategory category, int wavelength) const {
    const bool custom = isCustomObject(name.c_str());
    for (const auto& v : valuesList) {
        if (v.wavelength != wavelength) continue;
        if (custom || v.supportedCategories.count(category) != 0) return v;
    }
    return boost::none;
}

boost::optional<int32_t> FiberLimit::getImageZoneDist(FiberImageZone zone) const {
    auto it = imageZoneDist.find(zone);
    if (it == imageZoneDist.end()) return boost::none;
    return it->second;
}

void FiberLimit::addFiberLimitValues(const FiberLimitValues& values) {
    for (auto& v : valuesList) {
        if (v.wavelength == values.wavelength && v.supportedCategories == values.supportedCategories) {
            v.supportedCategories = values.supportedCategories;
            v.values = values.values;
            return;
        }
    }
    valuesList.push_back(values);
}

void FiberLimit::addImageLimitValue(const FiberImageLimitValues& rule) {
    auto same = std::find_if(imageLimitValues.begin(), imageLimitValues.end(), [&](const FiberImageLimitValues& r) {
        return r.zone == rule.zone && r.type == rule.type && r.maxFeatureSize == rule.maxFeatureSize;
    });
    if (same != imageLimitValues.end()) {
        same->allowedFeatures = rule.allowedFeatures;
        same->comparison = rule.comparison;
    } else {
        imageLimitValues.push_back(rule);
    }
    sortImageLimitValues();
}

void FiberLimit::sortImageLimitValues() {
    std::stable_sort(imageLimitValues.begin(), imageLimitValues.end(),
                     [](const FiberImageLimitValues& a, const FiberImageLimitValues& b) { return a.sortsBefore(b); });
}

void FiberLimit::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::FiberLimit);
    h.serialize(w);
    w.write(static_cast<uint8_t>(limitType));
    w.write(name);
    Marshal::writeList<uint8_t>(w, valuesList);
    w.write(limitFlags);
    const uint8_t nPorts = Marshal::writeCount<uint8_t>(w, supportedPorts.size());
    auto port = supportedPorts.begin();
    for (uint8_t i = 0; i < nPorts; ++i, ++port) w.write(static_cast<uint8_t>(*port));
    summary.serialize(w);
    Marshal::writeList<uint8_t>(w, imageLimitValues);
    for (uint8_t z = 0; z < kFiberImageZoneCount; ++z)
        w.write(getImageZoneDist(static_cast<FiberImageZone>(z)).value_or(0));
    h.finishWrite(w);
}

Marshal::StreamOpStatus FiberLimit::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::FiberLimit)) return st;
    clear();
    limitType = Marshal::readEnum<FiberLimitType>(r);
    r.read(name);
    if (auto st = Marshal::readList<uint8_t>(r, valuesList, FiberLimitValues::kMinWireSize)) return h.finishRead(r, st);
    r.read(limitFlags);
    auto readPort = [this](Marshal::IObjectReader& in) { supportedPorts.insert(Marshal::readEnum<FiberPort>(in)); };
    if (auto st = Marshal::readEach<uint8_t>(r, 1, readPort)) return h.finishRead(r, st);
    if (auto st = summary.deserialize(r)) return h.finishRead(r, st);
    if (h.classVersion >= 2) {
        if (auto st = Marshal::readList<uint8_t>(r, imageLimitValues, FiberImageLimitValues::kWireSize))
            return h.finishRead(r, st);
        for (uint8_t z = 0; z < kFiberImageZoneCount; ++z) {
            int32_t dist = 0;
            r.read(dist);
            if (dist != 0) imageZoneDist[static_cast<FiberImageZone>(z)] = dist;
        }
    }
    return FiberRead::finishSkippingExtra(h, r);
}

void FiberLimit::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FiberLimit::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["name"] = name;
    j["_className"] = "FiberLimit";
    j["_classVersion"] = Marshal::TypeIds::FiberLimit.version;
    if (flags.detail == 0) return FiberJson::wrap("FiberLimit", j);
    j["limitType"] = toString(limitType);
    Json::Value values(Json::arrayValue);
    for (const auto& v : valuesList) values.append(v.toJson(flags));
    j["fiberLimitValuesList"] = values;
    Json::Value rules(Json::arrayValue);
    for (const auto& rule : imageLimitValues) rules.append(rule.toJson(flags));
    j["imageLimitValues"] = rules;
    Json::Value ports(Json::arrayValue);
    for (auto p : supportedPorts) ports.append(toString(p));
    j["supportedPorts"] = ports;
    Json::Value names(Json::arrayValue);
    for (uint32_t bit = 0; bit < kLimitFlagCount; ++bit)
        if ((limitFlags >> bit) & 1u) names.append(toString(static_cast<LimitFlag>(bit)));
    j["limitFlags"] = names;
    Json::Value zones(Json::arrayValue);
    for (uint8_t z = 0; z < kFiberImageZoneCount; ++z)
        zones.append(getImageZoneDist(static_cast<FiberImageZone>(z)).value_or(0));
    j["imageZoneDist"] = zones;
    j["DatabasePackageManifestSummary"] = FiberJson::body(summary.toJson(flags), "DatabasePackageManifestSummary");
    return FiberJson::wrap("FiberLimit", j);
}

}  // namespace Kestrix
