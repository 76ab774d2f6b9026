#pragma once
// Verdicts cross-checked: the overall status a result stores against the verdicts of its own tests and the
// margins computed from them, and what is left of a result whose tests cannot be read.
#include <cstdint>
#include <string>
#include <vector>

#include <json/value.h>

#include "tester/host/JsonSink.h"
#include "tester/record/RecordMargins.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

struct VerdictCheck {
    int stored = kHostStatusUnknown;  // host status of the result's summary
    bool conflict = false;
    // What disagrees, one entry per test or figure: "Resistance FAIL", "NEXT PASS beside -0.4 dB at ...".
    std::vector<std::string> involved;

    // "verdict conflict: stored PASS; Resistance FAIL", or "" without a conflict.
    std::string text() const;
    // The same without the leading words: "stored PASS; Resistance FAIL".
    std::string details() const;
};

// A conflict when the stored status is a pass and a test failed or a judged margin is negative, when it is a
// fail and no test failed and no margin is negative, and whenever a figure judged as a pass has a negative
// margin (a pass "acceptable" may: its limit allows that).
VerdictCheck checkVerdict(TestRecordTarvel& record, const RecordMargins& margins);

// The verdict conflict of a result file's bytes ("verdict conflict: ..."), or "" when there is none.
std::string verdictConflictOf(const std::vector<uint8_t>& resultBytes);

// Why the record's tests cannot be read ("corrupt container: truncated at byte 3000", "written by a newer
// tester version"), or "" when they can.
std::string recordDamage(TestRecordTarvel& record);

// {"StoredStatus", "VerdictConflict" (text or null), "ConflictTests": [...], "WorstMargin" (figure or null),
//  "Margins": [figure, ...]}; a figure is {"Test", "TestId", "Value", "Limit", "LimitIsMaximum", "Margin",
//  "StoredMargin", "Unit", "Status", "Pair", "PairLabel", "End", "FrequencyMHz", "Wavelength", "Text"}.
Json::Value verdictJson(TestRecordTarvel& record);
Json::Value figureJson(const JudgedFigure& f);
// The same written to a sink, the margins computed once; `verdictConflict`, when given, receives the
// "VerdictConflict" text ("" when the verdicts agree).
void writeVerdict(TestRecordTarvel& record, JsonSink& s, std::string* verdictConflict = nullptr);
void writeFigure(JsonSink& s, const JudgedFigure& f);

// Lines for a terminal: "Worst margin: ...", "Verdict conflict: ..." (only when there is one), and the
// figures whose stored margin disagrees with the computed one.
std::string verdictText(TestRecordTarvel& record);

}  // namespace Kestrix::Tester
