#include "copper/CopperFreqList.h"

#include "serialization/CountedList.h"
#include "serialization/Header.h"
#include "serialization/JsonText.h"

namespace Kestrix {

void CopperFreqList::serialize(Marshal::IObjectWriter& w) const {
    Marshal::Header h(Marshal::TypeIds::CopperFreqList);
    h.serialize(w);
    w.write(static_cast<uint32_t>(freqs.size()));
    for (const CopperFreq& f : freqs) f.serialize(w);
    h.finishWrite(w);
}

Marshal::StreamOpStatus CopperFreqList::deserialize(Marshal::IObjectReader& r) {
    Marshal::Header h;
    if (auto st = h.begin(r, Marshal::TypeIds::CopperFreqList)) return st;
    freqs.clear();
    // A count of zero or below stores no frequencies.
    uint32_t count = 0;
    if (!Marshal::readCount<int32_t>(r, kMinRecordSize, count)) return h.finishRead(r, Marshal::readError);
    freqs.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        CopperFreq f;
        if (auto st = f.deserialize(r)) return st;
        freqs.push_back(f);
    }
    return h.finishRead(r, r.failed() ? Marshal::readError : Marshal::ok);
}

bool CopperFreqList::hasFreq(CopperTestType type, CableEnd end) const {
    for (const CopperFreq& f : freqs)
        if (f.testType == type && f.cableEnd == end) return true;
    return false;
}

bool CopperFreqList::findFreq(CopperFreq& out, CopperTestType type, CableEnd end, WirePair src, WirePair rcv) const {
    for (const CopperFreq& f : freqs) {
        if (f.testType == type && f.cableEnd == end && f.srcPair == src && f.rcvPair == rcv) {
            out = f;
            return true;
        }
    }
    return false;
}

Status CopperFreqList::worstStatus() const {
    Status s = Status::notSet;
    for (const CopperFreq& f : freqs) s = mergeStatus(s, f.status);
    return s;
}

Status CopperFreqList::worstStatus(CopperTestType type) const {
    Status s = Status::notSet;
    for (const CopperFreq& f : freqs)
        if (f.testType == type) s = mergeStatus(s, f.status);
    return s;
}

ScaledInt CopperFreqList::worstMargin() const {
    ScaledInt showMin = ScaledInt::posInf();
    ScaledInt judgedMin = ScaledInt::posInf();
    for (const CopperFreq& f : freqs) {
        switch (f.status) {
            case Status::show:
                if (f.wmValue < showMin) showMin = f.wmValue;
                break;
            case Status::pass:
            case Status::passStar:
            case Status::passAcceptable:
            case Status::failStar:
            case Status::fail:
                if (f.wmValue < judgedMin) judgedMin = f.wmValue;
                break;
            default: break;
        }
    }
    if (judgedMin.isFinite()) return judgedMin;
    if (showMin.isFinite()) return showMin;
    return ScaledInt::nan();
}

Json::Value CopperFreqList::jsonBody(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    Json::Value arr(Json::arrayValue);
    for (const CopperFreq& f : freqs) arr.append(f.jsonBody(flags));
    j["_freqs"] = arr;
    return j;
}

Json::Value CopperFreqList::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["CopperFreqList"] = jsonBody(flags);
    return j;
}

void CopperFreqList::dump(Dump::IFormatter& f, const Dump::DumpFlags&) const { Dump::dumpStyledJson(*this, f); }

}  // namespace Kestrix
