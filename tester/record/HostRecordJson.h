#pragma once
#include <json/value.h>

namespace Kestrix::Tester {

class TestRecordTarvel;

// The host record of one result file:
//   {"RecordSummary", "RecordMetaData", "LastRecTooNew", "Tests": [{"TestId", "Name", "Status"}],
//    "TestMetaData": [...]}
// The metadata merges what the importer set on the record (Project, Site, Cloud fields) into the decoded one.
// Fiber results give test metadata per test; copper results one entry (TestId 0) for their one copper test.
// A result that does not decode gives null summary or metadata and empty lists.
Json::Value hostRecordJson(TestRecordTarvel& record);

}  // namespace Kestrix::Tester
