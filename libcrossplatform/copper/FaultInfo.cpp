#include "copper/FaultInfo.h"

#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

namespace {
constexpr auto& kTypeInfo = Marshal::TypeIds::FaultInfo;

Json::Value classObject(const char* className) {
    Json::Value o(Json::objectValue);
    o["_className"] = className;
    o["_classVersion"] = kTypeInfo.version;
    return o;
}

Json::Value wrap(const char* member, const Json::Value& o) {
    Json::Value root(Json::objectValue);
    root[member] = o;
    return root;
}
}  // namespace

const char* toString(FaultInfoCableElement::Type t) {
    switch (t) {
        case FaultInfoCableElement::Type::unknown: return "Unknown";
        case FaultInfoCableElement::Type::connector: return "Connector";
        case FaultInfoCableElement::Type::segment: return "Segment";
    }
    return "";
}

const char* toString(FaultInfoEvent::Priority p) {
    switch (p) {
        case FaultInfoEvent::Priority::unknown: return "Unknown";
        case FaultInfoEvent::Priority::primary: return "Primary";
        case FaultInfoEvent::Priority::secondary: return "Secondary";
        case FaultInfoEvent::Priority::inactive: return "Inactive";
    }
    return "";
}

const char* faultTypeText(uint8_t type) {
    static const char* const kTexts[] = {"Unknown",
                                         "Length Over Limit",
                                         "Cable Issue - RL 1",
                                         "Cable Issue - RL 2",
                                         "Cable Issue - NEXT 1",
                                         "Cable Issue - NEXT 2",
                                         "Cable Issue - NEXT 3",
                                         "Wrong Category Connector",
                                         "Excessive Untwist",
                                         "Too many connectors",
                                         "Reset reference",
                                         "DC Contact Resistance",
                                         "Water in Cable",
                                         "Lubricant in Cable",
                                         "Wiremap",
                                         "Analyzer Error"};
    return type < sizeof(kTexts) / sizeof(kTexts[0]) ? kTexts[type] : "";
}

// ---- FaultInfoCableElement

void FaultInfoCableElement::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(kTypeInfo);
    h.serialize(w);
    w.write(static_cast<uint8_t>(type));
    w.write(id);
    w.write(length);
    w.write(location);
    w.write(rank);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FaultInfoCableElement::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, kTypeInfo)) return st;
    type = Marshal::readEnum<Type>(r);
    r.read(id);
    r.read(length);
    r.read(location);
    r.read(rank);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FaultInfoCableElement::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FaultInfoCableElement::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o = classObject("FaultInfoCableElement");
    if (flags.detail > 0) {
        o["type"] = toString(type);
        o["id"] = id;
        o["length"] = length;
        o["location"] = location;
        o["rank"] = rank;
    }
    return wrap("FaultInfoCableElement", o);
}

// ---- FaultInfoEvent

void FaultInfoEvent::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(kTypeInfo);
    h.serialize(w);
    w.write(type);
    w.write(static_cast<uint8_t>(priority));
    w.write(entireLink);
    w.write(location);
    w.write(startLocation);
    w.write(endLocation);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FaultInfoEvent::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, kTypeInfo)) return st;
    uint8_t p = 0;
    r.read(type);
    r.read(p);
    priority = static_cast<Priority>(p);
    r.read(entireLink);
    r.read(location);
    r.read(startLocation);
    r.read(endLocation);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FaultInfoEvent::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FaultInfoEvent::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o = classObject("FaultInfoEvent");
    if (flags.detail > 0) {
        o["type"] = faultTypeText(type);
        o["priority"] = toString(priority);
        o["entireLink"] = entireLink;
        o["location"] = location;
        o["startLocation"] = startLocation;
        o["endLocation"] = endLocation;
    }
    return wrap("FaultInfoEvent", o);
}

// ---- FaultInfoResult

void FaultInfoResult::clear() {
    cableElements.clear();
    faults.clear();
    totalLength = 0;
    numConnectors = 0;
}

void FaultInfoResult::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(kTypeInfo);
    h.serialize(w);
    w.write(static_cast<uint32_t>(cableElements.size()));
    for (const auto& e : cableElements) e.serialize(w);
    w.write(static_cast<uint32_t>(faults.size()));
    for (const auto& e : faults) e.serialize(w);
    w.write(totalLength);
    w.write(numConnectors);
    h.finishWrite(w);
}

Marshal::StreamOpStatus FaultInfoResult::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, kTypeInfo)) return st;
    clear();
    if (auto st = Marshal::readList<uint32_t>(r, cableElements, FaultInfoCableElement::kMinWireSize)) return st;
    if (auto st = Marshal::readList<uint32_t>(r, faults, FaultInfoEvent::kMinWireSize)) return st;
    r.read(totalLength);
    r.read(numConnectors);
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void FaultInfoResult::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value FaultInfoResult::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o = classObject("FaultInfo");
    if (flags.detail > 0) {
        Json::Value elements(Json::arrayValue);
        for (const auto& e : cableElements) elements.append(e.toJson(flags));
        Json::Value events(Json::arrayValue);
        for (const auto& e : faults) events.append(e.toJson(flags));
        o["cableElements"] = elements;
        o["faults"] = events;
        o["totalLength"] = totalLength;
        o["numConnectors"] = numConnectors;
    }
    return wrap("FaultInfo", o);
}

}  // namespace Kestrix
