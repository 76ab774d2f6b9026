#pragma once
#include <json/value.h>

namespace Kestrix::Tester {

class TestRecordTarvel;

// The host record of one result file: {"RecordSummary", "RecordMetaData", "TestMetaData": [...]}. The
// metadata merges what the importer set on the record (Project, Site, Cloud fields) into the decoded one;
// a result that does not decode gives null metadata and an empty test list.
Json::Value hostRecordJson(TestRecordTarvel& record);

}  // namespace Kestrix::Tester
