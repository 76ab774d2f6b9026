// The stored verdict against the tests' own verdicts and margins.
#include "tester/record/RecordVerdict.h"

#include <algorithm>
#include <cmath>

#include "common/PFile.h"
#include "tester/host/HostStatus.h"
#include "tester/record/HostRecordText.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

// The container's first fault, as `kestrix inspect` names it.
std::string containerFault(const std::vector<uint8_t>& bytes) {
    PFile::MemReader reader;
    const auto describe = [](const PFile::Failure& f) {
        if (f.kind == PFile::FailureKind::empty) return std::string("empty file");
        return "corrupt container: " + std::string(PFile::toString(f.kind)) + " at byte " + std::to_string(f.offset);
    };
    if (reader.open(bytes) != 0) return describe(reader.failure());
    for (;;) {
        PFile::Section s;
        const int32_t rc = reader.read(s, true);
        if (rc == -2) return "";
        if (rc != 0) return describe(reader.failure());
    }
}

}  // namespace

std::string VerdictCheck::details() const {
    std::string s = std::string("stored ") + hostStatusText(stored);
    for (const std::string& i : involved) s += "; " + i;
    return s;
}

std::string VerdictCheck::text() const { return conflict ? "verdict conflict: " + details() : ""; }

VerdictCheck checkVerdict(TestRecordTarvel& record, const RecordMargins& margins) {
    VerdictCheck v;
    RecordSummary summary;
    if (!record.SerializedResult().empty() && TestRecordTarvel::LoadSummary(&summary, record.SerializedResult()))
        v.stored = summary.Status;
    if (!record.ExtractMetaDataFromResult()) return v;

    std::vector<std::string> failedTests;
    for (const RecordTest& t : record.GetTests())
        if (t.Status == kHostStatusFail) failedTests.push_back(t.Name);
    bool negativeMargin = false;
    std::vector<std::string> passBesideNegative;
    for (const JudgedFigure& f : margins.figures) {
        if (!f.negative() || !hostStatusJudged(f.status)) continue;
        negativeMargin = true;
        // The limit of a pass "acceptable" allows a margin below zero.
        if (f.status == kHostStatusPassStar || f.status == kHostStatusPass)
            passBesideNegative.push_back(f.test + " " + hostStatusText(f.status) + " beside " + describeMargin(f));
    }
    if (hostStatusPasses(v.stored)) {
        for (const std::string& t : failedTests) v.involved.push_back(t + " FAIL");
        if (failedTests.empty() && negativeMargin && passBesideNegative.empty()) {
            for (const JudgedFigure& f : margins.figures)
                if (f.negative() && f.status == kHostStatusFail) v.involved.push_back(describeMargin(f));
        }
    } else if (v.stored == kHostStatusFail && failedTests.empty() && !negativeMargin) {
        v.involved.push_back("no test failed");
    }
    v.involved.insert(v.involved.end(), passBesideNegative.begin(), passBesideNegative.end());
    v.conflict = !v.involved.empty();
    return v;
}

std::string verdictConflictOf(const std::vector<uint8_t>& resultBytes) {
    TestRecordTarvel record(resultBytes);
    return checkVerdict(record, recordMargins(record)).text();
}

std::string recordDamage(TestRecordTarvel& record) {
    if (record.ExtractMetaDataFromResult()) return "";
    if (record.LastRecTooNew()) return "written by a newer tester version";
    const std::string fault = containerFault(record.SerializedResult());
    return fault.empty() ? "its tests cannot be read" : fault;
}

// Members in name order: the text sink then has nothing to sort.
void writeFigure(JsonSink& s, const JudgedFigure& f) {
    s.beginObject();
    s.member("End", f.end);
    s.memberNumber("FrequencyMHz", f.frequencyMHz);
    s.memberNumber("Limit", f.limit);
    s.member("LimitIsMaximum", f.upperLimit);
    s.memberNumber("Margin", f.margin);
    s.member("Pair", f.pair);
    s.member("PairLabel", f.pairLabel);
    s.member("Status", f.status);
    s.memberNumber("StoredMargin", f.storedMargin);
    s.member("Test", f.test);
    s.member("TestId", f.testId);
    s.member("Text", describeMargin(f));
    s.member("Unit", f.unit);
    s.memberNumber("Value", f.value);
    s.member("Wavelength", f.wavelength);
    s.endObject();
}

Json::Value figureJson(const JudgedFigure& f) {
    JsonTreeSink s;
    writeFigure(s, f);
    return s.take();
}

void writeVerdict(TestRecordTarvel& record, JsonSink& s, std::string* verdictConflict) {
    const RecordMargins margins = recordMargins(record);
    const VerdictCheck check = checkVerdict(record, margins);
    if (verdictConflict) *verdictConflict = check.text();
    s.beginObject();
    s.key("ConflictTests");
    s.beginArray();
    for (const std::string& i : check.involved) s.string(i);
    s.endArray();
    s.key("Margins");
    s.beginArray();
    for (const JudgedFigure& f : margins.figures) writeFigure(s, f);
    s.endArray();
    s.member("StoredStatus", check.stored);
    if (check.conflict)
        s.member("VerdictConflict", check.text());
    else
        s.memberNull("VerdictConflict");
    s.key("WorstMargin");
    if (margins.worst)
        writeFigure(s, *margins.worst);
    else
        s.null();
    s.endObject();
}

Json::Value verdictJson(TestRecordTarvel& record) {
    JsonTreeSink s;
    writeVerdict(record, s, nullptr);
    return s.take();
}

std::string verdictText(TestRecordTarvel& record) {
    const RecordMargins margins = recordMargins(record);
    const VerdictCheck check = checkVerdict(record, margins);
    std::string out;
    if (margins.worst) out += "Worst margin: " + describeMargin(*margins.worst) + "\n";
    if (check.conflict) out += "Verdict conflict: " + check.details() + "\n";
    for (const JudgedFigure& f : margins.figures)
        if (f.storedDisagrees())
            out += "Margin recomputed: " + describeMargin(f) + " (the result stores " +
                   figureNumber(f, f.storedMargin) + " " + f.unit + ")\n";
    return out;
}

}  // namespace Kestrix::Tester
