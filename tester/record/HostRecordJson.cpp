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

// A copper host record is 80-100 KB: room for one without growing, and below the size malloc serves by mmap.
constexpr size_t kTypicalRecordBytes = 112 * 1024;

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
    auto meta = record.ExtractMetaDataFromResult();
    if (meta) mergeImporterFields(*meta, record.GetMetaData());
    // Members in name order: the text sink then has nothing to sort.
    s.beginObject();
    if (meta && record.IsCopper()) {
        s.key("Copper");
        writeCopperTests(record, plots, s);
    }
    if (meta && record.IsFiber()) {
        s.key("Fiber");
        writeFiberTests(record, plots, s);
    }
    s.member("LastRecTooNew", record.LastRecTooNew());
    s.member("RecordMetaData", meta ? meta->toJson() : Json::Value());
    const auto summary = record.summary();
    s.member("RecordSummary", summary ? summary->toJson() : Json::Value());

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
    s.member("TestMetaData", testMeta);
    s.member("Tests", tests);
    s.key("Verdict");
    writeVerdict(record, s, verdictConflict);
    s.endObject();
}

std::string hostRecordFile(TestRecordTarvel& record, bool plots, std::string* verdictConflict) {
    JsonTextSink s(kTypicalRecordBytes);
    hostRecordFile(record, plots, s, verdictConflict);
    return s.take();
}

void hostRecordFile(TestRecordTarvel& record, bool plots, JsonTextSink& sink, std::string* verdictConflict) {
    sink.clear();
    writeHostRecord(record, plots, sink, verdictConflict);
    sink.text() += '\n';
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
