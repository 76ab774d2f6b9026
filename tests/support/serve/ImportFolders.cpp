#include "serve/ImportFolders.h"

#include <json/writer.h>

#include "core/TestFiles.h"
#include "tester/host/HostServices.h"
#include "tester/record/HostRecordJson.h"
#include "tester/record/TestRecordTarvel.h"

namespace fs = std::filesystem;

namespace kx::test {

namespace {

std::string safe(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                           c == ' ' || c >= 0x80;
        out.push_back(plain ? static_cast<char>(c) : '_');
    }
    return out.empty() ? "_" : out;
}

}  // namespace

std::vector<std::string> writeImportFolder(const fs::path& dir, const std::vector<FolderRecord>& records,
                                           const std::string& tester) {
    Json::Value index(Json::objectValue);
    index["tester"] = tester;
    index["records"] = Json::Value(Json::arrayValue);
    std::vector<std::string> paths;
    for (size_t i = 0; i < records.size(); ++i) {
        const FolderRecord& r = records[i];
        std::string rel = safe(r.project) + "/";
        if (!r.site.empty()) rel += safe(r.site) + "/";
        rel += safe(r.cableId) + "~" + std::to_string(i + 1) + ".result";
        const std::vector<uint8_t> bytes =
            r.bytes.empty() ? Kestrix::Sim::stockResult(r.kind, r.cableId, r.when) : r.bytes;
        writeBytes(dir / rel, bytes);
        paths.push_back(rel);
        if (!r.indexed) continue;
        Kestrix::Tester::TestRecordTarvel record{std::vector<uint8_t>(bytes)};
        record.GetMetaData().Project = r.project;
        record.GetMetaData().Site = r.site;
        const std::string side = rel.substr(0, rel.size() - 7) + ".json";
        writeText(dir / side, Kestrix::Tester::hostRecordJsonText(Kestrix::Tester::hostRecordJson(record)));
        Json::Value e(Json::objectValue);
        e["project"] = r.project;
        e["site"] = r.site;
        e["cableId"] = r.cableId;
        e["testDate"] = Kestrix::Tester::HxDataDate::ToIso8601(Kestrix::Tester::HxDataDate::From1970(r.when));
        Kestrix::Tester::RecordSummary summary;
        e["hostStatus"] = Kestrix::Tester::TestRecordTarvel::LoadSummary(&summary, bytes) ? summary.Status : 6;
        e["lengthM"] = Json::Value(Json::nullValue);
        e["size"] = Json::Int64(bytes.size());
        e["key"] = Json::Int64(i + 1);
        e["testerFile"] = r.project + "/" + std::to_string(i + 1) + ".res";
        e["imported"] = true;
        e["result"] = rel;
        e["record"] = side;
        index["records"].append(e);
    }
    writeText(dir / "index.json", Json::StyledWriter().write(index));
    return paths;
}

}  // namespace kx::test
