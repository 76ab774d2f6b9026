#include "copper/CopperResult.h"

#include <utility>

#include "serialization/JsonText.h"

namespace Kestrix {

uint32_t CopperResult::mergeCopperTest(const CopperTestPtr& t, bool replace) {
    if (test && !replace) return kMergeRefused;
    test = t;
    if (!test) return 0;
    const CopperTestBody& b = test->body;
    const Status st = b.status;
    summary.status = st;
    summary.timeStamp = b.timestamp;
    summary.length = DisplayMeas(test->shortestLength().value, DisplayType::normal);
    summary.headroom = DisplayMeas(b.copperfreqs.worstMargin(), DisplayType::normal);
    summary.testFlags = 1;
    summary.numPassTests = (st == Status::pass || st == Status::passAcceptable) ? 1 : 0;
    summary.numPassStarTests = st == Status::passStar ? 1 : 0;
    summary.numFailTests = (st == Status::fail || st == Status::failStar) ? 1 : 0;
    return 0;
}

void CopperResult::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.line("CopperResult");
    f.indent();
    summary.dump(f, flags);
    if (test) test->dump(f, flags);
    f.unindent();
}

Json::Value CopperResult::toJson(const Dump::DumpFlags& flags) const {
    Json::Value o(Json::objectValue);
    o["summary"] = summary.toJson(flags);
    o["copperTest"] = test ? test->toJson(flags) : Json::Value(Json::nullValue);
    Json::Value root(Json::objectValue);
    root["CopperResult"] = std::move(o);
    return root;
}

}  // namespace Kestrix
