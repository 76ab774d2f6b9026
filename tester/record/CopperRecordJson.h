#pragma once
#include <string>
#include <vector>

#include <json/value.h>

#include "tester/host/JsonSink.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

// The copper tests of a record as host objects:
//   {"ScalarTests": [...], "FrequencyTests": [...], "TdrCoaxTest", "WireMapTest", "WireMapText": [...],
//    "PlotData": [...] (with plots only)}
// Null for a record without a copper test.
Json::Value copperTestsJson(TestRecordTarvel& record, bool withPlots);
// The same written to a sink.
void writeCopperTests(TestRecordTarvel& record, bool withPlots, JsonSink& s);

// A short text form of the same (no plots): one line per test and one per measurement.
std::string copperTestsText(TestRecordTarvel& record);

// Host ids of the scalar, frequency and plotted copper tests, in report order.
const std::vector<int>& copperScalarTestIds();
const std::vector<int>& copperFrequencyTestIds();
const std::vector<int>& copperPlotTestIds();

}  // namespace Kestrix::Tester
