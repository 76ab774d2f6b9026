#pragma once
// The fiber tests of a record as the host receives them, as JSON and as short text lines.
#include <string>

#include <json/value.h>

#include "tester/host/JsonSink.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

// {"LossTests", "PowerTests", "OtdrTests", "RealTimeTests", "ImageTests": [...],
//  "EventMap", "FaultMap", "FaultMapOtdrTest", "BidirAvg" ({"Test"} or {"ErrorId"}; only with both ends),
//  "Span", "TestedWavelengths": {"<id>": [...]}}
// With `plots` also "Plots": the OTDR, fault-map and real-time traces, with the SR-4731 series of the
// end-1 and end-2 traces. Null for a record that holds no fiber result.
Json::Value fiberTestsJson(TestRecordTarvel& record, bool plots);
// The same written to a sink.
void writeFiberTests(TestRecordTarvel& record, bool plots, JsonSink& s);

// One line per fiber test the record holds; "" without a fiber result.
std::string fiberTestsText(TestRecordTarvel& record);

}  // namespace Kestrix::Tester
