#include "copper/CopperRawData.h"

#include <utility>

#include "common/jsonutil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"

namespace Kestrix {

namespace {
// A stored float array: uint32 count and the values; the count is checked before anything is allocated.
Marshal::StreamOpStatus readFloats(Marshal::IObjectReader& r, std::vector<float>& out) {
    return Marshal::readValues<uint32_t>(r, out);
}

void writeFloats(Marshal::IObjectWriter& w, const std::vector<float>& v) {
    w.write(static_cast<uint32_t>(v.size()));
    if (!v.empty()) w.write(v.data(), static_cast<uint32_t>(v.size()));
}

Json::Value floatArray(const std::vector<float>& v) {
    Json::Value arr(Json::arrayValue);
    for (float x : v) arr.append(JsonUtil::jsonNumber(x));
    return arr;
}
}  // namespace

// ---- CopperRawDataPlot

void CopperRawDataPlot::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(testType));
    w.write(static_cast<uint8_t>(cableEnd));
    w.write(static_cast<uint8_t>(srcPair));
    w.write(static_cast<uint8_t>(rcvPair));
    writeFloats(w, real);
    writeFloats(w, imaginary);
}

Marshal::StreamOpStatus CopperRawDataPlot::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version != kVersion) return Marshal::versionTooNew;
    uint8_t type = 0, end = 0, src = 0, rcv = 0;
    r.read(type);
    r.read(end);
    r.read(src);
    r.read(rcv);
    if (r.failed()) return Marshal::readError;
    testType = static_cast<CopperTestType>(type);
    cableEnd = static_cast<CableEnd>(end);
    srcPair = static_cast<WirePair>(src);
    rcvPair = static_cast<WirePair>(rcv);
    if (auto st = readFloats(r, real); st != Marshal::ok) return st;
    return readFloats(r, imaginary);
}

void CopperRawDataPlot::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperRawDataPlot::jsonBody(const Dump::DumpFlags&) const {
    Json::Value o(Json::objectValue);
    o["testType"] = toString(testType);
    o["cableEnd"] = toString(cableEnd);
    o["srcPair"] = toString(srcPair);
    o["rcvPair"] = toString(rcvPair);
    o["real"] = floatArray(real);
    o["imaginary"] = floatArray(imaginary);
    return o;
}

Json::Value CopperRawDataPlot::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperRawDataPlot"] = jsonBody(flags);
    return root;
}

// ---- CopperRawData

CopperRawData::CopperRawData(const CopperRawData& o) { *this = o; }

CopperRawData& CopperRawData::operator=(const CopperRawData& o) {
    if (this == &o) return *this;
    plots.clear();
    plots.reserve(o.plots.size());
    for (const auto& p : o.plots) plots.push_back(p ? std::make_shared<CopperRawDataPlot>(*p) : nullptr);
    return *this;
}

void CopperRawData::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperRawData);
    h.serialize(w);
    uint32_t n = 0;
    for (const auto& p : plots)
        if (p) ++n;
    w.write(n);
    for (const auto& p : plots)
        if (p) p->serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperRawData::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperRawData)) return st;
    clear();
    auto readPlot = [this](Marshal::IObjectReader& in) {
        auto p = std::make_shared<CopperRawDataPlot>();
        if (auto st = p->deserialize(in)) return st;
        plots.push_back(std::move(p));
        return Marshal::ok;
    };
    if (auto st = Marshal::readEach<uint32_t>(r, CopperRawDataPlot::kMinWireSize, readPlot)) return st;
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void CopperRawData::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperRawData::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value arr(Json::arrayValue);
    for (const auto& p : plots)
        if (p) arr.append(p->jsonBody(flags));
    Json::Value o(Json::objectValue);
    o["plots"] = std::move(arr);
    return o;
}

Json::Value CopperRawData::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperRawData"] = jsonBody(flags);
    return root;
}

}  // namespace Kestrix
