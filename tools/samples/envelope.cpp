// A result file holding only its summary: the smallest result a tester writes.
#include "SampleRegistry.h"
#include "common/ResultEnvelope.h"

namespace {
kx::samples::SampleRegistration reg("summary-only.result", [] {
    Kestrix::ResultSummary s;
    s.resultName = "RACK1-PP2-07";
    s.resultType = Kestrix::ResultType::COPPER;
    s.timeStamp = 1764000000;
    s.status = Kestrix::Status::pass;
    s.length = Kestrix::DisplayMeas(Kestrix::ScaledInt::raw(2069, Kestrix::ScaledInt::hundredths),
                                    Kestrix::DisplayType::normal);
    PFile::Section section;
    if (Kestrix::setResultSection(section, PFile::SectionType::ResultSummary, 1, s) != 0) return std::vector<uint8_t>{};
    return PFile::buildContainer({&section});
});
}  // namespace
