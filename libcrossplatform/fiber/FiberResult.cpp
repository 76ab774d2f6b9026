#include "fiber/FiberResult.h"

#include <utility>

#include "fiber/FiberImageTest.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "serialization/IFormatter.h"

namespace Kestrix {

FiberResult::FiberResult() = default;
FiberResult::~FiberResult() = default;
FiberResult::FiberResult(FiberResult&&) noexcept = default;
FiberResult& FiberResult::operator=(FiberResult&&) noexcept = default;

FiberTest* FiberResult::getTest(FiberTestType type) {
    for (auto& t : tests)
        if (t->summary.testType == type) return t.get();
    return nullptr;
}

const FiberTest* FiberResult::getTest(FiberTestType type) const {
    for (const auto& t : tests)
        if (t->summary.testType == type) return t.get();
    return nullptr;
}

template <typename T>
T& FiberResult::testOf(FiberTestType type) {
    for (auto& t : tests)
        if (t->summary.testType == type)
            if (auto* typed = dynamic_cast<T*>(t.get())) return *typed;
    auto created = std::make_unique<T>();
    created->summary.testType = type;
    T& ref = *created;
    tests.push_back(std::move(created));
    return ref;
}

FiberOtdrTest& FiberResult::otdrTest(FiberTestType type) { return testOf<FiberOtdrTest>(type); }
FiberLossLengthTest& FiberResult::lossLengthTest(FiberTestType type) { return testOf<FiberLossLengthTest>(type); }
FiberPowerMeterTest& FiberResult::powerMeterTest(FiberTestType type) { return testOf<FiberPowerMeterTest>(type); }
FiberImageTest& FiberResult::imageTest(FiberTestType type) { return testOf<FiberImageTest>(type); }

FiberTest& FiberResult::addTest(std::unique_ptr<FiberTest> test) {
    tests.push_back(std::move(test));
    return *tests.back();
}

void FiberResult::dump(Dump::IFormatter& f, const Dump::DumpFlags& flags) const {
    f.write("class", "FiberResult");
    f.line("summary");
    f.indent();
    summary.dump(f, flags);
    f.unindent();
    for (const auto& t : tests) {
        f.line(toString(t->summary.testType));
        f.indent();
        t->dump(f, flags);
        f.unindent();
    }
}

Json::Value FiberResult::toJson(const Dump::DumpFlags& flags) const {
    Json::Value j(Json::objectValue);
    j["summary"] = summary.toJson(flags);
    Json::Value arr(Json::arrayValue);
    for (const auto& t : tests) arr.append(t->toJson(flags));
    j["tests"] = std::move(arr);
    Json::Value out(Json::objectValue);
    out["FiberResult"] = std::move(j);
    return out;
}

}  // namespace Kestrix
