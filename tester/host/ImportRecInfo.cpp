#include "tester/host/ImportRecInfo.h"

#include <cmath>
#include <utility>

namespace Kestrix::Tester {

Json::Value Node606APath::toJson() const {
    Json::Value v(Json::objectValue);
    v["Root"] = Root;
    v["Project"] = Project;
    v["Site"] = Site;
    return v;
}

Json::Value HostMeasurement::toJson() const {
    Json::Value v(Json::objectValue);
    v["Value"] = std::isfinite(Value) ? Json::Value(Value) : Json::Value(Json::nullValue);
    v["Precision"] = Precision;
    v["Qualifier"] = Qualifier;
    return v;
}

Json::Value ImportRecInfo::toJson() const {
    Json::Value v(Json::objectValue);
    v["Platform"] = Platform;
    v["RecordSize"] = Json::Int64(RecordSize);
    v["CableID"] = CableID;
    v["Path"] = Path.toJson();
    v["TestDate"] = HxDataDate::ToIso8601(TestDate);
    v["CableLength"] = CableLength.toJson();
    v["TestStatus"] = TestStatus;
    v["RecAccessKey"] = Json::Int64(RecAccessKey);
    return v;
}

Json::Value ImportRecCatalog::toJson() const {
    Json::Value v(Json::objectValue);
    v["RecordSourceName"] = RecordSourceName;
    Json::Value list(Json::arrayValue);
    for (const auto& r : _records) list.append(r.toJson());
    v["Records"] = std::move(list);
    return v;
}

}  // namespace Kestrix::Tester
