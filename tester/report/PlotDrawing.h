#pragma once
// The drawing of each kind of plot. A view holds shared copies of the host objects, so a picture can be
// drawn later and more than once.
#include <memory>
#include <string>

#include "tester/host/CopperHostObjects.h"
#include "tester/host/FiberHostObjects.h"
#include "tester/report/Canvas.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

struct OtdrView {
    std::shared_ptr<const Tester::OtdrTest> test;
    std::shared_ptr<const Tester::OtdrPlotData> plots;  // may be null: events only
    std::string title;
    bool feet = false;
};

struct CopperView {
    std::shared_ptr<const Tester::PlotDataTp> plot;
    std::shared_ptr<const Tester::FrequencyTest> test;  // may be null: no verdict or worst margin
    std::string name;
    std::string title;
    bool feet = false;
};

Picture otdrPicture(const std::string& name, const OtdrView& view, bool compact);
Picture copperPicture(const CopperView& view, bool compact);
Picture wiremapPicture(std::shared_ptr<Tester::TestRecordTarvel> record, const Tester::WireMapTest& test, bool feet,
                       bool compact);
Picture imagePicture(std::shared_ptr<const Tester::FiberImageTest> test, const std::string& title, bool compact);

// The smallest margin of a frequency test at one end (worst-margin rows only), with its frequency and pair.
struct WorstMargin {
    double margin = 0;
    double value = 0;
    double frequencyMHz = 0;
    int pair = 0;
};
bool worstMarginOf(const Tester::FrequencyTest& test, int end, WorstMargin& out);

}  // namespace Kestrix::Report
