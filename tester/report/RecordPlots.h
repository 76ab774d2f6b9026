#pragma once
// The pictures of one test record: OTDR traces with their events, copper frequency and time-domain plots,
// the wiremap and end-face images. Each picture holds copies of what it draws.
#include <string>
#include <vector>

#include "tester/report/Canvas.h"

namespace Kestrix::Tester {
class TestRecordTarvel;
}

namespace Kestrix::Report {

struct PlotOptions {
    int end = 0;           // 1 or 2: only that end's tests; 0 every end
    bool feet = false;     // distances in feet
    bool compact = false;  // smaller pictures for a report page
};

// Every picture the record can give, in report order. Names: "otdr", "rtt", "otdr-bidir", "faultmap", "image",
// "wiremap", and the copper tests "il", "next", "psnext", "acrn", "psacrn", "acrf", "psacrf", "rl", "tcl",
// "tctl", "cmrl", "cdnext", "cdfext", "eltctl", "tdr", "tdx".
std::vector<Picture> recordPictures(Tester::TestRecordTarvel& record, const PlotOptions& options);

// Every name `recordPictures` can give.
const std::vector<std::string>& pictureNames();

// Host OTDR event type as a word ("Connector", "Splice", ...).
const char* otdrEventName(int hostType);

}  // namespace Kestrix::Report
