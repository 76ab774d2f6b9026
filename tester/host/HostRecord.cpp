#include "tester/host/HostRecord.h"

#include <cmath>

namespace Kestrix::Tester {

namespace {

Json::Value date(HostDate d) { return HxDataDate::ToIso8601(d); }

Json::Value date(const boost::optional<HostDate>& d) { return d ? date(*d) : Json::Value(); }

// Not-a-number and infinite lengths have no JSON number: null.
Json::Value number(double v) { return std::isfinite(v) ? Json::Value(v) : Json::Value(); }

Json::Value number(const boost::optional<double>& v) { return v ? number(*v) : Json::Value(); }

Json::Value integer(const boost::optional<int>& v) { return v ? Json::Value(*v) : Json::Value(); }

}  // namespace

Json::Value RecordSummary::toJson() const {
    Json::Value j(Json::objectValue);
    j["Platform"] = Platform;
    j["CableID"] = CableID;
    j["Status"] = Status;
    j["TestDate"] = date(TestDate);
    j["Media"] = Media;
    j["LengthMeters"] = number(LengthMeters);
    return j;
}

Json::Value OtdrSpanLocation::toJson() const {
    Json::Value j(Json::objectValue);
    j["Start"] = number(Start);
    j["Stop"] = number(Stop);
    j["End"] = End;
    return j;
}

Json::Value RecordMetaData::toJson() const {
    Json::Value j(Json::objectValue);
    j["Platform"] = Platform;
    j["CableID"] = CableID;
    j["RawCableID"] = RawCableID;
    j["Status"] = Status;
    j["TestDate"] = date(TestDate);
    j["Media"] = Media;
    j["LengthMeters"] = number(LengthMeters);
    j["LengthFeet"] = number(LengthFeet);
    j["HasGraphs"] = HasGraphs;
    j["HasNetworkTest"] = HasNetworkTest;
    j["OtdrSpan"] = OtdrSpan ? OtdrSpan->toJson() : Json::Value();
    j["Project"] = Project;
    j["Site"] = Site;
    j["CloudProjectID"] = CloudProjectID;
    j["CloudResultID"] = CloudResultID;
    j["ModifiedDateOnCloud"] = date(ModifiedDateOnCloud);
    return j;
}

Json::Value Tester::toJson() const {
    Json::Value j(Json::objectValue);
    j["ModelID"] = ModelID;
    j["IsMain"] = IsMain;
    j["TesterSerialNumber"] = TesterSerialNumber;
    j["TesterSoftwareVersion"] = TesterSoftwareVersion;
    j["ModuleName"] = ModuleName;
    j["ModuleSerialNumber"] = ModuleSerialNumber;
    j["ModuleCalDate"] = date(ModuleCalDate);
    j["ModuleCalStartDate"] = date(ModuleCalStartDate);
    j["TesterCalStartDate"] = date(TesterCalStartDate);
    j["End"] = End;
    return j;
}

Json::Value TestMetaData::toJson() const {
    Json::Value j(Json::objectValue);
    j["TestId"] = TestId;
    j["TestTime"] = date(TestTime);
    j["LimitName"] = LimitName;
    j["LimitVersion"] = LimitVersion ? Json::Value(*LimitVersion) : Json::Value();
    j["OperatorFromResult"] = OperatorFromResult;
    j["Tester1"] = Tester1 ? Tester1->toJson() : Json::Value();
    j["Tester2"] = Tester2 ? Tester2->toJson() : Json::Value();
    j["Media"] = Media;
    j["CableTypeFromResult"] = CableTypeFromResult;
    j["CoreType"] = CoreType;
    j["CategoryFiber"] = integer(CategoryFiber);
    j["Meters"] = number(Meters);
    j["End1Name"] = End1Name;
    j["End2Name"] = End2Name;
    j["Adapters"] = integer(Adapters);
    j["Splices"] = integer(Splices);
    for (size_t i = 0; i < Wavelength.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        j["Wavelength" + n] = number(Wavelength[i]);
        j["ModalBandwidth" + n] = number(ModalBandwidth[i]);
        j["IndexOfRefraction" + n] = number(IndexOfRefraction[i]);
        j["BackScatter" + n] = number(BackScatter[i]);
    }
    j["NVP"] = number(NVP);
    return j;
}

}  // namespace Kestrix::Tester
