#include "fiber/FiberCheckLimitResult.h"

#include <cstdio>

#include "fiber/FiberReadUtil.h"
#include "serialization/CountedList.h"
#include "serialization/IFormatter.h"
#include "serialization/ReadEnum.h"

namespace Kestrix {

void FiberCheckLimitResult::serialize(Marshal::IObjectWriter& w) const {
    w.write(kVersion);
    w.write(static_cast<uint8_t>(limitValueType));
    limitValue.serialize(w);
    margin.serialize(w);
    w.write(static_cast<uint8_t>(status));
}

Marshal::StreamOpStatus FiberCheckLimitResult::deserialize(Marshal::IObjectReader& r) {
    uint8_t version = 0;
    if (!r.read(version)) return Marshal::readError;
    if (version > kVersion) return Marshal::versionTooNew;
    limitValueType = Marshal::readEnum<FiberLimitValueType>(r);
    if (auto st = limitValue.deserialize(r)) return st;
    if (auto st = margin.deserialize(r)) return st;
    status = Marshal::readEnum<Status>(r);
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberCheckLimitResult::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    if (flags.detail >= 2) {
        f.write("class", "FiberCheckLimitResult");
        f.write("limitValueType", toString(limitValueType));
        f.write("limitValue", limitValue.toDouble());
        f.write("margin", margin.toString());
        f.write("status", toString(status));
        return;
    }
    char row[160];
    std::snprintf(row, sizeof row, "%25s%9s%9s%9s", toString(limitValueType), limitValue.toString().c_str(),
                  margin.toString().c_str(), toString(status));
    f.line(row);
}

Json::Value FiberCheckLimitResult::toJson(const Dump::DumpFlags&) const {
    Json::Value j(Json::objectValue);
    j["limitValueType"] = toString(limitValueType);
    j["limitValue"] = limitValue.toString();
    j["margin"] = margin.toString();
    j["status"] = toString(status);
    return j;
}

const FiberCheckLimitResult* FiberLimitResultList::get(FiberLimitValueType type) const {
    for (const auto& r : results)
        if (r.limitValueType == type) return &r;
    return nullptr;
}

FiberCheckLimitResult* FiberLimitResultList::get(FiberLimitValueType type) {
    return const_cast<FiberCheckLimitResult*>(static_cast<const FiberLimitResultList*>(this)->get(type));
}

void FiberLimitResultList::serialize(Marshal::IObjectWriter& w) const { Marshal::writeList<uint8_t>(w, results); }

Marshal::StreamOpStatus FiberLimitResultList::deserialize(Marshal::IObjectReader& r) {
    if (auto st = Marshal::readList<uint8_t>(r, results, FiberCheckLimitResult::kWireSize)) return st;
    return r.failed() ? Marshal::readError : Marshal::ok;
}

void FiberLimitResultList::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.line("limitResults");
    f.indent();
    if (flags.detail < 2) f.line("         Limit value type    Value   Margin   Status");
    for (const auto& r : results) r.dump(f, flags);
    f.unindent();
}

Json::Value FiberLimitResultList::toJson(const Dump::DumpFlags& flags) const {
    Json::Value arr(Json::arrayValue);
    for (const auto& r : results) arr.append(r.toJson(flags));
    return arr;
}

Json::Value toJson(const FiberCheckLimitResult* result, const Dump::DumpFlags& flags) {
    return result ? result->toJson(flags) : Json::Value(Json::nullValue);
}

}  // namespace Kestrix
