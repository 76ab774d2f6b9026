#pragma once
// The report as one self-contained HTML document: tables as HTML, pictures as inline SVG with their text as
// text, the logo as a data URI. Written as the pages come, so only one page is held at a time.
#include <memory>
#include <string>

#include "tester/report/ReportModel.h"

namespace Kestrix::Report {

std::unique_ptr<ReportSink> htmlSink(const std::string& path, const ReportDocument& document);

// Text for HTML element content and attribute values.
std::string htmlEscape(const std::string& text);

}  // namespace Kestrix::Report
