#include "tester/record/HostRecordJson.h"

#include <json/writer.h>

#include "tester/record/CopperRecordJson.h"
#include "tester/record/FiberRecordJson.h"
#include "tester/record/HostEnumNames.h"
#include "tester/record/JsonNumbers.h"
#include "tester/record/RecordVerdict.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

void mergeImporterFields(RecordMetaData& meta, const RecordMetaData& imported) {
    meta.Project = imported.Project;
    meta.Site = imported.Site;
    meta.CloudProjectID = imported.CloudProjectID;
    meta.CloudResultID = imported.CloudResultID;
    meta.ModifiedDateOnCloud = imported.ModifiedDateOnCloud;
}

}  // namespace

Json::Value hostRecordJson(TestRecordTarvel& record) {
    Json::Value j(Json::objectValue);
    RecordSummary summary;
    const bool hasSummary =
        !record.SerializedResult().empty() && TestRecordTarvel::LoadSummary(&summary, record.SerializedResult());
    j["RecordSummary"] = hasSummary ? summary.toJson() : Json::Value();

    auto meta = record.ExtractMetaDataFromResult();
    if (meta) mergeImporterFields(*meta, record.GetMetaData());
    j["RecordMetaData"] = meta ? meta->toJson() : Json::Value();
    j["LastRecTooNew"] = record.LastRecTooNew();

    Json::Value tests(Json::arrayValue);
    Json::Value testMeta(Json::arrayValue);
    if (meta) {
        for (const RecordTest& t : record.GetTests()) {
            Json::Value entry(Json::objectValue);
            entry["TestId"] = t.TestId;
            entry["Name"] = t.Name;
            entry["Status"] = t.Status;
            tests.append(entry);
            if (record.IsFiber())
                if (const auto m = record.GetTestMetaData(t.TestId)) testMeta.append(m->toJson());
        }
        if (record.IsCopper())
            if (const auto m = record.GetTestMetaData(0)) testMeta.append(m->toJson());
    }
    j["Tests"] = tests;
    j["TestMetaData"] = testMeta;
    if (meta && record.IsCopper()) j["Copper"] = copperTestsJson(record, false);
    if (meta && record.IsFiber()) j["Fiber"] = fiberTestsJson(record, false);
    j["Verdict"] = verdictJson(record);
    nameEnumerations(j);
    return j;
}

std::string hostRecordJsonText(const Json::Value& json) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "   ";
    builder["precision"] = 17;
    builder["precisionType"] = "significant";
    builder["emitUTF8"] = true;
    return numbersToTheirSource(Json::writeString(builder, json)) + "\n";
}

}  // namespace Kestrix::Tester
