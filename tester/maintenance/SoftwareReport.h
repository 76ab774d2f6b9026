#pragma once
// What the sysinfo document says about a tester's software and calibration, for people and for the host.
#include <string>

#include <boost/optional.hpp>

#include "tester/host/SysinfoDate.h"
#include "tester/session/Sysinfo.h"

namespace Kestrix::Tester {

// The report of the first instrument, one "label value" line each (label padded to 25 characters, CRLF).
// The two KZR models get the short form. None without a first instrument with components.
boost::optional<std::string> softwareReport(const Sysinfo& info);

// The calibration date of the first measurement module that has one; a first use after calibration moves
// it to the first use, but by at most six months. kMinDate when no module has a calibration date.
struct ModuleCalibration {
    CalDate date = kMinDate;
    std::string moduleName;  // from the module-name table; "" for an unknown model
    std::string serial;
};
ModuleCalibration moduleCalibration(const Sysinfo& info);

}  // namespace Kestrix::Tester
