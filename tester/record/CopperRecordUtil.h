#pragma once
// Lookups shared by the copper side of a record. A single-pair measurement may be stored with the receive
// pair "notset" or with its own pair again: both match, the exact form first.
#include "copper/CopperTest.h"
#include "copper/WireMapData.h"

namespace Kestrix::Tester::copper {

bool findScalar(const CopperTest& test, CopperScalar& out, CopperTestType type, WirePair src, WirePair rcv);
bool findFreq(const CopperTest& test, CopperFreq& out, CopperTestType type, CableEnd end, WirePair src, WirePair rcv);
const CopperPlot* findPlot(const CopperTest& test, CopperTestType type, CableEnd end, WirePair src, WirePair rcv);

// The wiremap display data of a test (adapter codes from both ends' equipment); borrows the test.
WireMapData displayData(const CopperTest& test);

}  // namespace Kestrix::Tester::copper
