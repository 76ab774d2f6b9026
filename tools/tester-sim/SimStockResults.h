#pragma once
// Result files for the stocked tester, measured on modelled links (tools/linkgen) and written by the
// library's own writers: every verdict, margin and trace is the data's own.
#include <cstdint>
#include <string>
#include <vector>

namespace Kestrix::Sim {

// One of every kind of result the model has, and the failures a crew meets.
enum class StockKind {
    otdrEnd1,       // OTDR from end 1 only ...
    otdrEnd2,       // ... and the same fiber from end 2, stored as a result of its own
    otdrBothEnds,   // OTDR from end 1 and from end 2 of one fiber in one result, four wavelengths
    otdrBidi,       // both ends and their bidirectional test
    otdrMacrobend,  // a bend that loses far more at 1550 nm than at 1310 nm
    faultMap,
    realTimeTrace,
    endFaceImage,    // end-face images of both ends, end 1 dirty
    lossLength,      // a dirty connector: high loss, and the inspection that shows why
    lossLengthPass,  // a clean link inside its budget
    powerMeter,      // power meter readings from both ends: no length
    copperPass,      // category 6A permanent link
    copperFail,      // the same link with a badly terminated jack: NEXT fails
    copperPassStar,  // a long category 6 link whose worst margin is inside the tester's accuracy
    copperChannel,   // category 6 channel, T568A
    copperCat5e,
    copperIso,  // class EA permanent link
    copperTooLong,
    copperUnbalance,  // a loose contact: resistance unbalance
    copperOpen,       // wiremap faults ...
    copperShort,
    copperReversed,
    copperCrossed,
    copperSplit,
    copperMiswire,
    copperShieldOpen,
    coax,
};

// A result file of that kind, named `cableId`, tested at `when` (seconds since 1970). The link is chosen by
// the cable id, so two results of one cable id measure one link (a failure and its re-test).
std::vector<uint8_t> stockResult(StockKind kind, const std::string& cableId, int64_t when);

}  // namespace Kestrix::Sim
