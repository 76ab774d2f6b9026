#pragma once
// Margins that mean something: every figure a record judges against a limit, computed again from the
// record's own tests (value against limit, in the unit of its test), named with its test, pair, frequency,
// wavelength and end; and the record's worst margin among the figures in dB.
#include <string>
#include <vector>

#include <boost/optional.hpp>

#include "tester/host/HostStatus.h"

namespace Kestrix::Tester {

class TestRecordTarvel;

enum class FigureKind {
    swept,    // copper frequency test: the worst margin of a pair at one end, dB
    scalar,   // copper length, delay, skew, resistance, impedance, unbalance: in their own units
    loss,     // fiber loss budget: loss per wavelength and direction, dB
    length,   // fiber length (loss/length or OTDR), m
    linkLoss  // OTDR link loss per wavelength, dB
};

struct JudgedFigure {
    FigureKind kind = FigureKind::swept;
    int testId = 0;     // host test id
    std::string test;   // "NEXT", "Resistance", "Loss", "Link loss", ...
    std::string unit;   // "dB", "m", "ns", "ohm"
    int precision = 1;  // digits after the point the tester gives
    double value = 0;
    double limit = 0;
    bool upperLimit = true;           // the limit is a maximum (margin = limit - value)
    std::string limitNote;            // how the limit came about when it is not the stored one: "90.0 m + 10 %"
    double margin = 0;                // computed: limit - value, or value - limit for a minimum
    double storedMargin;              // what the record says, NaN when it says nothing
    int status = kHostStatusUnknown;  // host status of this figure
    // Where: copper pair and end (1 main, 2 remote), fiber wavelength and end; unset ones are 0 or NaN.
    int pair = 0;
    std::string pairLabel;  // "12-36"
    int end = 0;
    double frequencyMHz;
    int wavelength = 0;

    JudgedFigure();
    // The margin as shown (to the figure's precision) is below zero.
    bool negative() const;
    // True when the record's own margin differs from the computed one by more than its last digit.
    bool storedDisagrees() const;
};

struct RecordMargins {
    std::vector<JudgedFigure> figures;  // in test order
    // The smallest margin in dB of the frequency tests (copper) or of the loss budget and link loss (fiber).
    boost::optional<JudgedFigure> worst;
};

// Every judged figure of a copper or fiber record; empty for a record whose tests cannot be read. A
// twisted-pair length is judged, as the tester judges it, against its maximum plus 10 %.
RecordMargins recordMargins(TestRecordTarvel& record);
// The unit of a copper scalar test's values by its host test id: "m", "ns" or "ohm".
const char* copperScalarUnit(int testId);

// "NEXT 4.5 dB at 489.0 MHz, 12-36, remote"; "Resistance 7.8 ohm (limit 25.0 ohm, margin 17.2 ohm), 45";
// "Loss 0.35 dB at 1300 nm, end 2" (the margin first, then where it is).
std::string describeMargin(const JudgedFigure& f);
// The margin alone with its unit: "4.5 dB", "-6.6 ohm".
std::string marginText(const JudgedFigure& f);
// A number to the figure's precision; "-0.0" never appears.
std::string figureNumber(const JudgedFigure& f, double v);
// Where the figure is: "489.0 MHz, 12-36, remote", "1300 nm, end 2", "45".
std::string figureWhere(const JudgedFigure& f);

}  // namespace Kestrix::Tester
