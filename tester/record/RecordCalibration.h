#pragma once
// Calibration due: a unit whose calibration lies more than a year before the test it measured.
#include <string>
#include <vector>

#include "tester/host/HostServices.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

// True when `calibrated` is known (after 1970) and more than a year before `at`, by calendar day.
bool calibrationOverdue(HostDate calibrated, HostDate at);

// One line per unit of the record whose calibration is overdue at the test's date, each unit once:
// "main unit 1234567 (module M-100 M1000001) calibrated 2023-01-05, more than a year before the test on
// 2024-05-28". Empty for a record whose tests cannot be read.
std::vector<std::string> calibrationWarnings(TestRecordTarvel& record);

}  // namespace Kestrix::Tester
