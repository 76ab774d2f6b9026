#pragma once
// The drawing of each kind of plot. A view holds its own copies of what it draws (curves already cut down to
// the columns a page can show, when asked), so a picture can be drawn later and more than once.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <boost/optional.hpp>

#include "tester/host/CopperHostObjects.h"
#include "tester/host/FiberHostObjects.h"
#include "tester/report/Canvas.h"
#include "tester/report/Chart.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

struct OtdrView {
    std::shared_ptr<const Tester::OtdrTest> test;
    std::shared_ptr<const Tester::OtdrPlotData> plots;  // may be null: events only
    std::string title;
    bool feet = false;
    bool eventTable = true;  // the event table under the trace (a report page has its own)
};

// The smallest margin of a frequency test at one end (worst-margin rows only), with its frequency and pair.
struct WorstMargin {
    double margin = 0;
    double value = 0;
    double frequencyMHz = 0;
    int pair = 0;
};
bool worstMarginOf(const Tester::FrequencyTest& test, int end, WorstMargin& out);

struct CopperCurve {
    int pair = 0;  // host pair id; 0 for the general limit
    Curve points;
};

struct CopperView {
    int testId = 0;
    int end = 1;
    std::string name;   // "next"
    std::string title;  // "NEXT (remote end)"
    bool feet = false;
    bool timeDomain = false;
    int status = Tester::kHostStatusUnknown;
    bool verdict = false;  // the test has a verdict to show
    std::vector<CopperCurve> curves;
    std::vector<CopperCurve> limits;
    Tester::TwistedPairLabels labels;
    boost::optional<WorstMargin> worst;
    // Axes: the main and remote plots of one test are given the same.
    double xLo = 0, xHi = 1, yLo = 0, yHi = 1;
    std::string xLabel, yLabel;
};

// One bar of a loss chart: loss (dB) at a wavelength from one end, against its budget when it has one.
struct LossBar {
    int wavelength = 0;
    int end = 1;
    double loss = 0;
    double budget;  // NaN without a limit
    int status = Tester::kHostStatusUnknown;
};

Picture otdrPicture(const std::string& name, const OtdrView& view, bool compact);
// The trace alone, without its event table, drawn for `width` x `height` points of a report page.
Picture smallOtdrPicture(const std::string& name, const OtdrView& view, double width, double height);
Picture copperPicture(const CopperView& view, bool compact);
// A small multiple for a report page: fonts sized for `width` points, no legend of its own (the page
// shows one for all).
Picture smallCopperPicture(const CopperView& view, double width, double height);
Picture wiremapPicture(std::shared_ptr<Tester::TestRecordTarvel> record, const Tester::WireMapTest& test, bool feet,
                       bool compact);
Picture imagePicture(std::shared_ptr<const Tester::FiberImageTest> test, const std::string& title, bool compact);
Picture lossPicture(const std::vector<LossBar>& bars, const std::string& title, bool compact);

// The colour of a host pair id's curve: the single pairs and every pair combination have their own.
Rgb pairColour(int pair);
// "pair 12-36"; "coax" for the coax pair.
std::string pairLabel(const Tester::TwistedPairLabels& labels, int pair);
// "12-36", "coax" for the coax pair, else empty.
std::string pairName(const Tester::TwistedPairLabels& labels, int pair);

}  // namespace Kestrix::Report
