#include "tester/record/HostRecordJson.h"

#include <utility>

#include <json/writer.h>

#include "tester/record/CopperRecordJson.h"
#include "tester/record/FiberRecordJson.h"
#include "tester/record/HostEnumNames.h"
#include "tester/record/JsonNumbers.h"
#include "tester/record/RecordVerdict.h"
#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

namespace {

// The text of a copper host record is about this long; the buffer grows for larger ones.
constexpr size_t kTypicalRecordBytes = 48 * 1024;

void mergeImporterFields(RecordMetaData& meta, const RecordMetaData& imported) {
    meta.Project = imported.Project;
    meta.Site = imported.Site;
    meta.CloudProjectID = imported.CloudProjectID;
    meta.CloudResultID = imported.CloudResultID;
    meta.ModifiedDateOnCloud = imported.ModifiedDateOnCloud;
}

}  // namespace

Json::Value hostRecordJson(TestRecordTarvel& record, bool plots) {
    JsonTreeSink s;
    writeHostRecord(record, plots, s);
    return s.take();
}

void writeHostRecord(TestRecordTarvel& record, bool plots, JsonSink& sink, std::string* verdictConflict) {
    EnumNamingSink s(sink);
    s.beginObject();
    const auto summary = record.summary();
    s.member("RecordSummary", summary ? summary->toJson() : Json::Value());

    auto meta = record.ExtractMetaDataFromResult();
    if (meta) mergeImporterFields(*meta, record.GetMetaData());
    s.member("RecordMetaData", meta ? meta->toJson() : Json::Value());
    s.member("LastRecTooNew", record.LastRecTooNew());

    Json::Value tests(Json::arrayValue);
    Json::Value testMeta(Json::arrayValue);
    if (meta) {
        for (const RecordTest& t : record.GetTests()) {
            Json::Value entry(Json::objectValue);
            entry["TestId"] = t.TestId;
            entry["Name"] = t.Name;
            entry["Status"] = t.Status;
            tests.append(std::move(entry));
            if (record.IsFiber())
                if (const auto m = record.GetTestMetaData(t.TestId)) testMeta.append(m->toJson());
        }
        if (record.IsCopper())
            if (const auto m = record.GetTestMetaData(0)) testMeta.append(m->toJson());
    }
    s.member("Tests", tests);
    s.member("TestMetaData", testMeta);
    if (meta && record.IsCopper()) {
        s.key("Copper");
        writeCopperTests(record, plots, s);
    }
    if (meta && record.IsFiber()) {
        s.key("Fiber");
        writeFiberTests(record, plots, s);
    }
    Json::Value verdict = verdictJson(record);
    if (verdictConflict) {
        const Json::Value& conflict = verdict["VerdictConflict"];
        *verdictConflict = conflict.isString() ? conflict.asString() : std::string();
    }
    s.member("Verdict", std::move(verdict));
    s.endObject();
}

std::string hostRecordFile(TestRecordTarvel& record, bool plots, std::string* verdictConflict) {
    JsonTextSink s(kTypicalRecordBytes);
    writeHostRecord(record, plots, s, verdictConflict);
    std::string out = s.take();
    out += '\n';
    return out;
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
