#pragma once
#include <cstdint>

#include <json/value.h>

#include "serialization/IDumpable.h"
#include "serialization/ISerializable.h"

namespace Project {

// Running statistics of a project.
class Status : public Marshal::ISerializable, public Dump::IJsonable {
public:
    void serialize(Marshal::IObjectWriter& w) const override;
    // Version 1 data derives numTestsRun from the result counts; before version 3 lastSync is 0.
    Marshal::StreamOpStatus deserialize(Marshal::IObjectReader& r) override;
    Json::Value toJson(const Dump::DumpFlags& flags) const override;
    // Reads the "Status" member of `json`; false when a key is missing.
    bool fromJson(const Json::Value& json);

    bool operator==(const Status& o) const;

    uint32_t numTests = 0;
    uint32_t numTestsRun = 0;
    uint32_t numPassedTests = 0;
    uint32_t numPassedStarTests = 0;
    uint32_t numFailedTests = 0;
    uint32_t numInfoOnlyTests = 0;
    uint32_t numUploadedResults = 0;
    uint32_t numResults = 0;
    uint64_t totalResultsSize = 0;
    int64_t firstTestTimestamp = 0;
    int64_t lastTestTimestamp = 0;
    int64_t lastSync = 0;
};

}  // namespace Project
