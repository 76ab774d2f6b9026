#include "copper/CopperPlots.h"

#include <utility>

#include "common/jsonutil.h"
#include "copper/CopperUtil.h"
#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/IObjectReader.h"
#include "serialization/IObjectWriter.h"
#include "serialization/JsonText.h"

namespace Kestrix {

// ---- CopperPlot

void CopperPlot::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint16_t>(testType));
    w.write(static_cast<uint8_t>(cableEnd));
    w.write(static_cast<uint8_t>(srcPair));
    w.write(static_cast<uint8_t>(rcvPair));
    w.write(static_cast<int8_t>(scaledTo));
    w.write(endIndex);
    w.write(kEncodingPacked);
    writePackedCurve(w, data);
}

Marshal::StreamOpStatus CopperPlot::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version != kVersion) return Marshal::versionTooNew;
    uint16_t type = 0;
    uint8_t end = 0, src = 0, rcv = 0, encoding = 0;
    int8_t scale = 0;
    r.read(type);
    r.read(end);
    r.read(src);
    r.read(rcv);
    r.read(scale);
    r.read(endIndex);
    r.read(encoding);
    if (r.failed()) return Marshal::readError;
    testType = static_cast<CopperTestType>(type);
    cableEnd = static_cast<CableEnd>(end);
    srcPair = static_cast<WirePair>(src);
    rcvPair = static_cast<WirePair>(rcv);
    scaledTo = static_cast<ScaledInt::ScaledTo>(scale);
    if (encoding != kEncodingPacked) return Marshal::readError;
    return readPackedCurve(r, data);
}

void CopperPlot::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperPlot::jsonBody(const Dump::DumpFlags&) const {
    Json::Value o(Json::objectValue);
    o["size"] = static_cast<Json::UInt>(data.size());
    o["testType"] = toString(testType);
    o["cableEnd"] = toString(cableEnd);
    o["srcPair"] = toString(srcPair);
    o["rcvPair"] = toString(rcvPair);
    o["scaledTo"] = toString(scaledTo);
    o["endIndex"] = endIndex;
    Json::Value samples(Json::arrayValue);
    for (int16_t s : data) samples.append(s);
    o["data"] = std::move(samples);
    return o;
}

Json::Value CopperPlot::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperPlot"] = jsonBody(flags);
    return root;
}

// ---- CopperPlots

CopperPlots::CopperPlots(const CopperPlots& o) { *this = o; }

CopperPlots& CopperPlots::operator=(const CopperPlots& o) {
    if (this == &o) return *this;
    plots.clear();
    plots.reserve(o.plots.size());
    for (const auto& p : o.plots) plots.push_back(p ? std::make_shared<CopperPlot>(*p) : nullptr);
    nsPerSample = o.nsPerSample;
    zeroLengthIndex = o.zeroLengthIndex;
    _derived = o._derived;
    return *this;
}

void CopperPlots::clear() {
    plots.clear();
    nsPerSample = 0.0f;
    zeroLengthIndex = 0;
    _derived = false;
}

bool CopperPlots::isStoredType(CopperTestType t) {
    switch (t) {
        case CopperTestType::tdr:
        case CopperTestType::tdx:
        case CopperTestType::il:
        case CopperTestType::next:
        case CopperTestType::rl:
        case CopperTestType::fext:
        case CopperTestType::tcl:
        case CopperTestType::cdnext:
        case CopperTestType::tctl:
        case CopperTestType::cdfext:
        case CopperTestType::cmrl: return true;
        default: return false;
    }
}

uint32_t CopperPlots::storedCount() const {
    uint32_t n = 0;
    for (const auto& p : plots)
        if (p && isStoredType(p->testType)) ++n;
    return n;
}

void CopperPlots::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperPlots);
    h.serialize(w);
    w.write(nsPerSample);
    w.write(zeroLengthIndex);
    w.write(storedCount());
    for (const auto& p : plots)
        if (p && isStoredType(p->testType)) p->serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperPlots::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperPlots)) return st;
    clear();
    r.read(nsPerSample);
    r.read(zeroLengthIndex);
    auto readPlot = [this](Marshal::IObjectReader& in) {
        auto p = std::make_shared<CopperPlot>();
        if (auto st = p->deserialize(in)) return st;
        plots.push_back(std::move(p));
        return Marshal::ok;
    };
    if (auto st = Marshal::readEach<uint32_t>(r, CopperPlot::kMinWireSize, readPlot)) return st;
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

void CopperPlots::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

Json::Value CopperPlots::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value arr(Json::arrayValue);
    for (const auto& p : plots)
        if (p) arr.append(p->jsonBody(flags));
    Json::Value o(Json::objectValue);
    o["plots"] = std::move(arr);
    o["zeroLengthIndex"] = zeroLengthIndex;
    o["nsPerSample"] = JsonUtil::jsonNumber(nsPerSample);
    return o;
}

Json::Value CopperPlots::toJson(const Dump::DumpFlags& flags) const {
    Json::Value root(Json::objectValue);
    root["CopperPlots"] = jsonBody(flags);
    return root;
}

const CopperPlot* CopperPlots::findPlot(CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const {
    for (const auto& p : plots)
        if (p && p->matches(t, e, src, rcv)) return p.get();
    return nullptr;
}

bool CopperPlots::hasCopperPlot(CopperTestType t, CableEnd e) const {
    for (const auto& p : plots)
        if (p && p->testType == t && p->cableEnd == e) return true;
    return false;
}

bool CopperPlots::findCopperPlot(CopperPlotPtr& out, CopperTestType t, CableEnd e, WirePair src, WirePair rcv) const {
    for (const auto& p : plots) {
        if (p && p->matches(t, e, src, rcv)) {
            out = p;
            return true;
        }
    }
    return false;
}

std::vector<CopperPlotPtr> CopperPlots::plotsOfType(CopperTestType t) const {
    std::vector<CopperPlotPtr> out;
    for (const auto& p : plots)
        if (p && p->testType == t) out.push_back(p);
    return out;
}

}  // namespace Kestrix
