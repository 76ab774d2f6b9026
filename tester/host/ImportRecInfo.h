#pragma once
// What the importer hands the host before any result is fetched: one ImportRecInfo per stored result,
// gathered in the import catalog. Their JSON forms use the field names as keys.
#include <cstdint>
#include <string>
#include <vector>

#include <json/value.h>

#include "tester/host/HostServices.h"
#include "tester/host/Progress.h"

namespace Kestrix::Tester {

// Where a record belongs on the host: the tester, the project and (for a site of a project) the site.
struct Node606APath {
    std::string Root;
    std::string Project;
    std::string Site;  // empty when the record is not in a site

    Json::Value toJson() const;
};

// A measured value as the host shows it. Qualifier 2 marks a value that is not known.
struct HostMeasurement {
    static constexpr int kQualifierNone = 0;
    static constexpr int kQualifierUnknown = 2;

    double Value = 0.0;
    int Precision = 0;
    int Qualifier = kQualifierNone;

    Json::Value toJson() const;  // NaN as null
};

struct ImportRecInfo {
    int Platform = 0;
    int64_t RecordSize = 0;
    std::string CableID;
    Node606APath Path;
    HostDate TestDate = HxDataDate::Default1970();
    HostMeasurement CableLength;
    int TestStatus = 0;  // host status code
    int64_t RecAccessKey = 0;

    Json::Value toJson() const;
};

class ImportRecCatalog {
public:
    std::string RecordSourceName;

    void Add(ImportRecInfo info) { _records.push_back(std::move(info)); }
    const std::vector<ImportRecInfo>& Records() const { return _records; }
    size_t Count() const { return _records.size(); }
    void Clear() { _records.clear(); }

    Json::Value toJson() const;

private:
    std::vector<ImportRecInfo> _records;
};

// The records of one batch: StartIndex up to, not including, EndIndex.
struct ImportBatchDefn {
    int StartIndex = 0;
    int EndIndex = 0;
};

}  // namespace Kestrix::Tester
