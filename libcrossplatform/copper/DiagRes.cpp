#include "copper/DiagRes.h"

#include "common/jsonutil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

const char* toString(DiagFailure::Type t) {
    switch (t) {
        case DiagFailure::Type::acmap: return "acmap";
        case DiagFailure::Type::acmapTooManyFailures: return "ac map too many failures";
    }
    return "";
}

const char* toString(DiagEvent::FailureType t) {
    switch (t) {
        case DiagEvent::FailureType::connector: return "connector";
        case DiagEvent::FailureType::badRegion: return "bad region";
        case DiagEvent::FailureType::badPoint: return "bad point";
        case DiagEvent::FailureType::wholeLink: return "whole link";
        case DiagEvent::FailureType::other: return "other";
    }
    return "";
}

const char* diagElementText(uint8_t element) {
    static const char* const kTexts[] = {"",
                                         "pair 1",
                                         "pair 2",
                                         "pair 3",
                                         "pair 4",
                                         "pin 1",
                                         "pin 2",
                                         "pin 3",
                                         "pin 4",
                                         "pin 5",
                                         "pin 6",
                                         "pin 7",
                                         "pin 8",
                                         "pin shield",
                                         "pair combo 12",
                                         "pair combo 13",
                                         "pair combo 14",
                                         "pair combo 23",
                                         "pair combo 24",
                                         "pair combo 34",
                                         "pair combo 21",
                                         "pair combo 31",
                                         "pair combo 41",
                                         "pair combo 32",
                                         "pair combo 42",
                                         "pair combo 43"};
    return element < sizeof(kTexts) / sizeof(kTexts[0]) ? kTexts[element] : "";
}

// ---- DiagFailure

void DiagFailure::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(type));
    w.write(dfPinPair1);
    w.write(dfPinPair2);
    w.write(value);
}

Marshal::StreamOpStatus DiagFailure::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    // An unknown record layout cannot be skipped: there is no length.
    if (version > kVersion) return Marshal::versionTooNew;
    type = Marshal::readEnum<Type>(r);
    r.read(dfPinPair1);
    r.read(dfPinPair2);
    r.read(value);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void DiagFailure::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value DiagFailure::toJson(const Dump::DumpFlags&) const {
    Json::Value o(Json::objectValue);
    o["type"] = toString(type);
    o["dfPinPair1"] = diagElementText(dfPinPair1);
    o["dfPinPair2"] = diagElementText(dfPinPair2);
    o["value"] = value;
    Json::Value root(Json::objectValue);
    root["DiagFailure"] = o;
    return root;
}

// ---- DiagEvent

void DiagEvent::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(failureType));
    w.write(begin);
    w.write(end);
    w.write(static_cast<uint32_t>(failures.size()));
    for (const auto& fl : failures) fl.serialize(w);
}

Marshal::StreamOpStatus DiagEvent::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    failureType = Marshal::readEnum<FailureType>(r);
    r.read(begin);
    r.read(end);
    if (auto st = Marshal::readList<uint32_t>(r, failures, DiagFailure::kMinWireSize)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void DiagEvent::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value DiagEvent::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["failureType"] = toString(failureType);
    o["begin"] = JsonUtil::jsonNumber(begin);
    o["end"] = JsonUtil::jsonNumber(end);
    Json::Value arr(Json::arrayValue);
    for (const auto& fl : failures) arr.append(fl.toJson(flags));
    o["failures"] = arr;
    Json::Value root(Json::objectValue);
    root["DiagEvent"] = o;
    return root;
}

// ---- DiagRes

void DiagRes::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::DiagRes);
    h.serialize(w);
    w.write(static_cast<uint32_t>(events.size()));
    for (const auto& e : events) e.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus DiagRes::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::DiagRes)) return st;
    clear();
    uint32_t count = 0;
    if (!Marshal::readCount<uint32_t>(r, DiagEvent::kMinWireSize, count)) return h.finishRead(r, Marshal::readError);
    events.resize(count);
    for (auto& e : events) {
        if (auto st = e.deserialize(r); st != Marshal::ok) return st;
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void DiagRes::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value DiagRes::toJson(const Dump::DumpFlags& flags) const {
    Json::Value arr(Json::arrayValue);
    for (const auto& e : events) arr.append(e.toJson(flags));
    Json::Value o(Json::objectValue);
    o["events"] = arr;
    Json::Value root(Json::objectValue);
    root["DiagRes"] = o;
    return root;
}

}  // namespace Kestrix
