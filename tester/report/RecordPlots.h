#pragma once
// The pictures of one test record: OTDR traces with their events, copper frequency and time-domain plots,
// the wiremap, end-face images and the loss against its budget. Each picture holds copies of what it draws.
#include <string>
#include <vector>

#include "tester/report/Canvas.h"
#include "tester/report/PlotDrawing.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

struct PlotOptions {
    int end = 0;           // 1 or 2: only that end's tests; 0 every end
    bool feet = false;     // distances in feet
    bool compact = false;  // smaller pictures for a report page
    // Curves cut down to this many columns over their plot's x range (peaks kept); 0 keeps every point.
    size_t columns = 0;
    // The record's cable id and date; titles carry them (a report page names its record itself: empty).
    std::string caption;
};

// Every picture the record can give, in report order. Names: "otdr", "rtt", "otdr-bidir", "faultmap", "image",
// "wiremap", "loss", and the copper tests "il", "next", "psnext", "acrn", "psacrn", "acrf", "psacrf", "rl",
// "tcl", "tctl", "cmrl", "cdnext", "cdfext", "eltctl", "tdr", "tdx".
std::vector<Picture> recordPictures(Tester::TestRecordTarvel& record, const PlotOptions& options);

// Whether the record's pictures include a wiremap: a coax link has no eight-pin map to draw.
bool hasWiremapPicture(Tester::TestRecordTarvel& record);

// Every name `recordPictures` can give.
const std::vector<std::string>& pictureNames();

// The copper plots of a record (frequency and time domain, main and remote), in report order; the main and
// remote plots of one test share their axes.
std::vector<CopperView> copperViews(Tester::TestRecordTarvel& record, const PlotOptions& options);
// The OTDR tests of a record with their traces: end 1, end 2, the stored bidirectional average, real-time
// traces and the fault map, with names as in recordPictures.
std::vector<std::pair<std::string, OtdrView>> otdrViews(Tester::TestRecordTarvel& record, const PlotOptions& options);
// Loss per wavelength and end of the loss/length test, else of the power meter tests.
std::vector<LossBar> lossBars(Tester::TestRecordTarvel& record);

// "Cat6A-PL-001, 2026-05-28 14:13": the record's cable id and test date for titles.
std::string recordCaption(Tester::TestRecordTarvel& record);

// Host OTDR event type as a word ("Connector", "Splice", ...).
const char* otdrEventName(int hostType);

}  // namespace Kestrix::Report
