// Seeds for the result-summary reader: a summary-only result and one with a further section.
#include "SeedRegistry.h"
#include "common/ResultEnvelope.h"

namespace {

Kestrix::ResultSummary summary() {
    Kestrix::ResultSummary s;
    s.resultName = "PANEL-A-01";
    s.resultType = Kestrix::ResultType::FIBER;
    s.timeStamp = 1764000000;
    s.status = Kestrix::Status::fail;
    s.length = Kestrix::DisplayMeas(Kestrix::ScaledInt::raw(1234, Kestrix::ScaledInt::tenths),
                                    Kestrix::DisplayType::greaterThan);
    return s;
}

std::vector<uint8_t> container(bool withTest) {
    PFile::Section s200, s321;
    Kestrix::setResultSection(s200, PFile::SectionType::ResultSummary, 1, summary());
    std::vector<PFile::Section*> all{&s200};
    if (withTest) {
        Kestrix::setResultSection(s321, 321, 7, summary());
        all.push_back(&s321);
    }
    return PFile::buildContainer(all);
}

kx::fuzz::SeedRegistration a("fuzz_result_summary", "summary-only", [] { return container(false); });
kx::fuzz::SeedRegistration b("fuzz_result_summary", "summary-and-test", [] { return container(true); });
kx::fuzz::SeedRegistration c("fuzz_result_summary", "bare-summary",
                             [] { return Kestrix::serializeToBytes(summary()); });

}  // namespace
