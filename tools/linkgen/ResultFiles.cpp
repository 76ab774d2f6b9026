#include "ResultFiles.h"

#include <memory>
#include <stdexcept>

#include "copper/CopperResultWriter.h"
#include "copper/CopperTypes.h"
#include "fiber/FiberLossLengthTest.h"
#include "fiber/FiberOtdrTest.h"
#include "fiber/FiberImageTest.h"
#include "fiber/FiberPowerMeterTest.h"
#include "fiber/FiberResultWriter.h"
#include "fiber/FiberSections.h"

namespace Kestrix::LinkGen {

namespace {

DisplayMeas none() { return DisplayMeas(ScaledInt::nan(ScaledInt::tenths), DisplayType::notAvailable); }

// The length and headroom a test measured, if any.
bool measured(const FiberTest& t, DisplayMeas& length, DisplayMeas& headroom) {
    if (const auto* ll = dynamic_cast<const FiberLossLengthTest*>(&t)) {
        length = DisplayMeas(ll->length, DisplayType::normal);
        headroom = ll->headroom;
        return true;
    }
    if (const auto* o = dynamic_cast<const FiberOtdrTest*>(&t)) {
        if (!o->overallResults.lengthTolMeas.value.isFinite()) return false;
        length = o->overallResults.lengthTolMeas.valueToDisplayMeas();
        headroom = o->overallResults.headroom;
        return true;
    }
    return false;
}

// Reads and writes the body of a test that stores its curves in sections of their own.
template <typename T>
class BodyOf : public Marshal::ISerializable {
public:
    explicit BodyOf(T& test) : _test(test) {}
    void serialize(Marshal::IObjectWriter& w) const override { _test.serializeBody(w); }
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override { return _test.deserializeBody(r); }

private:
    T& _test;
};

void refileSummary(FiberTestSummary& s, const Filing& f, int64_t shift) {
    s.timestamp += shift;
    s.operatorName = f.operatorName;
}

// Rewrites `section` (read raw) with the filing applied to the object it holds. False when it cannot.
template <typename T, typename Edit>
bool rewrite(PFile::Section& section, Marshal::ISerializable& object, T& target, Edit edit) {
    const uint16_t type = section.type(), version = section.header.version;
    if (section.uncompressData() != 0 || readSectionObject(section, object) != ResultReaderStatus::success)
        return false;
    edit(target);
    return setResultSection(section, type, version, object) == 0;
}

bool refileSection(PFile::Section& section, const Filing& f, int64_t shift) {
    using FiberSections::Part;
    if (section.type() == PFile::SectionType::CopperTestBody) {
        CopperTestBody b;
        return rewrite(section, b, b, [&](CopperTestBody& body) {
            body.timestamp += shift;
            body.operatorName = f.operatorName;
            body.retest = f.retest;
        });
    }
    const FiberSections::Entry* e = FiberSections::find(section.type());
    if (e == nullptr) return true;
    switch (e->part) {
        case Part::otdrBody: {
            FiberOtdrTest t;
            BodyOf<FiberOtdrTest> body(t);
            return rewrite(section, body, t, [&](FiberOtdrTest& x) {
                refileSummary(x.summary, f, shift);
                x.overallResults.launchCompTimestamp += shift;
            });
        }
        case Part::lossLength: {
            FiberLossLengthTest t;
            return rewrite(section, t, t, [&](FiberLossLengthTest& x) {
                refileSummary(x.summary, f, shift);
                x.lastRefTime += shift;
            });
        }
        case Part::powerMeter: {
            FiberPowerMeterTest t;
            return rewrite(section, t, t, [&](FiberPowerMeterTest& x) { refileSummary(x.summary, f, shift); });
        }
        case Part::imageBody: {
            FiberImageTest t;
            BodyOf<FiberImageTest> body(t);
            return rewrite(section, body, t, [&](FiberImageTest& x) { refileSummary(x.summary, f, shift); });
        }
        default: return true;  // curves, traces, pictures: copied as stored
    }
}

}  // namespace

std::vector<uint8_t> refile(const std::vector<uint8_t>& file, const Filing& filing) {
    PFile::MemReader reader;
    if (reader.open(file) != 0) return {};
    std::vector<std::unique_ptr<PFile::Section>> sections;
    int64_t shift = 0;
    for (;;) {
        auto s = std::make_unique<PFile::Section>();
        const int32_t rc = reader.read(*s, false);
        if (rc == -2) break;
        if (rc != 0) return {};
        if (s->type() == PFile::SectionType::ResultSummary) {
            ResultSummary summary;
            const uint16_t version = s->header.version;
            if (s->uncompressData() != 0 || readSectionObject(*s, summary) != ResultReaderStatus::success) return {};
            shift = filing.when - summary.timeStamp;
            summary.resultName = filing.cableId;
            summary.timeStamp = filing.when;
            if (setResultSection(*s, PFile::SectionType::ResultSummary, version, summary) != 0) return {};
        } else if (!refileSection(*s, filing, shift)) {
            return {};
        }
        sections.push_back(std::move(s));
    }
    std::vector<PFile::Section*> parts;
    for (auto& s : sections) parts.push_back(s.get());
    return PFile::buildContainer(parts);
}

Status worseOf(Status a, Status b) { return mergeStatus(a, b); }

std::vector<uint8_t> copperResultFile(const CopperTestPtr& test, const std::string& cableId) {
    CopperResult r;
    r.summary.resultName = cableId;
    r.summary.resultType = ResultType::COPPER;
    r.mergeCopperTest(test, false);
    auto bytes = CopperResultWriter::writeResult(r);
    if (bytes.empty()) throw std::runtime_error("cannot write the copper result " + cableId);
    return bytes;
}

FiberResult fiberResult(const std::string& cableId, int64_t when) {
    FiberResult r;
    r.summary.resultName = cableId;
    r.summary.resultType = ResultType::FIBER;
    r.summary.timeStamp = when;
    return r;
}

void summarize(FiberResult& r) {
    ResultSummary& s = r.summary;
    s.testFlags = 0;
    s.numPassTests = s.numPassStarTests = s.numFailTests = 0;
    s.length = none();
    s.headroom = DisplayMeas(ScaledInt::nan(ScaledInt::hundredths), DisplayType::notAvailable);
    Status verdict = Status::show;
    bool haveLength = false;
    for (const auto& t : r.tests) {
        s.testFlags |= static_cast<uint32_t>(t->summary.testType);
        switch (t->summary.status) {
            case Status::pass:
            case Status::passAcceptable: ++s.numPassTests; break;
            case Status::passStar: ++s.numPassStarTests; break;
            case Status::fail:
            case Status::failStar: ++s.numFailTests; break;
            default: break;
        }
        verdict = worseOf(verdict, t->summary.status);
        DisplayMeas length, headroom;
        if (measured(*t, length, headroom)) {
            if (!haveLength) s.length = length;
            haveLength = true;
            if (headroom.value.isFinite() && (!s.headroom.value.isFinite() || headroom.value < s.headroom.value))
                s.headroom = headroom;
        }
    }
    s.status = verdict == Status::failStar ? Status::fail : verdict;
}

std::vector<uint8_t> fiberResultFile(FiberResult& r) {
    summarize(r);
    std::vector<uint8_t> bytes;
    if (FiberResultWriter::writeResult(r, bytes) != ResultWriterStatus::success)
        throw std::runtime_error("cannot write the fiber result " + r.summary.resultName);
    return bytes;
}

}  // namespace Kestrix::LinkGen
