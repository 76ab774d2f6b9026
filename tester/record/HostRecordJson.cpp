#include "tester/record/HostRecordJson.h"

#include "tester/record/TestRecordTarvel.h"

namespace Kestrix::Tester {

Json::Value hostRecordJson(TestRecordTarvel& record) {
    Json::Value j(Json::objectValue);
    RecordSummary summary;
    j["RecordSummary"] = TestRecordTarvel::LoadSummary(&summary, record.SerializedResult()) ? summary.toJson()
                                                                                             : Json::Value();
    j["RecordMetaData"] = Json::Value();
    j["TestMetaData"] = Json::Value(Json::arrayValue);
    return j;
}

}  // namespace Kestrix::Tester
