#pragma once
#include <string>

#include <json/value.h>

#include "tester/host/JsonSink.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

// The host record of one result file:
//   {"RecordSummary", "RecordMetaData", "LastRecTooNew", "Tests": [{"TestId", "Name", "Status"}],
//    "TestMetaData": [...], "Copper": {...} (copper results only, see CopperRecordJson.h),
//    "Fiber": {...} (fiber results only, see FiberRecordJson.h), "Verdict": {...} (margins computed from the
//    tests and the stored verdict checked against them, see RecordVerdict.h)}
// The metadata merges what the importer set on the record (Project, Site, Cloud fields) into the decoded one.
// Fiber results give test metadata per test; copper results one entry (TestId 0) for their one copper test.
// Enumerations the tool knows carry their names beside their codes (HostEnumNames.h).
// A result that does not decode gives null summary or metadata and empty lists. With `plots` the copper
// and fiber parts carry their plot series too (copper "PlotData", fiber "Plots").
Json::Value hostRecordJson(TestRecordTarvel& record, bool plots = false);

// The same written to a sink.
void writeHostRecord(TestRecordTarvel& record, bool plots, JsonSink& s, std::string* verdictConflict = nullptr);

// The host record file: what an import writes beside each result and `kestrix record --json` prints, byte
// for byte. Compact JSON (compactJsonText) of hostRecordJson, without plot series unless `plots`; written
// without building the tree.
// `verdictConflict`, when given, receives the record's "VerdictConflict" text ("" when its verdicts agree).
std::string hostRecordFile(TestRecordTarvel& record, bool plots = false, std::string* verdictConflict = nullptr);
// The same into `sink` (cleared first; the text is sink.text()), for a caller that writes many records with
// one sink.
void hostRecordFile(TestRecordTarvel& record, bool plots, JsonTextSink& sink, std::string* verdictConflict = nullptr);

// Indented JSON text of a host object, each number to the precision of its source (JsonNumbers.h), so 148.3
// prints as 148.3 and not as 148.30000000000001, and a stored 0.04f as 0.04; non-ASCII text stays UTF-8. Ends
// with a newline.
std::string hostRecordJsonText(const Json::Value& json);

}  // namespace Kestrix::Tester
