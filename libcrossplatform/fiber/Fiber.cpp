#include "fiber/Fiber.h"

#include "common/jsonutil.h"
#include "fiber/FiberJsonUtil.h"
#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IFormatter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {

bool sameScaled(const ScaledInt& a, const ScaledInt& b) { return a.value == b.value && a.scaledTo == b.scaledTo; }

}  // namespace

bool FiberPerWl::operator==(const FiberPerWl& o) const {
    return wavelength == o.wavelength && ir == o.ir && modalBandwidth == o.modalBandwidth &&
           sameScaled(backscatterCoef, o.backscatterCoef);
}

void FiberPerWl::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint16_t>(wavelength));
    w.write(ir);
    w.write(static_cast<uint16_t>(modalBandwidth));
    backscatterCoef.serialize(w);
}

Marshal::StreamOpStatus FiberPerWl::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    *this = FiberPerWl();
    uint16_t wl = 0;
    uint16_t mbw = 0;
    r.read(wl);
    if (version < 2) {
        float narrow = 0;
        r.read(narrow);
        ir = narrow;
    } else {
        r.read(ir);
    }
    r.read(mbw);
    wavelength = wl;
    modalBandwidth = mbw;
    if (auto st = backscatterCoef.deserialize(r)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberPerWl::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FiberPerWl::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["wavelength"] = wavelength;
    j["ir"] = JsonUtil::jsonNumber(ir);
    j["modalBandwidth"] = modalBandwidth;
    j["backscatterCoef"] = backscatterCoef.toString();
    return FiberJson::wrap("FiberPerWl", j);
}

Fiber::Fiber(std::string n, FiberCategory cat, ScaledInt core, FiberMode mode, const DatabasePackageManifestSummary& s)
    : category(cat), coreSize(core), summary(s), name(std::move(n)), fiberMode(mode) {}

void Fiber::clear() {
    category = FiberCategory::none;
    coreSize = ScaledInt();
    summary = DatabasePackageManifestSummary();
    name.clear();
    fiberMode = FiberMode::multimode;
    perWls.clear();
}

bool Fiber::operator==(const Fiber& o) const {
    return category == o.category && sameScaled(coreSize, o.coreSize) && name == o.name && fiberMode == o.fiberMode &&
           perWls == o.perWls &&
           Dump::toJsonString(summary, Dump::DumpFlags{2}, true) ==
               Dump::toJsonString(o.summary, Dump::DumpFlags{2}, true);
}

const FiberPerWl* Fiber::getFiberPerWl(int wavelength) const {
    for (const auto& p : perWls)
        if (static_cast<int64_t>(p.wavelength) == wavelength) return &p;
    return nullptr;
}

FiberPerWl* Fiber::getFiberPerWl(int wavelength) {
    return const_cast<FiberPerWl*>(static_cast<const Fiber*>(this)->getFiberPerWl(wavelength));
}

FiberPerWl& Fiber::perWlFor(uint16_t wavelength) {
    for (auto& p : perWls)
        if (p.wavelength == wavelength) return p;
    perWls.emplace_back(wavelength);
    return perWls.back();
}

FiberCoreSize Fiber::getNominalCoreSize() const {
    if (coreSize > ScaledInt(57.0f, ScaledInt::ones)) return FiberCoreSize::above57um;
    if (coreSize > ScaledInt(30.0f, ScaledInt::ones)) return FiberCoreSize::upTo57um;
    return FiberCoreSize::upTo30um;
}

void Fiber::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::Fiber);
    h.serialize(w);
    w.write(name);
    w.write(static_cast<uint8_t>(category));
    coreSize.serialize(w);
    w.write(static_cast<uint8_t>(fiberMode));
    summary.serialize(w);
    Marshal::writeList<uint16_t>(w, perWls);
    h.finishWrite(w);
}

Marshal::StreamOpStatus Fiber::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::Fiber)) return st;
    clear();
    r.read(name);
    category = Marshal::readEnum<FiberCategory>(r);
    if (auto st = coreSize.deserialize(r)) return h.finishRead(r, st);
    fiberMode = Marshal::readEnum<FiberMode>(r);
    if (auto st = summary.deserialize(r)) return h.finishRead(r, st);
    if (auto st = Marshal::readList<uint16_t>(r, perWls, FiberPerWl::kMinWireSize)) return h.finishRead(r, st);
    return FiberRead::finishSkippingExtra(h, r);
}

void Fiber::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value Fiber::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["name"] = name;
    j["category"] = toString(category);
    j["coreSize"] = coreSize.toString();
    j["fiberMode"] = toString(fiberMode);
    j["DatabasePackageManifestSummary"] = FiberJson::body(summary.toJson(flags), "DatabasePackageManifestSummary");
    Json::Value arr(Json::arrayValue);
    for (const auto& p : perWls) arr.append(p.toJson(flags));
    j["perWls"] = arr;
    return FiberJson::wrap("Fiber", j);
}

}  // namespace Kestrix
