#pragma once
// The host's record carriers filled from one result file. Their JSON forms are the host record format:
// keys are the field names, dates ISO 8601 UTC text, unknown lengths and unset values null.
#include <array>
#include <cstdint>
#include <string>

#include <boost/optional.hpp>
#include <json/value.h>

#include "tester/host/HostServices.h"

namespace Kestrix::Tester {

// Host media codes.
inline constexpr int kMediaUnknown = 0;
inline constexpr int kMediaCopper = 1;
inline constexpr int kMediaFiber = 2;
inline constexpr int kMediaCoax = 3;

// What the host lists for a result before decoding it.
struct RecordSummary {
    int Platform = 0;
    std::string CableID;
    int Status = 0;  // host status code
    HostDate TestDate = HxDataDate::Default1970();
    int Media = kMediaUnknown;
    double LengthMeters = 0.0;  // NaN when unknown

    Json::Value toJson() const;
};

// Where the tester limited the OTDR analysis, in metres, and on which end.
struct OtdrSpanLocation {
    double Start = 0.0;
    double Stop = 0.0;
    int End = 0;

    Json::Value toJson() const;
};

// The record as a whole. Project, Site and the Cloud fields are set by the importer, the rest from the result.
struct RecordMetaData {
    int Platform = 0;
    std::string CableID;
    std::string RawCableID;  // the cable id exactly as the tester stored it
    int Status = 0;
    HostDate TestDate = HxDataDate::Default1970();
    int Media = kMediaUnknown;
    double LengthMeters = 0.0;
    double LengthFeet = 0.0;
    bool HasGraphs = false;
    bool HasNetworkTest = false;
    boost::optional<OtdrSpanLocation> OtdrSpan;

    std::string Project;
    std::string Site;
    std::string CloudProjectID;
    std::string CloudResultID;
    boost::optional<HostDate> ModifiedDateOnCloud;

    Json::Value toJson() const;
};

// One instrument (main or remote) a test was measured with.
struct Tester {
    int ModelID = 0;
    bool IsMain = false;
    std::string TesterSerialNumber;
    std::string TesterSoftwareVersion;
    std::string ModuleName;
    std::string ModuleSerialNumber;
    HostDate ModuleCalDate = HxDataDate::Default1970();
    boost::optional<HostDate> ModuleCalStartDate;
    boost::optional<HostDate> TesterCalStartDate;
    int End = 0;

    Json::Value toJson() const;
};

// One test of a record: when, with which limit and testers, on which cable.
struct TestMetaData {
    int TestId = 0;  // the host test id asked for
    HostDate TestTime = HxDataDate::Default1970();
    std::string LimitName;
    boost::optional<std::string> LimitVersion;
    std::string OperatorFromResult;
    boost::optional<Tester> Tester1;
    boost::optional<Tester> Tester2;

    // Cable fields.
    int Media = kMediaUnknown;
    std::string CableTypeFromResult;
    int CoreType = 0;
    boost::optional<int> CategoryFiber;
    boost::optional<double> Meters;
    std::string End1Name;
    std::string End2Name;
    boost::optional<int> Adapters;
    boost::optional<int> Splices;
    // Numbered fields 1 to 3 (JSON "Wavelength1" ...), one per tested wavelength in ascending order.
    std::array<boost::optional<double>, 3> Wavelength;
    std::array<boost::optional<double>, 3> ModalBandwidth;
    std::array<boost::optional<double>, 3> IndexOfRefraction;
    std::array<boost::optional<double>, 3> BackScatter;
    boost::optional<double> NVP;

    Json::Value toJson() const;
};

}  // namespace Kestrix::Tester
